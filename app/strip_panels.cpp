// The small GDI panels the strip dispatcher paints: the 2D object image preview, the group
// swatches of the 2D and 3D group lists and the 2D and 3D texture previews. Every pixel copy
// is read by index through its bounded getter, and every write is clipped to the panel.
#include "app/shell_sel.h"
#include "app/strip_local.h"
#include "app/current.h"
#include "app/strip_state.h"
#include "lib/draw/texture.h"
#include "model/obj2.h"

#include <math.h>

// A8R8G8B8 (and the texture copies' X8R8G8B8) to a canvas word: the low 24 bits already are
// blue, green, red.
// A texture's CPU copy holds alpha, blue, green, red (high to low); the canvas red, green, blue.
static u32 FromCopy(u32 c) { return (c & 0xFFu) << 16 | (c & 0xFF00u) | (c >> 16 & 0xFFu); }

// [SECTION] 2D object image preview
void Strip_DrawObj2Image(const HookCtx *c) {
  i32 w, h;
  if (!Strip_Begin(STRIP_OBJ2_IMAGE, &w, &h)) return;
  Strip_FillRect(0, 0, w, h, 128, 128, 128);
  u32 slot = c->sel->g_Cur2DSlot;
  Obj2Model *m = slot < OBJ2_SLOTS ? g_Obj2Slots[slot] : nullptr;
  i32 img = g_Strip.g_StripObj2Image;
  const Obj2Image *im = m && img >= 0 && img < OBJ2_MAX_IMAGES ? g_Obj2Images[slot * OBJ2_MAX_IMAGES + img] : nullptr;
  if (im) {
    i32 iw = im->width > (u32)STRIP_CANVAS_W ? (i32)STRIP_CANVAS_W : (i32)im->width;
    i32 ih = im->height > (u32)STRIP_CANVAS_H ? (i32)STRIP_CANVAS_H : (i32)im->height;
    // The copy holds red in the low byte (r | g << 8 | b << 16): swapped into canvas order.
    for (i32 y = 0; y < ih && y + 25 < STRIP_CANVAS_H; y++)
      for (i32 x = 0; x < iw; x++) {
        u32 c = Obj2_GetPixel((i32)((i64)y * im->width + x));
        Strip_Put(x, y + 25, Strip_RGB(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF));
      }
    i32 px = m->pivotX[img], py = m->pivotY[img] + 25;
    Strip_Line(px - 6, py - 6, px + 6, py + 6, 255, 255, 0);
    Strip_Line(px - 6, py + 6, px + 6, py - 6, 255, 255, 0);
  }
  Strip_End(STRIP_OBJ2_IMAGE, 116, w, h);
}

// [SECTION] group swatches
enum { SWATCH_W = 54, SWATCH_H = 270, SWATCH_CELL = 18, SWATCH_ROWS = 15 };

struct SwatchGroup {
  f32 r, g, b;
  i32 texture;   // pixel copy, -1 = none
};

// One row of the swatch grid at y0: tick for the current group, colour, texture thumbnail.
static void SwatchRow(i32 y0, const SwatchGroup &g, bool current) {
  if (current) {
    Strip_Line(4, y0 + 9, 8, y0 + 13, 255, 255, 255);
    Strip_Line(8, y0 + 13, 14, y0 + 5, 255, 255, 255);
  }
  auto level = [](f32 v) -> u32 { return v != v || v < 0 ? 0u : v > 255 ? 255u : (u32)v; };
  Strip_FillRect(18, y0, 36, y0 + SWATCH_CELL, level(g.r), level(g.g), level(g.b));
  i32 t = g.texture;
  if (t < 0 || t >= TEX_PER_MODEL || !g_Tex.pixels[t]) return;
  i32 tw = g_Tex.pixelsWidth[t], th = g_Tex.pixelsHeight[t];
  for (i32 y = 0; y < 17; y++)
    for (i32 x = 0; x < 18; x++) {
      i64 i = (i64)(th / 17 * y) * tw + (i64)(tw / 18 * x);
      Strip_Put(36 + x, y0 + 1 + y, FromCopy(Tex_GetPixel(t, i > 0x7FFFFFFF ? -1 : (i32)i)));
    }
}

// The swatches of groups scroll.. of `doc`, read through group(doc, i).
static void PaintSwatches(i32 entry, i32 scroll, i32 count, i32 current, const void *doc,
                          SwatchGroup (*group)(const void *doc, i32 i)) {
  i32 w, h;
  if (!Strip_Begin(entry, &w, &h)) return;
  Strip_SetClip(SWATCH_W, SWATCH_H);
  Strip_FillRect(0, 0, SWATCH_W, SWATCH_H, 0, 0, 0);
  if (scroll < 0) scroll = 0;
  for (i32 r = 0; r < SWATCH_ROWS && scroll + r < count; r++)
    SwatchRow(r * SWATCH_CELL, group(doc, scroll + r), scroll + r == current);
  for (i32 x = 0; x < SWATCH_W; x += SWATCH_CELL) Strip_Line(x, 0, x, SWATCH_H, 255, 255, 255);
  for (i32 y = 0; y < SWATCH_H; y += SWATCH_CELL) Strip_Line(0, y, SWATCH_W, y, 255, 255, 255);
  Strip_End(entry, 0, w < SWATCH_W ? w : SWATCH_W, h < SWATCH_H ? h : SWATCH_H);
}

static SwatchGroup SwatchOf2D(const void *doc, i32 i) {
  const ::Group2 &g = ((const Bone2Model *)doc)->groups[i];
  return {g.r, g.g, g.b, g.texture};
}

static SwatchGroup SwatchOf3D(const void *doc, i32 i) {
  const ::Group3 &g = ((const Model3 *)doc)->groups[i];
  return {g.r, g.g, g.b, g.texture ? (i32)g.texture : -1};   // entry 0 stands for none
}

