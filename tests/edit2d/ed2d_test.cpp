// The 2D model family: every sub-mode cell holds the handler its table names; the dialog set
// follows the sub-mode through a run of panel presses (a re-press creates and destroys
// nothing); the object button's question; the 2D current pointers (null outside the model);
// the rebind goldens; the pick at a 1280 x 1024 desktop with a pan; the drag of a parent with
// its child; the parent rule; the CP932 texts and the tree order.
#include "tests/support/hook_at.h"
#include <gtest/gtest.h>
#include <string.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/current.h"
#include "app/docflags.h"
#include "app/drag_anchors.h"
#include "app/family.h"
#include "app/settings.h"
#include "app/shell_mouse.h"
#include "app/shell_options.h"
#include "app/shell_sel.h"
#include "app/startup_state.h"
#include "app/update.h"
#include "edit2d/ed2d.h"
#include "edit2d/ed2d_motion.h"
#include "edit2d/ed2d_object.h"
#include "edit2d/ed2d_object.h"
#include "edit2d/ed2d_submode.h"
#include "edit2d/ed2d_poly.h"
#include "edit2d/ed2d_rows.h"
#include "edit2d/ed2d_tex.h"
#include "lib/draw/screen.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "widget_fake.h"
#include "app/shell_view.h"
#include "model/bone2.h"
#include "model/obj2.h"
#include "shell_fixture.h"

