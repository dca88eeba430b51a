// What polygon modelling (14) and the texture sub-mode (15) draw over the rendered model: in
// the perspective main view the grid and the selection; in the orthographic views the sketch,
// the wire mesh, the selection, the face normals, the selection rectangle and the polygon
// under free creation. The rectangle selection of the active view runs here, one pass per
// drawn frame, as a step over the model (Poly_RectSelectPass) before the mesh is drawn.
#include <stdlib.h>
#include <string.h>

#include "app/current.h"
#include "app/drag_anchors.h"
#include "app/family.h"
#include "app/shell_mouse.h"
#include "app/shell_seam.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/sketch.h"
#include "app/startup_state.h"
#include "app/viewdraw.h"
#include "app/views.h"
#include "edit3d/ed3d_bone.h"
#include "edit3d/ed3d_poly.h"
#include "lib/draw/camera.h"
#include "lib/draw/draw.h"
#include "lib/draw/drawbatch.h"
#include "lib/draw/drawmarks.h"
#include "lib/draw/drawwire.h"
#include "lib/draw/image.h"
#include "lib/framework/view_record.h"

// [SECTION] scene pass
static bool CornerOk(const Model3 *m, const PolyCorner &c) {
  return c.vertex < (u32)m->positionCount && (i32)c.vertex < m->capPositions;
}

static Vec3 Lifted(const Model3 *m, const PolyCorner &c) {
  Vec3 p = m->positions[c.vertex];
  i32 normals = m->normals ? (m->normalCount < m->capNormals ? m->normalCount : m->capNormals) : 0;
  if (c.normal < (u32)normals) {
    const Vec3 &n = m->normals[c.normal];
    p.x += 0.01f * n.x;
    p.y += 0.01f * n.y;
    p.z += 0.01f * n.z;
  }
  return p;
}

static i32 FlaggedPolys(const Model3 *m, const ShellSelection *sel) {
  i32 n = Model3_PolygonCount(m);
  i32 room = (i32)Poly_SelFaceRoom(sel);
  return n < room ? n : room;
}

static i32 FlaggedVerts(const Model3 *m, const ShellSelection *sel) {
  i32 n = Model3_PositionCount(m);
  i32 room = (i32)Poly_SelVertRoom(sel);
  return n < room ? n : room;
}

static i32 Corners(const Model3 *m, const Polygon3 &p) {
  i32 k = p.cornerCount > 4 ? 4 : p.cornerCount;
  for (i32 j = 0; j < k; j++)
    if (!CornerOk(m, p.corners[j])) return 0;
  return k;
}

static void Square(i32 x, i32 y) { Draw_Rect2D(x - 2, y - 2, x + 2, y + 2, 255, 255, 0, 255); }

void Ed3D_PolyDrawScene(const HookCtx *c) {
  if (c->viewIndex != 0) return;
  View_Draw3DGrid(c->viewIndex);
  const Model3 *m = c->model;
  const ShellSelection *sel = c->sel;
  if (!m || (c->layout != SUB_3D_POLY && c->layout != SUB_3D_TEXTURE)) return;
  Img_Bind(-1);
  DrawBatch_Begin();
  if (sel->g_PolySelectMode == 1) {
    for (i32 f = 0, n = FlaggedPolys(m, sel); f < n; f++) {
      if (!sel->g_PolySelFaces[f]) continue;
      const Polygon3 &p = m->polygons[f];
      i32 k = Corners(m, p);
      // Each face's own ring: the outline is translucent, so an edge two faces share is drawn
      // from both (once would blend it once, a different picture).
      f32 ring[4][3];
      u32 at[4];
      for (i32 j = 0; j < k; j++) {
        Vec3 c = Lifted(m, p.corners[j]);
        ring[j][0] = c.x, ring[j][1] = c.y, ring[j][2] = c.z;
        at[j] = p.corners[j].vertex;
      }
      if (k == 1) Draw_Line3D(ring[0][0], ring[0][1], ring[0][2], 0, 255, 255, 64, 0, 0, ring[0][0], ring[0][1], ring[0][2], 0, 255, 255, 64, 0, 0);
      else Draw_LineRing3D(ring[0], k, 0, 255, 255, 64, at);
    }
    DrawBatch_End();
    return;
  }
  CamProjection cam;
  Cam_BeginProjection(&cam);
  for (i32 i = 0, n = FlaggedVerts(m, sel); i < n; i++) {
    if (!sel->g_PolySelVerts[i]) continue;
    f32 s[3];
    const Vec3 &q = m->positions[i];
    Cam_Project(&cam, s, q.x, q.y, q.z);
    Square((i32)s[0], (i32)s[1]);
  }
  DrawBatch_End();
}

