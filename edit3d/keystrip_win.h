// The key dialog of a 3D key strip on Windows: one procedure body for the key dialogs of the
// motion and the object motion editors. Windows build only.
#pragma once
#include <windows.h>

#include "edit3d/keystrip.h"

// The key dialog's place among the shell's wheel panels (the two editors are never current
// together, so both key dialogs take the same place).
enum { KEYSTRIP_WHEEL_SLOT = 4 };

// The messages of the key dialog that k describes; the editor's procedure keeps the
// dialog's position before it calls this.
INT_PTR KeyStrip_DlgMessage(const KeyStrip *k, HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
