// KZM files: both layouts of a used motion read into the same fields, the writer's layout is
// reproduced byte for byte, sounds are loaded after a read, and refused files change nothing.
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "model_shown.h"
#include "file_bytes.h"
#include "kz_files.h"
#include "kz_samples.h"
#include "model/docref.h"
#include "model/formats/kzm.h"
#include "model/kzp.h"
#include "model/str.h"
#include "model_fixture.h"
#include "model/seam.h"


struct KzmTest : ModelTest {
  std::string path = "kzm_test.kzm";
  static std::vector<std::string> &Loads() {
    static std::vector<std::string> l;
    return l;
  }
  static bool RecordLoad(i32 model, i32 slot, const char *p) {
    Loads().push_back(std::to_string(model) + ":" + std::to_string(slot) + ":" + p);
    return true;
  }
  void SetUp() override {
    ModelTest::SetUp();
    Loads().clear();
    g_Seam.soundLoad = RecordLoad;
  }
  void TearDown() override {
    remove(path.c_str());
    ModelTest::TearDown();
  }
};

TEST_F(KzmTest, BothLayoutsReadTheSameFields) {
  for (bool extra : {false, true}) {
    Model3 *m = Model3_Init(2);
    m->motions[1].length = 77;
    Str_Copy(m->motions[1].name, 256, "kept");
    WriteFileBytes(path, Kzm(extra));
    Loads().clear();
    ASSERT_EQ(Shown(Kzm_Read, 2, path.c_str()), 1) << extra;
    EXPECT_EQ(m->kzmWords[2], 3);
    EXPECT_EQ(m->motionCount, 3);
    EXPECT_STREQ(m->motions[0].name, "idle");
    EXPECT_EQ(m->motions[0].length, 50);   // the list's value wins over the early copy
    EXPECT_EQ(m->motions[1].used, 0u);
    EXPECT_STREQ(m->motions[1].name, "kept");   // an unused motion keeps what it had
    EXPECT_EQ(m->motions[1].length, 77);
    EXPECT_EQ(m->motions[2].length, 10);
    EXPECT_EQ(m->soundCount, 2);
    EXPECT_STREQ(m->sounds[1], "hit.wav");
    ASSERT_EQ(Loads().size(), 1u);   // the placeholder is never loaded
    EXPECT_EQ(Loads()[0], "2:1:hit.wav");
  }
}

TEST_F(KzmTest, WriteReadWriteIsByteIdentical) {
  // Motion 0's length is in the file twice; a file whose copies agree comes back unchanged.
  Model3 *m = Model3_Init(0);
  WriteFileBytes(path, Kzm(false, 2002040, 50));
  ASSERT_EQ(Shown(Kzm_Read, 0, path.c_str()), 1);
  ASSERT_EQ(Shown(Kzm_Write, 0, "kzm_test_out.kzm"), 1);
  EXPECT_EQ(FirstDifference(ReadFileBytes("kzm_test_out.kzm"), Kzm(false, 2002040, 50)), -1);
  // A file in the other layout is written back in the writer's layout.
  WriteFileBytes(path, Kzm(true));
  ASSERT_EQ(Shown(Kzm_Read, 0, path.c_str()), 1);
  ASSERT_EQ(Shown(Kzm_Write, 0, "kzm_test_out.kzm"), 1);
  EXPECT_EQ(FirstDifference(ReadFileBytes("kzm_test_out.kzm"), Kzm(false, 2002040, 50)), -1);
  remove("kzm_test_out.kzm");
  (void)m;
}

// Bytes after a whole file are ignored; the layout is still told by the exact end first, so
// an older writer's file reads as before.
TEST_F(KzmTest, TrailingBytesAfterAWholeFileAreIgnored) {
  for (bool extra : {false, true}) {
    std::vector<u8> file = Kzm(extra);
    if (!extra) file.insert(file.end(), {0, 1, 2, 3, 4});
    Model3 *m = Model3_Init(2);
    WriteFileBytes(path, file);
    ASSERT_EQ(Shown(Kzm_Read, 2, path.c_str()), 1) << extra;
    EXPECT_STREQ(m->motions[0].name, "idle");
    EXPECT_EQ(m->motions[0].length, 50);
    EXPECT_EQ(m->motions[2].length, 10);
    EXPECT_STREQ(m->sounds[1], "hit.wav");
  }
}

