// Pairs the edges of a mesh's wire between faces (see drawwire.h).
#include "lib/draw/drawwire.h"

#include <stdlib.h>
#include <string.h>

#include "lib/draw/draw.h"
#include "lib/draw/drawbatch.h"
#include "lib/draw/drawmarks.h"

u32 g_DrawWireOff;

namespace {

struct Slot {
  u64 key;       // lower position << 32 | higher position, plus one; 0 marks a free slot
  i32 first, second;
  u32 uses;      // corners with this edge
};

// The pairing: the rings it was made for, the twin of each corner, the table that finds them
// (a power of two, at least twice the corners) and the plan's corners left out.
struct Wire {
  u32 *ring;
  u8 *count;
  u32 faces, room;
  i32 *twin;
  Slot *table;
  u32 tableSize;
  u8 *skip;
  u32 skipRoom;
  u8 *late;      // the plan's late(f), asked once per face
  u32 lateRoom;
} s_W;

template <typename T> bool Grow(T **p, size_t n) {
  T *q = (T *)realloc(*p, n * sizeof(T));
  if (!q) return false;
  *p = q;
  return true;
}

bool Room(u32 faces) {
  if (faces <= s_W.room) return true;
  u32 size = 1024;
  while (size < 8 * faces) size *= 2;
  if (!Grow(&s_W.ring, 4 * (size_t)faces) || !Grow(&s_W.count, faces) || !Grow(&s_W.twin, 4 * (size_t)faces) ||
      !Grow(&s_W.table, size))
    return false;
  s_W.room = faces;
  s_W.tableSize = size;
  return true;
}

// A face that passes one position twice has no twins: the argument of drawwire.h needs every
// face through a position to leave it by an edge of its own.
bool Distinct(const u32 *v, u32 k) {
  for (u32 a = 0; a < k; a++)
    for (u32 b = a + 1; b < k; b++)
      if (v[a] == v[b]) return false;
  return true;
}

Slot *Find(u64 key) {
  u64 h = key * 0x9E3779B97F4A7C15ull;
  u32 mask = s_W.tableSize - 1, i = (u32)(h >> 40) & mask;
  while (s_W.table[i].key && s_W.table[i].key != key) i = (i + 1) & mask;
  return &s_W.table[i];
}

u64 EdgeKey(u32 a, u32 b) { return a < b ? ((u64)a << 32 | b) + 1 : ((u64)b << 32 | a) + 1; }

void Pair(void) {
  memset(s_W.table, 0, (size_t)s_W.tableSize * sizeof(Slot));
  for (u32 c = 0; c < 4 * s_W.faces; c++) s_W.twin[c] = -1;
  for (u32 f = 0; f < s_W.faces; f++) {
    const u32 *v = &s_W.ring[4 * f];
    u32 k = s_W.count[f];
    if (k < 2 || !Distinct(v, k)) continue;
    for (u32 j = 0; j < k; j++) {
      Slot *s = Find(EdgeKey(v[j], v[(j + 1) % k]));
      if (!s->key) s->key = EdgeKey(v[j], v[(j + 1) % k]), s->first = (i32)(4 * f + j);
      else if (s->uses == 1) s->second = (i32)(4 * f + j);
      s->uses++;
    }
  }
  for (u32 i = 0; i < s_W.tableSize; i++) {
    const Slot &s = s_W.table[i];
    if (s.uses != 2) continue;
    s_W.twin[s.first] = s.second;
    s_W.twin[s.second] = s.first;
  }
}

}  // namespace

void DrawWire_Build(const u32 *ring, const u8 *count, u32 faces) {
  if (faces == 0) {
    s_W.faces = 0;
    return;
  }
  if (faces == s_W.faces && s_W.twin && memcmp(count, s_W.count, faces) == 0 &&
      memcmp(ring, s_W.ring, 4 * (size_t)faces * sizeof(u32)) == 0)
    return;
  s_W.faces = 0;
  if (!Room(faces)) return;
  memcpy(s_W.ring, ring, 4 * (size_t)faces * sizeof(u32));
  memcpy(s_W.count, count, faces);
  s_W.faces = faces;
  Pair();
}

