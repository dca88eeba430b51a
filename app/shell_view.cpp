// Storage of the shell's view state (app/shell_view.h).
#include "app/shell_view.h"

u32 g_EditFamily;
u32 g_EditSubMode;
u32 g_DrawView;
ViewRecord g_Views[APP_FAMILY_COUNT][APP_VIEWS_PER_LAYOUT];
u32 g_Family2DFrame[APP_FAMILY_COUNT];
u32 g_SelectedBone;
u32 g_RightButtonFlag;
