// Where a window of the kept-above set opens. A window opens where its creator put it when
// that lies on the screen and covers neither a control or the caption of another visible
// member of the set, a key strip's ruler or label column, nor the main window's menu bar (a
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


struct WinPlace {
  u32 memoryCount;
  WinPlaceMemory memory[WINPLACE_CAPACITY];
};
extern WinPlace g_WinPlace;

// Fits and places a visible top-level window as described above.
void WinPlace_Place(HWND w);
// Notes, for a window about to go, whether the user moved it from where it was placed.
void WinPlace_Forget(HWND w);
// True for a view window (captioned Front, Top, Side or Pers).
bool WinPlace_IsView(HWND w);
