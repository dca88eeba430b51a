// Mesh operations: normals of known meshes, quad refinement and welding, automatic binding,
// and a differential check of the hashed searches against literal linear scans kept here.
#include <gtest/gtest.h>
#include <math.h>
#include <stdlib.h>
#include <string.h>

#include <random>
#include <vector>

#include "capacity_guard.h"
#include "model/mesh.h"
#include "model/motion.h"
#include "model/model3.h"
#include "model/workbuf.h"

namespace {

// Small capacities keep the test models cheap; restored after each test.
class MeshTest : public ::testing::Test {
 protected:
  CapacityGuard capacity;
  u32 savedEditor = 0;
  void SetUp() override {
    savedEditor = g_Model3Edited;
    g_MaxPolygons = 4000;
    g_MaxVertices = 16000;
    g_Model3Edited = 0;
  }
  void TearDown() override {
    g_Model3Edited = savedEditor;
  }
};

// A model without key tables, with arrays of the given room.
Model3 *BareModel(i32 vertexRoom, i32 polygonRoom) {
  g_ModelAllocArrays = 0;
  Model3 *m = Model3_New();
  EXPECT_TRUE(Model3_Reserve(m, vertexRoom, vertexRoom, vertexRoom, vertexRoom, polygonRoom));
  for (i32 v = 0; v < m->capPositions; v++) m->bindings[v].automatic = 1;
  return m;
}

i32 AddPosition(Model3 *m, f32 x, f32 y, f32 z) {
  m->positions[m->positionCount] = {x, y, z};
  return m->positionCount++;
}

// A polygon whose corners use the same index for vertex, normal, colour and UV.
void AddPolygon(Model3 *m, std::initializer_list<u32> vs) {
  Polygon3 *p = &m->polygons[m->polygonCount++];
  memset(p, 0, sizeof *p);
  p->cornerCount = (u8)vs.size();
  int j = 0;
  for (u32 v : vs) {
    p->corners[j].vertex = p->corners[j].normal = p->corners[j].color = p->corners[j].uv = v;
    j++;
  }
}

// A unit quad in the xz plane with matching normals, colours and UVs.
Model3 *UnitQuad() {
  Model3 *m = BareModel(64, 16);
  AddPosition(m, 0, 0, 0);
  AddPosition(m, 0, 0, 1);
  AddPosition(m, 1, 0, 1);
  AddPosition(m, 1, 0, 0);
  for (int i = 0; i < 4; i++) {
    m->normals[i] = {0, 1, 0};
    m->colors[i] = {255, 255, 255, 255};
  }
  m->uvs[0] = {0, 0};
  m->uvs[1] = {0, 1};
  m->uvs[2] = {1, 1};
  m->uvs[3] = {1, 0};
  m->normalCount = m->colorCount = m->uvCount = 4;
  AddPolygon(m, {0, 1, 2, 3});
  return m;
}

// [SECTION] Literal versions: linear scans and the per-quad normal pass.

bool SameTuple(const f32 *a, const f32 *b, int dim) {
  for (int i = 0; i < dim; i++)
    if (!(a[i] == b[i])) return false;
  return true;
}

// The first of `count` table entries whose dim floats from `first` (stride floats apart) equal
// want; -1 for none.
i32 FindTuple(const f32 *first, size_t stride, i32 count, const f32 *want, int dim) {
  for (i32 k = 0; k < count; k++)
    if (SameTuple(first + (size_t)k * stride, want, dim)) return k;
  return -1;
}

void LiteralCalcNormals(Model3 *m) {
  Mesh_AverageNormals(m, m->positions, nullptr, 0, nullptr, 0);
  if (!(g_Model3Edited == 1 || m->renderMode == 7)) return;
  m->normalCount = 0;
  for (i32 i = 0; i < m->polygonCount; i++) {
    Polygon3 *p = &m->polygons[i];
    if (p->cornerCount < 3) continue;
    for (int j = 0; j < p->cornerCount; j++) {
      const Vec3 &vn = m->vertexNormals[p->corners[j].vertex];
      i32 found = -1;
      for (i32 e = 0; e < m->normalCount && found < 0; e++)
        if (SameTuple(&m->normals[e].x, &vn.x, 3)) found = e;
      if (found < 0) {
        m->normals[m->normalCount] = vn;
        found = m->normalCount++;
      }
      p->corners[j].normal = (u32)found;
    }
  }
}

void LiteralSubdivide(Model3 *m) {
  i32 start = m->polygonCount, quads = 0;
  for (i32 i = 0; i < start; i++) quads += m->polygons[i].cornerCount == 4;
  if (m->positionCount + 16 * quads > (i32)g_MaxVertices || m->normalCount + 16 * quads > (i32)g_MaxVertices ||
      m->colorCount + 16 * quads > (i32)g_MaxVertices || m->uvCount + 16 * quads > (i32)g_MaxVertices ||
      start + 3 * quads > (i32)g_MaxPolygons)
    return;
  i32 i = 0;
  for (i32 walked = 0; walked < start; walked++) {
    Polygon3 src = m->polygons[i];
    if (src.cornerCount != 4) {
      i++;
      continue;
    }
    Vec3 p[4];
    Vec2 t[4];
    for (int c = 0; c < 4; c++) {
      p[c] = m->positions[src.corners[c].vertex];
      t[c] = m->uvs[src.corners[c].uv];
    }
    auto mid = [](Vec3 a, Vec3 b) { return Vec3{0.5f * (a.x + b.x), 0.5f * (a.y + b.y), 0.5f * (a.z + b.z)}; };
    auto mid2 = [](Vec2 a, Vec2 b) { return Vec2{0.5f * (a.u + b.u), 0.5f * (a.v + b.v)}; };
    Vec3 C = {0.25f * (p[0].x + p[1].x + p[2].x + p[3].x), 0.25f * (p[0].y + p[1].y + p[2].y + p[3].y),
              0.25f * (p[0].z + p[1].z + p[2].z + p[3].z)};
    Vec2 Ct = {0.25f * (t[0].u + t[1].u + t[2].u + t[3].u), 0.25f * (t[0].v + t[1].v + t[2].v + t[3].v)};
    Vec3 quadP[4][4] = {{p[0], mid(p[0], p[1]), C, mid(p[3], p[0])},
                        {mid(p[0], p[1]), p[1], mid(p[1], p[2]), C},
                        {C, mid(p[1], p[2]), p[2], mid(p[2], p[3])},
                        {mid(p[3], p[0]), C, mid(p[2], p[3]), p[3]}};
    Vec2 quadT[4][4] = {{t[0], mid2(t[0], t[1]), Ct, mid2(t[3], t[0])},
                        {mid2(t[0], t[1]), t[1], mid2(t[1], t[2]), Ct},
                        {Ct, mid2(t[1], t[2]), t[2], mid2(t[2], t[3])},
                        {mid2(t[3], t[0]), Ct, mid2(t[2], t[3]), t[3]}};
    for (int k = 0; k < 4; k++) {
      Vec3 n = m->normals[src.corners[k].normal];
      Color4 col = m->colors[src.corners[k].color];
      Polygon3 *q = &m->polygons[m->polygonCount++];
      memset(q, 0, sizeof *q);
      q->cornerCount = 4;
      for (int j = 0; j < 4; j++) {
        m->positions[m->positionCount] = quadP[k][j];
        m->uvs[m->uvCount] = quadT[k][j];
        m->normals[m->normalCount] = n;
        m->colors[m->colorCount] = col;
        q->corners[j] = {(u32)m->positionCount++, (u32)m->normalCount++, (u32)m->colorCount++, (u32)m->uvCount++};
      }
    }
    Model3_DeletePolygon(m, i);
    LiteralCalcNormals(m);
  }
}

void LiteralWeld(Model3 *m) {
  std::vector<Vec3> sp(m->positions, m->positions + m->positionCount);
  std::vector<VertexBinding> sb(m->bindings, m->bindings + m->positionCount);
  std::vector<Color4> sc(m->colors, m->colors + m->colorCount);
  std::vector<Vec2> su(m->uvs, m->uvs + m->uvCount);
  std::vector<Polygon3> spoly(m->polygons, m->polygons + m->polygonCount);
  m->positionCount = m->colorCount = m->uvCount = 0;
  // Per corner, the entry the first pass met or made (a NaN tuple equals no entry later).
  std::vector<u32> firstP, firstC, firstU;
  for (const Polygon3 &p : spoly)
    for (int j = 0; j < p.cornerCount; j++) {
      const PolyCorner &c = p.corners[j];
      i32 e = FindTuple(&m->positions[0].x, 3, m->positionCount, &sp[c.vertex].x, 3);
      if (e < 0) {
        m->positions[m->positionCount] = sp[c.vertex];
        m->bindings[m->positionCount] = sb[c.vertex];
        e = m->positionCount++;
      }
      firstP.push_back((u32)e);
      e = FindTuple(&m->colors[0].r, 4, m->colorCount, &sc[c.color].r, 4);
      if (e < 0) {
        m->colors[m->colorCount] = sc[c.color];
        e = m->colorCount++;
      }
      firstC.push_back((u32)e);
      e = FindTuple(&m->uvs[0].u, 2, m->uvCount, &su[c.uv].u, 2);
      if (e < 0) {
        m->uvs[m->uvCount] = su[c.uv];
        e = m->uvCount++;
      }
      firstU.push_back((u32)e);
    }
  size_t corner = 0;
  for (size_t i = 0; i < spoly.size(); i++) {
    Polygon3 *p = &m->polygons[i];
    for (int j = 0; j < spoly[i].cornerCount; j++, corner++) {
      const PolyCorner &c = spoly[i].corners[j];
      i32 e = FindTuple(&m->positions[0].x, 3, m->positionCount, &sp[c.vertex].x, 3);
      p->corners[j].vertex = e < 0 ? firstP[corner] : (u32)e;
      e = FindTuple(&m->colors[0].r, 4, m->colorCount, &sc[c.color].r, 4);
      p->corners[j].color = e < 0 ? firstC[corner] : (u32)e;
      e = FindTuple(&m->uvs[0].u, 2, m->uvCount, &su[c.uv].u, 2);
      p->corners[j].uv = e < 0 ? firstU[corner] : (u32)e;
    }
  }
  LiteralCalcNormals(m);
}

// [SECTION] Random meshes with many exact duplicates, signed zeros, NaNs and degenerate polygons.

f32 PoolValue(std::mt19937 &rng, bool allowNaN) {
  static const f32 pool[] = {0.0f, -0.0f, 1.0f, 0.5f, -2.0f, 3.25f, 1e-20f};
  u32 r = rng() % 64;
  if (allowNaN && r == 0) return NAN;
  if (r < 8) return (f32)(rng() % 1000) * 0.013f;
  return pool[r % 7];
}

Model3 *RandomModel(u32 seed) {
  std::mt19937 rng(seed);
  Model3 *m = BareModel(1200, 300);
  bool nan = (seed % 5) == 0;
  i32 P = 1 + rng() % 24, N = 1 + rng() % 40, C = 1 + rng() % 6, U = 1 + rng() % 10;
  bool line = (seed % 4) == 0;   // every polygon degenerate: all positions on one line
  for (i32 v = 0; v < P; v++) {
    m->positions[v] = {PoolValue(rng, nan), PoolValue(rng, nan), PoolValue(rng, nan)};
    if (line) m->positions[v].y = m->positions[v].z = m->positions[v].x;
    m->bindings[v] = {(u16)(rng() % 4), (u16)(rng() % 4), 0.5f, (u32)(rng() % 2)};
  }
  for (i32 i = 0; i < P; i++) m->normals[i] = {PoolValue(rng, nan), PoolValue(rng, nan), PoolValue(rng, nan)};
  for (i32 i = 0; i < C; i++) m->colors[i] = {PoolValue(rng, nan), 1, 2, PoolValue(rng, false)};
  for (i32 i = 0; i < U; i++) m->uvs[i] = {PoolValue(rng, nan), PoolValue(rng, false)};
  m->positionCount = P;
  m->normalCount = P;
  m->colorCount = C;
  m->uvCount = U;
  for (i32 i = 0; i < N; i++) {
    Polygon3 *p = &m->polygons[m->polygonCount++];
    memset(p, 0, sizeof *p);
    u32 r = rng() % 10;
    p->cornerCount = r < 5 ? 4 : (r < 9 ? 3 : (u8)(1 + rng() % 2));
    p->group = rng() % 3;
    for (int j = 0; j < p->cornerCount; j++)
      p->corners[j] = {(u32)(rng() % P), (u32)(rng() % P), (u32)(rng() % C), (u32)(rng() % U)};
  }
  m->renderMode = (seed % 7) == 0 ? 7 : 0;
  return m;
}

void ExpectSameBytes(const void *a, const void *b, size_t n, const char *what, u32 seed) {
  EXPECT_EQ(memcmp(a, b, n), 0) << what << " differ, seed " << seed;
}

void ExpectSameModel(const Model3 *a, const Model3 *b, u32 seed) {
  ASSERT_EQ(a->positionCount, b->positionCount) << seed;
  ASSERT_EQ(a->normalCount, b->normalCount) << seed;
  ASSERT_EQ(a->colorCount, b->colorCount) << seed;
  ASSERT_EQ(a->uvCount, b->uvCount) << seed;
  ASSERT_EQ(a->polygonCount, b->polygonCount) << seed;
  ExpectSameBytes(a->positions, b->positions, a->positionCount * sizeof(Vec3), "positions", seed);
  ExpectSameBytes(a->bindings, b->bindings, a->positionCount * sizeof(VertexBinding), "bindings", seed);
  ExpectSameBytes(a->vertexNormals, b->vertexNormals, a->positionCount * sizeof(Vec3), "vertex normals", seed);
  ExpectSameBytes(a->normals, b->normals, a->normalCount * sizeof(Vec3), "normals", seed);
  ExpectSameBytes(a->colors, b->colors, a->colorCount * sizeof(Color4), "colours", seed);
  ExpectSameBytes(a->uvs, b->uvs, a->uvCount * sizeof(Vec2), "uvs", seed);
  for (i32 i = 0; i < a->polygonCount; i++) {
    const Polygon3 &p = a->polygons[i], &q = b->polygons[i];
    ASSERT_EQ(p.cornerCount, q.cornerCount) << seed;
    EXPECT_EQ(p.group, q.group) << seed;
    ExpectSameBytes(p.corners, q.corners, p.cornerCount * sizeof(PolyCorner), "corners", seed);
    if (p.cornerCount >= 3) ExpectSameBytes(&p.faceNormal, &q.faceNormal, sizeof(Vec3), "face normal", seed);
  }
}

}  // namespace

