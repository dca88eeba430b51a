// The decisions of the motion sub-mode's four dialogs: the motion dialog's commands and key
// fields (with the ±8 degree turns and the twist), the key dialog's strip mouse (scrub, key
// move, scroll, row expander, the scroll bar, the sound combo, Delete), the motion list
// (choose, rename, add) and the sound list, and the fills of their lists. The dialog
// procedures (ed3d_motion_win.cpp) only move values between the controls and these.
#include <errno.h>
#include <float.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "app/current.h"
#include "app/docflags.h"
#include "app/family.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/startup_state.h"
#include "app/strip.h"
#include "app/strip_state.h"
#include "app/tree.h"
#include "app/views.h"
#include "app/widget.h"
#include "edit3d/ed3d_motion.h"
#include "edit3d/undo.h"
#include "lib/draw/texture.h"
#include "lib/media/dialogs.h"
#include "lib/media/sound.h"
#include "model/docref.h"
#include "model/motion.h"
#include "model/numfield.h"
#include "model/seam_errorbox.h"
#include "model/str.h"
#include "resources/edit3d_motion_ids.h"

const u32 kEd3DKeyFields[ED3D_FIELDS] = {IDC_MOT_POS_X,  IDC_MOT_POS_Y,  IDC_MOT_POS_Z,   IDC_MOT_QUAT_X,
                                         IDC_MOT_QUAT_Y, IDC_MOT_QUAT_Z, IDC_MOT_QUAT_W,  IDC_MOT_SCALE_X,
                                         IDC_MOT_SCALE_Y, IDC_MOT_SCALE_Z};
Ed3DStripMouse g_Ed3DMotionStrip;

// The motion panels' scratch, main thread only: the lines of the list being filled (the fills
// below) and the key's field texts (Ed3D_MotionDlgRefresh).
static struct {
  Ed3DLines lines;
  char texts[ED3D_FIELDS][ED3D_FIELD_TEXT];
} s_MotionPanels;

// [SECTION] helpers
// The dialogs and the key strip come from no hook message: each decision takes the shell's
// context once at its top and hands it to the steps below.
static Model3 *CurModel(const HookCtx *c) {
  Model3 *m = c->model;
  return (m && m->motion >= 0 && m->motion < MODEL3_MOTIONS) ? m : nullptr;
}

static bool BoneMode(void) { return g_Ed3DMotion.target == ED3D_MOTION_TARGET_BONE; }

// Records one undo step of layer `slot` under label after an edit (the step clears the edited
// flag the edit set).
static void Step(u32 slot, const char *label) {
  Str_Copy(g_Shell.g_UndoLabel, sizeof g_Shell.g_UndoLabel, label);
  Doc_MarkEdited(DOC_MODEL3);
  Undo_PushSlot(slot);
}

static void Put(void *control, u32 kind) { Ed3D_PutLines(control, kind, &s_MotionPanels.lines); }

static void BeginLines(void) {
  s_MotionPanels.lines.count = 0;
  s_MotionPanels.lines.select = -1;
}

static char *NextLine(Ed3DLines *out) { return out->text[out->count++]; }

static void SetText(void *panel, u32 id, const char *text) {
  if (panel) Widget_SetText(panel, id, text);
}

// [SECTION] the edited key and its fields
BoneKey3 *Ed3D_EditedKey(const HookCtx *c) {
  Model3 *m = CurModel(c);
  if (!m || !BoneMode()) return nullptr;
  i32 b = (i32)c->sel->g_CurBoneIndex;
  if (b <= 0 || b >= m->boneCount) return nullptr;   // bone 0 never holds a key
  KeyTrack *t = Ed3D_MotionTrack(m, b);
  i32 k = g_Ed3DMotion.keyIndex;
  if (!t || !t->keys || k < 0 || k >= t->count) return nullptr;
  return &t->keys[k];
}

static f32 *FieldSlot(BoneKey3 *k, i32 i) {
  if (i < 3) return &k->pos[i];
  if (i < 7) return &k->quat[i - 3];
  return &k->scale[i - 7];
}

void Ed3D_KeyFieldTexts(const BoneKey3 *k, char out[ED3D_FIELDS][ED3D_FIELD_TEXT]) {
  BoneKey3 c = *k;
  for (i32 i = 0; i < ED3D_FIELDS; i++) Str_Format(out[i], ED3D_FIELD_TEXT, "%3.3f", (double)*FieldSlot(&c, i));
}

// A decimal number (surrounding blanks allowed) a float holds; false for anything else.
static bool ParseNumber(const char *text, f64 *out) { return NumField_Float(text, -FLT_MAX, FLT_MAX, out) == NUMFIELD_OK; }

