// The modelling panel's mesh operations on the 2D skin (ed2d_poly_ops.h).
//
// The optimize finds equal values through open-addressing tables of their exact bits (the
// first equal entry wins, as a search from the start would find it); the face merge is the
// one both modelling panels share (model/facemerge.h).
#include "edit2d/ed2d_poly_ops.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include "app/current.h"
#include "app/shell_sel.h"
#include "app/startup_state.h"
#include "app/views.h"
#include "edit2d/ed2d.h"
#include "edit2d/ed2d_poly.h"
#include "model/facemerge.h"
#include "model/mesh.h"
#include "model/model3.h"
#include "model/kzp.h"
#include "model/seam_errorbox.h"
#include "model/workbuf.h"

static const char kNoRoom[] = "これ以上 追加できません。";
static const char kSplitFaceMode[] = "面選択モードで、利用できます。";
static const char kFaceModeOnly[] = "面選択モードで利用できます。";
static const char kQuadsOnly[] = "４角形のみ分割できます。";
enum : i64 { MAX_U16_COUNT = 65535 };

// [SECTION] bounds
static i32 Cc(const Polygon2 *p) { return p->cornerCount > 4 ? 4 : p->cornerCount; }
static bool Live(const Polygon2 *p) { return p->used == 1; }

static u32 VRoom(void) { return g_Sel.g_PolySelVerts ? App_WorkVertCount() : 0; }
static u32 FRoom(void) { return g_Sel.g_PolySelFaces ? App_WorkFaceCount() : 0; }
static bool FSel(i32 f) { return (u32)f < FRoom() && g_Sel.g_PolySelFaces[f]; }
static void SetF(i32 f, u32 on) {
  if ((u32)f < FRoom()) g_Sel.g_PolySelFaces[f] = on;
}
static void SetV(u32 v, u32 on) {
  if (v < VRoom()) g_Sel.g_PolySelVerts[v] = on;
}
// A corner on a selected vertex that the model has.
static bool CornerSel(const Bone2Model *m, const Corner2 &c) {
  return c.vertex < (u32)Bone2_VertexCount(m) && c.vertex < VRoom() && g_Sel.g_PolySelVerts[c.vertex];
}
static bool FaceMode(void) { return g_Sel.g_PolySelectMode == 1; }

static void ClearVertFlags(void) {
  if (g_Sel.g_PolySelVerts) memset(g_Sel.g_PolySelVerts, 0, (size_t)VRoom() * sizeof(u32));
}
static void ClearFaceFlags(u32 n) {
  if (g_Sel.g_PolySelFaces) memset(g_Sel.g_PolySelFaces, 0, (size_t)(n < FRoom() ? n : FRoom()) * sizeof(u32));
}

// Room for the additions on top of the current counts (16-bit counts and the arrays).
static bool Fits(const Bone2Model *m, i64 addV, i64 addC, i64 addU, i64 addP) {
  auto within = [](i64 n, i32 cap, bool u16count) { return n <= (i64)cap && (!u16count || n <= MAX_U16_COUNT); };
  i64 np = m->polygonCount < 0 ? 0 : m->polygonCount;
  bool ok = m->positions && m->bindings && m->colours && m->uvs && m->polygons &&
            within((i64)m->vertexCount + addV, m->vertexCapacity, true) &&
            within((i64)m->colourCount + addC, m->colourCapacity, true) &&
            within((i64)m->uvCount + addU, m->uvCapacity, true) && within(np + addP, m->polygonCapacity, false);
  if (!ok) Seam_ErrorBox(kNoRoom);
  return ok;
}

static u16 AddVertex(Bone2Model *m, f32 x, f32 y, const VertexBinding &b) {
  u16 v = m->vertexCount++;
  m->positions[v] = {x, y};
  m->bindings[v] = b;
  return v;
}
static u16 AddColour(Bone2Model *m, const Bone2Colour &c) {
  m->colours[m->colourCount] = c;
  return m->colourCount++;
}
static u16 AddUV(Bone2Model *m, f32 u, f32 v) {
  m->uvs[m->uvCount] = {u, v};
  return m->uvCount++;
}
// A fresh record at the end of the polygons (not selected).
static Polygon2 &AddPolygon(Bone2Model *m, u32 corners, u32 group) {
  if (m->polygonCount < 0) m->polygonCount = 0;
  i32 f = m->polygonCount++;
  Polygon2 &p = m->polygons[f];
  p = Polygon2{};
  p.used = 1;
  p.cornerCount = (u8)corners;
  p.group = group;
  SetF(f, 0);
  return p;
}

