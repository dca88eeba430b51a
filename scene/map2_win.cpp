// The 2D map editor's tile dialog (template 55): its registration with the widget seam and the
// thin procedure that hands its controls to Map2_PanelCommand and fills the list again.
#include <windows.h>

#include "app/widget_win.h"
#include "resources/map2_ids.h"
#include "scene/map2.h"

static INT_PTR CALLBACK Map2_DlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      SetTimer(dlg, 1, 50, nullptr);
      return TRUE;
    case WM_COMMAND: {
      i32 id = LOWORD(wParam), value = -1;
      if (id == IDC_MAP2_LIST) {
        if (HIWORD(wParam) != LBN_SELCHANGE) return TRUE;
        LRESULT sel = SendDlgItemMessageA(dlg, IDC_MAP2_LIST, LB_GETCURSEL, 0, 0);
        value = sel == LB_ERR ? -1 : (i32)sel;
      } else if (HIWORD(wParam) != BN_CLICKED) {
        return FALSE;
      }
      if (Map2_PanelCommand(id, value)) Map2_FillList();
      return TRUE;
    }
    default: return FALSE;
  }
}

void Map2_InstallWin(void) {
  static const WidgetPanelClass kPanel = {MAP2_PANEL, MAKEINTRESOURCEA(IDD_MAP2_TILES), Map2_DlgProc, 0, 0, nullptr,
                                          nullptr};
  Widget_InstallWin();
  Widget_RegisterPanels(&kPanel, 1);
}