bool Ed3D_ParseKeyFields(const char in[ED3D_FIELDS][ED3D_FIELD_TEXT], const bool *edited, BoneKey3 *k) {
  f64 v[ED3D_FIELDS];
  for (i32 i = 0; i < ED3D_FIELDS; i++) {
    v[i] = *FieldSlot(k, i);
    if (edited && !edited[i]) continue;
    char text[ED3D_FIELD_TEXT];
    Str_Copy(text, sizeof text, in[i]);
    if (!ParseNumber(text, &v[i])) {
      Seam_ErrorBoxf("「%s」は数値ではありません。キーは変更されません。", text);
      return false;
    }
  }
  if (v[3] * v[3] + v[4] * v[4] + v[5] * v[5] + v[6] * v[6] == 0.0) {
    Seam_ErrorBox("回転 ( X, Y, Z, W ) がすべて 0 です。キーは変更されません。");
    return false;
  }
  for (i32 i = 0; i < ED3D_FIELDS; i++) *FieldSlot(k, i) = (f32)v[i];
  return true;
}

// [SECTION] turns of the edited key
static void MulKey(BoneKey3 *k, Quat q) {
  Quat r = {k->quat[0], k->quat[1], k->quat[2], k->quat[3]};
  Quat_MulInPlace(&r, q);
  k->quat[0] = r.x, k->quat[1] = r.y, k->quat[2] = r.z, k->quat[3] = r.w;
}

void Ed3D_RotateEditedKey(const HookCtx *c, i32 axis, f32 degrees) {
  BoneKey3 *k = Ed3D_EditedKey(c);
  if (!k) return;
  Mat4 r;
  if (axis == 0) Mat_RotationX(&r, degrees);
  else if (axis == 1) Mat_RotationY(&r, degrees);
  else Mat_RotationZ(&r, degrees);
  Quat q;
  Quat_FromMatrix(&q, r);
  MulKey(k, q);
}

void Ed3D_TwistEditedKey(const HookCtx *c, f32 degrees) {
  BoneKey3 *k = Ed3D_EditedKey(c);
  Model3 *m = c->model;
  if (!k || !m) return;
  i32 b = (i32)c->sel->g_CurBoneIndex, parent = m->bones[b].parent;
  if (parent <= 0 || parent >= MODEL3_BONES) return;
  Vec3 a = Model3_GetBoneRestOrigin((i32)c->slot, b), p = Model3_GetBoneRestOrigin((i32)c->slot, parent);
  // The bone's direction from its parent, carried into the key's own frame.
  Quat inv;
  Quat_Inverse(&inv, k->quat[0], k->quat[1], k->quat[2], k->quat[3]);
  Mat4 mi;
  Quat_ToMatrix(&mi, inv.x, inv.y, inv.z, inv.w);
  f32 d[3];
  Mat_TransformPoint(d, a.x - p.x, a.y - p.y, a.z - p.z, mi);
  Quat q;
  Quat_FromAxisAngle(&q, d[0], d[1], d[2], degrees);
  Quat_Normalize(&q);
  MulKey(k, q);
}

// [SECTION] motion dialog
static void AfterKeyEdit(const HookCtx *c, const char *label) {
  Step(c->slot, label);
  App_MarkAllRedraw(c->layout);
  g_Ed3DMotion.dialogRefresh = 1;
}

static void SetTool(ShellSelection *sel, u32 tool) {
  sel->g_MotionEditOp = tool;
  App_MarkAllRedraw(View_CurrentLayout());
  g_Ed3DMotion.dialogRefresh = 1;
}

static void ApplyFields(const HookCtx *c, i32 textureLine, const char fields[ED3D_FIELDS][ED3D_FIELD_TEXT]) {
  Model3 *m = CurModel(c);
  if (!m) return;
  if (BoneMode()) {
    BoneKey3 *k = Ed3D_EditedKey(c);
    if (!k || !fields) return;
    // A field still showing a rounded value stands for the exact value shown.
    bool edited[ED3D_FIELDS];
    BoneKey3 v = *k;
    for (i32 i = 0; i < ED3D_FIELDS; i++) {
      f64 shown;
      edited[i] = !Widget_ShownValue(g_Ed3DMotionPanels.motionDlg, kEd3DKeyFields[i], fields[i], &shown);
      if (!edited[i]) *FieldSlot(&v, i) = (f32)shown;
    }
    if (!Ed3D_ParseKeyFields(fields, edited, &v)) return;
    *k = v;
  } else if (g_Ed3DMotion.target == ED3D_MOTION_TARGET_GROUP) {
    u32 group = c->sel->g_CurGroupIndex;
    if (group >= MODEL3_GROUPS) return;
    GroupKeyList3 *l = m->motions[m->motion].groupKeys[group];
    i32 k = g_Ed3DMotion.keyIndex;
    if (!l || k < 0 || k >= l->count || k >= MODEL3_GROUP_KEYS) return;
    l->keys[k].texture = (u16)(textureLine < 0 || textureLine > 128 ? 0 : textureLine);
  }
  AfterKeyEdit(c, "決定 ( モーション )");
}

