// The cells of the 2D family's dispatch table whose sub-mode editors are not built yet: each
// is a named function that does nothing (an init only takes the sub-mode's slot, run state and
// menu, Ed2D_InitCommon). The editors of the object, polygon, texture, weight and motion
// sub-modes replace them (the object sub-mode's are in ed2d_object.h).
#pragma once
#include "model/types.h"

// The steps every sub-mode init shares: 2D slot 0, the run state, the sub-mode's menu.
void Ed2D_InitCommon(u32 subMode);

void Ed2D_PolyInit(void);
void Ed2D_PolyLeave(void);
void Ed2D_PolyUpdate(void);
void Ed2D_PolyDraw(void);
void Ed2D_LButtonDownAnchors(i32 x, i32 y);
void Ed2D_MButtonDownAnchors(i32 x, i32 y);
void Ed2D_RButtonDownAnchors(i32 x, i32 y);
void Ed2D_PolyLButtonUp(i32 x, i32 y);
void Ed2D_PolyMButtonUp(i32 x, i32 y);
void Ed2D_PolyRButtonUp(i32 x, i32 y);
void Ed2D_PolyMouseMove(i32 x, i32 y);

void Ed2D_TexInit(void);
void Ed2D_TexLeave(void);
void Ed2D_TexUpdate(void);
void Ed2D_TexMouseMove(i32 x, i32 y);

void Ed2D_WeightInit(void);
void Ed2D_WeightLeave(void);
void Ed2D_WeightUpdate(void);
void Ed2D_WeightDraw(void);
void Ed2D_WeightRButtonUp(i32 x, i32 y);
void Ed2D_WeightMouseMove(i32 x, i32 y);

void Ed2D_MotionInit(void);
void Ed2D_MotionLeave(void);
void Ed2D_MotionUpdate(void);
void Ed2D_MotionDraw(void);
void Ed2D_MotionLButtonDown(i32 x, i32 y);
void Ed2D_MotionMouseMove(i32 x, i32 y);

// Right up of the bone sub-mode: the 3D bone editor's right-up (Ed3D_BoneRButtonUp) only
// sets a flag that no 2D code reads; this family keeps its own named cell.
void Ed2D_BoneRButtonUp(i32 x, i32 y);
