// The 2D object sub-mode's windows on Windows: registering the five templates with the widget
// seam (the key strip's scroll bar is made with it), and the thin dialog procedures that pass
// commands, mouse messages and timer ticks to the portable handlers (ed2d_object_dlg.cpp).
#include <windows.h>

#include "app/current.h"
#include "app/panel_win.h"
#include "app/shell_view.h"
#include "app/shell_win.h"
#include "app/strip.h"
#include "app/strip_state.h"
#include "app/views.h"
#include "app/widget_win.h"
#include "edit2d/ed2d_object.h"
#include "edit2d/ed2d_object_win.h"
#include "edit2d/ed2d_strip_win.h"
#include "resources/edit2d_ids.h"

enum { PREVIEW_X = 116, KEY_PANEL_SLOT = 0 };

static INT_PTR CALLBACK ListDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
static INT_PTR CALLBACK ImageDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
static INT_PTR CALLBACK ValuesDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
static INT_PTR CALLBACK KeyDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
static INT_PTR CALLBACK MotionDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);

// [SECTION] windows
static void RegisterStrip(HWND dlg, u32 kind) {
  RECT r;
  GetClientRect(dlg, &r);
  if (kind == ED2D_OBJ_WIN_KEYS) Strip_Register(STRIP_OBJ2_KEYS, dlg, r.right, r.bottom - ED2D_STRIP_SCROLL_H);
  if (kind != ED2D_OBJ_WIN_IMAGE) return;
  Strip_Register(STRIP_OBJ2_IMAGE, dlg, r.right - PREVIEW_X, r.bottom);
  // A dialog opened lower than its template (on a low desktop) ends its image list above
  // its bottom edge.
  HWND list = GetDlgItem(dlg, IDC_O2D_IMG_LIST);
  RECT l;
  if (!list || !GetWindowRect(list, &l)) return;
  MapWindowPoints(nullptr, dlg, (POINT *)&l, 2);
  if (l.bottom > r.bottom - 4)
    SetWindowPos(list, nullptr, 0, 0, l.right - l.left, r.bottom - 4 - l.top, SWP_NOMOVE | SWP_NOZORDER);
}

// The key strip takes the wheel and gets its scroll bar; both strips join the dispatcher.
static void KeysCreated(HWND dlg) {
  RegisterStrip(dlg, ED2D_OBJ_WIN_KEYS);
  g_WheelPanels[KEY_PANEL_SLOT] = dlg;
  Ed2D_StripCreateScrollBar(dlg);
}
static void ImageCreated(HWND dlg) { RegisterStrip(dlg, ED2D_OBJ_WIN_IMAGE); }

static void Forget(HWND w) {
  if (g_Strip.g_StripWindows[STRIP_OBJ2_KEYS].window == w) Strip_Unregister(STRIP_OBJ2_KEYS);
  if (g_Strip.g_StripWindows[STRIP_OBJ2_IMAGE].window == w) Strip_Unregister(STRIP_OBJ2_IMAGE);
  if (g_WheelPanels[KEY_PANEL_SLOT] == w) g_WheelPanels[KEY_PANEL_SLOT] = nullptr;
}

void Ed2D_ObjInstallWin(void) {
  static const DLGPROC kProcs[ED2D_OBJ_WIN_KINDS] = {ListDlgProc, ImageDlgProc, ValuesDlgProc, KeyDlgProc,
                                                     MotionDlgProc};
  static WidgetPanelClass classes[ED2D_OBJ_WIN_KINDS];
  for (u32 k = 0; k < ED2D_OBJ_WIN_KINDS; k++)
    classes[k] = {Ed2D_ObjWindowName(k), nullptr, kProcs[k], 0, 0, nullptr, Forget};
  classes[ED2D_OBJ_WIN_KEYS].created = KeysCreated;
  classes[ED2D_OBJ_WIN_IMAGE].created = ImageCreated;
  Widget_InstallWin();
  Widget_RegisterPanels(classes, ED2D_OBJ_WIN_KINDS);
}

// [SECTION] dialog procedures
static INT_PTR CALLBACK ListDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  Ed2DObjEditor &e = g_Ed2DObj;
  if (Panel_TimedOpen(dlg, msg, &e.listDlgX, &e.listDlgY, &e.listRefresh)) return TRUE;
  switch (msg) {
    case WM_COMMAND: Ed2D_ObjListCommand(LOWORD(wParam)); return TRUE;
    default:
      if (e.listDlg == dlg) Ed2D_ObjListTick();
      return FALSE;
  }
}

static INT_PTR CALLBACK ImageDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  Ed2DObjEditor &e = g_Ed2DObj;
  if (Panel_TimedOpen(dlg, msg, &e.imageDlgX, &e.imageDlgY, &e.imageRefresh)) return TRUE;
  if (Ed2D_StripMouse(dlg, msg, lParam, Ed2D_ObjImgMouse)) return TRUE;
  switch (msg) {
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
  if (Panel_TimedOpen(dlg, msg, &e.valuesDlgX, &e.valuesDlgY, &e.valuesRefresh)) return TRUE;
  switch (msg) {
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
  if (Ed2D_StripMouse(dlg, msg, lParam, Ed2D_ObjKeyMouse)) return TRUE;
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
  if (Panel_TimedOpen(dlg, msg, &e.motionDlgX, &e.motionDlgY, &e.motionRefresh)) return TRUE;
  switch (msg) {
    case WM_COMMAND: Ed2D_ObjMotionListCommand(LOWORD(wParam)); return TRUE;   // may destroy dlg
    default:
      if (e.motionDlg == dlg) Ed2D_ObjMotionListTick();
      return FALSE;
  }
}
