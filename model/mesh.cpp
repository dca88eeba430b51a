// Mesh operations on a Model3: normals, quad refinement, welding and automatic binding.
//
// Searches for an equal float tuple (a normal, a position, a colour, a UV) use open-addressing
// hash tables over the array being built. Entries in those arrays are pairwise unequal, so the
// entry the table finds is the one a scan from the first entry would find. -0 and +0 hash
// alike (they compare equal); a tuple with a NaN is never looked up (it equals nothing).
//
// Private work buffers (hash tables, scratch copies, per-vertex tables) are allocated on first
// use, grown when a bigger model comes, and kept for the program's life.
#include "model/mesh.h"

#include <float.h>
#include <math.h>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "model/motion.h"
#include "model/workbuf.h"

// [SECTION] Work buffers

struct Scratch {
  void *data;
  size_t bytes;
};

// Room for `bytes` in s (contents not kept); null when the allocation failed.
static void *Scratch_Get(Scratch *s, size_t bytes) {
  if (bytes == 0) bytes = 1;
  if (s->bytes >= bytes) return s->data;
  void *p = realloc(s->data, bytes);
  if (!p) return nullptr;
  s->data = p;
  s->bytes = bytes;
  return p;
}

// The work buffers of the mesh operations (hash tables, scratch copies, per-vertex tables).
struct MeshWork {
  Scratch shareCounts, hashA, hashB, hashC, lookups;
  Scratch copyPositions, copyBindings, copyColors, copyUVs, children;
  Scratch nearestBone, bestDistance;
  Mat4 bindRest[MODEL3_BONES];   // the rest matrices of an automatic binding
};
static MeshWork s_Work;

// [SECTION] Counts that are safe to index with

static i32 UsableCount(const void *array, i32 count, i32 cap) {
  if (!array || count <= 0) return 0;
  return count < cap ? count : cap;
}
// Corners that a polygon record really holds (a corrupt count never reads past four).
static i32 CornerCount(const Polygon3 *p) { return p->cornerCount > 4 ? 4 : p->cornerCount; }

// [SECTION] Hash table of float tuples

struct TupleTable {
  i32 *slots;   // entry index, -1 = empty
  u32 mask;
};

static bool Table_Prepare(TupleTable *t, Scratch *s, i32 maxEntries) {
  u32 size = (u32)WorkBuf_HashSlots((size_t)maxEntries);
  t->slots = (i32 *)Scratch_Get(s, (size_t)size * sizeof(i32));
  if (!t->slots) return false;
  memset(t->slots, 0xFF, (size_t)size * sizeof(i32));
  t->mask = size - 1;
  return true;
}

// Index of the entry of `values` (dim floats each) equal to key, or -1 after recording
// `newIndex` as the entry for key (the caller stores key there). A key with a NaN is never
// recorded and always gives -1.
static i32 Table_FindOrAdd(TupleTable *t, const f32 *values, int dim, const f32 *key, i32 newIndex) {
  if (Mesh_TupleHasNaN(key, dim)) return -1;
  u32 i = Mesh_HashTuple(key, dim) & t->mask;
  for (;;) {
    i32 e = t->slots[i];
    if (e < 0) {
      t->slots[i] = newIndex;
      return -1;
    }
    if (Mesh_TupleEqual(values + (size_t)e * dim, key, dim)) return e;
    i = (i + 1) & t->mask;
  }
}

// [SECTION] Normals

// The face normal in double precision, for corners so far apart that the single-precision
// cross product or its length leaves the float range (where the float formula gives zeros
// or NaN). Only such faces come here, so every other result stays bit for bit as it was.
static Vec3 WideFaceNormal(const Vec3 *a, const Vec3 *b, const Vec3 *c) {
  f64 e1x = (f64)b->x - a->x, e1y = (f64)b->y - a->y, e1z = (f64)b->z - a->z;
  f64 e2x = (f64)c->x - b->x, e2y = (f64)c->y - b->y, e2z = (f64)c->z - b->z;
  f64 nx = e1y * e2z - e1z * e2y, ny = e1z * e2x - e1x * e2z, nz = e1x * e2y - e1y * e2x;
  f64 len = sqrt(nx * nx + ny * ny + nz * nz);
  if (!(len > 0.0)) return Vec3{0.0f, 0.0f, 0.0f};
  return Vec3{(f32)(nx / len), (f32)(ny / len), (f32)(nz / len)};
}

// The float cross product (b - a) x (c - b) both face normal formulas start from.
static inline Vec3 FaceCross(const Vec3 *a, const Vec3 *b, const Vec3 *c) {
  f32 e1x = b->x - a->x, e1y = b->y - a->y, e1z = b->z - a->z;
  f32 e2x = c->x - b->x, e2y = c->y - b->y, e2z = c->z - b->z;
  return Vec3{e1y * e2z - e1z * e2y, e1z * e2x - e1x * e2z, e1x * e2y - e1y * e2x};
}

void Mesh_FaceNormal(const Vec3 *a, const Vec3 *b, const Vec3 *c, Vec3 *out) {
  Vec3 n = FaceCross(a, b, c);
  f32 nx = n.x, ny = n.y, nz = n.z;
  f32 len = sqrtf(nx * nx + ny * ny + nz * nz);
  if (!(len <= FLT_MAX)) {   // overflowed (or NaN corners, which give zeros either way)
    *out = WideFaceNormal(a, b, c);
    return;
  }
  if (!(len > 0.0f)) {
    // Collinear or repeated corners: no direction to give.
    out->x = out->y = out->z = 0.0f;
    return;
  }
  out->x = nx / len;
  out->y = ny / len;
  out->z = nz / len;
}

// The per-frame normals run on four-float vectors; every lane does the scalar formula's
// operations in its order, so the results are bit for bit those of the scalar code.
typedef f32 MeshV4 __attribute__((vector_size(16)));

