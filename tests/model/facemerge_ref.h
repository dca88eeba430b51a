// The face merge as it first was: every face compared with every later face on one of its
// corner positions, found by walking the whole face list of each position. Kept as the
// reference the faster merge must agree with (facemerge_test.cpp).
#pragma once
#include <string.h>

#include "model/facemerge.h"
#include "model/mesh.h"
#include "model/workbuf.h"

namespace facemerge_ref {

static FaceMergeState s_Ref;

// [SECTION] position table
static bool Stamps(i32 faces) {
  FaceMergeState &g = s_Ref;
  size_t n = faces > 0 ? (size_t)faces : 0;
  if (!WorkBuf_Room(&g.stamps, &g.stampsCap, n)) return false;
  memset(g.stamps, 0, n * sizeof(u32));
  g.turn = 0;
  return true;
}

static bool Begin(i32 dim, size_t corners) {
  FaceMergeState &g = s_Ref;
  size_t size = 16;
  while (size < corners * 2) size <<= 1;
  if (!WorkBuf_Room(&g.slots, &g.slotsCap, size) || !WorkBuf_Room(&g.keys, &g.keysCap, corners * (size_t)dim) ||
      !WorkBuf_Room(&g.heads, &g.headsCap, corners) || !WorkBuf_Room(&g.entries, &g.entriesCap, corners))
    return false;
  memset(g.slots, 0xFF, size * sizeof(i32));
  g.mask = (u32)(size - 1);
  g.dim = dim;
  g.keyCount = g.entryCount = 0;
  return true;
}

// The key index of position p, -1 when it is not in the table (add: entered when missing).
template <int D>
static i32 FindPos(const f32 *p, bool add) {
  FaceMergeState &g = s_Ref;
  if (Mesh_TupleHasNaN(p, D)) return -1;   // equals nothing
  for (u32 s = Mesh_HashTuple(p, D) & g.mask;; s = (s + 1) & g.mask) {
    i32 k = g.slots[s];
    if (k < 0) {
      if (!add) return -1;
      g.slots[s] = g.keyCount;
      memcpy(&g.keys[(size_t)g.keyCount * (size_t)D], p, (size_t)D * sizeof(f32));
      g.heads[g.keyCount] = -1;
      return g.keyCount++;
    }
    if (Mesh_TupleEqual(&g.keys[(size_t)k * (size_t)D], p, D)) return k;
  }
}

template <int D>
static void Add(i32 face, const f32 *p) {
  FaceMergeState &g = s_Ref;
  i32 k = FindPos<D>(p, true);
  if (k < 0) return;
  g.entries[g.entryCount] = {face, g.heads[k]};
  g.heads[k] = g.entryCount++;
}

// [SECTION] candidates
static bool HeapPush(i32 v) {
  FaceMergeState &g = s_Ref;
  if (!WorkBuf_Room(&g.heap, &g.heapCap, (size_t)g.heapSize + 1)) return false;
  i32 i = g.heapSize++;
  while (i > 0 && g.heap[(i - 1) / 2] > v) {
    g.heap[i] = g.heap[(i - 1) / 2];
    i = (i - 1) / 2;
  }
  g.heap[i] = v;
  return true;
}

static i32 Next(void) {
  FaceMergeState &g = s_Ref;
  if (g.heapSize <= 0) return -1;
  i32 top = g.heap[0], v = g.heap[--g.heapSize], i = 0;
  for (;;) {
    i32 c = 2 * i + 1;
    if (c >= g.heapSize) break;
    if (c + 1 < g.heapSize && g.heap[c + 1] < g.heap[c]) c++;
    if (g.heap[c] >= v) break;
    g.heap[i] = g.heap[c];
    i = c;
  }
  if (g.heapSize > 0) g.heap[i] = v;
  return top;
}

static void Turn(void) {
  s_Ref.heapSize = 0;
  s_Ref.turn++;
}

template <int D>
static bool Push(const f32 *p, i32 after) {
  FaceMergeState &g = s_Ref;
  i32 k = FindPos<D>(p, false);
  bool ok = true;
  for (i32 e = k < 0 ? -1 : g.heads[k]; e >= 0; e = g.entries[e].next) {
    i32 f = g.entries[e].face;
    if (f <= after || g.stamps[f] == g.turn) continue;
    g.stamps[f] = g.turn;
    if (!HeapPush(f)) ok = false;
  }
  return ok;
}

// [SECTION] join plan
template <int D>
static FaceMergeJoin Plan(const f32 *a, i32 na, const f32 *b, i32 nb) {
  FaceMergeJoin j = {FACEMERGE_NONE, {0, 0}, {0, 0}};
  i32 found = 0, pa[2] = {0, 0}, pb[2] = {0, 0};
  for (i32 x = 0; x < na; x++)
    for (i32 y = 0; y < nb; y++) {
      if (!Mesh_TupleEqual(&a[x * D], &b[y * D], D)) continue;
      if (found < 2) pa[found] = x, pb[found] = y;
      found++;
    }
  if (found != 2) return j;
  if (na == 4 && nb == 4) {
    // Each shared corner of a takes b's neighbour of the shared pair that is not shared.
    for (int s = 0; s < 2; s++) {
      i32 t = (pb[s] + 1) % 4;
      if (t == pb[0] || t == pb[1]) t = (pb[s] + 3) % 4;
      j.aAt[s] = pa[s];
      j.bFrom[s] = t;
    }
    j.kind = FACEMERGE_QUADS;
    return j;
  }
  if (na != 3 || nb != 3 || pa[0] == pa[1] || pb[0] == pb[1]) return j;
  // The shared edge runs from corner s to s + 1 of a (cyclically); b's third corner goes between.
  i32 lo = pa[0] < pa[1] ? pa[0] : pa[1], hi = pa[0] + pa[1] - lo;
  i32 s = (lo == 0 && hi == 2) ? 2 : lo;
  j.kind = FACEMERGE_TRIANGLES;
  j.aAt[0] = s + 1;
  j.bFrom[0] = 3 - pb[0] - pb[1];
  return j;
}

// [SECTION] the passes
// Which faces can merge and their corner positions, taken once a pass (only a face merged into
// changes within a pass).
template <int D>
static void TakeFace(i32 f, const FaceMergeHooks &h) {
  FaceMergeState &g = s_Ref;
  g.live[f] = h.mergeable(f) ? 1 : 0;
  if (g.live[f]) g.posCount[f] = (u8)h.positions(f, &g.pos[(size_t)f * 4 * D]);
}

// Every corner position of the mergeable faces with the faces that hold it.
template <int D>
static bool BuildTable(i32 n, const FaceMergeHooks &h) {
  FaceMergeState &g = s_Ref;
  size_t corners = 0;
  for (i32 i = 0; i < n; i++) {
    TakeFace<D>(i, h);
    if (g.live[i]) corners += g.posCount[i];
  }
  if (!Begin(D, corners)) return false;
  for (i32 i = 0; i < n; i++)
    for (i32 j = 0; g.live[i] && j < g.posCount[i]; j++) Add<D>(i, &g.pos[((size_t)i * 4 + (size_t)j) * D]);
  return true;
}

// Queues the faces after `after` that hold one of face i's corner positions.
template <int D>
static bool PushNeighbours(i32 i, i32 after, const FaceMergeHooks &h) {
  FaceMergeState &g = s_Ref;
  for (i32 j = 0; j < g.posCount[i]; j++)
    if (!Push<D>(&g.pos[((size_t)i * 4 + (size_t)j) * D], after) && h.stopWhenFull) return false;
  return true;
}

template <int D>
static bool Pass(i32 n, const FaceMergeHooks &h, bool *merged) {
  FaceMergeState &g = s_Ref;
  if (!BuildTable<D>(n, h)) return false;
  for (i32 i = 0; i < n; i++) {
    if (!g.live[i]) continue;
    Turn();
    if (!PushNeighbours<D>(i, i, h)) return false;
    i32 last = i;
    for (i32 j; (j = Next()) >= 0;) {
      if (j <= last) continue;
      last = j;
      if (!g.live[j]) continue;
      FaceMergeJoin plan = Plan<D>(&g.pos[(size_t)i * 4 * D], g.posCount[i], &g.pos[(size_t)j * 4 * D], g.posCount[j]);
      if (plan.kind == FACEMERGE_NONE) continue;
      h.join(i, j, plan);
      g.live[j] = 0;
      TakeFace<D>(i, h);
      *merged = true;
      if (!PushNeighbours<D>(i, j, h)) return false;   // the new corners may meet later faces
    }
  }
  return true;
}

static bool RefFaceMerge_Run(i32 n, const FaceMergeHooks &h) {
  FaceMergeState &g = s_Ref;
  size_t faces = n > 0 ? (size_t)n : 0;
  if (!Stamps(n) || !WorkBuf_Room(&g.live, &g.liveCap, faces) || !WorkBuf_Room(&g.posCount, &g.posCountCap, faces) ||
      !WorkBuf_Room(&g.pos, &g.posCap, faces * 4 * (size_t)h.dim))
    return false;
  for (bool merged = true; merged;) {
    merged = false;
    if (!(h.dim == 2 ? Pass<2>(n, h, &merged) : Pass<3>(n, h, &merged))) return false;
  }
  return true;
}

}  // namespace facemerge_ref
