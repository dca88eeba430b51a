// What is current in the model data, computed from the selection record g_Sel (app/shell_sel.h)
// each time it is asked, so it never lags behind a selection or model change. A pointer whose
// owner is missing is null: callers test it before use. A loop fetches the pointer once.
#pragma once
#include "app/shell_ids.h"
#include "model/keytrack.h"
#include "model/model3.h"
#include "model/object.h"

// The 2D model family's records (the accessors below name them).
struct Obj2Model;
struct Obj2Part;
struct ObjKey2;
typedef Keys_Track<ObjKey2> Obj2Track;
struct Motion2;
struct Bone2Model;
struct Bone2;
struct BoneKey2;
typedef Keys_Track<BoneKey2> Bone2Track;

// A current index checked against the `count` entries a document has now: past them it falls
// back to the last one there is (0 for none).
inline u32 Current_Within(u32 index, i32 count) {
  return index < (u32)(count > 0 ? count : 1) ? index : (u32)(count > 0 ? count - 1 : 0);
}

// [SECTION] accessors
// The 3D model of the current layer (slot g_Sel.g_CurSlot) and the scene object of that slot.
Model3 *Current_Model3(void);
KZL::OBJECT *Current_SceneObject(void);
// Of the current 3D model: bone g_Sel.g_CurBoneIndex, its rest entry, the current motion, the bone's
// track of that motion and the bone's current key in it.
Bone3 *Current_Bone3(void);
BoneKey3 *Current_Bone3KeyBuf(void);
Motion3 *Current_Motion3(void);
KeyTrack *Current_Bone3KeyTrack(void);
BoneKey3 *Current_Bone3Key(void);
// The 2D object model of g_Sel.g_Cur2DSlot, the 2D object model of slot 0 (the one the object
// editor works on) with its part g_Sel.g_CurPartIndex, that part's track of the current motion and
// current key, and the current motion.
Obj2Model *Current_Obj2OfSlot(void);
Obj2Model *Current_Obj2Model(void);
Obj2Part *Current_Obj2Part(void);
Obj2Track *Current_Obj2KeyTrack(void);
ObjKey2 *Current_Obj2Key(void);
Motion2 *Current_Obj2Motion(void);
// The 2D bone model of g_Sel.g_Cur2DSlot, bone g_Sel.g_CurBoneIndex with its rest entry, the current
// motion, the bone's track of it and its current key.
Bone2Model *Current_Bone2Model(void);
// The 2D bone model of slot 0, the one the 2D model editors work on: what their hooks are
// handed as the context's model2, and what their dialogs and panels (no context) act on.
Bone2Model *Current_Bone2Edited(void);
BoneKey2 *Current_Bone2KeyBuf(void);
Bone2 *Current_Bone2(void);
Motion2 *Current_Bone2Motion(void);
Bone2Track *Current_Bone2KeyTrack(void);
BoneKey2 *Current_Bone2Key(void);

// Slot 0 becomes a new empty model with full arrays.
void App_NewModelInSlot0(void);
// Scene object 0's rotation angles (nothing when it does not exist).
void App_SetObject0Rotation(f32 x, f32 y, f32 z);