// Mesh_FaceNormal with the three divides as one vector divide.
static inline MeshV4 FaceNormalV4(const Vec3 *a, const Vec3 *b, const Vec3 *c) {
  Vec3 n = FaceCross(a, b, c);
  f32 nx = n.x, ny = n.y, nz = n.z;
  f32 len = sqrtf(nx * nx + ny * ny + nz * nz);
  if (!(len <= FLT_MAX)) {
    Vec3 w = WideFaceNormal(a, b, c);
    return MeshV4{w.x, w.y, w.z, 0.0f};
  }
  if (!(len > 0.0f)) return MeshV4{0.0f, 0.0f, 0.0f, 0.0f};
  return MeshV4{nx, ny, nz, 0.0f} / MeshV4{len, len, len, len};
}

// Per vertex the running sum of its face normals, and in the fourth lane how many there were
// (a whole number far below 2^24, so exact as a float).
static MeshV4 *ZeroedSums(i32 P) {
  u8 *raw = (u8 *)Scratch_Get(&s_Work.shareCounts, (size_t)(P > 0 ? P : 1) * sizeof(MeshV4) + 15);
  if (!raw) return nullptr;
  MeshV4 *acc = (MeshV4 *)(((uintptr_t)raw + 15) & ~(uintptr_t)15);
  memset(acc, 0, (size_t)P * sizeof(MeshV4));
  return acc;
}

bool Mesh_NormalSumsBegin(MeshNormalSums *s, i32 positions) {
  s->positions = positions > 0 ? positions : 0;
  s->sums = ZeroedSums(s->positions);
  return s->sums != nullptr;
}

static bool Skipped(const Polygon3 *poly, i32 i, const u8 *mask, i32 maskCount) {
  return CornerCount(poly) < 3 || (mask && (i >= maskCount || !mask[i]));
}

// The face normals of polygons [first, end) stored in their records and added to the sums of
// their corners' vertices (in polygon and corner order); a polygon of fewer than 3 corners,
// or unflagged in the mask, takes no part. Mesh_FaceNormal's arithmetic, done in batches:
// the cross products and lengths of a batch first, then the divides and sums, so the long
// square root and divide of one polygon overlap those of the next.
static void AddPolygons(MeshV4 *acc, u32 P, Polygon3 *polys, i32 first, i32 end, const u8 *mask, i32 maskCount,
                        const Vec3 *pts) {
  const i32 kBatch = 32;
  MeshV4 cross[kBatch];
  f32 len[kBatch];
  for (i32 start = first; start < end; start += kBatch) {
    i32 stop = end - start < kBatch ? end : start + kBatch;
    for (i32 i = start; i < stop; i++) {
      const Polygon3 *poly = &polys[i];
      u32 v0 = poly->corners[0].vertex, v1 = poly->corners[1].vertex, v2 = poly->corners[2].vertex;
      if (Skipped(poly, i, mask, maskCount) || !(v0 < P && v1 < P && v2 < P)) continue;
      const Vec3 *a = &pts[v0], *b = &pts[v1], *c = &pts[v2];
      f32 e1x = b->x - a->x, e1y = b->y - a->y, e1z = b->z - a->z;
      f32 e2x = c->x - b->x, e2y = c->y - b->y, e2z = c->z - b->z;
      f32 nx = e1y * e2z - e1z * e2y;
      f32 ny = e1z * e2x - e1x * e2z;
      f32 nz = e1x * e2y - e1y * e2x;
      cross[i - start] = MeshV4{nx, ny, nz, 0.0f};
      len[i - start] = sqrtf(nx * nx + ny * ny + nz * nz);
    }
    for (i32 i = start; i < stop; i++) {
      Polygon3 *poly = &polys[i];
      if (Skipped(poly, i, mask, maskCount)) continue;
      u32 v0 = poly->corners[0].vertex, v1 = poly->corners[1].vertex, v2 = poly->corners[2].vertex;
      MeshV4 n = {0.0f, 0.0f, 0.0f, 0.0f};
      bool usable = v0 < P && v1 < P && v2 < P;
      f32 l = len[i - start];
      if (usable && !(l <= FLT_MAX)) {
        Vec3 w = WideFaceNormal(&pts[v0], &pts[v1], &pts[v2]);
        n = MeshV4{w.x, w.y, w.z, 0.0f};
      } else if (usable && l > 0.0f) {
        n = cross[i - start] / MeshV4{l, l, l, l};
      }
      poly->faceNormal = Vec3{n[0], n[1], n[2]};
      n[3] = 1.0f;
      u32 v3 = poly->corners[3].vertex;
      if (usable && CornerCount(poly) == 4 && v3 < P) {
        // The common quad with every corner in range: the corner loop below, unrolled.
        acc[v0] += n;
        acc[v1] += n;
        acc[v2] += n;
        acc[v3] += n;
        continue;
      }
      for (i32 j = 0, cc = CornerCount(poly); j < cc; j++) {
        u32 v = poly->corners[j].vertex;
        if (v < P) acc[v] += n;
      }
    }
  }
}

void Mesh_NormalSumsAdd(MeshNormalSums *s, Polygon3 *polys, i32 count, const Vec3 *pts) {
  AddPolygons((MeshV4 *)s->sums, (u32)s->positions, polys, 0, count, nullptr, 0, pts);
}

// Each vertex's normal from its sum: the mean where two or more faces met (and the vertex
// is flagged, with a mask), the sum itself otherwise.
static void FinishSums(const MeshV4 *acc, i32 P, Vec3 *vn, const u8 *vertexMask, i32 vertexMaskCount) {
  for (i32 v = 0; v < P; v++) {
    MeshV4 a = acc[v];
    if (!(a[3] < 2.0f || (vertexMask && (v >= vertexMaskCount || !vertexMask[v]))))
      a = a / MeshV4{a[3], a[3], a[3], a[3]};
    vn[v] = Vec3{a[0], a[1], a[2]};
  }
}

