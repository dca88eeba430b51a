// The per-frame update: the playback clock, navigation, Z-drag zoom, the window title, the
// movie clock, the strips' key marks, the list mirror, the frame light, the render dialog's
// file and the sketch choices.
#include <gtest/gtest.h>

#include <math.h>
#include <string>
#include <vector>

#include "app/current.h"
#include "tests/support/hook_at.h"
#include "app/nav.h"
#include "app/play.h"
#include "app/preview.h"
#include "app/settings.h"
#include "app/shell_options.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/sketch.h"
#include "app/startup_state.h"
#include "app/tree.h"
#include "app/strip.h"
#include "app/update.h"
#include "app/views.h"
#include "lib/draw/camera.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/view_record.h"
#include "lib/media/dialogs.h"
#include "model/seam.h"
#include "resources/tools_ids.h"
#include "shell_fixture.h"

namespace {
std::vector<std::string> g_Boxes;
int g_TimerResets;
void RecordBox(const char *t) { g_Boxes.push_back(t); }
void CountReset(void) { g_TimerResets++; }

// The playback entries of g_ShellEntries back to empty (the movie's and the panels').
void ClearPlayEntries() {
  ShellEntries &e = g_ShellEntries;
  e.movieFrame = nullptr;
  e.movieFraction = nullptr;
  e.movieEndFrame = nullptr;
  e.movieSnapshotKeys = nullptr;
  e.movieStep = nullptr;
  e.movieEnd = nullptr;
  e.movieRefreshLists = nullptr;
  e.movieHoldOnce = nullptr;
  e.obj2KeyPanelRefresh = nullptr;
  e.motionPanelRefresh = nullptr;
  e.obj2Loop = nullptr;
  e.bone2KeyPanelRefresh = nullptr;
  e.bone2Loop = nullptr;
  e.model3Loop = nullptr;
}

// The per-frame update's entries: the platform's window calls and the editors' entries.
void ClearFrameEntries() {
  g_ShellSeam.findActiveView = nullptr;
  g_ShellSeam.setMainTitle = nullptr;
  g_ShellSeam.setScreenQuadColor = nullptr;
  g_ShellEntries.ed3dListTopIndex = nullptr;
  g_ShellEntries.list2DActive = nullptr;
  g_ShellEntries.list2DGetSel = nullptr;
  g_ShellEntries.list2DChanged = nullptr;
  g_ShellEntries.refreshGroupDialog = nullptr;
  g_ShellEntries.sceneDocument = nullptr;
}

void ResetAll() {
  Shell_ResetForTest();
  g_Boxes.clear();
  g_TimerResets = 0;
  g_Seam.errorBox = RecordBox;
  g_Seam.timerReset = CountReset;
  ClearPlayEntries();
  ClearFrameEntries();
  g_Lib.frameDelta = 1.0f;
  g_Lib.runState = 0;
  g_Shell.g_Playing = 0;
}

Model3 *ModelWithMotionLength(i32 length) {
  g_Sel.g_CurSlot = 0;
  g_ModelAllocArrays = 1;
  Model3 *m = Model3_Init(0);
  m->motions[m->motion].length = length;
  m->frame = 0;
  m->frameFraction = 0;
  return m;
}
}  // namespace

