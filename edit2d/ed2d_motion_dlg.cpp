// The 2D motion sub-mode's dialog handlers: the key-value dialog (tools, key buttons, play,
// typed values), the motion list (choosing, naming, adding motions), the key strip's scroll
// bar and mouse, and the lists' refresh. The thin procedures of ed2d_motion_win.cpp call these.
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
#include "edit2d/ed2d_mlist.h"
#include "edit2d/ed2d_motion.h"
#include "edit2d/ed2d_object.h"
#include "lib/framework/lib.h"
#include "model/seam_errorbox.h"

static const char kNoMoreMotions[] = "これ以上 モーションを追加できません。";


static bool MotionInUse(const Bone2Model *m) {
  return m && m->currentMotion >= 0 && m->currentMotion < m->motionCount && m->currentMotion < BONE2_MAX_MOTIONS;
}

static i32 MotionLength(const Bone2Model *m) { return MotionInUse(m) ? m->motions[m->currentMotion].length : 0; }

static void SetFrame(Bone2Model *m, i32 f) {
  m->currentFrame = f;
  Bone2_UpdateKeyIndices(0);
  HookCtx c = Family_ShellContext();
  Ed2D_MotionKeyIndex(c.model2, c.sel);
}

// [SECTION] lists
static Ed2DLines s_Lines;   // one fill at a time

void Ed2D_FillMotionList(const Bone2Model *m) {
  void *list = g_Ed2DMotion.motionList;
  if (!m || !list) return;
  i32 n = m->motionCount < 0 ? 0 : m->motionCount;
  Ed2D_MotionListLines(m->motions, n, m->currentMotion, &s_Lines);
  Ed2D_FillAs(list, ED2D_FILL_LIST, &s_Lines);
}

void Ed2D_RefreshMotionLists(const Bone2Model *m) {
  Ed2DMotionEditor &e = g_Ed2DMotion;
  e.valuesRefresh = e.stripRefresh = e.listRefresh = 1;
  g_Strip.g_StripWindows[STRIP_BONE2_KEYS].dirty = 1;
  Ed2D_FillMotionList(m);
}

void Ed2D_MotionSetFrameBar(const Bone2Model *m) {
  Ed2DMotionEditor &e = g_Ed2DMotion;
  if (!m) return;
  i32 len = MotionLength(m);
  e.lastLength = len;
  if (!e.scrollBar) return;
  Widget_SetScroll(e.scrollBar, len > 1 ? len - 1 : 0, m->currentFrame);
}

// [SECTION] key-value dialog
// "決定": the key at the current key index takes the typed values. A field that is no number
// refuses the whole entry (the key keeps its values).
static void ApplyValues(void) {
  Ed2DMotionEditor &e = g_Ed2DMotion;
  if (g_Shell.g_Playing == 1) return;
  HookCtx c = Family_ShellContext();
  BoneKey2 *k = Ed2D_MotionCurrentKey(c.model2, c.sel);
  if (!k) return;
  static const u32 kFields[5] = {IDC_MOT2D_X, IDC_MOT2D_Y, IDC_MOT2D_ANGLE, IDC_MOT2D_SCALE_X, IDC_MOT2D_SCALE_Y};
  f32 v[5];
  if (!Ed2D_ReadFloats(e.valuesDlg, kFields, 5, v, &e.valuesRefresh)) return;
  // A field still showing a rounded value stands for the exact value shown.
  f32 *slot[5] = {&k->x, &k->y, &k->angle, &k->scaleX, &k->scaleY};
  char text[64];
  for (i32 i = 0; i < 5; i++) {
    Ed2D_GetText(e.valuesDlg, kFields[i], text, sizeof text);
    f64 shown;
    *slot[i] = Widget_ShownValue(e.valuesDlg, kFields[i], text, &shown) ? (f32)shown : v[i];
  }
  Doc_MarkEdited(DOC_BONE2);
  e.valuesRefresh = 1;
  App_MarkAllRedraw(c.layout);
}

static void SetTool(u32 tool) {
  g_Ed2DMotion.tool = tool;
  g_Ed2DMotion.valuesRefresh = 1;
  App_MarkAllRedraw(View_CurrentLayout());
}

void Ed2D_MotionDlgCommand(u32 id) {
  HookCtx c = Family_ShellContext();
  switch (id) {
    case IDC_MOT2D_MOVE: SetTool(0); break;
    case IDC_MOT2D_ROTATE: SetTool(1); break;
    case IDC_MOT2D_SCALE: SetTool(2); break;
    case IDC_MOT2D_CREATE: Ed2D_MotionCreateKey(c.model2, c.sel); Ed2D_RefreshMotionLists(c.model2); break;
    case IDC_MOT2D_COPY: Ed2D_MotionCopyKey(); break;
    case IDC_MOT2D_CUT: Ed2D_MotionCutKey(); Ed2D_RefreshMotionLists(c.model2); break;
    case IDC_MOT2D_PASTE: Ed2D_MotionPasteKey(); Ed2D_RefreshMotionLists(c.model2); break;
    case IDC_MOT2D_DELETE: Ed2D_MotionDeleteKey(); Ed2D_RefreshMotionLists(c.model2); break;
    case IDC_MOT2D_PLAY: Ed2D_MotionPlay(); break;
    case IDC_MOT2D_STOP: Ed2D_MotionStop(); break;
    case IDC_MOT2D_APPLY: ApplyValues(); break;
    default: break;   // zoom, frame step, colour and texture controls have no action here
  }
}

