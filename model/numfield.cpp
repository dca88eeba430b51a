// Number fields (model/numfield.h): one reading of typed numbers for every dialog.
#include "model/numfield.h"

#include <ctype.h>
#include <errno.h>
#include <math.h>
#include <stdlib.h>

static const char *SkipBlanks(const char *s) {
  while (*s == ' ' || *s == '\t') s++;
  return s;
}

// The text holds a sign at most, then a digit (or a point and a digit), and only the
// characters of a plain decimal number.
static bool PlainNumber(const char *s, bool fraction) {
  const char *c = s + (*s == '+' || *s == '-');
  if (!isdigit((unsigned char)*c) && !(fraction && *c == '.' && isdigit((unsigned char)c[1]))) return false;
  for (; *c && *c != ' ' && *c != '\t'; c++)
    if (!isdigit((unsigned char)*c) && !(fraction && (*c == '.' || *c == 'e' || *c == 'E' || *c == '+' || *c == '-'))) return false;
  return true;
}

NumFieldResult NumField_Int(const char *text, i64 lo, i64 hi, i64 *out) {
  const char *s = SkipBlanks(text ? text : "");
  if (!PlainNumber(s, false)) return NUMFIELD_NOT_NUMBER;
  char *end = nullptr;
  errno = 0;
  long long v = strtoll(s, &end, 10);
  if (end == s || *SkipBlanks(end)) return NUMFIELD_NOT_NUMBER;
  // Past the 64-bit range strtoll answers its limit with ERANGE: that limit clamps the same.
  if (errno != ERANGE && v >= lo && v <= hi) {
    *out = v;
    return NUMFIELD_OK;
  }
  *out = v < lo ? lo : hi;
  return NUMFIELD_OUT_OF_RANGE;
}

NumFieldResult NumField_Float(const char *text, f64 lo, f64 hi, f64 *out) {
  const char *s = SkipBlanks(text ? text : "");
  if (!PlainNumber(s, true)) return NUMFIELD_NOT_NUMBER;
  char *end = nullptr;
  f64 v = strtod(s, &end);
  if (end == s || *SkipBlanks(end) || isnan(v)) return NUMFIELD_NOT_NUMBER;
  if (v >= lo && v <= hi) {
    *out = v + 0.0;   // -0 becomes 0: a field never stores a negative zero
    return NUMFIELD_OK;
  }
  *out = v < lo ? lo : hi;
  return NUMFIELD_OUT_OF_RANGE;
}