// [SECTION] Known meshes

TEST_F(MeshTest, TriangleNormalAndOneSharedEntry) {
  g_Model3Edited = 1;
  Model3 *m = BareModel(16, 4);
  AddPosition(m, 0, 0, 0);
  AddPosition(m, 1, 0, 0);
  AddPosition(m, 1, 2, 0);
  m->normalCount = 3;
  AddPolygon(m, {0, 1, 2});
  ASSERT_TRUE(Model3_CalcNormals(m));
  // e1 = (1,0,0), e2 = (0,2,0): e1 x e2 = (0,0,2) -> (0,0,1)
  EXPECT_EQ(m->polygons[0].faceNormal.z, 1.0f);
  for (int v = 0; v < 3; v++) EXPECT_EQ(m->vertexNormals[v].z, 1.0f);
  EXPECT_EQ(m->normalCount, 1);
  for (int j = 0; j < 3; j++) EXPECT_EQ(m->polygons[0].corners[j].normal, 0u);
  EXPECT_FALSE(Model3_CalcNormals(nullptr));
  Model3_Free(m);
}

TEST_F(MeshTest, SharedVerticesGetTheUnnormalisedMean) {
  Model3 *m = BareModel(16, 4);
  // Two triangles folded 90 degrees along the edge 0-1 (x axis).
  AddPosition(m, 0, 0, 0);
  AddPosition(m, 1, 0, 0);
  AddPosition(m, 1, 1, 0);   // in the xy plane: normal +z
  AddPosition(m, 0, 0, 1);   // in the xz plane
  AddPolygon(m, {0, 1, 2});
  AddPolygon(m, {1, 0, 3});
  m->normalCount = 4;
  ASSERT_TRUE(Model3_CalcNormals(m));
  Vec3 a = m->polygons[0].faceNormal, b = m->polygons[1].faceNormal;
  EXPECT_FLOAT_EQ(a.z, 1.0f);
  EXPECT_FLOAT_EQ(b.y, 1.0f);
  for (int v = 0; v < 2; v++) {
    EXPECT_FLOAT_EQ(m->vertexNormals[v].x, 0.0f);
    EXPECT_FLOAT_EQ(m->vertexNormals[v].y, 0.5f);
    EXPECT_FLOAT_EQ(m->vertexNormals[v].z, 0.5f);
  }
  EXPECT_FLOAT_EQ(m->vertexNormals[2].z, 1.0f);
  // The normal array is left alone outside the editor.
  EXPECT_EQ(m->normalCount, 4);
  Model3_Free(m);
}

