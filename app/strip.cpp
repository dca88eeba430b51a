// The strips' canvas and drawing operations, the time-line geometry, the strip-window
// records, the dispatcher and the per-frame key copy into the rows.
// Owns g_StripCanvas and g_Strip.
#include "app/strip.h"
#include "app/shell_view.h"
#include "app/strip_local.h"
#include "app/current.h"
#include "app/family.h"
#include "app/shell_seam.h"
#include "app/startup_state.h"
#include "app/strip_state.h"
#include "app/tree.h"
#include "app/views.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "model/bone2.h"
#include "model/kzo.h"
#include "model/obj2.h"
#include "model/cp932.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static u32 s_PortableCanvas[STRIP_CANVAS_W * STRIP_CANVAS_H];
u32 *g_StripCanvas = s_PortableCanvas;
StripState g_Strip = {};

// Writes are kept inside this rectangle (the canvas, or a panel while it paints).
static i32 s_ClipW = STRIP_CANVAS_W, s_ClipH = STRIP_CANVAS_H;

// [SECTION] geometry
void Strip_ResetGeometry(void) {
  g_Strip.g_StripGeo = StripGeometry{};
  g_Strip.g_StripGeo.left = g_Shell.g_StripRect[0];
  g_Strip.g_StripGeo.right = g_Shell.g_StripRect[2] ? g_Shell.g_StripRect[2] : 1024;
  g_Strip.g_StripGeo.divisor = 4;
  g_Strip.g_StripGeo.rowTop = 90;
  g_Strip.g_StripGeo.bottom = g_Shell.g_StripRect[3];
}

void Strip_SetDivisor(i32 d) {
  g_Strip.g_StripGeo.divisor = d < 1 ? 1 : d > STRIP_DIVISOR_MAX ? STRIP_DIVISOR_MAX : d;
}

void Strip_SetOffsets(i32 x, i32 y) {
  g_Strip.g_StripGeo.offsetX = x > 0 ? 0 : x;
  g_Strip.g_StripGeo.offsetY = y > 0 ? 0 : y;
}

i32 Strip_MovieRowTop(i32 row) {
  i64 t = (i64)g_Strip.g_StripGeo.rowTop + g_Strip.g_StripGeo.offsetY + (i64)STRIP_ROW_WIDE * row;
  return t < -(1 << 28) ? -(1 << 28) : t > (1 << 28) ? 1 << 28 : (i32)t;
}

i32 Strip_MovieRowAt(i32 y) {
  // The header above the first row's place stays the header, whatever the rows' offset.
  if (y < g_Strip.g_StripGeo.rowTop) return -1;
  i64 d = (i64)y - g_Strip.g_StripGeo.rowTop - g_Strip.g_StripGeo.offsetY;
  return d < 0 ? -1 : (i32)(d / STRIP_ROW_WIDE);
}

i32 Strip_Divisor(void) {
  i32 d = g_Strip.g_StripGeo.divisor;
  return d < 1 ? 1 : d > STRIP_DIVISOR_MAX ? STRIP_DIVISOR_MAX : d;
}

i32 Strip_FrameX(i32 frame, i32 origin) {
  // 64-bit, then clamped: a frame far off either side stays far off, never wraps around.
  i64 x = (i64)frame * 10 / Strip_Divisor() + (i64)(g_Strip.g_StripGeo.offsetX > 0 ? 0 : g_Strip.g_StripGeo.offsetX) + origin;
  if (x < -(1 << 28)) return -(1 << 28);
  if (x > (1 << 28)) return 1 << 28;
  return (i32)x;
}

// [SECTION] drawing operations
void Strip_SetClip(i32 w, i32 h) {
  s_ClipW = w < 0 ? 0 : w > STRIP_CANVAS_W ? STRIP_CANVAS_W : w;
  s_ClipH = h < 0 ? 0 : h > STRIP_CANVAS_H ? STRIP_CANVAS_H : h;
}

void Strip_SetTextColor(u32 r, u32 g, u32 b) {
  g_Strip.g_StripTextRGB[0] = (u8)r;
  g_Strip.g_StripTextRGB[1] = (u8)g;
  g_Strip.g_StripTextRGB[2] = (u8)b;
}

