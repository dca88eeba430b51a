// The drag anchors and their setters. Each editor that drags keeps the client position at
// which the drag began: (a) the motion editor's, (b) the object-motion editor's, (c) and (d)
// the modelling editor's first and second, (e) the view pan anchor that the per-frame
// navigation moves along. The setters are shared by several families' rows (3D editor,
// preview, effect, 2D map, collision, movie), so the shell owns them and every editor folder
// can name them. The pairs are fields of g_Mouse (app/shell_view.h); the editors read them.
#pragma once
#include "model/types.h"
#include "app/shell_view.h"

// Left and middle down: the position into all five pairs.
void Ed3D_SetDragAnchors(i32 x, i32 y);
// Middle down of the 2D map and collision families and of two 3D sub-modes: pairs a to d.
void Map2_MButtonDown(i32 x, i32 y);
// Right down of the effect, 2D map and collision families and the 3D sub-modes: pairs a to c.
void Effect_SetDragAnchor(i32 x, i32 y);
// Right down of the preview and the object-motion and motion sub-modes: pairs a to c, then
// every view is flagged for redraw.
void Ed3D_SetRightDragAnchors(i32 x, i32 y);
// Left up where the release only needs the views drawn again: every view flagged.
void Ed2D_RedrawOnRelease(i32 x, i32 y);
