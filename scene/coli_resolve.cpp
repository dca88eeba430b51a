// The per-frame collision pass: every participating scene object is kept inside the set's
// range, pushed apart from the others, pushed out of the box and circle walls and moved
// against the triangles of the collision model.
//
// The near-polygon test visits only the polygons whose first corner falls in the grid cells
// around the object; the cells hold polygon indices in ascending order and the candidates are
// sorted again, so polygons are met in the same order as a walk over the whole model.
#include <math.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>

#include "model/object.h"
#include "scene/coli.h"

// [SECTION] The near-polygon grid

enum { GRID_MAX_SIDE = 256 };
static const f32 kNear = 50.0f;   // a polygon is near within this distance in x and in z

void Coli_InvalidateGrid(void) {
  free(g_Coli.grid.cellStart);
  free(g_Coli.grid.items);
  free(g_Coli.grid.nearList);
  memset(&g_Coli.grid, 0, sizeof g_Coli.grid);
}

// A polygon the pass can use: 3 or 4 corners inside the position array, a first-corner
// normal inside the normal array and a finite first corner. Others are never near.
static bool UsablePolygon(const Model3 *m, const Polygon3 *p) {
  if (p->cornerCount < 3 || p->cornerCount > 4) return false;
  for (int c = 0; c < p->cornerCount; c++)
    if (p->corners[c].vertex >= (u32)m->positionCount) return false;
  if (p->corners[0].normal >= (u32)m->normalCount) return false;
  const Vec3 &v = m->positions[p->corners[0].vertex];
  return isfinite(v.x) && isfinite(v.z);
}

static i32 CellOf(f64 v, f64 lo, f64 cell, i32 n) {
  f64 c = floor((v - lo) / cell);
  return c < 0 ? 0 : c >= n ? n - 1 : (i32)c;
}

static bool BuildGrid(const Model3 *m) {
  Coli_InvalidateGrid();
  i32 count = m->polygons && m->positions && m->normals ? m->polygonCount : 0;
  f64 lo[2] = {INFINITY, INFINITY}, hi[2] = {-INFINITY, -INFINITY};
  for (i32 i = 0; i < count; i++) {
    if (!UsablePolygon(m, &m->polygons[i])) continue;
    const Vec3 &v = m->positions[m->polygons[i].corners[0].vertex];
    lo[0] = std::min(lo[0], (f64)v.x), hi[0] = std::max(hi[0], (f64)v.x);
    lo[1] = std::min(lo[1], (f64)v.z), hi[1] = std::max(hi[1], (f64)v.z);
  }
  ColiGrid &g = g_Coli.grid;
  if (lo[0] > hi[0]) lo[0] = hi[0] = lo[1] = hi[1] = 0.0;   // nothing usable: one empty cell
  g.cell = std::max((f64)kNear, std::max(hi[0] - lo[0], hi[1] - lo[1]) / (GRID_MAX_SIDE - 1));
  g.nx = (i32)((hi[0] - lo[0]) / g.cell) + 1;
  g.nz = (i32)((hi[1] - lo[1]) / g.cell) + 1;
  g.minX = lo[0];
  g.minZ = lo[1];
  size_t cells = (size_t)g.nx * (size_t)g.nz;
  g.cellStart = (i32 *)calloc(cells + 1, sizeof(i32));
  g.items = (i32 *)malloc(sizeof(i32) * (size_t)(count > 0 ? count : 1));
  g.nearList = (i32 *)malloc(sizeof(i32) * (size_t)(count > 0 ? count : 1));
  if (!g.cellStart || !g.items || !g.nearList) {
    Coli_InvalidateGrid();
    return false;
  }
  // Counting sort by cell keeps the ascending polygon order inside each cell.
  auto cellOfPolygon = [&](i32 i) {
    const Vec3 &v = m->positions[m->polygons[i].corners[0].vertex];
    return (size_t)CellOf(v.z, g.minZ, g.cell, g.nz) * (size_t)g.nx + (size_t)CellOf(v.x, g.minX, g.cell, g.nx);
  };
  for (i32 i = 0; i < count; i++)
    if (UsablePolygon(m, &m->polygons[i])) g.cellStart[cellOfPolygon(i) + 1]++;
  for (size_t c = 0; c < cells; c++) g.cellStart[c + 1] += g.cellStart[c];
  i32 *fill = (i32 *)malloc(sizeof(i32) * cells);
  if (!fill) {
    Coli_InvalidateGrid();
    return false;
  }
  memcpy(fill, g.cellStart, sizeof(i32) * cells);
  for (i32 i = 0; i < count; i++)
    if (UsablePolygon(m, &m->polygons[i])) g.items[fill[cellOfPolygon(i)]++] = i;
  free(fill);
  g.model = m;
  g.polygons = m->polygons;
  g.positions = m->positions;
  g.polygonCount = m->polygonCount;
  g.positionCount = m->positionCount;
  g.normalCount = m->normalCount;
  return true;
}

