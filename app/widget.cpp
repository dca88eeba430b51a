// The widget seam's table and its calls: each passes on to g_Widget when its entry is filled
// and otherwise does nothing (native programs without a fake, and the seam before start-up).
#include "app/widget.h"

#include <string.h>

#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"

WidgetSeam g_Widget;

// [SECTION] panels
void *Widget_CreatePanel(const char *name, i32 x, i32 y, i32 w, i32 h) {
  return g_Widget.createPanel ? g_Widget.createPanel(name, x, y, w, h) : nullptr;
}
static void ForgetShown(void *panel);
void Widget_Destroy(void *window) {
  ForgetShown(window);
  if (g_Widget.destroy) g_Widget.destroy(window);
}
void Widget_ShowPanel(void *window, bool shown) {
  if (g_Widget.showPanel) g_Widget.showPanel(window, shown);
}
void *Widget_Control(void *panel, u32 id) { return g_Widget.control ? g_Widget.control(panel, id) : nullptr; }
void *Widget_ActiveWindow(void) { return g_Widget.activeWindow ? g_Widget.activeWindow() : nullptr; }
void Widget_Activate(void *window) {
  if (g_Widget.activate) g_Widget.activate(window);
}
void Widget_ActivateMain(void) { Widget_Activate(nullptr); }
void Widget_Capture(void *window) {
  if (g_Widget.capture) g_Widget.capture(window);
}
void Widget_DesktopSize(i32 *w, i32 *h) {
  *w = *h = 0;
  if (g_Widget.desktopSize) g_Widget.desktopSize(w, h);
}

void Widget_PanelDesktopSize(i32 *w, i32 *h) {
  Widget_DesktopSize(w, h);
  if (g_Lib.desktopWidth > 0) *w = g_Lib.desktopWidth;
  if (g_Lib.desktopHeight > 0) *h = g_Lib.desktopHeight;
}

// [SECTION] children made at run time
void *Widget_CreateList(void *panel, u32 id, i32 x, i32 y, i32 w, i32 h, u32 style) {
  return g_Widget.createList ? g_Widget.createList(panel, id, x, y, w, h, style) : nullptr;
}
void *Widget_CreateTree(void *panel, i32 x, i32 y, i32 w, i32 h) {
  return g_Widget.createTree ? g_Widget.createTree(panel, x, y, w, h) : nullptr;
}
void *Widget_CreateScrollBar(void *panel, u32 id, i32 x, i32 y, i32 w, i32 h) {
  return g_Widget.createScrollBar ? g_Widget.createScrollBar(panel, id, x, y, w, h) : nullptr;
}
void Widget_SetScroll(void *bar, i32 range, i32 pos) {
  if (g_Widget.setScroll) g_Widget.setScroll(bar, range, pos);
}

// [SECTION] lists, combos and trees
void Widget_Fill(void *control, u32 kind, const WidgetLines *lines) {
  if (g_Widget.fill) g_Widget.fill(control, kind, lines);
}
WidgetLines Widget_Lines(const char *text, u32 stride, i32 count, i32 select) {
  WidgetLines l = {text, stride, count, select};
  return l;
}
void Widget_ListReset(void *control) {
  if (g_Widget.listReset) g_Widget.listReset(control);
}
void Widget_ListAdd(void *control, const char *text) {
  if (g_Widget.listAdd) g_Widget.listAdd(control, text);
}
void Widget_ListSelect(void *control, i32 line) {
  if (g_Widget.listSelect) g_Widget.listSelect(control, line);
}
i32 Widget_ListSelection(void *control) { return g_Widget.listSelection ? g_Widget.listSelection(control) : -1; }
i32 Widget_ListCaret(void *list) { return g_Widget.listCaret ? g_Widget.listCaret(list) : -1; }
void Widget_SetCaret(void *list, i32 line) {
  if (g_Widget.setCaret) g_Widget.setCaret(list, line);
}
bool Widget_ListSelected(void *list, i32 line) { return g_Widget.listSelected && g_Widget.listSelected(list, line); }
void Widget_ListSelectOnly(void *list, i32 line) {
  if (g_Widget.listSelectOnly) g_Widget.listSelectOnly(list, line);
}
u32 Widget_ListMarksStamp(void *list) { return g_Widget.listMarksStamp && list ? g_Widget.listMarksStamp(list) : 0; }
void Widget_TreeClear(void *tree) {
  if (g_Widget.treeClear) g_Widget.treeClear(tree);
}
void *Widget_TreeInsert(void *tree, void *parent, const char *text) {
  return g_Widget.treeInsert ? g_Widget.treeInsert(tree, parent, text) : nullptr;
}
void Widget_TreeExpand(void *tree, void *item) {
  if (g_Widget.treeExpand) g_Widget.treeExpand(tree, item);
}
void Widget_TreeSelect(void *tree, void *item) {
  if (g_Widget.treeSelect) g_Widget.treeSelect(tree, item);
}

