// A recording host for the script runtime: every call the executor makes to the program is
// kept as one line of text, images and keys are plain tables, and the data folder is a
// temporary folder of the test.
#pragma once
#include <stdarg.h>
#include <stdio.h>
#include <unistd.h>

#include <set>
#include <string>
#include <vector>

#include "scene/prog_run.h"
#include "tests/scene/prog_fixture.h"

struct FakeProgHost {
  static inline std::vector<std::string> calls;
  static inline std::set<i32> objects, models, held;
  static inline bool textOn = true;
  static inline std::string dataDir;
  static inline i32 nextRow = 0;

  static void Add(const char *fmt, ...) __attribute__((format(printf, 1, 2))) {
    char buf[512];
    va_list ap;
    va_start(ap, fmt);
    vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    calls.push_back(buf);
  }
  static void Install() {
    calls.clear();
    objects = {0};
    models.clear();
    held.clear();
    textOn = true;
    nextRow = 0;
    SceneSeam &h = g_SceneSeam;
    h = SceneSeam{};
    h.print = [](i32 x, i32 y, const char *t) { Add("print %d %d %s", x, y, t); };
    h.textOn = [] { return textOn; };
    h.imageLoad = [](ImageHandle *hd, const char *p) {
      if (!hd->loaded) hd->row = nextRow++;
      hd->loaded = 1;
      Add("imageLoad %s row %d", p, hd->row);
      return hd->row;
    };
    h.imageDraw = [](const ImageHandle *hd, i32 x, i32 y) { Add("imageDraw %d %d %d", hd->row, x, y); };
    h.modelLoad = [](i32 slot, const char *p) {
      models.insert(slot);
      Add("modelLoad %d %s", slot, p);
      return true;
    };
    h.modelSet = [](i32 slot, i32 what, i32 v) {
      if (!models.count(slot)) return false;
      Add("modelSet %d %d %d", slot, what, v);
      return true;
    };
    h.objectExists = [](i32 n) { return objects.count(n) > 0; };
    h.objectCreate = [](i32 n) {
      objects.insert(n);
      Add("objectCreate %d", n);
      return true;
    };
    h.objectSet = [](i32 n, i32 what, f32 x, f32 y, f32 z) {
      if (!objects.count(n)) return false;
      Add("objectSet %d %d %g %g %g", n, what, x, y, z);
      return true;
    };
    h.camera = [](i32 what, f32 x, f32 y, f32 z) { Add("camera %d %g %g %g", what, x, y, z); };
    h.keyHeld = [](i32 k) { return held.count(k) > 0; };
    h.changeDir = [](const char *p) { return Add("changeDir %s", p), strcmp(p, "nowhere") != 0; };
    h.toDataDir = [] {
      if (!dataDir.empty() && chdir(dataDir.c_str()) != 0) Add("toDataDir failed");
    };
    h.freeModels = [] {
      models.clear();
      Add("freeModels");
    };
    h.stepAnimations = [] {};
    h.currentDir = [](char *out, size_t n) { return getcwd(out, n) != nullptr; };
  }
  static size_t Count(const std::string &prefix) {
    size_t n = 0;
    for (const std::string &c : calls) n += c.compare(0, prefix.size(), prefix) == 0;
    return n;
  }
};

// The runtime tests: a fresh runtime, the fake host, and sources compiled and started.
struct ProgRunTest : ProgTest {
  SceneSeam savedHost;
  void SetUp() override {
    ProgTest::SetUp();
    savedHost = g_SceneSeam;
    FakeProgHost::Install();
  }
  void TearDown() override {
    g_SceneSeam = savedHost;
    ProgTest::TearDown();
  }
  static ProgRuntime &Rt() { return *g_ProgEditor.runtime; }
  // Compiles src and starts it as a run does (without the source file).
  static void Start(const std::string &src) {
    ASSERT_TRUE(Prog_CompileText(src.data(), src.size()));
    Rt().running = 1;
    Prog_ResetState();
  }
  static f32 Var(const char *name) {
    const ProgTables &t = Rt().tables;
    for (i32 i = 0; i < t.variableCount; i++)
      if (strcmp(t.variableNames[i], name) == 0) return t.variableValues[i];
    ADD_FAILURE() << "no variable " << name;
    return -12345.0f;
  }
};
