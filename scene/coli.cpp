// The collision set document and the geometric primitives of the collision resolution.
// Owns g_Coli (see scene/coli.h).
#include "scene/coli.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "scene/kzc.h"

ColiFacility g_Coli;

// [SECTION] The document

CollisionDoc *Coli_AllocDocument(void) {
  CollisionDoc *d = (CollisionDoc *)calloc(1, sizeof(CollisionDoc));
  if (!d) return nullptr;
  static const f32 kBounds[6] = {-32.0f, 0.0f, -32.0f, 32.0f, 32.0f, 32.0f};
  d->version = g_KzcVersion;
  memcpy(d->bounds, kBounds, sizeof kBounds);
  for (int i = 0; i < COLI_BOXES; i++) d->boxes[i].size = 5.0f;
  for (int i = 0; i < COLI_CIRCLES; i++) d->circles[i].size = 5.0f;
  Str_Copy(d->fileName, sizeof d->fileName, "新規.KZC");
  for (int i = 0; i < COLI_OBJECTS; i++) d->triangleCache[i] = -1;
  return d;
}

void Coli_FreeDocument(CollisionDoc *d) {
  if (!d) return;
  Model3_Free(d->model);
  free(d);
}

void Coli_ReplaceDocument(CollisionDoc *d) {
  if (d == g_Coli.doc) return;
  Coli_FreeDocument(g_Coli.doc);
  g_Coli.doc = d;
  // The grid may describe the freed model, whose address a later model can take.
  Coli_InvalidateGrid();
}

CollisionDoc *Coli_NewDocument(void) {
  CollisionDoc *d = Coli_AllocDocument();
  if (d) Coli_ReplaceDocument(d);
  return d;
}

// [SECTION] Geometry

f32 Vec3_Length(f32 x, f32 y, f32 z) { return sqrtf(x * x + y * y + z * z); }

void Vec3_Normalize(f32 v[3], f32 x, f32 y, f32 z) {
  f32 len = Vec3_Length(x, y, z);
  if (len == 0.0f) {
    // Dividing would give NaN: a zero vector stays zero.
    v[0] = v[1] = v[2] = 0.0f;
    return;
  }
  v[0] = x / len;
  v[1] = y / len;
  v[2] = z / len;
}

bool Coli_PointInTriangle(const f32 p[3]) {
  const ColiTriangle &t = g_Coli.triangle;
  for (int i = 0; i < 3; i++) {
    const f32 *a = t.p[i], *b = t.p[(i + 1) % 3];
    f32 e[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
    f32 q[3] = {p[0] - a[0], p[1] - a[1], p[2] - a[2]};
    f32 c[3] = {e[1] * q[2] - e[2] * q[1], e[2] * q[0] - e[0] * q[2], e[0] * q[1] - e[1] * q[0]};
    // Each product on its own, not their sum: a point on an edge passes by the tolerance.
    if (c[0] * t.n[0] < -0.0001f || c[1] * t.n[1] < -0.0001f || c[2] * t.n[2] < -0.0001f) return false;
  }
  return true;
}

bool Coli_SegmentPlane(const f32 a[3], const f32 b[3], f32 hit[3]) {
  const ColiTriangle &t = g_Coli.triangle;
  f32 D[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
  f32 nd = t.n[0] * D[0] + t.n[1] * D[1] + t.n[2] * D[2];
  // Parallel to the plane, or lying in it (0/0 would pass every test below and give NaN).
  if (!(fabsf(nd) >= 1e-9f)) return false;
  f32 tt = -(t.n[0] * a[0] + t.n[1] * a[1] + t.n[2] * a[2] + t.d) / nd;
  // Written so that a NaN parameter (from a non-finite segment) is no hit either.
  if (!(tt >= 0.0f && tt <= 1.0f)) return false;
  for (int k = 0; k < 3; k++) hit[k] = a[k] + tt * D[k];
  return Coli_PointInTriangle(hit);
}

bool Coli_SegmentTriangle(const f32 tri[9], const f32 a[3], const f32 b[3], f32 hit[3], f32 normal[3]) {
  ColiTriangle &t = g_Coli.triangle;
  memcpy(t.p, tri, sizeof t.p);
  f32 e1[3] = {t.p[1][0] - t.p[0][0], t.p[1][1] - t.p[0][1], t.p[1][2] - t.p[0][2]};
  f32 e2[3] = {t.p[2][0] - t.p[1][0], t.p[2][1] - t.p[1][1], t.p[2][2] - t.p[1][2]};
  normal[0] = e1[1] * e2[2] - e1[2] * e2[1];
  normal[1] = e1[2] * e2[0] - e1[0] * e2[2];
  normal[2] = e1[0] * e2[1] - e1[1] * e2[0];
  Vec3_Normalize(t.n, normal[0], normal[1], normal[2]);
  t.d = -(t.n[0] * t.p[0][0] + t.n[1] * t.p[0][1] + t.n[2] * t.p[0][2]);
  // A degenerate triangle has no plane: its zero normal fails the parallel test.
  return Coli_SegmentPlane(a, b, hit);
}

// [SECTION] Participation

f32 Coli_Radius(i32 i) { return i >= 0 && i < LIB_RANDOM_COUNT ? g_Lib.randomTable[i] : 0.0f; }
