// Start-up values of the editor state that several editors (or the shell and an editor)
// read, set by WinMain after the settings are loaded. The editors own the meaning; the
// shell owns the storage. State of one editor is that editor's global object, in its own
// folder, set when the editor installs itself: the start-up's "first field of the polygon
// editor" (g_PolyEditorFirstField) is Ed3DPolyEditor.moveMode (edit3d/poly.h), "first byte
// of the bone editor" (g_BoneEditorFirstByte) Ed3DBoneEditor.childrenFollow and its work
// matrix Ed3DBoneEditor.workMatrix (edit3d/bone.h), "first field of the object-motion
// editor" (g_ObjMotionFirstField) Ed3DObjMotionEditor.objDlgRefresh (edit3d/objmotion.h).
#pragma once
#include "model/types.h"
#include "app/shell_ids.h"

// The storage is g_Shell (camera, layout, playing) and g_Sel (tools, gizmo axis).


// Step 10 of the start-up: editor state.
void App_SetEditorStartState(void);
// Steps 16 and 17: desktop halves and the strip rectangle.
void App_SetLayoutStartState(i32 desktopW, i32 desktopH, i32 screenH);
