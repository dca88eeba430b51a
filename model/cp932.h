// Code page 932 (Shift_JIS) byte rules: which bytes lead a two-byte character, and where a
// text may be cut without splitting one. Every text the program shows or stores is CP932.
#pragma once
#include "model/types.h"

// True when b is a CP932 lead byte.
inline bool Cp932_IsLead(u8 b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
// Length of the longest prefix of s[0..len) that ends on a CP932 character boundary.
size_t Cp932_CutLength(const char *s, size_t len);
