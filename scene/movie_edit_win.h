// The movie editor on Windows: its dialogs from resources/movie_edit.rc (registered with the
// widget seam) with one thin dialog procedure, and the MCI video window and the library calls
// of the render dialog behind g_MovieEditOps (scene/movie_edit.h). Windows build only.
#pragma once
#include <windows.h>

// Registers the dialogs, fills g_MovieEditOps and the library's video-window move hook (run
// once before start-up).
void Movie_InstallWin(void);
INT_PTR CALLBACK Movie_DlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK Movie_RenderDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
