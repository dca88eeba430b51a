// Puts the shell's drawing state where the drawing tests expect it: the 3D model family in one
// of its sub-modes, views filling the client area, no 2D frame and no frame scaling; or a
// family drawn in its 2D frame with view windows.
#pragma once
#include <string.h>

#include "app/family.h"
#include "app/shell_services.h"
#include "app/shell_view.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"

inline void ViewReset_3DModel(u32 subMode) {
  g_Lib.frameScaling = 0;
  g_Lib.viewWindowMode = 0;
  g_Shell.g_EditFamily = FAMILY_3D_MODEL;
  g_Shell.g_EditSubMode = subMode;
  memset(g_Shell.g_Views, 0, sizeof g_Shell.g_Views);
  memset(g_Shell.g_Family2DFrame, 0, sizeof g_Shell.g_Family2DFrame);
}

inline void ViewReset_2DFrame(u32 family, u32 subMode) {
  g_Lib.viewWindowMode = 1;
  g_Shell.g_EditFamily = family;
  g_Shell.g_EditSubMode = subMode;
  g_Shell.g_Family2DFrame[family] = 1;
}
