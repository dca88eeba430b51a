// Device buffers of the render modes (see rebuild.h).
#include "lib/render/rebuild.h"

#include <stdlib.h>
#include <string.h>

#include "lib/render/objects.h"
#include "lib/render/rdev.h"

// [SECTION] Byte images

static u8 *PutF32(u8 *p, f32 v) { memcpy(p, &v, 4); return p + 4; }
static u8 *PutU32(u8 *p, u32 v) { memcpy(p, &v, 4); return p + 4; }
static u8 *PutVec3(u8 *p, const Vec3 *v) { return PutF32(PutF32(PutF32(p, v->x), v->y), v->z); }

void Mesh_WriteVertex36(u8 *dst, const Vec3 *pos, const Vec3 *normal, u32 diffuse, const Vec2 *uv) {
  u8 *p = PutVec3(dst, pos);
  p = PutVec3(p, normal);
  p = PutU32(p, diffuse);
  PutF32(PutF32(p, uv->u), uv->v);
}

void Mesh_WriteVertex40(u8 *dst, const Vec3 *pos, f32 weight, const Vec3 *normal, u32 diffuse, const Vec2 *uv) {
  u8 *p = PutF32(PutVec3(dst, pos), weight);
  p = PutVec3(p, normal);
  p = PutU32(p, diffuse);
  PutF32(PutF32(p, uv->u), uv->v);
}

void Mesh_WriteVertex44(u8 *dst, const Vec3 *pos, f32 weight, u32 bones, const Vec3 *normal, u32 diffuse,
                        const Vec2 *uv) {
  u8 *p = PutU32(PutF32(PutVec3(dst, pos), weight), bones);
  p = PutU32(PutVec3(p, normal), diffuse);
  PutF32(PutF32(p, uv->u), uv->v);
}

void Mesh_EffectBinding(const VertexBinding *b, i32 boneCount, f32 *weight, u32 *bone1, u32 *bone2) {
  u32 b1 = b->bone1 < boneCount ? b->bone1 : 0, b2 = b->bone2 < boneCount ? b->bone2 : 0;
  f32 w = b->weight;
  if (w == 1.0f) b2 = b1;
  else if (!(w > 0.0f && w < 1.0f)) w = 0.0f, b1 = b2;
  *weight = w;
  *bone1 = b1;
  *bone2 = b2;
}

i32 Mesh_FanIndexCount(const MeshPoly *polys, i32 count) {
  i32 n = 0;
  for (i32 i = 0; i < count; ++i)
    if (polys[i].cornerCount >= 3) n += 3 * (polys[i].cornerCount - 2);
  return n;
}

i32 Mesh_WriteFanIndices(void *dst, bool index32, const MeshPoly *polys, i32 count) {
  i32 n = 0;
  for (i32 i = 0; i < count; ++i) {
    const MeshPoly &p = polys[i];
    for (i32 t = 0; t + 2 < p.cornerCount; ++t) {
      u32 tri[3] = {p.index[0], p.index[t + 1], p.index[t + 2]};
      for (u32 v : tri) {
        if (index32) ((u32 *)dst)[n++] = v;
        else ((u16 *)dst)[n++] = (u16)v;
      }
    }
  }
  return n;
}

// [SECTION] Per-mode builders

static i32 GroupLimit(const Model3 *m) {
  return m->groupCount < 0 ? 0 : (m->groupCount > MODEL3_GROUPS ? MODEL3_GROUPS : m->groupCount);
}

// A new vertex buffer of `bytes`, locked for writing; null (and *vb null) when creation or
// the lock fails, so a failed buffer leaves nothing to draw.
static u8 *NewLockedVertexBuffer(void **vb, u32 bytes) {
  *vb = RDev_CreateVertexBuffer(bytes);
  u8 *dst = (u8 *)RDev_LockVertex(*vb);
  if (!dst) RDev_Release(vb);
  return dst;
}

// The fan indices of `polys` in a new index buffer: the index count written, or 0 (and *ib
// null) when creation or the lock fails.
static i32 NewFanIndexBuffer(void **ib, const MeshPoly *polys, i32 count, bool index32) {
  *ib = RDev_CreateIndexBuffer((u32)Mesh_FanIndexCount(polys, count), index32);
  void *dst = RDev_LockIndex(*ib);
  if (!dst) {
    RDev_Release(ib);
    return 0;
  }
  i32 written = Mesh_WriteFanIndices(dst, index32, polys, count);
  RDev_UnlockIndex(*ib);
  return written;
}