void Mesh_NormalSumsFinish(MeshNormalSums *s, Model3 *m) {
  if (m && m->vertexNormals) FinishSums((const MeshV4 *)s->sums, s->positions, m->vertexNormals, nullptr, 0);
}

void Mesh_AverageNormals(Model3 *m, const Vec3 *pts, const u8 *polygonMask, i32 polygonMaskCount,
                         const u8 *vertexMask, i32 vertexMaskCount) {
  if (!m || !pts || !m->vertexNormals) return;
  i32 P = Model3_PositionCount(m), N = Model3_PolygonCount(m);
  MeshV4 *acc = ZeroedSums(P);
  if (!acc) return;
  AddPolygons(acc, (u32)P, m->polygons, 0, N, polygonMask, polygonMaskCount, pts);
  FinishSums(acc, P, m->vertexNormals, vertexMask, vertexMaskCount);
}

// [SECTION] Per-frame normals
//
// The sum of a vertex used by one corner alone is 0 + its face normal and its count 1 (not
// divided), so that vertex's normal is written while its polygon is done; only vertices used
// by several corners (or by none) go through the sums. A mesh whose corners all have their
// own vertices then needs no per-vertex pass. The record of which corner is alone is made
// from the corners as they were and holds them; each pass compares every polygon with it
// before using it, and a difference remakes the record and runs the pass again from the
// start (everything the pass writes is written again).

struct FrameCorners {
  u32 vertex[4];   // the polygon's corner vertex numbers as read (all four)
  u8 count;        // its cornerCount as read
  u8 alone;        // bit j: corner j's vertex is in range and used by no other corner
  u8 kind;         // kQuadSummed, kQuadAlone or kCornerByCorner
};

// A quad with every corner in range whose vertices all go through the sums, or all alone.
enum : u8 { kCornerByCorner, kQuadSummed, kQuadAlone };

struct FrameRecord {
  const Model3 *model;
  i32 positions, polygons;   // the counts it was made for (-1: not made)
  u64 lastPass;
  FrameCorners *corners;     // one per polygon
  u32 *summed;               // vertices not written from one corner
  i32 summedCount;
  bool plain;                // few corners alone: the plain pass is as quick (no checks)
  u64 madePass;
  i32 capPolygons, capPositions;
};

// A few models deformed in the same frames keep their records; more share the plain pass.
// A record that chose the plain pass is made again after some passes, in case the polygons
// changed since.
static const int kFrameRecords = 4;
static const u64 kPlainPasses = 64;
// The per-frame normals' state: the records and the pass count that ages them.
struct MeshFrames {
  u64 passes;
  Scratch useCounts;
  FrameRecord records[kFrameRecords];
};
static MeshFrames s_Frames;

static bool FrameRecord_Make(FrameRecord *r, const Model3 *m, i32 P, i32 N) {
  r->positions = r->polygons = -1;
  if (N > r->capPolygons) {
    void *c = realloc(r->corners, (size_t)N * sizeof(FrameCorners));
    if (!c) return false;
    r->corners = (FrameCorners *)c;
    r->capPolygons = N;
  }
  if (P > r->capPositions) {
    void *s = realloc(r->summed, (size_t)P * sizeof(u32));
    if (!s) return false;
    r->summed = (u32 *)s;
    r->capPositions = P;
  }
  u32 *uses = (u32 *)Scratch_Get(&s_Frames.useCounts, (size_t)(P > 0 ? P : 1) * sizeof(u32));
  if (!uses) return false;
  memset(uses, 0, (size_t)P * sizeof(u32));
  for (i32 i = 0; i < N; i++) {
    const Polygon3 *poly = &m->polygons[i];
    FrameCorners *fc = &r->corners[i];
    fc->count = poly->cornerCount;
    for (int j = 0; j < 4; j++) fc->vertex[j] = poly->corners[j].vertex;
    i32 cc = CornerCount(poly);
    if (cc < 3) continue;
    for (i32 j = 0; j < cc; j++)
      if (fc->vertex[j] < (u32)P) uses[fc->vertex[j]]++;
  }
  for (i32 i = 0; i < N; i++) {
    FrameCorners *fc = &r->corners[i];
    i32 cc = fc->count > 4 ? 4 : fc->count;
    fc->alone = 0;
    fc->kind = kCornerByCorner;
    if (cc < 3) continue;
    bool inRange = true;
    for (i32 j = 0; j < cc; j++) {
      inRange = inRange && fc->vertex[j] < (u32)P;
      if (fc->vertex[j] < (u32)P && uses[fc->vertex[j]] == 1) fc->alone |= (u8)(1u << j);
    }
    if (cc == 4 && inRange && fc->alone == 0) fc->kind = kQuadSummed;
    if (cc == 4 && fc->alone == 0xF) fc->kind = kQuadAlone;
  }
  i64 corners = 0, alone = 0;
  for (i32 i = 0; i < N; i++) {
    i32 cc = r->corners[i].count > 4 ? 4 : r->corners[i].count;
    if (cc >= 3) corners += cc;
    alone += __builtin_popcount(r->corners[i].alone);
  }
  r->plain = alone * 4 < corners;
  r->madePass = s_Frames.passes;
  r->summedCount = 0;
  for (i32 v = 0; v < P; v++) {
    if (uses[v] != 1) r->summed[r->summedCount++] = (u32)v;
  }
  r->positions = P;
  r->polygons = N;
  return true;
}

