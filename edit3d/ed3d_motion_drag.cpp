// The motion editor's mouse editing: the left press (drag-start snapshot, key at the current
// frame, IK armed), the drags of the move, rotate, scale and IK tools by view kind, the
// release (one undo step for an edited drag), the right-click bone pick in the perspective
// view and the two-joint IK step in the Side view.
#include <math.h>
#include <string.h>

#include "app/docflags.h"
#include "app/drag_anchors.h"
#include "app/family.h"
#include "app/shell_mouse.h"
#include "app/shell_seam.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/startup_state.h"
#include "app/tree.h"
#include "app/views.h"
#include "edit3d/ed3d_motion.h"
#include "edit3d/undo.h"
#include "lib/draw/camera.h"
#include "lib/draw/texture.h"
#include "lib/framework/view_record.h"
#include "model/motion.h"

// [SECTION] helpers

// Bone b's key at the current frame, or null.
static BoneKey3 *KeyAtFrame(Model3 *m, i32 b) {
  KeyTrack *t = Ed3D_MotionTrack(m, b);
  i32 i = t ? KeyTrack_Find(t, m->frame) : -1;
  return i >= 0 ? &t->keys[i] : nullptr;
}

static ModelPose *CurPose(const HookCtx *c) { return c->slot < MODEL3_SLOTS ? g_ModelPoses[c->slot] : nullptr; }

static void SetLabel(const char *label) { Str_Copy(g_Shell.g_UndoLabel, sizeof g_Shell.g_UndoLabel, label); }

static void MarkEdited(void) {
  g_Ed3DMotion.dragEdited = 1;
  Doc_MarkEdited(DOC_MODEL3);
}

// key quaternion := normalise(key quaternion x q)
static void MulKey(BoneKey3 *k, Quat q) {
  Quat r = {k->quat[0], k->quat[1], k->quat[2], k->quat[3]};
  Quat_MulInPlace(&r, q);
  k->quat[0] = r.x;
  k->quat[1] = r.y;
  k->quat[2] = r.z;
  k->quat[3] = r.w;
}

// With children following: the pivot record gets bone b's position and q, and b's children
// and their subtrees turn with it; the current bone is b again afterwards.
static void FollowChildren(const HookCtx *c, Model3 *m, i32 b, Quat q) {
  if (!g_Ed3DMotion.childrenFollow) return;
  Vec3 p = Model3_GetBoneOrigin((i32)c->slot, b);
  g_Ed3DMotion.pivot[0] = p.x;
  g_Ed3DMotion.pivot[1] = p.y;
  g_Ed3DMotion.pivot[2] = p.z;
  g_Ed3DMotion.delta = q;
  i32 child = m->bones[b].firstChild;
  if (child > 0) Ed3D_RotateSubtree(c, child);
  c->sel->g_CurBoneIndex = (u32)b;
}

// [SECTION] snapshot
static void TakeSnapshot(const HookCtx *c, Model3 *m) {
  Ed3DMotionEditor &e = g_Ed3DMotion;
  const ModelPose *pose = CurPose(c);
  memset(e.snap, 0, sizeof e.snap);
  for (i32 b = 0; b < Model3_BoneCount(m); b++) {
    Ed3DMotionSnap &s = e.snap[b];
    if (pose) {
      s.posed = pose->posed[b];
      s.accumRot = pose->accumRot[b];
      s.accumQuat = pose->accumQuat[b];
    }
    // An empty track has no key to keep.
    const KeyTrack *t = Ed3D_MotionTrack(m, b);
    i32 n = KeyTrack_Count(t);
    if (n == 0) continue;
    i32 i = KeyTrack_Find(t, m->frame);
    if (i < 0) i = m->bones[b].keyIndex < 0 ? 0 : (m->bones[b].keyIndex >= n ? n - 1 : m->bones[b].keyIndex);
    s.held = 1;
    s.frame = t->keys[i].frame;
    memcpy(s.pos, t->keys[i].pos, sizeof s.pos);
    memcpy(s.quat, t->keys[i].quat, sizeof s.quat);
  }
  u32 cur = c->sel->g_CurBoneIndex;
  const BoneKey3 *k = cur < MODEL3_BONES ? KeyAtFrame(m, (i32)cur) : nullptr;
  static const f32 kIdentity[4] = {0, 0, 0, 1};
  memcpy(e.pressQuat, k ? k->quat : kIdentity, sizeof e.pressQuat);
}

