// The shell seam's storage and the button-held helpers over the framework's input state.
#include "app/shell_seam.h"
#include "lib/framework/lib.h"

ShellSeam g_ShellSeam;

static u32 *HeldFlag(u32 button) {
  switch (button) {
    case BUTTON_LEFT: return &g_Lib.app.leftHeld;
    case BUTTON_MIDDLE: return &g_Lib.app.middleHeld;
    default: return &g_Lib.app.rightHeld;
  }
}

u32 Shell_ButtonHeld(u32 button) { return *HeldFlag(button); }

bool Shell_AnyButtonHeld(void) {
  return g_Lib.app.leftHeld || g_Lib.app.middleHeld || g_Lib.app.rightHeld;
}

void Shell_SetButtonHeld(u32 button, u32 held) { *HeldFlag(button) = held; }
