// The 2D motion sub-mode's hooks, key operations, view drag, playback, wheel step and draw.
// Owns g_Ed2DMotion.
#include "edit2d/ed2d_motion.h"

#include <math.h>
#include <string.h>

#include "app/current.h"
#include "app/docflags.h"
#include "app/family.h"
#include "app/play.h"
#include "app/shell_seam.h"
#include "app/shell_sel.h"
#include "app/startup_state.h"
#include "app/strip.h"
#include "app/strip_state.h"
#include "app/tree.h"
#include "app/viewdraw.h"
#include "app/views.h"
#include "edit2d/ed2d_object.h"
#include "edit2d/ed2d_submode.h"
#include "edit2d/ed2d_poly.h"
#include "lib/draw/draw.h"
#include "lib/draw/drawbatch.h"
#include "lib/draw/drawwire.h"
#include "lib/framework/lib.h"
#include "app/shell_view.h"
#include "lib/framework/lib_state.h"

Ed2DMotionEditor g_Ed2DMotion;

// [SECTION] model access
static bool MotionInUse(const Bone2Model *m) {
  return m && m->currentMotion >= 0 && m->currentMotion < m->motionCount && m->currentMotion < BONE2_MAX_MOTIONS;
}

// Bone b's track in the current motion (b above 0, inside the model); null otherwise.
static Bone2Track *TrackOf(Bone2Model *m, i32 b) {
  if (b <= 0 || b >= Bone2_BoneCount(m) || !MotionInUse(m)) return nullptr;
  return Bone2_Track(m, b, m->currentMotion);
}

static Bone2Track *CurTrack(Bone2Model *m, const ShellSelection *sel) { return TrackOf(m, (i32)sel->g_CurBoneIndex); }

// The current bone's track, made when the model has no table for it yet (a bone added after
// the file was read, a motion the file did not have).
static Bone2Track *CurTrackMade(Bone2Model *m, const ShellSelection *sel) {
  Bone2Track *t = CurTrack(m, sel);
  i32 b = (i32)sel->g_CurBoneIndex;
  if (t || b <= 0 || b >= Bone2_BoneCount(m) || !MotionInUse(m)) return t;
  if (!Bone2_ReserveKeys(m, b, m->currentMotion, 1)) return nullptr;
  return Bone2_Track(m, b, m->currentMotion);
}

static bool Editable(const Bone2Model *m) { return g_Shell.g_Playing != 1 && m != nullptr; }
static bool Editable(void) { return Editable(Current_Bone2Edited()); }

static void Edited(void) { Doc_MarkEdited(DOC_BONE2); }

static void SetIdentity(BoneKey2 *k, i32 frame) {
  k->frame = frame;
  k->x = k->y = k->angle = 0.0f;
  k->scaleX = k->scaleY = 1.0f;
}

static i32 KeyIndexIn(const Bone2Model *m, const Bone2Track *t) {
  if (!t || !t->keys || t->count <= 0) return -1;
  i32 k = Keys_FindAtOrBefore(t->keys, t->count, sizeof(BoneKey2), m->currentFrame);
  return k < 0 ? 0 : k;
}

i32 Ed2D_MotionKeyIndex(Bone2Model *m, const ShellSelection *sel) {
  i32 k = KeyIndexIn(m, CurTrack(m, sel));
  g_Ed2DMotion.keyIndex = k < 0 ? 0 : k;
  return g_Ed2DMotion.keyIndex;
}


BoneKey2 *Ed2D_MotionCurrentKey(Bone2Model *m, const ShellSelection *sel) {
  Bone2Track *t = CurTrack(m, sel);
  i32 k = KeyIndexIn(m, t);
  g_Ed2DMotion.keyIndex = k < 0 ? 0 : k;
  return k >= 0 ? &t->keys[k] : nullptr;
}


// The key at the current key index when it lies on the current frame.
static BoneKey2 *KeyOnFrame(Bone2Model *m, const ShellSelection *sel) {
  BoneKey2 *k = Ed2D_MotionCurrentKey(m, sel);
  return k && m && k->frame == m->currentFrame ? k : nullptr;
}
static BoneKey2 *KeyOnFrame(void) { return KeyOnFrame(Current_Bone2Edited(), &g_Sel); }

