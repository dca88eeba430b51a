// The 3D model record: defaults of a new model (CP932 names byte for byte), copies that keep
// every track and group key, bone removal and copy, slot bounds, and leak-free churn.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <vector>

#include "lib/framework/lib.h"
#include "model/seam.h"
#include "model/str.h"
#include "model_fixture.h"
#include "tests/support/resident.h"

static BoneKey3 Key(i32 frame, f32 x) {
  BoneKey3 k;
  BoneKey3_Identity(&k, frame);
  k.pos[0] = x;
  return k;
}

TEST_F(ModelTest, NewModelDefaultsAreExact) {
  Model3 *m = NewFull();
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(g_ModelAllocArrays, 0u);   // one-shot flag cleared
  EXPECT_EQ(m->version, 2006000u);
  EXPECT_STREQ(m->fileName, "\x90\x56\x8b\x4b.KZP");
  EXPECT_STREQ(m->bones[0].name, "\x90\x65\x83\x7b\x81\x5b\x83\x93");
  EXPECT_STREQ(m->bones[1].name, "\x83\x7b\x81\x5b\x83\x93_01");
  EXPECT_STREQ(m->bones[127].name, "\x83\x7b\x81\x5b\x83\x93_127");
  EXPECT_STREQ(m->groups[0].name, "\x83\x4f\x83\x8b\x81\x5b\x83\x76 0");
  EXPECT_STREQ(m->groups[127].name, "\x83\x4f\x83\x8b\x81\x5b\x83\x76 127");
  EXPECT_STREQ(m->motions[0].name, "\x83\x82\x81\x5b\x83\x56\x83\x87\x83\x93\x96\xbc");
  EXPECT_STREQ(m->sounds[0], "\x82\xc8\x82\xb5");
  EXPECT_EQ(m->boneCount, 2);
  EXPECT_EQ(m->groupCount, 1);
  EXPECT_EQ(m->motionCount, 1);
  EXPECT_EQ(m->motions[0].used, 1u);
  EXPECT_EQ(m->motions[1].used, 0u);
  EXPECT_EQ(m->motions[99].length, 60);
  EXPECT_EQ(m->textureCount, 1);
  EXPECT_STREQ(m->textures[127].name, "");
  EXPECT_EQ(m->soundCount, 1);
  EXPECT_EQ(m->positionCount + m->normalCount + m->colorCount + m->uvCount + m->polygonCount, 0);
  EXPECT_EQ(m->keyTableLength, 100);
  EXPECT_EQ(m->refineLevel, 4);
  EXPECT_EQ(m->displayMode, 2u);
  EXPECT_EQ(m->shown, 1);
  EXPECT_EQ(m->lighting, 1u);
  EXPECT_EQ(m->normalUpdate, 1u);
  EXPECT_EQ(m->dispScale, 1.0f);
  EXPECT_EQ(m->normalOffset, 1.0f);
  EXPECT_EQ(m->shadow[0], -0.01f);
  EXPECT_EQ(m->shadow[1], 1.0f);
  EXPECT_EQ(m->shadow[3], 1.0f);
  EXPECT_EQ(m->color[3], 255.0f);
  const Group3 &g = m->groups[5];
  EXPECT_EQ(g.r, 200.0f); EXPECT_EQ(g.a, 255.0f); EXPECT_EQ(g.shading, 4u);
  EXPECT_EQ(g.scaleU, 1.0f); EXPECT_EQ(g.word1, 4u); EXPECT_EQ(g.specB, 64u);
  // Every bone has one identity key at frame 0 in each motion in use; the tracks of a motion
  // come into being with it (all 100 here).
  auto checkTracks = [&](int motions) {
    for (int b = 0; b < 128; b++)
      for (int t = 0; t < motions; t++) {
        const KeyTrack &tr = m->bones[b].keys[t];
        ASSERT_EQ(tr.count, 1);
        ASSERT_EQ(tr.capacity, 16);
        ASSERT_EQ(tr.keys[0].frame, 0);
        ASSERT_EQ(tr.keys[0].quat[3], 1.0f);
        ASSERT_EQ(tr.keys[15].scale[2], 1.0f);
      }
  };
  checkTracks(1);
  m->motionCount = 100;
  Model3_FreshTracks(m);
  checkTracks(100);
  m->motionCount = 1;
  EXPECT_EQ(m->boneRest[7].quat[3], 1.0f);
  Model3_FreshBindings(m, 0, 256);
  EXPECT_EQ(m->bindings[255].automatic, 1u);
  EXPECT_EQ(m->capPositions, 256);
  EXPECT_EQ(m->capPolygons, 64);
  // Group key lists are made when first needed, reset: 16 keys of values 1.0, count 0.
  EXPECT_EQ(m->motions[99].groupKeys[127], nullptr);
  const GroupKeyList3 *gl = Model3_EnsureGroupKeys(m, 99, 127);
  ASSERT_NE(gl, nullptr);
  EXPECT_EQ(gl->count, 0);
  EXPECT_EQ(gl->keys[15].values[3], 1.0f);
  Model3_Free(m);

  Model3 *bare = Model3_New();   // flag 0: a copy or reader target
  EXPECT_EQ(bare->positions, nullptr);
  EXPECT_EQ(bare->polygons, nullptr);
  EXPECT_EQ(bare->bones[0].keys, nullptr);
  EXPECT_EQ(bare->motions[0].groupKeys[0], nullptr);
  EXPECT_EQ(bare->keyTableLength, 0);
  Model3_Free(bare);
}

