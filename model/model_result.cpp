// Filling a reader's or writer's answer (model/model_result.h).
#include "model/model_result.h"

#include <stdarg.h>
#include <stdio.h>

#include "model/bytes.h"
#include "model/cp932.h"

void ModelResult_Accept(ModelResult *r) {
  if (!r) return;
  r->ok = true;
  r->message[0] = 0;
}

bool ModelResult_Refuse(ModelResult *r, const char *text) {
  if (!r) return false;
  r->ok = false;
  Str_Copy(r->message, sizeof r->message, text);
  return false;
}

bool ModelResult_RefuseSave(ModelResult *r, const char *path) {
  char text[sizeof r->message];
  File_SaveFailureText(path, text, sizeof text);
  return ModelResult_Refuse(r, text);
}

bool ModelResult_Refusef(ModelResult *r, const char *fmt, ...) {
  if (!r) return false;
  char text[256];
  va_list ap;
  va_start(ap, fmt);
  int n = vsnprintf(text, sizeof text, fmt, ap);
  va_end(ap);
  if (n < 0) text[0] = 0;
  size_t len = n < 0 ? 0 : ((size_t)n < sizeof text ? (size_t)n : sizeof text - 1);
  text[Cp932_CutLength(text, len)] = 0;
  return ModelResult_Refuse(r, text);
}