static void AfterKeyChange(Bone2Model *m, const ShellSelection *sel) {
  Bone2_UpdateKeyIndices(0);
  Ed2D_MotionKeyIndex(m, sel);
}
static void AfterKeyChange(void) { AfterKeyChange(Current_Bone2Edited(), &g_Sel); }

// [SECTION] keys
bool Ed2D_MotionCreateKey(Bone2Model *m, const ShellSelection *sel) {
  if (!Editable(m)) return false;
  Bone2Track *t = CurTrackMade(m, sel);
  if (!t) return false;   // bone 0 never gets keys
  i32 f = m->currentFrame;
  if (t->keys && Keys_Find(t->keys, t->count, sizeof(BoneKey2), f) >= 0) return false;
  BoneKey2 k;
  SetIdentity(&k, f);
  if (t->count > 0 && t->keys) {
    // The new key holds the pose the motion has at its frame.
    i32 b = (i32)sel->g_CurBoneIndex;
    Bone2_UpdateKeyIndices(0);
    Bone2 *bone = &m->bones[b];
    Bone2_EvalKey(0, b, bone->keyIndex, bone->fraction);
    k.x = bone->pose[0], k.y = bone->pose[1], k.angle = bone->pose[2];
    k.scaleX = bone->pose[3], k.scaleY = bone->pose[4];
  }
  // The track grows as needed: a track read from a file has room for its keys only.
  if (Bone2Track_Insert(t, &k) < 0) return false;
  Edited();
  AfterKeyChange(m, sel);
  return true;
}


void Ed2D_MotionDeleteKey(void) {
  Bone2Model *m = Current_Bone2Edited();
  if (!Editable()) return;
  Bone2Track *t = CurTrack(m, &g_Sel);
  if (!t || !t->keys) return;
  i32 k = Keys_Find(t->keys, t->count, sizeof(BoneKey2), m->currentFrame);
  if (k < 0 || !Keys_Remove(t->keys, &t->count, sizeof(BoneKey2), k)) return;
  Edited();
  AfterKeyChange();
}

void Ed2D_MotionCopyKey(void) {
  if (!Editable()) return;
  HookCtx c = Family_ShellContext();
  const BoneKey2 *k = Ed2D_MotionCurrentKey(c.model2, c.sel);
  if (k) g_Ed2DMotion.clipboard = *k;
}

void Ed2D_MotionCutKey(void) {
  if (!Editable()) return;
  Ed2D_MotionCopyKey();
  Ed2D_MotionDeleteKey();
}

void Ed2D_MotionPasteKey(void) {
  HookCtx c = Family_ShellContext();
  Bone2Model *m = c.model2;
  if (!Editable() || !CurTrackMade(m, c.sel)) return;
  Ed2D_MotionCreateKey(m, c.sel);   // refused on a taken frame: that key is replaced below
  Bone2_UpdateKeyIndices(0);
  BoneKey2 *k = KeyOnFrame();
  if (!k) return;
  *k = g_Ed2DMotion.clipboard;
  k->frame = m->currentFrame;
  Edited();
  AfterKeyChange();
}

bool Ed2D_MotionMoveKey(i32 delta) {
  Bone2Model *m = Current_Bone2Edited();
  if (!Editable() || delta == 0) return false;
  Bone2Track *t = CurTrack(m, &g_Sel);
  BoneKey2 *key = KeyOnFrame();
  if (!t || !key) return false;
  i64 to = (i64)m->currentFrame + delta;
  if (to < 0) to = 0;
  if (to > 0x3fffffff) to = 0x3fffffff;
  // The key itself moves (the clipboard stays the user's); a taken frame refuses the move.
  if (Keys_Find(t->keys, t->count, sizeof(BoneKey2), (i32)to) >= 0) return false;
  BoneKey2 moved = *key;
  moved.frame = (i32)to;
  Keys_Remove(t->keys, &t->count, sizeof(BoneKey2), (i32)(key - t->keys));
  Bone2Track_Insert(t, &moved);   // never grows: a key was just removed
  m->currentFrame = (i32)to;
  Edited();
  AfterKeyChange();
  return true;
}

