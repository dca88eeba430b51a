// Marks hidden by later marks left out (see drawmarks.h).
#include "lib/draw/drawmarks.h"

#include <stddef.h>
#include <stdlib.h>
#include <string.h>

#include "lib/draw/draw.h"
#include "lib/draw/drawdev.h"

// The viewport's covered pixels, one byte each row after row, and the viewport.
static struct {
  u8 *covered;
  size_t room;
  i32 left, top, width, height;
} s_M;

// The opaque lines with a halfway step met in the walk, by their ends in drawing order: an open
// table of packed ends (a power of two in size), an entry in use when its stamp is the walk's.
static struct {
  u64 *ends;
  u32 *stamps;
  u32 size, used, stamp;
} s_Again;

static void ForgetLines(void) {
  s_Again.used = 0;
  if (++s_Again.stamp != 0) return;
  // The stamp came round: every entry is cleared once.
  if (s_Again.stamps) memset(s_Again.stamps, 0, (size_t)s_Again.size * sizeof(u32));
  s_Again.stamp = 1;
}

bool DrawMarks_Begin(void) {
  ForgetLines();
  s_M.width = s_M.height = 0;
  if (!g_Dev.draw.getViewport) return false;
  DrawViewport vp = {0, 0, 0, 0, 0.0f, 1.0f};
  g_Dev.draw.getViewport(&vp);
  size_t n = (size_t)vp.width * vp.height;
  if (n == 0) return false;
  if (n > s_M.room) {
    u8 *p = (u8 *)realloc(s_M.covered, n);
    if (!p) return false;
    s_M.covered = p;
    s_M.room = n;
  }
  memset(s_M.covered, 0, n);
  s_M.left = (i32)vp.x, s_M.top = (i32)vp.y, s_M.width = (i32)vp.width, s_M.height = (i32)vp.height;
  return true;
}

// Pixel (x, y) in the covered table, or null beyond the viewport: whether a device draws there
// is left open, so such a pixel is never taken as covered.
static u8 *Cell(i32 x, i32 y) {
  i32 cx = x - s_M.left, cy = y - s_M.top;
  if (cx < 0 || cy < 0 || cx >= s_M.width || cy >= s_M.height) return nullptr;
  return &s_M.covered[(size_t)cy * (size_t)s_M.width + (size_t)cx];
}

// Devices differ only at a line's ends (drawmarks.h): whether they draw its last pixel, and
// whether they leave out the start of a line going up more than across. Each of the four
// kinds of device has its own bit in a pixel's byte: set where later opaque primitives cover
// the pixel on that kind. A pixel is covered on every device when all four are set.
// Kind k draws the last pixel when k & 1, and leaves out an upward start when k & 2. The
// byte's high four bits are the marks met at the pixel (DrawMarks_Again).
enum : u8 {
  KINDS_ALL = 15,
  KINDS_DRAWING_END = 1 << 1 | 1 << 3,
  KINDS_DRAWING_UP_START = 1 << 0 | 1 << 1,
};

static bool IsCovered(i32 x, i32 y) {
  const u8 *c = Cell(x, y);
  return c && (*c & KINDS_ALL) == KINDS_ALL;
}

static void Cover(i32 x, i32 y, u8 kinds) {
  if (u8 *c = Cell(x, y)) *c |= kinds;
}

bool DrawMarks_Covered(i32 x, i32 y) { return IsCovered(x, y); }

bool DrawMarks_TieFree(i32 x1, i32 y1, i32 x2, i32 y2) {
  u64 a = (u64)((i64)x2 - x1 > 0 ? (i64)x2 - x1 : (i64)x1 - x2), b = (u64)((i64)y2 - y1 > 0 ? (i64)y2 - y1 : (i64)y1 - y2);
  u64 major = a > b ? a : b, minor = a > b ? b : a;
  if (major == 0) return true;
  u64 g = major, r = minor;
  while (r) {
    u64 t = g % r;
    g = r;
    r = t;
  }
  return (major / g) % 2 == 1;
}

// d * i / n rounded to the nearest whole number (n > 0; never halfway on a tie-free line), in
// 128 bits: the ends of a line lie anywhere an i32 reaches.
static i64 NearestFar(i64 d, i64 i, i64 n) {
  __int128 q = (__int128)2 * d * i + n, twoN = (__int128)2 * n;
  return (i64)(q >= 0 ? q / twoN : -((-q + twoN - 1) / twoN));
}

