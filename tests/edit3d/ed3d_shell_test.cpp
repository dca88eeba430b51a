// The 3D family's shell: every sub-mode row holds the handler its cell names (13 none) and
// the family row reaches them by sub-mode; each drag-anchor setter writes exactly its pairs;
// switching sub-modes leaves exactly the panel set of the new sub-mode, keeps the current bone
// from 16 to 17, shows only the edited layer, and a press of the current sub-mode's button
// runs no enter again; the arrow pans move by 2 / zoom by view kind and not at all while a
// button is held or at zoom 0.
#include "tests/support/hook_at.h"
#include <gtest/gtest.h>
#include <string.h>

#include <map>
#include <set>
#include <vector>

#include "app/shell_mouse.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/view_record.h"
#include "mode_walk.h"
#include "app/current.h"
#include "app/drag_anchors.h"
#include "app/family.h"
#include "app/settings.h"
#include "app/views.h"
#include "edit3d/ed3d.h"
#include "edit3d/ed3d_motion.h"
#include "edit3d/ed3d_bone.h"
#include "edit3d/objmotion.h"
#include "edit3d/ed3d_poly.h"
#include "edit3d/ed3d_rows.h"
#include "edit3d/ed3d_tex.h"
#include "layer_objects.h"
#include "lib/framework/lib.h"
#include "lib/render/objects.h"
#include "model/object.h"
#include "widget_fake.h"

