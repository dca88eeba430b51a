// Bone motion evaluation: key segments of bones and groups, and the pose of one bone.
// Reads the model's tracks and the rest matrices of its pose record; writes only the bone
// records and the group key lists of the current motion.
#include "model/motion.h"

#include <string.h>

// [SECTION] Key segment

static i64 FrameAt(const void *firstFrame, size_t stride, bool unsignedFrames, i32 i) {
  const u8 *p = (const u8 *)firstFrame + (size_t)i * stride;
  if (unsignedFrames) {
    u32 v;
    memcpy(&v, p, 4);
    return (i64)v;
  }
  i32 v;
  memcpy(&v, p, 4);
  return (i64)v;
}

// (num / den) in f32, 0 for a span of zero or less (a last key at or past the motion's end).
static f32 SegmentFraction(i64 num, i64 den) {
  if (den <= 0) return 0.0f;
  return (f32)num / (f32)den;
}

void Motion_KeySegment(const void *firstFrame, size_t stride, bool unsignedFrames, i32 n, i32 frame,
                       i32 length, i32 *index, f32 *fraction) {
  if (n < 2 || !firstFrame) {
    *index = 0;
    *fraction = 0.0f;
    return;
  }
  i64 c = frame, L = length;
  i32 k = -1;
  for (i32 i = 0; i < n; i++)
    if (FrameAt(firstFrame, stride, unsignedFrames, i) <= c) k = i;
  i64 first = FrameAt(firstFrame, stride, unsignedFrames, 0);
  if (k >= 0 && k != n - 1 && c >= first) {
    i64 fk = FrameAt(firstFrame, stride, unsignedFrames, k);
    i64 fk1 = FrameAt(firstFrame, stride, unsignedFrames, k + 1);
    // A zero span (two keys on one frame) gives 0; a negative one only comes from unsorted keys.
    *index = k;
    *fraction = fk1 - fk == 0 ? 0.0f : (f32)(c - fk) / (f32)(fk1 - fk);
    return;
  }
  // Wrap from the last key through the motion's end to the first key.
  i64 last = FrameAt(firstFrame, stride, unsignedFrames, n - 1);
  i64 span = first + L - last;
  *index = n - 1;
  *fraction = c >= first ? SegmentFraction(c - last, span) : SegmentFraction(L - last + c, span);
}

// [SECTION] Rest matrices

i32 Model3_BoneParent(const Model3 *m, i32 b) {
  if (!m || b < 0 || b >= MODEL3_BONES) return 0;
  i32 p = m->bones[b].parent;
  return (p < 0 || p >= MODEL3_BONES) ? 0 : p;
}

void Model3_ComputeRestMatrices(const Model3 *m, Mat4 rest[MODEL3_BONES]) {
  i32 count = m->boneCount < 0 ? 0 : (m->boneCount > MODEL3_BONES ? MODEL3_BONES : m->boneCount);
  for (i32 b = 0; b < MODEL3_BONES; b++) {
    if (b == 0 || b >= count)
      Mat_Identity(&rest[b]);
    else
      Mat_Translation(&rest[b], m->boneRest[b].pos[0], m->boneRest[b].pos[1], m->boneRest[b].pos[2]);
  }
  // A bone is chained only through a parent of lower index, which is final by then.
  for (i32 c = 1; c < MODEL3_BONES; c++) {
    i32 p = Model3_BoneParent(m, c);
    if (p < c) Mat_Multiply(&rest[c], rest[c], rest[p]);
  }
}

// [SECTION] Key indices

static bool CurrentMotion(const Model3 *m) { return m->motion >= 0 && m->motion < MODEL3_MOTIONS; }

// Keys a track really holds (a count above the allocated room is never trusted).
static i32 KeysIn(const KeyTrack *t) {
  if (!t->keys || t->count <= 0) return 0;
  return t->count < t->capacity ? t->count : t->capacity;
}

void Model3_UpdateKeyIndices(i32 slot) {
  Model3 *m = Model3_Get(slot);
  if (!m || !CurrentMotion(m)) return;
  const Motion3 *mo = &m->motions[m->motion];
  i32 boneCount = m->boneCount > MODEL3_BONES ? MODEL3_BONES : m->boneCount;
  for (i32 b = 0; b < boneCount; b++) {
    Bone3 *bone = &m->bones[b];
    if (!bone->keys) continue;
    const KeyTrack *t = &bone->keys[m->motion];
    const void *frames = t->keys ? (const void *)&t->keys[0].frame : nullptr;
    Motion_KeySegment(frames, sizeof(BoneKey3), false, KeysIn(t), m->frame, mo->length,
                      &bone->keyIndex, &bone->keyFraction);
  }
  for (i32 g = 0; g < MODEL3_GROUPS; g++) {
    GroupKeyList3 *l = mo->groupKeys[g];
    if (!l) continue;
    // The list has room for 16 keys whatever its count says.
    i32 n = l->count > MODEL3_GROUP_KEYS ? MODEL3_GROUP_KEYS : l->count;
    Motion_KeySegment(&l->keys[0].frame, sizeof(GroupKey3), true, n, m->frame, mo->length, &l->keyIndex,
                      &l->keyFraction);
  }
}

