// The group panel "3D_GROUP_DLG" on Windows: its dialog procedure and the swatch strip beside
// its list. The decisions, and the reads and writes of its fields, are ed3d_group_dlg.cpp's.
#include <windows.h>

#include "app/current.h"
#include "app/family.h"
#include "app/panel_win.h"
#include "app/settings.h"
#include "app/shell_view.h"
#include "app/strip.h"
#include "app/strip_state.h"
#include "app/update.h"
#include "app/views.h"
#include "edit3d/ed3d.h"
#include "edit3d/ed3d_group_dlg.h"
#include "edit3d/ed3d_win.h"
#include "resources/edit3d_ids.h"

// [SECTION] swatches
enum { SWATCH_W = 54 };

// The swatch strip: a child left of the group list, as tall as the list's inside, so that its
// 18-pixel rows sit beside the list's lines; the list moves right to make room. The shell's
// strip dispatcher paints it.
static void MakeSwatches(HWND dlg) {
  HWND list = GetDlgItem(dlg, IDC_GRP_LIST);
  if (!list) return;
  RECT r;
  GetWindowRect(list, &r);
  MapWindowPoints(nullptr, dlg, (POINT *)&r, 2);
  i32 h = r.bottom - r.top - 2;   // inside the list's one-pixel border
  HWND strip = CreateWindowExA(0, "static", "", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW, r.left, r.top + 1, SWATCH_W, h,
                               dlg, (HMENU)(INT_PTR)IDC_GRP_SWATCHES, GetModuleHandleA(nullptr), nullptr);
  if (!strip) return;
  MoveWindow(list, r.left + SWATCH_W + 2, r.top, r.right - r.left - SWATCH_W - 2, r.bottom - r.top, FALSE);
  Strip_Register(STRIP_GROUP3_SWATCHES, strip, SWATCH_W, h);
}

static void DropSwatches(HWND dlg) {
  HWND strip = GetDlgItem(dlg, IDC_GRP_SWATCHES);
  if (strip && g_Strip.g_StripWindows[STRIP_GROUP3_SWATCHES].window == strip) Strip_Unregister(STRIP_GROUP3_SWATCHES);
}

// The first line the group list shows, -1 without a list.
static i32 GroupListTop(void) {
  HWND list = (HWND)g_Ed3D.group.list;
  return list && IsWindow(list) ? (i32)SendMessageA(list, LB_GETTOPINDEX, 0, 0) : -1;
}

void Ed3D_GroupInstallWin(void) {
  g_ShellEntries.ed3dListTopIndex = GroupListTop;
  g_ShellEntries.refreshGroupDialog = Ed3D_RefreshGroupDialog;
}

// The panel has no timer: the shell's per-frame refresh reads the record's flag.
INT_PTR CALLBACK Ed3D_GroupDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  u32 layout = View_CurrentLayout();
  WindowHolder *rec = &g_AppShell.panels[layout][PANEL_GROUP];
  Panel_StorePosition(dlg, &rec->x, &rec->y);
  if (msg == WM_INITDIALOG) {
    rec->flags = 1;   // shown once the record holds the window
    MakeSwatches(dlg);
  }
  if (msg == WM_DESTROY) DropSwatches(dlg);
  // The strip's own paint erases it: the dispatcher paints it again.
  if (msg == WM_DRAWITEM && wParam == IDC_GRP_SWATCHES) {
    g_Shell.g_StripDirty[STRIP_FLAG_SWATCHES] = 1;
    return TRUE;
  }
  if (!Current_Model3()) return msg == WM_INITDIALOG;
  switch (msg) {
    case WM_KEYDOWN:
      if (wParam == VK_RETURN) Ed3D_ApplyGroup();
      return TRUE;
    case WM_INITDIALOG: return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_GRP_LIST && HIWORD(wParam) == LBN_SELCHANGE)
        Ed3D_GroupSelect((i32)SendDlgItemMessageA(dlg, IDC_GRP_LIST, LB_GETCURSEL, 0, 0));
      Ed3D_GroupCommand(LOWORD(wParam));
      return TRUE;
    default: return FALSE;
  }
}