// [SECTION] view drag
static bool LeftAlone(void) {
  return Shell_ButtonHeld(BUTTON_LEFT) && !Shell_ButtonHeld(BUTTON_RIGHT) && !Shell_ButtonHeld(BUTTON_MIDDLE);
}

static bool RightAlone(void) {
  return Shell_ButtonHeld(BUTTON_RIGHT) && !Shell_ButtonHeld(BUTTON_LEFT) && !Shell_ButtonHeld(BUTTON_MIDDLE);
}

bool Ed2D_MotionDragKey(Bone2Model *m, const ShellSelection *sel, u32 layout, f32 dx, f32 dy) {
  if (!Editable(m) || sel->g_CurBoneIndex < 1) return false;
  BoneKey2 *k = KeyOnFrame(m, sel);
  if (!k || (dx == 0.0f && dy == 0.0f)) return false;
  const char *label;
  switch (g_Ed2DMotion.tool) {
    case 0: k->x += dx, k->y += dy, label = "移動 ( モーション )"; break;
    case 1: k->angle += 0.3f * dx, k->angle -= 0.3f * dy, label = "回転 ( モーション )"; break;
    case 2: k->scaleX += 0.005f * dx, k->scaleY -= 0.005f * dy, label = "拡大 ( モーション )"; break;
    default: return false;
  }
  Str_Copy(g_Ed2DMotion.undoLabel, sizeof g_Ed2DMotion.undoLabel, label);
  Edited();
  g_Ed2DMotion.valuesRefresh = 1;
  App_MarkAllRedraw(layout);
  return true;
}

bool Ed2D_MotionDragKey(f32 dx, f32 dy) {
  return Ed2D_MotionDragKey(Current_Bone2Edited(), &g_Sel, View_CurrentLayout(), dx, dy);
}

void Ed2D_MotionLButtonDown(const HookCtx *c) {
  Ed2D_SetDragAnchors(c);
  Ed2D_MotionCreateKey(c->model2, c->sel);
  App_MarkAllRedraw(c->layout);
  Ed2D_RefreshMotionLists(c->model2);
}

void Ed2D_MotionMouseMove(const HookCtx *c) {
  f32 fx, fy;
  Ed2D_ClientToFrame(c->x, c->y, &fx, &fy);
  if (LeftAlone()) Ed2D_MotionDragKey(c->model2, c->sel, c->layout, fx - g_Ed2D.dragX, fy - g_Ed2D.dragY);
  g_Ed2D.dragX = fx;
  g_Ed2D.dragY = fy;
}

// [SECTION] wheel
// The current strip row's bone track (the current bone's when no row is current).
static const Bone2Track *RowTrack(Bone2Model *m, const ShellSelection *sel) {
  i32 r = g_TreeRows.current;
  i32 b = r >= 0 && r < g_TreeRows.count && r < TREE_ROWS ? g_TreeRows.rows[r].item : (i32)sel->g_CurBoneIndex;
  const Bone2Track *t = TrackOf(m, b);
  return t && t->keys ? t : nullptr;
}

static i32 PrevKeyFrame(const Bone2Track *t, i32 f) {
  for (i32 i = t ? t->count - 1 : -1; i >= 0; i--)
    if (t->keys[i].frame < f) return t->keys[i].frame;
  return f;
}

static i32 NextKeyFrame(const Bone2Track *t, i32 f) {
  for (i32 i = 0; t && i < t->count; i++)
    if (t->keys[i].frame > f) return t->keys[i].frame;
  return f;
}

i32 Ed2D_PrevKeyFrame(i32 f) { return PrevKeyFrame(RowTrack(Current_Bone2Edited(), &g_Sel), f); }
i32 Ed2D_NextKeyFrame(i32 f) { return NextKeyFrame(RowTrack(Current_Bone2Edited(), &g_Sel), f); }

