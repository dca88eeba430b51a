// The movie editor without windows: the drag table by kind, mode and view, the rotate drag's
// clamp and its independence from how the drag is cut into moves, the camera target's right
// drag, the keys, the full tables, playback's range and restored frame, and the render
// dialog's rules (interval, BMP rectangle, video test, messages, restored view and frame).
#include "tests/support/hook_at.h"
#include <math.h>

#include <map>

#include "app/current.h"
#include "app/docflags.h"
#include "app/family.h"
#include "app/play.h"
#include "app/shell_mouse.h"
#include "app/shell_seam.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/startup_state.h"
#include "app/views.h"
#include "lib/framework/d3dapp.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/view_record.h"
#include "scene/movie_dlg.h"
#include "scene/movie_edit.h"
#include "tests/scene/movie_fixture.h"
#include "tests/support/shell_fixture.h"
#include "tests/support/widget_fake.h"

namespace {

struct Fields {
  std::vector<std::string> saved;   // "name left top right bottom"
  u32 aviRate = 0;
  bool aviOk = true, saveOk = true;
  i32 aviStops = 0;
  u32 drawnAtSave = 99;
} g_f;

// The key dialog's fields and "ループ" check, as the widget fake holds them.
void *KeyDlg(void) { return g_MovieEditor.dialogs[MOVIE_DIALOG_KEY]; }
void SetInt(u32 id, i32 v) { WidgetFake_SetText(KeyDlg(), id, std::to_string(v).c_str()); }
void SetLoop(bool on) { g_WidgetFake.checks[{KeyDlg(), IDC_MOVIE_LOOP}] = on; }
bool SaveRect(const char *name, i32 l, i32 t, i32 r, i32 b) {
  g_f.drawnAtSave = g_Shell.g_DrawView;
  g_f.saved.push_back(std::string(name) + " " + std::to_string(l) + " " + std::to_string(t) + " " +
                      std::to_string(r) + " " + std::to_string(b));
  return g_f.saveOk;
}
bool AviStart(const char *, u32 rate) {
  g_f.aviRate = rate;
  return g_f.aviOk;
}
void AviStop(void) { g_f.aviStops++; }
bool VideoOpen(const char *path, bool) { return strstr(path, ".txt") == nullptr; }

std::vector<std::string> g_questions;
bool Ask(const char *text) {
  g_questions.push_back(text);
  return false;
}

struct MovieEditTest : MovieTest {
  SceneSeam savedOps;
  void SetUp() override {
    MovieTest::SetUp();
    Shell_ResetForTest();
    g_Shell.g_EditFamily = g_Shell.g_EditSubMode = FAMILY_MOVIE;
    savedOps = g_SceneSeam;
    g_SceneSeam.frameStep = nullptr;
    g_SceneSeam.videoClose = nullptr;
    g_SceneSeam.saveRect = SaveRect;
    g_SceneSeam.aviStart = AviStart;
    g_SceneSeam.aviStop = AviStop;
    g_SceneSeam.videoOpen = VideoOpen;
    g_f = Fields{};
    g_MovieEditor = MovieEditor{};
    OpenFakeDialogs();
    SetLoop(true);
    memset(g_Shell.g_DocChanged, 0, sizeof g_Shell.g_DocChanged);
    Movie_NewDocument(View_CurrentLayout(), &g_Sel);
    g_Movie.playState = MOVIE_STOPPED;
  }
  void TearDown() override {
    g_SceneSeam = savedOps;
    WidgetFake_Remove();
    g_MovieEditor = MovieEditor{};
    memset(g_Shell.g_DocChanged, 0, sizeof g_Shell.g_DocChanged);
    Shell_ResetForTest();
    MovieTest::TearDown();
  }
  // A left drag from (100, 100) to (100 + mx, 100 + my) whose move message carries (dx, dy).
  static void Drag(u32 button, f32 dx, f32 dy, i32 mx, i32 my) {
    if (button == BUTTON_LEFT) Movie_LButtonDown(Hook_At(100, 100));
    else Movie_RButtonDown(Hook_At(100, 100));
    Shell_SetButtonHeld(button, 1);
    g_Mouse.g_MouseMoveDX = dx, g_Mouse.g_MouseMoveDY = dy;
    Movie_MouseMove(Hook_At(100 + mx, 100 + my));
    Shell_SetButtonHeld(button, 0);
  }
  static MovieKey &Key(i32 n) { return g_Movie.objects[n]->keys[0]; }
};

// [SECTION] drags

TEST_F(MovieEditTest, LeftDragChangesTheKeyByKindModeAndView) {
  struct Case {
    i32 kind, mode;
    u32 view;
    f32 pos[3], angleZ, scale[3];   // expected changes (scale: factor for kind 4 in Pers)
  };
  // Each move carries (4, -6); the mouse went (10, 20) from the anchor.
  const Case cases[] = {
      {MOVIE_KIND_IMAGE, MOVIE_MODE_MOVE, VIEW_FRONT, {4, -6, 0}, 0, {0, 0, 0}},
      {MOVIE_KIND_IMAGE, MOVIE_MODE_ROTATE, VIEW_FRONT, {0, 0, 0}, 0.8f, {0, 0, 0}},
      {MOVIE_KIND_IMAGE, MOVIE_MODE_SCALE, VIEW_FRONT, {0, 0, 0}, 0, {0.03f, 0.045f, 0}},
      {MOVIE_KIND_OBJ2, MOVIE_MODE_MOVE, VIEW_TOP, {4, -6, 0}, 0, {0, 0, 0}},
      {MOVIE_KIND_OBJ2, MOVIE_MODE_ROTATE, VIEW_TOP, {0, 0, 0}, 0, {0, 0, 0}},
      {MOVIE_KIND_BONE2, MOVIE_MODE_MOVE, VIEW_PERS, {4, -6, 0}, 0, {0, 0, 0}},
      {MOVIE_KIND_BONE2, MOVIE_MODE_SCALE, VIEW_PERS, {0, 0, 0}, 0, {0, 0, 0}},
      {MOVIE_KIND_MODEL3, MOVIE_MODE_MOVE, VIEW_FRONT, {0.5f, -1.0f, 0}, 0, {0, 0, 0}},
      {MOVIE_KIND_MODEL3, MOVIE_MODE_MOVE, VIEW_TOP, {0.5f, 0, -1.0f}, 0, {0, 0, 0}},
      {MOVIE_KIND_MODEL3, MOVIE_MODE_MOVE, VIEW_SIDE, {0, -1.0f, 0.5f}, 0, {0, 0, 0}},
      {MOVIE_KIND_MODEL3, MOVIE_MODE_MOVE, VIEW_PERS, {0, 0, 0}, 0, {0, 0, 0}},
      {MOVIE_KIND_MODEL3, MOVIE_MODE_SCALE, VIEW_PERS, {0, 0, 0}, 0, {-0.025f, -0.025f, -0.025f}},
      {MOVIE_KIND_MODEL3, MOVIE_MODE_SCALE, VIEW_FRONT, {0, 0, 0}, 0, {0.05f, -0.1f, 0}},
      {MOVIE_KIND_MODEL3, MOVIE_MODE_SCALE, VIEW_TOP, {0, 0, 0}, 0, {0.05f, 0, -0.1f}},
      {MOVIE_KIND_MODEL3, MOVIE_MODE_SCALE, VIEW_SIDE, {0, 0, 0}, 0, {0, -0.1f, 0.05f}},
      {MOVIE_KIND_CAMERA, MOVIE_MODE_SCALE, VIEW_PERS, {1, 0, -2}, 0, {0, 0, 0}},
      {MOVIE_KIND_CAMERA, MOVIE_MODE_MOVE, VIEW_TOP, {1, 0, -2}, 0, {0, 0, 0}},
      {MOVIE_KIND_CAMERA, MOVIE_MODE_ROTATE, VIEW_FRONT, {1, -2, 0}, 0, {0, 0, 0}},
      {MOVIE_KIND_CAMERA, MOVIE_MODE_MOVE, VIEW_SIDE, {0, -2, 1}, 0, {0, 0, 0}},
      {MOVIE_KIND_SOUND, MOVIE_MODE_MOVE, VIEW_FRONT, {0, 0, 0}, 0, {0, 0, 0}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << c.kind << " mode " << c.mode << " view " << c.view);
    Movie_NewDocument(View_CurrentLayout(), &g_Sel);
    memset(g_Shell.g_DocChanged, 0, sizeof g_Shell.g_DocChanged);
    i32 n = 1;   // the camera
    if (c.kind != MOVIE_KIND_CAMERA) {
      ASSERT_TRUE(Movie_AddActor(c.kind));
      n = 2;
      memset(g_Shell.g_DocChanged, 0, sizeof g_Shell.g_DocChanged);
    }
    g_Sel.g_CurSlot = (u32)n;
    g_MovieEditor.mode = c.mode;
    View_Active()->kind = c.view;
    const MovieKey before = Key(n);
    Drag(BUTTON_LEFT, 4, -6, 10, 20);
    const MovieKey &k = Key(n);
    ASSERT_EQ(g_Movie.objects[n]->keyCount, 1);
    for (int i = 0; i < 3; i++) {
      EXPECT_NEAR(k.position[i] - before.position[i], c.pos[i], 1e-4f) << i;
      EXPECT_NEAR(k.scale[i] - before.scale[i], c.scale[i], 1e-4f) << i;
      EXPECT_EQ(k.target[i], before.target[i]);
    }
    EXPECT_NEAR(k.angles[2] - before.angles[2], c.angleZ, 1e-4f);
    bool changed = memcmp(&k, &before, sizeof k) != 0;
    EXPECT_EQ(Doc_IsChanged(DOC_MOVIE), changed);
  }
}

TEST_F(MovieEditTest, RotateDragClampsAt90AndIgnoresHowTheDragIsCut) {
  ASSERT_TRUE(Movie_AddActor(MOVIE_KIND_MODEL3));
  g_MovieEditor.mode = MOVIE_MODE_ROTATE;
  struct Case { u32 view; i32 axis; };   // the quaternion part that turns
  const Case cases[] = {{VIEW_FRONT, 2}, {VIEW_SIDE, 0}, {VIEW_TOP, 1}};
  const f32 h = sqrtf(0.5f);
  for (const Case &c : cases) {
    SCOPED_TRACE(c.view);
    View_Active()->kind = c.view;
    Key(2).rotation[0] = Key(2).rotation[1] = Key(2).rotation[2] = 0, Key(2).rotation[3] = 1;
    Drag(BUTTON_LEFT, 400, 0, 400, 0);   // 120 degrees asked: 90 given
    for (int i = 0; i < 3; i++) EXPECT_NEAR(fabsf(Key(2).rotation[i]), i == c.axis ? h : 0.0f, 1e-5f);
    EXPECT_NEAR(Key(2).rotation[3], h, 1e-5f);

    // Ten moves of 3 in one drag turn as far as one move of 30 (9 degrees).
    Key(2).rotation[0] = Key(2).rotation[1] = Key(2).rotation[2] = 0, Key(2).rotation[3] = 1;
    Movie_LButtonDown(Hook_At(0, 0));
    Shell_SetButtonHeld(BUTTON_LEFT, 1);
    g_Mouse.g_MouseMoveDX = 3, g_Mouse.g_MouseMoveDY = 0;
    for (int i = 1; i <= 10; i++) Movie_MouseMove(Hook_At(3 * i, 0));
    Shell_SetButtonHeld(BUTTON_LEFT, 0);
    f32 many[4];
    memcpy(many, Key(2).rotation, sizeof many);
    EXPECT_NEAR(fabsf(many[c.axis]), sinf(4.5f / 57.29578f), 1e-4f);
    EXPECT_NEAR(many[3], cosf(4.5f / 57.29578f), 1e-4f);
    Key(2).rotation[0] = Key(2).rotation[1] = Key(2).rotation[2] = 0, Key(2).rotation[3] = 1;
    Drag(BUTTON_LEFT, 30, 0, 30, 0);
    for (int i = 0; i < 4; i++) EXPECT_NEAR(Key(2).rotation[i], many[i], 1e-6f) << i;
  }
}

TEST_F(MovieEditTest, RightDragMovesOnlyTheCameraTarget) {
  ASSERT_TRUE(Movie_AddActor(MOVIE_KIND_MODEL3));
  View_Active()->kind = VIEW_PERS;
  const MovieKey cam = Key(1), actor = Key(2);
  Drag(BUTTON_RIGHT, 4, -6, 10, 20);
  EXPECT_NEAR(Key(1).target[0], cam.target[0] + 1.0f, 1e-5f);
  EXPECT_EQ(Key(1).target[1], cam.target[1]);
  EXPECT_NEAR(Key(1).target[2], cam.target[2] - 2.0f, 1e-5f);
  EXPECT_EQ(memcmp(Key(1).position, cam.position, sizeof cam.position), 0);
  EXPECT_EQ(memcmp(&Key(2), &actor, sizeof actor), 0);

  // No key at this frame for the camera, no current object: nothing changes.
  g_MovieScene.frame = 30;
  g_Sel.g_CurSlot = 40;
  Drag(BUTTON_RIGHT, 4, -6, 10, 20);
  Drag(BUTTON_LEFT, 4, -6, 10, 20);
  EXPECT_EQ(g_Movie.objects[1]->keyCount, 1);
  EXPECT_NEAR(Key(1).target[0], cam.target[0] + 1.0f, 1e-5f);
}

// [SECTION] keys

TEST_F(MovieEditTest, KeysSetModesAndArrowsWaitForTheButtons) {
  View_Active()->kind = VIEW_TOP;
  const struct { u32 key; u32 held; f32 x, y; } arrows[] = {
      {37, 0, -1, 0}, {39, 0, 1, 0}, {38, 0, 0, -1}, {40, 0, 0, 1},
      {37, 1u << BUTTON_LEFT, 0, 0}, {40, 1u << BUTTON_RIGHT, 0, 0}, {39, 1u << BUTTON_MIDDLE, 1, 0}};
  for (const auto &a : arrows) {
    g_MovieEditor.offset2D[VIEW_TOP][0] = g_MovieEditor.offset2D[VIEW_TOP][1] = 0;
    for (u32 b = 0; b < 3; b++) Shell_SetButtonHeld(b, (a.held >> b) & 1);
    Movie_KeyUp(Hook_Key(a.key));
    EXPECT_EQ(g_MovieEditor.offset2D[VIEW_TOP][0], a.x) << a.key << " " << a.held;
    EXPECT_EQ(g_MovieEditor.offset2D[VIEW_TOP][1], a.y) << a.key << " " << a.held;
  }
  for (u32 b = 0; b < 3; b++) Shell_SetButtonHeld(b, 0);
  const struct { u32 key; i32 mode; } modes[] = {{'R', 1}, {'G', 2}, {'T', 0}};
  for (const auto &m : modes) {
    g_MovieEditor.refresh[MOVIE_DIALOG_MAIN] = 0;
    Movie_KeyUp(Hook_Key(m.key));
    EXPECT_EQ(g_MovieEditor.mode, m.mode);
    EXPECT_EQ(g_MovieEditor.refresh[MOVIE_DIALOG_MAIN], 1u);   // the mode buttons follow
  }
}

// [SECTION] actors

TEST_F(MovieEditTest, FullTablesRefuseActorsAndChangeNothing) {
  const struct { i32 count, kind; bool added; } cases[] = {
      {7, MOVIE_KIND_OBJ2, true}, {8, MOVIE_KIND_OBJ2, false},
      {31, MOVIE_KIND_BONE2, true}, {32, MOVIE_KIND_BONE2, false},
      {255, MOVIE_KIND_MESSAGE, true}, {256, MOVIE_KIND_MODEL3, false}, {256, MOVIE_KIND_SOUND, false},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << c.count << " " << c.kind);
    Movie_NewDocument(View_CurrentLayout(), &g_Sel);
    Boxes().clear();
    // A record left over past the count is replaced, not leaked (the sanitizer checks).
    if (c.count < MOVIE_MAX_OBJECTS) Movie_AllocObject(c.count)->kind = MOVIE_KIND_SCENE;
    g_Movie.objectCount = c.count;
    g_Sel.g_CurSlot = 0;
    EXPECT_EQ(Movie_AddActor(c.kind), c.added);
    EXPECT_EQ(g_Movie.objectCount, c.count + (c.added ? 1 : 0));
    if (c.added) {
      EXPECT_EQ(g_Sel.g_CurSlot, (u32)c.count);
      EXPECT_EQ(g_Movie.objects[c.count]->kind, c.kind);
      EXPECT_EQ(g_Movie.objects[c.count]->keyCount, 1);
      EXPECT_TRUE(Boxes().empty());
    } else {
      EXPECT_EQ(g_Sel.g_CurSlot, 0u);
      ASSERT_EQ(Boxes().size(), 1u);
      EXPECT_EQ(Boxes()[0], "これ以上 追加できません。");
    }
    g_Movie.objectCount = 2;
  }
}