void Strip_TextOut(i32 x, i32 y, const char *format, ...) {
  char wide[1024];
  va_list ap;
  va_start(ap, format);
  int n = vsnprintf(wide, sizeof wide, format, ap);
  va_end(ap);
  size_t len = n < 0 ? 0 : (size_t)n < sizeof wide ? (size_t)n : sizeof wide - 1;
  len = Cp932_CutLength(wide, len < LIB_TEXT_SIZE - 1 ? len : LIB_TEXT_SIZE - 1);
  memcpy(g_Lib.textBuf, wide, len);
  g_Lib.textBuf[len] = 0;
  if (g_ShellSeam.stripText)
    g_ShellSeam.stripText(x, y, Strip_RGB(g_Strip.g_StripTextRGB[0], g_Strip.g_StripTextRGB[1], g_Strip.g_StripTextRGB[2]), g_Lib.textBuf);
}

void Strip_SetPixel(i32 x, i32 y, u32 r, u32 g, u32 b) {
  if (x < 0 || y < 0 || x >= s_ClipW || y >= s_ClipH) return;
  g_StripCanvas[y * STRIP_CANVAS_W + x] = Strip_RGB(r, g, b);
}

static void HLine(i32 x1, i32 x2, i32 y, u32 c) {   // x1 .. x2 - 1
  if (y < 0 || y >= s_ClipH) return;
  if (x1 < 0) x1 = 0;
  if (x2 > s_ClipW) x2 = s_ClipW;
  u32 *row = g_StripCanvas + (size_t)y * STRIP_CANVAS_W;
  for (i32 x = x1; x < x2; x++) row[x] = c;
}

static void VLine(i32 x, i32 y1, i32 y2, u32 c) {   // y1 .. y2 - 1
  if (x < 0 || x >= s_ClipW) return;
  if (y1 < 0) y1 = 0;
  if (y2 > s_ClipH) y2 = s_ClipH;
  for (i32 y = y1; y < y2; y++) g_StripCanvas[(size_t)y * STRIP_CANVAS_W + x] = c;
}

// Bresenham from (x1, y1) towards (x2, y2), the end point left out; only points inside the
// clip are written, and a line far longer than the canvas stops once it has left it.
static void SlopedLine(i32 x1, i32 y1, i32 x2, i32 y2, u32 c) {
  i64 dx = (i64)x2 - x1, dy = (i64)y2 - y1;
  i64 ax = dx < 0 ? -dx : dx, ay = dy < 0 ? -dy : dy;
  i32 sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
  i64 steps = ax > ay ? ax : ay;
  i64 err = (ax > ay ? ax : -ay) / 2;
  i64 x = x1, y = y1;
  bool wasInside = false;
  for (i64 i = 0; i < steps; i++) {
    bool inside = x >= 0 && y >= 0 && x < s_ClipW && y < s_ClipH;
    if (inside) g_StripCanvas[(size_t)y * STRIP_CANVAS_W + (size_t)x] = c;
    else if (wasInside) break;   // a straight line does not come back in
    wasInside = wasInside || inside;
    if (i > 4 * (STRIP_CANVAS_W + STRIP_CANVAS_H) && !wasInside) break;
    i64 e = err;
    if (e > -ax) { err -= ay; x += sx; }
    if (e < ay) { err += ax; y += sy; }
  }
}

void Strip_Line(i32 x1, i32 y1, i32 x2, i32 y2, u32 r, u32 g, u32 b) {
  u32 c = Strip_RGB(r, g, b);
  if (y1 == y2) {
    if (x1 <= x2) HLine(x1, x2, y1, c);
    else HLine(x2 + 1, x1 + 1, y1, c);
  } else if (x1 == x2) {
    if (y1 <= y2) VLine(x1, y1, y2, c);
    else VLine(x1, y2 + 1, y1 + 1, c);
  } else {
    SlopedLine(x1, y1, x2, y2, c);
  }
}

void Strip_FillRect(i32 x1, i32 y1, i32 x2, i32 y2, u32 r, u32 g, u32 b) {
  u32 c = Strip_RGB(r, g, b);
  if (y1 < 0) y1 = 0;
  if (y2 > s_ClipH) y2 = s_ClipH;
  for (i32 y = y1; y < y2; y++) HLine(x1, x2, y, c);
}

void Strip_Rect(i32 x1, i32 y1, i32 x2, i32 y2, u32 r, u32 g, u32 b) {
  Strip_Line(x1, y1, x2, y1, r, g, b);
  Strip_Line(x2, y1, x2, y2, r, g, b);
  Strip_Line(x2, y2, x1, y2, r, g, b);
  Strip_Line(x1, y2, x1, y1, r, g, b);
}

void Strip_ClearCanvas(void) { memset(g_StripCanvas, 0, sizeof(u32) * STRIP_CANVAS_W * STRIP_CANVAS_H); }

