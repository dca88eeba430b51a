// Every modal window of the Windows side goes through these hooks: message boxes, the
// common file and colour dialogs, the folder browser, the codec chooser and modal dialog
// templates. A null hook makes the real call. Tests install answering fakes, so no test
// ever waits on a window; MIRAVEL_MODAL_AUTO=1 in the environment answers every one with
// its default (OK / cancel) and writes its text to stderr (smoke runs, screenshots).
// Windows build only.
#pragma once
#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>
#include <vfw.h>

struct ModalHooks {
  int (*messageBox)(HWND owner, const char *text, const char *caption, UINT type);
  BOOL (*getOpenFileName)(OPENFILENAMEA *ofn);
  BOOL (*getSaveFileName)(OPENFILENAMEA *ofn);
  BOOL (*chooseColor)(CHOOSECOLORA *cc);
  PIDLIST_ABSOLUTE (*browseForFolder)(BROWSEINFOA *bi);
  BOOL (*chooseCompressor)(HWND owner, UINT flags, LPVOID in, LPVOID data, COMPVARS *cv, LPSTR title);
  INT_PTR (*dialogBox)(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC proc, LPARAM param);
  // The UTF-16 file dialogs the library shows when no code-page hook above is installed.
  BOOL (*getOpenFileNameW)(OPENFILENAMEW *ofn);
  BOOL (*getSaveFileNameW)(OPENFILENAMEW *ofn);
};
extern ModalHooks g_ModalHooks;

int Modal_MessageBox(HWND owner, const char *text, const char *caption, UINT type);
BOOL Modal_GetOpenFileName(OPENFILENAMEA *ofn);
BOOL Modal_GetSaveFileName(OPENFILENAMEA *ofn);
BOOL Modal_GetOpenFileNameW(OPENFILENAMEW *ofn);
BOOL Modal_GetSaveFileNameW(OPENFILENAMEW *ofn);
BOOL Modal_ChooseColor(CHOOSECOLORA *cc);
PIDLIST_ABSOLUTE Modal_BrowseForFolder(BROWSEINFOA *bi);
BOOL Modal_ChooseCompressor(HWND owner, UINT flags, LPVOID in, LPVOID data, COMPVARS *cv, LPSTR title);
INT_PTR Modal_DialogBox(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC proc, LPARAM param);
// True when modal windows are answered automatically (MIRAVEL_MODAL_AUTO=1).
bool Modal_IsAuto(void);

// While any modal call is running (its hook included) every other shown window of the
// program is disabled, so no click or key reaches the selector, a panel or a view; the
// modal window's owner is disabled by the modal window itself. They take input again when
// the outermost modal call returns.
// A key pressed inside a modal window that closed on it (Esc or Enter on a dialog) is
// released after the window is gone: the main loop asks this for every message it takes and
// drops the message when it is that key's release (or auto-repeat), so the program never acts
// on a key meant for the modal window.
bool Modal_TakeStaleKey(const MSG *m);
