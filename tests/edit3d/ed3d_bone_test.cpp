// Bones of the 3D editor: the bone list panel's parent rule (a lower number only, a line past
// the count is 0, bone 0 takes none while its position and name apply, a list without a focus
// line changing no bone), adding (child of the current bone, a clean record after a delete,
// nothing at 128 but a step), deleting (never bone 0, the bone's vertices re-bound to the
// nearest remaining bone), the right-drag pick (later bone on ties, at the drawn cross), the
// drag with and without children following, the weight panel (automatic 0 and 0, a fraction
// cut, refused input changing nothing) and the box selection (strictly inside, the right
// button deselecting, a moved right click picking nothing).
#include "tests/support/hook_at.h"
#include <gtest/gtest.h>
#include <math.h>
#include <string.h>

#include <map>
#include <string>
#include <vector>

#include "app/current.h"
#include "app/drag_anchors.h"
#include "app/family.h"
#include "app/shell_mouse.h"
#include "app/shell_seam.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/views.h"
#include "draw_fakedev.h"
#include "edit3d/bone.h"
#include "edit3d/ed3d.h"
#include "edit3d/ed3d_bone.h"
#include "edit3d/undo.h"
#include "lib/framework/lib.h"
#include "lib/framework/view_record.h"
#include "lib/render/objects.h"
#include "model/mesh.h"
#include "model/motion.h"
#include "model/seam.h"
#include "shell_fixture.h"
#include "test_models.h"
#include "widget_fake.h"