// Whether the polygon still has the corners the record was made from.
static inline bool SameCorners(const Polygon3 *poly, const FrameCorners *fc) {
  return !((poly->cornerCount != fc->count) | (poly->corners[0].vertex != fc->vertex[0]) |
           (poly->corners[1].vertex != fc->vertex[1]) | (poly->corners[2].vertex != fc->vertex[2]) |
           (poly->corners[3].vertex != fc->vertex[3]));
}

// Face normal n of polygon i into its record and its vertices: written for a vertex this
// corner alone uses, summed for the others.
static inline void FrameRecord_Spread(const FrameRecord *r, Model3 *m, i32 i, MeshV4 n, MeshV4 *acc) {
  Polygon3 *poly = &m->polygons[i];
  const FrameCorners *fc = &r->corners[i];
  i32 cc = CornerCount(poly);
  if (cc < 3) return;
  Vec3 *vn = m->vertexNormals;
  poly->faceNormal = Vec3{n[0], n[1], n[2]};
  n[3] = 1.0f;
  MeshV4 own = MeshV4{0.0f, 0.0f, 0.0f, 0.0f} + n;   // the sum of one face normal (-0 becomes +0)
  Vec3 single = {own[0], own[1], own[2]};
  const u32 *v = fc->vertex;
  if (fc->kind == kQuadSummed) {
    acc[v[0]] += n;
    acc[v[1]] += n;
    acc[v[2]] += n;
    acc[v[3]] += n;
  } else if (fc->kind == kQuadAlone) {
    vn[v[0]] = single;
    vn[v[1]] = single;
    vn[v[2]] = single;
    vn[v[3]] = single;
  } else {
    for (i32 j = 0; j < cc; j++) {
      if (fc->alone & (1u << j))
        vn[v[j]] = single;
      else if (v[j] < (u32)r->positions)
        acc[v[j]] += n;
    }
  }
}

// One pass with the record; false (part written) at the first polygon that differs from it.
static bool FrameRecord_Pass(const FrameRecord *r, Model3 *m, const Vec3 *pts, MeshV4 *acc) {
  i32 P = r->positions, N = r->polygons;
  const MeshV4 zero = {0.0f, 0.0f, 0.0f, 0.0f};
  if (r->summedCount > P / 4)
    memset(acc, 0, (size_t)P * sizeof(MeshV4));
  else
    for (i32 k = 0; k < r->summedCount; k++) acc[r->summed[k]] = zero;
  const Polygon3 *polys = m->polygons;
  for (i32 i = 0; i < N; i++) {
    const FrameCorners *fc = &r->corners[i];
    if (!SameCorners(&polys[i], fc)) return false;
    MeshV4 n = zero;
    if (fc->vertex[0] < (u32)P && fc->vertex[1] < (u32)P && fc->vertex[2] < (u32)P)
      n = FaceNormalV4(&pts[fc->vertex[0]], &pts[fc->vertex[1]], &pts[fc->vertex[2]]);
    FrameRecord_Spread(r, m, i, n, acc);
  }
  Vec3 *vn = m->vertexNormals;
  for (i32 k = 0; k < r->summedCount; k++) {
    u32 v = r->summed[k];
    MeshV4 a = acc[v];
    if (!(a[3] < 2.0f)) a = a / MeshV4{a[3], a[3], a[3], a[3]};
    vn[v] = Vec3{a[0], a[1], a[2]};
  }
  return true;
}

// The record for m: its own, else the one longest unused, unless every record served a
// model in the last few passes (then null: the plain pass, no remaking every frame).
static FrameRecord *FrameRecord_For(const Model3 *m) {
  FrameRecord *oldest = &s_Frames.records[0];
  for (FrameRecord &r : s_Frames.records) {
    if (r.model == m) return &r;
    if (r.lastPass < oldest->lastPass) oldest = &r;
  }
  if (oldest->model && s_Frames.passes - oldest->lastPass <= (u64)kFrameRecords) return nullptr;
  oldest->model = m;
  oldest->positions = oldest->polygons = -1;
  return oldest;
}

void Mesh_FrameNormals(Model3 *m, const Vec3 *pts) {
  if (!m || !pts || !m->vertexNormals) return;
  i32 P = Model3_PositionCount(m), N = Model3_PolygonCount(m);
  s_Frames.passes++;
  FrameRecord *r = FrameRecord_For(m);
  u8 *raw = (u8 *)Scratch_Get(&s_Work.shareCounts, (size_t)(P > 0 ? P : 1) * sizeof(MeshV4) + 15);
  if (!r || !raw) {
    Mesh_AverageNormals(m, pts, nullptr, 0, nullptr, 0);
    return;
  }
  r->lastPass = s_Frames.passes;
  MeshV4 *acc = (MeshV4 *)(((uintptr_t)raw + 15) & ~(uintptr_t)15);
  bool made = r->positions == P && r->polygons == N;
  if (made && r->plain && s_Frames.passes - r->madePass < kPlainPasses) {
    Mesh_AverageNormals(m, pts, nullptr, 0, nullptr, 0);
    return;
  }
  if (made && !r->plain && FrameRecord_Pass(r, m, pts, acc)) return;
  if (FrameRecord_Make(r, m, P, N) && (r->plain || FrameRecord_Pass(r, m, pts, acc))) {
    if (r->plain) Mesh_AverageNormals(m, pts, nullptr, 0, nullptr, 0);
    return;
  }
  r->positions = r->polygons = -1;
  Mesh_AverageNormals(m, pts, nullptr, 0, nullptr, 0);
}

// The table of ReindexNormals: a slot holds an entry's index + 1 (0: empty) and its key's
// whole hash, so a probe reads the normal array only when the hashes agree (nearly always the
// normal looked for): one cache line a look-up where the table and the array both outgrow the
// cache.
struct NormalTable {
  u64 *slots;   // hash << 32 | (index + 1)
  u32 mask;
};

