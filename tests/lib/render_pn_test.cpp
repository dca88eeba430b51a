// Curved point-normal triangles: tables, control points, flat and curved results, the
// level clamp and the whole-model conversion with its capacity refusal.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/draw/pn.h"
#include "model/seam.h"
#include "draw_fakedev.h"

namespace {

std::vector<std::string> g_Boxes;
void RecordBox(const char *t) { g_Boxes.push_back(t); }

struct PnTest : ::testing::Test {
  CoreSeam saved;
  void SetUp() override {
    saved = g_Seam;
    g_Seam.errorBox = RecordBox;
    g_Boxes.clear();
    ASSERT_EQ(Pn_InitTables(), 0);
    FakeDev_Install();
  }
  void TearDown() override {
    FakeDev_Remove();
    Model3_Free(g_Pn.workModel);
    g_Pn.workModel = nullptr;
    Model3_FreeAllSlots();
    g_Seam = saved;
  }
};

PnCorner Corner(f32 x, f32 y, f32 z, f32 nx, f32 ny, f32 nz, f32 u = 0, f32 v = 0) {
  PnCorner c = {{x, y, z}, {nx, ny, nz}, {255, 255, 255, 255}, {u, v}};
  return c;
}

TEST_F(PnTest, Level1TablesAreTheEdgeMidpointsAndFourTriangles) {
  const PnWeightRecord *r = g_Pn.weights[0];
  // Grid point 1: u = 0.5, v = 0 (between corner 2 and corner 1).
  const f32 want1[12] = {0.125f, 0.125f, 0, 0.375f, 0.375f, 0, 0, 0, 0, 0, 0.5f, 0};
  // Grid point 4: u = 0, v = 0.5 (between corner 1 and corner 3).
  const f32 want4[12] = {0.125f, 0, 0.125f, 0, 0, 0, 0, 0.375f, 0.375f, 0, 0, 0.5f};
  for (int i = 0; i < 12; ++i) {
    EXPECT_FLOAT_EQ(r[0].w[i], want1[i]) << i;
    EXPECT_FLOAT_EQ(r[2].w[i], want4[i]) << i;
  }
  const u16 want[12] = {1, 0, 2, 3, 1, 4, 4, 1, 2, 4, 2, 5};
  for (int i = 0; i < 12; ++i) EXPECT_EQ(g_Pn.indices[0][i], want[i]) << i;
  // Every weight record of every level sums to 1 over the ten control-point weights.
  for (int k = 0; k < PN_LEVELS; ++k)
    for (int g = 0; g < Pn_GridPoints(k + 1) - 3; ++g) {
      f32 s = 0;
      for (int i = 0; i < 10; ++i) s += g_Pn.weights[k][g].w[i];
      EXPECT_NEAR(s, 1.0f, 1e-5f);
    }
  // A second call changes nothing.
  PnWeightRecord *before = g_Pn.weights[3];
  EXPECT_EQ(Pn_InitTables(), 0);
  EXPECT_EQ(g_Pn.weights[3], before);
}

TEST_F(PnTest, CurvedEdgeMidpointMatchesTheHandComputation) {
  // P1 (0,0,0) N1 (0,0,1); P2 (1,0,0) N2 (0.6,0,0.8); P3 (0,1,0) N3 (0,0,1).
  // C0 = (2 P1 + P2 - 0 N1) / 3 = (1/3, 0, 0); C1 = (2 P2 + P1 + 0.6 N2) / 3 = (0.78667, 0, 0.16);
  // midpoint = P1/8 + P2/8 + 3/8 C0 + 3/8 C1 = (0.545, 0, 0.06).
  PnCorner a = Corner(0, 0, 0, 0, 0, 1, 0, 0), b = Corner(1, 0, 0, 0.6f, 0, 0.8f, 1, 0),
           c = Corner(0, 1, 0, 0, 0, 1, 0, 1);
  a.color[0] = 0;
  b.color[0] = 200;
  ASSERT_EQ(Pn_BuildGrid(&a, &b, &c, 1), 1);
  const PnVertex &mid = g_Pn.grid[1];
  EXPECT_NEAR(mid.pos[0], 0.545f, 1e-6f);
  EXPECT_NEAR(mid.pos[1], 0.0f, 1e-6f);
  EXPECT_NEAR(mid.pos[2], 0.06f, 1e-6f);
  EXPECT_NEAR(mid.normal[0], 0.3f, 1e-6f);
  EXPECT_NEAR(mid.normal[2], 0.9f, 1e-6f);
  EXPECT_FLOAT_EQ(mid.uv[0], 0.5f);
  EXPECT_FLOAT_EQ(g_Pn.gridColors[1][0], 100.0f);
  // The corners are copied: point 0 is corner 2, the last row's ends corners 1 and 3.
  EXPECT_EQ(g_Pn.grid[0].pos[0], 1.0f);
  EXPECT_EQ(g_Pn.grid[3].pos[0], 0.0f);
  EXPECT_EQ(g_Pn.grid[5].pos[1], 1.0f);
}

TEST_F(PnTest, FlatTriangleStaysInItsPlaneAndLevelsAreClamped) {
  PnCorner a = Corner(0, 0, 2, 0, 0, 1), b = Corner(4, 0, 2, 0, 0, 1), c = Corner(0, 4, 2, 0, 0, 1);
  for (i16 level : {0, 1, 5, 8, 20}) {
    g_Fake->draws.clear();
    Pn_TessellatePolygon(&a, &b, &c, level);
    i32 l = level < 1 ? 1 : (level > 8 ? 8 : level);
    ASSERT_EQ(g_Fake->draws.size(), (size_t)((l + 1) * (l + 1))) << level;
    for (size_t d = 0; d < g_Fake->draws.size(); ++d)
      for (const SceneVertex &v : FakeDev_SceneVerts(d)) {
        EXPECT_FLOAT_EQ(v.z, 2.0f);
        EXPECT_GE(v.x, -1e-5f);
        EXPECT_GE(v.y, -1e-5f);
        EXPECT_LE(v.x + v.y, 4.0f + 1e-5f);
        EXPECT_EQ(v.diffuse, 0xFFFFFFFFu);
      }
  }
}

Model3 *FlatQuadInSlot0(i16 level) {
  g_ModelAllocArrays = 0;
  Model3 *m = Model3_Init(0);
  Model3_Reserve(m, 4, 1, 1, 1, 1);
  m->positionCount = 4, m->normalCount = 1, m->uvCount = 1, m->colorCount = 1;
  m->positions[0] = {0, 0, 0}, m->positions[1] = {1, 0, 0}, m->positions[2] = {1, 1, 0}, m->positions[3] = {0, 1, 0};
  m->normals[0] = {0, 0, 1};
  m->polygonCount = 1;
  m->polygons[0].cornerCount = 4;
  for (u32 c = 0; c < 4; ++c) m->polygons[0].corners[c] = {c, 0, 0, 0};
  m->refineLevel = level;
  return m;
}

TEST_F(PnTest, FlatQuadConvertsIntoFlatTrianglesInSlot0) {
  u32 savedP = g_MaxPolygons, savedV = g_MaxVertices;
  g_MaxPolygons = 1000, g_MaxVertices = 4000;
  FlatQuadInSlot0(4);
  ASSERT_TRUE(Pn_TessellateModel(0));
  EXPECT_EQ(g_Pn.workModel->polygonCount, 2 * 25);
  EXPECT_EQ(g_Pn.workModel->positionCount, 2 * 25 * 3);
  ASSERT_TRUE(Pn_StoreWorkModel(0));
  Model3 *m = Model3_Get(0);
  ASSERT_EQ(m->polygonCount, 50);
  for (i32 v = 0; v < m->positionCount; ++v) EXPECT_EQ(m->positions[v].z, 0.0f);
  g_MaxPolygons = savedP, g_MaxVertices = savedV;
}

TEST_F(PnTest, ConversionBeyondTheCapacityIsRefusedAndSlot0Kept) {
  u32 savedP = g_MaxPolygons, savedV = g_MaxVertices;
  g_MaxPolygons = 100, g_MaxVertices = 400;
  FlatQuadInSlot0(8);   // 2 x 81 polygons would not fit in 100
  EXPECT_FALSE(Pn_TessellateModel(0));
  EXPECT_EQ(g_Boxes.size(), 1u);
  EXPECT_FALSE(Pn_StoreWorkModel(0));
  EXPECT_EQ(Model3_Get(0)->polygonCount, 1);
  EXPECT_EQ(Model3_Get(0)->positionCount, 4);
  g_MaxPolygons = savedP, g_MaxVertices = savedV;
}

}  // namespace