TEST_F(MeshTest, DegeneratePolygonsGiveZeroNotNaN) {
  Model3 *m = BareModel(16, 4);
  AddPosition(m, 0, 0, 0);
  AddPosition(m, 1, 1, 1);
  AddPosition(m, 2, 2, 2);   // collinear
  AddPolygon(m, {0, 1, 2});
  AddPolygon(m, {0, 0, 1});  // repeated corner
  ASSERT_TRUE(Model3_CalcNormals(m));
  for (int i = 0; i < 2; i++) {
    EXPECT_EQ(m->polygons[i].faceNormal.x, 0.0f);
    EXPECT_EQ(m->polygons[i].faceNormal.y, 0.0f);
    EXPECT_EQ(m->polygons[i].faceNormal.z, 0.0f);
  }
  for (int v = 0; v < 3; v++) EXPECT_FALSE(isnan(m->vertexNormals[v].x));
  Model3_Free(m);
}

TEST_F(MeshTest, CorruptCornerCountsAndIndicesStayInside) {
  Model3 *m = BareModel(8, 4);
  AddPosition(m, 0, 0, 0);
  AddPosition(m, 1, 0, 0);
  AddPosition(m, 0, 1, 0);
  AddPolygon(m, {0, 1, 2});
  m->polygons[0].cornerCount = 200;              // a count no record holds
  AddPolygon(m, {0, 1, 7000000});                // a vertex far beyond the array
  m->normalCount = m->colorCount = m->uvCount = 3;
  g_Model3Edited = 1;
  EXPECT_TRUE(Model3_CalcNormals(m));
  EXPECT_EQ(m->polygons[1].faceNormal.z, 0.0f);
  EXPECT_TRUE(Model3_WeldDuplicates(m));
  EXPECT_TRUE(Model3_Subdivide(m));
  Model3_Free(m);
}