namespace {

// [SECTION] dispatch table
using Cells = std::vector<const void *>;

Cells CellsOf(const FamilyHooks &r) {
  return {(const void *)r.enter,       (const void *)r.leave,      (const void *)r.update,
          (const void *)r.drawScene,   (const void *)r.drawOverlay, (const void *)r.lButtonDown,
          (const void *)r.lButtonUp,   (const void *)r.mButtonDown, (const void *)r.mButtonUp,
          (const void *)r.rButtonDown, (const void *)r.rButtonUp,  (const void *)r.mouseMove,
          (const void *)r.keyDown,     (const void *)r.keyUp,      (const void *)r.command};
}

#define F(fn) (const void *)(fn)

TEST(Ed3DRows, EverySubModeCellHoldsItsHandlerAndThirteenNone) {
  Edit3D_Install();
  const void *all5 = F(DragAnchor_PressAll), *four = F(DragAnchor_PressAD), *three = F(DragAnchor_PressAC);
  const void *right3 = F(DragAnchor_PressACRedraw);
  // enter, leave, update, scene, overlay, L down, L up, M down, M up, R down, R up, move,
  // key down, key up, command
  const std::map<u32, Cells> expected = {
      {12, {F(Ed3D_ObjMotionEnter), F(Ed3D_ObjMotionLeave), F(Ed3D_ObjMotionUpdate), F(Ed3D_ObjDrawScene),
            F(Ed3D_ObjDrawOverlay), F(Ed3D_ObjLButtonDown), F(DragAnchor_ReleaseRedraw), all5, nullptr, right3,
            F(Ed3D_ObjRButtonUp), F(Ed3D_ObjMouseMove), F(Ed3D_ObjMotionKeyDown), nullptr, F(Ed3D_ObjMotionCommand)}},
      {13, Cells(15, nullptr)},
      {14, {F(Ed3D_PolyEnter), F(Ed3D_PolyLeave), F(Ed3D_PolyUpdate), F(Ed3D_PolyDrawScene),
            F(Ed3D_PolyDrawOverlay), all5, F(Ed3D_PolyLButtonUp), F(Ed3D_PolyMButtonDown), F(Ed3D_PolyFreeCreate),
            three, F(Ed3D_PolyRButtonUp), F(Ed3D_PolyMouseMove), nullptr, F(Ed3D_PolyKeyUp), nullptr}},
      {15, {F(Ed3D_TexEnter), F(Ed3D_TexLeave), F(Ed3D_TexUpdate), F(Ed3D_PolyDrawScene), F(Ed3D_PolyDrawOverlay),
            all5, F(Ed3D_TexLButtonUp), four, nullptr, three, F(Ed3D_TexRButtonUp), F(Ed3D_TexMouseMove), nullptr,
            F(Ed3D_TexKeyUp), nullptr}},
      {16, {F(Ed3D_BoneInit), nullptr, F(Ed3D_BoneUpdate), F(Ed3D_PolyDrawScene), F(Ed3D_BoneDraw), all5,
            F(Ed3D_BoneLButtonUp), all5, nullptr, three, F(Ed3D_BoneRButtonUp), F(Ed3D_BoneMouseMove), nullptr,
            F(Ed3D_BoneKeyUp), nullptr}},
      {17, {F(Ed3D_WeightEnter), F(Ed3D_WeightLeave), F(Ed3D_WeightUpdate), F(Ed3D_PolyDrawScene),
            F(Ed3D_WeightDrawOverlay), all5, nullptr, four, nullptr, three, F(Ed3D_WeightRButtonUp),
            F(Ed3D_WeightMouseMove), F(Ed3D_WeightKeyDown), nullptr, nullptr}},
      {18, {F(Ed3D_MotionEnter), F(Ed3D_MotionLeave), F(Ed3D_MotionUpdate), F(Ed3D_PolyDrawScene),
            F(Ed3D_MotionDrawOverlay), F(Ed3D_MotionLButtonDown), F(Ed3D_MotionLButtonUp), all5, nullptr, right3,
            F(Ed3D_MotionRButtonUp), F(Ed3D_MotionMouseMove), nullptr, nullptr, F(Ed3D_MotionCommand)}},
  };
  for (const auto &[sub, cells] : expected) {
    SCOPED_TRACE(sub);
    EXPECT_EQ(CellsOf(g_Ed3DSubModeRows[sub - ED3D_FIRST_SUB_MODE]), cells);
  }
  // Sub-mode 18's keys come from the main loop, never through the key-up cell.
  EXPECT_EQ(F(g_Ed3DSubModeRows[SUB_3D_MOTION - ED3D_FIRST_SUB_MODE].loopKeyUp), F(Ed3D_MotionKeyUp));
}

// Mouse messages go to the row of the current sub-mode, and nowhere for 13.
static void MoveThroughShell(i32 x, i32 y) {
  const FamilyHooks *row = Family_MouseRow();
  if (row && row->mouseMove) row->mouseMove(Hook_At(x, y));
}
std::vector<std::pair<i32, i32>> g_moves;
TEST(Ed3DRows, TheFamilyRowFollowsTheSubMode) {
  Edit3D_Install();
  u32 family = g_Shell.g_EditFamily;
  g_Shell.g_EditFamily = FAMILY_3D_MODEL;
  for (FamilyHooks &r : g_Ed3DSubModeRows) r.mouseMove = [](const HookCtx *c) { g_moves.push_back({c->x, c->y}); };
  g_Ed3DSubModeRows[SUB_3D_BONE - ED3D_FIRST_SUB_MODE].mouseMove = [](const HookCtx *c) { g_moves.push_back({c->x, 16}); };
  g_moves.clear();
  for (u32 sub : {16u, 13u, 11u, 19u}) {
    g_Shell.g_EditSubMode = sub;
    MoveThroughShell(1, 2);
  }
  g_Ed3DSubModeRows[1].mouseMove = nullptr;
  g_Shell.g_EditSubMode = 13;
  MoveThroughShell(3, 4);
  EXPECT_EQ(g_moves, (std::vector<std::pair<i32, i32>>{{1, 16}, {1, 2}}));
  g_Shell.g_EditSubMode = 0;
  g_Shell.g_EditFamily = family;
  Edit3D_Install();
}

// [SECTION] drag anchors
TEST(Ed3DAnchors, EachSetterWritesItsPairs) {
  struct Case {
    FamilyHook setter;
    const char *pairs;   // a..e written
    bool redraw;
  };
  const Case cases[] = {
      {DragAnchor_PressAll, "abcde", false},
      {DragAnchor_PressAD, "abcd", false},
      {DragAnchor_PressAC, "abc", false},
      {DragAnchor_PressACRedraw, "abc", true},
      {DragAnchor_ReleaseRedraw, "", true},
  };
  DragAnchor *pairs[5] = {&g_Mouse.g_MotionDragAnchor, &g_Mouse.g_ObjMotionDragAnchor, &g_Mouse.g_PolyDragAnchor, &g_Mouse.g_PolyDragAnchor2, nullptr};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.pairs);
    for (DragAnchor *p : pairs)
      if (p) *p = {-1, -1};
    g_Mouse.g_DragAnchorX = g_Mouse.g_DragAnchorY = -1;
    g_Shell.g_StripDirty[0] = 0;
    c.setter(Hook_At(5, 7));
    std::string written;
    for (i32 i = 0; i < 4; i++)
      if (pairs[i]->x == 5 && pairs[i]->y == 7) written += (char)('a' + i);
      else EXPECT_EQ(pairs[i]->x, -1);
    if (g_Mouse.g_DragAnchorX == 5 && g_Mouse.g_DragAnchorY == 7) written += 'e';
    EXPECT_EQ(written, c.pairs);
    EXPECT_EQ(g_Shell.g_StripDirty[0], c.redraw ? 1u : 0u);
  }
}

