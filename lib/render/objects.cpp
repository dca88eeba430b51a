// Scene objects and the per-frame model pass: object creation, world matrices, rest and
// posed bone matrices, two-bone skinning, face-averaged normals, the device vertex buffer
// refresh of render modes 1 and 2, and the one-frame animation step.
//
// Owns g_LibHooks. Writes each slot's ModelPose matrices and its model's posed and
// vertexNormals arrays; nothing is allocated during the pass.
#include "lib/render/objects.h"

#include <math.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <new>

#include "lib/framework/d3dapp.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "model/bone2.h"
#include "model/mesh.h"
#include "model/motion.h"
#include "model/kzo.h"
#include "model/obj2.h"
#include "model/seam_errorbox.h"
#include "model/str.h"


// Bytes of one vertex in the buffers of modes 1 and 2: position, normal, colour, u, v.
static const size_t kBufferVertexBytes = 36;

static i32 BoneCountOf(const Model3 *m) {
  return m->boneCount < 0 ? 0 : (m->boneCount > MODEL3_BONES ? MODEL3_BONES : m->boneCount);
}
static i32 UsablePositions(const Model3 *m) {
  if (!m->positions || !m->posed || m->positionCount <= 0) return 0;
  return m->positionCount < m->capPositions ? m->positionCount : m->capPositions;
}
static i32 UsablePolygons(const Model3 *m) {
  if (!m->polygons || m->polygonCount <= 0) return 0;
  return m->polygonCount < m->capPolygons ? m->polygonCount : m->capPolygons;
}

// [SECTION] Scene objects

KZL::OBJECT *ObjectInit(i32 n) {
  if (n < 0 || n >= SCENE_OBJECTS) {
    // A negative index is refused like one past the table.
    Str_Format(g_Lib.textBuf, sizeof g_Lib.textBuf, "ObjectInit(%d) 最大数を超えました。", n);
    Seam_ErrorBox(g_Lib.textBuf);
    return nullptr;
  }
  if (KZL::OBJECT *old = g_SceneObjects[n]) {
    // Its destructor, then its memory (the class has no virtual destructor to delete through).
    old->~OBJECT();
    ::operator delete(old);
    g_SceneObjects[n] = nullptr;
  }
  if (g_ObjectSideRecords[n]) {
    free(g_ObjectSideRecords[n]);
    g_ObjectSideRecords[n] = nullptr;
  }
  void *mem = ::operator new(sizeof(KZL::OBJECT), std::nothrow);
  KZL::OBJECT *o = mem ? new (mem) KZL::OBJECT() : nullptr;
  ObjectSideRecord *side = (ObjectSideRecord *)calloc(1, sizeof(ObjectSideRecord));
  g_SceneObjects[n] = o;
  g_ObjectSideRecords[n] = side;
  if (o && side) {
    o->inUse = 1;
    o->shown = 1;
    o->number = n;
    o->modelSlot = n;
    o->rotation = {0.0f, 0.0f, 0.0f, 1.0f};
  }
  return o;
}

Model3 *Object_ModelOf(const KZL::OBJECT *o) { return o ? Model3_Get(o->modelSlot) : nullptr; }

void Object_UpdateWorldMatrix(i32 n) {
  if (n < 0 || n >= SCENE_OBJECTS) return;
  KZL::OBJECT *o = g_SceneObjects[n];
  ObjectSideRecord *side = g_ObjectSideRecords[n];
  if (!o || !side) return;
  if (side->rotationForm == 1) {
    Quat q = o->rotation;
    Quat_Normalize(&q);
    Mat_ComposeSRTQuat(&side->world, o->pos[0], o->pos[1], o->pos[2], q.x, q.y, q.z, q.w, o->scale[0],
                       o->scale[1], o->scale[2]);
  } else {
    Mat_ComposeSRTEuler(&side->world, o->pos[0], o->pos[1], o->pos[2], o->angles[0], o->angles[1],
                        o->angles[2], o->scale[0], o->scale[1], o->scale[2]);
  }
}

// [SECTION] Bone matrices

void Model3_BuildRestMatrices(void) {
  for (i32 s = 0; s < MODEL3_SLOTS; s++)
    if (g_Model3Slots[s] && g_ModelPoses[s]) Model3_ComputeRestMatrices(g_Model3Slots[s], g_ModelPoses[s]->rest);
}

static Quat BoneRotation(const Model3 *m, i32 b) {
  Quat q = {m->bones[b].quat[0], m->bones[b].quat[1], m->bones[b].quat[2], m->bones[b].quat[3]};
  Quat_Normalize(&q);
  return q;
}

