// The Windows side of the widget seam (widget.h): the panel registry and Widget_InstallWin.
// Each editor's Windows file registers its panels (template, dialog procedure, hooks) when it
// installs itself; portable code then creates them by name through g_Widget.createPanel.
//
// Globals owned here: the panel registry (widget_win.cpp), written while the program starts.
#pragma once
#include <windows.h>

#include "model/types.h"

enum WidgetPanelFlags : u32 {
  WIDGET_PANEL_NOACTIVATE = 1,   // shown without being activated (keys stay with the main window)
  WIDGET_PANEL_HIDDEN = 2,       // created hidden (Widget_ShowPanel shows it)
  WIDGET_PANEL_PLACED = 4,       // the created hook places it: x, y, w, h are not applied
};

// A panel the editors create by name. `created` runs after the panel is made and moved, before
// it is shown and kept above the main window; `destroyed` runs before it is destroyed.
struct WidgetPanelClass {
  const char *name;       // the name portable code creates it by
  const char *resource;   // its template (name or MAKEINTRESOURCEA id); null: `name`
  DLGPROC proc;
  LPARAM param;           // the procedure's WM_INITDIALOG lParam
  u32 flags;              // WidgetPanelFlags
  void (*created)(HWND dlg);
  void (*destroyed)(HWND dlg);
};

// The registration a panel was created from (null for any other window).
const WidgetPanelClass *Widget_PanelClassOf(HWND w);
// Fills g_Widget with the Win32 calls (every editor's install calls it; once is enough).
void Widget_InstallWin(void);
// Registers `count` panels (the records must outlive the program's windows); a name
// registered again takes the new record.
void Widget_RegisterPanels(const WidgetPanelClass *classes, u32 count);
