// The 2D family's dialog procedures and the installation of its platform calls (Windows only).
#pragma once
#include <windows.h>

INT_PTR CALLBACK Ed2D_PanelDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK Ed2D_BoneDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK Ed2D_GroupDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
// The polygon and weight sub-modes' panels (ed2d_poly_win.cpp).
INT_PTR CALLBACK Ed2D_PolyDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK Ed2D_WeightDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
// The texture sub-mode's panel and its platform calls (ed2d_tex_win.cpp).
INT_PTR CALLBACK Ed2D_TexDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
void Ed2D_TexInstallWin(void);
// Registers the family's windows (and the texture panel) with the widget seam.
void Ed2D_InstallWin(void);
