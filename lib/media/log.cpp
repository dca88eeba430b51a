// The log window's portable side: when lines go to it and when it is (re)created.
#include "lib/media/log.h"

LogState g_Log;

void Log_Create(void) {
  if (g_Log.window) return;
  if (g_LibHooks.log.create) g_LibHooks.log.create();
}

void Log_AddLine(const char *text) {
  if (!g_Log.list || !text) return;
  if (g_LibHooks.log.addLine) g_LibHooks.log.addLine(text, g_Log.lineCount);
  g_Log.lineCount++;
}

u32 Log_FreeMemory(void) { return g_LibHooks.log.freeMemory ? g_LibHooks.log.freeMemory() : 0; }

void Log_OnDestroyed(void) {
  g_Log.window = nullptr;
  g_Log.list = nullptr;
}
