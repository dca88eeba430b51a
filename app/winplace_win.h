// Where a window of the kept-above set opens. A window opens where its creator put it when
// that lies on the screen and covers neither a control or the caption of another visible
// member of the set, a key strip's ruler or label column, an area kept in
// view (below), nor the main window's menu bar (a view window also covers no other view and
// no panel); otherwise at the nearest such place, with its size kept. Before that it grows to
// hold all its controls. A member created hidden is placed when it is shown.
//
// A window's place is its own: its kind (the template it was made from, with the dialog
// procedure that serves it) and the family and sub-mode it serves. One the user moved opens
// where the user left it while the program runs, when it opens again for the same family and
// sub-mode (a window found open after a sub-mode change serves the whole family, one found
// open after a family change every family) - unless that place would now cover a control of
// another member or an area kept in view: then it gives way to the nearest free place, as at
// entry. One the user did not move opens where the first window of its kind opened for the
// same family and sub-mode (its creator may start it where another sub-mode's was). Windows
// build only.
#pragma once
#include <windows.h>

#include "model/types.h"

enum : u32 { WINPLACE_CAPACITY = 64, WINPLACE_TITLE = 64, WINPLACE_ANY = 0xFFFFFFFFu };

// A place the user left a window at: for windows of `kind` serving `family` and `subMode`
// (WINPLACE_ANY: every family or every sub-mode).
struct WinPlaceMemory {
  const void *kind;
  u32 family, subMode;
  LONG x, y;
  bool user;   // false: where the first window of the kind opened for them (its home)
};

// An open member of the set: its kind, what it serves and where it was last put (or found).
struct WinPlaceMember {
  HWND window;
  const void *kind;
  u32 family, subMode;   // WINPLACE_ANY once found open after a family or sub-mode change
  bool placed;
  RECT at;
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
  bool above;    // only the windows above its owner keep clear of it (one below does not hide it)
};

struct WinPlace {
  u32 memoryCount, memoryNext;   // memoryNext: the oldest place, replaced when the table is full
  WinPlaceMemory memory[WINPLACE_CAPACITY];
  u32 memberCount;
  WinPlaceMember members[WINPLACE_CAPACITY];
  WinPlaceKeep keep[WINPLACE_KEEP_SLOTS];
};
extern WinPlace g_WinPlace;

// A window joins: its kind and what it serves are noted, it is placed when visible and again
// whenever it is shown.
void WinPlace_Join(HWND w);
// Fits and places a visible top-level window as described above.
void WinPlace_Place(HWND w);
// Moves member w to (x, y) as the program's own place for it, unless the user left it
// where it stands; true when it moved.
bool WinPlace_PutUnlessUserPlaced(HWND w, LONG x, LONG y);
// Notes, for a window about to go, whether the user moved it from where it was placed, and
// drops its record.
void WinPlace_Forget(HWND w);
// Sets (client non-null) or clears the area of a keep slot (WINPLACE_KEEP_*).
void WinPlace_Keep(i32 slot, const RECT *client, HWND only, bool soft = false);
// Keeps the area (x, y, w, h) of the 640 x 480 frame that the main view shows (its own
// coordinates, the view's pan and zoom applied) in a keep slot.
void WinPlace_KeepInFrame(i32 slot, i32 x, i32 y, i32 w, i32 h, HWND only, bool soft);
// Work areas (slots WINPLACE_KEEP_WORK and WINPLACE_KEEP_WORK2): every other window keeps
// clear of them. WinPlace_KeepWorkAreas sets them from the current layout's rows of the table
// in winplace_win.cpp (a rectangle of the main view's frame or client area, or a window
// whole) and places again the visible members when one of them covers a work area; off, or
// WinPlace_ClearWork, clears them. On, after an entry, it also notes the members still open
// from another sub-mode or family as serving every sub-mode or family.
void WinPlace_KeepWorkAreas(bool on);
void WinPlace_ClearWork(void);
void WinPlace_UncoverWork(void);
// True for a view window (captioned Front, Top, Side or Pers).
bool WinPlace_IsView(HWND w);