// Catches: a tick that subtracts the length once (a delta past the length leaves the frame
// outside the motion), a length of 0 that never wraps, and a huge delta walked frame by frame.
TEST(PlayClock, ModelTickAdvancesWholeFramesAndWrapsModuloLength) {
  struct Case { i32 length, frame; f32 fraction, delta; i32 wantFrame; f32 wantFraction; };
  const Case cases[] = {
      {10, 0, 0.0f, 2.5f, 2, 0.5f},     // two whole frames, half a frame kept
      {10, 0, 0.0f, 1.0f, 1, 0.0f},     // exactly one frame leaves nothing
      {10, 9, 0.0f, 1.0f, 0, 0.0f},     // the last frame wraps to the start
      {10, 8, 0.5f, 25.0f, 3, 0.5f},    // several lengths at once: modulo, not once
      {0, 5, 0.0f, 3.0f, 0, 0.0f},      // no length holds frame 0
      {-4, 2, 0.0f, 1.0f, 0, 0.0f},
      {10, 0, 0.0f, NAN, 0, 0.0f},      // no time
      {10, 4, 0.0f, -3.0f, 4, 0.0f},
      {7, 0, 0.0f, 1e6f, 1000000 % 7, 0.0f},
  };
  for (const Case &c : cases) {
    ResetAll();
    Model3 *m = ModelWithMotionLength(c.length);
    m->frame = c.frame;
    m->frameFraction = c.fraction;
    g_Lib.frameDelta = c.delta;
    Play_TickByRunState(4);
    EXPECT_EQ(m->frame, c.wantFrame) << c.length << " " << c.delta;
    EXPECT_FLOAT_EQ(m->frameFraction, c.wantFraction) << c.length << " " << c.delta;
    EXPECT_EQ(g_Shell.g_Playing, 1u);
  }
  // A delta of 1e30 costs no more than one of 1.
  i32 f = 3;
  f32 fr = 0;
  EXPECT_GT(Play_AdvanceFrame(&f, &fr, 1e30f, 9), 0);
  EXPECT_GE(f, 0);
  EXPECT_LT(f, 9);
  // Without a model nothing plays on.
  ResetAll();
  Model3_FreeSlot(0);
  g_Shell.g_Playing = 1;
  g_Lib.runState = 4;
  g_Shell.g_EditFamily = FAMILY_3D_MODEL;
  g_Shell.g_EditSubMode = SUB_3D_MOTION;
  App_UpdateFrame();
  EXPECT_EQ(g_Shell.g_Playing, 0u);
}

// Catches swapped signs or factors per view kind, a perspective pan that ignores the camera,
// an orbit past the pole, and an inverted clamp on a small desktop.
TEST(Navigation, PanSignsByViewKindOrbitClampAnd2DFrame) {
  struct Case { u32 family, kind; f32 zoom; f32 want[3]; };
  const Case cases[] = {
      {FAMILY_3D_MODEL, VIEW_FRONT, 2.0f, {-10 * 0.0125f, 4 * 0.0125f, 0}},
      {FAMILY_3D_MODEL, VIEW_TOP, 2.0f, {-10 * 0.0125f, 0, -4 * 0.0125f}},
      {FAMILY_3D_MODEL, VIEW_SIDE, 2.0f, {0, 4 * 0.0125f, 10 * 0.0125f}},
      {FAMILY_MOVIE, VIEW_PERS, 2.0f, {10, 4, 0}},
  };
  for (const Case &c : cases) {
    ViewRecord v = {};
    v.kind = c.kind;
    v.zoom = c.zoom;
    Nav_Pan3D(&v, c.family, 10, 4, -20, 20);
    EXPECT_NEAR(v.panX, c.want[0], 1e-5f) << c.kind;
    EXPECT_NEAR(v.panY, c.want[1], 1e-5f) << c.kind;
    EXPECT_NEAR(v.panZ, c.want[2], 1e-5f) << c.kind;
  }
  // Perspective: the pixel offset turned like the camera, scaled by zoom * 0.013.
  ViewRecord p = {};
  p.kind = VIEW_MAIN;
  p.zoom = 3.0f;
  Nav_Pan3D(&p, FAMILY_3D_MODEL, 10, 0, 0, 90);
  EXPECT_NEAR(p.panX, 0, 1e-4f);
  EXPECT_NEAR(p.panZ, -10 * 3.0f * 0.013f, 1e-4f);
  // A zero zoom does not divide by zero.
  ViewRecord z = {};
  z.kind = VIEW_FRONT;
  Nav_Pan3D(&z, FAMILY_3D_MODEL, 1, 1, 0, 0);
  EXPECT_TRUE(isfinite(z.panX));

  EXPECT_EQ(Nav_Decide(false, true, false, VIEW_FRONT), NAV_PAN);
  EXPECT_EQ(Nav_Decide(true, false, true, VIEW_MAIN), NAV_PAN);
  EXPECT_EQ(Nav_Decide(false, false, true, VIEW_MAIN), NAV_ORBIT);
  EXPECT_EQ(Nav_Decide(false, false, true, VIEW_PERS), NAV_NONE);
  EXPECT_EQ(Nav_Decide(true, true, false, VIEW_MAIN), NAV_NONE);
  f32 ax = 0, ay = 80;
  for (int i = 0; i < 10; i++) Nav_Orbit(&ax, &ay, 5, 20);
  EXPECT_FLOAT_EQ(ay, 89.9f);
  EXPECT_FLOAT_EQ(ax, 10.0f);
  Nav_Orbit(&ax, &ay, 0, -2000);
  EXPECT_FLOAT_EQ(ay, -89.9f);

  // 1280 x 1024: x within -319..318, y within -271..348.
  ViewRecord f = {};
  Nav_Pan2D(&f, 5000, -5000, 640, 512);
  EXPECT_FLOAT_EQ(f.panX, 318);
  EXPECT_FLOAT_EQ(f.panY, -271);
  Nav_Pan2D(&f, -10000, 10000, 640, 512);
  EXPECT_FLOAT_EQ(f.panX, -319);
  EXPECT_FLOAT_EQ(f.panY, 348);
  // 600 x 400 leaves no range: the frame is centred between the limits whatever the drag.
  for (f32 d : {-500.0f, 0.0f, 500.0f}) {
    Nav_Pan2D(&f, d, d, 300, 200);
    EXPECT_FLOAT_EQ(f.panX, -0.5f);
    EXPECT_FLOAT_EQ(f.panY, 38.5f);
  }
}

