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
#pragma once
#include "app/shell_services.h"
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
  u32 moveAxis;          // axis chosen on the perspective view's axis gizmo: 0 x, 1 y, 2 z
  u8 ikActive;           // 1 from left press to left release
  u8 dragOpen;           // 1 while a left drag holds a snapshot (keys made then join it)
  u8 dragEdited;         // 1 when the current drag changed a key
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
};
extern Ed3DMotionEditor g_Ed3DMotion;

// [SECTION] key store (ed3d_motion_keys.cpp)
// A key at the current frame for the current bone (bone mode, never bone 0) or the current
// group (group mode) when it has none: the bone key holds the pose the motion had at that
// frame (the identity for a track's first key). A full group list (16 keys) refuses with a
// message. Nothing while playback runs.
void Ed3D_CreateBoneKey(void);
// Moves the key at the current frame by delta frames (below 0: to 0); refused when the
// target frame holds a key. The key takes its place in frame order.
void Ed3D_MoveKeyFrame(i32 delta);
// Ed3D_MoveKeyFrame for the current bone, its descendants and its following siblings (the
// current bone is restored); nothing while the hierarchy rows hold 256 rows.
void Ed3D_MoveKeyFrameTree(i32 delta);
void Ed3D_DeleteKey(void);
void Ed3D_CopyKey(void);
void Ed3D_CutKey(void);
// A key at the current frame holding the clipboard's values; nothing before a copy.
void Ed3D_PasteKey(void);
void Ed3D_UpdateCurrentKeyIndex(void);
// The largest key frame below f / the smallest above f of the current track or group list;
// f when there is none.
i32 Ed3D_PrevKeyFrame(i32 f);
i32 Ed3D_NextKeyFrame(i32 f);
// Moves the current frame onto the key nearest to f - 3 among the keys from f - 7 to f + 1.
void Ed3D_SnapToNearKey(void);
// Multiplies the pivot record's delta into the key at the current frame of b, its
// descendants and its following siblings (keys made where missing). Leaves the current
// bone at the last bone visited: callers restore it.
void Ed3D_RotateSubtree(i32 b);
// Identity rotation for the keys at the current frame of b, its following siblings and all
// their descendants (keys made where missing).
void Ed3D_ResetSubtreeRotation(i32 b);
// The wheel's key step of the sub-mode: the current frame moves to the previous (step < 0)
// or next key frame.
void Ed3D_MotionWheelKey(i32 step);

// The current layer model's track of bone b in its current motion, or null.
KeyTrack *Ed3D_MotionTrack(Model3 *m, i32 b);

// [SECTION] drags and IK (ed3d_motion_drag.cpp)
void Ed3D_MotionLButtonDown(i32 x, i32 y);
void Ed3D_MotionLButtonUp(i32 x, i32 y);
// Right release in the perspective view where the right press was: the bone nearest to the
// pointer on view 0's own camera becomes current.
void Ed3D_MotionRButtonUp(i32 x, i32 y);
void Ed3D_MotionMouseMove(i32 x, i32 y);
// Puts back every snapshot key and the pose record's matrices of the left press.
void Ed3D_RestoreDragStart(void);
// Screen position of bone b's posed origin in an orthographic view (Front, Top, Side), with
// the view record's centre, pan and zoom.
void Ed3D_MotionBoneScreen(const ViewRecord *v, i32 b, f32 out[2]);
// Screen position of bone b's posed origin on view 0's own perspective camera, in view 0's
// client pixels (the mouse's). False when view 0 has no size.
bool Ed3D_MotionBoneScreenView0(i32 b, f32 out[2]);
// The chain for effector e: E = e, J = E's parent, R = J's parent.
void Ed3D_IkSetChain(i32 e);
// One IK step on the chain in the Side view `side`: bend at R, aim at J, each by at most one
// step. Nothing while IK is not armed or when J or R is bone 0. The current bone is kept.
void Ed3D_IkStep(const ViewRecord *side);
