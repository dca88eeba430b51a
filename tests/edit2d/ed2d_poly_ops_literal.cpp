// The literal 2D modelling operations (ed2d_poly_ops_literal.h), step by step as described.
#include "app/shell_sel.h"
#include "ed2d_poly_ops_literal.h"

#include <string.h>

#include <vector>

#include "app/current.h"
#include "app/startup_state.h"
#include "app/views.h"
#include "edit2d/ed2d_poly.h"
#include "model/seam_errorbox.h"

namespace lit2d {
namespace {

const char kNoRoom[] = "これ以上 追加できません。";

i32 NV(const Bone2Model *m) { return m->vertexCount < m->vertexCapacity ? m->vertexCount : m->vertexCapacity; }
i32 NC(const Bone2Model *m) { return m->colourCount < m->colourCapacity ? m->colourCount : m->colourCapacity; }
i32 NU(const Bone2Model *m) { return m->uvCount < m->uvCapacity ? m->uvCount : m->uvCapacity; }
i32 NP(const Bone2Model *m) { return m->polygonCount < m->polygonCapacity ? m->polygonCount : m->polygonCapacity; }
i32 CC(const Polygon2 &p) { return p.cornerCount > 4 ? 4 : p.cornerCount; }
bool VS(const Bone2Model *m, u32 v) { return (i32)v < NV(m) && v < App_WorkVertCount() && g_Sel.g_PolySelVerts[v] != 0; }
bool FS(i32 f) { return (u32)f < App_WorkFaceCount() && g_Sel.g_PolySelFaces[f] != 0; }
void FSet(i32 f, u32 x) {
  if ((u32)f < App_WorkFaceCount()) g_Sel.g_PolySelFaces[f] = x;
}
void VSet(u32 v, u32 x) {
  if (v < App_WorkVertCount()) g_Sel.g_PolySelVerts[v] = x;
}
void ClearAll() {
  memset(g_Sel.g_PolySelVerts, 0, App_WorkVertCount() * sizeof(u32));
  memset(g_Sel.g_PolySelFaces, 0, App_WorkFaceCount() * sizeof(u32));
}
bool RoomFor(const Bone2Model *m, i64 v, i64 c, i64 u, i64 p) {
  bool ok = m->vertexCount + v <= 65535 && m->vertexCount + v <= m->vertexCapacity && m->colourCount + c <= 65535 &&
            m->colourCount + c <= m->colourCapacity && m->uvCount + u <= 65535 && m->uvCount + u <= m->uvCapacity &&
            m->polygonCount + p <= m->polygonCapacity;
  if (!ok) Seam_ErrorBox(kNoRoom);
  return ok;
}
Polygon2 &Append(Bone2Model *m, u32 corners, u32 group) {
  Polygon2 &p = m->polygons[m->polygonCount];
  memset(&p, 0, sizeof p);
  p.used = 1;
  p.cornerCount = (u8)corners;
  p.group = group;
  FSet(m->polygonCount, 0);
  m->polygonCount++;
  return p;
}

}  // namespace

bool SelectAll(Bone2Model *) {
  bool all = true;
  for (u32 i = 0; i < App_WorkVertCount(); i++) all = all && g_Sel.g_PolySelVerts[i] != 0;
  for (u32 i = 0; i < App_WorkFaceCount(); i++) all = all && g_Sel.g_PolySelFaces[i] != 0;
  for (u32 i = 0; i < App_WorkVertCount(); i++) g_Sel.g_PolySelVerts[i] = all ? 0 : 1;
  for (u32 i = 0; i < App_WorkFaceCount(); i++) g_Sel.g_PolySelFaces[i] = all ? 0 : 1;
  return true;
}

bool Invert(Bone2Model *) {
  for (u32 i = 0; i < App_WorkVertCount(); i++) g_Sel.g_PolySelVerts[i] = g_Sel.g_PolySelVerts[i] ? 0 : 1;
  for (u32 i = 0; i < App_WorkFaceCount(); i++) g_Sel.g_PolySelFaces[i] = g_Sel.g_PolySelFaces[i] ? 0 : 1;
  return true;
}

bool ApplyColour(Bone2Model *m, const i32 rgba[4]) {
  for (int c = 0; c < 4; c++) g_Ed2DPoly.colour[c] = rgba[c] < 0 ? 0 : rgba[c] > 255 ? 255 : rgba[c];
  const i32 *k = g_Ed2DPoly.colour;
  i32 entry = -1;
  for (i32 i = 0; i < NC(m); i++) {
    const Bone2Colour &c = m->colours[i];
    if (c.r == (f32)k[0] && c.g == (f32)k[1] && c.b == (f32)k[2] && c.a == (f32)k[3]) entry = i;
  }
  if (entry < 0) {
    if (!RoomFor(m, 0, 1, 0, 0)) return false;
    entry = m->colourCount;
    m->colours[m->colourCount++] = {(f32)k[0], (f32)k[1], (f32)k[2], (f32)k[3]};
  }
  for (i32 i = 0; i < NP(m); i++) {
    Polygon2 &p = m->polygons[i];
    if (g_Sel.g_PolySelectMode == 1 && !(p.used == 1 && FS(i))) continue;
    for (i32 j = 0; j < CC(p); j++)
      if (VS(m, p.corners[j].vertex)) p.corners[j].colour = (u16)entry;
  }
  return true;
}

bool DeleteLeftHalf(Bone2Model *m) {
  ClearAll();
  for (i32 i = 0; i < NP(m); i++) {
    Polygon2 &p = m->polygons[i];
    if (p.used != 1) continue;
    i32 left = 0, seen = 0;
    for (i32 j = 0; j < CC(p); j++) {
      if ((i32)p.corners[j].vertex >= NV(m)) continue;
      seen++;
      left += m->positions[p.corners[j].vertex].x <= 0.0f;
    }
    if (left == seen) p.used = 0;
  }
  return true;
}

bool Flip(Bone2Model *m) {
  if (g_Sel.g_PolySelectMode != 1) return false;
  for (i32 i = 0; i < NP(m); i++) {
    Polygon2 &p = m->polygons[i];
    if (p.used != 1 || !FS(i)) continue;
    i32 n = CC(p);
    for (i32 j = 0; j < n / 2; j++) {
      Corner2 a = p.corners[j];
      p.corners[j] = p.corners[n - 1 - j];
      p.corners[n - 1 - j] = a;
    }
  }
  return true;
}

bool RemoveFaces(Bone2Model *m) {
  if (g_Sel.g_PolySelectMode != 1) return false;
  i32 n0 = NP(m);
  i64 need = 0;
  for (i32 i = 0; i < n0; i++)
    if (m->polygons[i].used == 1 && FS(i) && CC(m->polygons[i]) > 1) need += CC(m->polygons[i]) - 1;
  if (!RoomFor(m, 0, 0, 0, need)) return false;
  for (i32 i = 0; i < n0; i++) {
    if (m->polygons[i].used != 1 || !FS(i)) continue;
    for (i32 k = 1; k < CC(m->polygons[i]); k++) {
      Corner2 c = m->polygons[i].corners[k];
      Append(m, 1, m->polygons[i].group).corners[0] = c;
    }
    if (m->polygons[i].cornerCount > 1) m->polygons[i].cornerCount = 1;
  }
  return true;
}

bool Split(Bone2Model *m) {
  if (g_Sel.g_PolySelectMode != 1) {
    Seam_ErrorBox("面選択モードで、利用できます。");
    return false;
  }
  i32 n0 = NP(m), v0 = NV(m), c0 = NC(m), u0 = NU(m);
  std::vector<int> quad(n0, 0);
  i64 quads = 0;
  for (i32 i = 0; i < n0; i++) {
    const Polygon2 &p = m->polygons[i];
    if (p.used != 1 || !FS(i) || p.cornerCount != 4) continue;
    bool whole = true;
    for (int k = 0; k < 4; k++)
      whole = whole && p.corners[k].vertex < v0 && p.corners[k].colour < c0 && p.corners[k].uv < u0;
    quad[i] = whole;
    quads += whole;
  }
  if (!RoomFor(m, 16 * quads, 16 * quads, 16 * quads, 4 * quads)) return false;
  bool said = false;
  for (i32 i = 0; i < n0; i++) {
    Polygon2 src = m->polygons[i];
    if (src.used != 1 || !FS(i)) continue;
    if (!quad[i]) {
      if (!said) Seam_ErrorBox("４角形のみ分割できます。");
      said = true;
      continue;
    }
    m->polygons[i].used = 0;
    FSet(i, 0);
    Bone2Point P[4];
    for (int k = 0; k < 4; k++) P[k] = m->positions[src.corners[k].vertex];
    Bone2Point C = {0.25f * (P[0].x + P[1].x + P[2].x + P[3].x), 0.25f * (P[0].y + P[1].y + P[2].y + P[3].y)};
    auto mid = [](Bone2Point a, Bone2Point b) { return Bone2Point{0.5f * (a.x + b.x), 0.5f * (a.y + b.y)}; };
    Bone2Point m01 = mid(P[0], P[1]), m12 = mid(P[1], P[2]), m23 = mid(P[2], P[3]), m30 = mid(P[3], P[0]);
    const Bone2Point quads4[4][4] = {{P[0], m01, C, m30}, {m01, P[1], m12, C}, {C, m12, P[2], m23}, {m30, C, m23, P[3]}};
    for (int k = 0; k < 4; k++) {
      i32 f = m->polygonCount;
      Polygon2 &q = Append(m, 4, src.group);
      for (int j = 0; j < 4; j++) {
        u16 v = m->vertexCount++, c = m->colourCount++, u = m->uvCount++;
        m->positions[v] = quads4[k][j];
        m->bindings[v] = m->bindings[src.corners[k].vertex];
        m->colours[c] = m->colours[src.corners[k].colour];
        m->uvs[u] = m->uvs[src.corners[k].uv];
        q.corners[j] = {v, c, u};
        VSet(v, 1);
      }
      FSet(f, 1);
    }
  }
  return quads > 0;
}

bool MakeFace(Bone2Model *m) {
  g_Sel.g_FreeCreateCount = 0;
  std::vector<Corner2> got;
  for (i32 i = 0; i < NP(m); i++)
    for (i32 j = 0; j < CC(m->polygons[i]); j++)
      if (VS(m, m->polygons[i].corners[j].vertex)) got.push_back(m->polygons[i].corners[j]);
  if (NP(m) == 0 || got.size() < 2) {
    Seam_ErrorBox("２つ以上頂点を選択して下さい。");
    return false;
  }
  if (got.size() > 4) {
    Seam_ErrorBoxf("面は４つまでの頂点で作成して下さい。( 選択された角は %d 個です )", (int)got.size());
    return false;
  }
  if (!RoomFor(m, 0, 0, 0, 1)) return false;
  Polygon2 &q = Append(m, (u32)got.size(), 0);
  for (size_t k = 0; k < got.size(); k++) q.corners[k] = got[k];
  return true;
}

namespace {

bool Pos(const Bone2Model *m, u32 v, Bone2Point *out) {
  if ((i32)v >= NV(m)) return false;
  *out = m->positions[v];
  return true;
}

// Polygon j into polygon i, as the merge joins a pair.
bool Join(const Bone2Model *m, Polygon2 &a, const Polygon2 &b) {
  i32 na = CC(a), nb = CC(b), hits = 0, a1 = 0, b1 = 0, a2 = 0, b2 = 0;
  for (i32 x = 0; x < na; x++)
    for (i32 y = 0; y < nb; y++) {
      Bone2Point p, q;
      if (!Pos(m, a.corners[x].vertex, &p) || !Pos(m, b.corners[y].vertex, &q)) continue;
      if (p.x != q.x || p.y != q.y) continue;
      if (hits == 0) a1 = x, b1 = y;
      else if (hits == 1) a2 = x, b2 = y;
      hits++;
    }
  if (hits != 2) return false;
  if (na == 4 && nb == 4) {
    auto next = [&](i32 b) {
      i32 t = (b + 1) % 4;
      return (t == b1 || t == b2) ? (b + 3) % 4 : t;
    };
    i32 t1 = next(b1), t2 = next(b2);
    a.corners[a1].vertex = b.corners[t1].vertex;
    a.corners[a2].vertex = b.corners[t2].vertex;
    return true;
  }
  if (na != 3 || nb != 3 || a1 == a2 || b1 == b2) return false;
  // b's third corner goes into a's shared edge.
  Corner2 third = b.corners[3 - b1 - b2];
  i32 after = (a1 == 0 && a2 == 2) ? 2 : (a1 < a2 ? a1 : a2);
  Corner2 out[4];
  i32 k = 0;
  for (i32 c = 0; c < 3; c++) {
    out[k++] = a.corners[c];
    if (c == after) out[k++] = third;
  }
  memcpy(a.corners, out, sizeof out);
  a.cornerCount = 4;
  return true;
}

}  // namespace

bool Merge(Bone2Model *m) {
  if (g_Sel.g_PolySelectMode == 1) {
    bool again = true;
    while (again) {
      again = false;
      for (i32 i = 0; i < NP(m); i++) {
        if (m->polygons[i].used != 1 || !FS(i)) continue;
        for (i32 j = i + 1; j < NP(m); j++) {
          if (m->polygons[j].used != 1 || !FS(j)) continue;
          if (!Join(m, m->polygons[i], m->polygons[j])) continue;
          m->polygons[j].used = 0;
          again = true;
        }
      }
    }
    return true;
  }
  i32 count = 0;
  u16 target = 0;
  for (i32 i = 0; i < NP(m); i++)
    for (i32 j = 0; j < CC(m->polygons[i]); j++)
      if (VS(m, m->polygons[i].corners[j].vertex)) count++, target = m->polygons[i].corners[j].vertex;
  if (count < 2) return false;
  for (i32 i = 0; i < NP(m); i++) {
    Polygon2 &p = m->polygons[i];
    std::vector<i32> changed;
    for (i32 j = 0; j < CC(p); j++)
      if (VS(m, p.corners[j].vertex)) p.corners[j].vertex = target, changed.push_back(j);
    if (changed.size() < 2) continue;
    for (i32 k = changed[1]; k + 1 < CC(p); k++) p.corners[k] = p.corners[k + 1];
    p.cornerCount = (u8)(CC(p) - 1);
    if (p.cornerCount == 0) p.used = 0;
  }
  return true;
}

bool Delete(Bone2Model *m) {
  for (i32 i = 0; i < NP(m); i++) {
    Polygon2 &p = m->polygons[i];
    if (g_Sel.g_PolySelectMode == 1) {
      if (FS(i)) p.used = 0;
      continue;
    }
    Corner2 keep[4];
    i32 k = 0;
    for (i32 j = 0; j < CC(p); j++)
      if (!VS(m, p.corners[j].vertex)) keep[k++] = p.corners[j];
    for (i32 j = 0; j < k; j++) p.corners[j] = keep[j];
    p.cornerCount = (u8)k;
    if (k == 0) p.used = 0;
  }
  for (i32 i = 0; i < NP(m); i++) FSet(i, 0);
  memset(g_Sel.g_PolySelVerts, 0, App_WorkVertCount() * sizeof(u32));
  g_Sel.g_PolyFaceNo = g_Sel.g_PolyVertexNo = -1;
  return true;
}

bool Copy(Bone2Model *m) {
  if (g_Sel.g_PolySelectMode != 1) {
    Seam_ErrorBox("面選択モードで利用できます。");
    return false;
  }
  g_ModelAllocArrays = 1;
  Bone2Model *c = Bone2_Init(27);
  for (i32 v = 0; v < NV(m); v++) c->positions[c->vertexCount] = m->positions[v], c->bindings[c->vertexCount++] = m->bindings[v];
  for (i32 i = 0; i < NC(m); i++) c->colours[c->colourCount++] = m->colours[i];
  for (i32 i = 0; i < NU(m); i++) c->uvs[c->uvCount++] = m->uvs[i];
  for (i32 i = 0; i < NP(m); i++)
    if (FS(i)) c->polygons[i] = m->polygons[i];
  c->polygonCount += NP(m);
  return true;
}

bool Paste(Bone2Model *m) {
  Bone2Model *c = g_Bone2Slots[27];
  if (!c) return false;
  if (!RoomFor(m, c->vertexCount, c->colourCount, c->uvCount, c->polygonCount)) return false;
  i32 ov = m->vertexCount, oc = m->colourCount, ou = m->uvCount, op = m->polygonCount;
  for (i32 v = 0; v < c->vertexCount; v++) m->positions[m->vertexCount] = c->positions[v], m->bindings[m->vertexCount++] = c->bindings[v];
  for (i32 i = 0; i < c->colourCount; i++) m->colours[m->colourCount++] = c->colours[i];
  for (i32 i = 0; i < c->uvCount; i++) m->uvs[m->uvCount++] = c->uvs[i];
  for (i32 k = 0; k < c->polygonCount; k++) {
    Polygon2 q = c->polygons[k];
    if (q.used == 1) {
      for (i32 j = 0; j < CC(q); j++) {
        Corner2 &e = q.corners[j];
        e.vertex = e.vertex < c->vertexCount ? (u16)(e.vertex + ov) : 0xFFFF;
        e.colour = e.colour < c->colourCount ? (u16)(e.colour + oc) : 0xFFFF;
        e.uv = e.uv < c->uvCount ? (u16)(e.uv + ou) : 0xFFFF;
      }
    } else {
      memset(&q, 0, sizeof q);
    }
    m->polygons[op + k] = q;
  }
  m->polygonCount += c->polygonCount;
  return Optimize(m);
}

bool Optimize(Bone2Model *m) {
  std::vector<Bone2Point> pos(m->positions, m->positions + NV(m));
  std::vector<VertexBinding> bind(m->bindings, m->bindings + NV(m));
  std::vector<Bone2Colour> col(m->colours, m->colours + NC(m));
  std::vector<Bone2UV> uv(m->uvs, m->uvs + NU(m));
  std::vector<Polygon2> polys(m->polygons, m->polygons + NP(m));
  for (i32 i = 0; i < NP(m); i++) FSet(i, 0);
  memset(g_Sel.g_PolySelVerts, 0, App_WorkVertCount() * sizeof(u32));
  m->vertexCount = m->colourCount = m->uvCount = 0;
  m->polygonCount = 0;
  for (i32 i = 0; i < m->polygonCapacity; i++) m->polygons[i].used = 0;
  for (const Polygon2 &src : polys) {
    if (src.used != 1) continue;
    Polygon2 q;
    memset(&q, 0, sizeof q);
    q.used = 1;
    q.group = src.group;
    for (i32 j = 0; j < CC(src); j++) {
      const Corner2 &c = src.corners[j];
      if (c.vertex >= pos.size() || c.colour >= col.size() || c.uv >= uv.size()) continue;
      i32 v = -1, k = -1, t = -1;
      const Bone2Point &p = pos[c.vertex];
      for (i32 e = 0; e < m->vertexCount && v < 0; e++)
        if (m->positions[e].x == p.x && m->positions[e].y == p.y) v = e;
      if (v < 0) v = m->vertexCount++, m->positions[v] = p, m->bindings[v] = bind[c.vertex];
      const Bone2Colour &a = col[c.colour];
      for (i32 e = 0; e < m->colourCount && k < 0; e++) {
        const Bone2Colour &b = m->colours[e];
        if (a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a) k = e;
      }
      if (k < 0) k = m->colourCount++, m->colours[k] = a;
      const Bone2UV &w = uv[c.uv];
      for (i32 e = 0; e < m->uvCount && t < 0; e++)
        if (m->uvs[e].u == w.u && m->uvs[e].v == w.v) t = e;
      if (t < 0) t = m->uvCount++, m->uvs[t] = w;
      q.corners[q.cornerCount++] = {(u16)v, (u16)k, (u16)t};
    }
    m->polygons[m->polygonCount++] = q;
  }
  g_Sel.g_PolyTool = 1;
  g_Sel.g_PolyFaceNo = -1;
  return true;
}

}  // namespace lit2d
