// Control glue shared by the editors' panels: tree views, list, combo and text controls, check
// buttons, the colour chooser and OK box, mouse positions and the panel position kept by a
// dialog procedure. Thin Win32 calls; the editors' portable code decides.
#pragma once
#include <windows.h>
#include <commdlg.h>   // the CC_* flags of Panel_ChooseColour

#include "model/types.h"

void *Panel_Control(void *dlg, u32 id);
void Panel_TreeClear(void *tree);
// Inserts `text` as the last child of `parent` (null: the root); the new item.
void *Panel_TreeInsert(void *tree, void *parent, const char *text);
void Panel_TreeExpand(void *tree, void *item);
// Selects `item` and scrolls it into view.
void Panel_TreeSelect(void *tree, void *item);
// For a WM_NOTIFY whose lParam is a selection change of `tree` (TVN_SELCHANGEDA): the text of
// the newly selected item into text (at most size bytes, terminated; "" without an item) and
// true. False for any other notification or without a tree.
bool Panel_TreeSelectedText(LPARAM lParam, void *tree, char *text, i32 size);
// For a WM_NOTIFY of a panel with a tree: a selection change of `tree` passes the newly selected
// item's text (at most PANEL_TREE_TEXT - 1 bytes) to selected and returns true; false for any
// other notification.
enum { PANEL_TREE_TEXT = 256 };
bool Panel_TreeNotify(LPARAM lParam, void *tree, void (*selected)(const char *text));
// Control values by id: the text (at most size bytes, "" when it cannot be read), a check box.
void Panel_GetText(void *dlg, u32 id, char *out, u32 size);
void Panel_SetText(void *dlg, u32 id, const char *text);
void Panel_CheckButton(void *dlg, u32 id, bool on);
// The current line of a list box (caret) or a combo box, -1 for none; selecting a combo line.
i32 Panel_ListCaret(void *list);
i32 Panel_ComboSelection(void *combo);
void Panel_ComboSelect(void *combo, i32 line);
// The colour chooser over the main window through the modal hook; `custom` is the caller's
// own custom colours, kept for the run; flags are the chooser's CC_* flags. True and rgb
// (0..255 each) when a colour was taken.
bool Panel_ChooseColour(COLORREF custom[16], DWORD flags, f32 rgb[3]);
// An OK message box over the main window with the program's caption.
void Panel_MessageOk(const char *text);
// The caret line of a list box that has lines, -1 for none (no list, no lines).
i32 Panel_ListFocusLine(void *list);
// The texture panels' controls: the mapping and tool buttons, the group's offset and scale
// fields (x, y, x, y) and the snap check and grid field.
struct PanelTexIds {
  const int *buttons;
  i32 buttonCount;
  int values[4];
  int snap, grid;
};
// Shows a texture panel's state: of the buttons only `mapping` and `tool` checked (0: none),
// "X : value" / "Y : value" with three decimals in the value fields (values null: left as they
// are), the snap check and the grid size.
void Panel_ShowTexState(HWND dlg, const PanelTexIds &ids, u32 mapping, u32 tool, const f32 *values, bool snap, i32 grid);
// The text of an enabled field into out (at most size bytes) and out; nullptr for a missing or
// disabled field, or a text refused (the user has been told).
const char *Panel_EnabledText(HWND dlg, int id, char *out, i32 size);
// A 16-bit half of a mouse lParam: above 10000 it stands for a negative position.
i32 Panel_MouseCoord(u32 half);
// A message that may act on the document or show it (commands other than a field's typing,
// notifications, scroll bars, keys, the mouse, timer ticks): the program's windows handle
// these behind the door of commands (App_CommandBegin, app/update.h).
bool Panel_IsInput(UINT msg, WPARAM wParam);
// Stores the dialog's screen rectangle as position and size.
void Panel_StoreRect(HWND dlg, i32 *x, i32 *y, i32 *w, i32 *h);
// Stores the dialog's screen position into *x, *y.
void Panel_StorePosition(HWND dlg, i32 *x, i32 *y);
// For WM_INITDIALOG of a panel that a 50 ms timer wakes: starts timer 1, sets *refresh to 1 (the
// next tick mirrors the editor's state into the panel) and returns true, the procedure
// answering TRUE. False for any other message.
bool Panel_StartTimer(HWND dlg, UINT msg, u32 *refresh);
// The opening steps of such a panel: its position stored as above at every message, then
// Panel_StartTimer.
bool Panel_TimedOpen(HWND dlg, UINT msg, i32 *x, i32 *y, u32 *refresh);
// A family's sub-mode panel: each of its buttons stands for the sub-mode subModeOf(id) gives.
struct PanelModeButtons {
  i32 *x, *y;               // the panel's position
  u32 *refresh;             // raised when the panel opens
  void *const *panel;       // the family's current panel, null while it has none
  const u32 *ids;
  u32 count;
  u32 (*subModeOf)(u32 id);
  bool (*command)(u32 id);  // its result is the procedure's
};
// The sub-mode panel's procedure: opened as by Panel_TimedOpen; WM_COMMAND goes to command;
// any other message, once the flag is raised, checks each button whose sub-mode is current
// and clears the others.
INT_PTR Panel_ModeMessage(const PanelModeButtons *p, HWND dlg, UINT msg, WPARAM wParam);
// A panel's WM_INITDIALOG: starts the 50 ms timer whose ticks reach the dialog procedure's
// refresh check and asks for the first showing (*refresh = 1). Answers TRUE.
INT_PTR Panel_StartRefresh(HWND dlg, u32 *refresh);
// A panel's WM_DESTROY: stops that timer. Answers FALSE.
INT_PTR Panel_StopRefresh(HWND dlg);
// The refresh check: true, the flag cleared, when *refresh asks for a showing (1).
bool Panel_TakeRefresh(u32 *refresh);
// Closes a modeless panel that `window` holds while it is open.
void Panel_Close(HWND dlg, void **window);
