// The movie editor inside the running shell, driven by messages: "ムービー" in the selector
// gives five views with a Pers window, the dialogs with the key dialog's scroll bar and the
// movie menu. A hand-made movie with a cube actor keyed at 0 and 60 is opened from the File
// menu; the wheel (over the main window or the key dialog) steps to frame 60, "R" and a left
// drag in the Front window turn key 60, "T" and a drag in the Top window move it, and the
// saved KZV shows both through tools/modeldump; the key strip paints key 60 into the key
// dialog. "A" plays with only view 4 drawn, "A" again brings frame 60 back. The render
// dialog writes a 640 x 480 BMP of the cube where frame 60 puts it and records ten movie
// frames at interval 2 as a 30 fps AVI of five pictures, then returns to run state 6 and
// frame 60; the video window plays that AVI and refuses a text file.
//
// With MIRAVEL_MOVIE_HOLD=<seconds> the test keeps the program running that long once key 60
// was edited and saved, so that the screen can be looked at (import -display ... -window root).
#include <gtest/gtest.h>
#include <windows.h>
#include <vfw.h>

#include <math.h>
#include <stdlib.h>

#include <set>
#include <string>
#include <vector>

#include "app/current.h"
#include "app/family.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/shell_win.h"
#include "app/views.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/modal_hooks.h"
#include "lib/framework/view_record.h"
#include "model/model3.h"
#include "resources/movie_edit_ids.h"
#include "resources/shell_ids.h"
#include "scene/movie.h"
#include "scene/movie_edit.h"
#include "scene/movie_edit_win.h"
#include "tests/model/kz_files.h"
#include "tests/support/file_bytes.h"
#include "tests/support/wine_drive.h"

namespace {

std::vector<std::string> g_boxes;
int AnswerBox(HWND, const char *text, const char *, UINT) {
  g_boxes.push_back(text);
  return IDYES;
}

HWND Dialog(u32 d) { return (HWND)g_MovieEditor.dialogs[d]; }

// A key of kinds 0-4: frame, shown, number, position, angles, rotation, scale, colour.
void ActorKey(Bytes &b, i32 frame, f32 x) {
  b.i32_(frame).u8_(1).i32_(0);
  const f32 f[] = {x, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 255, 255, 255, 255};
  for (f32 v : f) b.f32_(v);
}

// Scene, camera (eye (0, 3, -12) at the origin) and the cube, keyed at 0 (x 0) and 60 (x 2).
std::vector<u8> CubeMovie(const char *cube) {
  Bytes b;
  b.magic("KZV").i32_(2006060).i32_(180).i32_(3);
  b.str("シーン").i32_(1).i32_(6).i32_(1).i32_(1).i32_(1);
  b.i32_(0).u8_(1).i32_(0).f32_(255).f32_(255).f32_(255).f32_(255);
  b.str("カメラ").i32_(1).i32_(5).i32_(1).i32_(1).i32_(1);
  b.i32_(0).u8_(1).i32_(0).f32_(0).f32_(3).f32_(-12).f32_(0).f32_(0).f32_(0);
  b.str("キューブ").i32_(2).i32_(4).i32_(1).i32_(1).i32_(1);
  ActorKey(b, 0, 0);
  ActorKey(b, 60, 2);
  b.str("").str(cube).str("").i32_(0);
  b.i32_(0).i32_(0).i32_(0).i32_(0).str("");
  return b.b;
}

// The numbers after `field` ("position":[...]) in the JSON text from `from` on.
std::vector<double> Numbers(const std::string &json, size_t from, const char *field) {
  std::vector<double> out;
  size_t at = json.find(std::string("\"") + field + "\":[", from);
  if (at == std::string::npos) return out;
  const char *p = json.c_str() + json.find('[', at) + 1;
  while (*p && *p != ']') {
    char *end = nullptr;
    out.push_back(strtod(p, &end));
    if (end == p) break;
    p = *end == ',' ? end + 1 : end;
  }
  return out;
}

std::string ExeFolder() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string s = path;
  return s.substr(0, s.find_last_of("\\/") + 1);
}

// A left drag of (mx, my) in view window w (the pointer arrives first).
void Drag(HWND w, int mx, int my) {
  SendMessageA(w, WM_MOUSEMOVE, 0, MAKELPARAM(100, 100));
  SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 100));
  SendMessageA(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(100 + mx, 100 + my));
  SendMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(100 + mx, 100 + my));
  Drive_Pump(5);
}