// A turn button: the edited key turns, one step; nothing without a key.
static void Turn(const HookCtx *c, i32 axis, f32 degrees, const char *label) {
  Ed3D_UpdateCurrentKeyIndex(c);
  // A turn by nothing (the W row's "<") changes no key and records no step.
  if (!Ed3D_EditedKey(c) || degrees == 0.0f) return;
  if (axis >= 0) Ed3D_RotateEditedKey(c, axis, degrees);
  else Ed3D_TwistEditedKey(c, degrees);
  AfterKeyEdit(c, label);
}

static void ResetRotation(const HookCtx *c) {
  Model3 *m = CurModel(c);
  Ed3D_UpdateCurrentKeyIndex(c);
  BoneKey3 *k = Ed3D_EditedKey(c);
  if (!m || !k) return;
  k->quat[0] = k->quat[1] = k->quat[2] = 0.0f;
  k->quat[3] = 1.0f;
  u32 b = c->sel->g_CurBoneIndex;
  i32 child = m->bones[b].firstChild;
  if (g_Ed3DMotion.childrenFollow && child > 0) Ed3D_ResetSubtreeRotation(c, child);
  c->sel->g_CurBoneIndex = b;
  AfterKeyEdit(c, "回転リセット ( モーション )");
}

bool Ed3D_MotionDlgCommand(u32 id, i32 selection, const char fields[ED3D_FIELDS][ED3D_FIELD_TEXT]) {
  Ed3DMotionEditor &e = g_Ed3DMotion;
  const HookCtx ctx = Family_ShellContext(), *c = &ctx;
  switch (id) {
    case IDC_MOT_MODE:
      if ((selection == 0 || selection == 1) && e.target != selection) {
        e.target = (i16)selection;
        Ed3D_MotionTargetChanged();
      }
      e.dialogRefresh = 1;
      return true;
    case IDC_MOT_MOVE: SetTool(c->sel, ED3D_MOTION_TOOL_MOVE); return true;
    case IDC_MOT_ROTATE: SetTool(c->sel, ED3D_MOTION_TOOL_ROTATE); return true;
    case IDC_MOT_IK: SetTool(c->sel, ED3D_MOTION_TOOL_IK); return true;
    case IDC_MOT_SCALE: SetTool(c->sel, ED3D_MOTION_TOOL_SCALE); return true;
    case IDC_MOT_CHILDREN:
      e.childrenFollow = 1 - (e.childrenFollow ? 1 : 0);
      e.dialogRefresh = 1;
      return true;
    case IDC_MOT_KEY_CREATE:
      // A frame that has its key already, or no bone or group to key, records nothing.
      if (!Ed3D_CreateBoneKey(c)) return true;
      Ed3D_MotionRefreshLists(c->model, c->layout);
      AfterKeyEdit(c, "キー 作成 ( モーション )");
      return true;
    case IDC_MOT_KEY_COPY: Ed3D_CopyKey(c); return true;
    case IDC_MOT_KEY_CUT:
      Ed3D_CutKey(c);
      Ed3D_MotionRefreshLists(c->model, c->layout);
      AfterKeyEdit(c, "キー カット ( モーション )");
      return true;
    case IDC_MOT_KEY_PASTE:
      Ed3D_PasteKey(c);
      Ed3D_MotionRefreshLists(c->model, c->layout);
      AfterKeyEdit(c, "キー ペースト ( モーション )");
      return true;
    case IDC_MOT_KEY_DELETE:
      Ed3D_DeleteKey(c);
      Ed3D_MotionRefreshLists(c->model, c->layout);
      AfterKeyEdit(c, "キー 消去 ( モーション )");
      return true;
    case IDC_MOT_ROT_RESET: ResetRotation(c); return true;
    case IDC_MOT_PLAY: Ed3D_TogglePlay(c); return true;
    case IDC_MOT_APPLY:
      Ed3D_UpdateCurrentKeyIndex(c);
      ApplyFields(c, selection, fields);
      return true;
    case IDC_MOT_ROT_X_DOWN: Turn(c, 1, -8.0f, "回転Ｘ Down ( モーション )"); return true;
    case IDC_MOT_ROT_X_UP: Turn(c, 1, 8.0f, "回転Ｘ Up ( モーション )"); return true;
    case IDC_MOT_ROT_Y_DOWN: Turn(c, 0, -8.0f, "回転Ｙ Down ( モーション )"); return true;
    case IDC_MOT_ROT_Y_UP: Turn(c, 0, 8.0f, "回転Ｙ Up ( モーション )"); return true;
    case IDC_MOT_ROT_Z_DOWN: Turn(c, 2, 8.0f, "回転Ｚ Down ( モーション )"); return true;
    case IDC_MOT_ROT_Z_UP: Turn(c, 2, -8.0f, "回転Ｚ Up ( モーション )"); return true;
    case IDC_MOT_TWIST_DOWN: Turn(c, -1, 0.0f, "軸回転 Down ( モーション )"); return true;
    case IDC_MOT_TWIST_UP: Turn(c, -1, 8.0f, "軸回転 Up ( モーション )"); return true;
    default: return false;
  }
}

