// Runs of opaque lines of one colour sent as few lines (see drawruns.h).
#include "lib/draw/drawruns.h"

#include "lib/draw/drawdev.h"

#include <stdlib.h>
#include <string.h>

#include <algorithm>

u32 g_DrawRunOff;

namespace {

struct Line {
  i32 x1, y1, x2, y2;
  u32 key1, key2;
};

// A line that joins others: the row or column it keeps to (`line`: its way and place, the
// sort's first key), the span it covers along it from lo to hi, the keys of those ends.
struct Span {
  u32 line;
  i32 lo, hi;
  u32 keyLo, keyHi;
};

// The ways in the order the sort keeps: the rows first, so that a column up can ask them.
enum Way : u32 { WAY_RIGHT, WAY_LEFT, WAY_DOWN, WAY_UP, WAYS };

// A point of another colour met in the run, drawn after the run's lines before it.
struct Dot {
  i32 x, y, r, g, b, a;
};

struct Run {
  Place2D place;
  Dot *dots;
  u32 dotCount, dotRoom;
  // The pixels the pending dots may draw (their own and the next to the right, as a point goes
  // out), one byte each over the viewport; all clear while no dot is pending.
  u8 *held;
  size_t heldRoom;
  i32 left, top, width, height;
  i32 r, g, b;
  Line *lines;
  u32 count, room;
  Span *spans, *sorted;
  u32 spanRoom, sortedRoom;
  u32 *counts;
  u32 countRoom;
  u32 across;     // rows or columns of each way in the last sort
  i32 fixedLo;    // the first of them
} s_R;

template <typename T> bool Grow(T **p, u32 *room, u32 need) {
  if (need <= *room) return true;
  u32 n = *room ? *room : 1024;
  while (n < need) n *= 2;
  T *q = (T *)realloc(*p, (size_t)n * sizeof(T));
  if (!q) return false;
  *p = q;
  *room = n;
  return true;
}

void Draw(i32 x1, i32 y1, u32 k1, i32 x2, i32 y2, u32 k2, u32 *drawn) {
  Draw_Line2DKeyed(&s_R.place, x1, y1, k1, x2, y2, k2, s_R.r, s_R.g, s_R.b, 255);
  if (drawn) (*drawn)++;
}

// The way a line joins others, or WAYS when it goes out as it is.
u32 WayOf(const Line &l) {
  if (l.y1 == l.y2 && l.x1 != l.x2) return l.x2 > l.x1 ? WAY_RIGHT : WAY_LEFT;
  if (l.x1 == l.x2 && l.y1 != l.y2) return l.y2 > l.y1 ? WAY_DOWN : WAY_UP;
  return WAYS;
}

// One counting pass of a radix sort: `from` into `to` by key(span), stable; keys below `keys`.
template <typename K> bool CountSort(const Span *from, Span *to, u32 n, u32 keys, K key) {
  if (!Grow(&s_R.counts, &s_R.countRoom, keys + 1)) return false;
  memset(s_R.counts, 0, (size_t)(keys + 1) * sizeof(u32));
  for (u32 i = 0; i < n; i++) s_R.counts[key(from[i]) + 1]++;
  for (u32 k = 0; k < keys; k++) s_R.counts[k + 1] += s_R.counts[k];
  for (u32 i = 0; i < n; i++) to[s_R.counts[key(from[i])]++] = from[i];
  return true;
}

// The joining lines as spans sorted by row or column, then start; false (nothing joined) when
// the run is too wide to sort this way or there is no memory.
bool SortSpans(u32 *spans) {
  i32 lo = 0, hi = 0, fixedLo = 0, fixedHi = 0;
  bool any = false;
  u32 n = 0;
  for (u32 i = 0; i < s_R.count; i++) {
    const Line &l = s_R.lines[i];
    u32 way = WayOf(l);
    if (way == WAYS) continue;
    bool column = way == WAY_DOWN || way == WAY_UP;
    i32 fixed = column ? l.x1 : l.y1;
    i32 a = column ? l.y1 : l.x1, b = column ? l.y2 : l.x2;
    i32 s = a < b ? a : b, e = a < b ? b : a;
    if (!any) lo = s, hi = e, fixedLo = fixedHi = fixed, any = true;
    lo = s < lo ? s : lo, hi = e > hi ? e : hi;
    fixedLo = fixed < fixedLo ? fixed : fixedLo, fixedHi = fixed > fixedHi ? fixed : fixedHi;
    n++;
  }
  *spans = 0;
  if (!n) return true;
  i64 along = (i64)hi - lo + 1, across = (i64)fixedHi - fixedLo + 1;
  if (along > (1 << 20) || across * WAYS > (1 << 20)) return false;
  if (!Grow(&s_R.spans, &s_R.spanRoom, n) || !Grow(&s_R.sorted, &s_R.sortedRoom, n)) return false;
  s_R.across = (u32)across;
  s_R.fixedLo = fixedLo;
  u32 k = 0;
  for (u32 i = 0; i < s_R.count; i++) {
    const Line &l = s_R.lines[i];
    u32 way = WayOf(l);
    if (way == WAYS) continue;
    Span &s = s_R.spans[k++];
    bool column = way == WAY_DOWN || way == WAY_UP;
    i32 fixed = column ? l.x1 : l.y1;
    s.line = way * (u32)across + (u32)(fixed - fixedLo);
    bool high = way == WAY_LEFT || way == WAY_UP;   // a line that starts at its high end
    i32 a = column ? l.y1 : l.x1, b = column ? l.y2 : l.x2;
    s.lo = high ? b : a;
    s.hi = high ? a : b;
    s.keyLo = high ? l.key2 : l.key1;
    s.keyHi = high ? l.key1 : l.key2;
  }
  // A run cut short (a point in a dense view) is sorted by comparing: clearing the counts of a
  // whole row and column range would cost more than the run.
  if ((u64)along + (u64)across * WAYS > 8 * (u64)n) {
    std::sort(s_R.spans, s_R.spans + n, [](const Span &a, const Span &b) { return a.line != b.line ? a.line < b.line : a.lo < b.lo; });
    *spans = n;
    return true;
  }
  if (!CountSort(s_R.spans, s_R.sorted, n, (u32)along, [&](const Span &s) { return (u32)(s.lo - lo); })) return false;
  if (!CountSort(s_R.sorted, s_R.spans, n, (u32)(across * WAYS), [](const Span &s) { return s.line; })) return false;
  *spans = n;
  return true;
}

// A span as the line it stands for: its way and place from `line`, the same way round.
void DrawSpan(const Span &s, u32 *drawn) {
  u32 way = s.line / s_R.across;
  i32 fixed = (i32)(s.line % s_R.across) + s_R.fixedLo;
  if (way == WAY_RIGHT) Draw(s.lo, fixed, s.keyLo, s.hi, fixed, s.keyHi, drawn);
  else if (way == WAY_LEFT) Draw(s.hi, fixed, s.keyHi, s.lo, fixed, s.keyLo, drawn);
  else if (way == WAY_DOWN) Draw(fixed, s.lo, s.keyLo, fixed, s.hi, s.keyHi, drawn);
  else Draw(fixed, s.hi, s.keyHi, fixed, s.lo, s.keyLo, drawn);
}

// Whether the joined rows (spans[0 .. rows), sorted) draw pixel (x, y) on every device: a
// line to the right covers its start and on to the pixel before its end, one to the left the
// pixel after its end up to its start.
bool RowsCover(const Span *spans, u32 rows, i32 x, i32 y) {
  i32 row = y - s_R.fixedLo;
  if (row < 0 || (u32)row >= s_R.across) return false;
  for (u32 way = WAY_RIGHT; way <= WAY_LEFT; way++) {
    u32 line = way * s_R.across + (u32)row;
    // The last span of that row starting before x (at x too, to the right).
    u32 a = 0, b = rows;
    while (a < b) {
      u32 m = (a + b) / 2;
      bool before = spans[m].line < line || (spans[m].line == line && (way == WAY_RIGHT ? spans[m].lo <= x : spans[m].lo < x));
      if (before) a = m + 1;
      else b = m;
    }
    if (a == 0 || spans[a - 1].line != line) continue;
    const Span &s = spans[a - 1];
    if (way == WAY_RIGHT ? x < s.hi : x <= s.hi) return true;
  }
  return false;
}

// Whether a column up may go on past its low end into the next span up it: where they only
// touch, the pixel there is the start of one and the end of the other, which a device may
// both leave out; the one line would draw it. So the rows must draw it already.
bool UpJoins(const Span *spans, u32 rows, const Span &s, const Span &next) {
  if (next.lo < s.hi) return true;
  i32 x = (i32)(s.line % s_R.across) + s_R.fixedLo;
  return RowsCover(spans, rows, x, s.hi);
}

}  // namespace

