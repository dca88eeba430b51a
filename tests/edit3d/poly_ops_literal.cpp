// The literal modelling operations (poly_ops_literal.h), step by step as described.
#include "app/shell_sel.h"
#include "poly_ops_literal.h"

#include <string.h>

#include <cmath>

#include "app/startup_state.h"
#include "app/views.h"
#include "edit3d/ed3d_poly.h"
#include "edit3d/ed3d_poly_ops.h"
#include "model/mesh.h"
#include "model/seam_errorbox.h"

namespace {

u32 FaceRoom() { return App_WorkFaceCount(); }
u32 VertRoom() { return App_WorkVertCount(); }
bool FSel(i32 f) { return (u32)f < FaceRoom() && g_Sel.g_PolySelFaces[f] != 0; }
bool VSel(u32 v) { return v < VertRoom() && g_Sel.g_PolySelVerts[v] != 0; }
void FSet(i32 f, u32 x) {
  if ((u32)f < FaceRoom()) g_Sel.g_PolySelFaces[f] = x;
}
void VSet(u32 v, u32 x) {
  if (v < VertRoom()) g_Sel.g_PolySelVerts[v] = x;
}
i32 Corners(const Polygon3 &p) { return p.cornerCount > 4 ? 4 : p.cornerCount; }
Vec3 Pos(const Model3 *m, u32 v) { return (i32)v < m->positionCount ? m->positions[v] : Vec3{0, 0, 0}; }
bool Same(Vec3 a, Vec3 b) { return a.x == b.x && a.y == b.y && a.z == b.z; }
i32 NN(i32 n) { return n < 0 ? 0 : n; }

// One polygon out: every record after it one place down, with its flag.
void DeleteOne(Model3 *m, i32 n) {
  for (i32 i = n; i + 1 < m->polygonCount; i++) {
    m->polygons[i] = m->polygons[i + 1];
    FSet(i, FSel(i + 1) ? 1 : 0);
  }
  FSet(m->polygonCount - 1, 0);
  m->polygonCount--;
}

void ClearAll() {
  memset(g_Sel.g_PolySelFaces, 0, FaceRoom() * sizeof(u32));
  memset(g_Sel.g_PolySelVerts, 0, VertRoom() * sizeof(u32));
}

}  // namespace

bool Lit_Optimise(Model3 *m) {
  for (i32 i = 0; i < m->polygonCount; i++) FSet(i, 0);
  memset(g_Sel.g_PolySelVerts, 0, VertRoom() * sizeof(u32));
  return Model3_WeldDuplicates(m);
}

bool Lit_Delete(Model3 *m) {
  if (g_Sel.g_PolySelectMode == 0) {
    for (i32 i = 0; i < m->polygonCount; i++) {
      Polygon3 &p = m->polygons[i];
      PolyCorner left[4];
      i32 k = 0, cc = Corners(p);
      for (i32 j = 0; j < cc; j++)
        if (!VSel(p.corners[j].vertex)) left[k++] = p.corners[j];
      if (k >= cc) continue;
      p.cornerCount = (u8)k;
      if (k < 3) {
        DeleteOne(m, i);
        i--;
        continue;
      }
      for (i32 j = 0; j < k; j++) p.corners[j] = left[j];
    }
  } else {
    for (i32 i = 0; i < m->polygonCount; i++)
      if (FSel(i)) DeleteOne(m, i--);
  }
  for (i32 i = 0; i < m->polygonCount; i++) FSet(i, 0);
  memset(g_Sel.g_PolySelVerts, 0, VertRoom() * sizeof(u32));
  Lit_Optimise(m);
  Model3_CalcNormals(m);
  return true;
}

bool Lit_DeleteLeftHalf(Model3 *m) {
  ClearAll();
  for (i32 i = 0; i < m->polygonCount; i++) {
    const Polygon3 &p = m->polygons[i];
    i32 left = 0;
    for (i32 j = 0; j < Corners(p); j++)
      if (Pos(m, p.corners[j].vertex).x <= 0.0f) left++;
    if (left == Corners(p)) DeleteOne(m, i--);
  }
  return true;
}

