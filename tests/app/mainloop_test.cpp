// Main-loop decisions: frame delta across the millisecond wrap, the command-line path with
// and without quotes, strip pacing, the movie family's recorded view and camera; and the
// routing of menu commands to the family hook.
#include <gtest/gtest.h>
#include <cmath>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/mainloop.h"
#include "app/shell_view.h"
#include "lib/framework/view_record.h"
#include "resources/shell_ids.h"
#include "scene/movie_services.h"
#include "shell_fixture.h"

TEST(MainLoop, FrameDeltaInSixtiethsAlsoAcrossTheWrap) {
  FrameClock c = {};
  EXPECT_EQ(Loop_FrameDelta(&c, 5000), 0.0f);   // first pass
  c.last = 5000;
  EXPECT_FLOAT_EQ(Loop_FrameDelta(&c, 5050), 3.0f);
  c.last = 4294967290u;                           // 49.7 days later the counter wraps
  EXPECT_NEAR(Loop_FrameDelta(&c, 10), 16 * 0.06f, 1e-5);
}

TEST(MainLoop, CommandLineStripsQuotesOnlyAsAPair) {
  char p[256];
  EXPECT_TRUE(Loop_CommandLinePath("\"C:\\models\\robot.KZP\"", p, sizeof p));
  EXPECT_STREQ(p, "C:\\models\\robot.KZP");
  EXPECT_TRUE(Loop_CommandLinePath("C:\\models\\robot.kzp", p, sizeof p));   // no quotes: nothing lost
  EXPECT_STREQ(p, "C:\\models\\robot.kzp");
  EXPECT_TRUE(Loop_CommandLinePath("  \"a b.kzp\"  ", p, sizeof p));
  EXPECT_STREQ(p, "a b.kzp");
  EXPECT_TRUE(Loop_CommandLinePath("\"half.kzp", p, sizeof p));
  EXPECT_STREQ(p, "\"half.kzp");
  EXPECT_FALSE(Loop_CommandLinePath("", p, sizeof p));
  EXPECT_FALSE(Loop_CommandLinePath("\"\"", p, sizeof p));
  EXPECT_FALSE(Loop_CommandLinePath(nullptr, p, sizeof p));
  std::string longPath(400, 'x');
  EXPECT_FALSE(Loop_CommandLinePath(longPath.c_str(), p, sizeof p));   // refused, not cut
  EXPECT_TRUE(Loop_IsKzpPath("a.KzP"));
  EXPECT_TRUE(Loop_IsKzpPath("dir.v2\\model.kzp"));
  EXPECT_FALSE(Loop_IsKzpPath("notes.txt"));
  EXPECT_FALSE(Loop_IsKzpPath("kzp"));
  EXPECT_FALSE(Loop_IsKzpPath("a.kzpx"));
}

TEST(MainLoop, StripsEveryFourthPassAndEveryPassWhileRecording) {
  i32 counter = 0;
  std::vector<int> due;
  for (int i = 0; i < 12; i++) due.push_back(Loop_StripsDue(&counter, false));
  EXPECT_EQ(due, (std::vector<int>{0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1}));
  EXPECT_TRUE(Loop_StripsDue(&counter, true));
  EXPECT_TRUE(Loop_StripsDue(&counter, true));
}

TEST(MainLoop, RecordingDrawsViewFourOnlyWhenItExists) {
  ViewRecord views[8] = {};
  EXPECT_EQ(Loop_MovieDrawView(1, false, views, 5), 1u);
  EXPECT_EQ(Loop_MovieDrawView(1, true, views, 5), 1u);   // view 4 not in use
  views[4].inUse = 1;
  EXPECT_EQ(Loop_MovieDrawView(1, true, views, 5), 1u);   // no window
  views[4].window = (HWND__ *)0x10;
  EXPECT_EQ(Loop_MovieDrawView(1, true, views, 4), 1u);   // beyond the count
  EXPECT_EQ(Loop_MovieDrawView(1, true, views, 5), 4u);
}

