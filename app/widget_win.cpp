// The widget seam's Win32 calls and the registry of the panels the editors create by name.
// A created panel carries its registration in a window property, so destroying it runs the
// registration's hook whoever asks.
#include "app/widget_win.h"

#include <commctrl.h>
#include <string.h>

#include "app/listfont_win.h"
#include "app/panel_win.h"
#include "app/shell_view.h"
#include "app/update.h"
#include "app/views.h"
#include "app/widget.h"
#include "app/winorder_win.h"
#include "lib/framework/fieldtext_win.h"
#include "model/numfield.h"

enum { WIDGET_PANEL_CLASSES = 96 };

// The registry: filled while the program starts, read when a panel is made or destroyed.
struct WidgetRegistry {
  u32 count;
  const WidgetPanelClass *classes[WIDGET_PANEL_CLASSES];
};
static WidgetRegistry s_registry;

static const char kClassProp[] = "WidgetPanelClass";

static HINSTANCE Instance(void) { return GetModuleHandleA(nullptr); }

void Widget_RegisterPanels(const WidgetPanelClass *classes, u32 count) {
  WidgetRegistry &r = s_registry;
  for (u32 i = 0; i < count; i++) {
    u32 k = 0;
    while (k < r.count && strcmp(r.classes[k]->name, classes[i].name) != 0) k++;
    if (k == WIDGET_PANEL_CLASSES) return;   // a programming error: the table is sized for every panel
    r.classes[k] = &classes[i];
    if (k == r.count) r.count++;
  }
}

static const WidgetPanelClass *FindClass(const char *name) {
  for (u32 k = 0; name && k < s_registry.count; k++)
    if (strcmp(s_registry.classes[k]->name, name) == 0) return s_registry.classes[k];
  return nullptr;
}

const WidgetPanelClass *Widget_PanelClassOf(HWND w) { return (const WidgetPanelClass *)GetPropA(w, kClassProp); }

// [SECTION] panels
// Every panel's input comes through the door of commands (app/update.h): a command issued
// right after a change of the document works on what the document has.
static LRESULT CALLBACK DoorProc(HWND w, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR) {
  if (msg == WM_NCDESTROY) RemoveWindowSubclass(w, DoorProc, id);
  if (!Panel_IsInput(msg, wParam)) return DefSubclassProc(w, msg, wParam, lParam);
  App_CommandBegin();
  LRESULT r = DefSubclassProc(w, msg, wParam, lParam);
  App_CommandEnd();
  return r;
}

static void *CreatePanel(const char *name, i32 x, i32 y, i32 w, i32 h) {
  const WidgetPanelClass *c = FindClass(name);
  if (!c) return nullptr;
  HWND dlg = CreateDialogParamA(Instance(), c->resource ? c->resource : c->name, (HWND)g_Shell.g_MainWindowHandle, c->proc,
                                c->param);
  if (!dlg) return nullptr;
  SetPropA(dlg, kClassProp, (HANDLE)c);
  SetWindowSubclass(dlg, DoorProc, 1, 0);
  if (!(c->flags & WIDGET_PANEL_PLACED)) MoveWindow(dlg, x, y, w, h, TRUE);
  if (c->created) c->created(dlg);
  if (!(c->flags & WIDGET_PANEL_HIDDEN)) ShowWindow(dlg, c->flags & WIDGET_PANEL_NOACTIVATE ? SW_SHOWNOACTIVATE : SW_SHOW);
  WinOrder_Join(dlg);
  return dlg;
}

static void Destroy(void *window) {
  HWND w = (HWND)window;
  const WidgetPanelClass *c = (const WidgetPanelClass *)GetPropA(w, kClassProp);
  if (c) {
    if (c->destroyed) c->destroyed(w);
    RemovePropA(w, kClassProp);
  }
  WinOrder_Leave(w);
  DestroyWindow(w);
}

