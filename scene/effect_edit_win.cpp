// The effect dialog (template 107): the thin procedure that hands its sliders to
// Effect_SliderChanged and writes Effect_LabelText into the two "%d" labels on its timer,
// and the host entries.
//
// Owner of g_EffectDlg: this file.
#include <windows.h>
#include <commctrl.h>

#include "app/views.h"
#include "app/winorder_win.h"
#include "lib/framework/lib.h"
#include "resources/effect_edit_ids.h"
#include "scene/effect_edit.h"

struct EffectDialog {
  HWND window;
  RECT rect;   // last window rectangle (screen)
};
static EffectDialog g_EffectDlg;

static void Effect_RefreshLabels(HWND dlg) {
  char text[32];
  Effect_LabelText(EFFECT_CTL_FRAMES_TEXT, text, sizeof text);
  SetDlgItemTextA(dlg, IDC_EFFECT_FRAMES_TEXT, text);
  Effect_LabelText(EFFECT_CTL_EXPLOSIONS_TEXT, text, sizeof text);
  SetDlgItemTextA(dlg, IDC_EFFECT_EXPLOSIONS_TEXT, text);
  g_EffectEdit.refresh = 0;
}

static void Effect_InitSlider(HWND dlg, i32 id, i32 max, i32 pos) {
  SendDlgItemMessageA(dlg, id, TBM_SETRANGE, TRUE, MAKELPARAM(0, max));
  SendDlgItemMessageA(dlg, id, TBM_SETPOS, TRUE, pos);
}

static INT_PTR CALLBACK Effect_DlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  GetWindowRect(dlg, &g_EffectDlg.rect);
  switch (msg) {
    case WM_INITDIALOG:
      SetDlgItemTextA(dlg, IDC_EFFECT_FRAMES_LABEL, "フレーム数");
      SetDlgItemTextA(dlg, IDC_EFFECT_EXPLOSIONS_LABEL, "爆発数");
      Effect_DialogInit();
      Effect_InitSlider(dlg, IDC_EFFECT_FRAMES, EFFECT_FRAMES_MAX, 90);
      Effect_InitSlider(dlg, IDC_EFFECT_EXPLOSIONS, EFFECT_PARTICLES, 150);
      SetTimer(dlg, 1, 50, nullptr);
      return TRUE;
    case WM_HSCROLL: {
      HWND slider = (HWND)lParam;
      if (!slider) return FALSE;
      i32 pos = (i32)SendMessageA(slider, TBM_GETPOS, 0, 0);
      return Effect_SliderChanged(GetDlgCtrlID(slider), pos) ? TRUE : FALSE;
    }
    case WM_TIMER:
      if (g_EffectEdit.refresh) Effect_RefreshLabels(dlg);
      return TRUE;
    default: return FALSE;
  }
}

static void Effect_OpenDialog(void) {
  if (g_EffectDlg.window) return;
  HWND main = (HWND)g_MainWindowHandle;
  HWND dlg = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_EFFECT), main, Effect_DlgProc, 0);
  if (!dlg) return;
  g_EffectDlg.window = dlg;
  g_EffectEdit.dialog = dlg;
  i32 h = g_DesktopHeight > 0 ? g_DesktopHeight : GetSystemMetrics(SM_CYSCREEN);
  MoveWindow(dlg, 0, h - 330, 740, 300, TRUE);
  ShowWindow(dlg, SW_SHOW);
  WinOrder_Join(dlg);
  Effect_RefreshLabels(dlg);
}

static void Effect_CloseDialog(void) {
  if (g_EffectDlg.window) {
    KillTimer(g_EffectDlg.window, 1);
    WinOrder_Leave(g_EffectDlg.window);
    DestroyWindow(g_EffectDlg.window);
  }
  g_EffectDlg.window = nullptr;
  g_EffectEdit.dialog = nullptr;
}

void Effect_InstallWin(void) {
  g_EffectHost.openDialog = Effect_OpenDialog;
  g_EffectHost.closeDialog = Effect_CloseDialog;
}
