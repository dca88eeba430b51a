// The shell seam's storage and the button-held helpers over the framework's input state.
#include "app/shell_seam.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"

ShellSeam g_ShellSeam;

u32 Shell_ButtonHeld(u32 button) {
  switch (button) {
    case BUTTON_LEFT: return g_Lib.app.leftHeld;
    case BUTTON_MIDDLE: return g_Lib.app.middleHeld;
    default: return g_Lib.app.rightHeld;
  }
}

bool Shell_AnyButtonHeld(void) {
  return g_Lib.app.leftHeld || g_Lib.app.middleHeld || g_Lib.app.rightHeld;
}

// The library numbers the buttons as BUTTON_* does; anything else is the right one.
void Shell_SetButtonHeld(u32 button, u32 held) {
  Lib_SetButtonHeld(button == BUTTON_LEFT || button == BUTTON_MIDDLE ? button : (u32)BUTTON_RIGHT, held);
}