void Ed3D_RestoreDragStart(const HookCtx *c) {
  Model3 *m = c->model;
  if (!m) return;
  ModelPose *pose = CurPose(c);
  for (i32 b = 0; b < Model3_BoneCount(m); b++) {
    const Ed3DMotionSnap &s = g_Ed3DMotion.snap[b];
    if (pose) {
      pose->posed[b] = s.posed;
      pose->accumRot[b] = s.accumRot;
      pose->accumQuat[b] = s.accumQuat;
    }
    if (!s.held) continue;
    // Each key from its own snapshot, found by frame: keys made since shift the indices.
    KeyTrack *t = Ed3D_MotionTrack(m, b);
    i32 i = t ? KeyTrack_Find(t, s.frame) : -1;
    if (i < 0) continue;
    memcpy(t->keys[i].pos, s.pos, sizeof s.pos);
    memcpy(t->keys[i].quat, s.quat, sizeof s.quat);
  }
}

// [SECTION] left button
void Ed3D_MotionLButtonDown(const HookCtx *c) {
  i32 x = c->x, y = c->y;
  Ed3DMotionEditor &e = g_Ed3DMotion;
  DragAnchors_SetAll(c->mouse, x, y);
  // The strip's frame position is recorded by the 2D editor only: a press in a view keeps
  // the current frame.
  e.dragEdited = 0;
  e.dragOpen = 0;
  if (c->model) {
    TakeSnapshot(c, c->model);
    e.dragOpen = 1;
  }
  e.rotAccum[0] = e.rotAccum[1] = e.rotAccum[2] = 0.0f;
  // A key made by the press is an edit of its own: the release records it when no drag follows.
  if (Ed3D_CreateBoneKey(c)) {
    SetLabel("キー 作成 ( モーション )");
    MarkEdited();
  }
  App_MarkAllRedraw(c->layout);
  e.ikTarget[0] = (f32)x;
  e.ikTarget[1] = (f32)y;
  e.ikActive = 1;
}

void Ed3D_MotionLButtonUp(const HookCtx *c) {
  Ed3DMotionEditor &e = g_Ed3DMotion;
  e.ikActive = 0;
  e.dragOpen = 0;
  // One step per edited drag, under the label of its last edit.
  if (e.dragEdited) Undo_PushSlot(c->slot);
  e.dragEdited = 0;
  App_MarkAllRedraw(c->layout);
}

// [SECTION] drags
void Ed3D_MoveByView(f32 p[3], u32 kind, u32 axis, f32 dx, f32 dy) {
  const f32 s = 0.05f;
  switch (kind) {
    case VIEW_MAIN: {
      if (axis == 0) p[0] += (dx - dy) * s;
      else if (axis == 1) p[1] += (dy - dx) * -s;
      else if (axis == 2) p[2] += (dy + dx) * -s;
      break;
    }
    case VIEW_FRONT: p[0] += dx * s; p[1] += dy * -s; break;
    case VIEW_TOP: p[0] += dx * s; p[2] += dy * -s; break;
    case VIEW_SIDE: p[2] += dx * s; p[1] += dy * -s; break;
    default: break;
  }
}

static void MoveTool(BoneKey3 *k, u32 kind, u32 axis, f32 dx, f32 dy) { Ed3D_MoveByView(k->pos, kind, axis, dx, dy); }

static void ScaleTool(BoneKey3 *k, u32 kind, f32 dx, f32 dy) {
  const f32 s = 0.01f;
  f32 *c = k->scale;
  switch (kind) {
    case VIEW_MAIN: for (int i = 0; i < 3; i++) c[i] += dx * s - dy * s; break;
    case VIEW_FRONT: c[0] += dx * s; c[1] -= dy * s; break;
    case VIEW_TOP: c[0] += dx * s; c[2] -= dy * s; break;
    case VIEW_SIDE: c[2] += dx * s; c[1] -= dy * s; break;
    default: break;
  }
}

// The axis a rotate drag turns about in a view kind: 0 X, 1 Y, 2 Z, -1 none.
static i32 RotateAxis(u32 kind) {
  switch (kind) {
    case VIEW_MAIN: {
      static const i32 kRingAxis[3] = {1, 0, 2};   // ring 0 about Y, 1 about X, 2 about Z
      i32 r = g_Ed3DMotion.ring;
      return (r >= 0 && r < 3) ? kRingAxis[r] : -1;
    }
    case VIEW_FRONT: return 2;
    case VIEW_TOP: return 1;
    case VIEW_SIDE: return 0;
    default: return -1;
  }
}

