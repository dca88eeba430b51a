// Shared reset of the shell's global state between native tests.
#pragma once
#include <string.h>

#include "app/family.h"
#include "app/settings.h"
#include "app/shell_seam.h"
#include "app/views.h"
#include "lib/framework/lib.h"

inline void Shell_ResetForTest() {
  memset(g_Views, 0, sizeof g_Views);
  memset(g_ViewCount, 0, sizeof g_ViewCount);
  memset(&g_ShellSeam, 0, sizeof g_ShellSeam);
  memset(&g_Lib.app, 0, sizeof g_Lib.app);
  g_EditFamily = 0;
  g_EditSubMode = 0;
  g_ActiveView = 0;
  g_DrawView = 0;
  g_CurView = &g_Views[0][0];
  g_EditedFlag = 0;
  g_FamilyMenu = nullptr;
  g_OptReverseWheel = 0;
  g_PolyNoAutoPick = 1;
  g_AppShell.keyLatch = 0;
}