void Ed3D_MotionDlgRefresh(void) {
  Ed3DMotionEditor &e = g_Ed3DMotion;
  void *dlg = g_Ed3DMotionPanels.motionDlg;
  const HookCtx c = Family_ShellContext();
  Ed3D_UpdateCurrentKeyIndex(&c);
  // A motion played without looping stops by itself at its end.
  SetText(dlg, IDC_MOT_PLAY, g_Shell.g_Playing == 1 ? "停止(A)" : "再生(A)");
  if (dlg) {
    static const u32 kTools[4][2] = {{IDC_MOT_MOVE, 0}, {IDC_MOT_ROTATE, 1}, {IDC_MOT_IK, 3}, {IDC_MOT_SCALE, 2}};
    for (const auto &t : kTools) Widget_SetCheck(dlg, t[0], c.sel->g_MotionEditOp == t[1]);
    Widget_SetCheck(dlg, IDC_MOT_CHILDREN, e.childrenFollow != 0);
  }
  if (const BoneKey3 *k = Ed3D_EditedKey(&c)) {
    Ed3D_KeyFieldTexts(k, s_MotionPanels.texts);
    BoneKey3 c = *k;
    for (i32 i = 0; i < ED3D_FIELDS; i++)
      if (dlg) Widget_ShowValue(dlg, kEd3DKeyFields[i], s_MotionPanels.texts[i], *FieldSlot(&c, i));
  }
  Ed3D_FillMotionTextureCombo(c.model, c.sel->g_CurGroupIndex);
}

// [SECTION] fills
void Ed3D_MotionListLines(const Model3 *m, Ed3DLines *out) {
  out->count = 0;
  out->select = -1;
  if (!m) return;
  i32 n = m->motionCount < 0 ? 0 : (m->motionCount > MODEL3_MOTIONS ? MODEL3_MOTIONS : m->motionCount);
  for (i32 i = 0; i < n; i++)
    Str_Format(NextLine(out), ED3D_LINE, "%2d : 0 ～ %2d  %s", (int)i, (int)m->motions[i].length, m->motions[i].name);
  out->select = m->motion;
}

void Ed3D_MotionSoundLines(const Model3 *m, Ed3DLines *out) {
  out->count = 0;
  out->select = -1;
  if (!m) return;
  i32 n = m->soundCount < 0 ? 0 : (m->soundCount > MODEL3_SOUNDS ? MODEL3_SOUNDS : m->soundCount);
  for (i32 i = 0; i < n; i++) Str_Format(NextLine(out), ED3D_LINE, "%2d : %s", (int)i, m->sounds[i]);
}

void Ed3D_FillMotionList(const Model3 *m) {
  if (!g_Ed3DMotionPanels.list) return;
  Ed3D_MotionListLines(m, &s_MotionPanels.lines);
  Put(g_Ed3DMotionPanels.list, WIDGET_FILL_LIST);
}

void Ed3D_FillMotionSoundList(const Model3 *m) {
  if (!g_Ed3DMotionPanels.waveList) return;
  Ed3D_MotionSoundLines(m, &s_MotionPanels.lines);
  Put(g_Ed3DMotionPanels.waveList, WIDGET_FILL_LIST);
}

void Ed3D_FillMotionSoundCombo(const Model3 *m) {
  if (!g_Ed3DMotionPanels.soundCombo || !m) return;
  Ed3D_MotionSoundLines(m, &s_MotionPanels.lines);
  s_MotionPanels.lines.select = Ed3D_KeySoundLine(m, g_Ed3DMotion.keyIndex);
  Put(g_Ed3DMotionPanels.soundCombo, WIDGET_FILL_COMBO);
}

void Ed3D_FillMotionModeCombo(void) {
  if (!g_Ed3DMotion.modeCombo) return;
  BeginLines();
  Str_Copy(NextLine(&s_MotionPanels.lines), ED3D_LINE, " ボーン　モーション");
  Str_Copy(NextLine(&s_MotionPanels.lines), ED3D_LINE, "グループ モーション");
  s_MotionPanels.lines.select = g_Ed3DMotion.target == ED3D_MOTION_TARGET_GROUP ? 1 : 0;
  Put(g_Ed3DMotion.modeCombo, WIDGET_FILL_COMBO);
}

void Ed3D_FillMotionTextureCombo(const Model3 *m, u32 group) {
  if (!g_Ed3DMotion.textureCombo || !m) return;
  // The texture of the current group's key at the key index, else the group's own.
  i32 tex = 0;
  if (group < MODEL3_GROUPS) {
    tex = (i32)m->groups[group].texture;
    const GroupKeyList3 *l = (m->motion >= 0 && m->motion < MODEL3_MOTIONS) ? m->motions[m->motion].groupKeys[group] : nullptr;
    i32 k = g_Ed3DMotion.keyIndex;
    if (l && k >= 0 && k < l->count && k < MODEL3_GROUP_KEYS) tex = l->keys[k].texture;
  }
  Ed3D_TextureComboLines(m, tex, &s_MotionPanels.lines);
  Put(g_Ed3DMotion.textureCombo, WIDGET_FILL_COMBO);
}

