// The 2D texture panel on Windows: registering "2D_TEX_DLG" with the widget seam, and the thin
// procedure that passes commands and mouse positions to ed2d_tex.cpp and shows its state.
#include <windows.h>

#include "app/current.h"
#include "app/panel_win.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/strip.h"
#include "app/strip_state.h"
#include "app/views.h"
#include "app/widget_win.h"
#include "app/winplace_win.h"
#include "edit2d/ed2d_tex.h"
#include "edit2d/ed2d_win.h"
#include "resources/edit2d_ids.h"

// The panel opens clear of the frame the skin is edited in where the screen has room, else
// covering as little of it as it can; its preview joins the strip dispatcher. A smaller
// preview takes the controls right of it along.
static void Created(HWND dlg) {
  WinPlace_KeepInFrame(WINPLACE_KEEP_FRAME, 0, 0, 640, 480, dlg, true);
  i32 side = Ed2D_TexPreviewSide();
  for (HWND c = GetWindow(dlg, GW_CHILD); c && side < STRIP_PANEL; c = GetWindow(c, GW_HWNDNEXT)) {
    RECT at;
    GetWindowRect(c, &at);
    MapWindowPoints(nullptr, dlg, (POINT *)&at, 2);
    SetWindowPos(c, nullptr, at.left - (STRIP_PANEL - side), at.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  RECT r;
  GetClientRect(dlg, &r);
  Strip_Register(STRIP_TEX2D, dlg, r.right < side ? r.right : side, side < (i32)STRIP_PANEL ? side : (i32)r.bottom);
}

static void Destroyed(HWND dlg) {
  if (g_WinPlace.keep[WINPLACE_KEEP_FRAME].only == dlg) WinPlace_Keep(WINPLACE_KEEP_FRAME, nullptr, nullptr);
}

void Ed2D_TexInstallWin(void) {
  static const WidgetPanelClass kPanel = {ED2D_TEX_PANEL, nullptr, Ed2D_TexDlgProc, 0, 0, Created, Destroyed};
  Widget_InstallWin();
  Widget_RegisterPanels(&kPanel, 1);
}

// [SECTION] the panel
static const int kCheckButtons[] = {IDC_T2D_FRONT, IDC_T2D_TOP, IDC_T2D_SIDE, IDC_T2D_CYLINDER, IDC_T2D_SPHERE,
                                    IDC_T2D_PER_FACE, IDC_T2D_BY_HAND, IDC_T2D_SELECT, IDC_T2D_MOVE,
                                    IDC_T2D_ROTATE, IDC_T2D_SCALE};
static const PanelTexIds kIds = {kCheckButtons, (i32)(sizeof kCheckButtons / sizeof kCheckButtons[0]),
                                 {IDC_T2D_OFFSET_X, IDC_T2D_OFFSET_Y, IDC_T2D_SCALE_X, IDC_T2D_SCALE_Y},
                                 IDC_T2D_SNAP, IDC_T2D_GRID};

// The group's offset and scale are its projection's p[0..3].
static void ShowState(HWND dlg) {
  Ed2DTexEditor &e = g_Ed2DTex;
  App_MarkAllRedraw(View_CurrentLayout());
  const Bone2Model *m = g_Sel.g_Cur2DSlot < BONE2_SLOTS ? g_Bone2Slots[g_Sel.g_Cur2DSlot] : nullptr;
  const f32 *values = m ? m->groups[Ed2D_GroupOf(m, g_Sel.g_CurGroupIndex)].p : nullptr;
  Panel_ShowTexState(dlg, kIds, Ed2D_TexMappingButton(), Ed2D_TexToolButton(), values, e.snap != 0, e.grid);
}

INT_PTR CALLBACK Ed2D_TexDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  Ed2DTexEditor &e = g_Ed2DTex;
  Panel_StoreRect(dlg, &e.panelX, &e.panelY, &e.panelW, &e.panelH);
  if (Panel_StartTimer(dlg, msg, &e.refresh)) return TRUE;
  i32 x = Panel_MouseCoord(LOWORD(lParam)), y = Panel_MouseCoord(HIWORD(lParam));
  switch (msg) {
    case WM_LBUTTONDOWN: SetCapture(dlg); Ed2D_TexPanelDown(0, x, y); return TRUE;
    case WM_RBUTTONDOWN: SetCapture(dlg); Ed2D_TexPanelDown(1, x, y); return TRUE;
    case WM_MBUTTONDOWN: SetCapture(dlg); Ed2D_TexPanelDown(2, x, y); return TRUE;
    case WM_LBUTTONUP: ReleaseCapture(); Ed2D_TexPanelUp(0); return TRUE;
    case WM_RBUTTONUP: ReleaseCapture(); Ed2D_TexPanelUp(1); return TRUE;
    case WM_MBUTTONUP: ReleaseCapture(); Ed2D_TexPanelUp(2); return TRUE;
    case WM_MOUSEMOVE: Ed2D_TexPanelMove(x, y); return TRUE;
    case WM_COMMAND: {
      // The grid field's own edits are read by the next other command.
      if (LOWORD(wParam) == IDC_T2D_GRID) return TRUE;
      char grid[32] = {};
      const char *gridText = Panel_EnabledText(dlg, IDC_T2D_GRID, grid, sizeof grid);
      return Ed2D_TexCommand(LOWORD(wParam), Panel_ListFocusLine(g_Ed2DTex.list), gridText) ? TRUE : FALSE;
    }
    case WM_PAINT: g_Shell.g_StripDirty[STRIP_FLAG_TEXTURES] = 1; return FALSE;
    case WM_DESTROY:
      KillTimer(dlg, 1);
      if (g_Strip.g_StripWindows[STRIP_TEX2D].window == dlg) Strip_Unregister(STRIP_TEX2D);
      return FALSE;
    default:
      if (e.panel == dlg && Panel_TakeRefresh(&e.refresh)) ShowState(dlg);
      return FALSE;
  }
}
