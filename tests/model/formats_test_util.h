// Shared fixtures of the foreign-format tests: a recording seam, small model capacities,
// sample paths and small file helpers.
#pragma once
#include <gtest/gtest.h>

#include <math.h>
#include <stdio.h>
#include <string.h>
#include <stdlib.h>
#include <map>
#include <string>
#include <vector>

#include "capacity_guard.h"
#include "file_bytes.h"
#include "model/bytes.h"
#include "model/formats/fmt_local.h"
#include "model/model3.h"
#include "model/seam.h"

namespace fmt_test {

struct Recorder {
  std::map<std::string, std::pair<int, int>> images;   // texture name -> size
  std::vector<std::string> loads;
  std::vector<u32> keys;   // colour key of every load
  std::vector<std::string> errors;
  int handles = 0;
  int released = 0;
};
inline Recorder &Rec() {
  static Recorder r;
  return r;
}

inline SeamTexture FakeTextureLoad(const char *path, u32 key) {
  Rec().loads.push_back(path);
  Rec().keys.push_back(key);
  auto it = Rec().images.find(path);
  if (it == Rec().images.end()) return SeamTexture{nullptr, 0, 0};
  Rec().handles++;
  return SeamTexture{(void *)(uintptr_t)(0x1000 + Rec().handles), it->second.first, it->second.second};
}
inline void FakeRelease(void *) { Rec().released++; }
inline void FakeErrorBox(const char *text) { Rec().errors.push_back(text); }

// Installs the recording seam and model capacities small enough for quick tests.
class FormatTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = g_Seam;
    Rec() = Recorder();
    g_Seam.textureLoad = FakeTextureLoad;
    g_Seam.releaseHandle = FakeRelease;
    g_Seam.errorBox = FakeErrorBox;
    SetCapacity(4000);
  }
  void TearDown() override {
    for (int s = 0; s < MODEL3_SLOTS; s++) Model3_FreeSlot(s);
    g_Seam = saved_;
  }
  static void SetCapacity(u32 polygons) {
    g_MaxPolygons = polygons;
    g_MaxVertices = polygons * 4;
  }
  CoreSeam saved_;
  CapacityGuard capacity_;
};

inline std::string DataPath(const char *rel) {
  const char *src = getenv("MIRAVEL_SRC");
  return std::string(src ? src : ".") + "/tests/data/" + rel;
}

// A marker model in a slot, to check that a failed import leaves it alone.
inline Model3 *PutMarker(i32 slot) {
  g_ModelAllocArrays = 1;
  Model3 *m = Model3_Init(slot);
  m->positions[0] = Vec3{42, 42, 42};
  m->positionCount = 1;
  return m;
}

inline bool IsMarker(i32 slot) {
  Model3 *m = Model3_Get(slot);
  return m && m->positionCount == 1 && m->positions[0].x == 42;
}

// Parses every prefix of a file (one scratch model for all, so the loop stays quick) and
// returns the results by length; the sanitizers catch any read past the data.
inline std::vector<FmtResult> ParseEveryCut(FmtParseFn parse, const std::string &bytes) {
  std::vector<FmtResult> out;
  Model3 *m = Fmt_NewModel();
  for (size_t cut = 0; cut < bytes.size(); cut++) {
    std::vector<u8> v(bytes.begin(), bytes.begin() + cut);
    FmtStatus st = {};
    m->polygonCount = m->positionCount = m->normalCount = m->colorCount = m->uvCount = 0;
    out.push_back(parse(m, v.data(), v.size(), &st));
  }
  Model3_Free(m);
  return out;
}

#define EXPECT_VEC3(v, X, Y, Z)      \
  do {                               \
    EXPECT_FLOAT_EQ((v).x, (X));     \
    EXPECT_FLOAT_EQ((v).y, (Y));     \
    EXPECT_FLOAT_EQ((v).z, (Z));     \
  } while (0)

}  // namespace fmt_test