// The fan corners of one polygon of group g as vertices of the mode-1 buffer, from dst on;
// returns the position after them.
static u8 *WriteFanVertices(const Model3 *m, const Polygon3 *p, u32 g, u8 *dst) {
  for (i32 t = 0; t + 2 < p->cornerCount; ++t) {
    const i32 fan[3] = {0, t + 1, t + 2};
    for (i32 c : fan) {
      const PolyCorner *pc = &p->corners[c];
      Vec3 nrm = (m->normals && (i64)pc->normal < (i64)m->normalCount) ? m->normals[pc->normal] : Vec3{0, 0, 0};
      Vec2 uv = (m->uvs && (i64)pc->uv < (i64)m->uvCount) ? m->uvs[pc->uv] : Vec2{0, 0};
      Color4 col = Mesh_CornerColor(m, pc, g);
      Mesh_WriteVertex36(dst, &m->positions[pc->vertex], &nrm, Mesh_PackColor(&col), &uv);
      dst += MESH_VERTEX36;
    }
  }
  return dst;
}

// Mode 1: one triangle-list vertex buffer per group, its polygons in polygon order. One pass
// counts every group's vertices, one pass writes each polygon into its group's buffer.
static void BuildGroupVertexBuffers(const Model3 *m, ModelPose *pose) {
  i32 groups = GroupLimit(m);
  i32 n[MODEL3_GROUPS] = {};
  for (i32 i = 0; i < m->polygonCount; ++i) {
    const Polygon3 *p = &m->polygons[i];
    if (p->group < (u32)groups && Mesh_PolygonUsable(m, p)) n[p->group] += 3 * (p->cornerCount - 2);
  }
  void *vb[MODEL3_GROUPS] = {};
  u8 *dst[MODEL3_GROUPS] = {};
  for (i32 g = 0; g < groups; ++g)
    if (n[g] > 0) dst[g] = NewLockedVertexBuffer(&vb[g], (u32)n[g] * MESH_VERTEX36);
  for (i32 i = 0; i < m->polygonCount; ++i) {
    const Polygon3 *p = &m->polygons[i];
    if (p->group >= (u32)groups || !dst[p->group] || !Mesh_PolygonUsable(m, p)) continue;
    dst[p->group] = WriteFanVertices(m, p, p->group, dst[p->group]);
  }
  for (i32 g = 0; g < groups; ++g) {
    if (!dst[g]) continue;
    RDev_UnlockVertex(vb[g]);
    pose->vertexBuffers[g] = vb[g];
    pose->primCounts[g] = n[g];
  }
}

// Modes 2 and 4: one index buffer per group over the welded vertices.
static void BuildGroupIndexBuffers(const Model3 *m, ModelPose *pose, const WeldedMesh *w) {
  bool index32 = Mesh_NeedsIndex32(w->vertexCount);
  for (i32 g = 0; g < GroupLimit(m); ++g) {
    pose->primCounts[g] = 0;
    const MeshGroupList &list = w->groups[g];
    if (Mesh_FanIndexCount(list.polys, list.count) == 0) continue;
    RDev_Release(&pose->indexBuffers[g]);
    pose->primCounts[g] = NewFanIndexBuffer(&pose->indexBuffers[g], list.polys, list.count, index32);
  }
}

static void BuildIndexedBuffers(i32 slot, const Model3 *m, ModelPose *pose) {
  if (!Draw_BuildIndexedMesh2(slot)) return;
  const WeldedMesh *w = g_Meshes.indexed2[slot];
  void *vb = nullptr;
  u8 *dst = NewLockedVertexBuffer(&vb, (u32)w->vertexCount * MESH_VERTEX36);
  if (!dst) return;
  for (i32 v = 0; v < w->vertexCount; ++v)
    Mesh_WriteVertex36(dst + (size_t)v * MESH_VERTEX36, &w->positions[v], &w->normals[v],
                       Mesh_PackColor(&w->colors[v]), &w->uvs[v]);
  RDev_UnlockVertex(vb);
  pose->vertexBuffers[0] = vb;
  BuildGroupIndexBuffers(m, pose, w);
}

