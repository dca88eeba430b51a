// The shell's start-up of the 2D-frame flags. The per-frame, scene and overlay hooks are in
// family.cpp, the main window's handler in shell_win.cpp.
#include "app/shell_services.h"

#include <string.h>

#include "app/current.h"
#include "app/shell_view.h"


void App_InitFamily2DFrame(void) {
  memset(g_Shell.g_Family2DFrame, 0, sizeof g_Shell.g_Family2DFrame);
  g_Shell.g_Family2DFrame[FAMILY_2D_MODEL] = 1;
  g_Shell.g_Family2DFrame[FAMILY_EFFECT] = 1;
  g_Shell.g_Family2DFrame[FAMILY_2D_MAP] = 1;
  g_Shell.g_Family2DFrame[FAMILY_PROGRAM] = 1;
}
