// The rule by which documents keep the files they name: kept relative to the document, found
// again from the document first, then where older files were found, and re-kept when the
// document is saved into another folder; a pair of folders moved as a whole still opens.
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "model/docref.h"
#include "tests/support/file_bytes.h"

namespace {

struct DocRefTest : testing::Test {
  std::string root, here;
  void SetUp() override {
    char t[] = "/tmp/docrefXXXXXX";
    ASSERT_NE(mkdtemp(t), nullptr);
    root = t;
    char cwd[1024];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    here = cwd;
    for (const char *d : {"/p", "/p/A", "/p/B", "/p/B/sub", "/data", "/data/map", "/cur"}) mkdir((root + d).c_str(), 0700);
    for (const char *f : {"/p/A/part.kzp", "/p/B/sub/tile.png", "/p/B/own.wav", "/data/map/old.png", "/cur/cwd.png",
                          "/p/B/moved.png"})
      WriteFileBytes(root + f, "x", 1);
    ASSERT_EQ(chdir((root + "/cur").c_str()), 0);
  }
  void TearDown() override {
    ASSERT_EQ(chdir(here.c_str()), 0);
    std::string cmd = "rm -rf '" + root + "'";
    ASSERT_EQ(system(cmd.c_str()), 0);
  }
  std::string Full(const std::string &p) {
    char out[1024];
    EXPECT_TRUE(DocRef_FullPath(p.c_str(), out, sizeof out)) << p;
    return out;
  }
};

TEST_F(DocRefTest, FullPathsAreTidyAndKeepDoubleByteNames) {
  struct Case {
    std::string in, want;
  } cases[] = {
      {"/a/./b/../c", "/a/c"},
      {"/a//b/", "/a/b"},
      {"/../a", "/a"},                  // never above the root
      {"x.png", root + "/cur/x.png"},   // from the current folder
      {"../p/A\\part.kzp", root + "/p/A/part.kzp"},
      {"/\x95\x5c/x", "/\x95\x5c/x"},   // a trail byte equal to "\" is no separator
      {"C:\\a\\..\\b", "C:/b"},
  };
  for (const Case &c : cases) EXPECT_EQ(Full(c.in), c.want) << c.in;
  char small[8];
  EXPECT_FALSE(DocRef_FullPath("/a/b/c/d/e", small, sizeof small));
  EXPECT_FALSE(DocRef_FullPath("", small, sizeof small));
  char folder[1024];
  ASSERT_TRUE(DocRef_Folder("doc.kzo", folder, sizeof folder));
  EXPECT_EQ(std::string(folder), root + "/cur");
}

TEST_F(DocRefTest, FilesAreKeptRelativeToTheDocumentsFolder) {
  std::string b = root + "/p/B";
  struct Case {
    std::string file, want;
  } cases[] = {
      {root + "/p/A/part.kzp", "../A/part.kzp"},
      {root + "/p/B/own.wav", "own.wav"},
      {root + "/p/B/sub/tile.png", "sub/tile.png"},
      {"cwd.png", "../../cur/cwd.png"},   // a name from the current folder
      {"/elsewhere/x.png", "../../../../elsewhere/x.png"},
      {"C:\\x.png", "C:/x.png"},          // another drive keeps the full path
  };
  for (const Case &c : cases) {
    char out[256];
    ASSERT_TRUE(DocRef_Keep(b.c_str(), c.file.c_str(), out, sizeof out)) << c.file;
    EXPECT_EQ(std::string(out), c.want) << c.file;
  }
  char out[256];
  ASSERT_TRUE(DocRef_Keep("", "cwd.png", out, sizeof out));   // no folder yet: the full path
  EXPECT_EQ(std::string(out), root + "/cur/cwd.png");
  char tiny[6];
  EXPECT_FALSE(DocRef_Keep(b.c_str(), (root + "/p/A/part.kzp").c_str(), tiny, sizeof tiny));
}

TEST_F(DocRefTest, KeptNamesAreFoundFromTheDocumentThenTheOlderPlaces) {
  std::string b = root + "/p/B", mapDir = root + "/data/map";
  const char *bases[] = {mapDir.c_str()};
  struct Case {
    const char *kept;
    bool found;
    std::string where;
  } cases[] = {
      {"../A/part.kzp", true, root + "/p/A/part.kzp"},
      {"sub/tile.png", true, root + "/p/B/sub/tile.png"},
      {"old.png", true, root + "/data/map/old.png"},         // a bare name of the data folder
      {"cwd.png", true, root + "/cur/cwd.png"},              // then the current folder
      {"gone/moved.png", true, root + "/p/B/moved.png"},     // then its name beside the document
      {"missing.png", false, root + "/p/B/missing.png"},     // expected beside the document
      {"", false, ""},
  };
  for (const Case &c : cases) {
    char out[512];
    EXPECT_EQ(DocRef_Find(b.c_str(), c.kept, bases, 1, out, sizeof out), c.found) << c.kept;
    EXPECT_EQ(std::string(out), c.where) << c.kept;
  }
  char out[512];
  std::string full = root + "/p/A/part.kzp";
  EXPECT_TRUE(DocRef_Find(b.c_str(), full.c_str(), nullptr, 0, out, sizeof out));
  EXPECT_FALSE(DocRef_Find("", "missing.png", nullptr, 0, out, sizeof out));
  EXPECT_STREQ(out, "missing.png");
}

TEST_F(DocRefTest, SavingElsewhereReKeepsAndMovingBothFoldersStillFinds) {
  std::string a = root + "/p/A", b = root + "/p/B", cur = root + "/cur", mapDir = root + "/data/map";
  const char *bases[] = {mapDir.c_str()};
  std::string deep = b;   // a folder from which A's relative form passes 255 bytes
  while (deep.size() < b.size() + 200) deep += "/d";
  struct Case {
    std::string from, to, kept, want;
  } cases[] = {
      {b, b, "old.png", "old.png"},                      // its own folder: as it was read
      {b, b, root + "/p/A/part.kzp", "../A/part.kzp"},   // a full name chosen before the first save
      {cur, b, "../p/A/part.kzp", "../A/part.kzp"},
      {cur, b, "old.png", "old.png"},                    // found in the data folder, as from anywhere
      {mapDir, b, "old.png", "old.png"},                 // a document of the data folder itself
      {cur, b, "none.png", "../../cur/none.png"},        // missing: where it was expected
      {"", b, "cwd.png", "../../cur/cwd.png"},
      {"", b, "nowhere.png", "nowhere.png"},             // no folder and missing: as it was
      // A new document's name, kept from the data folder but climbing out of it: re-kept.
      {mapDir, b, "../../p/A/part.kzp", "../A/part.kzp"},
      {a, deep, "part.kzp", root + "/p/A/part.kzp"},     // the relative form too long: the full path
  };
  for (const Case &c : cases) {
    char kept[256];
    snprintf(kept, sizeof kept, "%s", c.kept.c_str());
    DocRef_Rebase(c.from.c_str(), c.to.c_str(), kept, sizeof kept, bases, 1);
    EXPECT_EQ(std::string(kept), c.want) << c.from << " " << c.kept;
  }
  // The set in B keeps the part in A; both move under a new parent and it is found there.
  char kept[256];
  ASSERT_TRUE(DocRef_Keep(b.c_str(), (a + "/part.kzp").c_str(), kept, sizeof kept));
  ASSERT_EQ(rename((root + "/p").c_str(), (root + "/q").c_str()), 0);
  char out[512];
  EXPECT_TRUE(DocRef_Find((root + "/q/B").c_str(), kept, nullptr, 0, out, sizeof out));
  EXPECT_EQ(std::string(out), root + "/q/A/part.kzp");
  // A name that does not fit its field is left as it was, and the save is told.
  char small[8] = "a.png";
  EXPECT_FALSE(DocRef_Rebase(cur.c_str(), b.c_str(), small, sizeof small, nullptr, 0));
  EXPECT_STREQ(small, "a.png");
}

}   // namespace
