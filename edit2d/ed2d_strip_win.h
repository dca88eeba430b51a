// The Windows side the 2D family's key strip windows share: mouse messages into the portable
// strip kinds, the capture while a button is held, the run-time scroll bar along the bottom
// edge and its messages, and the window's track size limits.
#pragma once
#include <windows.h>

#include "edit2d/ed2d_strip.h"
#include "model/types.h"
#include "resources/edit2d_ids.h"

// A client position: each half unsigned, a value above 10000 taken as negative.
i32 Ed2D_StripMouseX(LPARAM lp);
i32 Ed2D_StripMouseY(LPARAM lp);
// The strip kind (ED2D_MOUSE_*) of a mouse message; false for other messages.
bool Ed2D_StripMouseKind(UINT msg, u32 *kind);
// Captures the mouse at a press and lets it go at a release, so a drag leaving the window ends.
void Ed2D_StripCapture(HWND dlg, u32 kind);
// A mouse message handed to `mouse` as a strip kind and client position, with the capture
// held while a button is; false (nothing done) for other messages.
bool Ed2D_StripMouse(HWND dlg, UINT msg, LPARAM lParam, void (*mouse)(u32 kind, i32 x, i32 y));
// The horizontal scroll bar child (IDC_O2D_KEY_SCROLL) along the bottom edge.
HWND Ed2D_StripCreateScrollBar(HWND dlg);
void Ed2D_StripPlaceScrollBar(HWND dlg);
// WM_HSCROLL into a strip scroll code (ED2D_SCROLL_*) for `scroll`; other codes are ignored.
void Ed2D_StripHScroll(WPARAM wParam, void (*scroll)(u32 code, i32 pos));
// WM_GETMINMAXINFO: minimum 100 x 100, maximum 1600 x 1024.
void Ed2D_StripTrackSize(LPARAM lParam);
