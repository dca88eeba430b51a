// KZP files: hand-made files of every read version land in exactly the expected fields,
// refused versions and damaged files leave the slot as it was, the writer reproduces files
// byte for byte and refuses what does not fit, and files open by their whole extension.
#include <limits.h>
#include <math.h>
#include <stdlib.h>
#include <string.h>

#include "model_shown.h"
#include "file_bytes.h"
#include "kz_files.h"
#include "kz_samples.h"
#include "model/formats/formats.h"
#include "model/kzo.h"
#include "model/bytes.h"
#include "model/finite.h"
#include "model/keytrack.h"
#include "model/kzp.h"
#include "model_fixture.h"
#include "model/seam_errorbox.h"


struct KzpTest : ModelTest {
  std::string path = "kzp_test_model.kzp";
  void TearDown() override {
    remove(path.c_str());
    ModelTest::TearDown();
  }
  Model3 *Read(const std::vector<u8> &data, i32 slot = 0, u32 full = 1) {
    WriteFileBytes(path, data);
    g_ModelAllocArrays = full;
    return Shown(Model3_OpenFile, slot, path.c_str());
  }
};

TEST_F(KzpTest, Version2006ReadsEveryField) {
  Model3 *m = Read(Kzp(2006000));
  ASSERT_NE(m, nullptr) << (Messages().empty() ? "" : Messages()[0]);
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(m, g_Model3Slots[0]);
  EXPECT_EQ(m->version, 2006000u);
  EXPECT_STREQ(m->fileName, path.c_str());
  EXPECT_EQ(m->positionCount, 3); EXPECT_EQ(m->normalCount, 1); EXPECT_EQ(m->colorCount, 1); EXPECT_EQ(m->uvCount, 2);
  EXPECT_EQ(m->positions[2].y, 2.0f);
  EXPECT_EQ(m->normals[0].z, 1.0f);
  EXPECT_EQ(m->colors[0].a, 40.0f);
  EXPECT_EQ(m->uvs[1].v, 1.0f);
  EXPECT_EQ(m->bindings[0].bone1, 1); EXPECT_EQ(m->bindings[0].weight, 0.5f); EXPECT_EQ(m->bindings[2].bone2, 1);
  ASSERT_EQ(m->polygonCount, 1);
  EXPECT_EQ(m->polygons[0].cornerCount, 3);
  EXPECT_EQ(m->polygons[0].corners[2].vertex, 2u);
  EXPECT_EQ(m->polygons[0].corners[2].uv, 1u);
  EXPECT_EQ(m->textureCount, 2);
  EXPECT_EQ(m->textures[1].used, 1u);
  EXPECT_STREQ(m->textures[1].name, "tex1.png");
  EXPECT_EQ(m->dispScale, 1.5f);
  ASSERT_EQ(m->groupCount, 1);
  const Group3 &g = m->groups[0];
  EXPECT_STREQ(g.name, "g0");
  EXPECT_EQ(g.texture, 1u); EXPECT_EQ(g.b, 202.0f); EXPECT_EQ(g.offsetV, 0.25f); EXPECT_EQ(g.scaleV, 3.0f);
  EXPECT_EQ(g.word1, 4u); EXPECT_EQ(g.mirror, 1u); EXPECT_EQ(g.specB, 66u);
  EXPECT_EQ(m->lighting, 1u); EXPECT_EQ(m->immediate, 1u); EXPECT_EQ(m->normalOffset, 2.5f);
  EXPECT_EQ(m->refineLevel, 3);
  ASSERT_EQ(m->motionCount, 2);
  EXPECT_STREQ(m->motions[0].name, "walk");
  EXPECT_EQ(m->motions[0].length, 30);
  ASSERT_NE(m->motions[0].groupKeys[0], nullptr);
  EXPECT_EQ(m->motions[0].groupKeys[0]->count, 1);
  EXPECT_EQ(m->motions[0].groupKeys[0]->keys[0].frame, 5u);
  EXPECT_EQ(m->motions[0].groupKeys[0]->keys[0].texture, 1);
  EXPECT_EQ(m->motions[0].groupKeys[0]->keys[0].values[3], 0.5f);
  EXPECT_EQ(m->motions[1].used, 0u);
  ASSERT_EQ(m->boneCount, 2);
  EXPECT_STREQ(m->bones[1].name, "arm");
  EXPECT_EQ(m->boneRest[1].pos[2], 3.0f);
  EXPECT_EQ(m->bones[1].keys[0].count, 2);
  EXPECT_EQ(m->bones[1].keys[0].keys[1].frame, 10);
  EXPECT_EQ(m->bones[1].keys[0].keys[1].pos[0], 5.0f);
  EXPECT_EQ(m->bones[0].keys[1].count, 0);
  EXPECT_EQ(m->displayMode, 2u);
  EXPECT_EQ(m->normalUpdate, 1u);
  EXPECT_EQ(m->poseUpdate, 1u);   // two motions and bone 1 animated
  EXPECT_NE(g_ModelPoses[0], nullptr);
}

TEST_F(KzpTest, WriteReproducesTheFileByteForByte) {
  std::vector<u8> original = Kzp(2006000);
  Model3 *m = Read(original);
  ASSERT_NE(m, nullptr);
  std::string out = "kzp_test_out.kzp";
  ASSERT_TRUE(Shown(Kzp_Write, m, out.c_str()));
  EXPECT_EQ(FirstDifference(ReadFileBytes(out), original), -1);
  // Read what we wrote and write again: still the same bytes.
  g_ModelAllocArrays = 1;
  Model3 *again = Shown(Model3_OpenFile, 1, out.c_str());
  ASSERT_NE(again, nullptr);
  ASSERT_TRUE(Shown(Kzp_Write, again, out.c_str()));
  EXPECT_EQ(FirstDifference(ReadFileBytes(out), original), -1);
  remove(out.c_str());
}

