// Bounded text into fixed buffers: copying (Str_Copy, declared in types.h) and printf-style
// formatting that never overruns, always terminates and never leaves half of a two-byte CP932
// character at the cut.
#pragma once
#include <stdarg.h>

#include "model/types.h"

// Formats into dst (size bytes). Returns the length written.
int Str_Format(char *dst, size_t size, const char *fmt, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;
// Str_Format that reports whether the whole text fit: false (and dst holds the cut text)
// when it was cut. The cut length alone cannot tell, since a cut inside a two-byte character
// shortens the text by one more byte.
bool Str_FormatAll(char *dst, size_t size, const char *fmt, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;
// The va_list form of Str_Format.
int Str_FormatV(char *dst, size_t size, const char *fmt, va_list ap);
