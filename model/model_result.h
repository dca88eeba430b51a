// The answer of a model reader or writer: accepted, or refused with the text the user is to
// read. The model layer only fills it; the shell shows a refusal (Seam_ShowResult in
// model/seam.h), so a read can be tried, tested and fuzzed without a window.
#pragma once
#include "model/types.h"

struct ModelResult {
  bool ok;             // accepted
  char message[512];   // why it was refused; empty when accepted or when there is nothing to say
};

// Where one read has several answers (a 3D object set and each of its objects' models), the
// reader hands each further answer as it comes to a function of this kind that its caller
// gives it (the shell gives Seam_ShowResult).
typedef bool (*ModelAnswerFn)(const ModelResult *r);

// Accepted, no text.
void ModelResult_Accept(ModelResult *r);
// Refused with the text (cut at 511 bytes on a character boundary); returns false. r may be null.
bool ModelResult_Refuse(ModelResult *r, const char *text);
// Refused with the message of a failed save of path (File_SaveFailureText: the folder and the
// system's reason when it gave one); returns false. r may be null.
bool ModelResult_RefuseSave(ModelResult *r, const char *path);
// Refused with a formatted text, cut at 255 bytes as every formatted message box is; returns
// false. r may be null.
bool ModelResult_Refusef(ModelResult *r, const char *fmt, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;