TEST_F(KzpTest, OlderVersionsReadTheirOwnLayouts) {
  Model3 *m = Read(Kzp(2005000));
  ASSERT_NE(m, nullptr) << (Messages().empty() ? "" : Messages()[0]);
  EXPECT_EQ(m->version, 2005000u);
  EXPECT_EQ(m->polygons[0].corners[1].uv, 1u);
  EXPECT_STREQ(m->textures[1].name, "tex1.png");
  EXPECT_EQ(m->refineLevel, 4);   // not in the file: the new model's value
  EXPECT_EQ(m->dispScale, 1.0f);
  EXPECT_STREQ(m->motions[0].name, "walk");
  ASSERT_NE(m->motions[0].groupKeys[0], nullptr);
  EXPECT_EQ(m->motions[0].groupKeys[0]->count, 0);   // motions without group keys
  EXPECT_EQ(m->bones[1].keys[0].keys[1].pos[0], 5.0f);

  m = Read(Kzp(2004002));
  ASSERT_NE(m, nullptr) << (Messages().empty() ? "" : Messages()[0]);
  EXPECT_EQ(m->motionCount, 1);   // the new model's single motion
  EXPECT_EQ(m->boneCount, 2);
  EXPECT_STREQ(m->bones[0].name, "\x90\x65\x83\x7b\x81\x5b\x83\x93");
  EXPECT_EQ(m->bones[1].keys[0].count, 1);   // 5 is stored as 1
  EXPECT_EQ(m->bones[1].keys[0].keys[0].quat[3], 1.0f);
  EXPECT_STREQ(m->groups[0].name, "g0");
}

TEST_F(KzpTest, RefusedVersionsKeepTheSlot) {
  Model3 *before = Read(Kzp(2006000));
  ASSERT_NE(before, nullptr);
  const std::string supported = "KZP 2004 \x81\x60 2006 \x82\xc9\x91\xce\x89\x9e\x82\xb5\x82\xc4\x82\xa2\x82\xdc\x82\xb7\x81\x42\n\n" + path;
  struct { i32 version; bool tooNew; } cases[] = {{2003030, false}, {2004000, false}, {2004001, false}, {2005500, false},
                                                  {2004003, false}, {2006001, true}, {-1, false}};
  for (auto c : cases) {
    std::vector<u8> data = Kzp(2006000);
    Bytes v;
    v.i32_(c.version);
    memcpy(&data[3], v.b.data(), 4);
    Messages().clear();
    EXPECT_EQ(Read(data), nullptr) << c.version;
    EXPECT_EQ(g_Model3Slots[0], before) << c.version;
    ASSERT_EQ(Messages().size(), 1u) << c.version;
    if (c.tooNew)
      EXPECT_EQ(Messages()[0].substr(0, 4), "\x82\x6a\x82\x79");   // "ＫＺ"
    else
      EXPECT_EQ(Messages()[0], supported) << c.version;
  }
  EXPECT_EQ(g_ModelAllocArrays, 0u);
  EXPECT_STREQ(g_Model3Slots[0]->motions[0].name, "walk");
}

TEST_F(KzpTest, DamagedFilesAreRefusedAtEveryByte) {
  Model3 *before = Read(Kzp(2006000));
  ASSERT_NE(before, nullptr);
  for (i32 v : {2006000, 2005000, 2004002}) {
    std::vector<u8> full = Kzp(v);
    for (size_t n = 0; n < full.size(); n++) {
      std::vector<u8> cut(full.begin(), full.begin() + n);
      Messages().clear();
      ASSERT_EQ(Read(cut, 0, 0), nullptr) << v << " cut at " << n;
      ASSERT_EQ(g_Model3Slots[0], before);
      ASSERT_EQ(Messages().size(), 1u) << n;
    }
  }
  EXPECT_EQ(before->positionCount, 3);
}

TEST_F(KzpTest, CountsBeyondTheCapacitiesAreRefused) {
  // Offsets into the 2006000 file of fields to corrupt.
  std::vector<u8> base = Kzp(2006000);
  auto patch = [&](size_t at, std::vector<u8> bytes) {
    std::vector<u8> d = base;
    for (size_t i = 0; i < bytes.size(); i++) d[at + i] = bytes[i];
    return d;
  };
  const size_t counts = 7, positions = 23;
  const size_t bindings = positions + 36 + 12 + 16 + 16;
  const size_t polys = bindings + 36;
  const char *damaged = "は壊れているため";
  struct Bad { std::vector<u8> d; const char *says; } bad[] = {
      {patch(counts, {0xff, 0xff, 0xff, 0x7f}), "頂点の数 (2147483647) が上限"},   // huge position count
      {patch(counts + 12, {0xff, 0xff, 0, 0}), "UVの数 (65535) が上限"},
      {patch(counts, {0xff, 0xff, 0xff, 0xff}), damaged},            // negative count
      {patch(bindings, {200, 0}), damaged},                          // bone 200 of 128
      {patch(polys + 2, {5}), "ポリゴンの角の数 (5) が上限 (4)"},    // five corners
      {patch(polys + 3, {0xff, 0xff, 0xff, 0x7f}), damaged},         // vertex index past the capacity
      {patch(polys, {0xff, 0xff}), "ポリゴンの数 (65535) が上限"},
  };
  for (auto &b : bad) {
    Messages().clear();
    EXPECT_EQ(Read(b.d), nullptr);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_NE(Messages()[0].find(b.says), std::string::npos) << Messages()[0];
    EXPECT_EQ(Messages()[0].rfind(path, 0), 0u);
  }
  // A stale UV index past the UV count: the model read without full arrays still has room.
  Model3 *stale = Read(patch(polys + 3 + 12, {9}), 9, 0);
  ASSERT_NE(stale, nullptr);
  EXPECT_EQ(stale->uvCount, 2);
  EXPECT_GE(stale->capUVs, 10);
  Model3 *copy = Model3_Clone(stale);
  EXPECT_GE(copy->capUVs, 10);
  Model3_Free(copy);
  Model3_FreeSlot(9);
  // Bone count 129: the bone section starts right after motion 1's used word.
  std::vector<u8> d = base;
  Bytes tail;
  Bones(tail);
  size_t bonesAt = d.size() - tail.b.size();
  d[bonesAt] = 129;
  Messages().clear();
  EXPECT_EQ(Read(d), nullptr);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_NE(Messages()[0].find("ボーンの数 (129) が上限 (128)"), std::string::npos) << Messages()[0];
  d = base;
  d[bonesAt + 4] = 0;   // bone name length 256
  d[bonesAt + 5] = 1;
  EXPECT_EQ(Read(d), nullptr);
  d = base;
  d[bonesAt - 48] = 17;   // motion 0's group key list: 17 keys of 16
  EXPECT_EQ(Read(d), nullptr);
  d[bonesAt - 48] = 1;
  EXPECT_NE(Read(d, 9), nullptr);   // the offsets above are right: unpatched, it reads
  Model3_FreeSlot(9);
  EXPECT_EQ(g_Model3Slots[0], nullptr);   // nothing was ever loaded
}

