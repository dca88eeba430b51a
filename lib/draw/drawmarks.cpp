// Marks hidden by later marks left out (see drawmarks.h).
#include "lib/draw/drawmarks.h"

#include <stdlib.h>
#include <string.h>

#include "lib/draw/draw.h"
#include "lib/draw/drawdev.h"

static u8 *s_Covered;   // one byte per viewport pixel, row after row
static i32 s_Left, s_Top, s_Width, s_Height;
static size_t s_Room;

bool DrawMarks_Begin(void) {
  s_Width = s_Height = 0;
  if (!g_DrawDev.getViewport) return false;
  DrawViewport vp = {0, 0, 0, 0, 0.0f, 1.0f};
  g_DrawDev.getViewport(&vp);
  size_t n = (size_t)vp.width * vp.height;
  if (n == 0) return false;
  if (n > s_Room) {
    u8 *p = (u8 *)realloc(s_Covered, n);
    if (!p) return false;
    s_Covered = p;
    s_Room = n;
  }
  memset(s_Covered, 0, n);
  s_Left = (i32)vp.x, s_Top = (i32)vp.y, s_Width = (i32)vp.width, s_Height = (i32)vp.height;
  return true;
}

// Pixel (x, y) in the covered table, or null beyond the viewport: whether a device draws there
// is left open, so such a pixel is never taken as covered.
static u8 *Cell(i32 x, i32 y) {
  i32 cx = x - s_Left, cy = y - s_Top;
  if (cx < 0 || cy < 0 || cx >= s_Width || cy >= s_Height) return nullptr;
  return &s_Covered[(size_t)cy * (size_t)s_Width + (size_t)cx];
}

static bool AllCovered(i32 x, i32 y, i32 dx, i32 dy, i32 n) {
  for (i32 i = 0; i < n; i++, x += dx, y += dy) {
    const u8 *c = Cell(x, y);
    if (!c || !*c) return false;
  }
  return true;
}

static void Cover(i32 x, i32 y, i32 dx, i32 dy, i32 n) {
  for (i32 i = 0; i < n; i++, x += dx, y += dy)
    if (u8 *c = Cell(x, y)) *c = 1;
}

bool DrawMarks_Covered(i32 x, i32 y) { return AllCovered(x, y, 0, 0, 1); }

bool DrawMarks_Line(i32 x1, i32 y1, i32 x2, i32 y2, bool opaque) {
  i32 dx = x2 - x1, dy = y2 - y1;
  if (dx == 0 && dy == 0) {
    // A point goes out as the one-pixel line to its right, which a device may draw to its end.
    bool shows = !AllCovered(x1, y1, 1, 0, 2);
    if (opaque) Cover(x1, y1, 1, 0, 1);
    return shows;
  }
  if (dx != 0 && dy != 0) {
    // A slanted line's pixels differ between devices: it shows, and covers its start only where
    // every device draws it (longer across than down, or going down).
    i32 ax = dx < 0 ? -dx : dx, ay = dy < 0 ? -dy : dy;
    if (opaque && (ax > ay || dy > 0)) Cover(x1, y1, 1, 0, 1);
    return true;
  }
  i32 n = dx ? (dx < 0 ? -dx : dx) : (dy < 0 ? -dy : dy);
  i32 sx = dx > 0 ? 1 : dx < 0 ? -1 : 0, sy = dy > 0 ? 1 : dy < 0 ? -1 : 0;
  // It may cover start to end; it surely covers start up to the end (not the start of a line
  // going up, which one device leaves out; the end is drawn by devices that draw the last pixel).
  bool shows = !AllCovered(x1, y1, sx, sy, n + 1);
  if (opaque && dy < 0) Cover(x1, y1 - 1, 0, -1, n - 1);
  else if (opaque) Cover(x1, y1, sx, sy, n);
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
