// The shell's cached current pointers into the model data, recomputed from the selection
// indices by App_RefreshCurrentPointers after every selection or model change. A pointer
// whose owner is missing is null: callers test it before use.
#pragma once
#include "model/keytrack.h"
#include "model/model3.h"
#include "model/object.h"

extern u32 g_CurSlot;        // current 3D model slot / layer
extern u32 g_Cur2DSlot;      // current 2D slot
extern u32 g_CurBoneIndex;   // shared by the 2D and 3D bone editors
extern u32 g_CurPartIndex;   // shared by the 2D and 3D object editors
extern u32 g_CurGroupIndex;  // current group of the 3D editor's layer model

extern Model3 *g_CurModel3;
extern Bone3 *g_CurBone3;
extern BoneKey3 *g_CurBone3KeyBuf;
extern Motion3 *g_CurMotion3;
extern KeyTrack *g_CurBone3KeyTrack;
extern BoneKey3 *g_CurBone3Key;
extern KZL::OBJECT *g_CurSceneObject;

// Recomputes the 3D model and scene-object pointers above.
void Current_Refresh3D(void);
// Slot 0 becomes a new empty model with full arrays; the current pointers follow.
void App_NewModelInSlot0(void);
// Scene object 0's rotation angles (nothing when it does not exist).
void App_SetObject0Rotation(f32 x, f32 y, f32 z);
