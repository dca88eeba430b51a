// The modelling operations over a model and the selection handed with it (ed3d_poly_ops.h).
//
// Removing records goes through one compaction sweep (Compact) that leaves the records and
// flags exactly where deleting them one at a time would; the normals are recomputed once at
// the end, which gives what a recomputation after each step gives (every pass rebuilds the
// face, vertex and re-indexed normals from the positions alone).
#include "edit3d/ed3d_poly_ops.h"

#include <float.h>
#include <math.h>
#include <stdlib.h>
#include <string.h>

#include "app/current.h"
#include "app/poly_select.h"
#include "app/shell_sel.h"
#include "app/startup_state.h"
#include "app/views.h"
#include "edit3d/ed3d_poly.h"
#include "model/facemerge.h"
#include "model/math.h"
#include "model/mesh.h"
#include "model/numfield.h"
#include "model/seam_errorbox.h"
#include "model/workbuf.h"


static const char kFaceModeOnly[] = "面選択モードで、利用できます。";
static const char kQuadsOnly[] = "４角形のみ分割できます。";

// [SECTION] work buffers
// The operations' scratch, main thread only, one operation at a time: the faces kept and the
// faces built (grown by the operations that rebuild the face table), and the model, live faces
// and selection of the merge in progress (written by the merge below, read by its callbacks).
static struct {
  u8 *keep;
  size_t keepCap;
  Polygon3 *newPolys;
  size_t newPolysCap;
  Model3 *mergeModel;
  u8 *mergeAlive;
  const ShellSelection *mergeSel;
} s_Ops;

// [SECTION] bounds
static i32 Count(i32 n) { return n < 0 ? 0 : n; }
static i32 Cc(const Polygon3 *p) { return p->cornerCount > 4 ? 4 : p->cornerCount; }

// Values of a corner's entries; a zero value for an index outside its array.
static Vec3 PosOf(const Model3 *m, u32 v) { return v < (u32)Model3_PositionCount(m) ? m->positions[v] : Vec3{0, 0, 0}; }
static Vec3 NormalOf(const Model3 *m, u32 i) {
  i32 n = m->normals ? (m->normalCount < m->capNormals ? m->normalCount : m->capNormals) : 0;
  return i < (u32)Count(n) ? m->normals[i] : Vec3{0, 0, 0};
}
static Color4 ColourOf(const Model3 *m, u32 i) {
  i32 n = m->colors ? (m->colorCount < m->capColors ? m->colorCount : m->capColors) : 0;
  return i < (u32)Count(n) ? m->colors[i] : Color4{0, 0, 0, 0};
}
static Vec2 UvOf(const Model3 *m, u32 i) {
  i32 n = m->uvs ? (m->uvCount < m->capUVs ? m->uvCount : m->capUVs) : 0;
  return i < (u32)Count(n) ? m->uvs[i] : Vec2{0, 0};
}

// The selection's flags: every operation acts on the selection it is handed.
static bool FaceSel(const ShellSelection *sel, i32 f) {
  return (u32)f < Poly_SelFaceRoom(sel) && sel->g_PolySelFaces[f];
}
static bool VertSel(const ShellSelection *sel, u32 v) { return v < Poly_SelVertRoom(sel) && sel->g_PolySelVerts[v]; }
static void SetFace(ShellSelection *sel, i32 f, u32 flag) {
  if ((u32)f < Poly_SelFaceRoom(sel)) sel->g_PolySelFaces[f] = flag;
}
static void SetVert(ShellSelection *sel, u32 v, u32 flag) {
  if (v < Poly_SelVertRoom(sel)) sel->g_PolySelVerts[v] = flag;
}

static bool Ready(const Model3 *m, const ShellSelection *sel) {
  return m && sel && sel->g_PolySelFaces && sel->g_PolySelVerts;
}
static bool FaceMode(const ShellSelection *sel) { return sel->g_PolySelectMode == 1; }

static void ClearFaceFlags(ShellSelection *sel, u32 n) {
  u32 room = Poly_SelFaceRoom(sel);
  memset(sel->g_PolySelFaces, 0, (size_t)(n < room ? n : room) * sizeof(u32));
}
static void ClearVertFlags(ShellSelection *sel, u32 n) {
  u32 room = Poly_SelVertRoom(sel);
  memset(sel->g_PolySelVerts, 0, (size_t)(n < room ? n : room) * sizeof(u32));
}

