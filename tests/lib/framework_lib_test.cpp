// Library start-up decisions: the data-folder search, the capability levels, start values.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "model/seam.h"

namespace {

// A file system of folders and files given by absolute names ("/a/b").
struct FakeFs {
  std::set<std::string> files;
  std::set<std::string> dirs;
  std::string cwd;
  std::vector<std::string> errors;
};

std::string Normalise(const std::string &path) {
  std::vector<std::string> parts;
  size_t i = 0;
  while (i < path.size()) {
    size_t j = path.find('/', i);
    if (j == std::string::npos) j = path.size();
    std::string part = path.substr(i, j - i);
    if (part == "..") { if (!parts.empty()) parts.pop_back(); }
    else if (!part.empty() && part != ".") parts.push_back(part);
    i = j + 1;
  }
  std::string out;
  for (auto &p : parts) out += "/" + p;
  return out.empty() ? "/" : out;
}

std::string Join(const FakeFs *fs, const char *rel) { return Normalise(fs->cwd + "/" + rel); }

bool FakeCanOpen(void *ctx, const char *path) {
  FakeFs *fs = (FakeFs *)ctx;
  return fs->files.count(Join(fs, path)) > 0;
}
bool FakeChangeDir(void *ctx, const char *path) {
  FakeFs *fs = (FakeFs *)ctx;
  std::string to = Join(fs, path);
  if (!fs->dirs.count(to) && to != "/") return false;
  fs->cwd = to;
  return true;
}
bool FakeCurrentDir(void *ctx, char *out, size_t size) {
  FakeFs *fs = (FakeFs *)ctx;
  if (fs->cwd.size() + 1 > size) return false;
  memcpy(out, fs->cwd.c_str(), fs->cwd.size() + 1);
  return true;
}

std::vector<std::string> *g_Errors;
void RecordError(const char *text) { g_Errors->push_back(text); }

struct DataFolder : ::testing::Test {
  FakeFs fs;
  LibFs lfs{FakeCanOpen, FakeChangeDir, FakeCurrentDir, &fs};
  char root[LIB_TEXT_SIZE], data[LIB_TEXT_SIZE];
  CoreSeam saved;
  void SetUp() override {
    saved = g_Seam;
    g_Errors = &fs.errors;
    g_Seam.errorBox = RecordError;
    for (auto d : {"/base", "/base/Data", "/base/build", "/base/build/win", "/base/build/win/sub"})
      fs.dirs.insert(d);
  }
  void TearDown() override { g_Seam = saved; }
};

TEST_F(DataFolder, MarkerPositionsDecideTheBaseFolder) {
  // Marker in the current folder: the base is its parent.
  fs.files = {"/base/build/KZ.Lib"};
  fs.cwd = "/base/build";
  ASSERT_TRUE(Lib_FindDataFolder(&lfs, root, data));
  EXPECT_STREQ(root, "/base");
  EXPECT_STREQ(data, "/base/Data");
  EXPECT_EQ(fs.cwd, "/base/Data");

  // Marker one up (build/win started, build/KZ.Lib beside the build folders): two up.
  fs.cwd = "/base/build/win";
  ASSERT_TRUE(Lib_FindDataFolder(&lfs, root, data));
  EXPECT_STREQ(root, "/base");
  EXPECT_STREQ(data, "/base/Data");

  // The debug marker counts the same.
  fs.files = {"/base/build/KZ.LibDebug"};
  fs.cwd = "/base/build/win";
  ASSERT_TRUE(Lib_FindDataFolder(&lfs, root, data));
  EXPECT_STREQ(root, "/base");

  // Marker two up is not looked for: the search stays where it started.
  fs.files = {"/base/build/KZ.Lib"};
  fs.cwd = "/base/build/win/sub";
  ASSERT_TRUE(Lib_FindDataFolder(&lfs, root, data));
  EXPECT_STREQ(root, "/base/build/win/sub");
  EXPECT_STREQ(data, "/base/build/win/sub");  // no Data folder there
  EXPECT_TRUE(fs.errors.empty());
}

TEST_F(DataFolder, InstalledCopyWithoutMarkerUsesItsOwnFolder) {
  fs.cwd = "/base";
  ASSERT_TRUE(Lib_FindDataFolder(&lfs, root, data));
  EXPECT_STREQ(root, "/base");
  EXPECT_STREQ(data, "/base/Data");
}

TEST_F(DataFolder, OverlongFolderIsRefusedNotCut) {
  std::string deep = "/" + std::string(300, 'd');
  fs.dirs.insert(deep);
  fs.cwd = deep;
  EXPECT_FALSE(Lib_FindDataFolder(&lfs, root, data));
  EXPECT_STREQ(root, "");
  ASSERT_EQ(fs.errors.size(), 1u);
}

TEST(GpuLevel, LevelsFollowVertexBlendingAndShaderVersions) {
  GpuInfo info;
  GpuCapsInput caps{};
  EXPECT_EQ(Lib_ComputeGpuLevels(&caps, &info), 0);
  EXPECT_EQ(info.level, 0);

  caps.maxVertexBlendMatrices = 4;  // blending, no vertex shader
  EXPECT_EQ(Lib_ComputeGpuLevels(&caps, &info), 0);
  EXPECT_EQ(info.level, 1);

  struct Case { u32 vs, ps; u16 level; u32 vsl, psl; u8 aa; } cases[] = {
      {0xFFFE0101, 0xFFFF0104, 3, 1, 1, 1},
      {0xFFFE0200, 0xFFFF0200, 5, 2, 2, 1},
      {0xFFFE0300, 0xFFFF0300, 6, 3, 3, 1},
      {0xFFFE0400, 0xFFFF0400, 8, 3, 3, 1},
  };
  for (const Case &c : cases) {
    caps.vertexShaderVersion = c.vs;
    caps.pixelShaderVersion = c.ps;
    EXPECT_EQ(Lib_ComputeGpuLevels(&caps, &info), c.aa);
    EXPECT_EQ(info.level, c.level) << std::hex << c.vs;
    EXPECT_EQ(info.vertexShaderLevel, c.vsl);
    EXPECT_EQ(info.pixelShaderLevel, c.psl);
  }
  // Shaders without vertex blending still give level 0.
  caps.maxVertexBlendMatrices = 0;
  EXPECT_EQ(Lib_ComputeGpuLevels(&caps, &info), 0);
  EXPECT_EQ(info.level, 0);
  EXPECT_EQ(info.vertexShaderLevel, 3u);
}

TEST(LibStart, StartValuesAndHelpers) {
  Lib_SetStartValues();
  EXPECT_EQ(g_Lib.runState, 4u);
  EXPECT_FLOAT_EQ(g_Lib.ambient[1], 0.125f);
  EXPECT_EQ(g_Lib.renderInterval, 3);
  EXPECT_EQ(g_Lib.renderLastFrame, 300);
  for (f32 v : g_Lib.randomTable) {
    EXPECT_GE(v, 3.0f);
    EXPECT_LE(v, 7.0f);
    EXPECT_EQ(v, (f32)(int)v);
  }
  EXPECT_EQ(Lib_StrDup(nullptr), nullptr);
  char *copy = Lib_StrDup("ソフト");
  EXPECT_STREQ(copy, "ソフト");
  free(copy);

  EXPECT_EQ(Lib_OsVersionClass(2, 5, 1), 5);
  EXPECT_EQ(Lib_OsVersionClass(2, 5, 0), 4);
  EXPECT_EQ(Lib_OsVersionClass(2, 10, 0), 6);
  EXPECT_EQ(Lib_OsVersionClass(2, 4, 0), 3);
  EXPECT_EQ(Lib_OsVersionClass(1, 4, 10), 2);
  EXPECT_EQ(Lib_OsVersionClass(0, 3, 1), 1);
  EXPECT_EQ(Lib_OsVersionClass(3, 10, 0), 0);
}

TEST(LibStart, FadeClampsAndStopsAtEitherEnd) {
  Lib_SetFade(0.98f);
  EXPECT_EQ(g_Lib.fadeStep, 0.0f);
  Lib_SetFadeStep(0.03f);
  Lib_StepFade();
  EXPECT_EQ(g_Lib.fade, 1.0f);
  EXPECT_EQ(g_Lib.fadeStep, 0.0f);
  Lib_SetFade(0.01f);
  Lib_SetFadeStep(-0.03f);
  Lib_StepFade();
  EXPECT_EQ(g_Lib.fade, 0.0f);
  EXPECT_EQ(g_Lib.fadeStep, 0.0f);
  // A timeGetTime wrap between two passes still gives the short real interval.
  EXPECT_NEAR(Lib_FrameDeltaFromMs(0xFFFFFFF0u, 0x00000000u), 16 * 0.06f, 1e-5);
  EXPECT_NEAR(Lib_FrameDeltaFromMs(1000, 1050), 3.0f, 1e-5);
}

}  // namespace
