// The 2D motion sub-mode's windows on Windows: registering its three templates, and the thin dialog
// procedures that pass commands, scroll bar and mouse messages and timer ticks to the portable
// handlers (ed2d_motion_dlg.cpp).
#include "edit2d/ed2d_motion_win.h"

#include "app/current.h"
#include "app/panel_win.h"
#include "app/shell_win.h"
#include "app/strip.h"
#include "app/strip_state.h"
#include "app/views.h"
#include "app/widget_win.h"
#include "edit2d/ed2d_motion.h"
#include "edit2d/ed2d_strip_win.h"

// The key strip's place among the wheel panels and the motion list's among the dialog panels.
enum { KEY_PANEL_SLOT = 1, LIST_PANEL_SLOT = 5 };

static void RegisterStrip(HWND dlg) {
  RECT r;
  GetClientRect(dlg, &r);
  Strip_Register(STRIP_BONE2_KEYS, dlg, r.right, r.bottom - ED2D_STRIP_SCROLL_H);
}

// The key strip joins the dispatcher, takes the wheel and gets its scroll bar; the motion list
// gets the loop's dialog messages.
static void KeysCreated(HWND dlg) {
  RegisterStrip(dlg);
  g_WheelPanels[KEY_PANEL_SLOT] = dlg;
  Ed2D_StripCreateScrollBar(dlg);
}
static void ListCreated(HWND dlg) { g_DialogPanels[LIST_PANEL_SLOT] = dlg; }

void Ed2D_MotionInstallWin(void) {
  static const DLGPROC kProcs[ED2D_MOT_WIN_KINDS] = {Ed2D_MotionDlgProc, Ed2D_MotionKeyDlgProc,
                                                     Ed2D_MotionListDlgProc};
  static WidgetPanelClass classes[ED2D_MOT_WIN_KINDS];
  for (u32 k = 0; k < ED2D_MOT_WIN_KINDS; k++)
    classes[k] = {Ed2D_MotionWindowName(k), nullptr, kProcs[k], 0, 0, nullptr, nullptr};
  classes[ED2D_MOT_WIN_KEYS].created = KeysCreated;
  classes[ED2D_MOT_WIN_LIST].created = ListCreated;
  Widget_InstallWin();
  Widget_RegisterPanels(classes, ED2D_MOT_WIN_KINDS);
}

// Windows going away leave the panel tables and the strip dispatcher.
static void Forget(HWND dlg) {
  if (g_Strip.g_StripWindows[STRIP_BONE2_KEYS].window == dlg) Strip_Unregister(STRIP_BONE2_KEYS);
  if (g_WheelPanels[KEY_PANEL_SLOT] == dlg) g_WheelPanels[KEY_PANEL_SLOT] = nullptr;
  if (g_DialogPanels[LIST_PANEL_SLOT] == dlg) g_DialogPanels[LIST_PANEL_SLOT] = nullptr;
}

// [SECTION] dialog procedures
INT_PTR CALLBACK Ed2D_MotionDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  Ed2DMotionEditor &e = g_Ed2DMotion;
  if (Panel_TimedOpen(dlg, msg, &e.valuesDlgX, &e.valuesDlgY, &e.valuesRefresh)) return TRUE;
  switch (msg) {
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED) Ed2D_MotionDlgCommand(LOWORD(wParam));
      return TRUE;
    default:
      if (e.valuesDlg == dlg) Ed2D_MotionDlgTick();
      return FALSE;
  }
}

INT_PTR CALLBACK Ed2D_MotionKeyDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  Ed2DMotionEditor &e = g_Ed2DMotion;
  Panel_StorePosition(dlg, &e.keyDlgX, &e.keyDlgY);
  RECT wr;
  if (GetWindowRect(dlg, &wr)) e.keyDlgW = wr.right - wr.left, e.keyDlgH = wr.bottom - wr.top;
  if (Ed2D_StripMouse(dlg, msg, lParam, Ed2D_MotionKeyMouse)) return TRUE;
  switch (msg) {
    case WM_INITDIALOG: e.stripRefresh = 1; return TRUE;
    case WM_GETMINMAXINFO: Ed2D_StripTrackSize(lParam); return FALSE;
    case WM_HSCROLL: Ed2D_StripHScroll(wParam, Ed2D_MotionKeyScroll); return TRUE;
    case WM_SIZE:
      if (e.keyDlg == dlg) {
        Ed2D_StripPlaceScrollBar(dlg);
        RegisterStrip(dlg);
        e.stripRefresh = 1;
      }
      return FALSE;
    case WM_DESTROY: Forget(dlg); return FALSE;
    case WM_PAINT: e.stripRefresh = 1; Ed2D_MotionKeyIdle(); return FALSE;
    case WM_COMMAND: return TRUE;
    default: Ed2D_MotionKeyIdle(); return FALSE;
  }
}

INT_PTR CALLBACK Ed2D_MotionListDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  Ed2DMotionEditor &e = g_Ed2DMotion;
  if (Panel_TimedOpen(dlg, msg, &e.listDlgX, &e.listDlgY, &e.listRefresh)) return TRUE;
  switch (msg) {
    case WM_DESTROY: Forget(dlg); return FALSE;
    case WM_COMMAND: Ed2D_MotionListCommand(LOWORD(wParam)); return TRUE;   // may destroy dlg
    default:
      if (e.listDlg == dlg) Ed2D_MotionListTick();
      return FALSE;
  }
}
