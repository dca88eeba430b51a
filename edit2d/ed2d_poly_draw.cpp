// The overlay of the 2D polygon and texture sub-modes: the grid, the skin's edges (selected
// polygons in cyan in face mode, selected vertices outlined in yellow in vertex mode), the
// drag rectangle and the polygon under free creation. The rectangle selection runs first
// (Ed2D_PolySelectPass), so what is drawn is the selection after this pass.
#include <math.h>
#include <stdlib.h>
#include <string.h>

#include "app/family.h"
#include "app/shell_seam.h"
#include "app/shell_sel.h"
#include "app/startup_state.h"
#include "app/viewdraw.h"
#include "app/views.h"
#include "edit2d/ed2d_poly.h"
#include "lib/draw/draw.h"
#include "lib/draw/drawbatch.h"
#include "lib/draw/drawmarks.h"
#include "lib/draw/drawwire.h"
#include "app/shell_view.h"

namespace {

struct Rgba { i32 r, g, b, a; };
const Rgba kEdge = {0, 0, 0, 128}, kEdgePoint = {196, 196, 196, 255}, kYellow = {255, 255, 0, 255};
const Rgba kSelected = {128, 255, 255, 255}, kBlue = {0, 0, 255, 255}, kRed = {255, 0, 0, 255};
const Rgba kWhite = {255, 255, 255, 255}, kWhiteHalf = {255, 255, 255, 128};

void Edge(i32 x1, i32 y1, i32 x2, i32 y2, Rgba c, Rgba point) {
  if (x1 == x2 && y1 == y2) Draw_Point2D(x1, y1, point.r, point.g, point.b, point.a);
  else Draw_Line2D(x1, y1, c.r, c.g, c.b, c.a, x2, y2, c.r, c.g, c.b, c.a);
}

void Outline(i32 x1, i32 y1, i32 x2, i32 y2, Rgba c) { Draw_Rect2D(x1, y1, x2, y2, c.r, c.g, c.b, c.a); }

i32 Polys(const Bone2Model *m) {
  if (!m->polygons) return 0;
  return m->polygonCount < m->polygonCapacity ? m->polygonCount : m->polygonCapacity;
}

// The selection the draw in progress shows (the draw hook's): the pairing's callbacks take
// a face or a vertex only.
const ShellSelection *s_Drawn;

bool FaceSelected(i32 f) { return s_Drawn->g_PolySelFaces && (u32)f < App_WorkFaceCount() && s_Drawn->g_PolySelFaces[f]; }
bool VertSelected(u32 v) { return s_Drawn->g_PolySelVerts && v < App_WorkVertCount() && s_Drawn->g_PolySelVerts[v]; }

}  // namespace

const i32 *Ed2D_LastCorners(const Bone2Model *m) {
  static i32 *last;
  static i32 room;
  i32 verts = m->vertexCount < m->vertexCapacity ? m->vertexCount : m->vertexCapacity;
  if (verts > room) {
    i32 *p = (i32 *)realloc(last, (size_t)verts * sizeof(i32));
    if (!p) return nullptr;
    last = p;
    room = verts;
  }
  for (i32 f = 0; f < Polys(m); f++) {
    const Polygon2 *p = &m->polygons[f];
    if (p->used != 1) continue;
    u32 verts4[4];
    for (i32 j = 0, k = Ed2D_PolyCorners(m, p, verts4); j < k; j++)
      if ((i32)verts4[j] < verts) last[verts4[j]] = 4 * f + j;
  }
  return last;
}

const i32 g_Ed2DCross[4][2] = {{0, -1}, {1, 0}, {0, 1}, {-1, 0}};

// The pairing's scratch: rings, pixels, the marks' parts and what they are planned for.
static struct {
  u32 *ring;
  u8 *count, *parts;
  i32 *pixels;
  i32 room, vertRoom;
  const Bone2Model *model;
  const Ed2DMarks *marks;
} s_Pair;