// A new model as it was made field by field before new models started as a copy of one
// prepared record: the reference the copies are held to.
static Model3 *ReferenceNewModel(void) {
  Model3 *m = (Model3 *)calloc(1, sizeof(Model3));
  m->shown = 1;
  for (int b = 0; b < MODEL3_BONES; b++) {
    if (b == 0) Str_Copy(m->bones[b].name, MODEL3_NAME, "親ボーン");
    else Str_Format(m->bones[b].name, MODEL3_NAME, "ボーン_%02d", b);
    BoneKey3_Identity(&m->boneRest[b], 0);
  }
  m->textureCount = 1;
  for (int i = 0; i < MODEL3_TEXTURES; i++) Model3_SetText(&m->textures[i].name, "");
  m->dispScale = 1.0f;
  m->groupCount = 1;
  for (int i = 0; i < MODEL3_GROUPS; i++) {
    Group3 *g = &m->groups[i];
    Str_Format(g->name, MODEL3_NAME, "グループ %d", i);
    g->r = g->g = g->b = 200.0f;
    g->a = 255.0f;
    g->shading = 4;
    g->scaleU = g->scaleV = 1.0f;
    g->word1 = 4;
    g->specR = g->specG = g->specB = 64;
  }
  const f32 shadow[5] = {-0.01f, 1.0f, 0.0f, 1.0f, 0.0f};
  memcpy(m->shadow, shadow, sizeof shadow);
  m->refineLevel = 4;
  m->boneCount = 2;
  m->version = g_KzpVersion;
  Model3_SetText(&m->fileName, "新規.KZP");
  for (int mo = 0; mo < MODEL3_MOTIONS; mo++) m->motions[mo].length = 60;
  m->motionCount = 1;
  m->motions[0].used = 1;
  Str_Copy(m->motions[0].name, MODEL3_NAME, "モーション名");
  for (int c = 0; c < 4; c++) m->color[c] = 255.0f;
  m->normalUpdate = 1;
  m->displayMode = 2;
  m->soundCount = 1;
  Str_Copy(m->sounds[0], MODEL3_NAME, "なし");
  m->lighting = 1;
  m->normalOffset = 1.0f;
  return m;
}

// The record's bytes with its owned texts compared as texts and taken out (each model owns
// copies of its own).
static std::vector<u8> RecordBytes(const Model3 *m) {
  Model3 *c = (Model3 *)malloc(sizeof(Model3));
  memcpy(c, m, sizeof(Model3));
  for (int i = 0; i < MODEL3_TEXTURES; i++) {
    EXPECT_STREQ(m->textures[i].name, "") << i;
    c->textures[i].name = nullptr;
  }
  EXPECT_STREQ(m->fileName, "新規.KZP");
  c->fileName = nullptr;
  std::vector<u8> bytes((const u8 *)c, (const u8 *)c + sizeof(Model3));
  free(c);
  return bytes;
}