bool Poly_ReserveOrSay(Model3 *m, i64 positions, i64 normals, i64 colors, i64 uvs, i64 polygons) {
  bool fits = positions <= (i64)g_MaxVertices && normals <= (i64)g_MaxVertices && colors <= (i64)g_MaxVertices &&
              uvs <= (i64)g_MaxVertices && polygons <= (i64)g_MaxPolygons &&
              Model3_Reserve(m, (i32)positions, (i32)normals, (i32)colors, (i32)uvs, (i32)polygons);
  if (!fits)
    Seam_ErrorBoxf("この操作を行うと最大数を超えます。頂点・法線・色・ＵＶは %u 個、ポリゴンは %u 個までです。", g_MaxVertices,
                  g_MaxPolygons);
  return fits;
}

// Keeps the first n polygons whose keep flag is set, in their order, with their face flags;
// the flags freed at the end are cleared. Returns the new count.
static i32 Compact(Model3 *m, ShellSelection *sel, const u8 *keep, i32 n) {
  i32 w = 0;
  u32 room = Poly_SelFaceRoom(sel);
  for (i32 i = 0; i < n; i++) {
    if (!keep[i]) continue;
    if (w != i) {
      m->polygons[w] = m->polygons[i];
      if ((u32)w < room) sel->g_PolySelFaces[w] = (u32)i < room ? sel->g_PolySelFaces[i] : 0;
    }
    w++;
  }
  for (i32 i = w; i < n && (u32)i < room; i++) sel->g_PolySelFaces[i] = 0;
  m->polygonCount = w;
  return w;
}

// [SECTION] delete and optimise
bool Ed3D_PolyOptimise(Model3 *m, ShellSelection *sel) {
  if (!Ready(m, sel)) return false;
  ClearFaceFlags(sel, (u32)Model3_PolygonCount(m));
  ClearVertFlags(sel, Poly_SelVertRoom(sel));
  bool ok = Model3_WeldDuplicates(m);
  sel->g_PolyFaceNo = -1;
  Ed3DPolyEditor.dlgRefresh = 1;
  return ok;
}

// Vertex mode: the corners on unselected vertices remain, in order. True when the polygon
// goes (fewer than 3 corners left).
static bool DropSelectedCorners(const ShellSelection *sel, Polygon3 *p) {
  i32 cc = Cc(p), k = 0;
  PolyCorner left[4];
  for (i32 j = 0; j < cc; j++)
    if (!VertSel(sel, p->corners[j].vertex)) left[k++] = p->corners[j];
  if (k == cc) return false;
  if (k < 3) return true;
  p->cornerCount = (u8)k;
  memcpy(p->corners, left, (size_t)k * sizeof(PolyCorner));
  return false;
}

bool Ed3D_PolyDelete(Model3 *m, ShellSelection *sel) {
  if (!Ready(m, sel)) return false;
  i32 n = Model3_PolygonCount(m);
  u8 *keep = WorkBuf_Room(&s_Ops.keep, &s_Ops.keepCap, (size_t)n);
  if (!keep) return false;
  bool faces = FaceMode(sel);
  for (i32 i = 0; i < n; i++) keep[i] = faces ? !FaceSel(sel, i) : !DropSelectedCorners(sel, &m->polygons[i]);
  Compact(m, sel, keep, n);
  ClearFaceFlags(sel, (u32)Model3_PolygonCount(m));
  ClearVertFlags(sel, Poly_SelVertRoom(sel));
  // The optimise step ends with the normals of the welded model.
  if (!Ed3D_PolyOptimise(m, sel)) Model3_CalcNormals(m);
  sel->g_PolyFaceNo = sel->g_PolyVertexNo = -1;
  Ed3DPolyEditor.dlgRefresh = 1;
  return true;
}

