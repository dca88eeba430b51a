#include "app/shell_mouse.h"
// Storage of the shell's context records (app/shell_view.h).
#include "app/shell_sel.h"
#include "app/shell_view.h"

// Brace-initialised so that the start-up values are in the image (no start-up code runs).
ShellContext g_Shell = {};
ShellMouse g_Mouse = {};
ShellSelection g_Sel = {};
