// The error box every facility shows through the seam (g_Seam.errorBox, model/seam.h), and
// the count of boxes shown. Defined in model/seam.cpp.
#pragma once
#include "model/types.h"

struct ModelResult;

// Modal error box with the program's caption (through the seam), then Timer_Reset.
void Seam_ErrorBox(const char *text);
// Error boxes shown so far: lets a caller tell whether a failed operation already said why.
extern u32 g_ErrorBoxCount;
// Shows the answer of a model reader or writer: the error box with a refusal's text (none
// when it has no text, or when it was accepted). Returns whether it was accepted. The model
// layer itself never calls it: its callers do, once they have the answer.
bool Seam_ShowResult(const ModelResult *r);
// printf-style error box; the text is cut to 255 bytes at a character boundary.
void Seam_ErrorBoxf(const char *fmt, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
