// The per-frame skinning of the 2D bone models: every shown slot's skin moved by its bones,
// redone only where an input changed since the slot was last skinned.
//
// Owns the per-slot record of what each slot was last skinned from (s_Skinned); the skin
// itself is the model's `skinned` array.
#include <string.h>

#include "model/bone2.h"

namespace {

// What one bone does to every vertex bound to it: (p - origin) through the pose matrix,
// with the matrix's x and y columns (the z row kept, so the sums are those of
// Mat_TransformPoint term for term).
struct SkinBone {
  f32 ox, oy;
  f32 x0, x1, x2, x3;   // column x: rows 0..3
  f32 y0, y1, y2, y3;   // column y
};

// What a slot was last skinned from.
struct SkinnedFrom {
  const Bone2Model *model;
  u32 revision;
  i32 vertexCount, boneCount;
  i32 frame, motion;
  SkinBone bones[BONE2_MAX_BONES];
};

SkinnedFrom s_Skinned[BONE2_SLOTS];

i32 BoneTotal(const Bone2Model *m) { return m->boneCount <= 0 ? 0 : m->boneCount < BONE2_MAX_BONES ? m->boneCount : BONE2_MAX_BONES; }

i32 VertexTotal(const Bone2Model *m) { return m->vertexCount < m->vertexCapacity ? m->vertexCount : m->vertexCapacity; }

// A bone number of a binding; numbers outside the model stand for the root.
inline i32 BindingBone(u16 b, i32 bones) { return (i32)b < bones ? (i32)b : 0; }

void BuildBone(SkinBone *out, const Mat4 &rest, const Mat4 &pose) {
  f32 o[3];
  Mat_TransformPoint(o, 0.0f, 0.0f, 0.0f, rest);   // the rest origin, as every vertex once took it
  out->ox = o[0];
  out->oy = o[1];
  out->x0 = pose.m[0][0], out->x1 = pose.m[1][0], out->x2 = pose.m[2][0], out->x3 = pose.m[3][0];
  out->y0 = pose.m[0][1], out->y1 = pose.m[1][1], out->y2 = pose.m[2][1], out->y3 = pose.m[3][1];
}

// The bone table of a slot (bone 0 always, so a model without bones skins onto the root).
i32 BuildBones(i32 s, const Bone2Model *m, SkinBone *bones) {
  i32 n = BoneTotal(m);
  for (i32 b = 0; b < (n > 0 ? n : 1); b++) BuildBone(&bones[b], g_Bone2.restMatrices[s][b], g_Bone2.poseMatrices[s][b]);
  return n;
}

inline Bone2Point BonePoint(const SkinBone &b, const Bone2Point &p) {
  f32 dx = p.x - b.ox, dy = p.y - b.oy;
  return {dx * b.x0 + dy * b.x1 + 0.0f * b.x2 + b.x3, dx * b.y0 + dy * b.y1 + 0.0f * b.y2 + b.y3};
}

inline void SkinVertex(const SkinBone *bones, i32 n, const VertexBinding &bind, const Bone2Point &p, Bone2Point *out) {
  Bone2Point q1 = BonePoint(bones[BindingBone(bind.bone1, n)], p);
  f32 w = bind.weight;
  if (w > 0.0f && w < 1.0f) {
    Bone2Point q2 = BonePoint(bones[BindingBone(bind.bone2, n)], p);
    out->x = q1.x + (q2.x - q1.x) * (1.0f - w);
    out->y = q1.y + (q2.y - q1.y) * (1.0f - w);
  } else {
    *out = q1;
  }
}

bool Skinnable(i32 s) {
  const Bone2Model *m = s >= 0 && s < BONE2_SLOTS ? g_Bone2Slots[s] : nullptr;
  return m && m->positions && m->bindings && m->skinned;
}

void SkinWhole(i32 s, SkinnedFrom *from) {
  Bone2Model *m = g_Bone2Slots[s];
  i32 n = BuildBones(s, m, from->bones), nv = VertexTotal(m);
  for (i32 v = 0; v < nv; v++) SkinVertex(from->bones, n, m->bindings[v], m->positions[v], &m->skinned[v]);
  from->model = m;
  from->revision = g_Bone2.revision;
  from->vertexCount = m->vertexCount;
  from->boneCount = m->boneCount;
  from->frame = m->currentFrame;
  from->motion = m->currentMotion;
}

// Only the vertices of bones whose table entry moved since the slot was skinned.
void SkinMoved(i32 s, SkinnedFrom *from) {
  Bone2Model *m = g_Bone2Slots[s];
  SkinBone now[BONE2_MAX_BONES];
  i32 n = BuildBones(s, m, now);
  u8 moved[BONE2_MAX_BONES] = {};
  bool any = false;
  for (i32 b = 0; b < (n > 0 ? n : 1); b++) {
    moved[b] = memcmp(&now[b], &from->bones[b], sizeof now[b]) != 0;
    any = any || moved[b];
  }
  from->frame = m->currentFrame;
  from->motion = m->currentMotion;
  if (!any) return;
  memcpy(from->bones, now, sizeof now);
  i32 nv = VertexTotal(m);
  for (i32 v = 0; v < nv; v++) {
    const VertexBinding &bind = m->bindings[v];
    bool blend = bind.weight > 0.0f && bind.weight < 1.0f;
    if (moved[BindingBone(bind.bone1, n)] || (blend && moved[BindingBone(bind.bone2, n)]))
      SkinVertex(now, n, bind, m->positions[v], &m->skinned[v]);
  }
}

}  // namespace

void Bone2_ModelChanged(void) { g_Bone2.revision++; }

void Bone2_SkinSlot(i32 s) {
  if (Skinnable(s)) SkinWhole(s, &s_Skinned[s]);
}

void Bone2_SkinAll(void) {
  if (g_Bone2SkinPaused) return;
  for (i32 s = 0; s < BONE2_SLOTS; s++) {
    if (g_Bone2SlotShown[s] != 1 || !g_Bone2Slots[s]) continue;
    const Bone2Model *m = g_Bone2Slots[s];
    SkinnedFrom *from = &s_Skinned[s];
    bool sameModel = from->model == m && from->revision == g_Bone2.revision && from->vertexCount == m->vertexCount &&
                     from->boneCount == m->boneCount;
    // Nothing a pose or the skin is made of moved: the matrices and the skin stand.
    if (sameModel && from->frame == m->currentFrame && from->motion == m->currentMotion) continue;
    Bone2_BuildSlotMatrices(s);
    if (!Skinnable(s)) {
      from->model = nullptr;
      continue;
    }
    if (sameModel) SkinMoved(s, from);
    else SkinWhole(s, from);
  }
}