bool Ed3D_PolyDeleteLeftHalf(Model3 *m, ShellSelection *sel) {
  if (!Ready(m, sel)) return false;
  ClearFaceFlags(sel, Poly_SelFaceRoom(sel));
  ClearVertFlags(sel, Poly_SelVertRoom(sel));
  i32 n = Model3_PolygonCount(m);
  u8 *keep = WorkBuf_Room(&s_Ops.keep, &s_Ops.keepCap, (size_t)n);
  if (!keep) return false;
  for (i32 i = 0; i < n; i++) {
    const Polygon3 &p = m->polygons[i];
    bool left = true;
    for (i32 j = 0; j < Cc(&p) && left; j++) left = PosOf(m, p.corners[j].vertex).x <= 0.0f;
    keep[i] = !left;
  }
  Compact(m, sel, keep, n);
  return true;
}

// [SECTION] flip, break up, extrude
bool Ed3D_PolyFlipFaces(Model3 *m, ShellSelection *sel) {
  if (!Ready(m, sel) || !FaceMode(sel)) return false;
  for (i32 i = 0, n = Model3_PolygonCount(m); i < n; i++) {
    if (!FaceSel(sel, i)) continue;
    Polygon3 &p = m->polygons[i];
    for (i32 k = 0, cc = Cc(&p); k < cc / 2; k++) {
      PolyCorner &a = p.corners[k], &b = p.corners[cc - 1 - k];
      u32 v = a.vertex, c = a.color, u = a.uv;
      a.vertex = b.vertex, a.color = b.color, a.uv = b.uv;
      b.vertex = v, b.color = c, b.uv = u;
    }
  }
  Model3_CalcNormals(m);
  return true;
}

bool Ed3D_PolyBreakFaces(Model3 *m, ShellSelection *sel) {
  if (!Ready(m, sel) || !FaceMode(sel)) return false;
  i32 n = Model3_PolygonCount(m);
  i64 add = 0;
  for (i32 i = 0; i < n; i++)
    if (FaceSel(sel, i) && Cc(&m->polygons[i]) >= 2) add += Cc(&m->polygons[i]) - 1;
  if (!Poly_ReserveOrSay(m, Count(m->positionCount), Count(m->normalCount), Count(m->colorCount),
                         Count(m->uvCount), (i64)n + add))
    return false;
  i32 w = n;
  for (i32 i = 0; i < n; i++) {
    Polygon3 &p = m->polygons[i];
    if (!FaceSel(sel, i) || Cc(&p) < 2) continue;
    for (i32 k = 1, cc = Cc(&p); k < cc; k++) {
      Polygon3 &q = m->polygons[w];
      q = Polygon3{};
      q.cornerCount = 1;
      q.corners[0] = p.corners[k];
      q.group = p.group;
      SetFace(sel, w++, 0);
    }
    p.cornerCount = 1;
  }
  m->polygonCount = w;
  Model3_CalcNormals(m);
  return true;
}

// The offset of an extruded face, or false when its first three corners give no normal, a
// corner lies outside the positions, or a moved corner would leave the float range (a face
// near the limit, or a tiny zoom).
static bool ExtrudeOffset(const Model3 *m, const Polygon3 *p, f32 zoom, Vec3 *d) {
  i32 verts = Model3_PositionCount(m);
  for (i32 j = 0; j < Cc(p); j++)
    if (p->corners[j].vertex >= (u32)verts) return false;
  Vec3 nrm;
  Mesh_FaceNormal(&m->positions[p->corners[0].vertex], &m->positions[p->corners[1].vertex],
                  &m->positions[p->corners[2].vertex], &nrm);
  if (nrm.x == 0.0f && nrm.y == 0.0f && nrm.z == 0.0f) return false;
  *d = {0.5f * nrm.x / zoom, 0.5f * nrm.y / zoom, 0.5f * nrm.z / zoom};
  for (i32 j = 0; j < Cc(p); j++) {
    const Vec3 &q = m->positions[p->corners[j].vertex];
    if (!isfinite(q.x + d->x) || !isfinite(q.y + d->y) || !isfinite(q.z + d->z)) return false;
  }
  return true;
}

