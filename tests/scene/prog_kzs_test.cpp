// Program.KZS parser: a hand-built file read field by field, write-parse-write identity,
// refusal of every truncation and of out-of-range counts, and tools/modeldump's listing.
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <memory>

#include "prog_fixture.h"
#include "run_tool.h"

struct KzsFileDeleter {
  void operator()(KzsFile *f) const {
    Kzs_Free(f);
    free(f);
  }
};
typedef std::unique_ptr<KzsFile, KzsFileDeleter> KzsPtr;
static KzsPtr NewKzs() { return KzsPtr((KzsFile *)calloc(1, sizeof(KzsFile))); }

static Blob Rebuilt(const KzsFile *f) {
  ByteWriter w = {};
  Kzs_Build(&w, &f->tables, f->blocks, f->blockCount);
  return TakeWriterBytes(&w);
}

// Two variables (a number and a string), two named blocks, B and V set.
static Blob HandFile(i32 version = 2003050, i32 varCount = 2, i32 stmtCount = 1) {
  KzsBytes k;
  k.raw("KZS ", 4).i32_(version).i32_(varCount);
  k.str("n").i32_(0).f32_(2.5f).str("s").i32_(1).str("abc");
  k.i32_(2).str("").i32_(2);
  k.stmt({5, {1, 2, 0, 3, 7}, {-1, 4, 0, -1, 1}, "", {9, 8, 7, 6, 5}}).stmt({6, {10, 20}, {}, "hi"});
  k.str("sub").i32_(stmtCount).stmt({21, {0, 1, 0}, {0, 0, 0, 0, -1}});
  return k.b;
}

TEST_F(ProgTest, AHandBuiltProgramKzsReadsExactlyAndWritesBackTheSameBytes) {
  const Blob file = HandFile();
  KzsPtr f = NewKzs();
  ASSERT_TRUE(Kzs_Parse(file.data(), file.size(), f.get(), nullptr, 0));
  const ProgTables &t = f->tables;
  EXPECT_EQ(f->version, 2003050);
  ASSERT_EQ(t.variableCount, 2);
  EXPECT_STREQ(t.variableNames[0], "n");
  EXPECT_EQ(t.variableValues[0], 2.5f);
  EXPECT_EQ(t.variableKinds[1], 1);
  EXPECT_STREQ(t.variableStrings[1], "abc");
  ASSERT_EQ(f->blockCount, 2);
  const ProgBlock *b0 = f->blocks[0], *b1 = f->blocks[1];
  EXPECT_EQ(b0->statementCount, 2);
  EXPECT_EQ(b0->code[0], 5);
  EXPECT_EQ(b0->A[0][4], 7.0f);
  EXPECT_EQ(b0->B[0][0], 9);
  EXPECT_EQ(b0->V[0][1], 4);
  EXPECT_STREQ(b0->text[1], "hi");
  EXPECT_STREQ(b1->name, "sub");
  EXPECT_EQ(b1->code[0], 21);
  EXPECT_EQ(b1->V[0][4], -1);
  EXPECT_EQ(Rebuilt(f.get()), file);

  // A compiled source: write, parse, write gives the same bytes.
  const Blob compiled = Compiled("Var x\n*a\nx = x + 1\nIf x < 10\nFont 0 0 go\nGo *a\nEnd\nKey Esc\nEnd\nScreenDraw\n");
  ASSERT_TRUE(Kzs_Parse(compiled.data(), compiled.size(), f.get(), nullptr, 0));
  EXPECT_EQ(Rebuilt(f.get()), compiled);
}

TEST_F(ProgTest, TruncatedAndOutOfRangeProgramKzsFilesAreRefused) {
  const Blob file = HandFile();
  KzsPtr f = NewKzs();
  char why[256];
  for (size_t n = 0; n < file.size(); n++) {
    Blob cut(file.begin(), file.begin() + n);
    EXPECT_FALSE(Kzs_Parse(cut.data(), cut.size(), f.get(), why, sizeof why)) << n;
    EXPECT_EQ(f->blockCount, 0);
  }
  Blob trailing = file;
  trailing.push_back(0);
  Blob nul = file;
  nul[16] = 0;   // the variable name "n" becomes a NUL
  Blob magic = file;
  magic[3] = 0;
  for (const Blob &bad : {trailing, nul, magic, HandFile(2003049), HandFile(2003050, 101), HandFile(2003050, -1),
                          HandFile(2003050, 2, 1001)})
    EXPECT_FALSE(Kzs_Parse(bad.data(), bad.size(), f.get(), why, sizeof why));
}

TEST_F(ProgTest, ModeldumpListsAProgramKzs) {
  if (!Test_ToolBuilt("./modeldump")) GTEST_SKIP() << "modeldump not built here";
  const Blob file = Compiled("Var x\nx = 3\nIf x > 2\nEnd\n");
  ASSERT_TRUE(File_WriteAtomic("dump_Program.KZS", file.data(), file.size()));
  std::string out;
  ASSERT_EQ(Test_Modeldump("dump_Program.KZS", &out), 0);
  EXPECT_EQ(out,
            "{\"file\":\"dump_Program.KZS\",\"format\":\"kzs\",\"version\":2003050,\"variables\":[{\"name\":\"x\","
            "\"kind\":0,\"value\":0}],\"blocks\":[{\"name\":\"\",\"statements\":["
            "{\"line\":0,\"code\":0,\"A\":[0,0,0,0,0],\"text\":\"\",\"V\":[0,0,0,0,0]},"
            "{\"line\":1,\"code\":3,\"A\":[0,0,3,0,0],\"text\":\"\",\"V\":[0,0,0,0,0]},"
            "{\"line\":2,\"code\":5,\"A\":[0,0,1,2,3],\"text\":\"\",\"V\":[0,0,0,-1,0]},"
            "{\"line\":3,\"code\":0,\"A\":[0,0,0,0,0],\"text\":\"\",\"V\":[0,0,0,0,0]}]}]}\n");
  remove("dump_Program.KZS");
}
