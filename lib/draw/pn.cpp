// Curved point-normal triangles (see pn.h).
#include "lib/draw/pn.h"

#include <stdlib.h>
#include <string.h>

#include "lib/draw/draw.h"
#include "lib/draw/drawdev.h"
#include "model/mesh.h"
#include "model/seam_errorbox.h"

PnState g_Pn;
// Set by a finished tessellation, cleared by Pn_PrepareWorkModel: a refused or never run
// command must not replace slot 0 by an empty model.

// [SECTION] Tables

void Pn_BezierWeights(PnWeightRecord *out, f32 u, f32 v) {
  f32 w = 1.0f - u - v;
  f32 *b = out->w;
  b[0] = w * w * w;
  b[1] = u * u * u;
  b[2] = v * v * v;
  b[3] = 3.0f * w * w * u;
  b[4] = 3.0f * w * u * u;
  b[5] = 3.0f * u * u * v;
  b[6] = 3.0f * u * v * v;
  b[7] = 3.0f * v * v * w;
  b[8] = 3.0f * w * w * v;
  b[9] = 6.0f * w * u * v;
  b[10] = u;
  b[11] = v;
}

static void FillTriangles(u16 *out, i32 n) {
  i32 k = 0;
  for (i32 i = 1; i < n; ++i) {
    i32 r = i * (i + 1) / 2, rp = (i - 1) * i / 2;
    for (i32 j = 0; j <= i - 2; ++j) {
      const i32 t[6] = {r + j, rp + j, r + j + 1, r + j + 1, rp + j, rp + j + 1};
      for (i32 x : t) out[k++] = (u16)x;
    }
    out[k++] = (u16)(r + i - 1);
    out[k++] = (u16)(rp + i - 1);
    out[k++] = (u16)(r + i);
  }
}

i32 Pn_InitTables(void) {
  if (g_Pn.tablesBuilt == 1) return 0;
  memset(g_Pn.weights, 0, sizeof g_Pn.weights);
  memset(g_Pn.indices, 0, sizeof g_Pn.indices);
  for (i32 n = 3; n <= 14; ++n) {
    i32 k = n - 3;
    g_Pn.weights[k] = (PnWeightRecord *)malloc(sizeof(PnWeightRecord) * (size_t)(n * (n + 1) / 2 - 3));
    g_Pn.indices[k] = (u16 *)malloc(sizeof(u16) * 3 * (size_t)((n - 1) * (n - 1)));
    if (!g_Pn.weights[k] || !g_Pn.indices[k]) return (i32)0x80004005;
    f32 s = 1.0f / (f32)(n - 1);
    i32 rec = 0;
    f32 u = 1.0f;
    for (i32 i = 0; i < n; ++i, u -= s) {
      f32 v = 0.0f;
      for (i32 j = 0; j <= i; ++j, v += s) {
        bool corner = (i == 0) || (i == n - 1 && (j == 0 || j == i));
        if (!corner) Pn_BezierWeights(&g_Pn.weights[k][rec++], u, v);
      }
    }
    FillTriangles(g_Pn.indices[k], n);
  }
  g_Pn.tablesBuilt = 1;
  return 0;
}

// [SECTION] One triangle

static void NearPoint(f32 out[3], const f32 pa[3], const f32 pb[3], const f32 na[3]) {
  f32 d = (pb[0] - pa[0]) * na[0] + (pb[1] - pa[1]) * na[1] + (pb[2] - pa[2]) * na[2];
  for (i32 i = 0; i < 3; ++i) out[i] = (2.0f * pa[i] + pb[i] - d * na[i]) / 3.0f;
}

void Pn_ControlPoints(PnControl *out, const f32 p1[3], const f32 n1[3], const f32 p2[3],
                      const f32 n2[3], const f32 p3[3], const f32 n3[3]) {
  NearPoint(out->c[0], p1, p2, n1);
  NearPoint(out->c[1], p2, p1, n2);
  NearPoint(out->c[2], p2, p3, n2);
  NearPoint(out->c[3], p3, p2, n3);
  NearPoint(out->c[4], p3, p1, n3);
  NearPoint(out->c[5], p1, p3, n1);
  for (i32 i = 0; i < 3; ++i) {
    f32 e = out->c[0][i] + out->c[1][i] + out->c[2][i] + out->c[3][i] + out->c[4][i] + out->c[5][i];
    out->c[6][i] = e / 4.0f - (p1[i] + p2[i] + p3[i]) / 6.0f;
  }
}