// Byte for byte the reference, whatever the models made before did with theirs and whatever
// version new models are written as; every model owns its own texts.
TEST_F(ModelTest, NewModelsAreTheFieldByFieldRecordByteForByte) {
  u32 version = g_KzpVersion;
  for (u32 v : {2006000u, 2005000u, 2006000u}) {
    g_KzpVersion = v;
    Model3 *want = ReferenceNewModel();
    Model3 *a = Model3_New(), *b = Model3_New();
    EXPECT_EQ(RecordBytes(a), RecordBytes(want)) << v;
    // Changes to one model reach neither the next nor one made before.
    a->groups[3].r = 1.0f;
    Str_Copy(a->bones[5].name, MODEL3_NAME, "x");
    Model3_SetText(&a->textures[0].name, "t.bmp");
    a->motions[0].length = 7;
    Model3 *c = Model3_New();
    EXPECT_EQ(RecordBytes(b), RecordBytes(want)) << v;
    EXPECT_EQ(RecordBytes(c), RecordBytes(want)) << v;
    EXPECT_NE(b->textures[0].name, c->textures[0].name);
    EXPECT_NE(b->fileName, c->fileName);
    for (Model3 *m : {want, a, b, c}) Model3_Free(m);
  }
  g_KzpVersion = version;
}

// Room made to fill: whatever the allocator hands back, everything past the counts the
// caller fills (and the arrays it never fills) reads as zero, as the room Model3_Reserve
// makes, also once grown again.
TEST_F(ModelTest, RoomMadeToFillIsZeroPastTheCounts) {
  struct Case {
    i32 p, n, c, u;
  } cases[] = {{3, 0, 2, 0}, {0, 5, 0, 1}, {7, 7, 7, 7}, {1, 0, 0, 0}};
  for (const Case &k : cases) {
    for (int i = 0; i < 8; i++) {   // leave the allocator blocks full of garbage
      void *g = malloc(64 * (i + 1));
      memset(g, 0xAB, 64 * (i + 1));
      free(g);
    }
    Model3 *m = Model3_New();
    ASSERT_TRUE(Model3_ReserveToFill(m, k.p, k.n, k.c, k.u));
    for (i32 i = 0; i < k.p; i++) m->positions[i] = m->vertexNormals[i] = Vec3{9, 9, 9};
    for (i32 i = 0; i < k.p; i++) m->bindings[i] = VertexBinding{3, 3, 9.0f, 3};
    for (i32 i = 0; i < k.n; i++) m->normals[i] = Vec3{9, 9, 9};
    for (i32 i = 0; i < k.c; i++) m->colors[i] = Color4{9, 9, 9, 9};
    for (i32 i = 0; i < k.u; i++) m->uvs[i] = Vec2{9, 9};
    ASSERT_TRUE(Model3_Reserve(m, k.p + 4, k.n + 4, k.c + 4, k.u + 4, 2));
    auto zero = [](const void *p, size_t bytes) {
      for (size_t i = 0; i < bytes; i++)
        if (((const u8 *)p)[i]) return false;
      return true;
    };
    EXPECT_TRUE(zero(m->positions + k.p, 4 * sizeof(Vec3))) << k.p;
    EXPECT_TRUE(zero(m->bindings + k.p, 4 * sizeof(VertexBinding))) << k.p;
    EXPECT_TRUE(zero(m->posed, (size_t)(k.p + 4) * sizeof(Vec3))) << k.p;
    EXPECT_TRUE(zero(m->vertexNormals + k.p, 4 * sizeof(Vec3))) << k.p;
    EXPECT_TRUE(zero(m->normals + k.n, 4 * sizeof(Vec3))) << k.n;
    EXPECT_TRUE(zero(m->colors + k.c, 4 * sizeof(Color4))) << k.c;
    EXPECT_TRUE(zero(m->uvs + k.u, 4 * sizeof(Vec2))) << k.u;
    EXPECT_TRUE(zero(m->polygons, 2 * sizeof(Polygon3)));
    for (i32 i = 0; i < k.p; i++) EXPECT_EQ(m->positions[i].y, 9.0f);
    for (i32 i = 0; i < k.c; i++) EXPECT_EQ(m->colors[i].a, 9.0f);
    Model3_Free(m);
  }
  Model3 *m = Model3_New();
  EXPECT_FALSE(Model3_ReserveToFill(m, -1, 0, 0, 0));
  EXPECT_FALSE(Model3_ReserveToFill(m, 0, (i32)g_MaxVertices + 1, 0, 0));
  Model3_Free(m);
}

