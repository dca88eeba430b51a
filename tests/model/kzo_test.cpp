// 3D object sets: a hand-made KZO file reads into the expected fields and is written back
// byte for byte, a three-object chain is posed where the hand computation says, refused and
// damaged files leave the set alone, and objects move and go without losing their keys.
#include <limits.h>
#include <math.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "model_shown.h"
#include "file_bytes.h"
#include "kz_files.h"
#include "kz_samples.h"
#include "model/kzo.h"
#include "model/kzp.h"
#include "model_fixture.h"
#include "model/seam_errorbox.h"


struct KzoTest : ModelTest {
  std::string path = "kzo_test.kzo";
  void SetUp() override {
    ModelTest::SetUp();
    Model3 *part = Model3_New();
    part->positionCount = 0;
    ASSERT_TRUE(Shown(Kzp_Write, part, "kzo_part.kzp"));
    Model3_Free(part);
  }
  void TearDown() override {
    remove(path.c_str());
    remove("kzo_part.kzp");
    ModelTest::TearDown();
  }
  bool Read(const std::vector<u8> &data, i32 n = 0) {
    WriteFileBytes(path, data);
    return Shown(Kzo_Read, n, path.c_str(), Seam_ShowResult);
  }
};

TEST_F(KzoTest, ReadsEveryFieldAndWritesTheSameBytes) {
  ASSERT_TRUE(Read(Kzo())) << (Messages().empty() ? "" : Messages()[0]);
  Obj3Set *s = g_Obj3Sets[0];
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->version, 2005000);
  EXPECT_EQ(s->motionCount, 2);
  EXPECT_STREQ(s->motions[0].name, "run");
  EXPECT_EQ(s->motions[0].length, 40);
  EXPECT_EQ(s->motions[0].keyCount, 2);
  EXPECT_EQ(s->motions[0].keyFrames[1], 20);
  EXPECT_EQ(s->motions[1].used, 0u);
  EXPECT_EQ(s->motions[1].length, 60);   // a fresh motion's values
  EXPECT_EQ(s->objectCount, 3);
  EXPECT_EQ(s->offsets[2][0], 3.0f);
  EXPECT_STREQ(s->parts[1].path, "kzo_part.kzp");
  EXPECT_STREQ(s->parts[0].path, path.c_str());
  EXPECT_EQ(s->parts[1].extra, 7);
  EXPECT_EQ(s->parts[2].parent, 1);
  EXPECT_EQ(s->parts[1].keyLists[1].keys[0].pos[0], 9.0f);   // key of the unused motion
  EXPECT_EQ(s->parts[1].keyLists[0].keys[0].quat[2], kHalf);
  EXPECT_EQ(g_Obj3PartLoaded[0][0], 1u);
  EXPECT_EQ(g_Obj3PartLoaded[0][2], 1u);
  ASSERT_NE(g_Obj3PartModels[0][1], nullptr);
  EXPECT_EQ(g_Obj3PartModels[0][1]->changed, 1u);
  EXPECT_EQ(s->soundCount, 1);

  ASSERT_TRUE(Shown(Kzo_Write, 0, "kzo_test_out.kzo"));
  EXPECT_EQ(FirstDifference(ReadFileBytes("kzo_test_out.kzo"), Kzo()), -1);
  ASSERT_TRUE(Shown(Kzo_Read, 1, "kzo_test_out.kzo", Seam_ShowResult));
  ASSERT_TRUE(Shown(Kzo_Write, 1, "kzo_test_out.kzo"));
  EXPECT_EQ(FirstDifference(ReadFileBytes("kzo_test_out.kzo"), Kzo()), -1);
  remove("kzo_test_out.kzo");
}

