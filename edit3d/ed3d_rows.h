// The 3D model family's hook rows: the family row that the shell calls and one row per
// sub-mode (12 object motion, 14 polygon, 15 texture/UV, 16 bone, 17 weight, 18 motion),
// holding the handlers the sub-mode editors name for each hook. The family row's enter,
// leave, update, scene draw and list refresh are the family shell's; its other cells pass
// the call on to the same cell of the row of g_Shell.g_EditSubMode.
#pragma once
#include "app/family.h"

enum { ED3D_FIRST_SUB_MODE = SUB_3D_OBJMOTION, ED3D_SUB_MODE_ROWS = SUB_3D_MOTION - SUB_3D_OBJMOTION + 1 };

// Rows by sub-mode - 12 (13 is no sub-mode and stays empty).
extern FamilyHooks g_Ed3DSubModeRows[ED3D_SUB_MODE_ROWS];
// The row of a sub-mode (a hook's context's layout), or null outside the family's sub-modes.
const FamilyHooks *Ed3D_SubModeRow(u32 subMode);

// Installs the family row and the sub-mode rows and sets the editors' start-up state (at
// program start).
void Edit3D_Install(void);
// The start-up values of the editors' global objects (edit3d/editors.cpp).
void Ed3D_SetStartState(void);
