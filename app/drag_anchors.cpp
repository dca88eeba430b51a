// The shared drag-anchor setters: they do nothing until the 3D family shell stores anchors.
#include "app/drag_anchors.h"

void Ed3D_SetDragAnchors(i32, i32) {}
void Ed3D_SetRightDragAnchors(i32, i32) {}
void Effect_SetDragAnchor(i32, i32) {}