// A bone track whose frames go back or repeat is refused, naming motion, bone and file.
TEST_F(KzpTest, KeyFramesOutOfOrderAreRefusedByName) {
  std::vector<u8> base = Kzp(2006000);
  Bytes tail;
  Bones(tail);
  size_t bonesAt = base.size() - tail.b.size();
  // Bone 1 ("arm"), motion 0: key count at ..., then the keys at frames 0 and 10.
  size_t armKeys = bonesAt + 4 + (4 + 4 + 4 + 40 + 4 + 44 + 4) + (4 + 3 + 4 + 40) + 4;
  for (i32 second : {0, -5, INT_MIN}) {
    std::vector<u8> d = base;
    u32 v = (u32)second;
    for (int i = 0; i < 4; i++) d[armKeys + 44 + i] = (u8)(v >> (8 * i));
    Messages().clear();
    EXPECT_EQ(Read(d), nullptr);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0], path + " は、モーション 0「walk」のボーン 1「arm」のキーフレームが昇順に並んでいないので\n読み込むことができません。");
  }
  EXPECT_EQ(g_Model3Slots[0], nullptr);
}

TEST_F(KzpTest, TextureNamesFollowEveryNonZeroUsedWord) {
  g_ModelAllocArrays = 1;
  Model3 *m = Model3_Init(3);
  m->textureCount = 3;
  m->textures[1].used = 2;   // not 1, but in use: its name is written and read back
  Model3_SetText(&m->textures[1].name, "two.bmp");
  m->textures[2].used = 0;
  Model3_SetText(&m->textures[2].name, "dropped.bmp");
  ASSERT_TRUE(Shown(Kzp_Write, m, path.c_str()));
  g_ModelAllocArrays = 1;
  Model3 *r = Shown(Model3_OpenFile, 4, path.c_str());
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->textures[1].used, 2u);
  EXPECT_STREQ(r->textures[1].name, "two.bmp");
  EXPECT_STREQ(r->textures[2].name, "");
}

TEST_F(KzpTest, WriterHandlesLargeAndMissingParts) {
  g_MaxPolygons = 65000;
  g_MaxVertices = 65000 * 4;
  g_ModelAllocArrays = 1;
  Model3 *m = Model3_Init(5);
  m->polygonCount = 65000;
  for (i32 i = 0; i < 65000; i++) m->polygons[i].cornerCount = 0;
  ASSERT_TRUE(Shown(Kzp_Write, m, path.c_str()));
  g_ModelAllocArrays = 1;
  Model3 *r = Shown(Model3_OpenFile, 6, path.c_str());
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->polygonCount, 65000);   // the full value, not only its low 16 bits

  // Over the u16 field: refused with a message, the old file untouched.
  std::vector<u8> before = ReadFileBytes(path);
  Model3 big = {};
  big.polygonCount = 70000;
  big.polygons = m->polygons;
  Messages().clear();
  EXPECT_FALSE(Shown(Kzp_Write, &big, path.c_str()));
  EXPECT_EQ(Messages().size(), 1u);
  EXPECT_EQ(ReadFileBytes(path), before);

  // A model without key tables or group key lists writes empty tracks and lists.
  Model3 *bare = Model3_New();
  bare->motions[0].used = 1;
  ASSERT_TRUE(Shown(Kzp_Write, bare, path.c_str()));
  g_ModelAllocArrays = 1;
  Model3 *back = Shown(Model3_OpenFile, 7, path.c_str());
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->bones[1].keys[0].count, 0);
  EXPECT_EQ(back->motions[0].groupKeys[0]->count, 0);
  Model3_Free(bare);

  // A save that cannot be done is reported and keeps the old file.
  g_SaveFault = {"kzp_test_dir.kzp", SAVE_STEP_WRITE};
  Messages().clear();
  EXPECT_FALSE(Shown(Kzp_Write, back, "kzp_test_dir.kzp"));
  g_SaveFault = {};
  EXPECT_EQ(Messages().size(), 1u);
}

