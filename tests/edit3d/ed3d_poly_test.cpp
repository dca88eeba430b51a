// Polygon modelling: the pick (nearest vertex with ties to the lower, Ctrl accumulating,
// nearest face by depth, back faces never, a miss selecting nothing), the hover pick with
// view 0's own camera, the tool keys, a Front drag by the mapping's amounts with one undo
// step, a shared vertex moved once along the normals, a 90-degree turn about the pivot, free
// creation (order, pan, middle and right clicks, refusal at capacity) and the rectangle
// selection (strictly inside, face centre, right deselects, the active view only).
#include "tests/support/hook_at.h"
#include <gtest/gtest.h>

#include "app/docflags.h"
#include <math.h>
#include <string.h>

#include <random>
#include <vector>

#include "app/current.h"
#include "app/drag_anchors.h"
#include "app/family.h"
#include "app/shell_mouse.h"
#include "app/shell_seam.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/startup_state.h"
#include "app/views.h"
#include "draw_fakedev.h"
#include "edit3d/ed3d_poly.h"
#include "edit3d/undo.h"
#include "lib/draw/camera.h"
#include "lib/draw/drawbatch.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/view_record.h"
#include "model/bytes.h"
#include "model/kzp.h"
#include "model/mesh.h"
#include "model/seam_errorbox.h"
#include "shell_fixture.h"
#include "test_models.h"

