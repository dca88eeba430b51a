// The shell seam's storage and the button-held helpers over the framework's input state.
#include "app/shell_seam.h"
#include "lib/framework/lib.h"

ShellSeam g_ShellSeam;

static u32 *HeldFlag(u32 button) {
  switch (button) {
    case BUTTON_LEFT: return &g_LibApp.leftHeld;
    case BUTTON_MIDDLE: return &g_LibApp.middleHeld;
    default: return &g_LibApp.rightHeld;
  }
}

u32 Shell_ButtonHeld(u32 button) { return *HeldFlag(button); }

bool Shell_AnyButtonHeld(void) {
  return g_LibApp.leftHeld || g_LibApp.middleHeld || g_LibApp.rightHeld;
}

void Shell_SetButtonHeld(u32 button, u32 held) { *HeldFlag(button) = held; }
