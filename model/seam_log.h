// Log lines from every facility, handed to the seam (g_Seam.logLine, model/seam.h).
// Defined in model/seam.cpp.
#pragma once

// Formats one log line (at most 255 bytes, cut at a CP932 character boundary) and hands it to the seam.
void Log_Printf(const char *fmt, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