void Strip_Put(i32 x, i32 y, u32 word) {
  if (x < 0 || y < 0 || x >= s_ClipW || y >= s_ClipH) return;
  g_StripCanvas[y * STRIP_CANVAS_W + x] = word;
}

// [SECTION] windows and the dispatcher
void Strip_Register(i32 entry, void *window, i32 width, i32 height) {
  if (entry < 0 || entry >= STRIP_ENTRIES) return;
  g_Strip.g_StripWindows[entry].window = window;
  g_Strip.g_StripWindows[entry].width = width;
  g_Strip.g_StripWindows[entry].height = height;
}

void Strip_Unregister(i32 entry) { Strip_Register(entry, nullptr, 0, 0); }

bool Strip_Begin(i32 entry, i32 *w, i32 *h) {
  const StripWindow &sw = g_Strip.g_StripWindows[entry];
  *w = sw.width < 0 ? 0 : sw.width > STRIP_CANVAS_W ? STRIP_CANVAS_W : sw.width;
  *h = sw.height < 0 ? 0 : sw.height > STRIP_CANVAS_H ? STRIP_CANVAS_H : sw.height;
  Strip_SetClip(STRIP_CANVAS_W, STRIP_CANVAS_H);
  return sw.window != nullptr;
}

void Strip_End(i32 entry, i32 dstX, i32 w, i32 h) {
  Strip_SetClip(STRIP_CANVAS_W, STRIP_CANVAS_H);
  if (g_ShellSeam.stripBlit) g_ShellSeam.stripBlit(g_Strip.g_StripWindows[entry].window, dstX, w, h);
}

static void DrawMotion3(const HookCtx *c) {
  if (g_Strip.g_StripMotion3Groups) Strip_DrawGroup3Keys(c);
  else Strip_DrawBone3Keys(c);
}

struct DispatchRow {
  i32 entry;
  i32 sharedFlag;   // index into g_Shell.g_StripDirty, or -1 for the window's own flag
  void (*draw)(const HookCtx *c);
};
static const DispatchRow kDispatch[] = {
    {STRIP_GROUP2_SWATCHES, STRIP_FLAG_SWATCHES, Strip_DrawGroup2Swatches},
    {STRIP_OBJ2_IMAGE, STRIP_FLAG_OBJ2_IMAGE, Strip_DrawObj2Image},
    {STRIP_OBJ2_KEYS, STRIP_FLAG_OBJ2_KEYS, Strip_DrawObj2Keys},
    {STRIP_TEX2D, STRIP_FLAG_TEXTURES, [](const HookCtx *) { Strip_DrawTex2D(); }},
    {STRIP_BONE2_KEYS, -1, Strip_DrawBone2Keys},
    {STRIP_GROUP3_SWATCHES, STRIP_FLAG_SWATCHES, Strip_DrawGroup3Swatches},
    {STRIP_KZO_KEYS, -1, [](const HookCtx *) { Strip_DrawKzoKeys(); }},
    {STRIP_TEX3D, STRIP_FLAG_TEXTURES, [](const HookCtx *) { Strip_DrawTex3D(); }},
    {STRIP_MOTION3_KEYS, -1, DrawMotion3},
    {STRIP_EFFECT_KEYS, STRIP_FLAG_EFFECT, [](const HookCtx *) { Strip_DrawEffectKeys(); }},
};

// The strips show the selection and model of the shell's context, built once for the pass.
void Strip_RedrawDirty(void) {
  HookCtx c = Family_ShellContext();
  for (const DispatchRow &d : kDispatch) {
    u32 *flag = d.sharedFlag >= 0 ? &g_Shell.g_StripDirty[d.sharedFlag] : &g_Strip.g_StripWindows[d.entry].dirty;
    if (*flag != 1 || !g_Strip.g_StripWindows[d.entry].window) continue;
    *flag = 0;
    d.draw(&c);
  }
  if (g_Shell.g_EditFamily == FAMILY_MOVIE && g_Strip.g_StripWindows[STRIP_MOVIE_KEYS].window) Strip_DrawMovieKeys();
}

void Strip_Install(void) {
  Strip_ResetGeometry();
  g_Strip.g_StripTex2D.texture = g_Strip.g_StripTex3D.texture = -1;
  g_Strip.g_StripTex2D.zoom = g_Strip.g_StripTex3D.zoom = 1.0f;
  g_ShellSeam.redrawStrips = Strip_RedrawDirty;
}

