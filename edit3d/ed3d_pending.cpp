// Do-nothing cells of the sub-mode editors not built yet (see ed3d_pending.h).
#include "edit3d/ed3d_pending.h"

void Ed3D_ObjMotionEnter(void) {}
void Ed3D_ObjMotionLeave(void) {}
void Ed3D_ObjMotionUpdate(void) {}
void Ed3D_ObjDrawScene(void) {}
void Ed3D_ObjDrawOverlay(void) {}
void Ed3D_ObjLButtonDown(i32, i32) {}
void Ed3D_ObjRButtonUp(i32, i32) {}
void Ed3D_ObjMouseMove(i32, i32) {}
void Ed3D_ObjMotionKeyDown(u32) {}
void Ed3D_ObjMotionCommand(u32) {}
void Ed3D_ObjMotionWheelKey(i32) {}
void Ed3D_BoneInit(void) {}
void Ed3D_BoneUpdate(void) {}
void Ed3D_BoneDraw(void) {}
void Ed3D_BoneLButtonUp(i32, i32) {}
void Ed3D_BoneRButtonUp(i32, i32) {}
void Ed3D_BoneMouseMove(i32, i32) {}
void Ed3D_AddBone(void) {}
void Ed3D_WeightEnter(void) {}
void Ed3D_WeightLeave(void) {}
void Ed3D_WeightUpdate(void) {}
void Ed3D_WeightDrawOverlay(void) {}
void Ed3D_WeightRButtonUp(i32, i32) {}
void Ed3D_WeightMouseMove(i32, i32) {}
void Ed3D_FillObjMotionList(void) {}