TEST_F(ModelTest, SlotNumbersOutsideTheTableAreRefused) {
  EXPECT_EQ(Model3_Init(256), nullptr);
  EXPECT_EQ(Model3_Init(-1), nullptr);
  ASSERT_EQ(Messages().size(), 2u);
  EXPECT_EQ(Messages()[0], "Model3_Init(256) \x8d\xc5\x91\xe5\x90\x94\x82\xf0\x92\xb4\x82\xa6\x82\xdc\x82\xb5\x82\xbd\x81\x42");
  EXPECT_EQ(Messages()[1].substr(0, 15), "Model3_Init(-1)");
  for (int i = 0; i < 256; i++) EXPECT_EQ(g_Model3Slots[i], nullptr);
  EXPECT_EQ(Model3_Get(-1), nullptr);
  EXPECT_EQ(Model3_Get(256), nullptr);
  EXPECT_FALSE(Model3_CopyToSlot(-1, 0));
  EXPECT_FALSE(Model3_CopyToSlot(0, 256));
  EXPECT_FALSE(Model3_CopyToSlot(3, 4));   // empty source
  Model3_FreeSlot(-5);                     // ignored
  Model3 *m = Model3_Init(255);
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->slot, 255);
  EXPECT_NE(g_ModelPoses[255], nullptr);
}

TEST_F(ModelTest, TracksGrowPastTheirCreationCapacity) {
  Model3 *m = NewFull();
  KeyTrack *t = &m->bones[1].keys[0];
  for (int f = 999; f >= 0; f--) ASSERT_GE(KeyTrack_Insert(t, &(const BoneKey3 &)Key(f * 2, (f32)f)), 0);
  ASSERT_EQ(t->count, 1000);   // frame 0 replaced the identity key
  for (int i = 0; i < 1000; i++) {
    ASSERT_EQ(t->keys[i].frame, i * 2);
    ASSERT_EQ(t->keys[i].pos[0], (f32)i);
  }
  BoneKey3 again = Key(10, 77.0f);
  EXPECT_EQ(KeyTrack_Insert(t, &again), 5);   // same frame: replaced, not added
  EXPECT_EQ(t->count, 1000);
  EXPECT_EQ(KeyTrack_FindAtOrBefore(t, 11), 5);
  EXPECT_EQ(KeyTrack_Find(t, 11), -1);
  EXPECT_TRUE(KeyTrack_Remove(t, 0));
  EXPECT_FALSE(KeyTrack_Remove(t, 999));
  EXPECT_FALSE(KeyTrack_Remove(t, -1));
  EXPECT_FALSE(KeyTrack_Reserve(t, -1));
  Model3_Free(m);
}

TEST_F(ModelTest, CopyKeepsTracksAndGroupKeys) {
  Model3 *s = NewFull();
  s->motionCount = 3;
  s->motions[2].used = 1;
  s->boneCount = 4;
  for (int f = 0; f < 40; f++) KeyTrack_Insert(&s->bones[3].keys[2], &(const BoneKey3 &)Key(f, (f32)f));
  GroupKeyList3 *gl = Model3_EnsureGroupKeys(s, 1, 0);
  gl->count = 2;
  gl->keys[1].frame = 30;
  gl->keys[1].texture = 5;
  s->positionCount = 3;
  s->positions[2] = {1, 2, 3};
  s->polygonCount = 1;
  s->polygons[0].cornerCount = 3;
  s->polygons[0].corners[2].vertex = 2;
  s->textureCount = 2;
  s->textures[1].used = 1;
  Model3_SetText(&s->textures[1].name, "tex.png");

  // Undo snapshot: a bare model, copy with grow; then back into a full one.
  Model3 *snap = Model3_New();
  Model3_Copy(s, snap, 1);
  EXPECT_EQ(snap->bones[3].keys[2].count, 40);
  EXPECT_EQ(snap->bones[3].keys[2].keys[39].pos[0], 39.0f);
  ASSERT_NE(snap->motions[1].groupKeys[0], nullptr);
  EXPECT_EQ(snap->motions[1].groupKeys[0]->count, 2);
  EXPECT_EQ(snap->motions[1].groupKeys[0]->keys[1].texture, 5);
  EXPECT_EQ(snap->positions[2].z, 3.0f);
  EXPECT_EQ(snap->polygons[0].corners[2].vertex, 2u);
  EXPECT_STREQ(snap->textures[1].name, "tex.png");
  EXPECT_GE(snap->capPositions, 4);

  Model3 *back = NewFull();
  Model3_Copy(snap, back, 0);
  EXPECT_EQ(back->bones[3].keys[2].count, 40);
  EXPECT_EQ(back->motions[1].groupKeys[0]->keys[1].frame, 30u);
  EXPECT_EQ(back->motionCount, 3);
  EXPECT_EQ(back->capPositions, 256);   // an editable model keeps its full arrays
  Model3_Copy(back, back, 0);           // onto itself: nothing
  EXPECT_STREQ(back->textures[1].name, "tex.png");
  Model3_Copy(nullptr, back, 0);
  Model3_Copy(back, nullptr, 1);
  Model3_Free(s);
  Model3_Free(snap);
  Model3_Free(back);
}