namespace {

// The panels' controls are the widget fake's: the bone list's caret, the parent combo's line,
// the two panels' fields and the boxes shown (OK boxes and error boxes in one list).
void Caret(i32 line) { g_WidgetFake.caret[g_Ed3D.boneList] = line; }
void Combo(i32 line) { g_WidgetFake.selection[g_Ed3D.parentCombo] = line; }
std::vector<std::string> &Messages() { return g_WidgetFake.messages; }

void InstallFakeOps() {
  WidgetFake_Install();
  g_Seam.errorBox = [](const char *text) { g_WidgetFake.messages.push_back(text); };
}

struct BoneTest : ::testing::Test {
  Model3 *m = nullptr;
  ViewRecord *front = nullptr;
  void SetUp() override {
    Shell_ResetForTest();
    FakeDev_Install();
    InstallFakeOps();
    g_Sel.g_CurBoneIndex = 0;
    m = TestModel_Slot3D(SUB_3D_BONE);
    ASSERT_NE(m, nullptr);
    App_AllocWorkArrays(&g_Sel);
    App_ClearSelectionFlags(App_WorkVertCount(), App_WorkFaceCount());
    for (u32 sub : {SUB_3D_BONE, SUB_3D_WEIGHT}) {
      g_Shell.g_ViewCount[sub] = 2;
      ViewRecord *v = g_Shell.g_Views[sub];
      v[0] = ViewRecord{};
      v[0].inUse = 1; v[0].kind = VIEW_MAIN; v[0].zoom = 1;
      v[1] = ViewRecord{};
      v[1].inUse = 1; v[1].kind = VIEW_FRONT; v[1].centerX = 100; v[1].centerY = 100; v[1].zoom = 1;
    }
    front = &g_Shell.g_Views[SUB_3D_BONE][1];
    g_Shell.g_ActiveView = 1;
    g_Shell.g_DrawView = 1;
    g_Ed3D.bonePanel = (void *)1;
    g_Ed3D.boneList = (void *)2;
    g_Ed3D.parentCombo = (void *)3;
    g_Ed3DBones.weightPanel = (void *)4;
    Ed3DBoneEditor.childrenFollow = 0;
    for (u32 b = 0; b < 3; b++) Shell_SetButtonHeld(b, 0);
    Undo_ResetAll();
    Str_Copy(g_Shell.g_UndoLabel, sizeof g_Shell.g_UndoLabel, "記録開始");
    Undo_Push(Undo_Current());
  }
  void TearDown() override {
    g_Ed3D.bonePanel = g_Ed3D.boneList = g_Ed3D.parentCombo = nullptr;
    g_Ed3DBones.weightPanel = nullptr;
    WidgetFake_Remove();
    g_Seam.errorBox = nullptr;
    Model3_FreeAllSlots();
    FakeDev_Remove();
  }
  // Bones 1..n-1 at the given rest offsets (children of `parents`).
  void Bones(std::vector<std::vector<f32>> offsets, std::vector<i32> parents) {
    m->boneCount = (i32)offsets.size() + 1;
    for (size_t i = 0; i < offsets.size(); i++) {
      i32 b = (i32)i + 1;
      m->bones[b].parent = parents[i];
      for (int k = 0; k < 3; k++) m->boneRest[b].pos[k] = offsets[i][k];
    }
    Object_UpdateFrame();
  }
  i32 AddVertex(f32 x, f32 y, f32 z) {
    m->positions[m->positionCount] = {x, y, z};
    Model3_FreshBindings(m, m->positionCount, m->positionCount + 1);
    return m->positionCount++;
  }
  Vec3 Rest(i32 b) {
    static Mat4 rest[MODEL3_BONES];
    Model3_ComputeRestMatrices(m, rest);
    return {rest[b].m[3][0], rest[b].m[3][1], rest[b].m[3][2]};
  }
  i32 Steps() { return Undo_Current()->top; }
  const char *TopLabel() { UndoHistory *h = Undo_Current(); return h->steps[h->top].label; }
  void Hold(u32 button, bool on) { Shell_SetButtonHeld(button, on ? 1 : 0); }
};

// [SECTION] bone list panel
TEST_F(BoneTest, ParentRuleOfTheApplyButton) {
  Bones({{0, 1, 0}, {0, 2, 0}, {0, 3, 0}, {0, 4, 0}}, {0, 1, 2, 3});   // bones 0..4
  struct Case { i32 bone, line; bool accepted; i32 parent; };
  const Case cases[] = {
    {3, 2, true, 2},    // n - 1
    {3, 3, false, 2},   // itself
    {3, 4, false, 2},   // n + 1
    {3, 9, true, 0},    // a line past the count counts as 0
    {3, -1, true, 0},   // no line chosen: 0
    {0, 0, false, 0},   // bone 0 takes no parent, 0 included
    {0, 2, false, 0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << "bone " << c.bone << " line " << c.line);
    m->bones[3].parent = 2;
    m->bones[c.bone].name[0] = 0;   // the typed name is a change: one step
    Messages().clear();
    Caret(c.bone);
    Combo(c.line);
    WidgetFake_SetText(g_Ed3D.bonePanel, IDC_BONE_X, " 1.5");
    WidgetFake_SetText(g_Ed3D.bonePanel, IDC_BONE_Y, "-2");
    WidgetFake_SetText(g_Ed3D.bonePanel, IDC_BONE_Z, "0.25 ");
    WidgetFake_SetText(g_Ed3D.bonePanel, IDC_BONE_NAME, "腕");
    i32 steps = Steps();
    EXPECT_TRUE(Ed3D_BoneListCommand(IDC_BONE_APPLY));
    EXPECT_EQ(g_Sel.g_CurBoneIndex, (u32)c.bone);
    EXPECT_EQ(m->bones[c.bone].parent, c.parent);
    EXPECT_EQ(Messages().size(), c.accepted ? 0u : 1u);
    if (!c.accepted) {
      EXPECT_EQ(Messages()[0], "同じNo 又は、選択しているボーンより\n大きなNoのボーンは、親にすることができません。");
    }
    // Position and name apply whatever the parent rule says; one undo step.
    EXPECT_FLOAT_EQ(m->boneRest[c.bone].pos[0], 1.5f);
    EXPECT_FLOAT_EQ(m->boneRest[c.bone].pos[1], -2.0f);
    EXPECT_FLOAT_EQ(m->boneRest[c.bone].pos[2], 0.25f);
    EXPECT_STREQ(m->bones[c.bone].name, "腕");
    EXPECT_EQ(Steps(), steps + 1 < UNDO_STEPS ? steps + 1 : UNDO_STEPS - 1);
    EXPECT_STREQ(Undo_Current()->steps[Steps()].label, "決定 ( ボーン )");
  }
  // A list without a focus line, or past the bones, leaves the current bone.
  for (i32 line : {-1, 7}) {
    Caret(line);
    Ed3D_BoneListCommand(0);
    EXPECT_EQ(g_Sel.g_CurBoneIndex, 0u);
  }
  // A position that is not a number is refused whole: nothing changes.
  Messages().clear();
  Caret(2);
  Combo(0);
  WidgetFake_SetText(g_Ed3D.bonePanel, IDC_BONE_Y, "2x");
  WidgetFake_SetText(g_Ed3D.bonePanel, IDC_BONE_NAME, "脚");
  f32 before = m->boneRest[2].pos[0];
  Ed3D_BoneListCommand(IDC_BONE_APPLY);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_FLOAT_EQ(m->boneRest[2].pos[0], before);
  EXPECT_STRNE(m->bones[2].name, "脚");
  EXPECT_EQ(m->bones[2].parent, 1);
  // "決定" with the position as shown ("%3.3f") keeps the exact rest position.
  m->boneRest[2].pos[0] = 0.2756f, m->boneRest[2].pos[1] = -1.00049f, m->boneRest[2].pos[2] = 12.3456f;
  g_Sel.g_BoneListDirty = 1;
  Ed3D_BoneListTick();
  const Vec3 shown = {m->boneRest[2].pos[0], m->boneRest[2].pos[1], m->boneRest[2].pos[2]};
  EXPECT_EQ(WidgetFake_Text(g_Ed3D.bonePanel, IDC_BONE_X), "0.276");
  Messages().clear();
  Ed3D_BoneListCommand(IDC_BONE_APPLY);
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(m->boneRest[2].pos[0], shown.x);
  EXPECT_EQ(m->boneRest[2].pos[1], shown.y);
  EXPECT_EQ(m->boneRest[2].pos[2], shown.z);
}

TEST_F(BoneTest, AddAndDelete) {
  Bones({{0, 1, 0}, {0, 3, 0}}, {0, 0});   // bones 0, 1, 2
  // An added bone is a child of the current bone and becomes current; one step each.
  Caret(1);
  i32 steps = Steps();
  Ed3D_BoneListCommand(IDC_BONE_ADD);
  EXPECT_EQ(m->boneCount, 4);
  EXPECT_EQ(g_Sel.g_CurBoneIndex, 3u);
  EXPECT_EQ(m->bones[3].parent, 1);
  EXPECT_EQ(Steps(), steps + 1);
  EXPECT_STREQ(TopLabel(), "ボーン追加");

  // Bone 0 is never deleted.
  Caret(0);
  Messages().clear();
  EXPECT_FALSE(Ed3D_BoneListCommand(IDC_BONE_DELETE));
  EXPECT_EQ(m->boneCount, 4);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], "親ボーンは、消去できません。");

  // Deleting bone 2 (at y 3): its vertex goes to the nearest remaining bone (1), not to the
  // bone that moves into its place (3, far off at x 7); the last record stays past the count.
  i32 nearOne = AddVertex(0, 1.2f, 0), nearTwo = AddVertex(0, 2.9f, 0), nearThree = AddVertex(0, 1.1f, 0);
  m->bindings[nearTwo] = VertexBinding{2, 0, 1.0f, 0};      // manual, on the deleted bone
  m->bindings[nearThree] = VertexBinding{3, 0, 1.0f, 0};    // manual, renumbered
  Model3_AutoBindVertices(m);
  m->bones[3].parent = 0;
  Str_Copy(m->bones[3].name, MODEL3_NAME, "消える");
  m->boneRest[3].pos[0] = 7;
  BoneKey3 key;
  BoneKey3_Identity(&key, 30);
  KeyTrack_Insert(&m->bones[3].keys[0], &key);
  m->bones[3].expanded = 1;
  Caret(2);
  steps = Steps();
  EXPECT_TRUE(Ed3D_BoneListCommand(IDC_BONE_DELETE));
  EXPECT_EQ(m->boneCount, 3);
  EXPECT_STREQ(TopLabel(), "ボーン消去");
  EXPECT_EQ(Steps(), steps + 1);
  EXPECT_EQ(m->bindings[nearOne].bone1, 1);
  EXPECT_EQ(m->bindings[nearTwo].bone1, 1);    // bone 1 at y 1 is nearest now (bone 2 was at y 3)
  EXPECT_EQ(m->bindings[nearTwo].automatic, 1u);
  EXPECT_EQ(m->bindings[nearThree].bone1, 2);  // the old bone 3, one lower
  EXPECT_LT(g_Sel.g_CurBoneIndex, (u32)m->boneCount);

  // Adding after the delete gives a clean record, not the leftovers of the old last bone.
  Caret(0);
  Ed3D_BoneListCommand(IDC_BONE_ADD);
  ASSERT_EQ(m->boneCount, 4);
  const Bone3 &fresh = m->bones[3];
  EXPECT_STREQ(fresh.name, "ボーン_03");
  EXPECT_EQ(fresh.parent, 0);
  EXPECT_EQ(fresh.expanded, 0u);
  const BoneKey3 &r = m->boneRest[3];
  EXPECT_EQ(r.pos[0], 0.0f);
  EXPECT_EQ(r.quat[3], 1.0f);
  EXPECT_EQ(r.scale[0], 1.0f);
  for (i32 mo = 0; mo < m->motionCount; mo++) {
    ASSERT_EQ(fresh.keys[mo].count, 1);
    EXPECT_EQ(fresh.keys[mo].keys[0].frame, 0);
    EXPECT_EQ(fresh.keys[mo].keys[0].quat[3], 1.0f);
  }

  // At 128 bones nothing is added, but the step is recorded.
  for (i32 b = m->boneCount; b < MODEL3_BONES; b++) ASSERT_GE(Ed3D_ModelAddBone(m, 0), 0);
  g_Sel.g_CurBoneIndex = 5;
  Caret(5);
  steps = Steps();
  Ed3D_BoneListCommand(IDC_BONE_ADD);
  EXPECT_EQ(m->boneCount, MODEL3_BONES);
  EXPECT_EQ(g_Sel.g_CurBoneIndex, 5u);
  EXPECT_EQ(Steps(), steps + 1);
}