static void ShowPanel(void *window, bool shown) {
  HWND w = (HWND)window;
  if (shown != (IsWindowVisible(w) != 0)) ShowWindow(w, shown ? SW_SHOWNOACTIVATE : SW_HIDE);
}

static void *ActiveWindow(void) { return GetActiveWindow(); }

static void Activate(void *window) {
  if (window) SetActiveWindow((HWND)window);
  else if (g_Shell.g_MainWindowHandle) SetActiveWindow((HWND)g_Shell.g_MainWindowHandle);
}

static void Capture(void *window) {
  if (window) SetCapture((HWND)window);
  else ReleaseCapture();
}

static void DesktopSize(i32 *w, i32 *h) {
  *w = GetSystemMetrics(SM_CXSCREEN);
  *h = GetSystemMetrics(SM_CYSCREEN);
}

// [SECTION] children made at run time
static void *CreateList(void *panel, u32 id, i32 x, i32 y, i32 w, i32 h, u32 style) {
  DWORD ex = style & WIDGET_LIST_SUNKEN ? WS_EX_CLIENTEDGE : 0;
  DWORD s = WS_CHILD | WS_VISIBLE | WS_VSCROLL | (style & WIDGET_LIST_SUNKEN ? 0 : WS_BORDER);
  if (style & WIDGET_LIST_NOTIFY) s |= LBS_NOTIFY;
  if (style & WIDGET_LIST_EXTENDED) s |= LBS_EXTENDEDSEL;
  HWND list = CreateWindowExA(ex, "listbox", "", s, x, y, w, h, (HWND)panel, (HMENU)(INT_PTR)id, Instance(), nullptr);
  ListFont_MendControl(list);
  return list;
}

static void *CreateTree(void *panel, i32 x, i32 y, i32 w, i32 h) {
  HWND tree = CreateWindowExA(0, WC_TREEVIEWA, "", WS_CHILD | WS_VISIBLE | WS_BORDER | TVS_HASBUTTONS | TVS_HASLINES |
                              TVS_LINESATROOT | TVS_SHOWSELALWAYS, x, y, w, h, (HWND)panel, nullptr, Instance(), nullptr);
  ListFont_MendControl(tree);
  return tree;
}

static void *CreateScrollBar(void *panel, u32 id, i32 x, i32 y, i32 w, i32 h) {
  return CreateWindowExA(0, "SCROLLBAR", "", WS_CHILD | WS_VISIBLE | SBS_HORZ, x, y, w, h, (HWND)panel,
                         (HMENU)(INT_PTR)id, Instance(), nullptr);
}

static void SetScroll(void *bar, i32 range, i32 pos) {
  if (!bar) return;
  if (range >= 0) SetScrollRange((HWND)bar, SB_CTL, 0, range, FALSE);
  SetScrollPos((HWND)bar, SB_CTL, pos, TRUE);
}

// [SECTION] lists and combos
static bool IsCombo(HWND c) {
  char cls[32] = {};
  if (c) GetClassNameA(c, cls, sizeof cls);
  return lstrcmpiA(cls, "ComboBox") == 0;
}

static void Select(HWND c, u32 kind, i32 line) {
  switch (kind) {
    case WIDGET_FILL_COMBO: SendMessageA(c, CB_SETCURSEL, (WPARAM)line, 0); break;
    case WIDGET_FILL_MULTI:
    case WIDGET_FILL_MULTI_CARET:
      if (line < 0) break;
      SendMessageA(c, LB_SETSEL, TRUE, (LPARAM)line);
      // The caret goes with it: the panels read the caret line as the current row.
      if (kind == WIDGET_FILL_MULTI_CARET) SendMessageA(c, LB_SETCARETINDEX, (WPARAM)line, 0);
      break;
    case WIDGET_FILL_TALL:
      SendMessageA(c, LB_SETITEMHEIGHT, 0, 18);
      SendMessageA(c, LB_SETCURSEL, (WPARAM)line, 0);
      break;
    default: SendMessageA(c, LB_SETCURSEL, (WPARAM)line, 0); break;
  }
}

