// The 2D skin editors: the rectangle selection rules (strict inside, left selects, right
// deselects, face mode by corner or centre with its vertices, nothing cleared by a new drag,
// everything by a mode change, nothing with the slot hidden); the rotate and scale steps;
// free creation through the mouse hooks (corners, colour entry, UVs, bindings, the room
// check); the weight panel's values and refusals and the bone pick.
#include "tests/support/hook_at.h"
#include <gtest/gtest.h>
#include <math.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/shell_mouse.h"
#include "app/shell_sel.h"
#include "lib/framework/lib_state.h"
#include "test_models.h"
#include "app/current.h"
#include "app/docflags.h"
#include "app/family.h"
#include "app/shell_seam.h"
#include "app/startup_state.h"
#include "app/views.h"
#include "edit2d/ed2d.h"
#include "edit2d/ed2d_poly.h"
#include "edit2d/ed2d_rows.h"
#include "lib/draw/screen.h"
#include "lib/framework/lib.h"
#include "app/shell_view.h"
#include "model/bone2.h"
#include "model/seam.h"
#include "draw_fakedev.h"
#include "lib/draw/drawwire.h"
#include "shell_fixture.h"
#include "widget_fake.h"

namespace {

std::vector<std::string> g_Boxes;
void RecordBox(const char *t) { g_Boxes.push_back(t); }

struct Ed2DPolyFixture : ::testing::Test {
  Bone2Model *m = nullptr;
  void SetUp() override {
    Shell_ResetFor2DTest();
    g_Scale2D[0] = g_Scale2D[1] = 1.0f;   // client pixels are frame pixels
    g_Lib.viewWindowMode = 0;
    g_Shell.g_EditFamily = FAMILY_2D_MODEL;
    g_Shell.g_EditSubMode = SUB_2D_POLY;
    g_Sel.g_PolySelectMode = 1;
    g_Sel.g_PolyTool = ED2D_TOOL_FACE;
    g_Sel.g_CurGroupIndex = 0;
    g_Sel.g_CurBoneIndex = 0;
    g_Ed2DPoly = Ed2DPolyEditor{};
    g_Boxes.clear();
    g_Seam.errorBox = RecordBox;
    for (u32 b : {BUTTON_LEFT, BUTTON_MIDDLE, BUTTON_RIGHT}) Shell_SetButtonHeld(b, 0);
    m = Ed2D_EnsureBoneModel(Current_Bone2Edited());
  }
  void TearDown() override {
    for (u32 b : {BUTTON_LEFT, BUTTON_MIDDLE, BUTTON_RIGHT}) Shell_SetButtonHeld(b, 0);
    g_Seam.errorBox = nullptr;
    App_ForgetPolySelection(&g_Sel);
    Bone2_FreeAll();
    free(g_Ed2D.rebindNearest);
    free(g_Ed2D.rebindBest);
    g_Ed2D = Ed2DEditor{};
    Shell_ResetForTest();
  }
  u16 Vertex(f32 x, f32 y) {
    m->positions[m->vertexCount] = {x, y};
    return m->vertexCount++;
  }
  // A live polygon over the given model points (placement (320, 240) is added on screen).
  i32 Poly(std::initializer_list<std::pair<f32, f32>> pts) {
    Polygon2 &p = TestModel_NewPolygon2(m, 0);
    for (auto &q : pts) p.corners[p.cornerCount++].vertex = Vertex(q.first, q.second);
    return m->polygonCount++;
  }
  // A drag with one button from (x1, y1) to (x2, y2) in client (= frame) pixels, then the
  // overlay's selection step while the button is still held.
  void Drag(u32 button, i32 x1, i32 y1, i32 x2, i32 y2) {
    Shell_SetButtonHeld(button, 1);
    if (button == BUTTON_LEFT) Ed2D_LButtonDownAnchors(Hook_At(x1, y1));
    else Ed2D_RButtonDownAnchors(Hook_At(x1, y1));
    Ed2D_PolyMouseMove(Hook_At(x2, y2));
    Ed2D_PolySelectPass(m);
    Shell_SetButtonHeld(button, 0);
  }
  std::vector<u32> VertFlags() { return std::vector<u32>(g_Sel.g_PolySelVerts, g_Sel.g_PolySelVerts + m->vertexCount); }
  std::vector<u32> FaceFlags() { return std::vector<u32>(g_Sel.g_PolySelFaces, g_Sel.g_PolySelFaces + m->polygonCount); }
};

// [SECTION] selection
TEST_F(Ed2DPolyFixture, RectangleSelectionRules) {
  // Triangle A with corners at screen (330, 250), (350, 250), (340, 270); quad B with corners
  // at (400, 300), (440, 300), (440, 340), (400, 340), centre (420, 320); a removed polygon C.
  Poly({{10, 10}, {30, 10}, {20, 30}});
  Poly({{80, 60}, {120, 60}, {120, 100}, {80, 100}});
  i32 c = Poly({{0, 0}, {1, 1}, {2, 2}});
  m->polygons[c].used = 0;
  struct Step {
    const char *what;
    u32 mode;   // 0 vertex, 1 face
    char button;   // 'L' left drag, 'R' right drag, 0 the mode button
    i32 x1, y1, x2, y2;
    std::vector<u32> verts, faces;   // after the step (steps run in order)
  };
  const std::vector<Step> steps = {
      {"vertex mode: corner on the edge is not inside", 0, 'L', 330, 240, 360, 260,
       {0, 1, 0, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 0}},
      {"a second drag adds, clearing nothing", 0, 'L', 335, 265, 345, 275, {0, 1, 1, 0, 0, 0, 0, 0, 0, 0},
       {0, 0, 0}},
      {"removed polygons are never taken", 0, 'L', 310, 230, 325, 245, {0, 1, 1, 0, 0, 0, 0, 0, 0, 0},
       {0, 0, 0}},
      {"right drag deselects", 0, 'R', 345, 245, 355, 255, {0, 0, 1, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 0}},
      {"mode change clears everything", 1, 0, 0, 0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 0}},
      {"face mode: the centre alone takes the quad and its vertices", 1, 'L', 410, 310, 430, 330,
       {0, 0, 0, 1, 1, 1, 1, 0, 0, 0}, {0, 1, 0}},
      {"face mode: one corner takes the triangle", 1, 'L', 325, 245, 335, 255,
       {1, 1, 1, 1, 1, 1, 1, 0, 0, 0}, {1, 1, 0}},
      {"face mode: right drag over a corner drops the quad and its vertices", 1, 'R', 435, 335, 445, 345,
       {1, 1, 1, 0, 0, 0, 0, 0, 0, 0}, {1, 0, 0}},
      {"mode change back clears everything", 0, 0, 0, 0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 0}},
  };
  g_Sel.g_PolySelectMode = 0;
  g_Sel.g_PolyTool = ED2D_TOOL_VERTEX;
  for (const Step &s : steps) {
    if (s.button == 0) {
      if (s.mode == 1) Ed2D_PolyFaceMode();
      else Ed2D_PolyVertexMode();
      EXPECT_EQ(g_Sel.g_PolyTool, s.mode == 1 ? ED2D_TOOL_FACE : ED2D_TOOL_VERTEX) << s.what;
      EXPECT_EQ(g_Sel.g_PolyFaceNo, -1) << s.what;
      EXPECT_EQ(g_Ed2DPoly.startX + g_Ed2DPoly.startY + g_Ed2DPoly.curX + g_Ed2DPoly.curY, 0) << s.what;
    } else {
      Drag(s.button == 'L' ? BUTTON_LEFT : BUTTON_RIGHT, s.x1, s.y1, s.x2, s.y2);
    }
    EXPECT_EQ(VertFlags(), s.verts) << s.what;
    EXPECT_EQ(FaceFlags(), s.faces) << s.what;
  }
  // Counts of the panel: vertex mode counts corners of live polygons.
  g_Sel.g_PolySelVerts[0] = g_Sel.g_PolySelVerts[4] = 1;
  char text[64];
  Ed2D_PolySelectionText(m, text, sizeof text);
  EXPECT_STREQ(text, "頂点     2 /    7");
  Ed2D_PolyFaceMode();
  g_Sel.g_PolySelFaces[1] = 1;
  Ed2D_PolySelectionText(m, text, sizeof text);
  EXPECT_STREQ(text, "面     1 /    2");
}