// Rotation by `a` degrees more about `axis`, always from the pose of the left press.
static void RotateTool(const HookCtx *c, Model3 *m, i32 b, i32 axis, f32 a) {
  Ed3DMotionEditor &e = g_Ed3DMotion;
  Ed3D_RestoreDragStart(c);
  f32 acc = e.rotAccum[axis] + a;
  acc = acc < -90.0f ? -90.0f : (acc > 90.0f ? 90.0f : acc);
  e.rotAccum[axis] = acc;
  Mat4 r;
  if (axis == 0) Mat_RotationX(&r, acc);
  else if (axis == 1) Mat_RotationY(&r, acc);
  else Mat_RotationZ(&r, -acc);
  Quat q;
  Quat_FromMatrix(&q, r);
  BoneKey3 *k = KeyAtFrame(m, b);
  if (!k) return;
  MulKey(k, q);
  FollowChildren(c, m, b, q);
}

void Ed3D_MotionMouseMove(const HookCtx *c) {
  i32 x = c->x, y = c->y;
  Ed3DMotionEditor &e = g_Ed3DMotion;
  App_MarkAllRedraw(c->layout);
  Model3 *m = c->model;
  ShellSelection *sel = c->sel;
  if (!m || !Shell_ButtonHeld(BUTTON_LEFT) || Shell_ButtonHeld(BUTTON_MIDDLE) || Shell_ButtonHeld(BUTTON_RIGHT))
    return;
  i32 b = (i32)sel->g_CurBoneIndex;
  if (g_Shell.g_Playing == 1 || b <= 0 || b >= Model3_BoneCount(m)) return;
  BoneKey3 *k = KeyAtFrame(m, b);
  if (!k) return;   // edits need a key at the current frame
  u32 kind = c->view->kind;
  f32 dx = c->mouse->g_MouseMoveDX, dy = c->mouse->g_MouseMoveDY;
  switch (sel->g_MotionEditOp) {
    case ED3D_MOTION_TOOL_MOVE:
      SetLabel("移動 ( モーション )");
      if (dx != 0 || dy != 0) { MoveTool(k, kind, sel->g_GizmoAxis, dx, dy); MarkEdited(); }
      break;
    case ED3D_MOTION_TOOL_ROTATE: {
      SetLabel("回転 ( モーション )");
      f32 a = dx * 0.3f - dy * 0.3f;
      i32 axis = RotateAxis(kind);
      if (axis >= 0 && a != 0) { RotateTool(c, m, b, axis, a); MarkEdited(); }
      break;
    }
    case ED3D_MOTION_TOOL_SCALE:
      SetLabel("拡大 ( モーション )");
      if (dx != 0 || dy != 0) { ScaleTool(k, kind, dx, dy); MarkEdited(); }
      break;
    case ED3D_MOTION_TOOL_IK:
      SetLabel("IK");
      if (kind == VIEW_SIDE) {
        e.ikTarget[0] = (f32)x;
        e.ikTarget[1] = (f32)y;
      }
      break;
    default: break;
  }
  e.dialogRefresh = 1;
  e.keyDialogRefresh = 1;
}

// [SECTION] screen positions and the right-click pick
void Ed3D_MotionBoneScreen(const ViewRecord *v, u32 slot, i32 b, f32 out[2]) {
  Ed3D_OrthoScreen(v, Model3_GetBoneOrigin((i32)slot, b), out);
}

void Ed3D_OrthoScreen(const ViewRecord *v, Vec3 p, f32 out[2]) {
  f32 h, w;
  switch (v->kind) {
    case VIEW_TOP: h = p.x - v->panX; w = p.z + v->panZ; break;
    case VIEW_SIDE: h = p.z + v->panZ; w = p.y - v->panY; break;
    default: h = p.x - v->panX; w = p.y - v->panY; break;
  }
  f32 s = 40.0f * v->zoom;
  out[0] = s * h + (f32)v->centerX;
  out[1] = s * -w + (f32)v->centerY;
}

bool Ed3D_MotionBoneScreenView0(const HookCtx *c, i32 b, f32 out[2]) {
  Vec3 p = Model3_GetBoneOrigin((i32)c->slot, b);
  return Ed3D_ProjectView0(c, p.x, p.y, p.z, out);
}

