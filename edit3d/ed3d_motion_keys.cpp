// The motion editor's key store: bone keys (growable tracks, model/keytrack.h) and group keys
// (16 per list) at the current layer model's current motion and frame. Owns g_Ed3DMotion.
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "edit3d/ed3d_motion.h"

#include <string.h>

#include "app/startup_state.h"
#include "app/tree.h"
#include "app/views.h"
#include "model/motion.h"
#include "model/seam.h"

Ed3DMotionEditor g_Ed3DMotion = {0, 0, 0, 0, 0, 0, 0, 0, -1};

// [SECTION] helpers
static bool BoneMode(void) { return g_Ed3DMotion.target == ED3D_MOTION_TARGET_BONE; }
static bool GroupMode(void) { return g_Ed3DMotion.target == ED3D_MOTION_TARGET_GROUP; }

// The handed model when it has a current motion; null otherwise.
static Model3 *CurModel(const HookCtx *c) {
  Model3 *m = c->model;
  return (m && m->motion >= 0 && m->motion < MODEL3_MOTIONS) ? m : nullptr;
}

// Bones that may hold keys: 1 .. count - 1 (bone 0 is the root and never gets one).
static bool KeyedBone(const Model3 *m, i32 b) { return b > 0 && b < Model3_BoneCount(m); }

KeyTrack *Ed3D_MotionTrack(Model3 *m, i32 b) {
  if (!m || b < 0 || b >= MODEL3_BONES || !m->bones[b].keys) return nullptr;
  if (m->motion < 0 || m->motion >= MODEL3_MOTIONS) return nullptr;
  return &m->bones[b].keys[m->motion];   // every key table holds MODEL3_MOTIONS tracks
}


static GroupKeyList3 *GroupList(Model3 *m, const ShellSelection *sel) {
  if (sel->g_CurGroupIndex >= MODEL3_GROUPS) return nullptr;
  return m->motions[m->motion].groupKeys[sel->g_CurGroupIndex];
}

static i32 GroupCount(const GroupKeyList3 *l) {
  if (!l || l->count < 0) return 0;
  return l->count > MODEL3_GROUP_KEYS ? MODEL3_GROUP_KEYS : l->count;
}

static i32 GroupFind(const GroupKeyList3 *l, i32 frame) {
  for (i32 i = 0; i < GroupCount(l); i++)
    if ((i64)l->keys[i].frame == (i64)frame) return i;
  return -1;
}

// Inserts key into the list in frame order (the caller checked room and the frame).
static i32 GroupInsert(GroupKeyList3 *l, const GroupKey3 *key) {
  i32 n = GroupCount(l), k = 0;
  while (k < n && l->keys[k].frame < key->frame) k++;
  memmove(&l->keys[k + 1], &l->keys[k], (size_t)(n - k) * sizeof(GroupKey3));
  l->keys[k] = *key;
  l->count = n + 1;
  return k;
}

static void GroupRemove(GroupKeyList3 *l, i32 i) {
  i32 n = GroupCount(l);
  if (i < 0 || i >= n) return;
  memmove(&l->keys[i], &l->keys[i + 1], (size_t)(n - i - 1) * sizeof(GroupKey3));
  l->count = n - 1;
}

static i32 ClampFrame(i64 f) { return f < 0 ? 0 : (f > 0x7fffffff ? 0x7fffffff : (i32)f); }

// The motion's pose of bone b at the current frame, evaluated from its track as it is now.
static void PoseAtFrame(Model3 *m, u32 slot, i32 b, const KeyTrack *t, BoneKey3 *out) {
  i32 k = 0;
  f32 fr = 0;
  Motion_KeySegment(&t->keys[0].frame, sizeof(BoneKey3), false, KeyTrack_Count(t), m->frame, m->motions[m->motion].length,
                    &k, &fr);
  Model3_EvalBoneKey((i32)slot, b, k, fr);
  const Bone3 *bone = &m->bones[b];
  memcpy(out->pos, bone->local, sizeof out->pos);
  memcpy(out->quat, bone->quat, sizeof out->quat);
  memcpy(out->scale, bone->scale, sizeof out->scale);
}

