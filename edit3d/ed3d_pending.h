// Cells of the 3D family's sub-mode rows, and list fills, whose editors are not built yet.
// Each is a named function that does nothing; the issue that builds an editor removes its
// lines here (ed3d_pending.cpp) and defines the function in its own file.
#pragma once
#include "model/types.h"

// 12 object motion
void Ed3D_ObjMotionEnter(void);
void Ed3D_ObjMotionLeave(void);
void Ed3D_ObjMotionUpdate(void);
void Ed3D_ObjDrawScene(void);
void Ed3D_ObjDrawOverlay(void);
void Ed3D_ObjLButtonDown(i32 x, i32 y);
void Ed3D_ObjRButtonUp(i32 x, i32 y);
void Ed3D_ObjMouseMove(i32 x, i32 y);
void Ed3D_ObjMotionKeyDown(u32 virtualKey);
void Ed3D_ObjMotionCommand(u32 commandId);
void Ed3D_ObjMotionWheelKey(i32 step);
// 16 bones (its key-up is the shell's shared key table, ed3d.h)
void Ed3D_BoneInit(void);
void Ed3D_BoneUpdate(void);
void Ed3D_BoneDraw(void);
void Ed3D_BoneLButtonUp(i32 x, i32 y);
void Ed3D_BoneRButtonUp(i32 x, i32 y);
void Ed3D_BoneMouseMove(i32 x, i32 y);
void Ed3D_AddBone(void);
// 17 vertex weights (its key-down is the shell's shared key table)
void Ed3D_WeightEnter(void);
void Ed3D_WeightLeave(void);
void Ed3D_WeightUpdate(void);
void Ed3D_WeightDrawOverlay(void);
void Ed3D_WeightRButtonUp(i32 x, i32 y);
void Ed3D_WeightMouseMove(i32 x, i32 y);
// Lists of the sub-mode panels that the family's list refresh fills.
void Ed3D_FillObjMotionList(void);
