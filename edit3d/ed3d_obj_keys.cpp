// The object motion editor's key store on object set 0: keys made, deleted, copied, cut and
// pasted for every object at once (the frame list of a motion is shared and every object's
// key array is index-aligned with it), the rotation of a subtree's keys, playback and the
// wheel's key steps.
#include <string.h>

#include "app/docflags.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/startup_state.h"
#include "app/strip.h"
#include "app/tree.h"
#include "app/views.h"
#include "edit3d/objmotion.h"
#include "model/seam_errorbox.h"

// [SECTION] helpers
static Obj3Set *Set(void) { return g_Obj3Sets[0]; }

static void IdentityKey(ObjKey3 *k) {
  memset(k, 0, sizeof *k);
  k->quat[3] = 1.0f;
  k->scale[0] = k->scale[1] = k->scale[2] = 1.0f;
}

static void MarkEdited(void) { Doc_MarkEdited(DOC_OBJ3); }

Obj3Motion *Ed3D_ObjMotion(void) {
  Obj3Set *s = Set();
  if (!s || s->motion < 0 || s->motion >= OBJ3_MOTIONS) return nullptr;
  return &s->motions[s->motion];
}

ObjKey3 *Ed3D_ObjKey(i32 o, i32 k) {
  Obj3Set *s = Set();
  if (!s || o < 0 || o >= OBJ3_PARTS || s->motion < 0 || s->motion >= OBJ3_MOTIONS) return nullptr;
  Obj3Part &p = s->parts[o];
  if (!p.keyLists) return nullptr;
  Obj3KeyList &l = p.keyLists[s->motion];
  if (!l.keys || k < 0 || k >= l.capacity || k >= OBJ3_KEYS) return nullptr;
  return &l.keys[k];
}

i32 Ed3D_ObjKeyAtFrame(void) {
  Obj3Motion *mo = Ed3D_ObjMotion();
  if (!mo) return -1;
  for (i32 i = 0; i < Kzo_KeyCount(mo); i++)
    if (mo->keyFrames[i] == Set()->frame) return i;
  return -1;
}

// The set's key index and fraction for its current frame.
static void FindSegment(void) { Kzo_FindKeySegment(0); }

// [SECTION] create and delete
bool Ed3D_CreateObjKey(void) {
  Obj3Set *s = Set();
  Obj3Motion *mo = Ed3D_ObjMotion();
  if (!s || !mo || g_Shell.g_Playing == 1 || Ed3D_ObjKeyAtFrame() >= 0) return false;
  i32 n = Kzo_KeyCount(mo);
  if (n >= OBJ3_KEYS) {
    Seam_ErrorBoxf("キーフレームは 1 モーションに %d 個までです。これ以上作成できません。", (int)OBJ3_KEYS);
    return false;
  }
  // Each object's pose at the current frame, taken before the later keys move up: the keys
  // after the insertion point would otherwise be read in the wrong places.
  ObjKey3 pose[OBJ3_PARTS];
  i32 count = Kzo_ObjectCount(s);
  FindSegment();
  for (i32 o = 0; o < count; o++) {
    IdentityKey(&pose[o]);
    if (n == 0 || !g_Obj3Poses[0]) continue;
    Kzo_EvalPartKey(0, o, s->keyIndex, s->fraction);
    const Obj3Part &p = s->parts[o];
    memcpy(pose[o].pos, p.keyPos, sizeof pose[o].pos);
    pose[o].quat[0] = p.rotation.x, pose[o].quat[1] = p.rotation.y;
    pose[o].quat[2] = p.rotation.z, pose[o].quat[3] = p.rotation.w;
    memcpy(pose[o].scale, p.scale, sizeof pose[o].scale);
  }
  i32 k = 0;
  while (k < n && mo->keyFrames[k] < s->frame) k++;
  for (i32 i = n; i > k; i--) mo->keyFrames[i] = mo->keyFrames[i - 1];
  for (i32 o = 0; o < count; o++) {
    for (i32 i = n; i > k; i--) {
      ObjKey3 *a = Ed3D_ObjKey(o, i), *b = Ed3D_ObjKey(o, i - 1);
      if (a && b) *a = *b;
    }
    if (ObjKey3 *d = Ed3D_ObjKey(o, k)) *d = pose[o];
  }
  mo->keyFrames[k] = s->frame;
  mo->keyCount = n + 1;
  FindSegment();
  MarkEdited();
  return true;
}

void Ed3D_DeleteObjKey(void) {
  Obj3Set *s = Set();
  Obj3Motion *mo = Ed3D_ObjMotion();
  i32 k = Ed3D_ObjKeyAtFrame();
  if (!s || !mo || k < 0) return;
  i32 n = Kzo_KeyCount(mo);
  if (n > 1) {
    for (i32 i = k; i < n - 1; i++) mo->keyFrames[i] = mo->keyFrames[i + 1];
    for (i32 o = 0; o < Kzo_ObjectCount(s); o++)
      for (i32 i = k; i < n - 1; i++) {
        ObjKey3 *a = Ed3D_ObjKey(o, i), *b = Ed3D_ObjKey(o, i + 1);
        if (a && b) *a = *b;
      }
  }
  mo->keyCount = n - 1;
  FindSegment();
  MarkEdited();
}

