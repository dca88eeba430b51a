// Polygon modelling's arithmetic over the model: the orthographic mapping and its inverse,
// the projection and the pick, one step of the move, rotate and scale drags, free creation
// and the rectangle selection. The hooks (ed3d_poly.cpp) and the draw (ed3d_poly_draw.cpp)
// call these; the native tests reach them directly.
#include <math.h>

#include "app/current.h"
#include "app/poly_select.h"
#include "app/shell_seam.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/startup_state.h"
#include "app/views.h"
#include "edit3d/ed3d_poly.h"
#include "lib/draw/camera.h"
#include "lib/framework/view_record.h"
#include "model/seam_errorbox.h"

static const f32 kUnitPixels = 40.0f;   // screen pixels per model unit at zoom 1
static const f32 kPixelUnits = 0.025f;  // its inverse

// [SECTION] bounds
u32 Poly_FaceFlagRoom(void) { return Poly_SelFaceRoom(&g_Sel); }
u32 Poly_SelFaceRoom(const ShellSelection *sel) { return sel->g_PolySelFaces ? App_WorkFaceCount() : 0; }
u32 Poly_VertFlagRoom(void) { return Poly_SelVertRoom(&g_Sel); }
u32 Poly_SelVertRoom(const ShellSelection *sel) { return sel->g_PolySelVerts ? App_WorkVertCount() : 0; }

// Polygons and positions that exist in the model's arrays (a count is never trusted beyond
// the room the arrays have).
static i32 Min(i32 a, u32 b) { return (u32)a < b ? a : (i32)b; }

// Corners of polygon p, or 0 when one of them names a position outside the model.
static i32 UsableCorners(const Model3 *m, const Polygon3 *p, i32 verts) {
  i32 k = p->cornerCount > 4 ? 4 : p->cornerCount;
  for (i32 j = 0; j < k; j++)
    if (p->corners[j].vertex >= (u32)verts) return 0;
  return k;
}

// [SECTION] orthographic mapping
bool Poly_ViewAxes(u32 kind, i32 *h, i32 *vert) {
  switch (kind) {
    case VIEW_FRONT: *h = 0; *vert = 1; return true;
    case VIEW_TOP: *h = 0; *vert = 2; return true;
    case VIEW_SIDE: *h = 2; *vert = 1; return true;
    default: return false;
  }
}

i32 Poly_ScreenPixel(f32 c) {
  const f32 far = 1.0e9f;
  if (!(c > -far)) return c == c ? -(i32)far : 0;
  return c < far ? (i32)c : (i32)far;
}

void Poly_OrthoToScreen(const ViewRecord *v, f32 x, f32 y, f32 z, i32 *sx, i32 *sy) {
  f32 s = kUnitPixels * v->zoom, a, b;
  switch (v->kind) {
    case VIEW_FRONT: a = x - v->panX; b = y - v->panY; break;
    case VIEW_TOP: a = x - v->panX; b = z + v->panZ; break;
    case VIEW_SIDE: a = z + v->panZ; b = y - v->panY; break;
    default: a = b = 0; break;
  }
  *sx = Poly_ScreenPixel((f32)v->centerX + s * a);
  *sy = Poly_ScreenPixel((f32)v->centerY - s * b);
}

bool Poly_OrthoFromScreen(const ViewRecord *v, i32 sx, i32 sy, f32 *h, f32 *vert) {
  if (v->zoom == 0.0f) return false;
  f32 a = (f32)(sx - v->centerX) * kPixelUnits / v->zoom;
  f32 b = (f32)(sy - v->centerY) * kPixelUnits / v->zoom;
  switch (v->kind) {
    case VIEW_FRONT: *h = v->panX + a; *vert = v->panY - b; return true;
    case VIEW_TOP: *h = v->panX + a; *vert = -v->panZ - b; return true;
    case VIEW_SIDE: *h = a - v->panZ; *vert = v->panY - b; return true;
    default: return false;
  }
}