TEST_F(Ed2DPolyFixture, HiddenSlotSelectsNothingAndNoModelDoesNothing) {
  Poly({{10, 10}, {30, 10}, {20, 30}});
  g_Bone2SlotShown[0] = 0;
  Shell_SetButtonHeld(BUTTON_LEFT, 1);
  Ed2D_LButtonDownAnchors(Hook_At(300, 200));
  Ed2D_PolyMouseMove(Hook_At(400, 300));
  Ed2D_PolyDraw(Hook_Draw(g_Shell.g_DrawView));
  Shell_SetButtonHeld(BUTTON_LEFT, 0);
  EXPECT_EQ(FaceFlags(), std::vector<u32>({0}));
  EXPECT_EQ(VertFlags(), std::vector<u32>({0, 0, 0}));
  // A corner outside the positions is skipped by the selection and the draw.
  g_Bone2SlotShown[0] = 1;
  m->polygons[0].corners[1].vertex = 60000;
  Drag(BUTTON_LEFT, 300, 200, 400, 300);
  EXPECT_EQ(VertFlags(), std::vector<u32>({1, 0, 1}));
  Ed2D_PolyDraw(Hook_Draw(g_Shell.g_DrawView));
  // Without a model every hook returns at once.
  Bone2_FreeSlot(0);
  g_Sel.g_PolyTool = ED2D_TOOL_FREE;
  Ed2D_PolyUpdate(Hook_Now());
  Ed2D_PolyMouseMove(Hook_At(5, 5));
  Ed2D_PolyLButtonUp(Hook_At(5, 5));
  Ed2D_PolyFreeCreate(Hook_At(5, 5));
  Ed2D_PolyDraw(Hook_Draw(g_Shell.g_DrawView));
  Ed2D_WeightDraw(Hook_Draw(g_Shell.g_DrawView));
  Ed2D_WeightRButtonUp(Hook_At(5, 5));
  EXPECT_EQ(g_Sel.g_FreeCreateCount, 0u);
}

