// Blob shadows, stencil shadow volumes and the 2D bone model drawing (see shadow.h).
#include "lib/render/shadow.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include "lib/framework/lib_state.h"
#include "lib/framework/view_record.h"
#include "lib/draw/camera.h"
#include "lib/draw/draw.h"
#include "lib/draw/drawbatch.h"
#include "lib/draw/drawdev.h"
#include "lib/draw/target.h"
#include "lib/draw/texture.h"
#include "lib/framework/lib.h"
#include "lib/render/meshes.h"
#include "lib/render/objects.h"
#include "model/bone2.h"
#include "model/object.h"
#include "model/str.h"

// The blob shadow texture; a failed load is remembered with its data folder so it is not
// retried every frame.
static struct {
  void *texture;
  bool failed;
  char failedDir[LIB_TEXT_SIZE];
} s_Blob;

// [SECTION] Blob shadows

void *Shadow_BlobTexture(void) {
  if (s_Blob.texture) return s_Blob.texture;
  if (s_Blob.failed && strcmp(s_Blob.failedDir, g_Lib.dataDir) == 0) return nullptr;
  s_Blob.failed = false;
  if (DrawDev_Ready() && g_Dev.draw.loadTextureFile) {
    char path[LIB_TEXT_SIZE + 32];
    Str_Format(path, sizeof path, "%s\\System\\shadow2d.png", g_Lib.dataDir);
    i32 w = 0, h = 0;
    s_Blob.texture = g_Dev.draw.loadTextureFile(path, 0xFF000000u, &w, &h);
  }
  if (!s_Blob.texture) {
    s_Blob.failed = true;
    Str_Copy(s_Blob.failedDir, sizeof s_Blob.failedDir, g_Lib.dataDir);
  }
  return s_Blob.texture;
}

void Shadow_ReleaseBlobTexture(void) {
  DrawDev_Release(s_Blob.texture);
  s_Blob.texture = nullptr;
  s_Blob.failed = false;
}

bool Shadow_PreviewBlob(const Model3 *m, f32 *cx, f32 *cz, f32 *s) {
  if (m->shadowMode != 2 || !m->positions || m->positionCount <= 0) return false;
  const Vec3 *pts = (m->poseUpdate && m->posed) ? m->posed : m->positions;
  f32 lo[2] = {pts[0].x, pts[0].z}, hi[2] = {pts[0].x, pts[0].z};
  for (i32 v = 1; v < m->positionCount; ++v) {
    lo[0] = fminf(lo[0], pts[v].x), hi[0] = fmaxf(hi[0], pts[v].x);
    lo[1] = fminf(lo[1], pts[v].z), hi[1] = fmaxf(hi[1], pts[v].z);
  }
  f32 half = fmaxf(hi[0] - lo[0], hi[1] - lo[1]) * 0.5f;
  if (!(half > 0.0f) || !(half < 1e30f)) return false;   // a point, or positions that are not numbers
  *cx = (lo[0] + hi[0]) * 0.5f;
  *cz = (lo[1] + hi[1]) * 0.5f;
  *s = half * 1.5f;
  return true;
}

// The preview's 2D shadow: the blob texture on the ground under the model, unlit and blended
// over what lies below it.
static void DrawPreviewBlob(const Model3 *m, const ObjectSideRecord *side, void *tex) {
  f32 cx, cz, s;
  if (!Shadow_PreviewBlob(m, &cx, &cz, &s)) return;
  DrawDev_SetTexture(0, tex);
  if (g_Dev.draw.setTransform) g_Dev.draw.setTransform(DTS_WORLD, side->world.f);
  Draw_SetLighting(0);
  DrawDev_SetRenderState(DRS_ALPHABLENDENABLE, 1);
  DrawDev_SetRenderState(DRS_SRCBLEND, DBLEND_SRCALPHA);
  DrawDev_SetRenderState(DRS_DESTBLEND, DBLEND_INVSRCALPHA);
  DrawDev_SetRenderState(DRS_ZWRITEENABLE, 0);
  Draw_Quad3D(cx - s, 0, cz + s, 0, 1, 0, 255, 255, 255, 255, 0, 0,
              cx + s, 0, cz + s, 0, 1, 0, 255, 255, 255, 255, 1, 0,
              cx + s, 0, cz - s, 0, 1, 0, 255, 255, 255, 255, 1, 1,
              cx - s, 0, cz - s, 0, 1, 0, 255, 255, 255, 255, 0, 1);
  DrawDev_SetRenderState(DRS_ZWRITEENABLE, 1);
  Draw_SetLighting(1);
}

