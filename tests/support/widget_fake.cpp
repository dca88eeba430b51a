// The recording fake of the widget seam (see widget_fake.h).
#include "widget_fake.h"

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>

WidgetFake g_WidgetFake;

static WidgetFake &F(void) { return g_WidgetFake; }

static void *NewWindow(const WidgetFakeWindow &w) {
  void *h = (void *)(F().next += 16);
  F().live[h] = w;
  return h;
}

// [SECTION] panels
static void *CreatePanel(const char *name, i32 x, i32 y, i32 w, i32 h) {
  if (F().failCreate) return nullptr;
  F().created.push_back(name ? name : "");
  WidgetFakeWindow win;
  win.name = name ? name : "";
  win.x = x, win.y = y, win.w = w, win.h = h;
  return NewWindow(win);
}

// A panel takes its children with it.
static void Destroy(void *window) {
  F().destroyed++;
  for (auto it = F().live.begin(); it != F().live.end();)
    it = it->second.parent == window ? F().live.erase(it) : std::next(it);
  F().live.erase(window);
}

static void ShowPanel(void *window, bool shown) {
  auto it = F().live.find(window);
  if (it != F().live.end()) it->second.shown = shown;
}

static void *Control(void *panel, u32 id) {
  if (!F().controls || !F().live.count(panel)) return nullptr;
  for (auto &kv : F().live)
    if (kv.second.parent == panel && kv.second.id == id) return kv.first;
  WidgetFakeWindow win;
  win.name = "control", win.parent = panel, win.id = id;
  return NewWindow(win);
}

static void *ActiveWindow(void) { return F().activeWindow; }
static void Activate(void *window) {
  F().active = window;
  F().activations++;
}
static void Capture(void *window) { F().captured = window; }
static void DesktopSize(i32 *w, i32 *h) { *w = F().desktopW, *h = F().desktopH; }

// [SECTION] children
static void *Child(const char *name, void *panel, u32 id, i32 x, i32 y, i32 w, i32 h, u32 style) {
  WidgetFakeWindow win;
  win.name = name, win.parent = panel, win.id = id;
  win.x = x, win.y = y, win.w = w, win.h = h, win.style = style;
  return NewWindow(win);
}
static void *CreateList(void *panel, u32 id, i32 x, i32 y, i32 w, i32 h, u32 style) {
  return Child("list", panel, id, x, y, w, h, style);
}
static void *CreateTree(void *panel, i32 x, i32 y, i32 w, i32 h) { return Child("tree", panel, 0, x, y, w, h, 0); }
static void *CreateScrollBar(void *panel, u32 id, i32 x, i32 y, i32 w, i32 h) {
  return Child("scroll", panel, id, x, y, w, h, 0);
}
static void SetScroll(void *bar, i32 range, i32 pos) {
  auto &s = F().scroll[bar];
  if (range >= 0) s.first = range;
  s.second = pos;
}

// [SECTION] lists
static void Fill(void *control, u32 kind, const WidgetLines *l) {
  auto &v = F().lines[control];
  v.clear();
  for (i32 i = 0; i < l->count; i++) v.push_back(l->text + (size_t)i * l->stride);
  kind &= ~(u32)WIDGET_FILL_QUIET;
  F().fillKind[control] = kind;
  F().marked[control].clear();
  if (kind == WIDGET_FILL_MULTI || kind == WIDGET_FILL_MULTI_CARET) {
    if (l->select >= 0) F().marked[control].insert(l->select);
    if (kind == WIDGET_FILL_MULTI_CARET && l->select >= 0) F().caret[control] = l->select;
  } else {
    F().selection[control] = l->select;
  }
}
static void ListReset(void *control) {
  F().lines[control].clear();
  F().selection[control] = -1;
}
static void ListAdd(void *control, const char *text) { F().lines[control].push_back(text); }
static void ListSelect(void *control, i32 line) { F().selection[control] = line; }
static i32 Answer(const std::map<void *, i32> &m, void *control) {
  auto it = m.find(control);
  return it == m.end() ? -1 : it->second;
}
static i32 ListSelection(void *control) { return Answer(F().selection, control); }
static i32 ListCaret(void *list) { return Answer(F().caret, list); }
static void SetCaret(void *list, i32 line) { F().caret[list] = line; }
static bool ListSelected(void *list, i32 line) { return F().marked[list].count(line) != 0; }
static void ListSelectOnly(void *list, i32 line) {
  F().marked[list].clear();
  if (line >= 0) F().marked[list].insert(line);
}