// Every sub-mode with a selection rectangle starts it where the left button went down, after
// an earlier press and after a right click elsewhere (the texture sub-mode once kept the last
// anchor of another editor or of the right button).
TEST_F(Ed2DPolyFixture, LeftPressStartsTheRectangleInEverySelectingSubMode) {
  Edit2D_Install();
  for (u32 sub : {SUB_2D_POLY, SUB_2D_TEXTURE, SUB_2D_WEIGHT}) {
    g_Shell.g_EditSubMode = sub;
    const FamilyHooks *row = Ed2D_SubModeRow(g_Shell.g_EditSubMode);
    ASSERT_NE(row, nullptr);
    struct Step { char button; i32 x, y, toX, toY; };
    const Step steps[] = {{'L', 720, 660, 730, 670}, {'L', 700, 620, 800, 700}, {'R', 450, 750, 450, 750},
                          {'L', 700, 620, 800, 700}};
    for (const Step &s : steps) {
      u32 button = s.button == 'L' ? BUTTON_LEFT : BUTTON_RIGHT;
      Shell_SetButtonHeld(button, 1);
      (s.button == 'L' ? row->lButtonDown : row->rButtonDown)(Hook_At(s.x, s.y));
      row->mouseMove(Hook_At(s.toX, s.toY));
      EXPECT_EQ(g_Ed2DPoly.startX, s.x) << "sub-mode " << sub << ", " << s.button << " at " << s.x << ", " << s.y;
      EXPECT_EQ(g_Ed2DPoly.startY, s.y) << "sub-mode " << sub << ", " << s.button << " at " << s.x << ", " << s.y;
      EXPECT_EQ(g_Ed2DPoly.curX, s.toX) << "sub-mode " << sub;
      EXPECT_EQ(g_Ed2DPoly.curY, s.toY) << "sub-mode " << sub;
      Shell_SetButtonHeld(button, 0);
      if (s.button == 'R' && row->rButtonUp) row->rButtonUp(Hook_At(s.toX, s.toY));
    }
  }
}

// The pass reads the buttons once and takes a face once: the same flags as the per-corner
// rule over random skins and drags (removed polygons and corners outside the skin included).
TEST_F(Ed2DPolyFixture, SelectPassEqualsThePerCornerRule) {
  u32 seed = 12345;
  auto Rand = [&](u32 n) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 8) % n;
  };
  for (i32 i = 0; i < 300; i++) Vertex((f32)Rand(200) - 100.0f, (f32)Rand(200) - 100.0f);
  for (i32 f = 0; f < 120; f++) {
    Polygon2 &p = m->polygons[m->polygonCount++];
    p.used = Rand(8) ? 1 : 0;
    p.cornerCount = (u8)(1 + Rand(4));
    for (i32 j = 0; j < p.cornerCount; j++) p.corners[j].vertex = (u16)(Rand(20) ? Rand(300) : 400 + Rand(100));
  }
  for (i32 drag = 0; drag < 60; drag++) {
    g_Sel.g_PolySelectMode = Rand(2);
    g_Sel.g_PolyTool = g_Sel.g_PolySelectMode ? ED2D_TOOL_FACE : ED2D_TOOL_VERTEX;
    g_Ed2DPoly.startX = 220 + (i32)Rand(200), g_Ed2DPoly.startY = 140 + (i32)Rand(200);
    g_Ed2DPoly.curX = 220 + (i32)Rand(200), g_Ed2DPoly.curY = 140 + (i32)Rand(200);
    u32 button = Rand(3) ? BUTTON_LEFT : BUTTON_RIGHT;
    std::vector<u32> v0 = VertFlags(), f0 = FaceFlags();
    Shell_SetButtonHeld(button, 1);
    // The reference: every corner of every live polygon through Ed2D_RectSelect.
    PolyRect r = Poly_SortedRect(g_Ed2DPoly.startX, g_Ed2DPoly.startY, g_Ed2DPoly.curX, g_Ed2DPoly.curY);
    for (i32 f = 0; f < m->polygonCount; f++) {
      if (m->polygons[f].used != 1) continue;
      u32 verts[4];
      i32 k = Ed2D_PolyCorners(m, &m->polygons[f], verts), xs[4], ys[4];
      f32 cx = 0, cy = 0;
      for (i32 j = 0; j < k; j++) Ed2D_CornerPoint(m, verts[j], &xs[j], &ys[j]), cx += (f32)xs[j], cy += (f32)ys[j];
      for (i32 j = 0; j < k; j++) Ed2D_RectSelect(m, f, j, verts, k, xs[j], ys[j], cx / (f32)k, cy / (f32)k, &r);
    }
    for (i32 f = 0; f < m->polygonCount && g_Sel.g_PolySelectMode == 1; f++) {
      u32 verts[4];
      if (m->polygons[f].used != 1 || !g_Sel.g_PolySelFaces[f]) continue;
      for (i32 j = 0, k = Ed2D_PolyCorners(m, &m->polygons[f], verts); j < k; j++) g_Sel.g_PolySelVerts[verts[j]] = 1;
    }
    std::vector<u32> v1 = VertFlags(), f1 = FaceFlags();
    std::copy(v0.begin(), v0.end(), g_Sel.g_PolySelVerts);
    std::copy(f0.begin(), f0.end(), g_Sel.g_PolySelFaces);
    Ed2D_PolySelectPass(m);
    Shell_SetButtonHeld(button, 0);
    ASSERT_EQ(VertFlags(), v1) << "drag " << drag;
    ASSERT_EQ(FaceFlags(), f1) << "drag " << drag;
  }
  EXPECT_GT(std::count(g_Sel.g_PolySelVerts, g_Sel.g_PolySelVerts + 300, 1u), 0);
}

