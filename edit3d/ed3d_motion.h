// The bone and group motion editor (sub-mode 18 of the 3D model family): its key store and
// its mouse editing. The key store makes, moves, deletes, copies and pastes the keys of the
// current bone's track (bone mode) or of the current group's key list (group mode) at the
// current layer model's current motion and frame, and walks a bone's subtree for the
// children-follow edits. The mouse editing poses the current bone by dragging in the views
// (move, rotate, scale) and runs the two-joint inverse kinematics step in the Side view.
//
// Global owned here: g_Ed3DMotion. The sub-mode's hooks, dialogs and overlay change its
// option fields (edit target, children-follow option, ring selection); only the operations
// here change the clipboards, the pivot record, the drag-start snapshot and the IK state.
// No operation of the key store records an undo step; a drag records one at its release.
// The key store and the mouse editing act on the model, slot and selection of the context
// they are handed (the current bone and group are the selection's); callers without a
// message build the shell's context (Family_ShellContext) once and pass it down.
#pragma once
#include "app/hook_ctx.h"
#include "app/shell_services.h"
#include "edit3d/ed3d.h"
#include "edit3d/keystrip.h"
#include "lib/framework/view_record.h"
#include "model/keytrack.h"
#include "model/math.h"
#include "model/model3.h"
#include "model/types.h"

enum {
  ED3D_MOTION_TARGET_BONE = 0,
  ED3D_MOTION_TARGET_GROUP = 1,
  ED3D_MOTION_TOOL_MOVE = 0,
  ED3D_MOTION_TOOL_ROTATE = 1,
  ED3D_MOTION_TOOL_SCALE = 2,
  ED3D_MOTION_TOOL_IK = 3,
};

// One bone's state at the left press: the key the drag may edit (the key at the current
// frame, else the key at the bone's key index) and the bone's matrices of the pose record.
struct Ed3DMotionSnap {
  u8 held;        // 1: `frame`, `pos` and `quat` hold a key of the bone's track
  i32 frame;      // the key's frame: a restore finds the key by it, not by an index
  f32 pos[3];
  f32 quat[4];
  Mat4 posed;     // ModelPose::posed, accumRot and accumQuat of the bone
  Mat4 accumRot;
  Quat accumQuat;
};

struct Ed3DMotionEditor {
  i16 target;            // ED3D_MOTION_TARGET_*; any other value: the key operations do nothing
  u32 childrenFollow;    // 1: rotations and key moves also reach the bone's descendants
  i32 ikRoot, ikJoint, ikEnd;   // the IK chain R, J, E
  i32 keyIndex;          // current key index: last key at or before the current frame
  u32 dialogRefresh;     // the motion dialog refreshes its fields when 1
  u32 keyDialogRefresh;  // the key dialog refreshes when 1
  i32 ring;              // rotation ring chosen on the overlay: 0 Y, 1 X, 2 Z, -1 none
  u8 ikActive;           // 1 from left press to left release
  u8 dragOpen;           // 1 while a left drag holds a snapshot (keys made then join it)
  u8 dragEdited;         // 1 when the current drag changed a key
  u8 keyDragEdited;      // 1 when the strip's middle drag moved a key (recorded at its release)
  u8 clipHeld;           // 1 once a bone key was copied
  u8 groupClipHeld;      // 1 once a group key was copied
  f32 ikTarget[2];       // client pixels: the press point, then the pointer in the Side view
  f32 rotAccum[3];       // degrees about X, Y, Z since the left press, each within [-90, 90]
  f32 pivot[3];          // pivot record: the rotated bone's position and the delta rotation
  Quat delta;
  f32 pressQuat[4];      // the current bone's key quaternion at the left press
  BoneKey3 clip;         // key clipboards
  GroupKey3 groupClip;
  f32 boneScreen[MODEL3_BONES][2];   // bone screen positions (the IK step writes the Side view's)
  Ed3DMotionSnap snap[MODEL3_BONES];
  void *modeCombo;       // control 72 of the motion dialog (bone / group)
  void *textureCombo;    // control 70 of the motion dialog
};
extern Ed3DMotionEditor g_Ed3DMotion;