// [SECTION] create
// The index of bone b's key at the current frame, made when missing; -1 when b takes no key.
static i32 EnsureBoneKey(Model3 *m, u32 slot, i32 b) {
  if (!KeyedBone(m, b) || !Model3_EnsureKeyTable(m, b)) return -1;
  KeyTrack *t = Ed3D_MotionTrack(m, b);
  if (!t) return -1;
  i32 have = KeyTrack_Find(t, m->frame);
  if (have >= 0) {
    m->bones[b].keyIndex = have;
    return have;
  }
  BoneKey3 key;
  BoneKey3_Identity(&key, m->frame);
  // The pose is taken before the insert, so the new key holds what the motion showed here.
  if (KeyTrack_Count(t) > 0) PoseAtFrame(m, slot, b, t, &key);
  key.frame = m->frame;
  i32 at = KeyTrack_Insert(t, &key);
  if (at < 0) return -1;
  m->bones[b].keyIndex = at;
  // A key made during a drag returns to the values it was made with when the drag restores.
  if (g_Ed3DMotion.dragOpen) {
    Ed3DMotionSnap &s = g_Ed3DMotion.snap[b];
    s.held = 1;
    s.frame = key.frame;
    memcpy(s.pos, key.pos, sizeof s.pos);
    memcpy(s.quat, key.quat, sizeof s.quat);
  }
  return at;
}

static bool CreateGroupKey(Model3 *m, const ShellSelection *sel) {
  if (sel->g_CurGroupIndex >= MODEL3_GROUPS) return false;
  GroupKeyList3 *l = Model3_EnsureGroupKeys(m, m->motion, (i32)sel->g_CurGroupIndex);
  if (!l || m->frame < 0 || GroupFind(l, m->frame) >= 0) return false;
  if (GroupCount(l) >= MODEL3_GROUP_KEYS) {
    if (g_Seam.errorBox) g_Seam.errorBox("グループのキーは 16 個までです。これ以上作成できません。");
    return false;
  }
  GroupKey3 key = {};
  key.frame = (u32)m->frame;
  for (f32 &v : key.values) v = 1.0f;
  i32 k = GroupInsert(l, &key);
  l->keyIndex = k;
  g_Ed3DMotion.keyIndex = k;
  return true;
}

bool Ed3D_CreateBoneKey(const HookCtx *c) {
  if (g_Shell.g_Playing == 1) return false;
  Model3 *m = CurModel(c);
  if (!m) return false;
  if (BoneMode()) {
    const KeyTrack *t = Ed3D_MotionTrack(m, (i32)c->sel->g_CurBoneIndex);
    i32 before = t ? KeyTrack_Count(t) : 0;
    if (EnsureBoneKey(m, c->slot, (i32)c->sel->g_CurBoneIndex) < 0) return false;
    t = Ed3D_MotionTrack(m, (i32)c->sel->g_CurBoneIndex);
    return t && KeyTrack_Count(t) != before;
  }
  return GroupMode() && CreateGroupKey(m, c->sel);
}

// [SECTION] move and delete
static bool MoveBoneKey(Model3 *m, i32 b, i32 delta) {
  KeyTrack *t = Ed3D_MotionTrack(m, b);
  i32 i = t ? KeyTrack_Find(t, m->frame) : -1;
  if (i < 0) return false;
  i32 target = ClampFrame((i64)m->frame + delta);
  if (KeyTrack_Find(t, target) >= 0) return false;
  // Out and back in: a move past other keys keeps the track in frame order.
  BoneKey3 key = t->keys[i];
  KeyTrack_Remove(t, i);
  key.frame = target;
  i32 at = KeyTrack_Insert(t, &key);   // no growth: the track just gave a key back
  if (at >= 0) m->bones[b].keyIndex = at;
  return at >= 0;
}

static void MoveGroupKey(Model3 *m, const ShellSelection *sel, i32 delta) {
  GroupKeyList3 *l = GroupList(m, sel);
  i32 i = GroupFind(l, m->frame);
  if (i < 0) return;
  i32 target = ClampFrame((i64)m->frame + delta);
  if (GroupFind(l, target) >= 0) return;
  GroupKey3 key = l->keys[i];
  GroupRemove(l, i);
  key.frame = (u32)target;
  g_Ed3DMotion.keyIndex = GroupInsert(l, &key);
}

void Ed3D_MoveKeyFrame(const HookCtx *c, i32 delta) {
  Model3 *m = CurModel(c);
  if (!m) return;
  if (BoneMode()) MoveBoneKey(m, (i32)c->sel->g_CurBoneIndex, delta);
  else if (GroupMode()) MoveGroupKey(m, c->sel, delta);
}

// Calls fn for b, then its first child's subtree, then its next sibling's, each bone at most
// once (links that loop end the walk). The handed selection's current bone is b's while fn runs.
typedef void (*BoneVisit)(const HookCtx *c, Model3 *m, i32 b, i32 arg);
static void WalkFrom(const HookCtx *c, Model3 *m, i32 b, BoneVisit fn, i32 arg, u8 seen[MODEL3_BONES], bool siblings) {
  while (b > 0 && b < MODEL3_BONES && !seen[b]) {
    seen[b] = 1;
    c->sel->g_CurBoneIndex = (u32)b;
    fn(c, m, b, arg);
    WalkFrom(c, m, m->bones[b].firstChild, fn, arg, seen, true);
    if (!siblings) return;
    b = m->bones[b].nextSibling;
  }
}