TEST_F(ModelTest, CopyToSlotCreatesArraysForAnEmptySlot) {
  g_Model3Edited = 0;   // the new destination gets no arrays of its own
  g_ModelAllocArrays = 1;
  Model3 *m = Model3_Init(1);
  m->positionCount = 200;
  m->positions[199] = {9, 8, 7};
  m->polygonCount = 50;
  m->polygons[49].group = 3;
  ASSERT_TRUE(Model3_CopyToSlot(1, 2));
  Model3 *d = g_Model3Slots[2];
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->slot, 2);
  EXPECT_EQ(d->positions[199].x, 9.0f);
  EXPECT_EQ(d->polygons[49].group, 3u);
  EXPECT_EQ(g_ModelPoses[2], nullptr);   // a copied slot has no pose record
  EXPECT_TRUE(Model3_CopyToSlot(1, 1));
}

TEST_F(ModelTest, DeleteBoneRefusesBadNumbersAndShiftsTracks) {
  Model3 *m = NewFull();
  m->boneCount = 4;
  for (int b = 1; b < 4; b++) {
    m->bones[b].parent = b - 1;
    KeyTrack_Insert(&m->bones[b].keys[0], &(const BoneKey3 &)Key(10 * b, (f32)b));
  }
  for (int f = 0; f < 30; f++) KeyTrack_Insert(&m->bones[3].keys[0], &(const BoneKey3 &)Key(100 + f, 3.0f));
  m->positionCount = 2;
  m->bindings[0] = {3, 2, 0.5f, 0};
  m->bindings[1] = {1, 0, 1.0f, 0};

  EXPECT_FALSE(Model3_DeleteBone(m, 4));
  EXPECT_FALSE(Model3_DeleteBone(m, -1));
  EXPECT_FALSE(Model3_DeleteBone(nullptr, 0));
  EXPECT_EQ(m->boneCount, 4);

  ASSERT_TRUE(Model3_DeleteBone(m, 1));
  EXPECT_EQ(m->boneCount, 3);
  EXPECT_EQ(m->bones[1].parent, 0);   // child of the removed bone goes to the root
  EXPECT_EQ(m->bones[2].parent, 1);
  EXPECT_EQ(m->bones[2].keys[0].count, 32);   // 31 keys over a 16-key track: grown, intact
  EXPECT_EQ(m->bones[2].keys[0].keys[31].frame, 129);
  EXPECT_EQ(m->bindings[0].bone1, 2);
  EXPECT_EQ(m->bindings[0].bone2, 1);
  EXPECT_EQ(m->bindings[1].bone1, 1);   // bindings to the removed bone keep its number

  ASSERT_TRUE(Model3_DeleteBone(m, 2));   // the last bone
  ASSERT_TRUE(Model3_DeleteBone(m, 1));
  EXPECT_EQ(m->boneCount, 1);
  ASSERT_TRUE(Model3_DeleteBone(m, 0));
  EXPECT_EQ(m->boneCount, 1);   // never below one bone
  Model3_Free(m);
}

// The one-pass re-mapping against the bone-by-bone shifting it replaces, over every bone
// number a binding can hold (past the bones too) and deletions first, in the middle and last.
TEST_F(ModelTest, DeleteBoneRemapsBindingsAsBoneByBoneShifting) {
  for (i32 n : {0, 1, 57, 126, 127}) {
    Model3 *m = NewFull();
    m->boneCount = MODEL3_BONES;
    m->positionCount = 130;
    std::vector<VertexBinding> want;
    for (i32 v = 0; v < m->positionCount; v++) {
      m->bindings[v] = {(u16)v, (u16)(129 - v), 0.5f, 0};
      want.push_back(m->bindings[v]);
    }
    for (i32 b = n; b <= m->boneCount - 2; b++)
      for (VertexBinding &w : want) {
        if (w.bone1 == b + 1) w.bone1--;
        if (w.bone2 == b + 1) w.bone2--;
      }
    ASSERT_TRUE(Model3_DeleteBone(m, n));
    for (i32 v = 0; v < m->positionCount; v++) {
      EXPECT_EQ(m->bindings[v].bone1, want[v].bone1) << n << " " << v;
      EXPECT_EQ(m->bindings[v].bone2, want[v].bone2) << n << " " << v;
    }
    Model3_Free(m);
  }
}

