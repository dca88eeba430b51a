// The 2D map editor's tile dialog (template 55): the thin procedure that hands its controls
// to Map2_PanelCommand and fills the list with Map2_RowText, and the host entries.
//
// Owner of g_Map2Dlg: this file. g_Map2Editor.dialog and .list mirror its handles.
#include <windows.h>

#include "app/views.h"
#include "app/winorder_win.h"
#include "lib/framework/lib.h"
#include "resources/map2_ids.h"
#include "scene/map2.h"

struct Map2Dialog {
  HWND window;
  RECT rect;   // last window rectangle (screen)
};
static Map2Dialog g_Map2Dlg;

static void Map2_FillList(void) {
  HWND list = (HWND)g_Map2Editor.list;
  if (!list) return;
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  i32 count = g_Map2Doc ? g_Map2Doc->tileCount : 0;
  for (i32 i = 0; i < count; i++) {
    char row[MAP2_NAME_SIZE + 16];
    Map2_RowText(i, row, sizeof row);
    SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)row);
  }
  if (g_Map2Editor.currentTile < count) SendMessageA(list, LB_SETCURSEL, (WPARAM)g_Map2Editor.currentTile, 0);
}

static INT_PTR CALLBACK Map2_DlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  GetWindowRect(dlg, &g_Map2Dlg.rect);
  switch (msg) {
    case WM_INITDIALOG:
      SetTimer(dlg, 1, 50, nullptr);
      return TRUE;
    case WM_COMMAND: {
      i32 id = LOWORD(wParam), value = -1;
      if (id == IDC_MAP2_LIST) {
        if (HIWORD(wParam) != LBN_SELCHANGE) return TRUE;
        LRESULT sel = SendDlgItemMessageA(dlg, IDC_MAP2_LIST, LB_GETCURSEL, 0, 0);
        value = sel == LB_ERR ? -1 : (i32)sel;
      } else if (HIWORD(wParam) != BN_CLICKED) {
        return FALSE;
      }
      if (Map2_PanelCommand(id, value)) Map2_FillList();
      return TRUE;
    }
    default: return FALSE;
  }
}

static void Map2_OpenPanel(void) {
  if (g_Map2Dlg.window) return;
  HWND main = (HWND)g_Shell.g_MainWindowHandle;
  HWND dlg = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAP2_TILES), main, Map2_DlgProc, 0);
  if (!dlg) return;
  g_Map2Dlg.window = dlg;
  g_Map2Editor.dialog = dlg;
  g_Map2Editor.list = GetDlgItem(dlg, IDC_MAP2_LIST);
  i32 w = g_DesktopWidth > 0 ? g_DesktopWidth : GetSystemMetrics(SM_CXSCREEN);
  i32 h = g_DesktopHeight > 0 ? g_DesktopHeight : GetSystemMetrics(SM_CYSCREEN);
  MoveWindow(dlg, w - 468, h - 553, 468, 524, TRUE);
  ShowWindow(dlg, SW_SHOW);
  WinOrder_Join(dlg);
  Map2_FillList();
}

static void Map2_ClosePanel(void) {
  if (g_Map2Dlg.window) {
    WinOrder_Leave(g_Map2Dlg.window);
    DestroyWindow(g_Map2Dlg.window);
  }
  g_Map2Dlg.window = nullptr;
  g_Map2Editor.dialog = nullptr;
  g_Map2Editor.list = nullptr;
}

static void Map2_ActivateMain(void) {
  if (g_Shell.g_MainWindowHandle) SetActiveWindow((HWND)g_Shell.g_MainWindowHandle);
}

void Map2_InstallWin(void) {
  Map2Host &h = g_Map2Host;
  h.openPanel = Map2_OpenPanel;
  h.closePanel = Map2_ClosePanel;
  h.fillList = Map2_FillList;
  h.activateMain = Map2_ActivateMain;
}
