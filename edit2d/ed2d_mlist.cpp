// The 2D sub-modes' motion list (see ed2d_mlist.h).
#include "edit2d/ed2d_mlist.h"

#include <stdio.h>

#include "app/shell_view.h"
#include "app/startup_state.h"
#include "edit2d/ed2d_object.h"

static void Close(const Ed2DMList *l) {
  if (*l->list) Widget_Destroy(*l->list);
  if (*l->dlg) Widget_Destroy(*l->dlg);
  *l->list = *l->dlg = nullptr;
}

void Ed2D_MListCommand(const Ed2DMList *l, i32 *current, i32 count, u32 id) {
  void *list = *l->list;
  // No selection (LB_ERR) keeps the current motion.
  i32 sel = list ? Widget_ListSelection(list) : -1;
  if (sel >= 0 && sel < l->maxMotions && sel < count) *current = sel;
  if (*current != *l->lastMotion) l->changed();
  if (id == l->idClose) {
    Close(l);
  } else if (id == l->idApply && g_Shell.g_Playing != 1) {
    l->apply(l);
    l->fill();
  } else if (id == l->idAdd && g_Shell.g_Playing != 1) {
    l->add(l);
    l->fill();
    *l->refresh = 1;
  }
}

void Ed2D_MListTick(const Ed2DMList *l, const Motion2 *motions, i32 count, i32 current) {
  if (*l->refresh != 1) return;
  *l->refresh = 0;
  if (current < 0 || current >= l->maxMotions || (l->onlyCounted && current >= count)) return;
  void *d = *l->dlg;
  char t[300];
  snprintf(t, sizeof t, "No.%3d", current);
  Ed2D_SetText(d, l->idNo, t);
  Ed2D_SetText(d, l->idName, motions[current].name);
  snprintf(t, sizeof t, "%d", motions[current].length);
  Ed2D_SetText(d, l->idLength, t);
}

bool Ed2D_MListApplyFields(const Ed2DMList *l, Motion2 *mo) {
  char name[256], length[64];
  if (!Ed2D_GetText(*l->dlg, l->idName, name, sizeof name) || !Ed2D_GetText(*l->dlg, l->idLength, length, sizeof length))
    return false;
  if (Ed2D_ApplyMotionFields(mo, name, length)) return true;
  *l->refresh = 1;
  return false;
}
