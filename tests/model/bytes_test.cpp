// The shared byte cursors: no read past the end, bad counts and lengths refused,
// the atomic writer leaves the old file alone on failure and touches no other file.
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>
#include <string>
#include <vector>
#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>
#include <utime.h>

#include "model/bytes.h"
#include "model/str.h"

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

namespace {
std::string ReadText(const std::string &path) {
  FileData f;
  if (!File_ReadAll(path.c_str(), &f)) return "<none>";
  std::string s((char *)f.data, f.size);
  File_Free(&f);
  return s;
}

// Every name in a folder.
std::vector<std::string> Names(const std::string &dir) {
  std::vector<std::string> out;
  DIR *d = opendir(dir.c_str());
  while (dirent *e = d ? readdir(d) : nullptr)
    if (strcmp(e->d_name, ".") && strcmp(e->d_name, "..")) out.push_back(e->d_name);
  if (d) closedir(d);
  std::sort(out.begin(), out.end());
  return out;
}
}  // namespace

// A save that fails at any step says so, leaves the old file whole and leaves no file
// behind; a user's own "<name>.tmp" and "~sav....tmp"-like files beside it are never touched;
// a save into another folder writes there, also through a folder name whose CP932 trail
// byte is "\".
TEST(AtomicWrite, EveryFailureKeepsTheOldFileAndTouchesNoOtherFile) {
  char dir[] = "/tmp/miravel_save_XXXXXX";
  ASSERT_TRUE(mkdtemp(dir));
  const std::string folder = std::string(dir) + "/\x83\x5C";   // "ソ"
  ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
  const std::string path = folder + "/model.kzp";
  ASSERT_TRUE(File_WriteAtomic(path.c_str(), "old", 3));
  // The user's own files of the names a careless save would use.
  ASSERT_TRUE(File_WriteAtomic((path + ".tmp").c_str(), "mine", 4));
  ASSERT_TRUE(File_WriteAtomic((folder + "/~sav00000000.tmp").c_str(), "mine too", 8));
  const std::vector<std::string> before = Names(folder);

  for (u32 step : {SAVE_STEP_CREATE, SAVE_STEP_WRITE, SAVE_STEP_FLUSH, SAVE_STEP_REPLACE}) {
    g_SaveFault = {"model.kzp", step};
    EXPECT_FALSE(File_WriteAtomic(path.c_str(), "new!", 4)) << step;
    g_SaveFault = {};
    EXPECT_EQ(ReadText(path), "old") << step;
    EXPECT_EQ(Names(folder), before) << step;
  }
  for (int i = 0; i < 3; i++) ASSERT_TRUE(File_WriteAtomic(path.c_str(), "new!", 4));
  EXPECT_EQ(ReadText(path), "new!");
  EXPECT_EQ(ReadText(path + ".tmp"), "mine");
  EXPECT_EQ(ReadText(folder + "/~sav00000000.tmp"), "mine too");
  EXPECT_EQ(Names(folder), before);
  // A folder that does not exist, an empty name and a folder alone write nothing.
  EXPECT_FALSE(File_WriteAtomic((folder + "/no/such.kzp").c_str(), "x", 1));
  EXPECT_FALSE(File_WriteAtomic("", "x", 1));
  EXPECT_FALSE(File_WriteAtomic((folder + "/").c_str(), "x", 1));
  EXPECT_EQ(Names(folder), before);
  system(("rm -rf " + std::string(dir)).c_str());
}

TEST(AtomicWrite, NameOffsetSkipsTrailBytes) {
  EXPECT_EQ(File_NameOffset("a.kzp"), 0u);
  EXPECT_EQ(File_NameOffset("C:\\x\\a.kzp"), 5u);
  EXPECT_EQ(File_NameOffset("C:a.kzp"), 2u);
  EXPECT_EQ(File_NameOffset("d/e\\f"), 4u);
  EXPECT_EQ(File_NameOffset("\x83\x5C.kzp"), 0u);          // "ソ.kzp"
  EXPECT_EQ(File_NameOffset("x\\\x83\x5C\\a"), 5u);     // "x\ソ\a"
}

