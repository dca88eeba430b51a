// KZB files: hand-built files of both versions read into the expected fields, refused
// versions and formats leave the slot alone, counts beyond capacity and truncation are
// refused, and write-read-write is byte-identical.
#include <gtest/gtest.h>
#include <limits.h>
#include <math.h>

#include "file_bytes.h"
#include "model_shown.h"
#include "model/kzb.h"
#include "tests/model/bone2_testutil.h"

namespace {

struct KzbSpec {
  i32 version = 2004000;
  i32 boneCount = 2;
  i32 motionCount = 2;
  i32 groupCount = 1;
  i32 textureCount = 2;
  u8 secondCorners = 4;
  u16 firstVertex = 0;
  i32 groupTexture = 0;
  i32 manyKeys = 0;   // extra keys on bone 1, motion 0
  std::vector<i32> bone1Frames;   // when set: bone 1's keys of motion 0 at these frames
};

// Built field by field from the layout table, independent of the writer.
std::vector<u8> BuildKzb(const KzbSpec &s) {
  ByteWriter w = {};
  Wr_Bytes(&w, "KZB", 3);
  Wr_I32(&w, s.version);
  Wr_U16(&w, 3);
  Wr_U16(&w, 1);
  Wr_U16(&w, 2);
  const f32 pos[6] = {1, 2, 3, 4, 5, 6};
  for (f32 v : pos) Wr_F32(&w, v);
  for (f32 v : {10.0f, 20.0f, 30.0f, 40.0f}) Wr_F32(&w, v);
  for (f32 v : {0.5f, 0.25f, 1.0f, 0.0f}) Wr_F32(&w, v);
  const u16 bones[3][2] = {{1, 0}, {1, 2}, {0, 0}};
  const f32 weights[3] = {1.0f, 0.5f, 1.0f};
  for (int v = 0; v < 3; v++) {
    Wr_U16(&w, bones[v][0]);
    Wr_U16(&w, bones[v][1]);
    Wr_F32(&w, weights[v]);
    Wr_U32(&w, v);
  }
  Wr_U16(&w, 2);
  const u16 corners[4][3] = {{s.firstVertex, 0, 0}, {1, 0, 1}, {2, 0, 1}, {0, 0, 0}};
  for (int p = 0; p < 2; p++) {
    u8 k = p == 0 ? 3 : s.secondCorners;
    Wr_U32(&w, 1);
    Wr_U8(&w, k);
    for (int c = 0; c < k; c++) {
      for (int i = 0; i < 3; i++) Wr_U16(&w, corners[c % 4][i]);
      for (int i = 0; i < 10; i++) Wr_U8(&w, 0xEE);   // filler the reader skips
    }
    Wr_U32(&w, (u32)p);
  }
  Wr_U16(&w, (u16)s.textureCount);
  for (int t = 0; t < s.textureCount; t++) {
    Wr_U32(&w, t == 0 ? 1 : 0);
    if (t == 0) PutName(&w, "face.png");
  }
  Wr_I32(&w, s.groupCount);
  for (int g = 0; g < s.groupCount; g++) {
    PutName(&w, "体");
    Wr_I32(&w, s.groupTexture);
    for (f32 v : {1.0f, 2.0f, 3.0f, 4.0f}) Wr_F32(&w, v);
    Wr_I32(&w, 3);
    Wr_U8(&w, 5);
    for (f32 v : {0.1f, 0.2f, 0.3f, 0.4f, 0.5f}) Wr_F32(&w, v);
  }
  Wr_I32(&w, 0);
  Wr_I32(&w, 1);
  Wr_I32(&w, 7);
  Wr_F32(&w, 2.5f);
  Wr_I32(&w, s.motionCount);
  for (int m = 0; m < s.motionCount; m++) {
    Wr_U32(&w, m == 0 ? 1 : 0);
    if (m == 0) {
      PutName(&w, "歩く");
      Wr_I32(&w, 40);
    }
  }
  Wr_I32(&w, s.boneCount);
  for (int b = 0; b < s.boneCount; b++) {
    PutName(&w, b == 0 ? "根" : "");
    Wr_I32(&w, b == 0 ? 0 : b - 1);
    for (f32 v : {5.0f * b, 6.0f * b, 7.0f * b, 1.0f + b, 1.0f + 2 * b}) Wr_F32(&w, v);
    for (int m = 0; m < s.motionCount; m++) {
      i32 nk = m == 0 ? 1 + b + (b == 1 ? s.manyKeys : 0) : (b == 1 ? 1 : 0);
      bool given = m == 0 && b == 1 && !s.bone1Frames.empty();
      if (given) nk = (i32)s.bone1Frames.size();
      Wr_I32(&w, nk);
      for (int k = 0; k < nk; k++) {
        Wr_I32(&w, given ? s.bone1Frames[k] : k * 10);
        for (f32 v : {1.0f * k, 2.0f * k, 3.0f * k, 1.0f, 1.5f}) Wr_F32(&w, v);
      }
    }
  }
  return TakeWriterBytes(&w);
}

std::string WriteKzb(const char *name, const std::vector<u8> &bytes) {
  std::string path = ScratchPath(name);
  WriteFileBytes(path, bytes.data(), bytes.size());
  return path;
}


// A file holding NaN or an infinity in any float the model keeps is refused, naming the file.
TEST(Kzb, NonFiniteValuesAreRefused) {
  TwodSeam seam;
  const std::vector<u8> file = BuildKzb(KzbSpec{});
  const struct {
    const char *what;
    void (*set)(Bone2Model *m, f32 v);
  } cases[] = {
      {"position", [](Bone2Model *m, f32 v) { m->positions[0].y = v; }},
      {"colour", [](Bone2Model *m, f32 v) { m->colours[0].a = v; }},
      {"uv", [](Bone2Model *m, f32 v) { m->uvs[0].u = v; }},
      {"weight", [](Bone2Model *m, f32 v) { m->bindings[0].weight = v; }},
      {"group colour", [](Bone2Model *m, f32 v) { m->groups[0].g = v; }},
      {"group mapping", [](Bone2Model *m, f32 v) { m->groups[0].p[4] = v; }},
      {"reserved", [](Bone2Model *m, f32 v) { m->reservedFloat = v; }},
      {"bone rest", [](Bone2Model *m, f32 v) { m->rest[1].angle = v; }},
      {"bone key", [](Bone2Model *m, f32 v) { m->bones[1].keys[0].keys[0].scaleX = v; }},
  };
  for (const auto &c : cases)
    for (f32 v : {NAN, INFINITY, -INFINITY}) {
      char err[512];
      Bone2Model *m = Kzb_Parse(file.data(), file.size(), "a.kzb", err, sizeof err);
      ASSERT_NE(m, nullptr) << err;
      c.set(m, v);
      ByteWriter w = {};
      ASSERT_TRUE(Kzb_Build(m, &w, err, sizeof err)) << c.what;
      Bone2_Free(m);
      EXPECT_EQ(Kzb_Parse(w.data, w.size, "poisoned.kzb", err, sizeof err), nullptr) << c.what;
      EXPECT_STREQ(err, "poisoned.kzb は、数値に NaN または無限大が含まれているため、読み込むことができませんでした。") << c.what;
      Wr_Free(&w);
    }
}

}  // namespace