// A mixed mesh of some thousand polygons: triangles and quads, degenerate faces, corners
// naming entries past the array counts, shared and lone vertices.
static Model3 *MixedMesh(i32 polygons, u32 seed) {
  Model3 *m = Model3_New();
  i32 P = polygons / 2 + 3;
  EXPECT_TRUE(Model3_Reserve(m, P, P, 5, P, polygons));
  m->positionCount = m->normalCount = m->uvCount = P;
  m->colorCount = 5;
  for (i32 v = 0; v < P; v++) {
    seed = seed * 1103515245u + 12345u;
    m->positions[v] = {(f32)(seed % 97) * 0.25f, (f32)((seed >> 8) % 31) - 15.0f, (f32)((seed >> 16) % 53)};
    m->bindings[v] = {(u16)(v % 3), 0, 1.0f, 0};
  }
  m->polygonCount = polygons;
  for (i32 i = 0; i < polygons; i++) {
    seed = seed * 1103515245u + 12345u;
    Polygon3 *p = &m->polygons[i];
    p->cornerCount = seed % 5 == 0 ? 3 : 4;
    for (int c = 0; c < p->cornerCount; c++) {
      u32 v = (u32)((i / 2 + c * (1 + seed % 3)) % P);
      if (seed % 41 == 0) v = (u32)(seed % 7);   // repeated corners: no face normal
      p->corners[c] = {v, v, (u32)(c + seed % 2), seed % 97 == 0 ? (u32)P + 4 : v};
    }
    p->group = 0;
  }
  return m;
}

// Motions with group keys and bones with key tracks: keys[b] keys per track of bone b.
static void AddTracks(Model3 *m, i32 motions, i32 groups, i32 groupKeys, const std::vector<i32> &keys) {
  m->groupCount = groups;
  m->motionCount = motions;
  for (i32 mo = 0; mo < motions; mo++) {
    m->motions[mo].used = 1;
    for (i32 g = 0; g < groups; g++) Model3_EnsureGroupKeys(m, mo, g)->count = groupKeys;
  }
  m->boneCount = (i32)keys.size();
  for (i32 b = 0; b < m->boneCount; b++) {
    m->bones[b].parent = b / 2;
    Model3_EnsureKeyTable(m, b);
    for (i32 mo = 0; mo < motions; mo++) {
      m->bones[b].keys[mo].count = 0;
      for (i32 k = 0; k < keys[(size_t)b]; k++) {
        BoneKey3 key;
        BoneKey3_Identity(&key, k * 3 + mo);
        key.pos[1] = 0.5f * (f32)b;
        KeyTrack_Insert(&m->bones[b].keys[mo], &key);
      }
    }
  }
  m->keyTableLength = motions;
}

static std::vector<u8> Encoded(const Model3 *m) {
  ByteWriter w = {};
  EXPECT_TRUE(Kzp_Encode(m, &w));
  return TakeWriterBytes(&w);
}

// Files read from the file through the block (Model3_OpenFile) against the whole-file parser
// (from memory): the same model field for field, the same face and vertex normals, and on
// cut or changed bytes the same answer with the same message. The files: a mixed mesh with
// tracks over several blocks, one bone larger than a block, group keys larger than a block.
// The reader takes the polygons and tracks from the file in blocks of this size.
static const size_t kReadBlock = 256 * 1024;

TEST_F(KzpTest, BlockReadMatchesTheWholeFileParse) {
  g_MaxPolygons = 5000;
  g_MaxVertices = 20000;
  const struct { std::vector<i32> keys; i32 groups, groupKeys; } kTails[] = {
      {std::vector<i32>(20, 4), 2, 3}, {{1, 70, 2}, 1, 1}, {{1, 1}, 128, 1}};
  u32 seed = 99;
  const int mutations = getenv("KZP_MUTATIONS") ? atoi(getenv("KZP_MUTATIONS")) : 150;
  for (const auto &tail : kTails) {
    SCOPED_TRACE(tail.groups);
    Model3 *src = MixedMesh(4000, 7);
    AddTracks(src, 100, tail.groups, tail.groupKeys, tail.keys);
    ASSERT_TRUE(Shown(Kzp_Write, src, path.c_str()));
    Model3_Free(src);
    std::vector<u8> file = ReadFileBytes(path);
    for (u32 mode : {0u, 1u}) {
      g_Model3Edited = mode;
      Model3 *whole = Model3_New();
      ASSERT_TRUE(Kzp_ParseBody(whole, file.data(), file.size()));
      Model3_AfterRead(whole);
      Model3 *read = Read(file, 0, 0);
      ASSERT_NE(read, nullptr);
      EXPECT_EQ(Encoded(read), Encoded(whole));
      ASSERT_EQ(read->polygonCount, whole->polygonCount);
      EXPECT_EQ(memcmp(read->polygons, whole->polygons, sizeof(Polygon3) * (size_t)whole->polygonCount), 0) << mode;
      EXPECT_EQ(memcmp(read->vertexNormals, whole->vertexNormals, sizeof(Vec3) * (size_t)whole->positionCount), 0);
      EXPECT_EQ(memcmp(read->uvs, whole->uvs, sizeof(Vec2) * (size_t)whole->capUVs), 0);
      EXPECT_EQ(read->capUVs, whole->capUVs);
      EXPECT_EQ(read->keyTableLength, whole->keyTableLength);
      Model3_Free(whole);
    }
    g_Model3Edited = 0;
    Model3 *before = g_Model3Slots[0];
    size_t polygonsAt = 3 + 4 + 16 + (size_t)before->positionCount * 24 + (size_t)before->normalCount * 12 +
                        (size_t)before->colorCount * 16 + (size_t)before->uvCount * 8;
    // Cut anywhere past the vertex arrays, densely around each block past them (the block
    // edges): refused with one message, the slot kept.
    std::vector<size_t> cuts;
    for (size_t n = polygonsAt; n < file.size(); n += 3001) cuts.push_back(n);
    for (size_t k = 0; polygonsAt + k * kReadBlock < file.size(); k++)
      for (size_t d = 0; d < 60; d++) cuts.push_back(polygonsAt + k * kReadBlock + d - 30);
    for (size_t n : cuts) {
      if (n >= file.size()) continue;
      Messages().clear();
      ASSERT_EQ(Read(std::vector<u8>(file.begin(), file.begin() + n), 0, 0), nullptr) << n;
      ASSERT_EQ(g_Model3Slots[0], before);
      ASSERT_EQ(Messages().size(), 1u) << n;
    }
    // Bytes changed at random (corner counts, indices, groups, key counts, frames): the
    // same answer, message and model both ways.
    for (int t = 0; t < mutations; t++) {
      std::vector<u8> bad = file;
      for (int k = 0; k < 3; k++) {
        seed = seed * 1103515245u + 12345u;
        size_t at = polygonsAt + (seed >> 8) % (file.size() - polygonsAt);
        bad[at] = (seed & 1) ? (u8)(seed >> 16) : (u8)(bad[at] + 1);
      }
      Messages().clear();
      bool fromFile = Read(bad, 1, 0) != nullptr;
      std::vector<std::string> fileMessages = Messages();
      Messages().clear();
      bool fromData = Shown(Kzp_ReadIntoSlotFromData, 2, KZP_VERSION_2006, path.c_str(), bad.data(), bad.size());
      ASSERT_EQ(fromFile, fromData) << t;
      ASSERT_EQ(fileMessages, Messages()) << t;
      if (!fromFile) continue;
      const Model3 *x = g_Model3Slots[1], *y = g_Model3Slots[2];
      ASSERT_EQ(Encoded(x), Encoded(y)) << t;
      ASSERT_EQ(memcmp(x->polygons, y->polygons, sizeof(Polygon3) * (size_t)x->polygonCount), 0) << t;
      ASSERT_EQ(memcmp(x->vertexNormals, y->vertexNormals, sizeof(Vec3) * (size_t)x->positionCount), 0) << t;
    }
  }
}