void Pn_Evaluate(PnVertex *out, const PnVertex *c1, const PnVertex *c2, const PnVertex *c3,
                 const f32 col1[4], const f32 col2[4], const f32 col3[4], const PnControl *ctl,
                 const PnWeightRecord *b) {
  const f32 *w = b->w;
  f32 u = w[10], v = w[11];
  for (i32 i = 0; i < 3; ++i) {
    out->pos[i] = w[0] * c1->pos[i] + w[1] * c2->pos[i] + w[2] * c3->pos[i] + w[3] * ctl->c[0][i] +
                  w[4] * ctl->c[1][i] + w[5] * ctl->c[2][i] + w[6] * ctl->c[3][i] + w[7] * ctl->c[4][i] +
                  w[8] * ctl->c[5][i] + w[9] * ctl->c[6][i];
    out->normal[i] = c1->normal[i] + (c2->normal[i] - c1->normal[i]) * u + (c3->normal[i] - c1->normal[i]) * v;
  }
  for (i32 i = 0; i < 2; ++i) out->uv[i] = c1->uv[i] + (c2->uv[i] - c1->uv[i]) * u + (c3->uv[i] - c1->uv[i]) * v;
  if (g_Pn.gridCount >= 0 && g_Pn.gridCount < PN_MAX_GRID) {
    f32 *col = g_Pn.gridColors[g_Pn.gridCount++];
    for (i32 i = 0; i < 4; ++i) col[i] = col1[i] + (col2[i] - col1[i]) * u + (col3[i] - col1[i]) * v;
  }
}

static PnVertex ToVertex(const PnCorner *c) {
  PnVertex v;
  memcpy(v.pos, c->pos, sizeof v.pos);
  memcpy(v.normal, c->normal, sizeof v.normal);
  memcpy(v.uv, c->uv, sizeof v.uv);
  return v;
}

static void CopyCorner(i32 at, const PnVertex *v, const f32 col[4]) {
  g_Pn.grid[at] = *v;
  memcpy(g_Pn.gridColors[at], col, sizeof(f32) * 4);
}

i32 Pn_BuildGrid(const PnCorner *c1, const PnCorner *c2, const PnCorner *c3, i32 level) {
  if (g_Pn.tablesBuilt != 1) return 0;
  level = Pn_ClampLevel(level);
  i32 n = level + 2;
  const PnWeightRecord *rec = g_Pn.weights[level - 1];
  PnVertex v1 = ToVertex(c1), v2 = ToVertex(c2), v3 = ToVertex(c3);
  f32 col1[4], col2[4], col3[4];
  for (i32 i = 0; i < 4; ++i) col1[i] = (f32)c1->color[i], col2[i] = (f32)c2->color[i], col3[i] = (f32)c3->color[i];
  PnControl ctl;
  Pn_ControlPoints(&ctl, v1.pos, v1.normal, v2.pos, v2.normal, v3.pos, v3.normal);
  i32 last = n * (n + 1) / 2 - 1, lastRow = (n - 1) * n / 2;
  g_Pn.gridCount = 0;
  for (i32 g = 0; g <= last; ++g) {
    g_Pn.gridCount = g;
    if (g == 0) CopyCorner(0, &v2, col2);
    else if (g == lastRow) CopyCorner(g, &v1, col1);
    else if (g == last) CopyCorner(g, &v3, col3);
    else Pn_Evaluate(&g_Pn.grid[g], &v1, &v2, &v3, col1, col2, col3, &ctl, rec++);
  }
  g_Pn.gridCount = last + 1;
  return level;
}

static u32 GridColor(i32 g) {
  const f32 *c = g_Pn.gridColors[g];
  return Draw_PackColor((i32)c[0], (i32)c[1], (i32)c[2], (i32)c[3]);
}

void Pn_TessellatePolygon(const PnCorner *c1, const PnCorner *c2, const PnCorner *c3, i16 level) {
  i32 l = Pn_BuildGrid(c1, c2, c3, level);
  if (l == 0) return;
  const u16 *tri = g_Pn.indices[l - 1];
  for (i32 t = 0; t < Pn_Triangles(l); ++t) {
    SceneVertex v[3];
    for (i32 k = 0; k < 3; ++k) {
      const PnVertex &g = g_Pn.grid[tri[t * 3 + k]];
      v[k] = SceneVertex{g.pos[0], g.pos[1], g.pos[2], g.normal[0], g.normal[1], g.normal[2],
                         GridColor(tri[t * 3 + k]), 0, g.uv[0], g.uv[1]};
    }
    DrawDev_DrawUP(FVF_SCENEVERTEX, DPT_TRIANGLELIST, 1, v, sizeof(SceneVertex));
  }
}