// [SECTION] overlay
static bool Ortho(const ViewRecord *v) { return v->kind == VIEW_FRONT || v->kind == VIEW_TOP || v->kind == VIEW_SIDE; }


// The sketch chosen for the view's kind (Front, Top, Side), while "表示" is on.
static const ImageHandle *SketchOf(u32 kind) {
  if (!g_Sketch.show || kind < VIEW_FRONT || kind > VIEW_SIDE) return nullptr;
  const ImageHandle *img = &g_Sketch.images[kind - VIEW_FRONT];
  return img->loaded ? img : nullptr;
}

static void Sketch(const ViewRecord *v) {
  const ImageHandle *img = SketchOf(v->kind);
  const ImageRow *row = img ? Img_GetRow(img) : nullptr;
  if (!row) return;
  i32 cx, cy;
  Poly_OrthoToScreen(v, 0, 0, 0, &cx, &cy);
  // Each image pixel covers 4 screen pixels at zoom 1.
  i32 hw = (i32)(2.0f * v->zoom * row->width), hh = (i32)(2.0f * v->zoom * row->height);
  Img_DrawQuad(img, cx - hw, cy - hh, cx + hw, cy - hh, cx + hw, cy + hh, cx - hw, cy + hh, 255, 255, 255, 255);
  Img_Bind(-1);
}

// The pixel Poly_PositionPixels found for a position in this view (in the scratch of sel).
static void ScreenOf(const Model3 *m, const ShellSelection *sel, const ViewRecord *v, u32 vertex, i32 *x, i32 *y) {
  if (vertex < App_WorkVertCount()) {
    *x = (i32)sel->g_PolyScreenPos[3 * vertex];
    *y = (i32)sel->g_PolyScreenPos[3 * vertex + 1];
    return;
  }
  const Vec3 &q = m->positions[vertex];
  Poly_OrthoToScreen(v, q.x, q.y, q.z, x, y);
}

// The plan of the lines left out (scratch, grown, main thread; written by ProjectPositions,
// FindLastCorners and the wire's planning below): every position's pixel, two each, projected
// once per view (`projected` while they stand for this view's drawing), and the sides of its
// selected box still to be drawn (drawmarks.h), planned with the edges when the pixels are
// exact, every side otherwise; the model planned for; the corner (4 x face + corner) of the
// last ring that passes each position (lastCorner); the placement the wire's lines are drawn
// with, taken once per view; the selection being drawn (the overlay's context's).
static struct {
  i32 *pixels;
  u8 *boxSides;
  i32 pixelRoom, boxRoom;
  const Model3 *model;
  i32 *lastCorner;
  i32 lastRoom;
  bool lastFound;   // lastCorner stands for this view's drawing
  bool projected;
  Place2D place;
  const ShellSelection *sel;
} s_Plan;

// Every position's pixel in this view into s_Plan.pixels; false when there is no room.
static bool ProjectPositions(const Model3 *m, const ViewRecord *v) {
  i32 verts = Model3_PositionCount(m);
  if (verts > s_Plan.pixelRoom) {
    i32 *p = (i32 *)realloc(s_Plan.pixels, (size_t)verts * 2 * sizeof(i32));
    if (!p) return false;
    s_Plan.pixels = p;
    s_Plan.pixelRoom = verts;
  }
  // Poly_PositionPixels's pixels where it has them, as ScreenOf reads them.
  i32 found = (i32)App_WorkVertCount() < verts ? (i32)App_WorkVertCount() : verts;
  const f32 *at = s_Plan.sel->g_PolyScreenPos;
  if (!at) found = 0;
  for (i32 i = 0; i < found; i++) s_Plan.pixels[2 * i] = (i32)at[3 * i], s_Plan.pixels[2 * i + 1] = (i32)at[3 * i + 1];
  for (i32 i = found; i < verts; i++) ScreenOf(m, s_Plan.sel, v, (u32)i, &s_Plan.pixels[2 * i], &s_Plan.pixels[2 * i + 1]);
  return true;
}

