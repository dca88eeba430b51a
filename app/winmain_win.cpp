// Program entry point: each editor folder installs its hook rows, then the shell's start-up
// and the message loop until WM_QUIT. With app/winmain_win.h, the one place that names the
// editor folders: it sits above them all.
#include <windows.h>

#include "app/startup_win.h"
#include "app/winmain_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  WinMain_InstallEditors();
  if (!App_Startup(instance, commandLine)) return -1;
  return App_MainLoop();
}