// [SECTION] per-frame key copy
// The count and the first TREE_ROW_KEYS frames of a key list whose records start with the frame.
static void CopyRowKeys(HierRow *row, const void *keys, i32 count, size_t stride) {
  if (!keys || count < 0) count = 0;
  row->keyCount = count;
  for (i32 k = 0; k < count && k < TREE_ROW_KEYS; k++) {
    i32 f;
    memcpy(&f, (const u8 *)keys + (size_t)k * stride, sizeof f);
    row->keyFrames[k] = f;
  }
}

static i32 RowCount(void) {
  i32 n = g_TreeRows.count;
  return n < 0 ? 0 : n > TREE_ROWS ? TREE_ROWS : n;
}

void Strip_CopyKeys2D(const HookCtx *c) {
  if (c->layout == SUB_2D_OBJECT) {
    Obj2Model *m = g_Obj2Slots[0];
    if (!m) return;
    for (i32 r = 0; r < RowCount(); r++) {
      HierRow *row = &g_TreeRows.rows[r];
      const Obj2Track *t = Obj2_Track(m, row->item, m->currentMotion);
      CopyRowKeys(row, t ? t->keys : nullptr, t ? t->count : 0, sizeof(ObjKey2));
    }
  } else if (c->layout == SUB_2D_MOTION) {
    const Bone2Model *m = c->model2;
    if (!m) return;
    for (i32 r = 0; r < RowCount(); r++) {
      HierRow *row = &g_TreeRows.rows[r];
      const Bone2Track *t = Strip_Bone2Track(m, row->item, m->currentMotion);
      CopyRowKeys(row, t ? t->keys : nullptr, t ? t->count : 0, sizeof(BoneKey2));
    }
  }
}

void Strip_CopyKeys3D(const HookCtx *c) {
  if (c->layout == SUB_3D_OBJMOTION) {
    const Obj3Set *s = g_Obj3Sets[0];
    if (!s || s->motion < 0 || s->motion >= OBJ3_MOTIONS) return;
    const Obj3Motion &mo = s->motions[s->motion];
    i32 n = mo.keyCount < 0 ? 0 : mo.keyCount > OBJ3_KEYS ? OBJ3_KEYS : mo.keyCount;
    for (i32 r = 0; r < RowCount(); r++) CopyRowKeys(&g_TreeRows.rows[r], mo.keyFrames, n, sizeof(i32));
  } else if (c->layout == SUB_3D_MOTION) {
    const Model3 *m = Model3_Get(0);
    const Model3 *cur = c->model;
    if (!m || !cur) return;
    for (i32 r = 0; r < RowCount(); r++) {
      HierRow *row = &g_TreeRows.rows[r];
      const KeyTrack *t = Strip_Bone3Track(m, row->item, cur->motion);
      CopyRowKeys(row, t ? t->keys : nullptr, t ? t->count : 0, sizeof(BoneKey3));
    }
  }
}

// [SECTION] tracks
const Bone2Track *Strip_Bone2Track(const Bone2Model *m, i32 bone, i32 motion) {
  if (!m || bone >= m->boneCount) return nullptr;
  return Keys_TableTrack(m->bones, BONE2_MAX_BONES, bone, motion, m->keyTableLength);
}

const KeyTrack *Strip_Bone3Track(const Model3 *m, i32 bone, i32 motion) {
  if (!m || bone >= m->boneCount) return nullptr;
  return Keys_TableTrack(m->bones, MODEL3_BONES, bone, motion, m->keyTableLength);
}

void Strip_ResetForTest(void) {
  Strip_ClearCanvas();
  Strip_SetClip(STRIP_CANVAS_W, STRIP_CANVAS_H);
  Strip_SetTextColor(255, 255, 255);
  Strip_ResetGeometry();
  memset(g_Strip.g_StripWindows, 0, sizeof g_Strip.g_StripWindows);
  g_ShellSeam.stripText = nullptr;
  g_ShellSeam.stripBlit = nullptr;
  g_Strip.g_StripMotion3Groups = 0;
  g_Strip.g_StripGroupScroll2D = g_Strip.g_StripGroupScroll3D = 0;
  g_Strip.g_StripObj2Image = 0;
  g_Strip.g_StripEffect = StripEffectSource{};
  g_Strip.g_StripMovie = StripMovieSource{};
  g_Strip.g_StripTex2D = g_Strip.g_StripTex3D = StripTexView{};
  g_Strip.g_StripTex2D.texture = g_Strip.g_StripTex3D.texture = -1;
  g_Strip.g_StripTex2D.zoom = g_Strip.g_StripTex3D.zoom = 1.0f;
}