void Shadow_DrawBlobShadows(void) {
  void *tex = Shadow_BlobTexture();
  for (i32 i = 0; i < SCENE_OBJECTS; ++i) {
    KZL::OBJECT *o = g_SceneObjects[i];
    ObjectSideRecord *side = g_ObjectSideRecords[i];
    Model3 *m = o ? Object_ModelOf(o) : nullptr;
    if (!m || !side) continue;
    if (m->shadowMode == 2) DrawPreviewBlob(m, side, tex);
    if (m->shadowKind != 1 && m->shadowKind != 11) continue;
    DrawDev_SetTexture(0, tex);
    if (g_Dev.draw.setTransform) g_Dev.draw.setTransform(DTS_WORLD, side->world.f);
    f32 s = m->shadow[1] * 5.0f;
    // Each object a little higher, so overlapping shadows never share a depth.
    f32 y = m->shadow[0] + (f32)i * 0.001f;
    Draw_Quad3D(-s, y, s, 0, 1, 0, 255, 255, 255, 255, 0, 0,
                s, y, s, 0, 1, 0, 255, 255, 255, 255, 1, 0,
                s, y, -s, 0, 1, 0, 255, 255, 255, 255, 1, 1,
                -s, y, -s, 0, 1, 0, 255, 255, 255, 255, 0, 1);
  }
  DrawDev_SetTexture(0, nullptr);
}

// [SECTION] Stencil shadow volumes

bool Shadow_InverseAffine(Mat4 *out, const Mat4 *m) {
  const f32 (*a)[4] = m->m;
  f32 det = a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) - a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
            a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
  if (det == 0.0f || !(fabsf(det) < 1e30f)) return false;
  f32 inv = 1.0f / det;
  Mat4 r;
  Mat_Identity(&r);
  r.m[0][0] = (a[1][1] * a[2][2] - a[1][2] * a[2][1]) * inv;
  r.m[0][1] = (a[0][2] * a[2][1] - a[0][1] * a[2][2]) * inv;
  r.m[0][2] = (a[0][1] * a[1][2] - a[0][2] * a[1][1]) * inv;
  r.m[1][0] = (a[1][2] * a[2][0] - a[1][0] * a[2][2]) * inv;
  r.m[1][1] = (a[0][0] * a[2][2] - a[0][2] * a[2][0]) * inv;
  r.m[1][2] = (a[0][2] * a[1][0] - a[0][0] * a[1][2]) * inv;
  r.m[2][0] = (a[1][0] * a[2][1] - a[1][1] * a[2][0]) * inv;
  r.m[2][1] = (a[0][1] * a[2][0] - a[0][0] * a[2][1]) * inv;
  r.m[2][2] = (a[0][0] * a[1][1] - a[0][1] * a[1][0]) * inv;
  for (i32 j = 0; j < 3; ++j)
    r.m[3][j] = -(a[3][0] * r.m[0][j] + a[3][1] * r.m[1][j] + a[3][2] * r.m[2][j]);
  *out = r;
  return true;
}

enum { VOLUME_MAX_VERTICES = 65000 };

struct VolumeWork {
  f32 *pos;      // x, y, z per stored vertex
  u16 *index;
  i32 *owner;
  i32 count;
};

static Vec3 VolumePoint(const Model3 *m, u32 v) {
  if (!m->poseUpdate || !m->posed || !m->vertexNormals) return m->positions[v];
  const Vec3 &p = m->posed[v], &n = m->vertexNormals[v];
  return Vec3{p.x - 0.01f * n.x, p.y - 0.01f * n.y, p.z - 0.01f * n.z};
}

static void StoreVolumeVertex(VolumeWork *w, Vec3 p, i32 object) {
  w->pos[w->count * 3] = p.x, w->pos[w->count * 3 + 1] = p.y, w->pos[w->count * 3 + 2] = p.z;
  w->index[w->count] = (u16)w->count;
  w->owner[w->count] = object;
  ++w->count;
}

// A welded vertex of mode 2 as the volume takes it: posed and pulled in along the vertex
// normal of its model vertex, or at rest.
static Vec3 WeldedVolumePoint(const Model3 *m, const WeldedMesh *wm, u32 v) {
  i32 src = wm->sources ? wm->sources[v] : -1;
  if (!m->poseUpdate || !wm->posed || !m->vertexNormals || src < 0 || src >= m->positionCount) return wm->positions[v];
  const Vec3 &p = wm->posed[v], &n = m->vertexNormals[src];
  return Vec3{p.x - 0.01f * n.x, p.y - 0.01f * n.y, p.z - 0.01f * n.z};
}