// [SECTION] key store (ed3d_motion_keys.cpp)
// A key at the current frame for the current bone (bone mode, never bone 0) or the current
// group (group mode) when it has none: the bone key holds the pose the motion had at that
// frame (the identity for a track's first key). A full group list (16 keys) refuses with a
// message. Nothing while playback runs. True when a key was added.
bool Ed3D_CreateBoneKey(const HookCtx *c);
// Moves the key at the current frame by delta frames (below 0: to 0); refused when the
// target frame holds a key. The key takes its place in frame order.
void Ed3D_MoveKeyFrame(const HookCtx *c, i32 delta);
// Ed3D_MoveKeyFrame for the current bone, its descendants and its following siblings (the
// current bone is restored); nothing while the hierarchy rows hold 256 rows.
void Ed3D_MoveKeyFrameTree(const HookCtx *c, i32 delta);
void Ed3D_DeleteKey(const HookCtx *c);
void Ed3D_CopyKey(const HookCtx *c);
void Ed3D_CutKey(const HookCtx *c);
// A key at the current frame holding the clipboard's values; nothing before a copy.
void Ed3D_PasteKey(const HookCtx *c);
void Ed3D_UpdateCurrentKeyIndex(const HookCtx *c);
// The largest key frame below f / the smallest above f of the current track or group list;
// f when there is none.
i32 Ed3D_PrevKeyFrame(const HookCtx *c, i32 f);
i32 Ed3D_NextKeyFrame(const HookCtx *c, i32 f);
// Moves the current frame onto the key nearest to f - 3 among the keys from f - 7 to f + 1.
void Ed3D_SnapToNearKey(const HookCtx *c);
// Multiplies the pivot record's delta into the key at the current frame of b, its
// descendants and its following siblings (keys made where missing). Leaves the current
// bone at the last bone visited: callers restore it.
void Ed3D_RotateSubtree(const HookCtx *c, i32 b);
// Identity rotation for the keys at the current frame of b, its following siblings and all
// their descendants (keys made where missing).
void Ed3D_ResetSubtreeRotation(const HookCtx *c, i32 b);
// The wheel's key step of the sub-mode: the current frame moves to the previous (step < 0)
// or next key frame.
void Ed3D_MotionWheelKey(const HookCtx *c);

// The current layer model's track of bone b in its current motion, or null.
KeyTrack *Ed3D_MotionTrack(Model3 *m, i32 b);

// [SECTION] drags and IK (ed3d_motion_drag.cpp)
FamilyHookFn Ed3D_MotionLButtonDown, Ed3D_MotionLButtonUp;
// Right release in the perspective view where the right press was: the bone nearest to the
// pointer on view 0's own camera becomes current.
FamilyHookFn Ed3D_MotionRButtonUp, Ed3D_MotionMouseMove;
// The move tool's amounts by view kind added to a position: the gizmo axis in the
// perspective view, the view's plane in Front, Top and Side (0.05 per pixel).
void Ed3D_MoveByView(f32 p[3], u32 kind, u32 gizmoAxis, f32 dx, f32 dy);
// Puts back every snapshot key and the pose record's matrices of the left press.
void Ed3D_RestoreDragStart(const HookCtx *c);
// Screen position of bone b's posed origin (the model of `slot`) in an orthographic view
// (Front, Top, Side), with the view record's centre, pan and zoom.
void Ed3D_MotionBoneScreen(const ViewRecord *v, u32 slot, i32 b, f32 out[2]);
// The same mapping for any model point p (the Front mapping for views of other kinds).
void Ed3D_OrthoScreen(const ViewRecord *v, Vec3 p, f32 out[2]);
// Screen position of bone b's posed origin (of the context's slot) on the perspective camera
// of the context's layout's view 0, in view 0's client pixels (the mouse's). False when view 0
// has no size.
bool Ed3D_MotionBoneScreenView0(const HookCtx *c, i32 b, f32 out[2]);
// The chain for effector e: E = e, J = E's parent, R = J's parent.
void Ed3D_IkSetChain(const HookCtx *c, i32 e);
// One IK step on the chain in the Side view `side`: bend at R, aim at J, each by at most one
// step. Nothing while IK is not armed or when J or R is bone 0. The current bone is kept.
void Ed3D_IkStep(const HookCtx *c, const ViewRecord *side);

