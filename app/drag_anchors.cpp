// The drag-anchor pairs and their shared setters.
#include "app/drag_anchors.h"

#include "app/shell_mouse.h"
#include "app/views.h"

void DragAnchor_Set(ShellMouse *m, DragAnchorId which, i32 x, i32 y) {
  switch (which) {
    case DRAG_ANCHOR_MOTION: m->g_MotionDragAnchor = {x, y}; break;
    case DRAG_ANCHOR_OBJ_MOTION: m->g_ObjMotionDragAnchor = {x, y}; break;
    case DRAG_ANCHOR_POLY: m->g_PolyDragAnchor = {x, y}; break;
    case DRAG_ANCHOR_POLY2: m->g_PolyDragAnchor2 = {x, y}; break;
  }
}

void DragAnchor_Set(DragAnchorId which, i32 x, i32 y) { DragAnchor_Set(&g_Mouse, which, x, y); }

void DragAnchors_SetAC(ShellMouse *m, i32 x, i32 y) {
  m->g_MotionDragAnchor = {x, y};
  m->g_ObjMotionDragAnchor = {x, y};
  m->g_PolyDragAnchor = {x, y};
}

void DragAnchors_SetAD(ShellMouse *m, i32 x, i32 y) {
  DragAnchors_SetAC(m, x, y);
  m->g_PolyDragAnchor2 = {x, y};
}

void DragAnchors_SetAll(ShellMouse *m, i32 x, i32 y) {
  DragAnchors_SetAD(m, x, y);
  m->g_DragAnchorX = x;
  m->g_DragAnchorY = y;
}

void DragAnchor_PressAC(const HookCtx *c) { DragAnchors_SetAC(c->mouse, c->x, c->y); }
void DragAnchor_PressAD(const HookCtx *c) { DragAnchors_SetAD(c->mouse, c->x, c->y); }
void DragAnchor_PressAll(const HookCtx *c) { DragAnchors_SetAll(c->mouse, c->x, c->y); }

void DragAnchor_PressACRedraw(const HookCtx *c) {
  DragAnchors_SetAC(c->mouse, c->x, c->y);
  App_MarkAllRedraw(c->layout);
}

void DragAnchor_ReleaseRedraw(const HookCtx *c) { App_MarkAllRedraw(c->layout); }