// Catches a Z-drag that goes the wrong way for a view kind or family, or reaches zero.
TEST(Navigation, ZDragZoomDirectionsAndFloor) {
  struct Case { u32 family, sub, kind; bool left, right; f32 wantZoomSign, wantStepSign; };
  const Case cases[] = {
      {FAMILY_3D_MODEL, SUB_3D_POLY, VIEW_MAIN, true, false, -1, 0},
      {FAMILY_3D_MODEL, SUB_3D_POLY, VIEW_FRONT, true, false, +1, 0},
      {FAMILY_3D_MODEL, SUB_3D_POLY, VIEW_MAIN, false, true, +1, 0},
      {FAMILY_3D_MODEL, SUB_3D_OBJMOTION, VIEW_MAIN, true, false, -1, 0},
      {FAMILY_PREVIEW, 0, VIEW_MAIN, true, false, -1, 0},
      {FAMILY_COLLISION, FAMILY_COLLISION, VIEW_MAIN, true, false, 0, -1},
      {FAMILY_COLLISION, FAMILY_COLLISION, VIEW_TOP, true, false, +1, 0},
      {FAMILY_COLLISION, FAMILY_COLLISION, VIEW_MAIN, false, true, 0, +1},
      {FAMILY_3D_MODEL, SUB_3D_POLY, VIEW_MAIN, false, false, 0, 0},
  };
  for (const Case &c : cases) {
    ViewRecord v = {};
    v.kind = c.kind;
    v.zoom = 2.0f;
    f32 step = 3.2f;
    Nav_ZZoom(&v, &step, c.family, c.sub, c.left, c.right, 1.0f);
    f32 dz = v.zoom - 2.0f, ds = step - 3.2f;
    EXPECT_EQ((dz > 0) - (dz < 0), (int)c.wantZoomSign) << c.family << " " << c.kind;
    EXPECT_EQ((ds > 0) - (ds < 0), (int)c.wantStepSign) << c.family << " " << c.kind;
  }
  // A long pass (or many) never takes the zoom or the step to zero or below.
  ViewRecord v = {};
  v.kind = VIEW_MAIN;
  v.zoom = 0.5f;
  f32 step = 0.01f;
  for (int i = 0; i < 50; i++) Nav_ZZoom(&v, &step, FAMILY_3D_MODEL, SUB_3D_POLY, true, false, 100.0f);
  EXPECT_FLOAT_EQ(v.zoom, g_ViewMinZoom);
  v.zoom = 1000.0f;
  Nav_ZZoom(&v, &step, FAMILY_2D_MAP, FAMILY_2D_MAP, true, false, 100.0f);
  EXPECT_FLOAT_EQ(step, g_ViewMinZoom);
}

namespace {
bool SceneDoc(u32 family, const char **name, i32 *version) {
  if (family != FAMILY_MOVIE) return false;
  *name = "a.KZV";
  *version = 2006060;
  return true;
}
std::string g_Title;
void RecordTitle(const char *t) { g_Title = t; }
}  // namespace

