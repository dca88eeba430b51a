// The 3D object-motion editor (sub-mode 12 of the 3D model family). It always edits object
// set 0: the objects of the set (each a KZP model hung from a parent object), the key frames
// of the set's motions (one frame list per motion, every object's key array index-aligned
// with it), the objects' joint offsets and parent numbers. Its five panels are "3D_OBJ_DLG"
// (tools, key buttons, key fields), "OBJ_KEY_DLG" (key strip), "OBJ_LIST_DLG" (tree, list,
// parent rules, adding, replacing and removing objects), "OBJ_MOTION_LIST_DLG" (motions)
// and "OBJ_WAVE_DLG" (sounds). No operation here records an undo step.
//
// Global owned here: Ed3DObjMotionEditor (start-up: Ed3D_SetStartState in editors.cpp). The
// sub-mode's hooks, its key store and its dialogs change it; the window handles are opaque
// and made through the widget seam (app/widget.h; the panels registered by ed3d_obj_win.cpp).
#pragma once
#include "app/hook_ctx.h"
#include "edit3d/ed3d_motion.h"
#include "model/kzo.h"
#include "model/math.h"
#include "model/types.h"

enum {
  ED3D_OBJ_TOOL_MOVE = 0,
  ED3D_OBJ_TOOL_ROTATE = 1,
  ED3D_OBJ_TOOL_SCALE = 2,
  ED3D_OBJ_TOOL_JOINT = 4,
  ED3D_OBJ_CYCLE_STEPS = 320,   // parent chain steps the parent check follows
  ED3D_OBJ_TEXT = 256,
};

struct Ed3DObjMotionEditorState {
  // "3D_OBJ_DLG" refreshes its tool buttons when 1 (1 from the start-up on; the start-up
  // table names this field by position).
  u32 objDlgRefresh;
  u32 keyDialogRefresh;    // "OBJ_KEY_DLG"
  u32 listRefresh;         // "OBJ_LIST_DLG"
  u32 motionListRefresh;   // "OBJ_MOTION_LIST_DLG"
  u32 waveRefresh;         // "OBJ_WAVE_DLG"
  i32 ring;                // rotation ring chosen on the overlay: 0 Y, 1 X, 2 Z, -1 none
  f32 pivot[3];            // pivot record: the rotated object's position and the delta
  Quat delta;
  ObjKey3 clip[OBJ3_PARTS];   // key clipboard, one key per object
  u8 clipHeld;                // 1 once keys were copied
  u32 loop;                // loop flag of playback (check box IDC_OKEY_LOOP of the key dialog)
  i32 savedFrame;          // the set's frame when playback started
  i32 seenObject;          // the current object the list dialog last saw
  i32 seenMotion;          // the motion the motion list dialog last saw
  Ed3DStripMouse strip;    // mouse state of the key strip
  // Panels and their run-time controls; null while closed.
  void *objDlg;            // "3D_OBJ_DLG"
  void *keyDlg;            // "OBJ_KEY_DLG"
  void *soundCombo;        // its combo IDC_OKEY_SOUND
  void *listDlg;           // "OBJ_LIST_DLG"
  void *tree;              // its tree view
  void *list;              // its list box (id 1)
  void *parentCombo;       // its combo IDC_OLIST_PARENT
  void *motionDlg;         // "OBJ_MOTION_LIST_DLG"
  void *motionList;        // its list box (id 1)
  void *waveDlg;           // "OBJ_WAVE_DLG"
  void *waveList;          // its list box (id 1)
  void *treeItems[OBJ3_PARTS];
  char texts[OBJ3_PARTS][ED3D_OBJ_TEXT];   // tree item labels
};
extern Ed3DObjMotionEditorState Ed3DObjMotionEditor;

// [SECTION] key store and playback (ed3d_obj_keys.cpp). All act on object set 0.
// The set's current motion record, null without a set or with a motion out of range.
Obj3Motion *Ed3D_ObjMotion(void);
// Key k of object o in the current motion, null when there is none.
ObjKey3 *Ed3D_ObjKey(i32 o, i32 k);
// The index of the key at the set's current frame, -1 when there is none.
i32 Ed3D_ObjKeyAtFrame(void);
// A key at the current frame for every object (each takes its pose at that frame; the first
// key of a motion is the identity). Nothing while playing or when the frame has a key; a
// 17th key is refused with a message. True when a key was made.
bool Ed3D_CreateObjKey(void);
void Ed3D_DeleteObjKey(void);
void Ed3D_CopyObjKey(void);
void Ed3D_CutObjKey(void);
// A key at the current frame holding the clipboard (nothing before a copy).
void Ed3D_PasteObjKey(void);
// Multiplies the pivot record's delta into the key at the current frame of o, its
// descendants and its following siblings. Leaves sel's current object at the last one visited.
void Ed3D_RotateObjSubtree(ShellSelection *sel, i32 o);
void Ed3D_ObjTogglePlay(void);
void Ed3D_ObjPlay(void);
void Ed3D_ObjStop(void);
// The smallest / largest key frame above / below f of the current row; f when there is none.
i32 Ed3D_NextRowKeyFrame(i32 f);
i32 Ed3D_PrevRowKeyFrame(i32 f);
// The wheel: previous (step < 0) or next key frame.
void Ed3D_ObjMotionWheelKey(const HookCtx *c);