// The screen ends of the edge from corner j to the next of a k-cornered polygon.
static void EdgeOnScreen(const Model3 *m, const ViewRecord *v, const Polygon3 &p, i32 j, i32 k, i32 *x1, i32 *y1,
                         i32 *x2, i32 *y2) {
  u32 a = p.corners[j].vertex, b = p.corners[j + 1 < k ? j + 1 : 0].vertex;
  if (s_Plan.projected) {
    *x1 = s_Plan.pixels[2 * a], *y1 = s_Plan.pixels[2 * a + 1];
    *x2 = s_Plan.pixels[2 * b], *y2 = s_Plan.pixels[2 * b + 1];
    return;
  }
  ScreenOf(m, s_Plan.sel, v, a, x1, y1);
  ScreenOf(m, s_Plan.sel, v, b, x2, y2);
}

// The edge from position ka to kb, or a point when both ends fall on one pixel.
static void Edge(u32 ka, u32 kb, i32 x1, i32 y1, i32 x2, i32 y2, i32 r, i32 g, i32 b, i32 a) {
  if (x1 == x2 && y1 == y2) Draw_Point2D(x1, y1, 196, 196, 196, 255);
  else Draw_Line2DKeyed(&s_Plan.place, x1, y1, ka, x2, y2, kb, r, g, b, a);
}

static bool FindLastCorners(const Model3 *m) {
  if (s_Plan.lastFound) return true;
  i32 verts = Model3_PositionCount(m);
  if (verts > s_Plan.lastRoom) {
    i32 *p = (i32 *)realloc(s_Plan.lastCorner, (size_t)verts * sizeof(i32));
    if (!p) return false;
    s_Plan.lastCorner = p;
    s_Plan.lastRoom = verts;
  }
  for (i32 f = 0, n = FlaggedPolys(m, s_Plan.sel); f < n; f++) {
    const Polygon3 &p = m->polygons[f];
    for (i32 j = 0, k = Corners(m, p); j < k; j++) s_Plan.lastCorner[p.corners[j].vertex] = 4 * f + j;
  }
  s_Plan.lastFound = true;
  return true;
}

// Selected faces' edges are drawn after the others in face selection: a face's place in the drawing.
static bool DrawnLate(u32 f) { return s_Plan.sel->g_PolySelectMode == 1 && s_Plan.sel->g_PolySelFaces[f]; }

// Whether the edge at a corner is drawn again by a later face (left out here when `paired`).
static bool DrawnLater(bool paired, i32 f, i32 j) { return paired && DrawWire_Skip((u32)(4 * f + j)); }


// The box drawn after a corner's edge in vertex selection: at the position's last corner.
static void PlanBox(u32 c) {
  const Model3 *m = s_Plan.model;
  u32 vi = m->polygons[c / 4].corners[c % 4].vertex;
  if (!s_Plan.sel->g_PolySelVerts[vi] || s_Plan.lastCorner[vi] != (i32)c) return;
  i32 x = s_Plan.pixels[2 * vi], y = s_Plan.pixels[2 * vi + 1];
  // A later position's box on the same pixel hides this one wholly.
  s_Plan.boxSides[vi] = DrawMarks_Again(x, y, 0) ? 0 : (u8)DrawMarks_Box(x - 2, y - 2, x + 2, y + 2);
}

// Needs the view's pixels (ProjectPositions).
static bool PairEdges(const Model3 *m) {
  i32 verts = Model3_PositionCount(m);
  if (!s_Plan.projected) return false;
  if (verts > s_Plan.boxRoom) {
    u8 *p = (u8 *)realloc(s_Plan.boxSides, (size_t)verts);
    if (!p) return false;
    s_Plan.boxSides = p;
    s_Plan.boxRoom = verts;
  }
  if (verts > 0) memset(s_Plan.boxSides, 15, (size_t)verts);
  const ShellSelection *sel = s_Plan.sel;
  bool boxes = sel->g_PolySelectMode != 1 && FindLastCorners(m) && verts <= FlaggedVerts(m, sel);
  s_Plan.model = m;
  return Ed3D_PairWireEdges(m, FlaggedPolys(m, sel), s_Plan.pixels, DrawnLate, boxes ? PlanBox : nullptr);
}

