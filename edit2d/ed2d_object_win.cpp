// The 2D object sub-mode's windows on Windows: creating the five templates and their run-time
// children, the list, combo and scroll bar calls, and the thin dialog procedures that pass
// commands, mouse messages and timer ticks to the portable handlers (ed2d_object_dlg.cpp).
#include <windows.h>

#include "app/current.h"
#include "app/panel_win.h"
#include "app/shell_win.h"
#include "app/strip.h"
#include "app/views.h"
#include "app/winorder_win.h"
#include "edit2d/ed2d_object.h"
#include "edit2d/ed2d_object_win.h"
#include "edit2d/ed2d_strip_win.h"
#include "resources/edit2d_ids.h"

enum { PREVIEW_X = 116, KEY_PANEL_SLOT = 0 };

static HINSTANCE Instance(void) { return GetModuleHandleA(nullptr); }

static INT_PTR CALLBACK ListDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
static INT_PTR CALLBACK ImageDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
static INT_PTR CALLBACK ValuesDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
static INT_PTR CALLBACK KeyDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
static INT_PTR CALLBACK MotionDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);

// [SECTION] platform calls
static void RegisterStrip(HWND dlg, u32 kind) {
  RECT r;
  GetClientRect(dlg, &r);
  if (kind == ED2D_OBJ_WIN_KEYS) Strip_Register(STRIP_OBJ2_KEYS, dlg, r.right, r.bottom - ED2D_STRIP_SCROLL_H);
  if (kind == ED2D_OBJ_WIN_IMAGE) Strip_Register(STRIP_OBJ2_IMAGE, dlg, r.right - PREVIEW_X, r.bottom);
}

static void *CreateWindow2D(u32 kind, i32 x, i32 y, i32 w, i32 h) {
  static const char *const kNames[ED2D_OBJ_WIN_KINDS] = {"2D_OBJ_LIST_DLG", "2D_OBJ_IMG_DLG", "2D_OBJ_DLG",
                                                         "2D_OBJ_KEY_DLG", "OBJ_MOTION_LIST_DLG"};
  static const DLGPROC kProcs[ED2D_OBJ_WIN_KINDS] = {ListDlgProc, ImageDlgProc, ValuesDlgProc, KeyDlgProc,
                                                     MotionDlgProc};
  if (kind >= ED2D_OBJ_WIN_KINDS) return nullptr;
  HWND dlg = CreateDialogParamA(Instance(), kNames[kind], (HWND)g_Shell.g_MainWindowHandle, kProcs[kind], 0);
  if (!dlg) return nullptr;
  MoveWindow(dlg, x, y, w, h, TRUE);
  ShowWindow(dlg, SW_SHOW);
  WinOrder_Join(dlg);
  RegisterStrip(dlg, kind);
  if (kind == ED2D_OBJ_WIN_KEYS) g_WheelPanels[KEY_PANEL_SLOT] = dlg;
  return dlg;
}

static void Destroy(void *window) {
  HWND w = (HWND)window;
  if (g_Strip.g_StripWindows[STRIP_OBJ2_KEYS].window == window) Strip_Unregister(STRIP_OBJ2_KEYS);
  if (g_Strip.g_StripWindows[STRIP_OBJ2_IMAGE].window == window) Strip_Unregister(STRIP_OBJ2_IMAGE);
  if (g_WheelPanels[KEY_PANEL_SLOT] == w) g_WheelPanels[KEY_PANEL_SLOT] = nullptr;
  WinOrder_Leave(w);
  DestroyWindow(w);
}

static void *CreateList(void *dlg, i32 x, i32 y, i32 w, i32 h, bool extended) {
  DWORD style = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | (extended ? LBS_EXTENDEDSEL : 0);
  return CreateWindowExA(0, "listbox", "", style, x, y, w, h, (HWND)dlg, (HMENU)(INT_PTR)1, Instance(), nullptr);
}

static void *CreateScrollBar(void *dlg) { return Ed2D_StripCreateScrollBar((HWND)dlg); }
static void SetScroll(void *bar, i32 range, i32 pos) { Ed2D_StripSetScroll((HWND)bar, range, pos); }

static void Fill(void *control, u32 kind, const Ed2DLines *lines) {
  HWND c = (HWND)control;
  bool combo = kind == ED2D_FILL_COMBO;
  SendMessageA(c, WM_SETREDRAW, FALSE, 0);
  SendMessageA(c, combo ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0);
  for (i32 i = 0; i < lines->count; i++) SendMessageA(c, combo ? CB_ADDSTRING : LB_ADDSTRING, 0, (LPARAM)lines->text[i]);
  if (combo) {
    SendMessageA(c, CB_SETCURSEL, (WPARAM)lines->select, 0);
  } else if (kind == ED2D_FILL_MULTI) {
    if (lines->select >= 0) SendMessageA(c, LB_SETSEL, TRUE, (LPARAM)lines->select);
    // The caret names the current object at the list's next command.
    if (lines->select >= 0) SendMessageA(c, LB_SETCARETINDEX, (WPARAM)lines->select, FALSE);
  } else {
    SendMessageA(c, LB_SETCURSEL, (WPARAM)lines->select, 0);
  }
  SendMessageA(c, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(c, nullptr, TRUE);
}

static i32 ListSelection(void *list) { return (i32)SendMessageA((HWND)list, LB_GETCURSEL, 0, 0); }
static void ListMarkOnly(void *list, i32 line) {
  SendMessageA((HWND)list, LB_SETSEL, FALSE, -1);
  SendMessageA((HWND)list, LB_SETSEL, TRUE, line);
}
static bool IsChecked(void *dlg, u32 id) { return IsDlgButtonChecked((HWND)dlg, (int)id) == BST_CHECKED; }
static void Activate(void *window) { SetActiveWindow(window ? (HWND)window : (HWND)g_Shell.g_MainWindowHandle); }

void Ed2D_ObjInstallWin(void) {
  Ed2DObjOps &o = g_Ed2DObjOps;
  o.createWindow = CreateWindow2D;
  o.destroy = Destroy;
  o.control = Panel_Control;
  o.createList = CreateList;
  o.createScrollBar = CreateScrollBar;
  o.setScroll = SetScroll;
  o.fill = Fill;
  o.listSelection = ListSelection;
  o.listCaret = Panel_ListCaret;
  o.listMarkOnly = ListMarkOnly;
  o.comboSelection = Panel_ComboSelection;
  o.getText = Panel_GetText;
  o.setText = Panel_SetText;
  o.checkButton = Panel_CheckButton;
  o.isChecked = IsChecked;
  o.activate = Activate;
}

// [SECTION] dialog procedures
static INT_PTR CALLBACK ListDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  Ed2DObjEditor &e = g_Ed2DObj;
  Panel_StorePosition(dlg, &e.listDlgX, &e.listDlgY);
  App_RefreshCurrentPointers();
  switch (msg) {
    case WM_INITDIALOG: SetTimer(dlg, 1, 50, nullptr); e.listRefresh = 1; return TRUE;
    case WM_COMMAND: Ed2D_ObjListCommand(LOWORD(wParam)); return TRUE;
    default:
      if (e.listDlg == dlg) Ed2D_ObjListTick();
      return FALSE;
  }
}