// Tracks whose keys live in their table's block: reading, inserting past the room (the track
// moves to a block of its own), copying into a borrowed track and freeing (ASan sees any free
// of a borrowed block).
TEST_F(ModelTest, TableKeysStayBorrowedUntilATrackGrows) {
  const i32 counts[MODEL3_MOTIONS] = {2, 0, 3};
  KeyTrack *table = KeyTrack_NewTable(MODEL3_MOTIONS, counts);
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table[0].capacity, 2);
  EXPECT_EQ(table[1].keys, nullptr);
  EXPECT_EQ(table[2].keys, table[0].keys + 2);
  for (i32 k = 0; k < 2; k++) table[0].keys[k] = Key(10 * k, 1.0f);
  table[0].count = 2;
  BoneKey3 *pooled = table[0].keys;
  ASSERT_EQ(KeyTrack_Insert(&table[0], &(const BoneKey3 &)Key(5, 2.0f)), 1);   // full: moves out
  EXPECT_NE(table[0].keys, pooled);
  EXPECT_EQ(table[0].borrowed, 0);
  EXPECT_EQ(table[0].count, 3);
  EXPECT_EQ(table[0].keys[2].frame, 10);
  ASSERT_TRUE(KeyTrack_CopyFrom(&table[2], &table[0]));   // fits the borrowed room
  EXPECT_EQ(table[2].borrowed, 1);
  EXPECT_EQ(table[2].keys[1].pos[0], 2.0f);
  ASSERT_TRUE(KeyTrack_CopyFrom(&table[1], &table[0]));   // an empty track gets its own block
  EXPECT_TRUE(KeyTrack_Remove(&table[2], 0));
  EXPECT_EQ(table[2].keys[0].frame, 5);
  const i32 negative[MODEL3_MOTIONS] = {-1};
  EXPECT_EQ(KeyTrack_NewTable(MODEL3_MOTIONS, negative), nullptr);
  for (i32 t = 0; t < MODEL3_MOTIONS; t++) KeyTrack_Free(&table[t]);
  free(table);
}

TEST_F(ModelTest, CopyBoneGrowsTheDestinationTrack) {
  Model3 *m = NewFull();
  for (int f = 0; f < 50; f++) KeyTrack_Insert(&m->bones[0].keys[0], &(const BoneKey3 &)Key(f, (f32)f));
  EXPECT_FALSE(Model3_CopyBone(m, 0, 128));
  EXPECT_FALSE(Model3_CopyBone(m, -1, 3));
  ASSERT_TRUE(Model3_CopyBone(m, 0, 5));
  EXPECT_EQ(m->bones[5].keys[0].count, 50);
  EXPECT_EQ(m->bones[5].keys[0].keys[49].pos[0], 49.0f);
  EXPECT_EQ(m->boneCount, 5);
  EXPECT_STREQ(m->bones[5].name, m->bones[0].name);
  Model3_Free(m);
}

TEST_F(ModelTest, SmallOperationsRefuseBadInput) {
  Model3 *m = NewFull();
  EXPECT_FALSE(Model3_SetMotion(m, 1));
  EXPECT_FALSE(Model3_SetMotion(m, -1));
  m->poseUpdate = 0;
  EXPECT_FALSE(Model3_SetMotion(m, 0));   // the current motion: false, but pose update set
  EXPECT_EQ(m->poseUpdate, 1u);
  m->motionCount = 2;
  m->frame = 9;
  EXPECT_TRUE(Model3_SetMotion(m, 1));
  EXPECT_EQ(m->frame, 0);
  EXPECT_FALSE(Model3_SetMotion(nullptr, 0));
  EXPECT_FALSE(Model3_SetLighting(nullptr, 1));

  m->polygonCount = 3;
  m->polygons[2].group = 7;
  EXPECT_FALSE(Model3_DeletePolygon(m, 3));
  EXPECT_FALSE(Model3_DeletePolygon(m, -1));
  EXPECT_TRUE(Model3_DeletePolygon(m, 0));
  EXPECT_EQ(m->polygons[1].group, 7u);
  EXPECT_EQ(m->polygonCount, 2);
  Model3_Free(m);
}