// [SECTION] tools
TEST_F(Ed2DPolyFixture, RotateScaleAndMoveSteps) {
  u16 v = Vertex(100, 0);   // screen (420, 240)
  g_Sel.g_PolySelVerts[v] = 1;
  g_Sel.g_PolySelectMode = 0;
  // +2 pixels to the right with the rotate tool: -1 degree about the drag start (320, 240).
  g_Sel.g_PolyTool = ED2D_TOOL_ROTATE;
  Shell_SetButtonHeld(BUTTON_LEFT, 1);
  Ed2D_LButtonDownAnchors(Hook_At(320, 240));
  Ed2D_PolyMouseMove(Hook_At(322, 240));
  const f32 a = -3.14159265f / 180.0f;
  EXPECT_NEAR(m->positions[v].x, 100.0f * cosf(a), 1e-4f);
  EXPECT_NEAR(m->positions[v].y, -100.0f * sinf(a), 1e-4f);
  EXPECT_STREQ(g_Shell.g_UndoLabel, "回転 ( モデリング )");
  EXPECT_EQ(g_Shell.g_EditedFlag, 1u);
  // No motion: no turn (the old conversion divided by zero here).
  Ed2D_PolyMouseMove(Hook_At(322, 240));
  EXPECT_NEAR(m->positions[v].x, 100.0f * cosf(a), 1e-4f);
  // Scale: moving up by 10 enlarges y away from the drag start, x untouched.
  m->positions[v] = {100, 50};
  g_Sel.g_PolyTool = ED2D_TOOL_SCALE;
  Ed2D_LButtonDownAnchors(Hook_At(320, 240));
  Ed2D_PolyMouseMove(Hook_At(320, 230));
  EXPECT_FLOAT_EQ(m->positions[v].x, 100.0f);
  EXPECT_FLOAT_EQ(m->positions[v].y, 50.0f + 50.0f * 10.0f * 0.005f);
  EXPECT_STREQ(g_Shell.g_UndoLabel, "拡大 ( モデリング )");
  // Move follows the mouse; the middle button held stops every tool.
  g_Sel.g_PolyTool = ED2D_TOOL_MOVE;
  Ed2D_LButtonDownAnchors(Hook_At(0, 0));
  Ed2D_PolyMouseMove(Hook_At(7, -3));
  EXPECT_FLOAT_EQ(m->positions[v].x, 107.0f);
  Shell_SetButtonHeld(BUTTON_MIDDLE, 1);
  Ed2D_PolyMouseMove(Hook_At(20, 20));
  EXPECT_FLOAT_EQ(m->positions[v].x, 107.0f);
  EXPECT_STREQ(g_Shell.g_UndoLabel, "移動 ( モデリング )");
}

