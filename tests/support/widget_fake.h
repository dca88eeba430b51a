// The one recording fake of the widget seam (app/widget.h) for native tests: every panel,
// control, line, text, check, tree item, scroll position and message the editors hand to the
// seam is kept in g_WidgetFake, and its answers (field texts, list carets and selections, the
// colour chooser's choice) are set there by the test before it acts.
#pragma once
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/widget.h"

struct WidgetFakeWindow {
  std::string name;      // a panel's name; "list", "tree", "scroll" or "control" for children
  void *parent = nullptr;
  u32 id = 0;            // a child's control id
  i32 x = 0, y = 0, w = 0, h = 0;
  u32 style = 0;         // a list's WidgetListStyle
  bool shown = true;
  bool operator==(const WidgetFakeWindow &o) const {
    return name == o.name && parent == o.parent && id == o.id && x == o.x && y == o.y && w == o.w && h == o.h &&
           style == o.style && shown == o.shown;
  }
};

struct WidgetFake {
  // [SECTION] what the editors did
  std::vector<std::string> created;           // panel names in the order they were made
  std::map<void *, WidgetFakeWindow> live;    // panels and children alive
  u32 destroyed = 0;                          // destroy calls
  // Field texts by (panel, id); a field without one reads "" and counts as missing.
  std::map<std::pair<void *, u32>, std::string> texts;
  std::map<std::pair<void *, u32>, bool> checks;
  std::map<void *, std::vector<std::string>> lines;      // a list's or combo's lines
  std::map<void *, u32> fillKind;                        // the last fill's kind
  std::map<void *, i32> selection, caret;                // -1 when never set
  std::map<void *, std::set<i32>> marked;                // an extended list's marked lines
  std::map<void *, std::pair<i32, i32>> scroll;          // a bar's (range, position)
  std::vector<std::string> tree;              // "parent|text" in insertion order ("root" parent)
  std::map<void *, std::string> itemText;     // tree items
  std::vector<std::string> expanded;          // the texts of the items expanded, in order
  std::string treeSelected;                   // the text of the item selected last
  std::vector<std::string> messages;          // OK boxes
  void *active = nullptr;                     // the last window activated (null: the main window)
  u32 activations = 0;
  void *captured = nullptr;
  // [SECTION] answers
  bool controls = true;          // control() answers a handle per (panel, id) of a live panel
  bool failCreate = false;       // createPanel answers null
  void *activeWindow = nullptr;  // what activeWindow() answers
  i32 desktopW = 1280, desktopH = 1024;
  bool colourTaken = false;      // the chooser's answer, and its colour
  f32 colour[3] = {};
  u32 colourCalls = 0, colourFlags = 0;
  uintptr_t next = 0x1000;
};

extern WidgetFake g_WidgetFake;

// Empties the record and fills g_Widget with the fake's calls; Remove empties g_Widget.
void WidgetFake_Install(void);
void WidgetFake_Remove(void);
// A field's text as the editors left it ("" when never set) and a text for them to read.
std::string WidgetFake_Text(void *panel, u32 id);
void WidgetFake_SetText(void *panel, u32 id, const char *text);
bool WidgetFake_Checked(void *panel, u32 id);
// The names of the live panels, sorted; how many live panels are named `name`.
std::vector<std::string> WidgetFake_LivePanels(void);
u32 WidgetFake_Count(const char *name);
// A live panel named `name` (the latest made), null when none.
void *WidgetFake_Panel(const char *name);
// The lines of the control `id` of a panel (through the same handle control() answers).
std::vector<std::string> WidgetFake_Lines(void *panel, u32 id);
