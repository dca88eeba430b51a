// The model render's shared corners on a real Direct3D 9 device: a rippled, lit sheet of
// 24 x 16 quads in three groups (textured, translucent with vertex colours, mirrored over the
// first), drawn through the frame render with its batches indexed and as plain triangle
// lists, gives the same picture pixel for pixel in every shading of the groups and every
// display mode.
#include <math.h>

#include "model/mesh.h"
#include "render_tube_win.h"

namespace {

using namespace tubetest;

const int kCols = 24, kRows = 16;

u32 s_IndexedDraws;
void (*s_Indexed)(u32, u32, u32, const u16 *, const void *, u32);
void CountIndexed(u32 type, u32 verts, u32 count, const u16 *idx, const void *v, u32 stride) {
  s_IndexedDraws++;
  s_Indexed(type, verts, count, idx, v, stride);
}

struct RenderIndexWin : FrameWinTest {
  std::vector<unsigned> Draw(u32 indexOff) {
    g_BatchIndexOff = indexOff;
    s_Indexed = g_Dev.draw.drawIndexedPrimitiveUP;
    g_Dev.draw.drawIndexedPrimitiveUP = CountIndexed;
    s_IndexedDraws = 0;
    Render();
    g_Dev.draw.drawIndexedPrimitiveUP = s_Indexed;
    g_BatchIndexOff = 0;
    return TestDevice_ReadBack(&t);
  }
};

// Positions on a (kCols + 1) x (kRows + 1) lattice over x -2..2, y 0..3 with a ripple in z;
// normals, UVs and colours per position, except that group 1's corners take the colour of
// their polygon's own number (equal positions, different vertices).
Model3 *Sheet(IDirect3DDevice9 *dev) {
  const int cols1 = kCols + 1, verts = cols1 * (kRows + 1);
  Model3 *m = Model3_Init(0);
  Model3_Reserve(m, verts, verts, 7, verts, kCols * kRows);
  m->positionCount = m->normalCount = m->uvCount = verts;
  m->colorCount = 7;
  for (int c = 0; c < 7; c++) m->colors[c] = Color4{(f32)(40 * c), 255.0f - 30 * (f32)c, 120, (f32)(100 + 20 * c)};
  for (int y = 0; y <= kRows; y++)
    for (int x = 0; x <= kCols; x++) {
      int v = y * cols1 + x;
      f32 px = -2.0f + 4.0f * (f32)x / kCols, py = 3.0f * (f32)y / kRows;
      m->positions[v] = Vec3{px, py, 0.25f * sinf(px * 3.0f) * cosf(py * 2.0f)};
      f32 nx = -0.5f * cosf(px * 3.0f), len = sqrtf(nx * nx + 1.0f);
      m->normals[v] = Vec3{nx / len, 0, -1.0f / len};
      m->uvs[v] = Vec2{(f32)x / kCols, (f32)y / kRows};
    }
  m->polygonCount = 0;
  for (int y = 0; y < kRows; y++)
    for (int x = 0; x < kCols; x++) {
      Polygon3 &p = m->polygons[m->polygonCount];
      p = Polygon3{};
      const u32 a = (u32)(y * cols1 + x), b = a + (u32)cols1, c = b + 1, d = a + 1;
      // Clockwise as the camera sees them; every seventh a triangle.
      const u32 v[4] = {a, b, c, d};
      p.cornerCount = m->polygonCount % 7 == 6 ? 3 : 4;
      p.group = y < kRows / 2 ? 0 : (x < kCols / 2 ? 1 : 2);
      for (int k = 0; k < 4; k++) p.corners[k] = PolyCorner{v[k], v[k], p.group == 1 ? (u32)(m->polygonCount % 7) : (u32)k, v[k]};
      m->polygonCount++;
    }
  m->groupCount = 3;
  const f32 colour[3][4] = {{255, 255, 255, 255}, {255, 200, 120, 140}, {90, 220, 90, 255}};
  for (int g = 0; g < 3; g++) {
    m->groups[g].r = colour[g][0], m->groups[g].g = colour[g][1], m->groups[g].b = colour[g][2], m->groups[g].a = colour[g][3];
    m->groups[g].shading = 4;
  }
  m->groups[0].texture = 1;
  m->groups[2].mirror = 1;
  m->groups[2].specular = 1;
  for (int c = 0; c < 4; ++c) m->color[c] = 255;
  m->lighting = 1;
  m->displayMode = 2;
  m->normalUpdate = 1;
  m->shown = 1;
  g_ModelPoses[0]->textures[1] = MakeTexture(dev, [](int x, int y) { return ((x / 4 + y / 4) & 1) ? 0xFFFFFFFFu : 0xFFD03020u; });
  Model3_CalcNormals(m);
  return m;
}

TEST_F(RenderIndexWin, IndexedBatchesDrawThePlainListsPicture) {
  Model3 *m = Sheet(t.device);
  Place(0, 0, 0, 0);
  struct Case {
    const char *what;
    u32 shading[3];
    i32 displayMode, vertexColours;
  };
  const Case cases[] = {
      {"Gouraud, solid", {4, 4, 4}, 2, 0},         {"Gouraud, vertex colours", {4, 4, 4}, 2, 1},
      {"flat and wire", {3, 2, 3}, 2, 1},          {"points among the others", {1, 4, 3}, 2, 0},
      {"display: wireframe", {4, 4, 4}, 1, 1},     {"display: points", {4, 3, 4}, 0, 0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    for (int g = 0; g < 3; g++) m->groups[g].shading = c.shading[g];
    m->displayMode = c.displayMode;
    m->vertexColorMode = c.vertexColours;
    std::vector<unsigned> plain = Draw(1);
    u32 plainIndexed = s_IndexedDraws;   // the frame's other indexed draws
    std::vector<unsigned> indexed = Draw(0);
    EXPECT_GT(s_IndexedDraws, plainIndexed) << "the sheet went out unindexed";
    ASSERT_EQ(plain.size(), (size_t)(W * H));
    ASSERT_EQ(indexed.size(), plain.size());
    size_t drawn = 0, differ = 0;
    for (size_t i = 0; i < plain.size(); i++) {
      drawn += plain[i] != plain[0];
      differ += plain[i] != indexed[i];
    }
    EXPECT_GT(drawn, (size_t)(W * H / 20)) << "the sheet drew next to nothing";
    EXPECT_EQ(differ, 0u);
  }
}

}  // namespace