namespace {

#define F(fn) (const void *)(fn)

std::vector<const void *> CellsOf(const FamilyHooks &r) {
  return {F(r.enter),     F(r.leave),       F(r.update),      F(r.drawScene), F(r.drawOverlay),
          F(r.lButtonDown), F(r.lButtonUp), F(r.mButtonDown), F(r.mButtonUp), F(r.rButtonDown),
          F(r.rButtonUp),  F(r.mouseMove)};
}

TEST(Ed2DRows, EverySubModeCellHoldsThePartsHandler) {
  Edit2D_Install();
  const void *r3d = F(DragAnchor_PressAll), *eff = F(DragAnchor_PressAC), *set = F(Ed2D_SetDragAnchors);
  const void *la = F(Ed2D_LButtonDownAnchors), *ma = F(Ed2D_MButtonDownAnchors), *ra = F(Ed2D_RButtonDownAnchors);
  const void *redraw = F(DragAnchor_ReleaseRedraw);
  // init, leave, update, scene, overlay, L down, L up, M down, M up, R down, R up, move
  const std::map<u32, std::vector<const void *>> expected = {
      {4, {F(Ed2D_ObjInit), F(Ed2D_ObjLeave), F(Ed2D_ObjUpdate), nullptr, F(Ed2D_ObjDraw), F(Ed2D_ObjLButtonDown),
           redraw, r3d, nullptr, eff, nullptr, F(Ed2D_ObjMouseMove)}},
      {6, {F(Ed2D_PolyInit), F(Ed2D_PolyLeave), F(Ed2D_PolyUpdate), nullptr, F(Ed2D_PolyDraw), la,
           F(Ed2D_PolyLButtonUp), ma, F(Ed2D_PolyFreeCreate), ra, F(Ed2D_PolyRButtonUp), F(Ed2D_PolyMouseMove)}},
      {7, {F(Ed2D_TexInit), F(Ed2D_TexLeave), F(Ed2D_TexUpdate), nullptr, F(Ed2D_PolyDraw), F(Ed2D_TexLButtonDown), nullptr, ma,
           nullptr, ra, nullptr, F(Ed2D_TexMouseMove)}},
      {8, {F(Ed2D_BoneInit), nullptr, F(Ed2D_BoneUpdate), nullptr, F(Ed2D_BoneDraw), set, nullptr, set, nullptr,
           ra, F(Ed2D_BoneRButtonUp), F(Ed2D_BoneMouseMove)}},
      {9, {F(Ed2D_WeightInit), F(Ed2D_WeightLeave), F(Ed2D_WeightUpdate), nullptr, F(Ed2D_WeightDraw), la, nullptr,
           ma, nullptr, ra, F(Ed2D_WeightRButtonUp), F(Ed2D_WeightMouseMove)}},
      {10, {F(Ed2D_MotionInit), F(Ed2D_MotionLeave), F(Ed2D_MotionUpdate), nullptr, F(Ed2D_MotionDraw),
            F(Ed2D_MotionLButtonDown), redraw, set, nullptr, ra, nullptr, F(Ed2D_MotionMouseMove)}},
  };
  for (const auto &kv : expected) {
    g_Shell.g_EditSubMode = kv.first;
    ASSERT_NE(Ed2D_SubModeRow(g_Shell.g_EditSubMode), nullptr) << kv.first;
    EXPECT_EQ(CellsOf(*Ed2D_SubModeRow(g_Shell.g_EditSubMode)), kv.second) << "sub-mode " << kv.first;
  }
  g_Shell.g_EditSubMode = 5;
  EXPECT_EQ(CellsOf(*Ed2D_SubModeRow(g_Shell.g_EditSubMode)), std::vector<const void *>(12, nullptr));
  const FamilyHooks *fam = &g_FamilyHooks[FAMILY_2D_MODEL];
  EXPECT_EQ(F(fam->enter), F(Ed2D_Enter));
  EXPECT_EQ(F(fam->drawOverlay), F(Ed2D_Draw));
  EXPECT_EQ(F(fam->refreshLists), F(Ed2D_RefreshLists));
  // The 3D editor's hover pick writes the selection flags the 2D sub-modes share: none here.
  EXPECT_EQ(F(fam->hoverPick), nullptr);
}

// [SECTION] the shell's question (the windows are the widget fake's)
struct FakeAsker {
  std::vector<std::string> questions;
  bool answer = true;
};
FakeAsker *g_Ask;

bool FakeAsk(const char *t) {
  g_Ask->questions.push_back(t);
  return g_Ask->answer;
}

struct Ed2DFixture : ::testing::Test {
  FakeAsker ask;
  WidgetFake &ui = g_WidgetFake;
  void SetUp() override {
    Shell_ResetForTest();
    g_Ask = &ask;
    Edit2D_Install();
    WidgetFake_Install();
    g_ShellSeam.askYesNo = FakeAsk;
    g_Ed2D = Ed2DEditor{};
    g_Options.g_Group2DDlg.window = nullptr;
    Bone2_FreeAll();
    Obj2_FreeAll();
    Obj2_SetSlot(0, nullptr);   // the object sub-mode's init leaves its model in slot 0
    g_Sel.g_Cur2DSlot = 0;
    g_Sel.g_CurBoneIndex = 0;
    g_Shell.g_EditFamily = FAMILY_2D_MODEL;
    g_Shell.g_Playing = 0;
    memset(g_Shell.g_DocChanged, 0, sizeof g_Shell.g_DocChanged);
  }
  void TearDown() override {
    Bone2_FreeAll();
    Obj2_FreeAll();
    Obj2_SetSlot(0, nullptr);   // the release above keeps the record
    free(g_Ed2D.rebindNearest);
    free(g_Ed2D.rebindBest);
    g_Ed2D = Ed2DEditor{};
    WidgetFake_Remove();
    Shell_ResetForTest();
  }
  // The kinds of the family's windows alive (1 << ED2D_WIN_*).
  u32 DialogSet() {
    u32 set = 0;
    for (u32 k = 0; k < ED2D_WIN_KINDS; k++)
      if (WidgetFake_Count(Ed2D_WindowName(k))) set |= 1u << k;
    return set;
  }
  // A model of n bones with parents as given (bone b's rest at rest[b]).
  Bone2Model *Model(i32 n, const i32 *parents, const f32 (*rest)[2]) {
    Bone2Model *m = Ed2D_EnsureBoneModel(Current_Bone2Edited());
    m->boneCount = n;
    for (i32 b = 0; b < n; b++) {
      m->bones[b].parent = parents ? parents[b] : 0;
      snprintf(m->bones[b].name, sizeof m->bones[b].name, "b%d", b);
      if (rest) m->rest[b].x = rest[b][0], m->rest[b].y = rest[b][1];
    }
    return m;
  }
};

TEST_F(Ed2DFixture, DialogSetFollowsTheSubModeAndARepressCreatesNothing) {
  g_Shell.g_EditSubMode = SUB_2D_POLY;
  Ed2D_Enter(Hook_Now());
  ASSERT_NE(g_Bone2Slots[0], nullptr);   // entering with slot 0 empty makes the model
  EXPECT_EQ(g_Bone2SlotShown[0], 1u);
  EXPECT_EQ(DialogSet(), Ed2D_WindowSet(SUB_2D_POLY));
  const u32 presses[][2] = {{IDC_M2D_BONE, 8}, {IDC_M2D_WEIGHT, 9}, {IDC_M2D_TEXTURE, 7},
                            {IDC_M2D_MOTION, 10}, {IDC_M2D_OBJECT, 4}, {IDC_M2D_BONE, 8}};
  for (const auto &p : presses) {
    u32 prev = g_Shell.g_EditSubMode;
    ASSERT_TRUE(Ed2D_PanelCommand(p[0]));
    EXPECT_EQ(g_Shell.g_EditSubMode, p[1]);
    EXPECT_EQ(g_Shell.g_PrevEditSubMode, prev);
    EXPECT_EQ(DialogSet(), Ed2D_WindowSet(p[1])) << p[1];
    EXPECT_EQ(g_Sel.g_SelectedBone, 0u);
    EXPECT_EQ(g_Lib.runState, p[1] == 4 ? 1u : 2u);
    // The list the per-frame update mirrors: the bone list where the bone dialog is open.
    bool bones = p[1] == SUB_2D_BONE || p[1] == SUB_2D_WEIGHT;
    EXPECT_EQ(Ed2D_SelectionList(), bones ? g_Ed2D.boneList : p[1] == 4 ? g_Ed2DObj.objectList : nullptr) << p[1];
    if (bones) { EXPECT_NE(Ed2D_SelectionList(), nullptr); }
  }
  EXPECT_EQ(DialogSet(), 3u);   // panel and bone dialog
  size_t made = ui.created.size(), alive = ui.live.size();
  void *panel = g_Ed2D.panel;
  EXPECT_TRUE(Ed2D_PanelCommand(IDC_M2D_BONE));
  EXPECT_EQ(ui.created.size(), made);
  EXPECT_EQ(ui.live.size(), alive);
  EXPECT_EQ(g_Ed2D.panel, panel);
  EXPECT_FALSE(Ed2D_PanelCommand(IDC_M2D_NONE));
  Ed2D_Leave(Hook_Now());
  EXPECT_TRUE(ui.live.empty());
}

TEST_F(Ed2DFixture, ObjectButtonAsksOnlyWithPolygonsAndNoKeepsEverything) {
  g_Shell.g_EditSubMode = SUB_2D_BONE;
  Ed2D_Enter(Hook_Now());
  EXPECT_TRUE(Ed2D_PanelCommand(IDC_M2D_OBJECT));   // no polygons: no question
  EXPECT_TRUE(ask.questions.empty());
  EXPECT_EQ(g_Shell.g_EditSubMode, (u32)SUB_2D_OBJECT);
  Ed2D_PanelCommand(IDC_M2D_BONE);
  Bone2Model *m = g_Bone2Slots[0];
  m->polygonCount = 1;
  EXPECT_TRUE(Ed2D_PanelCommand(IDC_M2D_OBJECT));   // as read or saved: kept by its file, no question
  EXPECT_TRUE(ask.questions.empty());
  Ed2D_PanelCommand(IDC_M2D_BONE);
  Doc_MarkEdited(DOC_BONE2);   // an edit the file does not keep: only then is it asked
  auto live = ui.live;
  ask.answer = false;
  g_Shell.g_EditDlgRefresh = 0;
  EXPECT_TRUE(Ed2D_PanelCommand(IDC_M2D_OBJECT));
  ASSERT_EQ(ask.questions.size(), 1u);
  const std::string panelQuestion = "\x95\xdb\x91\xb6\x82\xb5\x82\xc8\x82\xa2\x82\xc5\x95\xd2\x8f\x57\x83\x82"
                                    "\x81\x5b\x83\x68\x82\xf0\x95\xcf\x8d\x58\x82\xb5\x82\xdc\x82\xb7\x82\xa9\x81\x48";
  EXPECT_EQ(ask.questions[0], panelQuestion);
  EXPECT_EQ(g_Shell.g_EditSubMode, (u32)SUB_2D_BONE);
  EXPECT_EQ(ui.live, live);
  EXPECT_EQ(g_Bone2Slots[0], m);
  EXPECT_EQ(g_Shell.g_EditDlgRefresh, 1u);
  EXPECT_EQ(g_Ed2D.panelRefresh, 1u);
  // A changed model is not replaced by "新規作成" when the user keeps it.
  Doc_MarkEdited(DOC_BONE2);
  EXPECT_FALSE(Ed2D_NewBoneModel(Hook_Now()));
  EXPECT_EQ(g_Bone2Slots[0], m);
  ask.answer = true;
  EXPECT_TRUE(Ed2D_NewBoneModel(Hook_Now()));
  EXPECT_EQ(g_Bone2Slots[0]->polygonCount, 0);
  // Leaving the object sub-mode with an edited object model asks: the panel with the same
  // question, the family switch with the shell's; "No" stays in 4.
  EXPECT_TRUE(Ed2D_PanelCommand(IDC_M2D_OBJECT));
  ask.questions.clear();
  if (!g_Obj2Slots[0]) Obj2_Init(0);   // the object sub-mode's model
  Doc_MarkEdited(DOC_OBJ2);
  ask.answer = false;
  g_Ed2D.panelRefresh = 0;
  EXPECT_TRUE(Ed2D_PanelCommand(IDC_M2D_BONE));
  EXPECT_EQ(g_Shell.g_EditSubMode, (u32)SUB_2D_OBJECT);
  EXPECT_EQ(g_Ed2D.panelRefresh, 1u);
  App_SwitchFamily(FAMILY_2D_MAP);
  EXPECT_EQ(g_Shell.g_EditFamily, (u32)FAMILY_2D_MODEL);
  ASSERT_EQ(ask.questions.size(), 2u);
  EXPECT_EQ(ask.questions[0], panelQuestion);
  EXPECT_EQ(ask.questions[1], "\x95\xd2\x8f\x57\x92\x86\x82\xcc\x83\x82\x83\x66\x83\x8b\x82\xcd\x94\x6a\x8a\xfc"
                             "\x82\xb3\x82\xea\x82\xdc\x82\xb7\x81\x42\x82\xe6\x82\xeb\x82\xb5\x82\xa2\x82\xc5"
                             "\x82\xb7\x82\xa9\x81\x48");
  // Without an edit nothing is asked.
  Doc_ClearChanged(DOC_OBJ2);
  EXPECT_TRUE(Ed2D_PanelCommand(IDC_M2D_BONE));
  EXPECT_EQ(g_Shell.g_EditSubMode, (u32)SUB_2D_BONE);
  EXPECT_EQ(ask.questions.size(), 2u);
  Ed2D_Leave(Hook_Now());
}

TEST_F(Ed2DFixture, CurrentPointersAreNullOutsideTheModel) {
  EXPECT_EQ(Current_Bone2Model(), nullptr);
  EXPECT_EQ(Current_Obj2OfSlot(), nullptr);
  Bone2Model *m = Model(3, nullptr, nullptr);
  g_Sel.g_CurSlot = 5;   // the 3D layer has no say
  struct { u32 bone; bool inside; } cases[] = {{0, true}, {2, true}, {3, false}, {127, false}, {500, false}};
  for (auto c : cases) {
    g_Sel.g_CurBoneIndex = c.bone;
    EXPECT_EQ(Current_Bone2Model(), m);
    EXPECT_EQ(Current_Bone2() != nullptr, c.inside) << c.bone;
    EXPECT_EQ(Current_Bone2KeyBuf(), c.inside ? &m->rest[c.bone] : nullptr);
    if (!c.inside) { EXPECT_EQ(Current_Bone2Key(), nullptr); }
  }
  g_Sel.g_CurBoneIndex = 1;
  m->bones[1].keyIndex = 99;   // a key index beyond the track
  EXPECT_EQ(Current_Bone2Key(), nullptr);
  m->currentMotion = 500;      // a motion beyond the model
  EXPECT_EQ(Current_Bone2Motion(), nullptr);
  EXPECT_EQ(Current_Bone2KeyTrack(), nullptr);
  g_Sel.g_Cur2DSlot = 40;
  EXPECT_EQ(Current_Bone2Model(), nullptr);
  EXPECT_EQ(Current_Bone2(), nullptr);
}

// The skin: vertex positions with their automatic flags, rebound to the nearest centre.
TEST_F(Ed2DFixture, RebindGoldens) {
  struct Case {
    const char *what;
    i32 bones;
    i32 parents[4];
    f32 rest[4][2];
    f32 vx, vy;
    u32 automatic;
    u16 bone1;
  };
  // Rest matrices chain parents: bone 2 under 1 sits at (10 + 10, 0).
  const Case cases[] = {
      {"one bone gives bone 1", 1, {0}, {{0, 0}}, 50, 50, 1, 1},
      {"nearest", 3, {0, 0, 0}, {{0, 0}, {-40, 0}, {40, 0}}, 30, 0, 1, 2},
      {"tie to the lower bone", 3, {0, 0, 0}, {{0, 0}, {-40, 0}, {40, 0}}, 0, 5, 1, 1},
      // bone 1's centre is the mean of (10, 0) and its child's (20, 0): (15, 0)
      {"centre with children", 3, {0, 0, 1}, {{0, 0}, {10, 0}, {10, 0}}, 15, 1, 1, 1},
      {"flag 0 kept", 3, {0, 0, 0}, {{0, 0}, {-40, 0}, {40, 0}}, 30, 0, 0, 7},
  };
  for (const Case &c : cases) {
    Bone2_FreeAll();
    Bone2Model *m = Model(c.bones, c.parents, c.rest);
    m->vertexCount = 1;
    m->positions[0] = {c.vx, c.vy};
    m->bindings[0] = {7, 3, 0.25f, c.automatic};
    Ed2D_RebindSkin(Current_Bone2Edited());
    EXPECT_EQ(m->bindings[0].bone1, c.bone1) << c.what;
    EXPECT_EQ(m->bindings[0].bone2, c.automatic ? 0 : 3) << c.what;
    EXPECT_EQ(m->bindings[0].weight, c.automatic ? 1.0f : 0.25f) << c.what;
  }
}

TEST_F(Ed2DFixture, PickFindsTheCrossUnderTheMouseAtADesktopWithPan) {
  g_Shell.g_EditSubMode = SUB_2D_BONE;
  g_Lib.viewWindowMode = 1;
  g_Shell.g_Family2DFrame[FAMILY_2D_MODEL] = 1;
  g_Lib.desktopWidth = 1280;
  g_Lib.desktopHeight = 1024;
  g_Scale2D[0] = g_Scale2D[1] = 1.0f;
  g_Shell.g_Views[SUB_2D_BONE][0].panX = -30;
  g_Shell.g_Views[SUB_2D_BONE][0].panY = 12;
  // Bone 3 hangs under bone 1: its rest entry is relative to bone 1's.
  const i32 parents[4] = {0, 0, 0, 1};
  const f32 rest[4][2] = {{0, 0}, {50, -20}, {-60, 30}, {0, 40}};
  Bone2Model *m = Model(4, parents, rest);
  Bone2_SetPosition(m, 320, 240);
  // Bone 1 is drawn at frame (370, 220): client (370 + 320 - 30, 220 + 272 + 12).
  f32 fx, fy;
  Ed2D_ClientToFrame(660, 504, &fx, &fy);
  EXPECT_EQ(fx, 370.0f);
  EXPECT_EQ(fy, 220.0f);
  g_Mouse.g_MouseX = 662;
  g_Mouse.g_MouseY = 503;
  Shell_SetButtonHeld(BUTTON_RIGHT, 1);
  Ed2D_BoneUpdate(Hook_Now());
  Shell_SetButtonHeld(BUTTON_RIGHT, 0);
  EXPECT_EQ(g_Sel.g_CurBoneIndex, 1u);
  EXPECT_EQ(g_Ed2D.boneRefresh, 1u);
  EXPECT_EQ(m->displayMode, 3);
  EXPECT_EQ(Ed2D_PickBone(m, 0, 320 - 60, 240 + 30, false), 2);
  EXPECT_EQ(Ed2D_PickBone(m, 0, 345, 230, false), 0);   // 35 from bone 0 and 1: the lower one
  EXPECT_EQ(Ed2D_PickBone(m, 0, 370, 259, false), 3);   // drawn at (370, 260)
  g_Mouse.g_MouseX = 660, g_Mouse.g_MouseY = 504 + 40;
  Shell_SetButtonHeld(BUTTON_RIGHT, 1);
  Ed2D_BoneUpdate(Hook_Now());
  Shell_SetButtonHeld(BUTTON_RIGHT, 0);
  EXPECT_EQ(g_Sel.g_CurBoneIndex, 3u);
  g_Lib.viewWindowMode = 0;
  g_Shell.g_Family2DFrame[FAMILY_2D_MODEL] = 0;
}

TEST_F(Ed2DFixture, ParentAndChildDraggedTogetherMoveOnce) {
  g_Shell.g_EditSubMode = SUB_2D_BONE;
  Ed2D_Enter(Hook_Now());
  const i32 parents[4] = {0, 0, 1, 0};
  const f32 rest[4][2] = {{0, 0}, {10, 10}, {5, 0}, {-10, 0}};
  Bone2Model *m = Model(4, parents, rest);
  ui.marked[g_Ed2D.boneList] = {1, 2};
  App_MirrorListSelection();   // the per-frame update's copy of the list's selection
  ui.marked[g_Ed2D.boneList].clear();         // the drag reads the copy, not the list
  g_Scale2D[0] = g_Scale2D[1] = 1.0f;
  Ed2D_SetDragAnchors(Hook_At(100, 100));
  Shell_SetButtonHeld(BUTTON_LEFT, 1);
  Ed2D_BoneMouseMove(Hook_At(107, 97));
  Shell_SetButtonHeld(BUTTON_LEFT, 0);
  EXPECT_EQ(m->rest[1].x, 17.0f);
  EXPECT_EQ(m->rest[1].y, 7.0f);
  EXPECT_EQ(m->rest[2].x, 5.0f);   // follows its parent through the chain
  EXPECT_EQ(m->rest[3].x, -10.0f);
  EXPECT_TRUE(Doc_IsChanged(DOC_BONE2));
  Ed2D_BoneMouseMove(Hook_At(120, 120));   // no button: nothing moves
  EXPECT_EQ(m->rest[1].x, 17.0f);
  // The dialog's refresh after the moves keeps the list's selection; after a pick only the
  // picked bone stays selected.
  ui.marked[g_Ed2D.boneList] = {1, 2};
  Ed2D_BoneDlgTick();
  EXPECT_EQ(ui.marked[g_Ed2D.boneList], (std::set<i32>{1, 2}));
  g_Mouse.g_MouseX = 310, g_Mouse.g_MouseY = 240;   // bone 3's cross
  Ed2D_PickCurrentBone(false);
  EXPECT_EQ(g_Sel.g_CurBoneIndex, 3u);
  Ed2D_BoneDlgTick();
  EXPECT_EQ(ui.marked[g_Ed2D.boneList], (std::set<i32>{3}));
  Ed2D_Leave(Hook_Now());
}

TEST_F(Ed2DFixture, ParentRuleAndApply) {
  g_Shell.g_EditSubMode = SUB_2D_BONE;
  Ed2D_Enter(Hook_Now());
  const i32 parents[4] = {0, 0, 1, 1};
  Bone2Model *m = Model(4, parents, nullptr);
  struct { i32 bone, choice; bool ok; i32 parent; } cases[] = {
      {2, 2, false, 1}, {2, 3, false, 1}, {2, 0, true, 0}, {3, 2, true, 2}, {3, -1, true, 2}, {3, 40, true, 0},
  };
  for (auto c : cases) {
    EXPECT_EQ(Ed2D_SetBoneParent(m, c.bone, c.choice), c.ok) << c.bone << " " << c.choice;
    EXPECT_EQ(m->bones[c.bone].parent, c.parent) << c.bone << " " << c.choice;
  }
  g_Sel.g_CurBoneIndex = 2;
  ui.caret[g_Ed2D.boneList] = 2;
  ui.selection[g_Ed2D.parentCombo] = 3;
  WidgetFake_SetText(g_Ed2D.boneDlg, IDC_BONE_NAME, "arm");
  Ed2D_BoneDlgCommand(IDC_BONE_APPLY);
  EXPECT_STREQ(m->bones[2].name, "arm");   // the name stays though the parent is refused
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0], std::string("\x93\xaf\x82\xb6No \x96\x94\x82\xcd\x81\x41\x91\x49\x91\xf0\x82\xb5\x82\xc4"
                                        "\x82\xa2\x82\xe9\x83\x7b\x81\x5b\x83\x93\x82\xe6\x82\xe8\n\x91\xe5\x82\xab"
                                        "\x82\xc8No\x82\xcc\x83\x7b\x81\x5b\x83\x93\x82\xcd\x81\x41\x90\x65\x82\xc9"
                                        "\x82\xb7\x82\xe9\x82\xb1\x82\xc6\x82\xaa\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82"
                                        "\xf1\x81\x42"));
  Ed2D_BoneDlgCommand(IDC_BONE_ADD);
  EXPECT_EQ(m->boneCount, 5);
  m->boneCount = BONE2_MAX_BONES;
  Ed2D_BoneDlgCommand(IDC_BONE_ADD);
  EXPECT_EQ(m->boneCount, BONE2_MAX_BONES);
  Ed2D_Leave(Hook_Now());
}