static bool NormalTable_Prepare(NormalTable *t, Scratch *s, i32 maxEntries) {
  u32 size = (u32)WorkBuf_HashSlots((size_t)maxEntries);
  t->slots = (u64 *)Scratch_Get(s, (size_t)size * sizeof(u64));
  if (!t->slots) return false;
  memset(t->slots, 0, (size_t)size * sizeof(u64));
  t->mask = size - 1;
  return true;
}

// As Table_FindOrAdd over the normal array for a normal n without a NaN whose hash is h: the
// entry equal to n, or -1 after recording newIndex for it.
static inline i32 NormalTable_FindOrAdd(NormalTable *t, const Vec3 *normals, const Vec3 *n, u32 h, i32 newIndex) {
  for (u32 i = h & t->mask;; i = (i + 1) & t->mask) {
    u64 slot = t->slots[i];
    if (slot == 0) {
      t->slots[i] = (u64)h << 32 | (u32)(newIndex + 1);
      return -1;
    }
    i32 e = (i32)(u32)slot - 1;
    if ((u32)(slot >> 32) == h && Mesh_TupleEqual(&normals[e].x, &n->x, 3)) return e;
  }
}

// One look-up of the re-index, in corner order: whose normal is looked up and its hash; once
// looked up, the entry found or made.
struct NormalLookup {
  u32 source;   // a position, kPastPositions (the zero normal), with kNoTable when it has a NaN
  u32 hash;     // then the entry
};
static const u32 kPastPositions = 0x7FFFFFFFu;
static const u32 kNoTable = 0x80000000u;
// Look-ups a probe runs ahead of the one it does: their slots are fetched meanwhile.
static const i32 kProbesAhead = 32;

// The look-ups of the polygons' corners in order: a position's first corner looks its normal
// up (lookupOf[v] is that look-up) and its later corners take the entry it found (the table
// only grows, so looking the normal up again would find that same entry). A NaN normal equals
// nothing and a corner past the positions has no position: those look up at every corner.
static i32 ListNormalLookups(const Model3 *m, i32 P, i32 N, i32 *lookupOf, NormalLookup *look) {
  const Vec3 zero = {0.0f, 0.0f, 0.0f};
  const u32 zeroHash = Mesh_HashTuple(&zero.x, 3);
  i32 L = 0;
  for (i32 i = 0; i < N; i++) {
    const Polygon3 *poly = &m->polygons[i];
    i32 cc = CornerCount(poly);
    if (cc < 3) continue;
    for (i32 j = 0; j < cc; j++) {
      u32 v = poly->corners[j].vertex;
      if (v >= (u32)P) {
        look[L++] = NormalLookup{kPastPositions, zeroHash};
        continue;
      }
      if (lookupOf[v] >= 0) continue;
      const Vec3 *n = &m->vertexNormals[v];
      if (Mesh_TupleHasNaN(&n->x, 3)) {
        look[L++] = NormalLookup{v | kNoTable, 0};
        continue;
      }
      lookupOf[v] = L;
      look[L++] = NormalLookup{v, Mesh_HashTuple(&n->x, 3)};
    }
  }
  return L;
}

// Each look-up's entry, in their order (the first equal normal's, or a new one at the end of
// the normal array). The table's slots are random places in a table larger than the cache, so
// the slot of a look-up a few places on is fetched while this one is done.
static i32 FindNormalEntries(Model3 *m, NormalTable *table, NormalLookup *look, i32 L) {
  const Vec3 zero = {0.0f, 0.0f, 0.0f};
  i32 count = 0;
  for (i32 i = 0; i < L; i++) {
    if (i + kProbesAhead < L) __builtin_prefetch(&table->slots[look[i + kProbesAhead].hash & table->mask], 1);
    u32 s = look[i].source;
    const Vec3 *n = s == kPastPositions ? &zero : &m->vertexNormals[s & ~kNoTable];
    i32 e = s & kNoTable ? -1 : NormalTable_FindOrAdd(table, m->normals, n, look[i].hash, count);
    if (e < 0) {
      m->normals[count] = *n;
      e = count++;
    }
    look[i].hash = (u32)e;
  }
  return count;
}

// Rebuilds the normal array from the vertex normals, corner by corner (first equal entry):
// the look-ups listed, then done in order, then the corners given their entries (in the
// order the look-ups were listed: a corner whose position was looked up before takes that).
// The array is given room for the entries the look-ups can make, before anything is written.
static bool ReindexNormals(Model3 *m) {
  i32 P = Model3_PositionCount(m), N = Model3_PolygonCount(m);
  i32 *lookupOf = (i32 *)Scratch_Get(&s_Work.hashB, (size_t)(P > 0 ? P : 1) * sizeof(i32));
  NormalLookup *look = (NormalLookup *)Scratch_Get(&s_Work.lookups, ((size_t)N * 4 + 1) * sizeof(NormalLookup));
  if (!lookupOf || !look) return false;
  memset(lookupOf, 0xFF, (size_t)(P > 0 ? P : 1) * sizeof(i32));
  i32 L = ListNormalLookups(m, P, N, lookupOf, look);
  if (L > m->capNormals || !m->normals) {
    i32 need = L > m->normalCount ? L : m->normalCount;
    if (!Model3_Reserve(m, m->positionCount > 0 ? m->positionCount : 0, need,
                        m->colorCount > 0 ? m->colorCount : 0, m->uvCount > 0 ? m->uvCount : 0,
                        m->polygonCount > 0 ? m->polygonCount : 0))
      return false;
  }
  // Entries: at most one per position and the zero of corners past the positions.
  NormalTable table;
  if (!NormalTable_Prepare(&table, &s_Work.hashA, L < P + 1 ? L : P + 1)) return false;
  m->normalCount = FindNormalEntries(m, &table, look, L);
  i32 next = 0;
  for (i32 i = 0; i < N; i++) {
    Polygon3 *poly = &m->polygons[i];
    i32 cc = CornerCount(poly);
    if (cc < 3) continue;
    for (i32 j = 0; j < cc; j++) {
      u32 v = poly->corners[j].vertex;
      i32 l = v < (u32)P && lookupOf[v] >= 0 ? lookupOf[v] : next;
      next += l == next;
      poly->corners[j].normal = look[l].hash;
    }
  }
  return true;
}

