// The Windows half of the shell: main window handler, selector, options dialog, view
// windows, and the seam entries that need the platform. Windows build only.
#pragma once
#include <windows.h>

#include "app/settings.h"

extern WindowHolder g_OptionDlg;
extern WindowHolder g_EditDlg;
// Key panels that take the wheel and tool panels that get IsDialogMessage; editors store
// their dialog windows here (null while closed).
enum { WHEEL_PANELS = 6, DIALOG_PANELS = 9 };
extern HWND g_WheelPanels[WHEEL_PANELS];
extern HWND g_DialogPanels[DIALOG_PANELS];

// Fills g_ShellSeam with the real calls.
void Shell_InstallSeam(void);
bool App_ConfirmExit(void);
void App_OpenOptions(void);
void App_ApplyMainWndRect(void);
void App_CreateEditDlg(void);
void View_FindActiveView(void);
void View_AddView(int shown, int x, int y, int w, int h);
void View_CreateViewWindows(void);
void View_DestroyExtraViews(void);
INT_PTR CALLBACK View_WinDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK App_EditDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK Options_DlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
// True when the wheel goes to the family (the active window is the main window, a view
// window of the layout or a key panel).
bool App_WheelTargetActive(void);
// Offers a message to the tool panels; true when one took it.
bool App_DialogPanelsTake(MSG *msg);