TEST_F(KzoTest, ThreeObjectChainIsPosedByHand) {
  ASSERT_TRUE(Read(Kzo()));
  Obj3Set *s = g_Obj3Sets[0];
  for (i32 frame : {0, 10, 30}) {
    s->frame = frame;
    Kzo_UpdatePoses();
    f32 o[3];
    Kzo_GetPartLocalOrigin(0, 2, o);   // offset chain 3 + 1
    EXPECT_NEAR(o[0], 4.0f, 1e-6f);
    Kzo_GetPartWorldOrigin(0, 1, o);
    EXPECT_NEAR(o[0], 1.0f, 1e-5f); EXPECT_NEAR(o[1], 0.0f, 1e-5f);
    // Object 2: parent's world (1, 0, 0) + (3, 0, 0) turned by the parent's rotation
    // (row vectors: (0, -3, 0)) + its key position (0, 1, 0).
    Kzo_GetPartWorldOrigin(0, 2, o);
    EXPECT_NEAR(o[0], 1.0f, 1e-5f) << frame;
    EXPECT_NEAR(o[1], -2.0f, 1e-5f) << frame;
    EXPECT_NEAR(o[2], 0.0f, 1e-5f) << frame;
    const Mat4 &d0 = g_Obj3Poses[0]->drawn[0];
    EXPECT_EQ(d0.m[0][0], 1.0f); EXPECT_EQ(d0.m[3][0], 0.0f);
  }
  EXPECT_EQ(s->keyIndex, 1);
  EXPECT_FLOAT_EQ(s->fraction, 0.5f);   // frame 30: from the last key (20) round to 0 at 40
}

TEST_F(KzoTest, KeySegmentsFollowTheSharedRule) {
  Kzo_NewSet(3);
  Obj3Set *s = g_Obj3Sets[3];
  Obj3Motion *m = &s->motions[0];
  m->length = 40;
  m->keyCount = 2;
  struct { i32 f0, f1, frame, k; f32 t; } cases[] = {
      {0, 20, 10, 0, 0.5f},     // inside a segment
      {10, 20, 5, 1, 25.0f / 30.0f},   // before the first key: wraps through the length
      {10, 10, 10, 1, 0.0f},    // two keys on one frame
      {0, 40, 40, 1, 0.0f},     // wrap span of 0
      {0, 50, 45, 0, 0.9f},     // last key past the motion's end: inside the segment ...
      {0, 50, 55, 1, 0.0f},     // ... and after it a wrap span below 0 gives 0, not a negative
      {INT_MIN, INT_MAX, 0, 0, 0.5f},   // frames far apart: 64-bit spans
      {INT_MIN, INT_MAX, INT_MAX, 1, 0.0f},
  };
  for (auto c : cases) {
    m->keyFrames[0] = c.f0;
    m->keyFrames[1] = c.f1;
    s->frame = c.frame;
    Kzo_FindKeySegment(3);
    EXPECT_EQ(s->keyIndex, c.k) << c.frame;
    EXPECT_FLOAT_EQ(s->fraction, c.t) << c.frame;
    EXPECT_TRUE(isfinite(s->fraction));
  }
  // No keys: every object at the origin, unturned, scale 1.
  m->keyCount = 0;
  s->parts[0].worldPos[0] = 5;
  Kzo_UpdatePoses();
  EXPECT_EQ(s->parts[0].worldPos[0], 0.0f);
  EXPECT_EQ(s->parts[0].scale[1], 1.0f);
}

TEST_F(KzoTest, RefusedAndDamagedFilesLeaveTheSet) {
  ASSERT_TRUE(Read(Kzo()));
  Obj3Set *before = g_Obj3Sets[0];
  Model3 *model = g_Obj3PartModels[0][1];
  std::vector<u8> wrongMagic = Kzo();
  wrongMagic[2] = 'P';
  Messages().clear();
  EXPECT_FALSE(Read(Kzo(2004999)));
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], std::string("\x82\x6a\x82\x79\x82\x6e\x8c\x60\x8e\xae\x82\xcc\x83\x6f\x81\x5b\x83\x57\x83\x87\x83\x93\x82\xaa\x8c\xc3\x82\xa2\x82\xcc\x82\xc5\x0a\x93\xc7\x82\xdd\x8d\x9e\x82\xde\x82\xb1\x82\xc6\x82\xaa\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1\x81\x42\x0a\x0a") + path);
  std::vector<std::vector<u8>> bad = {Kzo(2005001), wrongMagic};
  std::vector<u8> full = Kzo();
  for (size_t n = 0; n < full.size(); n++) bad.push_back(std::vector<u8>(full.begin(), full.begin() + n));
  for (auto &d : bad) {
    Messages().clear();
    ASSERT_FALSE(Read(d));
    ASSERT_EQ(Messages().size(), 1u);
    ASSERT_EQ(g_Obj3Sets[0], before);
    ASSERT_EQ(g_Obj3PartModels[0][1], model);
  }
  Messages().clear();
  EXPECT_FALSE(Shown(Kzo_Read, 0, "", Seam_ShowResult));
  EXPECT_FALSE(Shown(Kzo_Read, 0, "kzo_test_missing.kzo", Seam_ShowResult));
  EXPECT_FALSE(Shown(Kzo_Read, 16, path.c_str(), Seam_ShowResult));
  EXPECT_EQ(Messages().size(), 3u);
  EXPECT_EQ(g_Obj3Sets[0], before);
  EXPECT_EQ(before->objectCount, 3);

  // Capacities: 33 objects, 17 keys, a parent outside the set.
  std::vector<u8> d = Kzo();
  size_t objectCountAt = 3 + 4 + 4 + (4 + 7 + 4 + 4 + 8) + 4;
  d[objectCountAt] = 33;
  EXPECT_FALSE(Read(d));
  d = Kzo();
  d[3 + 4 + 4 + 4 + 7 + 4] = 17;
  EXPECT_FALSE(Read(d));
  d = Kzo();
  d[objectCountAt + 4 + 4 + 12 + 16] = 40;   // object 1's parent
  EXPECT_FALSE(Read(d));
  EXPECT_EQ(g_Obj3Sets[0], before);
}

