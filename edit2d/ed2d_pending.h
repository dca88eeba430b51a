// The cells of the 2D family's dispatch table whose sub-mode editors are not built yet: each
// is a named function that does nothing (an init only takes the sub-mode's slot, run state and
// menu, Ed2D_InitCommon). The editor of the texture sub-mode replaces them (the object and
// motion sub-modes' are in ed2d_object.h and ed2d_motion.h, the polygon and weight sub-modes'
// in ed2d_poly.h).
#pragma once
#include "model/types.h"

// The steps every sub-mode init shares: 2D slot 0, the run state, the sub-mode's menu.
void Ed2D_InitCommon(u32 subMode);

void Ed2D_TexInit(void);
void Ed2D_TexLeave(void);
void Ed2D_TexUpdate(void);
void Ed2D_TexMouseMove(i32 x, i32 y);


// Right up of the bone sub-mode: the 3D bone editor's right-up (Ed3D_BoneRButtonUp) only
// sets a flag that no 2D code reads; this family keeps its own named cell.
void Ed2D_BoneRButtonUp(i32 x, i32 y);
