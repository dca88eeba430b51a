// Start-up values of the editor state that several editors (or the shell and an editor)
// read, set by WinMain after the settings are loaded. The editors own the meaning; the
// shell owns the storage. State of one editor is that editor's global object, in its own
// folder, set when the editor installs itself: the start-up's "first field of the polygon
// editor" (g_PolyEditorFirstField) is Ed3DPolyEditor.moveMode (edit3d/poly.h), "first byte
// of the bone editor" (g_BoneEditorFirstByte) Ed3DBoneEditor.childrenFollow and its work
// matrix Ed3DBoneEditor.workMatrix (edit3d/bone.h), "first field of the object-motion
// editor" (g_ObjMotionFirstField) Ed3DObjMotionEditor.firstField (edit3d/objmotion.h).
#pragma once
#include "model/types.h"

extern u32 g_PolySelectMode;     // polygon editors: 0 vertices, 1 faces
extern u32 g_PolyTool;           // polygon editors' current tool
extern u32 g_MotionEditOp;       // motion editors: 0 move, 1 rotate, 2 scale, 3 IK, 4 joint offset
extern f32 g_PerspStep;          // camera distance step of the view commands
extern f32 g_PerspOffset[3];     // perspective camera offsets
extern f32 g_PerspAngleX, g_PerspAngleY;
extern u32 g_Frame640;           // 640x480 projection flag (the movie family sets it)
extern i32 g_DesktopHalfWidth, g_DesktopHalfHeight;
extern i32 g_StripRect[4];       // left, top, right, bottom of the time-line strips
extern u32 g_Playing;            // 1 while a motion or movie plays
// The axis chosen on the perspective view's axis gizmo (0 x, 1 y, 2 z): the axis of the
// polygon editor's move mode 2 and of the motion editors' move tool in the main view.
extern u32 g_GizmoAxis;

// Step 10 of the start-up: editor state.
void App_SetEditorStartState(void);
// Steps 16 and 17: desktop halves and the strip rectangle.
void App_SetLayoutStartState(i32 desktopW, i32 desktopH, i32 screenH);