static void PlanMarks(u32 c) {
  const Bone2Model *m = s_Pair.model;
  const Ed2DMarks &k = *s_Pair.marks;
  u32 v = s_Pair.ring[c];
  if (k.last[v] != (i32)c) return;
  i32 x = s_Pair.pixels[2 * v], y = s_Pair.pixels[2 * v + 1];
  u32 bits = k.boxed(v) ? DrawMarks_Box(x - k.half, y - k.half, x + k.half, y + k.half) : 0;
  if (k.crossed && k.crossed(m, v))
    for (i32 i = 3; i >= 0; i--) bits |= DrawMarks_Point(x + g_Ed2DCross[i][0], y + g_Ed2DCross[i][1]) ? 16u << i : 0;
  s_Pair.parts[v] = (u8)bits;
}

const u8 *Ed2D_MarkParts(void) { return s_Pair.parts; }

static bool Room2D(i32 faces, i32 verts) {
  if (faces > s_Pair.room) {
    u32 *r = (u32 *)realloc(s_Pair.ring, (size_t)faces * 4 * sizeof(u32));
    if (r) s_Pair.ring = r;
    u8 *c = (u8 *)realloc(s_Pair.count, (size_t)faces);
    if (c) s_Pair.count = c;
    if (!r || !c) return false;
    s_Pair.room = faces;
  }
  if (verts > s_Pair.vertRoom) {
    i32 *p = (i32 *)realloc(s_Pair.pixels, (size_t)verts * 2 * sizeof(i32));
    if (p) s_Pair.pixels = p;
    u8 *q = (u8 *)realloc(s_Pair.parts, (size_t)verts);
    if (q) s_Pair.parts = q;
    if (!p || !q) return false;
    s_Pair.vertRoom = verts;
  }
  return true;
}

bool Ed2D_PairEdges(const Bone2Model *m, const Bone2Point *pts, bool nearest, bool (*late)(u32 face), bool earlyOpaque,
                    const Ed2DMarks *marks) {
  i32 n = Polys(m), verts = m->vertexCount < m->vertexCapacity ? m->vertexCount : m->vertexCapacity;
  if (verts <= 0 || !Room2D(n, verts)) return false;
  memset(s_Pair.parts, 255, (size_t)verts);
  if (!DrawWire_Exact() || !pts) return false;
  for (i32 i = 0; i < verts; i++) {
    f32 x = pts[i].x + m->placeX, y = pts[i].y + m->placeY;
    s_Pair.pixels[2 * i] = nearest ? (i32)floorf(x + 0.5f) : (i32)x;
    s_Pair.pixels[2 * i + 1] = nearest ? (i32)floorf(y + 0.5f) : (i32)y;
  }
  for (i32 f = 0; f < n; f++) {
    const Polygon2 *p = &m->polygons[f];
    u32 *v = &s_Pair.ring[4 * f];
    v[0] = v[1] = v[2] = v[3] = 0;
    i32 k = p->used == 1 ? Ed2D_PolyCorners(m, p, v) : 0;
    s_Pair.count[f] = (u8)(k == p->cornerCount ? k : 0);
  }
  DrawWire_Build(s_Pair.ring, s_Pair.count, (u32)n);
  s_Pair.model = m;
  s_Pair.marks = marks;
  if (DrawWire_Plan(s_Pair.pixels, (u32)verts, late, earlyOpaque, marks && marks->last ? PlanMarks : nullptr)) return true;
  memset(s_Pair.parts, 255, (size_t)verts);
  return false;
}