// [SECTION] Bone evaluation

// The rest matrices bone evaluation reads: the slot's pose record's when it has one, else
// built into `scratch`.
static const Mat4 *RestMatricesOf(i32 slot, const Model3 *m, Mat4 *scratch) {
  const ModelPose *pose = (slot >= 0 && slot < MODEL3_SLOTS) ? g_ModelPoses[slot] : nullptr;
  if (pose) return pose->rest;
  Model3_ComputeRestMatrices(m, scratch);
  return scratch;
}

static void EvalBone(i32 slot, Model3 *m, i32 b, i32 k, f32 t, const Mat4 *rest) {
  Bone3 *bone = &m->bones[b];
  if (!bone->keys) return;
  const KeyTrack *track = &bone->keys[m->motion];
  i32 n = KeysIn(track);
  if (n <= 0) {
    bone->world[0] = bone->world[1] = bone->world[2] = 0.0f;
    bone->quat[0] = bone->quat[1] = bone->quat[2] = 0.0f;
    bone->quat[3] = 1.0f;
    bone->scale[0] = bone->scale[1] = bone->scale[2] = 1.0f;
    return;
  }
  // A stale index (keys removed since the segment was found) is kept inside the track.
  if (k < 0) k = 0;
  if (k >= n) k = n - 1;
  i32 k0 = k == 0 ? n - 1 : k - 1;
  i32 k1 = k + 1 == n ? 0 : k + 1;
  i32 k2 = k1 + 1 == n ? 0 : k1 + 1;
  const BoneKey3 *a = &track->keys[k0], *b0 = &track->keys[k], *c = &track->keys[k1], *d = &track->keys[k2];
  for (int i = 0; i < 3; i++)
    bone->local[i] = Motion_HermiteCatmullRom(a->pos[i], b0->pos[i], c->pos[i], d->pos[i], t);
  Quat q;
  q.x = Motion_HermiteCatmullRom(a->quat[0], b0->quat[0], c->quat[0], d->quat[0], t);
  q.y = Motion_HermiteCatmullRom(a->quat[1], b0->quat[1], c->quat[1], d->quat[1], t);
  q.z = Motion_HermiteCatmullRom(a->quat[2], b0->quat[2], c->quat[2], d->quat[2], t);
  q.w = Motion_HermiteCatmullRom(a->quat[3], b0->quat[3], c->quat[3], d->quat[3], t);
  Quat_Normalize(&q);
  bone->quat[0] = q.x;
  bone->quat[1] = q.y;
  bone->quat[2] = q.z;
  bone->quat[3] = q.w;
  for (int i = 0; i < 3; i++)
    bone->scale[i] = Motion_HermiteCatmullRom(a->scale[i], b0->scale[i], c->scale[i], d->scale[i], t);

  i32 p = Model3_BoneParent(m, b);
  if (p == b) {
    // The root (its own parent): based on zero, so its local key is not added again every frame.
    for (int i = 0; i < 3; i++) bone->world[i] = bone->local[i];
    return;
  }
  const f32 *ob = rest[b].m[3], *op = rest[p].m[3];
  const Bone3 *parent = &m->bones[p];
  Mat4 rot;
  Quat_ToMatrix(&rot, parent->quat[0], parent->quat[1], parent->quat[2], parent->quat[3]);
  f32 turned[3];
  Mat_TransformPoint(turned, ob[0] - op[0], ob[1] - op[1], ob[2] - op[2], rot);
  for (int i = 0; i < 3; i++) bone->world[i] = parent->world[i] + turned[i] + bone->local[i];
}

// Room for the rest matrices of a model whose slot has no pose block (the evaluations below
// never run inside one another).
static Mat4 s_RestScratch[MODEL3_BONES];

void Model3_EvalBoneKey(i32 slot, i32 b, i32 k, f32 t) {
  Model3 *m = Model3_Get(slot);
  if (!m || b < 0 || b >= MODEL3_BONES || !CurrentMotion(m)) return;
  EvalBone(slot, m, b, k, t, RestMatricesOf(slot, m, s_RestScratch));
}

void Model3_EvalBonePose(i32 slot) {
  Model3 *m = Model3_Get(slot);
  if (!m || !CurrentMotion(m)) return;
  Model3_UpdateKeyIndices(slot);
  const Mat4 *rest = RestMatricesOf(slot, m, s_RestScratch);
  i32 count = m->boneCount > MODEL3_BONES ? MODEL3_BONES : m->boneCount;
  for (i32 b = 0; b < count; b++) EvalBone(slot, m, b, m->bones[b].keyIndex, m->bones[b].keyFraction, rest);
}
