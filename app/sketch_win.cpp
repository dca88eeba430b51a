// The sketch dialog "SKETCH_DLG": a thin procedure over the choices of app/sketch.cpp.
#include "app/tools_win.h"

#include "app/panel_win.h"
#include "app/sketch.h"
#include "app/views.h"
#include "app/winorder_win.h"
#include "lib/framework/framework_win.h"
#include "lib/framework/lib_state.h"
#include "resources/tools_ids.h"

void Sketch_Open(void) {
  if (g_Sketch.window) {
    SetActiveWindow((HWND)g_Sketch.window);
    return;
  }
  HWND dlg = CreateDialogParamA(GetModuleHandleA(nullptr), "SKETCH_DLG", g_Lib.mainWnd, Sketch_DlgProc, 0);
  if (!dlg) return;
  g_Sketch.window = dlg;
  WinOrder_Join(dlg);
  ShowWindow(dlg, SW_SHOW);
}

static void ShowState(HWND dlg) {
  CheckDlgButton(dlg, IDC_SKETCH_SHOW, g_Sketch.show ? BST_CHECKED : BST_UNCHECKED);
  SetDlgItemTextA(dlg, IDC_SKETCH_FRONT_NAME, g_Sketch.names[SKETCH_FRONT]);
  SetDlgItemTextA(dlg, IDC_SKETCH_TOP_NAME, g_Sketch.names[SKETCH_TOP]);
  SetDlgItemTextA(dlg, IDC_SKETCH_SIDE_NAME, g_Sketch.names[SKETCH_SIDE]);
}

INT_PTR CALLBACK Sketch_DlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG: return Panel_StartRefresh(dlg, &g_Sketch.refresh);
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_SKETCH_CLOSE) { Panel_Close(dlg, &g_Sketch.window); return TRUE; }
      return Sketch_Command(LOWORD(wParam)) ? TRUE : FALSE;
    case WM_CLOSE: Panel_Close(dlg, &g_Sketch.window); return TRUE;
    case WM_DESTROY:
      KillTimer(dlg, 1);
      WinOrder_Leave(dlg);
      return FALSE;
    // The end of a menu loop and of a move or size loop: the views are drawn again.
    case WM_MOVE: case WM_SIZE: case WM_ACTIVATE: case WM_EXITMENULOOP: case WM_EXITSIZEMOVE:
      App_MarkAllRedraw(View_CurrentLayout());
      return FALSE;
    default:
      if (Panel_TakeRefresh(&g_Sketch.refresh)) ShowState(dlg);
      return FALSE;
  }
}