// [SECTION] the sub-mode (ed3d_motion_mode.cpp)
// Panels of the sub-mode, their refresh flags and playback. Handles are null while closed.
struct Ed3DMotionPanels {
  void *motionDlg;      // "3D_MOTION_DLG"
  void *keyDlg;         // "MOTION_KEY_DLG" (the key strip is painted into it)
  void *soundCombo;     // IDC_MKEY_SOUND of the key dialog
  void *listDlg;        // "3D_MOTION_LIST_DLG"
  void *list;           // its list box (id 1), made at run time
  void *waveDlg;        // "MOTION_WAVE_DLG"
  void *waveList;       // its list box (id 1), made at run time
  u32 listRefresh;      // the motion list dialog shows the current motion again when 1
  u32 loop;             // loop flag of playback (check box IDC_MKEY_LOOP of the key dialog)
  i32 savedFrame;       // the current frame when playback started
  i32 listSeenMotion;   // the motion the list dialog last saw
  i32 prevBone;         // the current bone before the last right-held pick
};
extern Ed3DMotionPanels g_Ed3DMotionPanels;

// The view constants of the 3D draw that the motion sub-modes reset on entry: two scale
// values, one distance, three offsets, one angle and one flag.
struct Ed3DViewConstants {
  f32 scale[2];
  f32 distance;
  f32 offset[3];
  f32 angle;
  u32 flag;
};
extern Ed3DViewConstants g_Ed3DViewConst;
void Ed3D_ResetViewConstants(void);

FamilyHookFn Ed3D_MotionEnter, Ed3D_MotionLeave, Ed3D_MotionUpdate, Ed3D_MotionDrawOverlay,
    Ed3D_MotionKeyUp;
// An arrow key (37..40): the perspective offsets or the pan of view v (the view acted on),
// nothing while the left or right button is held; every view of `layout` flagged for redraw
// when `redraw`.
void Ed3D_MotionArrowKey(ViewRecord *v, u32 layout, u32 virtualKey, bool redraw);
void Ed3D_MotionCommand(const HookCtx *c);
// Refresh flags of the four panels and the strip, the motion list, the sound list and the
// key sound combo filled again from model m, every view of `layout` redrawn.
void Ed3D_MotionRefreshLists(const Model3 *m, u32 layout);
// The fills of the family's list refresh: motion list, sound list, key sound combo.
void Ed3D_FillMotionLists(const Model3 *m);
void Ed3D_TogglePlay(const HookCtx *c);
void Ed3D_MotionPlay(const HookCtx *c);
void Ed3D_MotionStop(const HookCtx *c);
// The right-held bone pick of the update: the bone whose posed origin lies nearest (|dx| +
// |dy|, first on ties) to the mouse in orthographic view v; -1 in other views or with no bone.
i32 Ed3D_MotionPickBone(const HookCtx *c, const ViewRecord *v, i32 mx, i32 my);

// [SECTION] rotation rings (ed3d_motion_mode.cpp): the three rings of radius 1.5 about a
// world point drawn in the perspective view, 16 segments each (0..360 in steps of 22.5).
enum { ED3D_RING_SEGMENTS = 16 };
// End point `s` (0..16) of ring r (0: X-Z, about Y; 1: Y-Z, about X; 2: X-Y, about Z).
Vec3 Ed3D_RingPoint(Vec3 centre, i32 r, i32 s);
// The ring with a segment end nearest to the mouse (Manhattan distance in pixels), from the
// projected ends `screen[r][s]`; -1 when the nearest lies beyond 50 pixels and the right
// button is not held.
i32 Ed3D_ChooseRing(const f32 screen[3][ED3D_RING_SEGMENTS + 1][2], i32 mx, i32 my, bool rightHeld);
// Projects with the perspective camera of the context's layout's view 0 (as the frame places
// it, at the context's angles) into view 0's client pixels; false when view 0 has no size or
// the point does not project.
bool Ed3D_ProjectView0(const HookCtx *c, f32 x, f32 y, f32 z, f32 out[2]);
// The three rings about world point c in the current camera's screen, the ring under the
// mouse (mx, my) chosen into *ring while no button is held; the chosen ring yellow, the
// others dimmed while the left button is held.
void Ed3D_DrawRings(Vec3 c, i32 mx, i32 my, i32 *ring);
// The axis crosses of items 1..count-1 (only `cur`'s while the left or middle button is
// held), the axis of the chosen ring (ring 0 turns about Y, 1 about X, 2 about Z) marked.
void Ed3D_DrawAxisCrosses(i32 count, i32 cur, i32 ring, void (*draw)(i32 item, i32 axis));