static i32 EffectBoneCount(const Model3 *m) {
  return m->boneCount < 1 ? 1 : (m->boneCount > MODEL3_BONES ? MODEL3_BONES : m->boneCount);
}

// Writes welded vertex v as a 44-byte vertex whose index bytes are `b1`, `b2`.
static void WriteBoneVertex(u8 *dst, const WeldedMesh *w, i32 v, f32 weight, u32 b1, u32 b2) {
  Mesh_WriteVertex44(dst, &w->positions[v], weight, b1 | b2 << 8, &w->normals[v], Mesh_PackColor(&w->colors[v]),
                     &w->uvs[v]);
}

// [SECTION] Bone batches of mode 4

// Palette positions of the bones of the batch being filled; 0xFF = not in it.
struct BatchFill {
  u8 slotOf[MODEL3_BONES];
  BoneBatch4 batch;
};

static void BatchFill_Start(BatchFill *f, i32 group) {
  memset(f->slotOf, 0xFF, sizeof f->slotOf);
  memset(&f->batch, 0, sizeof f->batch);
  f->batch.group = group;
}

// The distinct bones of a polygon's corners (at most 8).
static i32 PolygonBones(const WeldedMesh *w, const MeshPoly *p, i32 boneCount, u32 out[8]) {
  i32 n = 0;
  for (i32 c = 0; c < p->cornerCount; ++c) {
    f32 weight;
    u32 b[2];
    Mesh_EffectBinding(&w->bindings[p->index[c]], boneCount, &weight, &b[0], &b[1]);
    for (u32 bone : b) {
      bool seen = false;
      for (i32 k = 0; k < n; ++k) seen = seen || out[k] == bone;
      if (!seen) out[n++] = bone;
    }
  }
  return n;
}

// Device buffers of one batch: its polygons polys[first .. last) of the group, their welded
// vertices copied once each with index bytes re-mapped into the batch's palette.
static bool WriteBatchBuffers(BatchFill *f, const WeldedMesh *w, const MeshPoly *polys, i32 first, i32 last,
                              i32 boneCount, i32 *localOf) {
  BoneBatch4 *b = &f->batch;
  i32 corners = 0;
  for (i32 i = first; i < last; ++i) corners += polys[i].cornerCount;
  MeshPoly *local = (MeshPoly *)calloc((size_t)(last - first + 1), sizeof(MeshPoly));
  i32 *order = (i32 *)malloc(sizeof(i32) * (size_t)(corners + 1));
  bool ok = local && order;
  i32 count = 0;
  for (i32 i = first; ok && i < last; ++i) {
    local[i - first].cornerCount = polys[i].cornerCount;
    for (i32 c = 0; c < polys[i].cornerCount; ++c) {
      u32 v = polys[i].index[c];
      if (localOf[v] < 0) localOf[v] = count, order[count++] = (i32)v;
      local[i - first].index[c] = (u32)localOf[v];
    }
  }
  u8 *dst = ok ? NewLockedVertexBuffer(&b->vertexBuffer, (u32)count * MESH_VERTEX44) : nullptr;
  if (dst) {
    for (i32 k = 0; k < count; ++k) {
      f32 weight;
      u32 b1, b2;
      Mesh_EffectBinding(&w->bindings[order[k]], boneCount, &weight, &b1, &b2);
      WriteBoneVertex(dst + (size_t)k * MESH_VERTEX44, w, order[k], weight, f->slotOf[b1], f->slotOf[b2]);
    }
    RDev_UnlockVertex(b->vertexBuffer);
    b->vertexCount = count;
    b->indexCount = NewFanIndexBuffer(&b->indexBuffer, local, last - first, Mesh_NeedsIndex32(count));
  }
  for (i32 k = 0; ok && k < count; ++k) localOf[order[k]] = -1;
  free(local);
  free(order);
  return dst && b->indexCount > 0;
}

