// Shared set-up of the script compiler tests: recording error box, log and timer reset, a
// fresh runtime per test, and Program.KZS images built by hand from the file layout.
#pragma once
#include <gtest/gtest.h>
#include <string.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "file_bytes.h"
#include "model/bytes.h"
#include "model/seam.h"
#include "scene/prog.h"
#include "scene/prog_kzs.h"

typedef std::vector<u8> Blob;

struct ProgTest : ::testing::Test {
  static inline std::vector<std::string> boxes, logs;
  static inline int timerResets = 0;
  CoreSeam saved;
  char cwd[4096] = {0};
  void SetUp() override {
    saved = g_Seam;
    g_Seam.errorBox = [](const char *t) { boxes.push_back(t); };
    g_Seam.logLine = [](const char *t) { logs.push_back(t); };
    g_Seam.timerReset = [] { timerResets++; };
    boxes.clear();
    logs.clear();
    timerResets = 0;
    ASSERT_TRUE(getcwd(cwd, sizeof cwd));
    ASSERT_TRUE(Prog_AllocRuntime());
  }
  void TearDown() override {
    Prog_FreeRuntime();
    g_ProgEditor.editText = nullptr;
    g_ProgEditor.sourceName[0] = g_ProgEditor.sourceFolder[0] = 0;
    g_Seam = saved;
    EXPECT_EQ(chdir(cwd), 0);
  }
  // The runtime's compile as Program.KZS bytes.
  static Blob Written() {
    ByteWriter w = {};
    Kzs_Build(&w, &g_ProgEditor.runtime->tables, g_ProgEditor.runtime->blocks, 1);
    return TakeWriterBytes(&w);
  }
  static Blob Compiled(const std::string &src, bool *ok = nullptr) {
    bool r = Prog_CompileText(src.data(), src.size());
    if (ok) *ok = r;
    return Written();
  }
};

// One statement of a hand-built file; fields not named are 0.
struct KzsStmt {
  i32 code;
  std::vector<f32> A;
  std::vector<i32> V;
  const char *text;
  std::vector<i32> B;
};

struct KzsBytes {
  Blob b;
  KzsBytes &raw(const void *p, size_t n) {
    b.insert(b.end(), (const u8 *)p, (const u8 *)p + n);
    return *this;
  }
  KzsBytes &i32_(i32 v) {
    u8 x[4] = {(u8)v, (u8)((u32)v >> 8), (u8)((u32)v >> 16), (u8)((u32)v >> 24)};
    return raw(x, 4);
  }
  KzsBytes &f32_(f32 v) {
    i32 u;
    memcpy(&u, &v, 4);
    return i32_(u);
  }
  KzsBytes &str(const char *s) { return i32_((i32)strlen(s)).raw(s, strlen(s)); }
  KzsBytes &five(const std::vector<i32> &v) {
    for (size_t k = 0; k < 5; k++) i32_(k < v.size() ? v[k] : 0);
    return *this;
  }
  KzsBytes &stmt(const KzsStmt &s) {
    i32_(s.code);
    for (size_t k = 0; k < 5; k++) f32_(k < s.A.size() ? s.A[k] : 0.0f);
    return str(s.text ? s.text : "").five(s.B).five(s.V);
  }
  // Header, number variables of value 0, one unnamed block.
  static Blob File(const std::vector<const char *> &vars, const std::vector<KzsStmt> &st) {
    KzsBytes k;
    k.raw("KZS ", 4).i32_(2003050).i32_((i32)vars.size());
    for (const char *v : vars) k.str(v).i32_(0).f32_(0.0f);
    k.i32_(1).str("").i32_((i32)st.size());
    for (const KzsStmt &s : st) k.stmt(s);
    return k.b;
  }
};
