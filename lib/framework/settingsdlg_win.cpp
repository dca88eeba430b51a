// Device settings dialog window: mirrors the modelled boxes of g_SettingsDialog into the
// combo boxes and radio buttons of template 144 and feeds the user's choices back.
#include "lib/framework/settingsdlg_win.h"

#include "lib/framework/modal_hooks.h"

// Rewrites every control from the model (CB_SETCURSEL sends no notification, so this
// never re-enters the cascade).
static void SyncControls(HWND dlg) {
  D3DSettingsDialog &d = g_SettingsDialog;
  for (const SettingsCombo &c : d.boxes) {
    HWND box = GetDlgItem(dlg, c.id);
    if (!box) continue;
    SendMessageA(box, CB_RESETCONTENT, 0, 0);
    for (i32 i = 0; i < c.count; i++) {
      LRESULT at = SendMessageA(box, CB_ADDSTRING, 0, (LPARAM)c.items[i].text);
      if (at >= 0) SendMessageA(box, CB_SETITEMDATA, (WPARAM)at, (LPARAM)c.items[i].value);
    }
    SendMessageA(box, CB_SETCURSEL, (WPARAM)(c.selected >= 0 ? c.selected : -1), 0);
    EnableWindow(box, c.enabled);
  }
  EnableWindow(GetDlgItem(dlg, IDC_WINDOW), d.windowedEnabled);
  EnableWindow(GetDlgItem(dlg, IDC_FULLSCREEN), d.fullscreenEnabled);
  CheckRadioButton(dlg, IDC_WINDOW, IDC_FULLSCREEN, d.windowedChecked ? IDC_WINDOW : IDC_FULLSCREEN);
}

static bool IsComboId(i32 id) { return SettingsCombo_Get(&g_SettingsDialog, id) != nullptr; }

INT_PTR CALLBACK D3DSettingsDialog_Proc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      D3DSettingsDialog_Open(&g_SettingsDialog);
      SyncControls(dlg);
      return TRUE;
    case WM_COMMAND: {
      i32 id = LOWORD(wParam);
      u32 code = HIWORD(wParam);
      if (id == IDOK || id == IDCANCEL) {
        EndDialog(dlg, id == IDOK ? 1 : 2);
      } else if (id == IDC_WINDOW || id == IDC_FULLSCREEN) {
        D3DSettingsDialog_UserRadio(&g_SettingsDialog, id == IDC_WINDOW);
        SyncControls(dlg);
      } else if (IsComboId(id) && code == CBN_SELCHANGE) {
        LRESULT sel = SendDlgItemMessageA(dlg, id, CB_GETCURSEL, 0, 0);
        if (sel >= 0) {
          D3DSettingsDialog_UserSelect(&g_SettingsDialog, id, (i32)sel);
          SyncControls(dlg);
        }
      }
      return TRUE;
    }
    default:
      return FALSE;
  }
}

INT_PTR D3DSettingsDialog_Show(HWND parent) {
  HINSTANCE self = GetModuleHandleA(nullptr);
  INT_PTR r = Modal_DialogBox(self, MAKEINTRESOURCEA(IDD_SELECTDEVICE), parent, D3DSettingsDialog_Proc, 0);
  return r == 1 || r == 2 ? r : -1;
}