// Splits every group into batches of at most BONE_BATCH_BONES distinct bones, in polygon
// order (a polygon never straddles two batches).
static void BuildBoneBatches(const Model3 *m, WeldedMesh *w) {
  i32 boneCount = EffectBoneCount(m);
  i32 *localOf = (i32 *)malloc(sizeof(i32) * (size_t)(w->vertexCount + 1));
  BatchFill *f = (BatchFill *)malloc(sizeof(BatchFill));
  if (!localOf || !f) {
    free(localOf);
    free(f);
    return;
  }
  for (i32 v = 0; v < w->vertexCount; ++v) localOf[v] = -1;
  for (i32 g = 0; g < GroupLimit(m); ++g) {
    const MeshGroupList &list = w->groups[g];
    i32 first = 0;
    BatchFill_Start(f, g);
    for (i32 i = 0; i <= list.count; ++i) {
      u32 bones[8];
      i32 n = i < list.count ? PolygonBones(w, &list.polys[i], boneCount, bones) : 0;
      i32 fresh = 0;
      for (i32 k = 0; k < n; ++k) fresh += f->slotOf[bones[k]] == 0xFF;
      bool close = i == list.count || f->batch.boneCount + fresh > BONE_BATCH_BONES;
      if (close && i > first && Mesh_FanIndexCount(&list.polys[first], i - first) > 0) {
        if (WriteBatchBuffers(f, w, list.polys, first, i, boneCount, localOf)) {
          BoneBatch4 *grown = (BoneBatch4 *)realloc(w->batches, sizeof(BoneBatch4) * (size_t)(w->batchCount + 1));
          if (grown) w->batches = grown, w->batches[w->batchCount++] = f->batch;
          else RDev_Release(&f->batch.vertexBuffer), RDev_Release(&f->batch.indexBuffer);
        } else {
          RDev_Release(&f->batch.vertexBuffer);
          RDev_Release(&f->batch.indexBuffer);
        }
      }
      if (close) {
        BatchFill_Start(f, g);
        first = i;
      }
      for (i32 k = 0; k < n; ++k)
        if (f->slotOf[bones[k]] == 0xFF) {
          f->slotOf[bones[k]] = (u8)f->batch.boneCount;
          f->batch.bones[f->batch.boneCount++] = (u8)bones[k];
        }
    }
  }
  free(localOf);
  free(f);
}

// Mode 4: the welded vertices with both bones of their binding (index bytes are bone
// numbers) and the group index buffers; a model with more bones than one palette holds
// gets its bone batches as well, which the bone effect draws instead.
static void BuildWeightedBuffers(i32 slot, const Model3 *m, ModelPose *pose) {
  if (!Draw_BuildWeightedMesh4(slot)) return;
  WeldedMesh *w = g_Meshes.weighted4[slot];
  void *vb = nullptr;
  u8 *dst = NewLockedVertexBuffer(&vb, (u32)w->vertexCount * MESH_VERTEX44);
  if (!dst) return;
  i32 boneCount = EffectBoneCount(m);
  for (i32 v = 0; v < w->vertexCount; ++v) {
    f32 weight;
    u32 b1, b2;
    Mesh_EffectBinding(&w->bindings[v], boneCount, &weight, &b1, &b2);
    WriteBoneVertex(dst + (size_t)v * MESH_VERTEX44, w, v, weight, b1, b2);
  }
  RDev_UnlockVertex(vb);
  pose->vertexBuffers[0] = vb;
  BuildGroupIndexBuffers(m, pose, w);
  if (boneCount > BONE_BATCH_BONES) BuildBoneBatches(m, w);
}

static void BuildSubMeshBuffers(SubMesh3 *s) {
  void *vb = nullptr;
  u8 *dst = NewLockedVertexBuffer(&vb, (u32)s->vertexCount * MESH_VERTEX40);
  if (!dst) return;
  for (i32 v = 0; v < s->vertexCount; ++v)
    Mesh_WriteVertex40(dst + (size_t)v * MESH_VERTEX40, &s->positions[v], s->weights[v], &s->normals[v],
                       Mesh_PackColor(&s->colors[v]), &s->uvs[v]);
  RDev_UnlockVertex(vb);
  s->vertexBuffer = vb;
  s->indexCount = 0;
  if (Mesh_FanIndexCount(s->polys, s->polygonCount) == 0) return;
  RDev_Release(&s->indexBuffer);
  s->indexCount = NewFanIndexBuffer(&s->indexBuffer, s->polys, s->polygonCount, Mesh_NeedsIndex32(s->vertexCount));
}

