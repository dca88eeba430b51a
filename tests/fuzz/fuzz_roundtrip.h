// Shared check of the KZ-family fuzz targets: whatever parses must encode, and that encoding
// must parse again into a record that encodes to the same bytes.
#pragma once
#include <string.h>

#include "model/bytes.h"

// Parses data and, when that succeeds, encodes the result into w; false when it did not parse.
typedef bool (*FuzzEncodeParsed)(const u8 *data, size_t size, ByteWriter *w);

static inline int FuzzRoundTrip(FuzzEncodeParsed encodeParsed, const u8 *data, size_t size) {
  ByteWriter a = {}, b = {};
  if (encodeParsed(data, size, &a)) {
    if (!encodeParsed(a.data, a.size, &b)) __builtin_trap();
    if (a.size != b.size || memcmp(a.data, b.data, a.size) != 0) __builtin_trap();
  }
  Wr_Free(&a);
  Wr_Free(&b);
  return 0;
}