// [SECTION] the sub-mode (ed3d_obj_mode.cpp)
FamilyHookFn Ed3D_ObjMotionEnter, Ed3D_ObjMotionLeave, Ed3D_ObjMotionUpdate, Ed3D_ObjDrawScene,
    Ed3D_ObjDrawOverlay, Ed3D_ObjLButtonDown, Ed3D_ObjRButtonUp, Ed3D_ObjMouseMove,
    Ed3D_ObjMotionKeyDown, Ed3D_ObjMotionCommand;
// The axis cross of object o (axis 0..2: the axis of the chosen ring on the current object),
// the object current in the overlay last drawn marked.
void Ed3D_DrawObjAxes(i32 o, i32 axis);
// Refresh flags of the five panels, the lists filled again, every view redrawn, from the
// model and selection of context c.
void Ed3D_ObjMotionRefreshLists(const HookCtx *c);
// Selection sel's current object when it exists in the set (1..count-1 for edits), else -1.
i32 Ed3D_ObjCurrent(const ShellSelection *sel);

// [SECTION] dialogs (ed3d_obj_panels.cpp): the decisions; the procedures only move values.
// The ten key fields of "3D_OBJ_DLG": position 1454..1456, quaternion 1457..1460, scale 1461..1463.
extern const u32 kEd3DObjKeyFields[ED3D_FIELDS];
// A command of "3D_OBJ_DLG"; fields only for 1472. True when handled.
bool Ed3D_ObjDlgCommand(u32 id, const char fields[ED3D_FIELDS][ED3D_FIELD_TEXT]);
// Parses the ten field texts into the current object's key at the key index; false with a
// message (key unchanged) for a text that is no number or a quaternion of length 0.
bool Ed3D_ObjApplyFields(const char fields[ED3D_FIELDS][ED3D_FIELD_TEXT]);
// Parent change of the current object to `selection` (the combo line). False with the
// rule's message when refused (the old parent stays).
bool Ed3D_ObjSetParent(i32 selection);
// Removes object o (not 0) with the parents renumbered; false with a message when refused.
bool Ed3D_ObjRemove(i32 o);
// Reads a KZP file as a new last object / into the current object's place (not object 0).
bool Ed3D_ObjAddFile(const char *path);
bool Ed3D_ObjReplaceFile(const char *path);
// The object list dialog's commands (IDC_OLIST_ADD, IDC_OLIST_REPLACE with a file dialog;
// IDC_OLIST_REMOVE, IDC_OLIST_JOINT, IDC_OLIST_APPLY with the parent combo's line). The list's caret line first becomes the current object.
void Ed3D_ObjListCommand(u32 id, i32 caretLine, i32 comboLine);
// Tree selection changed to an item with this text.
void Ed3D_ObjTreeSelect(const char *text);
// Motion list: the list line (0..99) becomes the current motion; IDC_OML_APPLY / IDC_OML_ADD
// store the name and length (IDC_OML_ADD adds a motion after); false with a message when refused.
void Ed3D_ObjMotionListSelect(i32 line);
bool Ed3D_ObjMotionListStore(u32 id, const char *name, const char *length);
void Ed3D_ObjMotionListRefresh(void);
// Sound list: a WAV file added as the current model's next sound; the command asks for it.
bool Ed3D_ObjAddSound(const char *path);
void Ed3D_ObjAddSoundCommand(void);
// The sound combo's line for the set's key index (ignored past the 16 entries).
void Ed3D_ObjSetKeySound(i32 line);
// The key strip: the frame under the strip mouse and the scroll bar (the mouse is
// KeyStrip_Move's on g_Ed3DObjKeyStrip).
bool Ed3D_ObjSetFrameFromStrip(void);
void Ed3D_ObjKeyStripScroll(i32 code, i32 pos);
i32 Ed3D_ObjStripScrollMax(void);
// Middle-drag step of the strip: every object's key at the current frame and the frame move
// by delta frames (not below 0); refused onto a frame that holds a key. True when moved.
bool Ed3D_ObjMoveKeyFrame(i32 delta);
// The key dialog's strip (keystrip.h) as this editor fills it in.
extern const KeyStrip g_Ed3DObjKeyStrip;

// Lines and fills.
void Ed3D_ObjTreeText(i32 o, char *out, size_t size);
// The forms without a selection or model are of the shell's.
void Ed3D_ObjListLines(Ed3DLines *out);
void Ed3D_ObjListLines(const ShellSelection *sel, Ed3DLines *out);
void Ed3D_ObjParentLines(Ed3DLines *out);
void Ed3D_ObjParentLines(const ShellSelection *sel, Ed3DLines *out);
void Ed3D_ObjMotionLines(Ed3DLines *out);
void Ed3D_ObjSoundLines(Ed3DLines *out);
void Ed3D_ObjSoundLines(const Model3 *m, Ed3DLines *out);
void Ed3D_FillObjTree(const ShellSelection *sel);
void Ed3D_AddObjTreeItem(i32 o);
void Ed3D_FillObjList(const ShellSelection *sel);
void Ed3D_FillObjParentCombo(const ShellSelection *sel);
void Ed3D_FillObjMotionList(void);
void Ed3D_FillObjSoundList(const Model3 *m);