static void EvalSlotPose(i32 slot) {
  Model3 *m = g_Model3Slots[slot];
  ModelPose *pose = g_ModelPoses[slot];
  i32 count = BoneCountOf(m);
  Model3_UpdateKeyIndices(slot);
  for (i32 b = 0; b < MODEL3_BONES; b++) {
    if (b < count) Model3_EvalBoneKey(slot, b, m->bones[b].keyIndex, m->bones[b].keyFraction);
    if (b == 0 || b >= count) {
      // The root draws at the origin unturned; unused bones stay the identity.
      Mat_Identity(&pose->posed[b]);
      Mat_Identity(&pose->accumRot[b]);
      Quat_Identity(&pose->accumQuat[b]);
      continue;
    }
    const Bone3 *bone = &m->bones[b];
    Quat q = BoneRotation(m, b);
    Mat_ComposeSRTQuat(&pose->posed[b], bone->world[0], bone->world[1], bone->world[2], q.x, q.y, q.z, q.w,
                       bone->scale[0], bone->scale[1], bone->scale[2]);
    Quat_ToMatrix(&pose->accumRot[b], q.x, q.y, q.z, q.w);
    pose->accumQuat[b] = q;
  }
  // A parent's rotation enters only the accumulated rotations, chained through lower parents:
  // in index order a lower parent is final when its child comes.
  for (i32 c = 1; c < count; c++) {
    i32 p = Model3_BoneParent(m, c);
    if (p >= c) continue;
    Mat_Multiply(&pose->accumRot[c], pose->accumRot[c], pose->accumRot[p]);
    Quat_MulInPlace(&pose->accumQuat[c], pose->accumQuat[p]);
  }
}

void Model3_EvalPoseMatrices(void) {
  for (i32 s = 0; s < MODEL3_SLOTS; s++)
    if (g_Model3Slots[s] && g_ModelPoses[s]) EvalSlotPose(s);
}

// [SECTION] Skinning
//
// Each vertex is moved by its two bones as (p - origin) * posed, blended by weight. The loop
// runs on four-float vectors (x, y, z and an unused lane) with every lane doing the scalar
// formula's operations in the scalar formula's order, so the results are bit for bit those
// of the per-component code; both bones are always computed and the weight picks the result
// without a branch.

typedef f32 SkinV4 __attribute__((vector_size(16)));

// p * m without the perspective divide, summed in the order of Mat_TransformPoint.
static inline void TransformPoint(const Mat4 *m, f32 x, f32 y, f32 z, f32 out[3]) {
  for (int c = 0; c < 3; c++) out[c] = x * m->m[0][c] + y * m->m[1][c] + z * m->m[2][c] + m->m[3][c];
}

// A bone as the skinning loop reads it: the rows of its posed matrix and the origin of its
// rest matrix, (0, 0, 0) * rest.
struct SkinBone {
  SkinV4 row[4];
  SkinV4 origin;
};
struct SkinTable {
  SkinBone bone[MODEL3_BONES];
  i32 count;
};

static void SkinTable_Build(const ModelPose *pose, i32 boneCount, SkinTable *t) {
  t->count = boneCount;
  for (i32 b = 0; b < boneCount; b++) {
    const Mat4 *m = &pose->posed[b];
    for (int i = 0; i < 4; i++) t->bone[b].row[i] = SkinV4{m->m[i][0], m->m[i][1], m->m[i][2], m->m[i][3]};
    f32 o[3];
    TransformPoint(&pose->rest[b], 0.0f, 0.0f, 0.0f, o);
    t->bone[b].origin = SkinV4{o[0], o[1], o[2], 0.0f};
  }
}

static inline SkinV4 Splat(f32 v) { return SkinV4{v, v, v, v}; }

// (p - origin) * posed of one bone.
static inline SkinV4 BonePoint(const SkinBone *b, SkinV4 p) {
  SkinV4 d = p - b->origin;
  return Splat(d[0]) * b->row[0] + Splat(d[1]) * b->row[1] + Splat(d[2]) * b->row[2] + b->row[3];
}