// Mode 2: the per-group polygon lists of the welded mesh and its positions.
static void StoreWeldedTriangles(VolumeWork *w, const Model3 *m, const WeldedMesh *wm, i32 object, i32 cap) {
  for (i32 g = 0; g < MODEL3_GROUPS; ++g) {
    const MeshGroupList &list = wm->groups[g];
    for (i32 i = 0; i < list.count; ++i) {
      const MeshPoly &p = list.polys[i];
      for (i32 t = 1; t + 1 < p.cornerCount; ++t) {
        if (w->count + 3 > cap || w->count >= VOLUME_MAX_VERTICES - 6) return;
        StoreVolumeVertex(w, WeldedVolumePoint(m, wm, p.index[0]), object);
        StoreVolumeVertex(w, WeldedVolumePoint(m, wm, p.index[t]), object);
        StoreVolumeVertex(w, WeldedVolumePoint(m, wm, p.index[t + 1]), object);
      }
    }
  }
}

static void StoreModelTriangles(VolumeWork *w, const Model3 *m, i32 slot, i32 object, i32 cap) {
  if (m->renderMode == 2) {
    if (slot >= 0 && slot < MODEL3_SLOTS && g_Meshes.indexed2[slot]) StoreWeldedTriangles(w, m, g_Meshes.indexed2[slot], object, cap);
    return;
  }
  if (m->renderMode > 3) return;   // other modes cast no volume
  for (i32 i = 0; i < m->polygonCount; ++i) {
    const Polygon3 *p = &m->polygons[i];
    if (p->cornerCount < 3 || p->cornerCount > 4) continue;
    bool ok = true;
    for (i32 k = 0; k < p->cornerCount; ++k) ok = ok && (i64)p->corners[k].vertex < (i64)m->positionCount;
    if (!ok) continue;
    for (i32 t = 1; t + 1 < p->cornerCount; ++t) {
      if (w->count + 3 > cap || w->count >= VOLUME_MAX_VERTICES - 6) return;
      StoreVolumeVertex(w, VolumePoint(m, p->corners[0].vertex), object);
      StoreVolumeVertex(w, VolumePoint(m, p->corners[t].vertex), object);
      StoreVolumeVertex(w, VolumePoint(m, p->corners[t + 1].vertex), object);
    }
  }
}

static bool CastsVolume(i32 i, Model3 **model) {
  KZL::OBJECT *o = g_SceneObjects[i];
  if (!o || !o->inUse || !o->shown || !g_ObjectSideRecords[i]) return false;
  Model3 *m = Object_ModelOf(o);
  if (!m || !g_ModelPoses[o->modelSlot] || m->shadowKind != 3) return false;
  *model = m;
  return true;
}

// Appends the extruded quad of edge (a, b) away from the light.
static void ExtrudeEdge(ShadowVolume *v, const f32 *a, const f32 *b, const f32 d[3]) {
  const f32 ad[3] = {a[0] - d[0], a[1] - d[1], a[2] - d[2]}, bd[3] = {b[0] - d[0], b[1] - d[1], b[2] - d[2]};
  const f32 *tri[6] = {a, b, ad, b, bd, ad};
  for (const f32 *p : tri) {
    memcpy(&v->positions[v->count * 3], p, 12);
    ++v->count;
  }
}