namespace {

// Whether the edge at corner j of face f is drawn again by a later face (face selection draws
// the selected faces after the others, and only their edges are opaque).
bool DrawnLater(bool paired, i32 f, i32 j) { return paired && DrawWire_Skip((u32)(4 * f + j)); }

bool SelectedLate(u32 f) { return FaceSelected((i32)f); }

bool BoxedVertex(u32 v) { return VertSelected(v); }

// Pass 1 draws every live polygon not drawn as selected; pass 2 the selected ones (face mode).
// A selected vertex's box is opaque and the same at every corner that passes it: drawn at the
// last of them only, it leaves the picture that drawing it at every one leaves.
void DrawPolygons(const Bone2Model *m, bool selectedPass, bool paired) {
  bool faceMode = s_Drawn->g_PolySelectMode == 1;
  const i32 *last = !selectedPass && !faceMode && DrawBatch_IsOpen() ? Ed2D_LastCorners(m) : nullptr;
  const u8 *marks = paired && last ? Ed2D_MarkParts() : nullptr;
  for (i32 f = 0; f < Polys(m); f++) {
    const Polygon2 *p = &m->polygons[f];
    if (p->used != 1) continue;
    if ((faceMode && FaceSelected(f)) != selectedPass) continue;
    u32 verts[4];
    i32 k = Ed2D_PolyCorners(m, p, verts), xs[4], ys[4];
    for (i32 j = 0; j < k; j++) Ed2D_CornerPoint(m, verts[j], &xs[j], &ys[j]);
    for (i32 j = 0; j < k; j++) {
      i32 n = (j + 1) % k;
      if (DrawnLater(paired, f, j)) {
      } else if (selectedPass) Edge(xs[j], ys[j], xs[n], ys[n], kSelected, kSelected);
      else Edge(xs[j], ys[j], xs[n], ys[n], kEdge, kEdgePoint);
      if (!selectedPass && !faceMode && VertSelected(verts[j]) && (!last || last[verts[j]] == 4 * f + j))
        DrawMarks_DrawBox(xs[j] - 2, ys[j] - 2, xs[j] + 2, ys[j] + 2, marks ? marks[verts[j]] : 15, kYellow.r, kYellow.g,
                          kYellow.b, kYellow.a);
    }
  }
}

void DrawDragRect(u32 drawView, u32 activeView) {
  u32 tool = s_Drawn->g_PolyTool;
  if (drawView != activeView || (tool != ED2D_TOOL_VERTEX && tool != ED2D_TOOL_FACE)) return;
  const Ed2DPolyEditor &e = g_Ed2DPoly;
  if (Shell_ButtonHeld(BUTTON_LEFT)) Outline(e.startX, e.startY, e.curX, e.curY, kBlue);
  else if (Shell_ButtonHeld(BUTTON_RIGHT)) Outline(e.startX, e.startY, e.curX, e.curY, kRed);
}

void DrawFreeCreation(const Bone2Model *m) {
  const ShellSelection *sel = s_Drawn;
  u32 fixed = sel->g_FreeCreateCount < POLY_FREE_POINTS ? sel->g_FreeCreateCount : POLY_FREE_POINTS - 1;
  i32 x[POLY_FREE_POINTS], y[POLY_FREE_POINTS];
  for (u32 i = 0; i <= fixed; i++) {
    x[i] = (i32)(sel->g_FreeCreatePoints[i][0] + m->placeX);
    y[i] = (i32)(sel->g_FreeCreatePoints[i][1] + m->placeY);
  }
  if (fixed == 0) Draw_Point2D(x[0], y[0], kWhite.r, kWhite.g, kWhite.b, kWhite.a);
  if (fixed >= 2)
    for (u32 i = 0; i < fixed; i++) Edge(x[i], y[i], x[i + 1], y[i + 1], kWhite, kWhite);
  if (fixed >= 1) Edge(x[fixed], y[fixed], x[0], y[0], kWhiteHalf, kWhiteHalf);
}

}  // namespace

void Ed2D_PolyDraw(const HookCtx *c) {
  View_Draw2DGrid(c->view);
  Bone2Model *m = c->model2;
  if (!m || g_Bone2SlotShown[0] == 0 || !m->positions) return;
  ShellSelection *sel = c->sel;
  Ed2D_PolySelectPass(m, sel);
  s_Drawn = sel;
  DrawBatch_Begin();
  // In face selection the selected faces' opaque edges go last: one that a later selected face
  // draws again is drawn by that face only.
  // Vertex selection plans the boxes at each vertex's last corner.
  bool faceMode = sel->g_PolySelectMode == 1;
  Ed2DMarks boxes = {!faceMode && DrawBatch_IsOpen() ? Ed2D_LastCorners(m) : nullptr, 2, BoxedVertex, nullptr};
  bool paired = Ed2D_PairEdges(m, m->positions, true, faceMode ? SelectedLate : nullptr, false, &boxes);
  DrawPolygons(m, false, paired);
  if (faceMode) DrawPolygons(m, true, paired);
  DrawDragRect(c->viewIndex, c->activeView);
  if (sel->g_PolyTool == ED2D_TOOL_FREE) DrawFreeCreation(m);
  DrawBatch_End();
  if (Shell_AnyButtonHeld()) Ed2D_PolyShowSelection(m, sel);
}
