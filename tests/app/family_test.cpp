// Family hook dispatch: the installed rows reach their editors (the sub-mode rows of the 3D
// family by g_Shell.g_EditSubMode), the dispatchers call the cell of the current family only, mouse positions are decoded by the
// 65535 rule, a chorded release is swallowed, the wheel picks its factor by family, view
// kind and the reverse option, and switching families leaves and enters in order.
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "app/current.h"
#include "app/docflags.h"
#include "app/settings.h"
#include "app/shell_mouse.h"
#include "app/shell_options.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/views.h"
#include "edit3d/ed3d_rows.h"
#include "lib/framework/d3dapp.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/view_record.h"
#include "model/model3.h"
#include "program.h"
#include "shell_fixture.h"

namespace {

std::vector<std::string> g_calls;

// Recording fakes: one per hook shape, each tagged with the hook's name.
#define FAKE_VOID(name) void Fake_##name(const HookCtx *) { g_calls.push_back(#name); }
#define FAKE_MOUSE(name) \
  void Fake_##name(const HookCtx *c) { g_calls.push_back(#name + std::string(":") + std::to_string(c->x) + "," + std::to_string(c->y)); }
const ViewRecord *g_overlayView;   // the view the last overlay call drew
void Fake_overlay(const HookCtx *c) {
  g_calls.push_back("overlay");
  g_overlayView = c->view;
}
FAKE_VOID(enter) FAKE_VOID(leave) FAKE_VOID(update) FAKE_VOID(scene)
FAKE_MOUSE(lDown) FAKE_MOUSE(lUp) FAKE_MOUSE(mDown) FAKE_MOUSE(mUp) FAKE_MOUSE(rDown) FAKE_MOUSE(rUp)
FAKE_MOUSE(move)
void Fake_keyDown(const HookCtx *c) { g_calls.push_back("keyDown:" + std::to_string(c->key)); }
void Fake_keyUp(const HookCtx *c) { g_calls.push_back("keyUp:" + std::to_string(c->key)); }
void Fake_loopKeyUp(const HookCtx *c) { g_calls.push_back("loopKeyUp:" + std::to_string(c->key)); }
void Fake_command(const HookCtx *c) { g_calls.push_back("command:" + std::to_string(c->command)); }
void Fake_wheelKey(const HookCtx *c) { g_calls.push_back("wheelKey:" + std::to_string(c->step)); }
FAKE_MOUSE(dblClick) FAKE_VOID(lists) FAKE_VOID(pick)

const FamilyHooks kFakes = {Fake_enter, Fake_leave, Fake_update, Fake_scene, Fake_overlay,
                            Fake_lDown, Fake_lUp, Fake_mDown, Fake_mUp, Fake_rDown, Fake_rUp, Fake_move,
                            Fake_keyDown, Fake_keyUp, Fake_loopKeyUp, Fake_command,
                            Fake_wheelKey, Fake_dblClick, Fake_lists, Fake_pick};

struct FamilyTest : ::testing::Test {
  void SetUp() override {
    Shell_ResetForTest();
    g_calls.clear();
  }
  // The rows as the program installs them, whatever a test swapped.
  void TearDown() override { Support_InstallProgram(); }
};

}  // namespace

// The installed rows, driven by behaviour: a sub-mode row of the 3D family is reached only
// in its sub-mode, the movie's enter leaves the logical frame, the families without a row
// reach nothing, and the borrowed drag-anchor cells are the shell's.
TEST_F(FamilyTest, InstalledRowsReachTheirEditors) {
  FamilyHooks *motion = &g_Ed3DSubModeRows[SUB_3D_MOTION - ED3D_FIRST_SUB_MODE];
  *motion = kFakes;
  g_Shell.g_EditFamily = FAMILY_3D_MODEL;
  g_Shell.g_EditSubMode = SUB_3D_POLY;
  App_OnKeyDown(65);
  App_OnLButtonDblClk(0x00050004);
  App_FamilyCommand(7);
  EXPECT_TRUE(g_calls.empty());
  g_Shell.g_EditSubMode = SUB_3D_MOTION;
  g_AppShell.keyLatch = 0;   // an idle pass between the keys
  App_OnKeyDown(65);
  App_OnLButtonDblClk(0x00050004);
  App_FamilyCommand(7);
  App_OnLButtonDown(0xFFFD0064);   // the hook gets the decoded position
  EXPECT_EQ(g_calls, (std::vector<std::string>{"keyDown:65", "dblClick:4,5", "command:7", "lDown:100,-2"}));
  EXPECT_EQ(g_Mouse.g_MouseX, 100);
  EXPECT_EQ(g_Mouse.g_MouseY, -2);

  g_Lib.frameScaling = 1;
  App_SwitchFamily(FAMILY_MOVIE);
  EXPECT_EQ(g_Lib.frameScaling, 0u);

  for (u32 f : {1u, 2u, 4u, 10u, 12u, 18u}) {
    const FamilyHooks &r = g_FamilyHooks[f];
    EXPECT_TRUE(!r.enter && !r.lButtonDown && !r.command && !r.wheelKey) << f;
  }
  EXPECT_EQ(g_FamilyHooks[FAMILY_EFFECT].lButtonDown, g_FamilyHooks[FAMILY_COLLISION].lButtonDown);
  EXPECT_EQ(g_FamilyHooks[FAMILY_EFFECT].rButtonDown, g_FamilyHooks[FAMILY_2D_MAP].rButtonDown);
  EXPECT_NE(g_FamilyHooks[FAMILY_PREVIEW].rButtonDown, nullptr);
  EXPECT_EQ(g_FamilyHooks[FAMILY_PROGRAM].lButtonDown, nullptr);
}

