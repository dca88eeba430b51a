// The 3D family's panels on Windows: their registration with the widget seam, the glue the
// family's Win32 files share, and the thin dialog procedures of the mode and layer panels.
// The decisions are the portable shell's (ed3d_shell.cpp, ed3d_layer.cpp, ed3d_fill.cpp).
#include "edit3d/ed3d_win.h"

#include "app/panel_win.h"
#include "app/current.h"
#include "app/family.h"
#include "app/settings.h"
#include "app/shell_view.h"
#include "app/shell_win.h"
#include "app/views.h"
#include "app/widget_win.h"
#include "app/winorder_win.h"
#include "edit3d/ed3d.h"
#include "edit3d/ed3d_poly_win.h"
#include "edit3d/undo_win.h"
#include "resources/edit3d_ids.h"

enum { BONE_PANEL_SLOT = 3 };   // the bone list's place among the dialog-message panels

// [SECTION] panel glue
INT_PTR Ed3D_TimedPanelMessage(const Ed3DTimedPanel *p, HWND dlg, UINT msg, WPARAM wParam) {
  if (Panel_TimedOpen(dlg, msg, &p->pos[0], &p->pos[1], p->flag)) return TRUE;
  switch (msg) {
    case WM_COMMAND: p->command(dlg, wParam); return TRUE;
    case WM_DESTROY:
      KillTimer(dlg, 1);
      if (p->slot && *p->slot == dlg) *p->slot = nullptr;
      return FALSE;
    default:
      if (*p->flag == 1 && *p->handle == dlg) {
        *p->flag = 0;
        p->refresh(dlg);
      }
      return FALSE;
  }
}

INT_PTR Ed3D_OneButtonMessage(UINT msg, WPARAM wParam, u32 id, void (*command)(void)) {
  switch (msg) {
    case WM_INITDIALOG: return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == id && HIWORD(wParam) == BN_CLICKED) command();
      return TRUE;
    default: return FALSE;
  }
}

bool Ed3D_CloseOnButton(HWND dlg, UINT msg, WPARAM wParam, u32 closeId, void **dlgSlot, void **listSlot) {
  if (msg != WM_COMMAND || LOWORD(wParam) != closeId || HIWORD(wParam) != BN_CLICKED) return false;
  *listSlot = nullptr;
  *dlgSlot = nullptr;
  WinOrder_Leave(dlg);
  DestroyWindow(dlg);
  return true;
}

// [SECTION] the family's panels on the widget seam
// The bone list and the weight panel take part in the dialog messages while they exist.
static void JoinBonePanel(HWND dlg) { g_DialogPanels[BONE_PANEL_SLOT] = dlg; }
static void LeaveBonePanel(HWND dlg) {
  if (g_DialogPanels[BONE_PANEL_SLOT] == dlg) g_DialogPanels[BONE_PANEL_SLOT] = nullptr;
}

static const WidgetPanelClass kPanels[ED3D_PANEL_KINDS] = {
    {"MODEL_3D_DLG", nullptr, Ed3D_ModeDlgProc, 0, 0, nullptr, nullptr},
    {"LAYER_DLG", nullptr, Ed3D_LayerDlgProc, 0, 0, nullptr, nullptr},
    {"3D_BONE_LIST_DLG", "BONE_LIST_DLG", Ed3D_BoneListDlgProc, 0, 0, JoinBonePanel, LeaveBonePanel},
    {"3D_GROUP_DLG", nullptr, Ed3D_GroupDlgProc, 0, 0, nullptr, nullptr},
    {"UNDO_DLG", nullptr, Undo_DlgProc, 0, 0, nullptr, nullptr},
};

void Ed3D_InstallWin(void) {
  Widget_InstallWin();
  Widget_RegisterPanels(kPanels, ED3D_PANEL_KINDS);
  Ed3D_BoneInstallWin();
  Ed3D_MotionInstallWin();
  Ed3D_ObjInstallWin();
  Ed3D_PolyInstallWin();
  Ed3D_GroupInstallWin();
  Ed3D_TexInstallWin();
}

// [SECTION] dialog procedures
static const u32 kModeButtons[] = {IDC_M3D_POLY, IDC_M3D_TEXTURE, IDC_M3D_BONE, IDC_M3D_WEIGHT, IDC_M3D_MOTION,
                                   IDC_M3D_OBJECT};
static const PanelModeButtons kModePanel = {&g_Ed3D.modeX, &g_Ed3D.modeY, &g_Ed3D.modeRefresh, &g_Ed3D.modePanel,
                                            kModeButtons, 6, Ed3D_ModeButtonSubMode, Ed3D_ModeCommand};

INT_PTR CALLBACK Ed3D_ModeDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  return Panel_ModeMessage(&kModePanel, dlg, msg, wParam);
}

INT_PTR CALLBACK Ed3D_LayerDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  Ed3DModelEditor &e = g_Ed3D;
  if (Panel_TimedOpen(dlg, msg, &e.layer.x, &e.layer.y, &g_Shell.g_LayerDlgRefresh)) return TRUE;
  switch (msg) {
    case WM_COMMAND:
      return Ed3D_LayerCommand(LOWORD(wParam)) ? TRUE : FALSE;
    default:
      if (e.layer.window && g_Shell.g_LayerDlgRefresh == 1) {
        g_Shell.g_LayerDlgRefresh = 0;
        u32 checked = Ed3D_LayerCheckedButton();
        for (u32 id = IDC_LAYER_1; id <= IDC_LAYER_10; id++)
          CheckDlgButton((HWND)e.layer.window, (int)id, id == checked ? BST_CHECKED : BST_UNCHECKED);
      }
      return FALSE;
  }
}