// Catches a wrong document per family, a version shown for a foreign preview file, a null
// name passed to "%s", and a title set more often than every 61st pass.
TEST(WindowTitle, TextPerFamilyEvery61Passes) {
  ResetAll();
  Model3 *m = ModelWithMotionLength(10);
  m->polygonCount = 1;
  g_ShellEntries.sceneDocument = SceneDoc;
  struct Case { u32 family, sub; const char *file; const char *want; };
  const Case cases[] = {
      {FAMILY_3D_MODEL, SUB_3D_POLY, "cube.kzp", " Miravel   cube.kzp ( Ver 2006.000 )"},
      {FAMILY_PREVIEW, 0, "cube.KZP", " Miravel   cube.KZP ( Ver 2006.000 )"},
      {FAMILY_PREVIEW, 0, "cube.mqo", " Miravel   cube.mqo"},
      {FAMILY_MOVIE, FAMILY_MOVIE, "x", " Miravel   a.KZV ( Ver 2006.060 )"},
      {FAMILY_COLLISION, FAMILY_COLLISION, "x", " Miravel"},
      {FAMILY_2D_MAP, FAMILY_2D_MAP, "x", " Miravel"},
      {FAMILY_PROGRAM, FAMILY_PROGRAM, "x", " Miravel"},
      {FAMILY_2D_MODEL, SUB_2D_OBJECT, "x", " Miravel"},   // no 2D object model
  };
  for (const Case &c : cases) {
    free(m->fileName);
    m->fileName = strdup(c.file);
    m->version = 2006000;
    TitleDoc d = Title_DocOf(c.family, c.sub);
    char text[TITLE_TEXT];
    Title_Format(text, sizeof text, g_AppCaption, &d);
    EXPECT_STREQ(text, c.want) << c.family;
  }
  TitleDoc nullName = {TITLE_NAME_VERSION, nullptr, 2006000};
  char text[TITLE_TEXT];
  Title_Format(text, sizeof text, "Miravel", &nullName);
  EXPECT_STREQ(text, " Miravel    ( Ver 2006.000 )");

  g_ShellSeam.setMainTitle = RecordTitle;
  g_Shell.g_EditFamily = FAMILY_3D_MODEL;
  g_Shell.g_EditSubMode = SUB_3D_POLY;
  g_Shell.g_TitleCounter = 0;
  g_Title.clear();
  int sets = 0;
  for (int i = 0; i < 122; i++) sets += App_TickTitle();
  EXPECT_EQ(sets, 2);
  EXPECT_EQ(g_Title, " Miravel   x ( Ver 2006.000 )");
}

namespace {
i32 g_Frame;
f32 g_Fraction;
int g_Steps, g_Snapshots, g_Lists;
i32 g_EndResult;
i32 EndAt100(void) { return 100; }
void Step(void) { g_Steps++; }
void Snap(void) { g_Snapshots++; }
void Lists(void) { g_Lists++; }
i32 End(void) {
  if (g_EndResult == PLAY_MOVIE_CHAINED) g_Frame = 0;
  if (g_EndResult == PLAY_MOVIE_LOOPED) g_Frame = 10;
  return g_EndResult;
}
void InstallMovie() {
  g_ShellEntries.movieFrame = &g_Frame;
  g_ShellEntries.movieFraction = &g_Fraction;
  g_ShellEntries.movieEndFrame = EndAt100;
  g_ShellEntries.movieSnapshotKeys = Snap;
  g_ShellEntries.movieStep = Step;
  g_ShellEntries.movieEnd = End;
  g_ShellEntries.movieRefreshLists = Lists;
  g_Frame = 0;
  g_Fraction = 0;
  g_Steps = g_Snapshots = g_Lists = 0;
}
}  // namespace

