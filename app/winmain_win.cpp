// Program entry point: the shell's start-up, then the message loop until WM_QUIT.
#include <windows.h>

#include "app/startup_win.h"
#include "edit3d/undo_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  // The editors install their entries into the shell before it starts.
  Undo_InstallWin();
  if (!App_Startup(instance, commandLine)) return -1;
  return App_MainLoop();
}