static void DrawMesh(const Model3 *m, const ViewRecord *v, bool paired) {
  i32 grey = v->kind == VIEW_FRONT ? 208 : 196;
  const ShellSelection *sel = s_Plan.sel;
  bool faceMode = sel->g_PolySelectMode == 1;
  // A selected position's box is opaque and the same at every corner that passes it: drawn at
  // the last of them only, it leaves the picture that drawing it at every one leaves.
  bool once = !faceMode && DrawBatch_IsOpen() && FindLastCorners(m);
  for (i32 f = 0, n = FlaggedPolys(m, sel); f < n; f++) {
    // A selected face in face selection draws its edges later (DrawSelectedFaces): here at most
    // the corner's cross.
    bool cross = v->kind == VIEW_FRONT && f == sel->g_PolyFaceNo;
    if (faceMode && sel->g_PolySelFaces[f] && !cross) continue;
    const Polygon3 &p = m->polygons[f];
    i32 k = Corners(m, p);
    for (i32 j = 0; j < k; j++) {
      u32 vi = p.corners[j].vertex;
      bool edge = (!faceMode || !sel->g_PolySelFaces[f]) && !DrawnLater(paired, f, j);
      bool box = !faceMode && vi < Poly_SelVertRoom(sel) && sel->g_PolySelVerts[vi] && (!once || s_Plan.lastCorner[vi] == 4 * f + j);
      bool mark = v->kind == VIEW_FRONT && f == sel->g_PolyFaceNo && j == sel->g_PolyVertexNo;
      if (!edge && !box && !mark) continue;
      i32 x1, y1, x2, y2;
      EdgeOnScreen(m, v, p, j, k, &x1, &y1, &x2, &y2);
      if (edge) Edge(vi, p.corners[j + 1 < k ? j + 1 : 0].vertex, x1, y1, x2, y2, grey, grey, grey, 255);
      if (box) DrawMarks_DrawBox(x1 - 2, y1 - 2, x1 + 2, y1 + 2, paired ? s_Plan.boxSides[vi] : 15, 255, 255, 0, 255);
      if (mark) {
        Draw_Line2D(x1 - 6, y1 - 6, 255, 255, 0, 255, x1 + 6, y1 + 6, 255, 255, 0, 255);
        Draw_Line2D(x1 + 6, y1 - 6, 255, 255, 0, 255, x1 - 6, y1 + 6, 255, 255, 0, 255);
      }
    }
  }
}

static void DrawSelectedFaces(const Model3 *m, const ViewRecord *v, bool paired) {
  const ShellSelection *sel = s_Plan.sel;
  for (i32 f = 0, n = FlaggedPolys(m, sel); f < n; f++) {
    if (!sel->g_PolySelFaces[f]) continue;
    const Polygon3 &p = m->polygons[f];
    i32 k = Corners(m, p);
    for (i32 j = 0; j < k; j++) {
      if (DrawnLater(paired, f, j)) continue;
      i32 x1, y1, x2, y2;
      EdgeOnScreen(m, v, p, j, k, &x1, &y1, &x2, &y2);
      Edge(p.corners[j].vertex, p.corners[j + 1 < k ? j + 1 : 0].vertex, x1, y1, x2, y2, 128, 255, 255, 255);
    }
    if (sel->g_PolyShowNormals && k >= 3 && sel->g_PolyFaceCentres) {
      i32 cx = (i32)sel->g_PolyFaceCentres[2 * f], cy = (i32)sel->g_PolyFaceCentres[2 * f + 1];
      i32 ex = (i32)(sel->g_PolyFaceCentres[2 * f] + 12.0f * sel->g_PolyFaceNormals2D[2 * f]);
      i32 ey = (i32)(sel->g_PolyFaceCentres[2 * f + 1] - 12.0f * sel->g_PolyFaceNormals2D[2 * f + 1]);
      if (cx == ex && cy == ey) Draw_Point2D(cx, cy, 0, 255, 255, 128);
      else Draw_Line2D(cx, cy, 0, 255, 255, 128, ex, ey, 0, 255, 255, 128);
    }
  }
}