// Catches a recorded movie that follows the wall clock, an end branch without its timer
// reset or list refresh, and a movie step run at the end.
TEST(MovieClock, RecordingStepsAndEndBranches) {
  ResetAll();
  InstallMovie();
  g_Lib.runState = 8;
  g_Lib.renderInterval = 3;   // g_AviFrameStep
  g_Lib.frameDelta = 7.0f;
  for (int i = 0; i < 4; i++) EXPECT_EQ(Play_TickMovie(), PLAY_MOVIE_STEPPED);
  EXPECT_EQ(g_Frame, 12);
  EXPECT_EQ(g_Steps, 4);
  EXPECT_EQ(g_Snapshots, 4);

  g_Lib.runState = 6;
  g_Lib.frameDelta = 1.5f;
  Play_TickMovie();
  Play_TickMovie();
  EXPECT_EQ(g_Frame, 15);
  EXPECT_FLOAT_EQ(g_Fraction, 0.0f);

  struct Case { i32 branch; i32 wantFrame; int wantLists; };
  const Case cases[] = {{PLAY_MOVIE_CHAINED, 0, 1}, {PLAY_MOVIE_LOOPED, 10, 0}, {PLAY_MOVIE_STOPPED, 100, 0}};
  for (const Case &c : cases) {
    InstallMovie();
    g_TimerResets = 0;
    g_Frame = 99;
    g_Lib.frameDelta = 1.0f;
    g_EndResult = c.branch;
    EXPECT_EQ(Play_TickMovie(), c.branch);
    EXPECT_EQ(g_Frame, c.wantFrame);
    EXPECT_EQ(g_Lists, c.wantLists);
    EXPECT_EQ(g_TimerResets, 1);
    EXPECT_EQ(g_Steps, 0);
  }
  // Without the movie's entries, or with screen output off, nothing moves.
  ClearPlayEntries();
  EXPECT_EQ(Play_TickMovie(), PLAY_MOVIE_IDLE);
  InstallMovie();
  g_FrameOutputSuppressed = 1;
  EXPECT_EQ(Play_TickMovie(), PLAY_MOVIE_IDLE);
  g_FrameOutputSuppressed = 0;
}

namespace {
i32 SelAnswer(i32 row) { return row < 3 ? (row == 1 ? 1 : 0) : -1; }
bool Active(void) { return true; }
}  // namespace

// Catches rows past 16 keys written beyond the row, a count cut to 16, and LB_ERR past the
// last list row read as "selected".
TEST(StripsAndLists, KeysCappedAt16WithRealCountAndListErrIsUnselected) {
  ResetAll();
  Model3 *m = ModelWithMotionLength(60);
  ASSERT_TRUE(Model3_EnsureKeyTable(m, 0));
  for (i32 k = 0; k < 20; k++) {
    BoneKey3 key;
    BoneKey3_Identity(&key, (u32)(k * 2));
    ASSERT_GE(KeyTrack_Insert(&m->bones[0].keys[m->motion], &key), 0);
  }
  i32 total = m->bones[0].keys[m->motion].count;
  memset(&g_TreeRows, 0, sizeof g_TreeRows);
  g_TreeRows.count = 1;
  g_TreeRows.rows[0].item = 0;
  for (i32 &r : g_TreeRows.rows[0].reserved1) r = 0x5a5a;
  g_Shell.g_EditFamily = FAMILY_3D_MODEL;
  g_Shell.g_EditSubMode = SUB_3D_MOTION;
  Strip_CopyKeys3D(Hook_Now());
  EXPECT_EQ(g_TreeRows.rows[0].keyCount, total);
  EXPECT_GE(total, 20);
  for (i32 k = 0; k < TREE_ROW_KEYS; k++) EXPECT_EQ(g_TreeRows.rows[0].keyFrames[k], (i32)m->bones[0].keys[m->motion].keys[k].frame);
  EXPECT_EQ(g_TreeRows.rows[1].keyCount, 0);   // the next row untouched

  g_ShellEntries.list2DActive = Active;
  g_ShellEntries.list2DGetSel = SelAnswer;
  for (u32 &s : g_Shell.g_ListSelMirror) s = 7;
  App_MirrorListSelection();
  EXPECT_EQ(g_Shell.g_ListSelMirror[0], 0u);
  EXPECT_EQ(g_Shell.g_ListSelMirror[1], 1u);
  EXPECT_EQ(g_Shell.g_ListSelMirror[5], 0u);
  EXPECT_EQ(g_Shell.g_ListSelMirror[127], 0u);
}