// [SECTION] panels
i32 g_enters = 0;
void *(*g_fakeCreate)(const char *, i32, i32, i32, i32);

// The family's panel kind of a panel name, ED3D_PANEL_KINDS for the sub-modes' own panels.
u32 KindOf(const std::string &name) {
  u32 k = 0;
  while (k < ED3D_PANEL_KINDS && name != kEd3DPanelNames[k]) k++;
  return k;
}

struct PanelTest : ::testing::Test {
  void SetUp() override {
    WidgetFake_Install();
    memset(&g_AppShell, 0, sizeof g_AppShell);
    // The bone list's first notification picks its line as the current bone.
    g_fakeCreate = g_Widget.createPanel;
    g_Widget.createPanel = [](const char *name, i32 x, i32 y, i32 w, i32 h) -> void * {
      void *panel = g_fakeCreate(name, x, y, w, h);
      if (KindOf(name) == ED3D_PANEL_BONE_LIST) g_Sel.g_CurBoneIndex = 0;
      return panel;
    };
    g_MaxPolygons = 64;
    g_MaxVertices = 64;
    g_Shell.g_EditFamily = FAMILY_3D_MODEL;
    g_Shell.g_EditSubMode = SUB_3D_POLY;
    g_Sel.g_CurSlot = 0;
    g_ModelAllocArrays = 1;
    Model3_Init(0)->boneCount = 5;
    ObjectInit(0);
    Undo_ResetAll();
    Str_Copy(g_Shell.g_UndoLabel, sizeof g_Shell.g_UndoLabel, "start");
    Undo_Push(Undo_Current());
    Edit3D_Install();
    g_Ed3DSubModeRows[SUB_3D_POLY - ED3D_FIRST_SUB_MODE].enter = [](const HookCtx *) { g_enters++; };
    g_enters = 0;
  }
  void TearDown() override {
    Ed3D_Leave(Hook_Now());
    Edit3D_Install();
    WidgetFake_Remove();
    memset(&g_AppShell, 0, sizeof g_AppShell);
    Model3_FreeAllSlots();
    FreeLayerObjects();
    g_Shell.g_EditFamily = 0;
    g_Shell.g_EditSubMode = 0;
    g_Sel.g_CurSlot = 0;
    g_Sel.g_CurBoneIndex = 0;
    g_ModelAllocArrays = 0;
  }
  // The family's panels alive and the ones made since the record was emptied.
  static std::set<u32> Live() {
    std::set<u32> s;
    for (const std::string &name : WidgetFake_LivePanels())
      if (KindOf(name) < ED3D_PANEL_KINDS) s.insert(KindOf(name));
    return s;
  }
  static std::vector<u32> Created() {
    std::vector<u32> v;
    for (const std::string &name : g_WidgetFake.created)
      if (KindOf(name) < ED3D_PANEL_KINDS) v.push_back(KindOf(name));
    return v;
  }
  static std::set<u32> Expected(u32 sub) {
    std::set<u32> s;
    for (u32 k = 0; k < ED3D_PANEL_KINDS; k++)
      if ((Ed3D_PanelSet(sub) >> k) & 1) s.insert(k);
    return s;
  }
};