// A move, rotate or scale drag with nothing selected moves nothing and is no change of the
// document (no discard question follows); with a vertex selected it is one.
TEST_F(Ed2DPolyFixture, DragWithNothingSelectedIsNoChange) {
  Vertex(100, 0);
  for (u32 tool : {ED2D_TOOL_MOVE, ED2D_TOOL_ROTATE, ED2D_TOOL_SCALE}) {
    for (bool selected : {false, true}) {
      Doc_ClearChanged(DOC_BONE2);
      g_Shell.g_EditedFlag = 0;
      g_Sel.g_PolySelVerts[0] = selected ? 1 : 0;
      g_Sel.g_PolyTool = tool;
      Bone2Point was = m->positions[0];
      Shell_SetButtonHeld(BUTTON_LEFT, 1);
      Ed2D_LButtonDownAnchors(Hook_At(320, 240));
      Ed2D_PolyMouseMove(Hook_At(320, 240));
      Ed2D_PolyMouseMove(Hook_At(331, 229));
      Shell_SetButtonHeld(BUTTON_LEFT, 0);
      bool moved = memcmp(&was, &m->positions[0], sizeof was) != 0;
      EXPECT_EQ(moved, selected) << "tool " << tool;
      EXPECT_EQ(Doc_IsChanged(DOC_BONE2), selected) << "tool " << tool;
      EXPECT_EQ(g_Shell.g_EditedFlag, selected ? 1u : 0u) << "tool " << tool;
    }
  }
}

// A move drag works on the model and selection it is handed: the shell's model (slot 0) with
// g_Sel's flag on another vertex stays where it is.
TEST_F(Ed2DPolyFixture, DragMovesTheHandedSelectionOfTheHandedModel) {
  Vertex(100, 0);
  Vertex(0, 100);
  g_Sel.g_PolySelVerts[0] = 1;
  g_Sel.g_PolyTool = ED2D_TOOL_VERTEX;
  g_ModelAllocArrays = 1;
  Bone2Model *other = Bone2_New();
  ASSERT_NE(other, nullptr);
  other->positions[0] = {100, 0};
  other->positions[1] = {0, 100};
  other->vertexCount = 2;
  Hook_OwnSelection own(ED2D_TOOL_MOVE);
  ShellSelection &sel = own.sel;
  sel.g_PolySelVerts[1] = 1;
  ViewRecord view = {};
  ShellMouse mouse = {};
  Shell_SetButtonHeld(BUTTON_LEFT, 1);
  Ed2D_LButtonDownAnchors(Hook_At(0, 0));
  HookCtx c = Family_Context(7, -3);
  c.model2 = other;
  c.sel = &sel;
  c.view = &view;
  c.mouse = &mouse;
  Ed2D_PolyMouseMove(&c);
  Shell_SetButtonHeld(BUTTON_LEFT, 0);
  EXPECT_FLOAT_EQ(other->positions[1].x, 7.0f);
  EXPECT_FLOAT_EQ(other->positions[1].y, 97.0f);
  EXPECT_FLOAT_EQ(other->positions[0].x, 100.0f);
  EXPECT_FLOAT_EQ(m->positions[0].x, 100.0f);
  EXPECT_FLOAT_EQ(m->positions[1].y, 100.0f);
  Bone2_Free(other);
}

// [SECTION] free creation
TEST_F(Ed2DPolyFixture, FreeCreationThroughTheMouse) {
  struct Case {
    const char *what;
    const char *events;   // L left release, M middle release, R right release, each at the next point
    u32 mode;
    i32 corners;          // of the new polygon, 0 none
    bool whiteThere;      // a white entry exists before
  };
  const Case cases[] = {
      {"middle right after choosing: a point", "M", 1, 1, false},
      {"one left then middle: a line", "LM", 0, 2, true},
      {"four lefts: a quad, no fifth point", "LLLL", 1, 4, false},
      {"right drops the points", "LLRM", 0, 1, true},
  };
  const i32 pts[5][2] = {{350, 260}, {400, 260}, {400, 300}, {350, 300}, {370, 280}};
  for (const Case &c : cases) {
    Bone2_FreeSlot(0);
    m = Ed2D_EnsureBoneModel(Current_Bone2Edited());
    App_ForgetPolySelection(&g_Sel);
    g_Sel.g_PolySelectMode = c.mode;
    m->colours[0] = {9, 9, 9, 9};
    m->colours[1] = {255, 255, 255, 254};
    m->colourCount = 2;
    if (c.whiteThere) m->colours[1] = {255, 255, 255, 255};
    Ed2D_PolyDlgCommand(IDC_P2D_FREE);
    EXPECT_EQ(g_Sel.g_PolyTool, ED2D_TOOL_FREE);
    std::vector<i32> used;   // the point index each fixed corner came from
    i32 k = 0;
    for (const char *e = c.events; *e; e++, k++) {
      g_Mouse.g_MouseX = pts[k][0];
      g_Mouse.g_MouseY = pts[k][1];
      Ed2D_PolyUpdate(Hook_Now());
      if (*e == 'L') Ed2D_PolyLButtonUp(Hook_At(pts[k][0], pts[k][1])), used.push_back(k);
      if (*e == 'R') Ed2D_PolyRButtonUp(Hook_At(pts[k][0], pts[k][1])), used.clear();
      if (*e == 'M') Ed2D_PolyFreeCreate(Hook_At(pts[k][0], pts[k][1])), used.push_back(k);
    }
    SCOPED_TRACE(c.what);
    EXPECT_EQ(g_Sel.g_FreeCreateCount, 0u);
    ASSERT_EQ(m->polygonCount, 1);
    const Polygon2 &p = m->polygons[0];
    EXPECT_EQ(p.used, 1u);
    ASSERT_EQ(p.cornerCount, c.corners);
    EXPECT_EQ(m->vertexCount, c.corners);
    EXPECT_EQ(m->uvCount, c.corners);
    EXPECT_EQ(m->colourCount, c.whiteThere ? 2 : 3);
    for (i32 j = 0; j < c.corners; j++) {
      const Corner2 &q = p.corners[j];
      // In click order, at the frame point minus the placement.
      EXPECT_EQ(m->positions[q.vertex].x, (f32)(pts[used[j]][0] - 320));
      EXPECT_EQ(m->positions[q.vertex].y, (f32)(pts[used[j]][1] - 240));
      EXPECT_EQ(q.colour, c.whiteThere ? 1 : 2);
      EXPECT_EQ(q.uv, j);
      EXPECT_EQ(m->uvs[q.uv].u, 0.0f);
      const VertexBinding &b = m->bindings[q.vertex];
      EXPECT_EQ(b.bone1 + b.bone2, 0);
      EXPECT_EQ(b.automatic, 1u);
      EXPECT_EQ(g_Sel.g_PolySelVerts[q.vertex], c.mode == 0 ? 1u : 0u);
    }
    EXPECT_EQ(g_Sel.g_PolySelFaces[0], c.mode == 1 ? 1u : 0u);
    std::string label = "自由作成:" + std::to_string(c.corners) + " ( モデリング )";
    EXPECT_EQ(std::string(g_Shell.g_UndoLabel), label);
  }
}

