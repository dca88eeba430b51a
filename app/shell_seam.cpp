// The shell seam's storage and its small helpers.
#include "app/shell_seam.h"

ShellSeam g_ShellSeam;

u32 Shell_ButtonHeld(u32 button) {
  return g_ShellSeam.getButtonHeld ? g_ShellSeam.getButtonHeld(button) : 0;
}

bool Shell_AnyButtonHeld(void) {
  return Shell_ButtonHeld(BUTTON_LEFT) || Shell_ButtonHeld(BUTTON_MIDDLE) || Shell_ButtonHeld(BUTTON_RIGHT);
}

void Shell_SetButtonHeld(u32 button, u32 held) {
  if (g_ShellSeam.setButtonHeld) g_ShellSeam.setButtonHeld(button, held);
}