// Room for a vertex normal per position (a copy-made model may lack the array).
static bool EnsureVertexNormals(Model3 *m) {
  if (m->positionCount <= 0 || (m->vertexNormals && m->posed && m->capPositions >= m->positionCount))
    return true;
  return Model3_Reserve(m, m->positionCount, m->normalCount > 0 ? m->normalCount : 0,
                        m->colorCount > 0 ? m->colorCount : 0, m->uvCount > 0 ? m->uvCount : 0,
                        m->polygonCount > 0 ? m->polygonCount : 0);
}

bool Model3_CalcNormals(Model3 *m) {
  if (!m) return false;
  if (!EnsureVertexNormals(m)) return false;
  Mesh_AverageNormals(m, m->positions, nullptr, 0, nullptr, 0);
  return Model3_ReindexNormals(m);
}

bool Model3_ReindexNormals(Model3 *m) {
  if (g_Model3Edited == 1 || m->renderMode == 7) return ReindexNormals(m);
  return true;
}

// [SECTION] Refinement

static Vec3 Mid3(Vec3 a, Vec3 b) { return {Math_Mean2(a.x, b.x), Math_Mean2(a.y, b.y), Math_Mean2(a.z, b.z)}; }
static Vec2 Mid2(Vec2 a, Vec2 b) { return {Math_Mean2(a.u, b.u), Math_Mean2(a.v, b.v)}; }
static Vec3 Centre3(Vec3 a, Vec3 b, Vec3 c, Vec3 d) {
  return {Math_Mean4(a.x, b.x, c.x, d.x), Math_Mean4(a.y, b.y, c.y, d.y), Math_Mean4(a.z, b.z, c.z, d.z)};
}
static Vec2 Centre2(Vec2 a, Vec2 b, Vec2 c, Vec2 d) {
  return {Math_Mean4(a.u, b.u, c.u, d.u), Math_Mean4(a.v, b.v, c.v, d.v)};
}

// Element i of an array with `count` usable entries, or a zero value past them.
template <typename T>
static T At(const T *a, i32 count, u32 i) {
  if (i < (u32)count) return a[i];
  T z;
  memset(&z, 0, sizeof z);
  return z;
}

// Corner layout of the four children: which of (c0, c1, c2, c3, m01, m12, m23, m30, C) each
// corner takes; quad k is built around source corner k.
enum { C0, C1, C2, C3, M01, M12, M23, M30, CTR };
static const int kChildCorners[4][4] = {
    {C0, M01, CTR, M30}, {M01, C1, M12, CTR}, {CTR, M12, C2, M23}, {M30, CTR, M23, C3}};

// The binding of a position an operation adds: no bones, bound automatically.
static const VertexBinding kFreshBinding = {0, 0, 0.0f, 1};

bool Model3_Subdivide(Model3 *m) {
  if (!m) return false;
  i32 N = Model3_PolygonCount(m);
  i32 quads = 0;
  for (i32 i = 0; i < N; i++)
    if (m->polygons[i].cornerCount == 4) quads++;
  if (quads == 0) return true;
  i32 P = m->positionCount > 0 ? m->positionCount : 0, Nn = m->normalCount > 0 ? m->normalCount : 0;
  i32 C = m->colorCount > 0 ? m->colorCount : 0, U = m->uvCount > 0 ? m->uvCount : 0;
  // The whole pass or nothing: 16 of each per quad, three more polygons per quad.
  i64 add = (i64)quads * 16;
  if (P + add > (i64)g_MaxVertices || Nn + add > (i64)g_MaxVertices || C + add > (i64)g_MaxVertices ||
      U + add > (i64)g_MaxVertices || (i64)N + (i64)quads * 3 > (i64)g_MaxPolygons)
    return false;
  Polygon3 *children = (Polygon3 *)Scratch_Get(&s_Work.children, (size_t)quads * 4 * sizeof(Polygon3));
  if (!children) return false;
  i32 usableP = Model3_PositionCount(m), usableN = UsableCount(m->normals, m->normalCount, m->capNormals);
  i32 usableC = UsableCount(m->colors, m->colorCount, m->capColors);
  i32 usableU = UsableCount(m->uvs, m->uvCount, m->capUVs);
  if (!Model3_Reserve(m, (i32)(P + add), (i32)(Nn + add), (i32)(C + add), (i32)(U + add), N + quads * 3))
    return false;

  i32 kept = 0, made = 0;
  for (i32 i = 0; i < N; i++) {
    Polygon3 src = m->polygons[i];
    if (src.cornerCount != 4) {
      m->polygons[kept++] = src;
      continue;
    }
    Vec3 p[9];
    Vec2 t[9];
    for (int c = 0; c < 4; c++) {
      p[c] = At(m->positions, usableP, src.corners[c].vertex);
      t[c] = At(m->uvs, usableU, src.corners[c].uv);
    }
    p[M01] = Mid3(p[0], p[1]), p[M12] = Mid3(p[1], p[2]), p[M23] = Mid3(p[2], p[3]), p[M30] = Mid3(p[3], p[0]);
    t[M01] = Mid2(t[0], t[1]), t[M12] = Mid2(t[1], t[2]), t[M23] = Mid2(t[2], t[3]), t[M30] = Mid2(t[3], t[0]);
    p[CTR] = Centre3(p[0], p[1], p[2], p[3]);
    t[CTR] = Centre2(t[0], t[1], t[2], t[3]);
    for (int k = 0; k < 4; k++) {
      Vec3 normal = At(m->normals, usableN, src.corners[k].normal);
      Color4 colour = At(m->colors, usableC, src.corners[k].color);
      Polygon3 *q = &children[made++];
      memset(q, 0, sizeof *q);
      q->cornerCount = 4;
      q->group = 0;
      for (int j = 0; j < 4; j++) {
        int w = kChildCorners[k][j];
        m->positions[m->positionCount] = p[w];
        m->bindings[m->positionCount] = kFreshBinding;
        m->uvs[m->uvCount] = t[w];
        m->normals[m->normalCount] = normal;
        m->colors[m->colorCount] = colour;
        q->corners[j].vertex = (u32)m->positionCount++;
        q->corners[j].uv = (u32)m->uvCount++;
        q->corners[j].normal = (u32)m->normalCount++;
        q->corners[j].color = (u32)m->colorCount++;
      }
    }
  }
  memcpy(&m->polygons[kept], children, (size_t)made * sizeof(Polygon3));
  m->polygonCount = kept + made;
  // One normal pass gives what a pass after every quad would: each pass recomputes every
  // face and vertex normal (and the whole normal array when it is re-indexed) from scratch.
  return Model3_CalcNormals(m);
}