TEST_F(KzpTest, FilesOpenByTheirWholeExtension) {
  std::vector<u8> data = Kzp(2006000);
  for (const char *name : {"kzp_test_upper.KZP", "kzp_test_mixed.KzP", "dir.x/kzp_test_in.kzp"}) {
    if (strchr(name, '/')) {
      ASSERT_EQ(system("mkdir -p dir.x"), 0);
    }
    WriteFileBytes(name, data);
    g_ModelAllocArrays = 1;
    EXPECT_NE(Shown(Model3_OpenFile, 8, name), nullptr) << name;
    remove(name);
  }
  ASSERT_EQ(system("rmdir dir.x"), 0);
  Model3 *held = g_Model3Slots[8];
  for (const char *name : {"kzp_test_long.kzpx", "kzp_test.obj", "kzp_test_noext"}) {
    WriteFileBytes(name, data);
    Messages().clear();
    EXPECT_EQ(Shown(Model3_OpenFile, 8, name), nullptr) << name;
    EXPECT_EQ(g_Model3Slots[8], held) << name;
    remove(name);
  }
  // X files need the platform importer: none natively.
  WriteFileBytes("kzp_test.x", data);
  EXPECT_EQ(Shown(Model3_OpenFile, 8, "kzp_test.x"), nullptr);
  remove("kzp_test.x");
  EXPECT_EQ(g_Model3Slots[8], held);

  Messages().clear();
  EXPECT_EQ(Shown(Model3_OpenFile, 8, ""), nullptr);
  EXPECT_EQ(Shown(Model3_OpenFile, 8, "kzp_test_missing.kzp"), nullptr);
  ASSERT_EQ(Messages().size(), 2u);
  EXPECT_EQ(Messages()[1], "kzp_test_missing.kzp \x82\xf0\x8a\x4a\x82\xad\x82\xb1\x82\xc6\x82\xaa\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1\x82\xc5\x82\xb5\x82\xbd\x81\x42");
  EXPECT_EQ(g_Model3Slots[8], held);

  // Another format's magic behind a .kzp name.
  std::vector<u8> kzo = data;
  kzo[2] = 'O';
  Messages().clear();
  EXPECT_EQ(Read(kzo, 8), nullptr);
  EXPECT_EQ(Messages().size(), 1u);
  EXPECT_EQ(g_Model3Slots[8], held);
}

