// The 2D modelling panel's mesh operations: the described cases of each operation, the
// refusals that must leave the model byte-identical (no room, five corners, Cancel, a field
// that is no number), the panel's labels in CP932, and the differential test against the
// literal operations on random and degenerate meshes in both selection modes.
#include <gtest/gtest.h>
#include <math.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "test_models.h"
#include "model_shown.h"
#include "app/current.h"
#include "app/docflags.h"
#include "app/family.h"
#include "app/shell_seam.h"
#include "app/startup_state.h"
#include "app/views.h"
#include "ed2d_poly_ops_literal.h"
#include "edit2d/ed2d.h"
#include "edit2d/ed2d_poly.h"
#include "edit2d/ed2d_poly_ops.h"
#include "model/bone2.h"
#include "model/kzp.h"
#include "model/model3.h"
#include "model/seam.h"
#include "shell_fixture.h"
#include "widget_fake.h"

namespace {

std::vector<std::string> g_Boxes;
void RecordBox(const char *t) { g_Boxes.push_back(t); }

// The panel's colour fields (IDC_P2D_RED and the next three) and the colour chooser are the widget fake's.
int s_Panel;
void SetField(int k, const char *text) { WidgetFake_SetText(&s_Panel, IDC_P2D_RED + k, text); }
std::string Field(int k) { return WidgetFake_Text(&s_Panel, IDC_P2D_RED + k); }

Bone2Model *FullModel(i32 slot) {
  g_ModelAllocArrays = 1;
  return Bone2_Init(slot);
}

// Everything an operation may change: counts, the whole arrays, the flags.
std::string State(const Bone2Model *m) {
  std::string s;
  auto add = [&](const void *p, size_t n) { s.append((const char *)p, n); };
  add(&m->vertexCount, 2), add(&m->colourCount, 2), add(&m->uvCount, 2), add(&m->polygonCount, 4);
  add(&m->lightingFlag, 4), add(&m->vertexColourFlag, 4);
  add(m->positions, (size_t)m->vertexCapacity * sizeof(Bone2Point));
  add(m->bindings, (size_t)m->vertexCapacity * sizeof(VertexBinding));
  add(m->colours, (size_t)m->colourCapacity * sizeof(Bone2Colour));
  add(m->uvs, (size_t)m->uvCapacity * sizeof(Bone2UV));
  add(m->polygons, (size_t)m->polygonCapacity * sizeof(Polygon2));
  add(g_Sel.g_PolySelVerts, App_WorkVertCount() * sizeof(u32));
  add(g_Sel.g_PolySelFaces, App_WorkFaceCount() * sizeof(u32));
  return s;
}

struct OpsFixture : ::testing::Test {
  Bone2Model *m = nullptr;
  u32 maxV = 0, maxP = 0;
  void SetUp() override {
    Shell_ResetForTest();
    maxV = g_MaxVertices, maxP = g_MaxPolygons;
    g_MaxVertices = 70000;
    g_MaxPolygons = 70000;
    Bone2_FreeAll();
    App_AllocWorkArrays(&g_Sel);
    App_ForgetPolySelection(&g_Sel);
    g_Shell.g_EditFamily = FAMILY_2D_MODEL;
    g_Shell.g_EditSubMode = SUB_2D_POLY;
    g_Sel.g_PolySelectMode = 1;
    g_Sel.g_PolyTool = ED2D_TOOL_FACE;
    g_Sel.g_CurGroupIndex = 2;
    g_Ed2DPoly = Ed2DPolyEditor{};
    for (int k = 0; k < 3; k++) g_Ed2DPoly.colour[k] = 200;
    g_Ed2DPoly.colour[3] = 255;
    g_Boxes.clear();
    g_Seam.errorBox = RecordBox;
    m = FullModel(0);
    g_Bone2SlotShown[0] = 1;
  }
  void TearDown() override {
    g_Seam.errorBox = nullptr;
    WidgetFake_Remove();
    App_ForgetPolySelection(&g_Sel);
    Bone2_FreeAll();
    free(g_Ed2D.rebindNearest);
    free(g_Ed2D.rebindBest);
    g_Ed2D = Ed2DEditor{};
    g_MaxVertices = maxV, g_MaxPolygons = maxP;
    Shell_ResetForTest();
  }
  u16 Vertex(f32 x, f32 y) {
    m->positions[m->vertexCount] = {x, y};
    m->bindings[m->vertexCount] = {(u16)(m->vertexCount % 7), 1, 0.25f, 0};
    return m->vertexCount++;
  }
  // A live polygon over the points, each corner with a colour and a UV entry of its own.
  i32 Poly(std::initializer_list<std::pair<f32, f32>> pts, u32 group = 0) {
    Polygon2 &p = TestModel_NewPolygon2(m, group);
    for (auto &q : pts) {
      u16 c = m->colourCount++, u = m->uvCount++;
      m->colours[c] = {(f32)(c * 10), 1, 2, 255};
      m->uvs[u] = {q.first / 64.0f, q.second / 64.0f};
      p.corners[p.cornerCount++] = {Vertex(q.first, q.second), c, u};
    }
    return m->polygonCount++;
  }
  void SelectFaces(std::initializer_list<i32> faces) {
    for (i32 f : faces) {
      g_Sel.g_PolySelFaces[f] = 1;
      for (i32 j = 0; j < m->polygons[f].cornerCount; j++) g_Sel.g_PolySelVerts[m->polygons[f].corners[j].vertex] = 1;
    }
  }
  i32 Live() {
    i32 n = 0;
    for (i32 i = 0; i < m->polygonCount; i++) n += m->polygons[i].used == 1;
    return n;
  }
};

// [SECTION] the operations' described cases
TEST_F(OpsFixture, SelectionCommands) {
  Poly({{0, 0}, {1, 0}, {1, 1}});
  u32 nv = App_WorkVertCount(), nf = App_WorkFaceCount();
  for (u32 i = 0; i < nv; i++) g_Sel.g_PolySelVerts[i] = 1;
  for (u32 i = 0; i < nf; i++) g_Sel.g_PolySelFaces[i] = 1;
  ASSERT_TRUE(Ed2D_PolySelectAll(m));   // everything selected: everything deselected
  EXPECT_EQ(g_Sel.g_PolySelVerts[0] + g_Sel.g_PolySelVerts[nv - 1] + g_Sel.g_PolySelFaces[0] + g_Sel.g_PolySelFaces[nf - 1], 0u);
  g_Sel.g_PolySelFaces[5] = 1;
  ASSERT_TRUE(Ed2D_PolySelectAll(m));   // anything unselected: everything selected
  EXPECT_EQ(g_Sel.g_PolySelVerts[0] + g_Sel.g_PolySelVerts[nv - 1] + g_Sel.g_PolySelFaces[0] + g_Sel.g_PolySelFaces[nf - 1], 4u);
  g_Sel.g_PolySelFaces[3] = 0;
  ASSERT_TRUE(Ed2D_PolyInvertSelection(m));
  EXPECT_EQ(g_Sel.g_PolySelFaces[3], 1u);
  EXPECT_EQ(g_Sel.g_PolySelFaces[4] + g_Sel.g_PolySelVerts[2], 0u);
}

TEST_F(OpsFixture, DeleteLeftFlipRemove) {
  i32 a = Poly({{-5, 0}, {0, -3}, {-1, 4}});
  i32 b = Poly({{-5, 0}, {0.1f, -3}, {-1, 4}});
  i32 q = Poly({{0, 0}, {10, 0}, {10, 10}, {0, 10}}, 3);
  SelectFaces({a});
  ASSERT_TRUE(Ed2D_PolyDeleteLeftHalf(m));
  EXPECT_EQ(m->polygons[a].used, 0u);
  EXPECT_EQ(m->polygons[b].used, 1u);   // a corner at x = 0.1
  EXPECT_EQ(m->polygons[q].used, 1u);
  EXPECT_EQ(g_Sel.g_PolySelFaces[a] + g_Sel.g_PolySelVerts[0], 0u);

  SelectFaces({q});
  Polygon2 before = m->polygons[q];
  ASSERT_TRUE(Ed2D_PolyFlipFaces(m));
  EXPECT_EQ(m->polygons[q].corners[0].vertex, before.corners[3].vertex);
  EXPECT_EQ(m->polygons[q].corners[1].uv, before.corners[2].uv);
  ASSERT_TRUE(Ed2D_PolyFlipFaces(m));
  EXPECT_EQ(memcmp(&m->polygons[q], &before, sizeof before), 0);   // twice: the identity

  i32 n = m->polygonCount;
  ASSERT_TRUE(Ed2D_PolyRemoveFaces(m));
  ASSERT_EQ(m->polygonCount, n + 3);
  EXPECT_EQ(m->polygons[q].cornerCount, 1);
  for (i32 k = 0; k < 3; k++) {
    const Polygon2 &p = m->polygons[n + k];
    EXPECT_EQ(p.used, 1u);
    EXPECT_EQ(p.cornerCount, 1);
    EXPECT_EQ(p.group, 3u);
    EXPECT_EQ(p.corners[0].vertex, before.corners[k + 1].vertex);
  }
  g_Sel.g_PolySelectMode = 0;   // vertex mode: nothing
  EXPECT_FALSE(Ed2D_PolyFlipFaces(m));
  EXPECT_FALSE(Ed2D_PolyRemoveFaces(m));
}

TEST_F(OpsFixture, SplitTwoQuadsAndATriangle) {
  i32 q1 = Poly({{0, 0}, {8, 0}, {8, 8}, {0, 8}}, 4);
  i32 t = Poly({{20, 0}, {30, 0}, {25, 5}}, 4);
  i32 q2 = Poly({{40, 0}, {48, 0}, {48, 8}, {40, 8}}, 5);
  SelectFaces({q1, t, q2});
  i32 n = m->polygonCount, nv = m->vertexCount;
  ASSERT_TRUE(Ed2D_PolySplitQuads(m));
  EXPECT_EQ(g_Boxes, std::vector<std::string>{"４角形のみ分割できます。"});
  EXPECT_EQ(m->polygons[q1].used + m->polygons[q2].used, 0u);
  EXPECT_EQ(m->polygons[t].used, 1u);
  ASSERT_EQ(m->polygonCount, n + 8);
  EXPECT_EQ(m->vertexCount, nv + 32);
  for (i32 k = 0; k < 8; k++) {
    const Polygon2 &p = m->polygons[n + k];
    EXPECT_EQ(p.cornerCount, 4);
    EXPECT_EQ(p.group, k < 4 ? 4u : 5u);
    EXPECT_EQ(g_Sel.g_PolySelFaces[n + k], 1u);
    const Polygon2 &src = m->polygons[k < 4 ? q1 : q2];
    // Colour, UV and binding of the corner the piece grows from.
    EXPECT_EQ(m->colours[p.corners[2].colour].r, m->colours[src.corners[k % 4].colour].r);
    EXPECT_EQ(m->uvs[p.corners[1].uv].u, m->uvs[src.corners[k % 4].uv].u);
    EXPECT_EQ(m->bindings[p.corners[3].vertex].bone1, m->bindings[src.corners[k % 4].vertex].bone1);
  }
  // The first piece: P0, m01, C, m30.
  const Polygon2 &p = m->polygons[n];
  EXPECT_EQ(m->positions[p.corners[1].vertex].x, 4.0f);
  EXPECT_EQ(m->positions[p.corners[2].vertex].y, 4.0f);
  EXPECT_EQ(m->positions[p.corners[3].vertex].y, 4.0f);
  g_Boxes.clear();
  g_Sel.g_PolySelectMode = 0;
  EXPECT_FALSE(Ed2D_PolySplitQuads(m));
  EXPECT_EQ(g_Boxes, std::vector<std::string>{"面選択モードで、利用できます。"});
}

TEST_F(OpsFixture, MakeFaceAndMerge) {
  g_Sel.g_PolySelectMode = 0;
  i32 q1 = Poly({{0, 0}, {8, 0}, {8, 8}, {0, 8}});
  g_Sel.g_PolySelVerts[m->polygons[q1].corners[0].vertex] = 1;
  EXPECT_FALSE(Ed2D_PolyMakeFace(m));
  EXPECT_EQ(g_Boxes.back(), "２つ以上頂点を選択して下さい。");
  SelectFaces({q1});
  g_Sel.g_PolySelFaces[q1] = 0;
  ASSERT_TRUE(Ed2D_PolyMakeFace(m));
  EXPECT_EQ(m->polygons[1].cornerCount, 4);
  EXPECT_EQ(m->polygons[1].group, 0u);

  // Faces: two quads sharing an edge become one quad, two triangles a quad.
  Bone2_FreeAll();
  m = FullModel(0);
  App_ForgetPolySelection(&g_Sel);
  g_Sel.g_PolySelectMode = 1;
  i32 a = Poly({{0, 0}, {8, 0}, {8, 8}, {0, 8}}), b = Poly({{8, 0}, {16, 0}, {16, 8}, {8, 8}});
  i32 c = Poly({{0, 20}, {8, 20}, {0, 28}}), d = Poly({{8, 20}, {8, 28}, {0, 28}});
  SelectFaces({a, b, c, d});
  ASSERT_TRUE(Ed2D_PolyMerge(m));
  EXPECT_EQ(m->polygons[b].used + m->polygons[d].used, 0u);
  ASSERT_EQ(m->polygons[a].cornerCount, 4);
  f32 xs[4], ys[4];
  for (int j = 0; j < 4; j++) xs[j] = m->positions[m->polygons[a].corners[j].vertex].x;
  EXPECT_EQ(std::vector<f32>(xs, xs + 4), (std::vector<f32>{0, 16, 16, 0}));
  ASSERT_EQ(m->polygons[c].cornerCount, 4);
  for (int j = 0; j < 4; j++) {
    xs[j] = m->positions[m->polygons[c].corners[j].vertex].x;
    ys[j] = m->positions[m->polygons[c].corners[j].vertex].y;
  }
  EXPECT_EQ(std::vector<f32>(xs, xs + 4), (std::vector<f32>{0, 8, 8, 0}));
  EXPECT_EQ(std::vector<f32>(ys, ys + 4), (std::vector<f32>{20, 20, 28, 28}));

  // Vertices: one selected vertex merges nothing.
  g_Sel.g_PolySelectMode = 0;
  App_ForgetPolySelection(&g_Sel);
  g_Sel.g_PolySelVerts[m->polygons[a].corners[0].vertex] = 1;
  std::string s = State(m);
  EXPECT_FALSE(Ed2D_PolyMerge(m));
  EXPECT_EQ(State(m) == s, true);
}

TEST_F(OpsFixture, CopyPasteWeldsAndOptimizeKeepsBindings) {
  i32 a = Poly({{0, 0}, {8, 0}, {8, 8}, {0, 8}}), b = Poly({{8, 0}, {16, 0}, {8, 8}});
  SelectFaces({a, b});
  ASSERT_TRUE(Ed2D_PolyCopy(m));
  ASSERT_NE(g_Bone2Slots[ED2D_CLIPBOARD_SLOT], nullptr);
  ASSERT_TRUE(Ed2D_PolyPaste(m));
  // The pasted polygons land on the copied positions: 5 distinct points, 4 polygons.
  EXPECT_EQ(m->vertexCount, 5);
  EXPECT_EQ(m->polygonCount, 4);
  EXPECT_EQ(memcmp(m->polygons[0].corners, m->polygons[2].corners, sizeof m->polygons[0].corners), 0);
  EXPECT_EQ(g_Sel.g_PolyTool, (u32)ED2D_TOOL_MOVE);
  // Each kept position keeps its own binding (the first of equal ones).
  EXPECT_EQ(m->bindings[m->polygons[1].corners[0].vertex].bone1, 1);   // (8, 0) was vertex 1 first
  EXPECT_EQ(m->bindings[m->polygons[1].corners[1].vertex].bone1, 5);   // (16, 0) was vertex 5
  std::string once = State(m);
  ASSERT_TRUE(Ed2D_PolyOptimize(m));
  EXPECT_TRUE(State(m) == once);   // a second run changes nothing
  g_Sel.g_PolySelectMode = 0;
  EXPECT_FALSE(Ed2D_PolyCopy(m));
  EXPECT_EQ(g_Boxes.back(), "面選択モードで利用できます。");
}

TEST_F(OpsFixture, StockShapes) {
  struct Case {
    bool (*op)(Bone2Model *);
    i32 polys, corners;
    Bone2Point first;
    std::vector<f32> uvs;   // u, v of the first polygon's corners
  };
  const Case cases[] = {
      {Ed2D_PolyAddTriangle, 1, 3, {0, -32}, {0.5f, 0, 1, 1, 0, 1}},
      {Ed2D_PolyAddQuad, 1, 4, {-32, -32}, {0, 0, 1, 0, 1, 1, 0, 1}},
      {Ed2D_PolyAddCircle, 16, 3, {0, -32}, {0, 0, 0, 0, 0, 0}},
  };
  for (const Case &c : cases) {
    Bone2_FreeAll();
    m = FullModel(0);
    g_Bone2SlotShown[0] = 1;
    ASSERT_TRUE(c.op(m));
    ASSERT_EQ(m->polygonCount, c.polys);
    EXPECT_EQ(m->vertexCount, c.polys * c.corners);
    EXPECT_EQ(m->positions[0].x, c.first.x);
    EXPECT_EQ(m->positions[0].y, c.first.y);
    for (i32 j = 0; j < c.corners; j++) {
      EXPECT_EQ(m->uvs[m->polygons[0].corners[j].uv].u, c.uvs[2 * j]);
      EXPECT_EQ(m->uvs[m->polygons[0].corners[j].uv].v, c.uvs[2 * j + 1]);
      EXPECT_EQ(m->colours[m->polygons[0].corners[j].colour].g, 255.0f);
    }
    for (i32 f = 0; f < c.polys; f++) {
      EXPECT_EQ(m->polygons[f].group, 2u);
      EXPECT_EQ(g_Sel.g_PolySelFaces[f], 1u);
      for (i32 j = 0; c.polys > 1 && j < 2; j++) {   // the circle's rim: radius 32
        Bone2Point p = m->positions[m->polygons[f].corners[j].vertex];
        EXPECT_NEAR(sqrtf(p.x * p.x + p.y * p.y), 32.0f, 1e-4f);
      }
    }
    EXPECT_EQ(g_Sel.g_PolyTool, (u32)ED2D_TOOL_MOVE);
  }
}

TEST_F(OpsFixture, ImportDropsZAndCopiesColoursAndUVs) {
  g_ModelAllocArrays = 1;
  Model3 *src = Model3_New();
  ASSERT_NE(src, nullptr);
  const Vec3 pts[4] = {{1, 2, 9}, {3, 4, 9}, {5, 6, 9}, {7, 8, -9}};
  for (int i = 0; i < 4; i++) src->positions[i] = pts[i];
  src->positionCount = 4;
  for (int i = 0; i < 4; i++) src->colors[i] = {(f32)(10 * i), 20, 30, 40}, src->uvs[i] = {0.25f * i, 0.5f};
  src->colorCount = src->uvCount = 4;
  src->polygons[0].cornerCount = 3;
  for (u32 j = 0; j < 3; j++) src->polygons[0].corners[j] = {j + 1, 0, 3 - j, j};
  src->polygonCount = 1;
  char path[] = "/tmp/ed2d_importXXXXXX";
  int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  close(fd);
  std::string kzp = std::string(path) + ".kzp";
  ASSERT_TRUE(Shown(Kzp_Write, src, kzp.c_str()));
  Model3_Free(src);
  Poly({{0, 0}, {1, 1}, {2, 0}});
  g_Sel.g_PolySelFaces[0] = 1;
  ASSERT_TRUE(Ed2D_PolyImport(m, kzp.c_str()));
  unlink(kzp.c_str());
  unlink(path);
  EXPECT_EQ(g_Model3Slots[ED2D_IMPORT_SLOT], nullptr);
  ASSERT_EQ(m->vertexCount, 3 + 4);
  EXPECT_EQ(m->positions[6].x, 7.0f);
  EXPECT_EQ(m->positions[6].y, 8.0f);
  ASSERT_EQ(m->polygonCount, 2);
  const Polygon2 &p = m->polygons[1];
  EXPECT_EQ(p.cornerCount, 3);
  EXPECT_EQ(p.group, 2u);
  EXPECT_EQ(p.corners[0].vertex, 4);
  EXPECT_EQ(m->colours[p.corners[0].colour].r, 30.0f);
  EXPECT_EQ(m->uvs[p.corners[2].uv].u, 0.5f);
  EXPECT_EQ(g_Sel.g_PolySelFaces[0], 0u);   // the old selection is gone
  EXPECT_EQ(g_Sel.g_PolySelFaces[1] + g_Sel.g_PolySelVerts[3] + g_Sel.g_PolySelVerts[6], 3u);

  // A file that cannot be read keeps the selection and the model.
  std::string s = State(m);
  EXPECT_FALSE(Ed2D_PolyImport(m, "/nonexistent/none.kzp"));
  EXPECT_TRUE(State(m) == s);
  EXPECT_FALSE(g_Boxes.empty());
}

// [SECTION] refusals
TEST_F(OpsFixture, RefusalsLeaveTheModelAsItWas) {
  i32 q = Poly({{0, 0}, {8, 0}, {8, 8}, {0, 8}});
  Poly({{20, 0}, {30, 0}, {25, 5}});
  struct Case {
    const char *what;
    std::function<void()> arrange;
    std::function<bool()> op;
  };
  auto vertsShort = [&](i32 need) { return [&, need] { m->vertexCount = (u16)(65535 - need + 1); }; };
  auto polysShort = [&](i32 need) { return [&, need] { m->polygonCount = m->polygonCapacity - need + 1; }; };
  auto coloursFull = [&] { m->colourCount = 65535; };
  const Case cases[] = {
      {"split: 16 vertices", vertsShort(16), [&] { return Ed2D_PolySplitQuads(m); }},
      {"split: 4 polygons", polysShort(4), [&] { return Ed2D_PolySplitQuads(m); }},
      {"remove faces: 5 polygons", polysShort(5), [&] { return Ed2D_PolyRemoveFaces(m); }},
      {"make a face: 1 polygon", [&] {
         App_ForgetPolySelection(&g_Sel);
         g_Sel.g_PolySelVerts[0] = g_Sel.g_PolySelVerts[2] = 1;
         m->polygonCount = m->polygonCapacity;
       }, [&] { return Ed2D_PolyMakeFace(m); }},
      {"triangle", vertsShort(3), [&] { return Ed2D_PolyAddTriangle(m); }},
      {"quad", polysShort(1), [&] { return Ed2D_PolyAddQuad(m); }},
      {"circle", vertsShort(48), [&] { return Ed2D_PolyAddCircle(m); }},
      {"paste", [&] { Ed2D_PolyCopy(m); m->vertexCount = (u16)(65535 - 7 + 1); }, [&] { return Ed2D_PolyPaste(m); }},
      {"new colour entry", coloursFull, [&] { const i32 c[4] = {1, 2, 3, 4}; return Ed2D_PolyApplyColour(m, c); }},
      {"five corners", [&] { g_Sel.g_PolySelectMode = 0; }, [&] { return Ed2D_PolyMakeFace(m); }},
      {"colour field abc", [] { SetField(0, "abc"); }, [&] {
         Ed2D_PolyDlgCommand(IDC_P2D_APPLY_COLOUR);
         return g_Boxes.size() > 1;   // the message is the outcome here
       }},
      {"chooser cancelled", [] { g_WidgetFake.colourTaken = false; }, [&] {
         Ed2D_PolyDlgCommand(IDC_P2D_COLOUR);
         return !g_Boxes.empty();
       }},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    App_ForgetPolySelection(&g_Sel);
    g_Sel.g_PolySelectMode = 1;
    SelectFaces({0, 1});
    WidgetFake_Install();
    for (int k = 0; k < 4; k++) SetField(k, "7");
    g_Ed2DPoly.panel = &s_Panel;
    c.arrange();
    g_Boxes.clear();
    std::string before = State(m);
    EXPECT_FALSE(c.op());
    EXPECT_TRUE(State(m) == before);
    if (strcmp(c.what, "chooser cancelled") != 0) {
      EXPECT_EQ(g_Boxes.size(), 1u);
    }
    m->vertexCount = m->colourCount = m->uvCount = 7;
    m->polygonCount = 2;
  }
  (void)q;
}

// [SECTION] the panel
TEST_F(OpsFixture, PanelLabelsAndColour) {
  Poly({{0, 0}, {8, 0}, {8, 8}});
  SelectFaces({0});
  WidgetFake_Install();
  g_Ed2DPoly.panel = &s_Panel;
  for (int k = 0; k < 4; k++) SetField(k, "255");
  g_WidgetFake.colourTaken = true;
  g_WidgetFake.colour[0] = 10, g_WidgetFake.colour[1] = 300, g_WidgetFake.colour[2] = 30;
  Ed2D_PolyDlgCommand(IDC_P2D_COLOUR);
  EXPECT_STREQ(g_Shell.g_UndoLabel, "\x83\x4A\x83\x89\x81\x5B\x20\x28\x20\x83\x82\x83\x66\x83\x8A\x83\x93\x83\x4F\x20\x29");
  const Bone2Colour &c = m->colours[m->polygons[0].corners[1].colour];
  EXPECT_EQ(c.r, 10.0f);
  EXPECT_EQ(c.g, 255.0f);   // clamped
  EXPECT_EQ(c.a, 255.0f);   // alpha stays
  EXPECT_EQ(Field(0), "10");
  // Vertex mode: corners on the selected vertex, whatever their polygon.
  g_Sel.g_PolySelectMode = 0;
  App_ForgetPolySelection(&g_Sel);
  g_Sel.g_PolySelVerts[1] = 1;
  SetField(0, "1"), SetField(1, "2"), SetField(2, "3"), SetField(3, "4");
  Ed2D_PolyDlgCommand(IDC_P2D_APPLY_COLOUR);
  EXPECT_STREQ(g_Shell.g_UndoLabel, "決定ボタン ( モデリング )");
  EXPECT_EQ(m->colours[m->polygons[0].corners[1].colour].a, 4.0f);
  EXPECT_EQ(m->colours[m->polygons[0].corners[0].colour].a, 255.0f);
  m->vertexColourFlag = 1;
  Ed2D_PolyDlgCommand(IDC_P2D_VERTEX_COLOUR);
  EXPECT_STREQ(g_Shell.g_UndoLabel, "\x92\xB8\x93\x5F\x83\x4A\x83\x89\x81\x5B\x83\x74\x83\x89\x83\x4F\x4F\x46\x46\x20\x28\x20\x83"
                            "\x82\x83\x66\x83\x8A\x83\x93\x83\x4F\x20\x29");
  Ed2D_PolyDlgCommand(IDC_P2D_LIGHT);
  EXPECT_STREQ(g_Shell.g_UndoLabel, m->lightingFlag == 1 ? "ライトON ( モデリング )" : "ライトOFF ( モデリング )");
  g_Sel.g_PolyVertexNo = 2;
  Ed2D_PolyDlgCommand(IDC_P2D_CORNER_NO);
  Ed2D_PolyDlgCommand(IDC_P2D_FACE_MODE);
  g_Sel.g_PolySelFaces[0] = 1;
  Ed2D_PolyDlgCommand(IDC_P2D_SPLIT);
  EXPECT_EQ(g_Boxes, std::vector<std::string>{"\x82\x53\x8A\x70\x8C\x60\x82\xCC\x82\xDD\x95\xAA\x8A\x84\x82\xC5\x82\xAB\x82\xDC\x82\xB7\x81\x42"});
}

// [SECTION] differential
struct Mesh {
  std::vector<Bone2Point> pos;
  std::vector<VertexBinding> bind;
  std::vector<Bone2Colour> col;
  std::vector<Bone2UV> uv;
  std::vector<Polygon2> polys;
  std::vector<u32> vflags, fflags;
};

// Grid cells as quads or triangle pairs over duplicated grid points (so faces share
// positions through different vertices), random polygons, removed records; degenerate meshes
// add NaN and -0 positions, out-of-range corners, stray counts.
Mesh RandomMesh(std::mt19937 &rng, i32 polys, bool degenerate) {
  Mesh s;
  auto pick = [&](u32 n) { return n ? (u32)(rng() % n) : 0u; };
  const i32 G = 12;
  for (i32 y = 0; y <= G; y++)
    for (i32 x = 0; x <= G; x++)
      for (int dup = 0; dup < 2; dup++) {
        Bone2Point p = {(f32)(8 * x - 48), (f32)(8 * y - 48)};
        if (degenerate && pick(40) == 0) p.x = pick(2) ? NAN : -0.0f;
        s.pos.push_back(p);
        s.bind.push_back({(u16)pick(5), (u16)pick(5), 0.5f, pick(2)});
      }
  for (int i = 0; i < 10; i++) s.col.push_back({(f32)pick(3), 0, 0, 255}), s.uv.push_back({(f32)pick(3) * 0.5f, 0});
  auto vert = [&](i32 x, i32 y) { return (u16)(2 * (y * (G + 1) + x) + pick(2)); };
  for (i32 i = 0; i < polys; i++) {
    Polygon2 p = Polygon2{};
    p.used = pick(10) ? 1 : 0;
    p.group = pick(4);
    i32 x = (i32)pick(G), y = (i32)pick(G), kind = (i32)pick(6);
    u16 c[4] = {vert(x, y), vert(x + 1, y), vert(x + 1, y + 1), vert(x, y + 1)};
    if (kind <= 2) {
      p.cornerCount = 4;
      for (i32 j = 0; j < 4; j++) p.corners[j].vertex = c[j];
    } else if (kind == 3) p.cornerCount = 3, p.corners[0].vertex = c[0], p.corners[1].vertex = c[1], p.corners[2].vertex = c[3];
    else if (kind == 4) p.cornerCount = 3, p.corners[0].vertex = c[1], p.corners[1].vertex = c[2], p.corners[2].vertex = c[3];
    else {
      p.cornerCount = (u8)(1 + pick(4));
      for (i32 j = 0; j < p.cornerCount; j++) p.corners[j].vertex = (u16)pick((u32)s.pos.size());
    }
    for (i32 j = 0; j < 4; j++) p.corners[j].colour = (u16)pick(10), p.corners[j].uv = (u16)pick(10);
    if (degenerate && pick(30) == 0) p.corners[pick(p.cornerCount)].vertex = (u16)(s.pos.size() + pick(3));
    if (degenerate && pick(30) == 0) p.corners[pick(4)].uv = 40;
    if (degenerate && pick(50) == 0) p.cornerCount = (u8)(pick(2) ? 0 : 7);
    s.polys.push_back(p);
  }
  s.vflags.resize(App_WorkVertCount());
  s.fflags.resize(App_WorkFaceCount());
  for (u32 &f : s.vflags) f = pick(3) == 0;
  for (u32 &f : s.fflags) f = pick(3) != 0;
  return s;
}

void Load(Bone2Model *m, const Mesh &s) {
  memcpy(m->positions, s.pos.data(), s.pos.size() * sizeof(Bone2Point));
  memcpy(m->bindings, s.bind.data(), s.bind.size() * sizeof(VertexBinding));
  memcpy(m->colours, s.col.data(), s.col.size() * sizeof(Bone2Colour));
  memcpy(m->uvs, s.uv.data(), s.uv.size() * sizeof(Bone2UV));
  if (!s.polys.empty()) memcpy(m->polygons, s.polys.data(), s.polys.size() * sizeof(Polygon2));
  m->vertexCount = (u16)s.pos.size(), m->colourCount = (u16)s.col.size(), m->uvCount = (u16)s.uv.size();
  m->polygonCount = (i32)s.polys.size();
  memcpy(g_Sel.g_PolySelVerts, s.vflags.data(), s.vflags.size() * sizeof(u32));
  memcpy(g_Sel.g_PolySelFaces, s.fflags.data(), s.fflags.size() * sizeof(u32));
}

// Everything an operation leaves behind besides the model.
std::string Globals() {
  std::string s;
  for (const std::string &b : g_Boxes) s += b + "|";
  char t[128];
  snprintf(t, sizeof t, "%u %d %d %u %d %d %d %d", g_Sel.g_PolyTool, g_Sel.g_PolyFaceNo, g_Sel.g_PolyVertexNo, g_Sel.g_FreeCreateCount,
           g_Ed2DPoly.colour[0], g_Ed2DPoly.colour[1], g_Ed2DPoly.colour[2], g_Ed2DPoly.colour[3]);
  return s + t;
}

TEST_F(OpsFixture, DifferentialAgainstTheLiteralOperations) {
  const i32 rgba[4] = {1, 0, 0, 255};
  struct Op {
    const char *name;
    std::function<bool(Bone2Model *)> fast, literal;
  };
  const Op ops[] = {
      {"select all", Ed2D_PolySelectAll, lit2d::SelectAll},
      {"invert", Ed2D_PolyInvertSelection, lit2d::Invert},
      {"colour", [&](Bone2Model *x) { return Ed2D_PolyApplyColour(x, rgba); },
       [&](Bone2Model *x) { return lit2d::ApplyColour(x, rgba); }},
      {"left half", Ed2D_PolyDeleteLeftHalf, lit2d::DeleteLeftHalf},
      {"flip", Ed2D_PolyFlipFaces, lit2d::Flip},
      {"remove faces", Ed2D_PolyRemoveFaces, lit2d::RemoveFaces},
      {"split", Ed2D_PolySplitQuads, lit2d::Split},
      {"make face", Ed2D_PolyMakeFace, lit2d::MakeFace},
      {"merge", Ed2D_PolyMerge, lit2d::Merge},
      {"delete", Ed2D_PolyDeleteSelection, lit2d::Delete},
      {"copy, paste", [](Bone2Model *x) { return Ed2D_PolyCopy(x) && Ed2D_PolyPaste(x); },
       [](Bone2Model *x) { return lit2d::Copy(x) && lit2d::Paste(x); }},
      {"cut, paste", [](Bone2Model *x) { return Ed2D_PolyCut(x) && Ed2D_PolyPaste(x); },
       [](Bone2Model *x) { return lit2d::Copy(x) && lit2d::Delete(x) && lit2d::Paste(x); }},
      {"optimize", Ed2D_PolyOptimize, lit2d::Optimize},
  };
  Bone2Model *other = FullModel(1);
  std::mt19937 rng(2024);
  const i32 sizes[] = {0, 1, 7, 60, 400, 2500};
  for (i32 size : sizes)
    for (int degenerate = 0; degenerate < 2; degenerate++) {
      Mesh mesh = RandomMesh(rng, size, degenerate != 0);
      for (u32 mode = 0; mode < 2; mode++)
        for (const Op &op : ops) {
          SCOPED_TRACE(testing::Message() << op.name << " size " << size << " degenerate " << degenerate << " mode "
                                          << mode);
          std::string out[2], globals[2];
          bool done[2];
          for (int k = 0; k < 2; k++) {
            Bone2Model *x = k ? other : m;
            g_Sel.g_PolySelectMode = mode;
            g_Sel.g_PolyTool = ED2D_TOOL_FACE;
            g_Sel.g_PolyFaceNo = g_Sel.g_PolyVertexNo = 3;
            g_Sel.g_FreeCreateCount = 2;
            Bone2_FreeSlot(ED2D_CLIPBOARD_SLOT);
            g_Boxes.clear();
            Load(x, mesh);
            done[k] = k ? op.literal(x) : op.fast(x);
            out[k] = State(x);
            globals[k] = Globals();
          }
          EXPECT_EQ(done[0], done[1]);
          EXPECT_EQ(globals[0], globals[1]);
          EXPECT_TRUE(out[0] == out[1]);
        }
    }
}

}  // namespace
