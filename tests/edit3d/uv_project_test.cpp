// The 3D group projection's goldens by mapping mode: top and side planar (centre term
// included), cylinder (on-axis corners v 0 or 1, t 0.5), sphere, the seam (a triangle
// becomes a quad, on-axis corners take off-axis u, u > 0.75 lifts u < 0.25 by one turn) and a
// planar scale dragged to 0 (that term 0, every UV finite).
#include <gtest/gtest.h>
#include <math.h>

#include <vector>

#include "edit3d/uv.h"
#include "model/model3.h"

namespace {

struct Case {
  const char *what;
  u8 mode;
  std::vector<Vec3> corners;
  std::vector<Vec2> want;   // per corner after the projection
  i32 cornersAfter;
};

Vec3 Around(f32 degrees, f32 y) {
  f32 a = degrees * 3.14159265f / 180.0f;
  return {cosf(a), y, sinf(a)};
}

TEST(UvProject3D, GoldensByMode) {
  const f32 u80 = 80.0f / 360.0f + 0.75f, u100 = 100.0f / 360.0f - 0.25f + 1.0f;
  const std::vector<Case> cases = {
      {"top: x and z, v from the top", UV_MAP_TOP, {{0, 5, 0}, {2, 5, 0}, {2, 5, 4}}, {{1, 3}, {2, 3}, {2, 2}}, 3},
      {"side: z and y", UV_MAP_SIDE, {{0, 0, 0}, {0, 0, 2}, {0, 4, 2}}, {{1, 3}, {2, 3}, {2, 2}}, 3},
      {"cylinder: a triangle with its apex on the axis becomes a quad; the apex takes the larger "
       "off-axis u",
       UV_MAP_CYLINDER, {{0, 2, 0}, {1, 0, 0}, {0, 0, 1}}, {{0.75f, 0}, {0.75f, 0.75f}, {0, 0.75f}, {0.75f, 0}}, 4},
      {"cylinder: on the axis, v 1 below y 0 and 0 above, u from t 0.5", UV_MAP_CYLINDER, {{0, -1, 0}, {0, 1, 0.05f}}, {{0.25f, 1}, {0.25f, 0}}, 2},
      {"cylinder across the seam: u below 0.25 lifted by one turn", UV_MAP_CYLINDER,
       {Around(80, 0), Around(100, 0), Around(100, 1), Around(80, 1)},
       {{u80, 0.75f}, {u100, 0.75f}, {u100, 0.25f}, {u80, 0.25f}}, 4},
      {"sphere: angle u, v from the top", UV_MAP_SPHERE, {{1, 0, 0}, {-1, 2, 0}, {-1, 4, 0}}, {{0.75f, 1}, {0.25f, 0.5f}, {0.25f, 0}}, 4},
  };
  for (const Case &c : cases) {
    g_ModelAllocArrays = 1;
    Model3 *m = Model3_New();
    m->groupCount = 1;
    m->groups[0].mapping = c.mode;
    Polygon3 &p = m->polygons[0];
    p.cornerCount = (u8)c.corners.size();
    for (size_t k = 0; k < c.corners.size(); k++) {
      m->positions[k] = c.corners[k];
      p.corners[k].vertex = p.corners[k].uv = (u32)k;
    }
    m->positionCount = m->uvCount = (i32)c.corners.size();
    m->polygonCount = 1;
    ASSERT_TRUE(Uv_ProjectGroup(m, 0)) << c.what;
    EXPECT_EQ(p.cornerCount, c.cornersAfter) << c.what;
    for (size_t k = 0; k < c.want.size(); k++) {
      Vec2 got = m->uvs[p.corners[k].uv];
      EXPECT_NEAR(got.u, c.want[k].u, 1e-4f) << c.what << " corner " << k;
      EXPECT_NEAR(got.v, c.want[k].v, 1e-4f) << c.what << " corner " << k;
    }
    Model3_Free(m);
  }
}

TEST(UvProject3D, ZeroScaleStaysFinite) {
  g_ModelAllocArrays = 1;
  Model3 *m = Model3_New();
  m->groupCount = 1;
  m->groups[0].scaleU = 0;
  m->groups[0].scaleV = 1e-9f;
  Polygon3 &p = m->polygons[0];
  p.cornerCount = 3;
  const Vec3 pts[3] = {{0, 0, 0}, {2, 0, 0}, {2, 4, 0}};
  for (u32 k = 0; k < 3; k++) {
    m->positions[k] = pts[k];
    p.corners[k].vertex = p.corners[k].uv = k;
  }
  m->positionCount = m->uvCount = 3;
  m->polygonCount = 1;
  Uv_ProjectGroup(m, 0);
  for (u32 k = 0; k < 3; k++) {
    EXPECT_FLOAT_EQ(m->uvs[k].u, 1.5f) << k;   // centre 1 + 0.5, the divided term 0
    EXPECT_FLOAT_EQ(m->uvs[k].v, 2.5f) << k;
  }
  Model3_Free(m);
}

// Where the copies that give each corner of the group its own UV entry would pass the
// capacity, the projection is refused and the model is left as it was.
TEST(UvProject3D, NoRoomForOwnEntriesChangesNothing) {
  g_ModelAllocArrays = 1;
  Model3 *m = Model3_New();
  m->groupCount = 1;
  const Vec3 pts[4] = {{0, 0, 0}, {2, 0, 0}, {2, 4, 0}, {0, 4, 0}};
  m->polygons[0].cornerCount = 4;
  for (u32 k = 0; k < 4; k++) {
    m->positions[k] = pts[k];
    m->polygons[0].corners[k].vertex = k;   // every corner on entry 0
  }
  m->positionCount = 4;
  m->polygonCount = 1;
  m->uvs[0] = {0.125f, 0.875f};
  m->uvCount = 1;
  u32 saved = g_MaxVertices;
  g_MaxVertices = 3;   // 1 + 3 copies would make 4
  EXPECT_FALSE(Uv_ProjectGroup(m, 0));
  g_MaxVertices = saved;
  EXPECT_EQ(m->uvCount, 1);
  for (u32 k = 0; k < 4; k++) EXPECT_EQ(m->polygons[0].corners[k].uv, 0u);
  EXPECT_FLOAT_EQ(m->uvs[0].u, 0.125f);
  EXPECT_FLOAT_EQ(m->uvs[0].v, 0.875f);
  Model3_Free(m);
}

}  // namespace