TEST_F(Ed2DPolyFixture, FreeCreationOneShortOfRoomChangesNothing) {
  // Room for two more vertices (16-bit count), asked for three.
  m->vertexCount = 65533;
  m->uvCount = 10;
  m->colourCount = 0;
  std::vector<Bone2Point> before(m->positions, m->positions + m->vertexCapacity);
  std::vector<VertexBinding> bindings(m->bindings, m->bindings + 65536);
  for (i32 i = 0; i < 3; i++) g_Sel.g_FreeCreatePoints[i][0] = (f32)i;
  EXPECT_FALSE(Ed2D_PolyAppendFree(m, 3));
  ASSERT_EQ(g_Boxes, std::vector<std::string>({"これ以上 追加できません。"}));
  EXPECT_EQ(m->vertexCount, 65533);
  EXPECT_EQ(m->uvCount, 10);
  EXPECT_EQ(m->colourCount, 0);
  EXPECT_EQ(m->polygonCount, 0);
  EXPECT_EQ(memcmp(before.data(), m->positions, before.size() * sizeof(Bone2Point)), 0);
  EXPECT_EQ(memcmp(bindings.data(), m->bindings, bindings.size() * sizeof(VertexBinding)), 0);
  EXPECT_TRUE(Ed2D_PolyAppendFree(m, 2));   // exactly the room left
  EXPECT_EQ(m->vertexCount, 65535);
  // The polygon array full: refused too.
  m->vertexCount = 0;
  m->polygonCount = m->polygonCapacity;
  EXPECT_FALSE(Ed2D_PolyAppendFree(m, 1));
}