static void Fill(void *control, u32 kind, const WidgetLines *lines) {
  HWND c = (HWND)control;
  bool quiet = (kind & WIDGET_FILL_QUIET) != 0;
  kind &= ~(u32)WIDGET_FILL_QUIET;
  bool combo = kind == WIDGET_FILL_COMBO;
  if (quiet) SendMessageA(c, WM_SETREDRAW, FALSE, 0);
  SendMessageA(c, combo ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0);
  for (i32 i = 0; i < lines->count; i++)
    SendMessageA(c, combo ? CB_ADDSTRING : LB_ADDSTRING, 0, (LPARAM)(lines->text + (size_t)i * lines->stride));
  Select(c, kind, lines->select);
  if (quiet) {
    SendMessageA(c, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(c, nullptr, TRUE);
  }
}

static void ListReset(void *control) {
  HWND c = (HWND)control;
  if (c) SendMessageA(c, IsCombo(c) ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0);
}

static void ListAdd(void *control, const char *text) {
  HWND c = (HWND)control;
  if (c) SendMessageA(c, IsCombo(c) ? CB_ADDSTRING : LB_ADDSTRING, 0, (LPARAM)text);
}

static void ListSelect(void *control, i32 line) {
  HWND c = (HWND)control;
  if (c) SendMessageA(c, IsCombo(c) ? CB_SETCURSEL : LB_SETCURSEL, (WPARAM)line, 0);
}

// LB_ERR and CB_ERR are -1: the "none" of the callers.
static i32 ListSelection(void *control) {
  HWND c = (HWND)control;
  if (!c) return -1;
  LRESULT r = SendMessageA(c, IsCombo(c) ? CB_GETCURSEL : LB_GETCURSEL, 0, 0);
  return r < 0 ? -1 : (i32)r;
}

static void SetCaret(void *list, i32 line) { SendMessageA((HWND)list, LB_SETCARETINDEX, (WPARAM)line, FALSE); }
static bool ListSelected(void *list, i32 line) { return SendMessageA((HWND)list, LB_GETSEL, (WPARAM)line, 0) > 0; }

static void ListSelectOnly(void *list, i32 line) {
  SendMessageA((HWND)list, LB_SETSEL, FALSE, -1);
  if (line >= 0) SendMessageA((HWND)list, LB_SETSEL, TRUE, line);   // -1 would mark every line
}

// The marks stamp: a watched list's window procedure is wrapped, and every message that is
// not a question (clicks, keys, marks and lines set) moves the stamp.
static const char kMarksWatch[] = "MiravelMarksWatch";
static u32 s_MarksStamp = 1;

static bool AsksOnly(UINT msg) {
  switch (msg) {
    case LB_GETSEL: case LB_GETCURSEL: case LB_GETCOUNT: case LB_GETTEXT: case LB_GETTEXTLEN:
    case LB_GETTOPINDEX: case LB_GETSELCOUNT: case LB_GETSELITEMS: case LB_GETITEMDATA: case LB_GETITEMRECT:
    case LB_GETCARETINDEX: case LB_GETANCHORINDEX: case LB_GETITEMHEIGHT: case LB_GETHORIZONTALEXTENT:
    case WM_PAINT: case WM_NCPAINT: case WM_ERASEBKGND: case WM_GETTEXT: case WM_GETTEXTLENGTH:
    case WM_GETFONT: case WM_GETDLGCODE: case WM_NCHITTEST: case WM_SETCURSOR: case WM_GETOBJECT:
      return true;
    default: return false;
  }
}

static LRESULT CALLBACK MarksWatchProc(HWND list, UINT msg, WPARAM wParam, LPARAM lParam) {
  WNDPROC next = (WNDPROC)GetPropA(list, kMarksWatch);
  if (!AsksOnly(msg) && ++s_MarksStamp == 0) s_MarksStamp = 1;
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrA(list, GWLP_WNDPROC, (LONG_PTR)next);
    RemovePropA(list, kMarksWatch);
  }
  return next ? CallWindowProcA(next, list, msg, wParam, lParam) : DefWindowProcA(list, msg, wParam, lParam);
}

