// A hand-made KZV builder for the movie tests: it lays bytes down from the file's tables
// (never through Kzv_Encode). Portable: the native and the Windows-side tests share it.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "file_bytes.h"
#include "tests/model/kz_files.h"

// [SECTION] hand-made files

struct KeySpec {
  i32 frame;
  u8 shown;
  i32 number;
  f32 base;   // every float field is base + its index in the key (0..19)
};

struct ObjectSpec {
  std::string name;
  i32 kind;
  std::vector<KeySpec> keys;
  std::string folder, file, motionFile;
  i32 shadowKind;
};

// The float of field index i (position 0-2, angles 3-5, rotation 6-9, scale 10-12,
// colour 13-16, target 17-19) of a key.
inline f32 KeyFloat(const KeySpec &k, int i) { return k.base + (f32)i; }

struct MovieSpec {
  i32 version = 2006060;
  i32 frameCount = 300;
  std::vector<ObjectSpec> objects;
  i32 bgmPresent = 0;
  std::string bgmSecond, bgmFile;
  std::vector<std::pair<std::string, std::string>> sounds;   // slots 1..
  std::vector<std::string> messages;                          // messages 1..
  i32 nextPresent = 0;
  std::string next;
  bool trailer = false;
  std::vector<std::string> trailerNames;                      // default: the object names
  std::vector<i32> trailerShadows;
};

inline void PutFloats(Bytes &b, const KeySpec &k, int first, int n) {
  for (int i = 0; i < n; i++) b.f32_(KeyFloat(k, first + i));
}

inline std::vector<u8> BuildKzv(const MovieSpec &s) {
  Bytes b;
  b.magic("KZV").i32_(s.version).i32_(s.frameCount).i32_((i32)s.objects.size());
  for (const ObjectSpec &o : s.objects) {
    b.str(o.name.c_str()).i32_((i32)o.keys.size()).i32_(o.kind).i32_(1).i32_(0).i32_(1);
    for (const KeySpec &k : o.keys) {
      b.i32_(k.frame);
      if (s.version == 2006060) b.u8_(k.shown);
      b.i32_(k.number);
      if (o.kind <= 4) {
        PutFloats(b, k, 0, 6);                                  // position, angles
        if (s.version != 2004050) PutFloats(b, k, 6, 4);        // rotation
        PutFloats(b, k, 10, 7);                                 // scale, colour
      } else if (o.kind == 5) {
        PutFloats(b, k, 0, 3);
        PutFloats(b, k, 17, 3);
      } else if (o.kind == 6) {
        PutFloats(b, k, 13, 4);
      }
    }
  }
  for (const ObjectSpec &o : s.objects)
    if (o.kind <= 4) b.str(o.folder.c_str()).str(o.file.c_str()).str(o.motionFile.c_str()).i32_(o.shadowKind);
  b.i32_(s.bgmPresent);
  if (s.bgmPresent == 1) b.str(s.bgmSecond.c_str()).str(s.bgmFile.c_str());
  b.i32_(s.sounds.empty() ? 0 : (i32)s.sounds.size() + 1);
  for (auto &snd : s.sounds) b.str(snd.first.c_str()).str(snd.second.c_str());
  b.i32_(s.messages.empty() ? 0 : (i32)s.messages.size() + 1);
  for (auto &m : s.messages) b.str(m.c_str());
  b.i32_(s.nextPresent).str(s.next.c_str());
  if (s.trailer) {
    for (size_t i = 0; i < s.objects.size(); i++) {
      b.str(i < s.trailerNames.size() ? s.trailerNames[i].c_str() : s.objects[i].name.c_str());
      b.i32_(i < s.trailerShadows.size() ? s.trailerShadows[i] : s.objects[i].shadowKind);
    }
  }
  return b.b;
}

// Scene, camera, then one actor of every other kind, each with keys of its own values.
inline MovieSpec EveryKindMovie(i32 version) {
  MovieSpec s;
  s.version = version;
  auto keys = [](f32 base, i32 number) {
    return std::vector<KeySpec>{{0, 1, number, base}, {10, 0, number + 1, base + 100}, {25, 1, number, base + 200}};
  };
  s.objects = {
      {"シーン", 6, keys(1, 0), "", "", "", 0},
      {"カメラ", 5, keys(2, 0), "", "", "", 0},
      {"画像", 0, keys(3, 0), "Image", "pic.png", "", 0},
      {"オブジェ", 1, keys(4, 1), "Kza", "a.kza", "am", 2},
      {"ボーン", 2, keys(5, 2), "Kzb", "b.kzb", "bm", 0},
      {"セット", 3, keys(6, 0), "Kzo", "c.kzo", "", 1},
      {"モデル", 4, keys(7, 1), "Sub", "d.kzp", "dm", 3},
      {"効果音", 8, keys(8, 1), "", "", "", 0},
      {"メッセージ", 9, keys(9, 1), "", "", "", 0},
  };
  s.bgmPresent = 1;
  s.bgmSecond = "second";
  s.bgmFile = "bgm.mid";
  s.sounds = {{"Wave", "one.wav"}, {"", "two.wav"}};
  s.messages = {"こんにちは", "さようなら"};
  s.nextPresent = 1;
  s.next = "next.kzv";
  return s;
}