// [SECTION] bone sub-mode
TEST_F(BoneTest, RightDragPickPrefersTheLaterBoneAtTheDrawnCross) {
  // Bones 0, 1 and 2 each 40 pixels from the mouse, bone 3 farther.
  Bones({{-1, 1, 0}, {1, 1, 0}, {2, 2, 0}}, {0, 0, 0});
  g_Mouse.g_MouseX = 100;
  g_Mouse.g_MouseY = 60;
  Hold(BUTTON_RIGHT, true);
  Ed3D_BoneUpdate(Hook_Now());
  EXPECT_EQ(g_Sel.g_CurBoneIndex, 2u);
  EXPECT_EQ(g_Sel.g_PrevBone, 0u);
  EXPECT_EQ(m->displayMode, 3u);
  Hold(BUTTON_RIGHT, false);

  // The yellow cross of the current bone is drawn where the pick finds it.
  g_Sel.g_CurBoneIndex = 3;
  g_Fake->draws.clear();
  Ed3D_BoneDraw(Hook_Draw(g_Shell.g_DrawView));
  bool found = false;
  for (size_t i = 0; i < g_Fake->draws.size() && !found; i++) {
    std::vector<ScreenVertex> v = FakeDev_ScreenVerts(i);
    if (v.size() != 2 || v[0].color != 0xFFFFFF00u) continue;
    i32 cx = (i32)lroundf((v[0].x + v[1].x) * 0.5f), cy = (i32)lroundf((v[0].y + v[1].y) * 0.5f);
    g_Sel.g_CurBoneIndex = 0;
    g_Mouse.g_MouseX = cx;
    g_Mouse.g_MouseY = cy;
    Hold(BUTTON_RIGHT, true);
    Ed3D_BoneUpdate(Hook_Now());
    Hold(BUTTON_RIGHT, false);
    EXPECT_EQ(g_Sel.g_CurBoneIndex, 3u);
    EXPECT_EQ(cx, 180);
    EXPECT_EQ(cy, 20);
    found = true;
  }
  EXPECT_TRUE(found);
}

