// The key strip facility: the strip mouse and the scroll bar steps of the 3D key dialogs.
#include "edit3d/keystrip.h"

#include "app/family.h"
#include "app/startup_state.h"
#include "app/strip.h"
#include "app/strip_state.h"
#include "app/tree.h"
#include "app/views.h"
#include "app/widget.h"
#include "edit3d/ed3d_motion.h"

// The row under strip y among the strip's rows, -1 for none.
static i32 HoveredRow(const KeyStrip *k, i32 y) {
  i32 rows = k->rows ? k->rows() : g_TreeRows.count;
  for (i32 r = 0; r < rows && r < TREE_ROWS; r++) {
    i32 top = g_Strip.g_StripGeo.offsetY + STRIP_HEADER + r * STRIP_ROW;
    if (y >= top && y < top + STRIP_ROW) return r;
  }
  return -1;
}

void KeyStrip_Move(const KeyStrip *k, i32 x, i32 y) {
  Ed3DStripMouse &s = *k->mouse;
  s.prevX = s.x, s.prevY = s.y;
  s.x = x, s.y = y;
  i32 dx = s.x - s.prevX, dy = s.y - s.prevY;
  g_TreeRows.hovered = HoveredRow(k, y);
  if (s.left && !s.middle && !s.right) k->scrub();
  if (s.middle && !s.right) k->dragKeys(dx);
  if (s.right && !s.middle) Strip_SetOffsets(g_Strip.g_StripGeo.offsetX + dx, g_Strip.g_StripGeo.offsetY + dy);
  g_Strip.g_StripWindows[k->window].dirty = 1;
}

void KeyStrip_LeftDown(const KeyStrip *k) {
  k->mouse->left = 1;
  k->mouse->pressFrame = k->frame();
  k->press();
  App_MarkAllRedraw(View_CurrentLayout());
  HookCtx c = Family_ShellContext();
  App_RefreshLists(&c);
}

void KeyStrip_LeftUp(const KeyStrip *k) {
  k->mouse->left = 0;
  if (k->release) k->release();
  App_MarkAllRedraw(View_CurrentLayout());
  HookCtx c = Family_ShellContext();
  App_RefreshLists(&c);
}

void KeyStrip_MiddleDown(const KeyStrip *k) { k->mouse->middle = 1; }

void KeyStrip_MiddleUp(const KeyStrip *k) {
  k->mouse->middle = 0;
  if (k->dragEnd) k->dragEnd();
}

i32 KeyStrip_DragFrames(i32 scaled, i32 dx) {
  if (scaled != 0) return scaled;
  return dx > 0 ? 1 : (dx < 0 ? -1 : 0);
}

bool KeyStrip_ScrollFrame(i32 *frame, i32 code, i32 pos, i32 max) {
  i64 f = *frame;
  switch (code) {
    case 0: f -= 1; break;
    case 1: f += 1; break;
    case 2: f -= 60; break;
    case 3: f += 60; break;
    case 5: f = pos; break;
    default: return false;
  }
  *frame = f < 0 ? 0 : (f > max ? max : (i32)f);
  return true;
}

void KeyStrip_SetScroll(const KeyStrip *k, void *dlg, i32 pos, i32 max) {
  Widget_SetScroll(Ed3D_Control(dlg, k->scrollId), max, pos);
}