namespace {

struct PolyTest : ::testing::Test {
  Model3 *m = nullptr;
  void SetUp() override {
    Shell_ResetForTest();
    FakeDev_Install();
    m = TestModel_Slot3D(SUB_3D_POLY);
    ASSERT_NE(m, nullptr);
    App_AllocWorkArrays(&g_Sel);
    memset(g_Sel.g_PolySelFaces, 0, App_WorkFaceCount() * sizeof(u32));
    memset(g_Sel.g_PolySelVerts, 0, App_WorkVertCount() * sizeof(u32));
    g_Shell.g_ViewCount[SUB_3D_POLY] = 4;
    ViewRecord *v = g_Shell.g_Views[SUB_3D_POLY];
    v[0] = ViewRecord{};
    v[0].inUse = 1; v[0].kind = VIEW_MAIN; v[0].clientW = 640; v[0].clientH = 480; v[0].zoom = 1;
    v[1] = ViewRecord{};
    v[1].inUse = 1; v[1].kind = VIEW_FRONT; v[1].centerX = 100; v[1].centerY = 100; v[1].zoom = 1;
    g_Shell.g_ActiveView = 0;
    g_Sel.g_PolySelectMode = 1;
    g_Sel.g_PolyTool = POLY_TOOL_FACE;
    g_Sel.g_FreeCreateCount = 0;
    g_Sel.g_CurGroupIndex = 0;
    Ed3DPolyEditor.moveMode = 0;
    for (u32 b = 0; b < 3; b++) Shell_SetButtonHeld(b, 0);
    g_Lib.app.keyState[0x11] = 0;
    Undo_ResetAll();
    Str_Copy(g_Shell.g_UndoLabel, sizeof g_Shell.g_UndoLabel, "記録開始");
    Undo_Push(Undo_Current());
  }
  void TearDown() override {
    Model3_FreeAllSlots();
    FakeDev_Remove();
  }
  i32 AddVertex(f32 x, f32 y, f32 z) {
    m->positions[m->positionCount] = {x, y, z};
    return m->positionCount++;
  }
  i32 AddFace(std::vector<i32> verts) {
    Polygon3 &p = m->polygons[m->polygonCount];
    p = Polygon3{};
    p.cornerCount = (u8)verts.size();
    for (size_t j = 0; j < verts.size(); j++) p.corners[j].vertex = (u32)verts[j];
    return m->polygonCount++;
  }
  void Screen(i32 v, f32 x, f32 y, f32 depth) {
    g_Sel.g_PolyScreenPos[3 * v] = x;
    g_Sel.g_PolyScreenPos[3 * v + 1] = y;
    g_Sel.g_PolyScreenPos[3 * v + 2] = depth;
  }
  std::vector<i32> SelectedVerts() {
    std::vector<i32> s;
    for (i32 i = 0; i < m->positionCount; i++)
      if (g_Sel.g_PolySelVerts[i]) s.push_back(i);
    return s;
  }
  std::vector<i32> SelectedFaces() {
    std::vector<i32> s;
    for (i32 i = 0; i < m->polygonCount; i++)
      if (g_Sel.g_PolySelFaces[i]) s.push_back(i);
    return s;
  }
  i32 Steps() { return Undo_Current()->top; }
  const char *TopLabel() { UndoHistory *h = Undo_Current(); return h->steps[h->top].label; }
  std::vector<u8> Bytes() { return TestModel_KzpBytes(m); }
};

// [SECTION] pick
TEST_F(PolyTest, PickVerticesAndFaces) {
  // Vertices 0..2 of a front-facing triangle, 3..5 of a nearer one over it, 6..8 of one wound
  // the other way (faces away) over both, nearest of all.
  const f32 tri[3][2] = {{0, 0}, {40, 0}, {0, 40}};
  for (int t = 0; t < 3; t++)
    for (int c = 0; c < 3; c++) AddVertex(0, 0, 0);
  for (int c = 0; c < 3; c++) {
    Screen(c, tri[c][0], tri[c][1], 0.5f);
    Screen(3 + c, tri[c][0] + 2, tri[c][1] + 2, 0.3f);
    Screen(6 + c, tri[c][0] + 1, tri[c][1] + 1, 0.1f);
  }
  AddFace({0, 1, 2});
  AddFace({3, 4, 5});
  AddFace({6, 8, 7});
  struct Case {
    const char *what;
    u32 mode;
    i32 x, y;
    bool ctrl;
    std::vector<i32> faces, verts;
    i32 picked;   // vertex or face
  };
  const Case cases[] = {
      // Vertex 1 (40, 0) and vertex 7 (41, 1) are both 2 from (39, 1): the lower one.
      {"nearest vertex", 0, 39, 1, false, {}, {1}, 1},
      // (20, 0) is 20 from vertex 0 (0,0) and from vertex 1 (40,0): the lower one.
      {"tie to the lower", 0, 20, 0, false, {}, {0}, 0},
      {"ctrl accumulates", 0, 0, 41, true, {}, {0, 2}, 2},
      {"without ctrl only one", 0, 0, 41, false, {}, {2}, 2},
      // Inside all three: the back-facing one is nearest but never picked; 1 is nearer than 0.
      {"nearest face", 1, 10, 10, false, {1}, {3, 4, 5}, 1},
      {"ctrl over a selected face deselects it", 1, 10, 10, true, {}, {}, 1},
      // Inside triangle 0 only (left of 2 + x).
      {"the face under the point", 1, 1, 5, false, {0}, {0, 1, 2}, 0},
      {"a miss selects nothing", 1, 200, 200, false, {}, {}, -1},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    g_Sel.g_PolySelectMode = c.mode;
    Ed3D_PolyPickAt(m, c.x, c.y, c.ctrl);
    EXPECT_EQ(SelectedFaces(), c.faces);
    EXPECT_EQ(SelectedVerts(), c.verts);
    EXPECT_EQ(c.mode ? Ed3DPolyEditor.pickedFace : Ed3DPolyEditor.pickedVertex, c.picked);
  }
}

// The division-free test gives the answers of the division it replaces, on-edge and
// degenerate points (where the division gave NaN) among them.
TEST(PickPointInTriangle, AgreesWithTheNormalisedDotProduct) {
  auto reference = [](const f32 *a, const f32 *b, const f32 *c, const f32 *p) {
    auto sub = [](const f32 *x, const f32 *y, f32 *o) { for (int i = 0; i < 3; i++) o[i] = x[i] - y[i]; };
    auto cross = [](const f32 *x, const f32 *y, f32 *o) {
      o[0] = x[1] * y[2] - x[2] * y[1]; o[1] = x[2] * y[0] - x[0] * y[2]; o[2] = x[0] * y[1] - x[1] * y[0];
    };
    f32 e1[3], e0[3], n[3];
    sub(c, b, e1); sub(b, a, e0); cross(e1, e0, n);
    if (n[2] > 0) return false;
    const f32 *s[3] = {a, b, c}, *e[3] = {b, c, a};
    for (int k = 0; k < 3; k++) {
      f32 d[3], dir[3], cr[3];
      sub(p, s[k], d); sub(e[k], s[k], dir); cross(d, dir, cr);
      f32 t = (cr[0] * n[0] + cr[1] * n[1] + cr[2] * n[2]) /
              (sqrtf(cr[0] * cr[0] + cr[1] * cr[1] + cr[2] * cr[2]) * sqrtf(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]));
      if (t < 0 || t != t) return false;
    }
    return true;
  };
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> small(-4, 4);
  int inside = 0;
  for (int i = 0; i < 200000; i++) {
    f32 pts[4][3];
    for (auto &q : pts) { q[0] = (f32)small(rng); q[1] = (f32)small(rng); q[2] = 0; }
    bool want = reference(pts[0], pts[1], pts[2], pts[3]);
    inside += want;
    ASSERT_EQ(Pick_PointInTriangle(pts[0], pts[1], pts[2], pts[3]), want) << i;
  }
  EXPECT_GT(inside, 1000);
}