TEST_F(BoneTest, DragMovesTheBoneAndItsChildrenOnlyWhenTheyFollow) {
  for (u8 follow : {0, 1}) {
    SCOPED_TRACE(testing::Message() << "childrenFollow " << (int)follow);
    Bones({{0, 1, 0}, {0, 1, 0}, {1, 0, 0}}, {0, 1, 1});   // bone 1, children 2 and 3
    // A record past the count claiming bone 1 as parent is left alone.
    m->bones[4].parent = 1;
    m->boneRest[4].pos[0] = 9;
    Ed3DBoneEditor.childrenFollow = follow;
    g_Sel.g_CurBoneIndex = 1;
    Vec3 child = Rest(2);
    DragAnchor_PressAll(Hook_At(50, 50));
    Hold(BUTTON_LEFT, true);
    Ed3D_BoneMouseMove(Hook_At(70, 50));   // 20 pixels right: 0.5 units at zoom 1
    Ed3D_BoneMouseMove(Hook_At(70, 30));   // 20 pixels up
    Hold(BUTTON_LEFT, false);
    i32 steps = Steps();
    Ed3D_BoneLButtonUp(Hook_At(70, 30));
    EXPECT_EQ(Steps(), steps + 1);
    EXPECT_STREQ(TopLabel(), "移動 ( ボーン )");
    Vec3 moved = Rest(1);
    EXPECT_NEAR(moved.x, 0.5f, 1e-6);
    EXPECT_NEAR(moved.y, 1.5f, 1e-6);
    Vec3 c = Rest(2);
    EXPECT_NEAR(c.x, child.x + (follow ? 0.5f : 0.0f), 1e-6);
    EXPECT_NEAR(c.y, child.y + (follow ? 0.5f : 0.0f), 1e-6);
    EXPECT_EQ(m->boneRest[4].pos[0], 9.0f);
    for (i32 b = 1; b <= 3; b++) m->boneRest[b].pos[0] = m->boneRest[b].pos[1] = 0;
  }
  // A click without a drag still records a step.
  i32 steps = Steps();
  Ed3D_BoneLButtonUp(Hook_At(0, 0));
  EXPECT_EQ(Steps(), steps + 1);
}

