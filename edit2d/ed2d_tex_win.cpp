// The 2D texture panel on Windows: creating "2D_TEX_DLG" and its texture list, and the thin
// procedure that passes commands and mouse positions to ed2d_tex.cpp and shows its state.
#include <windows.h>

#include <stdio.h>

#include "app/current.h"
#include "app/panel_win.h"
#include "app/strip.h"
#include "app/views.h"
#include "app/winorder_win.h"
#include "edit2d/ed2d_tex.h"
#include "edit2d/ed2d_win.h"
#include "resources/edit2d_ids.h"

static HINSTANCE Instance(void) { return GetModuleHandleA(nullptr); }

static void *CreatePanel(i32 x, i32 y, i32 w, i32 h) {
  HWND dlg = CreateDialogParamA(Instance(), "2D_TEX_DLG", (HWND)g_MainWindowHandle, Ed2D_TexDlgProc, 0);
  if (!dlg) return nullptr;
  MoveWindow(dlg, x, y, w, h, TRUE);
  ShowWindow(dlg, SW_SHOW);
  WinOrder_Join(dlg);
  RECT r;
  GetClientRect(dlg, &r);
  Strip_Register(STRIP_TEX2D, dlg, r.right < STRIP_PANEL ? r.right : STRIP_PANEL, r.bottom);
  return dlg;
}

static void *CreateList(void *panel) {
  return CreateWindowExA(0, "listbox", "", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | LBS_EXTENDEDSEL | LBS_NOTIFY,
                         516, 35, 200, 345, (HWND)panel, (HMENU)(INT_PTR)ED2D_TEX_LIST, Instance(), nullptr);
}

static void Destroy(void *window) {
  WinOrder_Leave((HWND)window);
  DestroyWindow((HWND)window);
}

static void ActivateMain(void) {
  if (g_MainWindowHandle) SetActiveWindow((HWND)g_MainWindowHandle);
}

void Ed2D_TexInstallWin(void) {
  Ed2DTexOps &o = g_Ed2DTexOps;
  o.createPanel = CreatePanel;
  o.createList = CreateList;
  o.destroy = Destroy;
  o.activateMain = ActivateMain;
}

// [SECTION] the panel
static const int kCheckButtons[] = {IDC_T2D_FRONT, IDC_T2D_TOP, IDC_T2D_SIDE, IDC_T2D_CYLINDER, IDC_T2D_SPHERE,
                                    IDC_T2D_PER_FACE, IDC_T2D_BY_HAND, IDC_T2D_SELECT, IDC_T2D_MOVE,
                                    IDC_T2D_ROTATE, IDC_T2D_SCALE};

static void ShowValue(HWND dlg, int id, const char *axis, f32 value) {
  char text[64];
  snprintf(text, sizeof text, "%s : %3.3f", axis, (double)value);
  SetDlgItemTextA(dlg, id, text);
}

static void ShowState(HWND dlg) {
  Ed2DTexEditor &e = g_Ed2DTex;
  App_MarkAllRedraw();
  for (int id : kCheckButtons) CheckDlgButton(dlg, id, BST_UNCHECKED);
  if (u32 b = Ed2D_TexMappingButton()) CheckDlgButton(dlg, (int)b, BST_CHECKED);
  if (u32 b = Ed2D_TexToolButton()) CheckDlgButton(dlg, (int)b, BST_CHECKED);
  const Bone2Model *m = g_Cur2DSlot < BONE2_SLOTS ? g_Bone2Slots[g_Cur2DSlot] : nullptr;
  if (m) {
    const Group2 &g = m->groups[Ed2D_GroupOf(m, g_CurGroupIndex)];
    ShowValue(dlg, IDC_T2D_OFFSET_X, "X", g.p[0]);
    ShowValue(dlg, IDC_T2D_OFFSET_Y, "Y", g.p[1]);
    ShowValue(dlg, IDC_T2D_SCALE_X, "X", g.p[2]);
    ShowValue(dlg, IDC_T2D_SCALE_Y, "Y", g.p[3]);
  }
  CheckDlgButton(dlg, IDC_T2D_SNAP, e.snap ? BST_CHECKED : BST_UNCHECKED);
  char grid[32];
  snprintf(grid, sizeof grid, "%d", (int)e.grid);
  SetDlgItemTextA(dlg, IDC_T2D_GRID, grid);
}

static i32 CurrentRow(void) {
  HWND list = (HWND)g_Ed2DTex.list;
  if (!list || SendMessageA(list, LB_GETCOUNT, 0, 0) <= 0) return -1;
  LRESULT caret = SendMessageA(list, LB_GETCARETINDEX, 0, 0);
  return caret == LB_ERR ? -1 : (i32)caret;
}

// A 16-bit half of a mouse lParam: above 10000 it stands for a negative position.
static i32 Half(u32 v) { return v > 10000 ? (i32)v - 65535 : (i32)v; }

static void StoreRect(HWND dlg) {
  Ed2DTexEditor &e = g_Ed2DTex;
  RECT r;
  if (!GetWindowRect(dlg, &r)) return;
  e.panelX = r.left;
  e.panelY = r.top;
  e.panelW = r.right - r.left;
  e.panelH = r.bottom - r.top;
}

INT_PTR CALLBACK Ed2D_TexDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  Ed2DTexEditor &e = g_Ed2DTex;
  StoreRect(dlg);
  i32 x = Half(LOWORD(lParam)), y = Half(HIWORD(lParam));
  switch (msg) {
    case WM_INITDIALOG:
      SetTimer(dlg, 1, 50, nullptr);
      e.refresh = 1;
      return TRUE;
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
      App_RefreshCurrentPointers();
      char grid[32] = {};
      HWND field = GetDlgItem(dlg, IDC_T2D_GRID);
      bool enabled = field && IsWindowEnabled(field);
      if (enabled) GetWindowTextA(field, grid, sizeof grid);
      return Ed2D_TexCommand(LOWORD(wParam), CurrentRow(), enabled ? grid : nullptr) ? TRUE : FALSE;
    }
    case WM_PAINT: g_StripDirty[STRIP_FLAG_TEXTURES] = 1; return FALSE;
    case WM_DESTROY:
      KillTimer(dlg, 1);
      if (g_StripWindows[STRIP_TEX2D].window == dlg) Strip_Unregister(STRIP_TEX2D);
      return FALSE;
    default:
      if (e.panel == dlg && e.refresh == 1) {
        e.refresh = 0;
        ShowState(dlg);
      }
      return FALSE;
  }
}