// Cover at a pixel given in 64 bits (one far beyond the viewport is no cell).
static void CoverFar(i64 x, i64 y, u8 kinds) {
  if (x >= s_M.left && x < (i64)s_M.left + s_M.width && y >= s_M.top && y < (i64)s_M.top + s_M.height) Cover((i32)x, (i32)y, kinds);
}

static bool Inside(i32 x, i32 y) { return (u32)(x - s_M.left) < (u32)s_M.width && (u32)(y - s_M.top) < (u32)s_M.height; }

// The kinds of device that draw pixel i of the n + 1 along a tie-free line.
static u8 KindsDrawing(i64 i, i64 n, u8 start, u8 end) { return i == 0 ? start : i == n ? end : (u8)KINDS_ALL; }

// A tie-free line within the viewport: its cells walked by whole steps, the side across its
// long one moving a pixel where the rounded position does (no bounds check, no division).
struct CellWalk {
  u8 *cell;
  ptrdiff_t major, minor;
  i32 acc, rise, twoN;
  void Next() {
    cell += major;
    acc += rise;
    if (acc >= twoN) acc -= twoN, cell += minor;
  }
};

static CellWalk WalkFrom(i32 x1, i32 y1, i32 dx, i32 dy, i32 n) {
  bool across = (dx < 0 ? -dx : dx) > (dy < 0 ? -dy : dy);
  ptrdiff_t row = (ptrdiff_t)s_M.width, stepX = dx > 0 ? 1 : -1, stepY = dy > 0 ? row : -row;
  i32 side = across ? dy : dx;
  CellWalk w;
  w.cell = &s_M.covered[(size_t)(y1 - s_M.top) * (size_t)s_M.width + (size_t)(x1 - s_M.left)];
  w.major = across ? stepX : stepY;
  w.minor = across ? stepY : stepX;
  w.acc = n;   // 2 * rise * i + n, less the whole steps taken: the pixel nearest on each step
  w.rise = 2 * (side < 0 ? -side : side);
  w.twoN = 2 * n;
  return w;
}

static bool RunInside(i32 x1, i32 y1, i32 dx, i32 dy, i32 n, u8 start, u8 end, bool opaque) {
  bool shows = false;
  CellWalk w = WalkFrom(x1, y1, dx, dy, n);
  for (i32 i = 0; i <= n && !shows; i++) {
    if (i) w.Next();
    u8 kinds = KindsDrawing(i, n, start, end);
    shows = (*w.cell & kinds) != kinds;
  }
  // A line that leaves no pixel of its own covers nothing new.
  if (!opaque || !shows) return shows;
  w = WalkFrom(x1, y1, dx, dy, n);
  for (i32 i = 0; i <= n; i++) {
    if (i) w.Next();
    *w.cell |= KindsDrawing(i, n, start, end);
  }
  return shows;
}


bool DrawMarks_Line(i32 x1, i32 y1, i32 x2, i32 y2, bool opaque) {
  // A point goes out as the one-pixel line to its right.
  if (x1 == x2 && y1 == y2) x2 = x1 < 0x7FFFFFFF ? x1 + 1 : x1 - 1;
  // In 64 bits: the ends of a line may lie anywhere an i32 reaches.
  i64 dx = (i64)x2 - x1, dy = (i64)y2 - y1, ax = dx < 0 ? -dx : dx, ay = dy < 0 ? -dy : dy, n = ax > ay ? ax : ay;
  u8 start = ax > ay || dy > 0 ? (u8)KINDS_ALL : (u8)KINDS_DRAWING_UP_START, end = KINDS_DRAWING_END;
  if (!DrawMarks_TieFree(x1, y1, x2, y2)) {
    // Where the line passes halfway between two pixels, devices differ: it shows.
    if (opaque) Cover(x1, y1, start);
    return true;
  }
  // Pixel i of n + 1 along the long side: the nearest to the line on each step. Every device
  // draws those between its ends; the ends as its kind does.
  if (Inside(x1, y1) && Inside(x2, y2)) return RunInside(x1, y1, (i32)dx, (i32)dy, (i32)n, start, end, opaque);
  // An end beyond the viewport is a pixel no later primitive covers: the line shows. It covers
  // the pixels of its steps within the viewport's span along its long side, however long it is.
  if (opaque) {
    bool across = ax > ay;
    i64 from = across ? x1 : y1, step = (across ? dx : dy) > 0 ? 1 : -1;
    i64 lo = across ? s_M.left : s_M.top, hi = lo + (across ? s_M.width : s_M.height) - 1;
    i64 first = step > 0 ? lo - from : from - hi, last = step > 0 ? hi - from : from - lo;
    if (first < 0) first = 0;
    if (last > n) last = n;
    for (i64 i = first; i <= last; i++) {
      u8 kinds = KindsDrawing(i, n, start, end);
      if (across) CoverFar(x1 + step * i, y1 + NearestFar(dy, i, n), kinds);
      else CoverFar(x1 + NearestFar(dx, i, n), y1 + step * i, kinds);
    }
  }
  return true;
}