TEST_F(KzmTest, RefusalsChangeNothing) {
  Messages().clear();
  WriteFileBytes(path, Kzm(false));
  EXPECT_EQ(Shown(Kzm_Read, 6, path.c_str()), 0);   // empty slot
  EXPECT_EQ(Shown(Kzm_Write, 6, path.c_str()), 0);
  EXPECT_EQ(Shown(Kzm_Read, -1, path.c_str()), 0);
  EXPECT_EQ(Messages().size(), 3u);

  Model3 *m = Model3_Init(1);
  std::vector<u8> wrongMagic = Kzm(false);
  wrongMagic[2] = 'P';
  std::vector<std::vector<u8>> bad = {Kzm(false, 2002039), Kzm(false, 2002041), wrongMagic};
  std::vector<u8> full = Kzm(false);
  for (size_t n = 0; n < full.size(); n++) bad.push_back(std::vector<u8>(full.begin(), full.begin() + n));
  WriteFileBytes(path, Kzm(false, 2002041));
  Messages().clear();
  EXPECT_EQ(Shown(Kzm_Read, 1, path.c_str()), 0);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], std::string("\x82\x6a\x82\x79\x82\x6c\x8c\x60\x8e\xae\x82\xcc\x83\x6f\x81\x5b\x83\x57\x83\x87\x83\x93\x82\xaa\x90\x56\x82\xb5\x82\xa2\x82\xcc\x82\xc5\x0a\x93\xc7\x82\xdd\x8d\x9e\x82\xde\x82\xb1\x82\xc6\x82\xaa\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1\x81\x42\x0a\x8d\xc5\x90\x56\x94\xc5\x82\xd6\x83\x6f\x81\x5b\x83\x57\x83\x87\x83\x93\x83\x41\x83\x62\x83\x76\x82\xb5\x82\xc4\x89\xba\x82\xb3\x82\xa2\x81\x42\x0a\x0a") + path);
  for (auto &d : bad) {
    WriteFileBytes(path, d);
    Messages().clear();
    ASSERT_EQ(Shown(Kzm_Read, 1, path.c_str()), 0);
    ASSERT_EQ(Messages().size(), 1u);
    ASSERT_EQ(m->motionCount, 1);
    ASSERT_EQ(m->soundCount, 1);
    ASSERT_EQ(m->motions[0].length, 60);
  }
  EXPECT_TRUE(Loads().empty());
  Messages().clear();
  EXPECT_EQ(Shown(Kzm_Read, 1, ""), 0);
  EXPECT_EQ(Shown(Kzm_Read, 1, "kzm_test_missing.kzm"), 0);
  EXPECT_EQ(Messages().size(), 2u);
}

// A model's texture (KZP) and a motion file's sound (KZM), each chosen in folder A while
// folder C is current at the start, saved into B: each is kept relative to B, read again
// with C current its loader gets the file in A, and the second save gives the same bytes.
TEST_F(KzmTest, TexturesAndSoundsChosenElsewhereAreFoundFromTheFilesFolder) {
  char t[] = "/tmp/kzmrefsXXXXXX";
  ASSERT_NE(mkdtemp(t), nullptr);
  std::string root = t;
  char cwd[1024];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  for (const char *d : {"/A", "/B", "/C"}) ASSERT_EQ(mkdir((root + d).c_str(), 0700), 0);
  for (const char *f : {"/A/skin.png", "/A/hit.wav"}) WriteFileBytes(root + f, "x", 1);
  static std::vector<std::string> s_textures;
  g_Seam.model3TextureLoad = [](i32, i32, const char *p) { s_textures.push_back(p); };
  struct Case {
    const char *what, *file;
  } cases[] = {{"texture", "/B/m.kzp"}, {"sound", "/B/m.kzm"}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    bool texture = std::string(c.what) == "texture";
    ASSERT_EQ(chdir((root + "/C").c_str()), 0);
    Model3 *m = Model3_Init(3);
    ASSERT_EQ(chdir((root + "/A").c_str()), 0);   // where the dialog leaves the current folder
    char kept[256];
    char *folder = texture ? m->textureFolder : m->soundFolder;
    ASSERT_TRUE(DocRef_Choose(folder, MODEL3_NAME, texture ? "skin.png" : "hit.wav", kept, sizeof kept));
    if (texture) {
      Model3_SetText(&m->textures[1].name, kept);
      m->textures[1].used = 1;
      m->textureCount = 2;
    } else {
      Str_Copy(m->sounds[1], MODEL3_NAME, kept);
      m->soundCount = 2;
    }
    ASSERT_EQ(chdir((root + "/C").c_str()), 0);
    std::string file = root + c.file;
    if (texture) ASSERT_TRUE(Shown(Kzp_Write, m, file.c_str()));
    else ASSERT_EQ(Shown(Kzm_Write, 3, file.c_str()), 1);
    EXPECT_STREQ(texture ? m->textures[1].name : m->sounds[1], texture ? "../A/skin.png" : "../A/hit.wav");
    std::vector<u8> saved = ReadFileBytes(file);
    s_textures.clear();
    Loads().clear();
    if (texture) ASSERT_NE(Shown(Model3_OpenFile, 3, file.c_str()), nullptr);
    else ASSERT_EQ(Shown(Kzm_Read, 3, file.c_str()), 1);
    // The texture loader (the library's) finds the kept name from the model's folder.
    if (texture) {
      ASSERT_EQ(s_textures.size(), 1u);
      char found[1024];
      EXPECT_TRUE(DocRef_Find(Model3_Get(3)->textureFolder, s_textures[0].c_str(), nullptr, 0, found, sizeof found));
      EXPECT_EQ(std::string(found), root + "/A/skin.png");
    } else {
      EXPECT_EQ(Loads(), std::vector<std::string>{"3:1:" + root + "/A/hit.wav"});
    }
    if (texture) ASSERT_TRUE(Shown(Kzp_Write, Model3_Get(3), file.c_str()));
    else ASSERT_EQ(Shown(Kzm_Write, 3, file.c_str()), 1);
    EXPECT_EQ(FirstDifference(ReadFileBytes(file), saved), -1);
  }
  ASSERT_EQ(chdir(cwd), 0);
  ASSERT_EQ(system(("rm -rf '" + root + "'").c_str()), 0);
}