TEST_F(MeshTest, QuadRefinedThenWeldedHasNinePositions) {
  Model3 *m = UnitQuad();
  ASSERT_TRUE(Model3_Subdivide(m));
  EXPECT_EQ(m->polygonCount, 4);
  EXPECT_EQ(m->positionCount, 4 + 16);
  EXPECT_EQ(m->uvCount, 4 + 16);
  EXPECT_EQ(m->normalCount, 4 + 16);
  EXPECT_EQ(m->colorCount, 4 + 16);
  // Quad 2 is built around corner 2: centre, m12, c2, m23.
  const Polygon3 &q2 = m->polygons[2];
  EXPECT_EQ(m->positions[q2.corners[0].vertex].x, 0.5f);
  EXPECT_EQ(m->positions[q2.corners[0].vertex].z, 0.5f);
  EXPECT_EQ(m->positions[q2.corners[2].vertex].x, 1.0f);
  EXPECT_EQ(m->positions[q2.corners[2].vertex].z, 1.0f);
  EXPECT_EQ(m->uvs[q2.corners[1].uv].u, 0.5f);
  EXPECT_EQ(m->uvs[q2.corners[1].uv].v, 1.0f);
  ASSERT_TRUE(Model3_WeldDuplicates(m));
  EXPECT_EQ(m->positionCount, 9);
  EXPECT_EQ(m->uvCount, 9);
  EXPECT_EQ(m->colorCount, 1);
  EXPECT_EQ(m->polygonCount, 4);
  // Every child faces the same way as the source (+y for this winding).
  for (int i = 0; i < 4; i++) EXPECT_FLOAT_EQ(m->polygons[i].faceNormal.y, 1.0f) << i;
  Model3_Free(m);
}

TEST_F(MeshTest, TrianglesAreKeptAndChildrenFollowThem) {
  Model3 *m = UnitQuad();
  AddPolygon(m, {0, 1, 2});
  ASSERT_TRUE(Model3_Subdivide(m));
  ASSERT_EQ(m->polygonCount, 5);
  EXPECT_EQ(m->polygons[0].cornerCount, 3);
  for (int i = 1; i < 5; i++) EXPECT_EQ(m->polygons[i].cornerCount, 4);
  // Only triangles: nothing changes, not even the normals.
  Model3 *t = BareModel(8, 2);
  AddPosition(t, 0, 0, 0);
  AddPosition(t, 1, 0, 0);
  AddPosition(t, 0, 1, 0);
  AddPolygon(t, {0, 1, 2});
  t->polygons[0].faceNormal = {7, 7, 7};
  ASSERT_TRUE(Model3_Subdivide(t));
  EXPECT_EQ(t->polygons[0].faceNormal.x, 7.0f);
  EXPECT_EQ(t->positionCount, 3);
  Model3_Free(m);
  Model3_Free(t);
}

TEST_F(MeshTest, RefinementStopsAtTheLastPassThatFits) {
  g_MaxPolygons = 20;
  g_MaxVertices = 84;
  Model3 *m = UnitQuad();
  ASSERT_TRUE(Model3_Subdivide(m));    // 4 quads, 4 + 16 positions
  ASSERT_TRUE(Model3_Subdivide(m));    // 16 quads, 20 + 64 = 84 positions: just fits
  EXPECT_EQ(m->polygonCount, 16);
  EXPECT_EQ(m->positionCount, 84);
  Polygon3 first = m->polygons[0];
  EXPECT_FALSE(Model3_Subdivide(m));   // 64 quads would pass both capacities
  EXPECT_EQ(m->polygonCount, 16);
  EXPECT_EQ(m->positionCount, 84);
  EXPECT_EQ(m->uvCount, 84);
  EXPECT_EQ(memcmp(&first, &m->polygons[0], sizeof first), 0);
  EXPECT_FALSE(Model3_Subdivide(nullptr));
  Model3_Free(m);
}