// An object holds 16 keys: the button, a double click in the strip and a paste at a frame
// without a key are refused with the limit; at a keyed frame they still work without a word.
TEST_F(MovieEditTest, ASeventeenthKeyIsRefusedWithTheLimit) {
  const struct { void (*press)(void); bool atKey; } cases[] = {
      {[] { MovieDlg_Command(MOVIE_DIALOG_KEY, IDC_MOVIE_KEY_CREATE); }, false},
      {[] { MovieDlg_DoubleClick(); }, false},
      {[] { MovieDlg_Command(MOVIE_DIALOG_KEY, IDC_MOVIE_KEY_PASTE); }, false},
      {[] { MovieDlg_Command(MOVIE_DIALOG_KEY, IDC_MOVIE_KEY_CREATE); }, true},
  };
  for (const auto &c : cases) {
    Movie_NewDocument(View_CurrentLayout(), &g_Sel);
    g_Sel.g_CurSlot = 0;
    for (i32 f = 1; f < MOVIE_MAX_KEYS; f++) {
      g_MovieScene.frame = f * 2;
      ASSERT_TRUE(Movie_EnsureKeyAtFrame());
    }
    ASSERT_EQ(Movie_CurrentObject()->keyCount, MOVIE_MAX_KEYS);
    Boxes().clear();
    g_MovieScene.frame = c.atKey ? 4 : 5;
    c.press();
    EXPECT_EQ(Movie_CurrentObject()->keyCount, MOVIE_MAX_KEYS);
    if (c.atKey) EXPECT_TRUE(Boxes().empty());
    else EXPECT_EQ(Boxes(), (std::vector<std::string>{"キーは 1 つのオブジェクトに 16 個までです。"}));
  }
}