// [SECTION] pick
bool Pick_PointInTriangle(const f32 a[3], const f32 b[3], const f32 c[3], const f32 p[3]) {
  // n = (C - B) x (B - A); facing away when n.z > 0.
  f32 e1[3] = {c[0] - b[0], c[1] - b[1], c[2] - b[2]};
  f32 e0[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
  f32 n[3] = {e1[1] * e0[2] - e1[2] * e0[1], e1[2] * e0[0] - e1[0] * e0[2], e1[0] * e0[1] - e1[1] * e0[0]};
  if (n[2] > 0) return false;
  if (n[0] == 0 && n[1] == 0 && n[2] == 0) return false;   // degenerate: no side to be on
  const f32 *start[3] = {a, b, c}, *end[3] = {b, c, a};
  for (int k = 0; k < 3; k++) {
    const f32 *s = start[k];
    f32 e[3] = {end[k][0] - s[0], end[k][1] - s[1], end[k][2] - s[2]};
    f32 d[3] = {p[0] - s[0], p[1] - s[1], p[2] - s[2]};
    f32 cr[3] = {d[1] * e[2] - d[2] * e[1], d[2] * e[0] - d[0] * e[2], d[0] * e[1] - d[1] * e[0]};
    // The sign of cr . n decides; p on the edge's line (cr = 0) is outside, and so is
    // anything that is not a number.
    if (cr[0] == 0 && cr[1] == 0 && cr[2] == 0) return false;
    f32 dot = cr[0] * n[0] + cr[1] * n[1] + cr[2] * n[2];
    if (!(dot >= 0)) return false;
  }
  return true;
}

void Ed3D_PolyProjectAll(const Model3 *m, ShellSelection *sel, const f32 viewProj[16], f32 halfW, f32 halfH) {
  i32 n = Min(Model3_PositionCount(m), App_WorkVertCount());
  if (!sel->g_PolyScreenPos) return;
  for (i32 i = 0; i < n; i++) {
    const Vec3 &p = m->positions[i];
    Cam_ProjectWith(&sel->g_PolyScreenPos[3 * i], viewProj, p.x, p.y, p.z, halfW, halfH, false, 0, 0);
  }
}

static void ClearFlags(const Model3 *m, ShellSelection *sel) {
  i32 nf = Min(Model3_PolygonCount(m), Poly_SelFaceRoom(sel)), nv = Min(Model3_PositionCount(m), Poly_SelVertRoom(sel));
  for (i32 i = 0; i < nf; i++) sel->g_PolySelFaces[i] = 0;
  for (i32 i = 0; i < nv; i++) sel->g_PolySelVerts[i] = 0;
}

static void PickVertex(const Model3 *m, ShellSelection *sel, i32 mx, i32 my) {
  i32 n = Min(Min(Model3_PositionCount(m), Poly_SelVertRoom(sel)), App_WorkVertCount());
  Ed3DPolyEditor.pickedVertex = -1;
  f32 best = 0;
  for (i32 i = 0; i < n; i++) {
    const f32 *s = &sel->g_PolyScreenPos[3 * i];
    f32 d = fabsf(s[0] - (f32)mx) + fabsf(s[1] - (f32)my);
    if (Ed3DPolyEditor.pickedVertex < 0 || d < best) { best = d; Ed3DPolyEditor.pickedVertex = i; }
  }
  if (Ed3DPolyEditor.pickedVertex >= 0) sel->g_PolySelVerts[Ed3DPolyEditor.pickedVertex] = 1;
}

// The nearest face whose fan triangle holds the mouse point; -1 when none does.
static i32 FindFace(const Model3 *m, const f32 *screen, i32 mx, i32 my) {
  i32 verts = Min(Model3_PositionCount(m), App_WorkVertCount()), polys = Model3_PolygonCount(m);
  f32 p[3] = {(f32)mx, (f32)my, 0};
  f32 best = 99999.0f;
  i32 found = -1;
  for (i32 f = 0; f < polys; f++) {
    const Polygon3 &poly = m->polygons[f];
    i32 k = UsableCorners(m, &poly, verts);
    for (i32 t = 0; t + 2 < k; t++) {
      const u32 idx[3] = {poly.corners[0].vertex, poly.corners[t + 1].vertex, poly.corners[t + 2].vertex};
      f32 tri[3][3];
      f32 depth = 0;
      for (int c = 0; c < 3; c++) {
        const f32 *s = &screen[3 * idx[c]];
        tri[c][0] = s[0];
        tri[c][1] = s[1];
        tri[c][2] = 0;
        if (c == 0 || s[2] < depth) depth = s[2];
      }
      if (depth < best && Pick_PointInTriangle(tri[0], tri[1], tri[2], p)) { best = depth; found = f; }
    }
  }
  return found;
}

static void ToggleFace(const Model3 *m, ShellSelection *sel, i32 f) {
  u32 flag = sel->g_PolySelFaces[f] ? 0 : 1;
  sel->g_PolySelFaces[f] = flag;
  i32 verts = Min(Model3_PositionCount(m), Poly_SelVertRoom(sel));
  const Polygon3 &poly = m->polygons[f];
  for (i32 j = 0, k = UsableCorners(m, &poly, verts); j < k; j++) sel->g_PolySelVerts[poly.corners[j].vertex] = flag;
}

void Ed3D_PolyPickAt(Model3 *m, i32 mx, i32 my, bool ctrl) { Ed3D_PolyPickInto(m, &g_Sel, mx, my, ctrl, View_CurrentLayout()); }

void Ed3D_PolyPickInto(Model3 *m, ShellSelection *sel, i32 mx, i32 my, bool ctrl, u32 layout) {
  if (!m || !sel->g_PolyScreenPos || !Poly_SelFaceRoom(sel) || !Poly_SelVertRoom(sel)) return;
  if (!ctrl) ClearFlags(m, sel);
  if (sel->g_PolySelectMode == 0) { PickVertex(m, sel, mx, my); return; }
  // Each pass starts afresh: a miss selects nothing rather than the previous pass's face.
  Ed3DPolyEditor.pickedFace = -1;
  i32 f = FindFace(m, sel->g_PolyScreenPos, mx, my);
  if (f < 0 || (u32)f >= Poly_SelFaceRoom(sel)) return;
  Ed3DPolyEditor.pickedFace = f;
  ToggleFace(m, sel, f);
  sel->g_CurGroupIndex = m->polygons[f].group;
  Ed3D_PolyAfterEdit(layout);
}

// [SECTION] drag steps
// Each selected vertex once, along the mean normal of the selected faces that use it.
static void MoveAlongNormals(Model3 *m, const ShellSelection *sel, f32 zoom, i32 amount) {
  i32 verts = Min(Min(Model3_PositionCount(m), Poly_SelVertRoom(sel)), App_WorkVertCount());
  i32 polys = Min(Model3_PolygonCount(m), Poly_SelFaceRoom(sel));
  if (!sel->g_PolyScreenPos || !sel->g_PolyWorkVerts) return;
  // The pick's screen positions and the spare per-vertex word serve as the sums and counts;
  // the next pick pass refills them.
  f32 *sum = sel->g_PolyScreenPos;
  u32 *count = sel->g_PolyWorkVerts;
  for (i32 i = 0; i < verts; i++) { sum[3 * i] = sum[3 * i + 1] = sum[3 * i + 2] = 0; count[i] = 0; }
  for (i32 f = 0; f < polys; f++) {
    if (!sel->g_PolySelFaces[f]) continue;
    const Polygon3 &p = m->polygons[f];
    for (i32 j = 0, k = UsableCorners(m, &p, verts); j < k; j++) {
      u32 v = p.corners[j].vertex;
      sum[3 * v] += p.faceNormal.x;
      sum[3 * v + 1] += p.faceNormal.y;
      sum[3 * v + 2] += p.faceNormal.z;
      count[v]++;
    }
  }
  f32 s = (f32)amount * zoom * 0.01f;
  for (i32 i = 0; i < verts; i++) {
    if (!count[i]) continue;
    f32 w = s / (f32)count[i];
    m->positions[i].x += sum[3 * i] * w;
    m->positions[i].y += sum[3 * i + 1] * w;
    m->positions[i].z += sum[3 * i + 2] * w;
  }
}

static void AddToSelected(Model3 *m, const ShellSelection *sel, const f32 d[3]) {
  i32 n = Min(Model3_PositionCount(m), Poly_SelVertRoom(sel));
  for (i32 i = 0; i < n; i++) {
    if (!sel->g_PolySelVerts[i]) continue;
    m->positions[i].x += d[0];
    m->positions[i].y += d[1];
    m->positions[i].z += d[2];
  }
}

void Poly_MoveStep(const HookCtx *c, u32 moveMode, i32 dx, i32 dy) {
  Model3 *m = c->model;
  const ViewRecord *v = c->view;
  const ShellSelection *sel = c->sel;
  if (!m) return;
  f32 zoom = v->zoom;
  if (moveMode == 1) { MoveAlongNormals(m, sel, zoom, dx - dy); return; }
  f32 d[3] = {0, 0, 0};
  if (v->kind == VIEW_MAIN && moveMode == 2) {
    d[sel->g_GizmoAxis < 3 ? sel->g_GizmoAxis : 0] = (f32)(dx - dy) * zoom * 0.0125f;
  } else if (v->kind == VIEW_MAIN && moveMode == 0) {
    // Parallel to the screen of the perspective camera; the orthographic views move by
    // their own mapping only.
    Mat4 r;
    Mat_ComposeSRTEuler(&r, 0, 0, 0, -c->perspAngleY, c->perspAngleX, 0, 1, 1, 1);
    f32 t[3];
    Mat_TransformPoint(t, (f32)dx, (f32)dy, 0, r);
    d[0] = t[0] * zoom * 0.013f;
    d[1] = -t[1] * zoom * 0.013f;
    d[2] = -t[2] * zoom * 0.013f;
  }
  i32 h, vert;
  if (zoom != 0.0f && Poly_ViewAxes(v->kind, &h, &vert)) {
    d[h] += (f32)dx / zoom * kPixelUnits;
    d[vert] -= (f32)dy / zoom * kPixelUnits;
  }
  AddToSelected(m, sel, d);
}

static f32 *Axis(Vec3 *p, i32 a) { return a == 0 ? &p->x : a == 1 ? &p->y : &p->z; }

void Poly_RotateStep(const HookCtx *ctx, i32 dx, i32 dy, i32 ax, i32 ay) {
  Model3 *m = ctx->model;
  const ViewRecord *v = ctx->view;
  i32 h, vert;
  f32 ph, pv;
  if (!m || !Poly_ViewAxes(v->kind, &h, &vert) || !Poly_OrthoFromScreen(v, ax, ay, &ph, &pv)) return;
  f32 theta = -2.0f * 3.14159265f * (0.5f * (f32)dy - 0.5f * (f32)dx) / 360.0f;
  f32 c = cosf(theta), s = sinf(theta);
  i32 n = Min(Model3_PositionCount(m), Poly_SelVertRoom(ctx->sel));
  for (i32 i = 0; i < n; i++) {
    if (!ctx->sel->g_PolySelVerts[i]) continue;
    f32 *ph_ = Axis(&m->positions[i], h), *pv_ = Axis(&m->positions[i], vert);
    f32 u = *ph_ - ph, w = *pv_ - pv;
    *ph_ = ph + (u * c + w * s);
    *pv_ = pv + (w * c - u * s);
  }
}

void Poly_ScaleStep(const HookCtx *c, i32 dx, i32 dy, i32 ax, i32 ay) {
  Model3 *m = c->model;
  const ViewRecord *v = c->view;
  const u32 *flags = c->sel->g_PolySelVerts;
  if (!m) return;
  i32 n = Min(Model3_PositionCount(m), Poly_SelVertRoom(c->sel));
  if (v->kind == VIEW_MAIN) {
    f32 a = 1.0f + 0.001f * (f32)dx, b = 1.0f - 0.001f * (f32)dy;
    for (i32 i = 0; i < n; i++) {
      if (!flags[i]) continue;
      Vec3 &p = m->positions[i];
      p.x = p.x * a * b;
      p.y = p.y * a * b;
      p.z = p.z * a * b;
    }
    return;
  }
  i32 h, vert;
  f32 ph, pv;
  if (!Poly_ViewAxes(v->kind, &h, &vert) || !Poly_OrthoFromScreen(v, ax, ay, &ph, &pv)) return;
  for (i32 i = 0; i < n; i++) {
    if (!flags[i]) continue;
    f32 *ph_ = Axis(&m->positions[i], h), *pv_ = Axis(&m->positions[i], vert);
    *ph_ += (*ph_ - ph) * 0.0025f * (f32)dx;
    *pv_ -= (*pv_ - pv) * 0.0025f * (f32)dy;
  }
}

// [SECTION] free creation
bool Poly_FreePointAt(const ViewRecord *v, i32 sx, i32 sy, f32 out[3]) {
  if (v->zoom == 0.0f) return false;
  f32 cx = (f32)(sx - v->centerX) / kUnitPixels / v->zoom;
  f32 cy = (f32)(sy - v->centerY) / kUnitPixels / v->zoom;
  switch (v->kind) {
    case VIEW_FRONT: out[0] = cx; out[1] = -cy; out[2] = 0; return true;
    case VIEW_TOP: out[0] = cx; out[1] = 0; out[2] = -cy; return true;
    case VIEW_SIDE: out[0] = 0; out[1] = -cy; out[2] = cx; return true;
    default: return false;
  }
}

// The last colour entry exactly equal to opaque white, or -1.
static i32 FindWhite(const Model3 *m) {
  i32 n = m->colors ? (m->colorCount < m->capColors ? m->colorCount : m->capColors) : 0;
  for (i32 i = n - 1; i >= 0; i--) {
    const Color4 &c = m->colors[i];
    if (c.r == 255.0f && c.g == 255.0f && c.b == 255.0f && c.a == 255.0f) return i;
  }
  return -1;
}

bool Poly_AppendFreePolygon(Model3 *m, ShellSelection *sel, const ViewRecord *v, u32 count) {
  if (!m || count < 1 || count > POLY_FREE_POINTS) return false;
  i32 white = FindWhite(m);
  i32 np = m->positionCount, nf = m->polygonCount, nc = m->colorCount + (white < 0 ? 1 : 0);
  // The room is checked before anything changes: the arrays grow up to the program's limits.
  bool room = np >= 0 && nf >= 0 && (u64)np + count <= g_MaxVertices && (u64)nf + 1 <= g_MaxPolygons &&
              (u32)nc <= g_MaxVertices &&
              Model3_Reserve(m, np + (i32)count, m->normalCount, nc, m->uvCount, nf + 1);
  if (!room) {
    Seam_ErrorBoxf("ポリゴンを追加できません。頂点は %u 個、ポリゴンは %u 個までです。", g_MaxVertices, g_MaxPolygons);
    return false;
  }
  if (white < 0) {
    white = m->colorCount++;
    m->colors[white] = {255.0f, 255.0f, 255.0f, 255.0f};
  }
  Polygon3 &p = m->polygons[nf];
  p = Polygon3{};
  p.cornerCount = (u8)count;
  p.group = sel->g_CurGroupIndex;
  for (u32 i = 0; i < count; i++) {
    const f32 *q = sel->g_FreeCreatePoints[i];
    m->positions[np + i] = {q[0] + v->panX, q[1] + v->panY, q[2] - v->panZ};
    p.corners[i].vertex = (u32)np + i;
    p.corners[i].color = (u32)white;
    p.corners[i].normal = 0;
    p.corners[i].uv = 0;
    if (sel->g_PolySelectMode == 0 && (u32)np + i < Poly_SelVertRoom(sel)) sel->g_PolySelVerts[np + i] = 1;
  }
  Model3_FreshBindings(m, np, np + (i32)count);
  m->positionCount = np + (i32)count;
  if (sel->g_PolySelectMode == 1 && (u32)nf < Poly_SelFaceRoom(sel)) sel->g_PolySelFaces[nf] = 1;
  m->polygonCount = nf + 1;
  return true;
}

// [SECTION] overlay steps
void Poly_PositionPixels(ShellSelection *sel, const Model3 *m, const ViewRecord *v) {
  i32 h, vert;
  if (!sel->g_PolyFaceCentres || !sel->g_PolyScreenPos || !Poly_ViewAxes(v->kind, &h, &vert)) return;
  i32 verts = Min(Model3_PositionCount(m), App_WorkVertCount());
  // Every position's pixel once; the pick refills the array with its own projection.
  for (i32 i = 0; i < verts; i++) {
    const Vec3 &q = m->positions[i];
    i32 sx, sy;
    Poly_OrthoToScreen(v, q.x, q.y, q.z, &sx, &sy);
    sel->g_PolyScreenPos[3 * i] = (f32)sx;
    sel->g_PolyScreenPos[3 * i + 1] = (f32)sy;
  }
}

void Poly_FaceScratch(const Model3 *m, const ViewRecord *v) {
  Poly_PositionPixels(&g_Sel, m, v);
  Poly_FaceCentres(&g_Sel, m, v);
}

void Poly_FaceCentres(ShellSelection *sel, const Model3 *m, const ViewRecord *v) {
  i32 h, vert;
  if (!sel->g_PolyFaceCentres || !sel->g_PolyScreenPos || !Poly_ViewAxes(v->kind, &h, &vert)) return;
  i32 polys = Min(Model3_PolygonCount(m), App_WorkFaceCount()), verts = Min(Model3_PositionCount(m), App_WorkVertCount());
  i32 normals = m->normals ? (m->normalCount < m->capNormals ? m->normalCount : m->capNormals) : 0;
  for (i32 f = 0; f < polys; f++) {
    const Polygon3 &p = m->polygons[f];
    i32 k = UsableCorners(m, &p, verts);
    f32 c[2] = {0, 0}, n[2] = {0, 0};
    for (i32 j = 0; j < k; j++) {
      u32 vi = p.corners[j].vertex;
      c[0] += sel->g_PolyScreenPos[3 * vi];
      c[1] += sel->g_PolyScreenPos[3 * vi + 1];
      u32 ni = p.corners[j].normal;
      if (ni < (u32)normals) {
        Vec3 nn = m->normals[ni];
        n[0] += *Axis(&nn, h);
        n[1] += *Axis(&nn, vert);
      }
    }
    f32 w = k ? 1.0f / (f32)k : 0.0f;
    sel->g_PolyFaceCentres[2 * f] = c[0] * w;
    sel->g_PolyFaceCentres[2 * f + 1] = c[1] * w;
    sel->g_PolyFaceNormals2D[2 * f] = n[0] * w;
    sel->g_PolyFaceNormals2D[2 * f + 1] = n[1] * w;
  }
}

bool Poly_RectSelecting(const ShellSelection *sel) {
  if (sel->g_PolyTool != POLY_TOOL_VERTEX && sel->g_PolyTool != POLY_TOOL_FACE) return false;
  return Shell_ButtonHeld(BUTTON_LEFT) || Shell_ButtonHeld(BUTTON_RIGHT);
}

void Poly_RectSelectPass(Model3 *m, const ViewRecord *v, i32 x1, i32 y1, i32 x2, i32 y2) {
  Poly_RectSelectPass(&g_Sel, m, v, x1, y1, x2, y2);
}

void Poly_RectSelectPass(ShellSelection *sel, Model3 *m, const ViewRecord *v, i32 x1, i32 y1, i32 x2, i32 y2) {
  i32 h, vert;
  if (!m || !sel->g_PolyFaceCentres || !sel->g_PolyScreenPos || !Poly_ViewAxes(v->kind, &h, &vert)) return;
  if (!Poly_RectSelecting(sel)) return;
  PolyRect r = Poly_SortedRect(x1, y1, x2, y2);
  i32 polys = Min(Model3_PolygonCount(m), App_WorkFaceCount()), verts = Min(Model3_PositionCount(m), App_WorkVertCount());
  u32 faceRoom = Poly_SelFaceRoom(sel), vertRoom = Poly_SelVertRoom(sel);
  bool faceMode = sel->g_PolySelectMode == 1;
  for (i32 f = 0; f < polys; f++) {
    const Polygon3 &p = m->polygons[f];
    u32 idx[4];
    PolyRectFace face = {f, idx, UsableCorners(m, &p, verts), sel->g_PolyFaceCentres[2 * f], sel->g_PolyFaceCentres[2 * f + 1]};
    bool centreIn = faceMode && Poly_RectHolds(&r, face.centreX, face.centreY);
    for (i32 j = 0; j < face.cornerCount; j++) idx[j] = p.corners[j].vertex;
    for (i32 j = 0; j < face.cornerCount; j++) {
      f32 sx = sel->g_PolyScreenPos[3 * idx[j]], sy = sel->g_PolyScreenPos[3 * idx[j] + 1];
      // Corners the test would leave alone are skipped here (the common case at full size).
      if (!centreIn && !Poly_RectHolds(&r, sx, sy)) continue;
      Poly_RectSelectCorner(sel, &face, j, (i32)sx, (i32)sy, &r, faceRoom, vertRoom);
    }
  }
}

void Poly_VertexFlagsFollowFaces(ShellSelection *sel, const Model3 *m) {
  i32 polys = Min(Model3_PolygonCount(m), Poly_SelFaceRoom(sel)), verts = Min(Model3_PositionCount(m), Poly_SelVertRoom(sel));
  for (i32 f = 0; f < polys; f++) {
    if (!sel->g_PolySelFaces[f]) continue;
    const Polygon3 &p = m->polygons[f];
    for (i32 j = 0, k = UsableCorners(m, &p, verts); j < k; j++) sel->g_PolySelVerts[p.corners[j].vertex] = 1;
  }
}