// [SECTION] Whole model ("曲面化")

void Pn_PrepareWorkModel(void) {
  g_Pn.workReady = false;
  Model3_Free(g_Pn.workModel);
  g_ModelAllocArrays = 1;
  g_Pn.workModel = Model3_New();
  g_ModelAllocArrays = 0;
}

static PnCorner ModelCorner(const Model3 *m, const PolyCorner *c) {
  PnCorner out = {};
  const Vec3 &p = m->positions[c->vertex];
  out.pos[0] = p.x, out.pos[1] = p.y, out.pos[2] = p.z;
  if (m->normals && (i64)c->normal < (i64)m->normalCount) {
    const Vec3 &n = m->normals[c->normal];
    out.normal[0] = n.x, out.normal[1] = n.y, out.normal[2] = n.z;
  }
  if (m->uvs && (i64)c->uv < (i64)m->uvCount) out.uv[0] = m->uvs[c->uv].u, out.uv[1] = m->uvs[c->uv].v;
  for (i32 i = 0; i < 4; ++i) out.color[i] = 255;
  return out;
}

static bool ValidPolygon(const Model3 *m, const Polygon3 *p) {
  if (p->cornerCount < 3 || p->cornerCount > 4) return false;
  for (i32 k = 0; k < p->cornerCount; ++k)
    if ((i64)p->corners[k].vertex >= (i64)m->positionCount) return false;
  return true;
}

static void AppendTriangles(Model3 *w, i32 level) {
  const u16 *tri = g_Pn.indices[level - 1];
  for (i32 t = 0; t < Pn_Triangles(level); ++t) {
    Polygon3 &poly = w->polygons[w->polygonCount++];
    memset(&poly, 0, sizeof poly);
    poly.cornerCount = 3;
    for (i32 k = 0; k < 3; ++k) {
      const PnVertex &g = g_Pn.grid[tri[t * 3 + k]];
      i32 v = w->positionCount++;
      i32 n = w->normalCount++;
      w->positions[v] = Vec3{g.pos[0], g.pos[1], g.pos[2]};
      w->normals[n] = Vec3{g.normal[0], g.normal[1], g.normal[2]};
      poly.corners[k].vertex = (u32)v;
      poly.corners[k].normal = (u32)n;
    }
  }
}

bool Pn_TessellateModel(i32 slot) {
  Model3 *m = Model3_Get(slot);
  g_Pn.workReady = false;
  if (!m || g_Pn.tablesBuilt != 1) return false;
  i32 level = Pn_ClampLevel(m->refineLevel);
  Pn_PrepareWorkModel();
  Model3 *w = g_Pn.workModel;
  if (!w || !w->positions || !w->normals || !w->polygons) return false;
  // Refuse before anything is written when the result cannot fit.
  i64 triangles = 0;
  for (i32 i = 0; i < m->polygonCount; ++i)
    if (ValidPolygon(m, &m->polygons[i])) triangles += m->polygons[i].cornerCount - 2;
  i64 polys = triangles * Pn_Triangles(level), verts = polys * 3;
  if (polys > w->capPolygons || verts > w->capPositions || verts > w->capNormals) {
    Seam_ErrorBoxf("曲面化すると %lld ポリゴンになり、最大数 %d を超えます。", (long long)polys, w->capPolygons);
    return false;
  }
  for (i32 i = 0; i < m->polygonCount; ++i) {
    const Polygon3 *p = &m->polygons[i];
    if (!ValidPolygon(m, p)) continue;
    for (i32 t = 0; t + 2 < p->cornerCount; ++t) {
      PnCorner a = ModelCorner(m, &p->corners[0]), b = ModelCorner(m, &p->corners[t + 1]),
               c = ModelCorner(m, &p->corners[t + 2]);
      Pn_BuildGrid(&a, &b, &c, level);
      AppendTriangles(w, level);
    }
  }
  g_Pn.workReady = true;
  return true;
}

bool Pn_StoreWorkModel(i32 slot) {
  Model3 *m = Model3_Get(slot);
  if (!m || !g_Pn.workModel || !g_Pn.workReady) return false;
  Model3_Copy(g_Pn.workModel, m, 1);
  Model3_CalcNormals(m);
  m->changed = 1;
  return true;
}