static void ExtrudeOne(Model3 *m, ShellSelection *sel, i32 i, const Vec3 &d) {
  Polygon3 &p = m->polygons[i];
  i32 cc = Cc(&p);
  u32 base = (u32)m->positionCount;
  for (i32 k = 0; k < cc; k++) {
    Vec3 q = m->positions[p.corners[k].vertex];
    m->positions[base + k] = {q.x + d.x, q.y + d.y, q.z + d.z};
  }
  Model3_FreshBindings(m, (i32)base, (i32)base + cc);
  for (i32 k = 0; k < cc; k++) SetVert(sel, base + (u32)k, 0);
  m->positionCount += cc;
  for (i32 k = 0; k < cc; k++) {
    i32 k1 = k + 1 < cc ? k + 1 : 0;
    Polygon3 &q = m->polygons[m->polygonCount];
    q = Polygon3{};
    q.cornerCount = 4;
    q.group = p.group;
    const PolyCorner &a = p.corners[k], &b = p.corners[k1];
    q.corners[0] = {a.vertex, 0, a.color, a.uv};
    q.corners[1] = {b.vertex, 0, b.color, b.uv};
    q.corners[2] = {base + (u32)k1, 0, b.color, b.uv};
    q.corners[3] = {base + (u32)k, 0, a.color, a.uv};
    SetFace(sel, m->polygonCount++, 0);
  }
  for (i32 k = 0; k < cc; k++) {
    SetVert(sel, p.corners[k].vertex, 0);
    p.corners[k].vertex = base + (u32)k;
  }
}

bool Ed3D_PolyExtrude(Model3 *m, ShellSelection *sel, f32 zoom) {
  if (!Ready(m, sel) || !FaceMode(sel)) return false;
  if (!(zoom > 0.0f)) zoom = 1.0f;
  i32 n = Model3_PolygonCount(m);
  i64 add = 0;
  Vec3 d;
  for (i32 i = 0; i < n; i++)
    if (FaceSel(sel, i) && Cc(&m->polygons[i]) >= 3 && ExtrudeOffset(m, &m->polygons[i], zoom, &d))
      add += Cc(&m->polygons[i]);
  if (!Poly_ReserveOrSay(m, (i64)Count(m->positionCount) + add, Count(m->normalCount), Count(m->colorCount),
                         Count(m->uvCount), (i64)Count(m->polygonCount) + add))
    return false;
  for (i32 i = 0; i < n; i++)
    if (FaceSel(sel, i) && Cc(&m->polygons[i]) >= 3 && ExtrudeOffset(m, &m->polygons[i], zoom, &d))
      ExtrudeOne(m, sel, i, d);
  Model3_CalcNormals(m);
  return true;
}

// [SECTION] divide
static Vec3 Mid3(Vec3 a, Vec3 b) { return {Math_Mean2(a.x, b.x), Math_Mean2(a.y, b.y), Math_Mean2(a.z, b.z)}; }
static Vec2 Mid2(Vec2 a, Vec2 b) { return {Math_Mean2(a.u, b.u), Math_Mean2(a.v, b.v)}; }

enum { C0, C1, C2, C3, M01, M12, M23, M30, CTR };
// Which point each corner of the four quads takes; quad k holds corner k of the divided quad.
static const int kQuadPoints[4][4] = {{C0, M01, CTR, M30}, {M01, C1, M12, CTR}, {CTR, M12, C2, M23}, {M30, CTR, M23, C3}};

// Appends the 16 positions, normals, colours and UVs of the quad's four parts and writes the
// four polygons into out.
static void DivideOne(Model3 *m, ShellSelection *sel, const Polygon3 &src, Polygon3 out[4]) {
  Vec3 p[9];
  Vec2 t[9];
  for (int c = 0; c < 4; c++) {
    p[c] = PosOf(m, src.corners[c].vertex);
    t[c] = UvOf(m, src.corners[c].uv);
  }
  p[M01] = Mid3(p[0], p[1]), p[M12] = Mid3(p[1], p[2]), p[M23] = Mid3(p[2], p[3]), p[M30] = Mid3(p[3], p[0]);
  t[M01] = Mid2(t[0], t[1]), t[M12] = Mid2(t[1], t[2]), t[M23] = Mid2(t[2], t[3]), t[M30] = Mid2(t[3], t[0]);
  p[CTR] = {Math_Mean4(p[0].x, p[1].x, p[2].x, p[3].x), Math_Mean4(p[0].y, p[1].y, p[2].y, p[3].y),
            Math_Mean4(p[0].z, p[1].z, p[2].z, p[3].z)};
  t[CTR] = {Math_Mean4(t[0].u, t[1].u, t[2].u, t[3].u), Math_Mean4(t[0].v, t[1].v, t[2].v, t[3].v)};
  for (int k = 0; k < 4; k++) {
    Vec3 normal = NormalOf(m, src.corners[k].normal);
    Color4 colour = ColourOf(m, src.corners[k].color);
    Polygon3 &q = out[k];
    q = Polygon3{};
    q.cornerCount = 4;
    q.group = src.group;
    for (int j = 0; j < 4; j++) {
      int w = kQuadPoints[k][j];
      u32 v = (u32)m->positionCount++;
      m->positions[v] = p[w];
      Model3_FreshBindings(m, (i32)v, (i32)v + 1);
      SetVert(sel, v, 1);
      m->normals[m->normalCount] = normal;
      m->colors[m->colorCount] = colour;
      m->uvs[m->uvCount] = t[w];
      q.corners[j] = {v, (u32)m->normalCount++, (u32)m->colorCount++, (u32)m->uvCount++};
    }
  }
}