TEST_F(MovieEditTest, ClearStartsAModelActorOverAndLeavesOthers) {
  ASSERT_TRUE(Movie_AddActor(MOVIE_KIND_IMAGE));
  EXPECT_EQ(Key(2).position[0], 320.0f);
  EXPECT_FALSE(Movie_ClearModelActor());
  ASSERT_TRUE(Movie_AddActor(MOVIE_KIND_MODEL3));
  g_MovieScene.frame = 50;
  Movie_LButtonDown(Hook_At(0, 0));
  Key(3).position[1] = 7;
  ASSERT_EQ(g_Movie.objects[3]->keyCount, 2);
  Movie_Command(Hook_Command(IDM_MOVIE_CLEAR));
  EXPECT_EQ(g_Movie.objects[3]->keyCount, 1);
  EXPECT_EQ(Key(3).position[1], 0.0f);
  EXPECT_EQ(Key(3).scale[2], 1.0f);
  EXPECT_EQ(g_Movie.objectCount, 4);
}

// [SECTION] playback and the family switch

TEST_F(MovieEditTest, PlaybackClampsItsRangeAndStopRestoresTheFrame) {
  g_MovieScene.frame = 42;
  SetInt(IDC_MOVIE_PLAY_START, 500);
  SetInt(IDC_MOVIE_PLAY_END, 0);
  Movie_KeyUp(Hook_Key('A'));
  EXPECT_EQ(g_MovieScene.playStart, 179);
  EXPECT_EQ(g_MovieScene.playEnd, 1);
  EXPECT_EQ(g_MovieScene.frame, 179);
  EXPECT_EQ(g_Movie.playState, (u32)MOVIE_PLAYING);
  EXPECT_EQ(g_MovieScene.loopFlag, 1);
  EXPECT_EQ(WidgetFake_Text(KeyDlg(), IDC_MOVIE_PLAY), "停止(A)");
  // The key dialog's refresh (as after a chained movie is read) keeps naming the stop.
  WidgetFake_SetText(KeyDlg(), IDC_MOVIE_PLAY, "再生(A)");
  MovieDlg_Refresh(MOVIE_DIALOG_KEY);
  EXPECT_EQ(WidgetFake_Text(KeyDlg(), IDC_MOVIE_PLAY), "停止(A)");
  App_MarkAllRedraw(View_CurrentLayout());
  Movie_Update(Hook_Now());   // only view 4 is left to draw, the main view 0 included
  for (u32 i = 0; i < 5; i++) EXPECT_EQ(g_Shell.g_Views[FAMILY_MOVIE][i].redraw, i == 4 ? 1u : 0u) << i;
  g_MovieScene.frame = 100;
  Movie_KeyUp(Hook_Key('A'));
  EXPECT_EQ(g_MovieScene.frame, 42);
  EXPECT_EQ(g_Movie.playState, (u32)MOVIE_STOPPED);
  EXPECT_EQ(g_Lib.runState, 6u);
  EXPECT_EQ(WidgetFake_Text(KeyDlg(), IDC_MOVIE_PLAY), "再生(A)");
}