TEST_F(PanelTest, EachSwitchLeavesExactlyTheSubModesPanels) {
  using P = std::set<u32>;
  const P mode = {ED3D_PANEL_MODE};
  const std::map<u32, P> parts = {
      {14, {ED3D_PANEL_MODE, ED3D_PANEL_LAYER, ED3D_PANEL_GROUP, ED3D_PANEL_UNDO}},
      {15, {ED3D_PANEL_MODE, ED3D_PANEL_GROUP, ED3D_PANEL_UNDO}},
      {16, {ED3D_PANEL_MODE, ED3D_PANEL_BONE_LIST, ED3D_PANEL_UNDO}},
      {17, {ED3D_PANEL_MODE, ED3D_PANEL_BONE_LIST, ED3D_PANEL_GROUP, ED3D_PANEL_UNDO}},
      {18, {ED3D_PANEL_MODE, ED3D_PANEL_UNDO}},
      {12, mode},
  };
  Ed3D_Enter(Hook_Now());
  EXPECT_EQ(Live(), parts.at(14));
  for (u32 id : kModeWalk) {
    u32 sub = Ed3D_ModeButtonSubMode(id);
    SCOPED_TRACE(sub);
    if (sub == SUB_3D_BONE) g_Sel.g_CurBoneIndex = 3;
    ASSERT_TRUE(Ed3D_ModeCommand(id));
    EXPECT_EQ(g_Shell.g_EditSubMode, sub);
    EXPECT_EQ(Live(), parts.at(sub));
    EXPECT_EQ(Live(), Expected(sub));
    if (sub == SUB_3D_WEIGHT) { EXPECT_EQ(g_Sel.g_CurBoneIndex, 3u); }   // kept across the bone list's re-creation
  }
  EXPECT_FALSE(Ed3D_ModeCommand(IDC_M3D_NONE));
  EXPECT_EQ(g_Shell.g_EditSubMode, SUB_3D_POLY);
  Ed3D_Leave(Hook_Now());
  EXPECT_TRUE(WidgetFake_LivePanels().empty());
  EXPECT_EQ(g_Undo.list, nullptr);
}

TEST_F(PanelTest, TheCurrentSubModesButtonCreatesOnlyMissingPanels) {
  g_Shell.g_EditSubMode = SUB_3D_TEXTURE;
  g_Shell.g_PrevEditSubMode = 12;
  ASSERT_TRUE(Ed3D_ModeCommand(IDC_M3D_POLY));
  EXPECT_EQ(g_enters, 1);
  EXPECT_EQ(g_Shell.g_PrevEditSubMode, SUB_3D_TEXTURE);
  // The layer panel was closed by hand: a press of "モデリング" brings it back, nothing else.
  void *layer = g_Ed3D.layer.window;
  Widget_Destroy(layer);
  g_Ed3D.layer.window = nullptr;
  g_WidgetFake.created.clear();
  g_Ed3D.modeRefresh = 0;
  ASSERT_TRUE(Ed3D_ModeCommand(IDC_M3D_POLY));
  EXPECT_EQ(g_enters, 1);
  EXPECT_EQ(g_Shell.g_PrevEditSubMode, SUB_3D_TEXTURE);
  EXPECT_EQ(Created(), std::vector<u32>{ED3D_PANEL_LAYER});
  EXPECT_EQ(g_Ed3D.modeRefresh, 1u);
}

TEST_F(PanelTest, ASubModeEnterShowsOnlyTheEditedLayer) {
  Ed3D_Enter(Hook_Now());
  ASSERT_TRUE(Ed3D_LayerCommand(IDC_LAYER_1 + 2));   // button "3"
  EXPECT_EQ(g_Sel.g_CurSlot, 2u);
  ASSERT_NE(Undo_Current(), nullptr);
  EXPECT_STREQ(Undo_Current()->steps[0].label, "\x8b\x4c\x98\x5e\x8a\x4a\x8e\x6e");   // 記録開始
  EXPECT_EQ(Ed3D_LayerCheckedButton(), IDC_LAYER_1 + 2);
  // The bone sub-mode keeps the layer; any other sub-mode edits layer 0 and shows it alone.
  ASSERT_TRUE(Ed3D_ModeCommand(IDC_M3D_BONE));
  EXPECT_EQ(g_Sel.g_CurSlot, 2u);
  EXPECT_TRUE(Object_Get(2)->shown);
  ASSERT_TRUE(Ed3D_ModeCommand(IDC_M3D_TEXTURE));
  EXPECT_EQ(g_Sel.g_CurSlot, 0u);
  EXPECT_TRUE(Object_Get(0)->shown);
  EXPECT_FALSE(Object_Get(2)->shown);
  EXPECT_EQ(Current_Model3(), g_Model3Slots[0]);
}

