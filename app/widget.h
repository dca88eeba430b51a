// The one widget seam of the editors' panels: creating a panel from its template, its
// controls by id, list, combo, tree and scroll bar children, field texts and check boxes, the
// colour chooser and OK box, activation and capture. The editors' portable code calls the
// Widget_* functions below; the Windows program fills g_Widget once at start-up
// (widget_win.cpp, Widget_InstallWin) and native tests fill it with the one recording fake
// (tests/support/widget_fake.h). An empty entry does nothing and answers null, false or -1.
//
// Globals owned here: g_Widget (written at start-up or by a test's fake, read by everyone).
// Handles are opaque: a panel, a control or a tree item of the platform.
#pragma once
#include "model/types.h"

// A list or combo box's lines: `count` texts `stride` bytes apart from `text` (an editor's
// fixed char[lines][width] table), and the line to select (-1: none).
struct WidgetLines {
  const char *text;
  u32 stride;
  i32 count;
  i32 select;
};

// How a fill selects `select` after adding the lines.
enum WidgetFill : u32 {
  WIDGET_FILL_LIST = 0,     // a single-selection list: select is the selected line
  WIDGET_FILL_MULTI,        // an extended-selection list: select (>= 0) is marked
  WIDGET_FILL_MULTI_CARET,  // as MULTI, and the caret goes with it (the panels read it)
  WIDGET_FILL_COMBO,        // a combo box: select is the shown line
  WIDGET_FILL_TALL,         // a single-selection list with 18-pixel lines
  WIDGET_FILL_KINDS,
  // Added to a kind: the control is not redrawn until the fill is done.
  WIDGET_FILL_QUIET = 0x100,
};

// Styles of a created list box (always a visible bordered child with a vertical scroll bar).
enum WidgetListStyle : u32 {
  WIDGET_LIST_NOTIFY = 1,     // tells its panel of selection changes
  WIDGET_LIST_EXTENDED = 2,   // extended selection
  WIDGET_LIST_SUNKEN = 4,     // a sunken client edge instead of the border
};

// What a field's read gave.
enum WidgetRead : u32 {
  WIDGET_READ_NONE = 0,      // the panel has no such field: ""
  WIDGET_READ_OK = 1,        // the field's text
  WIDGET_READ_REFUSED = 2,   // a letter the code page cannot hold, said to the user: ""
};

enum { WIDGET_COLOURS = 16 };   // custom colours a chooser's caller keeps
enum WidgetColourFlags : u32 { WIDGET_COLOUR_FULL = 1, WIDGET_COLOUR_INIT = 2 };

struct WidgetSeam {
  // [SECTION] panels
  // Creates the panel registered as `name` (its template), owned by the main window and kept
  // above it, at (x, y) sized w x h, and shows it as its registration says. Null on failure.
  void *(*createPanel)(const char *name, i32 x, i32 y, i32 w, i32 h);
  // Destroys a panel (it leaves the windows kept above the main window) or a control.
  void (*destroy)(void *window);
  void (*showPanel)(void *window, bool shown);
  void *(*control)(void *panel, u32 id);
  // The active window (null: none); activating one (null: the main window, when it exists).
  void *(*activeWindow)(void);
  void (*activate)(void *window);
  // The mouse captured by a window (null: released).
  void (*capture)(void *window);
  // Width and height of the desktop.
  void (*desktopSize)(i32 *w, i32 *h);
  // [SECTION] children made at run time
  // A list box child with control id `id` (WidgetListStyle bits).
  void *(*createList)(void *panel, u32 id, i32 x, i32 y, i32 w, i32 h, u32 style);
  // A tree view child with buttons and lines, the selection shown without focus.
  void *(*createTree)(void *panel, i32 x, i32 y, i32 w, i32 h);
  // A horizontal scroll bar child with control id `id`.
  void *(*createScrollBar)(void *panel, u32 id, i32 x, i32 y, i32 w, i32 h);
  // A scroll bar's range 0..range (range < 0: kept) and position.
  void (*setScroll)(void *bar, i32 range, i32 pos);
  // [SECTION] lists and combos (a control's class picks the list or combo messages)
  // Empties the control, adds the lines and selects as `kind` (WidgetFill) says.
  void (*fill)(void *control, u32 kind, const WidgetLines *lines);
  void (*listReset)(void *control);
  void (*listAdd)(void *control, const char *text);
  void (*listSelect)(void *control, i32 line);   // the selected (list) or shown (combo) line
  i32 (*listSelection)(void *control);           // -1: none
  i32 (*listCaret)(void *list);                  // the focus line of a list, -1: none
  void (*setCaret)(void *list, i32 line);
  bool (*listSelected)(void *list, i32 line);    // a line of an extended-selection list marked
  void (*listSelectOnly)(void *list, i32 line);  // every line unmarked, then `line` (>= 0) marked
  // A count that moves whenever the marks of a watched list may have changed (the list got
  // input or a change of its lines or marks); the first ask starts watching `list`.
  u32 (*listMarksStamp)(void *list);
  // [SECTION] tree views
  void (*treeClear)(void *tree);
  // Inserts `text` as the last child of `parent` (null: the root); the new item.
  void *(*treeInsert)(void *tree, void *parent, const char *text);
  void (*treeExpand)(void *tree, void *item);
  void (*treeSelect)(void *tree, void *item);   // selected and scrolled into view
  // [SECTION] fields by id
  // The text of a field (at most size bytes, terminated; "" when it cannot be read): a
  // WidgetRead. A text with a letter the code page cannot hold is refused, with a message
  // naming the letter.
  u32 (*getText)(void *panel, u32 id, char *out, u32 size);
  void (*setText)(void *panel, u32 id, const char *text);
  // The field's integer (false when empty or not a number; *out is then left alone).
  bool (*readInt)(void *panel, u32 id, i32 *out);
  void (*setCheck)(void *panel, u32 id, bool on);
  bool (*isChecked)(void *panel, u32 id);
  // [SECTION] modal boxes over the main window
  // The colour chooser with the caller's custom colours (kept for the run) and
  // WidgetColourFlags; true and rgb (0..255 each) when a colour was taken.
  bool (*chooseColour)(u32 custom[WIDGET_COLOURS], u32 flags, f32 rgb[3]);
  // An OK box with the program's caption.
  void (*messageOk)(const char *text);
};
extern WidgetSeam g_Widget;

