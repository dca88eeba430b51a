// Storage of the shell's context records (app/shell_view.h).
#include "app/shell_view.h"

ShellContext g_Shell;
ShellMouse g_Mouse;
ShellSelection g_Sel;