bool Lit_FlipFaces(Model3 *m) {
  if (g_Sel.g_PolySelectMode != 1) return false;
  for (i32 i = 0; i < m->polygonCount; i++) {
    if (!FSel(i)) continue;
    Polygon3 &p = m->polygons[i];
    i32 n = Corners(p);
    for (i32 k = 0; k < n / 2; k++) {
      PolyCorner a = p.corners[k], b = p.corners[n - 1 - k];
      p.corners[k].vertex = b.vertex, p.corners[k].color = b.color, p.corners[k].uv = b.uv;
      p.corners[n - 1 - k].vertex = a.vertex, p.corners[n - 1 - k].color = a.color, p.corners[n - 1 - k].uv = a.uv;
    }
  }
  Model3_CalcNormals(m);
  return true;
}

bool Lit_BreakFaces(Model3 *m) {
  if (g_Sel.g_PolySelectMode != 1) return false;
  i32 start = m->polygonCount;
  i64 need = m->polygonCount;
  for (i32 i = 0; i < start; i++)
    if (FSel(i) && Corners(m->polygons[i]) >= 2) need += Corners(m->polygons[i]) - 1;
  if (!Poly_ReserveOrSay(m, NN(m->positionCount), NN(m->normalCount), NN(m->colorCount), NN(m->uvCount), need))
    return false;
  for (i32 i = 0; i < start; i++) {
    if (!FSel(i) || Corners(m->polygons[i]) < 2) continue;
    for (i32 k = 1; k < Corners(m->polygons[i]); k++) {
      Polygon3 q = {};
      q.cornerCount = 1;
      q.corners[0] = m->polygons[i].corners[k];
      q.group = m->polygons[i].group;
      m->polygons[m->polygonCount] = q;
      FSet(m->polygonCount, 0);
      m->polygonCount++;
    }
    m->polygons[i].cornerCount = 1;
  }
  Model3_CalcNormals(m);
  return true;
}

bool Lit_Extrude(Model3 *m, f32 zoom) {
  if (g_Sel.g_PolySelectMode != 1) return false;
  if (!(zoom > 0)) zoom = 1;
  i32 start = m->polygonCount;
  // A face takes part when it has 3 or more corners and a normal, and every moved corner is
  // a finite position (the random meshes are small: their cross products never overflow).
  auto normalOf = [&](const Polygon3 &p, Vec3 *n) {
    for (i32 k = 0; k < Corners(p); k++)
      if ((i32)p.corners[k].vertex >= m->positionCount) return false;
    Mesh_FaceNormal(&m->positions[p.corners[0].vertex], &m->positions[p.corners[1].vertex],
                    &m->positions[p.corners[2].vertex], n);
    if (!(n->x != 0 || n->y != 0 || n->z != 0)) return false;
    for (i32 k = 0; k < Corners(p); k++) {
      Vec3 q = m->positions[p.corners[k].vertex];
      if (!std::isfinite(q.x + 0.5f * n->x / zoom) || !std::isfinite(q.y + 0.5f * n->y / zoom) ||
          !std::isfinite(q.z + 0.5f * n->z / zoom))
        return false;
    }
    return true;
  };
  i64 add = 0;
  for (i32 i = 0; i < start; i++) {
    Vec3 n;
    if (FSel(i) && Corners(m->polygons[i]) >= 3 && normalOf(m->polygons[i], &n)) add += Corners(m->polygons[i]);
  }
  if (!Poly_ReserveOrSay(m, NN(m->positionCount) + add, NN(m->normalCount), NN(m->colorCount), NN(m->uvCount),
                         NN(m->polygonCount) + add))
    return false;
  for (i32 i = 0; i < start; i++) {
    Vec3 n;
    if (!FSel(i) || Corners(m->polygons[i]) < 3 || !normalOf(m->polygons[i], &n)) continue;
    Vec3 d = {0.5f * n.x / zoom, 0.5f * n.y / zoom, 0.5f * n.z / zoom};
    i32 cc = Corners(m->polygons[i]);
    u32 b = (u32)m->positionCount;
    for (i32 k = 0; k < cc; k++) {
      Vec3 p = m->positions[m->polygons[i].corners[k].vertex];
      m->positions[m->positionCount] = {p.x + d.x, p.y + d.y, p.z + d.z};
      m->bindings[m->positionCount] = {0, 0, 0.0f, 1};
      VSet((u32)m->positionCount, 0);
      m->positionCount++;
    }
    for (i32 k = 0; k < cc; k++) {
      i32 k1 = (k + 1) % cc;
      const Polygon3 &s = m->polygons[i];
      Polygon3 q = {};
      q.cornerCount = 4;
      q.group = s.group;
      q.corners[0] = {s.corners[k].vertex, 0, s.corners[k].color, s.corners[k].uv};
      q.corners[1] = {s.corners[k1].vertex, 0, s.corners[k1].color, s.corners[k1].uv};
      q.corners[2] = {b + (u32)k1, 0, s.corners[k1].color, s.corners[k1].uv};
      q.corners[3] = {b + (u32)k, 0, s.corners[k].color, s.corners[k].uv};
      m->polygons[m->polygonCount] = q;
      FSet(m->polygonCount, 0);
      m->polygonCount++;
    }
    for (i32 k = 0; k < cc; k++) {
      VSet(m->polygons[i].corners[k].vertex, 0);
      m->polygons[i].corners[k].vertex = b + (u32)k;
    }
  }
  Model3_CalcNormals(m);
  return true;
}

