// The 2D model family's hooks act on the records their context hands them: each hook runs once
// on the shell's records and once on a model, a selection and a mouse record of its own set up
// the same way. The second run leaves the shell's records as they were and ends the copies
// where the first run ended the shell's.
#include "tests/support/hook_differ.h"
#include <gtest/gtest.h>

#include <stdlib.h>

#include <string>

#include "app/current.h"
#include "app/shell_mouse.h"
#include "app/shell_sel.h"
#include "app/settings.h"
#include "app/shell_view.h"
#include "app/tree.h"
#include "app/views.h"
#include "edit2d/ed2d.h"
#include "edit2d/ed2d_motion.h"
#include "edit2d/ed2d_object.h"
#include "edit2d/ed2d_poly.h"
#include "edit2d/ed2d_rows.h"
#include "edit2d/ed2d_tex.h"
#include "lib/draw/screen.h"
#include "lib/framework/lib_state.h"
#include "model/bone2.h"
#include "model/obj2.h"
#include "shell_fixture.h"
#include "widget_fake.h"

namespace {

enum : u32 { L = 1, M = 2, R = 4 };

// A skin of two triangles (vertices 0-2 group 0, 3-5 group 1), bones 1 and 2 under 0 at
// (50, -20) and (-60, 30), bone 1's track holding keys at frames 0, 10 and 20.
void Skin(Bone2Model *m) {
  Bone2_SetPosition(m, 320.0f, 240.0f);
  const f32 pts[6][2] = {{-20, -20}, {20, -20}, {0, 20}, {40, 40}, {60, 40}, {50, 60}};
  for (i32 v = 0; v < 6; v++) {
    m->positions[v] = {pts[v][0], pts[v][1]};
    m->bindings[v] = VertexBinding{1, 0, 1.0f, 0};
  }
  m->vertexCount = 6;
  for (i32 f = 0; f < 2; f++) {
    Polygon2 &p = m->polygons[f];
    p = Polygon2{};
    p.used = 1;
    p.group = (u32)f;
    p.cornerCount = 3;
    for (i32 k = 0; k < 3; k++) p.corners[k] = {(u16)(3 * f + k), 0, 0};
  }
  m->polygonCount = 2;
  m->boneCount = 3;
  m->rest[1].x = 50, m->rest[1].y = -20;
  m->rest[2].x = -60, m->rest[2].y = 30;
  for (i32 b = 1; b < 3; b++) Bone2_Track(m, b, 0)->count = 0;
  Bone2_ReserveKeys(m, 1, 0, 3);
  for (i32 f : {0, 10, 20}) {
    BoneKey2 k = {f, 0, 0, 0, 1, 1};
    Bone2Track_Insert(Bone2_Track(m, 1, 0), &k);
  }
  m->currentFrame = 0;
}

struct Case {
  const char *what;
  u32 subMode;
  FamilyHookFn *hook;
  i32 x, y;
  u32 buttons;                                  // held during the hook
  void (*setup)(Bone2Model *m, ShellSelection *sel, ShellMouse *mouse);
  i32 step;
};

void Tool(ShellSelection *s, u32 tool, u32 mode) {
  s->g_PolyTool = tool;
  s->g_PolySelectMode = mode;
}

// The family row's wheel cell, which passes the call to the row of the context's sub-mode.
void FamilyWheel(const HookCtx *c) { g_FamilyHooks[FAMILY_2D_MODEL].wheelKey(c); }

const Case kCases[] = {
  {"polygon move drag", SUB_2D_POLY, Ed2D_PolyMouseMove, 7, -3, L,
   [](Bone2Model *, ShellSelection *s, ShellMouse *) { Tool(s, ED2D_TOOL_MOVE, 0), s->g_PolySelVerts[1] = 1; }},
  {"polygon rotate drag", SUB_2D_POLY, Ed2D_PolyMouseMove, 4, 9, L,
   [](Bone2Model *, ShellSelection *s, ShellMouse *) { Tool(s, ED2D_TOOL_ROTATE, 0), s->g_PolySelVerts[2] = 1; }},
  {"polygon scale drag", SUB_2D_POLY, Ed2D_PolyMouseMove, 3, -8, L,
   [](Bone2Model *, ShellSelection *s, ShellMouse *) { Tool(s, ED2D_TOOL_SCALE, 0), s->g_PolySelVerts[4] = 1; }},
  {"free creation: the fourth point", SUB_2D_POLY, Ed2D_PolyLButtonUp, 330, 250, 0,
   [](Bone2Model *, ShellSelection *s, ShellMouse *) {
     Tool(s, ED2D_TOOL_FREE, 0);
     s->g_FreeCreateCount = 3;
     s->g_CurGroupIndex = 1;
     for (u32 i = 0; i < 3; i++) s->g_FreeCreatePoints[i][0] = 5.0f * (f32)i, s->g_FreeCreatePoints[i][1] = 1.0f;
   }},
  {"free creation: a point fixed", SUB_2D_POLY, Ed2D_PolyLButtonUp, 310, 230, 0,
   [](Bone2Model *, ShellSelection *s, ShellMouse *) { Tool(s, ED2D_TOOL_FREE, 1), s->g_FreeCreateCount = 1; }},
  {"free creation: middle up closes", SUB_2D_POLY, Ed2D_PolyFreeCreate, 300, 260, 0,
   [](Bone2Model *, ShellSelection *s, ShellMouse *) { Tool(s, ED2D_TOOL_FREE, 1), s->g_FreeCreateCount = 2; }},
  {"free creation: right up drops", SUB_2D_POLY, Ed2D_PolyRButtonUp, 300, 260, 0,
   [](Bone2Model *, ShellSelection *s, ShellMouse *) { Tool(s, ED2D_TOOL_FREE, 1), s->g_FreeCreateCount = 2; }},
  {"free creation: the live point", SUB_2D_POLY, Ed2D_PolyUpdate, 0, 0, 0,
   [](Bone2Model *, ShellSelection *s, ShellMouse *mouse) {
     Tool(s, ED2D_TOOL_FREE, 1), s->g_FreeCreateCount = 1;
     mouse->g_MouseX = 333, mouse->g_MouseY = 222;
   }},
  {"rectangle selection in the draw", SUB_2D_POLY, Ed2D_PolyDraw, 0, 0, L,
   [](Bone2Model *, ShellSelection *s, ShellMouse *) { Tool(s, ED2D_TOOL_FACE, 1); }},
  {"weight rectangle in the draw", SUB_2D_WEIGHT, Ed2D_WeightDraw, 0, 0, R,
   [](Bone2Model *, ShellSelection *s, ShellMouse *) { s->g_PolySelVerts[0] = s->g_PolySelVerts[5] = 1; }},
  {"weight pick", SUB_2D_WEIGHT, Ed2D_WeightRButtonUp, 261, 271, 0,
   [](Bone2Model *, ShellSelection *s, ShellMouse *) {
     s->g_CurBoneIndex = 1;
     g_Ed2DPoly.curX = g_Ed2DPoly.startX, g_Ed2DPoly.curY = g_Ed2DPoly.startY;   // a click, no drag
   }},
  {"bone pick in the update", SUB_2D_BONE, Ed2D_BoneUpdate, 0, 0, R,
   [](Bone2Model *, ShellSelection *, ShellMouse *mouse) { mouse->g_MouseX = 372, mouse->g_MouseY = 219; }},
  {"bone drag", SUB_2D_BONE, Ed2D_BoneMouseMove, 107, 97, L, nullptr},
  {"bone anchors", SUB_2D_BONE, Ed2D_SetDragAnchors, 44, 55, 0, nullptr},
  {"family update", SUB_2D_BONE, Ed2D_Update, 0, 0, 0,
   [](Bone2Model *m, ShellSelection *s, ShellMouse *) { s->g_CurBoneIndex = 2, m->placeX = 0; }},
  {"family leave", SUB_2D_BONE, Ed2D_Leave, 0, 0, 0,
   [](Bone2Model *, ShellSelection *s, ShellMouse *) { s->g_SelectedBone = 2; }},
  {"texture init selects the group", SUB_2D_TEXTURE, Ed2D_TexInit, 0, 0, 0,
   [](Bone2Model *, ShellSelection *s, ShellMouse *) { s->g_CurGroupIndex = 1, s->g_Cur2DSlot = 3; }},
  {"motion key made by a click", SUB_2D_MOTION, Ed2D_MotionLButtonDown, 70, 80, 0,
   [](Bone2Model *m, ShellSelection *s, ShellMouse *) { s->g_CurBoneIndex = 2, m->currentFrame = 5; }},
  {"motion key drag", SUB_2D_MOTION, Ed2D_MotionMouseMove, 104, 91, L,
   [](Bone2Model *m, ShellSelection *s, ShellMouse *) { s->g_CurBoneIndex = 1, m->currentFrame = 10; }},
  {"motion wheel forward", SUB_2D_MOTION, Ed2D_MotionWheelKey, 0, 0, 0,
   [](Bone2Model *m, ShellSelection *s, ShellMouse *) { s->g_CurBoneIndex = 1, m->currentFrame = 3; }, 1},
  {"motion wheel back", SUB_2D_MOTION, Ed2D_MotionWheelKey, 0, 0, 0,
   [](Bone2Model *m, ShellSelection *s, ShellMouse *) { s->g_CurBoneIndex = 1, m->currentFrame = 15; }, -1},
  {"family wheel to the motion row", SUB_2D_MOTION, FamilyWheel, 0, 0, 0,
   [](Bone2Model *m, ShellSelection *s, ShellMouse *) { s->g_CurBoneIndex = 1, m->currentFrame = 3; }, 1},
  {"motion update picks the posed bone", SUB_2D_MOTION, Ed2D_MotionUpdate, 0, 0, R,
   [](Bone2Model *, ShellSelection *, ShellMouse *mouse) { mouse->g_MouseX = 372, mouse->g_MouseY = 219; }},
};

struct Pictures {
  std::string model, sel, mouse;
};

struct Ed2DContextTest : ::testing::Test {
  TreeRows savedRows;
  void SetUp() override {
    Shell_ResetFor2DTest();
    WidgetFake_Install();
    Edit2D_Install();
    g_Scale2D[0] = g_Scale2D[1] = 1.0f;   // client pixels are frame pixels
    g_Lib.viewWindowMode = 0;
    g_Shell.g_EditFamily = FAMILY_2D_MODEL;
    g_Shell.g_Playing = 0;
    savedRows = g_TreeRows;
    g_TreeRows.count = 0;   // the wheel steps the current bone's keys
    for (u32 b = 0; b < LIST_SEL_MIRROR; b++) g_Shell.g_ListSelMirror[b] = b == 1;   // the bone list marks bone 1
  }
  void TearDown() override {
    Held(0);
    g_TreeRows = savedRows;
    g_Shell.g_ListSelMirror[1] = 0;
    App_ForgetPolySelection(&g_Sel);
    Bone2_FreeAll();
    free(g_Ed2D.rebindNearest);
    free(g_Ed2D.rebindBest);
    g_Ed2D = Ed2DEditor{};
    g_Ed2DPoly = Ed2DPolyEditor{};
    g_Ed2DMotion = Ed2DMotionEditor{};
    WidgetFake_Remove();
    Shell_ResetForTest();
  }
  static void Held(u32 buttons) {
    Shell_SetButtonHeld(BUTTON_LEFT, (buttons & L) != 0);
    Shell_SetButtonHeld(BUTTON_MIDDLE, (buttons & M) != 0);
    Shell_SetButtonHeld(BUTTON_RIGHT, (buttons & R) != 0);
  }
  // The editors' own state as every run starts from it: the drag anchors at frame (0, 0) and
  // (100, 100), the rectangle from (290, 210) to (340, 300).
  static void Editors() {
    g_Ed2DPoly.mouseX = g_Ed2DPoly.mouseY = 0.0f;
    g_Ed2DPoly.startX = 290, g_Ed2DPoly.startY = 210;
    g_Ed2DPoly.curX = 340, g_Ed2DPoly.curY = 300;
    g_Ed2D.dragX = g_Ed2D.dragY = 100.0f;
    g_Ed2DMotion.tool = 0;
  }
  // The shell's slot 0 model and selection made afresh and set up by the case.
  static void ShellRecords(const Case &c) {
    Bone2_FreeSlot(0);
    Bone2Model *m = Ed2D_EnsureBoneModel(Current_Bone2Edited());
    ASSERT_NE(m, nullptr);
    Skin(m);
    App_ClearSelectionFlags(App_WorkVertCount(), App_WorkFaceCount());
    Differ_SetShellSel(ShellSelection{});
    g_Mouse = ShellMouse{};
    g_Shell.g_EditSubMode = c.subMode;
    Editors();
    if (c.setup) c.setup(m, &g_Sel, &g_Mouse);
  }
  static HookCtx Context(const Case &c) {
    HookCtx ctx = Family_Context(c.x, c.y);
    ctx.step = c.step;
    return ctx;
  }
  // Another layout, active and drawn view, camera, selection (flag arrays included), mouse and
  // slot 0 model in the shell than in the context.
  static void ShellDecoy() {
    Differ_Decoy();
    Bone2Model *m = g_Bone2Slots[0];
    m->currentFrame += 5;
    m->positions[0].x += 13.0f, m->positions[4].y -= 7.0f;
    m->rest[1].x += 11.0f;
    m->placeX += 3.0f;
  }
  void Run(const Case &c, bool mustChange);
  // The editors as a fresh program has them (windows closed, buffers freed).
  static void ResetEditors() {
    free(g_Ed2D.rebindNearest);
    free(g_Ed2D.rebindBest);
    g_Ed2D = Ed2DEditor{};
    g_Ed2DPoly = Ed2DPolyEditor{};
    g_Ed2DMotion = Ed2DMotionEditor{};
    g_Ed2DObj = Ed2DObjEditor{};
    g_Options.g_Group2DDlg.window = nullptr;
  }
  static Pictures Shell() {
    return {Differ_Bone2Text(g_Bone2Slots[0]), Differ_SelText(g_Sel), Differ_MouseText(g_Mouse)};
  }
};

// The hook of case c on the shell's records, then on a model, selection and mouse record of the
// test's own set up alike while the shell's hold a decoy: the copies must end as the shell's
// did, the shell's must stay as the decoy left them.
void Ed2DContextTest::Run(const Case &c, bool mustChange) {
  // The shell's records.
  ShellRecords(c);
  Held(c.buttons);
  HookCtx ctx = Context(c);
  c.hook(&ctx);
  Held(0);
  Pictures first = Shell();
  // Records of the test's own, the shell's made again as they were.
  ShellRecords(c);
  Pictures shellBefore = Shell();
  g_ModelAllocArrays = 1;
  Bone2Model *other = Bone2_New();
  ASSERT_NE(other, nullptr) << c.what;
  Skin(other);
  Hook_OwnSelection own(5);
  ShellMouse mouse = {};
  if (c.setup) c.setup(other, &own.sel, &mouse);
  EXPECT_EQ(Differ_Bone2Text(other), shellBefore.model) << c.what << ": set up alike";
  EXPECT_EQ(Differ_SelText(own.sel), shellBefore.sel) << c.what << ": set up alike";
  Held(c.buttons);
  ctx = Context(c);
  ctx.model2 = other;
  ctx.sel = &own.sel;
  ctx.mouse = &mouse;
  // The shell's records then hold a decoy in every field the context carries.
  ShellDecoy();
  const Pictures shellDecoy = Shell();
  const std::string angles = std::to_string(g_Shell.g_PerspAngleX) + " " + std::to_string(g_Shell.g_PerspAngleY);
  c.hook(&ctx);
  Held(0);
  Pictures shellAfter = Shell();
  EXPECT_EQ(shellAfter.model, shellDecoy.model) << c.what << ": the shell's model";
  EXPECT_EQ(shellAfter.sel, shellDecoy.sel) << c.what << ": the shell's selection";
  EXPECT_EQ(shellAfter.mouse, shellDecoy.mouse) << c.what << ": the shell's mouse";
  EXPECT_EQ(std::to_string(g_Shell.g_PerspAngleX) + " " + std::to_string(g_Shell.g_PerspAngleY), angles) << c.what;
  EXPECT_EQ(Differ_Bone2Text(other), first.model) << c.what << ": the handed model";
  EXPECT_EQ(Differ_SelText(own.sel), first.sel) << c.what << ": the handed selection";
  EXPECT_EQ(Differ_MouseText(mouse), first.mouse) << c.what << ": the handed mouse";
  // Each hand-made case must change something, or it proves nothing.
  if (mustChange) {
    EXPECT_NE(first.model + first.sel + first.mouse, shellBefore.model + shellBefore.sel + shellBefore.mouse)
      << c.what << ": no change";
  }
  Bone2_Free(other);
}

TEST_F(Ed2DContextTest, HooksActOnTheHandedRecordsOnly) {
  for (const Case &c : kCases) Run(c, true);
}

// Every cell of the family row and of each sub-mode's row, draw cells included, on the skin at
// rest: the walk shows that no cell reads or writes the shell's records instead of its context's.
TEST_F(Ed2DContextTest, EveryRowCellActsOnTheHandedRecordsOnly) {
  static const struct { const char *name; FamilyHook FamilyHooks::*cell; } kCells[] = {
      {"enter", &FamilyHooks::enter},           {"leave", &FamilyHooks::leave},
      {"update", &FamilyHooks::update},         {"drawScene", &FamilyHooks::drawScene},
      {"drawOverlay", &FamilyHooks::drawOverlay}, {"lButtonDown", &FamilyHooks::lButtonDown},
      {"lButtonUp", &FamilyHooks::lButtonUp},   {"mButtonDown", &FamilyHooks::mButtonDown},
      {"mButtonUp", &FamilyHooks::mButtonUp},   {"rButtonDown", &FamilyHooks::rButtonDown},
      {"rButtonUp", &FamilyHooks::rButtonUp},   {"mouseMove", &FamilyHooks::mouseMove},
      {"keyDown", &FamilyHooks::keyDown},       {"keyUp", &FamilyHooks::keyUp},
      {"loopKeyUp", &FamilyHooks::loopKeyUp},   {"command", &FamilyHooks::command},
      {"wheelKey", &FamilyHooks::wheelKey},     {"doubleClick", &FamilyHooks::doubleClick},
      {"refreshLists", &FamilyHooks::refreshLists}, {"hoverPick", &FamilyHooks::hoverPick},
      {"documentChanged", &FamilyHooks::documentChanged},
  };
  u32 ran = 0;
  for (u32 sub = ED2D_FIRST_SUB_MODE; sub < ED2D_FIRST_SUB_MODE + ED2D_SUB_MODE_ROWS; sub++) {
    const FamilyHooks *rows[2] = {&g_FamilyHooks[FAMILY_2D_MODEL], &g_Ed2DSubModeRows[sub - ED2D_FIRST_SUB_MODE]};
    for (u32 r = 0; r < 2; r++)
      for (const auto &k : kCells) {
        FamilyHook hook = rows[r]->*k.cell;
        if (!hook) continue;
        const std::string what = std::string(r ? "sub-mode " : "family row in sub-mode ") + std::to_string(sub) + " " + k.name;
        const Case c = {what.c_str(), sub, hook, 330, 250, 0, nullptr, 1};
        ResetEditors();
        Run(c, false);
        ran++;
      }
  }
  EXPECT_GE(ran, 50u);
}

// The object sub-mode's model is the shell's object slot; its click and drag take the current
// object from the handed selection and set the anchors of the handed mouse record.
TEST(Ed2DObjectContextTest, KeyClickAndDragFollowTheHandedSelection) {
  Shell_ResetFor2DSubMode(SUB_2D_OBJECT);
  g_Scale2D[0] = g_Scale2D[1] = 1.0f;
  g_Lib.viewWindowMode = 0;
  g_Ed2DObj = Ed2DObjEditor{};
  Ed2D_ObjInit(Hook_Now());
  Obj2Model *m = g_Obj2Slots[0];
  ASSERT_NE(m, nullptr);
  Obj2Track *t = Obj2_Track(m, 1, m->currentMotion);
  ASSERT_NE(t, nullptr);
  t->count = 0;
  m->currentFrame = 5;
  g_Sel.g_CurPartIndex = 0;   // the shell's: object 0, which never gets keys
  const ShellMouse shellMouse = g_Mouse;
  Hook_OwnSelection own(5);
  own.sel.g_CurPartIndex = 1;
  ShellMouse mouse = {};
  HookCtx c = Family_Context(100, 100);
  c.sel = &own.sel;
  c.mouse = &mouse;
  Ed2D_ObjLButtonDown(&c);
  ASSERT_EQ(t->count, 1);
  EXPECT_EQ(t->keys[0].frame, 5);
  EXPECT_EQ(mouse.g_MotionDragAnchor.x, 100);
  EXPECT_EQ(mouse.g_DragAnchorY, 100);
  const f32 x = t->keys[0].x, y = t->keys[0].y;
  Shell_SetButtonHeld(BUTTON_LEFT, 1);
  c = Family_Context(107, 96);
  c.sel = &own.sel;
  c.mouse = &mouse;
  Ed2D_ObjMouseMove(&c);
  Shell_SetButtonHeld(BUTTON_LEFT, 0);
  EXPECT_FLOAT_EQ(t->keys[0].x, x + 7.0f);
  EXPECT_FLOAT_EQ(t->keys[0].y, y - 4.0f);
  EXPECT_EQ(g_Sel.g_CurPartIndex, 0u);
  EXPECT_EQ(Differ_MouseText(g_Mouse), Differ_MouseText(shellMouse));
  Ed2D_ObjLeave(Hook_Now());
  Obj2_SetSlot(0, nullptr);
  WidgetFake_Remove();
  g_Ed2DObj = Ed2DObjEditor{};
  Shell_ResetForTest();
}

}  // namespace
