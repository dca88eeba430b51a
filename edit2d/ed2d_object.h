// The 2D object sub-mode (4): a 2D object model in slot 0 of g_Obj2Slots built from up to 33
// objects and 32 images and animated by per-object key lists. Its hooks, the key operations
// (create, delete, copy, cut, paste, typed values, the view drag), playback, the wheel's key
// step, the list fillers and the handlers of its five windows: the object list
// "2D_OBJ_LIST_DLG", the image dialog "2D_OBJ_IMG_DLG", the key-value dialog "2D_OBJ_DLG",
// the key strip "2D_OBJ_KEY_DLG" and the motion list "OBJ_MOTION_LIST_DLG".
//
// Globals owned here: g_Ed2DObj (the sub-mode's editor object). Its windows go through the
// widget seam (app/widget.h; ed2d_object_win.cpp registers them). Every edit returns at once
// while g_Shell.g_Playing is 1.
#pragma once
#include "app/hook_ctx.h"
#include "edit2d/ed2d.h"
#include "edit2d/ed2d_strip.h"
#include "model/obj2.h"
#include "model/types.h"
#include "resources/edit2d_ids.h"

// The sub-mode's windows.
enum Ed2DObjWindow : u32 {
  ED2D_OBJ_WIN_LIST = 0,   // 2D_OBJ_LIST_DLG
  ED2D_OBJ_WIN_IMAGE,      // 2D_OBJ_IMG_DLG
  ED2D_OBJ_WIN_VALUES,     // 2D_OBJ_DLG
  ED2D_OBJ_WIN_KEYS,       // 2D_OBJ_KEY_DLG
  ED2D_OBJ_WIN_MOTIONS,    // OBJ_MOTION_LIST_DLG
  ED2D_OBJ_WIN_KINDS
};

// The template name of a sub-mode window (ED2D_OBJ_WIN_*), null for another kind.
const char *Ed2D_ObjWindowName(u32 kind);

// How a filled control selects (a widget fill kind, not redrawn until it is filled): a plain
// list, an extended-selection list (its caret names the current object), a combo box.
enum Ed2DObjFill : u32 {
  ED2D_FILL_LIST = WIDGET_FILL_LIST | WIDGET_FILL_QUIET,
  ED2D_FILL_MULTI = WIDGET_FILL_MULTI_CARET | WIDGET_FILL_QUIET,
  ED2D_FILL_COMBO = WIDGET_FILL_COMBO | WIDGET_FILL_QUIET,
};

struct Ed2DObjEditor {
  u32 tool;             // 0 move, 1 rotate, 2 scale
  ObjKey2 clipboard;    // filled by copy and cut (a new key's values until then)
  u32 loop;             // 1: playback loops (read from "ループ再生" at play)
  i32 playStart;        // the frame before play, restored by stop
  i32 curImage;         // current image of the image dialog
  u32 pivotEdit;        // 1: a left drag in the image preview moves the image's pivot
  // Refresh flags of the key-value dialog, the key strip, the object list, the motion list
  // and the image dialog.
  u32 valuesRefresh, stripRefresh, listRefresh, motionRefresh, imageRefresh;
  // Key strip mouse: buttons held inside it, the last position, the frame at the left press.
  u32 stripLeft, stripMiddle, stripRight;
  i32 stripX, stripY, pressFrame;
  // Image dialog mouse.
  u32 imgLeft, imgMiddle, imgRight;
  i32 imgX, imgY;
  // Main view drag anchor in frame pixels.
  f32 dragX, dragY;
  i32 lastFrame;        // frame the strip's scroll bar last showed
  i32 lastMotion;       // motion the motion list last applied
  // Windows and run-time children.
  void *listDlg, *objectList, *parentCombo;
  void *imageDlg, *imageList;
  void *valuesDlg;
  void *keyDlg, *scrollBar;
  void *motionDlg, *motionList;
  void *nameList;       // the name list's control when a window shows it (none of the templates does)
  i32 listDlgX, listDlgY, imageDlgX, imageDlgY, valuesDlgX, valuesDlgY, keyDlgX, keyDlgY, motionDlgX, motionDlgY;
};
extern Ed2DObjEditor g_Ed2DObj;

// [SECTION] hooks (the sub-mode's row of ed2d_rows.cpp)
FamilyHookFn Ed2D_ObjInit, Ed2D_ObjLeave, Ed2D_ObjUpdate, Ed2D_ObjDraw, Ed2D_ObjLButtonDown,
    Ed2D_ObjMouseMove;
void Ed2D_ObjectWheelKey(const HookCtx *c);   // step < 0: previous key frame, else next
// Fills g_ShellEntries' 2D object entries and the playback loop flag (Edit2D_Install calls it).
void Ed2D_ObjInstall(void);

