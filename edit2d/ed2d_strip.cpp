// Key strip arithmetic and mouse, and motion list fields, shared by the 2D family's sub-modes.
#include "edit2d/ed2d_strip.h"

#include <stdio.h>

#include "app/family.h"
#include "app/strip.h"
#include "app/strip_state.h"
#include "app/tree.h"
#include "app/views.h"
#include "edit2d/ed2d_object.h"
#include "lib/framework/lib.h"
#include "model/seam_errorbox.h"

static const char kLengthNotNumber[] = "モーションの長さには、数値を入力して下さい。";

i32 Ed2D_StripRowAt(i32 y) {
  for (i32 r = 0; r < g_TreeRows.count && r < TREE_ROWS; r++) {
    i32 top = STRIP_HEADER + g_Strip.g_StripGeo.offsetY + STRIP_ROW * r;
    if (y >= top && y < top + STRIP_ROW) return r;
  }
  return -1;
}

i32 Ed2D_StripFrameFromX(i32 x, i32 length) {
  if (x <= STRIP_LABEL_X || length < 1) return 0;
  // In 64 bits and by remainder: a far x costs one division, not a loop per length.
  i64 f = ((i64)x - g_Strip.g_StripGeo.offsetX - STRIP_LABEL_X) * Strip_Divisor() / 10;
  f %= length;
  if (f < 0) f += length;
  return (i32)f;
}

i32 Ed2D_StripMiddleStep(i32 dx) {
  if (dx == 0) return 0;
  i32 step = Strip_Divisor() * dx / 6;
  return step != 0 ? step : dx > 0 ? 1 : -1;
}

i32 Ed2D_StripScrollFrame(u32 code, i32 pos, i32 frame, i32 last) {
  static const i32 kSteps[4] = {-1, 1, -60, 60};
  i64 f = code < 4 ? (i64)frame + kSteps[code] : code == ED2D_SCROLL_THUMB ? pos : frame;
  if (f > last) f = last;
  if (f < 0) f = 0;
  return (i32)f;
}

// A button's press or release: its flag and a redraw.
static void Button(u32 *held, u32 on) {
  *held = on;
  App_MarkAllRedraw(View_CurrentLayout());
}

static void LeftDown(const Ed2DStripMouse *s, const i32 *frame, i32 x, i32 y) {
  *s->left = 1;
  *s->pressFrame = *frame;
  g_TreeRows.hovered = Ed2D_StripRowAt(y);
  s->clickRow(x);
  s->scrub(x);
  App_MarkAllRedraw(View_CurrentLayout());
  if (!s->refreshListsOnLeft) return;
  HookCtx c = Family_ShellContext();
  App_RefreshLists(&c);
}

static void LeftUp(const Ed2DStripMouse *s) {
  *s->left = 0;
  if (s->leftUp) s->leftUp();
  App_MarkAllRedraw(View_CurrentLayout());
  if (!s->refreshListsOnLeft) return;
  HookCtx c = Family_ShellContext();
  App_RefreshLists(&c);
}

void Ed2D_StripMouse(const Ed2DStripMouse *s, u32 kind, i32 x, i32 y) {
  i32 dx = x - *s->x, dy = y - *s->y;
  *s->x = x;
  *s->y = y;
  const i32 *frame = s->frame();
  if (!frame) return;
  switch (kind) {
    case ED2D_MOUSE_MOVE:
      App_MarkAllRedraw(View_CurrentLayout());
      g_TreeRows.hovered = Ed2D_StripRowAt(y);
      if (*s->left) s->scrub(x);
      else if (*s->middle && !*s->right) s->middleDrag(dx);
      else if (*s->right && !*s->middle) Strip_SetOffsets(g_Strip.g_StripGeo.offsetX + dx, g_Strip.g_StripGeo.offsetY + dy);
      break;
    case ED2D_MOUSE_LDOWN: LeftDown(s, frame, x, y); break;
    case ED2D_MOUSE_LUP: LeftUp(s); break;
    case ED2D_MOUSE_LDOUBLE: s->leftDouble(); break;
    case ED2D_MOUSE_MDOWN: Button(s->middle, 1); break;
    case ED2D_MOUSE_MUP: Button(s->middle, 0); break;
    case ED2D_MOUSE_RDOWN: Button(s->right, 1); break;
    case ED2D_MOUSE_RUP: Button(s->right, 0); break;
    default: break;
  }
  s->after();
}

void Ed2D_MotionListLines(const Motion2 *motions, i32 count, i32 current, Ed2DLines *out) {
  out->count = 0;
  out->select = current;
  if (count > BONE2_MAX_MOTIONS) count = BONE2_MAX_MOTIONS;
  for (i32 i = 0; motions && i < count && out->count < ED2D_MAX_LINES; i++)
    snprintf(out->text[out->count++], ED2D_LINE, "%2d : 0 ～ %2d  %s", i, motions[i].length, motions[i].name);
}

bool Ed2D_ApplyMotionFields(Motion2 *mo, const char *name, const char *length) {
  i32 len;
  if (!mo || !Ed2D_ParseInt(length, &len)) {
    Seam_ErrorBox(kLengthNotNumber);
    return false;
  }
  Str_Copy(mo->name, sizeof mo->name, name ? name : "");
  mo->length = len < 1 ? 1 : len;
  return true;
}