// The grid of the document's model, rebuilt when the model or its arrays changed.
static bool EnsureGrid(const Model3 *m) {
  const ColiGrid &g = g_Coli.grid;
  if (g.model == m && g.polygons == m->polygons && g.positions == m->positions &&
      g.polygonCount == m->polygonCount && g.positionCount == m->positionCount && g.normalCount == m->normalCount)
    return true;
  return BuildGrid(m);
}

// The polygons near (px, pz), ascending, into g_Coli.grid.nearList; returns their count.
static i32 NearPolygons(const Model3 *m, f32 px, f32 pz) {
  ColiGrid &g = g_Coli.grid;
  if (!isfinite(px) || !isfinite(pz)) return 0;   // nothing is near a non-finite point
  // One cell of margin on each side absorbs the rounding of the cell computation.
  i32 x0 = CellOf((f64)px - kNear, g.minX, g.cell, g.nx) - 1, x1 = CellOf((f64)px + kNear, g.minX, g.cell, g.nx) + 1;
  i32 z0 = CellOf((f64)pz - kNear, g.minZ, g.cell, g.nz) - 1, z1 = CellOf((f64)pz + kNear, g.minZ, g.cell, g.nz) + 1;
  x0 = std::max(x0, 0), z0 = std::max(z0, 0), x1 = std::min(x1, g.nx - 1), z1 = std::min(z1, g.nz - 1);
  i32 n = 0;
  for (i32 cz = z0; cz <= z1; cz++)
    for (i32 cx = x0; cx <= x1; cx++) {
      size_t c = (size_t)cz * (size_t)g.nx + (size_t)cx;
      for (i32 k = g.cellStart[c]; k < g.cellStart[c + 1]; k++) {
        i32 i = g.items[k];
        const Vec3 &v = m->positions[m->polygons[i].corners[0].vertex];
        if (fabsf(v.x - px) < kNear && fabsf(v.z - pz) < kNear) g.nearList[n++] = i;
      }
    }
  std::sort(g.nearList, g.nearList + n);
  return n;
}

// [SECTION] One object

// The object of number i when it takes part: it exists, its model slot holds a model and its
// collide flag is 1.
static KZL::OBJECT *Participant(i32 i) {
  KZL::OBJECT *o = Object_Get(i);
  return o && g_Coli.collide[i] == 1 && Model3_Get(o->modelSlot) ? o : nullptr;
}

// Fan triangle t of polygon p (corners 0, t + 1, t + 2) as nine floats.
static void FanTriangle(const Model3 *m, const Polygon3 *p, int t, f32 tri[9]) {
  const int c[3] = {0, t + 1, t + 2};
  for (int k = 0; k < 3; k++) {
    const Vec3 &v = m->positions[p->corners[c[k]].vertex];
    tri[3 * k] = v.x, tri[3 * k + 1] = v.y, tri[3 * k + 2] = v.z;
  }
}

struct ColiState {
  CollisionDoc *doc;
  i32 i;
  KZL::OBJECT *o;
  f32 r;
  f32 X, Y, Z;
};

static void KeepInRange(ColiState *s) {
  const f32 *b = s->doc->bounds;
  if (s->Y < b[1]) {
    s->Y = b[1];
    s->o->velocity[1] = 0.0f;
  }
  // Lower bound first, then the upper one (a range narrower than the object ends at the upper).
  if (s->X < b[0] + s->r) s->X = b[0] + s->r;
  if (s->X > b[3] - s->r) s->X = b[3] - s->r;
  if (s->Z < b[2] + s->r) s->Z = b[2] + s->r;
  if (s->Z > b[5] - s->r) s->Z = b[5] - s->r;
}