// The view of the movie layout with that kind, made current as a click would make it.
HWND UseView(u32 kind) {
  for (u32 i = 1; i < 4; i++) {
    ViewRecord *v = View_Get(g_Shell.g_EditSubMode, i);
    if (v->kind != kind) continue;
    g_Shell.g_ActiveView = i;
    return (HWND)v->window;
  }
  return nullptr;
}

void Key(char k) {
  PostMessageA(g_Lib.mainWnd, WM_KEYUP, (WPARAM)k, 0);
  Drive_Pump(5);
}

// A 24- or 32-bit BMP file's pixels as 0xRRGGBB, top row first (empty when unreadable).
std::vector<u32> ReadBmp(const std::string &path, i32 *w, i32 *h) {
  std::vector<u32> out;
  std::vector<u8> f = ReadFileBytes(path);
  if (f.size() < 54) return out;
  const BITMAPFILEHEADER *fh = (const BITMAPFILEHEADER *)f.data();
  const BITMAPINFOHEADER *ih = (const BITMAPINFOHEADER *)(f.data() + sizeof *fh);
  *w = ih->biWidth, *h = abs(ih->biHeight);
  u32 bpp = ih->biBitCount / 8;
  size_t stride = ((size_t)*w * bpp + 3) & ~(size_t)3;
  if (bpp < 3 || fh->bfOffBits + stride * (size_t)*h > f.size()) return out;
  for (i32 y = 0; y < *h; y++) {
    const u8 *row = f.data() + fh->bfOffBits + stride * (size_t)(ih->biHeight > 0 ? *h - 1 - y : y);
    for (i32 x = 0; x < *w; x++) out.push_back((u32)row[x * bpp + 2] << 16 | (u32)row[x * bpp + 1] << 8 | row[x * bpp]);
  }
  return out;
}

}  // namespace