// Key frames must ascend: a file whose frames go back or repeat is refused by name.
TEST_F(KzoTest, KeyFramesOutOfOrderAreRefusedNamingTheMotion) {
  ASSERT_TRUE(Read(Kzo()));
  Obj3Set *before = g_Obj3Sets[0];
  for (const std::vector<i32> &frames : std::vector<std::vector<i32>>{{1, INT_MIN, 65536}, {0, 20, 20}, {20, 0}}) {
    Messages().clear();
    EXPECT_FALSE(Read(Kzo(2005000, frames)));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0], path + " は、モーション 0「run」のオブジェクト共通のキーフレームが昇順に並んでいないので\n読み込むことができません。");
    EXPECT_EQ(g_Obj3Sets[0], before);
  }
  ASSERT_TRUE(Read(Kzo(2005000, {0, 20, 30})));
}

TEST_F(KzoTest, MovingAndRemovingObjectsKeepsTheirData) {
  ASSERT_TRUE(Read(Kzo()));
  Obj3Set *s = g_Obj3Sets[0];
  g_Obj3PartModels[0][2]->positionCount = 0;
  g_Obj3PartModels[0][2]->lighting = 0;
  EXPECT_FALSE(Kzo_MovePart(nullptr, 2, 1));
  EXPECT_FALSE(Kzo_MovePart(s, 2, 32));
  EXPECT_FALSE(Kzo_MovePart(s, -1, 1));
  Obj3Set stray = {};
  EXPECT_FALSE(Kzo_MovePart(&stray, 2, 1));   // not a set of the table

  ASSERT_TRUE(Kzo_RemovePart(s, 1));
  EXPECT_EQ(s->objectCount, 2);
  EXPECT_EQ(s->offsets[1][0], 3.0f);
  EXPECT_EQ(s->parts[1].keyLists[0].keys[0].pos[1], 1.0f);
  EXPECT_EQ(s->parts[1].extra, 7);   // parent and extra stay with the place
  EXPECT_EQ(g_Obj3PartModels[0][1]->lighting, 0u);   // the model moved in memory, whole
  EXPECT_NE(g_Obj3PartModels[0][1], g_Obj3PartModels[0][2]);
  ASSERT_TRUE(Kzo_RemovePart(s, 1));
  EXPECT_EQ(s->objectCount, 1);
  ASSERT_TRUE(Kzo_RemovePart(s, 0));
  EXPECT_EQ(s->objectCount, 1);   // never below one object
  EXPECT_FALSE(Kzo_RemovePart(nullptr, 0));

  // Re-initialising objects frees what they held (LeakSanitizer checks).
  for (int round = 0; round < 3; round++)
    for (i32 p = 0; p < OBJ3_PARTS; p++) Kzo_NewPart(0, p);
  EXPECT_EQ(s->motionCount, 1);
  EXPECT_EQ(s->motions[5].keyCount, 1);
  Kzo_NewPart(16, 0);
  Kzo_NewPart(0, 32);
}