TEST_F(MeshTest, WeldKeepsTheFirstBindingAndLeavesOtherSlotsAlone) {
  g_ModelAllocArrays = 0;
  Model3 *held = Model3_Init(255);
  ASSERT_NE(held, nullptr);
  Model3 *m = BareModel(16, 4);
  AddPosition(m, 0, 0, 0);
  AddPosition(m, 1, 0, 0);
  AddPosition(m, 0, 1, 0);
  AddPosition(m, -0.0f, 0, 0);   // equals position 0
  m->bindings[0] = {3, 0, 1.0f, 0};
  m->bindings[3] = {5, 0, 1.0f, 0};
  m->colorCount = m->uvCount = 4;
  AddPolygon(m, {0, 1, 2});
  AddPolygon(m, {3, 2, 1});
  m->slot = 7;
  ASSERT_TRUE(Model3_WeldDuplicates(m));
  EXPECT_EQ(m->positionCount, 3);
  EXPECT_EQ(m->polygons[1].corners[0].vertex, 0u);
  EXPECT_EQ(m->bindings[0].bone1, 3);
  EXPECT_EQ(g_Model3Slots[255], held);   // the scratch slot is not used
  Model3_FreeSlot(255);
  Model3_Free(m);
}

TEST_F(MeshTest, WeldOfAModelWithoutPolygonsEmptiesIt) {
  Model3 *m = BareModel(8, 2);
  AddPosition(m, 0, 0, 0);
  m->colorCount = m->uvCount = 1;
  ASSERT_TRUE(Model3_WeldDuplicates(m));
  EXPECT_EQ(m->positionCount, 0);
  EXPECT_EQ(m->colorCount, 0);
  EXPECT_EQ(m->uvCount, 0);
  Model3_Free(m);
}

// [SECTION] Automatic binding

TEST_F(MeshTest, AutoBindNearestBoneLowerWinsTiesManualKept) {
  Model3 *m = BareModel(8, 1);
  m->boneCount = 4;
  for (int b = 0; b < 4; b++) m->bones[b].parent = 0;
  m->boneRest[1].pos[0] = 1;   // bone 1 at x 1
  m->boneRest[2].pos[0] = 3;   // bone 2 at x 3
  m->boneRest[3].pos[1] = 10;  // bone 3 at y 10
  AddPosition(m, 2, 0, 0);     // equally far from bones 1 and 2
  AddPosition(m, 2.9f, 0, 0);  // nearer bone 2
  AddPosition(m, 0, 9, 0);     // nearer bone 3
  AddPosition(m, 0, 9, 0);
  m->bindings[3] = {2, 1, 0.25f, 0};   // manual
  ASSERT_TRUE(Model3_AutoBindVertices(m));
  EXPECT_EQ(m->bindings[0].bone1, 1);
  EXPECT_EQ(m->bindings[1].bone1, 2);
  EXPECT_EQ(m->bindings[2].bone1, 3);
  EXPECT_EQ(m->bindings[2].bone2, 0);
  EXPECT_EQ(m->bindings[2].weight, 1.0f);
  EXPECT_EQ(m->bindings[3].bone1, 2);
  EXPECT_EQ(m->bindings[3].weight, 0.25f);
  // A child moves its parent's centre (not bone 0's): bone 1 centre = mean(1, 1 + 3) = 2.5.
  m->bones[2].parent = 1;
  ASSERT_TRUE(Model3_AutoBindVertices(m));
  EXPECT_FLOAT_EQ(m->boneCentres[1][0], 2.5f);
  EXPECT_EQ(m->bindings[1].bone1, 1);   // 2.9: 0.4 from bone 1's centre, 1.1 from bone 2 at x 4
  // One bone: every automatic vertex goes to bone 1.
  m->boneCount = 1;
  ASSERT_TRUE(Model3_AutoBindVertices(m));
  EXPECT_EQ(m->bindings[2].bone1, 1);
  // A vertex far out, where the rows that pad the bones to a multiple of four once stood, is
  // bound to a bone of the model.
  m->boneCount = 2;
  m->positions[2] = {1e30f, 1e30f, 1e30f};
  ASSERT_TRUE(Model3_AutoBindVertices(m));
  EXPECT_EQ(m->bindings[2].bone1, 1);
  EXPECT_FALSE(Model3_AutoBindVertices(nullptr));
  Model3_Free(m);
}

// [SECTION] Hashed searches against the literal scans

TEST_F(MeshTest, HashedAndLiteralAgreeOnRandomMeshes) {
  for (u32 seed = 1; seed <= 1000; seed++) {
    g_Model3Edited = seed % 2;
    Model3 *a = RandomModel(seed), *b = RandomModel(seed);
    ASSERT_TRUE(Model3_CalcNormals(a));
    LiteralCalcNormals(b);
    ExpectSameModel(a, b, seed);
    ASSERT_TRUE(Model3_Subdivide(a));
    LiteralSubdivide(b);
    ExpectSameModel(a, b, seed);
    ASSERT_TRUE(Model3_WeldDuplicates(a));
    LiteralWeld(b);
    ExpectSameModel(a, b, seed);
    if (HasFailure()) {
      Model3_Free(a);
      Model3_Free(b);
      return;
    }
    Model3_Free(a);
    Model3_Free(b);
  }
}

