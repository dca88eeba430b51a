// Start-up values of the editor state that several editors (or the shell and an editor)
// read, set by WinMain after the settings are loaded. The editors own the meaning; the
// shell owns the storage, in g_Sel and g_Shell. State of one editor is that editor's global
// object, in its own folder, given its start-up value when the editor installs itself
// (Ed3D_SetStartState in edit3d/editors.cpp: the polygon editor's move mode, the bone
// editor's children-follow switch and work matrix, the object-motion editor's dialog refresh).
#pragma once
#include "model/types.h"
#include "app/shell_ids.h"

// Slot 0 current, the polygon select mode, polygon tool and motion edit operation (g_Sel);
// the edit dialog flagged for refresh and the perspective camera's offsets, step, angles,
// view focus and last zoom (g_Shell).
void App_SetEditorStartState(void);
// Half the desktop's width and height, and the strip rectangle: 1024 by 300, its top 246
// above the bottom of a screen screenH high (g_Shell).
void App_SetLayoutStartState(i32 desktopW, i32 desktopH, i32 screenH);