// The end of the play range through the shell's clock: with the loop box checked the movie
// goes back to the loop start and plays on; without it playback stops and the frame from
// before comes back. A recording at interval 2 poses the start frame first, then every
// second frame, and its end stops the writer and returns to run state 6.
TEST_F(MovieEditTest, TheShellsClockLoopsStopsAndRecordsEverySecondFrame) {
  const ShellEntries saved = g_ShellEntries;
  Movie_InstallTick();
  SetInt(IDC_MOVIE_PLAY_START, 0);
  SetInt(IDC_MOVIE_PLAY_END, 10);
  const struct { bool loop; i32 frame; u32 state; } ends[] = {{true, 0, MOVIE_PLAYING}, {false, 42, MOVIE_STOPPED}};
  for (const auto &c : ends) {
    SCOPED_TRACE(c.loop);
    g_MovieScene.frame = 42;
    SetLoop(c.loop);
    Movie_StartPlayback(View_CurrentLayout());
    g_Lib.frameDelta = 4.0f;
    Play_TickMovie();
    Play_TickMovie();
    EXPECT_EQ(g_MovieScene.frame, 8);
    EXPECT_EQ(Play_TickMovie(), c.loop ? PLAY_MOVIE_LOOPED : PLAY_MOVIE_STOPPED);
    EXPECT_EQ(g_MovieScene.frame, c.frame);
    EXPECT_EQ(g_Movie.playState, c.state);
    EXPECT_EQ(g_Lib.runState, 6u);
    if (c.loop) Movie_StopPlayback(View_CurrentLayout());
  }
  g_MovieScene.frame = 33;
  g_f.aviStops = 0;
  ASSERT_TRUE(Movie_RecordAvi("clip", 2));
  std::vector<i32> posed;
  for (int pass = 0; pass < 20 && g_Movie.playState == MOVIE_PLAYING; pass++)
    if (Play_TickMovie() == PLAY_MOVIE_STEPPED) posed.push_back(g_MovieScene.frame);
  EXPECT_EQ(posed, (std::vector<i32>{0, 2, 4, 6, 8}));
  EXPECT_EQ(g_f.aviStops, 1);
  EXPECT_EQ(g_Lib.runState, 6u);
  EXPECT_EQ(g_MovieScene.frame, 33);
  g_ShellEntries = saved;
}

