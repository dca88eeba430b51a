// The collision editor's panels on Windows: registering their templates with the widget seam
// (they join the set of windows kept above the main window), and the one dialog procedure that passes control
// ids and typed texts to the portable handlers and copies their view into the controls.
#include "scene/coli_edit_win.h"

#include "lib/framework/fieldtext_win.h"
#include "lib/framework/lib_state.h"
#include "model/types.h"
#include "app/panel_win.h"
#include "app/widget.h"
#include "app/widget_win.h"
#include "lib/framework/lib.h"
#include "scene/coli_edit.h"

// The panels are shown without being activated: the arrow keys keep walking the character in
// the main window. Each one's procedure is told which panel it serves.
void Coli_InstallWin(void) {
  static WidgetPanelClass classes[COLI_PANELS];
  for (u32 p = 0; p < COLI_PANELS; p++)
    classes[p] = {Coli_PanelName(p), nullptr, Coli_PanelDlgProc, (LPARAM)p, WIDGET_PANEL_NOACTIVATE, nullptr, nullptr};
  Widget_InstallWin();
  Widget_RegisterPanels(classes, COLI_PANELS);
}

static void ShowView(HWND dlg, u32 panel) {
  ColiPanelView v;
  Coli_PanelView(panel, &v);
  for (u32 i = 0; i < v.count; i++) {
    // A number is remembered with its exact value for "決定".
    if (v.valued >> i & 1) Widget_ShowValue(dlg, v.ids[i], v.texts[i], v.values[i]);
    else Widget_SetText(dlg, v.ids[i], v.texts[i]);
  }
  for (u32 id : v.buttons)
    if (id) CheckDlgButton(dlg, (int)id, id == v.pressed ? BST_CHECKED : BST_UNCHECKED);
}

static void Command(HWND dlg, u32 panel, u32 id) {
  static const int kRangeFields[5] = {IDC_COLI_MIN_X, IDC_COLI_MAX_X, IDC_COLI_MIN_Z, IDC_COLI_MAX_Z, IDC_COLI_MIN_Y};
  char texts[5][64] = {};
  ColiRangeTexts range = {};
  if (panel == COLI_PANEL_RANGE)
    for (int i = 0; i < 5; i++) {
      if (!FieldText_Read(GetDlgItem(dlg, kRangeFields[i]), texts[i], sizeof texts[i])) return;
      range.text[i] = texts[i];
    }
  Coli_PanelCommand(panel, id, &range);
  // Keys go back to the main window, where the arrows move the character.
  if (g_Lib.mainWnd) SetActiveWindow((HWND)g_Lib.mainWnd);
}

INT_PTR CALLBACK Coli_PanelDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  u32 panel = (u32)GetWindowLongPtrA(dlg, DWLP_USER);
  switch (msg) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dlg, DWLP_USER, lParam);
      SetTimer(dlg, 1, 50, nullptr);
      if ((u32)lParam < COLI_PANELS) ShowView(dlg, (u32)lParam);
      return TRUE;
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED && panel < COLI_PANELS) Command(dlg, panel, LOWORD(wParam));
      return TRUE;
    case WM_DESTROY: return Panel_StopRefresh(dlg);
    default:
      if (panel < COLI_PANELS && g_ColiEdit.panels[panel] == dlg && Panel_TakeRefresh(&g_ColiEdit.refresh[panel]))
        ShowView(dlg, panel);
      return FALSE;
  }
}