// [SECTION] menu operations (ed3d_motion_copy.cpp)
// Copies the bones, bindings and motions of the model file at `path` into the model of
// `slot` (its mesh, groups, textures, group key lists and sounds stay). Each vertex takes the
// binding of the file's vertex nearest to it (|dx| + |dy| + |dz|, the first on ties). False,
// with the model unchanged, when either model is missing or the file cannot be read.
bool Kzp_CopyMotionsFromFile(i32 slot, const char *path);
// The nearest vertex search the copy uses: for each of the n query points, the index of the
// nearest of the m points (first on ties), -1 when m is 0.
void Ed3D_NearestPoints(const Vec3 *pts, i32 m, const Vec3 *queries, i32 n, i32 *out);
// The menu's copy command: file dialog, copy into the context's slot, undo step
// "モーションデータ読み込み".
void Ed3D_CopyMotionsCommand(const HookCtx *c);
// The pose at the current frame becomes the rest mesh of the current model; the current
// bone's track in the current motion keeps its first key. Records "フリーズ". False without
// a model.
bool Ed3D_FreezePose(const HookCtx *c);

// [SECTION] dialogs (ed3d_motion_panels.cpp): the decisions of the four dialogs; the dialog
// procedures (ed3d_motion_win.cpp) only move values between the controls and these.
enum { ED3D_FIELD_TEXT = 256, ED3D_FIELDS = 10 };
// The ten key fields in the order position x y z, quaternion x y z w, scale x y z.
extern const u32 kEd3DKeyFields[ED3D_FIELDS];
// The edited key: the current bone's key at the editor's key index, null when there is none.
BoneKey3 *Ed3D_EditedKey(const HookCtx *c);
// The field texts of a key ("%3.3f").
void Ed3D_KeyFieldTexts(const BoneKey3 *k, char out[ED3D_FIELDS][ED3D_FIELD_TEXT]);
// Parses the ten texts into a key; false with a message, key untouched, for text that is no
// number or a quaternion of length 0. A field whose `edited` entry is false keeps the key's
// value (null: every field is read).
bool Ed3D_ParseKeyFields(const char in[ED3D_FIELDS][ED3D_FIELD_TEXT], const bool *edited, BoneKey3 *k);
// A command of the motion dialog (control id, the texts of the fields for IDC_MOT_APPLY, the selected
// index of a combo for IDC_MOT_MODE / the texture selection for IDC_MOT_APPLY). True when handled.
bool Ed3D_MotionDlgCommand(u32 id, i32 selection, const char fields[ED3D_FIELDS][ED3D_FIELD_TEXT]);
// ±8 degree turn of the edited key about an axis (0 X, 1 Y, 2 Z) of the current bone.
void Ed3D_RotateEditedKey(const HookCtx *c, i32 axis, f32 degrees);
// The twist of the edited key by 8 degrees about the bone's own axis (bones with a parent
// above 0 only).
void Ed3D_TwistEditedKey(const HookCtx *c, f32 degrees);