void Shadow_BuildVolumes(void) {
  i64 total = 0;
  for (i32 i = 0; i < SCENE_OBJECTS; ++i) {
    Model3 *m;
    if (CastsVolume(i, &m)) total += 6 * (i64)m->polygonCount;
  }
  if (total == 0) return;
  i32 cap = (i32)(total < VOLUME_MAX_VERTICES ? total : (i64)VOLUME_MAX_VERTICES);
  VolumeWork w = {(f32 *)malloc(sizeof(f32) * 3 * (size_t)cap), (u16 *)malloc(sizeof(u16) * (size_t)cap),
                  (i32 *)malloc(sizeof(i32) * (size_t)cap), 0};
  f32 light[SCENE_OBJECTS][3] = {};
  i32 edges[SCENE_OBJECTS] = {};
  if (w.pos && w.index && w.owner) {
    for (i32 i = 0; i < SCENE_OBJECTS; ++i) {
      Model3 *m;
      if (CastsVolume(i, &m)) StoreModelTriangles(&w, m, g_SceneObjects[i]->modelSlot, i, cap);
    }
    for (i32 i = 0; i < SCENE_OBJECTS; ++i) {
      Model3 *m;
      if (!CastsVolume(i, &m)) continue;
      ShadowVolume &v = g_Target.shadowVolumes[i];
      free(v.positions);
      v.count = 0;
      i32 tris = 0;
      for (i32 k = 0; k < w.count; k += 3) tris += w.owner[k] == i;
      // Each lit triangle gives three edges of two triangles each.
      v.positions = (f32 *)malloc(sizeof(f32) * 3 * 18 * (size_t)(tris ? tris : 1));
      Mat4 inv;
      if (!Shadow_InverseAffine(&inv, &g_ObjectSideRecords[i]->world)) Mat_Identity(&inv);
      Mat_TransformPoint(light[i], g_Camera.light.vector[0], g_Camera.light.vector[1], g_Camera.light.vector[2], inv);
    }
    u16 edgeList[6];
    for (i32 k = 0; k + 2 < w.count; k += 3) {
      i32 obj = w.owner[k];
      ShadowVolume &v = g_Target.shadowVolumes[obj];
      if (!v.positions) continue;
      const f32 *A = &w.pos[k * 3], *B = &w.pos[(k + 1) * 3], *C = &w.pos[(k + 2) * 3];
      f32 e1[3] = {B[0] - A[0], B[1] - A[1], B[2] - A[2]}, e2[3] = {C[0] - B[0], C[1] - B[1], C[2] - B[2]};
      f32 n[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0]};
      const f32 *L = light[obj];
      if (n[0] * L[0] + n[1] * L[1] + n[2] * L[2] < 0.0f) continue;
      i32 count = 0;
      Shadow_AddEdge(edgeList, &count, w.index[k], w.index[k + 1]);
      Shadow_AddEdge(edgeList, &count, w.index[k + 1], w.index[k + 2]);
      Shadow_AddEdge(edgeList, &count, w.index[k + 2], w.index[k]);
      edges[obj] += count;
      const f32 d[3] = {L[0] * 10.0f, L[1] * 10.0f, L[2] * 10.0f};
      ExtrudeEdge(&v, A, B, d);
      ExtrudeEdge(&v, B, C, d);
      ExtrudeEdge(&v, C, A, d);
    }
  }
  free(w.pos);
  free(w.index);
  free(w.owner);
}

void Shadow_DrawStencil(void) {
  if (g_GpuInfo.level < 1 || !g_Lib.config.stencilShadows) return;
  Draw_FillScreenQuad();
  Shadow_BuildVolumes();
  Shadow_StencilVolumePass();
  Shadow_DarkenStencil();
}

// [SECTION] 2D bone models

// What a model's corners take their colour from, worked out once per model and group.
struct Bone2Shade {
  bool weights;       // the weight view: red on the selected bone's vertices, else grey
  u32 selectedBone;
  bool perCorner;     // the vertex-colour flag: each corner's colour index
  i32 group[4];       // otherwise the group's colour under the model's
};

static void Bone2Tint(const Bone2Model *m, const f32 src[4], i32 out[4]) {
  for (i32 i = 0; i < 4; ++i) out[i] = (i32)(m->colour[i] / 255.0f * src[i]);
}

static void Bone2CornerColour(const Bone2Model *m, const Bone2Shade &sh, const Corner2 &k, i32 out[4]) {
  if (sh.weights) {
    bool sel = m->bindings && k.vertex < m->vertexCount && m->bindings[k.vertex].bone1 == sh.selectedBone;
    const i32 red[4] = {255, 0, 0, 255}, grey[4] = {200, 200, 200, 255};
    memcpy(out, sel ? red : grey, sizeof red);
  } else if (sh.perCorner) {
    f32 src[4] = {0, 0, 0, 0};
    if (m->colours && k.colour < m->colourCount) {
      const Bone2Colour &col = m->colours[k.colour];
      src[0] = col.r, src[1] = col.g, src[2] = col.b, src[3] = col.a;
    }
    Bone2Tint(m, src, out);
  } else {
    memcpy(out, sh.group, sizeof sh.group);
  }
}

// The polygons of every group, gathered in one pass: s_Next chains a group's polygons in
// index order from its head, so each group draws its own without walking the others.
static struct {
  i32 *next;
  i32 capacity;
} s_Gather;