// [SECTION] key strip
i32 Ed3D_StripCoord(u32 half) {
  i32 v = (i32)(half & 0xFFFF);
  return v > 10000 ? v - 65535 : v;
}

bool Ed3D_StripFrameAt(i32 x, i32 length, i32 *frame) {
  if (x <= STRIP_LABEL_X + 1 || length < 1) return false;
  i64 f = ((i64)x - g_Strip.g_StripGeo.offsetX - (STRIP_LABEL_X + 1)) * Strip_Divisor() / 10;
  // The remainder brings any frame into 0 .. length - 1 at once (the same as adding or
  // subtracting the length as often as needed).
  f %= length;
  if (f < 0) f += length;
  *frame = (i32)f;
  return true;
}

static void SetFrameFromStrip(const HookCtx *c, bool report) {
  Model3 *m = CurModel(c);
  if (!m) return;
  Ed3DStripMouse &s = g_Ed3DMotionStrip;
  i32 len = m->motions[m->motion].length;
  if (s.x > STRIP_LABEL_X + 1) {
    if (len < 1) {
      if (report) Seam_ErrorBoxf("モーション %d の長さが %d です。長さを 1 以上にして下さい。", (int)m->motion, (int)len);
    } else {
      Ed3D_StripFrameAt(s.x, len, &m->frame);
    }
  } else {
    u32 b = c->sel->g_CurBoneIndex;
    if (m->boneCount > 0 && b < (u32)m->boneCount && m->bones[b].keyIndex == 0) m->frame = 0;
  }
  Model3_UpdateKeyIndices((i32)c->slot);
  Tree_BuildRowsBones3D();
}

void Ed3D_SetFrameFromStrip(void) {
  const HookCtx c = Family_ShellContext();
  SetFrameFromStrip(&c, true);
}

// The strip's rows: the bone tree's in bone mode, one per group of model m in group mode.
static i32 StripRows(const Model3 *m) {
  if (BoneMode()) return g_TreeRows.count;
  if (!m || m->groupCount < 0) return 0;
  return m->groupCount < MODEL3_GROUPS ? m->groupCount : MODEL3_GROUPS;
}

// The strip's rows of the current model (the strip's own callback).
static i32 ShellStripRows(void) { return StripRows(Current_Model3()); }

// Group mode: the group of the hovered row becomes current, as a bone row's bone does.
static void ChooseHoveredGroup(const HookCtx *c, i32 h) {
  if (h < 0 || h >= StripRows(c->model) || (u32)h == c->sel->g_CurGroupIndex) return;
  c->sel->g_CurGroupIndex = (u32)h;
  Ed3D_UpdateCurrentKeyIndex(c);
  g_Ed3DMotion.dialogRefresh = 1;
  g_Ed3DMotion.keyDialogRefresh = 1;
  g_Strip.g_StripWindows[STRIP_MOTION3_KEYS].dirty = 1;
}

void Ed3D_MotionTargetChanged(void) {
  // The rows change with the target: a hover line kept from the other rows would sit under a
  // row that is not there.
  g_TreeRows.hovered = -1;
  g_Strip.g_StripWindows[STRIP_MOTION3_KEYS].dirty = 1;
  App_MarkAllRedraw(View_CurrentLayout());
}

static void ToggleRowExpanded(const HookCtx *c) {
  TreeRows &t = g_TreeRows;
  i32 h = t.hovered;
  if (!BoneMode()) {
    ChooseHoveredGroup(c, h);
    return;
  }
  if (h < 0 || h >= t.count || h >= TREE_ROWS) return;
  t.current = h;
  i32 item = t.rows[h].item;
  if (item >= 0) c->sel->g_CurBoneIndex = (u32)item;
  Model3 *m = c->model;
  i32 left = t.rows[h].depth * 16 + g_Strip.g_StripGeo.left + 1, x = g_Ed3DMotionStrip.x;
  if (m && item >= 0 && item < MODEL3_BONES && x > left && x < left + 15)
    m->bones[item].expanded = 1 - (m->bones[item].expanded ? 1 : 0);
}

void Ed3D_ToggleRowExpanded(void) {
  const HookCtx c = Family_ShellContext();
  ToggleRowExpanded(&c);
}

// The frames of every key of the current motion, folded into one number: a middle drag step
// that moved no key (a neighbour in the way, no key at the frame) leaves it as it was.
static u64 KeyFramesHash(Model3 *m, const ShellSelection *) {
  u64 h = 1469598103934665603ull;
  auto fold = [&h](u64 v) { h = (h ^ v) * 1099511628211ull; };
  for (i32 b = 0; b < Model3_BoneCount(m); b++) {
    const KeyTrack *t = Ed3D_MotionTrack(m, b);
    i32 n = t && t->keys ? KeyTrack_Count(t) : 0;
    fold((u64)n);
    for (i32 i = 0; i < n; i++) fold((u64)(u32)t->keys[i].frame);
  }
  for (i32 g = 0; g < MODEL3_GROUPS; g++) {
    const GroupKeyList3 *l = m->motions[m->motion].groupKeys[g];
    i32 n = l ? (l->count < 0 ? 0 : (l->count > MODEL3_GROUP_KEYS ? MODEL3_GROUP_KEYS : l->count)) : 0;
    fold((u64)n);
    for (i32 i = 0; i < n; i++) fold((u64)l->keys[i].frame);
  }
  return h;
}

