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
void Ed3D_FillObjMotionList(void) {}