TEST(Kzb, HandBuilt2004000ReadsEveryField) {
  TwodSeam seam;
  std::string path = WriteKzb("a.kzb", BuildKzb(KzbSpec()));
  ASSERT_EQ(Shown(Kzb_Read, 4, path.c_str()), 1) << (Fakes().errors.empty() ? "" : Fakes().errors[0]);
  Bone2Model *m = g_Bone2Slots[4];
  ASSERT_TRUE(m);
  EXPECT_EQ(g_Bone2SlotShown[4], 1u);
  EXPECT_EQ(m->slot, 4);
  EXPECT_EQ(m->version, 2004000);
  EXPECT_STREQ(m->name, path.c_str());
  EXPECT_EQ(m->vertexCount, 3);
  EXPECT_EQ(m->colourCount, 1);
  EXPECT_EQ(m->uvCount, 2);
  EXPECT_EQ(m->positions[2].y, 6.0f);
  EXPECT_EQ(m->colours[0].a, 40.0f);
  EXPECT_EQ(m->uvs[0].v, 0.25f);
  EXPECT_EQ(m->bindings[1].bone2, 2);
  EXPECT_EQ(m->bindings[1].weight, 0.5f);
  EXPECT_EQ(m->bindings[2].automatic, 2u);
  ASSERT_EQ(m->polygonCount, 2);
  EXPECT_EQ(m->polygons[0].cornerCount, 3);
  EXPECT_EQ(m->polygons[0].corners[2].vertex, 2);
  EXPECT_EQ(m->polygons[0].corners[2].uv, 1);
  EXPECT_EQ(m->polygons[0].corners[3].vertex, 0);   // no filler bytes taken in
  EXPECT_EQ(m->polygons[1].cornerCount, 4);
  EXPECT_EQ(m->polygons[1].group, 1u);
  EXPECT_EQ(m->textureCount, 2);
  EXPECT_STREQ(m->textures[0].name, "face.png");
  EXPECT_EQ(m->textures[1].used, 0u);
  EXPECT_EQ(m->groupCount, 1);
  EXPECT_STREQ(m->groups[0].name, "体");
  EXPECT_EQ(m->groups[0].shadeMode, 3);
  EXPECT_EQ(m->groups[0].mappingKind, 5);
  EXPECT_EQ(m->groups[0].p[4], 0.5f);
  EXPECT_EQ(m->vertexColourFlag, 1);
  EXPECT_EQ(m->reservedWord, 7);
  EXPECT_EQ(m->reservedFloat, 2.5f);
  EXPECT_EQ(m->motionCount, 2);
  EXPECT_STREQ(m->motions[0].name, "歩く");
  EXPECT_EQ(m->motions[0].length, 40);
  EXPECT_EQ(m->motions[1].used, 0u);
  EXPECT_EQ(m->boneCount, 2);
  EXPECT_STREQ(m->bones[0].name, "根");
  EXPECT_EQ(m->rest[1].x, 5.0f);
  EXPECT_EQ(m->rest[1].scaleY, 3.0f);
  EXPECT_EQ(m->keyTableLength, 2);
  Bone2Track *t = Bone2_Track(m, 1, 0);
  ASSERT_TRUE(t);
  EXPECT_EQ(t->count, 2);
  EXPECT_EQ(t->capacity, 2);   // a track the reader made holds exactly its keys
  EXPECT_EQ(t->keys[1].frame, 10);
  EXPECT_EQ(t->keys[1].angle, 3.0f);
  BoneKey2 extra = {5, 9, 9, 9, 1, 1};   // ... and still takes another one, in frame order
  EXPECT_EQ(Bone2Track_Insert(t, &extra), 1);
  EXPECT_EQ(t->count, 3);
  EXPECT_EQ(t->keys[2].frame, 10);
  EXPECT_EQ(Bone2_Track(m, 0, 1)->count, 0);
  EXPECT_EQ(m->displayMode, 2);
  ASSERT_EQ(Fakes().textureLoads.size(), 1u);
  EXPECT_EQ(Fakes().textureLoads[0], "4/0/face.png");
  EXPECT_TRUE(Fakes().errors.empty());
  Bone2_FreeSlot(4);
}

