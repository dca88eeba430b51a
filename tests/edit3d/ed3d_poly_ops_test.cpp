// Modelling operations: their results on small models through the dialog's commands (labels
// and undo steps included), the refusals (no room, five corners, a box that holds no number:
// a message, the model byte for byte as it was, no step), and the differential test of every
// operation in both selection modes against the literal implementation (poly_ops_literal.h)
// on random and degenerate meshes, and that every operation acts on the selection it is handed.
#include <float.h>
#include <gtest/gtest.h>
#include <math.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "app/current.h"
#include "app/family.h"
#include "app/shell_seam.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/startup_state.h"
#include "app/views.h"
#include "draw_fakedev.h"
#include "tests/support/hook_at.h"
#include "edit2d/ed2d_object.h"
#include "edit3d/ed3d_bone.h"
#include "edit3d/ed3d_motion.h"
#include "edit3d/ed3d_poly.h"
#include "edit3d/ed3d_poly_dlg.h"
#include "edit3d/ed3d_poly_clip.h"
#include "edit3d/ed3d_poly_ops.h"
#include "edit3d/uv.h"
#include "edit3d/undo.h"
#include "model/bytes.h"
#include "model/kzp.h"
#include "model/mesh.h"
#include "model/numfield.h"
#include "model/seam.h"
#include "model/seam_errorbox.h"
#include "poly_ops_literal.h"
#include "scene/movie_dlg.h"
#include "resources/edit3d_ids.h"
#include "shell_fixture.h"
#include "test_models.h"

