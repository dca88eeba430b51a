// The per-frame update's window calls.
#include "app/tools_win.h"

#include "app/shell_win.h"
#include "app/update.h"
#include "lib/framework/framework_win.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"

static void SetMainTitle(const char *text) {
  if (g_Lib.mainWnd) SetWindowTextA(g_Lib.mainWnd, text);
}

void App_InstallFrameEntries(void) {
  g_ShellSeam.findActiveView = View_FindActiveView;
  g_ShellSeam.setMainTitle = SetMainTitle;
  g_ShellSeam.setScreenQuadColor = Draw_SetScreenQuadColor;
}