TEST_F(MovieEditTest, LeavingAnEditedMovieAsksFirst) {
  g_ShellSeam.askYesNo = Ask;
  g_questions.clear();
  ASSERT_TRUE(Movie_AddActor(MOVIE_KIND_MODEL3));
  App_SwitchFamily(FAMILY_PROGRAM);
  App_SwitchTo3DFamily();
  EXPECT_EQ(g_Shell.g_EditFamily, (u32)FAMILY_MOVIE);
  ASSERT_EQ(g_questions.size(), 2u);
  EXPECT_EQ(g_questions[1], "編集中のムービーは破棄されます。よろしいですか？");
}

// [SECTION] rendering

TEST_F(MovieEditTest, RenderRules) {
  const struct { i32 interval, clamped; u32 rate; } rates[] = {{2, 2, 30}, {1, 1, 60}, {0, 1, 60}, {-5, 1, 60}, {61, 60, 1}};
  for (const auto &r : rates) {
    EXPECT_EQ(Movie_ClampInterval(r.interval), r.clamped) << r.interval;
    EXPECT_EQ(Movie_FrameRate(r.interval), r.rate) << r.interval;
  }
  const struct { i32 w, h, rect[4]; } rects[] = {{1280, 1024, {320, 272, 960, 752}}, {1281, 961, {320, 240, 960, 720}}};
  for (const auto &r : rects) {
    i32 rect[4];
    Movie_BmpRect(r.w, r.h, rect);
    for (int i = 0; i < 4; i++) EXPECT_EQ(rect[i], r.rect[i]) << r.w << " " << i;
  }
  const struct { const char *path; bool video; } paths[] = {
      {"a.avi", true}, {"A.WMV", true}, {"dir.x/c.Mpg", true}, {"b.mid", false}, {"avi", false}, {"d.avix", false}};
  for (const auto &p : paths) EXPECT_EQ(Movie_IsVideoPath(p.path), p.video) << p.path;
}