TEST_F(FamilyTest, WheelKeyStepsTheSubModesRow) {
  FamilyHooks *objMotion = &g_Ed3DSubModeRows[SUB_3D_OBJMOTION - ED3D_FIRST_SUB_MODE];
  *objMotion = kFakes;
  g_Shell.g_EditFamily = FAMILY_3D_MODEL;
  g_Shell.g_EditSubMode = SUB_3D_OBJMOTION;
  App_OnWheelUp();
  App_OnWheelDown();
  g_Shell.g_EditSubMode = SUB_3D_MOTION;   // the motion sub-mode's row has no wheel cell yet
  App_OnWheelUp();
  EXPECT_EQ(g_calls, (std::vector<std::string>{"wheelKey:-1", "wheelKey:1"}));
}

TEST_F(FamilyTest, DispatchersCallOnlyTheCurrentFamily) {
  g_FamilyHooks[21] = kFakes;
  g_Shell.g_EditFamily = 20;
  App_OnKeyDown(65);
  App_FamilyCommand(40001);
  EXPECT_TRUE(g_calls.empty());
  g_Shell.g_EditFamily = 21;
  g_Shell.g_EditSubMode = 21;
  g_AppShell.keyLatch = 0;
  App_OnKeyDown(65);
  g_AppShell.keyLatch = 0;
  App_OnKeyUp(66);   // key-up reaches only the 3D family's hook
  App_FamilyCommand(40001);
  App_UpdateFrame();
  App_DrawScene();
  App_DrawOverlay();
  App_OnLButtonDown(0x00200010);
  App_OnMouseMove(0x00300011);
  std::vector<std::string> want = {"keyDown:65", "command:40001", "update", "scene",
                                   "overlay", "lDown:16,32", "move:17,48"};
  EXPECT_EQ(g_calls, want);
  EXPECT_EQ(g_Mouse.g_MouseMoveX, 0x11);
  EXPECT_EQ(g_Mouse.g_MouseMoveY, 0x30);
  EXPECT_EQ(g_Mouse.g_MouseMoveDX, 0x11 - 0x10);   // from the press, where the drag starts
  // A family number outside the table reaches nothing.
  g_calls.clear();
  g_Shell.g_EditFamily = 77;
  App_OnKeyDown(65);
  App_UpdateFrame();
  EXPECT_TRUE(g_calls.empty());
}

TEST_F(FamilyTest, LoopKeyUpGoesByLayout) {
  g_Ed3DSubModeRows[SUB_3D_MOTION - ED3D_FIRST_SUB_MODE] = kFakes;
  g_FamilyHooks[22] = kFakes;
  g_Shell.g_EditFamily = 11;
  g_Shell.g_EditSubMode = 14;
  App_LoopKeyUp(1);
  EXPECT_TRUE(g_calls.empty());
  g_Shell.g_EditSubMode = 18;
  App_LoopKeyUp(2);
  g_Shell.g_EditFamily = 22;
  g_Shell.g_EditSubMode = 22;
  App_LoopKeyUp(3);
  EXPECT_EQ(g_calls, (std::vector<std::string>{"loopKeyUp:2", "loopKeyUp:3"}));
}