// [SECTION] weight sub-mode
TEST_F(BoneTest, WeightPanelBindsOrRefuses) {
  g_Shell.g_EditSubMode = SUB_3D_WEIGHT;
  Bones({{0, 1, 0}, {0, 3, 0}}, {0, 0});   // bones 0, 1, 2
  i32 a = AddVertex(0, 2.8f, 0), b = AddVertex(0, 0.9f, 0), c = AddVertex(0, 0, 0);
  g_Sel.g_PolySelVerts[a] = g_Sel.g_PolySelVerts[b] = 1;
  struct Case { const char *b1, *b2, *w; bool ok; u16 bone1a, bone1b; u32 automatic; f32 weight; };
  const Case cases[] = {
    {"2.9", "1", "0.25", true, 2, 2, 0, 0.25f},   // a fraction is cut toward zero
    {"0", "0", "1.0", true, 2, 1, 1, 1.0f},       // automatic: each to its nearest bone
    {"3", "0", "1.0", false, 0, 0, 0, 0},        // past the bones
    {"0", "-1", "1.0", false, 0, 0, 0, 0},
    {"1", "0", "1.5", false, 0, 0, 0, 0},        // weight outside 0..1
    {"x", "0", "1.0", false, 0, 0, 0, 0},        // not a number
    {"1", "0", "", false, 0, 0, 0, 0},
  };
  for (const Case &k : cases) {
    SCOPED_TRACE(testing::Message() << k.b1 << " " << k.b2 << " " << k.w);
    VertexBinding before[2] = {m->bindings[a], m->bindings[b]};
    WidgetFake_SetText(g_Ed3DBones.weightPanel, IDC_WEIGHT_BONE1, k.b1);
    WidgetFake_SetText(g_Ed3DBones.weightPanel, IDC_WEIGHT_BONE2, k.b2);
    WidgetFake_SetText(g_Ed3DBones.weightPanel, IDC_WEIGHT_VALUE, k.w);
    Messages().clear();
    i32 steps = Steps();
    Ed3D_WeightCommand(IDC_WEIGHT_APPLY);
    EXPECT_EQ(Steps(), steps + (k.ok ? 1 : 0));
    EXPECT_EQ(Messages().size(), k.ok ? 0u : 1u);
    if (!k.ok) {
      EXPECT_EQ(memcmp(&before[0], &m->bindings[a], sizeof before[0]), 0);
      EXPECT_EQ(memcmp(&before[1], &m->bindings[b], sizeof before[1]), 0);
      continue;
    }
    EXPECT_STREQ(TopLabel(), "数値入力 ( ウエイト )");
    EXPECT_EQ(m->bindings[a].bone1, k.bone1a);
    EXPECT_EQ(m->bindings[b].bone1, k.bone1b);
    EXPECT_EQ(m->bindings[a].automatic, k.automatic);
    EXPECT_FLOAT_EQ(m->bindings[b].weight, k.weight);
  }
  EXPECT_EQ(m->bindings[c].bone1, 1);   // not selected: automatic (never bone 0), bone 1 nearest
  // With nothing selected the step is still recorded.
  g_Sel.g_PolySelVerts[a] = g_Sel.g_PolySelVerts[b] = 0;
  WidgetFake_SetText(g_Ed3DBones.weightPanel, IDC_WEIGHT_BONE1, "1");
  WidgetFake_SetText(g_Ed3DBones.weightPanel, IDC_WEIGHT_VALUE, "0.5");
  i32 steps = Steps();
  Ed3D_WeightCommand(IDC_WEIGHT_APPLY);
  EXPECT_EQ(Steps(), steps + 1);
  EXPECT_EQ(m->bindings[a].bone1, 2);
}