TEST_F(MovieEditTest, SavingAFrameNamesItRestoresTheViewAndReportsFailures) {
  g_Lib.screenWidth = 1280, g_Lib.screenHeight = 960;
  View_Active()->kind = VIEW_TOP;
  g_Shell.g_DrawView = 3;
  g_MovieScene.frame = 12;
  EXPECT_TRUE(Movie_SaveFrameBmp("shot"));
  ASSERT_EQ(g_f.saved.size(), 1u);
  EXPECT_EQ(g_f.saved[0], "shot.BMP 320 240 960 720");
  EXPECT_EQ(g_f.drawnAtSave, 4u);   // the movie camera's view
  EXPECT_EQ(View_Active()->kind, (u32)VIEW_TOP);
  EXPECT_EQ(g_Shell.g_DrawView, 3u);
  EXPECT_EQ(g_MovieScene.frame, 12);
  EXPECT_EQ(Boxes(), std::vector<std::string>{std::string(g_Lib.rootDir) + "\\shot.BMP に保存しました。"});
  Boxes().clear();
  EXPECT_FALSE(Movie_SaveFrameBmp(""));
  g_f.saveOk = false;
  EXPECT_FALSE(Movie_SaveFrameBmp("x"));
  ASSERT_EQ(Boxes().size(), 2u);
  EXPECT_EQ(Boxes()[0], "ファイル名が指定されていません。");
  EXPECT_EQ(Boxes()[1], "x.BMP に保存することができませんでした。");
  EXPECT_EQ(g_f.saved.size(), 2u);
}

