// The program family's windows: the source dialog (template 53) with its edit control, and
// the host entries that need them (entry and exit, edit text, activation).
//
// Owner of g_ProgDlg: this file. The edit control's text is the script; the compile reads
// it whole through g_ProgEditor.editText, and an edit marks the program's changed flag.
#include <windows.h>

#include <stdlib.h>

#include "app/docflags.h"
#include "app/views.h"
#include "app/winorder_win.h"
#include "lib/framework/lib.h"
#include "lib/media/log.h"
#include "model/bytes.h"
#include "resources/prog_ids.h"
#include "scene/prog_run.h"

struct ProgDialog {
  HWND window;
  RECT rect;        // last window rectangle (screen)
  u8 refresh;       // copy the state into the controls at the next message
  u8 settingText;   // the program itself is filling the edit control
};
static ProgDialog g_ProgDlg;

// Far above the edit control's default of 32,767 bytes, so that no source is cut.
enum { PROG_EDIT_LIMIT = 0x7FFFFFFE };

static HWND Prog_Edit(void) { return (HWND)g_ProgEditor.editControl; }

static void Prog_ResizeEdit(HWND dlg) {
  RECT r;
  GetWindowRect(dlg, &r);
  MoveWindow(GetDlgItem(dlg, IDC_PROG_EDIT), 0, 23, (r.right - r.left) - 8, (r.bottom - r.top) - 56, TRUE);
}

static INT_PTR CALLBACK Prog_DlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  GetWindowRect(dlg, &g_ProgDlg.rect);
  switch (msg) {
    case WM_INITDIALOG:
      SetTimer(dlg, 1, 50, nullptr);
      SendDlgItemMessageA(dlg, IDC_PROG_EDIT, EM_SETLIMITTEXT, PROG_EDIT_LIMIT, 0);
      g_ProgDlg.refresh = 1;
      return TRUE;
    case WM_SIZE:
      Prog_ResizeEdit(dlg);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_PROG_RUN: Prog_Run(); return TRUE;
        case IDC_PROG_STOP: Prog_Stop(); return TRUE;
        case IDC_PROG_EDIT:
          if (HIWORD(wParam) == EN_CHANGE && !g_ProgDlg.settingText) Doc_MarkEdited(DOC_PROGRAM);
          return TRUE;
        default: return FALSE;
      }
    default:
      if (g_ProgDlg.refresh) g_ProgDlg.refresh = 0;
      return FALSE;
  }
}

// [SECTION] Edit text

// The whole text of the edit control; false when it could not be read whole (then the
// source file must not be overwritten with it).
static bool Prog_ReadEditText(ByteWriter *out) {
  HWND edit = Prog_Edit();
  if (!edit) return false;
  int n = GetWindowTextLengthA(edit);
  if (n < 0) return false;
  char *buf = (char *)malloc((size_t)n + 1);
  if (!buf) return false;
  int got = n > 0 ? GetWindowTextA(edit, buf, n + 1) : 0;
  bool whole = got == n;
  if (whole) Wr_Bytes(out, buf, (size_t)n);
  free(buf);
  return whole && !out->err;
}

static void Prog_SetEditText(const char *text, size_t size) {
  HWND edit = Prog_Edit();
  if (!edit) return;
  g_ProgDlg.settingText = 1;
  if (!text) {
    SetWindowTextA(edit, "");
  } else {
    // The file's bytes up to a NUL, as one string (the control ends its text there anyway).
    char *buf = (char *)malloc(size + 1);
    if (buf) {
      memcpy(buf, text, size);
      buf[size] = 0;
      SetWindowTextA(edit, buf);
      free(buf);
    }
  }
  g_ProgDlg.settingText = 0;
}

// [SECTION] Entry and exit

static void Prog_EnterWindows(void) {
  if (g_ProgDlg.window) return;
  HWND main = (HWND)g_Shell.g_MainWindowHandle;
  HWND dlg = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PROG_SOURCE), main, Prog_DlgProc, 0);
  g_ProgDlg.window = dlg;
  if (!dlg) return;
  g_ProgEditor.editControl = GetDlgItem(dlg, IDC_PROG_EDIT);
  i32 w = g_DesktopWidth > 0 ? g_DesktopWidth : GetSystemMetrics(SM_CXSCREEN);
  i32 h = g_DesktopHeight > 0 ? g_DesktopHeight : GetSystemMetrics(SM_CYSCREEN);
  MoveWindow(dlg, w - 400, 47, 400, h - 77, TRUE);
  ShowWindow(dlg, SW_SHOW);
  WinOrder_Join(dlg);
  // The log belongs to this family: owned by the main window and kept above it.
  Log_Create();
  if (HWND log = (HWND)g_Log.window) {
    SetWindowLongPtrA(log, GWLP_HWNDPARENT, (LONG_PTR)main);
    WinOrder_Join(log);
  }
}

static void Prog_LeaveWindows(void) {
  if (HWND log = (HWND)g_Log.window) {
    WinOrder_Leave(log);
    DestroyWindow(log);
  }
  if (g_ProgDlg.window) {
    WinOrder_Leave(g_ProgDlg.window);
    DestroyWindow(g_ProgDlg.window);
  }
  g_ProgDlg.window = nullptr;
  g_ProgEditor.editControl = nullptr;
}

static void Prog_ActivateMain(void) {
  if (g_Shell.g_MainWindowHandle) SetActiveWindow((HWND)g_Shell.g_MainWindowHandle);
}

static void Prog_ActivateSource(void) {
  if (g_ProgDlg.window) SetActiveWindow(g_ProgDlg.window);
}

void Prog_InstallWin(void) {
  ProgHost &h = g_ProgHost;
  h.enterWindows = Prog_EnterWindows;
  h.leaveWindows = Prog_LeaveWindows;
  h.setEditText = Prog_SetEditText;
  h.activateMain = Prog_ActivateMain;
  h.activateSource = Prog_ActivateSource;
  g_ProgEditor.editText = Prog_ReadEditText;
}