TEST_F(FamilyTest, OverlaySkippedWithoutModelInThe3DSubModes) {
  g_FamilyHooks[11] = kFakes;
  g_Shell.g_EditFamily = 11;
  g_Sel.g_CurSlot = 200;   // an empty slot
  for (u32 sub : {14u, 15u, 16u, 17u, 18u}) {
    g_Shell.g_EditSubMode = sub;
    App_DrawOverlay();
  }
  EXPECT_TRUE(g_calls.empty());
  g_Shell.g_EditSubMode = 12;
  g_Shell.g_DrawView = 2;
  App_DrawOverlay();
  EXPECT_EQ(g_calls, (std::vector<std::string>{"overlay"}));
  EXPECT_EQ(g_overlayView, &g_Shell.g_Views[12][2]);
  g_Sel.g_CurSlot = 0;
}

TEST(MouseDecode, HalvesAboveTenThousandWrapBy65535) {
  EXPECT_EQ(Mouse_DecodeCoord(0), 0);
  EXPECT_EQ(Mouse_DecodeCoord(10000), 10000);
  EXPECT_EQ(Mouse_DecodeCoord(10001), 10001 - 65535);
  EXPECT_EQ(Mouse_DecodeCoord(65533), -2);   // client x = -3 stores -2
  EXPECT_EQ(Mouse_DecodeCoord(65534), -1);
  EXPECT_EQ(Mouse_DecodeCoord(65535), 0);
  i32 x, y;
  D3DApp_DecodeMouse((intptr_t)0xFFFD0064, &x, &y);
  EXPECT_EQ(x, 100);
  EXPECT_EQ(y, -2);
  // Bits above the low 32 (a 64-bit LPARAM) do not leak into y.
  D3DApp_DecodeMouse((intptr_t)0x7777000000050006LL, &x, &y);
  EXPECT_EQ(x, 6);
  EXPECT_EQ(y, 5);
}

TEST_F(FamilyTest, ChordedReleaseIsSwallowed) {
  g_FamilyHooks[11] = kFakes;
  g_Shell.g_EditFamily = 11;
  g_Shell.g_EditSubMode = 14;
  // Left down, right down, left up: the left release is ignored, the right counts as released.
  g_Lib.app.leftHeld = 1;
  g_Lib.app.rightHeld = 1;
  App_OnLButtonUp(0);
  EXPECT_TRUE(g_calls.empty());
  EXPECT_EQ(g_Lib.app.rightHeld, 0u);
  g_Lib.app.leftHeld = 0;   // the framework handler clears the flag after the shell's handler
  App_OnRButtonUp(0);
  EXPECT_EQ(g_calls, (std::vector<std::string>{"rUp:0,0"}));
  // The mirror case.
  g_calls.clear();
  g_Lib.app.leftHeld = 1;
  g_Lib.app.rightHeld = 0;
  App_OnRButtonUp(0);
  EXPECT_TRUE(g_calls.empty());
  EXPECT_EQ(g_Lib.app.leftHeld, 0u);
  App_OnLButtonUp(0);
  App_OnMButtonUp(0);
  EXPECT_EQ(g_calls, (std::vector<std::string>{"lUp:0,0", "mUp:0,0"}));
}

// A right drag from x 100 to 160 on a busy machine: the last move the program took before the
// press is the end of an earlier drag (x 160), and the pointer's move back to the press comes
// after it. The drag counts 60 pixels to the right, as the pointer went, whichever came first.
TEST_F(FamilyTest, ADragIsMeasuredFromItsPress) {
  auto at = [](int x) { return (i64)(50 << 16 | x); };
  for (bool late : {false, true}) {
    SCOPED_TRACE(late ? "the move to the press came late" : "in order");
    App_OnMouseMove(at(160));   // the end of the earlier drag
    if (!late) App_OnMouseMove(at(100));
    g_Mouse.g_NavMoveDX = 0;
    App_OnRButtonDown(at(100));
    if (late) App_OnMouseMove(at(100));
    for (int x = 110; x <= 160; x += 10) App_OnMouseMove(at(x));
    EXPECT_EQ(g_Mouse.g_NavMoveDX, 60.0f);
    EXPECT_EQ(g_Mouse.g_NavMoveDY, 0.0f);
    g_Mouse.g_NavMoveDX = g_Mouse.g_NavMoveDY = 0;
  }
}

TEST_F(FamilyTest, HoverPickOnlyWhenNotSuspendedAndNoButtonHeld) {
  static int picks;
  picks = 0;
  g_FamilyHooks[11].hoverPick = [](const HookCtx *) { picks++; };
  g_Shell.g_EditFamily = 11;
  g_Sel.g_PolyNoAutoPick = 1;
  App_OnMouseMove(0);
  g_Sel.g_PolyNoAutoPick = 0;
  App_OnMouseMove(0);
  g_Lib.app.middleHeld = 1;
  App_OnMouseMove(0);
  EXPECT_EQ(picks, 1);
}

