// Storage and start-up values of the editor state shared by several editors.
#include "app/startup_state.h"
#include "app/current.h"
#include "app/family.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/views.h"

#include <string.h>

u32 g_EditorMode;

void App_SetEditorStartState(void) {
  g_Sel.g_CurSlot = 0;
  g_Sel.g_PolySelectMode = 1;
  g_Sel.g_PolyTool = 5;
  g_Sel.g_MotionEditOp = 1;
  g_Shell.g_EditDlgRefresh = 1;
  memset(g_Shell.g_PerspOffset, 0, sizeof g_Shell.g_PerspOffset);
  g_Shell.g_PerspStep = 3.2f;
  memset(g_Shell.g_ViewFocus, 0, sizeof g_Shell.g_ViewFocus);
  g_Shell.g_LastViewZoom = g_Shell.g_Views[0][0].zoom;
  g_Shell.g_PerspAngleX = -20.0f;
  g_Shell.g_PerspAngleY = 20.0f;
}

void App_SetLayoutStartState(i32 desktopW, i32 desktopH, i32 screenH) {
  g_Shell.g_DesktopHalfWidth = desktopW / 2;
  g_Shell.g_DesktopHalfHeight = desktopH / 2;
  g_Shell.g_StripRect[0] = 0;
  g_Shell.g_StripRect[1] = screenH - 246;
  g_Shell.g_StripRect[2] = 1024;
  g_Shell.g_StripRect[3] = g_Shell.g_StripRect[1] + 300;
}
