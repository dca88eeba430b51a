// KZA files: hand-built files of the three versions read into the expected fields, refused
// versions and broken hierarchies leave the slot alone, truncation is refused, and
// write-read-write is byte-identical with pivot runs that reach past the pivot table.
#include <gtest/gtest.h>
#include <limits.h>
#include <math.h>

#include "file_bytes.h"
#include "model_shown.h"
#include "model/kza.h"
#include "model/str.h"
#include "tests/model/bone2_testutil.h"

namespace {

void PutObjKey(ByteWriter *w, i32 frame, f32 x, i32 image, i32 alpha) {
  Wr_I32(w, frame);
  Wr_U32(w, 1);
  Wr_F32(w, x);
  Wr_F32(w, -x);
  Wr_F32(w, 2 * x);
  Wr_F32(w, 1.0f);
  Wr_F32(w, 0.5f);
  Wr_I32(w, image);
  Wr_I32(w, 10);
  Wr_I32(w, 20);
  Wr_I32(w, 30);
  Wr_I32(w, alpha);
}

struct KzaSpec {
  i32 version = 2004050;
  i32 parent1 = 0, parent2 = 1;
  i32 objectCount = 3;
  std::vector<i32> object1Frames;   // when set: object 1's keys of motion 0 at these frames
};

// Built field by field from the layout table, independent of the writer.
std::vector<u8> BuildKza(const KzaSpec &s) {
  ByteWriter w = {};
  Wr_Bytes(&w, "KZA", 3);
  Wr_I32(&w, s.version);
  Wr_I32(&w, 2);
  PutName(&w, "a.png");
  for (i32 v : {100, 101, 102, 103, 104}) Wr_I32(&w, v);
  for (i32 v : {200, 201, 202, 203, 204}) Wr_I32(&w, v);
  PutName(&w, "b");
  Wr_I32(&w, 111);
  Wr_I32(&w, 211);
  Wr_I32(&w, 2);
  Wr_U32(&w, 1);
  PutName(&w, "歩く");
  Wr_I32(&w, 30);
  Wr_U32(&w, 0);
  Wr_I32(&w, 20);
  Wr_I32(&w, s.objectCount);
  const char *names[3] = {"", "腕", "手"};
  const i32 parents[3] = {0, s.parent1, s.parent2};
  for (int o = 1; o < s.objectCount; o++) {
    Wr_I32(&w, 1);
    if (s.version == 2004050) PutName(&w, names[o % 3]);
    Wr_I32(&w, parents[o % 3]);
    i32 counts[2] = {o == 1 ? 2 : 1, o == 2 ? 9 : 0};
    bool given = o == 1 && !s.object1Frames.empty();
    if (given) counts[0] = (i32)s.object1Frames.size();
    for (int m = 0; m < 2; m++) {
      Wr_I32(&w, counts[m]);
      for (int k = 0; k < counts[m]; k++)
        PutObjKey(&w, given && m == 0 ? s.object1Frames[k] : k * 10, 1.0f * (o + k), k, 300);
    }
  }
  return TakeWriterBytes(&w);
}

std::vector<u8> BuildKza2003000() {
  ByteWriter w = {};
  Wr_Bytes(&w, "KZA", 3);
  Wr_I32(&w, 2003000);
  Wr_I32(&w, 3);
  Wr_I32(&w, 4);   // the placeholder, here with bytes of its own
  Wr_Bytes(&w, "XXXX", 4);
  PutName(&w, "a.png");
  PutName(&w, "b.png");
  Wr_I32(&w, 45);
  Wr_I32(&w, 3);
  const i32 keys[3][2] = {{0, 0}, {10, 3}, {20, 1}};
  for (auto &k : keys) {
    Wr_I32(&w, k[0]);
    Wr_I32(&w, k[1]);
  }
  return TakeWriterBytes(&w);
}

std::string WriteKza(const char *name, const std::vector<u8> &bytes) {
  std::string path = ScratchPath(name);
  WriteFileBytes(path, bytes.data(), bytes.size());
  return path;
}

i32 WordAt(const std::vector<u8> &b, size_t at) {
  return (i32)((u32)b[at] | (u32)b[at + 1] << 8 | (u32)b[at + 2] << 16 | (u32)b[at + 3] << 24);
}


// A key holding NaN or an infinity in its position, angle or scale is refused, naming the file.
TEST(Kza, NonFiniteKeysAreRefused) {
  TwodSeam seam;
  const std::vector<u8> file = BuildKza(KzaSpec{});
  void (*const sets[])(ObjKey2 *k, f32 v) = {
      [](ObjKey2 *k, f32 v) { k->x = v; },      [](ObjKey2 *k, f32 v) { k->y = v; },
      [](ObjKey2 *k, f32 v) { k->angle = v; },  [](ObjKey2 *k, f32 v) { k->scaleX = v; },
      [](ObjKey2 *k, f32 v) { k->scaleY = v; },
  };
  for (auto set : sets)
    for (f32 v : {NAN, INFINITY, -INFINITY}) {
      char err[512];
      Obj2Model *m = Kza_Parse(file.data(), file.size(), "a.kza", err, sizeof err);
      ASSERT_NE(m, nullptr) << err;
      ASSERT_GT(m->parts[1].keys[0].count, 0);
      set(&m->parts[1].keys[0].keys[0], v);
      ByteWriter w = {};
      ASSERT_TRUE(Kza_Build(m, &w, err, sizeof err));
      Obj2_Free(m);
      EXPECT_EQ(Kza_Parse(w.data, w.size, "poisoned.kza", err, sizeof err), nullptr);
      EXPECT_STREQ(err, "poisoned.kza は、数値に NaN または無限大が含まれているため、読み込むことができませんでした。");
      Wr_Free(&w);
    }
}

}  // namespace

