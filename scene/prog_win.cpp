// The program family's windows: the source dialog (template 53) with its edit control, and
// the seam entries that make and destroy them on entry and exit; its text and activation go
// through the widget seam (prog_family.cpp).
//
// The dialog's window is g_ProgEditor.sourceDialog. The edit control's text is the script;
// the compile reads it whole through g_ProgEditor.editText, and an edit marks the program's
// changed flag.
#include <windows.h>

#include <stdlib.h>

#include "app/docflags.h"
#include "app/shell_view.h"
#include "app/views.h"
#include "app/widget_win.h"
#include "app/winorder_win.h"
#include "lib/framework/fieldtext_win.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/media/log.h"
#include "model/bytes.h"
#include "resources/prog_ids.h"
#include "scene/prog_run.h"

// Far above the edit control's default of 32,767 bytes, so that no source is cut.
enum { PROG_EDIT_LIMIT = 0x7FFFFFFE };

static HWND Prog_Edit(void) { return (HWND)g_ProgEditor.editControl; }

static void Prog_ResizeEdit(HWND dlg) {
  RECT r;
  GetWindowRect(dlg, &r);
  MoveWindow(GetDlgItem(dlg, IDC_PROG_EDIT), 0, 23, (r.right - r.left) - 8, (r.bottom - r.top) - 56, TRUE);
}

static INT_PTR CALLBACK Prog_DlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      SetTimer(dlg, 1, 50, nullptr);
      SendDlgItemMessageA(dlg, IDC_PROG_EDIT, EM_SETLIMITTEXT, PROG_EDIT_LIMIT, 0);
      return TRUE;
    case WM_SIZE:
      Prog_ResizeEdit(dlg);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_PROG_RUN: Prog_Run(); return TRUE;
        case IDC_PROG_STOP: Prog_Stop(); return TRUE;
        case IDC_PROG_EDIT:
          if (HIWORD(wParam) == EN_CHANGE && !g_ProgEditor.settingText) Doc_MarkEdited(DOC_PROGRAM);
          return TRUE;
        default: return FALSE;
      }
    default: return FALSE;
  }
}

// [SECTION] Edit text

// The whole text of the edit control; false when it could not be read whole (then the
// source file must not be overwritten with it).
static bool Prog_ReadEditText(ByteWriter *out) {
  HWND edit = Prog_Edit();
  if (!edit) return false;
  // A letter the code page cannot hold refuses the whole text, with a message naming it.
  u32 n = 0;
  char *buf = FieldText_ReadAll(edit, &n);
  if (!buf) {
    g_ProgEditor.editTextSaid = 1;
    return false;
  }
  Wr_Bytes(out, buf, (size_t)n);
  free(buf);
  return !out->err;
}

// [SECTION] Entry and exit

static void Prog_EnterWindows(void) {
  if (g_ProgEditor.sourceDialog) return;
  HWND main = (HWND)g_Shell.g_MainWindowHandle;
  HWND dlg = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PROG_SOURCE), main, Prog_DlgProc, 0);
  g_ProgEditor.sourceDialog = dlg;
  if (!dlg) return;
  g_ProgEditor.editControl = GetDlgItem(dlg, IDC_PROG_EDIT);
  i32 w = g_Lib.desktopWidth > 0 ? g_Lib.desktopWidth : GetSystemMetrics(SM_CXSCREEN);
  i32 h = g_Lib.desktopHeight > 0 ? g_Lib.desktopHeight : GetSystemMetrics(SM_CYSCREEN);
  // Along the desktop's right edge; on a desktop too narrow for it right of the script's
  // frame (its right edge FRAME_RIGHT), the width between the frame and the edit-mode
  // selector, and the log goes below the frame, LOW_LOG_H high.
  enum { DIALOG_W = 400, FRAME_RIGHT = 672, SELECTOR_W = 90, LOW_LOG_H = 160 };
  i32 x = w - DIALOG_W, dw = DIALOG_W;
  if (x < FRAME_RIGHT) x = FRAME_RIGHT, dw = w - FRAME_RIGHT - SELECTOR_W;
  MoveWindow(dlg, x, 47, dw, h - 77, TRUE);
  ShowWindow(dlg, SW_SHOW);
  WinOrder_Join(dlg);
  // The log belongs to this family: owned by the main window and kept above it.
  Log_Create();
  if (HWND log = (HWND)g_Log.window) {
    SetWindowLongPtrA(log, GWLP_HWNDPARENT, (LONG_PTR)main);
    RECT r;
    if (dw != DIALOG_W && GetWindowRect(log, &r)) MoveWindow(log, 0, h - LOW_LOG_H, r.right - r.left, LOW_LOG_H, TRUE);
    WinOrder_Join(log);
  }
}

static void Prog_LeaveWindows(void) {
  if (HWND log = (HWND)g_Log.window) {
    WinOrder_Leave(log);
    DestroyWindow(log);
  }
  if (HWND dlg = (HWND)g_ProgEditor.sourceDialog) {
    WinOrder_Leave(dlg);
    DestroyWindow(dlg);
  }
  g_ProgEditor.sourceDialog = nullptr;
  g_ProgEditor.editControl = nullptr;
}

void Prog_InstallWin(void) {
  Widget_InstallWin();   // the source dialog's text and activation
  SceneSeam &h = g_SceneSeam;
  h.enterWindows = Prog_EnterWindows;
  h.leaveWindows = Prog_LeaveWindows;
  g_ProgEditor.editText = Prog_ReadEditText;
}
