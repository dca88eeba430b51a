// The 3D family's panels on Windows. Windows build only.
#pragma once
#include <windows.h>

#include "model/types.h"

// Fills the widget seam and registers the family's panels with it; run once before the shell
// starts.
void Ed3D_InstallWin(void);
// The weight panel's registration (ed3d_bone_win.cpp); Ed3D_InstallWin runs it.
void Ed3D_BoneInstallWin(void);
INT_PTR CALLBACK Ed3D_ModeDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK Ed3D_LayerDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK Ed3D_BoneListDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK Ed3D_WeightDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK Ed3D_GroupDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
// The group panel's per-frame refresh (ed3d_group_win.cpp).
void Ed3D_GroupInstallWin(void);
// The motion sub-mode's panels (ed3d_motion_win.cpp); Ed3D_InstallWin calls it.
void Ed3D_MotionInstallWin(void);
// The object motion sub-mode's panels (ed3d_obj_win.cpp); Ed3D_InstallWin calls it.
void Ed3D_ObjInstallWin(void);
// The texture sub-mode's panels (ed3d_tex_win.cpp); Ed3D_InstallWin runs it.
void Ed3D_TexInstallWin(void);
INT_PTR CALLBACK Ed3D_TexDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK Ed3D_TexImageDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);

// [SECTION] panel glue shared by the family's Win32 files (ed3d_win.cpp)
// A panel that a 50 ms timer wakes: the timer runs from WM_INITDIALOG (which raises *flag)
// to WM_DESTROY (which also empties *slot when it holds the panel); WM_COMMAND goes to
// command; any other message runs refresh(dlg) once when *flag is 1 and the panel is
// *handle, the editor's current one. Every message keeps the panel's position in pos.
struct Ed3DTimedPanel {
  i32 *pos;     // x, y
  u32 *flag;
  void *const *handle;
  void (*refresh)(HWND dlg);
  void (*command)(HWND dlg, WPARAM wParam);
  HWND *slot;   // the panel's place among the shell's panels, null for none
};
INT_PTR Ed3D_TimedPanelMessage(const Ed3DTimedPanel *p, HWND dlg, UINT msg, WPARAM wParam);
// A panel whose one button `id` runs `command`; its other messages are the dialog manager's.
INT_PTR Ed3D_OneButtonMessage(UINT msg, WPARAM wParam, u32 id, void (*command)(void));
// For a press of `closeId`: destroys the dialog (its list with it), clears both handles and
// returns true; false for any other message.
bool Ed3D_CloseOnButton(HWND dlg, UINT msg, WPARAM wParam, u32 closeId, void **dlgSlot, void **listSlot);
