// What the 2D sub-modes share: the common steps of their init and the bone sub-mode's own
// right-up cell. The sub-mode editors' own cells are in ed2d_object.h, ed2d_motion.h,
// ed2d_poly.h and ed2d_tex.h.
#pragma once
#include "app/hook_ctx.h"
#include "model/types.h"

// The steps every sub-mode init shares: 2D slot 0 current in the context's selection, the
// bone model's skin shown or hidden, the run state, the sub-mode's menu.
void Ed2D_InitCommon(const HookCtx *c, u32 subMode);

// Right up of the bone sub-mode: the 3D bone editor's right-up (Ed3D_BoneRButtonUp) only
// sets a flag that no 2D code reads; this family keeps its own named cell.
void Ed2D_BoneRButtonUp(const HookCtx *c);