TEST_F(KzoTest, SmallSetsAndWriterRefusals) {
  Kzo_NewSet(4);
  ASSERT_TRUE(Shown(Kzo_Write, 4, path.c_str()));
  Bytes expect;
  expect.magic("KZO").i32_(2005000).i32_(1).i32_(1).str("\x83\x82\x81\x5b\x83\x56\x83\x87\x83\x93\x96\xbc").i32_(60).i32_(1).i32_(0).i32_(1);
  EXPECT_EQ(FirstDifference(ReadFileBytes(path), expect.b), -1);
  ASSERT_TRUE(Shown(Kzo_Read, 5, path.c_str(), Seam_ShowResult));
  EXPECT_EQ(g_Obj3Sets[5]->objectCount, 1);

  g_Obj3Sets[4]->motions[0].keyCount = 17;
  Messages().clear();
  EXPECT_FALSE(Shown(Kzo_Write, 4, path.c_str()));
  EXPECT_EQ(Messages().size(), 1u);
  EXPECT_FALSE(Shown(Kzo_Write, 9, path.c_str()));   // an empty set slot
  EXPECT_EQ(FirstDifference(ReadFileBytes(path), expect.b), -1);
}

// The object-set walk of a user: a set starts in folder C, an object's model is chosen in
// folder A (the dialog leaves A current and gives the bare name), the set is saved into B;
// read again with C current it finds the model, and saved again it gives the same bytes;
// A and B moved together under a new parent still find it; a model removed is named, its
// object comes back empty and its path is saved again.
TEST_F(KzoTest, ModelsChosenElsewhereAreFoundFromTheSetsFolder) {
  char t[] = "/tmp/kzorefsXXXXXX";
  ASSERT_NE(mkdtemp(t), nullptr);
  std::string root = t, here;
  char cwd[1024];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  here = cwd;
  for (const char *d : {"/p", "/p/A", "/p/B", "/c"}) ASSERT_EQ(mkdir((root + d).c_str(), 0700), 0);
  WriteFileBytes(root + "/p/A/arm.kzp", Kzp(2006000));   // a triangle

  ASSERT_EQ(chdir((root + "/c").c_str()), 0);
  Kzo_NewSet(0);
  ASSERT_EQ(chdir((root + "/p/A").c_str()), 0);
  ASSERT_TRUE(Shown(Kzp_ReadIntoObjectPart, 0, 1, "arm.kzp"));
  ASSERT_EQ(chdir((root + "/c").c_str()), 0);
  ASSERT_TRUE(Shown(Kzo_Write, 0, (root + "/p/B/set.kzo").c_str()));
  EXPECT_STREQ(g_Obj3Sets[0]->parts[1].path, "../A/arm.kzp");
  std::vector<u8> saved = ReadFileBytes(root + "/p/B/set.kzo");
  struct Case {
    const char *what, *set;
    bool found;
  } cases[] = {
      {"read with another folder current", "/p/B/set.kzo", true},
      {"both folders moved", "/q/B/set.kzo", true},
      {"the model removed", "/q/B/set.kzo", false},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    if (std::string(c.set).rfind("/q", 0) == 0 && access((root + "/q").c_str(), F_OK) != 0) {
      ASSERT_EQ(rename((root + "/p").c_str(), (root + "/q").c_str()), 0);
    }
    if (!c.found) { ASSERT_EQ(remove((root + "/q/A/arm.kzp").c_str()), 0); }
    Messages().clear();
    std::string set = root + c.set;
    ASSERT_TRUE(Shown(Kzo_Read, 1, set.c_str(), Seam_ShowResult));
    ASSERT_NE(g_Obj3PartModels[1][1], nullptr);   // an object whose model is not read stays empty
    EXPECT_EQ(g_Obj3PartModels[1][1]->positionCount, c.found ? 3 : 0);
    EXPECT_EQ(Messages().size(), c.found ? 0u : 1u);
    if (!c.found) {
      ASSERT_FALSE(Messages().empty());
      EXPECT_NE(Messages()[0].find("arm.kzp"), std::string::npos) << Messages()[0];
    }
    ASSERT_TRUE(Shown(Kzo_Write, 1, set.c_str()));
    EXPECT_EQ(FirstDifference(ReadFileBytes(set), saved), -1);
  }
  // A model whose path the set's field cannot hold is refused when it is chosen, unread.
  std::string longName = root + "/" + std::string(300, 'l') + ".kzp";
  Messages().clear();
  EXPECT_FALSE(Shown(Kzp_ReadIntoObjectPart, 1, 2, longName.c_str()));
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_NE(Messages()[0].find("覚えておくことができません"), std::string::npos) << Messages()[0];
  EXPECT_EQ(g_Obj3Sets[1]->objectCount, 2);
  ASSERT_EQ(chdir(here.c_str()), 0);
  ASSERT_EQ(system(("rm -rf '" + root + "'").c_str()), 0);
}