void Ed2D_MotionWheelKey(const HookCtx *c) {
  Bone2Model *m = c->model2;
  if (!m) return;
  const Bone2Track *t = RowTrack(m, c->sel);
  m->currentFrame = c->step < 0 ? PrevKeyFrame(t, m->currentFrame) : NextKeyFrame(t, m->currentFrame);
  AfterKeyChange(m, c->sel);
  g_Ed2DMotion.stripRefresh = g_Ed2DMotion.valuesRefresh = 1;
  App_MarkAllRedraw(c->layout);
}

// [SECTION] playback
// The loop check box sits in the key-value dialog; the key strip shows the frame.
static const PlayControl kPlay = {&g_Ed2DMotion.valuesDlg, IDC_MOT2D_LOOP, &g_Ed2DMotion.loop,
                                  &g_Ed2DMotion.stripRefresh};

void Ed2D_MotionPlay(void) {
  Bone2Model *m = Current_Bone2Edited();
  if (!m) return;
  // A play while playing starts again and keeps the frame from before the first.
  Play_Start(&kPlay, &m->currentFrame, g_Shell.g_Playing != 1 ? &g_Ed2DMotion.playStart : nullptr);
  m->playTime = 0.0f;
}

void Ed2D_MotionStop(void) {
  Bone2Model *m = Current_Bone2Edited();
  Play_Stop(&kPlay, m ? &m->currentFrame : nullptr, g_Ed2DMotion.playStart);
  Bone2_UpdateKeyIndices(0);
  g_Ed2DMotion.valuesRefresh = 1;
}

// [SECTION] hooks
const char *Ed2D_MotionWindowName(u32 kind) {
  static const char *const kNames[ED2D_MOT_WIN_KINDS] = {"2D_MOTION_DLG", "MOTION_KEY_2D_DLG", "2D_MOTION_LIST_DLG"};
  return kind < ED2D_MOT_WIN_KINDS ? kNames[kind] : nullptr;
}

static void *Create(u32 kind, i32 x, i32 y, i32 w, i32 h) {
  return Widget_CreatePanel(Ed2D_MotionWindowName(kind), x, y, w, h);
}

static void DestroyWindow2D(void **w) {
  if (*w) Widget_Destroy(*w);
  *w = nullptr;
}

static void CreateWindows(const Bone2Model *m) {
  Ed2DMotionEditor &e = g_Ed2DMotion;
  i32 sw = g_Lib.desktopWidth, sh = g_Lib.desktopHeight;
  // On a low desktop the value dialog sits in the bottom right corner, the motion list above
  // it 40 pixels shorter, and the key strip, right of the edit-mode selector (90 pixels), ends
  // at the value dialog: the frame keeps the top left (View_LowFramePan).
  enum { VALUES_W = 273, VALUES_H = 307, SELECTOR_W = 90, LIST_CUT = 40 };
  bool low = View_TextureLayoutLow();
  i32 cut = low ? LIST_CUT : 0;
  if (!e.valuesDlg) {
    e.valuesDlg = Create(ED2D_MOT_WIN_VALUES, sw - VALUES_W, low ? sh - VALUES_H : sh - 336, VALUES_W, VALUES_H);
    if (e.valuesDlg) Widget_SetCheck(e.valuesDlg, IDC_MOT2D_LOOP, e.loop != 0);
  }
  if (!e.keyDlg) {
    e.keyDlg = low ? Create(ED2D_MOT_WIN_KEYS, SELECTOR_W, sh - 200, sw - VALUES_W - SELECTOR_W, 170)
                   : Create(ED2D_MOT_WIN_KEYS, 0, sh - 200, 678, 170);
    e.scrollBar = e.keyDlg ? Widget_Control(e.keyDlg, ED2D_STRIP_SCROLL_ID) : nullptr;
    Ed2D_MotionSetFrameBar(m);
  }
  if (!e.listDlg) {
    e.listDlg = Create(ED2D_MOT_WIN_LIST, sw - 228, 47, 228, 450 - cut);
    e.motionList = e.listDlg ? Widget_CreateList(e.listDlg, 1, 0, 95, 222, 330 - cut, WIDGET_LIST_NOTIFY) : nullptr;
    Ed2D_FillMotionList(m);
    if (e.listDlg) Widget_Activate(e.listDlg);
  }
}

