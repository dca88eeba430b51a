// Bounded copying and formatting into fixed buffers (see str.h).
#include "model/str.h"

#include <stdio.h>
#include <string.h>

#include "model/cp932.h"

void Str_Copy(char *dst, size_t size, const char *src) {
  if (!dst || size == 0) return;
  if (!src) src = "";
  size_t n = strlen(src);
  if (n >= size) n = Cp932_CutLength(src, size - 1);
  memcpy(dst, src, n);
  dst[n] = 0;
}

int Str_FormatV(char *dst, size_t size, const char *fmt, va_list ap) {
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
  int n = Str_FormatV(dst, size, fmt, ap);
  va_end(ap);
  return n;
}

bool Str_FormatAll(char *dst, size_t size, const char *fmt, ...) {
  va_list ap, again;
  va_start(ap, fmt);
  va_copy(again, ap);
  int want = vsnprintf(nullptr, 0, fmt, again);
  va_end(again);
  Str_FormatV(dst, size, fmt, ap);
  va_end(ap);
  return want >= 0 && (size_t)want < size;
}
