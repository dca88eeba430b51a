// The log window "LogWin": a list of diagnostic lines.
//
// Log_Printf (model/seam.h) formats a line (bounded, cut at a character boundary) and hands
// it to g_Seam.logLine, which is Log_AddLine. Lines are dropped while the window does not
// exist; it is created when the program editor is first entered (Log_Create) and, when the
// user closes it, its handles are cleared so that a later Log_Create makes it again.
// The window itself is platform code (log_win.cpp) reached through g_LibHooks.log.
// Global owned here: g_Log.
#pragma once
#include "lib/framework/lib.h"
#include "model/types.h"

struct LogState {
  void *window;     // the "LogWin" window, null while it does not exist
  void *list;       // its list box
  u32 lineCount;    // lines ever added (the index selected after each add)
};
extern LogState g_Log;

// Fills g_LibHooks.log with the window calls (log_win.cpp, Windows build).
void Log_InstallPlatform(void);

// Creates the log window once (nothing while it exists).
void Log_Create(void);
// The line sink: adds one line when the window exists, else drops it.
void Log_AddLine(const char *text);
// Available physical memory in bytes (0 when unknown).
u32 Log_FreeMemory(void);
// Called by the window when it is destroyed: later lines are dropped until Log_Create.
void Log_OnDestroyed(void);
