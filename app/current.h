// The shell's cached current pointers into the model data, recomputed from the selection
// indices by App_RefreshCurrentPointers after every selection or model change. A pointer
// whose owner is missing is null: callers test it before use.
#pragma once
#include "app/shell_view.h"
#include "model/keytrack.h"
#include "model/model3.h"
#include "model/object.h"


extern Model3 *g_CurModel3;
extern Bone3 *g_CurBone3;
extern BoneKey3 *g_CurBone3KeyBuf;
extern Motion3 *g_CurMotion3;
extern KeyTrack *g_CurBone3KeyTrack;
extern BoneKey3 *g_CurBone3Key;
extern KZL::OBJECT *g_CurSceneObject;

// The 2D model family's pointers (the 2D object model of g_Sel.g_Cur2DSlot and of slot 0, the 2D bone
// model of g_Sel.g_Cur2DSlot); null where the owner is missing or an index lies outside the model.
struct Obj2Model;
struct Obj2Part;
struct Obj2Track;
struct ObjKey2;
struct Motion2;
struct Bone2Model;
struct Bone2;
struct Bone2Track;
struct BoneKey2;
extern Obj2Model *g_CurObj2;
extern Obj2Model *g_CurObj2Model;
extern Obj2Part *g_CurObj2Part;
extern Obj2Track *g_CurObj2KeyTrack;
extern ObjKey2 *g_CurObj2Key;
extern Motion2 *g_CurObj2Motion;
extern Bone2Model *g_CurBone2Model;
extern BoneKey2 *g_CurBone2KeyBuf;   // the current bone's rest entry
extern Bone2 *g_CurBone2;
extern Motion2 *g_CurBone2Motion;
extern Bone2Track *g_CurBone2KeyTrack;
extern BoneKey2 *g_CurBone2Key;

// Recomputes the 2D pointers above (the 2D family registers it as refreshModelPointers).
void Current_Refresh2D(void);
// Recomputes the 3D model and scene-object pointers above.
void Current_Refresh3D(void);
// Slot 0 becomes a new empty model with full arrays; the current pointers follow.
void App_NewModelInSlot0(void);
// Scene object 0's rotation angles (nothing when it does not exist).
void App_SetObject0Rotation(f32 x, f32 y, f32 z);
