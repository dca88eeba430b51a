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
// Lists of the sub-mode panels that the family's list refresh fills.
void Ed3D_FillObjMotionList(void);