static u32 ListMarksStamp(void *list) {
  HWND h = (HWND)list;
  if (!IsWindow(h)) return 0;
  if (!GetPropA(h, kMarksWatch)) {
    SetPropA(h, kMarksWatch, (HANDLE)GetWindowLongPtrA(h, GWLP_WNDPROC));
    SetWindowLongPtrA(h, GWLP_WNDPROC, (LONG_PTR)MarksWatchProc);
    if (++s_MarksStamp == 0) s_MarksStamp = 1;
  }
  return s_MarksStamp;
}

// [SECTION] fields and modal boxes
static u32 GetText(void *panel, u32 id, char *out, u32 size) {
  HWND item = panel ? GetDlgItem((HWND)panel, (int)id) : nullptr;
  if (size == 0) return WIDGET_READ_NONE;
  out[0] = 0;
  if (!item) return WIDGET_READ_NONE;
  return FieldText_Read(item, out, size) ? WIDGET_READ_OK : WIDGET_READ_REFUSED;
}

static void SetText(void *panel, u32 id, const char *text) {
  if (panel) SetDlgItemTextA((HWND)panel, (int)id, text);
}

// The field's whole number; a number past 32 bits is refused rather than cut.
static bool ReadInt(void *panel, u32 id, i32 *out) {
  char text[64] = "";
  i64 v = 0;
  if (!panel || GetText(panel, id, text, sizeof text) != WIDGET_READ_OK) return false;
  if (NumField_Int(text, INT32_MIN, INT32_MAX, &v) != NUMFIELD_OK) return false;
  *out = (i32)v;
  return true;
}

static void SetCheck(void *panel, u32 id, bool on) {
  if (panel) CheckDlgButton((HWND)panel, (int)id, on ? BST_CHECKED : BST_UNCHECKED);
}

static bool IsChecked(void *panel, u32 id) {
  return panel && IsDlgButtonChecked((HWND)panel, (int)id) == BST_CHECKED;
}

static bool ChooseColour(u32 custom[WIDGET_COLOURS], u32 flags, f32 rgb[3]) {
  DWORD cc = (flags & WIDGET_COLOUR_FULL ? CC_FULLOPEN : 0) | (flags & WIDGET_COLOUR_INIT ? CC_RGBINIT : 0);
  static_assert(sizeof(COLORREF) == sizeof(u32), "custom colours are COLORREFs");
  return Panel_ChooseColour((COLORREF *)custom, cc, rgb);
}

void Widget_InstallWin(void) {
  WidgetSeam &w = g_Widget;
  w.createPanel = CreatePanel;
  w.destroy = Destroy;
  w.showPanel = ShowPanel;
  w.control = Panel_Control;
  w.activeWindow = ActiveWindow;
  w.activate = Activate;
  w.capture = Capture;
  w.desktopSize = DesktopSize;
  w.createList = CreateList;
  w.createTree = CreateTree;
  w.createScrollBar = CreateScrollBar;
  w.setScroll = SetScroll;
  w.fill = Fill;
  w.listReset = ListReset;
  w.listAdd = ListAdd;
  w.listSelect = ListSelect;
  w.listSelection = ListSelection;
  w.listCaret = Panel_ListCaret;
  w.setCaret = SetCaret;
  w.listSelected = ListSelected;
  w.listSelectOnly = ListSelectOnly;
  w.listMarksStamp = ListMarksStamp;
  w.treeClear = Panel_TreeClear;
  w.treeInsert = Panel_TreeInsert;
  w.treeExpand = Panel_TreeExpand;
  w.treeSelect = Panel_TreeSelect;
  w.getText = GetText;
  w.setText = SetText;
  w.readInt = ReadInt;
  w.setCheck = SetCheck;
  w.isChecked = IsChecked;
  w.chooseColour = ChooseColour;
  w.messageOk = Panel_MessageOk;
}