TEST(Kza, HandBuilt2004050ReadsEveryField) {
  TwodSeam seam;
  std::string path = WriteKza("a.kza", BuildKza(KzaSpec()));
  ASSERT_EQ(Shown(Kza_Read, 3, path.c_str()), 1) << (Fakes().errors.empty() ? "" : Fakes().errors[0]);
  Obj2Model *m = g_Obj2Slots[3];
  ASSERT_TRUE(m);
  EXPECT_EQ(g_Obj2SlotShown[3], 1u);
  EXPECT_EQ(m->active, 1u);
  EXPECT_EQ(m->slot, 3);
  EXPECT_STREQ(m->filePath, path.c_str());
  EXPECT_EQ(m->version, 2004050);
  EXPECT_EQ(m->imageCount, 2);
  EXPECT_STREQ(m->imageNames[0], "a.png");
  EXPECT_STREQ(m->imageNames[1], "b");
  // Runs land in the table in file order: image 1's run overwrote entry 1.
  EXPECT_EQ(m->pivotX[0], 100);
  EXPECT_EQ(m->pivotX[1], 111);
  EXPECT_EQ(m->pivotX[4], 104);
  EXPECT_EQ(m->pivotY[0], 200);
  EXPECT_EQ(m->pivotY[1], 211);
  EXPECT_EQ(m->pivotY[4], 204);
  EXPECT_EQ(m->motionCount, 2);
  EXPECT_STREQ(m->motions[0].name, "歩く");
  EXPECT_EQ(m->motions[0].length, 30);
  EXPECT_EQ(m->motions[1].used, 0u);
  EXPECT_EQ(m->motions[1].length, 20);
  EXPECT_EQ(m->objectCount, 3);
  EXPECT_STREQ(m->objectNames[1], "腕");
  EXPECT_STREQ(m->objectNames[2], "手");
  EXPECT_EQ(m->parents[2], 1);
  Obj2Track *t = Obj2_Track(m, 1, 0);
  ASSERT_EQ(t->count, 2);
  EXPECT_EQ(t->keys[1].frame, 10);
  EXPECT_EQ(t->keys[1].x, 2.0f);
  EXPECT_EQ(t->keys[1].y, -2.0f);
  EXPECT_EQ(t->keys[1].scaleY, 0.5f);
  EXPECT_EQ(t->keys[1].image, 1);
  EXPECT_EQ(t->keys[1].a, 300);
  EXPECT_EQ(Obj2_Track(m, 1, 1)->count, 0);
  EXPECT_EQ(Obj2_Track(m, 2, 1)->count, 9);   // past a new track's 8 keys
  ObjKey2 extra = t->keys[0];
  extra.frame = 99;
  EXPECT_EQ(Obj2Track_Insert(t, &extra), 2);   // a track read from the file takes another key
  EXPECT_EQ(t->count, 3);
  // Images were loaded through the seam (opaque black as colour key) with their sizes.
  EXPECT_EQ(Fakes().textureLoads, (std::vector<std::string>{"a.png", "b"}));
  EXPECT_EQ(Obj2_GetImageWidth(3, 0), 64u);
  EXPECT_EQ(Obj2_GetImageHeight(3, 1), 32u);
  EXPECT_EQ(m->pivotX[0], 100);   // 2004050 keeps its pivots
  EXPECT_TRUE(Fakes().errors.empty());
}

