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

u32 *s_Ring;      // the rings the pairing was made for
u8 *s_Count;
u32 s_Faces, s_Room;
i32 *s_Twin;      // per corner
Slot *s_Table;
u32 s_TableSize;  // a power of two, at least twice the corners

template <typename T> bool Grow(T **p, size_t n) {
  T *q = (T *)realloc(*p, n * sizeof(T));
  if (!q) return false;
  *p = q;
  return true;
}

bool Room(u32 faces) {
  if (faces <= s_Room) return true;
  u32 size = 1024;
  while (size < 8 * faces) size *= 2;
  if (!Grow(&s_Ring, 4 * (size_t)faces) || !Grow(&s_Count, faces) || !Grow(&s_Twin, 4 * (size_t)faces) ||
      !Grow(&s_Table, size))
    return false;
  s_Room = faces;
  s_TableSize = size;
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
  u32 mask = s_TableSize - 1, i = (u32)(h >> 40) & mask;
  while (s_Table[i].key && s_Table[i].key != key) i = (i + 1) & mask;
  return &s_Table[i];
}

u64 EdgeKey(u32 a, u32 b) { return a < b ? ((u64)a << 32 | b) + 1 : ((u64)b << 32 | a) + 1; }

void Pair(void) {
  memset(s_Table, 0, (size_t)s_TableSize * sizeof(Slot));
  for (u32 c = 0; c < 4 * s_Faces; c++) s_Twin[c] = -1;
  for (u32 f = 0; f < s_Faces; f++) {
    const u32 *v = &s_Ring[4 * f];
    u32 k = s_Count[f];
    if (k < 2 || !Distinct(v, k)) continue;
    for (u32 j = 0; j < k; j++) {
      Slot *s = Find(EdgeKey(v[j], v[(j + 1) % k]));
      if (!s->key) s->key = EdgeKey(v[j], v[(j + 1) % k]), s->first = (i32)(4 * f + j);
      else if (s->uses == 1) s->second = (i32)(4 * f + j);
      s->uses++;
    }
  }
  for (u32 i = 0; i < s_TableSize; i++) {
    const Slot &s = s_Table[i];
    if (s.uses != 2) continue;
    s_Twin[s.first] = s.second;
    s_Twin[s.second] = s.first;
  }
}

}  // namespace

void DrawWire_Build(const u32 *ring, const u8 *count, u32 faces) {
  if (faces == 0) {
    s_Faces = 0;
    return;
  }
  if (faces == s_Faces && s_Twin && memcmp(count, s_Count, faces) == 0 &&
      memcmp(ring, s_Ring, 4 * (size_t)faces * sizeof(u32)) == 0)
    return;
  s_Faces = 0;
  if (!Room(faces)) return;
  memcpy(s_Ring, ring, 4 * (size_t)faces * sizeof(u32));
  memcpy(s_Count, count, faces);
  s_Faces = faces;
  Pair();
}

i32 DrawWire_Twin(u32 corner) { return corner < 4 * s_Faces ? s_Twin[corner] : -1; }

// The plan: per corner whether its edge is left out.
static u8 *s_Skip;
static u32 s_SkipRoom;

// One corner's edge, walking the drawing backwards. Left out when its twin comes later, is
// opaque and symmetric, and a later opaque primitive covers its start (drawwire.h); or when
// later opaque primitives cover every pixel it may cover (drawmarks.h).
static void PlanCorner(const i32 *pixels, u32 c, bool (*late)(u32 face), bool earlyOpaque) {
  u32 f = c / 4, k = s_Count[f], a = s_Ring[c], b = s_Ring[4 * f + (c % 4 + 1) % k];
  i32 xa = pixels[2 * a], ya = pixels[2 * a + 1], xb = pixels[2 * b], yb = pixels[2 * b + 1];
  i32 t = s_Twin[c];
  bool lateF = late && late(f), opaque = earlyOpaque || lateF;
  if (t >= 0 && DrawMarks_Covered(xa, ya)) {
    u32 g = (u32)t / 4;
    bool lateG = late && late(g);
    bool later = lateG != lateF ? lateG : g > f;
    if (later && (earlyOpaque || lateG) && DrawWire_Symmetric(xa, ya, xb, yb)) {
      s_Skip[c] = 1;
      return;
    }
  }
  if (!DrawMarks_Line(xa, ya, xb, yb, opaque)) s_Skip[c] = 1;
}

bool DrawWire_Plan(const i32 *pixels, u32 positions, bool (*late)(u32 face), bool earlyOpaque,
                   void (*marks)(u32 corner)) {
  u32 corners = 4 * s_Faces;
  if (corners > s_SkipRoom) {
    if (!Grow(&s_Skip, corners)) return false;
    s_SkipRoom = corners;
  }
  if (corners) memset(s_Skip, 0, corners);
  for (u32 f = 0; f < s_Faces; f++)
    for (u32 j = 0; j < s_Count[f]; j++)
      if (s_Ring[4 * f + j] >= positions) return false;
  if (!DrawMarks_Begin()) return false;
  // Late faces come last in the drawing: they are walked first, each backwards, and the marks
  // drawn after a corner's edge before that edge.
  for (int pass = 1; pass >= 0; pass--) {
    if (pass == 1 && !late) continue;
    for (u32 f = s_Faces; f-- > 0;) {
      if (s_Count[f] < 2 || (late && late(f)) != (pass == 1)) continue;
      for (u32 j = s_Count[f]; j-- > 0;) {
        if (marks) marks(4 * f + j);
        PlanCorner(pixels, 4 * f + j, late, earlyOpaque);
      }
    }
  }
  return true;
}

bool DrawWire_Skip(u32 corner) { return corner < 4 * s_Faces && s_Skip[corner]; }

bool DrawWire_Exact(void) {
  if (!DrawBatch_IsOpen() || g_DrawWireOff) return false;
  Place2D p = Draw_CurrentPlacement();
  if (p.scaleX != 1.0f || p.scaleY != 1.0f) return false;
  return !p.inFrame || (p.offsetX == (f32)(i32)p.offsetX && p.offsetY == (f32)(i32)p.offsetY);
}

bool DrawWire_Symmetric(i32 x1, i32 y1, i32 x2, i32 y2) {
  u32 a = (u32)(x2 > x1 ? x2 - x1 : x1 - x2), b = (u32)(y2 > y1 ? y2 - y1 : y1 - y2);
  u32 major = a > b ? a : b, minor = a > b ? b : a;
  if (major == 0) return true;
  u32 g = major, r = minor;
  while (r) {
    u32 t = g % r;
    g = r;
    r = t;
  }
  return (major / g) % 2 == 1;
}