static void BuildPaletteBuffers(i32 slot, const Model3 *m) {
  if (!Draw_BuildPaletteMesh3(slot)) return;
  PaletteMesh3 *pm = g_Meshes.palette3[slot];
  for (i32 g = 0; g < GroupLimit(m); ++g)
    for (i32 s = 0; s < pm->groups[g].subCount; ++s) BuildSubMeshBuffers(&pm->groups[g].subs[s]);
}

// [SECTION] Entry points

void Render_RebuildSlot(i32 slot) {
  Model3 *m = Model3_Get(slot);
  ModelPose *pose = g_ModelPoses[slot];
  if (!m || !pose) return;
  for (i32 g = 0; g < MODEL3_GROUPS; ++g) {
    RDev_Release(&pose->vertexBuffers[g]);
    pose->primCounts[g] = 0;
  }
  switch (m->renderMode) {
    case 1: BuildGroupVertexBuffers(m, pose); break;
    case 2: BuildIndexedBuffers(slot, m, pose); break;
    case 3: BuildPaletteBuffers(slot, m); break;
    case 4: BuildWeightedBuffers(slot, m, pose); break;
    case 7:
      // Stored directly: the changed flag stays clear, so this does not repeat every frame.
      if (!Draw_BuildDisplacedModel(slot)) m->renderMode = 0;
      break;
    default: break;
  }
}

void Render_ReleaseSlotBuffers(i32 slot) {
  if (slot < 0 || slot >= MODEL3_SLOTS) return;
  if (ModelPose *pose = g_ModelPoses[slot])
    for (i32 g = 0; g < MODEL3_GROUPS; ++g) {
      RDev_Release(&pose->vertexBuffers[g]);
      RDev_Release(&pose->indexBuffers[g]);
      pose->primCounts[g] = 0;
    }
  if (PaletteMesh3 *pm = g_Meshes.palette3[slot])
    for (i32 g = 0; g < MODEL3_GROUPS; ++g)
      for (i32 s = 0; s < pm->groups[g].subCount; ++s) {
        RDev_Release(&pm->groups[g].subs[s].vertexBuffer);
        RDev_Release(&pm->groups[g].subs[s].indexBuffer);
        pm->groups[g].subs[s].indexCount = 0;
      }
  if (WeldedMesh *w = g_Meshes.weighted4[slot])
    for (i32 b = 0; b < w->batchCount; ++b) {
      RDev_Release(&w->batches[b].vertexBuffer);
      RDev_Release(&w->batches[b].indexBuffer);
    }
  if (Model3 *m = Model3_Get(slot)) m->changed = 1;
}

void Object_RebuildModelMeshes(void) {
  for (i32 slot = 0; slot < MODEL3_SLOTS; ++slot) {
    Model3 *m = g_Model3Slots[slot];
    if (!m || !g_ModelPoses[slot] || m->positionCount <= 0 || m->changed != 1) continue;
    m->changed = 0;
    Render_RebuildSlot(slot);
  }
}

// [SECTION] Per-frame pass connection

static bool IndexedMeshSkin(i32 slot, SkinTarget *out) {
  if (slot < 0 || slot >= MODEL3_SLOTS || !g_Meshes.indexed2[slot]) return false;
  WeldedMesh *w = g_Meshes.indexed2[slot];
  out->count = w->vertexCount;
  out->positions = w->positions;
  out->bindings = w->bindings;
  out->posed = w->posed;
  out->sources = w->sources;
  return true;
}

static bool PaletteFlags(i32 slot, const u8 **vertexFlags, i32 *vertexCount, const u8 **normalFlags,
                         i32 *polygonCount) {
  if (slot < 0 || slot >= MODEL3_SLOTS || !g_Meshes.palette3[slot]) return false;
  const PaletteMesh3 *pm = g_Meshes.palette3[slot];
  *vertexFlags = pm->vertexFlags;
  *vertexCount = pm->vertexCount;
  *normalFlags = pm->normalFlags;
  *polygonCount = pm->polygonCount;
  return true;
}

void Render_InstallPassHooks(void) {
  g_LibHooks.rebuildModelMeshes = Object_RebuildModelMeshes;
  g_LibHooks.indexedMeshSkin = IndexedMeshSkin;
  g_LibHooks.paletteFlags = PaletteFlags;
}