// Direction from (x, z) to (X, Z) and its length; at one spot the direction is straight up,
// which has no x or z part, so nothing is pushed.
static f32 FlatDirection(f32 X, f32 Z, f32 x, f32 z, f32 u[3]) {
  f32 D[3] = {X - x, 0.0f, Z - z};
  if (D[0] == 0.0f && D[2] == 0.0f) D[1] = 0.01f;
  f32 dist = Vec3_Length(D[0], D[1], D[2]);
  Vec3_Normalize(u, D[0], D[1], D[2]);
  return dist;
}

// Objects closer than their two radii steer apart through their movement steps.
static void PushOthers(ColiState *s) {
  for (i32 j = 0; j < COLI_OBJECTS; j++) {
    KZL::OBJECT *oj = j != s->i ? Participant(j) : nullptr;
    if (!oj) continue;
    f32 u[3], rj = Coli_Radius(j);
    f32 dist = FlatDirection(s->X, s->Z, oj->pos[0], oj->pos[2], u);
    if (!(dist < rj + s->r)) continue;
    f32 f = (rj + s->r - dist) * 0.1f;
    s->o->velocity[0] += u[0] * f;
    s->o->velocity[2] += u[2] * f;
    oj->pushed = 1;
    oj->velocity[0] -= u[0] * f;
    oj->velocity[2] -= u[2] * f;
  }
}

static const f32 kPi = 3.14159265358979f;

static void PushOutOfBoxes(ColiState *s) {
  for (int n = 0; n < COLI_BOXES; n++) {
    const ColiBox &b = s->doc->boxes[n];
    if (b.used != 1) continue;
    f32 reach = b.size + s->r;
    // The box centre is shifted a third of a unit towards the object along this odd angle;
    // stored sets are tuned to it, so it is kept as it is.
    f32 th = atan2f(s->X - 0.25f * b.x, s->Z + 0.25f * b.z);
    f32 kx = sinf(th) / 3.0f, kz = cosf(th) / 3.0f;
    f32 p = s->X - b.x - kx, q = s->Z - b.z - kz;
    f32 phi = -b.angle * 2.0f * kPi / 360.0f;
    f32 lx = p * cosf(phi) + q * sinf(phi), lz = q * cosf(phi) - p * sinf(phi);
    if (!(-reach < lx && lx < reach && -reach < lz && lz < reach)) continue;
    if (fabsf(lz) < fabsf(lx)) lx = lx >= 0.0f ? reach : -reach;
    else lz = lz >= 0.0f ? reach : -reach;
    f32 psi = b.angle * 2.0f * kPi / 360.0f;
    s->X = b.x + kx + lx * cosf(psi) + lz * sinf(psi);
    s->Z = b.z + kz + lz * cosf(psi) - lx * sinf(psi);
  }
}

static void PushOutOfCircles(ColiState *s) {
  for (int n = 0; n < COLI_CIRCLES; n++) {
    const ColiCircle &c = s->doc->circles[n];
    if (c.used != 1) continue;
    f32 u[3];
    f32 dist = FlatDirection(s->X, s->Z, c.x, c.z, u);
    if (!(dist < c.size + s->r)) continue;
    f32 f = (c.size + s->r - dist) * 0.5f;
    s->X += u[0] * f;
    s->Z += u[2] * f;
  }
}

// The step against walls and floors: stops after the first polygon with a hit. Returns
// whether anything was hit; *blocked and *landed say what kind.
static bool MoveAgainstPolygons(ColiState *s, const Model3 *m, const i32 *nearList, i32 nearCount, bool *blocked,
                                bool *landed) {
  const f32 sx = s->o->velocity[0], sz = s->o->velocity[2];
  bool hit = false;
  for (i32 k = 0; k < nearCount && !hit; k++) {
    const Polygon3 *p = &m->polygons[nearList[k]];
    const Vec3 &n = m->normals[p->corners[0].normal];
    for (int t = 0; t + 2 < p->cornerCount; t++) {
      f32 tri[9], h[3], h2[3], N[3];
      FanTriangle(m, p, t, tri);
      for (int c = 0; c < 3; c++) s->doc->groundHeight = std::max(s->doc->groundHeight, tri[3 * c + 1] + 3.0f);
      f32 a[3] = {s->X - 0.01f * sx, s->Y, s->Z - 0.01f * sz};
      f32 b[3] = {s->X + sx, s->Y, s->Z + sz};
      if (!Coli_SegmentTriangle(tri, a, b, h, N)) continue;
      hit = true;
      s->doc->triangleCache[s->i] = nearList[k];
      if (n.z * n.z + n.x * n.x <= n.y * n.y) {   // floor-like
        *landed = true;
        f32 a2[3] = {s->X + sx + 5.0f * n.x, s->Y + 5.0f * n.y, s->Z + sz + 5.0f * n.z};
        if (Coli_SegmentTriangle(tri, a2, b, h2, N)) s->X = h2[0], s->Y = h2[1], s->Z = h2[2];
        else s->X = h[0], s->Y = h[1] + 0.2f, s->Z = h[2];
      } else {   // wall-like
        *blocked = true;
        f32 a2[3] = {s->X + sx + 10.0f * n.x, s->Y, s->Z + sz + 10.0f * n.z};
        if (Coli_SegmentTriangle(tri, a2, b, h2, N)) s->X = h2[0] + 0.1f * n.x, s->Z = h2[2] + 0.1f * n.z;
        else s->X = h[0] + 0.25f * n.x, s->Z = h[2] + 0.25f * n.z;
      }
    }
  }
  return hit;
}