bool Ed3D_PolyDivide(Model3 *m, ShellSelection *sel) {
  if (!Ready(m, sel)) return false;
  if (!FaceMode(sel)) {
    Seam_ErrorBox(kFaceModeOnly);
    return false;
  }
  i32 n = Model3_PolygonCount(m);
  i64 quads = 0;
  for (i32 i = 0; i < n; i++) quads += FaceSel(sel, i) && Cc(&m->polygons[i]) == 4;
  i64 add = quads * 16;
  if (!Poly_ReserveOrSay(m, Count(m->positionCount) + add, Count(m->normalCount) + add, Count(m->colorCount) + add,
                         Count(m->uvCount) + add, (i64)Count(m->polygonCount) + quads * 3))
    return false;
  u8 *keep = WorkBuf_Room(&s_Ops.keep, &s_Ops.keepCap, (size_t)n);
  Polygon3 *made = WorkBuf_Room(&s_Ops.newPolys, &s_Ops.newPolysCap, (size_t)quads * 4);
  if (!keep || !made) return false;
  bool said = false;
  i32 k = 0;
  for (i32 i = 0; i < n; i++) {
    keep[i] = 1;
    if (!FaceSel(sel, i)) continue;
    if (Cc(&m->polygons[i]) != 4) {
      if (!said) Seam_ErrorBox(kQuadsOnly);
      said = true;
      continue;
    }
    DivideOne(m, sel, m->polygons[i], &made[k]);
    k += 4;
    keep[i] = 0;
  }
  i32 w = Compact(m, sel, keep, n);
  memcpy(&m->polygons[w], made, (size_t)k * sizeof(Polygon3));
  for (i32 j = 0; j < k; j++) SetFace(sel, w + j, 1);
  m->polygonCount += k;
  Model3_CalcNormals(m);
  return true;
}

// [SECTION] merge faces
static bool Mergeable(i32 f) { return s_Ops.mergeAlive[f] && FaceSel(s_Ops.mergeSel, f); }

// The corner positions of a face; a corner outside the positions stands at (0, 0, 0).
static i32 CornerPositions(i32 f, f32 *out) {
  const Polygon3 &p = s_Ops.mergeModel->polygons[f];
  i32 n = Cc(&p);
  for (i32 j = 0; j < n; j++) {
    Vec3 v = PosOf(s_Ops.mergeModel, p.corners[j].vertex);
    out[3 * j] = v.x;
    out[3 * j + 1] = v.y;
    out[3 * j + 2] = v.z;
  }
  return n;
}

static void JoinFaces(i32 into, i32 gone, const FaceMergeJoin &plan) {
  FaceMerge_Apply(&s_Ops.mergeModel->polygons[into], &s_Ops.mergeModel->polygons[gone], plan);
  s_Ops.mergeAlive[gone] = 0;
}

// The joined faces go in one compaction at the end. A face that finds no room in the merge's
// queue is left out of that comparison rather than stopping the merge.
static bool MergeFaces(Model3 *m, ShellSelection *sel) {
  static const FaceMergeHooks kHooks = {3, Mergeable, CornerPositions, JoinFaces, false};
  i32 n = Model3_PolygonCount(m);
  u8 *alive = WorkBuf_Room(&s_Ops.keep, &s_Ops.keepCap, (size_t)n);
  if (!alive) return false;
  memset(alive, 1, (size_t)n);
  s_Ops.mergeModel = m;
  s_Ops.mergeAlive = alive;
  s_Ops.mergeSel = sel;
  if (!FaceMerge_Run(n, kHooks)) return false;
  Compact(m, sel, alive, n);
  return true;
}

