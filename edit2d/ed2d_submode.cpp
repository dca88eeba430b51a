// The bone sub-mode's right-up cell of the 2D family (see ed2d_submode.h).
#include "edit2d/ed2d_submode.h"

#include "app/family.h"

void Ed2D_BoneRButtonUp(const HookCtx *c) {}
