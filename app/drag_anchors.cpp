// The drag-anchor pairs and their shared setters.
#include "app/drag_anchors.h"

#include "app/shell_mouse.h"
#include "app/views.h"

void DragAnchor_Set(DragAnchorId which, i32 x, i32 y) {
  switch (which) {
    case DRAG_ANCHOR_MOTION: g_Mouse.g_MotionDragAnchor = {x, y}; break;
    case DRAG_ANCHOR_OBJ_MOTION: g_Mouse.g_ObjMotionDragAnchor = {x, y}; break;
    case DRAG_ANCHOR_POLY: g_Mouse.g_PolyDragAnchor = {x, y}; break;
    case DRAG_ANCHOR_POLY2: g_Mouse.g_PolyDragAnchor2 = {x, y}; break;
  }
}

void Effect_SetDragAnchor(i32 x, i32 y) {
  g_Mouse.g_MotionDragAnchor = {x, y};
  g_Mouse.g_ObjMotionDragAnchor = {x, y};
  g_Mouse.g_PolyDragAnchor = {x, y};
}

void Map2_MButtonDown(i32 x, i32 y) {
  Effect_SetDragAnchor(x, y);
  g_Mouse.g_PolyDragAnchor2 = {x, y};
}

void Ed3D_SetDragAnchors(i32 x, i32 y) {
  Map2_MButtonDown(x, y);
  g_Mouse.g_DragAnchorX = x;
  g_Mouse.g_DragAnchorY = y;
}

void Ed3D_SetRightDragAnchors(i32 x, i32 y) {
  Effect_SetDragAnchor(x, y);
  App_MarkAllRedraw();
}

void Ed2D_RedrawOnRelease(i32, i32) { App_MarkAllRedraw(); }