// The points placed so far and the line from the first to the mouse (mx, my).
static void DrawFreeCreation(const ShellSelection *sel, const ViewRecord *v, i32 mx, i32 my) {
  i32 h, vert;
  if (!Poly_ViewAxes(v->kind, &h, &vert)) return;
  u32 count = sel->g_FreeCreateCount < POLY_FREE_POINTS ? sel->g_FreeCreateCount : POLY_FREE_POINTS - 1;
  i32 x[POLY_FREE_POINTS], y[POLY_FREE_POINTS];
  for (u32 i = 0; i <= count; i++) {
    x[i] = (i32)((f32)v->centerX + 40.0f * v->zoom * sel->g_FreeCreatePoints[i][h]);
    y[i] = (i32)((f32)v->centerY - 40.0f * v->zoom * sel->g_FreeCreatePoints[i][vert]);
  }
  if (count == 0) Draw_Point2D(x[0], y[0], 255, 255, 255, 255);
  if (count >= 2)
    for (u32 i = 0; i < count; i++) Draw_Line2D(x[i], y[i], 255, 255, 255, 255, x[i + 1], y[i + 1], 255, 255, 255, 255);
  if (count >= 1) Draw_Line2D(mx, my, 255, 255, 255, 128, x[0], y[0], 255, 255, 255, 128);
}

void Ed3D_PolyDrawOverlay(const HookCtx *c) {
  const ViewRecord *v = c->view;
  if (Ortho(v)) Sketch(v);
  View_Draw2DGrid(c->view);
  Model3 *m = c->model;
  ShellSelection *sel = c->sel;
  const ShellMouse *mouse = c->mouse;
  if (!m || !Poly_SelFaceRoom(sel) || !Poly_SelVertRoom(sel)) return;
  bool active = c->viewIndex == c->activeView;
  bool selecting = sel->g_PolyTool == 0 || sel->g_PolyTool == 5;
  bool left = Shell_ButtonHeld(BUTTON_LEFT) && !Shell_ButtonHeld(BUTTON_RIGHT) && !Shell_ButtonHeld(BUTTON_MIDDLE);
  bool right = Shell_ButtonHeld(BUTTON_RIGHT) && !Shell_ButtonHeld(BUTTON_LEFT) && !Shell_ButtonHeld(BUTTON_MIDDLE);
  if (Ortho(v)) {
    Poly_PositionPixels(sel, m, v);
    // The faces' centres serve this view's rectangle selection and drawn normals only.
    if ((active && Poly_RectSelecting(sel)) || (sel->g_PolySelectMode == 1 && sel->g_PolyShowNormals)) Poly_FaceCentres(sel, m, v);
    if (active) Poly_RectSelectPass(sel, m, v, mouse->g_PolyDragAnchor.x, mouse->g_PolyDragAnchor.y, mouse->g_MouseX, mouse->g_MouseY);
    DrawBatch_Begin();
    s_Plan.sel = sel;
    s_Plan.lastFound = false;
    s_Plan.projected = ProjectPositions(m, v);
    s_Plan.place = Draw_CurrentPlacement();
    // Every edge is opaque: one between two faces is drawn by the later one only.
    bool paired = DrawWire_Exact() && PairEdges(m);
    DrawMesh(m, v, paired);
    if (sel->g_PolySelectMode == 1) DrawSelectedFaces(m, v, paired);
    DrawBatch_End();
    s_Plan.projected = s_Plan.lastFound = false;
  }
  if (sel->g_PolySelectMode == 1) Poly_VertexFlagsFollowFaces(sel, m);
  if (active && selecting && Ortho(v) && (left || right)) {
    const DragAnchor &a = mouse->g_PolyDragAnchor;
    i32 x1 = a.x < mouse->g_MouseX ? a.x : mouse->g_MouseX;
    i32 x2 = a.x < mouse->g_MouseX ? mouse->g_MouseX : a.x;
    i32 y1 = a.y < mouse->g_MouseY ? a.y : mouse->g_MouseY;
    i32 y2 = a.y < mouse->g_MouseY ? mouse->g_MouseY : a.y;
    if (left) Draw_Rect2D(x1, y1, x2, y2, 0, 0, 255, 255);
    else Draw_Rect2D(x1, y1, x2, y2, 255, 0, 0, 255);
  }
  if (sel->g_PolyTool == POLY_TOOL_FREE && Ortho(v)) DrawFreeCreation(sel, v, mouse->g_MouseX, mouse->g_MouseY);
  if (Shell_AnyButtonHeld()) Ed3D_PolyStatusText(m, sel);
}