// One vertex: a bone number past the bones is set to 0 in the binding (as it is drawn).
// Between 0 and 1 the blend, exactly 1 the first bone, anything else (NaN too) the second;
// the weight class is a branch, as runs of vertices bound alike make it predictable.
static inline SkinV4 SkinVector(const SkinTable *t, VertexBinding *bind, SkinV4 v) {
  u32 b1 = bind->bone1, b2 = bind->bone2;
  u32 c1 = b1 < (u32)t->count ? b1 : 0, c2 = b2 < (u32)t->count ? b2 : 0;
  if (__builtin_expect((c1 != b1) | (c2 != b2), 0)) {
    bind->bone1 = (u16)c1;
    bind->bone2 = (u16)c2;
  }
  f32 w = bind->weight;
  if (w > 0.0f && w < 1.0f) {
    SkinV4 q1 = BonePoint(&t->bone[c1], v), q2 = BonePoint(&t->bone[c2], v);
    return q1 + (q2 - q1) * Splat(1.0f - w);
  }
  return BonePoint(&t->bone[w == 1.0f ? c1 : c2], v);
}

static inline void SkinWith(const SkinTable *t, VertexBinding *bind, const Vec3 *p, Vec3 *out) {
  SkinV4 r = SkinVector(t, bind, SkinV4{p->x, p->y, p->z, 0.0f});
  out->x = r[0];
  out->y = r[1];
  out->z = r[2];
}

void Object_SkinPoint(const ModelPose *pose, i32 boneCount, VertexBinding *bind, const Vec3 *p, Vec3 *out) {
  if (boneCount <= 0) boneCount = 1;   // bone 0 always has matrices
  if (boneCount > MODEL3_BONES) boneCount = MODEL3_BONES;
  SkinTable t;
  SkinTable_Build(pose, boneCount, &t);
  SkinWith(&t, bind, p, out);
}

// Skins n points (only those flagged when flags is given) with one table of bones.
static void SkinPoints(const Model3 *m, const ModelPose *pose, VertexBinding *binds, const Vec3 *pts, Vec3 *out,
                       i32 n, const u8 *flags) {
  i32 bones = BoneCountOf(m);
  if (bones <= 0) bones = 1;   // bone 0 always has matrices
  SkinTable t;
  SkinTable_Build(pose, bones, &t);
  if (flags) {
    for (i32 v = 0; v < n; v++)
      if (flags[v]) SkinWith(&t, &binds[v], &pts[v], &out[v]);
    return;
  }
  // Points and results move as 16 bytes: the fourth float of a load is the next point's x
  // (unused), a store's fourth float lands on the next result, written right after. So the
  // last point goes alone, and so does every point when the arrays overlap.
  i32 wide = n - 1;
  uintptr_t pb = (uintptr_t)pts, ob = (uintptr_t)out;
  if (n > 0 && pb < ob + (size_t)n * sizeof(Vec3) && ob < pb + (size_t)n * sizeof(Vec3)) wide = 0;
  for (i32 v = 0; v < wide; v++) {
    SkinV4 p;
    memcpy(&p, &pts[v], sizeof p);
    SkinV4 r = SkinVector(&t, &binds[v], p);
    memcpy(&out[v], &r, sizeof r);
  }
  for (i32 v = wide < 0 ? 0 : wide; v < n; v++) SkinWith(&t, &binds[v], &pts[v], &out[v]);
}

void Object_SkinModel(i32 slot) {
  Model3 *m = Model3_Get(slot);
  ModelPose *pose = (slot >= 0 && slot < MODEL3_SLOTS) ? g_ModelPoses[slot] : nullptr;
  if (!m || !pose || !m->bindings) return;
  SkinPoints(m, pose, m->bindings, m->positions, m->posed, UsablePositions(m), nullptr);
}

static void SkinFlagged(Model3 *m, const ModelPose *pose, const u8 *flags, i32 flagCount) {
  i32 P = UsablePositions(m);
  if (!m->bindings) return;
  if (P > flagCount) P = flagCount;   // vertices added since the flags were built
  SkinPoints(m, pose, m->bindings, m->positions, m->posed, P, flags);
}

// [SECTION] Device buffers of modes 1 and 2

static void WriteFloats(u8 *vertex, size_t offset, const Vec3 *v) {
  memcpy(vertex + offset, &v->x, 4);
  memcpy(vertex + offset + 4, &v->y, 4);
  memcpy(vertex + offset + 8, &v->z, 4);
}

