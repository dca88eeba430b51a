// Hand-made KZM, KZO and KZP files shared by the model tests and the seed-corpus tool
// (tools/seedcorpus): built byte by byte from the layout tables.
#pragma once
#include <vector>

#include "tests/model/kz_files.h"

// KZM: one used motion "idle", one unused, two sounds; extraWord selects the layout with the
// extra words (the one the writer prefers).
inline std::vector<u8> Kzm(bool extraWord, i32 version = 2002040, i32 firstLength = 99) {
  Bytes b;
  b.magic("KZM").i32_(version).i32_(firstLength).i32_(1).i32_(2).i32_(3).i32_(3);
  b.u32_(1).str("idle");
  if (extraWord) b.i32_(12345);
  b.i32_(50);
  b.u32_(0);
  b.u32_(1).str("");
  if (extraWord) b.i32_(0);
  b.i32_(10);
  b.i32_(2).str("\x82\xc8\x82\xb5").str("hit.wav");
  return b.b;
}

// KZO: a three-object chain (object 1 turned 90 degrees about z, object 2 offset along x)
// naming "kzo_part.kzp", motion 0 "run" with the given key frames, motion 1 unused.
const f32 kHalf = 0.70710678f;

inline void ObjKey(Bytes &b, f32 px, f32 py, f32 pz, f32 qz, f32 qw, f32 s) {
  b.f32_(px).f32_(py).f32_(pz).f32_(0).f32_(0).f32_(qz).f32_(qw).f32_(s).f32_(s).f32_(s);
}

inline std::vector<u8> Kzo(i32 version = 2005000, std::vector<i32> frames = {0, 20}) {
  Bytes b;
  b.magic("KZO").i32_(version).i32_(2);
  b.i32_(1).str("run").i32_(40).i32_((i32)frames.size());
  for (i32 f : frames) b.i32_(f);
  b.i32_(0);   // motion 1 unused: only its flag
  b.i32_(3);
  // Object 1: child of 0, turned 90 degrees about z; one key for the unused motion too.
  b.i32_(1).f32_(1).f32_(0).f32_(0).str("kzo_part.kzp").i32_(0).i32_(7);
  for (size_t k = 0; k < frames.size(); k++) ObjKey(b, 0, 0, 0, kHalf, kHalf, 1);
  ObjKey(b, 9, 9, 9, 0, 1, 2);
  // Object 2: child of 1, offset 3 along x, key position (0, 1, 0).
  b.i32_(1).f32_(3).f32_(0).f32_(0).str("kzo_part.kzp").i32_(1).i32_(0);
  for (size_t k = 0; k < frames.size(); k++) ObjKey(b, 0, 1, 0, 0, 1, 1);
  ObjKey(b, 0, 0, 0, 0, 1, 1);
  return b.b;
}

// KZP of each read version (2006000, 2005000, 2004002): three positions, one triangle, one
// group with a texture, two bones with keys.
// The fields every version shares up to the four words, with its own count and polygon forms.
inline void Geometry(Bytes &b, i32 version) {
  bool wide = version == 2006000;
  auto count = [&](i32 n) { if (wide) b.i32_(n); else b.u16_((u16)n); };
  count(3); count(1); count(1); count(2);
  b.f32_(0).f32_(0).f32_(0).f32_(1).f32_(0).f32_(0).f32_(0).f32_(2).f32_(0);
  b.f32_(0).f32_(0).f32_(1);
  b.f32_(10).f32_(20).f32_(30).f32_(40);
  b.f32_(0).f32_(0).f32_(1).f32_(1);
  b.u16_(1).u16_(0).f32_(0.5f).u32_(0);
  b.u16_(0).u16_(0).f32_(1).u32_(0);   // no automatic binding: the round trip stays exact
  b.u16_(1).u16_(1).f32_(1).u32_(0);
  b.u16_(1);   // polygon count
  if (!wide) b.u32_(0xDEADBEEF);   // the ignored word before each old polygon
  b.u8_(3);
  const u32 corners[3][4] = {{0, 0, 0, 0}, {1, 0, 0, 1}, {2, 0, 0, 1}};
  for (auto &c : corners)
    for (u32 v : c) { if (wide) b.u32_(v); else b.u16_((u16)v); }
  b.u32_(0);   // group
  b.i16_(2).u32_(0).u32_(1).str("tex1.png");
  if (wide) b.i16_(0).f32_(1.5f);
  b.i32_(1).str("g0").u32_(1).f32_(200).f32_(201).f32_(202).f32_(255).u32_(4).u8_(0);
  b.f32_(0.5f).f32_(0.25f).f32_(2).f32_(3).u32_(0).u32_(4).u32_(1).u32_(0).u32_(64).u32_(65).u32_(66);
  b.u32_(1).u32_(0).u32_(1).f32_(2.5f);
  if (wide) b.i16_(3);
}

inline void Key(Bytes &b, i32 frame, f32 x) {
  b.i32_(frame).f32_(x).f32_(0).f32_(0).f32_(0).f32_(0).f32_(0).f32_(1).f32_(1).f32_(1).f32_(1);
}

inline void Bones(Bytes &b) {
  b.i32_(2);
  b.str("root").i32_(0).f32_(0).f32_(0).f32_(0).f32_(0).f32_(0).f32_(0).f32_(1).f32_(1).f32_(1).f32_(1);
  b.i32_(1); Key(b, 0, 0);
  b.i32_(0);
  b.str("arm").i32_(0).f32_(1).f32_(2).f32_(3).f32_(0).f32_(0).f32_(0).f32_(1).f32_(1).f32_(1).f32_(1);
  b.i32_(2); Key(b, 0, 0); Key(b, 10, 5);
  b.i32_(1); Key(b, 0, 0);
}

inline std::vector<u8> Kzp(i32 version) {
  Bytes b;
  b.magic("KZP").i32_(version);
  Geometry(b, version);
  if (version == 2006000) {
    b.i32_(2).u32_(1).i32_(1).u32_(5).u16_(0).u16_(1).f32_(1).f32_(1).f32_(1).f32_(0.5f).str("walk").i32_(30);
    b.u32_(0);
    Bones(b);
  } else if (version == 2005000) {
    b.i32_(2).u32_(1).str("walk").i32_(30).u32_(0);
    Bones(b);
  } else {
    b.i32_(2).i32_(1).i32_(5);   // two bones, one key count each for the single motion
  }
  return b.b;
}