TEST_F(MovieEditTest, RecordingAnAviPlaysOnceAndRestoresTheFrame) {
  g_MovieScene.frame = 33;
  // A video BGM is left out (while it plays nothing is drawn); the end names the file.
  WriteFileBytes(Path("v.avi"), std::string("-"));
  Str_Copy(g_MovieScene.bgmFileName, sizeof g_MovieScene.bgmFileName, "v.avi");
  g_MovieScene.bgmPresent = 1;
  EXPECT_TRUE(Movie_RecordAvi("clip", 2));
  EXPECT_EQ(g_f.aviRate, 30u);
  EXPECT_EQ(g_Lib.renderInterval, 2);
  EXPECT_EQ(g_Lib.runState, 8u);
  EXPECT_EQ(g_Movie.playState, (u32)MOVIE_PLAYING);
  EXPECT_EQ(g_MovieScene.loopFlag, 0);   // the checked loop box does not keep it recording
  EXPECT_EQ(g_MovieScene.frame, 0);
  Movie_StopPlayback(View_CurrentLayout());
  EXPECT_EQ(g_f.aviStops, 1);
  EXPECT_EQ(g_MovieScene.frame, 33);
  EXPECT_EQ(g_Lib.runState, 6u);
  EXPECT_EQ(Boxes(), (std::vector<std::string>{std::string(g_Lib.rootDir) + "\\clip.avi に保存しました。",
                                               "BGM の動画は、ＡＶＩ には入っていません。"}));

  g_f.aviOk = false;
  EXPECT_FALSE(Movie_RecordAvi("clip", 0));
  EXPECT_EQ(g_f.aviRate, 60u);
  EXPECT_EQ(g_Movie.playState, (u32)MOVIE_STOPPED);
  EXPECT_EQ(g_MovieScene.frame, 33);
}

TEST_F(MovieEditTest, VideoWindowKnowsVideoFromMusicAndRefusesWhatItCannotPlay) {
  EXPECT_TRUE(Movie_OpenVideoWindow("m.avi", 1));
  EXPECT_EQ(g_D3DApp.videoActive, 1);
  EXPECT_STREQ(g_D3DApp.videoPath, "m.avi");
  EXPECT_TRUE(Movie_OpenVideoWindow("m.mid", 0));
  EXPECT_EQ(g_D3DApp.videoActive, 0);
  EXPECT_TRUE(Movie_OpenVideoWindow("m.avi", 1));
  EXPECT_FALSE(Movie_OpenVideoWindow("notes.txt", 1));
  EXPECT_EQ(g_D3DApp.videoActive, 0);
}

}  // namespace
