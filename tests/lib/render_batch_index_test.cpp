// The model render's shared corners on a recording device: the indexed batches spell, triangle
// by triangle and byte by byte, the plain triangle list drawn with sharing off, on meshes whose
// corners on one position differ in normal, colour or texture coordinate, whose position
// numbers collide in the key table, with mirrored groups and with batches cut short; and the
// device is given fewer vertices than the plain list holds.
#include <gtest/gtest.h>
#include <string.h>

#include <vector>

#include "app/shell_view.h"
#include "capacity_guard.h"
#include "draw_fakedev.h"
#include "lib/draw/drawdev.h"
#include "lib/framework/lib.h"
#include "lib/render/modeldraw.h"
#include "model/model3.h"
#include "render_cleanup.h"
#include "render_fakes.h"
#include "view_reset.h"

namespace {

u64 s_IndexedVerts, s_IndexedCalls;
void (*s_RealIndexed)(u32, u32, u32, const u16 *, const void *, u32);
void CountIndexed(u32 type, u32 verts, u32 count, const u16 *idx, const void *v, u32 stride) {
  s_IndexedVerts += verts;
  s_IndexedCalls++;
  // Every index names a vertex the call gives.
  for (u32 i = 0; i < count * 3; i++) EXPECT_LT(idx[i], verts);
  s_RealIndexed(type, verts, count, idx, v, stride);
}

struct RenderBatchIndexTest : ::testing::Test {
  CapacityGuard capacity;
  void SetUp() override {
    FakeDev_Install();
    FakeRender_Install();
    ViewReset_3DModel(18);
    s_RealIndexed = g_Dev.draw.drawIndexedPrimitiveUP;
    g_Dev.draw.drawIndexedPrimitiveUP = CountIndexed;
    s_IndexedVerts = s_IndexedCalls = 0;
    g_BatchIndexOff = 0;
  }
  void TearDown() override {
    g_BatchIndexOff = 0;
    Model3_FreeAllSlots();
    FakeRender_Remove();
    FakeDev_Remove();
  }
};

struct Shape {
  const char *what;
  i32 cols, rows;
  u32 spread;       // position numbers of row r start at r * spread (colliding keys past 65,536)
  bool cornerAttrs; // normals, colours and UVs per corner: equal positions often differ
  bool mirror;      // group 1 mirrored
  u32 capacity;     // g_MaxPolygons while drawing (0: left as it is)
  bool indexed;     // some batch is long enough to go out indexed
};

// A cols x rows grid of quads (every fifth a triangle) over two groups, corners shared
// between neighbours.
Model3 *Grid(const Shape &s) {
  Model3 *m = Model3_Init(0);
  i32 positions = (i32)s.spread * s.rows + s.cols + 1 + (i32)s.spread;
  i32 polys = s.cols * s.rows;
  if (g_MaxVertices < (u32)positions) g_MaxVertices = (u32)positions;
  EXPECT_TRUE(Model3_Reserve(m, positions, 4, 5, 4, polys));
  m->positionCount = positions;
  for (i32 r = 0; r <= s.rows; r++)
    for (i32 c = 0; c <= s.cols; c++)
      m->positions[(u32)r * s.spread + (u32)c] = Vec3{(f32)c * 0.5f, (f32)r * 0.5f, 0.1f * (f32)((r + c) % 3)};
  m->normalCount = 4, m->colorCount = 5, m->uvCount = 4;
  for (i32 i = 0; i < 4; i++) m->normals[i] = Vec3{0.1f * (f32)i, 0, -1}, m->uvs[i] = Vec2{0.25f * (f32)i, 1.0f - 0.25f * (f32)i};
  for (i32 i = 0; i < 5; i++) m->colors[i] = Color4{(f32)(50 * i), 200.0f - 30 * (f32)i, 90, 255};
  m->vertexColorMode = s.cornerAttrs ? 1 : 0;
  m->polygonCount = polys;
  for (i32 r = 0; r < s.rows; r++)
    for (i32 c = 0; c < s.cols; c++) {
      i32 f = r * s.cols + c;
      Polygon3 &p = m->polygons[f];
      p = Polygon3{};
      p.cornerCount = f % 5 == 4 ? 3 : 4;
      p.group = (u32)(c * 2 / s.cols);
      const u32 v[4] = {(u32)r * s.spread + (u32)c, (u32)(r + 1) * s.spread + (u32)c, (u32)(r + 1) * s.spread + (u32)c + 1,
                        (u32)r * s.spread + (u32)c + 1};
      for (int k = 0; k < 4; k++) {
        u32 a = s.cornerAttrs ? (u32)((f + k) % 4) : 0;
        p.corners[k] = PolyCorner{v[k], a, s.cornerAttrs ? (u32)((f * 3 + k) % 5) : 0, a};
      }
      p.faceNormal = Vec3{0, 0, -1};
    }
  m->groupCount = 2;
  for (i32 g = 0; g < 2; g++) {
    m->groups[g].r = 100.0f + 50 * g, m->groups[g].g = 150, m->groups[g].b = 200, m->groups[g].a = 255;
    m->groups[g].shading = 4;
  }
  m->groups[1].mirror = s.mirror ? 1 : 0;
  for (int c = 0; c < 4; ++c) m->color[c] = 255;
  m->shown = 1;
  return m;
}

// The triangles the recording device saw, one after another, as bytes.
std::vector<u8> Triangles() {
  std::vector<u8> out;
  for (const FakeDraw &d : g_Fake->draws)
    if (d.primType == DPT_TRIANGLELIST && d.fvf == FVF_SCENEVERTEX) out.insert(out.end(), d.bytes.begin(), d.bytes.end());
  return out;
}

TEST_F(RenderBatchIndexTest, SharedCornersSpellThePlainTriangleList) {
  const Shape shapes[] = {
      {"grid, one attribute set", 24, 16, 25, false, false, 0, true},
      {"grid, corner attributes", 24, 16, 25, true, false, 0, true},
      {"grid, mirrored group", 24, 16, 25, true, true, 0, true},
      {"rows 70,000 positions apart (keys collide)", 20, 4, 70000, false, true, 0, true},
      {"batches of 60 vertices (short: plain)", 24, 16, 25, false, true, 10, false},
      {"batches of 600 vertices", 24, 16, 25, true, true, 100, true},
  };
  for (const Shape &s : shapes) {
    SCOPED_TRACE(s.what);
    Model3 *m = Grid(s);
    ASSERT_GT(Batch_Capacity(), 0);
    if (s.capacity) g_MaxPolygons = s.capacity;
    g_BatchIndexOff = 1;
    g_Fake->draws.clear();
    Hlsl_DrawModel(0, -1, m);
    std::vector<u8> plain = Triangles();
    ASSERT_EQ(s_IndexedCalls, 0u);
    g_BatchIndexOff = 0;
    g_Fake->draws.clear();
    Hlsl_DrawModel(0, -1, m);
    std::vector<u8> indexed = Triangles();
    size_t plainVerts = plain.size() / sizeof(SceneVertex);
    EXPECT_GT(plainVerts, 3u * 64);
    ASSERT_EQ(indexed.size(), plain.size());
    EXPECT_EQ(memcmp(indexed.data(), plain.data(), plain.size()), 0);
    EXPECT_EQ(s_IndexedCalls > 0, s.indexed);
    // At most one vertex per corner drawn (the plain list has one per triangle corner; a quad
    // cut by a full batch lists two corners again); a grid of one attribute set about one
    // per grid point.
    u64 corners = 0;
    for (i32 f = 0; f < m->polygonCount; f++) corners += m->polygons[f].cornerCount * (m->groups[m->polygons[f].group].mirror ? 2u : 1u);
    if (s.indexed && !s.capacity) { EXPECT_LE(s_IndexedVerts, corners); }
    if (s.indexed && !s.cornerAttrs && !s.capacity) { EXPECT_LE(s_IndexedVerts * 2, corners); }
    s_IndexedVerts = s_IndexedCalls = 0;
    Model3_FreeAllSlots();
    g_MaxPolygons = capacity.polys;
  }
}

}  // namespace