// The middle drag: the key at the current frame (and the keys of the bone's subtree when
// children follow) and the frame move by the dragged frames.
static void DragKeys(i32 dx) {
  const HookCtx ctx = Family_ShellContext(), *c = &ctx;
  Model3 *m = CurModel(c);
  if (!m) return;
  i32 delta = KeyStrip_DragFrames((i32)((f32)dx * (f32)Strip_Divisor() * 0.08f), dx);
  if (delta == 0) return;
  ShellSelection *sel = c->sel;
  u32 cur = sel->g_CurBoneIndex;
  u64 before = KeyFramesHash(m, sel);
  Ed3D_MoveKeyFrame(c, delta);
  if (BoneMode() && g_Ed3DMotion.childrenFollow && cur < (u32)MODEL3_BONES) {
    i32 child = m->bones[cur].firstChild;
    if (child > 0 && (i32)cur < child) {
      sel->g_CurBoneIndex = (u32)child;
      Ed3D_MoveKeyFrameTree(c, delta);
      sel->g_CurBoneIndex = cur;
    }
  }
  bool moved = KeyFramesHash(m, sel) != before;
  i64 f = (i64)m->frame + delta;
  m->frame = f < 0 ? 0 : (f > 0x7fffffff ? 0x7fffffff : (i32)f);
  Model3_UpdateKeyIndices((i32)c->slot);
  if (moved) {
    Str_Copy(g_Shell.g_UndoLabel, sizeof g_Shell.g_UndoLabel, "キー 移動 ( モーション )");
    Doc_MarkEdited(DOC_MODEL3);
    g_Ed3DMotion.keyDragEdited = 1;
  }
}

void Ed3D_KeyDragEnd(void) {
  if (!g_Ed3DMotion.keyDragEdited) return;
  g_Ed3DMotion.keyDragEdited = 0;
  Step(g_Sel.g_CurSlot, "キー 移動 ( モーション )");
}

static i32 Frame(void) {
  const HookCtx c = Family_ShellContext();
  Model3 *m = CurModel(&c);
  return m ? m->frame : 0;
}

static void Scrub(void) {
  const HookCtx c = Family_ShellContext();
  SetFrameFromStrip(&c, false);
}

static void Press(void) {
  const HookCtx c = Family_ShellContext();
  ToggleRowExpanded(&c);
  SetFrameFromStrip(&c, true);
}

static void Release(void) {
  const HookCtx c = Family_ShellContext();
  Model3 *m = CurModel(&c);
  if (m && m->frame == g_Ed3DMotionStrip.pressFrame) Ed3D_SnapToNearKey(&c);   // a click, not a scrub
}

static void SyncScroll(void *dlg) {
  const HookCtx c = Family_ShellContext();
  if (c.model) KeyStrip_SetScroll(&g_Ed3DMotionKeyStrip, dlg, c.model->frame, Ed3D_StripScrollMax());
}

void Ed3D_CreateKeyWithStep(const HookCtx *c) {
  if (Ed3D_CreateBoneKey(c)) Step(c->slot, "キー 作成 ( モーション )");
  Ed3D_MotionRefreshLists(c->model, c->layout);
}

static void CreateKey(void) {
  const HookCtx c = Family_ShellContext();
  Ed3D_CreateKeyWithStep(&c);
}

static void DeleteKey(void) {
  const HookCtx c = Family_ShellContext();
  Ed3D_DeleteKeyWithStep(&c);
}

const KeyStrip g_Ed3DMotionKeyStrip = {
    &g_Ed3DMotionStrip, STRIP_MOTION3_KEYS, IDC_MKEY_SCROLL, IDC_MKEY_SOUND,
    {&g_Ed3DMotionPanels.keyDlg, IDC_MKEY_LOOP, &g_Ed3DMotionPanels.loop, &g_Ed3DMotion.keyDialogRefresh},
    Frame, Scrub, DragKeys, Press, Release, Ed3D_KeyStripScroll, SyncScroll, Ed3D_SetKeySound, CreateKey,
    DeleteKey, ShellStripRows, Ed3D_KeyDragEnd};

void Ed3D_KeyStripMove(i32 x, i32 y) { KeyStrip_Move(&g_Ed3DMotionKeyStrip, x, y); }

i32 Ed3D_StripScrollMax(void) {
  const HookCtx c = Family_ShellContext();
  Model3 *m = CurModel(&c);
  if (!m) return 0;
  i32 len = m->motions[m->motion].length;
  return len > 1 ? len - 1 : 0;
}