// [SECTION] merge vertices
static bool MergeVertices(Model3 *m, ShellSelection *sel) {
  i32 n = Model3_PolygonCount(m), corners = 0;
  u32 target = 0;
  for (i32 i = 0; i < n; i++) {
    const Polygon3 &p = m->polygons[i];
    for (i32 j = 0; j < Cc(&p); j++)
      if (VertSel(sel, p.corners[j].vertex)) target = p.corners[j].vertex, corners++;
  }
  if (corners < 2) return false;
  for (i32 i = 0; i < n; i++) {
    Polygon3 &p = m->polygons[i];
    i32 cc = Cc(&p), changed = 0, second = -1;
    for (i32 j = 0; j < cc; j++) {
      if (!VertSel(sel, p.corners[j].vertex)) continue;
      p.corners[j].vertex = target;
      if (++changed == 2) second = j;
    }
    if (second < 0) continue;
    // The second corner on the target goes; the corners after it move up and their vertices
    // leave the selection.
    for (i32 j = second; j + 1 < cc; j++) {
      p.corners[j] = p.corners[j + 1];
      SetVert(sel, p.corners[j].vertex, 0);
    }
    p.cornerCount = (u8)(cc - 1);
  }
  return true;
}

bool Ed3D_PolyMerge(Model3 *m, ShellSelection *sel) {
  if (!Ready(m, sel)) return false;
  if (FaceMode(sel) ? !MergeFaces(m, sel) : !MergeVertices(m, sel)) return false;
  Model3_CalcNormals(m);
  return true;
}

// [SECTION] create, colours
bool Ed3D_PolyCreateFace(Model3 *m, ShellSelection *sel) {
  if (!Ready(m, sel)) return false;
  i32 n = Model3_PolygonCount(m), k = 0;
  PolyCorner corners[4];
  for (i32 i = 0; i < n; i++) {
    const Polygon3 &p = m->polygons[i];
    for (i32 j = 0; j < Cc(&p); j++) {
      if (!VertSel(sel, p.corners[j].vertex)) continue;
      if (k < 4) corners[k] = p.corners[j];
      k++;
    }
  }
  if (!Poly_NewFaceCornersOk(n, k)) return false;
  if (!Poly_ReserveOrSay(m, Count(m->positionCount), Count(m->normalCount), Count(m->colorCount), Count(m->uvCount),
                         (i64)Count(m->polygonCount) + 1))
    return false;
  Polygon3 &q = m->polygons[m->polygonCount];
  q = Polygon3{};
  q.cornerCount = (u8)k;
  memcpy(q.corners, corners, (size_t)k * sizeof(PolyCorner));
  SetFace(sel, m->polygonCount++, 0);
  Model3_CalcNormals(m);
  return true;
}

bool Ed3D_PolyRotateColours(Model3 *m, ShellSelection *sel) {
  if (!Ready(m, sel)) return false;
  if (!FaceMode(sel)) {
    Seam_ErrorBox(kFaceModeOnly);
    return false;
  }
  for (i32 i = 0, n = Model3_PolygonCount(m); i < n; i++) {
    if (!FaceSel(sel, i)) continue;
    Polygon3 &p = m->polygons[i];
    i32 cc = Cc(&p);
    if (cc < 2) continue;
    u32 last = p.corners[cc - 1].color;
    for (i32 k = cc - 1; k > 0; k--) p.corners[k].color = p.corners[k - 1].color;
    p.corners[0].color = last;
  }
  return true;
}