// The operations' work buffers, grown as needed and kept for the next operation (each
// buffer with its capacity).
struct Ed2DPolyWork {
  u8 *splitMarks;
  size_t splitMarksCap;
  u8 *alive;               // merge: polygons not yet merged away
  size_t aliveCap;
  Bone2Model *mergeModel;  // merge: the model being merged
  i32 *tableSlots[3];      // optimize: the value tables' slots
  size_t tableCaps[3];
  Bone2Point *oldPos;      // optimize: copies of the arrays being rebuilt
  size_t oldPosCap;
  VertexBinding *oldBind;
  size_t oldBindCap;
  Bone2Colour *oldCol;
  size_t oldColCap;
  Bone2UV *oldUV;
  size_t oldUVCap;
  Polygon2 *oldPolys;
  size_t oldPolysCap;
};
static Ed2DPolyWork s_work;
static const VertexBinding kAutoBinding = {0, 0, 0.0f, 1};

// [SECTION] selection
bool Ed2D_PolySelectAll(Bone2Model *m) {
  if (!m || !g_Sel.g_PolySelVerts || !g_Sel.g_PolySelFaces) return false;
  u32 nv = VRoom(), nf = FRoom(), on = 0;
  for (u32 i = 0; i < nv && !on; i++) on = g_Sel.g_PolySelVerts[i] == 0;
  for (u32 i = 0; i < nf && !on; i++) on = g_Sel.g_PolySelFaces[i] == 0;
  for (u32 i = 0; i < nv; i++) g_Sel.g_PolySelVerts[i] = on;
  for (u32 i = 0; i < nf; i++) g_Sel.g_PolySelFaces[i] = on;
  return true;
}

bool Ed2D_PolyInvertSelection(Bone2Model *m) {
  if (!m || !g_Sel.g_PolySelVerts || !g_Sel.g_PolySelFaces) return false;
  for (u32 i = 0, n = VRoom(); i < n; i++) g_Sel.g_PolySelVerts[i] = 1 - (g_Sel.g_PolySelVerts[i] ? 1 : 0);
  for (u32 i = 0, n = FRoom(); i < n; i++) g_Sel.g_PolySelFaces[i] = 1 - (g_Sel.g_PolySelFaces[i] ? 1 : 0);
  return true;
}