void Ed3D_KeyStripScroll(i32 code, i32 pos) {
  const HookCtx c = Family_ShellContext();
  Model3 *m = CurModel(&c);
  if (!m || !KeyStrip_ScrollFrame(&m->frame, code, pos, Ed3D_StripScrollMax())) return;
  Model3_UpdateKeyIndices((i32)c.slot);
  g_Ed3DMotion.keyDialogRefresh = 1;
  g_Ed3DMotion.dialogRefresh = 1;
  App_MarkAllRedraw(c.layout);
}

static i32 CurrentKeyCount(Model3 *m, const ShellSelection *sel) {
  if (BoneMode()) {
    const KeyTrack *t = Ed3D_MotionTrack(m, (i32)sel->g_CurBoneIndex);
    return t ? t->count : 0;
  }
  if (sel->g_CurGroupIndex >= MODEL3_GROUPS) return 0;
  const GroupKeyList3 *l = m->motions[m->motion].groupKeys[sel->g_CurGroupIndex];
  return l ? l->count : 0;
}

void Ed3D_DeleteKeyWithStep(const HookCtx *c) {
  Model3 *m = CurModel(c);
  if (!m) return;
  i32 before = CurrentKeyCount(m, c->sel);
  Ed3D_DeleteKey(c);
  if (CurrentKeyCount(m, c->sel) != before) Step(c->slot, "キー 消去 ( モーション )");
  App_MarkAllRedraw(c->layout);
  g_Strip.g_StripWindows[STRIP_MOTION3_KEYS].dirty = 1;
  g_Ed3DMotion.dialogRefresh = 1;
}

void Ed3D_StoreKeySound(Model3 *m, i32 k, i32 line) {
  // The table holds one entry per key index up to 16: later keys have none.
  if (!m || k < 0 || k >= MODEL3_KEY_SOUNDS) return;
  m->keySounds[k] = (line < 0 || line > 100 || line >= m->soundCount) ? 0 : line;
  Doc_MarkEdited(DOC_MODEL3);
}

i32 Ed3D_KeySoundLine(const Model3 *m, i32 k) {
  return (m && k >= 0 && k < MODEL3_KEY_SOUNDS) ? m->keySounds[k] : 0;
}

void Ed3D_SetKeySound(i32 line) {
  const HookCtx c = Family_ShellContext();
  Model3 *m = CurModel(&c);
  i32 k = g_Ed3DMotion.keyIndex;
  i32 before = Ed3D_KeySoundLine(m, k);
  Ed3D_StoreKeySound(m, k, line);
  if (m && Ed3D_KeySoundLine(m, k) != before) Step(g_Sel.g_CurSlot, "効果音 ( モーション )");
}

// [SECTION] motion list
void Ed3D_MotionListSelect(i32 line) {
  const HookCtx c = Family_ShellContext();
  Model3 *m = CurModel(&c);
  if (!m) return;
  // A line the list still shows from before a change of the model may be past its motions.
  if (line >= 0 && line < MODEL3_MOTIONS && line < m->motionCount) m->motion = line;
  Ed3DMotionPanels &p = g_Ed3DMotionPanels;
  if (m->motion != p.listSeenMotion) {
    p.listSeenMotion = m->motion;
    m->frame = 0;
    m->frameFraction = 0.0f;
    Model3_UpdateKeyIndices((i32)c.slot);
    g_Ed3DMotion.keyDialogRefresh = 1;
    p.listRefresh = 1;
    App_MarkAllRedraw(c.layout);
  }
}

bool Ed3D_StoreMotionEntry(char *name, size_t nameSize, i32 *length, const char *nameText, const char *lengthText) {
  i64 v = 0;
  if (NumField_Int(lengthText, 1, INT32_MAX, &v) != NUMFIELD_OK) {
    Seam_ErrorBox("モーションの長さは 1 以上の整数で入力して下さい。");
    return false;
  }
  Str_Copy(name, nameSize, nameText ? nameText : "");
  *length = (i32)v;
  return true;
}

static bool StoreNameAndLength(Model3 *m, const char *name, const char *length) {
  Motion3 &mo = m->motions[m->motion];
  return Ed3D_StoreMotionEntry(mo.name, sizeof mo.name, &mo.length, name, length);
}

bool Ed3D_MotionListApply(const char *name, const char *length) {
  const HookCtx c = Family_ShellContext();
  Model3 *m = CurModel(&c);
  if (!m || !StoreNameAndLength(m, name, length)) return false;
  Step(c.slot, "決定 ( モーションリスト )");
  Ed3D_FillMotionList(c.model);
  g_Ed3DMotionPanels.listRefresh = 1;
  return true;
}