TEST_F(KzpTest, ObjectPartVersionRules) {
  std::vector<u8> data = Kzp(2006000);
  auto withVersion = [&](i32 v) {
    std::vector<u8> d = data;
    Bytes b;
    b.i32_(v);
    memcpy(&d[3], b.b.data(), 4);
    WriteFileBytes(path, d);
  };
  withVersion(2004000);
  Messages().clear();
  EXPECT_FALSE(Shown(Kzp_ReadIntoObjectPart, 2, 1, path.c_str()));
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0].substr(0, path.size() + 17), path + " ( Ver 2004.000 )");
  EXPECT_EQ(g_Obj3Sets[2], nullptr);   // nothing created for a refused file

  withVersion(2003029);
  EXPECT_FALSE(Shown(Kzp_ReadIntoObjectPart, 2, 1, path.c_str()));
  withVersion(2004500);
  EXPECT_FALSE(Shown(Kzp_ReadIntoObjectPart, 2, 1, path.c_str()));
  EXPECT_FALSE(Shown(Kzp_ReadIntoObjectPart, 2, 1, "kzp_test_missing.kzp"));
  EXPECT_FALSE(Shown(Kzp_ReadIntoObjectPart, 16, 1, path.c_str()));
  EXPECT_FALSE(Shown(Kzp_ReadIntoObjectPart, 2, -1, path.c_str()));
  EXPECT_EQ(g_Obj3Sets[2], nullptr);

  withVersion(2003030);   // no body: an empty model, but a success
  ASSERT_TRUE(Shown(Kzp_ReadIntoObjectPart, 2, 3, path.c_str()));
  ASSERT_NE(g_Obj3Sets[2], nullptr);
  EXPECT_EQ(g_Obj3Sets[2]->objectCount, 4);
  EXPECT_EQ(g_Obj3PartModels[2][3]->positionCount, 0);
  EXPECT_EQ(g_Obj3PartLoaded[2][3], 1u);

  WriteFileBytes(path, data);
  ASSERT_TRUE(Shown(Kzp_ReadIntoObjectPart, 2, 4, path.c_str()));
  EXPECT_EQ(g_Obj3PartModels[2][4]->positionCount, 3);
  EXPECT_STREQ(g_Obj3Sets[2]->parts[4].path, path.c_str());
  EXPECT_EQ(g_Obj3Sets[2]->objectCount, 5);
  for (i32 p = 0; p < OBJ3_PARTS; p++) Kzo_NewPart(2, p);   // frees what was loaded
}

// The primitive shapes shipped with the program: every face has distinct corners and faces
// away from the shape's centre (the flat shapes towards the front view, -z). The names are
// as the Linux file system holds them (UTF-8).
TEST_F(KzpTest, ShippedPrimitivesHaveOutwardFaces) {
  g_MaxPolygons = 1000;
  g_MaxVertices = 4000;
  const char *root = getenv("MIRAVEL_SRC");
  const struct { const char *name; i32 faces; } kShapes[] = {
      {u8"３角形", 1}, {u8"４角形", 1}, {u8"立方体", 6}, {u8"球", 96}, {u8"円柱", 36}, {u8"円錐", 24}};
  for (const auto &shape : kShapes) {
    SCOPED_TRACE(shape.name);
    std::string file = std::string(root ? root : ".") + u8"/Data/System/プリミティブ/" + shape.name + ".KZP";
    Model3 *m = Shown(Model3_OpenFile, 0, file.c_str());
    ASSERT_NE(m, nullptr) << (Messages().empty() ? "" : Messages().back());
    ASSERT_EQ(m->polygonCount, shape.faces);
    for (i32 i = 0; i < m->polygonCount; i++) {
      const Polygon3 *p = &m->polygons[i];
      Vec3 c = {0, 0, 0};
      for (int j = 0; j < p->cornerCount; j++) {
        for (int k = 0; k < j; k++) EXPECT_NE(p->corners[j].vertex, p->corners[k].vertex) << i;
        const Vec3 &v = m->positions[p->corners[j].vertex];
        c.x += v.x, c.y += v.y, c.z += v.z;
      }
      const Vec3 &n = p->faceNormal;
      f32 out = n.x * c.x + n.y * c.y + n.z * c.z;
      EXPECT_TRUE(out > 1e-4f || (fabsf(out) < 1e-6f && n.z < -0.99f)) << i << " " << out;
    }
  }
}

// Every refusal of an open or a save comes back as the answer's text, word for word as the
// box shows it, and nothing is shown until the caller shows the answer: a reader that still
// showed its own box, or an answer that lost or changed its text, fails here. A path too
// long for the box is cut as every formatted box is (255 bytes).
TEST_F(KzpTest, OpensAndSavesAnswerWithTheTextTheBoxShows) {
  std::vector<u8> good = Kzp(2006000), kzo = good, cut = {'K', 'Z', 'P', 1}, tooNew = good, tooOld = good;
  kzo[2] = 'O';
  Bytes v;
  v.i32_(2007000).i32_(2003000);
  memcpy(&tooNew[3], v.b.data(), 4);
  memcpy(&tooOld[3], v.b.data() + 4, 4);
  const std::string p = path, longName = std::string(300, 'a') + ".kzp";
  const struct Case {
    i32 slot;
    std::string name;
    const std::vector<u8> *bytes;   // null: no file
    std::string says;
  } kCases[] = {
      {0, "", nullptr, "ファイル名が指定されていません。"},
      {300, p, &good, "Model3_Init(300) 最大数を超えました。"},
      {0, "kzp_test_missing.kzp", nullptr, "kzp_test_missing.kzp を開くことができませんでした。"},
      {0, longName, nullptr, longName.substr(0, 255)},
      {0, p, &kzo, p + " は、ＫＺＰ形式ではありません。"},
      {0, p, &cut, p + " は壊れているため、読み込むことができませんでした。"},
      {0, p, &tooNew, "ＫＺＰ形式のバージョンが新しいので\n読み込むことができません。\n最新版へバージョンアップして下さい。\n\n" + p},
      {0, p, &tooOld, "KZP 2004 ～ 2006 に対応しています。\n\n" + p},
      {0, "kzp_test.obj", &good, "kzp_test.obj は、読み込めない形式のファイルです。"},
      {0, p, &good, ""},
  };
  for (const Case &c : kCases) {
    SCOPED_TRACE(c.says);
    if (c.bytes) WriteFileBytes(c.name, *c.bytes);
    Messages().clear();
    ModelResult res = {true, "stale"};
    Model3 *m = Model3_OpenFile(c.slot, c.name.c_str(), &res);
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(res.ok, c.says.empty());
    EXPECT_EQ(m != nullptr, res.ok);
    EXPECT_EQ(std::string(res.message), c.says);
    EXPECT_EQ(Seam_ShowResult(&res), res.ok);
    EXPECT_EQ(Messages(), c.says.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.says});
    if (c.bytes && c.name != p) remove(c.name.c_str());
  }
  Model3 *m = g_Model3Slots[0];
  ASSERT_NE(m, nullptr);
  const struct { const char *name; std::string says; } kSaves[] = {
      {"", "ファイル名が指定されていません。"},
      {"kzp_no_dir/x.kzp",
       "kzp_no_dir/x.kzp に保存することができませんでした。\n\n保存先のフォルダ: kzp_no_dir\n理由: 保存先のフォルダが見つかりません。"},
  };
  for (const auto &s : kSaves) {
    Messages().clear();
    ModelResult res = {true, ""};
    EXPECT_FALSE(Kzp_Write(m, s.name, &res));
    EXPECT_TRUE(Messages().empty());
    EXPECT_FALSE(res.ok);
    EXPECT_EQ(std::string(res.message), s.says);
  }
}

