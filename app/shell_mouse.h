// g_Mouse: the mouse as the dispatchers decoded it, and the drag anchors. The fields keep the
// names the code has always used for them; each group names the files that may write it
// ("writers:", checked by the build, tools/hookcheck writes). Editors read the record and
// move an anchor through app/drag_anchors.h.
#pragma once
#include "model/types.h"

struct DragAnchor { i32 x, y; };

struct ShellMouse {
  // The dispatchers decode every mouse message once into these; the per-frame update clears
  // the summed moves after navigation used them.
  // writers: app/family.cpp app/update.cpp
  i32 g_MouseX, g_MouseY;
  i32 g_MouseMoveX, g_MouseMoveY;
  i32 g_MousePrevX, g_MousePrevY;
  f32 g_MouseMoveDX, g_MouseMoveDY;
  // The moves since the last per-frame update summed: navigation turns by all of them, also
  // when several moves (Wine sends stale positions between the real ones) come in one pass.
  f32 g_NavMoveDX, g_NavMoveDY;
  u32 g_RightButtonFlag;      // right button held in a view
  u32 g_ZKeyHeld;             // 1 from a Z key-down to the next Z key-up (app/keys.h); writers: app/keys.cpp
  // The drag anchors: the client position at which a drag began, set through the setters of
  // app/drag_anchors.h.
  // writers: app/drag_anchors.cpp
  DragAnchor g_MotionDragAnchor;      // (a) the motion editor's
  DragAnchor g_ObjMotionDragAnchor;   // (b) the object-motion editor's
  DragAnchor g_PolyDragAnchor;        // (c) the modelling editor's first
  DragAnchor g_PolyDragAnchor2;       // (d) and second
  i32 g_DragAnchorX, g_DragAnchorY;   // (e) the view pan anchor the navigation moves along
};
extern ShellMouse g_Mouse;