static i32 Clamp255(i32 v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

bool Ed3D_PolyApplyColour(Model3 *m, ShellSelection *sel, const i32 rgba[4]) {
  if (!Ready(m, sel)) return false;
  for (int c = 0; c < 4; c++) Ed3DPolyEditor.colour[c] = Clamp255(rgba[c]);
  Color4 want = {(f32)Ed3DPolyEditor.colour[0], (f32)Ed3DPolyEditor.colour[1], (f32)Ed3DPolyEditor.colour[2], (f32)Ed3DPolyEditor.colour[3]};
  i32 nc = m->colors ? (m->colorCount < m->capColors ? m->colorCount : m->capColors) : 0, found = -1;
  for (i32 i = Count(nc) - 1; i >= 0 && found < 0; i--) {
    const Color4 &c = m->colors[i];
    if (c.r == want.r && c.g == want.g && c.b == want.b && c.a == want.a) found = i;
  }
  if (found < 0) {
    if (!Poly_ReserveOrSay(m, Count(m->positionCount), Count(m->normalCount), (i64)Count(m->colorCount) + 1,
                           Count(m->uvCount), Count(m->polygonCount)))
      return false;
    found = m->colorCount++;
    m->colors[found] = want;
  }
  bool faces = FaceMode(sel);
  for (i32 i = 0, n = Model3_PolygonCount(m); i < n; i++) {
    if (faces && !FaceSel(sel, i)) continue;
    Polygon3 &p = m->polygons[i];
    for (i32 j = 0; j < Cc(&p); j++)
      if (VertSel(sel, p.corners[j].vertex)) p.corners[j].color = (u32)found;
  }
  return true;
}

// [SECTION] typed numbers
static const char *SkipBlanks(const char *s) {
  while (*s == ' ' || *s == '\t') s++;
  return s;
}

// Every caller stores the value as a float: what the float cannot hold is refused as well.
bool Poly_ParseNumber(const char *text, f64 *out) { return NumField_Float(text, -FLT_MAX, FLT_MAX, out) == NUMFIELD_OK; }

static bool ParseInt(const char *text, i32 *out) {
  const char *s = SkipBlanks(text ? text : "");
  const char *c = s + (*s == '+' || *s == '-');
  if (*c < '0' || *c > '9') return false;
  char *end = nullptr;
  long long v = strtoll(s, &end, 10);
  if (*SkipBlanks(end) != 0) return false;
  // Far outside 0..255 it clamps all the same.
  *out = v < -100000 ? -100000 : (v > 100000 ? 100000 : (i32)v);
  return true;
}

bool Ed3D_PolyApplyColourText(Model3 *m, ShellSelection *sel, const char *const text[4]) {
  static const char *const kNames[4] = {"赤", "緑", "青", "透明"};
  i32 rgba[4];
  for (int c = 0; c < 4; c++) {
    if (ParseInt(text[c], &rgba[c])) continue;
    Seam_ErrorBoxf("「%s」の値「%.40s」は数値ではありません。色は変更しませんでした。", kNames[c], text[c] ? text[c] : "");
    return false;
  }
  return Ed3D_PolyApplyColour(m, sel, rgba);
}

bool Ed3D_PolyNumericInput(Model3 *m, ShellSelection *sel, const char *const text[3]) {
  static const char *const kNames[3] = {"X", "Y", "Z"};
  if (!Ready(m, sel)) return false;
  f32 value[3];
  bool set[3];
  for (int a = 0; a < 3; a++) {
    const char *t = text[a] ? text[a] : "";
    set[a] = *SkipBlanks(t) != 0;
    f64 v = 0;
    NumFieldResult got = set[a] ? NumField_Float(t, -FLT_MAX, FLT_MAX, &v) : NUMFIELD_OK;
    if (got != NUMFIELD_OK) {
      // A number the float cannot hold is named as such, not as no number.
      if (got == NUMFIELD_OUT_OF_RANGE)
        Seam_ErrorBoxf("%s の値「%.40s」は大きすぎます。座標は変更しませんでした。", kNames[a], t);
      else
        Seam_ErrorBoxf("%s の値「%.40s」は数値ではありません。座標は変更しませんでした。", kNames[a], t);
      return false;
    }
    value[a] = (f32)v;
  }
  i32 verts = Model3_PositionCount(m);
  for (i32 i = 0, n = Model3_PolygonCount(m); i < n; i++) {
    const Polygon3 &p = m->polygons[i];
    for (i32 j = 0; j < Cc(&p); j++) {
      u32 v = p.corners[j].vertex;
      if (v >= (u32)verts || !VertSel(sel, v)) continue;
      Vec3 &q = m->positions[v];
      if (set[0]) q.x = value[0];
      if (set[1]) q.y = value[1];
      if (set[2]) q.z = value[2];
    }
  }
  Model3_CalcNormals(m);
  return true;
}
