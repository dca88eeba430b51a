// The 2D motion sub-mode's windows (Windows only).
#pragma once
#include <windows.h>

INT_PTR CALLBACK Ed2D_MotionDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK Ed2D_MotionKeyDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK Ed2D_MotionListDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
// Registers the sub-mode's windows with the widget seam.
void Ed2D_MotionInstallWin(void);