TEST_F(ModelTest, RenderModeFollowsTheDevice) {
  Model3 m = {};
  u16 level = g_GpuInfo.level;
  u32 toon = g_Model3ToonLoaded;
  Lib_SetGpuLevel(1);
  g_Model3ToonLoaded = 0;
  m.polygonCount = 3199;
  Model3_SetRenderMode(&m, 2);
  EXPECT_EQ(m.renderMode, 2u);
  EXPECT_EQ(m.changed, 1u);
  m.polygonCount = 3200;
  Model3_SetRenderMode(&m, 2);
  EXPECT_EQ(m.renderMode, 3u);
  Model3_SetRenderMode(&m, 7);
  EXPECT_EQ(m.renderMode, 7u);
  g_Model3ToonLoaded = 1;
  Model3_SetRenderMode(&m, 2);
  EXPECT_EQ(m.renderMode, 1u);
  m.polygonCount = 10;
  Model3_SetRenderMode(&m, 2);
  EXPECT_EQ(m.renderMode, 1u);
  Lib_SetGpuLevel(0);
  Model3_SetRenderMode(&m, 7);
  EXPECT_EQ(m.renderMode, 0u);
  EXPECT_FALSE(Model3_SetRenderMode(nullptr, 0));
  Lib_SetGpuLevel(level);
  g_Model3ToonLoaded = toon;
}

static int g_Released;
static void CountRelease(void *) { g_Released++; }

TEST_F(ModelTest, SlotChurnReleasesEverything) {
  // Creating, copying and freeing every slot repeatedly: LeakSanitizer checks the rest.
  g_Seam.releaseHandle = CountRelease;
  g_Released = 0;
  g_MaxPolygons = 4;
  g_MaxVertices = 16;
  for (int round = 0; round < 2; round++) {
    for (int n = 0; n < 256; n++) {
      g_ModelAllocArrays = (n % 2);
      ASSERT_NE(Model3_Init(n), nullptr);
    }
    static int fakeHandle;
    g_ModelPoses[7]->textures[3] = &fakeHandle;
    g_ModelPoses[7]->vertexBuffers[0] = &fakeHandle;
    for (int n = 0; n < 255; n++) ASSERT_TRUE(Model3_CopyToSlot(n, n + 1));
    Model3_Init(7);   // replaces the model: the old pose's handles are released
    Model3_FreeAllSlots();
  }
  EXPECT_EQ(g_Released, 4);
  for (int n = 0; n < 256; n++) EXPECT_EQ(g_ModelPoses[n], nullptr);
}

// Resident memory of a model made with full arrays: the arrays at capacity come as untouched
// zero pages, so a full-capacity model holding 10 polygons costs far less than its capacity.
TEST_F(ModelTest, UntouchedCapacityCostsNoMemory) {
  g_MaxPolygons = 65000;
  g_MaxVertices = 4 * 65000;
  Model3_Free(NewFull());   // the allocator's own first-use cost is not the model's
  long before = Test_ResidentKiB();
  if (before < 0) GTEST_SKIP();
  Model3 *m = NewFull();
  ASSERT_EQ(m->capPolygons, 65000);
  for (int p = 0; p < 10; p++) {
    m->polygons[p].cornerCount = 4;
    for (int c = 0; c < 4; c++) m->positions[4 * p + c] = Vec3{(f32)p, (f32)c, 0};
  }
  m->polygonCount = 10;
  m->positionCount = 40;
  long cost = Test_ResidentKiB() - before;
  long capacityKiB = (long)(65000 * sizeof(Polygon3) + 4 * 65000 * (4 * sizeof(Vec3) + sizeof(Vec2) + sizeof(Color4))) / 1024;
  printf("full model holding 10 polygons: %ld KiB resident (arrays at capacity: %ld KiB, record %zu KiB)\n", cost,
         capacityKiB, sizeof(Model3) / 1024);
  EXPECT_LT(cost, 1024);
  Model3_Free(m);
}
