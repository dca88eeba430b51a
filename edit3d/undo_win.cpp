// The undo panel's dialog procedure (thin glue over the portable history in undo.cpp).
// Windows build only.
#include "edit3d/undo_win.h"

#include "app/family.h"
#include "app/settings.h"
#include "app/views.h"
#include "app/widget_win.h"
#include "edit3d/undo.h"
#include "resources/edit3d_ids.h"

// The list box is filled through the widget seam.
void Undo_InstallWin(void) {
  Undo_Install();
  Widget_InstallWin();
}

// [SECTION] panel
static WindowHolder *PanelRecord(void) {
  u32 layout = View_CurrentLayout();
  return &g_AppShell.panels[layout][UNDO_PANEL_HOLDER];
}

INT_PTR CALLBACK Undo_DlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  WindowHolder *rec = PanelRecord();
  RECT r;
  if (GetWindowRect(dlg, &r)) {
    rec->x = r.left;
    rec->y = r.top;
  }
  switch (msg) {
    case WM_INITDIALOG:
      SetTimer(dlg, 1, 50, nullptr);
      rec->flags = 1;
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_UNDO_LIST:
          if (HIWORD(wParam) == LBN_SELCHANGE) {
            // LB_ERR (-1) and lines past the top are ignored by the walk.
            Undo_ChooseLine((i32)SendMessageA((HWND)lParam, LB_GETCURSEL, 0, 0));
            rec->flags = 1;
          }
          break;
        case IDC_UNDO_UNDO: Undo_Undo(Undo_Current()); break;
        case IDC_UNDO_REDO: Undo_Redo(Undo_Current()); break;
        default: break;   // "決定" and "閉じる" do nothing
      }
      return TRUE;
    default:
      if (rec->flags == 1) rec->flags = 0;
      return FALSE;
  }
}