TEST(Kza, HandBuilt2004000ReadsWithoutNamesAndCentresPivots) {
  TwodSeam seam;
  KzaSpec s;
  s.version = 2004000;
  std::string path = WriteKza("b.kza", BuildKza(s));
  ASSERT_EQ(Shown(Kza_Read, 4, path.c_str()), 1) << (Fakes().errors.empty() ? "" : Fakes().errors[0]);
  Obj2Model *m = g_Obj2Slots[4];
  EXPECT_EQ(m->version, 2004000);
  EXPECT_STREQ(m->objectNames[1], "");
  EXPECT_EQ(m->parents[2], 1);
  EXPECT_EQ(Obj2_Track(m, 2, 1)->keys[8].frame, 80);
  EXPECT_EQ(m->pivotX[0], 32);   // the centre of a 64 x 32 image, whatever the file held
  EXPECT_EQ(m->pivotY[1], 16);
  EXPECT_EQ(m->pivotX[4], 104);   // entries without an image stay as read
}

TEST(Kza, HandBuilt2003000ReadsOneObject) {
  TwodSeam seam;
  std::string path = WriteKza("c.kza", BuildKza2003000());
  ASSERT_EQ(Shown(Kza_Read, 5, path.c_str()), 1) << (Fakes().errors.empty() ? "" : Fakes().errors[0]);
  Obj2Model *m = g_Obj2Slots[5];
  EXPECT_EQ(m->imageCount, 2);   // the placeholder and its bytes are skipped
  EXPECT_STREQ(m->imageNames[0], "a.png");
  EXPECT_STREQ(m->imageNames[1], "b.png");
  EXPECT_EQ(m->motionCount, 1);
  EXPECT_STREQ(m->motions[0].name, "モーション名");
  EXPECT_EQ(m->motions[0].length, 45);
  EXPECT_EQ(m->objectCount, 2);
  EXPECT_EQ(m->parents[1], 0);
  Obj2Track *t = Obj2_Track(m, 1, 0);
  ASSERT_EQ(t->count, 3);
  EXPECT_EQ(t->keys[0].image, 0);   // stored 0 stays 0
  EXPECT_EQ(t->keys[1].image, 2);   // stored 3 counts from 1
  EXPECT_EQ(t->keys[1].frame, 10);
  EXPECT_EQ(t->keys[1].shown, 1u);
  EXPECT_EQ(t->keys[1].scaleX, 1.0f);
  EXPECT_EQ(t->keys[1].a, 255);
  EXPECT_EQ(m->pivotY[0], 16);
}

TEST(Kza, RefusedFilesLeaveTheSlotAlone) {
  TwodSeam seam;
  Obj2Model *before = Obj2_Init(6);
  struct Case {
    KzaSpec spec;
    const char *magic;
    const char *part;   // expected in the message
  };
  std::vector<Case> cases;
  KzaSpec s;
  s.version = 2002999;
  cases.push_back({s, "KZA", "ＫＺＡ形式のバージョンが古い"});
  s.version = 2004051;
  cases.push_back({s, "KZA", "ＫＺＡ形式のバージョンが新しい"});
  s.version = 2003500;   // no known layout: refused instead of read as an empty model
  cases.push_back({s, "KZA", "ＫＺＡ形式のバージョンが古い"});
  s.version = 2004050;
  cases.push_back({s, "KZB", "ＫＺＡ形式ではありません"});
  s.parent1 = 2;   // 1 -> 2 -> 1
  cases.push_back({s, "KZA", "循環"});
  s.parent1 = 1;   // its own parent
  cases.push_back({s, "KZA", "循環"});
  s.parent1 = 0;
  s.parent2 = 3;   // outside the three objects
  cases.push_back({s, "KZA", "範囲外"});
  s.parent2 = -1;
  cases.push_back({s, "KZA", "範囲外"});
  s.parent2 = 1;
  s.objectCount = 34;
  cases.push_back({s, "KZA", "オブジェクトの数"});
  for (const Case &c : cases) {
    std::vector<u8> bytes = BuildKza(c.spec);
    memcpy(bytes.data(), c.magic, 3);
    std::string path = WriteKza("refused.kza", bytes);
    Fakes().errors.clear();
    EXPECT_EQ(Shown(Kza_Read, 6, path.c_str()), 0) << c.part;
    ASSERT_EQ(Fakes().errors.size(), 1u) << c.part;
    EXPECT_NE(Fakes().errors[0].find(c.part), std::string::npos) << Fakes().errors[0];
    EXPECT_NE(Fakes().errors[0].find(path), std::string::npos);
    EXPECT_EQ(g_Obj2Slots[6], before);
    EXPECT_EQ(before->active, 1u);
  }
  EXPECT_EQ(Shown(Kza_Read, 6, ""), 0);
  EXPECT_EQ(Fakes().errors.back(), "ファイル名が指定されていません。");
  EXPECT_EQ(Shown(Kza_Read, 6, ScratchPath("nothere.kza").c_str()), 0);
  EXPECT_EQ(Fakes().errors.back(), ScratchPath("nothere.kza") + " を開くことができませんでした。");
  EXPECT_EQ(Shown(Kza_Read, 8, ScratchPath("a.kza").c_str()), 0);
  EXPECT_TRUE(Fakes().textureLoads.empty());
  EXPECT_EQ(g_Obj2Slots[6], before);
}