TEST_F(PolyTest, HoverPickUsesViewZerosCamera) {
  // A quad at the origin facing the main view's camera (angles 0: the eye on -z).
  g_Shell.g_PerspAngleX = g_Shell.g_PerspAngleY = 0;
  ViewRecord *v0 = &g_Shell.g_Views[SUB_3D_POLY][0];
  v0->zoom = 1;
  i32 a = AddVertex(-1, -1, 0), b = AddVertex(-1, 1, 0), c = AddVertex(1, 1, 0), d = AddVertex(1, -1, 0);
  AddFace({a, b, c, d});
  // The device holds another view's transforms: the pick must not use them.
  Cam_Identity(g_Fake->transforms[1]);
  Cam_Identity(g_Fake->transforms[2]);
  g_Mouse.g_MouseX = 310;   // inside, off the diagonal the two fan triangles share
  g_Mouse.g_MouseY = 235;
  Ed3D_PickUnderCursor(Hook_Now());
  EXPECT_EQ(SelectedFaces(), std::vector<i32>{0});
  // The corner (1, 1, 0) lands where view 0's projection puts it.
  f32 eye[3], target[3] = {0, 0, 0}, view[16], proj[16], vp[16], s[3];
  View_PerspectiveEye(v0, 0, 0, eye);
  Cam_BuildLookAtLH(view, eye, target, g_Camera.up);
  Cam_BuildPerspectiveFovLH(proj, 0.785398f, 640.0f / 480.0f, 1, 65000);
  Cam_Multiply(vp, view, proj);
  Cam_ProjectWith(s, vp, 1, 1, 0, 320, 240, false, 0, 0);
  EXPECT_FLOAT_EQ(g_Sel.g_PolyScreenPos[3 * c], s[0]);
  EXPECT_FLOAT_EQ(g_Sel.g_PolyScreenPos[3 * c + 1], s[1]);
  // Off the quad: nothing; in a Front view: no pick at all.
  g_Mouse.g_MouseX = 5;
  Ed3D_PickUnderCursor(Hook_Now());
  EXPECT_TRUE(SelectedFaces().empty());
  g_Shell.g_ActiveView = 1;
  g_Mouse.g_MouseX = 310;
  Ed3D_PickUnderCursor(Hook_Now());
  EXPECT_TRUE(SelectedFaces().empty());
  g_Shell.g_PerspAngleX = -20;
  g_Shell.g_PerspAngleY = 20;
}

// [SECTION] keys
TEST_F(PolyTest, ToolKeyTwiceReturnsToTheModesSelectionTool) {
  struct Case { u32 mode; u32 key; u32 tool; };
  const Case cases[] = {{1, 'T', POLY_TOOL_MOVE}, {1, 'R', POLY_TOOL_ROTATE}, {0, 'G', POLY_TOOL_SCALE}, {0, 'T', POLY_TOOL_MOVE}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.key);
    g_Sel.g_PolySelectMode = c.mode;
    g_Sel.g_PolyTool = c.mode ? POLY_TOOL_FACE : POLY_TOOL_VERTEX;
    Ed3D_PolyKeyUp(Hook_Key(c.key));
    EXPECT_EQ(g_Sel.g_PolyTool, c.tool);
    Ed3D_PolyKeyUp(Hook_Key(c.key));
    EXPECT_EQ(g_Sel.g_PolyTool, c.mode ? (u32)POLY_TOOL_FACE : (u32)POLY_TOOL_VERTEX);
    EXPECT_EQ(g_Sel.g_PolySelectMode, c.mode);
  }
}

