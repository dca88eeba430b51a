// Control glue shared by the editors' panels (see panel_win.h).
#include "app/panel_win.h"

#include <commctrl.h>
#include <stdio.h>

#include "app/shell_view.h"
#include "app/views.h"
#include "lib/framework/fieldtext_win.h"
#include "lib/framework/lib.h"
#include "lib/framework/modal_hooks.h"

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

bool Panel_TreeNotify(LPARAM lParam, void *tree, void (*selected)(const char *text)) {
  char text[PANEL_TREE_TEXT];
  if (!Panel_TreeSelectedText(lParam, tree, text, sizeof text)) return false;
  selected(text);
  return true;
}

void Panel_GetText(void *dlg, u32 id, char *out, u32 size) { FieldText_Read(GetDlgItem((HWND)dlg, (int)id), out, size); }

void Panel_SetText(void *dlg, u32 id, const char *text) { SetDlgItemTextA((HWND)dlg, (int)id, text); }

void Panel_CheckButton(void *dlg, u32 id, bool on) {
  CheckDlgButton((HWND)dlg, (int)id, on ? BST_CHECKED : BST_UNCHECKED);
}

// LB_ERR and CB_ERR are -1: the "none" of the callers.
i32 Panel_ListCaret(void *list) { return (i32)SendMessageA((HWND)list, LB_GETCARETINDEX, 0, 0); }
i32 Panel_ComboSelection(void *combo) { return (i32)SendMessageA((HWND)combo, CB_GETCURSEL, 0, 0); }
void Panel_ComboSelect(void *combo, i32 line) { SendMessageA((HWND)combo, CB_SETCURSEL, (WPARAM)line, 0); }

bool Panel_ChooseColour(COLORREF custom[16], DWORD flags, f32 rgb[3]) {
  CHOOSECOLORA cc = {};
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = (HWND)g_Shell.g_MainWindowHandle;
  cc.lpCustColors = custom;
  cc.Flags = flags;
  if (!Modal_ChooseColor(&cc)) return false;
  rgb[0] = (f32)GetRValue(cc.rgbResult);
  rgb[1] = (f32)GetGValue(cc.rgbResult);
  rgb[2] = (f32)GetBValue(cc.rgbResult);
  return true;
}

void Panel_MessageOk(const char *text) { Modal_MessageBox((HWND)g_Shell.g_MainWindowHandle, text, g_AppCaption, MB_OK); }

INT_PTR Panel_StartRefresh(HWND dlg, u32 *refresh) {
  SetTimer(dlg, 1, 50, nullptr);
  *refresh = 1;
  return TRUE;
}

INT_PTR Panel_StopRefresh(HWND dlg) {
  KillTimer(dlg, 1);
  return FALSE;
}

bool Panel_TakeRefresh(u32 *refresh) {
  if (*refresh != 1) return false;
  *refresh = 0;
  return true;
}

void Panel_Close(HWND dlg, void **window) {
  *window = nullptr;
  DestroyWindow(dlg);
}

bool Panel_IsInput(UINT msg, WPARAM wParam) {
  switch (msg) {
    // Typing into a field acts on nothing until a button reads it (edit notifications are 0x100
    // and above; those of buttons, lists and combo boxes below).
    case WM_COMMAND: return HIWORD(wParam) < 0x100;
    case WM_NOTIFY: case WM_HSCROLL: case WM_VSCROLL: case WM_TIMER:
    case WM_KEYDOWN: case WM_KEYUP: case WM_CHAR: case WM_SYSKEYDOWN: case WM_SYSKEYUP:
      return true;
    default: return msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST;
  }
}

void Panel_StorePosition(HWND dlg, i32 *x, i32 *y) {
  RECT r;
  if (GetWindowRect(dlg, &r)) *x = r.left, *y = r.top;
}

bool Panel_StartTimer(HWND dlg, UINT msg, u32 *refresh) {
  if (msg != WM_INITDIALOG) return false;
  Panel_StartRefresh(dlg, refresh);
  return true;
}

bool Panel_TimedOpen(HWND dlg, UINT msg, i32 *x, i32 *y, u32 *refresh) {
  Panel_StorePosition(dlg, x, y);
  return Panel_StartTimer(dlg, msg, refresh);
}

INT_PTR Panel_ModeMessage(const PanelModeButtons *p, HWND dlg, UINT msg, WPARAM wParam) {
  if (Panel_TimedOpen(dlg, msg, p->x, p->y, p->refresh)) return TRUE;
  // A switch destroys this panel and makes a new one: dlg is not touched afterwards.
  if (msg == WM_COMMAND) return p->command(LOWORD(wParam)) ? TRUE : FALSE;
  if (*p->panel && Panel_TakeRefresh(p->refresh)) {
    for (u32 i = 0; i < p->count; i++)
      Panel_CheckButton(*p->panel, p->ids[i], p->subModeOf(p->ids[i]) == g_Shell.g_EditSubMode);
  }
  return FALSE;
}

i32 Panel_ListFocusLine(void *list) {
  if (!list || SendMessageA((HWND)list, LB_GETCOUNT, 0, 0) <= 0) return -1;
  LRESULT caret = SendMessageA((HWND)list, LB_GETCARETINDEX, 0, 0);
  return caret == LB_ERR ? -1 : (i32)caret;
}

void Panel_ShowTexState(HWND dlg, const PanelTexIds &ids, u32 mapping, u32 tool, const f32 *values, bool snap, i32 grid) {
  for (i32 i = 0; i < ids.buttonCount; i++) CheckDlgButton(dlg, ids.buttons[i], BST_UNCHECKED);
  if (mapping) CheckDlgButton(dlg, (int)mapping, BST_CHECKED);
  if (tool) CheckDlgButton(dlg, (int)tool, BST_CHECKED);
  char text[64];
  for (int i = 0; values && i < 4; i++) {
    snprintf(text, sizeof text, "%s : %3.3f", i % 2 ? "Y" : "X", (double)values[i]);
    SetDlgItemTextA(dlg, ids.values[i], text);
  }
  CheckDlgButton(dlg, ids.snap, snap ? BST_CHECKED : BST_UNCHECKED);
  snprintf(text, sizeof text, "%d", (int)grid);
  SetDlgItemTextA(dlg, ids.grid, text);
}

const char *Panel_EnabledText(HWND dlg, int id, char *out, i32 size) {
  HWND field = GetDlgItem(dlg, id);
  if (!field || !IsWindowEnabled(field) || size <= 0) return nullptr;
  return FieldText_Read(field, out, (u32)size) ? out : nullptr;
}

i32 Panel_MouseCoord(u32 half) { return half > 10000 ? (i32)half - 65535 : (i32)half; }

void Panel_StoreRect(HWND dlg, i32 *x, i32 *y, i32 *w, i32 *h) {
  RECT r;
  if (!GetWindowRect(dlg, &r)) return;
  *x = r.left;
  *y = r.top;
  *w = r.right - r.left;
  *h = r.bottom - r.top;
}