bool Lit_Divide(Model3 *m) {
  if (g_Sel.g_PolySelectMode != 1) {
    Seam_ErrorBox("面選択モードで、利用できます。");
    return false;
  }
  i64 quads = 0;
  for (i32 i = 0; i < m->polygonCount; i++)
    if (FSel(i) && Corners(m->polygons[i]) == 4) quads++;
  if (!Poly_ReserveOrSay(m, NN(m->positionCount) + 16 * quads, NN(m->normalCount) + 16 * quads,
                         NN(m->colorCount) + 16 * quads, NN(m->uvCount) + 16 * quads, NN(m->polygonCount) + 3 * quads))
    return false;
  // Four appended before the divided one goes: one record more than the result for a moment.
  Model3_Reserve(m, m->positionCount, m->normalCount, m->colorCount, m->uvCount, m->polygonCount + 3 * (i32)quads + 1);
  bool said = false;
  i32 i = 0;
  for (i32 left = m->polygonCount; left > 0; left--) {
    Polygon3 src = m->polygons[i];
    if (!FSel(i) || Corners(src) != 4) {
      if (FSel(i) && !said) {
        Seam_ErrorBox("４角形のみ分割できます。");
        said = true;
      }
      i++;
      continue;
    }
    Vec3 P[4];
    Vec2 T[4];
    for (int c = 0; c < 4; c++) {
      P[c] = Pos(m, src.corners[c].vertex);
      T[c] = (i32)src.corners[c].uv < m->uvCount ? m->uvs[src.corners[c].uv] : Vec2{0, 0};
    }
    auto mid = [](Vec3 a, Vec3 b) { return Vec3{0.5f * (a.x + b.x), 0.5f * (a.y + b.y), 0.5f * (a.z + b.z)}; };
    auto midT = [](Vec2 a, Vec2 b) { return Vec2{0.5f * (a.u + b.u), 0.5f * (a.v + b.v)}; };
    Vec3 C = {0.25f * (P[0].x + P[1].x + P[2].x + P[3].x), 0.25f * (P[0].y + P[1].y + P[2].y + P[3].y),
              0.25f * (P[0].z + P[1].z + P[2].z + P[3].z)};
    Vec2 CT = {0.25f * (T[0].u + T[1].u + T[2].u + T[3].u), 0.25f * (T[0].v + T[1].v + T[2].v + T[3].v)};
    const Vec3 quadP[4][4] = {{P[0], mid(P[0], P[1]), C, mid(P[3], P[0])},
                              {mid(P[0], P[1]), P[1], mid(P[1], P[2]), C},
                              {C, mid(P[1], P[2]), P[2], mid(P[2], P[3])},
                              {mid(P[3], P[0]), C, mid(P[2], P[3]), P[3]}};
    const Vec2 quadT[4][4] = {{T[0], midT(T[0], T[1]), CT, midT(T[3], T[0])},
                              {midT(T[0], T[1]), T[1], midT(T[1], T[2]), CT},
                              {CT, midT(T[1], T[2]), T[2], midT(T[2], T[3])},
                              {midT(T[3], T[0]), CT, midT(T[2], T[3]), T[3]}};
    for (int k = 0; k < 4; k++) {
      u32 ni = src.corners[k].normal, ci = src.corners[k].color;
      Vec3 normal = (i32)ni < m->normalCount ? m->normals[ni] : Vec3{0, 0, 0};
      Color4 colour = (i32)ci < m->colorCount ? m->colors[ci] : Color4{0, 0, 0, 0};
      Polygon3 q = {};
      q.cornerCount = 4;
      q.group = src.group;
      for (int j = 0; j < 4; j++) {
        m->positions[m->positionCount] = quadP[k][j];
        m->bindings[m->positionCount] = {0, 0, 0.0f, 1};
        VSet((u32)m->positionCount, 1);
        m->normals[m->normalCount] = normal;
        m->colors[m->colorCount] = colour;
        m->uvs[m->uvCount] = quadT[k][j];
        q.corners[j] = {(u32)m->positionCount++, (u32)m->normalCount++, (u32)m->colorCount++, (u32)m->uvCount++};
      }
      m->polygons[m->polygonCount] = q;
      FSet(m->polygonCount, 1);
      m->polygonCount++;
    }
    FSet(i, 0);
    DeleteOne(m, i);
    Model3_CalcNormals(m);
  }
  return true;
}

