// The collision editor without windows: wall tables filling up, duplicate and delete on
// release, drags, the arrow keys, picking through a fake projection, the panels' texts in
// CP932 and the range panel's refusal, and the family switch's question for a changed set.
#include "tests/support/hook_at.h"
#include <gtest/gtest.h>

#include "app/docflags.h"
#include "app/drag_anchors.h"
#include "app/family.h"
#include "app/shell_mouse.h"
#include "app/shell_seam.h"
#include "app/shell_view.h"
#include "app/views.h"
#include "lib/framework/lib_state.h"
#include "scene/coli_edit.h"
#include "tests/scene/coli_fixture.h"
#include "tests/support/shell_fixture.h"
#include "tests/support/widget_fake.h"

namespace {

// Screen = 10 x world (x, z) + 100; the mouse is compared against it.
void FakeProject(f32 out[3], f32 x, f32, f32 z) {
  out[0] = 10.0f * x + 100.0f;
  out[1] = 10.0f * z + 100.0f;
  out[2] = 0.0f;
}

std::vector<std::string> g_questions;
bool g_answer;
bool Ask(const char *text) {
  g_questions.push_back(text);
  return g_answer;
}

struct ColiEditTest : ColiTest {
  SceneSeam savedDraw;
  void SetUp() override {
    ColiTest::SetUp();
    Shell_ResetForTest();
    savedDraw = g_SceneSeam;
    g_SceneSeam.project = FakeProject;
    g_ColiEdit = ColiEditor{};
    g_ColiEdit.curBox = g_ColiEdit.curCircle = -1;
    memset(g_Shell.g_DocChanged, 0, sizeof g_Shell.g_DocChanged);
    WidgetFake_Install();
    Coli_NewDocument();
    Character(0, 0, 0, 0);
  }
  void TearDown() override {
    g_SceneSeam = savedDraw;
    WidgetFake_Remove();
    g_ColiEdit = ColiEditor{};
    memset(g_Shell.g_DocChanged, 0, sizeof g_Shell.g_DocChanged);
    ColiTest::TearDown();
  }
  static void LeftDrag(i32 fromX, i32 fromY, i32 toX, i32 toY) {
    Shell_SetButtonHeld(BUTTON_LEFT, 1);
    DragAnchor_PressAll(Hook_At(fromX, fromY));
    Coli_MouseMove(Hook_At(toX, toY));
    Shell_SetButtonHeld(BUTTON_LEFT, 0);
  }
  static std::string Text(const ColiPanelView &v, u32 id) {
    for (u32 i = 0; i < v.count; i++)
      if (v.ids[i] == id) return v.texts[i];
    return "(none)";
  }
  // The box panel's number, X, Z, angle and size lines, each after its label.
  static void ExpectBoxTexts(const ColiPanelView &v, const char *no, const char *x, const char *z,
                             const char *angle, const char *size) {
    EXPECT_EQ(Text(v, IDC_COLI_BOX_NO), std::string("No : ") + no);
    EXPECT_EQ(Text(v, IDC_COLI_BOX_X), std::string("\x82\x77 : ") + x);
    EXPECT_EQ(Text(v, IDC_COLI_BOX_Z), std::string("\x82\x79 : ") + z);
    EXPECT_EQ(Text(v, IDC_COLI_BOX_ANGLE), std::string("\x8a\x70\x93\x78 : ") + angle);
    EXPECT_EQ(Text(v, IDC_COLI_BOX_SIZE), std::string("\x83\x54\x83\x43\x83\x59 : ") + size);
  }
};

// Both tables: 100 adds, then the 101st and a duplicate are refused with the table's message
// and nothing past the table is written.
TEST_F(ColiEditTest, FullTablesRefuseAddAndDuplicate) {
  struct Case {
    u32 target, addId, dupId;
    const char *full;
  } cases[] = {
      {COLI_TARGET_BOXES, IDC_COLI_BOX_ADD, IDC_COLI_BOX_DUPLICATE, "壁(立方体)を追加できませんでした。"},
      {COLI_TARGET_CIRCLES, IDC_COLI_CIRCLE_ADD, IDC_COLI_CIRCLE_DUPLICATE, "壁(円)を追加できませんでした。"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.target);
    Messages().clear();
    u32 panel = c.target == COLI_TARGET_BOXES ? COLI_PANEL_BOX : COLI_PANEL_CIRCLE;
    Coli_SetTarget(c.target);
    for (int i = 0; i < 100; i++) Coli_PanelCommand(panel, c.addId, nullptr);
    EXPECT_TRUE(Messages().empty());
    i32 count = c.target == COLI_TARGET_BOXES ? g_Coli.doc->boxCount : g_Coli.doc->circleCount;
    EXPECT_EQ(count, 100);
    Coli_PanelCommand(panel, c.addId, nullptr);
    Coli_PanelCommand(panel, c.dupId, nullptr);
    Coli_LButtonUp(Hook_At(0, 0));
    count = c.target == COLI_TARGET_BOXES ? g_Coli.doc->boxCount : g_Coli.doc->circleCount;
    EXPECT_EQ(count, 100);
    EXPECT_EQ(Messages(), (std::vector<std::string>{c.full, c.full}));
    EXPECT_EQ(c.target == COLI_TARGET_BOXES ? g_ColiEdit.curBox : g_ColiEdit.curCircle, 0);
  }
  EXPECT_TRUE(Doc_IsChanged(DOC_COLLISION));
}

TEST_F(ColiEditTest, DeleteCompactsInOrderAndDuplicateNeedsACurrentRecord) {
  Coli_SetTarget(COLI_TARGET_BOXES);
  for (int i = 0; i < 5; i++) {
    Coli_AddBox();
    g_Coli.doc->boxes[i].x = (f32)(10 * i);
  }
  // Duplicate without a current record: nothing.
  g_ColiEdit.curBox = -1;
  g_ColiEdit.boxMode = COLI_MODE_DUPLICATE;
  Coli_LButtonUp(Hook_At(0, 0));
  EXPECT_EQ(g_Coli.doc->boxCount, 5);
  EXPECT_EQ(g_Coli.doc->boxes[5].used, 0u);
  // Duplicate of record 1 lands in record 5, selected and current.
  g_ColiEdit.curBox = 1;
  Coli_LButtonUp(Hook_At(0, 0));
  EXPECT_EQ(g_Coli.doc->boxCount, 6);
  EXPECT_EQ(g_Coli.doc->boxes[5].x, 10.0f);
  EXPECT_EQ(g_ColiEdit.boxSelected[5], 1);
  EXPECT_EQ(g_ColiEdit.curBox, 5);
  // Delete the middle record 2: the rest keep their order, the moved ones lose selection.
  g_ColiEdit.boxMode = COLI_MODE_DELETE;
  g_ColiEdit.curBox = 2;
  Coli_LButtonUp(Hook_At(0, 0));
  EXPECT_EQ(g_Coli.doc->boxCount, 5);
  const f32 xs[5] = {0, 10, 30, 40, 10};
  for (int i = 0; i < 5; i++) {
    EXPECT_EQ(g_Coli.doc->boxes[i].used, 1u);
    EXPECT_EQ(g_Coli.doc->boxes[i].x, xs[i]) << i;
  }
  EXPECT_EQ(g_Coli.doc->boxes[5].used, 0u);
  EXPECT_EQ(g_ColiEdit.boxSelected[4], 0);
  EXPECT_EQ(g_ColiEdit.curBox, -1);
  // A later drag edits nothing.
  g_ColiEdit.boxMode = COLI_MODE_MOVE;
  LeftDrag(0, 0, 50, 50);
  EXPECT_EQ(g_Coli.doc->boxes[4].x, 10.0f);
}

TEST_F(ColiEditTest, DragsMoveTurnAndScaleNeverBelowATenth) {
  Coli_SetTarget(COLI_TARGET_BOXES);
  Coli_AddBox();
  Coli_SetTarget(COLI_TARGET_CIRCLES);
  Coli_AddCircle();
  struct Case {
    u32 target, mode;
    i32 dx, dy;
    f32 x, z, angle, size;
  } cases[] = {
      {COLI_TARGET_BOXES, COLI_MODE_MOVE, 20, 10, 2.0f, -1.0f, 0.0f, 5.0f},
      {COLI_TARGET_BOXES, COLI_MODE_ROTATE, 30, -20, 2.0f, -1.0f, 10.0f, 5.0f},
      {COLI_TARGET_BOXES, COLI_MODE_SCALE, -100, 100, 2.0f, -1.0f, 10.0f, 0.1f},
      {COLI_TARGET_BOXES, COLI_MODE_SCALE, 10, 0, 2.0f, -1.0f, 10.0f, 1.1f},
      {COLI_TARGET_CIRCLES, COLI_MODE_MOVE, -10, -30, -1.0f, 3.0f, 0.0f, 5.0f},
      {COLI_TARGET_CIRCLES, COLI_MODE_SCALE, 0, 60, -1.0f, 3.0f, 0.0f, 0.1f},
  };
  for (const Case &c : cases) {
    g_ColiEdit.target = c.target;
    if (c.target == COLI_TARGET_BOXES) g_ColiEdit.boxMode = c.mode;
    else g_ColiEdit.circleMode = c.mode;
    LeftDrag(200, 200, 200 + c.dx, 200 + c.dy);
    const ColiBox &b = g_Coli.doc->boxes[0];
    const ColiCircle &ci = g_Coli.doc->circles[0];
    SCOPED_TRACE(testing::Message() << c.target << " " << c.mode << " " << c.dx << " " << c.dy);
    EXPECT_NEAR(c.target == COLI_TARGET_BOXES ? b.x : ci.x, c.x, 1e-5);
    EXPECT_NEAR(c.target == COLI_TARGET_BOXES ? b.z : ci.z, c.z, 1e-5);
    if (c.target == COLI_TARGET_BOXES) { EXPECT_NEAR(b.angle, c.angle, 1e-5); }
    EXPECT_NEAR(c.target == COLI_TARGET_BOXES ? b.size : ci.size, c.size, 1e-5);
  }
  // Scene object 0 stays where it was.
  EXPECT_EQ(Object_Get(0)->pos[0], 0.0f);
}

TEST_F(ColiEditTest, ArrowKeysDownBeatsUpLeftBeatsRight) {
  struct Case {
    u32 keys[4];
    f32 x, z;
  } cases[] = {
      {{38, 0, 0, 0}, 0.0f, 0.5f},
      {{38, 40, 0, 0}, 0.0f, -0.5f},
      {{37, 39, 0, 0}, -0.5f, 0.0f},
      {{38, 39, 40, 37}, -0.5f, -0.5f},
  };
  for (const Case &c : cases) {
    Object_SetPosition(Object_Get(0), 0, 0, 0);
    memset(g_Lib.app.keyState, 0, sizeof g_Lib.app.keyState);
    for (u32 k : c.keys)
      if (k) g_Lib.app.keyState[k] = 1;
    Coli_Update(Hook_Now());
    EXPECT_EQ(Object_Get(0)->pos[0], c.x);
    EXPECT_EQ(Object_Get(0)->pos[2], c.z);
    // The view follows character 0, its steps are cleared.
    EXPECT_EQ(View_Get(g_Shell.g_EditSubMode, 0)->panX, c.x);
    EXPECT_EQ(Object_Get(0)->velocity[1], 0.0f);
  }
  EXPECT_EQ(g_Coli.doc->loaded, 1u);
}

TEST_F(ColiEditTest, PickingTakesTheNearestAndTheLowerIndexOnATie) {
  Coli_SetTarget(COLI_TARGET_BOXES);
  for (int i = 0; i < 4; i++) Coli_AddBox();
  // Screen x: 100, 200, 300, 300 (boxes 2 and 3 at one place); box 1 unused later.
  const f32 xs[4] = {0, 10, 20, 20};
  for (int i = 0; i < 4; i++) g_Coli.doc->boxes[i].x = xs[i];
  struct Case {
    i32 mouseX;
    i32 expect;
  } cases[] = {{90, 0}, {160, 1}, {149, 0}, {150, 0}, {290, 2}, {999, 2}};
  for (const Case &c : cases) {
    g_Mouse.g_MouseX = c.mouseX;
    g_Mouse.g_MouseY = 100;
    Coli_Update(Hook_Now());
    EXPECT_EQ(g_ColiEdit.curBox, c.expect) << c.mouseX;
  }
  // No pick while a button is held.
  g_Mouse.g_MouseX = 90;
  Shell_SetButtonHeld(BUTTON_RIGHT, 1);
  Coli_Update(Hook_Now());
  EXPECT_EQ(g_ColiEdit.curBox, 2);
  Shell_SetButtonHeld(BUTTON_RIGHT, 0);
  // Nothing in use: none.
  for (ColiBox &b : g_Coli.doc->boxes) b.used = 0;
  Coli_Update(Hook_Now());
  EXPECT_EQ(g_ColiEdit.curBox, -1);
}

TEST_F(ColiEditTest, PanelTextsInCp932) {
  Coli_SetTarget(COLI_TARGET_BOXES);
  ColiPanelView v;
  Coli_PanelView(COLI_PANEL_BOX, &v);
  ExpectBoxTexts(v, "? / ? / 100", "?", "?", "?", "?");
  EXPECT_EQ(v.pressed, (u32)IDC_COLI_BOX_MOVE);
  for (int i = 0; i < 5; i++) Coli_AddBox();
  g_ColiEdit.curBox = 2;
  g_ColiEdit.boxMode = COLI_MODE_ROTATE;
  ColiBox &b = g_Coli.doc->boxes[2];
  b.x = 1.5f, b.z = -12.25f, b.angle = 45.0f, b.size = 5.0f;
  Coli_PanelView(COLI_PANEL_BOX, &v);
  ExpectBoxTexts(v, "3 / 5 / 100", "1.50", "-12.25", "45.00", "5.00");
  EXPECT_EQ(v.pressed, (u32)IDC_COLI_BOX_ROTATE);
  Coli_PanelView(COLI_PANEL_CIRCLE, &v);
  EXPECT_EQ(Text(v, IDC_COLI_CIRCLE_NO), "No : ? / ? / 100");
  EXPECT_EQ(Text(v, IDC_COLI_CIRCLE_SIZE), "\x83\x54\x83\x43\x83\x59 : ?");
  Coli_PanelView(COLI_PANEL_RANGE, &v);
  EXPECT_EQ(Text(v, IDC_COLI_MIN_X), "-32");
  EXPECT_EQ(Text(v, IDC_COLI_MIN_Y), " 0");
  Coli_PanelView(COLI_PANEL_SELECT, &v);
  EXPECT_EQ(v.pressed, (u32)IDC_COLI_BOXES);
}

TEST_F(ColiEditTest, RangePanelTakesFiveNumbersOrNone) {
  const char *bad[5] = {"-20", "20", "abc", "30", "1"};
  ColiRangeTexts t;
  for (int i = 0; i < 5; i++) t.text[i] = bad[i];
  Coli_PanelCommand(COLI_PANEL_RANGE, IDC_COLI_APPLY, &t);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_NE(Messages()[0].find("手前"), std::string::npos);
  EXPECT_EQ(g_Coli.doc->bounds[0], -32.0f);
  EXPECT_FALSE(Doc_IsChanged(DOC_COLLISION));
  const char *good[5] = {" -20", "20 ", "-10.5", "30", "1"};
  for (int i = 0; i < 5; i++) t.text[i] = good[i];
  Coli_PanelCommand(COLI_PANEL_RANGE, IDC_COLI_APPLY, &t);
  const f32 expect[6] = {-20, 1, -10.5f, 20, 32, 30};
  for (int i = 0; i < 6; i++) EXPECT_EQ(g_Coli.doc->bounds[i], expect[i]) << i;
  EXPECT_TRUE(Doc_IsChanged(DOC_COLLISION));
}

// A changed set is only left when the user agrees, by the selector and by the 3D button.
TEST_F(ColiEditTest, LeavingAChangedSetAsks) {
  g_Shell.g_EditFamily = FAMILY_COLLISION;
  g_Shell.g_EditSubMode = FAMILY_COLLISION;
  g_ShellSeam.askYesNo = Ask;
  g_questions.clear();
  g_answer = false;
  Coli_AddBox();
  App_SwitchFamily(FAMILY_PROGRAM);
  App_SwitchTo3DFamily();
  EXPECT_EQ(g_Shell.g_EditFamily, (u32)FAMILY_COLLISION);
  ASSERT_EQ(g_questions.size(), 2u);
  EXPECT_EQ(g_questions[0], "編集中のコリジョンは破棄されます。よろしいですか？");
  EXPECT_EQ(g_Coli.doc->boxCount, 1);
}

}  // namespace
