// The face merge's position table, candidate heap and join plan (see facemerge.h).
#include "model/facemerge.h"

#include <string.h>

#include "model/mesh.h"
#include "model/workbuf.h"

FaceMergeState g_FaceMerge;

// [SECTION] position table
// A full avalanche of 32 bits (the finaliser of MurmurHash3): the tables probe linearly, and
// positions on a regular pattern (a ring, a grid) must not fall into runs of neighbouring slots.
static u32 Mix(u32 h) {
  h ^= h >> 16;
  h *= 0x85EBCA6Bu;
  h ^= h >> 13;
  h *= 0xC2B2AE35u;
  h ^= h >> 16;
  return h;
}

static bool Stamps(i32 faces) {
  FaceMergeState &g = g_FaceMerge;
  size_t n = faces > 0 ? (size_t)faces : 0;
  if (!WorkBuf_Room(&g.stamps, &g.stampsCap, n)) return false;
  memset(g.stamps, 0, n * sizeof(u32));
  g.turn = 0;
  return true;
}

static bool BeginPositions(i32 dim, size_t corners) {
  FaceMergeState &g = g_FaceMerge;
  size_t size = WorkBuf_HashSlots(corners);
  if (!WorkBuf_Room(&g.slots, &g.slotsCap, size) || !WorkBuf_Room(&g.keys, &g.keysCap, corners * (size_t)dim) ||
      !WorkBuf_Room(&g.heads, &g.headsCap, corners) || !WorkBuf_Room(&g.counts, &g.countsCap, corners) ||
      !WorkBuf_Room(&g.entries, &g.entriesCap, corners) || !WorkBuf_Room(&g.dupHeads, &g.dupHeadsCap, corners) ||
      !WorkBuf_Room(&g.dupEntries, &g.dupEntriesCap, corners))
    return false;
  memset(g.slots, 0xFF, size * sizeof(i32));
  g.mask = (u32)(size - 1);
  g.dim = dim;
  g.keyCount = g.entryCount = g.dupEntryCount = g.crowded = 0;
  g.pairCount = g.pairEntryCount = 0;
  return true;
}

// The pair table, sized for `pairs` pairs of crowded keys.
static bool BeginPairs(size_t pairs) {
  FaceMergeState &g = g_FaceMerge;
  size_t size = WorkBuf_HashSlots(pairs);
  if (!WorkBuf_Room(&g.pairSlots, &g.pairSlotsCap, size) || !WorkBuf_Room(&g.pairKeys, &g.pairKeysCap, pairs * 2) ||
      !WorkBuf_Room(&g.pairHeads, &g.pairHeadsCap, pairs) || !WorkBuf_Room(&g.pairEntries, &g.pairEntriesCap, pairs))
    return false;
  memset(g.pairSlots, 0xFF, size * sizeof(i32));
  g.pairMask = (u32)(size - 1);
  g.pairCount = g.pairEntryCount = 0;
  return true;
}

static bool Crowded(i32 key) { return g_FaceMerge.counts[key] > kFaceMergeWalk; }

// The key index of position p, -1 when it is not in the table (add: entered when missing).
template <int D>
static i32 FindPos(const f32 *p, bool add) {
  FaceMergeState &g = g_FaceMerge;
  if (Mesh_TupleHasNaN(p, D)) return -1;   // equals nothing
  for (u32 s = Mix(Mesh_HashTuple(p, D)) & g.mask;; s = (s + 1) & g.mask) {
    i32 k = g.slots[s];
    if (k < 0) {
      if (!add) return -1;
      g.slots[s] = g.keyCount;
      memcpy(&g.keys[(size_t)g.keyCount * (size_t)D], p, (size_t)D * sizeof(f32));
      g.heads[g.keyCount] = -1;
      g.counts[g.keyCount] = 0;
      g.dupHeads[g.keyCount] = -1;
      return g.keyCount++;
    }
    if (Mesh_TupleEqual(&g.keys[(size_t)k * (size_t)D], p, D)) return k;
  }
}

