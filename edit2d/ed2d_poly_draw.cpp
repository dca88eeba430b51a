// The overlay of the 2D polygon and texture sub-modes: the grid, the skin's edges (selected
// polygons in cyan in face mode, selected vertices outlined in yellow in vertex mode), the
// drag rectangle and the polygon under free creation. The rectangle selection runs first
// (Ed2D_PolySelectPass), so what is drawn is the selection after this pass.
#include <stdlib.h>

#include "app/family.h"
#include "app/shell_seam.h"
#include "app/startup_state.h"
#include "app/viewdraw.h"
#include "app/views.h"
#include "edit2d/ed2d_poly.h"
#include "lib/draw/draw.h"
#include "lib/draw/drawbatch.h"
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

bool FaceSelected(i32 f) { return g_Sel.g_PolySelFaces && (u32)f < App_WorkFaceCount() && g_Sel.g_PolySelFaces[f]; }
bool VertSelected(u32 v) { return g_Sel.g_PolySelVerts && v < App_WorkVertCount() && g_Sel.g_PolySelVerts[v]; }

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

namespace {

// Pass 1 draws every live polygon not drawn as selected; pass 2 the selected ones (face mode).
// A selected vertex's box is opaque and the same at every corner that passes it: drawn at the
// last of them only, it leaves the picture that drawing it at every one leaves.
void DrawPolygons(const Bone2Model *m, bool selectedPass) {
  bool faceMode = g_Sel.g_PolySelectMode == 1;
  const i32 *last = !selectedPass && !faceMode && DrawBatch_IsOpen() ? Ed2D_LastCorners(m) : nullptr;
  for (i32 f = 0; f < Polys(m); f++) {
    const Polygon2 *p = &m->polygons[f];
    if (p->used != 1) continue;
    if ((faceMode && FaceSelected(f)) != selectedPass) continue;
    u32 verts[4];
    i32 k = Ed2D_PolyCorners(m, p, verts), xs[4], ys[4];
    for (i32 j = 0; j < k; j++) Ed2D_CornerPoint(m, verts[j], &xs[j], &ys[j]);
    for (i32 j = 0; j < k; j++) {
      i32 n = (j + 1) % k;
      if (selectedPass) Edge(xs[j], ys[j], xs[n], ys[n], kSelected, kSelected);
      else Edge(xs[j], ys[j], xs[n], ys[n], kEdge, kEdgePoint);
      if (!selectedPass && !faceMode && VertSelected(verts[j]) && (!last || last[verts[j]] == 4 * f + j))
        Outline(xs[j] - 2, ys[j] - 2, xs[j] + 2, ys[j] + 2, kYellow);
    }
  }
}

void DrawDragRect(void) {
  if (g_Shell.g_DrawView != g_Shell.g_ActiveView || (g_Sel.g_PolyTool != ED2D_TOOL_VERTEX && g_Sel.g_PolyTool != ED2D_TOOL_FACE)) return;
  const Ed2DPolyEditor &e = g_Ed2DPoly;
  if (Shell_ButtonHeld(BUTTON_LEFT)) Outline(e.startX, e.startY, e.curX, e.curY, kBlue);
  else if (Shell_ButtonHeld(BUTTON_RIGHT)) Outline(e.startX, e.startY, e.curX, e.curY, kRed);
}

void DrawFreeCreation(const Bone2Model *m) {
  u32 fixed = g_Sel.g_FreeCreateCount < POLY_FREE_POINTS ? g_Sel.g_FreeCreateCount : POLY_FREE_POINTS - 1;
  i32 x[POLY_FREE_POINTS], y[POLY_FREE_POINTS];
  for (u32 i = 0; i <= fixed; i++) {
    x[i] = (i32)(g_Sel.g_FreeCreatePoints[i][0] + m->placeX);
    y[i] = (i32)(g_Sel.g_FreeCreatePoints[i][1] + m->placeY);
  }
  if (fixed == 0) Draw_Point2D(x[0], y[0], kWhite.r, kWhite.g, kWhite.b, kWhite.a);
  if (fixed >= 2)
    for (u32 i = 0; i < fixed; i++) Edge(x[i], y[i], x[i + 1], y[i + 1], kWhite, kWhite);
  if (fixed >= 1) Edge(x[fixed], y[fixed], x[0], y[0], kWhiteHalf, kWhiteHalf);
}

}  // namespace

void Ed2D_PolyDraw(void) {
  View_Draw2DGrid();
  Bone2Model *m = g_Bone2Slots[0];
  if (!m || g_Bone2SlotShown[0] == 0 || !m->positions) return;
  Ed2D_PolySelectPass(m);
  DrawBatch_Begin();
  DrawPolygons(m, false);
  if (g_Sel.g_PolySelectMode == 1) DrawPolygons(m, true);
  DrawDragRect();
  if (g_Sel.g_PolyTool == ED2D_TOOL_FREE) DrawFreeCreation(m);
  DrawBatch_End();
  if (Shell_AnyButtonHeld()) Ed2D_PolyShowSelection();
}