// [SECTION] weights
TEST_F(Ed2DPolyFixture, WeightApplyRefusalsAndRebind) {
  g_Shell.g_EditSubMode = SUB_2D_WEIGHT;
  m->boneCount = 3;
  m->rest[1].x = 100;   // bone 1's cross at (420, 240)
  m->rest[2].x = -100;
  u16 a = Vertex(90, 0), b = Vertex(-80, 5), c = Vertex(0, 0);
  g_Sel.g_PolySelVerts[a] = g_Sel.g_PolySelVerts[b] = 1;
  m->bindings[c] = {1, 2, 0.5f, 0};
  struct Case {
    const char *b1, *b2, *w;
    bool ok;
    u16 bone1, bone2;
    f32 weight;
    u32 automatic;
  };
  const Case cases[] = {
      {"2.9", "1", "0.25", true, 2, 1, 0.25f, 0},
      {" 1 ", "0", "1.0", true, 1, 0, 1.0f, 0},
      {"-1", "0", "1.0", false, 1, 0, 1.0f, 0},
      {"3", "0", "1.0", false, 1, 0, 1.0f, 0},
      {"abc", "0", "1.0", false, 1, 0, 1.0f, 0},
      {"0", "", "1.0", false, 1, 0, 1.0f, 0},
      {"0", "0", "x", false, 1, 0, 1.0f, 0},
  };
  for (const Case &k : cases) {
    g_Boxes.clear();
    EXPECT_EQ(Ed2D_WeightApply(m, k.b1, k.b2, k.w), k.ok) << k.b1 << " " << k.b2 << " " << k.w;
    EXPECT_EQ(g_Boxes.size(), k.ok ? 0u : 1u) << k.b1;
    for (u16 v : {a, b}) {
      EXPECT_EQ(m->bindings[v].bone1, k.bone1) << k.b1;
      EXPECT_EQ(m->bindings[v].bone2, k.bone2) << k.b1;
      EXPECT_EQ(m->bindings[v].weight, k.weight) << k.b1;
      EXPECT_EQ(m->bindings[v].automatic, k.automatic) << k.b1;
    }
  }
  EXPECT_EQ(m->bindings[c].bone1, 1);   // not selected: untouched
  // 0 and 0 through the panel: automatic, then re-bound to the nearest bone.
  WidgetFake_Install();
  g_Ed2DPoly.weightPanel = (void *)0x10;
  WidgetFake_SetText(g_Ed2DPoly.weightPanel, IDC_W2D_BONE1, "0");
  WidgetFake_SetText(g_Ed2DPoly.weightPanel, IDC_W2D_BONE2, "0");
  WidgetFake_SetText(g_Ed2DPoly.weightPanel, IDC_W2D_WEIGHT, "1.0");
  Ed2D_WeightDlgCommand(IDC_W2D_APPLY);
  WidgetFake_Remove();
  EXPECT_EQ(m->bindings[a].bone1, 1);
  EXPECT_EQ(m->bindings[b].bone1, 2);
  EXPECT_EQ(m->bindings[a].automatic, 1u);
  EXPECT_EQ(m->bindings[c].bone1, 1);
  EXPECT_EQ(m->bindings[c].automatic, 0u);
  EXPECT_EQ(g_Ed2DPoly.weightRefresh, 1u);
}

TEST_F(Ed2DPolyFixture, WeightBonePickAndRectangle) {
  g_Shell.g_EditSubMode = SUB_2D_WEIGHT;
  m->boneCount = 3;
  m->rest[1].x = 100;   // cross at (420, 240)
  m->rest[1].y = 0;
  m->rest[2].x = -100;
  m->rest[2].y = 0;
  auto Click = [](i32 x1, i32 y1, i32 x2, i32 y2) {
    Shell_SetButtonHeld(BUTTON_RIGHT, 1);
    Ed2D_RButtonDownAnchors(Hook_At(x1, y1));
    Ed2D_WeightMouseMove(Hook_At(x2, y2));
    Shell_SetButtonHeld(BUTTON_RIGHT, 0);
    Ed2D_WeightRButtonUp(Hook_At(x2, y2));
  };
  Click(418, 243, 419, 243);   // moved by one pixel: no pick
  EXPECT_EQ(g_Sel.g_CurBoneIndex, 0u);
  Click(418, 243, 418, 243);
  EXPECT_EQ(g_Sel.g_CurBoneIndex, 1u);
  EXPECT_EQ(g_Sel.g_PrevBone, 0u);
  EXPECT_EQ(g_Sel.g_BoneListDirty, 1u);
  Click(221, 240, 221, 240);
  EXPECT_EQ(g_Sel.g_CurBoneIndex, 2u);
  EXPECT_EQ(g_Sel.g_PrevBone, 1u);
  m->boneCount = 0;
  Click(320, 240, 320, 240);   // no bones: the current bone stays
  EXPECT_EQ(g_Sel.g_CurBoneIndex, 2u);
  // The rectangle: left alone selects strictly inside, right alone deselects.
  PolyRect r = Poly_SortedRect(10, 10, 0, 0);
  Shell_SetButtonHeld(BUTTON_LEFT, 1);
  Ed2D_WeightRectTest(3, 5, 5, &r);
  Ed2D_WeightRectTest(4, 10, 5, &r);
  EXPECT_EQ(g_Sel.g_PolySelVerts[3], 1u);
  EXPECT_EQ(g_Sel.g_PolySelVerts[4], 0u);
  Shell_SetButtonHeld(BUTTON_RIGHT, 1);
  Ed2D_WeightRectTest(3, 5, 5, &r);   // both held: nothing
  EXPECT_EQ(g_Sel.g_PolySelVerts[3], 1u);
  Shell_SetButtonHeld(BUTTON_LEFT, 0);
  Ed2D_WeightRectTest(3, 5, 5, &r);
  EXPECT_EQ(g_Sel.g_PolySelVerts[3], 0u);
}

// [SECTION] lines left out
// A device's picture of the recorded 2D lines and points: each line covers on each step along
// its long side the pixel nearest to it, a halfway step going by the line's direction; the
// start is left out of a steep line going up and the end is drawn, as some devices do.
struct Device {
  bool steepUpSkipsStart, lastPixel;
};

