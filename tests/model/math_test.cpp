// Quaternion, matrix and interpolation helpers: the documented values, exact where the
// arithmetic is exact, and the round trips the editors rely on (180 degrees included).
#include <gtest/gtest.h>
#include <math.h>

#include "model/math.h"

static Mat4 MatFrom(const f32 (&v)[16]) {
  Mat4 m;
  for (int i = 0; i < 16; i++) m.f[i] = v[i];
  return m;
}

TEST(Quat, NormalizeAndInverseEdgeValues) {
  Quat q = {0, 0, 0, 0};
  Quat_Normalize(&q);
  EXPECT_EQ(q.x, 0.0f); EXPECT_EQ(q.w, 1.0f);
  q = {0, 0, 0, 5e-8f};
  Quat_Normalize(&q);
  EXPECT_EQ(q.w, 1.0f);
  q = {0, 0, 0, 2};
  Quat_Normalize(&q);
  EXPECT_EQ(q.w, 1.0f); EXPECT_EQ(q.x, 0.0f);

  Quat r;
  Quat_Inverse(&r, 0, 0, 0, 0);
  EXPECT_EQ(r.w, 1.0f); EXPECT_EQ(r.x, 0.0f);
  Quat_Inverse(&r, 1, 0, 0, 1);
  EXPECT_EQ(r.x, -0.5f); EXPECT_EQ(r.y, 0.0f); EXPECT_EQ(r.z, 0.0f); EXPECT_EQ(r.w, 0.5f);
}

TEST(Quat, AxisAngleUsesItsOwnDegreeConstant) {
  Quat q;
  Quat_FromAxisAngle(&q, 0, 0, 1, 90);
  f32 h = 90.0f / 57.32f;
  h = h * 0.5f;
  EXPECT_EQ(q.w, cosf(h));
  EXPECT_EQ(q.z, sinf(h));
  EXPECT_NEAR(q.w, 0.707341f, 1e-6f);
  Quat_FromAxisAngle(&q, 0, 0, 2, 90);   // the axis is not normalised
  EXPECT_GT(q.z * q.z + q.w * q.w, 1.0f);
}

TEST(Quat, MatrixLayoutAndRoundTrip) {
  f32 s = sinf(0.78539816f), c = cosf(0.78539816f);
  Mat4 m;
  Quat_ToMatrix(&m, 0, 0, s, c);
  EXPECT_NEAR(m.m[0][1], -1.0f, 1e-6f);
  EXPECT_NEAR(m.m[1][0], 1.0f, 1e-6f);
  EXPECT_EQ(m.m[3][3], 1.0f);
  Quat q;
  Quat_FromMatrix(&q, m);
  EXPECT_NEAR(q.x, 0.0f, 1e-6f); EXPECT_NEAR(q.y, 0.0f, 1e-6f);
  EXPECT_NEAR(q.z, s, 1e-6f); EXPECT_NEAR(q.w, c, 1e-6f);

  // Exactly the trace formula where it applies (identity gives identity bit for bit).
  Mat_Identity(&m);
  Quat_FromMatrix(&q, m);
  EXPECT_EQ(q.x, 0.0f); EXPECT_EQ(q.y, 0.0f); EXPECT_EQ(q.z, 0.0f); EXPECT_EQ(q.w, 1.0f);
}

TEST(Quat, FromMatrixIsFiniteAndCorrectAt180Degrees) {
  // 180 degrees about each axis and about a diagonal: the trace is 0 there.
  const f32 axes[][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0.57735027f, 0.57735027f, 0.57735027f}};
  for (auto &a : axes) {
    for (f32 angle : {179.0f, 180.0f, 181.0f, 120.0f, 200.0f}) {
      f32 h = angle * 3.14159265f / 360.0f;
      Quat in = {a[0] * sinf(h), a[1] * sinf(h), a[2] * sinf(h), cosf(h)};
      Mat4 m, back;
      Quat_ToMatrix(&m, in.x, in.y, in.z, in.w);
      Quat q;
      Quat_FromMatrix(&q, m);
      ASSERT_TRUE(isfinite(q.x) && isfinite(q.y) && isfinite(q.z) && isfinite(q.w)) << angle;
      Quat_ToMatrix(&back, q.x, q.y, q.z, q.w);
      for (int i = 0; i < 16; i++) EXPECT_NEAR(back.f[i], m.f[i], 2e-6f) << angle << " element " << i;
    }
  }
}

TEST(Quat, ProductIsHamiltonThenNormalised) {
  Quat q = {0, 0, 0, 2}, r = {1, 0, 0, 0};
  Quat_MulInPlace(&q, r);   // 2 * i, normalised
  EXPECT_EQ(q.x, 1.0f); EXPECT_EQ(q.w, 0.0f);
  Quat i = {1, 0, 0, 0}, j = {0, 1, 0, 0};
  Quat_MulInPlace(&i, j);   // i * j = k
  EXPECT_EQ(i.z, 1.0f); EXPECT_EQ(i.x, 0.0f); EXPECT_EQ(i.y, 0.0f); EXPECT_EQ(i.w, 0.0f);
}

