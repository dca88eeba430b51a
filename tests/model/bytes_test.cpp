// The shared byte cursors: no read past the end, bad counts and lengths refused,
// the atomic writer leaves the old file alone on failure.
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>
#include <string>

#include "model/bytes.h"
#include "model/seam.h"

TEST(ByteReader, EveryFieldRefusesTruncation) {
  const u8 data[] = {1, 2, 3, 4, 5, 6, 7};
  for (size_t size = 0; size < sizeof data; size++) {
    ByteReader r;
    Rd_Init(&r, data, size);
    u32 a = Rd_U32(&r);
    u16 b = Rd_U16(&r);
    u8 c = Rd_U8(&r);
    EXPECT_TRUE(r.err) << size;
    if (size < 4) { EXPECT_EQ(a, 0u); }
    (void)b;
    (void)c;
  }
  ByteReader r;
  Rd_Init(&r, data, sizeof data);
  EXPECT_EQ(Rd_U32(&r), 0x04030201u);
  EXPECT_EQ(Rd_U16BE(&r), 0x0506u);
  EXPECT_EQ(Rd_U8(&r), 7u);
  EXPECT_FALSE(r.err);
  EXPECT_EQ(Rd_U8(&r), 0u);
  EXPECT_TRUE(r.err);
}

TEST(ByteReader, CountsAndNamesAreChecked) {
  ByteWriter w = {};
  Wr_I32(&w, -1);
  Wr_I32(&w, 0x7fffffff);
  Wr_I32(&w, 5);
  Wr_Bytes(&w, "abc", 3);   // length says 5, only 3 bytes follow
  ByteReader r;
  Rd_Init(&r, w.data, w.size);
  EXPECT_EQ(Rd_Count(&r, 100), 0);
  EXPECT_TRUE(r.err);
  Rd_Init(&r, w.data + 4, w.size - 4);
  EXPECT_EQ(Rd_Count(&r, 100), 0);
  EXPECT_TRUE(r.err);
  Rd_Init(&r, w.data + 8, w.size - 8);
  char name[256];
  EXPECT_FALSE(Rd_Name(&r, name, sizeof name));
  EXPECT_TRUE(r.err);
  Wr_Free(&w);

  Wr_Name(&w, "ab");
  Rd_Init(&r, w.data, w.size);
  char small[2];
  EXPECT_FALSE(Rd_Name(&r, small, sizeof small));   // no room for the terminator
  Rd_Init(&r, w.data, w.size);
  EXPECT_TRUE(Rd_Name(&r, name, sizeof name));
  EXPECT_STREQ(name, "ab");
  Wr_Free(&w);
}

TEST(ByteReader, LinesEndWithLfOrCrLf) {
  const char text[] = "10\r\n20\n\n30\r";
  ByteReader r;
  Rd_Init(&r, text, strlen(text));
  char line[8];
  std::string got;
  while (Rd_Line(&r, line, sizeof line)) got += std::string("[") + line + "]";
  EXPECT_EQ(got, "[10][20][][30]");
}

TEST(AtomicWrite, FailedSaveKeepsTheOldFile) {
  const char *path = "atomic_test.bin";
  ASSERT_TRUE(File_WriteAtomic(path, "old", 3));
  // A folder in place of the temporary file makes the write fail.
  remove("atomic_test.bin.tmp");
  ASSERT_EQ(system("mkdir -p atomic_test.bin.tmp"), 0);
  EXPECT_FALSE(File_WriteAtomic(path, "new!", 4));
  FileData f;
  ASSERT_TRUE(File_ReadAll(path, &f));
  EXPECT_EQ(std::string((char *)f.data, f.size), "old");
  File_Free(&f);
  ASSERT_EQ(system("rmdir atomic_test.bin.tmp"), 0);
  EXPECT_TRUE(File_WriteAtomic(path, "new!", 4));
  ASSERT_TRUE(File_ReadAll(path, &f));
  EXPECT_EQ(std::string((char *)f.data, f.size), "new!");
  File_Free(&f);
  remove(path);
}

TEST(TextFormat, CutsAtCharacterBoundary) {
  char buf[6];
  // "あいう" in CP932 is six bytes: only two characters fit with the terminator.
  Str_Format(buf, sizeof buf, "%s", "あいう");
  EXPECT_EQ(strlen(buf), 4u);
  Str_Copy(buf, 4, "あい");
  EXPECT_EQ(strlen(buf), 2u);
}

// Whether a path fit: a cut inside a two-byte character leaves two bytes free, so the
// returned length alone passes a "len >= size - 1" check for a path that was cut.
TEST(TextFormat, FormatAllTellsACutFromAFit) {
  const struct { const char *text; size_t size; bool fits; } cases[] = {
    {"abcde", 6, true}, {"abcdef", 6, false}, {"aあいう", 7, false}, {"aあい", 6, true}, {"", 1, true},
  };
  for (const auto &c : cases) {
    char buf[16];
    EXPECT_EQ(Str_FormatAll(buf, c.size, "%s", c.text), c.fits) << c.text;
    EXPECT_LT(strlen(buf), c.size);
  }
}
