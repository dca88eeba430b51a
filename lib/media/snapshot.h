// BMP snapshots of the back buffer (Windows program only; snapshot_win.cpp and
// snapshot_lib_win.cpp). Used by the frame step's AVI capture ("avi.bmp"), the preview
// render ("%s.BMP") and the movie render dialog.
#pragma once
#include "model/types.h"

// Saves the whole back buffer of g_Lib.device as "<g_Lib.rootDir>\\<name>"; false when not saved.
bool Lib_SaveBackBuffer(const char *name);
// The same for the rectangle (left, top)-(right, bottom) of the back buffer.
bool Lib_SaveBackBufferRect(const char *name, i32 left, i32 top, i32 right, i32 bottom);