void Ed3D_MotionRButtonUp(const HookCtx *c) {
  i32 x = c->x, y = c->y;
  Model3 *m = c->model;
  // With both buttons held the shell swallows the first release: when that was the left one,
  // this release ends the drag and records its step.
  if (g_Ed3DMotion.dragOpen) Ed3D_MotionLButtonUp(c);
  if (!m || c->view->kind != VIEW_MAIN || g_Shell.g_Playing == 1) return;
  const DragAnchor &press = c->mouse->g_MotionDragAnchor;
  if (x != press.x || y != press.y) return;   // moved: a drag, not a pick
  f32 best = 99999.0f;
  i32 found = -1;
  for (i32 b = 1; b < Model3_BoneCount(m); b++) {
    f32 s[2];
    if (!Ed3D_MotionBoneScreenView0(c, b, s)) continue;
    f32 d = fabsf(s[0] - (f32)x) + fabsf(s[1] - (f32)y);
    if (d < best) { best = d; found = b; }
  }
  if (found > 0) {
    c->sel->g_CurBoneIndex = (u32)found;
    for (i32 r = 0; r < g_TreeRows.count && r < TREE_ROWS; r++)
      if (g_TreeRows.rows[r].item == found) g_TreeRows.current = r;
  }
  HookCtx shell = Family_ShellContext();
  App_RefreshLists(&shell);
}

// [SECTION] IK
void Ed3D_IkSetChain(const HookCtx *c, i32 e) {
  const Model3 *m = c->model;
  Ed3DMotionEditor &ed = g_Ed3DMotion;
  ed.ikEnd = e;
  ed.ikJoint = m ? Model3_BoneParent(m, e) : 0;
  ed.ikRoot = m ? Model3_BoneParent(m, ed.ikJoint) : 0;
}

// Turns bone b's key at the current frame by `step` degrees about X (the children follow).
static void IkTurn(const HookCtx *c, Model3 *m, i32 b, f32 step) {
  step = step < -90.0f ? -90.0f : (step > 90.0f ? 90.0f : step);
  Mat4 r;
  Mat_ComposeSRTEuler(&r, 0, 0, 0, 0, step, 0, 1, 1, 1);
  Quat q;
  Quat_FromMatrix(&q, r);
  BoneKey3 *k = KeyAtFrame(m, b);
  if (!k) return;
  MulKey(k, q);
  c->sel->g_CurBoneIndex = (u32)b;
  FollowChildren(c, m, b, q);
  SetLabel("IK");
  MarkEdited();
}

void Ed3D_IkStep(const HookCtx *c, const ViewRecord *side) {
  Ed3DMotionEditor &e = g_Ed3DMotion;
  Model3 *m = c->model;
  ShellSelection *sel = c->sel;
  if (!m || !side || !e.ikActive || g_Shell.g_Playing == 1) return;
  i32 R = e.ikRoot, J = e.ikJoint, E = e.ikEnd, n = Model3_BoneCount(m);
  if (R <= 0 || J <= 0 || E <= 0 || R >= n || J >= n || E >= n) return;
  u32 keep = sel->g_CurBoneIndex;
  // R and J are edited at the current frame: each gets its key there first.
  sel->g_CurBoneIndex = (u32)R;
  bool made = Ed3D_CreateBoneKey(c);
  sel->g_CurBoneIndex = (u32)J;
  made = Ed3D_CreateBoneKey(c) || made;
  if (made) {
    SetLabel("IK");
    MarkEdited();
  }
  if (KeyAtFrame(m, R) && KeyAtFrame(m, J)) {
    f32 *pe = e.boneScreen[E], *pj = e.boneScreen[J];
    Ed3D_MotionBoneScreen(side, c->slot, E, pe);
    Ed3D_MotionBoneScreen(side, c->slot, J, pj);
    Ed3D_MotionBoneScreen(side, c->slot, R, e.boneScreen[R]);
    const f32 *T = e.ikTarget;
    // Bend at R: squared pixel distances, no root taken.
    f32 ex = pe[0] - pj[0], ey = pe[1] - pj[1], tx = T[0] - pj[0], ty = T[1] - pj[1];
    f32 el = ex * ex + ey * ey, tl = tx * tx + ty * ty, step = 0.0f;
    if (el - 20.0f > tl) step = 0.3f;
    if (el + 20.0f < tl) step -= 0.3f;
    if (step != 0.0f) IkTurn(c, m, R, step);
    // Aim at J.
    f32 a = atan2f(ex, ey), bt = atan2f(tx, ty);
    step = 0.0f;
    if (a > bt + 0.1f) step = 0.6f;
    if (a < bt - 0.1f) step -= 0.6f;
    if (step != 0.0f) IkTurn(c, m, J, step);
  }
  sel->g_CurBoneIndex = keep;
}