namespace {

std::vector<std::string> g_Messages;
void RecordMessage(const char *t) { g_Messages.push_back(t); }

struct PolyOpsTest : ::testing::Test {
  Model3 *m = nullptr;
  u32 savedMaxV = 0, savedMaxP = 0, savedEditor = 0;
  void SetUp() override {
    Shell_ResetForTest();
    FakeDev_Install();
    savedMaxV = g_MaxVertices, savedMaxP = g_MaxPolygons, savedEditor = g_Model3Edited;
    g_MaxVertices = 260000, g_MaxPolygons = 65000;
    g_Model3Edited = 1;
    g_Seam.errorBox = RecordMessage;
    g_Messages.clear();
    m = TestModel_Slot3D(SUB_3D_POLY);
    ASSERT_NE(m, nullptr);
    App_AllocWorkArrays(&g_Sel);
    ClearFlags();
    g_Sel.g_PolySelectMode = 1;
    g_Shell.g_LastViewZoom = 1;
    Undo_ResetAll();
    Str_Copy(g_Shell.g_UndoLabel, sizeof g_Shell.g_UndoLabel, "記録開始");
    Undo_Push(Undo_Current());
  }
  void TearDown() override {
    g_Seam.errorBox = nullptr;
    g_MaxVertices = savedMaxV, g_MaxPolygons = savedMaxP, g_Model3Edited = savedEditor;
    Model3_FreeAllSlots();
    FakeDev_Remove();
  }
  static void ClearFlags() {
    memset(g_Sel.g_PolySelFaces, 0, App_WorkFaceCount() * sizeof(u32));
    memset(g_Sel.g_PolySelVerts, 0, App_WorkVertCount() * sizeof(u32));
  }
  i32 V(f32 x, f32 y, f32 z) {
    m->positions[m->positionCount] = {x, y, z};
    return m->positionCount++;
  }
  i32 F(std::vector<i32> v, u32 group = 0, std::vector<u32> colours = {}) {
    Polygon3 &p = m->polygons[m->polygonCount];
    p = Polygon3{};
    p.cornerCount = (u8)v.size();
    p.group = group;
    for (size_t j = 0; j < v.size(); j++) {
      p.corners[j].vertex = (u32)v[j];
      p.corners[j].color = j < colours.size() ? colours[j] : 0;
    }
    return m->polygonCount++;
  }
  void SelectFace(i32 f) {
    g_Sel.g_PolySelFaces[f] = 1;
    for (i32 j = 0; j < m->polygons[f].cornerCount; j++) g_Sel.g_PolySelVerts[m->polygons[f].corners[j].vertex] = 1;
  }
  // A unit quad in z = 0 at (x, y), wound to face +z; its first position.
  i32 Quad(f32 x, f32 y, u32 group = 0) {
    i32 a = V(x, y, 0), b = V(x + 1, y, 0), c = V(x + 1, y + 1, 0), d = V(x, y + 1, 0);
    F({a, b, c, d}, group);
    return a;
  }
  i32 Steps() { return Undo_Current()->top; }
  std::string TopLabel() { UndoHistory *h = Undo_Current(); return h->steps[h->top].label; }
  std::vector<u8> Bytes() { return TestModel_KzpBytes(m); }
  std::vector<u32> Vertices(i32 f) {
    std::vector<u32> v;
    for (i32 j = 0; j < m->polygons[f].cornerCount; j++) v.push_back(m->polygons[f].corners[j].vertex);
    return v;
  }
  void Command(u32 id) {
    Ed3D_PolyDlgCommand(id);
    m = g_Model3Slots[0];
  }
};

// [SECTION] results on small models
TEST_F(PolyOpsTest, DeleteFlipExtrudeAndTheNumericInput) {
  // Vertex mode: a quad losing one vertex keeps the others in order; losing two it goes.
  g_Sel.g_PolySelectMode = 0;
  i32 a = Quad(0, 0);
  Quad(3, 0);
  g_Sel.g_PolySelVerts[a + 1] = 1;
  g_Sel.g_PolySelVerts[a + 4 + 0] = g_Sel.g_PolySelVerts[a + 4 + 2] = 1;
  Command(IDC_POLY_DELETE);
  ASSERT_EQ(m->polygonCount, 1);
  ASSERT_EQ(m->polygons[0].cornerCount, 3);
  // Welded: the three corners left are positions (0,0), (1,1), (0,1) in that order.
  const Vec3 want[3] = {{0, 0, 0}, {1, 1, 0}, {0, 1, 0}};
  for (int j = 0; j < 3; j++) {
    Vec3 p = m->positions[m->polygons[0].corners[j].vertex];
    EXPECT_TRUE(p.x == want[j].x && p.y == want[j].y) << j;
  }
  EXPECT_EQ(m->positionCount, 3);
  EXPECT_EQ(TopLabel(), "消去 ( モデリング )");

  // Left half: a face touching x = 0.001 stays, one all at x <= 0 goes.
  m->polygonCount = m->positionCount = 0;
  i32 p = V(0, 0, 0), q = V(0.001f, 0, 0), r = V(0, 1, 0), s = V(-1, 1, 0);
  F({p, q, r});
  F({p, r, s});
  Command(IDC_POLY_LEFT_HALF);
  ASSERT_EQ(m->polygonCount, 1);
  EXPECT_EQ(Vertices(0), (std::vector<u32>{(u32)p, (u32)q, (u32)r}));
  EXPECT_EQ(TopLabel(), "左半分消 ( モデリング )");

  // Flipping twice gives the triangle back; the first flip reverses it.
  g_Sel.g_PolySelectMode = 1;
  SelectFace(0);
  Command(IDC_POLY_FLIP);
  EXPECT_EQ(Vertices(0), (std::vector<u32>{(u32)r, (u32)q, (u32)p}));
  Command(IDC_POLY_FLIP);
  EXPECT_EQ(Vertices(0), (std::vector<u32>{(u32)p, (u32)q, (u32)r}));

  // One extruded quad: 4 positions and 4 quads more, the face 0.5 / zoom out along +z.
  m->polygonCount = m->positionCount = 0;
  ClearFlags();
  Quad(0, 0, 3);
  SelectFace(0);
  g_Shell.g_LastViewZoom = 2;
  i32 steps = Steps();
  Command(IDC_POLY_EXTRUDE);
  EXPECT_EQ(m->positionCount, 8);
  ASSERT_EQ(m->polygonCount, 5);
  for (i32 j = 0; j < 4; j++) EXPECT_FLOAT_EQ(m->positions[m->polygons[0].corners[j].vertex].z, 0.25f);
  for (i32 f = 1; f < 5; f++) EXPECT_EQ(m->polygons[f].group, 3u);
  EXPECT_EQ(g_Sel.g_PolyTool, (u32)POLY_TOOL_MOVE);
  EXPECT_EQ(Steps(), steps + 1);
  EXPECT_EQ(TopLabel(), "面押出し ( モデリング )");

  // The numeric input sets only the typed coordinate of the selected vertices in use.
  ClearFlags();
  g_Sel.g_PolySelVerts[m->polygons[0].corners[0].vertex] = 1;
  Vec3 before = m->positions[m->polygons[0].corners[0].vertex], other = m->positions[m->polygons[0].corners[1].vertex];
  const char *texts[3] = {"", " 1.5", ""};
  Ed3D_PolyNumericCommand(texts);
  Vec3 after = m->positions[m->polygons[0].corners[0].vertex];
  EXPECT_EQ(after.x, before.x);
  EXPECT_EQ(after.y, 1.5f);
  EXPECT_EQ(after.z, before.z);
  EXPECT_EQ(m->positions[m->polygons[0].corners[1].vertex].y, other.y);
  EXPECT_EQ(TopLabel(), "数値入力 ( モデリング )");
  EXPECT_TRUE(g_Messages.empty());
}

TEST_F(PolyOpsTest, DivideMergeAndColours) {
  // A triangle and a quad selected: one message, four selected quads in the quad's group,
  // the triangle still selected.
  i32 t0 = V(-3, 0, 0), t1 = V(-2, 0, 0), t2 = V(-2, 1, 0);
  F({t0, t1, t2}, 1);
  Quad(0, 0, 5);
  SelectFace(0);
  SelectFace(1);
  Command(IDC_POLY_DIVIDE);
  EXPECT_EQ(g_Messages, (std::vector<std::string>{"４角形のみ分割できます。"}));
  ASSERT_EQ(m->polygonCount, 5);
  EXPECT_EQ(m->polygons[0].cornerCount, 3);
  EXPECT_EQ(g_Sel.g_PolySelFaces[0], 1u);
  for (i32 f = 1; f < 5; f++) {
    EXPECT_EQ(m->polygons[f].group, 5u);
    EXPECT_EQ(g_Sel.g_PolySelFaces[f], 1u);
  }
  EXPECT_EQ(m->positionCount, 3 + 4 + 16);
  EXPECT_EQ(TopLabel(), "分割 ( モデリング )");

  struct Case {
    const char *what;
    std::function<void(PolyOpsTest *)> build;
    i32 polygons, corners;
  };
  const Case cases[] = {
      {"two quads sharing an edge", [](PolyOpsTest *t) { t->Quad(0, 0); t->Quad(1, 0); }, 1, 4},
      {"three shared positions", [](PolyOpsTest *t) {
         t->Quad(0, 0);
         i32 a = t->V(0, 0, 0), b = t->V(1, 0, 0), c = t->V(1, 1, 0), d = t->V(2, 2, 0);
         t->F({b, a, d, c});
       }, 2, 4},
      {"two triangles over a diagonal", [](PolyOpsTest *t) {
         i32 a = t->V(0, 0, 0), b = t->V(1, 0, 0), c = t->V(1, 1, 0), d = t->V(0, 1, 0);
         t->F({a, b, c});
         t->F({a, c, d});
       }, 1, 4},
  };
  for (const Case &c : cases) {
    m->polygonCount = m->positionCount = 0;
    ClearFlags();
    c.build(this);
    SelectFace(0);
    SelectFace(1);
    Command(IDC_POLY_MERGE);
    ASSERT_EQ(m->polygonCount, c.polygons) << c.what;
    EXPECT_EQ(m->polygons[0].cornerCount, c.corners) << c.what;
    EXPECT_EQ(TopLabel(), "統合:面 ( モデリング )") << c.what;
  }
  // The two triangles became the square (0,0) (1,0) (1,1) (0,1) in the first one's winding.
  const Vec3 square[4] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
  for (int j = 0; j < 4; j++) EXPECT_TRUE(memcmp(&m->positions[m->polygons[0].corners[j].vertex], &square[j], 12) == 0) << j;
  // Two quads over a row: the quad over both.
  m->polygonCount = m->positionCount = 0;
  Quad(0, 0);
  Quad(1, 0);
  SelectFace(0);
  SelectFace(1);
  Command(IDC_POLY_MERGE);
  const f32 xs[4] = {0, 2, 2, 0}, ys[4] = {0, 0, 1, 1};
  for (int j = 0; j < 4; j++) {
    Vec3 p = m->positions[m->polygons[0].corners[j].vertex];
    EXPECT_TRUE(p.x == xs[j] && p.y == ys[j]) << j;
  }

  // Vertex mode with one selected vertex in use: nothing merges, no step.
  g_Sel.g_PolySelectMode = 0;
  ClearFlags();
  g_Sel.g_PolySelVerts[m->polygons[0].corners[0].vertex] = 1;
  i32 steps = Steps();
  std::vector<u8> before = Bytes();
  Command(IDC_POLY_MERGE);
  EXPECT_EQ(Steps(), steps);
  EXPECT_EQ(Bytes(), before);

  // Colours (1, 2, 3, 4) rotate to (4, 1, 2, 3); an index above 65,535 is carried whole.
  g_Sel.g_PolySelectMode = 1;
  m->polygonCount = m->positionCount = 0;
  ClearFlags();
  Quad(0, 0);
  for (u32 k = 0; k < 4; k++) m->polygons[0].corners[k].color = k + 1;
  m->polygons[0].corners[2].color = 70000;
  SelectFace(0);
  m->colorCount = 5;
  Command(IDC_POLY_ROTATE_COLOURS);
  const u32 rotated[4] = {4, 1, 2, 70000};
  for (int k = 0; k < 4; k++) EXPECT_EQ(m->polygons[0].corners[k].color, rotated[k]) << k;
  EXPECT_EQ(TopLabel(), "色No回転 ( モデリング )");

  // 決定 with the boxes' colour: one new entry, clamped, on the selected corners.
  const char *boxes[4] = {"300", "20", " 30 ", "-5"};
  Ed3D_PolyColourCommand(boxes, "決定ボタン ( モデリング )");
  ASSERT_EQ(m->colorCount, 6);
  const Color4 &c = m->colors[5];
  EXPECT_TRUE(c.r == 255 && c.g == 20 && c.b == 30 && c.a == 0);
  for (int k = 0; k < 4; k++) EXPECT_EQ(m->polygons[0].corners[k].color, 5u);
  Ed3D_PolyColourCommand(boxes, "決定ボタン ( モデリング )");
  EXPECT_EQ(m->colorCount, 6);
  EXPECT_TRUE(g_Messages.size() == 1);

  // ライト is saved with the model: it records its step under its label.
  steps = Steps();
  m->lighting = 0;
  Command(IDC_POLY_LIGHT);
  EXPECT_EQ(m->lighting, 1u);
  EXPECT_STREQ(g_Shell.g_UndoLabel, "ライトON ( モデリング )");
  EXPECT_EQ(Steps(), steps + 1);
}

// [SECTION] refusals
TEST_F(PolyOpsTest, RefusalsLeaveTheModelAndTheHistoryAsTheyWere) {
  struct Case {
    const char *what;
    u32 id;                                 // 0: the colour boxes, 1: the numeric input
    std::function<void(PolyOpsTest *)> limit;
    const char *boxes[4];
  };
  // Two quads (8 positions) selected, one colour entry.
  const Case cases[] = {
      {"break up one polygon short", IDC_POLY_BREAK, [](PolyOpsTest *t) { g_MaxPolygons = (u32)t->m->polygonCount + 5; }, {}},
      {"extrude one polygon short", IDC_POLY_EXTRUDE, [](PolyOpsTest *t) { g_MaxPolygons = (u32)t->m->polygonCount + 7; }, {}},
      {"extrude one vertex short", IDC_POLY_EXTRUDE, [](PolyOpsTest *t) { g_MaxVertices = (u32)t->m->positionCount + 7; }, {}},
      {"divide one vertex short", IDC_POLY_DIVIDE, [](PolyOpsTest *t) { g_MaxVertices = (u32)t->m->positionCount + 31; }, {}},
      {"divide one polygon short", IDC_POLY_DIVIDE, [](PolyOpsTest *t) { g_MaxPolygons = (u32)t->m->polygonCount + 5; }, {}},
      {"create one polygon short", IDC_POLY_CREATE, [](PolyOpsTest *t) {
         ClearFlags();
         g_Sel.g_PolySelVerts[0] = g_Sel.g_PolySelVerts[1] = g_Sel.g_PolySelVerts[2] = 1;
         g_MaxPolygons = (u32)t->m->polygonCount;
       }, {}},
      {"five corners to create", IDC_POLY_CREATE, [](PolyOpsTest *) {
         ClearFlags();
         for (int v = 0; v < 5; v++) g_Sel.g_PolySelVerts[v] = 1;
       }, {}},
      {"a new colour one short", 0, [](PolyOpsTest *t) { g_MaxVertices = (u32)t->m->positionCount; t->m->colorCount = 8; },
       {"1", "2", "3", "4"}},
      {"abc in a colour box", 0, [](PolyOpsTest *) {}, {"1", "abc", "3", "4"}},
      {"abc in the X box", 1, [](PolyOpsTest *) {}, {"abc", "1", "", ""}},
      {"a hexadecimal Z", 1, [](PolyOpsTest *) {}, {"", "", "0x10", ""}},
  };
  for (const Case &c : cases) {
    g_MaxVertices = 260000, g_MaxPolygons = 65000;
    m->polygonCount = m->positionCount = 0;
    m->colorCount = 1;
    ClearFlags();
    Quad(0, 0);
    Quad(2, 0);
    SelectFace(0);
    SelectFace(1);
    Model3_CalcNormals(m);
    c.limit(this);
    std::vector<u8> before = Bytes();
    std::vector<u32> faces(g_Sel.g_PolySelFaces, g_Sel.g_PolySelFaces + 16), verts(g_Sel.g_PolySelVerts, g_Sel.g_PolySelVerts + 16);
    i32 steps = Steps();
    g_Messages.clear();
    if (c.id == 0) Ed3D_PolyColourCommand(c.boxes, "決定ボタン ( モデリング )");
    else if (c.id == 1) Ed3D_PolyNumericCommand(c.boxes);
    else Command(c.id);
    EXPECT_EQ(g_Messages.size(), 1u) << c.what;
    EXPECT_EQ(Bytes(), before) << c.what;
    EXPECT_EQ(Steps(), steps) << c.what;
    EXPECT_EQ(std::vector<u32>(g_Sel.g_PolySelFaces, g_Sel.g_PolySelFaces + 16), faces) << c.what;
    EXPECT_EQ(std::vector<u32>(g_Sel.g_PolySelVerts, g_Sel.g_PolySelVerts + 16), verts) << c.what;
  }
  EXPECT_NE(g_Messages.empty() ? std::string() : g_Messages[0], "");
}

// [SECTION] values that cannot hurt
// Every kind of text a number field meets, through the one reading every field uses and
// through the fields that once wrapped or cut: nothing wraps, a refused value says so, and a
// value beyond the range comes back clamped for the fields that clamp.
TEST_F(PolyOpsTest, NumberFieldsNeitherWrapNorCutSilently) {
  struct Case {
    const char *text;
    i64 lo, hi;
    NumFieldResult want;
    i64 value;   // stored (or clamped) value
  };
  const Case ints[] = {
      {"", 0, 255, NUMFIELD_NOT_NUMBER, 0},          {"abc", 0, 255, NUMFIELD_NOT_NUMBER, 0},
      {"12abc", 0, 255, NUMFIELD_NOT_NUMBER, 0},     {"1e39", 0, 255, NUMFIELD_NOT_NUMBER, 0},
      {"-0", 0, 255, NUMFIELD_OK, 0},                {" 200 ", 0, 255, NUMFIELD_OK, 200},
      {"300", 0, 255, NUMFIELD_OUT_OF_RANGE, 255},   {"-5", 0, 255, NUMFIELD_OUT_OF_RANGE, 0},
      {"70000", 0, 32767, NUMFIELD_OUT_OF_RANGE, 32767},
      {"99999999999", 1, 2147483647, NUMFIELD_OUT_OF_RANGE, 2147483647},
      {"99999999999999999999999", 1, 2147483647, NUMFIELD_OUT_OF_RANGE, 2147483647},
      {"-99999999999999999999999", 1, 2147483647, NUMFIELD_OUT_OF_RANGE, 1},
      {"2147483647", 1, 2147483647, NUMFIELD_OK, 2147483647},
  };
  for (const Case &c : ints) {
    i64 v = -7;
    EXPECT_EQ(NumField_Int(c.text, c.lo, c.hi, &v), c.want) << c.text;
    if (c.want != NUMFIELD_NOT_NUMBER) { EXPECT_EQ(v, c.value) << c.text; }
  }
  struct FloatCase {
    const char *text;
    NumFieldResult want;
    f64 value;
  };
  const FloatCase floats[] = {
      {"", NUMFIELD_NOT_NUMBER, 0},  {"abc", NUMFIELD_NOT_NUMBER, 0},           {"nan", NUMFIELD_NOT_NUMBER, 0},
      {"0x10", NUMFIELD_NOT_NUMBER, 0}, {"1e39", NUMFIELD_OUT_OF_RANGE, FLT_MAX}, {"-1e999", NUMFIELD_OUT_OF_RANGE, -FLT_MAX},
      {"-0", NUMFIELD_OK, 0},        {" 0.2756 ", NUMFIELD_OK, 0.2756},
  };
  for (const FloatCase &c : floats) {
    f64 v = -7;
    EXPECT_EQ(NumField_Float(c.text, -FLT_MAX, FLT_MAX, &v), c.want) << c.text;
    // The fields' own readings (modelling, motion keys, movie and 2D key dialogs) take a
    // number a float holds and refuse the rest; none keeps a negative zero.
    f64 d = -7;
    f32 f = -7, g = -7;
    bool ok = c.want == NUMFIELD_OK;
    EXPECT_EQ(Poly_ParseNumber(c.text, &d), ok) << c.text;
    EXPECT_EQ(MovieDlg_ParseFloat(c.text, &f), ok) << c.text;
    EXPECT_EQ(Ed2D_ParseFloat(c.text, &g), ok) << c.text;
    if (ok) { EXPECT_FALSE(std::signbit(d) || std::signbit(f) || std::signbit(g)) << c.text; }
    if (c.want == NUMFIELD_NOT_NUMBER) continue;
    EXPECT_EQ(v, c.value) << c.text;
    EXPECT_FALSE(std::signbit(v) && v == 0.0) << c.text << ": a negative zero";
  }
  // Whole-number fields of the movie and 2D dialogs: 32-bit, nothing cut to the limit.
  for (const char *text : {"", "abc", "1e39", "2147483648", "99999999999", "-2147483649"}) {
    i32 a = 5, b = 5;
    EXPECT_FALSE(MovieDlg_ParseInt(text, &a)) << text;
    EXPECT_FALSE(Ed2D_ParseInt(text, &b)) << text;
    EXPECT_EQ(a + b, 10) << text;
  }
  for (const char *text : {"-0", " 2147483647 ", "-2147483648"}) {
    i32 a = 5, b = 5;
    EXPECT_TRUE(MovieDlg_ParseInt(text, &a) && Ed2D_ParseInt(text, &b)) << text;
    EXPECT_EQ(a, b) << text;
  }
  // The motion list's "長さ": beyond 1..2147483647 a message, and the length as it was.
  struct Length {
    const char *text;
    i32 stored;   // 0: refused
  };
  const Length lengths[] = {{"", 0}, {"abc", 0}, {"1e39", 0}, {"-0", 0}, {"0", 0}, {"99999999999", 0},
                            {"2147483648", 0}, {"30", 30}, {" 2147483647 ", 2147483647}};
  for (const Length &c : lengths) {
    char name[32] = "前";
    i32 length = 12;
    g_Messages.clear();
    EXPECT_EQ(Ed3D_StoreMotionEntry(name, sizeof name, &length, "後", c.text), c.stored != 0) << c.text;
    EXPECT_EQ(length, c.stored ? c.stored : 12) << c.text;
    EXPECT_EQ(g_Messages.size(), c.stored ? 0u : 1u) << c.text;
  }
}

TEST_F(PolyOpsTest, NumberFieldsRefuseWhatAFloatCannotHold) {
  struct Case {
    const char *text;
    bool accepted;
  };
  const Case cases[] = {{"1e39", false}, {"-1e39", false}, {"3.5e38", false}, {"1e308", false}, {"nan", false},
                        {"inf", false},  {"0x10", false},  {"3.4e38", true},  {"-3.4e38", true}, {"1e-45", true},
                        {" 12.5 ", true}};
  for (const Case &c : cases) {
    f64 v = 0;
    EXPECT_EQ(Poly_ParseNumber(c.text, &v), c.accepted) << c.text;
    EXPECT_EQ(Ed3D_ParseNumber(c.text, &v), c.accepted || !strcmp(c.text, "0x10")) << c.text;   // bone fields read hex
    char fields[ED3D_FIELDS][ED3D_FIELD_TEXT] = {"0", "1", "2", "0", "0", "0", "1", "1", "1", "1"};
    Str_Copy(fields[1], ED3D_FIELD_TEXT, c.text);
    BoneKey3 k = {};
    EXPECT_EQ(Ed3D_ParseKeyFields(fields, nullptr, &k), c.accepted) << c.text;
    // The numeric input: a refused text leaves the model and the history as they were.
    m->polygonCount = m->positionCount = 0;
    ClearFlags();
    Quad(0, 0);
    SelectFace(0);
    std::vector<u8> before = Bytes();
    i32 steps = Steps();
    g_Messages.clear();
    const char *texts[3] = {c.text, "", ""};
    Ed3D_PolyNumericCommand(texts);
    if (c.accepted) {
      EXPECT_EQ(Steps(), steps + 1) << c.text;
      EXPECT_EQ(m->positions[0].x, (f32)strtod(c.text, nullptr)) << c.text;
    } else {
      EXPECT_EQ(Bytes(), before) << c.text;
      EXPECT_EQ(Steps(), steps) << c.text;
      ASSERT_EQ(g_Messages.size(), 1u) << c.text;
    }
  }
  // A decimal too large for a float is named as such.
  g_Messages.clear();
  const char *texts[3] = {"", "1e39", ""};
  Ed3D_PolyNumericCommand(texts);
  EXPECT_EQ(g_Messages, (std::vector<std::string>{"Y の値「1e39」は大きすぎます。座標は変更しませんでした。"}));
}

TEST_F(PolyOpsTest, NoOperationWritesANonFinitePositionOrColour) {
  struct Shape {
    const char *what;
    f32 a, b;   // two quads sharing an edge and a triangle, every coordinate a or b
  };
  const Shape shapes[] = {{"at the float limit", 3.0e38f, 3.3e38f}, {"edges of 1e20", 0.0f, 1.0e20f},
                          {"edges of 1e30", -1.0e30f, 0.0f},         {"below the limit", -3.4e38f, 0.0f},
                          {"the whole range", -3.4e38f, 3.4e38f},   {"tiny", 0.0f, 1.0e-44f}};
  struct Op {
    const char *name;
    std::function<void(PolyOpsTest *)> run;
  };
  std::vector<Op> uvOps;
  auto command = [](u32 id) { return [id](PolyOpsTest *t) { t->Command(id); }; };
  auto typed = [](const char *x, const char *y, const char *z) {
    return [=](PolyOpsTest *) {
      const char *texts[3] = {x, y, z};
      Ed3D_PolyNumericCommand(texts);
    };
  };
  auto coloured = [](const char *r) {
    return [=](PolyOpsTest *) {
      const char *texts[4] = {r, "1e39", "-1e39", "255"};
      Ed3D_PolyColourCommand(texts, "決定ボタン ( モデリング )");
    };
  };
  const Op ops[] = {
      {"delete", command(IDC_POLY_DELETE)},       {"left half", command(IDC_POLY_LEFT_HALF)},
      {"flip", command(IDC_POLY_FLIP)},           {"break up", command(IDC_POLY_BREAK)},
      {"extrude", command(IDC_POLY_EXTRUDE)},     {"divide", command(IDC_POLY_DIVIDE)},
      {"merge", command(IDC_POLY_MERGE)},         {"create", command(IDC_POLY_CREATE)},
      {"rotate colours", command(IDC_POLY_ROTATE_COLOURS)}, {"optimise", command(IDC_POLY_OPTIMISE)},
      {"curve", command(IDC_POLY_CURVE)},         {"normals", command(IDC_POLY_NORMALS)},
      {"copy and paste", [](PolyOpsTest *t) { t->Command(IDC_POLY_COPY); t->Command(IDC_POLY_PASTE); }},
      {"numeric 1e39", typed("1e39", "-1e39", "")},   {"numeric at the limit", typed("3.4e38", "-3.4e38", "3.4e38")},
      {"colour 1e39", coloured("1e39")},          {"colour 300", coloured("300")},
      {"mirror", [](PolyOpsTest *t) { Poly_MirrorGroup(t->m, &g_Sel, 0); }},
      {"copy, mirror and paste", [](PolyOpsTest *t) {
         t->m->normalCount = 0;   // corners naming normal 0 of an empty array
         t->Command(IDC_POLY_COPY);
         Poly_MirrorGroup(t->m, &g_Sel, 0);
         t->Command(IDC_POLY_PASTE);
       }},
  };
  // Every mapping of the group projection and the unfolds.
  for (u8 mode : {UV_MAP_FRONT, UV_MAP_TOP, UV_MAP_SIDE, UV_MAP_CYLINDER, UV_MAP_SPHERE, UV_MAP_PER_FACE})
    uvOps.push_back({"projection", [mode](PolyOpsTest *t) {
                       t->m->groups[0].mapping = mode;
                       Uv_ProjectGroup(t->m, 0);
                       Uv_VertexUnfold(t->m, g_Sel.g_PolySelFaces, App_WorkFaceCount());
                       Uv_CylinderUnfold(t->m, 0);
                     }});
  std::vector<Op> all(std::begin(ops), std::end(ops));
  all.insert(all.end(), uvOps.begin(), uvOps.end());
  const f32 zooms[] = {1.0f, 1e-30f, 1e30f};
  for (const Shape &sh : shapes)
    for (const Op &op : all)
      for (u32 mode = 0; mode < 2; mode++)
        for (f32 zoom : zooms) {
          m = g_Model3Slots[0];
          m->polygonCount = m->positionCount = 0;
          m->colorCount = 1;
          m->colors[0] = {200, 200, 200, 255};
          m->uvCount = 1;
          m->uvs[0] = {0, 0};
          ClearFlags();
          f32 a = sh.a, b = sh.b;
          i32 p0 = V(a, a, a), p1 = V(b, a, a), p2 = V(b, b, a), p3 = V(a, b, a);
          i32 p4 = V(b, a, b), p5 = V(b, b, b);
          F({p0, p1, p2, p3});
          F({p1, p4, p5, p2});
          F({p3, p2, p5});
          for (i32 f = 0; f < 3; f++) SelectFace(f);
          g_Sel.g_PolySelectMode = mode;
          g_Shell.g_LastViewZoom = zoom;
          Model3_CalcNormals(m);
          op.run(this);
          m = g_Model3Slots[0];
          std::string what = std::string(op.name) + ", " + sh.what + ", mode " + std::to_string(mode) +
                             ", zoom " + std::to_string(zoom);
          for (i32 i = 0; i < m->positionCount; i++)
            ASSERT_TRUE(std::isfinite(m->positions[i].x) && std::isfinite(m->positions[i].y) &&
                        std::isfinite(m->positions[i].z)) << what << ", position " << i;
          for (i32 i = 0; i < m->colorCount; i++)
            ASSERT_TRUE(std::isfinite(m->colors[i].r) && std::isfinite(m->colors[i].g) &&
                        std::isfinite(m->colors[i].b) && std::isfinite(m->colors[i].a)) << what << ", colour " << i;
          for (i32 i = 0; i < m->uvCount; i++)
            ASSERT_TRUE(std::isfinite(m->uvs[i].u) && std::isfinite(m->uvs[i].v)) << what << ", uv " << i;
          for (i32 f = 0; f < m->polygonCount; f++)
            for (i32 j = 0; j < m->polygons[f].cornerCount; j++) {
              const PolyCorner &c = m->polygons[f].corners[j];
              ASSERT_TRUE(c.normal < (u32)m->capNormals && c.color < (u32)m->capColors && c.uv < (u32)m->capUVs)
                  << what << ", polygon " << f;
            }
        }
}

// A read model has room for every index its corners name, also one past its count (a normal
// before the normals are made); pasting and mirroring such corners keeps them inside the room.
TEST_F(PolyOpsTest, PastedAndMirroredCornersStayInsideTheirArrays) {
  for (int op = 0; op < 2; op++) {
    g_ModelAllocArrays = 0;
    Model3 *r = Model3_New();
    ASSERT_TRUE(Model3_Reserve(r, 3, 2, 2, 2, 1));
    r->positionCount = 3, r->normalCount = 1, r->colorCount = 1, r->uvCount = 1, r->polygonCount = 1;
    r->positions[0] = {0, 0, 0}, r->positions[1] = {1, 0, 0}, r->positions[2] = {0, 1, 0};
    r->polygons[0] = Polygon3{};
    r->polygons[0].cornerCount = 3;
    for (u32 j = 0; j < 3; j++) r->polygons[0].corners[j] = {j, 1, 1, 1};   // one past each count
    Model3_FreshBindings(r, 0, 3);
    m = Model3_ReplaceSlot(0, r);
    ASSERT_NE(m, nullptr);
    ClearFlags();
    SelectFace(0);
    if (op == 0) {
      Command(IDC_POLY_COPY);
      Command(IDC_POLY_PASTE);
    } else {
      ASSERT_TRUE(Poly_MirrorGroup(m, &g_Sel, 0));
    }
    ASSERT_EQ(m->polygonCount, 2) << op;
    for (i32 j = 0; j < 3; j++) {
      const PolyCorner &c = m->polygons[1].corners[j];
      EXPECT_LT(c.normal, (u32)m->capNormals) << op;
      EXPECT_LT(c.color, (u32)m->capColors) << op;
      EXPECT_LT(c.uv, (u32)m->capUVs) << op;
    }
  }
}

// [SECTION] differential test
// A lattice of quads and triangle pairs with gaps, sharing positions and edges, plus
// duplicated positions, -0, a NaN, degenerate faces, a fan, one- and two-corner polygons.
void RandomMesh(Model3 *m, std::mt19937 &rng, i32 cells) {
  auto pick = [&](i32 n) { return (i32)(rng() % (u32)n); };
  i32 w = 1 + (i32)sqrtf((f32)cells), h = cells / w + 1;
  m->positionCount = m->polygonCount = 0;
  for (i32 y = 0; y <= h; y++)
    for (i32 x = 0; x <= w; x++) m->positions[m->positionCount++] = {(f32)(x - w / 2), (f32)y, (f32)(pick(4) == 0)};
  i32 lattice = m->positionCount;
  for (i32 i = 0; i < lattice / 8 + 1; i++) m->positions[m->positionCount++] = m->positions[pick(lattice)];
  m->positions[m->positionCount++] = {-0.0f, 0, 0};
  m->positions[m->positionCount++] = {NAN, 1, 0};
  i32 extra = m->positionCount - lattice;
  m->colorCount = 1 + pick(6);
  for (i32 i = 0; i < m->colorCount; i++) m->colors[i] = {(f32)pick(3) * 100, 50, 50, 255};
  m->uvCount = 1 + pick(6);
  for (i32 i = 0; i < m->uvCount; i++) m->uvs[i] = {(f32)pick(4) * 0.25f, (f32)pick(4) * 0.25f};
  Model3_FreshBindings(m, 0, m->positionCount);
  auto vtx = [&](i32 x, i32 y) { return pick(12) == 0 ? lattice + pick(extra) : y * (w + 1) + x; };
  auto add = [&](std::vector<i32> v) {
    Polygon3 &p = m->polygons[m->polygonCount++];
    p = Polygon3{};
    p.cornerCount = (u8)v.size();
    p.group = (u32)pick(4);
    for (size_t j = 0; j < v.size(); j++)
      p.corners[j] = {(u32)v[j], 0, (u32)pick(m->colorCount), (u32)pick(m->uvCount)};
  };
  for (i32 y = 0; y < h && m->polygonCount < cells; y++)
    for (i32 x = 0; x < w && m->polygonCount < cells; x++) {
      i32 a = vtx(x, y), b = vtx(x + 1, y), c = vtx(x + 1, y + 1), d = vtx(x, y + 1);
      switch (pick(10)) {
        case 0: break;
        case 1: case 2: add({a, b, c}); add({a, c, d}); break;
        case 3: add({d, c, b, a}); break;
        case 4: add({a, a, c, d}); break;
        case 5: add({a, b}); break;
        case 6: add({pick(m->positionCount), pick(m->positionCount), pick(m->positionCount), pick(m->positionCount)}); break;
        case 7: add({c}); break;
        case 8: add({0, a, b}); break;   // a fan round position 0
        default: add({a, b, c, d}); break;
      }
    }
  Model3_CalcNormals(m);
}

struct Outcome {
  bool result;
  u32 messages;
  std::vector<u8> model;
  std::vector<u32> faces, verts;
};

template <typename T>
void Append(std::vector<u8> &out, const T *p, i32 n) {
  if (n > 0) out.insert(out.end(), (const u8 *)p, (const u8 *)(p + n));
}

// Everything an operation may change, as bytes (polygon records field by field: no padding).
Outcome Capture(const Model3 *m, bool result, u32 messages) {
  Outcome o = {result, messages, {}, {}, {}};
  const i32 counts[5] = {m->positionCount, m->normalCount, m->colorCount, m->uvCount, m->polygonCount};
  Append(o.model, counts, 5);
  Append(o.model, m->positions, m->positionCount);
  Append(o.model, m->bindings, m->positionCount);
  Append(o.model, m->normals, m->normalCount);
  Append(o.model, m->colors, m->colorCount);
  Append(o.model, m->uvs, m->uvCount);
  for (i32 i = 0; i < m->polygonCount; i++) {
    const Polygon3 &p = m->polygons[i];
    Append(o.model, &p.cornerCount, 1);
    Append(o.model, p.corners, 4);
    Append(o.model, &p.group, 1);
    Append(o.model, &p.faceNormal, 1);
  }
  o.faces.assign(g_Sel.g_PolySelFaces, g_Sel.g_PolySelFaces + App_WorkFaceCount());
  o.verts.assign(g_Sel.g_PolySelVerts, g_Sel.g_PolySelVerts + App_WorkVertCount());
  return o;
}

TEST_F(PolyOpsTest, EveryOperationMatchesTheLiteralOneOnRandomMeshes) {
  struct Op {
    const char *name;
    bool (*fast)(Model3 *, ShellSelection *);
    bool (*literal)(Model3 *);
  };
  static i32 s_rgba[4];
  static f32 s_zoom;
  const Op ops[] = {
      {"delete", Ed3D_PolyDelete, Lit_Delete},
      {"left half", Ed3D_PolyDeleteLeftHalf, Lit_DeleteLeftHalf},
      {"flip", Ed3D_PolyFlipFaces, Lit_FlipFaces},
      {"break up", Ed3D_PolyBreakFaces, Lit_BreakFaces},
      {"extrude", [](Model3 *x, ShellSelection *sel) { return Ed3D_PolyExtrude(x, sel, s_zoom); }, [](Model3 *x) { return Lit_Extrude(x, s_zoom); }},
      {"divide", Ed3D_PolyDivide, Lit_Divide},
      {"merge", Ed3D_PolyMerge, Lit_Merge},
      {"create", Ed3D_PolyCreateFace, Lit_CreateFace},
      {"rotate colours", Ed3D_PolyRotateColours, Lit_RotateColours},
      {"apply colour", [](Model3 *x, ShellSelection *sel) { return Ed3D_PolyApplyColour(x, sel, s_rgba); }, [](Model3 *x) { return Lit_ApplyColour(x, s_rgba); }},
      {"optimise", Ed3D_PolyOptimise, Lit_Optimise},
  };
  const i32 sizes[] = {3, 12, 60, 300, 1200, 3000};
  std::mt19937 rng(29);
  u32 runs = 0, merged = 0;
  for (i32 cells : sizes) {
    for (int round = 0; round < (cells >= 1200 ? 1 : 6); round++) {
      g_Model3Edited = (u32)(round & 1);
      RandomMesh(m, rng, cells);
      Model3 *base = Model3_Clone(m);
      ASSERT_NE(base, nullptr);
      // Selections: sparse, half, all faces; vertex flags of the faces or at random.
      u32 density = (u32)(rng() % 3);
      std::vector<u32> faces(App_WorkFaceCount()), verts(App_WorkVertCount());
      for (i32 i = 0; i < m->polygonCount; i++) faces[i] = density == 2 || rng() % (density ? 2 : 12) == 0;
      for (i32 i = 0; i < m->positionCount; i++) verts[i] = rng() % (density ? 2 : 40) == 0;
      s_zoom = (f32)(rng() % 3) - 0.5f;
      const i32 rgba[4] = {(i32)(rng() % 3) * 100, 50, 50, 255};
      memcpy(s_rgba, rgba, sizeof rgba);
      for (const Op &op : ops)
        for (u32 mode = 0; mode < 2; mode++) {
          Outcome out[2];
          for (int which = 0; which < 2; which++) {
            Model3 *x = Model3_Clone(base);
            memcpy(g_Sel.g_PolySelFaces, faces.data(), faces.size() * sizeof(u32));
            memcpy(g_Sel.g_PolySelVerts, verts.data(), verts.size() * sizeof(u32));
            g_Sel.g_PolySelectMode = mode;
            u32 boxes = g_ErrorBoxCount;
            bool r = which == 0 ? op.fast(x, &g_Sel) : op.literal(x);
            out[which] = Capture(x, r, g_ErrorBoxCount - boxes);
            if (which == 0 && mode == 1 && op.fast == Ed3D_PolyMerge) merged += (u32)(x->polygonCount < base->polygonCount);
            Model3_Free(x);
          }
          std::string what = std::string(op.name) + " mode " + std::to_string(mode) + " cells " + std::to_string(cells);
          EXPECT_EQ(out[0].result, out[1].result) << what;
          EXPECT_EQ(out[0].messages, out[1].messages) << what;
          EXPECT_TRUE(out[0].model == out[1].model) << what;
          EXPECT_TRUE(out[0].faces == out[1].faces) << what;
          EXPECT_TRUE(out[0].verts == out[1].verts) << what;
          runs++;
        }
      Model3_Free(base);
    }
  }
  EXPECT_EQ(runs, 26u * 11 * 2);
  EXPECT_GT(merged, 5u);   // the meshes did give faces to merge
}

// The outcome with the flags of the selection sel rather than the shell's.
Outcome CaptureWith(const Model3 *m, const ShellSelection *sel, bool result, u32 messages) {
  Outcome o = Capture(m, result, messages);
  o.faces.assign(sel->g_PolySelFaces, sel->g_PolySelFaces + App_WorkFaceCount());
  o.verts.assign(sel->g_PolySelVerts, sel->g_PolySelVerts + App_WorkVertCount());
  return o;
}

// Every operation reads and changes the selection it is handed and no other: run once on the
// shell's selection and once on a copy of it while the shell's holds the opposite flags and
// mode, the result, messages and model agree, the copy ends as the shell's did in the first
// run and the shell's selection stays as it was.
TEST_F(PolyOpsTest, EveryOperationActsOnTheHandedSelectionOnly) {
  typedef bool OpFn(Model3 *, ShellSelection *);
  static const i32 kRgba[4] = {100, 50, 50, 255};
  static const char *const kRgbaText[4] = {"100", "50", "50", "255"};
  static const char *const kXyz[3] = {"1.5", "", "-2"};
  const struct {
    const char *name;
    OpFn *op;
  } ops[] = {
      {"delete", Ed3D_PolyDelete},
      {"left half", Ed3D_PolyDeleteLeftHalf},
      {"flip", Ed3D_PolyFlipFaces},
      {"break up", Ed3D_PolyBreakFaces},
      {"extrude", [](Model3 *x, ShellSelection *sel) { return Ed3D_PolyExtrude(x, sel, 1.0f); }},
      {"divide", Ed3D_PolyDivide},
      {"merge", Ed3D_PolyMerge},
      {"create", Ed3D_PolyCreateFace},
      {"rotate colours", Ed3D_PolyRotateColours},
      {"apply colour", [](Model3 *x, ShellSelection *sel) { return Ed3D_PolyApplyColour(x, sel, kRgba); }},
      {"colour text", [](Model3 *x, ShellSelection *sel) { return Ed3D_PolyApplyColourText(x, sel, kRgbaText); }},
      {"numeric input", [](Model3 *x, ShellSelection *sel) { return Ed3D_PolyNumericInput(x, sel, kXyz); }},
      {"optimise", Ed3D_PolyOptimise},
      {"cut", Ed3D_PolyCut},
      {"copy and paste", [](Model3 *x, ShellSelection *sel) { return Ed3D_PolyCopy(x, sel) && Ed3D_PolyPaste(x); }},
      {"mirror", [](Model3 *x, ShellSelection *sel) { return Poly_MirrorGroup(x, sel, 0); }},
  };
  const u32 faceRoom = App_WorkFaceCount(), vertRoom = App_WorkVertCount();
  std::mt19937 rng(31);
  for (i32 cells : {12, 300}) {
    RandomMesh(m, rng, cells);
    Model3 *base = Model3_Clone(m);
    ASSERT_NE(base, nullptr);
    std::vector<u32> faces(faceRoom), verts(vertRoom), notFaces(faceRoom), notVerts(vertRoom);
    for (u32 i = 0; i < faceRoom; i++) notFaces[i] = !(faces[i] = (i32)i < base->polygonCount && rng() % 2);
    for (u32 i = 0; i < vertRoom; i++) notVerts[i] = !(verts[i] = (i32)i < base->positionCount && rng() % 3 == 0);
    for (const auto &op : ops)
      for (u32 mode = 0; mode < 2; mode++) {
        std::string what = std::string(op.name) + " mode " + std::to_string(mode) + " cells " + std::to_string(cells);
        // The shell's selection.
        Model3 *x = Model3_Clone(base);
        memcpy(g_Sel.g_PolySelFaces, faces.data(), faceRoom * sizeof(u32));
        memcpy(g_Sel.g_PolySelVerts, verts.data(), vertRoom * sizeof(u32));
        g_Sel.g_PolySelectMode = mode;
        g_Sel.g_PolyFaceNo = 3, g_Sel.g_PolyVertexNo = 4;
        u32 boxes = g_ErrorBoxCount;
        bool r = op.op(x, &g_Sel);
        Outcome want = CaptureWith(x, &g_Sel, r, g_ErrorBoxCount - boxes);
        const i32 wantFaceNo = g_Sel.g_PolyFaceNo, wantVertexNo = g_Sel.g_PolyVertexNo;
        Model3_Free(x);

        // A copy handed to the operation; the shell's selection holds the opposite.
        x = Model3_Clone(base);
        memcpy(g_Sel.g_PolySelFaces, notFaces.data(), faceRoom * sizeof(u32));
        memcpy(g_Sel.g_PolySelVerts, notVerts.data(), vertRoom * sizeof(u32));
        g_Sel.g_PolySelectMode = 1 - mode;
        g_Sel.g_PolyFaceNo = 5, g_Sel.g_PolyVertexNo = 6;
        Hook_OwnSelection own(0);
        memcpy(own.sel.g_PolySelFaces, faces.data(), faceRoom * sizeof(u32));
        memcpy(own.sel.g_PolySelVerts, verts.data(), vertRoom * sizeof(u32));
        own.sel.g_PolySelectMode = mode;
        own.sel.g_PolyFaceNo = 3, own.sel.g_PolyVertexNo = 4;
        boxes = g_ErrorBoxCount;
        r = op.op(x, &own.sel);
        Outcome got = CaptureWith(x, &own.sel, r, g_ErrorBoxCount - boxes);
        Model3_Free(x);
        EXPECT_EQ(got.result, want.result) << what;
        EXPECT_EQ(got.messages, want.messages) << what;
        EXPECT_TRUE(got.model == want.model) << what;
        EXPECT_TRUE(got.faces == want.faces) << what;
        EXPECT_TRUE(got.verts == want.verts) << what;
        EXPECT_EQ(own.sel.g_PolyFaceNo, wantFaceNo) << what;
        EXPECT_EQ(own.sel.g_PolyVertexNo, wantVertexNo) << what;
        // The shell's selection as it was.
        EXPECT_TRUE(std::equal(notFaces.begin(), notFaces.end(), g_Sel.g_PolySelFaces)) << what;
        EXPECT_TRUE(std::equal(notVerts.begin(), notVerts.end(), g_Sel.g_PolySelVerts)) << what;
        EXPECT_EQ(g_Sel.g_PolySelectMode, 1 - mode) << what;
        EXPECT_EQ(g_Sel.g_PolyFaceNo, 5) << what;
        EXPECT_EQ(g_Sel.g_PolyVertexNo, 6) << what;
      }
    Model3_Free(base);
  }
}

}  // namespace