// Key frames that do not ascend are refused by name (both layouts with keys); frames far
// apart still evaluate without overflow; a negative image count of a 2003000 file is damage.
TEST(Kza, KeyFramesOutOfOrderAreRefusedAndExtremeFramesEvaluate) {
  TwodSeam seam;
  Obj2Model *before = Obj2_Init(5);
  const char *tail = "のキーフレームが昇順に並んでいないので\n読み込むことができません。";
  for (const std::vector<i32> &frames : std::vector<std::vector<i32>>{{1, INT_MIN, 65536}, {5, 5}}) {
    KzaSpec s;
    s.object1Frames = frames;
    std::string path = WriteKza("order.kza", BuildKza(s));
    Fakes().errors.clear();
    EXPECT_EQ(Shown(Kza_Read, 5, path.c_str()), 0);
    ASSERT_EQ(Fakes().errors.size(), 1u);
    EXPECT_EQ(Fakes().errors[0], path + " は、モーション 0「歩く」のオブジェクト 1「腕」" + tail);
    EXPECT_EQ(g_Obj2Slots[5], before);
  }
  std::vector<u8> old = BuildKza2003000();
  old[old.size() - 8] = 5;   // third key on frame 5, after frame 10
  std::string path = WriteKza("order2003.kza", old);
  Fakes().errors.clear();
  EXPECT_EQ(Shown(Kza_Read, 5, path.c_str()), 0);
  ASSERT_EQ(Fakes().errors.size(), 1u);
  EXPECT_EQ(Fakes().errors[0], path + " は、モーション 0「モーション名」のオブジェクト 1「」" + tail);
  old = BuildKza2003000();
  old[7] = 0, old[8] = 0, old[9] = 0, old[10] = 0x80;   // image entries INT_MIN
  path = WriteKza("negative.kza", old);
  Fakes().errors.clear();
  EXPECT_EQ(Shown(Kza_Read, 5, path.c_str()), 0);
  ASSERT_EQ(Fakes().errors.size(), 1u);
  EXPECT_EQ(g_Obj2Slots[5], before);

  KzaSpec s;
  s.object1Frames = {INT_MIN, INT_MAX};
  path = WriteKza("extreme.kza", BuildKza(s));
  ASSERT_EQ(Shown(Kza_Read, 5, path.c_str()), 1);
  Obj2Model *m = g_Obj2Slots[5];
  g_Obj2SlotShown[5] = 1;
  for (i32 frame : {INT_MIN, -1, 0, 29, INT_MAX}) {
    m->currentFrame = frame;
    Obj2_UpdateKeyIndices(5);
    EXPECT_TRUE(m->parts[1].fraction >= 0.0f && m->parts[1].fraction <= 1.0f) << frame;
  }
}

