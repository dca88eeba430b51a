// Quaternions, 4x4 matrices and the key interpolation curve shared by every model kind,
// the scene objects and the renderer.
//
// Conventions relied on by stored files and every caller:
//  - Quat is x, y, z, w; identity (0, 0, 0, 1).
//  - Mat4 is stored row by row, m[r][c] = float 4r + c; points are row vectors multiplied on
//    the left (p' = p * M), so translation sits in elements 12..14 and A * B applies A first.
//  - Quat_ToMatrix builds the transpose of the usual column-vector matrix (a row vector turns
//    by the conjugate rotation); Quat_FromMatrix is its inverse. Never swap in another layout.
//  - Angles are degrees. Quat_FromAxisAngle divides by 57.32 (not 57.2958): stored motions
//    were made with that constant.
// All arithmetic is single precision; the model code is built with -ffp-contract=off.
#pragma once
#include "model/types.h"

struct Quat {
  f32 x, y, z, w;
};

struct Mat4 {
  union {
    f32 m[4][4];
    f32 f[16];
  };
};

// The mean of two and of four values. The plain sums are used where they are finite (the
// results every caller relies on); where the sum alone overflows, as it does with coordinates
// near the float limit, the values are scaled first so the mean stays finite.
static inline f32 Math_Mean2(f32 a, f32 b) {
  f32 s = 0.5f * (a + b);
  return __builtin_isinf(s) ? 0.5f * a + 0.5f * b : s;
}
static inline f32 Math_Mean4(f32 a, f32 b, f32 c, f32 d) {
  f32 s = 0.25f * (a + b + c + d);
  return __builtin_isinf(s) ? ((0.25f * a + 0.25f * b) + 0.25f * c) + 0.25f * d : s;
}

void Quat_Identity(Quat *out);
// Rotation matrix of (x, y, z, w) in this program's layout (see the header comment).
void Quat_ToMatrix(Mat4 *out, f32 x, f32 y, f32 z, f32 w);
// Inverse of Quat_ToMatrix. Uses the trace formula where it is well conditioned and the
// largest-diagonal formulas near 180 degrees, so the result is always finite.
void Quat_FromMatrix(Quat *out, Mat4 m);
// (axis * sin h, cos h) with h = angle / 57.32 / 2; the axis is not normalised.
void Quat_FromAxisAngle(Quat *out, f32 ax, f32 ay, f32 az, f32 angleDeg);
// Unit quaternion; identity when the length is below 1e-7.
void Quat_Normalize(Quat *q);
// Inverse (conjugate / squared length); identity for a zero quaternion.
void Quat_Inverse(Quat *out, f32 x, f32 y, f32 z, f32 w);
// q := normalise(q (x) r), Hamilton product with q on the left.
void Quat_MulInPlace(Quat *q, Quat r);

void Mat_Identity(Mat4 *out);
// out = a * b; out may alias either input (both are taken by value).
void Mat_Multiply(Mat4 *out, Mat4 a, Mat4 b);
// out[0..2] = (x, y, z, 1) * m without the perspective divide.
void Mat_TransformPoint(f32 out[3], f32 x, f32 y, f32 z, Mat4 m);
void Mat_Translation(Mat4 *out, f32 x, f32 y, f32 z);
void Mat_Scaling(Mat4 *out, f32 x, f32 y, f32 z);
void Mat_RotationX(Mat4 *out, f32 angleDeg);
void Mat_RotationY(Mat4 *out, f32 angleDeg);
void Mat_RotationZ(Mat4 *out, f32 angleDeg);
// S * R(q) * T.
void Mat_ComposeSRTQuat(Mat4 *out, f32 px, f32 py, f32 pz, f32 qx, f32 qy, f32 qz, f32 qw,
                        f32 sx, f32 sy, f32 sz);
// S * RotX(b) * RotY(a) * RotZ(-c) * T: a is the Y angle, b the X angle, c the negated Z angle.
void Mat_ComposeSRTEuler(Mat4 *out, f32 px, f32 py, f32 pz, f32 a, f32 b, f32 c,
                         f32 sx, f32 sy, f32 sz);
// Flattens points onto y = 0 along (dx, dy, dz). A direction with |dy| below 1e-4 is treated
// as dy = -1e-4 (or +1e-4) so the matrix stays finite.
void Mat_ShadowProjection(Mat4 *out, f32 dx, f32 dy, f32 dz);

// Hermite curve with Catmull-Rom tangents through p1 (t = 0) and p2 (t = 1).
f32 Motion_HermiteCatmullRom(f32 p0, f32 p1, f32 p2, f32 p3, f32 t);
