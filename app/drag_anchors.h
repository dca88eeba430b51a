// The drag-anchor setters that several families' rows share (the 3D editor's anchors, also
// used by the preview, effect, 2D map, collision and movie rows). The shell owns them so
// that every editor folder can name them; the 3D family shell gives them their anchors.
#pragma once
#include "model/types.h"

// Left and middle down: the mouse position into every drag anchor.
void Ed3D_SetDragAnchors(i32 x, i32 y);
// Right down in the preview and the object-motion and motion sub-modes.
void Ed3D_SetRightDragAnchors(i32 x, i32 y);
// Right down in the effect, 2D map and collision families.
void Effect_SetDragAnchor(i32 x, i32 y);
