// What every test program has installed before its first test, as WinMain and the start-up
// install it: the hook rows of the shell and of every editor folder, the shell's render
// hooks and the library's texture entries of the core seam.
#pragma once

void Support_InstallProgram(void);