// [SECTION] Welding


// The index of value among the first *count entries of array (the first equal one), added
// at the end when it is new. T is a record of floats.
template <class T>
static u32 WeldEntry(TupleTable *t, T *array, T value, i32 *count) {
  i32 e = Table_FindOrAdd(t, (const f32 *)array, (int)(sizeof(T) / sizeof(f32)), (const f32 *)&value, *count);
  if (e < 0) {
    array[*count] = value;
    e = (*count)++;
  }
  return (u32)e;
}

bool Model3_WeldDuplicates(Model3 *m) {
  if (!m) return false;
  i32 N = Model3_PolygonCount(m);
  i32 P = Model3_PositionCount(m);
  i32 C = UsableCount(m->colors, m->colorCount, m->capColors);
  i32 U = UsableCount(m->uvs, m->uvCount, m->capUVs);
  i32 corners = 0;
  for (i32 i = 0; i < N; i++) corners += CornerCount(&m->polygons[i]);

  // The source copy S: the arrays are rebuilt in place from index 0.
  Vec3 *sp = (Vec3 *)Scratch_Get(&s_Work.copyPositions, (size_t)(P ? P : 1) * sizeof(Vec3));
  VertexBinding *sb = (VertexBinding *)Scratch_Get(&s_Work.copyBindings, (size_t)(P ? P : 1) * sizeof(VertexBinding));
  Color4 *sc = (Color4 *)Scratch_Get(&s_Work.copyColors, (size_t)(C ? C : 1) * sizeof(Color4));
  Vec2 *su = (Vec2 *)Scratch_Get(&s_Work.copyUVs, (size_t)(U ? U : 1) * sizeof(Vec2));
  TupleTable tp, tc, tu;
  if (!sp || !sb || !sc || !su || !Table_Prepare(&tp, &s_Work.hashA, corners) ||
      !Table_Prepare(&tc, &s_Work.hashB, corners) || !Table_Prepare(&tu, &s_Work.hashC, corners))
    return false;
  // Out-of-range corner indices read zero values, so the rebuilt arrays can hold up to one
  // entry per corner.
  i32 needP = corners > P ? corners : P, needC = corners > C ? corners : C, needU = corners > U ? corners : U;
  if (needP > m->capPositions || needC > m->capColors || needU > m->capUVs || !m->positions || !m->colors ||
      !m->uvs || !m->bindings) {
    if (!Model3_Reserve(m, needP, m->normalCount > 0 ? m->normalCount : 0, needC, needU, N)) return false;
  }
  if (P) {
    memcpy(sp, m->positions, (size_t)P * sizeof(Vec3));
    memcpy(sb, m->bindings, (size_t)P * sizeof(VertexBinding));
  }
  if (C) memcpy(sc, m->colors, (size_t)C * sizeof(Color4));
  if (U) memcpy(su, m->uvs, (size_t)U * sizeof(Vec2));

  i32 np = 0, nc = 0, nu = 0;
  for (i32 i = 0; i < N; i++) {
    Polygon3 *poly = &m->polygons[i];
    i32 cc = CornerCount(poly);
    for (i32 j = 0; j < cc; j++) {
      PolyCorner *corner = &poly->corners[j];
      Vec3 pos = At(sp, P, corner->vertex);
      i32 e = Table_FindOrAdd(&tp, &m->positions[0].x, 3, &pos.x, np);
      if (e < 0) {
        m->positions[np] = pos;
        m->bindings[np] = corner->vertex < (u32)P ? sb[corner->vertex] : kFreshBinding;
        e = np++;
      }
      corner->vertex = (u32)e;
      corner->color = WeldEntry(&tc, m->colors, At(sc, C, corner->color), &nc);
      corner->uv = WeldEntry(&tu, m->uvs, At(su, U, corner->uv), &nu);
    }
  }
  m->positionCount = np;
  m->colorCount = nc;
  m->uvCount = nu;
  m->polygonCount = N;
  Model3_CalcNormals(m);
  return true;
}

// [SECTION] Automatic binding