TEST(Wheel, FactorsByFamilyKindAndReverse) {
  struct Case { u32 fam, sub, kind; bool rev, fwd; u32 action; f32 factor; };
  const Case cases[] = {
    {11, 14, VIEW_MAIN, false, true, WHEEL_ZOOM, 0.66f},
    {11, 14, VIEW_FRONT, false, true, WHEEL_ZOOM, 1.5f},
    {11, 14, VIEW_MAIN, true, true, WHEEL_ZOOM, 1.5f},
    {11, 17, VIEW_FRONT, true, true, WHEEL_ZOOM, 0.66f},
    {11, 15, VIEW_MAIN, false, false, WHEEL_ZOOM, 1.5f},
    {11, 16, VIEW_TOP, false, false, WHEEL_ZOOM, 0.66f},
    {3, 6, VIEW_MAIN, false, true, WHEEL_ZOOM, 1.5f},
    {3, 6, VIEW_MAIN, true, true, WHEEL_ZOOM, 1.5f},   // the option has no effect in 2D
    {3, 9, VIEW_SIDE, true, true, WHEEL_ZOOM, 0.66f},
    {3, 7, VIEW_SIDE, false, false, WHEEL_ZOOM, 1.5f},
    {0, 0, VIEW_FRONT, false, true, WHEEL_ZOOM, 0.66f},
    {0, 0, VIEW_MAIN, true, true, WHEEL_ZOOM, 1.5f},
    {21, 21, VIEW_MAIN, false, false, WHEEL_ZOOM, 1.5f},
    {21, 21, VIEW_MAIN, true, false, WHEEL_ZOOM, 0.66f},
    {3, 4, VIEW_MAIN, false, true, WHEEL_2D_OBJECT_KEY, 1},
    {3, 10, VIEW_MAIN, false, true, WHEEL_2D_MOTION_KEY, 1},
    {11, 12, VIEW_MAIN, false, true, WHEEL_3D_OBJMOTION_KEY, 1},
    {11, 18, VIEW_MAIN, false, true, WHEEL_3D_MOTION_KEY, 1},
    {19, 19, VIEW_MAIN, false, true, WHEEL_EFFECT_KEY, 1},
    {22, 22, VIEW_MAIN, false, true, WHEEL_MOVIE_KEY, 1},
    {20, 20, VIEW_MAIN, false, true, WHEEL_NOTHING, 1},
    {23, 23, VIEW_MAIN, false, true, WHEEL_NOTHING, 1},
  };
  for (const Case &c : cases) {
    WheelAction a = Wheel_Decide(c.fam, c.sub, c.kind, c.rev, c.fwd);
    EXPECT_EQ(a.kind, c.action) << c.fam << "/" << c.sub;
    if (c.action == WHEEL_ZOOM) EXPECT_FLOAT_EQ(a.factor, c.factor) << c.fam << "/" << c.sub << " kind " << c.kind;
    else EXPECT_EQ(a.step, c.fwd ? -1 : 1);
  }
}

TEST_F(FamilyTest, WheelZoomsTheCurrentView) {
  g_Shell.g_EditFamily = 11;
  g_Shell.g_EditSubMode = 14;
  g_Shell.g_ActiveView = 1;
  g_Shell.g_Views[14][1].kind = VIEW_FRONT;
  g_Shell.g_Views[14][1].zoom = 2.0f;
  App_OnWheelUp();
  EXPECT_FLOAT_EQ(g_Shell.g_Views[14][1].zoom, 3.0f);
  g_Options.g_OptReverseWheel = 1;
  App_OnWheelUp();
  EXPECT_FLOAT_EQ(g_Shell.g_Views[14][1].zoom, 3.0f * 0.66f);
}

namespace {
int g_menuDestroyed, g_questions;
bool g_answer;
void *g_lastMenu;
}