// Mode 1: every group buffer gets the fan corners of its polygons in polygon order.
static void RefreshGroupBuffers(Model3 *m, ModelPose *pose) {
  const LibHooks &h = g_LibHooks;
  if (!h.lockVertexBuffer || !h.unlockVertexBuffer) return;
  i32 groups = m->groupCount < 0 ? 0 : (m->groupCount > MODEL3_GROUPS ? MODEL3_GROUPS : m->groupCount);
  u8 *base[MODEL3_GROUPS] = {};
  i32 written[MODEL3_GROUPS] = {};
  bool any = false;
  for (i32 g = 0; g < groups; g++) {
    if (pose->primCounts[g] <= 0 || !pose->vertexBuffers[g]) continue;
    base[g] = (u8 *)h.lockVertexBuffer(pose->vertexBuffers[g]);
    any = any || base[g];
  }
  if (!any) return;
  i32 P = UsablePositions(m), N = UsablePolygons(m);
  bool normals = m->normalUpdate == 1 && m->vertexNormals;
  for (i32 i = 0; i < N; i++) {
    const Polygon3 *poly = &m->polygons[i];
    u32 g = poly->group;
    i32 cc = poly->cornerCount > 4 ? 4 : poly->cornerCount;
    if (g >= (u32)groups || !base[g] || cc < 3) continue;
    for (i32 t = 0; t + 2 < cc; t++) {
      const i32 fan[3] = {0, t + 1, t + 2};
      for (int j = 0; j < 3; j++) {
        // Never past the vertices the buffer was made with.
        if (written[g] >= pose->primCounts[g]) break;
        u32 v = poly->corners[fan[j]].vertex;
        u8 *vertex = base[g] + (size_t)written[g]++ * kBufferVertexBytes;
        if (v >= (u32)P) continue;
        WriteFloats(vertex, 0, &m->posed[v]);
        if (normals) WriteFloats(vertex, 12, &m->vertexNormals[v]);
      }
    }
  }
  for (i32 g = 0; g < groups; g++)
    if (base[g]) h.unlockVertexBuffer(pose->vertexBuffers[g]);
}

// Mode 2: the welded vertices of the indexed mesh take the posed position and vertex normal
// of the model vertex each was made from (the model is skinned first, as in mode 1), and
// both go into vertex buffer 0, so its normals turn with the bones as mode 1's do.
static void RefreshIndexedMesh(i32 slot, Model3 *m, ModelPose *pose) {
  const LibHooks &h = g_LibHooks;
  SkinTarget target = {};
  if (!h.indexedMeshSkin || !h.indexedMeshSkin(slot, &target) || target.count <= 0 || !target.positions ||
      !target.bindings || !target.posed)
    return;
  i32 P = UsablePositions(m);
  bool fromModel = target.sources && P > 0 && m->bindings;
  if (fromModel) {
    for (i32 v = 0; v < target.count; v++) {
      i32 src = target.sources[v];
      target.posed[v] = (src >= 0 && src < P) ? m->posed[src] : target.positions[v];
    }
  } else {
    SkinPoints(m, pose, target.bindings, target.positions, target.posed, target.count, nullptr);
  }
  if (pose->primCounts[0] <= 0 || !pose->vertexBuffers[0] || !h.lockVertexBuffer || !h.unlockVertexBuffer) return;
  u8 *base = (u8 *)h.lockVertexBuffer(pose->vertexBuffers[0]);
  if (!base) return;
  bool normals = fromModel && m->normalUpdate == 1 && m->vertexNormals;
  for (i32 v = 0; v < target.count; v++) {
    u8 *vertex = base + (size_t)v * kBufferVertexBytes;
    WriteFloats(vertex, 0, &target.posed[v]);
    i32 src = target.sources ? target.sources[v] : -1;
    if (normals && src >= 0 && src < P) WriteFloats(vertex, 12, &m->vertexNormals[src]);
  }
  h.unlockVertexBuffer(pose->vertexBuffers[0]);
}

// The whole model skinned into its posed arrays, normals averaged when they are updated.
static void SkinWholeModel(i32 slot, Model3 *m) {
  Object_SkinModel(slot);
  if (m->normalUpdate == 1) Mesh_FrameNormals(m, m->posed);
}

bool Object_NeedsPosedArrays(const Model3 *m) {
  if (!m) return false;
  if (m->immediate == 1 || m->shadowKind == 2 || m->shadowKind == 21 || m->shadowKind == 3) return true;
  if (m->shadowMode == 3) return true;   // the preview's 3D shadow is cast from the posed shape
  return g_Lib.config.shaderMode != 0;
}

// [SECTION] The per-frame pass