TEST(Kza, TruncationAtEveryByteIsRefused) {
  TwodSeam seam;
  Obj2Model *before = Obj2_Init(7);
  std::string path = ScratchPath("cut.kza");
  for (const std::vector<u8> &bytes : {BuildKza(KzaSpec()), BuildKza2003000()}) {
    for (size_t n = 0; n < bytes.size(); n++) {
      WriteFileBytes(path, bytes.data(), n);
      Fakes().errors.clear();
      ASSERT_EQ(Shown(Kza_Read, 7, path.c_str()), 0) << n;
      ASSERT_EQ(Fakes().errors.size(), 1u) << n;
      ASSERT_EQ(g_Obj2Slots[7], before);
    }
  }
}

TEST(Kza, WriteReadWriteIsByteIdentical) {
  TwodSeam seam;
  Obj2Model *m = Obj2_Init(0);
  m->imageCount = 32;
  for (int i = 0; i < 32; i++) {
    Str_Format(m->imageNames[i], 256, "画像%02d.png", i);
    m->pivotX[i] = i * 3;
    m->pivotY[i] = -i;
  }
  // 40 bytes: image 31's second run covers entries 63..102, beyond the pivot table.
  Str_Copy(m->imageNames[31], 256, "a_rather_long_image_name_of_forty_bytes_");
  m->objectCount = 33;
  for (int o = 1; o < 33; o++) {
    m->parents[o] = o - 1;
    Str_Format(m->objectNames[o], 256, "部品%d", o);
  }
  m->motionCount = 2;
  m->motions[1].used = 1;
  Str_Copy(m->motions[1].name, 256, "跳ぶ");
  m->motions[1].length = 90;
  Obj2Track *t = Obj2_Track(m, 32, 1);
  ASSERT_TRUE(Obj2Track_Reserve(t, 12));
  for (int k = 0; k < 12; k++) {
    Obj2_SetNewKey(&t->keys[k]);
    t->keys[k].frame = k * 5;
    t->keys[k].x = 0.5f * k;
  }
  t->count = 12;

  std::string first = ScratchPath("rt1.kza"), second = ScratchPath("rt2.kza");
  ASSERT_EQ(Shown(Kza_Write, 0, first.c_str()), 1);
  ASSERT_EQ(Shown(Kza_Read, 1, first.c_str()), 1) << (Fakes().errors.empty() ? "" : Fakes().errors[0]);
  Obj2Model *r = g_Obj2Slots[1];
  EXPECT_EQ(r->pivotX[31], 93);
  EXPECT_EQ(r->pivotY[31], -31);
  EXPECT_EQ(r->objectCount, 33);
  EXPECT_EQ(r->parents[32], 31);
  EXPECT_EQ(Obj2_Track(r, 32, 1)->count, 12);
  ASSERT_EQ(Shown(Kza_Write, 1, second.c_str()), 1);
  std::vector<u8> a = ReadFileBytes(first), b = ReadFileBytes(second);
  ASSERT_FALSE(a.empty());
  EXPECT_EQ(a, b);

  // The runs past entry 63 carry the record's words after the pivot table: object count,
  // then the parents.
  size_t at = 3 + 4 + 4;
  for (int i = 0; i < 31; i++) at += 4 + strlen(m->imageNames[i]) * 9;
  EXPECT_EQ(WordAt(a, at), 40);
  size_t run2 = at + 4 + 40 + 40 * 4;
  EXPECT_EQ(WordAt(a, run2), -31);        // entry 63: image 31's pivot y
  EXPECT_EQ(WordAt(a, run2 + 4), 33);     // entry 64: the object count
  EXPECT_EQ(WordAt(a, run2 + 8), 0);      // entry 65: parent of object 0
  EXPECT_EQ(WordAt(a, run2 + 12), 0);     // parent of object 1
  EXPECT_EQ(WordAt(a, run2 + 16), 1);     // parent of object 2
  EXPECT_EQ(m->version, 2004050);

  m->imageCount = 33;
  Fakes().errors.clear();
  EXPECT_EQ(Shown(Kza_Write, 0, ScratchPath("rt3.kza").c_str()), 0);
  EXPECT_EQ(Fakes().errors.size(), 1u);
  EXPECT_TRUE(ReadFileBytes(ScratchPath("rt3.kza")).empty());
  m->imageCount = 32;
  EXPECT_EQ(Shown(Kza_Write, 0, ScratchPath("no/such/folder.kza").c_str()), 0);
  EXPECT_EQ(Shown(Kza_Write, 0, ""), 0);
  EXPECT_EQ(Fakes().errors.back(), "ファイル名が指定されていません。");
  EXPECT_EQ(Shown(Kza_Write, 0, first.c_str()), 1);
}
