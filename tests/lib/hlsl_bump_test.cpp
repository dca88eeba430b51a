// Arithmetic of the bump-mapped samples: matrix inverse, the pot's light and eye vectors,
// the ground's orbiting light, and our tangents (Wine's D3DX has no D3DXComputeTangent).
#include <gtest/gtest.h>

#include <math.h>
#include <string.h>

#include <vector>

#include "lib/render/bump.h"

namespace {

TEST(BumpArithmetic, InverseUndoesTheMatrixAndRefusesSingularOnes) {
  Mat4 m, inv, prod;
  Mat4 r, t;
  Mat_RotationX(&r, 33);
  Mat_Translation(&t, 4, -2, 9);
  Mat_Multiply(&m, r, t);
  m.m[0][1] += 0.5f;  // not only a rotation
  ASSERT_TRUE(Bump_Invert(&inv, &m));
  Mat_Multiply(&prod, m, inv);
  for (int i = 0; i < 4; i++)
    for (int j = 0; j < 4; j++) EXPECT_NEAR(prod.m[i][j], i == j ? 1.0f : 0.0f, 1e-5f);
  Mat4 zero{};
  EXPECT_FALSE(Bump_Invert(&inv, &zero));
  EXPECT_EQ(inv.m[0][0], 1.0f);
}

TEST(BumpArithmetic, PotVectorsFollowTheTurningWorld) {
  Mat4 view, world;
  Mat_Translation(&view, 0, 0, 10);
  f32 light[4], eye[4];
  Bump_TeapotVectors(0.0f, &view, &world, light, eye);
  const f32 s = 1.0f / sqrtf(3.0f);
  EXPECT_NEAR(light[0], -s, 1e-6f);
  EXPECT_NEAR(light[1], -s, 1e-6f);
  EXPECT_NEAR(light[2], s, 1e-6f);
  EXPECT_EQ(light[3], -0.7f);
  EXPECT_NEAR(eye[2], -10.0f, 1e-5f);  // the camera 10 in front of the pot
  // A quarter turn of the pot turns the light the other way in the pot's own space.
  Bump_TeapotVectors(1.5707963f, &view, &world, light, eye);
  EXPECT_NEAR(light[0], -s, 1e-5f);
  EXPECT_NEAR(light[2], -s, 1e-5f);
}

TEST(BumpArithmetic, GroundLightOrbitsAndEyeDepthIsFixed) {
  Mat4 view, world;
  Mat_Identity(&view);
  f32 dir[4], inv[4], eye[4];
  Bump_GroundVectors(0.0f, &view, &world, dir, inv, eye);
  EXPECT_EQ(world.m[3][1], 19.0f);
  EXPECT_EQ(world.m[3][2], -55.0f);
  // L = (50, 0, -10): a direction, so the ground's translation does not move it.
  EXPECT_NEAR(dir[0], 50.0f / sqrtf(2600.0f), 1e-5f);
  EXPECT_NEAR(dir[2], -10.0f / sqrtf(2600.0f), 1e-5f);
  EXPECT_NEAR(inv[0], dir[0], 1e-6f);
  EXPECT_EQ(dir[3], -0.3f);
  EXPECT_EQ(eye[2], -10.0f);
  EXPECT_NEAR(eye[1], -19.0f, 1e-4f);
}

struct PotVertex {
  f32 pos[3], normal[3], tangent[3], uv[2];
};

TEST(BumpArithmetic, TangentsPointAlongRisingUAndStayPerpendicular) {
  // A quad in the xy plane facing -z whose u rises with x, plus a vertex no index reaches.
  std::vector<PotVertex> v = {
      {{0, 0, 0}, {0, 0, -1}, {9, 9, 9}, {0, 0}},
      {{1, 0, 0}, {0, 0, -1}, {9, 9, 9}, {1, 0}},
      {{1, 1, 0}, {0, 0, -1}, {9, 9, 9}, {1, 1}},
      {{0, 1, 0}, {0, 0, -1}, {9, 9, 9}, {0, 1}},
      {{5, 5, 5}, {0, 1, 0}, {9, 9, 9}, {0, 0}},
  };
  const u16 idx[] = {0, 1, 2, 0, 2, 3, 0, 1, 77};  // the last triangle names a missing vertex
  Bump_ComputeTangents((u8 *)v.data(), sizeof(PotVertex), (u32)v.size(), idx, 3);
  for (int i = 0; i < 4; i++) {
    EXPECT_NEAR(v[i].tangent[0], 1.0f, 1e-5f) << i;
    EXPECT_NEAR(v[i].tangent[1], 0.0f, 1e-5f);
    EXPECT_NEAR(v[i].tangent[2], 0.0f, 1e-5f);
  }
  const f32 *t = v[4].tangent;  // untouched by any triangle: some unit vector across the normal
  EXPECT_NEAR(t[0] * t[0] + t[1] * t[1] + t[2] * t[2], 1.0f, 1e-5f);
  EXPECT_NEAR(t[1], 0.0f, 1e-5f);
}

}  // namespace
