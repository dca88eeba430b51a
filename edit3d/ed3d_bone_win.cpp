// The bone list panel "BONE_LIST_DLG" and the weight panel "3D_WEIGHT_DLG" on Windows: the
// controls' calls of g_Ed3DBoneOps and the thin dialog procedures. The decisions are the
// portable editors' (ed3d_bone.cpp, ed3d_weight.cpp).
#include <windows.h>
#include <commctrl.h>

#include "app/current.h"
#include "app/panel_win.h"
#include "app/shell_win.h"
#include "app/views.h"
#include "app/winorder_win.h"
#include "edit3d/ed3d.h"
#include "edit3d/ed3d_bone.h"
#include "edit3d/ed3d_win.h"
#include "resources/edit3d_ids.h"

enum { WEIGHT_PANEL_SLOT = 4 };   // the weight panel's place among the dialog-message panels

// [SECTION] platform calls
static void *CreateWeightPanel(i32 x, i32 y, i32 w, i32 h) {
  HWND dlg = CreateDialogParamA(GetModuleHandleA(nullptr), "3D_WEIGHT_DLG", (HWND)g_Shell.g_MainWindowHandle,
                                Ed3D_WeightDlgProc, 0);
  if (!dlg) return nullptr;
  MoveWindow(dlg, x, y, w, h, TRUE);
  ShowWindow(dlg, SW_SHOW);
  WinOrder_Join(dlg);
  g_DialogPanels[WEIGHT_PANEL_SLOT] = dlg;
  return dlg;
}

static void DestroyWeightPanel(void *panel) {
  if ((HWND)panel == g_DialogPanels[WEIGHT_PANEL_SLOT]) g_DialogPanels[WEIGHT_PANEL_SLOT] = nullptr;
  WinOrder_Leave((HWND)panel);
  DestroyWindow((HWND)panel);
}

static void ListSelectOnly(void *list, i32 line) {
  SendMessageA((HWND)list, LB_SETSEL, FALSE, -1);
  if (line < 0) return;
  SendMessageA((HWND)list, LB_SETSEL, TRUE, line);
  SendMessageA((HWND)list, LB_SETCARETINDEX, (WPARAM)line, FALSE);
}

// Custom colours are kept for the run; no initial colour is given.
static bool ChooseColour(f32 rgb[3]) {
  static COLORREF custom[16];
  return Panel_ChooseColour(custom, CC_FULLOPEN, rgb);
}

void Ed3D_BoneInstallWin(void) {
  Ed3DBoneOps &o = g_Ed3DBoneOps;
  o.createWeightPanel = CreateWeightPanel;
  o.destroyWeightPanel = DestroyWeightPanel;
  o.listCaret = Panel_ListCaret;
  o.listSelectOnly = ListSelectOnly;
  o.comboSelection = Panel_ComboSelection;
  o.comboSelect = Panel_ComboSelect;
  o.getText = Panel_GetText;
  o.setText = Panel_SetText;
  o.checkButton = Panel_CheckButton;
  o.chooseColour = ChooseColour;
  o.messageOk = Panel_MessageOk;
}

// [SECTION] dialog procedures
INT_PTR CALLBACK Ed3D_BoneListDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  Panel_StorePosition(dlg, &g_Ed3DBones.listX, &g_Ed3DBones.listY);
  App_RefreshCurrentPointers();
  switch (msg) {
    case WM_INITDIALOG:
      SetTimer(dlg, 1, 50, nullptr);
      g_Sel.g_BoneListDirty = 1;
      return TRUE;
    case WM_NOTIFY: {
      char text[ED3D_TREE_TEXT];
      if (!Panel_TreeSelectedText(lParam, g_Ed3D.boneTree, text, sizeof text)) return FALSE;
      Ed3D_BoneTreeSelected(text);
      return TRUE;
    }
    case WM_COMMAND:
      return Ed3D_BoneListCommand(LOWORD(wParam)) ? TRUE : FALSE;
    default:
      Ed3D_BoneListTick();
      return FALSE;
  }
}

INT_PTR CALLBACK Ed3D_WeightDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  Panel_StorePosition(dlg, &g_Ed3DBones.weightX, &g_Ed3DBones.weightY);
  App_RefreshCurrentPointers();
  switch (msg) {
    case WM_INITDIALOG:
      SetTimer(dlg, 1, 50, nullptr);
      SetDlgItemTextA(dlg, IDC_WEIGHT_BONE1, "0");
      SetDlgItemTextA(dlg, IDC_WEIGHT_BONE2, "0");
      SetDlgItemTextA(dlg, IDC_WEIGHT_VALUE, "1.0");
      g_Ed3DBones.weightRefresh = 1;
      return TRUE;
    case WM_COMMAND:
      Ed3D_WeightCommand(LOWORD(wParam));
      return TRUE;
    default:
      Ed3D_WeightTick();
      return FALSE;
  }
}
