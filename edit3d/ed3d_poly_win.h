// The modelling dialogs on Windows. Windows build only.
#pragma once
#include <windows.h>

// Registers the two dialogs with the widget seam (run by Ed3D_InstallWin).
void Ed3D_PolyInstallWin(void);
INT_PTR CALLBACK Ed3D_PolyDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK Ed3D_PolyNumDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