namespace {

// The nearest-bone scan as written: bones 1.. in order, strictly smaller distance wins.
void LiteralAutoBind(Model3 *m) {
  Mat4 rest[MODEL3_BONES];
  Model3_ComputeRestMatrices(m, rest);
  f32 centre[MODEL3_BONES][3];
  i32 count[MODEL3_BONES];
  for (i32 b = 0; b < m->boneCount; b++) {
    for (int i = 0; i < 3; i++) centre[b][i] = rest[b].m[3][i];
    count[b] = 1;
  }
  for (i32 b = 0; b < m->boneCount; b++) {
    i32 p = Model3_BoneParent(m, b);
    if (p <= 0 || p >= m->boneCount) continue;
    for (int i = 0; i < 3; i++) centre[p][i] += rest[b].m[3][i];
    count[p]++;
  }
  for (i32 b = 0; b < m->boneCount; b++)
    for (int i = 0; i < 3; i++) centre[b][i] /= (f32)count[b];
  for (i32 v = 0; v < m->positionCount; v++) {
    VertexBinding *bind = &m->bindings[v];
    if (bind->automatic != 1) continue;
    i32 nearest = 1;
    f32 best = 99999.9f;
    const Vec3 &p = m->positions[v];
    for (i32 b = 1; b < m->boneCount; b++) {
      f32 d = fabsf(p.y - centre[b][1]) + fabsf(p.x - centre[b][0]) + fabsf(p.z - centre[b][2]);
      if (d < best) {
        best = d;
        nearest = b;
      }
    }
    bind->bone1 = (u16)nearest;
    bind->bone2 = 0;
    bind->weight = 1.0f;
  }
}

}  // namespace

TEST_F(MeshTest, VectorisedAndLiteralNearestBoneAgree) {
  for (u32 seed = 1; seed <= 300; seed++) {
    std::mt19937 rng(seed);
    Model3 *a = RandomModel(seed);
    a->boneCount = 1 + rng() % MODEL3_BONES;
    for (i32 b = 0; b < MODEL3_BONES; b++) {
      a->bones[b].parent = (i32)(rng() % 140) - 4;   // some outside the table
      for (int i = 0; i < 3; i++) a->boneRest[b].pos[i] = PoolValue(rng, false) * (f32)(rng() % 3);
    }
    if (seed % 3 == 0) a->positions[0] = {1e6f, 0, 0};   // farther than 99999.9 from every bone
    Model3 *b = RandomModel(seed);
    b->boneCount = a->boneCount;
    memcpy(b->bones, a->bones, sizeof a->bones);
    memcpy(b->boneRest, a->boneRest, sizeof a->boneRest);
    b->positions[0] = a->positions[0];
    ASSERT_TRUE(Model3_AutoBindVertices(a));
    LiteralAutoBind(b);
    ExpectSameBytes(a->bindings, b->bindings, a->positionCount * sizeof(VertexBinding), "bindings", seed);
    Model3_Free(a);
    Model3_Free(b);
    if (HasFailure()) return;
  }
}

// Garbage records (corner counts past four, indices anywhere, counts past the arrays) never
// read or write outside the arrays (the sanitizers watch) and never leave NaN normals from
// finite positions.
TEST_F(MeshTest, GarbageRecordsStayInsideTheArrays) {
  for (u32 seed = 1; seed <= 200; seed++) {
    std::mt19937 rng(seed);
    g_Model3Edited = seed % 2;
    Model3 *m = BareModel(64, 16);
    m->positionCount = (i32)(rng() % 80);   // may exceed the room of 64
    for (i32 v = 0; v < 64; v++) m->positions[v] = {(f32)(rng() % 7), (f32)(rng() % 5), (f32)(rng() % 3)};
    m->normalCount = (i32)(rng() % 70);
    m->colorCount = (i32)(rng() % 70);
    m->uvCount = (i32)(rng() % 70);
    m->polygonCount = (i32)(rng() % 16);
    for (i32 i = 0; i < 16; i++) {
      Polygon3 *p = &m->polygons[i];
      p->cornerCount = (u8)(rng() % 256);
      p->group = rng();
      for (int j = 0; j < 4; j++) {
        u32 pick = rng() % 4;
        u32 far = pick == 0 ? rng() : (rng() % 70);
        p->corners[j] = {far, (u32)(rng() % 70), rng() % 3 == 0 ? (u32)rng() : (u32)(rng() % 70), (u32)(rng() % 70)};
      }
    }
    m->boneCount = (i32)(rng() % 200) - 20;
    for (i32 b = 0; b < MODEL3_BONES; b++) m->bones[b].parent = (i32)(rng() % 300) - 100;
    EXPECT_TRUE(Model3_CalcNormals(m));
    for (i32 v = 0; v < m->positionCount && v < m->capPositions; v++) EXPECT_FALSE(isnan(m->vertexNormals[v].x)) << seed;
    Model3_Subdivide(m);
    EXPECT_TRUE(Model3_WeldDuplicates(m));
    EXPECT_TRUE(Model3_AutoBindVertices(m));
    Model3_Free(m);
  }
}

// [SECTION] Per-frame and read-time normals against the literal average

