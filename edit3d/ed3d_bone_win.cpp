// The bone list panel "BONE_LIST_DLG" and the weight panel "3D_WEIGHT_DLG" on Windows: the
// weight panel's registration with the widget seam and the thin dialog procedures. The
// decisions are the portable editors' (ed3d_bone.cpp, ed3d_weight.cpp).
#include <windows.h>

#include "app/current.h"
#include "app/panel_win.h"
#include "app/shell_sel.h"
#include "app/shell_win.h"
#include "app/views.h"
#include "app/widget_win.h"
#include "edit3d/ed3d.h"
#include "edit3d/ed3d_bone.h"
#include "edit3d/ed3d_win.h"
#include "resources/edit3d_ids.h"

enum { WEIGHT_PANEL_SLOT = 4 };   // the weight panel's place among the dialog-message panels

// [SECTION] the weight panel on the widget seam
static void JoinWeightPanel(HWND dlg) { g_DialogPanels[WEIGHT_PANEL_SLOT] = dlg; }
static void LeaveWeightPanel(HWND dlg) {
  if (g_DialogPanels[WEIGHT_PANEL_SLOT] == dlg) g_DialogPanels[WEIGHT_PANEL_SLOT] = nullptr;
}

static const WidgetPanelClass kWeightPanel = {"3D_WEIGHT_DLG", nullptr, Ed3D_WeightDlgProc, 0, 0, JoinWeightPanel,
                                              LeaveWeightPanel};

void Ed3D_BoneInstallWin(void) { Widget_RegisterPanels(&kWeightPanel, 1); }

// [SECTION] dialog procedures
INT_PTR CALLBACK Ed3D_BoneListDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (Panel_TimedOpen(dlg, msg, &g_Ed3DBones.listX, &g_Ed3DBones.listY, &g_Sel.g_BoneListDirty)) return TRUE;
  switch (msg) {
    case WM_NOTIFY: return Panel_TreeNotify(lParam, g_Ed3D.boneTree, Ed3D_BoneTreeSelected) ? TRUE : FALSE;
    case WM_COMMAND:
      return Ed3D_BoneListCommand(LOWORD(wParam)) ? TRUE : FALSE;
    default:
      Ed3D_BoneListTick();
      return FALSE;
  }
}

INT_PTR CALLBACK Ed3D_WeightDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  if (msg == WM_INITDIALOG) {
    SetDlgItemTextA(dlg, IDC_WEIGHT_BONE1, "0");
    SetDlgItemTextA(dlg, IDC_WEIGHT_BONE2, "0");
    SetDlgItemTextA(dlg, IDC_WEIGHT_VALUE, "1.0");
  }
  if (Panel_TimedOpen(dlg, msg, &g_Ed3DBones.weightX, &g_Ed3DBones.weightY, &g_Ed3DBones.weightRefresh)) return TRUE;
  switch (msg) {
    case WM_COMMAND:
      Ed3D_WeightCommand(LOWORD(wParam));
      return TRUE;
    default:
      Ed3D_WeightTick();
      return FALSE;
  }
}