TEST(Kzb, Version2004020ReadsAlikeExceptEmptyBoneNames) {
  TwodSeam seam;
  KzbSpec s;
  std::string a = WriteKzb("v0.kzb", BuildKzb(s));
  s.version = 2004020;
  std::string b = WriteKzb("v20.kzb", BuildKzb(s));
  g_ModelAllocArrays = 1;
  ASSERT_EQ(Shown(Kzb_Read, 0, a.c_str()), 1);
  EXPECT_STREQ(g_Bone2Slots[0]->bones[1].name, "ボーン_01");   // an empty name keeps the default
  EXPECT_EQ(g_Bone2Slots[0]->keyTableLength, 100);
  g_ModelAllocArrays = 1;
  ASSERT_EQ(Shown(Kzb_Read, 1, b.c_str()), 1);
  Bone2Model *m = g_Bone2Slots[1];
  EXPECT_EQ(m->version, 2004020);
  EXPECT_STREQ(m->bones[1].name, "");
  EXPECT_STREQ(m->bones[0].name, "根");
  EXPECT_EQ(m->positions[1].x, 3.0f);
  EXPECT_EQ(m->vertexCapacity, (i32)g_MaxVertices);
  EXPECT_EQ(Bone2_Track(m, 1, 1)->keys[0].scaleY, 1.5f);
  // Written back it carries the current version.
  std::string out = ScratchPath("v20-out.kzb");
  ASSERT_EQ(Shown(Kzb_Write, 1, out.c_str()), 1);
  std::vector<u8> bytes = ReadFileBytes(out);
  ASSERT_GE(bytes.size(), 7u);
  EXPECT_EQ(bytes[3] | bytes[4] << 8 | bytes[5] << 16 | bytes[6] << 24, 2004000);
  Bone2_FreeAll();
}