static bool RowsAllowWalk(void) { return g_TreeRows.count < TREE_ROWS; }

static void VisitMove(const HookCtx *, Model3 *m, i32 b, i32 delta) { MoveBoneKey(m, b, delta); }

void Ed3D_MoveKeyFrameTree(const HookCtx *c, i32 delta) {
  Model3 *m = CurModel(c);
  if (!m || !RowsAllowWalk()) return;
  u32 keep = c->sel->g_CurBoneIndex;
  u8 seen[MODEL3_BONES] = {};
  WalkFrom(c, m, (i32)keep, VisitMove, delta, seen, true);
  c->sel->g_CurBoneIndex = keep;
}

void Ed3D_DeleteKey(const HookCtx *c) {
  Model3 *m = CurModel(c);
  if (!m) return;
  if (BoneMode()) {
    KeyTrack *t = Ed3D_MotionTrack(m, (i32)c->sel->g_CurBoneIndex);
    if (t) KeyTrack_Remove(t, KeyTrack_Find(t, m->frame));
  } else if (GroupMode()) {
    GroupKeyList3 *l = GroupList(m, c->sel);
    GroupRemove(l, GroupFind(l, m->frame));
  }
}

// [SECTION] clipboard
void Ed3D_CopyKey(const HookCtx *c) {
  Model3 *m = CurModel(c);
  if (!m) return;
  Ed3DMotionEditor &e = g_Ed3DMotion;
  if (BoneMode()) {
    const KeyTrack *t = Ed3D_MotionTrack(m, (i32)c->sel->g_CurBoneIndex);
    i32 n = KeyTrack_Count(t);
    if (n == 0) return;
    i32 k = m->bones[c->sel->g_CurBoneIndex].keyIndex;
    e.clip = t->keys[k < 0 ? 0 : (k >= n ? n - 1 : k)];
    e.clipHeld = 1;
  } else if (GroupMode()) {
    const GroupKeyList3 *l = GroupList(m, c->sel);
    i32 n = GroupCount(l);
    if (n == 0) return;
    i32 k = e.keyIndex < 0 ? 0 : (e.keyIndex >= n ? n - 1 : e.keyIndex);
    e.groupClip = l->keys[k];
    e.groupClipHeld = 1;
  }
}

void Ed3D_CutKey(const HookCtx *c) {
  Ed3D_CopyKey(c);
  Ed3D_DeleteKey(c);
}

void Ed3D_PasteKey(const HookCtx *c) {
  Model3 *m = CurModel(c);
  if (!m) return;
  Ed3DMotionEditor &e = g_Ed3DMotion;
  if (BoneMode() ? !e.clipHeld : (!GroupMode() || !e.groupClipHeld)) return;
  Ed3D_CreateBoneKey(c);
  Model3_UpdateKeyIndices((i32)c->slot);
  if (BoneMode()) {
    KeyTrack *t = Ed3D_MotionTrack(m, (i32)c->sel->g_CurBoneIndex);
    i32 i = t ? KeyTrack_Find(t, m->frame) : -1;
    if (i < 0) return;
    t->keys[i] = e.clip;
    t->keys[i].frame = m->frame;
  } else {
    GroupKeyList3 *l = GroupList(m, c->sel);
    i32 i = GroupFind(l, m->frame);
    if (i < 0) return;
    l->keys[i] = e.groupClip;
    l->keys[i].frame = (u32)m->frame;
  }
}

// [SECTION] key index and neighbours
void Ed3D_UpdateCurrentKeyIndex(const HookCtx *c) {
  Model3 *m = CurModel(c);
  if (!m) return;
  i32 k = -1;
  if (BoneMode()) {
    const KeyTrack *t = Ed3D_MotionTrack(m, (i32)c->sel->g_CurBoneIndex);
    if (KeyTrack_Count(t)) k = KeyTrack_FindAtOrBefore(t, m->frame);
  } else if (GroupMode()) {
    const GroupKeyList3 *l = GroupList(m, c->sel);
    for (i32 i = 0; i < GroupCount(l) && (i64)l->keys[i].frame <= (i64)m->frame; i++) k = i;
  } else {
    return;
  }
  g_Ed3DMotion.keyIndex = k < 0 ? 0 : k;
}