TEST(MainLoop, MovieOrthoCameraByKind) {
  ViewRecord v = {};
  v.zoom = 2.0f;
  v.panX = 1; v.panY = 2; v.panZ = 3;
  f32 eye[3], target[3];
  v.kind = VIEW_FRONT;
  Loop_MovieOrthoCamera(&v, 1.0f, eye, target);
  EXPECT_FLOAT_EQ(eye[0], 1); EXPECT_FLOAT_EQ(eye[1], 12); EXPECT_FLOAT_EQ(eye[2], -8 - 3);
  EXPECT_FLOAT_EQ(target[0], 1); EXPECT_FLOAT_EQ(target[1], 12); EXPECT_FLOAT_EQ(target[2], -3);
  v.kind = VIEW_TOP;
  Loop_MovieOrthoCamera(&v, 2.0f, eye, target);
  EXPECT_FLOAT_EQ(eye[1], 10.5f + 4); EXPECT_FLOAT_EQ(eye[2], -0.01f - 6);
  v.kind = VIEW_SIDE;
  v.zoom = 0;   // never divides by zero
  Loop_MovieOrthoCamera(&v, 1.0f, eye, target);
  EXPECT_TRUE(std::isfinite(eye[0]));
  i32 cx, cy;
  Loop_ViewCentre(257, 256, &cx, &cy);
  EXPECT_EQ(cx, 124);
  EXPECT_EQ(cy, 102);
}

TEST(MainLoop, MovieCameraOnlyFromAnExistingCameraObject) {
  f32 eye[3] = {7, 7, 7}, target[3] = {7, 7, 7};
  i32 savedCount = g_Movie.objectCount;
  g_Movie.objectCount = 2;
  MovieObject *saved[2] = {g_Movie.objects[0], g_Movie.objects[1]};
  static MovieObject cam, image;
  cam.kind = MOVIE_KIND_CAMERA;
  cam.pose[MOVIE_POSE_POSITION + 2] = -30;
  cam.pose[MOVIE_POSE_TARGET + 1] = 5;
  image.kind = MOVIE_KIND_IMAGE;
  g_Movie.objects[0] = &image;
  g_Movie.objects[1] = nullptr;
  EXPECT_FALSE(Loop_MovieCamera(-1, eye, target));
  EXPECT_FALSE(Loop_MovieCamera(1, eye, target));    // removed object
  EXPECT_FALSE(Loop_MovieCamera(0, eye, target));    // not a camera
  EXPECT_FALSE(Loop_MovieCamera(5, eye, target));    // beyond the count
  EXPECT_EQ(eye[0], 7.0f);                           // the previous camera stays
  g_Movie.objects[1] = &cam;
  EXPECT_TRUE(Loop_MovieCamera(1, eye, target));
  EXPECT_EQ(eye[2], -30.0f);
  EXPECT_EQ(target[1], 5.0f);
  g_Movie.objects[0] = saved[0];
  g_Movie.objects[1] = saved[1];
  g_Movie.objectCount = savedCount;
}

namespace {
std::vector<std::string> g_log;
bool g_exitConfirmed;
void Cmd(const HookCtx *c) { g_log.push_back("family:" + std::to_string(c->command)); }
}  // namespace

TEST(Commands, LowWordRoutesOnceToFamilyAndStopsAfterConfirmedExit) {
  Shell_ResetForTest();
  FamilyHooks saved = g_FamilyHooks[11];
  g_FamilyHooks[11].command = Cmd;
  g_Shell.g_EditFamily = 11;
  g_log.clear();
  g_ShellSeam.openOptions = [] { g_log.push_back("options"); };
  g_ShellSeam.addView = [] { g_log.push_back("addView"); };
  g_ShellSeam.fileCommand = [](u32 id) { g_log.push_back("file:" + std::to_string(id)); };
  g_ShellSeam.confirmExit = [] { g_log.push_back("ask"); return g_exitConfirmed; };
  // A menu command with a notification code in the high word (accelerators send 1).
  App_RouteCommand(((u64)1 << 16) | IDM_OPTIONS);
  App_RouteCommand(IDM_ADD_VIEW);
  App_RouteCommand(IDM_KZP_OPEN);
  App_RouteCommand(40300);
  g_exitConfirmed = false;
  App_RouteCommand(IDM_EXIT);
  g_exitConfirmed = true;
  App_RouteCommand(IDM_EXIT);
  std::vector<std::string> want = {"options", "family:40067", "addView", "family:40076", "file:40023",
                                   "family:40023", "family:40300", "ask", "family:40007", "ask"};
  EXPECT_EQ(g_log, want);
  EXPECT_EQ(App_ShellCommandKind(IDM_MAP2_OPEN), SHELLCMD_FILE);
  EXPECT_EQ(App_ShellCommandKind(IDM_DOWNLOAD), SHELLCMD_DOWNLOAD);
  EXPECT_EQ(App_CommandIdOf(0xABCD9C47u), 0x9C47u);
  g_FamilyHooks[11] = saved;
}