TEST(Kzb, RefusedFilesLeaveTheSlotAlone) {
  TwodSeam seam;
  Bone2Model *before = Bone2_Init(2);
  g_Bone2SlotShown[2] = 0;
  struct Case {
    i32 version;
    const char *magic;
    const char *start;   // expected start of the message
  } cases[] = {
      {2003999, "KZB", "ＫＺＢ形式のバージョンが古い"},
      {2004021, "KZB", "ＫＺＢ形式のバージョンが新しい"},
      {2004010, "KZB", "ＫＺＢ形式のバージョンが古い"},   // between the two layouts
      {2004001, "KZB", "ＫＺＢ形式のバージョンが古い"},
      {2004000, "KZA", nullptr},
  };
  for (const Case &c : cases) {
    KzbSpec s;
    s.version = c.version;
    std::vector<u8> bytes = BuildKzb(s);
    memcpy(bytes.data(), c.magic, 3);
    std::string path = WriteKzb("refused.kzb", bytes);
    Fakes().errors.clear();
    EXPECT_EQ(Shown(Kzb_Read, 2, path.c_str()), 0) << c.version;
    ASSERT_EQ(Fakes().errors.size(), 1u) << c.version;
    if (c.start) EXPECT_EQ(Fakes().errors[0].rfind(c.start, 0), 0u) << Fakes().errors[0];
    else EXPECT_EQ(Fakes().errors[0], path + " は、ＫＺＢ形式ではありません。");
    EXPECT_NE(Fakes().errors[0].find(path), std::string::npos);
    EXPECT_EQ(g_Bone2Slots[2], before);
    EXPECT_EQ(g_Bone2SlotShown[2], 0u);
  }
  Fakes().errors.clear();
  EXPECT_EQ(Shown(Kzb_Read, 2, ""), 0);
  EXPECT_EQ(Fakes().errors.back(), "ファイル名が指定されていません。");
  std::string missing = ScratchPath("nothere.kzb");
  EXPECT_EQ(Shown(Kzb_Read, 2, missing.c_str()), 0);
  EXPECT_EQ(Fakes().errors.back(), missing + " を開くことができませんでした。");
  EXPECT_EQ(Shown(Kzb_Read, 32, missing.c_str()), 0);
  EXPECT_EQ(g_Bone2Slots[2], before);
  Bone2_FreeAll();
}

TEST(Kzb, CountsBeyondCapacityAndBadIndicesAreRefused) {
  TwodSeam seam;
  // One field of the sample file past its limit, and the word the message names it by.
  struct Case {
    void (*spoil)(KzbSpec &s);
    const char *word;
  };
  const Case cases[] = {
      {[](KzbSpec &s) { s.boneCount = 129; }, "ボーン"},
      {[](KzbSpec &s) { s.motionCount = 101; }, "モーション"},
      {[](KzbSpec &s) { s.groupCount = 129; }, "グループ"},
      {[](KzbSpec &s) { s.textureCount = 129; }, "テクスチャ"},
      {[](KzbSpec &s) { s.secondCorners = 5; }, "角"},
      {[](KzbSpec &s) { s.firstVertex = 3; }, "頂点"},
      {[](KzbSpec &s) { s.groupTexture = 128; }, "テクスチャ"},
  };
  Bone2Model *before = Bone2_Init(6);
  for (const Case &c : cases) {
    KzbSpec spec;
    c.spoil(spec);
    std::string path = WriteKzb("capacity.kzb", BuildKzb(spec));
    Fakes().errors.clear();
    g_ModelAllocArrays = 1;
    EXPECT_EQ(Shown(Kzb_Read, 6, path.c_str()), 0) << c.word;
    g_ModelAllocArrays = 0;
    ASSERT_EQ(Fakes().errors.size(), 1u);
    EXPECT_NE(Fakes().errors[0].find(c.word), std::string::npos) << Fakes().errors[0];
    EXPECT_EQ(g_Bone2Slots[6], before);
  }
  // More keys than a full model's 16: the track grows.
  KzbSpec s;
  s.manyKeys = 40;
  std::string path = WriteKzb("keys.kzb", BuildKzb(s));
  g_ModelAllocArrays = 1;
  ASSERT_EQ(Shown(Kzb_Read, 6, path.c_str()), 1);
  Bone2Track *t = Bone2_Track(g_Bone2Slots[6], 1, 0);
  EXPECT_EQ(t->count, 42);
  EXPECT_EQ(t->keys[41].frame, 410);
  Bone2_FreeAll();
}

