// Shared reset of the shell's global state between native tests.
#pragma once
#include <string.h>

#include "app/family.h"
#include "app/settings.h"
#include "app/shell_options.h"
#include "app/shell_seam.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/views.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "model/bone2.h"
#include "widget_fake.h"

inline void Shell_ResetForTest() {
  memset(g_Shell.g_Views, 0, sizeof g_Shell.g_Views);
  memset(g_Shell.g_ViewCount, 0, sizeof g_Shell.g_ViewCount);
  memset(&g_ShellSeam, 0, sizeof g_ShellSeam);
  memset(&g_Lib.app, 0, sizeof g_Lib.app);
  g_Shell.g_EditFamily = 0;
  g_Shell.g_EditSubMode = 0;
  g_Shell.g_ActiveView = 0;
  g_Shell.g_DrawView = 0;
  g_Shell.g_EditedFlag = 0;
  g_Shell.g_FamilyMenu = nullptr;
  g_Options.g_OptReverseWheel = 0;
  g_Sel.g_PolyNoAutoPick = 1;
  g_AppShell.keyLatch = 0;
}

// Shell_ResetForTest, then no 2D model loaded, the work arrays made and no polygon selected.
inline void Shell_ResetFor2DTest() {
  Shell_ResetForTest();
  Bone2_FreeAll();
  App_AllocWorkArrays(&g_Sel);
  App_ForgetPolySelection(&g_Sel);
}

// Shell_ResetForTest, then the widget fake installed and the 2D family in the sub-mode with
// nothing playing.
inline void Shell_ResetFor2DSubMode(u32 subMode) {
  Shell_ResetForTest();
  WidgetFake_Install();
  g_Shell.g_EditFamily = FAMILY_2D_MODEL;
  g_Shell.g_EditSubMode = subMode;
  g_Shell.g_Playing = 0;
}