TEST(Mat, ProductAliasesAndTransform) {
  const f32 a[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  Mat4 m = MatFrom(a), id;
  Mat_Identity(&id);
  Mat4 p = m;
  Mat_Multiply(&p, p, p);   // out aliases both inputs
  EXPECT_EQ(p.m[0][0], 90.0f);
  EXPECT_EQ(p.m[3][3], 600.0f);
  Mat_Multiply(&p, m, id);
  for (int i = 0; i < 16; i++) EXPECT_EQ(p.f[i], a[i]);

  f32 out[3];
  Mat4 t;
  Mat_Translation(&t, 1, 2, 3);
  Mat_TransformPoint(out, 10, 20, 30, t);
  EXPECT_EQ(out[0], 11.0f); EXPECT_EQ(out[1], 22.0f); EXPECT_EQ(out[2], 33.0f);
  Mat4 s;
  Mat_Scaling(&s, 2, 3, 4);
  Mat_TransformPoint(out, 1, 1, 1, s);
  EXPECT_EQ(out[0], 2.0f); EXPECT_EQ(out[1], 3.0f); EXPECT_EQ(out[2], 4.0f);
}

TEST(Mat, EulerCompositionSendsAxesWhereDocumented) {
  Mat4 m;
  f32 out[3];
  Mat_ComposeSRTEuler(&m, 0, 0, 0, 0, 0, 90, 1, 1, 1);
  Mat_TransformPoint(out, 1, 0, 0, m);
  EXPECT_NEAR(out[0], 0.0f, 1e-6f); EXPECT_NEAR(out[1], -1.0f, 1e-6f); EXPECT_NEAR(out[2], 0.0f, 1e-6f);
  Mat_ComposeSRTEuler(&m, 0, 0, 0, 90, 0, 0, 1, 1, 1);
  Mat_TransformPoint(out, 1, 0, 0, m);
  EXPECT_NEAR(out[0], 0.0f, 1e-6f); EXPECT_NEAR(out[1], 0.0f, 1e-6f); EXPECT_NEAR(out[2], -1.0f, 1e-6f);
  // Scale first, translation last.
  Mat_ComposeSRTEuler(&m, 5, 6, 7, 0, 0, 0, 2, 2, 2);
  Mat_TransformPoint(out, 1, 1, 1, m);
  EXPECT_EQ(out[0], 7.0f); EXPECT_EQ(out[1], 8.0f); EXPECT_EQ(out[2], 9.0f);
}

TEST(Mat, QuatCompositionMatchesEulerAboutOneAxis) {
  // RotZ(-c) of the angle form equals the quaternion form's rotation about +z by c.
  Mat4 a, b;
  f32 h = 30.0f * 3.14159265f / 360.0f;
  Mat_ComposeSRTQuat(&a, 1, 2, 3, 0, 0, sinf(h), cosf(h), 2, 2, 2);
  Mat_ComposeSRTEuler(&b, 1, 2, 3, 0, 0, 30, 2, 2, 2);
  for (int i = 0; i < 16; i++) EXPECT_NEAR(a.f[i], b.f[i], 1e-5f) << i;
}

TEST(Mat, RotationsUseTheirOwnRadianConstant) {
  Mat4 m;
  Mat_RotationX(&m, 30);
  f32 r = 30.0f * 6.2831855f / 360.0f;
  EXPECT_EQ(m.m[1][1], cosf(r)); EXPECT_EQ(m.m[1][2], sinf(r)); EXPECT_EQ(m.m[2][1], -sinf(r));
  Mat_RotationY(&m, 30);
  EXPECT_EQ(m.m[0][2], -sinf(r)); EXPECT_EQ(m.m[2][0], sinf(r));
  Mat_RotationZ(&m, 30);
  EXPECT_EQ(m.m[0][1], sinf(r)); EXPECT_EQ(m.m[1][0], -sinf(r));
}

TEST(Mat, ShadowProjectionFlattensAndStaysFinite) {
  Mat4 m;
  f32 out[3];
  Mat_ShadowProjection(&m, 1, -1, 0);
  Mat_TransformPoint(out, 0, 2, 0, m);
  EXPECT_EQ(out[0], 2.0f); EXPECT_EQ(out[1], 0.0f); EXPECT_EQ(out[2], 0.0f);
  for (f32 dy : {0.0f, -0.0f, 1e-9f, -1e-9f}) {
    Mat_ShadowProjection(&m, 1, dy, 1);
    for (int i = 0; i < 16; i++) EXPECT_TRUE(isfinite(m.f[i])) << dy;
    Mat_TransformPoint(out, 0, 1, 0, m);
    EXPECT_EQ(out[1], 0.0f);
  }
}

TEST(Motion, CatmullRomPassesThroughKeys) {
  for (f32 t : {0.0f, 0.25f, 0.5f, 0.75f, 1.0f}) {
    EXPECT_FLOAT_EQ(Motion_HermiteCatmullRom(0, 1, 2, 3, t), 1.0f + t) << t;
    EXPECT_EQ(Motion_HermiteCatmullRom(4, 4, 4, 4, t), 4.0f) << t;
  }
  EXPECT_EQ(Motion_HermiteCatmullRom(0, 1, 2, 3, 0.5f), 1.5f);
  EXPECT_EQ(Motion_HermiteCatmullRom(9, -3, 7, 1, 0.0f), -3.0f);
  EXPECT_EQ(Motion_HermiteCatmullRom(9, -3, 7, 1, 1.0f), 7.0f);
}