TEST_F(FamilyTest, SwitchingLeavesThenEntersAndSetsViewCounts) {
  g_FamilyHooks[0] = kFakes;
  g_FamilyHooks[22] = kFakes;
  g_FamilyHooks[23] = kFakes;
  g_ShellSeam.destroyMenu = [](void *m) { g_menuDestroyed++; g_lastMenu = m; };
  g_menuDestroyed = 0;
  g_Shell.g_FamilyMenu = (void *)0x55;
  App_SwitchFamily(22);
  EXPECT_EQ(g_calls, (std::vector<std::string>{"leave", "enter"}));
  EXPECT_EQ(g_menuDestroyed, 1);
  EXPECT_EQ(g_lastMenu, (void *)0x55);
  EXPECT_EQ(g_Shell.g_FamilyMenu, nullptr);
  EXPECT_EQ(g_Shell.g_EditFamily, 22u);
  EXPECT_EQ(g_Shell.g_EditSubMode, 22u);
  EXPECT_EQ(g_Shell.g_PrevEditFamily, 0u);
  EXPECT_EQ(g_Shell.g_ViewCount[22], 5);
  g_calls.clear();
  App_SwitchFamily(22);   // the same family: nothing
  EXPECT_TRUE(g_calls.empty());
  App_SwitchFamily(23);
  EXPECT_EQ(g_Shell.g_ViewCount[23], 1);
  App_SwitchFamily(3);
  EXPECT_EQ(g_Shell.g_EditSubMode, 6u);
  EXPECT_EQ(g_Shell.g_ViewCount[6], 1);   // the 2D model family draws in the main view only
  // A view the user added to a layout stays when the family is entered again.
  g_Shell.g_ViewCount[23] = 6;
  g_Shell.g_ViewCount[21] = 6;
  g_Shell.g_ViewCount[20] = 6;
  App_SwitchFamily(21);
  EXPECT_EQ(g_Shell.g_ViewCount[21], 6);
  App_SwitchFamily(20);
  EXPECT_EQ(g_Shell.g_ViewCount[20], 1);   // the 2D map draws in the main view only
  App_SwitchFamily(23);
  EXPECT_EQ(g_Shell.g_ViewCount[23], 1);
  App_SwitchFamily(5);   // no such family
  EXPECT_EQ(g_Shell.g_EditFamily, 23u);
}

TEST_F(FamilyTest, ThreeDFamilyResetsSlotZeroOnceAndAsksBeforeDiscardingEdits) {
  static int undoResets;
  static std::vector<std::string> pushes;
  undoResets = 0;
  pushes.clear();
  // A marker in slot 0 tells whether the slot was made again.
  g_ModelAllocArrays = 1;
  Model3_Init(0);
  Model3_Get(0)->renderMode = 77;
  g_ShellSeam.undoResetAll = [] { undoResets++; };
  g_ShellSeam.undoPush = [](const char *label) { pushes.push_back(label); };
  g_ShellSeam.askYesNo = [](const char *) { g_questions++; return g_answer; };
  g_questions = 0;
  g_FamilyHooks[11] = kFakes;
  g_Shell.g_Views[14][0].panX = 4;
  App_SwitchTo3DFamily();
  EXPECT_EQ(g_Shell.g_EditFamily, 11u);
  EXPECT_EQ(g_Shell.g_EditSubMode, 14u);
  ASSERT_NE(Model3_Get(0), nullptr);
  EXPECT_NE(Model3_Get(0)->renderMode, 77u);   // a new empty model
  Model3_Get(0)->renderMode = 77;
  EXPECT_EQ(undoResets, 1);
  EXPECT_EQ(pushes, (std::vector<std::string>{"３Ｄモデル編集"}));
  EXPECT_EQ(g_Shell.g_Views[14][0].panX, 0.0f);
  EXPECT_EQ(g_Shell.g_Views[14][0].panY, 8.0f);
  EXPECT_EQ(g_Shell.g_Views[14][0].zoom, 3.2f);
  // Choosing the 3D editor again keeps the model and its history.
  App_SwitchTo3DFamily();
  App_SwitchFamily(11);
  EXPECT_EQ(Model3_Get(0)->renderMode, 77u);
  EXPECT_EQ(undoResets, 1);
  // Leaving with an edited model asks, also after the edit's undo step cleared the edited
  // flag; "no" stays.
  Doc_MarkEdited(DOC_MODEL3);
  g_Shell.g_EditedFlag = 0;
  g_answer = false;
  g_calls.clear();
  App_SwitchFamily(0);
  EXPECT_EQ(g_questions, 1);
  EXPECT_EQ(g_Shell.g_EditFamily, 11u);
  EXPECT_TRUE(g_calls.empty());
  g_answer = true;
  App_SwitchFamily(0);
  EXPECT_EQ(g_Shell.g_EditFamily, 0u);
  EXPECT_EQ(g_calls.front(), "leave");
  // "はい" gave the model up: slot 0 holds an empty model, which no other family draws.
  ASSERT_NE(Model3_Get(0), nullptr);
  EXPECT_NE(Model3_Get(0)->renderMode, 77u);
  Model3_Get(0)->renderMode = 77;
  // Unedited: no question.
  App_SwitchTo3DFamily();
  EXPECT_EQ(g_Shell.g_EditedFlag, 0u);
  App_SwitchFamily(21);
  EXPECT_EQ(g_questions, 2);
}
