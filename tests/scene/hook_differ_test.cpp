// The scene families' hooks and the shell's steps under the editors act on the records their
// context hands them: each runs once on the shell's records and once on copies while the
// shell's hold other values (tests/support/hook_differ.h).
#include "tests/support/hook_differ.h"

#include <string.h>

#include "app/docflags.h"
#include "app/drag_anchors.h"
#include "app/nav.h"
#include "app/poly_select.h"
#include "app/shell_seam.h"
#include "lib/draw/camera.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/render/objects.h"
#include "model/model3.h"
#include "model/object.h"
#include "model/seam.h"
#include "scene/coli.h"
#include "scene/coli_edit.h"
#include "scene/effect_edit.h"
#include "scene/map2.h"
#include "scene/movie.h"
#include "scene/movie_edit.h"
#include "tests/support/shell_fixture.h"
#include "tests/support/widget_fake.h"

namespace {

void NoBox(const char *) {}
i32 FixedRandom(void) { return 7; }
// Screen = 10 x world (x, z) + 100.
void Project(f32 out[3], f32 x, f32, f32 z) {
  out[0] = 10.0f * x + 100.0f;
  out[1] = 10.0f * z + 100.0f;
  out[2] = 0.0f;
}

std::string Num(f32 v) { return std::to_string(v) + " "; }

// [SECTION] arrangements
// The family in its own layout with view 1 (a front view) active, the shell's selection
// cleared (its flag arrays kept and cleared), the mouse record at rest and no button held.
void ArrangeShell(u32 family, u32 subMode) {
  Shell_ResetForTest();
  g_Shell.g_EditFamily = family;
  g_Shell.g_EditSubMode = subMode;
  for (u32 i = 0; i < VIEWS_PER_LAYOUT; i++) {
    ViewRecord *v = View_Get(subMode, i);
    v->inUse = 1;
    v->kind = i < 5 ? i : (u32)VIEW_FRONT;
    v->zoom = 1.0f;
  }
  g_Shell.g_ActiveView = 1;
  g_Shell.g_PerspAngleX = -20.0f, g_Shell.g_PerspAngleY = 20.0f;
  Differ_SetShellSel(ShellSelection{});
  App_ForgetPolySelection(&g_Sel);
  g_Mouse = ShellMouse{};
  memset(g_Shell.g_DocChanged, 0, sizeof g_Shell.g_DocChanged);
}

// A movie with an image actor (slot 2, keys at 0 and 30) and a 3D model actor (slot 3, keys
// at 0 and 50), slot 2 current, at frame 10; the drag started at (100, 100) and the mouse
// record's last move is (4, -6).
void ArrangeMovie() {
  ArrangeShell(FAMILY_MOVIE, FAMILY_MOVIE);
  g_MovieEditor = MovieEditor{};
  Movie_NewDocument(View_CurrentLayout(), &g_Sel);
  g_Movie.playState = MOVIE_STOPPED;
  ASSERT_TRUE(Movie_AddActor(MOVIE_KIND_IMAGE));
  ASSERT_TRUE(Movie_AddActor(MOVIE_KIND_MODEL3));
  const i32 extra[2][2] = {{2, 30}, {3, 50}};
  for (const auto &e : extra) {
    g_Sel.g_CurSlot = (u32)e[0];
    g_MovieScene.frame = e[1];
    ASSERT_TRUE(Movie_EnsureKeyAtFrame());
  }
  View_Get(FAMILY_MOVIE, 1)->kind = VIEW_FRONT;
  g_MovieScene.frame = 10;
  g_Sel.g_CurSlot = 2;
  g_MovieEditor.anchorX = g_MovieEditor.anchorY = 100;
  g_Mouse.g_MouseMoveDX = 4, g_Mouse.g_MouseMoveDY = -6;
  memset(g_Shell.g_DocChanged, 0, sizeof g_Shell.g_DocChanged);
}

void ArrangeMovieDrag() {
  ArrangeMovie();
  g_MovieScene.frame = 0;
  Shell_SetButtonHeld(BUTTON_LEFT, 1);
}

void ArrangeMovieModelCurrent() {
  ArrangeMovie();
  g_Sel.g_CurSlot = 3;
  g_Movie.objects[3]->keys[0].position[0] = 9.0f;
}

// A collision set with boxes at screen x 100, 200 and 300 (box 1 current), character 0 at
// the origin, the move anchors at (100, 100).
void ArrangeColi() {
  ArrangeShell(FAMILY_COLLISION, FAMILY_COLLISION);
  g_ColiEdit = ColiEditor{};
  g_ColiEdit.curBox = g_ColiEdit.curCircle = -1;
  Coli_NewDocument();
  Model3_Init(0);
  Object_SetPosition(ObjectInit(0), 0, 0, 0);
  g_Coli.collide[0] = 1;
  g_SceneSeam.project = Project;
  Coli_SetTarget(COLI_TARGET_BOXES);
  for (i32 i = 0; i < 3; i++) {
    ASSERT_TRUE(Coli_AddBox());
    g_Coli.doc->boxes[i].x = 10.0f * (f32)i;
  }
  g_ColiEdit.curBox = 1;
  DragAnchors_SetAll(&g_Mouse, 100, 100);
}

void ArrangeColiDrag() {
  ArrangeColi();
  Shell_SetButtonHeld(BUTTON_LEFT, 1);
}

// The effect's first emitter with keys at frames 0 and 5, at frame 5; the left button held
// from (10, 10).
void ArrangeEffect() {
  ArrangeShell(FAMILY_EFFECT, FAMILY_EFFECT);
  Particle_FreeDocuments();
  memset(&g_ParticleEdit, 0, sizeof g_ParticleEdit);
  g_ParticleEdit.random = FixedRandom;
  ASSERT_TRUE(Effect_InitDocument(0));
  ParticleEmitter &em = g_ParticleEdit.docs[0]->emitters[0];
  em.keyCount = 2;
  em.keys[0].frame = 0;
  em.keys[1].frame = 5;
  g_MovieScene.frame = 5;
  DragAnchors_SetAll(&g_Mouse, 10, 10);
  Shell_SetButtonHeld(BUTTON_LEFT, 1);
}

// A new map painting tile 1, its main view at the family's pan.
void ArrangeMap2() {
  ArrangeShell(FAMILY_2D_MAP, FAMILY_2D_MAP);
  Map2_FreeDocument();
  memset(&g_Map2Editor, 0, sizeof g_Map2Editor);
  ASSERT_TRUE(Map2_AllocDocument());
  Map2_NewDocument();
  ViewRecord *v = View_Get(FAMILY_2D_MAP, 0);
  v->panX = -160.0f, v->panY = -120.0f;
  g_Map2Editor.currentTile = 1;
  g_Map2Editor.painting = 1;
}

// The 3D polygon sub-mode's front view with the middle button held (a pan) or Z and the left
// button (a zoom); the pan anchor at (100, 100), the mouse at (120, 90).
void ArrangeNav() {
  ArrangeShell(FAMILY_3D_MODEL, SUB_3D_POLY);
  g_Shell.g_Family2DFrame[FAMILY_3D_MODEL] = 0;
  DragAnchors_SetAll(&g_Mouse, 100, 100);
  g_Mouse.g_MouseX = 120, g_Mouse.g_MouseY = 90;
  g_Lib.frameDelta = 1.0f;
}

void ArrangePan() {
  ArrangeNav();
  Shell_SetButtonHeld(BUTTON_MIDDLE, 1);
}

void ArrangeZoom() {
  ArrangeNav();
  g_Mouse.g_ZKeyHeld = 1;
  Shell_SetButtonHeld(BUTTON_LEFT, 1);
}

// The face tool in face mode with the left button held.
void ArrangeRect() {
  ArrangeShell(FAMILY_3D_MODEL, SUB_3D_POLY);
  g_Sel.g_PolyTool = 5;
  g_Sel.g_PolySelectMode = 1;
  Shell_SetButtonHeld(BUTTON_LEFT, 1);
}

// The collision set drawn into the layout's main view: view 0 active, the printed lines kept.
std::string s_Printed;
void KeepPrint(i32 x, i32 y, const char *text) { s_Printed += std::to_string(x) + "," + std::to_string(y) + " " + text + "\n"; }

void ArrangeColiDraw() {
  ArrangeColi();
  g_Shell.g_ActiveView = 0;
  g_SceneSeam.print = KeepPrint;
  s_Printed.clear();
}

// The movie at play: the update leaves only the handed layout's view 4 flagged.
void ArrangeMoviePlaying() {
  ArrangeMovie();
  g_Movie.playState = MOVIE_PLAYING;
  for (u32 i = 0; i < VIEWS_PER_LAYOUT; i++) View_Get(FAMILY_MOVIE, i)->redraw = 1;
}

// The movie drawn in a side view (view 1 active): the path of the handed slot's object.
void ArrangeMovieSide() {
  ArrangeMovie();
  g_Shell.g_ActiveView = 1;
}

// [SECTION] hooks that are steps
void RectSelect(const HookCtx *c) {
  static const u32 kVerts[4] = {4, 5, 6, 7};
  PolyRectFace f = {2, kVerts, 4, 50.0f, 50.0f};
  PolyRect r = Poly_SortedRect(0, 0, 100, 100);
  Poly_RectSelectCorner(c->sel, &f, 0, c->x, c->y, &r, App_WorkFaceCount(), App_WorkVertCount());
}

// [SECTION] results
std::string MovieResult(const HookCtx *) {
  std::string t = "frame " + std::to_string(g_MovieScene.frame) + " objects " + std::to_string(g_Movie.objectCount);
  for (i32 n = 0; n < Movie_ObjectCount(); n++) {
    const MovieObject *o = g_Movie.objects[n];
    if (!o) continue;
    t += "\n" + std::to_string(n) + ": kind " + std::to_string(o->kind) + " keys " + std::to_string(o->keyCount);
    for (i32 k = 0; k < o->keyCount && k < MOVIE_MAX_KEYS; k++) {
      const MovieKey &key = o->keys[k];
      t += " [" + std::to_string(key.frame) + " ";
      for (f32 v : key.position) t += Num(v);
      for (f32 v : key.scale) t += Num(v);
      t += Num(key.angles[2]) + "]";
    }
  }
  return t + " changed " + std::to_string(Doc_IsChanged(DOC_MOVIE));
}

std::string ColiResult(const HookCtx *c) {
  if (!g_Coli.doc) return "no collision set";   // a leave gives it up
  std::string t = "box " + std::to_string(g_ColiEdit.curBox) + " ";
  for (i32 i = 0; i < 3; i++) {
    const ColiBox &b = g_Coli.doc->boxes[i];
    t += Num(b.x) + Num(b.z) + Num(b.angle) + Num(b.size);
  }
  return t + Differ_ViewText(*View_Get(c->layout, 0)) + " changed " + std::to_string(Doc_IsChanged(DOC_COLLISION));
}

std::string EffectResult(const HookCtx *) {
  if (!g_ParticleEdit.docs[0]) return "no effect";
  const ParticleEmitter &em = g_ParticleEdit.docs[0]->emitters[0];
  return Num(em.keys[0].x) + Num(em.keys[0].y) + Num(em.keys[1].x) + Num(em.keys[1].y);
}

std::string Map2Result(const HookCtx *) {
  const Map2Editor &e = g_Map2Editor;
  if (!e.doc) return "no map";
  std::string t = "cursor " + std::to_string(e.cursorX) + "," + std::to_string(e.cursorY) + " painting " +
                  std::to_string(e.painting) + " cells";
  for (i32 y = 0; y < e.doc->height; y++)
    for (i32 x = 0; x < e.doc->width; x++)
      if (e.doc->grid[y][x] == 1) t += " " + std::to_string(x) + "," + std::to_string(y);
  return t;
}

std::string NoResult(const HookCtx *) { return ""; }

std::string PrintedResult(const HookCtx *) {
  std::string t = s_Printed;
  s_Printed.clear();
  return t;
}

std::string MovieViewsResult(const HookCtx *c) {
  std::string t = MovieResult(c) + " redraw";
  for (u32 i = 0; i < VIEWS_PER_LAYOUT; i++) t += " " + std::to_string(View_Get(c->layout, i)->redraw);
  g_Movie.playState = MOVIE_STOPPED;
  return t;
}

struct SceneHookDiffer : ::testing::Test {
  ShellSelection savedSel;
  ShellMouse savedMouse;
  SceneSeam savedScene;
  CoreSeam savedSeam;
  f32 savedDelta, savedAngleX, savedAngleY;
  void SetUp() override {
    savedAngleX = g_Shell.g_PerspAngleX;
    savedAngleY = g_Shell.g_PerspAngleY;
    savedSel = g_Sel;
    savedMouse = g_Mouse;
    savedScene = g_SceneSeam;
    savedSeam = g_Seam;
    savedDelta = g_Lib.frameDelta;
    g_Seam.errorBox = NoBox;
    g_MaxPolygons = g_MaxPolygons ? g_MaxPolygons : 64;
    g_MaxVertices = g_MaxVertices ? g_MaxVertices : 256;
    WidgetFake_Install();
    App_AllocWorkArrays(&g_Sel);
  }
  void TearDown() override {
    Movie_FreeObjects();
    Lib_ClearAllModels();
    g_MovieEditor = MovieEditor{};
    g_MovieScene = MovieScene{};
    Coli_ReplaceDocument(nullptr);
    memset(g_Coli.collide, 0, sizeof g_Coli.collide);
    g_ColiEdit = ColiEditor{};
    Particle_FreeDocuments();
    Map2_FreeDocument();
    Model3_FreeAllSlots();
    g_ModelAllocArrays = 0;
    WidgetFake_Remove();
    Shell_ResetForTest();
    memset(g_Shell.g_DocChanged, 0, sizeof g_Shell.g_DocChanged);
    Differ_SetShellSel(savedSel);
    g_Mouse = savedMouse;
    g_SceneSeam = savedScene;
    g_Seam = savedSeam;
    g_Lib.frameDelta = savedDelta;
    g_Shell.g_PerspAngleX = savedAngleX;
    g_Shell.g_PerspAngleY = savedAngleY;
  }
};

TEST_F(SceneHookDiffer, EachHookActsOnTheHandedRecordsOnly) {
  const Differ_Case cases[] = {
      {"movie left press keys the handed slot's object", ArrangeMovie, Movie_LButtonDown, 100, 100, 0, 0, 0, MovieResult},
      {"movie right press", ArrangeMovie, Movie_RButtonDown, 120, 80, 0, 0, 0, MovieResult},
      {"movie left drag by the handed move", ArrangeMovieDrag, Movie_MouseMove, 110, 120, 0, 0, 0, MovieResult},
      {"movie wheel to the handed slot's next key", ArrangeMovie, Movie_WheelKey, 0, 0, 0, 0, 1, MovieResult},
      {"movie add makes the handed slot current", ArrangeMovie, Movie_Command, 0, 0, 0, IDM_MOVIE_ADD_IMAGE, 0,
       MovieResult},
      {"movie clear of the handed slot's model", ArrangeMovieModelCurrent, Movie_Command, 0, 0, 0, IDM_MOVIE_CLEAR, 0,
       MovieResult},
      {"collision pick at the handed position", ArrangeColi, Coli_Update, 140, 100, 0, 0, 0, ColiResult},
      {"collision drag from the handed anchor", ArrangeColiDrag, Coli_MouseMove, 110, 90, 0, 0, 0, ColiResult},
      {"effect drag from the handed anchor", ArrangeEffect, Effect_MouseMove, 13, 7, 0, 0, 0, EffectResult},
      {"map cursor at the handed position", ArrangeMap2, Map2_Update, 570, 770, 0, 0, 0, Map2Result},
      {"map press into the handed anchors", ArrangeMap2, Map2_LButtonDown, 570, 770, 0, 0, 0, Map2Result},
      {"pan of the handed view", ArrangePan, App_Navigate, 120, 90, 0, 0, 0, NoResult},
      {"Z zoom of the handed view", ArrangeZoom, App_ZDragZoom, 120, 90, 0, 0, 0, NoResult},
      {"rectangle select into the handed flags", ArrangeRect, RectSelect, 10, 10, 0, 0, 0, NoResult},
      {"collision draw in the handed main view", ArrangeColiDraw, Coli_Draw, 0, 0, 0, 0, 0, PrintedResult},
      {"movie update at play flags the handed layout's view 4", ArrangeMoviePlaying, Movie_Update, 0, 0, 0, 0, 0,
       MovieViewsResult},
      {"movie drawn in the handed side view", ArrangeMovieSide, Movie_DrawScene, 0, 0, 0, 0, 0, MovieResult},
      {"movie wheel back from the handed slot", ArrangeMovie, Movie_WheelKey, 0, 0, 0, 0, -1, MovieResult},
  };
  for (const Differ_Case &t : cases) Differ_Run(t);
}

// Every cell of the scene families' rows and of the preview family's row, enter, leave and draw
// cells included, on each family's document: none reads or writes the shell's records instead
// of its context's.
void ArrangeProgram() { ArrangeShell(FAMILY_PROGRAM, FAMILY_PROGRAM); }
void ArrangePreview() {
  ArrangeShell(FAMILY_PREVIEW, FAMILY_PREVIEW);
  g_ModelAllocArrays = 1;
  Model3_Init(0);
}

TEST_F(SceneHookDiffer, EveryRowCellActsOnTheHandedRecordsOnly) {
  static const struct { const char *name; FamilyHook FamilyHooks::*cell; } kCells[] = {
      {"enter", &FamilyHooks::enter},           {"update", &FamilyHooks::update},
      {"drawScene", &FamilyHooks::drawScene},   {"drawOverlay", &FamilyHooks::drawOverlay},
      {"lButtonDown", &FamilyHooks::lButtonDown}, {"lButtonUp", &FamilyHooks::lButtonUp},
      {"mButtonDown", &FamilyHooks::mButtonDown}, {"mButtonUp", &FamilyHooks::mButtonUp},
      {"rButtonDown", &FamilyHooks::rButtonDown}, {"rButtonUp", &FamilyHooks::rButtonUp},
      {"mouseMove", &FamilyHooks::mouseMove},   {"keyDown", &FamilyHooks::keyDown},
      {"keyUp", &FamilyHooks::keyUp},           {"loopKeyUp", &FamilyHooks::loopKeyUp},
      {"command", &FamilyHooks::command},       {"wheelKey", &FamilyHooks::wheelKey},
      {"doubleClick", &FamilyHooks::doubleClick}, {"refreshLists", &FamilyHooks::refreshLists},
      {"hoverPick", &FamilyHooks::hoverPick},   {"documentChanged", &FamilyHooks::documentChanged},
      {"leave", &FamilyHooks::leave},
  };
  static const struct {
    u32 family;
    void (*arrange)(void);
    std::string (*result)(const HookCtx *);
  } kFamilies[] = {
      {FAMILY_MOVIE, ArrangeMovie, MovieResult},     {FAMILY_COLLISION, ArrangeColi, ColiResult},
      {FAMILY_EFFECT, ArrangeEffect, EffectResult},  {FAMILY_2D_MAP, ArrangeMap2, Map2Result},
      {FAMILY_PROGRAM, ArrangeProgram, NoResult},    {FAMILY_PREVIEW, ArrangePreview, NoResult},
  };
  u32 ran = 0;
  for (const auto &f : kFamilies)
    for (const auto &k : kCells) {
      FamilyHook hook = g_FamilyHooks[f.family].*k.cell;
      if (!hook) continue;
      const std::string what = "family " + std::to_string(f.family) + " " + k.name;
      Differ_Run({what.c_str(), f.arrange, hook, 120, 90, 'T', 0, 1, f.result, k.cell == &FamilyHooks::enter});
      ran++;
    }
  EXPECT_GE(ran, 40u);
}

}  // namespace