// The one block reader takes every version: each file, whole or cut past its header, gets the same answer, text and model from the file as from memory (the 2004002
// and 2005000 layouts included, which have narrow counts, indices and polygon prefixes).
TEST_F(KzpTest, EveryVersionReadsAlikeFromTheFileAndFromMemory) {
  for (i32 version : {KZP_VERSION_2004, KZP_VERSION_2005, KZP_VERSION_2006}) {
    SCOPED_TRACE(version);
    const std::vector<u8> file = Kzp(version);
    // Every fourth cut, and the whole file.
    for (size_t n = 7; n <= file.size(); n = n + 4 > file.size() && n < file.size() ? file.size() : n + 4) {
      std::vector<u8> part(file.begin(), file.begin() + (long)n);
      WriteFileBytes(path, part);
      ModelResult fromFile, fromData;
      const Model3 *x = Model3_OpenFile(1, path.c_str(), &fromFile);
      bool read = Kzp_ReadIntoSlotFromData(2, version, path.c_str(), part.data(), part.size(), &fromData);
      ASSERT_EQ(x != nullptr, read) << n;
      ASSERT_EQ(std::string(fromFile.message), std::string(fromData.message)) << n;
      EXPECT_EQ(read, n == file.size()) << n;
      if (read) { EXPECT_EQ(Encoded(g_Model3Slots[1]), Encoded(g_Model3Slots[2])); }
    }
  }
  EXPECT_TRUE(Messages().empty());
}

// A bone key holding NaN or an infinity in any of its values, in any track of any bone, is
// refused as not finite from the file (the tracks through the block) and from memory alike;
// frames are whole numbers (-1 has the bits of a NaN) and never count as one; and a key track
// out of order later in the file is still what the refusal names.
TEST_F(KzpTest, NonFiniteBoneKeysAreRefusedWhereverTheyStand) {
  g_MaxPolygons = 5000;
  g_MaxVertices = 20000;
  Model3 *src = MixedMesh(4000, 11);
  AddTracks(src, 40, 1, 1, std::vector<i32>(64, 4));
  char notFinite[512];
  snprintf(notFinite, sizeof notFinite, kKzMsgNotFinite, path.c_str());
  // Both reads of one file: refused with `want`, or read when want is empty.
  auto expectBoth = [&](const std::vector<u8> &file, const std::string &want, const std::string &what) {
    SCOPED_TRACE(what);
    ASSERT_GT(file.size(), 2 * kReadBlock);
    Messages().clear();
    Model3 *read = Read(file, 0, 0);
    EXPECT_EQ(read != nullptr, want.empty());
    bool fromData = Shown(Kzp_ReadIntoSlotFromData, 1, KZP_VERSION_2006, path.c_str(), file.data(), file.size());
    EXPECT_EQ(fromData, want.empty());
    if (want.empty()) {
      EXPECT_TRUE(Messages().empty());
      return;
    }
    ASSERT_EQ(Messages().size(), 2u);
    EXPECT_EQ(Messages()[0], want);
    EXPECT_EQ(Messages()[1], want);
  };
  struct Spot {
    i32 bone, motion, key;
  };
  const Spot kSpots[] = {{0, 0, 0}, {63, 39, 3}, {31, 17, 1}, {1, 0, 2}};
  i32 cases = 0;
  for (const Spot &s : kSpots)
    for (i32 field = 0; field < 10; field++)
      for (f32 v : {NAN, INFINITY, -INFINITY}) {
        BoneKey3 &key = src->bones[s.bone].keys[s.motion].keys[s.key];
        f32 *value = field < 3 ? &key.pos[field] : field < 7 ? &key.quat[field - 3] : &key.scale[field - 7];
        f32 was = *value;
        *value = v;
        expectBoth(Encoded(src), notFinite,
                   "bone " + std::to_string(s.bone) + " motion " + std::to_string(s.motion) + " field " + std::to_string(field));
        *value = was;
        cases++;
      }
  EXPECT_EQ(cases, 4 * 10 * 3);
  for (i32 b = 0; b < src->boneCount; b++)
    for (i32 mo = 0; mo < src->motionCount; mo++)
      for (i32 k = 0; k < src->bones[b].keys[mo].count; k++) src->bones[b].keys[mo].keys[k].frame = k - 2;
  expectBoth(Encoded(src), "", "frames -2 to 1");
  src->bones[0].keys[0].keys[0].quat[1] = NAN;
  src->bones[20].keys[5].keys[2].frame = -2;
  expectBoth(Encoded(src), path + " は、モーション 5「」のボーン 20「ボーン_20」のキーフレームが昇順に並んでいないので\n読み込むことができません。",
             "a NaN key before a track out of order");
  Model3_Free(src);
}