// [SECTION] drags
TEST_F(PolyTest, FrontDragMovesByTheMappingAndRecordsOneStep) {
  g_Shell.g_Views[SUB_3D_POLY][1].zoom = 0.5f;
  i32 a = AddVertex(1, 2, 3);
  AddVertex(5, 5, 5);
  g_Sel.g_PolySelectMode = 0;
  g_Sel.g_PolyTool = POLY_TOOL_MOVE;
  g_Sel.g_PolySelVerts[a] = 1;
  g_Shell.g_ActiveView = 1;
  i32 before = Steps();
  Shell_SetButtonHeld(BUTTON_LEFT, 1);
  DragAnchor_PressAll(Hook_At(100, 100));
  Ed3D_PolyMouseMove(Hook_At(108, 104));   // x += 8 / 0.5 * 0.025, y -= 4 / 0.5 * 0.025
  Ed3D_PolyMouseMove(Hook_At(110, 104));
  Shell_SetButtonHeld(BUTTON_LEFT, 0);
  Ed3D_PolyLButtonUp(Hook_At(110, 104));
  EXPECT_FLOAT_EQ(m->positions[a].x, 1.0f + 0.4f + 0.1f);
  EXPECT_FLOAT_EQ(m->positions[a].y, 2.0f - 0.2f);
  EXPECT_FLOAT_EQ(m->positions[a].z, 3.0f);   // no camera-aligned part outside the main view
  EXPECT_FLOAT_EQ(m->positions[1].x, 5.0f);
  EXPECT_EQ(Steps(), before + 1);
  EXPECT_STREQ(TopLabel(), "移動 ( モデリング )");
}

// A move, rotate or scale drag with nothing selected changes nothing: no step, and the model
// is not changed (no discard question follows).
TEST_F(PolyTest, DragWithNothingSelectedIsNoChange) {
  AddVertex(1, 2, 3);
  g_Shell.g_ActiveView = 1;
  for (u32 tool : {POLY_TOOL_MOVE, POLY_TOOL_ROTATE, POLY_TOOL_SCALE}) {
    Doc_ClearChanged(DOC_MODEL3);
    g_Shell.g_EditedFlag = 0;
    g_Sel.g_PolySelectMode = 0;
    g_Sel.g_PolyTool = tool;
    i32 before = Steps();
    Shell_SetButtonHeld(BUTTON_LEFT, 1);
    DragAnchor_PressAll(Hook_At(100, 100));
    Ed3D_PolyMouseMove(Hook_At(108, 104));
    Shell_SetButtonHeld(BUTTON_LEFT, 0);
    Ed3D_PolyLButtonUp(Hook_At(108, 104));
    EXPECT_FLOAT_EQ(m->positions[0].x, 1.0f) << "tool " << tool;
    EXPECT_EQ(Steps(), before) << "tool " << tool;
    EXPECT_FALSE(Doc_IsChanged(DOC_MODEL3)) << "tool " << tool;
  }
}

TEST_F(PolyTest, SharedVertexMovesOnceAlongTheNormals) {
  // A flat 2 x 2 grid of quads in z = 0: the centre vertex 4 belongs to all four.
  for (int y = 0; y < 3; y++)
    for (int x = 0; x < 3; x++) AddVertex((f32)x, (f32)y, 0);
  for (int y = 0; y < 2; y++)
    for (int x = 0; x < 2; x++) {
      i32 v = y * 3 + x;
      g_Sel.g_PolySelFaces[AddFace({v, v + 3, v + 4, v + 1})] = 1;
    }
  ASSERT_TRUE(Model3_CalcNormals(m));
  HookCtx c = *Hook_Now();
  c.model = m;
  c.view = &g_Shell.g_Views[SUB_3D_POLY][1];
  Poly_MoveStep(&c, 1, 10, 0);
  f32 z = m->positions[0].z;
  EXPECT_NE(z, 0.0f);
  for (i32 i = 0; i < 9; i++) EXPECT_FLOAT_EQ(m->positions[i].z, z) << i;   // still flat
  EXPECT_FLOAT_EQ(fabsf(z), 10 * 1.0f * 0.01f);
}

TEST_F(PolyTest, RotationAndScaleAboutThePivot) {
  ViewRecord *front = &g_Shell.g_Views[SUB_3D_POLY][1];
  front->panX = 1;   // the pivot under the screen centre is (1, 0)
  i32 a = AddVertex(2, 0, 7);
  g_Sel.g_PolySelVerts[a] = 1;
  // 90 degrees: dX = 180.
  HookCtx c = *Hook_Now();
  c.model = m;
  c.view = front;
  Poly_RotateStep(&c, 180, 0, 100, 100);
  EXPECT_NEAR(m->positions[a].x, 1.0f, 1e-5);
  EXPECT_NEAR(m->positions[a].y, -1.0f, 1e-5);
  EXPECT_FLOAT_EQ(m->positions[a].z, 7.0f);
  // Scale about the same pivot: v -= (v - 0) * 0.0025 * dY.
  Poly_ScaleStep(&c, 0, 400, 100, 100);
  EXPECT_NEAR(m->positions[a].y, 0.0f, 1e-5);
}