static void DeformSlot(i32 slot) {
  Model3 *m = g_Model3Slots[slot];
  ModelPose *pose = g_ModelPoses[slot];
  switch (m->renderMode) {
    case 0:
    case 1:
      SkinWholeModel(slot, m);
      if (m->renderMode == 1) RefreshGroupBuffers(m, pose);
      break;
    case 2:
      SkinWholeModel(slot, m);
      RefreshIndexedMesh(slot, m, pose);
      break;
    case 3: {
      // The edge, the shadows and the shader frame read every posed vertex, not only those
      // the bone-pair meshes leave to the processor.
      if (Object_NeedsPosedArrays(m)) {
        SkinWholeModel(slot, m);
        break;
      }
      const u8 *vertexFlags = nullptr, *polygonFlags = nullptr;
      i32 vertexCount = 0, polygonCount = 0;
      if (!g_LibHooks.paletteFlags ||
          !g_LibHooks.paletteFlags(slot, &vertexFlags, &vertexCount, &polygonFlags, &polygonCount) ||
          !vertexFlags || !polygonFlags)
        break;
      SkinFlagged(m, pose, vertexFlags, vertexCount);
      if (m->normalUpdate == 1 && m->lighting)
        Mesh_AverageNormals(m, m->posed, polygonFlags, polygonCount, vertexFlags, vertexCount);
      break;
    }
    case 4:
      // Drawn skinned by the bone effect; the posed arrays only for their other readers.
      if (Object_NeedsPosedArrays(m)) SkinWholeModel(slot, m);
      break;
    default:
      // Modes 5 to 7 are drawn without CPU deformation.
      break;
  }
}

// [SECTION] What each slot's pose was made from
//
// A slot's matrices and deformed arrays depend on its model's document (bones, keys,
// vertices, bindings), its frame and motion and the settings the deformation reads. The
// frame, motion and settings are compared here; a change of the document is announced by
// Object_PosesChanged, and a slot whose render data is rebuilt is posed again too (its device
// buffers are new).
struct PoseStamp {
  const Model3 *model;
  const ModelPose *pose;
  u32 revision;
  i32 frame, motion, boneCount;
  u32 renderMode, poseUpdate, normalUpdate, lighting;
  bool posedArrays;
};

static PoseStamp s_PoseStamps[MODEL3_SLOTS];
static u32 s_PoseRevision = 1;   // 0 in a stamp: never posed

void Object_PosesChanged(void) {
  if (++s_PoseRevision == 0) s_PoseRevision = 1;
}

static PoseStamp StampOf(i32 slot) {
  const Model3 *m = g_Model3Slots[slot];
  PoseStamp t = {m, g_ModelPoses[slot], s_PoseRevision, m->frame, m->motion, m->boneCount,
                 m->renderMode, m->poseUpdate, m->normalUpdate, m->lighting, Object_NeedsPosedArrays(m)};
  return t;
}

static bool SameStamp(const PoseStamp &a, const PoseStamp &b) {
  return a.model == b.model && a.pose == b.pose && a.revision == b.revision && a.frame == b.frame &&
         a.motion == b.motion && a.boneCount == b.boneCount && a.renderMode == b.renderMode &&
         a.poseUpdate == b.poseUpdate && a.normalUpdate == b.normalUpdate && a.lighting == b.lighting &&
         a.posedArrays == b.posedArrays;
}

static void RebuildChangedMeshes(void) {
  for (i32 s = 0; s < MODEL3_SLOTS; s++)
    if (g_Model3Slots[s] && g_Model3Slots[s]->changed == 1) s_PoseStamps[s].revision = 0;
  if (g_LibHooks.rebuildModelMeshes) g_LibHooks.rebuildModelMeshes();
}

// Rest and posed matrices of one slot, then its deformation.
static void PoseSlot(i32 s) {
  Model3 *m = g_Model3Slots[s];
  Model3_ComputeRestMatrices(m, g_ModelPoses[s]->rest);
  EvalSlotPose(s);
  if (m->poseUpdate == 1) DeformSlot(s);
  s_PoseStamps[s] = StampOf(s);
}

void Object_UpdateFrame(void) {
  if (g_FrameOutputSuppressed) return;   // screen output off: no pose pass
  if (g_LibHooks.rebuildModelMeshes) g_LibHooks.rebuildModelMeshes();
  Model3_BuildRestMatrices();
  Model3_EvalPoseMatrices();
  for (i32 n = 0; n < SCENE_OBJECTS; n++) Object_UpdateWorldMatrix(n);
  for (i32 s = 0; s < MODEL3_SLOTS; s++) {
    Model3 *m = g_Model3Slots[s];
    if (!m || !g_ModelPoses[s]) continue;
    if (m->poseUpdate == 1) DeformSlot(s);
    s_PoseStamps[s] = StampOf(s);
  }
}

