// The preview's render dialog "PREVIEW_RENDER_DLG": a thin procedure over Preview_Render.
#include "app/shell_view.h"
#include "app/tools_win.h"

#include "app/panel_win.h"
#include "app/preview.h"
#include "app/views.h"
#include "app/winorder_win.h"
#include "lib/draw/draw.h"
#include "lib/framework/fieldtext_win.h"
#include "lib/framework/framework_win.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/media/snapshot.h"
#include "resources/tools_ids.h"

static void *CreateRenderDialog(void) {
  HWND dlg = CreateDialogParamA(GetModuleHandleA(nullptr), "PREVIEW_RENDER_DLG", g_Lib.mainWnd, Preview_RenderDlgProc, 0);
  if (!dlg) return nullptr;
  ShowWindow(dlg, SW_SHOW);
  WinOrder_Join(dlg);   // placed once shown
  return dlg;
}

static void CloseRenderWindow(void *window) { Panel_Close((HWND)window, &g_PreviewRender.window); }

// The main view as it is shown, saved. After the last Present the back buffer of a discarding
// swap chain holds nothing defined (all black under Wine), and the view drawn last may be one
// of the small views: the main view is drawn once more, as an idle pass draws it, and saved
// before anything presents it.
static bool RenderAndSave(const char *name) {
  u32 drawn = g_Shell.g_DrawView;
  g_Shell.g_DrawView = 0;
  Lib_SetSceneDraw(1);
  bool ok = SUCCEEDED(D3DApp_RenderFrame()) && Lib_SaveBackBuffer(name);
  g_Shell.g_DrawView = drawn;
  return ok;
}

void Preview_InstallPlatform(void) {
  g_ShellSeam.previewCreateDialog = CreateRenderDialog;
  g_ShellSeam.previewSaveBackBuffer = RenderAndSave;
  g_ShellSeam.previewCloseDialog = CloseRenderWindow;
}

INT_PTR CALLBACK Preview_RenderDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG: return Panel_StartRefresh(dlg, &g_PreviewRender.refresh);
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_RENDER_RUN:
          // The edit's text becomes the shared render name, then the file.
          if (FieldText_Read(GetDlgItem(dlg, IDC_RENDER_NAME), g_Lib.renderName, sizeof g_Lib.renderName))
            Preview_Render(g_Lib.renderName);
          return TRUE;
        case IDC_RENDER_CLOSE: Panel_Close(dlg, &g_PreviewRender.window); return TRUE;
        default: return FALSE;
      }
    case WM_CLOSE: Panel_Close(dlg, &g_PreviewRender.window); return TRUE;
    case WM_DESTROY:
      KillTimer(dlg, 1);
      WinOrder_Leave(dlg);
      return FALSE;
    default:
      if (Panel_TakeRefresh(&g_PreviewRender.refresh)) SetDlgItemTextA(dlg, IDC_RENDER_NAME, g_Lib.renderName);
      return FALSE;
  }
}