// Catches the light left at the origin (inside the model): it is placed at the eye of
// view 0, which the camera looks from, and the frame's colour and ambient are set.
TEST(FrameLight, FromTheEyeOfViewZero) {
  ResetAll();
  g_Shell.g_EditFamily = FAMILY_3D_MODEL;
  g_Shell.g_EditSubMode = SUB_3D_POLY;
  ViewRecord *v = &g_Shell.g_Views[SUB_3D_POLY][0];
  v->panY = 8;
  v->zoom = 3.2f;
  g_Shell.g_PerspAngleX = -20;
  g_Shell.g_PerspAngleY = 20;
  g_Options.g_ToonInEffect = 0;
  App_SetFrameCameraAndLights();
  f32 eye[3];
  View_PerspectiveEye(v, -20, 20, eye);
  for (int a = 0; a < 3; a++) {
    EXPECT_FLOAT_EQ(g_Camera.eye[a], eye[a]);
    EXPECT_FLOAT_EQ(g_Camera.light.vector[a], eye[a]);
  }
  EXPECT_FLOAT_EQ(g_Camera.target[1], 8);
  EXPECT_GT(eye[1] * eye[1] + eye[2] * eye[2], 100.0f);   // well away from the model
  EXPECT_FLOAT_EQ(g_Camera.light.diffuse[0], 1.0f);
  g_Shell.g_EditFamily = FAMILY_MOVIE;
  App_SetFrameCameraAndLights();
  EXPECT_FLOAT_EQ(g_Camera.light.vector[0], -500);
}

namespace {
std::vector<std::string> g_Saved;
bool g_SaveOk;
bool Save(const char *name) { g_Saved.push_back(name); return g_SaveOk; }
std::string g_DlgDefault;
const char *g_DlgAnswer;
bool RunDialog(FileDlgRequest *r) {
  g_DlgDefault = r->file;
  if (!g_DlgAnswer) return false;
  strcpy(r->fileTitle, g_DlgAnswer);
  strcpy(r->file, g_DlgAnswer);
  return true;
}
}  // namespace

// Catches an empty name saved as ".BMP", a 255-character name overflowing, a failed save
// reported as nothing, and a sketch choice that loses the previous image or name.
TEST(RenderAndSketch, FileNamesAndFailures) {
  ResetAll();
  g_ShellSeam.previewSaveBackBuffer = Save;
  g_SaveOk = true;
  EXPECT_FALSE(Preview_Render(""));
  EXPECT_TRUE(g_Saved.empty());
  ASSERT_EQ(g_Boxes.size(), 1u);
  EXPECT_EQ(g_Boxes[0], "ファイル名が指定されていません。");
  EXPECT_TRUE(Preview_Render("shot"));
  EXPECT_EQ(g_Saved.back(), "shot.BMP");
  std::string longName(255, 'a');
  EXPECT_TRUE(Preview_Render(longName.c_str()));
  EXPECT_EQ(g_Saved.back(), longName + ".BMP");
  g_SaveOk = false;
  EXPECT_FALSE(Preview_Render("shot"));
  EXPECT_EQ(g_Boxes.back(), "shot.BMP に保存することができませんでした。");

  g_LibHooks.fileDlg.run = RunDialog;
  strcpy(g_Sketch.names[SKETCH_FRONT], "old.bmp");
  g_Sketch.images[SKETCH_FRONT] = ImageHandle{1, 7};
  g_DlgAnswer = nullptr;   // cancel
  g_Boxes.clear();
  EXPECT_TRUE(Sketch_Command(IDC_SKETCH_FRONT));
  EXPECT_EQ(g_DlgDefault, "old.bmp");
  EXPECT_STREQ(g_Sketch.names[SKETCH_FRONT], "old.bmp");
  EXPECT_TRUE(g_Boxes.empty());
  g_DlgAnswer = "broken.bmp";   // natively nothing loads: the failure path
  Sketch_Command(IDC_SKETCH_FRONT);
  EXPECT_STREQ(g_Sketch.names[SKETCH_FRONT], "old.bmp");
  EXPECT_EQ(g_Sketch.images[SKETCH_FRONT].row, 7);
  ASSERT_EQ(g_Boxes.size(), 1u);
  EXPECT_EQ(g_Boxes[0], "broken.bmp を開くことができませんでした。");
  EXPECT_STREQ(g_Sketch.names[SKETCH_TOP], "");
  u32 shown = g_Sketch.show;
  EXPECT_TRUE(Sketch_Command(IDC_SKETCH_SHOW));
  EXPECT_NE(g_Sketch.show, shown);
  EXPECT_FALSE(Sketch_Command(IDC_SKETCH_CLOSE));   // "閉じる" is the dialog's own
  g_LibHooks.fileDlg.run = nullptr;
  g_Sketch = SketchState{};
}