// Falling onto the ground: every triangle of every near polygon is tried.
static void FallOntoGround(ColiState *s, const Model3 *m, const i32 *nearList, i32 nearCount) {
  KZL::OBJECT *o = s->o;
  for (i32 k = 0; k < nearCount; k++) {
    const Polygon3 *p = &m->polygons[nearList[k]];
    const Vec3 &n = m->normals[p->corners[0].normal];
    for (int t = 0; t + 2 < p->cornerCount; t++) {
      f32 tri[9], h[3], N[3];
      FanTriangle(m, p, t, tri);
      f32 v = o->velocity[1];
      f32 a[3] = {s->X, s->Y - 0.05f * v, s->Z}, b[3] = {s->X, s->Y + v - 0.05f, s->Z};
      if (!Coli_SegmentTriangle(tri, a, b, h, N)) continue;
      o->groundPolygon = nearList[k];
      s->Y = h[1] + 0.1f * n.y;
      s->X = h[0] + 0.15f * o->reboundFactor * n.x;
      s->Z = h[2] + 0.15f * o->reboundFactor * n.z;
      o->velocity[1] = 0.0f;
      s->doc->triangleCache[s->i] = nearList[k];
    }
  }
}

static void ResolveObject(CollisionDoc *doc, i32 i, KZL::OBJECT *o) {
  ColiState s = {doc, i, o, Coli_Radius(i), o->pos[0], o->pos[1], o->pos[2]};
  KeepInRange(&s);
  PushOthers(&s);
  PushOutOfBoxes(&s);
  PushOutOfCircles(&s);
  doc->groundHeight = -99999.9f;
  const Model3 *m = doc->model && EnsureGrid(doc->model) ? doc->model : nullptr;
  // Near means near the stored position, which does not change before the write-back.
  i32 nearCount = m ? NearPolygons(m, o->pos[0], o->pos[2]) : 0;
  const i32 *nearList = g_Coli.grid.nearList;
  const f32 sx = o->velocity[0], sz = o->velocity[2];
  bool hit = false, blocked = false, landed = false;
  if (m && o->pushed && (sx != 0.0f || sz != 0.0f)) hit = MoveAgainstPolygons(&s, m, nearList, nearCount, &blocked, &landed);
  o->velocity[1] -= 0.1f;
  if (hit) {
    if (blocked) o->velocity[0] = o->velocity[2] = 0.0f;
    if (landed) o->velocity[1] = 0.0f;
  } else if (o->pushed) {
    s.X += sx;
    s.Z += sz;
  }
  if (o->pushed) o->reboundFactor = 1.0f;
  if (o->reboundDecay) o->reboundFactor = std::max(o->reboundFactor - 0.025f, 0.0f);
  o->groundPolygon = -1;
  if (m && o->velocity[1] != 0.0f) FallOntoGround(&s, m, nearList, nearCount);
  o->pos[0] = s.X;
  o->pos[1] = s.Y + o->velocity[1];
  o->pos[2] = s.Z;
}

// [SECTION] The pass

void Coli_Resolve(void) {
  CollisionDoc *doc = g_Coli.doc;
  if (!doc || doc->loaded == 0) return;
  // Only objects 0..255 have a participation entry and a triangle cache entry.
  for (i32 i = 0; i < COLI_OBJECTS; i++)
    if (KZL::OBJECT *o = Participant(i)) ResolveObject(doc, i, o);
  if (doc->bounds[1] > doc->groundHeight) doc->groundHeight = doc->bounds[1] + 5.0f;
}