TEST(MovieEditWin, OpenDragSavePlayRenderAndVideo) {
  // "ムービー": five views, view 4 a Pers window, every dialog but the render dialog.
  ASSERT_NO_FATAL_FAILURE(Drive_StartOwnFamily("miravel_settings_movie", Movie_InstallWin, IDC_EDIT_MOVIE,
                                               FAMILY_MOVIE, AnswerBox, Drive_AnswerFile));
  HWND selector = (HWND)g_EditDlg.window;
  EXPECT_EQ(g_Shell.g_ViewCount[g_Shell.g_EditSubMode], 5);
  ViewRecord *v4 = View_Get(g_Shell.g_EditSubMode, 4);
  EXPECT_EQ(v4->kind, (u32)VIEW_PERS);
  EXPECT_EQ(v4->x, 176);
  EXPECT_EQ(v4->w, 712);
  EXPECT_TRUE(Drive_Alive(v4->window));
  for (u32 d = 0; d < MOVIE_DIALOG_RENDER; d++) EXPECT_TRUE(IsWindow(Dialog(d))) << d;
  HWND key = Dialog(MOVIE_DIALOG_KEY);
  HWND bar = GetDlgItem(key, IDC_MOVIE_SCROLL);
  ASSERT_NE(bar, nullptr);
  int lo = -1, hi = -1;
  GetScrollRange(bar, SB_CTL, &lo, &hi);
  EXPECT_EQ(lo, 0);
  EXPECT_EQ(hi, 180);
  EXPECT_EQ(IsDlgButtonChecked(key, IDC_MOVIE_LOOP), (UINT)BST_CHECKED);
  char text[128] = {};
  GetMenuStringA(GetMenu(g_Lib.mainWnd), IDM_KZV_SAVE, text, sizeof text, MF_BYCOMMAND);
  EXPECT_STREQ(text, "　保存　  ( KZV )");

  // The hand-made movie from the File menu; a click on the cube's row of the key dialog's
  // time line (at frame 0) makes it the current actor.
  ASSERT_TRUE(Drive_WriteCube(Drive_Temp("miravel_movie_cube.kzp")));
  ASSERT_TRUE(WriteFileBytes(Drive_Temp("miravel_movie_in.kzv"), CubeMovie("miravel_movie_cube.kzp")));
  g_DriveAnswer = "miravel_movie_in.kzv";
  g_boxes.clear();
  SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_KZV_OPEN, 0);
  Drive_Pump(5);
  EXPECT_TRUE(g_boxes.empty()) << (g_boxes.empty() ? "" : g_boxes[0]);
  ASSERT_EQ(g_Movie.objectCount, 3);
  ASSERT_TRUE(g_Model3Slots[2]);
  EXPECT_EQ(g_Model3Slots[2]->polygonCount, 6);
  Drive_Click(key, WM_LBUTTONDOWN, WM_LBUTTONUP, 231, 84 + 5 + 2 * 25 + 10);
  ASSERT_EQ(g_Sel.g_CurSlot, 2u);
  EXPECT_EQ(g_MovieScene.frame, 0);

  // The wheel steps to key 60; "R" and a drag of 100 to the right in the Front window turn
  // key 60 by 30 degrees about z (0.3 a unit; the Front view turns by -C about z).
  SetActiveWindow(g_Lib.mainWnd);
  PostMessageA(g_Lib.mainWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)-120), 0);
  Drive_Pump(5);
  ASSERT_EQ(g_MovieScene.frame, 60);
  // The wheel over the active key dialog steps too: back to key 0, on to key 60.
  SetActiveWindow(key);
  PostMessageA(key, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
  Drive_Pump(5);
  EXPECT_EQ(g_MovieScene.frame, 0);
  PostMessageA(key, WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)-120), 0);
  Drive_Pump(5);
  ASSERT_EQ(g_MovieScene.frame, 60);
  SetActiveWindow(g_Lib.mainWnd);
  Key('R');
  EXPECT_EQ(g_MovieEditor.mode, MOVIE_MODE_ROTATE);
  HWND front = UseView(VIEW_FRONT), top = UseView(VIEW_TOP);
  ASSERT_TRUE(front && top) << "no Front or Top view window";
  UseView(VIEW_FRONT);
  Drag(front, 100, 0);
  // "T" and a drag of (40, 20) in the Top window: x += 0.05 * 40, z -= 0.05 * 20.
  Key('T');
  EXPECT_EQ(g_MovieEditor.mode, MOVIE_MODE_MOVE);
  UseView(VIEW_TOP);
  Drag(top, 40, 20);
  const MovieObject *o = g_Movie.objects[2];
  ASSERT_EQ(o->keyCount, 2);

  // Saved and read back by tools/modeldump: key 60 at (4, 0, -1), its quaternion that of
  // RotZ(-30 degrees) read by z = (m10 - m01) / 2s: (0, 0, sin 15, cos 15).
  std::string saved = Drive_Temp("miravel_movie_out.kzv");
  DeleteFileA(saved.c_str());
  g_DriveAnswer = "miravel_movie_out.kzv";
  SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_KZV_SAVE, 0);
  Drive_Pump(5);
  // cmd takes off the outer pair of quotes; the quoted program and path stay.
  std::string json = Drive_RunTool("\"\"" + ExeFolder() + "modeldump.exe\" \"" + saved + "\"\"");
  size_t at = json.find("\"frame\":60,");   // only the cube has a key at 60
  ASSERT_NE(at, std::string::npos) << json;
  const std::vector<double> want[2] = {{4, 0, -1}, {0, 0, sin(15.0 / 57.29577951), cos(15.0 / 57.29577951)}};
  const char *fields[2] = {"position", "rotation"};
  for (int f = 0; f < 2; f++) {
    std::vector<double> got = Numbers(json, at, fields[f]);
    ASSERT_EQ(got.size(), want[f].size()) << fields[f];
    for (size_t i = 0; i < got.size(); i++) EXPECT_NEAR(got[i], want[f][i], 1e-5) << fields[f] << " " << i;
  }

  // The key strip paints the cube's row (the third, 25 pixels each from y 84) into the key
  // dialog: the marks of keys 0 and 60 at x 230 + 3 and 230 + 60 * 10 / 8 + 3, none between.
  const int row = 84 + 2 * 25 + 10;
  EXPECT_TRUE(Drive_PumpUntilShown([&] { return Drive_WindowPixel(key, 308, row) == RGB(0, 128, 255); }, 3000));
  EXPECT_EQ(Drive_WindowPixel(key, 233, row), RGB(0, 128, 255));
  EXPECT_EQ(Drive_WindowPixel(key, 270, row), RGB(0, 0, 0));

  Drive_Hold("MIRAVEL_MOVIE_HOLD");

  // "A" plays from the start frame with only view 4 drawn; "A" again brings frame 60 back.
  Key('A');
  ASSERT_EQ(g_Movie.playState, (u32)MOVIE_PLAYING);
  ASSERT_TRUE(Drive_PumpUntil([] { return g_MovieScene.frame >= 1; }, 5000));   // a pass of playback
  std::set<u32> drawn;
  Drive_PumpUntil([&] {
    drawn.insert(g_Shell.g_DrawView);
    return g_MovieScene.frame >= 5;
  }, 5000);
  EXPECT_GE(g_MovieScene.frame, 5);
  EXPECT_EQ(drawn, std::set<u32>{4});
  Key('A');
  EXPECT_EQ(g_Movie.playState, (u32)MOVIE_STOPPED);
  EXPECT_EQ(g_MovieScene.frame, 60);

  // "レンダリング": "このシーンのみレンダリング" writes a 640 x 480 BMP that is not one colour
  // (the cube on the background).
  SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_MOVIE_RENDER, 0);
  HWND render = Dialog(MOVIE_DIALOG_RENDER);
  ASSERT_TRUE(IsWindow(render));
  Drive_Pump(5);
  std::string bmp = std::string(g_Lib.rootDir) + "\\miravel_movie_shot.BMP";
  DeleteFileA(bmp.c_str());
  SetDlgItemTextA(render, IDC_MOVIE_RENDER_NAME, "miravel_movie_shot");
  g_boxes.clear();
  Drive_Command(render, IDC_MOVIE_RENDER_BMP);
  EXPECT_EQ(g_boxes, std::vector<std::string>{bmp + " に保存しました。"});
  g_boxes.clear();
  // The cube of frame 60 stands right of the centre (x 4 seen from (0, 3, -12)); the centre
  // and the corners show the background.
  i32 w = 0, h = 0;
  std::vector<u32> px = ReadBmp(bmp, &w, &h);
  ASSERT_EQ(w, 640);
  ASSERT_EQ(h, 480);
  ASSERT_EQ(px.size(), 640u * 480u);
  EXPECT_EQ(px[240 * 640 + 320], px[0]);
  EXPECT_EQ(px[479 * 640 + 639], px[0]);
  EXPECT_NE(px[260 * 640 + 530], px[0]);
  DeleteFileA(bmp.c_str());
  EXPECT_EQ(g_MovieScene.frame, 60);

  // "ＡＶＩ 形式で保存する" on frames 0..10 at interval 2, the codec dialog answered with full
  // frames: 30 pictures a second, five of them (frames 0, 2, 4, 6, 8), then run state 6 and
  // frame 60 again.
  SetDlgItemTextA(key, IDC_MOVIE_PLAY_START, "0");
  SetDlgItemTextA(key, IDC_MOVIE_PLAY_END, "10");
  SetDlgItemTextA(render, IDC_MOVIE_RENDER_NAME, "miravel_movie_clip");
  SetDlgItemTextA(render, IDC_MOVIE_RENDER_INTERVAL, "2");
  std::string avi = std::string(g_Lib.rootDir) + "\\miravel_movie_clip.avi";
  DeleteFileA(avi.c_str());
  Drive_AnswerCodecs(true);
  Drive_Command(render, IDC_MOVIE_RENDER_AVI);
  Drive_AnswerCodecs(false);
  EXPECT_TRUE(g_boxes.empty()) << (g_boxes.empty() ? "" : g_boxes[0]);
  EXPECT_EQ(g_Lib.runState, 8u);
  EXPECT_TRUE(Drive_PumpUntil([] { return g_Movie.playState != MOVIE_PLAYING; }, 2000));
  EXPECT_EQ(g_Lib.runState, 6u);
  EXPECT_EQ(g_MovieScene.frame, 60);
  EXPECT_EQ(g_boxes, std::vector<std::string>{avi + " に保存しました。"});
  AVIFileInit();
  PAVIFILE file = nullptr;
  ASSERT_EQ(AVIFileOpenA(&file, avi.c_str(), OF_READ, nullptr), 0) << avi;
  PAVISTREAM stream = nullptr;
  AVISTREAMINFOA info = {};
  EXPECT_EQ(AVIFileGetStream(file, &stream, streamtypeVIDEO, 0), 0);
  bool pictured = false;   // the first picture is the scene, not one colour
  if (stream) {
    AVIStreamInfoA(stream, &info, sizeof info);
    std::vector<u8> frame(640 * 480 * 3);
    LONG got = 0;
    if (AVIStreamRead(stream, 0, 1, frame.data(), (LONG)frame.size(), &got, nullptr) == 0 && got == (LONG)frame.size())
      for (size_t i = 3; i < frame.size() && !pictured; i += 3) pictured = memcmp(&frame[i], &frame[0], 3) != 0;
    AVIStreamRelease(stream);
  }
  AVIFileRelease(file);
  AVIFileExit();
  EXPECT_EQ(info.dwRate / (info.dwScale ? info.dwScale : 1), 30u);
  EXPECT_EQ(info.dwLength, 5u);
  EXPECT_TRUE(pictured);
  Drive_Command(render, IDC_MOVIE_RENDER_CLOSE);
  EXPECT_FALSE(IsWindow(render));

  // The video window plays that AVI as a video and refuses a text file.
  EXPECT_TRUE(Movie_OpenVideoWindow(avi.c_str(), 1));
  EXPECT_EQ(g_D3DApp.videoActive, 1);
  // It shows over the main window: a window it owns at the client's top left, as large as the
  // back buffer, below the Pers view and every tool window (each window's centre shows that
  // window, never the video).
  HWND video = (HWND)g_MovieEditor.video;
  ASSERT_NE(video, nullptr);
  EXPECT_EQ(GetWindow(video, GW_OWNER), g_Lib.mainWnd);
  EXPECT_FALSE(GetWindowLongA(video, GWL_STYLE) & WS_CHILD);
  RECT vr = {};
  GetWindowRect(video, &vr);
  POINT origin = {0, 0};
  ClientToScreen(g_Lib.mainWnd, &origin);
  EXPECT_EQ(vr.left, origin.x);
  EXPECT_EQ(vr.top, origin.y);
  EXPECT_EQ(vr.right - vr.left, g_Lib.screenWidth);
  EXPECT_EQ(vr.bottom - vr.top, g_Lib.screenHeight);
  std::vector<HWND> tools;
  for (u32 d = 0; d < MOVIE_DIALOGS; d++)
    if (Dialog(d) && IsWindowVisible(Dialog(d))) tools.push_back(Dialog(d));
  for (u32 i = 1; i < VIEWS_PER_LAYOUT; i++) {
    const ViewRecord *v = View_Get(g_Shell.g_EditSubMode, i);
    if (v->inUse == 1 && v->window) tools.push_back((HWND)v->window);
  }
  ASSERT_FALSE(tools.empty());
  for (HWND t : tools) {
    RECT r;
    GetWindowRect(t, &r);
    POINT centre = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    HWND hit = WindowFromPoint(centre);
    EXPECT_NE(hit ? GetAncestor(hit, GA_ROOT) : nullptr, g_Lib.mainWnd) << "at " << centre.x << "," << centre.y;
  }
  Movie_CloseVideoWindow();
  EXPECT_EQ(g_D3DApp.videoActive, 0);
  DeleteFileA(avi.c_str());
  std::string txt = Drive_Temp("miravel_movie_notes.txt");
  ASSERT_TRUE(WriteFileBytes(txt, std::string("hello")));
  EXPECT_FALSE(Movie_OpenVideoWindow(txt.c_str(), 1));
  EXPECT_EQ(g_D3DApp.videoActive, 0);
  for (const char *f : {"miravel_movie_notes.txt", "miravel_movie_cube.kzp", "miravel_movie_in.kzv", "miravel_movie_out.kzv"})
    DeleteFileA(Drive_Temp(f).c_str());

  // Leaving: the movie was saved after its last edit, so nothing is asked; the dialogs close.
  g_boxes.clear();
  Drive_Command(selector, IDC_EDIT_PREVIEW);
  Drive_Pump(20);
  EXPECT_EQ(g_Shell.g_EditFamily, (u32)FAMILY_PREVIEW);
  EXPECT_TRUE(g_boxes.empty()) << (g_boxes.empty() ? "" : g_boxes[0]);
  EXPECT_FALSE(IsWindow(key));
  SendMessageA(g_Lib.mainWnd, WM_CLOSE, 0, 0);
  Drive_Pump(20);
}

// Ends with the tests' result, past the Wine teardown that now and then hangs or crashes.
const ::testing::Environment *const kEndWithResult = ::testing::AddGlobalTestEnvironment(new Drive_EndWithResult);