// The drag acts on the model, view, selection and mouse record it is handed: with the shell's
// own (slot 0, its active main view, g_Sel, g_Mouse) set up differently, only the handed
// selection's vertex moves, in the handed model, by the handed view's mapping.
TEST_F(PolyTest, DragActsOnTheHandedRecordsOnly) {
  const f32 kTwoDegrees = 2.0f * 3.14159265f / 180.0f;
  struct Case {
    u32 tool;
    f32 x, y;   // where vertex 1 of the handed model ends (front view, pivot at the origin)
  };
  const Case cases[] = {
      {POLY_TOOL_MOVE, 2.0f + 0.2f, 1.0f - 0.1f},   // (8, 4) pixels at zoom 1
      {POLY_TOOL_ROTATE, 2.0f * cosf(kTwoDegrees) + 1.0f * sinf(kTwoDegrees),   // (8 - 4) / 2 degrees
       1.0f * cosf(kTwoDegrees) - 2.0f * sinf(kTwoDegrees)},
      {POLY_TOOL_SCALE, 2.0f * (1 + 0.0025f * 8), 1.0f * (1 - 0.0025f * 4)},
  };
  for (const Case &t : cases) {
    SCOPED_TRACE(t.tool);
    // The shell's: its model with the same vertices, vertex 0 selected, another tool, the
    // main view active and other anchors.
    m->positionCount = 0;
    AddVertex(1, 1, 1);
    AddVertex(2, 1, 0);
    memset(g_Sel.g_PolySelVerts, 0, App_WorkVertCount() * sizeof(u32));
    g_Sel.g_PolySelVerts[0] = 1;
    g_Sel.g_PolyTool = POLY_TOOL_VERTEX;
    g_Shell.g_ActiveView = 0;
    g_Mouse.g_PolyDragAnchor = g_Mouse.g_PolyDragAnchor2 = {300, 300};
    // The handed ones.
    g_ModelAllocArrays = 1;
    Model3 *other = Model3_Init(7);
    ASSERT_NE(other, nullptr);
    other->positions[0] = {1, 1, 1};
    other->positions[1] = {2, 1, 0};
    other->positionCount = 2;
    Hook_OwnSelection own(t.tool);
    ShellSelection &sel = own.sel;
    sel.g_PolySelVerts[1] = 1;
    ViewRecord front = {};
    front.inUse = 1; front.kind = VIEW_FRONT; front.centerX = 50; front.centerY = 50; front.zoom = 1;
    ShellMouse mouse = {};
    mouse.g_PolyDragAnchor = mouse.g_PolyDragAnchor2 = {50, 50};
    HookCtx c = Family_Context(58, 54);
    c.model = other;
    c.slot = 7;
    c.view = &front;
    c.viewIndex = 1;
    c.sel = &sel;
    c.mouse = &mouse;
    Ed3D_PolyDrag(&c);
    EXPECT_NEAR(other->positions[1].x, t.x, 1e-4);
    EXPECT_NEAR(other->positions[1].y, t.y, 1e-4);
    EXPECT_FLOAT_EQ(other->positions[1].z, 0.0f);
    EXPECT_FLOAT_EQ(other->positions[0].x, 1.0f);   // not selected in the handed selection
    EXPECT_FLOAT_EQ(other->positions[0].y, 1.0f);
    for (i32 i = 0; i < 2; i++) {   // the shell's model is left alone
      EXPECT_FLOAT_EQ(m->positions[i].x, i ? 2.0f : 1.0f);
      EXPECT_FLOAT_EQ(m->positions[i].y, 1.0f);
    }
    EXPECT_EQ(mouse.g_PolyDragAnchor2.x, 58);
    EXPECT_EQ(mouse.g_PolyDragAnchor2.y, 54);
    EXPECT_EQ(g_Mouse.g_PolyDragAnchor2.x, 300);
  }
}