namespace {

u8 *Held(i32 x, i32 y) {
  i32 cx = x - s_R.left, cy = y - s_R.top;
  if (cx < 0 || cy < 0 || cx >= s_R.width || cy >= s_R.height) return nullptr;
  return &s_R.held[(size_t)cy * (size_t)s_R.width + (size_t)cx];
}

void Hold(const Dot &d, u8 on) {
  for (i32 k = 0; k < 2; k++)
    if (u8 *h = Held(d.x + k, d.y)) *h = on;
}

// Whether a line may draw a pixel a pending dot may draw, on any device: each pixel along it
// with the side across rounded either way at a halfway step, both ends included. A pixel
// beyond the viewport shows nothing either way.
bool MayTouchDots(i32 x1, i32 y1, i32 x2, i32 y2) {
  i32 dx = x2 - x1, dy = y2 - y1, ax = dx < 0 ? -dx : dx, ay = dy < 0 ? -dy : dy;
  bool across = ax > ay;
  i32 n = across ? ax : ay, side = across ? dy : dx;
  for (i32 i = 0; i <= n; i++) {
    i32 major = (across ? dx : dy) > 0 ? i : -i;
    // side * i / n rounded down and up.
    i64 num = (i64)side * i;
    i32 down = n ? (i32)(num >= 0 ? num / n : -((-num + n - 1) / n)) : 0;
    i32 up = n ? (i32)(num >= 0 ? (num + n - 1) / n : -((-num) / n)) : 0;
    const i32 minors[2] = {down, up};
    for (i32 minor : minors) {
      u8 *h = across ? Held(x1 + major, y1 + minor) : Held(x1 + minor, y1 + major);
      if (h && *h) return true;
    }
  }
  return false;
}

void DrawDots(void) {
  for (u32 i = 0; i < s_R.dotCount; i++) {
    const Dot &d = s_R.dots[i];
    Draw_Point2D(d.x, d.y, d.r, d.g, d.b, d.a);
    Hold(d, 0);
  }
  s_R.dotCount = 0;
}

}  // namespace

