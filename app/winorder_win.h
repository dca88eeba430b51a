// Windows kept above the main window: the edit-mode selector, the view windows and every
// open tool panel. Windows keeps owned windows above their owner; Wine does not, and a
// main window that is activated (a click on it, a closed modal box, a family switch) is
// raised over all of them, partly on X events that come after the activation's messages.
// So the set is raised again, without activating anything, when the main window is
// activated and whenever a check every 100 ms finds a member below it; while a modal box has
// disabled the main window, the box is raised again above the set. Windows build only.
//
// g_WinOrder is changed only through WinOrder_Join and WinOrder_Leave: a panel joins when
// its window is created (placed and shown) and leaves when it is destroyed; joining places
// it (app/winplace_win.h).
#pragma once
#include <windows.h>

enum { WINORDER_CAPACITY = 64 };

struct WinOrder {
  u32 count;
  bool raising;       // set while the set is being raised: the order changes it makes are ours
  HWND main;          // the window the set is kept above
  HWND under;         // kept above the main window too, but below every member (a playing video)
  UINT_PTR timer;     // the check of the order (every 100 ms while the main window lives)
  HWND windows[WINORDER_CAPACITY];
};
extern WinOrder g_WinOrder;

// Adds a window to the set (once; a full set refuses it) and places it when it is visible and
// whenever it is shown later.
// Null windows are ignored.
void WinOrder_Join(HWND w);
// Removes a window from the set; a window not in it is ignored.
void WinOrder_Leave(HWND w);
// Raises every window of the set that still exists and is visible to the top of the order,
// the view windows first, then the others, each in joining order, without activating it
// or changing its size or place.
void WinOrder_RaiseAll(void);
// The main window's part: call with every message the main window gets. The first call
// starts the order check, the main window's WM_DESTROY ends it.
void WinOrder_MainMessage(HWND main, UINT msg, WPARAM wParam, LPARAM lParam);