void Ed2D_MotionDlgTick(void) {
  Ed2DMotionEditor &e = g_Ed2DMotion;
  if (e.valuesRefresh != 1) return;
  e.valuesRefresh = 0;
  void *d = e.valuesDlg;
  Ed2D_Check(d, IDC_MOT2D_MOVE, e.tool == 0);
  Ed2D_Check(d, IDC_MOT2D_ROTATE, e.tool == 1);
  Ed2D_Check(d, IDC_MOT2D_SCALE, e.tool == 2);
  // Without a key (a bone with none, a model just read) the fields are emptied: the values of
  // the model before would otherwise stay.
  HookCtx c = Family_ShellContext();
  const BoneKey2 *k = Ed2D_MotionCurrentKey(c.model2, c.sel);
  const BoneKey2 none = {};
  const BoneKey2 &v = k ? *k : none;
  const struct { u32 id; f32 v; } fields[5] = {{IDC_MOT2D_X, v.x}, {IDC_MOT2D_Y, v.y}, {IDC_MOT2D_ANGLE, v.angle},
                                               {IDC_MOT2D_SCALE_X, v.scaleX}, {IDC_MOT2D_SCALE_Y, v.scaleY}};
  char t[64] = "";
  for (const auto &f : fields) {
    if (k) snprintf(t, sizeof t, "%3.3f", (double)f.v);
    if (k && d) Widget_ShowValue(d, f.id, t, f.v);
    else Ed2D_SetText(d, f.id, t);
  }
}

// [SECTION] motion list
static void MotionChanged(void) {
  Ed2DMotionEditor &e = g_Ed2DMotion;
  Bone2Model *m = Current_Bone2Edited();
  m->currentFrame = 0;
  e.lastMotion = m->currentMotion;
  e.listRefresh = 1;
  SetFrame(m, 0);
  Ed2D_MotionSetFrameBar(m);
  e.stripRefresh = e.valuesRefresh = 1;
  App_MarkAllRedraw(View_CurrentLayout());
}

static bool ApplyMotion(const Ed2DMList *l) {
  Bone2Model *m = Current_Bone2Edited();
  if (!MotionInUse(m)) return false;
  if (!Ed2D_MListApplyFields(l, &m->motions[m->currentMotion])) return false;
  Doc_MarkEdited(DOC_BONE2);
  Ed2D_MotionSetFrameBar(m);
  return true;
}

// Every bone of the model gets a track for motion n holding the identity key at frame 0,
// before anything reads it (a model read from a file has tables for its own motions only).
static bool MakeMotionTracks(Bone2Model *m, i32 n) {
  for (i32 b = 0; b < BONE2_MAX_BONES; b++) {
    if (!m->bones[b].keys && b >= m->boneCount) continue;
    if (!Bone2_ReserveKeys(m, b, n, BONE2_TRACK_KEYS)) return false;
    Bone2Track *t = Bone2_Track(m, b, n);
    if (!t || !t->keys) return false;
    if (t->count <= 0) {
      BoneKey2 &k = t->keys[0];
      k.frame = 0;
      k.x = k.y = k.angle = 0.0f;
      k.scaleX = k.scaleY = 1.0f;
      t->count = 1;
    }
  }
  return true;
}

static void AddMotion(const Ed2DMList *l) {
  Bone2Model *m = Current_Bone2Edited();
  if (!ApplyMotion(l)) return;
  if (m->motionCount >= BONE2_MAX_MOTIONS) {
    Seam_ErrorBox(kNoMoreMotions);
    return;
  }
  i32 n = m->motionCount < 0 ? 0 : m->motionCount;
  if (!MakeMotionTracks(m, n)) return;
  m->motionCount = n + 1;
  m->motions[n].used = 1;
  if (m->motions[n].length < 1) m->motions[n].length = 1;
  m->currentMotion = n;
  Doc_MarkEdited(DOC_BONE2);
  MotionChanged();
}

static void FillList(void) {
  HookCtx c = Family_ShellContext();
  Ed2D_FillMotionList(c.model2);
}

