// The 3D family's panels on Windows. Windows build only.
#pragma once
#include <windows.h>

// Fills g_Ed3DOps with the Win32 calls; run once before the shell starts.
void Ed3D_InstallWin(void);
// The bone list and weight panels' calls (ed3d_bone_win.cpp); Ed3D_InstallWin runs it.
void Ed3D_BoneInstallWin(void);
INT_PTR CALLBACK Ed3D_ModeDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK Ed3D_LayerDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK Ed3D_BoneListDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK Ed3D_WeightDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK Ed3D_GroupDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
// The group panel's control calls and its per-frame refresh (ed3d_group_win.cpp).
void Ed3D_GroupInstallWin(void);
// The motion sub-mode's panels (ed3d_motion_win.cpp); Ed3D_InstallWin calls it.
void Ed3D_MotionInstallWin(void);
// The texture sub-mode's panels (ed3d_tex_win.cpp); Ed3D_InstallWin runs it.
void Ed3D_TexInstallWin(void);
INT_PTR CALLBACK Ed3D_TexDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK Ed3D_TexImageDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