bool Ed3D_MotionListAdd(const char *name, const char *length) {
  const HookCtx c = Family_ShellContext();
  Model3 *m = CurModel(&c);
  if (!m) return false;
  i32 n = m->motionCount < 0 ? 0 : m->motionCount, cur = m->motion;
  if (n >= MODEL3_MOTIONS) {
    Seam_ErrorBox("モーションは 100 個までです。これ以上追加できません。");
    return false;
  }
  // The typed name and length are the new motion's: the current one stays as it is.
  char newName[MODEL3_NAME];
  i32 newLength = 0;
  if (!Ed3D_StoreMotionEntry(newName, sizeof newName, &newLength, name, length)) return false;
  // Every track first: a track that cannot grow leaves the model without the new motion.
  for (i32 b = 0; b < MODEL3_BONES; b++) {
    KeyTrack *tracks = m->bones[b].keys;
    if (tracks && !KeyTrack_CopyFrom(&tracks[n], &tracks[cur])) {
      Seam_ErrorBox("メモリが足りないため、モーションを追加できません。");
      return false;
    }
  }
  const Motion3 &src = m->motions[cur];
  Motion3 &dst = m->motions[n];
  for (i32 g = 0; g < MODEL3_GROUPS; g++) {
    if (src.groupKeys[g]) {
      GroupKeyList3 *l = Model3_EnsureGroupKeys(m, n, g);
      if (l) *l = *src.groupKeys[g];
    } else if (dst.groupKeys[g]) {
      GroupKeyList3_Reset(dst.groupKeys[g]);
    }
  }
  memcpy(dst.name, newName, sizeof dst.name);
  dst.used = src.used;
  dst.word = src.word;
  dst.length = newLength;
  m->motion = n;
  m->motionCount = n + 1;
  dst.used = 1;
  if (m->keyTableLength < n + 1) m->keyTableLength = n + 1;
  Step(c.slot, "追加 ( モーションリスト )");
  Ed3D_FillMotionList(c.model);
  g_Ed3DMotionPanels.listRefresh = 1;
  return true;
}

void Ed3D_ShowMotionEntry(void *dlg, const u32 ids[3], i32 motion, const char *name, i32 length) {
  char text[ED3D_LINE];
  Str_Format(text, sizeof text, "No.%3d", (int)motion);
  SetText(dlg, ids[0], text);
  Str_Format(text, sizeof text, "%s", name);
  SetText(dlg, ids[1], text);
  Str_Format(text, sizeof text, "%d", (int)length);
  SetText(dlg, ids[2], text);
}

void Ed3D_MotionListRefresh(void) {
  static const u32 kIds[3] = {IDC_MLIST_NO, IDC_MLIST_NAME, IDC_MLIST_LENGTH};
  const HookCtx c = Family_ShellContext();
  Model3 *m = CurModel(&c);
  void *dlg = g_Ed3DMotionPanels.listDlg;
  if (!m || !dlg) return;
  Ed3D_ShowMotionEntry(dlg, kIds, m->motion, m->motions[m->motion].name, m->motions[m->motion].length);
}

// [SECTION] sound list
bool Ed3D_AddMotionSound(const char *path) {
  const HookCtx c = Family_ShellContext();
  Model3 *m = CurModel(&c);
  if (!m || !path || !path[0]) return false;
  i32 n = m->soundCount < 0 ? 0 : m->soundCount;
  if (n >= MODEL3_SOUNDS) {
    Seam_ErrorBox("効果音は 100 個までです。これ以上追加できません。");
    return false;
  }
  // The dialog's bare name is the file in the current folder, wherever the sounds are kept.
  char full[1024];
  const char *file = DocRef_FullPath(path, full, sizeof full) ? full : path;
  // The loader answers yes without a sound device: a file that cannot be read is refused here.
  FILE *f = fopen(file, "rb");
  if (f) fclose(f);
  if (!f || !Sound_LoadModelSound(m, n, file)) {
    Seam_ErrorBoxf("%s を読み込むことができませんでした。", path);
    return false;
  }
  // Kept from the motion file's folder; a name the field cannot hold is refused, never cut.
  static_assert(sizeof m->sounds[0] == DocRef_Size(DOCREF_KZM_SOUND), "the effect sound field's row");
  char kept[DocRef_Size(DOCREF_KZM_SOUND)];
  if (!DocRef_Choose(m->soundFolder, sizeof m->soundFolder, file, kept, sizeof kept)) {
    Seam_ErrorBoxf(kDocRefMsgTooLong, path);
    return false;
  }
  Str_Copy(m->sounds[n], MODEL3_NAME, kept);
  m->soundCount = n + 1;
  Doc_MarkEdited(Doc_SoundKind(c.slot));   // kept only by a KZM
  Step(c.slot, "効果音 追加 ( モーション )");
  Ed3D_FillMotionSoundList(c.model);
  Ed3D_FillMotionSoundCombo(c.model);
  return true;
}

bool Ed3D_AskSoundFile(char *path, size_t size) {
  const char *file = FileDlg_OpenByExt(g_Shell.g_MainWindowHandle, "WAV", "効果音 ( WAV ) ファイルを選択して下さい", "");
  if (!file || !file[0]) return false;
  Str_Copy(path, size, file);
  return true;
}

void Ed3D_AddMotionSoundCommand(void) {
  char path[1024];
  if (Ed3D_AskSoundFile(path, sizeof path)) Ed3D_AddMotionSound(path);
}