// [SECTION] calls (each does nothing, or answers null, false or -1, while its entry is empty)
void *Widget_CreatePanel(const char *name, i32 x, i32 y, i32 w, i32 h);
void Widget_Destroy(void *window);
void Widget_ShowPanel(void *window, bool shown);
void *Widget_Control(void *panel, u32 id);
void *Widget_ActiveWindow(void);
void Widget_Activate(void *window);
void Widget_ActivateMain(void);
void Widget_Capture(void *window);
// The desktop's size; 0 x 0 while the entry is empty.
void Widget_DesktopSize(i32 *w, i32 *h);
// The desktop's size that panels are placed by: as measured at start (g_Lib), where known.
void Widget_PanelDesktopSize(i32 *w, i32 *h);
void *Widget_CreateList(void *panel, u32 id, i32 x, i32 y, i32 w, i32 h, u32 style);
void *Widget_CreateTree(void *panel, i32 x, i32 y, i32 w, i32 h);
void *Widget_CreateScrollBar(void *panel, u32 id, i32 x, i32 y, i32 w, i32 h);
void Widget_SetScroll(void *bar, i32 range, i32 pos);
void Widget_Fill(void *control, u32 kind, const WidgetLines *lines);
// The lines of a fixed table char[count][stride] with `select`.
WidgetLines Widget_Lines(const char *text, u32 stride, i32 count, i32 select);
void Widget_ListReset(void *control);
void Widget_ListAdd(void *control, const char *text);
void Widget_ListSelect(void *control, i32 line);
i32 Widget_ListSelection(void *control);
i32 Widget_ListCaret(void *list);
void Widget_SetCaret(void *list, i32 line);
bool Widget_ListSelected(void *list, i32 line);
void Widget_ListSelectOnly(void *list, i32 line);
// The list's marks stamp; 0 (unknown: read the marks) while the entry is empty or for no list.
u32 Widget_ListMarksStamp(void *list);
void Widget_TreeClear(void *tree);
void *Widget_TreeInsert(void *tree, void *parent, const char *text);
void Widget_TreeExpand(void *tree, void *item);
void Widget_TreeSelect(void *tree, void *item);
// Reads a field; while the entry is empty out is "" and the answer false. False too for a
// text refused (out "").
bool Widget_GetText(void *panel, u32 id, char *out, u32 size);
// Reads a field whose text goes into a document: false only when its text was refused (the
// user has been told); the caller then changes nothing. A missing field reads "".
bool Widget_ReadText(void *panel, u32 id, char *out, u32 size);
void Widget_SetText(void *panel, u32 id, const char *text);
// A number shown as `text` (often rounded), remembered with its exact value.
void Widget_ShowValue(void *panel, u32 id, const char *text, f64 value);
// True, and the exact value shown, while the field still holds the text Widget_ShowValue put
// there: "決定" stores that value rather than the rounded text; false for a field typed into.
bool Widget_ShownValue(void *panel, u32 id, const char *text, f64 *value);
bool Widget_ReadInt(void *panel, u32 id, i32 *out);
void Widget_SetCheck(void *panel, u32 id, bool on);
bool Widget_IsChecked(void *panel, u32 id);
bool Widget_ChooseColour(u32 custom[WIDGET_COLOURS], u32 flags, f32 rgb[3]);
void Widget_MessageOk(const char *text);
