// The 2D family's dialogs on Windows: registering the templates with the widget seam, and the
// thin dialog procedures of the mode panel, the bone dialog and the group dialog. The
// decisions are the portable shell's (ed2d_shell.cpp, ed2d_bone.cpp).
#include "edit2d/ed2d_win.h"

#include <commctrl.h>
#include <stdio.h>

#include "app/panel_win.h"
#include "app/current.h"
#include "app/family.h"
#include "app/settings.h"
#include "app/shell_options.h"
#include "app/shell_view.h"
#include "app/shell_win.h"
#include "app/strip_state.h"
#include "app/views.h"
#include "app/widget_win.h"
#include "app/strip.h"
#include "edit2d/ed2d.h"
#include "edit2d/ed2d_tex.h"
#include "resources/edit2d_ids.h"
#include "resources/edit3d_ids.h"


enum { BONE_DLG_SLOT = 3 };   // the bone dialog's place among the dialog-message panels

// [SECTION] the family's windows
// The shared templates' controls that have no action in this editor are shown disabled.
static const u32 kBoneDlgInert[] = {IDC_BONE_DELETE, IDC_BONE_X,     IDC_BONE_Y,    IDC_BONE_Z,
                                    IDC_BONE_RED,    IDC_BONE_GREEN, IDC_BONE_BLUE, IDC_BONE_CHILDREN};
static const u32 kGroupDlgInert[] = {IDC_G2D_SPEC1, IDC_G2D_SPEC2, IDC_G2D_DELETE};

static void DisableAll(HWND dlg, const u32 *ids, u32 n) {
  for (u32 i = 0; i < n; i++)
    if (HWND c = GetDlgItem(dlg, (int)ids[i])) EnableWindow(c, FALSE);
}

static void BoneDlgCreated(HWND dlg) {
  g_DialogPanels[BONE_DLG_SLOT] = dlg;
  DisableAll(dlg, kBoneDlgInert, sizeof kBoneDlgInert / sizeof kBoneDlgInert[0]);
}
static void BoneDlgDestroyed(HWND dlg) {
  if (dlg == g_DialogPanels[BONE_DLG_SLOT]) g_DialogPanels[BONE_DLG_SLOT] = nullptr;
}

void Ed2D_InstallWin(void) {
  static const DLGPROC kProcs[ED2D_WIN_KINDS] = {Ed2D_PanelDlgProc, Ed2D_BoneDlgProc, Ed2D_GroupDlgProc,
                                                 Ed2D_PolyDlgProc, Ed2D_WeightDlgProc};
  static WidgetPanelClass classes[ED2D_WIN_KINDS];
  for (u32 k = 0; k < ED2D_WIN_KINDS; k++) classes[k] = {Ed2D_WindowName(k), nullptr, kProcs[k], 0, 0, nullptr, nullptr};
  classes[ED2D_WIN_BONE_DLG].created = BoneDlgCreated;
  classes[ED2D_WIN_BONE_DLG].destroyed = BoneDlgDestroyed;
  Widget_InstallWin();
  Widget_RegisterPanels(classes, ED2D_WIN_KINDS);
  Ed2D_TexInstallWin();
}

// [SECTION] dialog procedures
static const u32 kModeButtons[] = {IDC_M2D_OBJECT, IDC_M2D_POLY, IDC_M2D_TEXTURE, IDC_M2D_BONE, IDC_M2D_WEIGHT,
                                   IDC_M2D_MOTION};
static const PanelModeButtons kModePanel = {&g_Ed2D.panelX, &g_Ed2D.panelY, &g_Ed2D.panelRefresh, &g_Ed2D.panel,
                                            kModeButtons, 6, Ed2D_ModeButtonSubMode, Ed2D_PanelCommand};

INT_PTR CALLBACK Ed2D_PanelDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  return Panel_ModeMessage(&kModePanel, dlg, msg, wParam);
}

INT_PTR CALLBACK Ed2D_BoneDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  Ed2DEditor &e = g_Ed2D;
  if (Panel_TimedOpen(dlg, msg, &e.boneDlgX, &e.boneDlgY, &e.boneRefresh)) return TRUE;
  switch (msg) {
    case WM_NOTIFY: return Panel_TreeNotify(lParam, e.boneTree, Ed2D_BoneTreeSelected) ? TRUE : FALSE;
    case WM_COMMAND:
      Ed2D_BoneDlgCommand(LOWORD(wParam));
      return TRUE;
    default:
      Ed2D_BoneDlgTick();
      return FALSE;
  }
}

// The group dialog: the commands with the group list's current row, the tick's mirror, and the
// swatch strip at its left (the dispatcher paints it from the model).
INT_PTR CALLBACK Ed2D_GroupDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  if (Panel_TimedOpen(dlg, msg, &g_Options.g_Group2DDlg.x, &g_Options.g_Group2DDlg.y, &g_Ed2DGroup.refresh)) {
    RECT r;
    GetClientRect(dlg, &r);
    Strip_Register(STRIP_GROUP2_SWATCHES, dlg, r.right, r.bottom);
    DisableAll(dlg, kGroupDlgInert, sizeof kGroupDlgInert / sizeof kGroupDlgInert[0]);
    return TRUE;
  }
  switch (msg) {
    case WM_COMMAND: {
      // Edits of the fields are read by "決定"; their own notifications do nothing.
      UINT code = HIWORD(wParam), id = LOWORD(wParam);
      if (code == EN_CHANGE || code == EN_UPDATE || code == EN_SETFOCUS || code == EN_KILLFOCUS) return TRUE;
      bool combo = id == IDC_G2D_TEXTURE || id == IDC_G2D_SHADE;
      if (combo && code != CBN_SELCHANGE) return TRUE;
      // A combo's choice is read by "決定"; it does not take the list's row.
      i32 row = g_Ed2D.groupList && !combo ? Panel_ListCaret(g_Ed2D.groupList) : -1;
      Ed2D_GroupDlgCommand(id, row);
      return TRUE;
    }
    case WM_PAINT: g_Shell.g_StripDirty[STRIP_FLAG_SWATCHES] = 1; return FALSE;
    case WM_DESTROY:
      KillTimer(dlg, 1);
      if (g_Strip.g_StripWindows[STRIP_GROUP2_SWATCHES].window == dlg) Strip_Unregister(STRIP_GROUP2_SWATCHES);
      return FALSE;
    default: Ed2D_GroupDlgTick(); return FALSE;
  }
}