TEST_F(BoneTest, BoxSelectionAndRightClickPick) {
  g_Shell.g_EditSubMode = SUB_3D_WEIGHT;
  front = &g_Shell.g_Views[SUB_3D_WEIGHT][1];
  // Vertices at pixels (100, 100), (120, 100), (140, 100) of the Front view.
  i32 v0 = AddVertex(0, 0, 0), v1 = AddVertex(0.5f, 0, 0), v2 = AddVertex(1, 0, 0);
  Polygon3 &p = m->polygons[m->polygonCount++];
  p = Polygon3{};
  p.cornerCount = 3;
  p.corners[0].vertex = (u32)v0;
  p.corners[1].vertex = (u32)v1;
  p.corners[2].vertex = (u32)v2;
  struct Case { u32 button; i32 left, top, right, bottom; u32 want[3]; };
  const Case cases[] = {
    {BUTTON_LEFT, 100, 90, 130, 110, {0, 1, 0}},    // (100, 100) on the border: untouched
    {BUTTON_LEFT, 90, 90, 150, 110, {1, 1, 1}},
    {BUTTON_RIGHT, 110, 99, 150, 101, {1, 0, 0}},
    {BUTTON_MIDDLE, 0, 0, 500, 500, {1, 0, 0}},     // the middle button selects nothing
  };
  for (const Case &c : cases) {
    Hold(c.button, true);
    Ed3D_WeightBoxPass(m, front, c.left, c.top, c.right, c.bottom);
    Hold(c.button, false);
    for (int i = 0; i < 3; i++) EXPECT_EQ(g_Sel.g_PolySelVerts[i], c.want[i]) << c.left << " " << i;
  }
  // The overlay runs the pass between the press point and the mouse in the active view.
  DragAnchor_PressAC(Hook_At(90, 90));
  Hold(BUTTON_LEFT, true);
  Ed3D_WeightMouseMove(Hook_At(150, 110));
  Ed3D_WeightDrawOverlay(Hook_Draw(g_Shell.g_DrawView));
  Hold(BUTTON_LEFT, false);
  for (int i = 0; i < 3; i++) EXPECT_EQ(g_Sel.g_PolySelVerts[i], 1u);

  // Right click on a bone: picked when the mouse did not move, the first bone on a tie.
  Bones({{-1, 0, 0}, {1, 0, 0}}, {0, 0});
  g_Sel.g_CurBoneIndex = 0;
  DragAnchor_PressAC(Hook_At(100, 100));
  Hold(BUTTON_RIGHT, true);
  Ed3D_WeightMouseMove(Hook_At(140, 100));
  Hold(BUTTON_RIGHT, false);
  Ed3D_WeightRButtonUp(Hook_At(140, 100));
  EXPECT_EQ(g_Sel.g_CurBoneIndex, 0u);   // moved: nothing picked
  DragAnchor_PressAC(Hook_At(140, 100));
  Ed3D_WeightRButtonUp(Hook_At(140, 100));
  EXPECT_EQ(g_Sel.g_CurBoneIndex, 2u);
  EXPECT_EQ(g_Sel.g_PrevBone, 0u);
  DragAnchor_PressAC(Hook_At(100, 100));
  Ed3D_WeightRButtonUp(Hook_At(100, 100));
  EXPECT_EQ(g_Sel.g_CurBoneIndex, 0u);   // bone 0 at the centre
  g_Sel.g_CurBoneIndex = 1;
  DragAnchor_PressAC(Hook_At(120, 100));
  Ed3D_WeightRButtonUp(Hook_At(120, 100));
  EXPECT_EQ(g_Sel.g_CurBoneIndex, 0u);   // 0 and 2 tie at 20 pixels: the first
}

