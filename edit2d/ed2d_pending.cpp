// Do-nothing cells of the 2D family's dispatch table (see ed2d_pending.h).
#include "edit2d/ed2d_pending.h"

#include "app/family.h"


void Ed2D_TexInit(void) { Ed2D_InitCommon(SUB_2D_TEXTURE); }
void Ed2D_TexLeave(void) {}
void Ed2D_TexUpdate(void) {}
void Ed2D_TexMouseMove(i32, i32) {}


void Ed2D_BoneRButtonUp(i32, i32) {}
