// Byte-by-byte builders for hand-made model files in the tests, straight from the layout
// tables (they never call the writers under test), and the comparison of written files.
// Free of the test framework: the seed-corpus tool builds its files with them too.
#pragma once
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "model/bytes.h"

struct Bytes {
  std::vector<u8> b;
  Bytes &raw(const void *p, size_t n) {
    b.insert(b.end(), (const u8 *)p, (const u8 *)p + n);
    return *this;
  }
  Bytes &u8_(u8 v) { return raw(&v, 1); }
  Bytes &u16_(u16 v) { u8 x[2] = {(u8)v, (u8)(v >> 8)}; return raw(x, 2); }
  Bytes &i16_(i16 v) { return u16_((u16)v); }
  Bytes &i32_(i32 v) {
    u32 u = (u32)v;
    u8 x[4] = {(u8)u, (u8)(u >> 8), (u8)(u >> 16), (u8)(u >> 24)};
    return raw(x, 4);
  }
  Bytes &u32_(u32 v) { return i32_((i32)v); }
  Bytes &f32_(f32 v) { u32 u; memcpy(&u, &v, 4); return u32_(u); }
  Bytes &str(const char *s) { i32_((i32)strlen(s)); return raw(s, strlen(s)); }
  Bytes &magic(const char *m) { return raw(m, 3); }
};

// Index of the first differing byte (or the shorter size), -1 when equal: readable failures.
inline long FirstDifference(const std::vector<u8> &a, const std::vector<u8> &b) {
  size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; i++)
    if (a[i] != b[i]) return (long)i;
  return a.size() == b.size() ? -1 : (long)n;
}