// The orthographic views' pixels of an enormous model's points (the bone and the weight
// mapping alike): whole numbers held far outside the view, never the undefined result of a
// conversion beyond an i32; ordinary points where they were.
TEST(Ed3DBoneScreen, FarPointsLandFarOutsideTheView) {
  ViewRecord v = {};
  v.kind = VIEW_FRONT;
  v.zoom = 0.25f;
  v.centerX = 200, v.centerY = 150;
  const i32 far = 1000000000;
  struct Case {
    f32 x, y;
    i32 sx, sy, wx, wy;   // bone, weight mapping (the weight view's pixels are from the centre)
  } const cases[] = {{1, 2, 210, 130, 210, 130},
                     {1e37f, -1e37f, far, far, 200 + far, 150 + far},
                     {-3e38f, 3e38f, -far, -far, 200 - far, 150 - far}};
  for (const Case &c : cases) {
    i32 x, y;
    ASSERT_TRUE(Ed3D_BoneScreen(&v, Vec3{c.x, c.y, 0}, &x, &y));
    EXPECT_EQ(x, c.sx) << c.x;
    EXPECT_EQ(y, c.sy) << c.y;
    ASSERT_TRUE(Ed3D_WeightScreen(&v, Vec3{c.x, c.y, 0}, &x, &y));
    EXPECT_EQ(x, c.wx) << c.x;
    EXPECT_EQ(y, c.wy) << c.y;
  }
}

}  // namespace
