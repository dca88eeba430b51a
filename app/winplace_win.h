// Where a window of the kept-above set opens. A window opens where its creator put it when
// that lies on the screen and covers neither a control or the caption of another visible
// member of the set, a key strip's ruler or label column, an area kept in view (below), nor
// the main window's menu bar (a
// view window also covers no other view and no panel); otherwise at the nearest such place,
// with its size kept. Before that it grows to hold all its controls. A window the user moved
// opens where the user left it (matched by caption) while the program runs. Windows build
// only.
#pragma once
#include <windows.h>

#include "model/types.h"

enum { WINPLACE_CAPACITY = 64, WINPLACE_TITLE = 64 };

struct WinPlaceMemory {
  char title[WINPLACE_TITLE];
  RECT placed;        // where the window was put when it opened
  bool userMoved;
  LONG userX, userY;  // where the user left it
};


// Areas of the main window's client area that a user must see: the screen text of a family,
// the 2D frame being textured, and the work areas of a family or sub-mode (the frame it draws
// in, a panel it works in, the picture it follows). A window opens clear of them like it does
// of controls.
enum {
  WINPLACE_KEEP_TEXT, WINPLACE_KEEP_FRAME, WINPLACE_KEEP_WORK, WINPLACE_KEEP_WORK2, WINPLACE_KEEP_SLOTS
};

struct WinPlaceKeep {
  RECT client;   // in the main window's client coordinates; empty: the slot is unused
  HWND only;     // when set, only this window keeps clear of the area
  HWND owner;    // when set, the window the area belongs to: it is not kept out of it
  bool soft;     // a window may cover it where every place would: then as little as it can
  bool panels;   // only the tool panels keep clear of it (views keep clear of views already)
};

struct WinPlace {
  u32 memoryCount;
  WinPlaceMemory memory[WINPLACE_CAPACITY];
  WinPlaceKeep keep[WINPLACE_KEEP_SLOTS];
};
extern WinPlace g_WinPlace;

// Fits and places a visible top-level window as described above.
void WinPlace_Place(HWND w);
// Notes, for a window about to go, whether the user moved it from where it was placed.
void WinPlace_Forget(HWND w);
// Sets (client non-null) or clears the area of a keep slot (WINPLACE_KEEP_*).
void WinPlace_Keep(i32 slot, const RECT *client, HWND only, bool soft = false);
// Keeps the area (x, y, w, h) of the 640 x 480 frame that the main view shows (its own
// coordinates, the view's pan applied) in a keep slot.
void WinPlace_KeepInFrame(i32 slot, i32 x, i32 y, i32 w, i32 h, HWND only, bool soft);
// Work areas (slots WINPLACE_KEEP_WORK and WINPLACE_KEEP_WORK2): every other window keeps
// clear of them. WinPlace_KeepWorkAreas sets them from the current layout's rows of the table
// in winplace_win.cpp (a rectangle of the main view's frame or client area, or a window
// whole) and places again the visible members when one of them covers a work area (a window
// the user moved goes back where the user left it); off, or WinPlace_ClearWork, clears them.
void WinPlace_KeepWorkAreas(bool on);
void WinPlace_ClearWork(void);
void WinPlace_UncoverWork(void);
// True for a view window (captioned Front, Top, Side or Pers).
bool WinPlace_IsView(HWND w);