// [SECTION] pans
TEST(Ed3DPan, ArrowsMoveAndRedrawTheActiveViewByTwoOverZoomByKind) {
  struct Case {
    u32 kind;
    void (*pan)(void);
    f32 dx, dy, dz;
  };
  const Case cases[] = {
      {VIEW_FRONT, Ed3D_PanViewLeft, -0.5f, 0, 0}, {VIEW_FRONT, Ed3D_PanViewUp, 0, 0.5f, 0},
      {VIEW_FRONT, Ed3D_PanViewRight, 0.5f, 0, 0}, {VIEW_FRONT, Ed3D_PanViewDown, 0, -0.5f, 0},
      {VIEW_TOP, Ed3D_PanViewLeft, -0.5f, 0, 0},   {VIEW_TOP, Ed3D_PanViewUp, 0, 0, -0.5f},
      {VIEW_TOP, Ed3D_PanViewRight, 0.5f, 0, 0},   {VIEW_TOP, Ed3D_PanViewDown, 0, 0, 0.5f},
      {VIEW_SIDE, Ed3D_PanViewLeft, 0, 0, 0.5f},   {VIEW_SIDE, Ed3D_PanViewUp, 0, 0.5f, 0},
      {VIEW_SIDE, Ed3D_PanViewRight, 0, 0, -0.5f}, {VIEW_SIDE, Ed3D_PanViewDown, 0, -0.5f, 0},
      {VIEW_MAIN, Ed3D_PanViewLeft, 0, 0, 0},      {VIEW_PERS, Ed3D_PanViewUp, 0, 0, 0},
  };
  g_Shell.g_EditSubMode = SUB_3D_BONE;
  g_Shell.g_ActiveView = 2;
  ViewRecord *v = &g_Shell.g_Views[SUB_3D_BONE][2];
  for (i32 held = 0; held < 4; held++) {
    g_Lib.app.leftHeld = held == 1;
    g_Lib.app.rightHeld = held == 2;
    for (const Case &c : cases) {
      SCOPED_TRACE(testing::Message() << "kind " << c.kind << " held " << held);
      *v = ViewRecord{};
      v->kind = c.kind;
      v->zoom = held == 3 ? 0.0f : 4.0f;
      v->panX = 1, v->panY = 2, v->panZ = 3;
      c.pan();
      bool moves = held == 0;
      EXPECT_EQ(v->panX, 1 + (moves ? c.dx : 0));
      EXPECT_EQ(v->panY, 2 + (moves ? c.dy : 0));
      EXPECT_EQ(v->panZ, 3 + (moves ? c.dz : 0));
      // A view that moved is drawn again at once.
      EXPECT_EQ(v->redraw, moves && c.kind != VIEW_MAIN && c.kind != VIEW_PERS ? 1u : 0u);
    }
  }
  // The shared key table: arrows pan in both sub-modes; A adds a bone only in sub-mode 16.
  *v = ViewRecord{};
  v->kind = VIEW_FRONT;
  v->zoom = 2.0f;
  g_Lib.app.leftHeld = g_Lib.app.rightHeld = 0;
  Ed3D_BoneKeyUp(Hook_Key(39));
  Ed3D_WeightKeyDown(Hook_Key(38));
  EXPECT_EQ(v->panX, 1.0f);
  EXPECT_EQ(v->panY, 1.0f);
  *v = ViewRecord{};
  g_Shell.g_ActiveView = 0;
  g_Shell.g_EditSubMode = 0;
}

}  // namespace