void Ed2D_MotionInit(const HookCtx *c) {
  Ed2DMotionEditor &e = g_Ed2DMotion;
  ShellSelection *sel = c->sel;
  sel->g_CurSlot = 0;
  App_AllocWorkArrays(sel);
  Ed2D_InitCommon(c, SUB_2D_MOTION);   // run state 2, 2D slot 0, MENU_2D_MOTION
  e.tool = 1;
  if (sel->g_CurPartIndex == 0) sel->g_CurPartIndex = 1;
  if (g_TreeRows.current == 0) g_TreeRows.current = 1;
  if (g_TreeRows.hovered == 0) g_TreeRows.hovered = 1;
  Bone2Model *m = Ed2D_EnsureBoneModel(c->model2);   // made here when slot 0 is empty
  if (m) m->currentFrame = 0;
  e.loop = 1;
  e.playStart = 0;
  e.keyIndex = 0;
  e.lastFrame = e.lastLength = -1;
  e.lastMotion = m ? m->currentMotion : 0;
  SetIdentity(&e.clipboard, 0);
  g_Strip.g_StripGeo.margin = 0;
  CreateWindows(m);
  Tree_BuildRowsBones2D();
  Ed2D_RefreshMotionLists(m);
}

void Ed2D_MotionLeave(const HookCtx *c) {
  Ed2DMotionEditor &e = g_Ed2DMotion;
  g_Shell.g_Playing = 0;
  DestroyWindow2D(&e.valuesDlg);
  DestroyWindow2D(&e.motionList);
  DestroyWindow2D(&e.listDlg);
  DestroyWindow2D(&e.scrollBar);
  DestroyWindow2D(&e.keyDlg);
  e.stripLeft = e.stripMiddle = e.stripRight = 0;
}

// The scroll bar's range follows the current motion's length, however it changed.
static void FollowLength(const Bone2Model *m) {
  i32 len = MotionInUse(m) ? m->motions[m->currentMotion].length : 0;
  if (len != g_Ed2DMotion.lastLength) Ed2D_MotionSetFrameBar(m);
}

void Ed2D_MotionUpdate(const HookCtx *c) {
  Ed2DMotionEditor &e = g_Ed2DMotion;
  Bone2Model *m = c->model2;
  if (!m || g_Bone2SlotShown[0] != 1) return;
  Ed2D_MotionKeyIndex(m, c->sel);
  FollowLength(m);
  if (m->currentFrame != e.lastFrame) {
    e.lastFrame = m->currentFrame;
    if (e.scrollBar) Widget_SetScroll(e.scrollBar, -1, m->currentFrame);
  }
  m->displayMode = g_Shell.g_Playing == 1 || Shell_ButtonHeld(BUTTON_LEFT) ? 2 : 3;
  if (RightAlone()) Ed2D_PickCurrentBone(c, true);
  Lib_SetSceneDraw(1);
}

// [SECTION] draw
void Ed2D_MotionDraw(const HookCtx *c) {
  const Bone2Model *m = c->model2;
  if (!m || g_Bone2SlotShown[0] == 0 || g_Shell.g_Playing == 1) return;
  View_Draw2DGrid(c->view);
  Ed2D_DrawSkeleton(m, m->skinned ? m->skinned : m->positions, true, 146, 164, c->sel->g_CurBoneIndex);
}

// [SECTION] installation
void Ed2D_MotionInstall(void) {
  g_Ed2DMotion.loop = 1;   // loops until the sub-mode's check box says otherwise
  g_ShellEntries.bone2KeyPanelRefresh = &g_Ed2DMotion.stripRefresh;
  g_ShellEntries.bone2Loop = &g_Ed2DMotion.loop;
}