static INT_PTR CALLBACK ImageDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  Ed2DObjEditor &e = g_Ed2DObj;
  Panel_StorePosition(dlg, &e.imageDlgX, &e.imageDlgY);
  App_RefreshCurrentPointers();
  u32 kind;
  if (Ed2D_StripMouseKind(msg, &kind)) {
    Ed2D_StripCapture(dlg, kind);
    Ed2D_ObjImgMouse(kind, Ed2D_StripMouseX(lParam), Ed2D_StripMouseY(lParam));
    return TRUE;
  }
  switch (msg) {
    case WM_INITDIALOG: SetTimer(dlg, 1, 50, nullptr); e.imageRefresh = 1; return TRUE;
    case WM_COMMAND:
      // Only the list's selection changes and the buttons act (not focus or edit notes).
      if (LOWORD(wParam) == IDC_O2D_IMG_LIST && HIWORD(wParam) != LBN_SELCHANGE) return TRUE;
      Ed2D_ObjImgCommand(LOWORD(wParam));
      return TRUE;
    case WM_SIZE:
      if (e.imageDlg == dlg) RegisterStrip(dlg, ED2D_OBJ_WIN_IMAGE);
      return FALSE;
    case WM_PAINT: g_Shell.g_StripDirty[STRIP_FLAG_OBJ2_IMAGE] = 1; return FALSE;
    default:
      if (e.imageDlg == dlg) Ed2D_ObjImgTick();
      return FALSE;
  }
}

static INT_PTR CALLBACK ValuesDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  Ed2DObjEditor &e = g_Ed2DObj;
  Panel_StorePosition(dlg, &e.valuesDlgX, &e.valuesDlgY);
  App_RefreshCurrentPointers();
  switch (msg) {
    case WM_INITDIALOG: SetTimer(dlg, 1, 50, nullptr); e.valuesRefresh = 1; return TRUE;
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED) Ed2D_ObjDlgCommand(LOWORD(wParam));
      return TRUE;
    default:
      if (e.valuesDlg == dlg) Ed2D_ObjDlgTick();
      return FALSE;
  }
}

static INT_PTR CALLBACK KeyDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  Ed2DObjEditor &e = g_Ed2DObj;
  Panel_StorePosition(dlg, &e.keyDlgX, &e.keyDlgY);
  App_RefreshCurrentPointers();
  u32 kind;
  if (Ed2D_StripMouseKind(msg, &kind)) {
    Ed2D_StripCapture(dlg, kind);
    Ed2D_ObjKeyMouse(kind, Ed2D_StripMouseX(lParam), Ed2D_StripMouseY(lParam));
    return TRUE;
  }
  switch (msg) {
    case WM_INITDIALOG: e.stripRefresh = 1; return TRUE;
    case WM_GETMINMAXINFO: Ed2D_StripTrackSize(lParam); return FALSE;
    case WM_HSCROLL: Ed2D_StripHScroll(wParam, Ed2D_ObjKeyScroll); return TRUE;
    case WM_SIZE:
      if (e.keyDlg == dlg) {
        Ed2D_StripPlaceScrollBar(dlg);
        RegisterStrip(dlg, ED2D_OBJ_WIN_KEYS);
        e.stripRefresh = 1;
      }
      return FALSE;
    case WM_PAINT: e.stripRefresh = 1; Ed2D_ObjKeyIdle(); return FALSE;
    case WM_COMMAND: return TRUE;
    default: Ed2D_ObjKeyIdle(); return FALSE;
  }
}

static INT_PTR CALLBACK MotionDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  Ed2DObjEditor &e = g_Ed2DObj;
  Panel_StorePosition(dlg, &e.motionDlgX, &e.motionDlgY);
  App_RefreshCurrentPointers();
  switch (msg) {
    case WM_INITDIALOG: SetTimer(dlg, 1, 50, nullptr); e.motionRefresh = 1; return TRUE;
    case WM_COMMAND: Ed2D_ObjMotionListCommand(LOWORD(wParam)); return TRUE;   // may destroy dlg
    default:
      if (e.motionDlg == dlg) Ed2D_ObjMotionListTick();
      return FALSE;
  }
}
