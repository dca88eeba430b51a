// Quaternion, matrix and key-interpolation helpers (see model/math.h for the conventions).
#include "model/math.h"

#include <math.h>
#include <string.h>

// 2 pi as the float the rotation helpers have always used.
static const f32 kTwoPi = 6.2831855f;
// Degrees per radian of Quat_FromAxisAngle; stored motions depend on this exact value.
static const f32 kAxisAngleDegrees = 57.32f;

static f32 DegToRad(f32 deg) { return deg * kTwoPi / 360.0f; }

// [SECTION] Quaternions

void Quat_Identity(Quat *out) {
  out->x = 0.0f;
  out->y = 0.0f;
  out->z = 0.0f;
  out->w = 1.0f;
}

void Quat_ToMatrix(Mat4 *out, f32 x, f32 y, f32 z, f32 w) {
  f32 xx = x * x, yy = y * y, zz = z * z;
  f32 xy = x * y, xz = x * z, yz = y * z;
  f32 wx = w * x, wy = w * y, wz = w * z;
  Mat_Identity(out);
  out->m[0][0] = 1.0f - 2.0f * (yy + zz);
  out->m[0][1] = 2.0f * (xy - wz);
  out->m[0][2] = 2.0f * (xz + wy);
  out->m[1][0] = 2.0f * (xy + wz);
  out->m[1][1] = 1.0f - 2.0f * (xx + zz);
  out->m[1][2] = 2.0f * (yz - wx);
  out->m[2][0] = 2.0f * (xz - wy);
  out->m[2][1] = 2.0f * (yz + wx);
  out->m[2][2] = 1.0f - 2.0f * (xx + yy);
}

void Quat_FromMatrix(Quat *out, Mat4 m) {
  f32 diag = m.m[0][0] + m.m[1][1] + m.m[2][2];
  if (diag > 0.0f) {
    // |w| >= 0.5 here: the classic trace formula is exact enough and matches stored data.
    f32 s = sqrtf(m.m[0][0] + m.m[1][1] + m.m[2][2] + m.m[3][3]);
    out->w = s / 2.0f;
    out->x = (m.m[2][1] - m.m[1][2]) / (2.0f * s);
    out->y = (m.m[0][2] - m.m[2][0]) / (2.0f * s);
    out->z = (m.m[1][0] - m.m[0][1]) / (2.0f * s);
    return;
  }
  // Near 180 degrees w tends to 0: divide by the largest of x, y, z instead.
  if (m.m[0][0] >= m.m[1][1] && m.m[0][0] >= m.m[2][2]) {
    f32 s = sqrtf(fmaxf(0.0f, 1.0f + m.m[0][0] - m.m[1][1] - m.m[2][2])) * 2.0f;
    out->x = s / 4.0f;
    out->w = (m.m[2][1] - m.m[1][2]) / s;
    out->y = (m.m[0][1] + m.m[1][0]) / s;
    out->z = (m.m[0][2] + m.m[2][0]) / s;
  } else if (m.m[1][1] >= m.m[2][2]) {
    f32 s = sqrtf(fmaxf(0.0f, 1.0f + m.m[1][1] - m.m[0][0] - m.m[2][2])) * 2.0f;
    out->y = s / 4.0f;
    out->w = (m.m[0][2] - m.m[2][0]) / s;
    out->x = (m.m[0][1] + m.m[1][0]) / s;
    out->z = (m.m[1][2] + m.m[2][1]) / s;
  } else {
    f32 s = sqrtf(fmaxf(0.0f, 1.0f + m.m[2][2] - m.m[0][0] - m.m[1][1])) * 2.0f;
    out->z = s / 4.0f;
    out->w = (m.m[1][0] - m.m[0][1]) / s;
    out->x = (m.m[0][2] + m.m[2][0]) / s;
    out->y = (m.m[1][2] + m.m[2][1]) / s;
  }
  if (!(fabsf(out->x) + fabsf(out->y) + fabsf(out->z) + fabsf(out->w) < INFINITY)) Quat_Identity(out);
}

void Quat_FromAxisAngle(Quat *out, f32 ax, f32 ay, f32 az, f32 angleDeg) {
  f32 h = angleDeg / kAxisAngleDegrees;
  h = h * 0.5f;
  f32 s = sinf(h);
  out->x = ax * s;
  out->y = ay * s;
  out->z = az * s;
  out->w = cosf(h);
}

void Quat_Normalize(Quat *q) {
  f32 n = sqrtf(q->x * q->x + q->y * q->y + q->z * q->z + q->w * q->w);
  if (fabsf(n) < 1e-7f) {
    Quat_Identity(q);
    return;
  }
  q->x /= n;
  q->y /= n;
  q->z /= n;
  q->w /= n;
}

void Quat_Inverse(Quat *out, f32 x, f32 y, f32 z, f32 w) {
  f32 d = x * x + y * y + z * z + w * w;
  if (!(d > 0.0f)) {
    Quat_Identity(out);
    return;
  }
  f32 inv = 1.0f / d;
  out->x = -x * inv;
  out->y = -y * inv;
  out->z = -z * inv;
  out->w = w * inv;
}

