// Start-up and the message loop of the program (WinMain's body), callable from tests.
// Windows build only.
#pragma once
#include <windows.h>

// Every start-up step up to the loop; returns false when the library could not start
// (the error box has been shown).
bool App_Startup(HINSTANCE instance, const char *commandLine);
// Runs the loop until WM_QUIT; returns its wParam.
int App_MainLoop(void);
// Takes and routes at most one message, or runs one idle pass; false after WM_QUIT
// (exitCode receives its wParam).
bool App_LoopStep(int *exitCode);
// One idle pass (frame delta, update, one view drawn, strips).
void App_IdlePass(void);
// Installs the idle pass that keeps the program's windows drawn while a modal window is up.
void App_InstallModalIdle(void);
