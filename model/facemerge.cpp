// The face merge's position table, candidate heap and join plan (see facemerge.h).
#include "model/facemerge.h"

#include <string.h>

#include "model/mesh.h"
#include "model/workbuf.h"

FaceMergeState g_FaceMerge;

// [SECTION] position table
static bool Stamps(i32 faces) {
  FaceMergeState &g = g_FaceMerge;
  size_t n = faces > 0 ? (size_t)faces : 0;
  if (!WorkBuf_Room(&g.stamps, &g.stampsCap, n)) return false;
  memset(g.stamps, 0, n * sizeof(u32));
  g.turn = 0;
  return true;
}

static bool Begin(i32 dim, size_t corners) {
  FaceMergeState &g = g_FaceMerge;
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
static i32 FindPos(const f32 *p, bool add) {
  FaceMergeState &g = g_FaceMerge;
  if (Mesh_TupleHasNaN(p, g.dim)) return -1;   // equals nothing
  for (u32 s = Mesh_HashTuple(p, g.dim) & g.mask;; s = (s + 1) & g.mask) {
    i32 k = g.slots[s];
    if (k < 0) {
      if (!add) return -1;
      g.slots[s] = g.keyCount;
      memcpy(&g.keys[(size_t)g.keyCount * (size_t)g.dim], p, (size_t)g.dim * sizeof(f32));
      g.heads[g.keyCount] = -1;
      return g.keyCount++;
    }
    if (Mesh_TupleEqual(&g.keys[(size_t)k * (size_t)g.dim], p, g.dim)) return k;
  }
}

static void Add(i32 face, const f32 *p) {
  FaceMergeState &g = g_FaceMerge;
  i32 k = FindPos(p, true);
  if (k < 0) return;
  g.entries[g.entryCount] = {face, g.heads[k]};
  g.heads[k] = g.entryCount++;
}

// [SECTION] candidates
static bool HeapPush(i32 v) {
  FaceMergeState &g = g_FaceMerge;
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
  FaceMergeState &g = g_FaceMerge;
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
  g_FaceMerge.heapSize = 0;
  g_FaceMerge.turn++;
}

static bool Push(const f32 *p, i32 after) {
  FaceMergeState &g = g_FaceMerge;
  i32 k = FindPos(p, false);
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
FaceMergeJoin FaceMerge_Plan(const f32 *a, i32 na, const f32 *b, i32 nb, i32 dim) {
  FaceMergeJoin j = {FACEMERGE_NONE, {0, 0}, {0, 0}};
  i32 found = 0, pa[2] = {0, 0}, pb[2] = {0, 0};
  for (i32 x = 0; x < na; x++)
    for (i32 y = 0; y < nb; y++) {
      if (!Mesh_TupleEqual(&a[x * dim], &b[y * dim], dim)) continue;
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
// Every corner position of the mergeable faces with the faces that hold it.
static bool BuildTable(i32 n, const FaceMergeHooks &h) {
  size_t corners = 0;
  f32 pos[16];
  for (i32 i = 0; i < n; i++)
    if (h.mergeable(i)) corners += (size_t)h.positions(i, pos);
  if (!Begin(h.dim, corners)) return false;
  for (i32 i = 0; i < n; i++) {
    if (!h.mergeable(i)) continue;
    i32 c = h.positions(i, pos);
    for (i32 j = 0; j < c; j++) Add(i, &pos[j * h.dim]);
  }
  return true;
}

// Queues the faces after `after` that hold one of face i's corner positions.
static bool PushNeighbours(i32 i, i32 after, const FaceMergeHooks &h) {
  f32 pos[16];
  i32 c = h.positions(i, pos);
  for (i32 j = 0; j < c; j++)
    if (!Push(&pos[j * h.dim], after) && h.stopWhenFull) return false;
  return true;
}

static bool Pass(i32 n, const FaceMergeHooks &h, bool *merged) {
  if (!BuildTable(n, h)) return false;
  for (i32 i = 0; i < n; i++) {
    if (!h.mergeable(i)) continue;
    Turn();
    if (!PushNeighbours(i, i, h)) return false;
    i32 last = i;
    for (i32 j; (j = Next()) >= 0;) {
      if (j <= last) continue;
      last = j;
      if (!h.mergeable(j)) continue;
      f32 a[16], b[16];
      i32 na = h.positions(i, a), nb = h.positions(j, b);
      FaceMergeJoin plan = FaceMerge_Plan(a, na, b, nb, h.dim);
      if (plan.kind == FACEMERGE_NONE) continue;
      h.join(i, j, plan);
      *merged = true;
      if (!PushNeighbours(i, j, h)) return false;   // the new corners may meet later faces
    }
  }
  return true;
}

bool FaceMerge_Run(i32 n, const FaceMergeHooks &h) {
  if (!Stamps(n)) return false;
  for (bool merged = true; merged;) {
    merged = false;
    if (!Pass(n, h, &merged)) return false;
  }
  return true;
}