// The 2D groups are those of the 2D model in the selection's 3D slot number.
void Strip_DrawGroup2Swatches(const HookCtx *c) {
  u32 slot = c->sel->g_CurSlot;
  const Bone2Model *m = slot < BONE2_SLOTS ? g_Bone2Slots[slot] : nullptr;
  i32 n = m ? (m->groupCount < 0 ? 0 : m->groupCount > BONE2_MAX_GROUPS ? BONE2_MAX_GROUPS : m->groupCount) : 0;
  PaintSwatches(STRIP_GROUP2_SWATCHES, g_Strip.g_StripGroupScroll2D, n, (i32)c->sel->g_CurGroupIndex, m, SwatchOf2D);
}

void Strip_DrawGroup3Swatches(const HookCtx *c) {
  const Model3 *m = c->model;
  i32 n = m ? (m->groupCount < 0 ? 0 : m->groupCount > MODEL3_GROUPS ? MODEL3_GROUPS : m->groupCount) : 0;
  PaintSwatches(STRIP_GROUP3_SWATCHES, g_Strip.g_StripGroupScroll3D, n, (i32)c->sel->g_CurGroupIndex, m, SwatchOf3D);
}

// [SECTION] texture previews
// Texel of each preview column (or row): -1 where no texel lies. A texel t covers
// floor(t * zoom) + pan .. floor((t + 1) * zoom) + pan - 1.
static void TexelMap(i32 *map, i32 size, f32 zoom, i32 pan) {
  for (i32 i = 0; i < STRIP_PANEL; i++) map[i] = -1;
  if (size <= 0) return;
  f64 z = zoom;
  // The first texel that can reach column 0, then along while its block starts in the panel.
  i64 t = (i64)floor(-(f64)pan / z) - 1;
  if (t < 0) t = 0;
  for (; t < size; t++) {
    i64 a = (i64)floor((f64)t * z) + pan, b = (i64)floor((f64)(t + 1) * z) + pan;
    if (a >= STRIP_PANEL) break;
    for (i64 p = a < 0 ? 0 : a; p < b && p < STRIP_PANEL; p++) map[p] = (i32)t;
  }
}

static void PaintTexels(const StripTexView &v) {
  i32 t = v.texture;
  if (t < 0 || t >= TEX_PER_MODEL || !g_Tex.pixels[t]) return;
  i32 tw = g_Tex.pixelsWidth[t], th = g_Tex.pixelsHeight[t];
  f32 zoom = v.zoom > 0 && v.zoom < 1e6f ? v.zoom : 1.0f;   // also refuses NaN
  static i32 cols[STRIP_PANEL], rows[STRIP_PANEL];
  TexelMap(cols, tw, zoom, v.panX);
  TexelMap(rows, th, zoom, v.panY);
  for (i32 y = 0; y < STRIP_PANEL; y++) {
    if (rows[y] < 0) continue;
    u32 *out = g_StripCanvas + (size_t)y * STRIP_CANVAS_W;
    i64 base = (i64)rows[y] * tw;
    for (i32 x = 0; x < STRIP_PANEL; x++)
      if (cols[x] >= 0) out[x] = FromCopy(Tex_GetPixel(t, (i32)(base + cols[x])));
  }
}

static void PaintUV(const StripTexView &v) {
  f32 zoom = v.zoom > 0 && v.zoom < 1e6f ? v.zoom : 1.0f;
  auto px = [&](f32 u, i32 pan) -> i32 {
    f32 p = u * zoom + (f32)pan;
    return p != p ? 0 : p < -1e6f ? -1000000 : p > 1e6f ? 1000000 : (i32)floorf(p);
  };
  i32 lines = v.lineCount && v.line ? v.lineCount() : 0;
  for (i32 i = 0; i < lines; i++) {
    f32 l[4] = {};
    v.line(i, l);
    Strip_Line(px(l[0], v.panX), px(l[1], v.panY), px(l[2], v.panX), px(l[3], v.panY), 255, 255, 255);
  }
  i32 points = v.pointCount && v.point ? v.pointCount() : 0;
  for (i32 i = 0; i < points; i++) {
    f32 p[2] = {};
    v.point(i, p);
    i32 x = px(p[0], v.panX), y = px(p[1], v.panY);
    Strip_Rect(x - 2, y - 2, x + 2, y + 2, 0, 0, 0);
    Strip_Rect(x - 1, y - 1, x + 1, y + 1, 255, 255, 0);
    Strip_SetPixel(x, y, 255, 255, 0);
  }
}

static void PaintTexPreview(i32 entry, const StripTexView &v) {
  i32 w, h;
  if (!Strip_Begin(entry, &w, &h)) return;
  Strip_SetClip(STRIP_PANEL, STRIP_PANEL);
  Strip_FillRect(0, 0, STRIP_PANEL, STRIP_PANEL, 0, 0, 72);
  if (v.inUse) PaintTexels(v);
  if (v.groupUses) PaintUV(v);
  if (v.dragActive) {
    if (v.dragRight) Strip_Rect(v.drag[0], v.drag[1], v.drag[2], v.drag[3], 128, 0, 0);
    else Strip_Rect(v.drag[0], v.drag[1], v.drag[2], v.drag[3], 0, 0, 255);
  }
  Strip_End(entry, 0, w < STRIP_PANEL ? w : STRIP_PANEL, h < STRIP_PANEL ? h : STRIP_PANEL);
}

void Strip_DrawTex2D(void) { PaintTexPreview(STRIP_TEX2D, g_Strip.g_StripTex2D); }
void Strip_DrawTex3D(void) { PaintTexPreview(STRIP_TEX3D, g_Strip.g_StripTex3D); }