// The dialog shows only motions in use (below the count).
static const Ed2DMList kList = {
    &g_Ed2DMotion.motionList, &g_Ed2DMotion.listDlg, &g_Ed2DMotion.lastMotion, &g_Ed2DMotion.listRefresh,
    IDC_ML2D_NO, IDC_ML2D_NAME, IDC_ML2D_LENGTH, IDC_ML2D_CLOSE, IDC_ML2D_APPLY, IDC_ML2D_ADD,
    BONE2_MAX_MOTIONS, true, MotionChanged, ApplyMotion, AddMotion, FillList};

void Ed2D_MotionListCommand(u32 id) {
  Bone2Model *m = Current_Bone2Edited();
  if (m) Ed2D_MListCommand(&kList, &m->currentMotion, m->motionCount, id);
}

void Ed2D_MotionListTick(void) {
  const Bone2Model *m = Current_Bone2Edited();
  if (m) Ed2D_MListTick(&kList, m->motions, m->motionCount, m->currentMotion);
}

// [SECTION] key strip
void Ed2D_MotionKeyScroll(u32 code, i32 pos) {
  Bone2Model *m = Current_Bone2Edited();
  if (!m) return;
  i32 len = MotionLength(m);
  i32 f = Ed2D_StripScrollFrame(code, pos, m->currentFrame, len > 1 ? len - 1 : 0);
  SetFrame(m, f);
  if (g_Ed2DMotion.scrollBar) Widget_SetScroll(g_Ed2DMotion.scrollBar, -1, f);
  g_Ed2DMotion.stripRefresh = 1;
}

i32 Ed2D_MotionSnapFrame(const Bone2Track *t, i32 current) {
  i64 best = 99999;
  i32 frame = current;
  for (i32 i = 0; t && t->keys && i < t->count; i++) {
    i64 d = llabs((i64)t->keys[i].frame - current + 3);
    if (d < 5 && d < best) best = d, frame = t->keys[i].frame;
  }
  return frame;
}

static void FrameFromStrip(i32 x) {
  Bone2Model *m = Current_Bone2Edited();
  SetFrame(m, Ed2D_StripFrameFromX(x, MotionLength(m)));
  Tree_BuildRowsBones2D();
}

// A click on a row makes its bone current; inside the expander box it opens or closes it.
static void ClickRow(i32 x) {
  Bone2Model *m = Current_Bone2Edited();
  i32 r = g_TreeRows.hovered;
  if (r < 0 || r >= g_TreeRows.count || r >= TREE_ROWS) return;
  const HierRow &row = g_TreeRows.rows[r];
  g_TreeRows.current = r;
  if (row.item < 0 || row.item >= m->boneCount || row.item >= BONE2_MAX_BONES) return;
  g_Sel.g_CurBoneIndex = (u32)row.item;
  i32 box = row.depth * 16;
  if (x > box + 1 && x < box + 16) m->bones[row.item].expanded = m->bones[row.item].expanded ? 0u : 1u;
}

// A left release on the frame of the press (a click, not a scrub) snaps to a near key.
static void Snap(void) {
  Bone2Model *m = Current_Bone2Edited();
  if (m->currentFrame != g_Ed2DMotion.pressFrame) return;
  Bone2_UpdateKeyIndices(0);
  Bone2Track *t = m && g_Sel.g_CurBoneIndex > 0 && MotionInUse(m) ? Bone2_Track(m, (i32)g_Sel.g_CurBoneIndex, m->currentMotion)
                                                            : nullptr;
  SetFrame(m, Ed2D_MotionSnapFrame(t, m->currentFrame));
}

static void MiddleDrag(i32 dx) { Ed2D_MotionMoveKey(Ed2D_StripMiddleStep(dx)); }

static i32 *CurrentFrame(void) { return Current_Bone2Edited() ? &Current_Bone2Edited()->currentFrame : nullptr; }

static bool CreateKey(void) {
  HookCtx c = Family_ShellContext();
  return Ed2D_MotionCreateKey(c.model2, c.sel);
}

static void RefreshLists(void) {
  HookCtx c = Family_ShellContext();
  Ed2D_RefreshMotionLists(c.model2);
}

// The left release snaps; the lists refresh after every message.
static const Ed2DStripMouse kStripMouse = {
    &g_Ed2DMotion.stripLeft, &g_Ed2DMotion.stripMiddle, &g_Ed2DMotion.stripRight, &g_Ed2DMotion.stripX,
    &g_Ed2DMotion.stripY, &g_Ed2DMotion.pressFrame, CurrentFrame, FrameFromStrip, ClickRow, MiddleDrag, Snap,
    CreateKey, RefreshLists, false};

void Ed2D_MotionKeyMouse(u32 kind, i32 x, i32 y) { Ed2D_StripMouse(&kStripMouse, kind, x, y); }

void Ed2D_MotionKeyIdle(void) {
  if (g_Ed2DMotion.stripRefresh != 1) return;
  g_Ed2DMotion.stripRefresh = 0;
  g_Strip.g_StripWindows[STRIP_BONE2_KEYS].dirty = 1;
}