// Key frames that do not ascend are refused by name; frames far apart still evaluate
// without overflow (64-bit spans).
TEST(Kzb, KeyFramesOutOfOrderAreRefusedAndExtremeFramesEvaluate) {
  TwodSeam seam;
  Bone2Model *before = Bone2_Init(7);
  const std::vector<std::vector<i32>> refused = {{1, INT_MIN, 65536}, {0, 10, 10}, {20, 10}};
  for (const std::vector<i32> &frames : refused) {
    KzbSpec s;
    s.bone1Frames = frames;
    std::string path = WriteKzb("order.kzb", BuildKzb(s));
    Fakes().errors.clear();
    EXPECT_EQ(Shown(Kzb_Read, 7, path.c_str()), 0);
    ASSERT_EQ(Fakes().errors.size(), 1u);
    EXPECT_EQ(Fakes().errors[0], path + " は、モーション 0「歩く」のボーン 1「」のキーフレームが昇順に並んでいないので\n読み込むことができません。");
    EXPECT_EQ(g_Bone2Slots[7], before);
  }
  KzbSpec s;
  s.bone1Frames = {INT_MIN, INT_MAX};
  std::string path = WriteKzb("extreme.kzb", BuildKzb(s));
  ASSERT_EQ(Shown(Kzb_Read, 7, path.c_str()), 1);
  Bone2Model *m = g_Bone2Slots[7];
  for (i32 frame : {INT_MIN, -1, 0, 39, INT_MAX}) {
    m->currentFrame = frame;
    Bone2_UpdateKeyIndices(7);
    EXPECT_TRUE(m->bones[1].fraction >= 0.0f && m->bones[1].fraction <= 1.0f) << frame;
  }
  Bone2_FreeAll();
}

TEST(Kzb, TruncationAtEveryByteIsRefused) {
  TwodSeam seam;
  std::vector<u8> bytes = BuildKzb(KzbSpec());
  Bone2Model *before = Bone2_Init(9);
  std::string path = ScratchPath("cut.kzb");
  for (size_t n = 0; n < bytes.size(); n++) {
    WriteFileBytes(path, bytes.data(), n);
    Fakes().errors.clear();
    ASSERT_EQ(Shown(Kzb_Read, 9, path.c_str()), 0) << n;
    ASSERT_EQ(Fakes().errors.size(), 1u) << n;
    ASSERT_EQ(g_Bone2Slots[9], before);
  }
  // Trailing bytes after a whole model do not matter.
  bytes.push_back(0);
  WriteFileBytes(path, bytes.data(), bytes.size());
  EXPECT_EQ(Shown(Kzb_Read, 9, path.c_str()), 1);
  Bone2_FreeAll();
}

