// The 2D motion sub-mode (10): keys of the bones of the 2D bone model in slot 0, per motion.
// Its hooks, the key operations (create, delete, copy, cut, paste, typed values, the view
// drag), playback, the wheel's key step, the motion list and the handlers of its three
// windows: the key-value dialog "2D_MOTION_DLG", the key strip and the motion list
// "2D_MOTION_LIST_DLG".
//
// Globals owned here: g_Ed2DMotion (the sub-mode's editor object). Its windows go through
// the widget seam (app/widget.h; ed2d_motion_win.cpp registers them). Edits do nothing while
// g_Shell.g_Playing is 1, without a model, with bone 0 current, or with no key where one is needed.
#pragma once
#include "app/hook_ctx.h"
#include "edit2d/ed2d.h"
#include "edit2d/ed2d_strip.h"
#include "model/bone2.h"
#include "model/types.h"
#include "resources/edit2d_ids.h"

// The sub-mode's windows.
enum Ed2DMotionWindow : u32 {
  ED2D_MOT_WIN_VALUES = 0,   // 2D_MOTION_DLG
  ED2D_MOT_WIN_KEYS,         // the key strip
  ED2D_MOT_WIN_LIST,         // 2D_MOTION_LIST_DLG
  ED2D_MOT_WIN_KINDS
};
// The template name of a sub-mode window (ED2D_MOT_WIN_*), null for another kind.
const char *Ed2D_MotionWindowName(u32 kind);

struct Ed2DMotionEditor {
  u32 tool;             // 0 move, 1 rotate, 2 scale; 1 after the init
  i32 keyIndex;         // last key of the current bone's track not above the current frame (0: none)
  BoneKey2 clipboard;   // filled by copy and cut (the identity key until then)
  u32 loop;             // 1: playback loops (read from "ループ再生" at play)
  i32 playStart;        // the frame before play, restored by stop
  // Key strip mouse: buttons held inside it, the last position, the frame at the left press.
  u32 stripLeft, stripMiddle, stripRight;
  i32 stripX, stripY, pressFrame;
  // Refresh flags of the key-value dialog, the key strip and the motion list.
  u32 valuesRefresh, stripRefresh, listRefresh;
  i32 lastMotion;       // motion the motion list last applied
  i32 lastFrame;        // frame the strip's scroll bar last showed
  i32 lastLength;       // motion length the scroll bar's range was set for
  // Label of the last drag edit ("移動 ( モーション )" ...); the 2D family keeps no undo steps.
  char undoLabel[64];
  // Windows and run-time children.
  void *valuesDlg;
  void *keyDlg, *scrollBar;
  void *listDlg, *motionList;
  i32 valuesDlgX, valuesDlgY, keyDlgX, keyDlgY, keyDlgW, keyDlgH, listDlgX, listDlgY;
};
extern Ed2DMotionEditor g_Ed2DMotion;

// [SECTION] hooks (the sub-mode's row of ed2d_rows.cpp)
FamilyHookFn Ed2D_MotionInit, Ed2D_MotionLeave, Ed2D_MotionUpdate, Ed2D_MotionDraw,
    Ed2D_MotionLButtonDown, Ed2D_MotionMouseMove;
void Ed2D_MotionWheelKey(const HookCtx *c);   // step < 0: previous key frame, else next
// Fills the playback entries (loop flag, strip refresh) (Edit2D_Install calls it).
void Ed2D_MotionInstall(void);

// [SECTION] keys (current bone of slot 0, current motion, current frame)
// Model m's current motion and frame, selection sel's current bone.
// False when nothing was created (no model, bone 0, playing, a key on the frame, no memory).
bool Ed2D_MotionCreateKey(Bone2Model *m, const ShellSelection *sel);
void Ed2D_MotionDeleteKey(void);
void Ed2D_MotionCopyKey(void);
void Ed2D_MotionCutKey(void);
void Ed2D_MotionPasteKey(void);
// Recomputes and returns the current key index (0 without keys).
i32 Ed2D_MotionKeyIndex(Bone2Model *m, const ShellSelection *sel);
// The key at the current key index, or null (no track, no keys, bone 0).
BoneKey2 *Ed2D_MotionCurrentKey(Bone2Model *m, const ShellSelection *sel);
// The view drag of the current key by (dx, dy) pixels under the current tool, when that key
// lies on the current frame; the undo label and the edited flag follow, the views of `layout`
// are redrawn. False otherwise.
bool Ed2D_MotionDragKey(Bone2Model *m, const ShellSelection *sel, u32 layout, f32 dx, f32 dy);
bool Ed2D_MotionDragKey(f32 dx, f32 dy);
// Moves the current bone's key on the current frame by `delta` frames (at least frame 0); the
// current frame follows. False (nothing changed) when the target frame holds a key.
bool Ed2D_MotionMoveKey(i32 delta);
// Among the current strip row's key frames the largest below f / the smallest above f; f when none.
i32 Ed2D_PrevKeyFrame(i32 f);
i32 Ed2D_NextKeyFrame(i32 f);
void Ed2D_MotionPlay(void);
void Ed2D_MotionStop(void);

// [SECTION] lists
// The motion sub-mode's dialogs, strip and motion list refreshed from model m.
void Ed2D_RefreshMotionLists(const Bone2Model *m);
void Ed2D_FillMotionList(const Bone2Model *m);
// The strip's scroll bar: range 0..length - 1 of m's current motion, position its current
// frame (nothing without m).
void Ed2D_MotionSetFrameBar(const Bone2Model *m);

// [SECTION] dialogs (ed2d_motion_dlg.cpp; the thin procedures of ed2d_motion_win.cpp call these)
void Ed2D_MotionDlgCommand(u32 id);
void Ed2D_MotionDlgTick(void);
void Ed2D_MotionListCommand(u32 id);
void Ed2D_MotionListTick(void);
// Key strip: scroll bar codes (ED2D_SCROLL_*), mouse messages (ED2D_MOUSE_*) at window
// positions, and the other messages' refresh.
void Ed2D_MotionKeyScroll(u32 code, i32 pos);
void Ed2D_MotionKeyMouse(u32 kind, i32 x, i32 y);
void Ed2D_MotionKeyIdle(void);
// The frame the left release snaps to: among the track's keys, the one whose frame f gives the
// smallest |f - current + 3| below 5 (the earlier one on a tie); `current` when none.
i32 Ed2D_MotionSnapFrame(const Bone2Track *t, i32 current);