TEST_F(Ed2DFixture, TextsAndTreeOrderInCp932) {
  g_Shell.g_EditSubMode = SUB_2D_BONE;
  const i32 parents[5] = {0, 0, 1, 4, 1};   // bone 3's parent 4 lies above it (from a file)
  Model(5, parents, nullptr);
  g_Sel.g_CurBoneIndex = 2;
  Ed2D_Enter(Hook_Now());
  const std::string parentBone = " 0  \x90\x65\x83\x7b\x81\x5b\x83\x93";   // " 0  親ボーン"
  EXPECT_EQ(ui.lines[g_Ed2D.boneList], (std::vector<std::string>{parentBone, " 1  b1", " 2  b2 ( 1 )", " 3  b3 ( 4 )",
                                                    " 4  b4 ( 1 )"}));
  EXPECT_EQ(ui.lines[g_Ed2D.parentCombo], (std::vector<std::string>{parentBone, " 1  b1", " 2  b2", " 3  b3", " 4  b4"}));
  EXPECT_EQ(ui.tree, (std::vector<std::string>{"root|" + parentBone, "root| 1  b1", " 1  b1| 2  b2", "root| 3  b3",
                                               " 1  b1| 4  b4"}));
  g_Ed2D.boneRefresh = 1;
  Ed2D_BoneDlgTick();
  EXPECT_EQ(WidgetFake_Text(g_Ed2D.boneDlg, IDC_BONE_NO), "\x83\x7b\x81\x5b\x83\x93No.2");
  EXPECT_EQ(WidgetFake_Text(g_Ed2D.boneDlg, IDC_BONE_X), "0.000");
  Ed2D_BoneTreeSelected(" 4  b4");
  EXPECT_EQ(g_Sel.g_CurBoneIndex, 4u);
  Ed2D_Leave(Hook_Now());
}

}  // namespace