TEST(Kzb, WriteReadWriteIsByteIdentical) {
  TwodSeam seam;
  g_ModelAllocArrays = 1;
  Bone2Model *m = Bone2_Init(0);
  m->vertexCount = 10;
  m->colourCount = 10;
  m->uvCount = 10;
  for (int v = 0; v < 10; v++) {
    m->positions[v] = {1.5f * v, -2.0f * v};
    m->bindings[v] = {(u16)(v % 3), (u16)1, 0.25f * v, (u32)(v & 1)};
  }
  m->colours[1] = {1, 2, 3, 4};
  m->uvs[2] = {0.75f, 0.5f};
  m->polygonCount = 2;
  // The triangle keeps a fourth corner an edit left behind: no part of it, written as zeros.
  m->polygons[0] = {1, 3, 0, {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {9, 9, 9}}, 0, 0x11223344};
  m->polygons[1] = {1, 4, 0, {{0, 1, 2}, {1, 1, 1}, {2, 1, 0}, {3, 0, 2}}, 0, 0x55667788};
  m->textureCount = 3;
  m->textures[2].used = 1;
  Str_Copy(m->textures[2].name, 256, "テクスチャ.png");
  m->groupCount = 2;
  m->groups[1].texture = 2;
  m->motionCount = 3;
  m->motions[1].used = 0;   // an unused motion keeps its keys in the file
  m->motions[2].used = 1;
  Str_Copy(m->motions[2].name, 256, "走る");
  m->boneCount = 3;
  m->bones[2].parent = 1;
  m->rest[2] = {0, 3, 4, 5, 6, 7};
  ASSERT_TRUE(Bone2_ReserveKeys(m, 2, 1, 20));
  Bone2Track *t = Bone2_Track(m, 2, 1);
  for (int k = 0; k < 20; k++) t->keys[k] = {k * 3, 1.0f * k, 0, 0, 1, 1};
  t->count = 20;

  std::string first = ScratchPath("rt1.kzb"), second = ScratchPath("rt2.kzb");
  ASSERT_EQ(Shown(Kzb_Write, 0, first.c_str()), 1);
  g_ModelAllocArrays = 1;
  ASSERT_EQ(Shown(Kzb_Read, 1, first.c_str()), 1) << Fakes().errors[0];
  ASSERT_EQ(Shown(Kzb_Write, 1, second.c_str()), 1);
  std::vector<u8> a = ReadFileBytes(first), b = ReadFileBytes(second);
  ASSERT_FALSE(a.empty());
  EXPECT_EQ(a, b);
  EXPECT_EQ(Bone2_Track(g_Bone2Slots[1], 2, 1)->count, 20);

  // Corner blocks are 16-byte windows onto the polygon image: a triangle's entry is
  // 4 + 1 + 48 + 4 bytes, its last block runs into the group number, a quad's last block
  // runs past the image's end into zeros.
  size_t at = 3 + 4 + 6 + 10 * 8 + 10 * 16 + 10 * 8 + 10 * 12 + 2;
  ASSERT_LT(at + 57 + 73, a.size());
  const u8 *tri = &a[at];
  EXPECT_EQ(tri[4], 3);
  const u8 block0[16] = {1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6, 0, 7, 0, 8, 0};
  EXPECT_EQ(memcmp(tri + 5, block0, 16), 0);
  const u8 block2[16] = {7, 0, 8, 0, 9, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x44, 0x33};
  EXPECT_EQ(memcmp(tri + 5 + 32, block2, 16), 0);
  EXPECT_EQ(tri[53] | tri[54] << 8 | tri[55] << 16 | (u32)tri[56] << 24, 0x11223344u);
  const u8 *quad = tri + 57;
  EXPECT_EQ(quad[4], 4);
  const u8 block3[16] = {3, 0, 0, 0, 2, 0, 0, 0, 0x88, 0x77, 0x66, 0x55, 0, 0, 0, 0};
  EXPECT_EQ(memcmp(quad + 5 + 48, block3, 16), 0);

  // A model whose counts do not fit the file is refused with a message and no file.
  m->polygonCount = 70000;
  Fakes().errors.clear();
  std::string third = ScratchPath("rt3.kzb");
  EXPECT_EQ(Shown(Kzb_Write, 0, third.c_str()), 0);
  EXPECT_EQ(Fakes().errors.size(), 1u);
  EXPECT_TRUE(ReadFileBytes(third).empty());
  m->polygonCount = 2;
  // A file that cannot be written leaves nothing behind and says so.
  EXPECT_EQ(Shown(Kzb_Write, 0, ScratchPath("no/such/folder.kzb").c_str()), 0);
  EXPECT_EQ(Fakes().errors.size(), 2u);
  EXPECT_EQ(Shown(Kzb_Write, 5, first.c_str()), 0);   // empty slot
  EXPECT_EQ(Shown(Kzb_Write, 0, ""), 0);
  EXPECT_EQ(Fakes().errors.back(), "ファイル名が指定されていません。");
  Bone2_FreeAll();
}