namespace {

// Face j into face i when exactly two corner positions are equal.
bool TryMerge(const Model3 *m, Polygon3 &a, const Polygon3 &b) {
  i32 pairs = 0, pa[2] = {0, 0}, pb[2] = {0, 0};
  for (i32 x = 0; x < Corners(a); x++)
    for (i32 y = 0; y < Corners(b); y++)
      if (Same(Pos(m, a.corners[x].vertex), Pos(m, b.corners[y].vertex))) {
        if (pairs < 2) pa[pairs] = x, pb[pairs] = y;
        pairs++;
      }
  if (pairs != 2) return false;
  if (Corners(a) == 4 && Corners(b) == 4) {
    i32 t[2];
    for (int s = 0; s < 2; s++) {
      t[s] = pb[s] + 1 == 4 ? 0 : pb[s] + 1;
      if (t[s] == pb[0] || t[s] == pb[1]) t[s] = pb[s] == 0 ? 3 : pb[s] - 1;
    }
    a.corners[pa[0]].vertex = b.corners[t[0]].vertex;
    a.corners[pa[1]].vertex = b.corners[t[1]].vertex;
    return true;
  }
  if (Corners(a) != 3 || Corners(b) != 3 || pa[0] == pa[1] || pb[0] == pb[1]) return false;
  // The corner of b on neither shared position goes between a's two shared corners.
  PolyCorner extra = b.corners[3 - pb[0] - pb[1]];
  PolyCorner out[4];
  i32 n = 0;
  for (i32 x = 0; x < 3; x++) {
    out[n++] = a.corners[x];
    i32 next = (x + 1) % 3;
    bool sharedEdge = (x == pa[0] && next == pa[1]) || (x == pa[1] && next == pa[0]);
    if (sharedEdge) out[n++] = extra;
  }
  for (i32 x = 0; x < 4; x++) a.corners[x] = out[x];
  a.cornerCount = 4;
  return true;
}

bool MergeVerts(Model3 *m) {
  i32 found = 0;
  u32 target = 0;
  for (i32 i = 0; i < m->polygonCount; i++)
    for (i32 j = 0; j < Corners(m->polygons[i]); j++)
      if (VSel(m->polygons[i].corners[j].vertex)) target = m->polygons[i].corners[j].vertex, found++;
  if (found < 2) return false;
  for (i32 i = 0; i < m->polygonCount; i++) {
    Polygon3 &p = m->polygons[i];
    i32 changed = 0, second = -1;
    for (i32 j = 0; j < Corners(p); j++)
      if (VSel(p.corners[j].vertex)) {
        p.corners[j].vertex = target;
        changed++;
        if (changed == 2) second = j;
      }
    if (changed < 2) continue;
    for (i32 j = second; j < Corners(p) - 1; j++) {
      p.corners[j] = p.corners[j + 1];
      VSet(p.corners[j].vertex, 0);
    }
    p.cornerCount--;
    if (p.cornerCount == 0) DeleteOne(m, i--);
  }
  return true;
}

}  // namespace

