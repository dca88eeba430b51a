// Records and vector arithmetic of the bump-mapped samples.
#include "lib/render/bump.h"

#include <math.h>
#include <string.h>

BumpState g_Bump;

bool Bump_Invert(Mat4 *out, const Mat4 *src) {
  // Gauss-Jordan with partial pivoting on a copy.
  f32 a[4][8];
  for (int r = 0; r < 4; r++)
    for (int c = 0; c < 4; c++) {
      a[r][c] = src->m[r][c];
      a[r][c + 4] = r == c ? 1.0f : 0.0f;
    }
  for (int c = 0; c < 4; c++) {
    int pivot = c;
    for (int r = c + 1; r < 4; r++)
      if (fabsf(a[r][c]) > fabsf(a[pivot][c])) pivot = r;
    if (fabsf(a[pivot][c]) < 1e-12f) {
      Mat_Identity(out);
      return false;
    }
    if (pivot != c)
      for (int k = 0; k < 8; k++) {
        f32 t = a[c][k];
        a[c][k] = a[pivot][k];
        a[pivot][k] = t;
      }
    f32 inv = 1.0f / a[c][c];
    for (int k = 0; k < 8; k++) a[c][k] *= inv;
    for (int r = 0; r < 4; r++) {
      if (r == c) continue;
      f32 f = a[r][c];
      for (int k = 0; k < 8; k++) a[r][k] -= f * a[c][k];
    }
  }
  for (int r = 0; r < 4; r++)
    for (int c = 0; c < 4; c++) out->m[r][c] = a[r][c + 4];
  return true;
}

void Bump_Transform(f32 out[4], const f32 v[4], const Mat4 *m) {
  f32 r[4];
  for (int c = 0; c < 4; c++) r[c] = v[0] * m->m[0][c] + v[1] * m->m[1][c] + v[2] * m->m[2][c] + v[3] * m->m[3][c];
  memcpy(out, r, sizeof r);
}

static void Normalize3(f32 v[4], f32 w) {
  f32 len = sqrtf(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (len > 0.0f)
    for (int i = 0; i < 3; i++) v[i] /= len;
  v[3] = w;
}

void Bump_TeapotVectors(f32 angle, const Mat4 *view, Mat4 *world, f32 lightDir[4], f32 eyePos[4]) {
  // Rotation about y by angle radians (the left-handed row-vector layout of the device).
  Mat_Identity(world);
  world->m[0][0] = world->m[2][2] = cosf(angle);
  world->m[0][2] = -sinf(angle);
  world->m[2][0] = sinf(angle);
  Mat4 inv, wv, wvInv;
  Bump_Invert(&inv, world);
  const f32 dir[4] = {-1, -1, 1, 0}, origin[4] = {0, 0, 0, 1};
  Bump_Transform(lightDir, dir, &inv);
  Normalize3(lightDir, -0.7f);
  Mat_Multiply(&wv, *world, *view);
  Bump_Invert(&wvInv, &wv);
  Bump_Transform(eyePos, origin, &wvInv);
}

void Bump_GroundVectors(f32 t, const Mat4 *view, Mat4 *world, f32 lightDir[4], f32 lightInv[4], f32 eyePos[4]) {
  Mat_Translation(world, 0.0f, 19.0f, -55.0f);
  const f32 light[4] = {50.0f * cosf(5.0f * t), -50.0f * sinf(5.0f * t), -10.0f, 0.0f};
  const f32 origin[4] = {0, 0, 0, 1};
  Mat4 inv, gv, gvInv;
  Bump_Invert(&inv, world);
  Bump_Transform(lightDir, light, &inv);
  Normalize3(lightDir, -0.3f);
  Bump_Transform(lightInv, light, world);
  Normalize3(lightInv, -0.3f);
  Mat_Multiply(&gv, *world, *view);
  Bump_Invert(&gvInv, &gv);
  Bump_Transform(eyePos, origin, &gvInv);
  eyePos[2] = -10.0f;
}

static f32 *At(u8 *v, u32 stride, u32 i, u32 offset) { return (f32 *)(v + (size_t)i * stride + offset); }

void Bump_ComputeTangents(u8 *v, u32 stride, u32 count, const u16 *idx, u32 tris) {
  for (u32 i = 0; i < count; i++) memset(At(v, stride, i, 24), 0, 12);
  for (u32 t = 0; t < tris; t++) {
    u32 a = idx[3 * t], b = idx[3 * t + 1], c = idx[3 * t + 2];
    if (a >= count || b >= count || c >= count) continue;
    const f32 *pa = At(v, stride, a, 0), *pb = At(v, stride, b, 0), *pc = At(v, stride, c, 0);
    const f32 *ua = At(v, stride, a, 36), *ub = At(v, stride, b, 36), *uc = At(v, stride, c, 36);
    f32 e1[3] = {pb[0] - pa[0], pb[1] - pa[1], pb[2] - pa[2]}, e2[3] = {pc[0] - pa[0], pc[1] - pa[1], pc[2] - pa[2]};
    f32 du1 = ub[0] - ua[0], dv1 = ub[1] - ua[1], du2 = uc[0] - ua[0], dv2 = uc[1] - ua[1];
    f32 det = du1 * dv2 - du2 * dv1;
    if (fabsf(det) < 1e-12f) continue;
    f32 r = 1.0f / det;
    f32 tan[3] = {(e1[0] * dv2 - e2[0] * dv1) * r, (e1[1] * dv2 - e2[1] * dv1) * r, (e1[2] * dv2 - e2[2] * dv1) * r};
    const u32 corners[3] = {a, b, c};
    for (u32 k : corners) {
      f32 *out = At(v, stride, k, 24);
      for (int j = 0; j < 3; j++) out[j] += tan[j];
    }
  }
  for (u32 i = 0; i < count; i++) {
    const f32 *n = At(v, stride, i, 12);
    f32 *t = At(v, stride, i, 24);
    f32 d = t[0] * n[0] + t[1] * n[1] + t[2] * n[2];
    for (int j = 0; j < 3; j++) t[j] -= n[j] * d;
    f32 len = sqrtf(t[0] * t[0] + t[1] * t[1] + t[2] * t[2]);
    if (len < 1e-8f) {
      // No u direction here: any direction perpendicular to the normal.
      f32 axis[3] = {fabsf(n[0]) < 0.9f ? 1.0f : 0.0f, fabsf(n[0]) < 0.9f ? 0.0f : 1.0f, 0.0f};
      f32 d2 = axis[0] * n[0] + axis[1] * n[1];
      for (int j = 0; j < 3; j++) t[j] = axis[j] - n[j] * d2;
      len = sqrtf(t[0] * t[0] + t[1] * t[1] + t[2] * t[2]);
      if (len < 1e-8f) { t[0] = 1; t[1] = t[2] = 0; len = 1; }
    }
    for (int j = 0; j < 3; j++) t[j] /= len;
  }
}
