// Device settings dialog on template 144 (Windows build only); the cascade is settingsdlg.h.
#pragma once
#include <windows.h>

#include "lib/framework/settingsdlg.h"

// Runs g_SettingsDialog modally (through the modal hooks): 1 OK, 2 Cancel, -1 no template.
INT_PTR D3DSettingsDialog_Show(HWND parent);
// The dialog procedure (tests drive it on a modeless copy of the template).
INT_PTR CALLBACK D3DSettingsDialog_Proc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
