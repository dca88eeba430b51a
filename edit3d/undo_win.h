// The undo panel "UNDO_DLG". Windows build only.
#pragma once
#include <windows.h>

// The panel's record is the current layout's undo panel holder (g_AppShell, holder
// UNDO_PANEL_HOLDER): its x and y follow the window, its flags word is the refresh flag.
INT_PTR CALLBACK Undo_DlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
// Installs the shell's undo entries and the widget seam the list box is filled through; run
// once before the shell starts.
void Undo_InstallWin(void);
