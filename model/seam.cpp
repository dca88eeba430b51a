// The seam's default entries and the calls every facility makes through it.
#include "model/seam.h"

#include "model/facework.h"
#include "model/model_result.h"
#include "model/seam_errorbox.h"
#include "model/seam_log.h"
#include "model/seam_timer.h"
#include "model/str.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

CoreSeam g_Seam;
u32 g_ErrorBoxCount;
f32 *g_FaceNormalWork;

static bool SeamToStderr() { return getenv("MIRAVEL_SEAM_STDERR") != nullptr; }

void Timer_Reset(void) {
  if (g_Seam.timerReset) g_Seam.timerReset();
}

void Seam_ErrorBox(const char *text) {
  g_ErrorBoxCount++;
  if (g_Seam.errorBox) g_Seam.errorBox(text ? text : "");
  else if (SeamToStderr()) fprintf(stderr, "error: %s\n", text ? text : "");
  Timer_Reset();
}

bool Seam_ShowResult(const ModelResult *r) {
  if (!r) return false;
  if (!r->ok && r->message[0]) Seam_ErrorBox(r->message);
  return r->ok;
}

void Seam_ErrorBoxf(const char *fmt, ...) {
  char buf[256];
  va_list ap;
  va_start(ap, fmt);
  Str_FormatV(buf, sizeof buf, fmt, ap);
  va_end(ap);
  Seam_ErrorBox(buf);
}

void Log_Printf(const char *fmt, ...) {
  char buf[256];
  va_list ap;
  va_start(ap, fmt);
  Str_FormatV(buf, sizeof buf, fmt, ap);
  va_end(ap);
  if (g_Seam.logLine) g_Seam.logLine(buf);
  else if (SeamToStderr()) fprintf(stderr, "log: %s\n", buf);
}