namespace {

// The average written out per component with its branches: face normal (b - a) x (c - b)
// over its length (zero when the length is not above 0 or a corner is out of range), summed
// from +0 in polygon and corner order, divided by the count where two or more faces met.
void LiteralAverage(const Model3 *m, const Vec3 *pts, std::vector<Vec3> *vn, std::vector<Vec3> *faces) {
  i32 P = m->positionCount < m->capPositions ? m->positionCount : m->capPositions;
  std::vector<f32> sum((size_t)P * 3, 0.0f);
  std::vector<i32> count((size_t)P, 0);
  faces->assign((size_t)m->polygonCount, Vec3{0, 0, 0});
  for (i32 i = 0; i < m->polygonCount; i++) {
    const Polygon3 &p = m->polygons[i];
    i32 cc = p.cornerCount > 4 ? 4 : p.cornerCount;
    if (cc < 3) continue;
    u32 a = p.corners[0].vertex, b = p.corners[1].vertex, c = p.corners[2].vertex;
    f32 n[3] = {0.0f, 0.0f, 0.0f};
    if (a < (u32)P && b < (u32)P && c < (u32)P) {
      f32 e1x = pts[b].x - pts[a].x, e1y = pts[b].y - pts[a].y, e1z = pts[b].z - pts[a].z;
      f32 e2x = pts[c].x - pts[b].x, e2y = pts[c].y - pts[b].y, e2z = pts[c].z - pts[b].z;
      f32 nx = e1y * e2z - e1z * e2y, ny = e1z * e2x - e1x * e2z, nz = e1x * e2y - e1y * e2x;
      f32 len = sqrtf(nx * nx + ny * ny + nz * nz);
      if (len > 0.0f) {
        n[0] = nx / len;
        n[1] = ny / len;
        n[2] = nz / len;
      }
    }
    (*faces)[i] = Vec3{n[0], n[1], n[2]};
    for (i32 j = 0; j < cc; j++) {
      u32 v = p.corners[j].vertex;
      if (v >= (u32)P) continue;
      for (int k = 0; k < 3; k++) sum[3 * v + k] += n[k];
      count[v]++;
    }
  }
  vn->resize((size_t)P);
  for (i32 v = 0; v < P; v++) {
    f32 d = (f32)count[v];
    if (count[v] >= 2)
      (*vn)[v] = Vec3{sum[3 * v] / d, sum[3 * v + 1] / d, sum[3 * v + 2] / d};
    else
      (*vn)[v] = Vec3{sum[3 * v], sum[3 * v + 1], sum[3 * v + 2]};
  }
}

void ExpectLiteralAverage(const Model3 *m, const Vec3 *pts, const char *what, u32 seed, int pass) {
  std::vector<Vec3> vn, faces;
  LiteralAverage(m, pts, &vn, &faces);
  for (size_t v = 0; v < vn.size(); v++)
    ASSERT_EQ(memcmp(&vn[v], &m->vertexNormals[v], sizeof(Vec3)), 0)
        << what << " vertex " << v << " seed " << seed << " pass " << pass;
  for (i32 i = 0; i < m->polygonCount; i++)
    if (m->polygons[i].cornerCount >= 3) {
      ASSERT_EQ(memcmp(&faces[i], &m->polygons[i].faceNormal, sizeof(Vec3)), 0)
          << what << " polygon " << i << " seed " << seed << " pass " << pass;
    }
}

// Corners with their own vertices (`alone` in 4), shared ones, out-of-range indices, repeated
// corners and corner counts from 0 to 6; positions with signed zeros, NaNs and lines.
Model3 *MixedMesh(std::mt19937 &rng, u32 alone) {
  Model3 *m = BareModel(400, 80);
  i32 shared = 1 + (i32)(rng() % 12);
  bool nan = rng() % 5 == 0;
  for (i32 v = 0; v < shared; v++) AddPosition(m, PoolValue(rng, nan), PoolValue(rng, nan), PoolValue(rng, nan));
  i32 N = 1 + (i32)(rng() % 70);
  for (i32 i = 0; i < N; i++) {
    Polygon3 *p = &m->polygons[m->polygonCount++];
    memset(p, 0, sizeof *p);
    u32 r = rng() % 20;
    p->cornerCount = r < 10 ? 4 : r < 17 ? 3 : (u8)(rng() % 7);
    for (int j = 0; j < 4; j++) {
      u32 pick = rng() % 4, v;
      if (pick < alone)
        v = (u32)AddPosition(m, PoolValue(rng, nan), (f32)(rng() % 9), PoolValue(rng, false));
      else
        v = rng() % 30 == 0 ? 1000 + rng() % 5 : rng() % (u32)m->positionCount;
      p->corners[j].vertex = v;
    }
  }
  return m;
}

}  // namespace

// The per-frame pass keeps a record of the corners between passes: it must give the literal
// average bit for bit, also after the polygons, the counts or the points change between passes
// and while more models than records take turns; so must the plain average.
TEST_F(MeshTest, FrameNormalsMatchTheLiteralAverage) {
  for (u32 seed = 1; seed <= 400; seed++) {
    std::mt19937 rng(seed);
    i32 models = seed % 3 == 0 ? 7 : 1;   // 7: more than the records kept
    std::vector<Model3 *> ms;
    for (i32 k = 0; k < models; k++) ms.push_back(MixedMesh(rng, (seed + (u32)k) % 5));
    for (int pass = 0; pass < 7; pass++) {
      for (Model3 *m : ms) {
        // Pass 2 moves points; 3 changes a corner; 4 drops a polygon; 5 drops a position;
        // 6 changes a corner count.
        i32 i = (i32)(rng() % (u32)m->polygonCount);
        if (pass == 2)
          for (i32 v = 0; v < m->positionCount; v++) m->positions[v].y += 0.25f;
        if (pass == 3) m->polygons[i].corners[rng() % 4].vertex = rng() % (u32)m->positionCount;
        if (pass == 4 && m->polygonCount > 1) m->polygonCount--;
        if (pass == 5 && m->positionCount > 1) m->positionCount--;
        if (pass == 6) m->polygons[i].cornerCount = (u8)(3 + rng() % 2);
        Mesh_FrameNormals(m, m->positions);
        ExpectLiteralAverage(m, m->positions, "frame", seed, pass);
      }
      if (HasFailure()) break;
    }
    Model3 *m = ms[0];
    // And the plain average the rest of the program uses.
    Mesh_AverageNormals(m, m->positions, nullptr, 0, nullptr, 0);
    ExpectLiteralAverage(m, m->positions, "plain", seed, 0);
    for (Model3 *x : ms) Model3_Free(x);
    if (HasFailure()) return;
  }
}