// [SECTION] colour
static i32 Clamp255(i32 v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

bool Ed2D_PolyApplyColour(Bone2Model *m, const i32 rgba[4]) {
  if (!m) return false;
  i32 *cur = g_Ed2DPoly.colour;
  for (int c = 0; c < 4; c++) cur[c] = Clamp255(rgba[c]);
  Bone2Colour want = {(f32)cur[0], (f32)cur[1], (f32)cur[2], (f32)cur[3]};
  i32 found = -1;
  for (i32 i = Bone2_ColourCount(m) - 1; i >= 0 && found < 0; i--) {
    const Bone2Colour &c = m->colours[i];
    if (c.r == want.r && c.g == want.g && c.b == want.b && c.a == want.a) found = i;
  }
  if (found < 0) {
    if (!Fits(m, 0, 1, 0, 0)) return false;
    found = AddColour(m, want);
  }
  bool faces = FaceMode();
  for (i32 i = 0, n = Bone2_PolygonCount(m); i < n; i++) {
    Polygon2 &p = m->polygons[i];
    if (faces && (!Live(&p) || !FSel(i))) continue;
    for (i32 j = 0; j < Cc(&p); j++)
      if (CornerSel(m, p.corners[j])) p.corners[j].colour = (u16)found;
  }
  return true;
}

// A whole decimal number, blanks around it allowed.
static bool ParseInt(const char *text, i32 *out) {
  const char *s = text ? text : "";
  while (*s == ' ' || *s == '\t') s++;
  const char *d = s + (*s == '+' || *s == '-');
  if (*d < '0' || *d > '9') return false;
  char *end = nullptr;
  long long v = strtoll(s, &end, 10);
  while (*end == ' ' || *end == '\t') end++;
  if (*end) return false;
  // Far outside 0..255 it clamps all the same.
  *out = v < -100000 ? -100000 : (v > 100000 ? 100000 : (i32)v);
  return true;
}

bool Ed2D_PolyApplyColourText(Bone2Model *m, const char *const text[4]) {
  static const char *const kNames[4] = {"赤", "緑", "青", "透明"};
  if (!m) return false;
  i32 rgba[4];
  for (int c = 0; c < 4; c++) {
    if (ParseInt(text[c], &rgba[c])) continue;
    Seam_ErrorBoxf("「%s」の値「%.40s」は数値ではありません。色は変更しませんでした。", kNames[c], text[c] ? text[c] : "");
    return false;
  }
  return Ed2D_PolyApplyColour(m, rgba);
}

// [SECTION] deleting and reshaping
bool Ed2D_PolyDeleteLeftHalf(Bone2Model *m) {
  if (!m) return false;
  ClearVertFlags();
  ClearFaceFlags(FRoom());
  i32 nv = Bone2_VertexCount(m);
  for (i32 i = 0, n = Bone2_PolygonCount(m); i < n; i++) {
    Polygon2 &p = m->polygons[i];
    if (!Live(&p)) continue;
    bool left = true;
    for (i32 j = 0; j < Cc(&p) && left; j++) {
      u32 v = p.corners[j].vertex;
      if (v < (u32)nv) left = m->positions[v].x <= 0.0f;
    }
    if (left) p.used = 0;
  }
  return true;
}

bool Ed2D_PolyFlipFaces(Bone2Model *m) {
  if (!m || !FaceMode()) return false;
  for (i32 i = 0, n = Bone2_PolygonCount(m); i < n; i++) {
    Polygon2 &p = m->polygons[i];
    if (!Live(&p) || !FSel(i)) continue;
    for (i32 k = 0, cc = Cc(&p); k < cc / 2; k++) {
      Corner2 t = p.corners[k];
      p.corners[k] = p.corners[cc - 1 - k];
      p.corners[cc - 1 - k] = t;
    }
  }
  return true;
}

bool Ed2D_PolyRemoveFaces(Bone2Model *m) {
  if (!m || !FaceMode()) return false;
  i32 n = Bone2_PolygonCount(m);
  i64 add = 0;
  for (i32 i = 0; i < n; i++)
    if (Live(&m->polygons[i]) && FSel(i) && Cc(&m->polygons[i]) > 1) add += Cc(&m->polygons[i]) - 1;
  if (!Fits(m, 0, 0, 0, add)) return false;
  for (i32 i = 0; i < n; i++) {
    if (!Live(&m->polygons[i]) || !FSel(i)) continue;
    for (i32 k = 1, cc = Cc(&m->polygons[i]); k < cc; k++) {
      Corner2 c = m->polygons[i].corners[k];
      AddPolygon(m, 1, m->polygons[i].group).corners[0] = c;
    }
    if (m->polygons[i].cornerCount > 1) m->polygons[i].cornerCount = 1;
  }
  return true;
}

// A quad whose every corner index lies inside its array.
static bool WholeQuad(const Bone2Model *m, const Polygon2 &p) {
  if (p.cornerCount != 4) return false;
  for (int k = 0; k < 4; k++) {
    const Corner2 &c = p.corners[k];
    if (c.vertex >= (u32)Bone2_VertexCount(m) || c.colour >= (u32)Bone2_ColourCount(m) || c.uv >= (u32)Bone2_UVCount(m)) return false;
  }
  return true;
}

enum { C0, C1, C2, C3, M01, M12, M23, M30, CTR };
// The points of the four quads; quad k grows from corner k of the split quad.
static const int kQuadPoints[4][4] = {{C0, M01, CTR, M30}, {M01, C1, M12, CTR}, {CTR, M12, C2, M23}, {M30, CTR, M23, C3}};

static void SplitOne(Bone2Model *m, i32 f) {
  Polygon2 src = m->polygons[f];
  m->polygons[f].used = 0;
  SetF(f, 0);
  Bone2Point p[9];
  for (int c = 0; c < 4; c++) p[c] = m->positions[src.corners[c].vertex];
  for (int c = 0; c < 4; c++) {
    const Bone2Point &a = p[c], &b = p[(c + 1) % 4];
    p[M01 + c] = {Math_Mean2(a.x, b.x), Math_Mean2(a.y, b.y)};
  }
  p[CTR] = {Math_Mean4(p[0].x, p[1].x, p[2].x, p[3].x), Math_Mean4(p[0].y, p[1].y, p[2].y, p[3].y)};
  for (int k = 0; k < 4; k++) {
    const Corner2 &from = src.corners[k];
    VertexBinding bind = m->bindings[from.vertex];
    Bone2Colour colour = m->colours[from.colour];
    Bone2UV uv = m->uvs[from.uv];
    i32 q = m->polygonCount;
    Polygon2 &poly = AddPolygon(m, 4, src.group);
    for (int j = 0; j < 4; j++) {
      const Bone2Point &pt = p[kQuadPoints[k][j]];
      u16 v = AddVertex(m, pt.x, pt.y, bind);
      poly.corners[j] = {v, AddColour(m, colour), AddUV(m, uv.u, uv.v)};
      SetV(v, 1);
    }
    SetF(q, 1);
  }
}

bool Ed2D_PolySplitQuads(Bone2Model *m) {
  if (!m) return false;
  if (!FaceMode()) {
    Seam_ErrorBox(kSplitFaceMode);
    return false;
  }
  i32 n = Bone2_PolygonCount(m);
  // Decided against the arrays as they stand before anything is appended.
  u8 *split = WorkBuf_Room(&s_work.splitMarks, &s_work.splitMarksCap, (size_t)n);
  if (!split) return false;
  i64 quads = 0;
  bool other = false;
  for (i32 i = 0; i < n; i++) {
    const Polygon2 &p = m->polygons[i];
    split[i] = Live(&p) && FSel(i) && WholeQuad(m, p);
    quads += split[i];
    other = other || (Live(&p) && FSel(i) && !split[i]);
  }
  if (!Fits(m, quads * 16, quads * 16, quads * 16, quads * 4)) return false;
  if (other) Seam_ErrorBox(kQuadsOnly);
  for (i32 i = 0; i < n; i++)
    if (split[i]) SplitOne(m, i);
  return quads > 0;
}

bool Ed2D_PolyMakeFace(Bone2Model *m) {
  if (!m) return false;
  g_Sel.g_FreeCreateCount = 0;
  i32 n = Bone2_PolygonCount(m), k = 0;
  Corner2 corners[4];
  for (i32 i = 0; i < n; i++) {
    const Polygon2 &p = m->polygons[i];
    for (i32 j = 0; j < Cc(&p); j++) {
      if (!CornerSel(m, p.corners[j])) continue;
      if (k < 4) corners[k] = p.corners[j];
      k++;
    }
  }
  if (!Poly_NewFaceCornersOk(n, k)) return false;
  if (!Fits(m, 0, 0, 0, 1)) return false;
  Polygon2 &q = AddPolygon(m, (u32)k, 0);
  memcpy(q.corners, corners, (size_t)k * sizeof(Corner2));
  return true;
}

// [SECTION] merge faces

static bool Mergeable(i32 f) { return s_work.alive[f] && FSel(f); }

// The corner positions of a polygon; a vertex outside the positions gets a NaN, which matches
// nothing.
static i32 CornerPositions(i32 f, f32 *out) {
  const Bone2Model *m = s_work.mergeModel;
  const Polygon2 &p = m->polygons[f];
  i32 n = Cc(&p);
  for (i32 j = 0; j < n; j++) {
    u32 v = p.corners[j].vertex;
    out[2 * j] = v < (u32)Bone2_VertexCount(m) ? m->positions[v].x : NAN;
    out[2 * j + 1] = v < (u32)Bone2_VertexCount(m) ? m->positions[v].y : NAN;
  }
  return n;
}

static void JoinPolygons(i32 into, i32 gone, const FaceMergeJoin &plan) {
  FaceMerge_Apply(&s_work.mergeModel->polygons[into], &s_work.mergeModel->polygons[gone], plan);
  s_work.alive[gone] = 0;
  s_work.mergeModel->polygons[gone].used = 0;
}

static bool MergeFaces(Bone2Model *m) {
  static const FaceMergeHooks kHooks = {2, Mergeable, CornerPositions, JoinPolygons, true};
  i32 n = Bone2_PolygonCount(m);
  if (!WorkBuf_Room(&s_work.alive, &s_work.aliveCap, (size_t)n)) return false;
  for (i32 i = 0; i < n; i++) s_work.alive[i] = Live(&m->polygons[i]) ? 1 : 0;
  s_work.mergeModel = m;
  return FaceMerge_Run(n, kHooks);
}

void Ed2D_PolyCopyCorner(Polygon2 *p, i32 to, i32 from) {
  if (!p || to < 0 || to > 3 || from < 0 || from > 3) return;
  p->corners[to].vertex = p->corners[from].vertex;
  p->corners[to].colour = p->corners[from].colour;
  p->corners[to].uv = p->corners[from].uv;
}

static bool MergeVertices(Bone2Model *m) {
  i32 n = Bone2_PolygonCount(m), corners = 0;
  u16 target = 0;
  for (i32 i = 0; i < n; i++) {
    const Polygon2 &p = m->polygons[i];
    for (i32 j = 0; j < Cc(&p); j++)
      if (CornerSel(m, p.corners[j])) target = p.corners[j].vertex, corners++;
  }
  if (corners < 2) return false;
  for (i32 i = 0; i < n; i++) {
    Polygon2 &p = m->polygons[i];
    i32 cc = Cc(&p), changed = 0, second = -1;
    for (i32 j = 0; j < cc; j++) {
      if (!CornerSel(m, p.corners[j])) continue;
      p.corners[j].vertex = target;
      if (++changed == 2) second = j;
    }
    if (second < 0) continue;
    for (i32 j = second; j + 1 < cc; j++) Ed2D_PolyCopyCorner(&p, j, j + 1);
    p.cornerCount = (u8)(cc - 1);
    if (p.cornerCount == 0) p.used = 0;
  }
  return true;
}

bool Ed2D_PolyMerge(Bone2Model *m) {
  if (!m) return false;
  return FaceMode() ? MergeFaces(m) : MergeVertices(m);
}

bool Ed2D_PolyDeleteSelection(Bone2Model *m) {
  if (!m) return false;
  i32 n = Bone2_PolygonCount(m);
  for (i32 i = 0; i < n; i++) {
    Polygon2 &p = m->polygons[i];
    if (FaceMode()) {
      if (FSel(i)) p.used = 0;
      continue;
    }
    i32 cc = Cc(&p), k = 0;
    for (i32 j = 0; j < cc; j++)
      if (!CornerSel(m, p.corners[j])) Ed2D_PolyCopyCorner(&p, k++, j);
    p.cornerCount = (u8)k;
    if (k == 0) p.used = 0;
  }
  ClearFaceFlags((u32)n);
  ClearVertFlags();
  g_Sel.g_PolyFaceNo = g_Sel.g_PolyVertexNo = -1;
  return true;
}

// [SECTION] clipboard
bool Ed2D_PolyCopy(Bone2Model *m) {
  if (!m) return false;
  if (!FaceMode()) {
    Seam_ErrorBox(kFaceModeOnly);
    return false;
  }
  i32 nv = Bone2_VertexCount(m), nc = Bone2_ColourCount(m), nu = Bone2_UVCount(m), np = Bone2_PolygonCount(m);
  if ((i64)nv > (i64)g_MaxVertices || (i64)nc > (i64)g_MaxVertices || (i64)nu > (i64)g_MaxVertices ||
      (i64)np > (i64)g_MaxPolygons) {
    Seam_ErrorBox(kNoRoom);
    return false;
  }
  g_ModelAllocArrays = 1;
  Bone2Model *c = Bone2_Init(ED2D_CLIPBOARD_SLOT);
  g_ModelAllocArrays = 0;
  if (!c || !c->positions) {
    Bone2_FreeSlot(ED2D_CLIPBOARD_SLOT);
    Seam_ErrorBox(kNoRoom);
    return false;
  }
  memcpy(c->positions, m->positions, (size_t)nv * sizeof(Bone2Point));
  if (m->bindings) memcpy(c->bindings, m->bindings, (size_t)nv * sizeof(VertexBinding));
  else Bone2_FreshBindings(c, 0, nv);
  memcpy(c->colours, m->colours, (size_t)nc * sizeof(Bone2Colour));
  memcpy(c->uvs, m->uvs, (size_t)nu * sizeof(Bone2UV));
  c->vertexCount = (u16)nv, c->colourCount = (u16)nc, c->uvCount = (u16)nu;
  for (i32 i = 0; i < np; i++)
    if (FSel(i)) c->polygons[i] = m->polygons[i];
  c->polygonCount = np;
  return true;
}

bool Ed2D_PolyCut(Bone2Model *m) {
  if (!Ed2D_PolyCopy(m)) return false;
  return Ed2D_PolyDeleteSelection(m);
}

bool Ed2D_PolyPaste(Bone2Model *m) {
  const Bone2Model *c = g_Bone2Slots[ED2D_CLIPBOARD_SLOT];
  if (!m || !c || c == m) return false;
  i32 cv = Bone2_VertexCount(c), cc = Bone2_ColourCount(c), cu = Bone2_UVCount(c), cp = Bone2_PolygonCount(c);
  if (!Fits(m, cv, cc, cu, cp)) return false;
  i32 ov = m->vertexCount, oc = m->colourCount, ou = m->uvCount, op = m->polygonCount < 0 ? 0 : m->polygonCount;
  memcpy(&m->positions[ov], c->positions, (size_t)cv * sizeof(Bone2Point));
  if (c->bindings) memcpy(&m->bindings[ov], c->bindings, (size_t)cv * sizeof(VertexBinding));
  else Bone2_FreshBindings(m, ov, ov + cv);
  memcpy(&m->colours[oc], c->colours, (size_t)cc * sizeof(Bone2Colour));
  memcpy(&m->uvs[ou], c->uvs, (size_t)cu * sizeof(Bone2UV));
  m->vertexCount = (u16)(ov + cv), m->colourCount = (u16)(oc + cc), m->uvCount = (u16)(ou + cu);
  for (i32 k = 0; k < cp; k++) {
    Polygon2 &q = m->polygons[op + k];
    q = c->polygons[k];
    // Only live records come over; an index outside the clipboard's arrays stays outside.
    if (!Live(&q)) {
      q = Polygon2{};
      continue;
    }
    for (i32 j = 0; j < Cc(&q); j++) {
      Corner2 &k2 = q.corners[j];
      k2.vertex = k2.vertex < (u32)cv ? (u16)(k2.vertex + ov) : 0xFFFF;
      k2.colour = k2.colour < (u32)cc ? (u16)(k2.colour + oc) : 0xFFFF;
      k2.uv = k2.uv < (u32)cu ? (u16)(k2.uv + ou) : 0xFFFF;
    }
  }
  m->polygonCount = op + cp;
  return Ed2D_PolyOptimize(m);
}

// [SECTION] optimize
struct ValueTable {
  i32 *slots;   // entry index, -1 = empty
  u32 mask;
};

static bool Table_Prepare(ValueTable *t, int which, size_t entries) {
  u32 size = 16;
  while (size < entries * 2) size <<= 1;
  t->slots = WorkBuf_Room(&s_work.tableSlots[which], &s_work.tableCaps[which], size);
  if (!t->slots) return false;
  memset(t->slots, 0xFF, (size_t)size * sizeof(i32));
  t->mask = size - 1;
  return true;
}

// The index of the entry of `values` (dim floats each, *count of them) equal to key; a key
// met for the first time (or one with a NaN, which equals nothing) is stored at the end.
static i32 Table_Take(ValueTable *t, f32 *values, int dim, const f32 *key, i32 *count) {
  if (!Mesh_TupleHasNaN(key, dim)) {
    u32 s = Mesh_HashTuple(key, dim) & t->mask;
    for (;; s = (s + 1) & t->mask) {
      i32 e = t->slots[s];
      if (e < 0) break;
      if (Mesh_TupleEqual(values + (size_t)e * dim, key, dim)) return e;
    }
    t->slots[s] = *count;
  }
  memcpy(values + (size_t)*count * dim, key, (size_t)dim * sizeof(f32));
  return (*count)++;
}

bool Ed2D_PolyOptimize(Bone2Model *m) {
  if (!m || !m->positions || !m->colours || !m->uvs || !m->bindings || !m->polygons) return false;
  i32 V = Bone2_VertexCount(m), C = Bone2_ColourCount(m), U = Bone2_UVCount(m), N = Bone2_PolygonCount(m);
  size_t corners = 0;
  for (i32 i = 0; i < N; i++)
    if (Live(&m->polygons[i])) corners += (size_t)Cc(&m->polygons[i]);
  ValueTable tp, tc, tu;
  if (!WorkBuf_Room(&s_work.oldPos, &s_work.oldPosCap, (size_t)V) || !WorkBuf_Room(&s_work.oldBind, &s_work.oldBindCap, (size_t)V) ||
      !WorkBuf_Room(&s_work.oldCol, &s_work.oldColCap, (size_t)C) || !WorkBuf_Room(&s_work.oldUV, &s_work.oldUVCap, (size_t)U) ||
      !WorkBuf_Room(&s_work.oldPolys, &s_work.oldPolysCap, (size_t)N) || !Table_Prepare(&tp, 0, corners) ||
      !Table_Prepare(&tc, 1, corners) || !Table_Prepare(&tu, 2, corners))
    return false;
  memcpy(s_work.oldPos, m->positions, (size_t)V * sizeof(Bone2Point));
  memcpy(s_work.oldBind, m->bindings, (size_t)V * sizeof(VertexBinding));
  memcpy(s_work.oldCol, m->colours, (size_t)C * sizeof(Bone2Colour));
  memcpy(s_work.oldUV, m->uvs, (size_t)U * sizeof(Bone2UV));
  memcpy(s_work.oldPolys, m->polygons, (size_t)N * sizeof(Polygon2));
  ClearFaceFlags((u32)N);
  ClearVertFlags();
  for (i32 i = 0; i < m->polygonCapacity; i++) m->polygons[i].used = 0;
  // Every entry rebuilt is one a live corner uses, so the counts never grow.
  i32 nv = 0, nc = 0, nu = 0, np = 0;
  for (i32 i = 0; i < N; i++) {
    const Polygon2 &src = s_work.oldPolys[i];
    if (!Live(&src)) continue;
    Polygon2 q = Polygon2{};
    q.used = 1;
    q.group = src.group;
    i32 k = 0;
    for (i32 j = 0; j < Cc(&src); j++) {
      const Corner2 &c = src.corners[j];
      if (c.vertex >= (u32)V || c.colour >= (u32)C || c.uv >= (u32)U) continue;
      i32 before = nv;
      i32 v = Table_Take(&tp, &m->positions[0].x, 2, &s_work.oldPos[c.vertex].x, &nv);
      if (nv != before) m->bindings[v] = s_work.oldBind[c.vertex];
      i32 col = Table_Take(&tc, &m->colours[0].r, 4, &s_work.oldCol[c.colour].r, &nc);
      i32 uv = Table_Take(&tu, &m->uvs[0].u, 2, &s_work.oldUV[c.uv].u, &nu);
      q.corners[k++] = {(u16)v, (u16)col, (u16)uv};
    }
    q.cornerCount = (u8)k;
    m->polygons[np++] = q;
  }
  m->vertexCount = (u16)nv, m->colourCount = (u16)nc, m->uvCount = (u16)nu;
  m->polygonCount = np;
  g_Sel.g_PolyTool = ED2D_TOOL_MOVE;
  g_Sel.g_PolyFaceNo = -1;
  return true;
}

// [SECTION] stock shapes
// Clears every flag; room for `verts` new vertices (as many colours and UVs) and `polys`
// polygons.
static bool BeginShape(Bone2Model *m, i64 verts, i64 polys) {
  if (!m || !Fits(m, verts, verts, verts, polys)) return false;
  ClearVertFlags();
  ClearFaceFlags(FRoom());
  return true;
}

// Appends one polygon over the points, all new and selected: white colours, the UVs given.
static void AddShapePolygon(Bone2Model *m, i32 n, const Bone2Point *pts, const Bone2UV *uvs) {
  i32 f = m->polygonCount < 0 ? 0 : m->polygonCount;
  Polygon2 &p = AddPolygon(m, (u32)n, g_Sel.g_CurGroupIndex);
  for (i32 j = 0; j < n; j++) {
    u16 v = AddVertex(m, pts[j].x, pts[j].y, kAutoBinding);
    p.corners[j] = {v, AddColour(m, {255.0f, 255.0f, 255.0f, 255.0f}), AddUV(m, uvs[j].u, uvs[j].v)};
    SetV(v, 1);
  }
  SetF(f, 1);
}

static void EndShape(void) {
  g_Sel.g_PolyTool = ED2D_TOOL_MOVE;
  g_Sel.g_PolyFaceNo = -1;
  Ed2D_RebindSkin(Current_Bone2Edited());
}

// UV by position: ((x / 32 + 1) / 2, (y / 32 + 1) / 2).
static void ShapeUVs(const Bone2Point *pts, i32 n, Bone2UV *out) {
  for (i32 j = 0; j < n; j++) out[j] = {(pts[j].x / 32.0f + 1.0f) * 0.5f, (pts[j].y / 32.0f + 1.0f) * 0.5f};
}

bool Ed2D_PolyAddTriangle(Bone2Model *m) {
  if (!BeginShape(m, 3, 1)) return false;
  const Bone2Point pts[3] = {{0, -32}, {32, 32}, {-32, 32}};
  Bone2UV uvs[3];
  ShapeUVs(pts, 3, uvs);
  AddShapePolygon(m, 3, pts, uvs);
  EndShape();
  return true;
}

bool Ed2D_PolyAddQuad(Bone2Model *m) {
  if (!BeginShape(m, 4, 1)) return false;
  const Bone2Point pts[4] = {{-32, -32}, {32, -32}, {32, 32}, {-32, 32}};
  Bone2UV uvs[4];
  ShapeUVs(pts, 4, uvs);
  AddShapePolygon(m, 4, pts, uvs);
  EndShape();
  return true;
}

// The circle's point at `deg` degrees clockwise from the top, radius 32.
static Bone2Point CirclePoint(f64 deg) {
  f64 a = deg * 3.14159265358979323846 / 180.0;
  return {(f32)(16.0 * 2.0 * sin(a)), (f32)(16.0 * -2.0 * cos(a))};
}

bool Ed2D_PolyAddCircle(Bone2Model *m) {
  if (!BeginShape(m, 48, 16)) return false;
  const Bone2UV uvs[3] = {{0, 0}, {0, 0}, {0, 0}};
  for (int k = 1; k <= 16; k++) {
    const Bone2Point pts[3] = {CirclePoint(22.5 * (k - 1)), CirclePoint(22.5 * k), {0.0f, 0.0f}};
    AddShapePolygon(m, 3, pts, uvs);
  }
  EndShape();
  return true;
}

// [SECTION] import
static bool ImportFits(Bone2Model *m, const Model3 *src) {
  i64 corners = 0;
  for (i32 i = 0; i < src->polygonCount; i++) corners += src->polygons[i].cornerCount > 4 ? 4 : src->polygons[i].cornerCount;
  return Fits(m, src->positionCount, corners, corners, src->polygonCount);
}

bool Ed2D_PolyImport(Bone2Model *m, const char *path) {
  if (!m || !path || !*path) return false;
  ModelResult res;
  Model3 *src = Model3_OpenFile(ED2D_IMPORT_SLOT, path, &res);
  Seam_ShowResult(&res);
  if (!src) return false;
  bool ok = src->positions && src->polygons && src->positionCount >= 0 && src->positionCount <= src->capPositions &&
            src->polygonCount >= 0 && src->polygonCount <= src->capPolygons && ImportFits(m, src);
  if (ok) {
    ClearVertFlags();
    ClearFaceFlags(FRoom());
    u32 base = m->vertexCount;
    for (i32 v = 0; v < src->positionCount; v++) SetV(AddVertex(m, src->positions[v].x, src->positions[v].y, kAutoBinding), 1);
    for (i32 i = 0; i < src->polygonCount; i++) {
      const Polygon3 &s = src->polygons[i];
      i32 cc = s.cornerCount > 4 ? 4 : s.cornerCount, f = m->polygonCount;
      Polygon2 &p = AddPolygon(m, (u32)cc, g_Sel.g_CurGroupIndex);
      for (i32 j = 0; j < cc; j++) {
        const PolyCorner &c = s.corners[j];
        Color4 col = c.color < (u32)src->colorCount && src->colors ? src->colors[c.color] : Color4{255, 255, 255, 255};
        Vec2 uv = c.uv < (u32)src->uvCount && src->uvs ? src->uvs[c.uv] : Vec2{0, 0};
        u32 v = c.vertex < (u32)src->positionCount ? base + c.vertex : 0xFFFF;
        p.corners[j] = {(u16)v, AddColour(m, {col.r, col.g, col.b, col.a}), AddUV(m, uv.u, uv.v)};
      }
      SetF(f, 1);
    }
    g_Sel.g_PolyTool = ED2D_TOOL_MOVE;
    g_Sel.g_PolyFaceNo = -1;
  }
  Model3_FreeSlot(ED2D_IMPORT_SLOT);
  if (ok) Ed2D_RebindSkin(Current_Bone2Edited());
  return ok;
}
