// The texture panels' shared steps (see tex_panel.h).
#include "app/tex_panel.h"

#include <string.h>

#include "app/poly_select.h"
#include "app/shell_view.h"
#include "app/strip_state.h"
#include "app/widget.h"
#include "lib/media/dialogs.h"
#include "model/uvtool.h"

// [SECTION] the image panel's mouse
void TexPanel_Press(TexPanelMouse *pm, u32 button, i32 x, i32 y, bool selectTool) {
  if (button == 0) pm->left = 1;
  else if (button == 1) pm->right = 1;
  else pm->middle = 1;
  if (selectTool && button != 2 && !(pm->left && pm->right)) {
    pm->rect[0] = pm->rect[2] = x;
    pm->rect[1] = pm->rect[3] = y;
    pm->rectActive = 1;
  }
}

void TexPanel_Release(TexPanelMouse *pm, u32 button) {
  if (button == 0) pm->left = 0;
  else if (button == 1) pm->right = 0;
  else pm->middle = 0;
  if (!pm->left && !pm->right) pm->rectActive = 0;
}

void TexPanel_Leave(i32 strip, void **const windows[], i32 count, TexPanelMouse *pm) {
  Strip_Unregister(strip);
  for (i32 i = 0; i < count; i++) {
    if (*windows[i]) Widget_Destroy(*windows[i]);
    *windows[i] = nullptr;
  }
  pm->left = pm->right = pm->middle = pm->rectActive = 0;
}

// [SECTION] the preview
void TexPanel_ShowPreview(StripTexView *v, const TexPanelShown *s, const TexPanelMouse *pm) {
  v->texture = s->texture;
  v->inUse = s->inUse ? 1 : 0;
  v->zoom = s->zoom;
  v->panX = s->panX;
  v->panY = s->panY;
  v->groupUses = s->groupUses ? 1 : 0;
  v->lineCount = s->lineCount;
  v->line = s->line;
  v->pointCount = s->pointCount;
  v->point = s->point;
  v->dragActive = pm->rectActive;
  v->dragRight = pm->right && !pm->left;
  memcpy(v->drag, pm->rect, sizeof v->drag);
}

i32 TexPanel_ListPoints(TexPanelPoints *p, const u32 *flags, u32 flagRoom, u32 n) {
  p->count = Poly_CollectFlagged(flags, n < flagRoom ? n : flagRoom, &p->entries, &p->room);
  return p->count;
}

bool TexPanel_Point(const TexPanelPoints *p, i32 i, u32 *entry) {
  if (i < 0 || i >= p->count) return false;
  *entry = p->entries[i];
  return true;
}

// [SECTION] the panel's commands
void TexPanel_TakeCommand(u32 id, u32 *lastCommand, const char *gridText, i32 *grid) {
  if (id == *lastCommand) return;
  *lastCommand = id;
  if (gridText) *grid = UvTool_GridOf(gridText);
}

bool TexPanel_ChooseEntry(bool add, i32 current, i32 count, i32 capacity, void (*say)(const char *text), i32 *entry,
                          const char **name) {
  *name = nullptr;
  *entry = add ? count : current;
  if (add && count >= capacity) {
    say("これ以上テクスチャを、追加できません。");
    return false;
  }
  if (!add && current == 0) {
    say("０番には、テクスチャを読み込めません。");
    return false;
  }
  if (!add && (current < 0 || current >= count)) return true;
  const char *chosen = FileDlg_OpenByExt(g_Shell.g_MainWindowHandle, "*", "読み込むテクスチャを、選択して下さい", "");
  if (chosen && chosen[0]) *name = chosen;
  return true;
}
