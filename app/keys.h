// Key commands: the global keys the shell answers on key release, the one-shot key latch
// and the Z key state the editors read.
//
// Key-down and key-up act only while the latch g_AppShell.keyLatch is 0 and set it; the main
// loop clears it whenever the message queue is empty, so at most one key message acts per
// idle pass. The Z key state is g_Mouse.g_ZKeyHeld (app/shell_view.h).
#pragma once
#include "model/types.h"
#include "app/hook_ctx.h"
#include "app/shell_ids.h"

enum KeyAction : u32 {
  KEY_NONE = 0,
  KEY_CONFIRM_EXIT,   // Esc
  KEY_FIT_VIEW,       // F
  KEY_REDO,           // I
  KEY_OPTIONS,        // O
  KEY_UNDO,           // U
  KEY_Z_RELEASED,     // Z
  KEY_ANTIALIAS,      // F2
  KEY_VSYNC,          // F3
  KEY_CPU_OCCUPY,     // F4
  KEY_PROG_RUN,       // F5 in the program family
  KEY_REFRESH_LISTS,  // F5 elsewhere
  KEY_PROG_STOP,      // F6 in the program family
  KEY_QUICK_F7,
  KEY_RENDER_MODE,    // F8
  KEY_QUICK_F9,
  KEY_QUICK_F11,
};
// The global action of a released key in a family.
KeyAction Key_GlobalAction(u32 virtualKey, u32 family);
// Runs one global action on the context (the fit: its view, model and selection).
void Key_Run(const HookCtx *c, KeyAction action);
// F8: render mode 4 for model m, or 0 when it is 4; nothing without a model.
void Key_ToggleRenderMode(Model3 *m, u32 layout);