// [SECTION] trees
static void TreeClear(void *) {
  F().tree.clear();
  F().itemText.clear();
}
static void *TreeInsert(void *, void *parent, const char *text) {
  std::string p = parent ? F().itemText[parent] : "root";
  F().tree.push_back(p + "|" + text);
  void *h = (void *)(F().next += 16);
  F().itemText[h] = text;
  return h;
}
static void TreeExpand(void *, void *item) { F().expanded.push_back(F().itemText[item]); }
static void TreeSelect(void *, void *item) { F().treeSelected = F().itemText[item]; }

// [SECTION] fields and boxes
// A field exists once the test or the editor gave it a text.
static u32 GetText(void *panel, u32 id, char *out, u32 size) {
  if (size == 0) return WIDGET_READ_NONE;
  snprintf(out, size, "%s", WidgetFake_Text(panel, id).c_str());
  return F().texts.count({panel, id}) != 0 ? WIDGET_READ_OK : WIDGET_READ_NONE;
}
static void SetText(void *panel, u32 id, const char *text) {
  F().texts[{panel, id}] = text;
  F().textWrites++;
}
static bool ReadInt(void *panel, u32 id, i32 *out) {
  std::string t = WidgetFake_Text(panel, id);
  char *end = nullptr;
  long v = strtol(t.c_str(), &end, 10);
  if (t.empty() || *end) return false;
  *out = (i32)v;
  return true;
}
static void SetCheck(void *panel, u32 id, bool on) { F().checks[{panel, id}] = on; }
static bool IsChecked(void *panel, u32 id) { return WidgetFake_Checked(panel, id); }
static bool ChooseColour(u32 *, u32 flags, f32 rgb[3]) {
  F().colourCalls++;
  F().colourFlags = flags;
  if (!F().colourTaken) return false;
  for (int i = 0; i < 3; i++) rgb[i] = F().colour[i];
  return true;
}
static void MessageOk(const char *text) { F().messages.push_back(text); }

void WidgetFake_Install(void) {
  g_WidgetFake = WidgetFake{};
  WidgetSeam &w = g_Widget;
  w = WidgetSeam{};
  w.createPanel = CreatePanel;
  w.destroy = Destroy;
  w.showPanel = ShowPanel;
  w.control = Control;
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
  w.listCaret = ListCaret;
  w.setCaret = SetCaret;
  w.listSelected = ListSelected;
  w.listSelectOnly = ListSelectOnly;
  w.treeClear = TreeClear;
  w.treeInsert = TreeInsert;
  w.treeExpand = TreeExpand;
  w.treeSelect = TreeSelect;
  w.getText = GetText;
  w.setText = SetText;
  w.readInt = ReadInt;
  w.setCheck = SetCheck;
  w.isChecked = IsChecked;
  w.chooseColour = ChooseColour;
  w.messageOk = MessageOk;
}

void WidgetFake_Remove(void) {
  g_Widget = WidgetSeam{};
  g_WidgetFake = WidgetFake{};
}

// [SECTION] reading the record
std::string WidgetFake_Text(void *panel, u32 id) {
  auto it = F().texts.find({panel, id});
  return it == F().texts.end() ? std::string() : it->second;
}

void WidgetFake_SetText(void *panel, u32 id, const char *text) { F().texts[{panel, id}] = text; }

bool WidgetFake_Checked(void *panel, u32 id) {
  auto it = F().checks.find({panel, id});
  return it != F().checks.end() && it->second;
}

static bool IsPanel(const WidgetFakeWindow &w) { return w.parent == nullptr; }

std::vector<std::string> WidgetFake_LivePanels(void) {
  std::vector<std::string> names;
  for (auto &kv : F().live)
    if (IsPanel(kv.second)) names.push_back(kv.second.name);
  std::sort(names.begin(), names.end());
  return names;
}

u32 WidgetFake_Count(const char *name) {
  u32 n = 0;
  for (auto &kv : F().live) n += IsPanel(kv.second) && kv.second.name == name;
  return n;
}

void *WidgetFake_Panel(const char *name) {
  void *found = nullptr;
  for (auto &kv : F().live)
    if (IsPanel(kv.second) && kv.second.name == name && (!found || kv.first > found)) found = kv.first;
  return found;
}

std::vector<std::string> WidgetFake_Lines(void *panel, u32 id) {
  void *c = Control(panel, id);
  auto it = F().lines.find(c);
  return it == F().lines.end() ? std::vector<std::string>() : it->second;
}