void Quat_MulInPlace(Quat *q, Quat r) {
  Quat a = *q;
  q->x = a.w * r.x + a.x * r.w + a.y * r.z - a.z * r.y;
  q->y = a.w * r.y - a.x * r.z + a.y * r.w + a.z * r.x;
  q->z = a.w * r.z + a.x * r.y - a.y * r.x + a.z * r.w;
  q->w = a.w * r.w - a.x * r.x - a.y * r.y - a.z * r.z;
  Quat_Normalize(q);
}

// [SECTION] Matrices

void Mat_Identity(Mat4 *out) {
  memset(out, 0, sizeof *out);
  out->m[0][0] = out->m[1][1] = out->m[2][2] = out->m[3][3] = 1.0f;
}

void Mat_Multiply(Mat4 *out, Mat4 a, Mat4 b) {
  for (int i = 0; i < 4; i++)
    for (int j = 0; j < 4; j++) {
      f32 s = 0.0f;
      for (int k = 0; k < 4; k++) s += a.m[i][k] * b.m[k][j];
      out->m[i][j] = s;
    }
}

void Mat_TransformPoint(f32 out[3], f32 x, f32 y, f32 z, Mat4 m) {
  for (int c = 0; c < 3; c++) out[c] = x * m.m[0][c] + y * m.m[1][c] + z * m.m[2][c] + m.m[3][c];
}

void Mat_Translation(Mat4 *out, f32 x, f32 y, f32 z) {
  Mat_Identity(out);
  out->m[3][0] = x;
  out->m[3][1] = y;
  out->m[3][2] = z;
}

void Mat_Scaling(Mat4 *out, f32 x, f32 y, f32 z) {
  Mat_Identity(out);
  out->m[0][0] = x;
  out->m[1][1] = y;
  out->m[2][2] = z;
}

// A rotation in the plane of axes a and b: the three axis rotations differ only in the pair.
static void PlaneRotation(Mat4 *out, f32 angleDeg, int a, int b) {
  f32 r = DegToRad(angleDeg), c = cosf(r), s = sinf(r);
  Mat_Identity(out);
  out->m[a][a] = c;
  out->m[a][b] = s;
  out->m[b][a] = -s;
  out->m[b][b] = c;
}

void Mat_RotationX(Mat4 *out, f32 angleDeg) { PlaneRotation(out, angleDeg, 1, 2); }
void Mat_RotationY(Mat4 *out, f32 angleDeg) { PlaneRotation(out, angleDeg, 2, 0); }
void Mat_RotationZ(Mat4 *out, f32 angleDeg) { PlaneRotation(out, angleDeg, 0, 1); }

void Mat_ComposeSRTQuat(Mat4 *out, f32 px, f32 py, f32 pz, f32 qx, f32 qy, f32 qz, f32 qw,
                        f32 sx, f32 sy, f32 sz) {
  Mat4 s, r, t;
  Mat_Scaling(&s, sx, sy, sz);
  Quat_ToMatrix(&r, qx, qy, qz, qw);
  Mat_Translation(&t, px, py, pz);
  Mat_Multiply(out, s, r);
  Mat_Multiply(out, *out, t);
}

void Mat_ComposeSRTEuler(Mat4 *out, f32 px, f32 py, f32 pz, f32 a, f32 b, f32 c,
                         f32 sx, f32 sy, f32 sz) {
  Mat4 t, s, rz, ry, rx;
  Mat_Translation(&t, px, py, pz);
  Mat_Scaling(&s, sx, sy, sz);
  Mat_RotationZ(&rz, -c);
  Mat_RotationY(&ry, a);
  Mat_RotationX(&rx, b);
  Mat_Multiply(out, s, rx);
  Mat_Multiply(out, *out, ry);
  Mat_Multiply(out, *out, rz);
  Mat_Multiply(out, *out, t);
}

void Mat_ShadowProjection(Mat4 *out, f32 dx, f32 dy, f32 dz) {
  // A light parallel to the ground would divide by zero: keep the smallest usable slope.
  const f32 kMinDy = 1e-4f;
  if (!(fabsf(dy) >= kMinDy)) dy = (dy > 0.0f) ? kMinDy : -kMinDy;
  Mat_Identity(out);
  out->m[1][0] = -dx / dy;
  out->m[1][1] = 0.0f;
  out->m[1][2] = -dz / dy;
  out->m[1][3] = 0.0f;
}

// [SECTION] Key interpolation

f32 Motion_HermiteCatmullRom(f32 p0, f32 p1, f32 p2, f32 p3, f32 t) {
  f32 t2 = t * t;
  f32 t3 = t2 * t;
  f32 m0 = 0.5f * ((p1 - p0) + (p2 - p1));
  f32 m1 = 0.5f * ((p2 - p1) + (p3 - p2));
  f32 h00 = 2.0f * t3 - 3.0f * t2 + 1.0f;
  f32 h10 = t3 - 2.0f * t2 + t;
  f32 h01 = 3.0f * t2 - 2.0f * t3;
  f32 h11 = t3 - t2;
  return h00 * p1 + h10 * m0 + h01 * p2 + h11 * m1;
}