i32 DrawWire_Twin(u32 corner) { return corner < 4 * s_W.faces ? s_W.twin[corner] : -1; }

// One corner's edge (corner j of face f), walking the drawing backwards. Left out when its twin
// comes later, is opaque and symmetric, and a later opaque primitive covers its start
// (drawwire.h); or when later opaque primitives cover every pixel it may cover (drawmarks.h).
static void PlanCorner(const i32 *pixels, u32 f, u32 j, bool earlyOpaque) {
  u32 c = 4 * f + j, k = s_W.count[f], a = s_W.ring[c], b = s_W.ring[j + 1 < k ? c + 1 : 4 * f];
  i32 xa = pixels[2 * a], ya = pixels[2 * a + 1], xb = pixels[2 * b], yb = pixels[2 * b + 1];
  i32 t = s_W.twin[c];
  bool lateF = s_W.late[f], opaque = earlyOpaque || lateF;
  if (!DrawMarks_TieFree(xa, ya, xb, yb)) {
    // Its pixels differ from device to device; the same line drawn again later hides it all the same.
    if (DrawMarks_LineAgain(xa, ya, xb, yb, opaque)) s_W.skip[c] = 1;
    else if (opaque) DrawMarks_Line(xa, ya, xb, yb, true);
    return;
  }
  if (t >= 0 && DrawMarks_Covered(xa, ya)) {
    u32 g = (u32)t / 4;
    bool lateG = s_W.late[g];
    bool later = lateG != lateF ? lateG : g > f;
    if (later && (earlyOpaque || lateG)) {   // tie-free, as found above
      s_W.skip[c] = 1;
      return;
    }
  }
  if (!DrawMarks_Line(xa, ya, xb, yb, opaque)) s_W.skip[c] = 1;
}

bool DrawWire_Plan(const i32 *pixels, u32 positions, bool (*late)(u32 face), bool earlyOpaque,
                   void (*marks)(u32 corner)) {
  u32 corners = 4 * s_W.faces;
  if (corners > s_W.skipRoom) {
    if (!Grow(&s_W.skip, corners)) return false;
    s_W.skipRoom = corners;
  }
  if (corners) memset(s_W.skip, 0, corners);
  if (s_W.faces > s_W.lateRoom) {
    if (!Grow(&s_W.late, s_W.faces)) return false;
    s_W.lateRoom = s_W.faces;
  }
  for (u32 f = 0; f < s_W.faces; f++) s_W.late[f] = late && late(f);
  for (u32 f = 0; f < s_W.faces; f++)
    for (u32 j = 0; j < s_W.count[f]; j++)
      if (s_W.ring[4 * f + j] >= positions) return false;
  if (!DrawMarks_Begin()) return false;
  // Late faces come last in the drawing: they are walked first, each backwards, and the marks
  // drawn after a corner's edge before that edge.
  for (int pass = 1; pass >= 0; pass--) {
    if (pass == 1 && !late) continue;
    for (u32 f = s_W.faces; f-- > 0;) {
      if (s_W.count[f] < 2 || s_W.late[f] != (pass == 1)) continue;
      for (u32 j = s_W.count[f]; j-- > 0;) {
        if (marks) marks(4 * f + j);
        PlanCorner(pixels, f, j, earlyOpaque);
      }
    }
  }
  return true;
}

bool DrawWire_Skip(u32 corner) { return corner < 4 * s_W.faces && s_W.skip[corner]; }

bool DrawWire_Exact(void) {
  if (!DrawBatch_IsOpen() || g_DrawWireOff) return false;
  Place2D p = Draw_CurrentPlacement();
  if (p.scaleX != 1.0f || p.scaleY != 1.0f) return false;
  return !p.inFrame || (p.offsetX == (f32)(i32)p.offsetX && p.offsetY == (f32)(i32)p.offsetY);
}
