// The shell's state and hooks behind the library's frame: editor family and sub-mode, the
// view records and the view being drawn, the per-family 2D-frame flags, the selected bone
// (g_Shell, app/shell_view.h), and the per-frame update, scene and overlay hooks.
//
// Owner: the application shell (app/). The main loop chooses g_Shell.g_DrawView before each frame
// step; the library sees the rest only through the request built from it (View_FrameRequest).
#pragma once
#include <stdint.h>
#include "model/types.h"
#include "app/shell_ids.h"

struct HWND__;

// Clears the 2D-frame flags and sets those of families 3, 19, 20 and 23 (start-up).
void App_InitFamily2DFrame(void);

// Per idle pass, before the frame step: the family's update, then the library's passes.
void App_UpdateFrame(void);
// The library's per-frame passes of App_UpdateFrame (2D models, scene objects and model poses,
// object sets): for a frame rendered outside the loop, after the family's update.
void App_FramePasses(void);
// Inside BeginScene/EndScene after the 3D passes: the family's scene hook.
void App_DrawScene(void);
// After the 2D layers, before the queued screen text: the family's overlay hook.
void App_DrawOverlay(void);

// The shell's handler of the main window, called first for every message by the
// framework's window procedure (its result is ignored). Types are those of a window
// procedure: UINT, WPARAM, LPARAM, LRESULT.
intptr_t App_MainWndProc(HWND__ *wnd, u32 msg, uintptr_t wParam, intptr_t lParam);
