// Do-nothing cells of the 2D family's dispatch table (see ed2d_pending.h).
#include "edit2d/ed2d_pending.h"

#include "app/family.h"

void Ed2D_PolyInit(void) { Ed2D_InitCommon(SUB_2D_POLY); }
void Ed2D_PolyLeave(void) {}
void Ed2D_PolyUpdate(void) {}
void Ed2D_PolyDraw(void) {}
void Ed2D_LButtonDownAnchors(i32, i32) {}
void Ed2D_MButtonDownAnchors(i32, i32) {}
void Ed2D_RButtonDownAnchors(i32, i32) {}
void Ed2D_PolyLButtonUp(i32, i32) {}
void Ed2D_PolyMButtonUp(i32, i32) {}
void Ed2D_PolyRButtonUp(i32, i32) {}
void Ed2D_PolyMouseMove(i32, i32) {}

void Ed2D_TexInit(void) { Ed2D_InitCommon(SUB_2D_TEXTURE); }
void Ed2D_TexLeave(void) {}
void Ed2D_TexUpdate(void) {}
void Ed2D_TexMouseMove(i32, i32) {}

void Ed2D_WeightInit(void) { Ed2D_InitCommon(SUB_2D_WEIGHT); }
void Ed2D_WeightLeave(void) {}
void Ed2D_WeightUpdate(void) {}
void Ed2D_WeightDraw(void) {}
void Ed2D_WeightRButtonUp(i32, i32) {}
void Ed2D_WeightMouseMove(i32, i32) {}

void Ed2D_MotionInit(void) { Ed2D_InitCommon(SUB_2D_MOTION); }
void Ed2D_MotionLeave(void) {}
void Ed2D_MotionUpdate(void) {}
void Ed2D_MotionDraw(void) {}
void Ed2D_MotionLButtonDown(i32, i32) {}
void Ed2D_MotionMouseMove(i32, i32) {}

void Ed2D_BoneRButtonUp(i32, i32) {}