// [SECTION] free creation
TEST_F(PolyTest, FreeCreation) {
  ViewRecord *front = &g_Shell.g_Views[SUB_3D_POLY][1];
  front->panX = 1; front->panY = 2; front->panZ = 3;
  g_Shell.g_ActiveView = 1;
  g_Sel.g_PolyTool = POLY_TOOL_FREE;
  g_Sel.g_PolySelectMode = 1;
  i32 steps = Steps();
  // Four left releases: a quad in click order at the pan (z - pan z).
  const i32 clicks[4][2] = {{140, 100}, {140, 60}, {100, 60}, {100, 100}};
  for (auto &c : clicks) Ed3D_PolyLButtonUp(Hook_At(c[0], c[1]));
  ASSERT_EQ(m->polygonCount, 1);
  const Polygon3 &q = m->polygons[0];
  EXPECT_EQ(q.cornerCount, 4);
  const Vec3 want[4] = {{2, 2, -3}, {2, 3, -3}, {1, 3, -3}, {1, 2, -3}};
  for (int i = 0; i < 4; i++) {
    const Vec3 &p = m->positions[q.corners[i].vertex];
    EXPECT_FLOAT_EQ(p.x, want[i].x) << i;
    EXPECT_FLOAT_EQ(p.y, want[i].y) << i;
    EXPECT_FLOAT_EQ(p.z, want[i].z) << i;
    EXPECT_EQ(q.corners[i].uv, 0u);
  }
  EXPECT_EQ(SelectedFaces(), std::vector<i32>{0});
  EXPECT_EQ(Steps(), steps + 1);
  EXPECT_STREQ(TopLabel(), "自由作成:4 ( モデリング )");
  EXPECT_EQ(g_Sel.g_FreeCreateCount, 0u);
  // Left, left, middle: a triangle whose third corner is the middle-click point.
  Ed3D_PolyLButtonUp(Hook_At(100, 100));
  Ed3D_PolyLButtonUp(Hook_At(140, 100));
  Ed3D_PolyFreeCreate(Hook_At(140, 60));
  ASSERT_EQ(m->polygonCount, 2);
  EXPECT_EQ(m->polygons[1].cornerCount, 3);
  EXPECT_FLOAT_EQ(m->positions[m->polygons[1].corners[2].vertex].y, 3.0f);
  EXPECT_STREQ(TopLabel(), "自由作成:3 ( モデリング )");
  // A right release discards the fixed points.
  Ed3D_PolyLButtonUp(Hook_At(100, 100));
  Ed3D_PolyLButtonUp(Hook_At(140, 100));
  Ed3D_PolyRButtonUp(Hook_At(10, 10));
  EXPECT_EQ(g_Sel.g_FreeCreateCount, 0u);
  EXPECT_EQ(m->polygonCount, 2);
  // At capacity: refused, the model byte for byte as it was, no step.
  u32 saved = g_MaxPolygons;
  g_MaxPolygons = (u32)m->polygonCount;
  std::vector<u8> before = Bytes();
  i32 stepsBefore = Steps();
  u32 boxes = g_ErrorBoxCount;
  for (auto &c : clicks) Ed3D_PolyLButtonUp(Hook_At(c[0], c[1]));
  g_MaxPolygons = saved;
  EXPECT_EQ(Bytes(), before);
  EXPECT_EQ(Steps(), stepsBefore);
  EXPECT_EQ(g_ErrorBoxCount, boxes + 1);
}

