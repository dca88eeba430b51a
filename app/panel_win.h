// Control glue shared by the editors' panels: tree views, controls and the panel position
// kept by a dialog procedure. Thin Win32 calls; the editors' portable code decides.
#pragma once
#include <windows.h>

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
// Stores the dialog's screen position into *x, *y.
void Panel_StorePosition(HWND dlg, i32 *x, i32 *y);