// Bones 1..bones-1 as rows of centre coordinates, padded to a multiple of four with centres
// at infinity: never nearest, not even to a vertex far out (a padding row is no bone).
struct CentreRows {
  alignas(16) f32 x[MODEL3_BONES];
  alignas(16) f32 y[MODEL3_BONES];
  alignas(16) f32 z[MODEL3_BONES];
  i32 count;    // real bones in the rows (bone b at row b - 1)
  i32 padded;
};

static void CentreRows_Build(const Model3 *m, i32 bones, CentreRows *r) {
  r->count = bones > 1 ? bones - 1 : 0;
  r->padded = (r->count + 3) & ~3;
  for (i32 i = 0; i < r->padded; i++) {
    bool real = i < r->count;
    r->x[i] = real ? m->boneCentres[i + 1][0] : __builtin_inff();
    r->y[i] = real ? m->boneCentres[i + 1][1] : __builtin_inff();
    r->z[i] = real ? m->boneCentres[i + 1][2] : __builtin_inff();
  }
}

// Nearest bone of every automatic vertex: the distance |dy| + |dx| + |dz| (summed in that
// order), strictly smaller than the best so far, bones in ascending order; so the first bone
// at the lowest distance below 99999.9 wins, and a NaN distance never does.
static void NearestBones(const Model3 *m, i32 bones, i32 P, i32 *nearest, f32 *best) {
  CentreRows rows;
  CentreRows_Build(m, bones, &rows);
  alignas(16) f32 d[MODEL3_BONES];
  for (i32 v = 0; v < P; v++) {
    nearest[v] = 1;
    best[v] = 99999.9f;
    if (rows.count == 0 || m->bindings[v].automatic != 1) continue;
    f32 x = m->positions[v].x, y = m->positions[v].y, z = m->positions[v].z;
    f32 lowest = best[v];
#if defined(__SSE2__)
    const __m128 sign = _mm_set1_ps(-0.0f);
    __m128 X = _mm_set1_ps(x), Y = _mm_set1_ps(y), Z = _mm_set1_ps(z), low = _mm_set1_ps(lowest);
    for (i32 i = 0; i < rows.padded; i += 4) {
      __m128 dy = _mm_andnot_ps(sign, _mm_sub_ps(Y, _mm_load_ps(&rows.y[i])));
      __m128 dx = _mm_andnot_ps(sign, _mm_sub_ps(X, _mm_load_ps(&rows.x[i])));
      __m128 dz = _mm_andnot_ps(sign, _mm_sub_ps(Z, _mm_load_ps(&rows.z[i])));
      __m128 dist = _mm_add_ps(_mm_add_ps(dy, dx), dz);
      _mm_store_ps(&d[i], dist);
      low = _mm_min_ps(dist, low);   // a NaN distance keeps the running minimum
    }
    low = _mm_min_ps(low, _mm_shuffle_ps(low, low, _MM_SHUFFLE(2, 3, 0, 1)));
    low = _mm_min_ps(low, _mm_shuffle_ps(low, low, _MM_SHUFFLE(1, 0, 3, 2)));
    lowest = _mm_cvtss_f32(low);
    if (!(lowest < best[v])) continue;
    // The first row holding the lowest distance, four rows at a time.
    const __m128 target = _mm_set1_ps(lowest);
    for (i32 i = 0; i < rows.padded; i += 4) {
      int hits = _mm_movemask_ps(_mm_cmpeq_ps(_mm_load_ps(&d[i]), target));
      if (!hits) continue;
      nearest[v] = i + __builtin_ctz((unsigned)hits) + 1;
      best[v] = lowest;
      break;
    }
#else
    for (i32 i = 0; i < rows.count; i++) {
      d[i] = fabsf(y - rows.y[i]) + fabsf(x - rows.x[i]) + fabsf(z - rows.z[i]);
      lowest = d[i] < lowest ? d[i] : lowest;
    }
    if (!(lowest < best[v])) continue;
    for (i32 i = 0; i < rows.count; i++)
      if (d[i] == lowest) {
        nearest[v] = i + 1;
        best[v] = lowest;
        break;
      }
#endif
  }
}

bool Model3_AutoBindVertices(Model3 *m) {
  if (!m) return false;
  i32 bones = m->boneCount < 0 ? 0 : (m->boneCount > MODEL3_BONES ? MODEL3_BONES : m->boneCount);
  Mat4 *rest = s_Work.bindRest;
  Model3_ComputeRestMatrices(m, rest);
  for (i32 b = 0; b < bones; b++) {
    for (int i = 0; i < 3; i++) m->boneCentres[b][i] = rest[b].m[3][i];
    m->boneCentreCounts[b] = 1;
  }
  // A bone's centre is the mean of its own rest position and its children's (not bone 0's).
  for (i32 b = 0; b < bones; b++) {
    i32 p = Model3_BoneParent(m, b);
    if (p <= 0 || p >= bones) continue;
    for (int i = 0; i < 3; i++) m->boneCentres[p][i] += rest[b].m[3][i];
    m->boneCentreCounts[p]++;
  }
  for (i32 b = 0; b < bones; b++)
    for (int i = 0; i < 3; i++) m->boneCentres[b][i] /= (f32)m->boneCentreCounts[b];

  i32 P = Model3_PositionCount(m);
  if (!m->bindings || P == 0) return true;
  i32 *nearest = (i32 *)Scratch_Get(&s_Work.nearestBone, (size_t)P * sizeof(i32));
  f32 *best = (f32 *)Scratch_Get(&s_Work.bestDistance, (size_t)P * sizeof(f32));
  if (!nearest || !best) return false;
  NearestBones(m, bones, P, nearest, best);
  for (i32 v = 0; v < P; v++) {
    VertexBinding *bind = &m->bindings[v];
    if (bind->automatic != 1) continue;
    bind->bone1 = (u16)nearest[v];
    bind->bone2 = 0;
    bind->weight = 1.0f;
  }
  return true;
}
