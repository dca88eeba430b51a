// The motion list of the 2D sub-modes that animate: "2D_MOTION_LIST_DLG" of the motion
// sub-mode (bones) and "OBJ_MOTION_LIST_DLG" of the object sub-mode. Choosing a motion from
// the list, "閉じる", "決定", "追加" and the dialog's fields at a refresh work alike in both;
// what differs is a description (Ed2DMList): the editor's handles and flags, the control ids
// and the sub-mode's own steps. The list and dialog go through the widget seam (app/widget.h).
#pragma once
#include "model/bone2.h"   // Motion2
#include "model/types.h"

struct Ed2DMList {
  void **list, **dlg;        // the editor's list and dialog handles (null after "閉じる")
  i32 *lastMotion;           // motion the list last applied
  u32 *refresh;              // 1: the dialog shows the current motion again at the next tick
  u32 idNo, idName, idLength, idClose, idApply, idAdd;
  i32 maxMotions;            // the model's motion table
  bool onlyCounted;          // the dialog shows the current motion only below the motion count
  void (*changed)(void);                 // the current motion changed
  bool (*apply)(const Ed2DMList *l);     // "決定"; true when the fields were taken
  void (*add)(const Ed2DMList *l);       // "追加"
  void (*fill)(void);                    // refills the list
};

// A command of the list's dialog for a model with `count` motions whose current motion is
// *current: the list's selection (when it names a motion) becomes the current motion first.
// "決定" and "追加" do nothing while g_Shell.g_Playing is 1; "消去" has no action.
void Ed2D_MListCommand(const Ed2DMList *l, i32 *current, i32 count, u32 id);
// The dialog's number, name and length of the current motion, when a refresh is due.
void Ed2D_MListTick(const Ed2DMList *l, const Motion2 *motions, i32 count, i32 current);
// "決定": the typed name and length into mo (see Ed2D_ApplyMotionFields). False when refused;
// the dialog then shows the kept values again.
bool Ed2D_MListApplyFields(const Ed2DMList *l, Motion2 *mo);