// The normals indexed again by the literal scan: every corner of a polygon of three or more
// looks its vertex normal (zero past the positions) up from the first entry.
static void LiteralReindex(Model3 *b) {
  b->normalCount = 0;
  for (i32 i = 0; i < b->polygonCount; i++) {
    Polygon3 *p = &b->polygons[i];
    if (p->cornerCount < 3) continue;
    for (int j = 0; j < p->cornerCount; j++) {
      u32 v = p->corners[j].vertex;
      Vec3 vn = v < (u32)b->positionCount ? b->vertexNormals[v] : Vec3{0, 0, 0};
      i32 found = FindTuple(&b->normals[0].x, 3, b->normalCount, &vn.x, 3);
      if (found < 0) {
        b->normals[b->normalCount] = vn;
        found = b->normalCount++;
      }
      p->corners[j].normal = (u32)found;
    }
  }
}

// The normals indexed again from vertex normals as they stand (no averaging first): NaN
// normals (an entry at every corner), -0 beside +0, equal normals of different positions and
// corners past the positions (the zero normal) against the literal first-equal-entry scan.
TEST_F(MeshTest, ReindexedNormalsMatchTheLiteralScan) {
  g_Model3Edited = 1;
  for (u32 seed = 1; seed <= 300; seed++) {
    Model3 *a = RandomModel(seed), *b = RandomModel(seed);
    std::mt19937 rng(seed);
    for (i32 v = 0; v < a->positionCount; v++) {
      static const Vec3 pool[] = {{0, 0, 1}, {-0.0f, 0, 1}, {NAN, 0, 0}, {0, 1, 0}, {0.5f, 0.5f, 0}};
      a->vertexNormals[v] = b->vertexNormals[v] = pool[rng() % 5];
    }
    for (i32 i = 0; i < a->polygonCount && seed % 3 == 0; i += 4)   // a corner past the positions
      a->polygons[i].corners[0].vertex = b->polygons[i].corners[0].vertex = (u32)a->positionCount + 3;
    ASSERT_TRUE(Model3_ReindexNormals(a));
    LiteralReindex(b);
    ExpectSameModel(a, b, seed);
    Model3_Free(a);
    Model3_Free(b);
    if (HasFailure()) return;
  }
}

// Thousands of normals, most of them different (the table large, long probe runs, equal
// normals far apart), in models whose normal array has room for every corner, for fewer than
// four a polygon or for one, against the literal scan.
TEST_F(MeshTest, ReindexedNormalsOfLargeModelsMatchTheLiteralScan) {
  g_Model3Edited = 1;
  for (u32 seed = 1; seed <= 24; seed++) {
    std::mt19937 rng(seed);
    i32 P = 200 + (i32)(rng() % 1800), N = 100 + (i32)(rng() % 900);
    i32 room[3] = {4 * N, 3 * N + (i32)(rng() % N), 0};
    Model3 *a = Model3_New(), *b = Model3_New();
    ASSERT_TRUE(Model3_Reserve(a, P, 0, 0, 0, N));
    if (room[seed % 3] > 0) { ASSERT_TRUE(Model3_Reserve(a, P, room[seed % 3], 0, 0, N)); }
    ASSERT_TRUE(Model3_Reserve(b, P, 4 * N, 0, 0, N));
    a->positionCount = b->positionCount = P;
    i32 distinct = 1 + (i32)(rng() % (u32)P);
    for (i32 v = 0; v < P; v++) {
      u32 r = rng() % (u32)distinct;
      Vec3 n = {(f32)(r % 7) * 0.25f, (f32)(r / 7) * 0.125f, r % 5 ? 1.0f : -0.0f};
      if (rng() % 97 == 0) n.y = NAN;
      if (rng() % 31 == 0) n = Vec3{-0.0f, 0.0f, 0.0f};
      a->vertexNormals[v] = b->vertexNormals[v] = n;
    }
    a->polygonCount = b->polygonCount = N;
    for (i32 i = 0; i < N; i++) {
      Polygon3 p = {};
      u32 r = rng() % 10;
      p.cornerCount = r < 6 ? 4 : (r < 9 ? 3 : (u8)(1 + rng() % 2));
      for (int j = 0; j < p.cornerCount; j++) {
        u32 v = rng() % 50 == 0 ? (u32)P + rng() % 5 : rng() % (u32)P;
        p.corners[j] = {v, 0, 0, 0};
      }
      a->polygons[i] = b->polygons[i] = p;
    }
    ASSERT_TRUE(Model3_ReindexNormals(a));
    LiteralReindex(b);
    ExpectSameModel(a, b, seed);
    EXPECT_GE(a->capNormals, a->normalCount) << seed;
    Model3_Free(a);
    Model3_Free(b);
    if (HasFailure()) return;
  }
}

// The hash tables of the mesh searches take their slot count from one rule: a mask needs a
// power of two, a probe needs a free slot (never more than half full), and no more than that.
TEST(MeshHashSlots, PowerOfTwoAtLeastTwiceTheEntriesAndNoLarger) {
  for (size_t entries : {0u, 1u, 7u, 8u, 9u, 1000u, 65000u, 260000u, 1u << 20}) {
    size_t slots = WorkBuf_HashSlots(entries);
    EXPECT_EQ(slots & (slots - 1), 0u) << entries;
    EXPECT_GE(slots, 16u) << entries;
    EXPECT_GE(slots, entries * 2) << entries;
    if (slots > 16) { EXPECT_LT(slots / 2, entries * 2) << entries; }
  }
}