std::vector<u32> Picture(const Device &dev) {
  std::vector<u32> img(640 * 480, 0xFF000000u);
  for (size_t i = 0; i < g_Fake->draws.size(); i++) {
    std::vector<ScreenVertex> v = FakeDev_ScreenVerts(i);
    i32 x1 = (i32)v[0].x, y1 = (i32)v[0].y, x2 = v.size() > 1 ? (i32)v[1].x : x1 + 1, y2 = v.size() > 1 ? (i32)v[1].y : y1;
    i32 dx = x2 - x1, dy = y2 - y1, ax = abs(dx), ay = abs(dy), n = ax > ay ? ax : ay;
    u32 c = v[0].color, a = c >> 24;
    for (i32 k = 0; k <= n; k++) {
      if ((k == 0 && dev.steepUpSkipsStart && ay > ax && dy < 0) || (k == n && !dev.lastPixel) || n == 0) continue;
      i32 minor = (ax > ay ? dy : dx) * k, q = (i32)floor((f64)minor / n + 0.5);
      if (2 * (minor - q * n) == -n && minor < 0) q--;   // a halfway step goes the line's way
      i32 x = x1 + (ax > ay ? (dx > 0 ? k : -k) : q), y = y1 + (ax > ay ? q : (dy > 0 ? k : -k));
      if (x < 0 || y < 0 || x >= 640 || y >= 480) continue;
      u32 &d = img[(size_t)y * 640 + x], out = 0xFF000000u;
      for (int sh = 0; sh < 24; sh += 8)
        out |= ((((c >> sh) & 255) * a + ((d >> sh) & 255) * (255 - a)) / 255) << sh;
      d = out;
    }
  }
  return img;
}

// A dense skin (quads of 2 x 1 pixels with slanted rows, their marks on each other) drawn by
// every 2D overlay with and without the lines that later ones hide: the same picture on
// devices of every kind, from far fewer primitives.
TEST_F(Ed2DPolyFixture, LinesLeftOutLeaveThePictureOnEveryKindOfDevice) {
  FakeDev_Install();
  const i32 cols = 16, rows = 8;
  for (i32 y = 0; y <= rows; y++)
    for (i32 x = 0; x <= cols; x++) Vertex((f32)(2 * x + (y % 3)), (f32)(y + x / 5));
  for (i32 y = 0; y < rows; y++)
    for (i32 x = 0; x < cols; x++) {
      Polygon2 &p = m->polygons[m->polygonCount++];
      p = Polygon2{};
      p.used = 1;
      const i32 c[4] = {y * (cols + 1) + x, (y + 1) * (cols + 1) + x, (y + 1) * (cols + 1) + x + 1, y * (cols + 1) + x + 1};
      p.cornerCount = (x + y) % 4 == 0 ? 3 : 4;
      for (i32 j = 0; j < p.cornerCount; j++) p.corners[j].vertex = (u16)c[j];
    }
  for (i32 i = 0; i < m->vertexCount; i++) m->bindings[i] = {0, 0, 1.0f, 1}, g_Sel.g_PolySelVerts[i] = i % 3 != 0;
  for (i32 f = 0; f < m->polygonCount; f++) g_Sel.g_PolySelFaces[f] = f % 5 != 0;
  struct Mode {
    u32 subMode, selectMode;
    FamilyHook draw;
  } const modes[] = {{SUB_2D_POLY, 0, Ed2D_PolyDraw}, {SUB_2D_POLY, 1, Ed2D_PolyDraw}, {SUB_2D_WEIGHT, 0, Ed2D_WeightDraw},
                     {SUB_2D_BONE, 0, Ed2D_BoneDraw}};
  const Device devices[] = {{false, false}, {true, false}, {false, true}, {true, true}};
  for (const Mode &md : modes) {
    g_Shell.g_EditSubMode = md.subMode;
    g_Sel.g_PolySelectMode = md.selectMode;
    size_t drawn[2];
    std::vector<u32> pictures[2][4];
    for (u32 off : {1u, 0u}) {
      g_DrawWireOff = off;
      g_Fake->draws.clear();
      md.draw(Hook_Now());
      drawn[off] = g_Fake->draws.size();
      for (int d = 0; d < 4; d++) pictures[off][d] = Picture(devices[d]);
    }
    g_DrawWireOff = 0;
    SCOPED_TRACE(std::to_string(md.subMode) + "/" + std::to_string(md.selectMode));
    EXPECT_LT(drawn[0] * 4, drawn[1] * 3) << "far fewer primitives";
    for (int d = 0; d < 4; d++) EXPECT_TRUE(pictures[0][d] == pictures[1][d]) << "device " << d;
  }
  FakeDev_Remove();
}

}  // namespace