bool Lit_Merge(Model3 *m) {
  if (g_Sel.g_PolySelectMode == 1) {
    bool merged = true;
    while (merged) {
      merged = false;
      for (i32 i = 0; i < m->polygonCount; i++) {
        if (!FSel(i)) continue;
        for (i32 j = i + 1; j < m->polygonCount; j++) {
          if (!FSel(j) || !TryMerge(m, m->polygons[i], m->polygons[j])) continue;
          DeleteOne(m, j--);
          merged = true;
        }
      }
    }
  } else if (!MergeVerts(m)) {
    return false;
  }
  Model3_CalcNormals(m);
  return true;
}

bool Lit_CreateFace(Model3 *m) {
  PolyCorner c[4];
  i32 k = 0;
  for (i32 i = 0; i < m->polygonCount; i++)
    for (i32 j = 0; j < Corners(m->polygons[i]); j++)
      if (VSel(m->polygons[i].corners[j].vertex)) {
        if (k < 4) c[k] = m->polygons[i].corners[j];
        k++;
      }
  if (m->polygonCount == 0 || k < 2) {
    Seam_ErrorBox("２つ以上頂点を選択して下さい。");
    return false;
  }
  if (k > 4) {
    Seam_ErrorBox("too many");
    return false;
  }
  if (!Poly_ReserveOrSay(m, NN(m->positionCount), NN(m->normalCount), NN(m->colorCount), NN(m->uvCount),
                         NN(m->polygonCount) + 1))
    return false;
  Polygon3 q = {};
  q.cornerCount = (u8)k;
  for (i32 j = 0; j < k; j++) q.corners[j] = c[j];
  m->polygons[m->polygonCount] = q;
  FSet(m->polygonCount, 0);
  m->polygonCount++;
  Model3_CalcNormals(m);
  return true;
}

bool Lit_RotateColours(Model3 *m) {
  if (g_Sel.g_PolySelectMode != 1) {
    Seam_ErrorBox("面選択モードで、利用できます。");
    return false;
  }
  for (i32 i = 0; i < m->polygonCount; i++) {
    if (!FSel(i)) continue;
    Polygon3 &p = m->polygons[i];
    u32 old[4];
    for (i32 k = 0; k < Corners(p); k++) old[k] = p.corners[k].color;
    for (i32 k = 0; k < Corners(p); k++) p.corners[(k + 1) % Corners(p)].color = old[k];
  }
  return true;
}

bool Lit_ApplyColour(Model3 *m, const i32 rgba[4]) {
  f32 c[4];
  for (int k = 0; k < 4; k++) c[k] = (f32)(rgba[k] < 0 ? 0 : rgba[k] > 255 ? 255 : rgba[k]);
  i32 found = -1;
  for (i32 i = 0; i < m->colorCount; i++)
    if (m->colors[i].r == c[0] && m->colors[i].g == c[1] && m->colors[i].b == c[2] && m->colors[i].a == c[3]) found = i;
  if (found < 0) {
    if (!Poly_ReserveOrSay(m, NN(m->positionCount), NN(m->normalCount), NN(m->colorCount) + 1, NN(m->uvCount),
                           NN(m->polygonCount)))
      return false;
    found = m->colorCount++;
    m->colors[found] = {c[0], c[1], c[2], c[3]};
  }
  for (i32 i = 0; i < m->polygonCount; i++) {
    if (g_Sel.g_PolySelectMode == 1 && !FSel(i)) continue;
    for (i32 j = 0; j < Corners(m->polygons[i]); j++)
      if (VSel(m->polygons[i].corners[j].vertex)) m->polygons[i].corners[j].color = (u32)found;
  }
  return true;
}
