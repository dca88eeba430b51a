// The Windows side of the per-frame update, the preview's render dialog and the sketch dialog.
#pragma once
#include <windows.h>

// Fills the per-frame update's window calls of g_ShellSeam (active view, title, screen quad colour).
void App_InstallFrameEntries(void);
// Fills the render dialog's platform calls (g_PreviewRender).
void Preview_InstallPlatform(void);
INT_PTR CALLBACK Preview_RenderDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
// Opens "SKETCH_DLG" owned by the main window, once (a second call only activates it).
void Sketch_Open(void);
INT_PTR CALLBACK Sketch_DlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
