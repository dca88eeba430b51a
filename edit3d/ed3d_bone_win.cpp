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
#include "lib/framework/lib.h"
#include "lib/framework/modal_hooks.h"
#include "resources/edit3d_ids.h"

enum { WEIGHT_PANEL_SLOT = 4 };   // the weight panel's place among the dialog-message panels

// [SECTION] platform calls
static void *CreateWeightPanel(i32 x, i32 y, i32 w, i32 h) {
  HWND dlg = CreateDialogParamA(GetModuleHandleA(nullptr), "3D_WEIGHT_DLG", (HWND)g_MainWindowHandle,
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

static i32 ListCaret(void *list) {
  LRESULT r = SendMessageA((HWND)list, LB_GETCARETINDEX, 0, 0);
  return r == LB_ERR ? -1 : (i32)r;
}

static void ListSelectOnly(void *list, i32 line) {
  SendMessageA((HWND)list, LB_SETSEL, FALSE, -1);
  if (line < 0) return;
  SendMessageA((HWND)list, LB_SETSEL, TRUE, line);
  SendMessageA((HWND)list, LB_SETCARETINDEX, (WPARAM)line, FALSE);
}

static i32 ComboSelection(void *combo) {
  LRESULT r = SendMessageA((HWND)combo, CB_GETCURSEL, 0, 0);
  return r == CB_ERR ? -1 : (i32)r;
}

static void ComboSelect(void *combo, i32 line) { SendMessageA((HWND)combo, CB_SETCURSEL, (WPARAM)line, 0); }

static void GetText(void *panel, u32 id, char *out, u32 size) {
  if (!GetDlgItemTextA((HWND)panel, (int)id, out, (int)size)) out[0] = 0;
}

static void SetText(void *panel, u32 id, const char *text) { SetDlgItemTextA((HWND)panel, (int)id, text); }

static void CheckButton(void *panel, u32 id, bool on) {
  CheckDlgButton((HWND)panel, (int)id, on ? BST_CHECKED : BST_UNCHECKED);
}

// Custom colours are kept for the run; no initial colour is given.
static bool ChooseColour(f32 rgb[3]) {
  static COLORREF custom[16];
  CHOOSECOLORA cc = {};
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = (HWND)g_MainWindowHandle;
  cc.lpCustColors = custom;
  cc.Flags = CC_FULLOPEN;
  if (!Modal_ChooseColor(&cc)) return false;
  rgb[0] = (f32)GetRValue(cc.rgbResult);
  rgb[1] = (f32)GetGValue(cc.rgbResult);
  rgb[2] = (f32)GetBValue(cc.rgbResult);
  return true;
}

static void MessageOk(const char *text) { Modal_MessageBox((HWND)g_MainWindowHandle, text, g_AppCaption, MB_OK); }

void Ed3D_BoneInstallWin(void) {
  Ed3DBoneOps &o = g_Ed3DBoneOps;
  o.createWeightPanel = CreateWeightPanel;
  o.destroyWeightPanel = DestroyWeightPanel;
  o.listCaret = ListCaret;
  o.listSelectOnly = ListSelectOnly;
  o.comboSelection = ComboSelection;
  o.comboSelect = ComboSelect;
  o.getText = GetText;
  o.setText = SetText;
  o.checkButton = CheckButton;
  o.chooseColour = ChooseColour;
  o.messageOk = MessageOk;
}

// [SECTION] dialog procedures
INT_PTR CALLBACK Ed3D_BoneListDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  Panel_StorePosition(dlg, &g_Ed3DBones.listX, &g_Ed3DBones.listY);
  App_RefreshCurrentPointers();
  switch (msg) {
    case WM_INITDIALOG:
      SetTimer(dlg, 1, 50, nullptr);
      g_BoneListDirty = 1;
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