// A file named by a document (bare or with a folder that may no longer hold it) beside that
// document; nothing when the document has no folder, the name no file name, the result does
// not fit or is the name itself.
TEST(AtomicWrite, BesideDocumentTakesTheDocumentsFolderAndTheFileName) {
  struct { const char *doc, *name, *out; size_t size; } const cases[] = {
      {"D:\\m\\a.KZB", "chara.png", "D:\\m\\chara.png", 256},
      {"D:\\m\\a.KZB", "C:\\old\\chara.png", "D:\\m\\chara.png", 256},
      {"/tmp/m/a.KZA", "../x/\x83\x5C.png", "/tmp/m/\x83\x5C.png", 256},   // "ソ.png"
      {"a.KZB", "chara.png", nullptr, 256},                                 // no folder
      {"D:\\m\\a.KZB", "C:\\old\\", nullptr, 256},                          // no file name
      {"D:\\m\\a.KZB", "D:\\m\\chara.png", nullptr, 256},                   // the same file
      {"D:\\m\\a.KZB", "chara.png", nullptr, 14},                           // 14 bytes + NUL
      {"D:\\m\\a.KZB", "chara.png", "D:\\m\\chara.png", 15},
      {nullptr, "chara.png", nullptr, 256},
  };
  for (const auto &c : cases) {
    char out[256] = "";
    EXPECT_EQ(File_BesideDocument(out, c.size, c.doc, c.name), c.out != nullptr) << c.name << " " << c.size;
    if (c.out) { EXPECT_STREQ(out, c.out); }
  }
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

// Runs of records: one range check for the whole run (a short run reads nothing and sets err;
// a count whose byte size overflows is refused), the bytes the per-field calls would write,
// and the per-field byte swap a big-endian host applies.
TEST(ByteRuns, RecordsReadAndWriteAsTheirFields) {
  struct Rec {
    u16 a, b;
    f32 c;
    u32 d;
  };
  const Rec recs[3] = {{1, 0x0203, 1.5f, 0x04050607}, {0xFFFF, 0, -2.0f, 9}, {7, 8, 0.0f, 0xA0B0C0D0}};
  ByteWriter fields = {}, run = {};
  for (const Rec &r : recs) {
    Wr_U16(&fields, r.a);
    Wr_U16(&fields, r.b);
    Wr_F32(&fields, r.c);
    Wr_U32(&fields, r.d);
  }
  Wr_Run(&run, recs, 3, "2244");
  ASSERT_EQ(run.size, fields.size);
  EXPECT_EQ(memcmp(run.data, fields.data, run.size), 0);

  for (size_t size = 0; size <= run.size; size++) {
    ByteReader r;
    Rd_Init(&r, run.data, size);
    Rec got[3] = {};
    bool ok = Rd_Run(&r, got, 3, "2244");
    EXPECT_EQ(ok, size == run.size) << size;
    EXPECT_EQ(r.err, !ok) << size;
    EXPECT_EQ(Rd_Tell(&r), ok ? run.size : 0u) << size;
    if (ok) { EXPECT_EQ(memcmp(got, recs, sizeof recs), 0); }
  }
  ByteReader r;
  Rd_Init(&r, run.data, run.size);
  EXPECT_FALSE(Rd_Run(&r, nullptr, (u64)-1 / 3, "444"));   // count * 12 wraps in 64 bits
  EXPECT_TRUE(r.err);

  u8 swapped[12];
  memcpy(swapped, fields.data, 12);
  Bytes_SwapFields(swapped, 1, "2244");
  const u8 want[12] = {fields.data[1], fields.data[0], fields.data[3], fields.data[2], fields.data[7],
                       fields.data[6], fields.data[5], fields.data[4], fields.data[11], fields.data[10],
                       fields.data[9], fields.data[8]};
  EXPECT_EQ(memcmp(swapped, want, 12), 0);
  Wr_Free(&fields);
  Wr_Free(&run);
}

// A save removes the temporaries a killed save left in its folder ("~sav" + 8 lower-case hex
// digits + ".tmp", older than the program's start) and nothing else: not one of this run,
// not a name of another form, not a file in another folder.
TEST(AtomicWrite, LeftOverTemporariesOfEarlierRunsAreRemoved) {
  char dir[] = "/tmp/miravel_stale_XXXXXX";
  ASSERT_TRUE(mkdtemp(dir));
  const std::string folder = dir, other = folder + "/other";
  ASSERT_EQ(mkdir(other.c_str(), 0755), 0);
  const char *const stale[] = {"~sav0123abcd.tmp", "~savffffffff.tmp"};
  const char *const kept[] = {"~sav0123ABCD.tmp", "~sav0123abc.tmp", "~sav0123abcde.tmp", "x~sav0123abcd.tmp",
                              "~sav0123abcd.tmp.bak", "~sav0123abcg.tmp"};
  struct utimbuf old = {time(nullptr) - 3600, time(nullptr) - 3600};
  // Every file is written first and made old after: a save removes old temporaries.
  std::vector<std::string> all;
  for (const char *n : stale) all.insert(all.end(), {folder + "/" + n, other + "/" + n});
  for (const char *n : kept) all.push_back(folder + "/" + n);
  for (const std::string &p : all) ASSERT_TRUE(File_WriteAtomic(p.c_str(), "left", 4));
  for (const std::string &p : all) ASSERT_EQ(utime(p.c_str(), &old), 0);
  ASSERT_TRUE(File_WriteAtomic((folder + "/~sav00000001.tmp").c_str(), "this run", 8));   // not older
  ASSERT_TRUE(File_WriteAtomic((folder + "/model.kzp").c_str(), "new", 3));
  std::vector<std::string> want = {"model.kzp", "other", "~sav00000001.tmp"};
  for (const char *n : kept) want.push_back(n);
  std::sort(want.begin(), want.end());
  EXPECT_EQ(Names(folder), want);
  EXPECT_EQ(Names(other).size(), 2u);   // another folder's temporaries wait for a save there
  EXPECT_TRUE(File_IsSaveTemporaryName("~sav0123abcd.tmp"));
  EXPECT_FALSE(File_IsSaveTemporaryName("~sav0123abcd.tm"));
  system(("rm -rf " + folder).c_str());
}

// A failed save's message names the folder and says why, as the system reported it.
TEST(AtomicWrite, FailedSaveSaysTheFolderAndTheReason) {
  char text[512];
  EXPECT_FALSE(File_WriteAtomic("/tmp/miravel_no_such_folder/x.kzp", "x", 1));
  EXPECT_EQ(File_LastSaveReason(), (u32)SAVE_REASON_PATH_NOT_FOUND);
  File_SaveFailureText("/tmp/miravel_no_such_folder/x.kzp", text, sizeof text);
  EXPECT_STREQ(text,
               "/tmp/miravel_no_such_folder/x.kzp に保存することができませんでした。\n\n保存先のフォルダ: "
               "/tmp/miravel_no_such_folder\n理由: 保存先のフォルダが見つかりません。");
  // Said once: a later failure that never reached the disk has no system reason to give.
  File_SaveFailureText("/tmp/a.kzp", text, sizeof text);
  EXPECT_STREQ(text, "/tmp/a.kzp に保存することができませんでした。");
  char dir[] = "/tmp/miravel_ro_XXXXXX";
  ASSERT_TRUE(mkdtemp(dir));
  const std::string path = std::string(dir) + "/y.kzp";
  if (geteuid() != 0) {   // root writes anywhere
    chmod(dir, 0555);
    EXPECT_FALSE(File_WriteAtomic(path.c_str(), "x", 1));
    EXPECT_EQ(File_LastSaveReason(), (u32)SAVE_REASON_ACCESS_DENIED);
    chmod(dir, 0755);
  }
  g_SaveFault = {"y.kzp", SAVE_STEP_WRITE};
  EXPECT_FALSE(File_WriteAtomic(path.c_str(), "x", 1));
  g_SaveFault = {};
  EXPECT_EQ(File_LastSaveReason(), (u32)SAVE_REASON_ACCESS_DENIED);
  rmdir(dir);
}