// [SECTION] values shown in fields
// What each field was last given, and for a number the exact value behind its (rounded)
// text, so that "決定" can tell a field the user left alone (it stands for that exact value)
// from one typed into. A field not remembered (a long text, or a full table) is read as typed.
enum { SHOWN_FIELDS = 256, SHOWN_TEXT = 64 };
static struct {
  struct {
    void *panel;
    u32 id;
    bool valued;   // `value` is the number behind `text`
    f64 value;
    char text[SHOWN_TEXT];
  } fields[SHOWN_FIELDS];
  u32 next;   // the entry a new field takes when none is free (round robin)
} s_Shown;

static i32 ShownIndex(void *panel, u32 id) {
  for (i32 i = 0; i < SHOWN_FIELDS; i++)
    if (s_Shown.fields[i].panel == panel && s_Shown.fields[i].id == id) return i;
  return -1;
}

static void NoteShown(void *panel, u32 id, const char *text, const f64 *value) {
  if (!panel) return;
  i32 i = ShownIndex(panel, id);
  if (!text || strlen(text) >= SHOWN_TEXT) {
    if (i >= 0) s_Shown.fields[i].panel = nullptr, s_Shown.fields[i].id = 0;
    return;
  }
  if (i < 0) i = ShownIndex(nullptr, 0);
  if (i < 0) i = (i32)(s_Shown.next++ % SHOWN_FIELDS);
  s_Shown.fields[i].panel = panel;
  s_Shown.fields[i].id = id;
  s_Shown.fields[i].valued = value != nullptr;
  s_Shown.fields[i].value = value ? *value : 0.0;
  Str_Copy(s_Shown.fields[i].text, SHOWN_TEXT, text);
}

static void ForgetShown(void *panel) {
  for (i32 i = 0; panel && i < SHOWN_FIELDS; i++)
    if (s_Shown.fields[i].panel == panel) s_Shown.fields[i].panel = nullptr, s_Shown.fields[i].id = 0;
}

void Widget_ShowValue(void *panel, u32 id, const char *text, f64 value) {
  NoteShown(panel, id, text, &value);
  if (g_Widget.setText) g_Widget.setText(panel, id, text);
}

bool Widget_ShownValue(void *panel, u32 id, const char *text, f64 *value) {
  i32 i = panel ? ShownIndex(panel, id) : -1;
  if (i < 0 || !text || !s_Shown.fields[i].valued || strcmp(s_Shown.fields[i].text, text) != 0) return false;
  *value = s_Shown.fields[i].value;
  return true;
}

// [SECTION] fields and modal boxes
bool Widget_GetText(void *panel, u32 id, char *out, u32 size) {
  if (g_Widget.getText) return g_Widget.getText(panel, id, out, size) == WIDGET_READ_OK;
  if (size) out[0] = 0;
  return false;
}
bool Widget_ReadText(void *panel, u32 id, char *out, u32 size) {
  if (g_Widget.getText) return g_Widget.getText(panel, id, out, size) != WIDGET_READ_REFUSED;
  if (size) out[0] = 0;
  return true;
}
void Widget_SetText(void *panel, u32 id, const char *text) {
  NoteShown(panel, id, text, nullptr);
  if (g_Widget.setText) g_Widget.setText(panel, id, text);
}
bool Widget_ReadInt(void *panel, u32 id, i32 *out) { return g_Widget.readInt && g_Widget.readInt(panel, id, out); }
void Widget_SetCheck(void *panel, u32 id, bool on) {
  if (g_Widget.setCheck) g_Widget.setCheck(panel, id, on);
}
bool Widget_IsChecked(void *panel, u32 id) { return g_Widget.isChecked && g_Widget.isChecked(panel, id); }
bool Widget_ChooseColour(u32 custom[WIDGET_COLOURS], u32 flags, f32 rgb[3]) {
  return g_Widget.chooseColour && g_Widget.chooseColour(custom, flags, rgb);
}
void Widget_MessageOk(const char *text) {
  if (g_Widget.messageOk) g_Widget.messageOk(text);
}