// Frames of the current track or group list, in order; the count.
static i32 CurrentFrames(Model3 *m, const ShellSelection *sel, const BoneKey3 **bone, const GroupKeyList3 **group) {
  *bone = nullptr;
  *group = nullptr;
  if (BoneMode()) {
    const KeyTrack *t = Ed3D_MotionTrack(m, (i32)sel->g_CurBoneIndex);
    *bone = KeyTrack_Count(t) ? t->keys : nullptr;
    return KeyTrack_Count(t);
  }
  if (!GroupMode()) return 0;
  *group = GroupList(m, sel);
  return GroupCount(*group);
}

static i64 FrameOf(const BoneKey3 *bk, const GroupKeyList3 *gl, i32 i) {
  return bk ? (i64)bk[i].frame : (i64)gl->keys[i].frame;
}

i32 Ed3D_PrevKeyFrame(const HookCtx *c, i32 f) {
  Model3 *m = CurModel(c);
  if (!m) return f;
  const BoneKey3 *bk;
  const GroupKeyList3 *gl;
  for (i32 i = CurrentFrames(m, c->sel, &bk, &gl) - 1; i >= 0; i--)
    if (FrameOf(bk, gl, i) < f) return (i32)FrameOf(bk, gl, i);
  return f;
}

i32 Ed3D_NextKeyFrame(const HookCtx *c, i32 f) {
  Model3 *m = CurModel(c);
  if (!m) return f;
  const BoneKey3 *bk;
  const GroupKeyList3 *gl;
  i32 n = CurrentFrames(m, c->sel, &bk, &gl);
  for (i32 i = 0; i < n; i++)
    if (FrameOf(bk, gl, i) > f && FrameOf(bk, gl, i) <= 0x7fffffff) return (i32)FrameOf(bk, gl, i);
  return f;
}

void Ed3D_SnapToNearKey(const HookCtx *c) {
  Model3 *m = CurModel(c);
  if (!m) return;
  const BoneKey3 *bk;
  const GroupKeyList3 *gl;
  i32 n = CurrentFrames(m, c->sel, &bk, &gl);
  i64 f = m->frame, best = 99999;
  for (i32 i = 0; i < n; i++) {
    i64 d = FrameOf(bk, gl, i) - f + 3;
    if (d < 0) d = -d;
    if (d < best && d < 5) {
      m->frame = (i32)FrameOf(bk, gl, i);
      best = d;
    }
  }
}

void Ed3D_MotionWheelKey(const HookCtx *c) {
  i32 step = c->step;
  Model3 *m = CurModel(c);
  if (!m) return;
  m->frame = step < 0 ? Ed3D_PrevKeyFrame(c, m->frame) : Ed3D_NextKeyFrame(c, m->frame);
  Model3_UpdateKeyIndices((i32)c->slot);
  Ed3D_UpdateCurrentKeyIndex(c);
  g_Ed3DMotion.dialogRefresh = 1;
  g_Ed3DMotion.keyDialogRefresh = 1;
}

// [SECTION] subtree rotations
static void VisitRotate(const HookCtx *c, Model3 *m, i32 b, i32) {
  i32 i = EnsureBoneKey(m, c->slot, b);
  if (i < 0) return;
  BoneKey3 &k = Ed3D_MotionTrack(m, b)->keys[i];
  Quat q = {k.quat[0], k.quat[1], k.quat[2], k.quat[3]};
  Quat_MulInPlace(&q, g_Ed3DMotion.delta);
  k.quat[0] = q.x;
  k.quat[1] = q.y;
  k.quat[2] = q.z;
  k.quat[3] = q.w;
}

static void VisitReset(const HookCtx *c, Model3 *m, i32 b, i32) {
  i32 i = EnsureBoneKey(m, c->slot, b);
  if (i < 0) return;
  f32 *q = Ed3D_MotionTrack(m, b)->keys[i].quat;
  q[0] = q[1] = q[2] = 0.0f;
  q[3] = 1.0f;
}

// Both walks make keys, which the playback never does.
static void WalkSubtree(const HookCtx *c, i32 b, BoneVisit fn) {
  if (g_Shell.g_Playing == 1) return;
  Model3 *m = CurModel(c);
  if (!m || !RowsAllowWalk()) return;
  u8 seen[MODEL3_BONES] = {};
  WalkFrom(c, m, b, fn, 0, seen, true);
}

void Ed3D_RotateSubtree(const HookCtx *c, i32 b) { WalkSubtree(c, b, VisitRotate); }
void Ed3D_ResetSubtreeRotation(const HookCtx *c, i32 b) { WalkSubtree(c, b, VisitReset); }
