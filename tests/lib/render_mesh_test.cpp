// Render data of the model modes: exact vertex and index bytes in modes 1 to 4, welding,
// bone-pair sub-meshes and their overflow, index width, device failures, the displaced copy.
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "lib/render/meshes.h"
#include "lib/render/objects.h"
#include "lib/render/rebuild.h"
#include "model/seam.h"
#include "draw_fakedev.h"
#include "render_fakes.h"
#include "render_cleanup.h"

namespace {

std::vector<std::string> g_Logs;
void RecordLog(const char *t) { g_Logs.push_back(t); }
void IgnoreBox(const char *) {}

struct RenderMeshTest : ::testing::Test {
  CoreSeam saved;
  void SetUp() override {
    saved = g_Seam;
    g_Seam.errorBox = IgnoreBox;
    g_Seam.logLine = RecordLog;
    g_Logs.clear();
    g_ModelAllocArrays = 0;
    FakeRender_Install();
  }
  void TearDown() override {
    RenderTest_FreeSlotMeshes();
    Model3_FreeAllSlots();
    FakeRender_Remove();
    g_Seam = saved;
  }
};

// `quads` unit quads in slot 9, each with four vertices of its own, all in group 0.
Model3 *SeparateQuads(i32 quads) {
  Model3 *m = RenderTest_NewModel(9, quads * 4, quads);
  m->groupCount = 1;
  for (i32 q = 0; q < quads; ++q) {
    Polygon3 &p = m->polygons[q];
    p.cornerCount = 4;
    for (u32 c = 0; c < 4; ++c) {
      u32 v = (u32)q * 4 + c;
      m->positions[v] = Vec3{(f32)q, (f32)(c & 1), (f32)(c >> 1)};
      p.corners[c] = {v, 0, 0, 0};
    }
  }
  return m;
}

// Little-endian words of a vertex as floats and integers, written out by hand.
struct Words {
  std::vector<u8> b;
  Words &f(f32 v) { u8 t[4]; memcpy(t, &v, 4); b.insert(b.end(), t, t + 4); return *this; }
  Words &u(u32 v) { for (int i = 0; i < 4; ++i) b.push_back((u8)(v >> (8 * i))); return *this; }
};

// One quad in group 0: positions (0,0,0) (1,0,0) (1,1,0) (0,1,0), one normal (0,0,1),
// UVs at the corners, every vertex bound to bones (1, 2) with weights 1, 1, 0.5, 0;
// group colour (200, 100, 50, 255) scaled by a model colour of (255, 255, 255, 255).
Model3 *TwoBoneQuad(i32 slot) {
  Model3 *m = RenderTest_NewModel(slot, 4, 1);
  const Vec3 p[4] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
  const Vec2 t[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  const f32 w[4] = {1, 1, 0.5f, 0};
  for (int i = 0; i < 4; ++i) {
    m->positions[i] = p[i];
    m->uvs[i] = t[i];
    m->normals[i] = Vec3{0, 0, 1};
    m->bindings[i] = VertexBinding{1, 2, w[i], 0};
  }
  m->boneCount = 3;
  m->groupCount = 1;
  m->groups[0].r = 200, m->groups[0].g = 100, m->groups[0].b = 50, m->groups[0].a = 255;
  for (int c = 0; c < 4; ++c) m->color[c] = 255;
  m->vertexColorMode = 0;
  Polygon3 &q = m->polygons[0];
  q.cornerCount = 4;
  q.group = 0;
  for (u32 c = 0; c < 4; ++c) q.corners[c] = PolyCorner{c, c, 0, c};
  return m;
}

const Vec3 kPos[4] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
const Vec2 kUV[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
const f32 kWeight[4] = {1, 1, 0.5f, 0};
const u32 kDiffuse = 0xFFC86432;

void Rebuild(Model3 *m, u32 mode) {
  m->renderMode = mode;
  m->changed = 1;
  Object_RebuildModelMeshes();
}

TEST_F(RenderMeshTest, Mode1WritesOneTriangleListVertexPerFanCorner) {
  Model3 *m = TwoBoneQuad(3);
  Rebuild(m, 1);
  EXPECT_EQ(m->changed, 0u);
  ModelPose *pose = g_ModelPoses[3];
  ASSERT_EQ(pose->primCounts[0], 6);
  FakeBuffer *vb = FakeRender_Buffer(pose->vertexBuffers[0]);
  ASSERT_TRUE(vb);
  Words want;
  for (int c : {0, 1, 2, 0, 2, 3})
    want.f(kPos[c].x).f(kPos[c].y).f(kPos[c].z).f(0).f(0).f(1).u(kDiffuse).f(kUV[c].u).f(kUV[c].v);
  EXPECT_EQ(vb->bytes, want.b);
  EXPECT_FALSE(vb->locked);
}

TEST_F(RenderMeshTest, Mode2WeldsCornersAndWritesFanIndices) {
  Model3 *m = TwoBoneQuad(3);
  Rebuild(m, 2);
  ModelPose *pose = g_ModelPoses[3];
  ASSERT_TRUE(g_Meshes.indexed2[3]);
  EXPECT_EQ(g_Meshes.indexed2[3]->vertexCount, 4);
  Words want;
  for (int c = 0; c < 4; ++c)
    want.f(kPos[c].x).f(kPos[c].y).f(kPos[c].z).f(0).f(0).f(1).u(kDiffuse).f(kUV[c].u).f(kUV[c].v);
  ASSERT_TRUE(FakeRender_Buffer(pose->vertexBuffers[0]));
  EXPECT_EQ(FakeRender_Buffer(pose->vertexBuffers[0])->bytes, want.b);
  EXPECT_EQ(pose->primCounts[0], 6);
  FakeBuffer *ib = FakeRender_Buffer(pose->indexBuffers[0]);
  ASSERT_TRUE(ib);
  EXPECT_FALSE(ib->index32);
  EXPECT_EQ(FakeRender_Indices(ib), (std::vector<u32>{0, 1, 2, 0, 2, 3}));
}

TEST_F(RenderMeshTest, Mode3PutsTheQuadInOneBonePairSubMesh) {
  Model3 *m = TwoBoneQuad(3);
  Rebuild(m, 3);
  PaletteMesh3 *pm = g_Meshes.palette3[3];
  ASSERT_TRUE(pm);
  ASSERT_EQ(pm->groups[0].subCount, 1);
  SubMesh3 &s = pm->groups[0].subs[0];
  EXPECT_EQ(s.bone1, 1);
  EXPECT_EQ(s.bone2, 2);
  EXPECT_EQ(s.vertexCount, 4);
  Words want;
  for (int c = 0; c < 4; ++c)
    want.f(kPos[c].x).f(kPos[c].y).f(kPos[c].z).f(kWeight[c]).f(0).f(0).f(1).u(kDiffuse).f(kUV[c].u).f(kUV[c].v);
  ASSERT_TRUE(FakeRender_Buffer(s.vertexBuffer));
  EXPECT_EQ(FakeRender_Buffer(s.vertexBuffer)->bytes, want.b);
  EXPECT_EQ(s.indexCount, 6);
  EXPECT_EQ(FakeRender_Indices(s.indexBuffer), (std::vector<u32>{0, 1, 2, 0, 2, 3}));
  EXPECT_EQ(pm->mixedFlags[0], 0);
  for (int v = 0; v < 4; ++v) EXPECT_EQ(pm->vertexFlags[v], 0);
}

TEST_F(RenderMeshTest, Mode4WritesWeightBothBonesAndNormal) {
  Model3 *m = TwoBoneQuad(3);
  Rebuild(m, 4);
  ModelPose *pose = g_ModelPoses[3];
  ASSERT_TRUE(g_Meshes.weighted4[3]);
  // Index bytes: bone 1 | bone 2 << 8, as the processor skinning blends them: weight 1 is
  // bone 1 alone, weight 0 bone 2 alone (weight 0 on bone 2 twice).
  const u32 bones[4] = {1 | 1 << 8, 1 | 1 << 8, 1 | 2 << 8, 2 | 2 << 8};
  Words want;
  for (int c = 0; c < 4; ++c)
    want.f(kPos[c].x).f(kPos[c].y).f(kPos[c].z).f(kWeight[c]).u(bones[c]).f(0).f(0).f(1).u(kDiffuse).f(kUV[c].u).f(kUV[c].v);
  ASSERT_TRUE(FakeRender_Buffer(pose->vertexBuffers[0]));
  EXPECT_EQ(FakeRender_Buffer(pose->vertexBuffers[0])->bytes, want.b);
  EXPECT_EQ(FakeRender_Indices(pose->indexBuffers[0]), (std::vector<u32>{0, 1, 2, 0, 2, 3}));
}

// Mode 4 past one palette: a strip of 127 quads, quad q bound to bones q+1 and q+2 half and
// half (one group, 128 bones). Each batch names at most 76 bones, every quad is drawn by
// exactly one batch, and each vertex's index bytes name, through its batch's palette, the
// bones of its binding.
TEST_F(RenderMeshTest, Mode4SplitsModelsOfMoreBonesIntoPaletteBatches) {
  const int quads = 126, verts = 2 * (quads + 1);
  Model3 *m = RenderTest_NewModel(4, verts, quads);
  for (int i = 0; i <= quads; ++i)
    for (int k = 0; k < 2; ++k) {
      m->positions[2 * i + k] = Vec3{(f32)k, (f32)i, 0};
      m->bindings[2 * i + k] = VertexBinding{(u16)(i + 1), (u16)(i < quads ? i + 2 : 1), 0.5f, 0};
    }
  for (int q = 0; q < quads; ++q) {
    Polygon3 &p = m->polygons[q];
    p.cornerCount = 4;
    p.group = 0;
    const u32 v[4] = {(u32)(2 * q), (u32)(2 * q + 2), (u32)(2 * q + 3), (u32)(2 * q + 1)};
    for (int c = 0; c < 4; ++c) p.corners[c] = PolyCorner{v[c], 0, 0, 0};
  }
  m->groupCount = 1;
  m->boneCount = 128;
  Rebuild(m, 4);
  const WeldedMesh *w = g_Meshes.weighted4[4];
  ASSERT_TRUE(w);
  ASSERT_GE(w->batchCount, 2);
  int triangles = 0;
  for (int b = 0; b < w->batchCount; ++b) {
    const BoneBatch4 &batch = w->batches[b];
    EXPECT_LE(batch.boneCount, 76);
    ASSERT_TRUE(FakeRender_Buffer(batch.vertexBuffer));
    const std::vector<u8> &bytes = FakeRender_Buffer(batch.vertexBuffer)->bytes;
    ASSERT_EQ(bytes.size(), (size_t)batch.vertexCount * MESH_VERTEX44);
    std::vector<u32> idx = FakeRender_Indices(batch.indexBuffer);
    ASSERT_EQ((int)idx.size(), batch.indexCount);
    triangles += batch.indexCount / 3;
    for (u32 i : idx) {
      ASSERT_LT(i, (u32)batch.vertexCount);
      f32 y;
      u32 bones;
      memcpy(&y, &bytes[i * MESH_VERTEX44 + 4], 4);
      memcpy(&bones, &bytes[i * MESH_VERTEX44 + 16], 4);
      int row = (int)y;
      ASSERT_LT(bones & 0xFF, (u32)batch.boneCount);
      ASSERT_LT(bones >> 8 & 0xFF, (u32)batch.boneCount);
      EXPECT_EQ(batch.bones[bones & 0xFF], row + 1);
      EXPECT_EQ(batch.bones[bones >> 8 & 0xFF], row < quads ? row + 2 : 1);
    }
  }
  EXPECT_EQ(triangles, 2 * quads);
  // At most one palette of bones draws from the shared buffer without batches.
  m->boneCount = 76;
  for (int i = 0; i < verts; ++i) m->bindings[i] = VertexBinding{1, 2, 0.5f, 0};
  Rebuild(m, 4);
  EXPECT_EQ(g_Meshes.weighted4[4]->batchCount, 0);
}

TEST_F(RenderMeshTest, VertexColoursAndModelColourScaleTheDiffuse) {
  Model3 *m = TwoBoneQuad(3);
  m->vertexColorMode = 1;
  for (int i = 0; i < 4; ++i) m->colors[i] = Color4{255, 128, 10.9f, 255};
  m->polygons[0].corners[2].color = 2;
  m->color[0] = 127.5f;   // half red
  Rebuild(m, 2);
  const WeldedMesh *w = g_Meshes.indexed2[3];
  ASSERT_TRUE(w);
  Color4 c = w->colors[2];
  EXPECT_EQ(Mesh_PackColor(&c), 0xFF7F800Au);
  // A colour index outside the colour array gives black, not a read past it.
  m->polygons[0].corners[1].color = 999;
  Rebuild(m, 2);
  EXPECT_EQ(Mesh_PackColor(&g_Meshes.indexed2[3]->colors[1]), 0u);
}

TEST_F(RenderMeshTest, WeldingJoinsOnlyEqualPositionAndUV) {
  // Two triangles sharing an edge: the shared corners have equal UVs on one side only.
  Model3 *m = RenderTest_NewModel(5, 5, 2);
  m->groupCount = 1;
  m->positions[0] = {0, 0, 0}, m->positions[1] = {1, 0, 0}, m->positions[2] = {0, 1, 0};
  m->positions[3] = {1, 1, 0}, m->positions[4] = {-0.0f, 0, 0};   // -0 equals +0
  m->uvs[0] = {0, 0}, m->uvs[1] = {0.5f, 0};
  m->normals[0] = {0, 0, 1}, m->normals[1] = {0, 1, 0};
  Polygon3 &a = m->polygons[0];
  a.cornerCount = 3;
  a.corners[0] = {0, 0, 0, 0}, a.corners[1] = {1, 0, 0, 0}, a.corners[2] = {2, 0, 0, 0};
  Polygon3 &b = m->polygons[1];
  b.cornerCount = 3;
  // Same position and UV as corner 0 of a but another normal: joins, keeps the first normal.
  b.corners[0] = {4, 1, 0, 0};
  // Same position as a's corner 1 but another UV: a new vertex.
  b.corners[1] = {1, 1, 0, 1};
  b.corners[2] = {3, 1, 0, 0};
  ASSERT_TRUE(Draw_BuildIndexedMesh2(5));
  const WeldedMesh *w = g_Meshes.indexed2[5];
  EXPECT_EQ(w->vertexCount, 5);
  EXPECT_EQ(w->groups[0].count, 2);
  EXPECT_EQ(w->groups[0].polys[1].index[0], 0u);
  EXPECT_EQ(w->groups[0].polys[1].index[1], 3u);
  EXPECT_EQ(w->normals[0].z, 1.0f);
  EXPECT_EQ(w->normals[0].y, 0.0f);
}

// 40 triangles on 40 different bone pairs and one with corners on two pairs.
Model3 *ManyPairs(i32 slot) {
  const i32 tris = 41;
  Model3 *m = RenderTest_NewModel(slot, tris * 3, tris);
  m->groupCount = 1;
  m->boneCount = 64;
  for (i32 t = 0; t < tris; ++t) {
    Polygon3 &p = m->polygons[t];
    p.cornerCount = 3;
    for (i32 c = 0; c < 3; ++c) {
      u32 v = (u32)(t * 3 + c);
      m->positions[v] = Vec3{(f32)t, (f32)c, 0};
      m->bindings[v] = VertexBinding{1, (u16)(t + 2), 1.0f, 0};
      p.corners[c] = {v, 0, 0, 0};
    }
  }
  m->bindings[40 * 3 + 2].bone2 = 3;   // triangle 40: corners on (1, 42) and (1, 3)
  return m;
}

TEST_F(RenderMeshTest, MoreThan32BonePairsAreDrawnAsMixedPolygons) {
  ManyPairs(7);
  ASSERT_TRUE(Draw_BuildPaletteMesh3(7));
  PaletteMesh3 *pm = g_Meshes.palette3[7];
  EXPECT_EQ(pm->groups[0].subCount, 32);
  for (i32 t = 0; t < 32; ++t) {
    EXPECT_EQ(pm->mixedFlags[t], 0) << t;
    EXPECT_EQ(pm->groups[0].subs[t].polygonCount, 1);
    EXPECT_EQ(pm->groups[0].subs[t].bone2, t + 2);
  }
  // Past the 32 sub-meshes, and the really mixed triangle: flagged, CPU-deformed, renormalled.
  for (i32 t = 32; t < 41; ++t) {
    EXPECT_EQ(pm->mixedFlags[t], 1) << t;
    EXPECT_EQ(pm->normalFlags[t], 1) << t;
    for (i32 c = 0; c < 3; ++c) EXPECT_EQ(pm->vertexFlags[t * 3 + c], 1);
  }
  EXPECT_EQ(pm->vertexFlags[0], 0);
}

TEST_F(RenderMeshTest, NeighboursOfMixedPolygonsAreFlaggedForNormals) {
  Model3 *m = TwoBoneQuad(3);
  ASSERT_TRUE(Model3_Reserve(m, 5, 4, 4, 4, 2));
  m->positionCount = 5;
  m->polygonCount = 2;
  m->positions[4] = {2, 0, 0};
  m->bindings[4] = VertexBinding{1, 3, 1, 0};
  Polygon3 &t = m->polygons[1];
  t = Polygon3{};
  t.cornerCount = 3;
  t.corners[0] = {1, 0, 0, 0}, t.corners[1] = {4, 0, 0, 0}, t.corners[2] = {2, 0, 0, 0};
  ASSERT_TRUE(Draw_BuildPaletteMesh3(3));
  PaletteMesh3 *pm = g_Meshes.palette3[3];
  EXPECT_EQ(pm->mixedFlags[1], 1);
  EXPECT_EQ(pm->mixedFlags[0], 0);
  // The quad shares vertices 1 and 2 with the mixed triangle.
  EXPECT_EQ(pm->normalFlags[0], 1);
  for (int v = 0; v < 5; ++v) EXPECT_EQ(pm->vertexFlags[v], 1) << v;
}

TEST_F(RenderMeshTest, IndexWidthFollowsTheVertexCount) {
  // 16,400 separate quads in one group: 65,600 welded vertices need 32-bit indices.
  const i32 quads = 16400;
  Model3 *m = SeparateQuads(quads);
  Rebuild(m, 2);
  FakeBuffer *ib = FakeRender_Buffer(g_ModelPoses[9]->indexBuffers[0]);
  ASSERT_TRUE(ib);
  EXPECT_TRUE(ib->index32);
  std::vector<u32> idx = FakeRender_Indices(ib);
  ASSERT_EQ(idx.size(), (size_t)quads * 6);
  EXPECT_EQ(idx[idx.size() - 1], (u32)(quads * 4 - 1));
  // A small model keeps 16-bit indices even with many polygons (over 10,000).
  EXPECT_FALSE(Mesh_NeedsIndex32(65535));
  EXPECT_TRUE(Mesh_NeedsIndex32(65536));
}

TEST_F(RenderMeshTest, SubMeshesAndTheWeightedMeshChooseTheirIndexWidthByVertexCount) {
  // 16,400 separate quads of one bone pair: the sub-mesh (mode 3) and the weighted mesh
  // (mode 4) hold 65,600 vertices each and need 32-bit indices; one quad keeps 16 bits.
  const i32 quads = 16400;
  for (u32 mode : {3u, 4u}) {
    Model3 *m = SeparateQuads(quads);
    m->boneCount = 3;
    for (i32 v = 0; v < quads * 4; ++v) m->bindings[v] = VertexBinding{1, 2, 1, 0};
    Rebuild(m, mode);
    void *indices = g_ModelPoses[9]->indexBuffers[0];
    if (mode == 3) {
      ASSERT_TRUE(g_Meshes.palette3[9]);
      ASSERT_EQ(g_Meshes.palette3[9]->groups[0].subCount, 1);
      EXPECT_EQ(g_Meshes.palette3[9]->groups[0].subs[0].vertexCount, quads * 4);
      indices = g_Meshes.palette3[9]->groups[0].subs[0].indexBuffer;
    }
    FakeBuffer *ib = FakeRender_Buffer(indices);
    ASSERT_TRUE(ib) << mode;
    EXPECT_TRUE(ib->index32) << mode;
    std::vector<u32> idx = FakeRender_Indices(ib);
    ASSERT_EQ(idx.size(), (size_t)quads * 6) << mode;
    EXPECT_EQ(idx.back(), (u32)(quads * 4 - 1)) << mode;
    Model3_FreeSlot(9);
    Rebuild(TwoBoneQuad(9), mode);
    indices = mode == 3 ? g_Meshes.palette3[9]->groups[0].subs[0].indexBuffer : g_ModelPoses[9]->indexBuffers[0];
    ASSERT_TRUE(FakeRender_Buffer(indices)) << mode;
    EXPECT_FALSE(FakeRender_Buffer(indices)->index32) << mode;
    Model3_FreeSlot(9);
  }
}

TEST_F(RenderMeshTest, FailedCreationOrLockLeavesCountsAtZero) {
  for (int fail = 0; fail < 2; ++fail) {
    for (u32 mode : {1u, 2u, 3u, 4u}) {
      Model3 *m = TwoBoneQuad(3);
      g_FakeRender->failCreate = fail == 0;
      g_FakeRender->failLock = fail == 1;
      Rebuild(m, mode);
      ModelPose *pose = g_ModelPoses[3];
      EXPECT_EQ(pose->primCounts[0], 0) << mode;
      EXPECT_EQ(pose->vertexBuffers[0], nullptr) << mode;
      if (mode == 3) {
        ASSERT_TRUE(g_Meshes.palette3[3]);
        EXPECT_EQ(g_Meshes.palette3[3]->groups[0].subs[0].indexCount, 0);
        EXPECT_EQ(g_Meshes.palette3[3]->groups[0].subs[0].vertexBuffer, nullptr);
      }
      g_FakeRender->failCreate = g_FakeRender->failLock = false;
      Model3_FreeSlot(3);
    }
  }
  EXPECT_EQ(g_FakeRender->created, g_FakeRender->released);
}

TEST_F(RenderMeshTest, RebuildOnlyForChangedModelsWithVertices) {
  Model3 *m = TwoBoneQuad(3);
  m->renderMode = 1;
  m->changed = 0;
  Object_RebuildModelMeshes();
  EXPECT_EQ(g_ModelPoses[3]->vertexBuffers[0], nullptr);
  Model3 *empty = Model3_Init(4);
  empty->renderMode = 1;
  empty->changed = 1;
  Object_RebuildModelMeshes();
  EXPECT_EQ(empty->changed, 1u);
  // Back from mode 1 to mode 0: the group buffers go at the next pass.
  Rebuild(m, 1);
  EXPECT_TRUE(g_ModelPoses[3]->vertexBuffers[0]);
  Rebuild(m, 0);
  EXPECT_EQ(g_ModelPoses[3]->vertexBuffers[0], nullptr);
  EXPECT_EQ(g_ModelPoses[3]->primCounts[0], 0);
}

TEST_F(RenderMeshTest, FreeingReleasesSubMeshesOfEveryGroup) {
  Model3 *m = TwoBoneQuad(3);
  m->groupCount = 5;
  m->polygons[0].group = 4;
  Rebuild(m, 3);
  ASSERT_TRUE(g_Meshes.palette3[3]);
  ASSERT_EQ(g_Meshes.palette3[3]->groups[4].subCount, 1);
  // The group count shrinks after the build: freeing must still reach group 4 (LeakSanitizer
  // and the buffer count catch what it misses).
  m->groupCount = 1;
  Draw_FreePaletteMesh3(3);
  EXPECT_EQ(g_FakeRender->created, g_FakeRender->released);
}

TEST_F(RenderMeshTest, HeightLookupStaysInsideTheTexture) {
  // 4 x 2 texels; first byte of texel (x, y) = 10 * y + x; pitch 20 bytes (padding).
  std::vector<u8> bits(40, 0xEE);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) bits[y * 20 + x * 4] = (u8)(10 * y + x);
  EXPECT_EQ(Mesh_SampleHeight(bits.data(), 20, 4, 2, 0.0f, 0.0f), 0);
  EXPECT_EQ(Mesh_SampleHeight(bits.data(), 20, 4, 2, 0.5f, 0.0f), 1);    // x = 2 -> texel 1
  EXPECT_EQ(Mesh_SampleHeight(bits.data(), 20, 4, 2, 1.0f, 0.0f), 3);    // last texel of the row
  EXPECT_EQ(Mesh_SampleHeight(bits.data(), 20, 4, 2, 1.0f, 1.0f), 13);   // v = 1: last row, not past it
  EXPECT_EQ(Mesh_SampleHeight(bits.data(), 20, 4, 2, 1.25f, 0.5f), 10);  // 1.25 wraps to 0.25
  EXPECT_EQ(Mesh_SampleHeight(bits.data(), 20, 4, 2, -0.5f, 0.5f), 11);  // -0.5 wraps to 0.5
  EXPECT_EQ(Mesh_SampleHeight(bits.data(), 20, 4, 2, 3.0f, 2.0f), 13);   // whole numbers stay at 1.0
}

struct DisplaceTest : RenderMeshTest {
  void SetUp() override {
    RenderMeshTest::SetUp();
    FakeDev_Install();
  }
  void TearDown() override {
    RenderMeshTest::TearDown();
    FakeDev_Remove();
  }
};

TEST_F(DisplaceTest, VerticesMoveAlongTheFaceNormalByTheTexelHeight) {
  Model3 *m = TwoBoneQuad(3);
  m->dispTexture = 1;
  m->dispScale = 2.0f;
  m->refineLevel = 0;
  m->textures[1].used = 1;
  // The entry records the image size (3 x 3); the texture was stretched to 4 x 4.
  m->textures[1].width = 3;
  m->textures[1].height = 3;
  i32 w = 0, h = 0;
  void *tex = g_Dev.draw.createTexture(4, 4, &w, &h);
  FakeTexture *ft = (FakeTexture *)tex;
  ft->texels.assign(4 * 4 * 4, 0);
  // Texel (3, 3) is the one the corner at uv (1, 1) samples: height 255.
  ft->texels[(3 * 4 + 3) * 4] = 255;
  g_ModelPoses[3]->textures[1] = tex;
  Rebuild(m, 7);
  EXPECT_EQ(m->renderMode, 7u);
  Model3 *d = g_Meshes.displaced[3];
  ASSERT_TRUE(d);
  EXPECT_EQ(d->groups[0].shading, 4u);
  i32 moved = 0;
  for (i32 v = 0; v < d->positionCount; ++v) {
    if (d->positions[v].x == 1.0f && d->positions[v].y == 1.0f) {
      EXPECT_FLOAT_EQ(d->positions[v].z, 0.255f);
      ++moved;
    } else {
      EXPECT_EQ(d->positions[v].z, 0.0f);
    }
  }
  EXPECT_EQ(moved, 1);
  g_ModelPoses[3]->textures[1] = nullptr;
  g_Dev.draw.release(tex);
}

TEST_F(DisplaceTest, MissingTextureFallsBackToMode0WithALogLine) {
  Model3 *m = TwoBoneQuad(3);
  m->dispTexture = 1;
  m->textures[1].used = 1;
  Rebuild(m, 7);
  EXPECT_EQ(m->renderMode, 0u);
  EXPECT_EQ(m->changed, 0u);
  ASSERT_EQ(g_Logs.size(), 1u);
  EXPECT_EQ(g_Logs[0], "Displacement用Tex == NULL");
  // No displacement texture entry at all: no log line.
  m->textures[1].used = 0;
  Rebuild(m, 7);
  EXPECT_EQ(m->renderMode, 0u);
  EXPECT_EQ(g_Logs.size(), 1u);
}

void *LockFake(void *b) { return FakeRender_Buffer(b) ? FakeRender_Buffer(b)->bytes.data() : nullptr; }
void UnlockFake(void *) {}

// The per-frame pass reaches the render data through the pass hooks: the rebuild, and in
// mode 2 the welded vertices it skins and writes into vertex buffer 0.
TEST_F(RenderMeshTest, PerFramePassSkinsTheWeldedVerticesIntoTheBuffer) {
  LibHooks saved = g_LibHooks;
  Render_InstallPassHooks();
  g_LibHooks.lockVertexBuffer = LockFake;
  g_LibHooks.unlockVertexBuffer = UnlockFake;
  Model3 *m = TwoBoneQuad(3);
  m->renderMode = 2;
  m->changed = 1;
  m->poseUpdate = 1;
  m->normalUpdate = 0;
  Object_UpdateFrame();
  EXPECT_EQ(m->changed, 0u);
  const WeldedMesh *w = g_Meshes.indexed2[3];
  ASSERT_TRUE(w);
  FakeBuffer *vb = FakeRender_Buffer(g_ModelPoses[3]->vertexBuffers[0]);
  ASSERT_TRUE(vb);
  for (i32 v = 0; v < w->vertexCount; ++v) {
    f32 xyz[3];
    memcpy(xyz, &vb->bytes[(size_t)v * 36], 12);
    EXPECT_EQ(xyz[0], w->posed[v].x);
    EXPECT_EQ(xyz[1], w->posed[v].y);
    EXPECT_EQ(xyz[2], w->posed[v].z);
  }
  g_LibHooks = saved;
}

}  // namespace
