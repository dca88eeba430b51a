// The modal platform calls behind the file dialogs (Windows build). Tests answer a dialog by
// replacing a call; the program uses the platform's own.
#pragma once
#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>

struct FileDlgModalCalls {
  BOOL (WINAPI *getOpenFileName)(OPENFILENAMEA *ofn);
  BOOL (WINAPI *getSaveFileName)(OPENFILENAMEA *ofn);
  LPITEMIDLIST (WINAPI *browseForFolder)(BROWSEINFOA *bi);
};
extern FileDlgModalCalls g_FileDlgModal;