// [SECTION] rectangle selection
TEST_F(PolyTest, RectangleSelection) {
  ViewRecord *front = &g_Shell.g_Views[SUB_3D_POLY][1];
  front->zoom = 0.25f;   // 10 pixels per unit, centre (100, 100)
  // Face 0: a small quad at (1..2, 1..2) -> screen x 110..120, y 80..90. Face 1: a big quad
  // whose corners lie outside the rectangle but whose centre (100, 100) is inside.
  i32 s[4] = {AddVertex(1, 1, 0), AddVertex(1, 2, 0), AddVertex(2, 2, 0), AddVertex(2, 1, 0)};
  AddFace({s[0], s[1], s[2], s[3]});
  i32 b[4] = {AddVertex(-5, -5, 0), AddVertex(-5, 5, 0), AddVertex(5, 5, 0), AddVertex(5, -5, 0)};
  AddFace({b[0], b[1], b[2], b[3]});
  Poly_FaceScratch(m, front);
  struct Case {
    const char *what;
    u32 mode;
    u32 button;
    i32 x1, y1, x2, y2;
    std::vector<i32> faces, verts;
  };
  const Case cases[] = {
      {"corner on the edge is not inside", 0, BUTTON_LEFT, 110, 80, 125, 95, {}, {s[3]}},
      {"strictly inside", 0, BUTTON_LEFT, 105, 75, 125, 95, {}, {s[0], s[1], s[2], s[3]}},
      {"right deselects", 0, BUTTON_RIGHT, 105, 85, 125, 95, {}, {s[1], s[2]}},
      {"face by its centre", 1, BUTTON_LEFT, 95, 95, 105, 105, {1}, {b[0], b[1], b[2], b[3]}},
      {"face by a corner", 1, BUTTON_LEFT, 115, 75, 125, 85, {0, 1}, {s[0], s[1], s[2], s[3], b[0], b[1], b[2], b[3]}},
      {"right deselects faces", 1, BUTTON_RIGHT, 95, 95, 105, 105, {0}, {s[0], s[1], s[2], s[3]}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    if (c.mode != g_Sel.g_PolySelectMode) {   // a mode switch starts from an empty selection
      memset(g_Sel.g_PolySelFaces, 0, sizeof(u32) * 2);
      memset(g_Sel.g_PolySelVerts, 0, sizeof(u32) * 8);
    }
    g_Sel.g_PolySelectMode = c.mode;
    g_Sel.g_PolyTool = c.mode ? POLY_TOOL_FACE : POLY_TOOL_VERTEX;
    Shell_SetButtonHeld(c.button, 1);
    Poly_RectSelectPass(m, front, c.x2, c.y2, c.x1, c.y1);   // any corner order
    Shell_SetButtonHeld(c.button, 0);
    EXPECT_EQ(SelectedFaces(), c.faces);
    EXPECT_EQ(SelectedVerts(), c.verts);
  }
  // Drawn in a view that is not the active one, a rectangle selects nothing.
  memset(g_Sel.g_PolySelFaces, 0, sizeof(u32) * 2);
  memset(g_Sel.g_PolySelVerts, 0, sizeof(u32) * 8);
  g_Shell.g_ActiveView = 0;
  g_Shell.g_DrawView = 1;
  g_Mouse.g_PolyDragAnchor = {95, 95};
  g_Mouse.g_MouseX = g_Mouse.g_MouseY = 105;
  Shell_SetButtonHeld(BUTTON_LEFT, 1);
  Ed3D_PolyDrawOverlay(Hook_Draw(g_Shell.g_DrawView));
  EXPECT_TRUE(SelectedFaces().empty());
  g_Shell.g_ActiveView = 1;
  Ed3D_PolyDrawOverlay(Hook_Draw(g_Shell.g_DrawView));
  Shell_SetButtonHeld(BUTTON_LEFT, 0);
  EXPECT_EQ(SelectedFaces(), std::vector<i32>{1});
}

// [SECTION] overlay
// The Front view in face selection, drawn one line at a time and batched: the selected face's
// outline in cyan, the other face's edges in grey (the one it shares with the later selected
// face may be left out when batched) and the cross on the chosen corner of the selected face.
TEST_F(PolyTest, FrontViewDrawsTheSelectedOutlineTheWireAndTheChosenCornersCross) {
  i32 a[6] = {AddVertex(0, 0, 0), AddVertex(0, 1, 0), AddVertex(1, 1, 0), AddVertex(1, 0, 0), AddVertex(2, 1, 0), AddVertex(2, 0, 0)};
  AddFace({a[0], a[1], a[2], a[3]});
  AddFace({a[3], a[2], a[4], a[5]});
  g_Sel.g_PolySelFaces[0] = 1;
  g_Sel.g_PolyFaceNo = 0, g_Sel.g_PolyVertexNo = 2;
  g_Shell.g_DrawView = 1;
  const u32 cyan = Draw_PackColor(128, 255, 255, 255), grey = Draw_PackColor(208, 208, 208, 255), yellow = Draw_PackColor(255, 255, 0, 255);
  for (u32 off : {1u, 0u}) {
    SCOPED_TRACE(off ? "one line at a time" : "batched");
    FakeDev_Install();
    g_DrawBatchOff = off;
    Ed3D_PolyDrawOverlay(Hook_Draw(g_Shell.g_DrawView));
    g_DrawBatchOff = 0;
    u32 cyans = 0, greys = 0, yellows = 0;
    f32 crossX = 0, crossY = 0;
    for (size_t i = 0; i < g_Fake->draws.size(); i++) {
      if (g_Fake->draws[i].fvf != FVF_SCREENVERTEX || g_Fake->draws[i].primType != DPT_LINELIST) continue;
      std::vector<ScreenVertex> v = FakeDev_ScreenVerts(i);
      for (size_t k = 0; k + 1 < v.size(); k += 2) {
        cyans += v[k].color == cyan, greys += v[k].color == grey;
        if (v[k].color == yellow) yellows++, crossX += 0.25f * (v[k].x + v[k + 1].x), crossY += 0.25f * (v[k].y + v[k + 1].y);
      }
    }
    EXPECT_EQ(cyans, 4u);
    EXPECT_GE(greys, off ? 4u : 3u);
    EXPECT_LE(greys, 4u);
    ASSERT_EQ(yellows, 2u);
    EXPECT_EQ(crossX, g_Sel.g_PolyScreenPos[3 * a[2]]);
    EXPECT_EQ(crossY, g_Sel.g_PolyScreenPos[3 * a[2] + 1]);
  }
}

// The faces' centres are this view's whenever they are read, whatever view was drawn before
// (and left its own): the rectangle selection by centre in the active view, and the normals
// drawn from the centres.
TEST_F(PolyTest, SideViewsReadTheirOwnFaceCentresAfterAnotherView) {
  ViewRecord *v = g_Shell.g_Views[SUB_3D_POLY];
  v[2] = v[1];
  v[2].kind = VIEW_TOP;
  v[1].zoom = v[2].zoom = 0.25f;   // 10 pixels a unit, centre (100, 100)
  // A big quad leaning back (corners outside a small rectangle about the centre in Front)
  // and a small one aside; both with the normal (1, 1, 1).
  i32 b[4] = {AddVertex(-5, -5, 6), AddVertex(-5, 5, 14), AddVertex(5, 5, 14), AddVertex(5, -5, 6)};
  i32 s[4] = {AddVertex(6, 6, 1), AddVertex(6, 7, 1), AddVertex(7, 7, 1), AddVertex(7, 6, 1)};
  AddFace({b[0], b[1], b[2], b[3]});
  AddFace({s[0], s[1], s[2], s[3]});
  m->normals[0] = {1, 1, 1};
  m->normalCount = 1;
  // What each view's own scratch gives: centre and normal's end, per face.
  auto ownNormals = [&](u32 view) {
    Poly_FaceScratch(m, &v[view]);
    std::vector<std::vector<i32>> lines;
    for (i32 f = 0; f < 2; f++) {
      const f32 *c = &g_Sel.g_PolyFaceCentres[2 * f], *n = &g_Sel.g_PolyFaceNormals2D[2 * f];
      lines.push_back({(i32)c[0], (i32)c[1], (i32)(c[0] + 12.0f * n[0]), (i32)(c[1] - 12.0f * n[1])});
    }
    return lines;
  };
  const u32 normalColour = Draw_PackColor(0, 255, 255, 128);
  g_Sel.g_PolyShowNormals = 1;
  g_Sel.g_PolySelFaces[0] = g_Sel.g_PolySelFaces[1] = 1;
  for (u32 view : {1u, 2u}) {
    SCOPED_TRACE(view);
    std::vector<std::vector<i32>> want = ownNormals(view);
    ownNormals(3 - view);   // the other view's centres left behind
    FakeDev_Install();
    g_Shell.g_DrawView = view;
    Ed3D_PolyDrawOverlay(Hook_Draw(view));
    std::vector<std::vector<i32>> drawn;
    for (size_t i = 0; i < g_Fake->draws.size(); i++) {
      if (g_Fake->draws[i].fvf != FVF_SCREENVERTEX || g_Fake->draws[i].primType != DPT_LINELIST) continue;
      std::vector<ScreenVertex> q = FakeDev_ScreenVerts(i);
      for (size_t k = 0; k + 1 < q.size(); k += 2)
        if (q[k].color == normalColour) drawn.push_back({(i32)q[k].x, (i32)q[k].y, (i32)q[k + 1].x, (i32)q[k + 1].y});
    }
    EXPECT_EQ(drawn, want);
  }
  g_Sel.g_PolyShowNormals = 0;
  // A small rectangle about the big quad's centre in Front, Front active, Top drawn last.
  memset(g_Sel.g_PolySelFaces, 0, sizeof(u32) * 2);
  memset(g_Sel.g_PolySelVerts, 0, sizeof(u32) * 8);
  ownNormals(2);
  g_Shell.g_ActiveView = g_Shell.g_DrawView = 1;
  g_Mouse.g_PolyDragAnchor = {95, 95};
  g_Mouse.g_MouseX = g_Mouse.g_MouseY = 105;
  Shell_SetButtonHeld(BUTTON_LEFT, 1);
  Ed3D_PolyDrawOverlay(Hook_Draw(1));
  Shell_SetButtonHeld(BUTTON_LEFT, 0);
  EXPECT_EQ(SelectedFaces(), std::vector<i32>{0});
}

}  // namespace
