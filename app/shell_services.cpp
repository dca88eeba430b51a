// The shell's globals that the library reads. The per-frame, scene and overlay hooks are in
// family.cpp, the main window's handler in mainwnd_win.cpp.
#include "app/shell_services.h"

#include <string.h>

u32 g_EditFamily;
u32 g_EditSubMode;
u32 g_DrawView;
ViewRecord g_Views[APP_FAMILY_COUNT][APP_VIEWS_PER_LAYOUT];
u32 g_Family2DFrame[APP_FAMILY_COUNT];
u32 g_SelectedBone;
u32 g_RightButtonFlag;

void App_InitFamily2DFrame(void) {
  memset(g_Family2DFrame, 0, sizeof g_Family2DFrame);
  g_Family2DFrame[FAMILY_2D_MODEL] = 1;
  g_Family2DFrame[FAMILY_EFFECT] = 1;
  g_Family2DFrame[FAMILY_2D_MAP] = 1;
  g_Family2DFrame[FAMILY_PROGRAM] = 1;
}
