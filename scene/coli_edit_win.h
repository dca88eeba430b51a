// The collision editor's panels on Windows: the templates of resources/coli_edit.rc and one
// thin dialog procedure over the portable handlers of scene/coli_edit.h. Windows build only.
#pragma once
#include <windows.h>

// Registers the panels with the widget seam (run once before the shell starts).
void Coli_InstallWin(void);
INT_PTR CALLBACK Coli_PanelDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