// [SECTION] keys (current object of slot 0, current motion, current frame)
// Model m and selection sel's current object.
// False when nothing was created (no model, object 0, playing, a key on the frame).
bool Ed2D_ObjCreateKey(Obj2Model *m, const ShellSelection *sel);
void Ed2D_ObjDeleteKey(void);
void Ed2D_ObjCopyKey(void);
void Ed2D_ObjCutKey(void);
void Ed2D_ObjPasteKey(void);
// The key at the current object's key index, or null.
ObjKey2 *Ed2D_ObjCurrentKey(void);
// The view drag of the current key by (dx, dy) frame pixels under the current tool; the views
// of `layout` are redrawn.
void Ed2D_ObjDragKey(Obj2Model *m, const ShellSelection *sel, u32 layout, f32 dx, f32 dy);
void Ed2D_ObjDragKey(f32 dx, f32 dy);
// Moves the current object's key on the current frame by `delta` frames (at least frame 0);
// the current frame follows. False (nothing changed) when the target frame holds a key.
bool Ed2D_ObjMoveKey(i32 delta);
i32 Ed2D_ObjPrevKeyFrame(i32 f);
i32 Ed2D_ObjNextKeyFrame(i32 f);
void Ed2D_ObjPlay(void);
void Ed2D_ObjStop(void);

// [SECTION] lists (ed2d_object_lists.cpp)
// The object sub-mode's lists and dialogs refreshed, the object and parent lines marking sel's
// current object.
void Ed2D_RefreshObjectLists(const ShellSelection *sel);
// The image dialog's preview shows the current image as its model now holds it.
void Ed2D_ShowCurrentImage(void);
void Ed2D_ImageLines(const Obj2Model *m, Ed2DLines *out);
void Ed2D_ObjectLines(const Obj2Model *m, const ShellSelection *sel, Ed2DLines *out);
void Ed2D_ObjectLines(const Obj2Model *m, Ed2DLines *out);
void Ed2D_ParentLines(const Obj2Model *m, const ShellSelection *sel, Ed2DLines *out);
void Ed2D_ParentLines(const Obj2Model *m, Ed2DLines *out);
void Ed2D_NameLines(const Obj2Model *m, Ed2DLines *out);
void Ed2D_ObjectMotionLines(const Obj2Model *m, Ed2DLines *out);
// The fills from the object model of sel's current 2D slot.
void Ed2D_FillImageList(const ShellSelection *sel);
void Ed2D_FillObjectList(const ShellSelection *sel);
void Ed2D_FillObjParentCombo(const ShellSelection *sel);
void Ed2D_FillObjNameList(const ShellSelection *sel);
void Ed2D_FillObjectMotionList(const ShellSelection *sel);
// The strip's scroll bar: range 0..length of the current motion, position the current frame.
void Ed2D_ObjSetFrameBar(void);

// [SECTION] dialog fields (the family's generic control calls; a missing dialog or entry does
// nothing, a text read from none is empty). False when the field's text was refused (the user
// has been told): the caller changes nothing.
bool Ed2D_GetText(void *dlg, u32 id, char *out, u32 size);
void Ed2D_SetText(void *dlg, u32 id, const char *text);
void Ed2D_Check(void *dlg, u32 id, bool on);
// The numbers of n fields of dlg into out. A field that is no number refuses them all with
// "数値ではない値が入力されています。\n値は変更されませんでした。", sets *refresh to 1 (the
// dialog shows the kept values again) and gives false.
bool Ed2D_ReadFloats(void *dlg, const u32 *ids, i32 n, f32 *out, u32 *refresh);
// A floating-point number filling the whole text (spaces around allowed); false otherwise.
bool Ed2D_ParseFloat(const char *text, f32 *out);
// A colour component: digits only (spaces around allowed), clamped to 0..255; false otherwise.
bool Ed2D_ParseColour(const char *text, i32 *out);
// A whole number (sign allowed); false otherwise.
bool Ed2D_ParseInt(const char *text, i32 *out);

// [SECTION] dialogs (ed2d_object_dlg.cpp; the thin procedures of ed2d_object_win.cpp call these)
void Ed2D_ObjImgCommand(u32 id);
void Ed2D_ObjImgMouse(u32 kind, i32 x, i32 y);
void Ed2D_ObjImgTick(void);
void Ed2D_ObjDlgCommand(u32 id);
void Ed2D_ObjDlgTick(void);
// The parent rules for object c; shows the refusal and keeps the old parent when refused.
bool Ed2D_SetObjectParent(Obj2Model *m, i32 c, i32 choice);
void Ed2D_ObjListCommand(u32 id);
void Ed2D_ObjListTick(void);
void Ed2D_ObjMotionListCommand(u32 id);
void Ed2D_ObjMotionListTick(void);
// Key strip: scroll bar code (0 line left, 1 line right, 2 page left, 3 page right, 4 thumb
// with pos), mouse messages at window positions, and the other messages' refresh.
void Ed2D_ObjKeyScroll(u32 code, i32 pos);
void Ed2D_ObjKeyMouse(u32 kind, i32 x, i32 y);
void Ed2D_ObjKeyIdle(void);
// The strip's frame from window x (frame 0 at or left of the label column).
i32 Ed2D_ObjFrameFromX(i32 x);
