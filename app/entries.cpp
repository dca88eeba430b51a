// Storage of the editors' entries into the shell.
#include "app/entries.h"

ShellEntries g_ShellEntries;