void DrawRun_Begin(const Place2D *place, i32 r, i32 g, i32 b) {
  s_R.place = *place;
  s_R.r = r, s_R.g = g, s_R.b = b;
  s_R.count = 0;
  s_R.dotCount = 0;
  s_R.width = s_R.height = 0;
  DrawViewport vp = {0, 0, 0, 0, 0.0f, 1.0f};
  if (g_Dev.draw.getViewport) g_Dev.draw.getViewport(&vp);
  size_t n = (size_t)vp.width * vp.height;
  if (n > s_R.heldRoom) {
    u8 *h = (u8 *)realloc(s_R.held, n);
    if (!h) return;   // no table: a dot ends the run's lines before it
    s_R.held = h;
    s_R.heldRoom = n;
  }
  if (n) memset(s_R.held, 0, n);
  s_R.left = (i32)vp.x, s_R.top = (i32)vp.y, s_R.width = (i32)vp.width, s_R.height = (i32)vp.height;
}

void DrawRun_Line(i32 x1, i32 y1, u32 key1, i32 x2, i32 y2, u32 key2) {
  if (g_DrawRunOff || !Grow(&s_R.lines, &s_R.room, s_R.count + 1)) {
    Draw(x1, y1, key1, x2, y2, key2, nullptr);
    return;
  }
  // A line that may draw over a pending dot comes after it: the lines before and the dots go out first.
  if (s_R.dotCount && MayTouchDots(x1, y1, x2, y2)) DrawRun_End();
  s_R.lines[s_R.count++] = {x1, y1, x2, y2, key1, key2};
}

void DrawRun_Point(i32 x, i32 y, i32 r, i32 g, i32 b, i32 a) {
  if (g_DrawRunOff || !s_R.width || !Grow(&s_R.dots, &s_R.dotRoom, s_R.dotCount + 1)) {
    if (!g_DrawRunOff) DrawRun_End();
    Draw_Point2D(x, y, r, g, b, a);
    return;
  }
  Dot d = {x, y, r, g, b, a};
  s_R.dots[s_R.dotCount++] = d;
  Hold(d, 1);
}

void DrawRun_End(u32 *drawn) {
  u32 spans = 0;
  bool joined = SortSpans(&spans);
  for (u32 i = 0; i < s_R.count; i++) {
    const Line &l = s_R.lines[i];
    if (!joined || WayOf(l) == WAYS) Draw(l.x1, l.y1, l.key1, l.x2, l.y2, l.key2, drawn);
  }
  if (joined) {
    // Spans of one row or column that touch or overlap go out as one line, the same way round;
    // the joined ones are kept at the front (in order), where the columns up ask the rows.
    u32 kept = 0, rows = 0;
    bool rowsDone = false;
    for (u32 i = 0; i < spans;) {
      Span s = s_R.spans[i++];
      bool up = s.line / s_R.across == WAY_UP;
      if (up && !rowsDone) rows = kept, rowsDone = true;
      while (i < spans && s_R.spans[i].line == s.line && s_R.spans[i].lo <= s.hi) {
        if (up && !UpJoins(s_R.spans, rows, s, s_R.spans[i])) break;
        if (s_R.spans[i].hi > s.hi) s.hi = s_R.spans[i].hi, s.keyHi = s_R.spans[i].keyHi;
        i++;
      }
      s_R.spans[kept++] = s;
      DrawSpan(s, drawn);
    }
  }
  s_R.count = 0;
  DrawDots();
}
