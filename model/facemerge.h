// The face merge both modelling panels share: which later faces hold one of a face's corner
// positions, in index order, and how two faces with exactly two equal corner positions join.
// Two faces join only when their corners match in exactly two pairs. A position held by few
// faces (kFaceMergeWalk or fewer, as nearly every position of an ordinary mesh) is searched by
// walking its face list; a pair of positions both held by many faces (a cone's apex, a fan, a
// pole) is searched through its own list of the faces holding both, so such positions cost no
// more than elsewhere. Any partner shares a few-face position with the face or holds both of
// such a pair, or holds a position of the face twice: faces that hold one position twice are
// found through their own short list of each such position.
//
// Positions are plain arrays of `dim` floats (2 for the 2D skin, 3 for a 3D model) compared
// exactly: -0 equals +0 and a position with a NaN equals nothing. No model type: the editors
// pass their positions, and FaceMerge_Apply works on any polygon record with `cornerCount` and
// `corners[4]` holding a `vertex`.
//
// g_FaceMerge holds the work tables; only facemerge.cpp changes it, on the UI thread.
#pragma once
#include <stddef.h>

#include "model/types.h"

struct FaceMergeEntry {
  i32 face;
  i32 next;   // next entry of the same position, -1 none
};

// Faces on a position up to which its face list is walked rather than its pairs looked up.
enum { kFaceMergeWalk = 12 };

struct FaceMergeState {
  i32 dim;           // floats a position
  i32 keyCount;      // positions entered
  i32 entryCount;    // corners entered
  i32 heapSize;
  u32 mask;          // slot count - 1 (a power of two)
  u32 turn;          // stamp of the face whose candidates wait in the heap
  size_t slotsCap, keysCap, headsCap, entriesCap, heapCap, stampsCap, liveCap, posCap, posCountCap;
  i32 pairCount, pairEntryCount, dupEntryCount;
  u32 pairMask;      // pair slot count - 1 (a power of two)
  size_t pairSlotsCap, pairKeysCap, pairHeadsCap, pairEntriesCap, dupHeadsCap, dupEntriesCap;
  i32 *slots;        // -1 empty, else a key index
  f32 *keys;         // dim floats a key
  i32 *heads;        // first entry of each key, -1 none (every face on the position, latest first)
  i32 *counts;       // faces on each key
  size_t countsCap;
  i32 crowded;       // keys held by more than kFaceMergeWalk faces
  FaceMergeEntry *entries;
  i32 *pairSlots;    // -1 empty, else a pair index
  i32 *pairKeys;     // two key indices a pair, the lower first
  i32 *pairHeads;    // first entry of each pair of crowded keys, -1 none (the faces holding both, latest first)
  FaceMergeEntry *pairEntries;
  i32 *dupHeads;     // per key: the faces holding the position more than once, latest first
  FaceMergeEntry *dupEntries;
  i32 *heap;         // min-heap of face numbers still to compare
  u32 *stamps;       // a face's turn while it waits in the heap
  i32 orderCount;
  size_t orderCap, faceKeysCap, facePairsCap;
  i32 *faceKeys;     // each face's corner keys as entered, 4 a face (-1: a NaN corner)
  i32 *facePairs;    // each face's pairs of crowded corners a < b as entered, 6 a face (-1: none)
  i32 *order;        // the faces still to ask, rising: a face that cannot merge stays so
  u8 *live;          // the faces that can merge in this pass
  f32 *pos;          // their corner positions, 4 x dim floats a face
  u8 *posCount;      // their corner counts
};
extern FaceMergeState g_FaceMerge;

// How face b joins face a: two quads give the quad over both (a's corners aAt[k] take the
// vertex of b's corner bFrom[k]); two triangles the quad over both in a's winding (b's corner
// bFrom[0] goes in at a's corner aAt[0], the later corners moving up one).
enum { FACEMERGE_NONE, FACEMERGE_QUADS, FACEMERGE_TRIANGLES };
struct FaceMergeJoin {
  i32 kind;
  i32 aAt[2];
  i32 bFrom[2];
};

// What the merge asks of the editor: whether a face can merge (a face joined into another must
// answer false from then on), its corner positions (the count, at most 4, dim floats each into
// out), and the join itself (apply the plan, usually with FaceMerge_Apply, and mark `gone`).
// mergeable and positions are asked once a pass, and again for a face merged into; a face that
// answered false is not asked again in the same run (whether a face can merge does not change
// but by its join), so later passes walk only the faces still mergeable.
struct FaceMergeHooks {
  i32 dim;
  bool (*mergeable)(i32 face);
  i32 (*positions)(i32 face, f32 *out);
  void (*join)(i32 into, i32 gone, const FaceMergeJoin &plan);
  bool stopWhenFull;   // out of memory while queueing: false, or go on without that face
};

// Joins faces 0..n-1 pass after pass until a pass joins nothing: in a pass, every mergeable
// face in order with every later mergeable face that holds one of its corner positions, in
// index order (the order a pass over every pair would meet them in), including the faces its
// new corners meet after a join. False when out of memory.
bool FaceMerge_Run(i32 n, const FaceMergeHooks &h);

// Applies a join the merge planned to a (b stays as it is); false for FACEMERGE_NONE.
template <typename Poly>
bool FaceMerge_Apply(Poly *a, const Poly *b, const FaceMergeJoin &j) {
  if (j.kind == FACEMERGE_QUADS) {
    a->corners[j.aAt[0]].vertex = b->corners[j.bFrom[0]].vertex;
    a->corners[j.aAt[1]].vertex = b->corners[j.bFrom[1]].vertex;
    return true;
  }
  if (j.kind != FACEMERGE_TRIANGLES) return false;
  for (i32 c = 3; c > j.aAt[0]; c--) a->corners[c] = a->corners[c - 1];
  a->corners[j.aAt[0]] = b->corners[j.bFrom[0]];
  a->cornerCount = 4;
  return true;
}