void Object_UpdateChangedFrame(void) {
  if (g_FrameOutputSuppressed) {
    Object_PosesChanged();   // whatever changes meanwhile is posed when output resumes
    return;
  }
  RebuildChangedMeshes();
  for (i32 n = 0; n < SCENE_OBJECTS; n++) Object_UpdateWorldMatrix(n);
  for (i32 s = 0; s < MODEL3_SLOTS; s++) {
    if (!g_Model3Slots[s] || !g_ModelPoses[s]) continue;
    if (!SameStamp(s_PoseStamps[s], StampOf(s))) PoseSlot(s);
  }
}

// [SECTION] Animation step

void Object_AdvanceModelFrame(i32 slot, f32 step) {
  Model3 *m = Model3_Get(slot);
  if (!m) return;
  // A delta that is not a finite, non-negative number would stop the clock for good.
  if (!(step >= 0.0f) || isinf(step)) step = 0.0f;
  if (!(m->frameFraction >= 0.0f) || isinf(m->frameFraction)) m->frameFraction = 0.0f;
  m->frameFraction += step;
  if (m->frameFraction < 1.0f) return;
  i32 length = (m->motion >= 0 && m->motion < MODEL3_MOTIONS) ? m->motions[m->motion].length : 0;
  // Whole frames to advance; subtracting them keeps the same fraction as subtracting 1 at a
  // time. An absurd count is cut (a float that large has no fraction left anyway).
  f32 whole = floorf(m->frameFraction);
  m->frameFraction -= whole;
  i64 steps = whole > 1e15f ? (i64)1e15 : (i64)whole;
  // The play state repeats with the motion's length once it has wrapped, which takes at most
  // length + 2 frames; a long pause skips whole repeats instead of running them.
  i64 period = length > 0 ? length : 1;
  if (steps > 2 * period + 2) steps = period + 2 + (steps - period - 2) % period;
  for (i64 i = 0; i < steps; i++) {
    m->frame++;
    // Only the last frame's key indices survive.
    if (i == steps - 1) Model3_UpdateKeyIndices(slot);
    if (m->frame < 0) m->frame = 0;
    if (m->frame >= length) {
      m->frame = 0;
      m->motionEnded = 1;
    }
  }
}

// Back to frame 0 once the frame leaves the motion (no motion counts as length 0).
template <class Motion>
static void WrapToMotion(i32 *frame, i32 motion, const Motion *motions, i32 motionCount) {
  i32 length = (motion >= 0 && motion < motionCount) ? motions[motion].length : 0;
  if (*frame < 0 || *frame >= length) *frame = 0;
}

void Object_StepAnimations(void) {
  if (g_D3DApp.videoActive) return;
  if (g_LibHooks.moviePlaybackTick) g_LibHooks.moviePlaybackTick();
  for (i32 s = 0; s < OBJ2_SLOTS; s++) {
    Obj2Model *o = g_Obj2Slots[s];
    if (!o || !g_Obj2SlotShown[s] || !o->active) continue;
    o->currentFrame++;
    Obj2_UpdateKeyIndices(s);
    WrapToMotion(&o->currentFrame, o->currentMotion, o->motions, OBJ2_MAX_MOTIONS);
  }
  for (i32 s = 0; s < BONE2_SLOTS; s++) {
    Bone2Model *b = g_Bone2Slots[s];
    if (!b) continue;
    b->currentFrame++;
    Bone2_UpdateKeyIndices(s);
    WrapToMotion(&b->currentFrame, b->currentMotion, b->motions, BONE2_MAX_MOTIONS);
  }
  for (i32 n = 0; n < OBJ3_SETS; n++) {
    Obj3Set *set = g_Obj3Sets[n];
    if (!set || !g_Obj3PartLoaded[n][0]) continue;
    set->frame++;
    Kzo_FindKeySegment(n);
    WrapToMotion(&set->frame, set->motion, set->motions, OBJ3_MOTIONS);
  }
  f32 step = Lib_IsVSync() ? g_Lib.frameDelta : 1.0f;
  for (i32 s = 0; s < MODEL3_SLOTS; s++)
    if (g_Model3Slots[s]) Object_AdvanceModelFrame(s, step);
  Obj2_UpdateAll();
  Bone2_SkinAll();
  Kzo_UpdatePoses();
  Object_UpdateFrame();
}
