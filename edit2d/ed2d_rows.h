// The 2D model family's hook rows: the family row that the shell calls and one row per
// sub-mode (4 object, 6 polygon, 7 texture, 8 bone, 9 weight, 10 motion). Each cell of the
// family row passes the call on to the same cell of the row of g_Shell.g_EditSubMode; a sub-mode
// editor fills its own row.
#pragma once
#include "app/family.h"

enum { ED2D_FIRST_SUB_MODE = SUB_2D_OBJECT, ED2D_SUB_MODE_ROWS = SUB_2D_MOTION - SUB_2D_OBJECT + 1 };

// Rows by sub-mode - 4 (5 is no sub-mode and stays empty).
extern FamilyHooks g_Ed2DSubModeRows[ED2D_SUB_MODE_ROWS];
// The row of sub-mode `layout` (a hook passes its context's); null outside the family's
// sub-modes.
const FamilyHooks *Ed2D_SubModeRow(u32 layout);

// Installs the family row and the sub-mode rows (at program start).
void Edit2D_Install(void);
