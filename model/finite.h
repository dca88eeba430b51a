// Finite-value checks over freshly read records: a reader refuses a file in which any float
// the program keeps (positions, normals, colours, texture coordinates, weights, key values,
// group and model settings) is NaN or an infinity, since bounds, fits and grids computed from
// such values mean nothing. Each check looks only at the entries in use. A model's points
// must also span a box of finite size (Finite_Extent).
#pragma once
#include <string.h>

#include "model/types.h"

struct Model3;
struct Vec3;
struct Bone2Model;
struct Obj2Model;

// "%s" = the file's path.
extern const char kKzMsgNotFinite[];
// The reason a foreign-format import gives (after the path).
extern const char kFmtMsgNotFinite[];

// Whether none of `words` 32-bit words from p, read as f32, is NaN or an infinity; with `to`
// the words are also copied there on the way. NaN and the infinities, and only they, have
// every exponent bit set; one more in the exponent field then carries into the sign bit, so
// the sign bits of (w & exponent) + one-exponent, OR-ed over all words, tell. Eight words a
// pass in two accumulators of four lanes (the compiler keeps them in vector registers): no
// dependent chain through the floating-point unit, and denormals and -0 are plain bit patterns.
template <bool Copy>
inline bool Finite_WordsOf(const u8 *p, size_t words, u8 *to) {
  typedef u32 Words4 __attribute__((vector_size(16)));
  const u32 kExponent = 0x7F800000u, kOne = 0x00800000u;
  const Words4 exponent = {kExponent, kExponent, kExponent, kExponent};
  const Words4 one = {kOne, kOne, kOne, kOne};
  Words4 seenA = {0, 0, 0, 0}, seenB = {0, 0, 0, 0};
  size_t i = 0;
  for (; i + 8 <= words; i += 8) {
    Words4 a, b;
    memcpy(&a, p + i * 4, 16);
    memcpy(&b, p + i * 4 + 16, 16);
    if (Copy) {
      memcpy(to + i * 4, &a, 16);
      memcpy(to + i * 4 + 16, &b, 16);
    }
    seenA |= (a & exponent) + one;
    seenB |= (b & exponent) + one;
  }
  if (i + 4 <= words) {   // four or more words left (a 4-key bone track is 5 x 8 + 4): one more lane pass
    Words4 a;
    memcpy(&a, p + i * 4, 16);
    if (Copy) memcpy(to + i * 4, &a, 16);
    seenB |= (a & exponent) + one;
    i += 4;
  }
  seenA |= seenB;
  u32 seen = seenA[0] | seenA[1] | seenA[2] | seenA[3];
  for (; i < words; i++) {
    u32 w;
    memcpy(&w, p + i * 4, 4);
    if (Copy) memcpy(to + i * 4, &w, 4);
    seen |= (w & kExponent) + kOne;
  }
  return (seen & 0x80000000u) == 0;
}
inline bool Finite_Words(const u8 *p, size_t words, u8 *to = nullptr) {
  return to ? Finite_WordsOf<true>(p, words, to) : Finite_WordsOf<false>(p, words, nullptr);
}
bool Finite_Floats(const f32 *v, size_t n);
// Whether the box around the finite ones of n positions has a finite size: every width,
// hi - lo in float, finite. Fits, grids and views compute with it; a model running from +3e38 to -3e38 has
// finite points but no finite size. Finite_Model3 checks its positions with it.
bool Finite_Extent(const Vec3 *p, size_t n);
bool Finite_Model3(const Model3 *m);
bool Finite_Bone2(const Bone2Model *m);
bool Finite_Obj2(const Obj2Model *m);