// [SECTION] clipboard
void Ed3D_CopyObjKey(void) {
  Ed3DObjMotionEditorState &e = Ed3DObjMotionEditor;
  Obj3Set *s = Set();
  if (!s || !Ed3D_ObjMotion()) return;
  FindSegment();
  for (i32 o = 0; o < OBJ3_PARTS; o++) {
    const ObjKey3 *k = Ed3D_ObjKey(o, s->keyIndex);
    if (k) e.clip[o] = *k;
    else IdentityKey(&e.clip[o]);
  }
  e.clipHeld = 1;
}

void Ed3D_CutObjKey(void) {
  Ed3D_CopyObjKey();
  Ed3D_DeleteObjKey();
}

void Ed3D_PasteObjKey(void) {
  Ed3DObjMotionEditorState &e = Ed3DObjMotionEditor;
  Obj3Set *s = Set();
  Obj3Motion *mo = Ed3D_ObjMotion();
  if (!s || !mo || !e.clipHeld || g_Shell.g_Playing == 1) return;
  Ed3D_CreateObjKey();
  // Only onto a key at the current frame: with a full list no key was made, and writing the
  // segment's key would give it a frame out of order.
  i32 k = Ed3D_ObjKeyAtFrame();
  if (k < 0) return;
  for (i32 o = 0; o < OBJ3_PARTS; o++)
    if (ObjKey3 *d = Ed3D_ObjKey(o, k)) *d = e.clip[o];
  mo->keyFrames[k] = s->frame;
  FindSegment();
  MarkEdited();
}

// [SECTION] subtree rotation
// Multiplies the delta into o's key at the current frame, then its first child's subtree and
// its next sibling's; `seen` stops a walk round links that loop (a set read from a file).
static void RotateWalk(ShellSelection *sel, i32 o, u32 *seen) {
  Obj3Set *s = Set();
  if (!s || o <= 0 || o >= Kzo_ObjectCount(s) || (*seen & (1u << o)) || g_TreeRows.count >= TREE_ROWS) return;
  *seen |= 1u << o;
  sel->g_CurPartIndex = (u32)o;
  Ed3D_CreateObjKey();
  i32 k = Ed3D_ObjKeyAtFrame();
  if (ObjKey3 *key = Ed3D_ObjKey(o, k)) {
    Quat q = {key->quat[0], key->quat[1], key->quat[2], key->quat[3]};
    Quat_MulInPlace(&q, Ed3DObjMotionEditor.delta);
    key->quat[0] = q.x, key->quat[1] = q.y, key->quat[2] = q.z, key->quat[3] = q.w;
  }
  RotateWalk(sel, s->parts[o].firstChild, seen);
  RotateWalk(sel, s->parts[o].nextSibling, seen);
}

void Ed3D_RotateObjSubtree(ShellSelection *sel, i32 o) {
  u32 seen = 0;
  RotateWalk(sel, o, &seen);
  MarkEdited();
}

// [SECTION] playback
void Ed3D_ObjTogglePlay(void) {
  if (g_Shell.g_Playing == 0) Ed3D_ObjPlay();
  else Ed3D_ObjStop();
}

void Ed3D_ObjPlay(void) {
  Obj3Set *s = Set();
  Play_Start(&g_Ed3DObjKeyStrip.play, s ? &s->frame : nullptr, &Ed3DObjMotionEditor.savedFrame);
}

void Ed3D_ObjStop(void) {
  Obj3Set *s = Set();
  Play_Stop(&g_Ed3DObjKeyStrip.play, s ? &s->frame : nullptr, Ed3DObjMotionEditor.savedFrame);
  if (s) FindSegment();
}

// [SECTION] wheel
static const HierRow *CurrentRow(void) {
  const TreeRows &t = g_TreeRows;
  if (t.current < 0 || t.current >= t.count || t.current >= TREE_ROWS) return nullptr;
  return &t.rows[t.current];
}

static i32 RowKeyCount(const HierRow *r) {
  return r->keyCount < 0 ? 0 : (r->keyCount > TREE_ROW_KEYS ? TREE_ROW_KEYS : r->keyCount);
}

i32 Ed3D_NextRowKeyFrame(i32 f) {
  const HierRow *r = CurrentRow();
  if (!r) return f;
  for (i32 i = 0; i < RowKeyCount(r); i++)
    if (r->keyFrames[i] > f) return r->keyFrames[i];
  return f;
}

i32 Ed3D_PrevRowKeyFrame(i32 f) {
  const HierRow *r = CurrentRow();
  if (!r) return f;
  for (i32 i = RowKeyCount(r) - 1; i >= 0; i--)
    if (r->keyFrames[i] < f) return r->keyFrames[i];
  return f;
}

void Ed3D_ObjMotionWheelKey(const HookCtx *c) {
  i32 step = c->step;
  Obj3Set *s = Set();
  if (!s || step == 0) return;
  s->frame = step < 0 ? Ed3D_PrevRowKeyFrame(s->frame) : Ed3D_NextRowKeyFrame(s->frame);
  Kzo_UpdatePoses();
  Ed3D_FillObjList(c->sel);
  Ed3DObjMotionEditor.keyDialogRefresh = 1;
  App_MarkAllRedraw(c->layout);
}