// The key dialog's strip mouse, and its strip (keystrip.h) as this editor fills it in.
extern Ed3DStripMouse g_Ed3DMotionStrip;
extern const KeyStrip g_Ed3DMotionKeyStrip;
// A strip coordinate from a 16-bit half of lParam (above 10000: negative).
i32 Ed3D_StripCoord(u32 half);
// The frame under strip x: (x - offset - 189) * divisor / 10 wrapped into 0..length-1; false
// (frame untouched) when x is not right of the key area start. Refuses length < 1.
bool Ed3D_StripFrameAt(i32 x, i32 length, i32 *frame);
void Ed3D_SetFrameFromStrip(void);
void Ed3D_ToggleRowExpanded(void);
// The edit target changed between bones and groups: no row is hovered, the strip is painted again.
void Ed3D_MotionTargetChanged(void);
// A mouse move over the key dialog's strip (KeyStrip_Move on this editor's strip).
void Ed3D_KeyStripMove(i32 x, i32 y);
// The scroll bar: code 0 line left, 1 line right, 2 page left, 3 page right, 5 thumb to pos.
void Ed3D_KeyStripScroll(i32 code, i32 pos);
// The frames the scroll bar reaches: 0..length-1 of the current motion (0 without one).
i32 Ed3D_StripScrollMax(void);
// Delete key of the key dialog: the key at the current frame goes, one undo step.
void Ed3D_DeleteKeyWithStep(const HookCtx *c);
// A double click (strip or view): a key at the current frame, one undo step when one was made.
void Ed3D_CreateKeyWithStep(const HookCtx *c);
// The end of the strip's middle drag: one undo step when the drag moved a key.
void Ed3D_KeyDragEnd(void);
// The sound combo's line for the current key index (ignored past the 16 entries).
void Ed3D_SetKeySound(i32 line);
// A sound combo's line stored as model m's sound of key index k (nothing past the 16 entries
// or without m; a line that names no sound stores 0). Both editors' key dialogs use these.
void Ed3D_StoreKeySound(Model3 *m, i32 k, i32 line);
// The combo line showing the sound of key index k (0 past the 16 entries or without m).
i32 Ed3D_KeySoundLine(const Model3 *m, i32 k);
// Motion list dialog: a list selection (0..99) makes the motion current; IDC_MLIST_OK renames
// and sets the length; IDC_MLIST_ADD duplicates the current motion into a new one named and
// sized by the texts (the current motion keeps its own). False (with a message) when refused.
void Ed3D_MotionListSelect(i32 line);
bool Ed3D_MotionListApply(const char *name, const char *length);
bool Ed3D_MotionListAdd(const char *name, const char *length);
// A motion's name and length from the list dialog's texts; false (with a message, nothing
// stored) for a length that is not a whole number of at least 1.
bool Ed3D_StoreMotionEntry(char *name, size_t nameSize, i32 *length, const char *nameText, const char *lengthText);
// The list dialog's number, name and length texts (controls ids[0], ids[1], ids[2]).
void Ed3D_ShowMotionEntry(void *dlg, const u32 ids[3], i32 motion, const char *name, i32 length);
// Sound dialog: a WAV file added as the next sound; false (with a message, list unchanged)
// when the list is full or the file cannot be loaded.
bool Ed3D_AddMotionSound(const char *path);
void Ed3D_AddMotionSoundCommand(void);
// The file dialog for a WAV file; false when none was chosen.
bool Ed3D_AskSoundFile(char *path, size_t size);

// Lines of the fills.
void Ed3D_MotionListLines(const Model3 *m, Ed3DLines *out);
void Ed3D_MotionSoundLines(const Model3 *m, Ed3DLines *out);
// The fills of model m.
void Ed3D_FillMotionList(const Model3 *m);
void Ed3D_FillMotionSoundList(const Model3 *m);
void Ed3D_FillMotionSoundCombo(const Model3 *m);
void Ed3D_FillMotionModeCombo(void);
// The texture combo of model m with current group `group`.
void Ed3D_FillMotionTextureCombo(const Model3 *m, u32 group);
// The motion dialog's refresh: the check boxes, the fields and the texture selection.
void Ed3D_MotionDlgRefresh(void);
// The motion list dialog's refresh: number, name and length.
void Ed3D_MotionListRefresh(void);
