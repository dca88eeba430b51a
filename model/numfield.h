// Reading the number a user typed into a dialog field: the whole text (blanks around it
// allowed) must be one plain decimal number; a number beyond the field's range is told apart
// from text that is no number, so that no field stores a wrapped or silently cut value.
#pragma once
#include "model/types.h"

enum NumFieldResult : u32 {
  NUMFIELD_OK = 0,
  NUMFIELD_NOT_NUMBER,     // empty, letters, or anything after the number
  NUMFIELD_OUT_OF_RANGE,   // a number outside lo..hi: *out holds it clamped to lo..hi
};

// A whole decimal number (one sign allowed) within lo..hi.
NumFieldResult NumField_Int(const char *text, i64 lo, i64 hi, i64 *out);
// A decimal number (no hexadecimal, infinity or NaN spellings) within lo..hi; "-0" reads as 0.
NumFieldResult NumField_Float(const char *text, f64 lo, f64 hi, f64 *out);