static bool GatherGroups(const Bone2Model *m, i32 count, i32 groups, i32 head[BONE2_MAX_GROUPS]) {
  if (count > s_Gather.capacity) {
    i32 *n = (i32 *)realloc(s_Gather.next, sizeof(i32) * (size_t)count);
    if (!n) return false;
    s_Gather.next = n;
    s_Gather.capacity = count;
  }
  i32 tail[BONE2_MAX_GROUPS];
  for (i32 g = 0; g < groups; ++g) head[g] = tail[g] = -1;
  for (i32 i = 0; i < count; ++i) {
    const Polygon2 *p = &m->polygons[i];
    if (p->used != 1 || p->group >= (u32)groups || m->groups[p->group].shadeMode == 0) continue;
    if (p->cornerCount < 3 || p->cornerCount > 4) continue;
    bool ok = true;
    for (i32 c = 0; c < p->cornerCount; ++c) ok = ok && p->corners[c].vertex < m->vertexCount;
    if (!ok) continue;
    i32 g = (i32)p->group;
    s_Gather.next[i] = -1;
    if (tail[g] < 0) head[g] = i;
    else s_Gather.next[tail[g]] = i;
    tail[g] = i;
  }
  return true;
}

// One polygon's corners placed on the screen.
static void PlacePolygon(const Bone2Model *m, const Bone2Point *pts, const Polygon2 *p, const Bone2Shade &sh,
                         const Place2D *pl, ScreenVertex out[4]) {
  for (i32 j = 0; j < p->cornerCount; ++j) {
    const Corner2 &cr = p->corners[j];
    i32 col[4];
    Bone2CornerColour(m, sh, cr, col);
    bool uvOk = m->uvs && cr.uv < m->uvCount;
    Vert2D v = {(i32)(pts[cr.vertex].x + m->placeX), (i32)(pts[cr.vertex].y + m->placeY), col[0], col[1], col[2], col[3],
                uvOk ? m->uvs[cr.uv].u : 0.0f, uvOk ? m->uvs[cr.uv].v : 0.0f};
    out[j] = Draw_PlaceVertex(pl, &v);
  }
}

// Each group's polygons as fans (0, i, i + 1): gathered into the open batch, or (with the
// batch switched off) one triangle per draw.
static void DrawBone2Model(i32 s, const Bone2Model *m) {
  bool rest = Frame_Current()->rest2D;
  const Bone2Point *pts = (!rest && m->skinned) ? m->skinned : m->positions;
  if (!pts) return;
  i32 groups = m->groupCount < BONE2_MAX_GROUPS ? m->groupCount : BONE2_MAX_GROUPS;
  i32 count = m->polygonCount < m->polygonCapacity ? m->polygonCount : m->polygonCapacity;
  i32 head[BONE2_MAX_GROUPS];
  if (!m->polygons || count < 0) count = 0;
  if (!GatherGroups(m, count, groups, head)) return;
  DrawDev_SetRenderState(DRS_FILLMODE, DFILL_SOLID);
  DrawDev_SetRenderState(DRS_ALPHABLENDENABLE, 1);
  Place2D pl = Draw_CurrentPlacement();
  Bone2Shade sh = {};
  sh.weights = m->displayMode == 3;
  sh.selectedBone = Frame_Current()->selectedBone;
  sh.perCorner = m->vertexColourFlag == 1;
  bool batched = DrawBatch_IsOpen();
  for (i32 g = 0; g < groups; ++g) {
    const Group2 &gr = m->groups[g];
    if (gr.shadeMode == 0) continue;
    i32 t = gr.texture;
    DrawDev_SetTexture(0, (t >= 0 && t < TEX_PER_MODEL) ? g_Tex.bone2Textures[s * TEX_PER_MODEL + t] : nullptr);
    const f32 src[4] = {gr.r, gr.g, gr.b, gr.a};
    Bone2Tint(m, src, sh.group);
    for (i32 i = head[g]; i >= 0; i = s_Gather.next[i]) {
      const Polygon2 *p = &m->polygons[i];
      ScreenVertex v[4];
      PlacePolygon(m, pts, p, sh, &pl, v);
      if (batched) {
        DrawBatch_Polygon2D(v, p->cornerCount);
        continue;
      }
      for (i32 k = 1; k + 1 < p->cornerCount; ++k) {
        const ScreenVertex tri[3] = {v[0], v[k], v[k + 1]};
        DrawDev_DrawUP(FVF_SCREENVERTEX, DPT_TRIANGLELIST, 1, tri, sizeof(ScreenVertex));
      }
    }
  }
}

void Draw_Kzb2DModels(void) {
  DrawBatch_Begin();
  for (i32 s = 0; s < BONE2_SLOTS; ++s)
    if (g_Bone2SlotShown[s] == 1 && g_Bone2Slots[s]) DrawBone2Model(s, g_Bone2Slots[s]);
  DrawDev_SetTexture(0, nullptr);
  DrawBatch_End();
}
