// Control glue shared by the editors' panels (see panel_win.h).
#include "app/panel_win.h"

#include <commctrl.h>

void *Panel_Control(void *dlg, u32 id) { return GetDlgItem((HWND)dlg, (int)id); }

void Panel_TreeClear(void *tree) { SendMessageA((HWND)tree, TVM_DELETEITEM, 0, (LPARAM)TVI_ROOT); }

void *Panel_TreeInsert(void *tree, void *parent, const char *text) {
  TVINSERTSTRUCTA ins = {};
  ins.hParent = parent ? (HTREEITEM)parent : TVI_ROOT;
  ins.hInsertAfter = TVI_LAST;
  ins.item.mask = TVIF_TEXT;
  ins.item.pszText = (LPSTR)text;
  return (void *)SendMessageA((HWND)tree, TVM_INSERTITEMA, 0, (LPARAM)&ins);
}

void Panel_TreeExpand(void *tree, void *item) { SendMessageA((HWND)tree, TVM_EXPAND, TVE_EXPAND, (LPARAM)item); }

void Panel_TreeSelect(void *tree, void *item) {
  SendMessageA((HWND)tree, TVM_ENSUREVISIBLE, 0, (LPARAM)item);
  SendMessageA((HWND)tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)item);
}

bool Panel_TreeSelectedText(LPARAM lParam, void *tree, char *text, i32 size) {
  const NMHDR *h = (const NMHDR *)lParam;
  if (!tree || h->hwndFrom != (HWND)tree || h->code != TVN_SELCHANGEDA || size <= 0) return false;
  const NMTREEVIEWA *tv = (const NMTREEVIEWA *)lParam;
  text[0] = 0;
  TVITEMA item = {};
  item.mask = TVIF_TEXT;
  item.hItem = tv->itemNew.hItem;
  item.pszText = text;
  item.cchTextMax = size;
  if (item.hItem) SendMessageA((HWND)tree, TVM_GETITEMA, 0, (LPARAM)&item);
  text[size - 1] = 0;
  return true;
}

void Panel_StorePosition(HWND dlg, i32 *x, i32 *y) {
  RECT r;
  if (GetWindowRect(dlg, &r)) *x = r.left, *y = r.top;
}
