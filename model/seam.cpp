// The seam's default entries and the small text helpers every facility shares.
#include "model/seam.h"

#include "model/model_result.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

CoreSeam g_Seam;
u32 g_ErrorBoxCount;
GpuInfo g_GpuInfo;
u32 g_FrameOutputSuppressed;
f32 *g_FaceNormalWork;

static bool SeamToStderr() { return getenv("MIRAVEL_SEAM_STDERR") != nullptr; }

void Str_Copy(char *dst, size_t size, const char *src) {
  if (!dst || size == 0) return;
  if (!src) src = "";
  size_t n = strlen(src);
  if (n >= size) n = Cp932_CutLength(src, size - 1);
  memcpy(dst, src, n);
  dst[n] = 0;
}

size_t Cp932_CutLength(const char *s, size_t len) {
  size_t i = 0;
  while (i < len) {
    size_t step = Cp932_IsLead((u8)s[i]) ? 2 : 1;
    if (i + step > len) break;
    i += step;
  }
  return i;
}

static int FormatV(char *dst, size_t size, const char *fmt, va_list ap) {
  if (!dst || size == 0) return 0;
  int n = vsnprintf(dst, size, fmt, ap);
  if (n < 0) { dst[0] = 0; return 0; }
  size_t len = (size_t)n < size ? (size_t)n : size - 1;
  len = Cp932_CutLength(dst, len);
  dst[len] = 0;
  return (int)len;
}

int Str_Format(char *dst, size_t size, const char *fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  int n = FormatV(dst, size, fmt, ap);
  va_end(ap);
  return n;
}

bool Str_FormatAll(char *dst, size_t size, const char *fmt, ...) {
  va_list ap, again;
  va_start(ap, fmt);
  va_copy(again, ap);
  int want = vsnprintf(nullptr, 0, fmt, again);
  va_end(again);
  FormatV(dst, size, fmt, ap);
  va_end(ap);
  return want >= 0 && (size_t)want < size;
}

void Timer_Reset(void) {
  if (g_Seam.timerReset) g_Seam.timerReset();
}

void Lib_ErrorBox(const char *text) {
  g_ErrorBoxCount++;
  if (g_Seam.errorBox) g_Seam.errorBox(text ? text : "");
  else if (SeamToStderr()) fprintf(stderr, "error: %s\n", text ? text : "");
  Timer_Reset();
}

bool Lib_ShowResult(const ModelResult *r) {
  if (!r) return false;
  if (!r->ok && r->message[0]) Lib_ErrorBox(r->message);
  return r->ok;
}

void Lib_ErrorBoxf(const char *fmt, ...) {
  char buf[256];
  va_list ap;
  va_start(ap, fmt);
  FormatV(buf, sizeof buf, fmt, ap);
  va_end(ap);
  Lib_ErrorBox(buf);
}

void Log_Printf(const char *fmt, ...) {
  char buf[256];
  va_list ap;
  va_start(ap, fmt);
  FormatV(buf, sizeof buf, fmt, ap);
  va_end(ap);
  if (g_Seam.logLine) g_Seam.logLine(buf);
  else if (SeamToStderr()) fprintf(stderr, "log: %s\n", buf);
}