// Bone tracks of many lengths (4k + 4 words and every other tail, tracks of one bone of
// different lengths) with a value or frame changed: the read through the block (whole bones parsed in it) and the read from memory
// give the same answer, message and model.
TEST_F(KzpTest, BoneTracksReadAlikeThroughTheBlockAndFromMemory) {
  g_MaxPolygons = 5000;
  g_MaxVertices = 20000;
  const i32 kLengths[] = {0, 1, 2, 3, 4, 5, 7, 8, 9, 12};
  std::vector<i32> keys;
  for (i32 b = 0; b < 64; b++) keys.push_back(kLengths[b % 10]);
  struct Change {
    const char *what;
    i32 bone, motion, key, field;   // field -1: the frame; 0..9: the values
    f32 value;
    bool read;
  };
  const Change kChanges[] = {
      {"unchanged", 0, 0, 0, -2, 0, true},
      {"NaN position", 3, 8, 2, 0, NAN, false},
      {"infinite last scale", 9, 39, 11, 9, -INFINITY, false},
      {"NaN quaternion of a 1-key track", 11, 0, 0, 4, NAN, false},
      {"frame repeated", 5, 3, 4, -1, 3 * 3 + 3, false},
      {"frame back", 38, 20, 2, -1, 0, false},
      {"negative first frame", 2, 1, 0, -1, -7, true},
  };
  Model3 *src = MixedMesh(4000, 5);
  AddTracks(src, 40, 1, 1, keys);
  for (i32 b = 0; b < src->boneCount; b++)   // tracks of one bone of different lengths
    for (i32 mo = 0; mo < src->motionCount; mo++)
      if ((b + mo) % 3 == 1) src->bones[b].keys[mo].count /= 2;
  for (const Change &c : kChanges) {
    SCOPED_TRACE(c.what);
    Model3 *m = Model3_Clone(src);
    if (c.field >= 0) {
      BoneKey3 &key = m->bones[c.bone].keys[c.motion].keys[c.key];
      f32 *v = c.field < 3 ? &key.pos[c.field] : c.field < 7 ? &key.quat[c.field - 3] : &key.scale[c.field - 7];
      *v = c.value;
    } else if (c.field == -1) {
      m->bones[c.bone].keys[c.motion].keys[c.key].frame = (i32)c.value;
    }
    std::vector<u8> file = Encoded(m);
    Model3_Free(m);
    ASSERT_GT(file.size(), 2 * kReadBlock);
    Messages().clear();
    Model3 *read = Read(file, 0, 0);
    std::vector<std::string> fileMessages = Messages();
    Messages().clear();
    bool fromData = Shown(Kzp_ReadIntoSlotFromData, 1, KZP_VERSION_2006, path.c_str(), file.data(), file.size());
    EXPECT_EQ(read != nullptr, c.read);
    EXPECT_EQ(fromData, c.read);
    EXPECT_EQ(fileMessages, Messages());
    if (c.read) {
      EXPECT_EQ(Encoded(read), file);
      EXPECT_EQ(Encoded(g_Model3Slots[1]), file);
    } else {
      ASSERT_EQ(fileMessages.size(), 1u);
    }
    Model3_FreeSlot(0);
    Model3_FreeSlot(1);
  }
  Model3_Free(src);
}

// A corner index of each kind just below, at and far past the vertex limit, in the last
// corner of the first polygon and of the last (a one-corner polygon): read with room for it,
// or refused as damaged.
TEST_F(KzpTest, CornerIndicesAreCheckedAgainstTheLimitInEveryField) {
  g_MaxPolygons = 5000;
  g_MaxVertices = 20000;
  Model3 *src = MixedMesh(300, 3);
  src->polygons[src->polygonCount - 1].cornerCount = 1;
  std::vector<u8> base = Encoded(src);
  size_t at = 3 + 4 + 16 + (size_t)src->positionCount * 24 + (size_t)src->normalCount * 12 +
              (size_t)src->colorCount * 16 + (size_t)src->uvCount * 8 + 2;
  std::vector<size_t> records;
  for (i32 i = 0; i < src->polygonCount; i++) {
    records.push_back(at);
    at += 1 + (size_t)base[at] * 16 + 4;
  }
  Model3_Free(src);
  i32 cases = 0;
  for (size_t record : {records.front(), records.back()})
    for (int field = 0; field < 4; field++)
      for (u32 value : {g_MaxVertices - 1, g_MaxVertices, 0xFFFFFFFFu}) {
        int corner = base[record] - 1;
        std::vector<u8> d = base;
        for (int i = 0; i < 4; i++) d[record + 1 + (size_t)corner * 16 + (size_t)field * 4 + (size_t)i] = (u8)(value >> (8 * i));
        Messages().clear();
        bool read = Shown(Kzp_ReadIntoSlotFromData, 0, KZP_VERSION_2006, path.c_str(), d.data(), d.size());
        SCOPED_TRACE(std::to_string(field) + " " + std::to_string(value));
        cases++;
        if (value >= g_MaxVertices) {
          EXPECT_FALSE(read);
          ASSERT_EQ(Messages().size(), 1u);
          EXPECT_NE(Messages()[0].find("は壊れているため"), std::string::npos);
          continue;
        }
        ASSERT_TRUE(read);
        const Model3 *m = g_Model3Slots[0];
        const PolyCorner &k = m->polygons[record == records.front() ? 0 : m->polygonCount - 1].corners[corner];
        const u32 got[4] = {k.vertex, k.normal, k.color, k.uv};
        const i32 room[4] = {m->capPositions, m->capNormals, m->capColors, m->capUVs};
        EXPECT_EQ(got[field], value);
        EXPECT_GE(room[field], (i32)value + 1);
        Model3_FreeSlot(0);
      }
  EXPECT_EQ(cases, 2 * 4 * 3);
}