static u32 EndsSlot(u64 ends, u32 mask) {
  u64 h = ends * 0x9E3779B97F4A7C15ull;
  u32 i = (u32)(h >> 40) & mask;
  while (s_Again.stamps[i] == s_Again.stamp && s_Again.ends[i] != ends) i = (i + 1) & mask;
  return i;
}

// Room for one more line in the table (kept at most half full); false without memory.
static bool RoomForLine(void) {
  if (2 * (s_Again.used + 1) <= s_Again.size) return true;
  u32 size = s_Again.size ? 2 * s_Again.size : 4096;
  u64 *ends = (u64 *)malloc((size_t)size * sizeof(u64));
  u32 *stamps = (u32 *)calloc(size, sizeof(u32));
  if (!ends || !stamps) {
    free(ends);
    free(stamps);
    return false;
  }
  u64 *oldEnds = s_Again.ends;
  u32 *oldStamps = s_Again.stamps, oldSize = s_Again.size, stamp = s_Again.stamp;
  s_Again.ends = ends, s_Again.stamps = stamps, s_Again.size = size;
  for (u32 i = 0; i < oldSize; i++) {
    if (oldStamps[i] != stamp) continue;
    u32 at = EndsSlot(oldEnds[i], size - 1);
    ends[at] = oldEnds[i];
    stamps[at] = stamp;
  }
  free(oldEnds);
  free(oldStamps);
  return true;
}

static bool Fits16(i32 v) { return v >= -32768 && v <= 32767; }

bool DrawMarks_LineAgain(i32 x1, i32 y1, i32 x2, i32 y2, bool opaque) {
  if (!Fits16(x1) || !Fits16(y1) || !Fits16(x2) || !Fits16(y2)) return false;
  u64 ends = (u64)(u16)x1 << 48 | (u64)(u16)y1 << 32 | (u64)(u16)x2 << 16 | (u64)(u16)y2;
  if (s_Again.size) {
    u32 at = EndsSlot(ends, s_Again.size - 1);
    if (s_Again.stamps[at] == s_Again.stamp) return true;
  }
  if (!opaque || !RoomForLine()) return false;
  u32 at = EndsSlot(ends, s_Again.size - 1);
  s_Again.ends[at] = ends;
  s_Again.stamps[at] = s_Again.stamp;
  s_Again.used++;
  return false;
}

bool DrawMarks_Again(i32 x, i32 y, u32 mark) {
  u8 *c = Cell(x, y);
  if (!c || mark >= 4) return false;
  u8 bit = (u8)(16u << mark);
  bool again = (*c & bit) != 0;
  *c |= bit;
  return again;
}

u32 DrawMarks_Box(i32 x1, i32 y1, i32 x2, i32 y2) {
  u32 sides = 0;
  sides |= DrawMarks_Line(x1, y1, x2, y1, true) ? 1u : 0u;
  sides |= DrawMarks_Line(x2, y1, x2, y2, true) ? 2u : 0u;
  sides |= DrawMarks_Line(x1, y2, x2, y2, true) ? 4u : 0u;
  sides |= DrawMarks_Line(x1, y1, x1, y2, true) ? 8u : 0u;
  return sides;
}

bool DrawMarks_Point(i32 x, i32 y) { return DrawMarks_Line(x, y, x, y, true); }

void DrawMarks_DrawBox(i32 x1, i32 y1, i32 x2, i32 y2, u32 sides, i32 r, i32 g, i32 b, i32 a) {
  if (sides & 1) Draw_Line2D(x1, y1, r, g, b, a, x2, y1, r, g, b, a);
  if (sides & 2) Draw_Line2D(x2, y1, r, g, b, a, x2, y2, r, g, b, a);
  if (sides & 4) Draw_Line2D(x1, y2, r, g, b, a, x2, y2, r, g, b, a);
  if (sides & 8) Draw_Line2D(x1, y1, r, g, b, a, x1, y2, r, g, b, a);
}
