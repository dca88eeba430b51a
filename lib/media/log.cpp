// The log window's portable side: when lines go to it and when it is (re)created.
#include "lib/media/log.h"

LogState g_Log;

void Log_Create(void) {
  if (g_Log.window) return;
  if (g_LogPlatform.create) g_LogPlatform.create();
}

void Log_AddLine(const char *text) {
  if (!g_Log.list || !text) return;
  if (g_LogPlatform.addLine) g_LogPlatform.addLine(text, g_Log.lineCount);
  g_Log.lineCount++;
}

u32 Log_FreeMemory(void) { return g_LogPlatform.freeMemory ? g_LogPlatform.freeMemory() : 0; }

void Log_OnDestroyed(void) {
  g_Log.window = nullptr;
  g_Log.list = nullptr;
}