// The pair index of keys lo < hi, -1 when no face holds both (add: entered when missing).
static i32 FindPair(i32 lo, i32 hi, bool add) {
  FaceMergeState &g = g_FaceMerge;
  if (!add && g.pairCount == 0) return -1;
  for (u32 s = Mix((u32)lo * 0x9E3779B1u + (u32)hi) & g.pairMask;; s = (s + 1) & g.pairMask) {
    i32 k = g.pairSlots[s];
    if (k < 0) {
      if (!add) return -1;
      g.pairSlots[s] = g.pairCount;
      g.pairKeys[2 * g.pairCount] = lo;
      g.pairKeys[2 * g.pairCount + 1] = hi;
      g.pairHeads[g.pairCount] = -1;
      return g.pairCount++;
    }
    if (g.pairKeys[2 * k] == lo && g.pairKeys[2 * k + 1] == hi) return k;
  }
}

// Puts face at the front of a list (faces are entered in rising order, so lists run downward);
// false when it was listed already.
static bool Prepend(i32 *head, FaceMergeEntry *entries, i32 *count, i32 face) {
  if (*head >= 0 && entries[*head].face == face) return false;
  entries[*count] = {face, *head};
  *head = (*count)++;
  return true;
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

// Queues the faces of a list (running downward) after `after`.
static bool PushList(i32 e, const FaceMergeEntry *entries, i32 after) {
  FaceMergeState &g = g_FaceMerge;
  bool ok = true;
  for (; e >= 0; e = entries[e].next) {
    i32 f = entries[e].face;
    if (f <= after) break;
    if (g.stamps[f] == g.turn) continue;
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
  FaceMergeState &g = g_FaceMerge;
  g.live[f] = h.mergeable(f) ? 1 : 0;
  if (g.live[f]) g.posCount[f] = (u8)h.positions(f, &g.pos[(size_t)f * 4 * D]);
}

// Enters face i's corners: each position's list and the list of each position it holds more
// than once.
template <int D>
static void EnterFace(i32 i) {
  FaceMergeState &g = g_FaceMerge;
  i32 n = g.posCount[i], *k = &g.faceKeys[(size_t)i * 4];
  for (i32 j = 0; j < n; j++) {
    k[j] = FindPos<D>(&g.pos[((size_t)i * 4 + (size_t)j) * D], true);
    if (k[j] < 0) continue;
    if (!Prepend(&g.heads[k[j]], g.entries, &g.entryCount, i)) {
      Prepend(&g.dupHeads[k[j]], g.dupEntries, &g.dupEntryCount, i);
      continue;
    }
    if (++g.counts[k[j]] == kFaceMergeWalk + 1) g.crowded++;
  }
}

// Calls pair(slot, lo, hi) for each pair of face i's corners a < b (slot counting them) whose
// keys are distinct and both crowded.
template <typename F>
static void CrowdedPairs(const i32 *k, i32 n, F pair) {
  for (i32 a = 0, slot = 0; a < n; a++)
    for (i32 b = a + 1; b < n; b++, slot++) {
      if (k[a] < 0 || k[b] < 0 || k[a] == k[b] || !Crowded(k[a]) || !Crowded(k[b])) continue;
      pair(slot, k[a] < k[b] ? k[a] : k[b], k[a] < k[b] ? k[b] : k[a]);
    }
}

// Enters the faces holding two distinct crowded positions in the list of that pair.
static bool EnterCrowdedPairs(void) {
  FaceMergeState &g = g_FaceMerge;
  if (g.crowded < 2) return true;   // no pair is both crowded
  size_t pairs = 0;
  for (i32 x = 0; x < g.orderCount; x++) {
    i32 i = g.order[x];
    CrowdedPairs(&g.faceKeys[(size_t)i * 4], g.posCount[i], [&](i32, i32, i32) { pairs++; });
  }
  if (!BeginPairs(pairs)) return false;
  for (i32 x = 0; x < g.orderCount; x++) {
    i32 i = g.order[x], *facePairs = &g.facePairs[(size_t)i * 6];
    CrowdedPairs(&g.faceKeys[(size_t)i * 4], g.posCount[i], [&](i32 slot, i32 lo, i32 hi) {
      i32 p = FindPair(lo, hi, true);
      Prepend(&g.pairHeads[p], g.pairEntries, &g.pairEntryCount, i);
      facePairs[slot] = p;
    });
  }
  return true;
}

// The positions of the mergeable faces with the faces that hold them, and the pairs of crowded
// positions with the faces that hold both.
template <int D>
static bool BuildTable(const FaceMergeHooks &h) {
  FaceMergeState &g = g_FaceMerge;
  size_t corners = 0;
  i32 kept = 0;
  for (i32 k = 0; k < g.orderCount; k++) {
    i32 i = g.order[k];
    TakeFace<D>(i, h);
    if (!g.live[i]) continue;
    g.order[kept++] = i;
    corners += g.posCount[i];
  }
  g.orderCount = kept;
  if (!BeginPositions(D, corners)) return false;
  for (i32 k = 0; k < g.orderCount; k++) EnterFace<D>(g.order[k]);
  return EnterCrowdedPairs();
}

// Queues the faces after `after` whose corners may match two of face i's: every face on each
// of i's positions held by few faces, and on a crowded position those holding it twice and
// those holding it with another crowded position of i. A face i that holds a position twice
// may match a face on that position alone: then every face on its positions. entered: i's
// keys and pairs are those the pass entered (else looked up: a face merged into has new
// corners).
template <int D>
static bool PushNeighbours(i32 i, i32 after, bool entered, const FaceMergeHooks &h) {
  FaceMergeState &g = g_FaceMerge;
  i32 n = g.posCount[i], k[4];
  bool twice = false;
  for (i32 j = 0; j < n; j++) {
    k[j] = entered ? g.faceKeys[(size_t)i * 4 + (size_t)j] : FindPos<D>(&g.pos[((size_t)i * 4 + (size_t)j) * D], false);
    for (i32 x = 0; x < j; x++) twice = twice || (k[j] >= 0 && k[x] == k[j]);
  }
  bool ok = true;
  for (i32 a = 0; a < n; a++) {
    if (k[a] < 0) continue;
    if (twice || !Crowded(k[a])) ok = PushList(g.heads[k[a]], g.entries, after) && ok;
    else ok = PushList(g.dupHeads[k[a]], g.dupEntries, after) && ok;
    if (!ok && h.stopWhenFull) return false;
  }
  if (twice) return ok || !h.stopWhenFull;
  CrowdedPairs(k, n, [&](i32 slot, i32 lo, i32 hi) {
    i32 p = entered ? g.facePairs[(size_t)i * 6 + (size_t)slot] : FindPair(lo, hi, false);
    if (p >= 0) ok = PushList(g.pairHeads[p], g.pairEntries, after) && ok;
  });
  return ok || !h.stopWhenFull;
}

template <int D>
static bool Pass(const FaceMergeHooks &h, bool *merged) {
  FaceMergeState &g = g_FaceMerge;
  if (!BuildTable<D>(h)) return false;
  for (i32 k = 0; k < g.orderCount; k++) {
    i32 i = g.order[k];
    if (!g.live[i]) continue;   // joined into an earlier face in this pass
    Turn();
    if (!PushNeighbours<D>(i, i, true, h)) return false;
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
      if (!PushNeighbours<D>(i, j, false, h)) return false;   // the new corners may meet later faces
    }
  }
  return true;
}

bool FaceMerge_Run(i32 n, const FaceMergeHooks &h) {
  FaceMergeState &g = g_FaceMerge;
  size_t faces = n > 0 ? (size_t)n : 0;
  if (!Stamps(n) || !WorkBuf_Room(&g.live, &g.liveCap, faces) || !WorkBuf_Room(&g.posCount, &g.posCountCap, faces) ||
      !WorkBuf_Room(&g.pos, &g.posCap, faces * 4 * (size_t)h.dim) || !WorkBuf_Room(&g.order, &g.orderCap, faces) ||
      !WorkBuf_Room(&g.faceKeys, &g.faceKeysCap, faces * 4) || !WorkBuf_Room(&g.facePairs, &g.facePairsCap, faces * 6))
    return false;
  for (i32 i = 0; i < n; i++) g.order[i] = i;
  g.orderCount = n > 0 ? n : 0;
  for (bool merged = true; merged;) {
    merged = false;
    if (!(h.dim == 2 ? Pass<2>(h, &merged) : Pass<3>(h, &merged))) return false;
  }
  return true;
}
