// Marks hidden by later marks left out (see drawmarks.h).
#include "lib/draw/drawmarks.h"

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

bool DrawMarks_Begin(void) {
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

static bool IsCovered(i32 x, i32 y) {
  const u8 *c = Cell(x, y);
  return c && *c;
}

static void Cover(i32 x, i32 y) {
  if (u8 *c = Cell(x, y)) *c = 1;
}

bool DrawMarks_Covered(i32 x, i32 y) { return IsCovered(x, y); }

bool DrawMarks_TieFree(i32 x1, i32 y1, i32 x2, i32 y2) {
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

// a / n rounded to the nearest whole number (n > 0; never halfway on a tie-free line).
static i32 Nearest(i32 a, i32 n) {
  i32 q = 2 * a + n, d = 2 * n;
  return q >= 0 ? q / d : -((-q + d - 1) / d);
}

bool DrawMarks_Line(i32 x1, i32 y1, i32 x2, i32 y2, bool opaque) {
  i32 dx = x2 - x1, dy = y2 - y1, ax = dx < 0 ? -dx : dx, ay = dy < 0 ? -dy : dy;
  if (dx == 0 && dy == 0) {
    // A point goes out as the one-pixel line to its right, which a device may draw to its end.
    bool shows = !IsCovered(x1, y1) || !IsCovered(x1 + 1, y1);
    if (opaque) Cover(x1, y1);
    return shows;
  }
  // Every device draws the start of a line longer across than down or going down.
  bool start = ax > ay || dy > 0;
  if (!DrawMarks_TieFree(x1, y1, x2, y2)) {
    // Where the line passes halfway between two pixels, devices differ: it shows.
    if (opaque && start) Cover(x1, y1);
    return true;
  }
  // Pixel i of n + 1 along the long side: the nearest to the line on each step. It may cover
  // them all; it surely covers those between its ends, and its start where every device does.
  i32 n = ax > ay ? ax : ay;
  bool shows = false;
  for (i32 i = 0; i <= n && !shows; i++)
    shows = !IsCovered(x1 + (ax > ay ? (dx > 0 ? i : -i) : Nearest(dx * i, n)),
                       y1 + (ax > ay ? Nearest(dy * i, n) : (dy > 0 ? i : -i)));
  if (!opaque) return shows;
  for (i32 i = start ? 0 : 1; i < n; i++)
    Cover(x1 + (ax > ay ? (dx > 0 ? i : -i) : Nearest(dx * i, n)), y1 + (ax > ay ? Nearest(dy * i, n) : (dy > 0 ? i : -i)));
  return shows;
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
