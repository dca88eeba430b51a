// The drag anchors and their setters. Each editor that drags keeps the client position at
// which the drag began: (a) the motion editor's, (b) the object-motion editor's, (c) and (d)
// the modelling editor's first and second, (e) the view pan anchor that the per-frame
// navigation moves along. The setters are shared by several families' rows (3D editor,
// preview, effect, 2D map, collision, movie), so the shell owns them and every editor folder
// can name them. The pairs are fields of g_Mouse (app/shell_view.h): the editors read them and
// move one pair on with DragAnchor_Set.
#pragma once
#include "app/hook_ctx.h"
#include "model/types.h"
#include "app/shell_ids.h"

// The pairs a to d by name.
enum DragAnchorId : u32 { DRAG_ANCHOR_MOTION = 0, DRAG_ANCHOR_OBJ_MOTION, DRAG_ANCHOR_POLY, DRAG_ANCHOR_POLY2 };
// One pair: a drag that moves its anchor along with the mouse, or a mode that starts at 0, 0.
void DragAnchor_Set(DragAnchorId which, i32 x, i32 y);
// The same pair of the given mouse record.
void DragAnchor_Set(ShellMouse *m, DragAnchorId which, i32 x, i32 y);
// The position into pairs a to c, a to d, or all five, of the given mouse record.
void DragAnchors_SetAC(ShellMouse *m, i32 x, i32 y);
void DragAnchors_SetAD(ShellMouse *m, i32 x, i32 y);
void DragAnchors_SetAll(ShellMouse *m, i32 x, i32 y);
// The hooks: the context's position into the context's mouse record.
// Left and middle down: the position into all five pairs.
void DragAnchor_PressAll(const HookCtx *c);
// Middle down of the 2D map and collision families and of two 3D sub-modes: pairs a to d.
void DragAnchor_PressAD(const HookCtx *c);
// Right down of the effect, 2D map and collision families and the 3D sub-modes: pairs a to c.
void DragAnchor_PressAC(const HookCtx *c);
// Right down of the preview and the object-motion and motion sub-modes: pairs a to c, then
// every view is flagged for redraw.
void DragAnchor_PressACRedraw(const HookCtx *c);
// Left up where the release only needs the views drawn again: every view flagged.
void DragAnchor_ReleaseRedraw(const HookCtx *c);
