// 2D bone models: defaults of a new model, key segments, evaluation, the rest and pose
// matrices and skinning against hand-computed values.
#include <gtest/gtest.h>
#include <math.h>
#include <string.h>

#include <vector>

#include "lib/framework/lib.h"
#include "model/bone2.h"
#include "tests/model/bone2_testutil.h"
#include "tests/support/resident.h"

namespace {

Bone2Model *FullModel(i32 slot) {
  g_ModelAllocArrays = 1;
  return Bone2_Init(slot);
}

void SetKeys(Bone2Model *m, i32 bone, std::vector<BoneKey2> keys) {
  Bone2Track *t = Bone2_Track(m, bone, 0);
  ASSERT_TRUE(t);
  ASSERT_TRUE(Bone2Track_Reserve(t, (i32)keys.size()));
  for (size_t i = 0; i < keys.size(); i++) t->keys[i] = keys[i];
  t->count = (i32)keys.size();
}

BoneKey2 Key(i32 frame, f32 x, f32 y, f32 angle, f32 sx = 1, f32 sy = 1) { return {frame, x, y, angle, sx, sy}; }

}  // namespace

TEST(Bone2, NewModelDefaults) {
  Bone2Model *m = FullModel(3);
  ASSERT_TRUE(m);
  EXPECT_EQ(g_ModelAllocArrays, 0u);   // consumed
  EXPECT_EQ(m->slot, 3);
  EXPECT_EQ(m->boneCount, 2);
  EXPECT_STREQ(m->bones[0].name, "親ボーン");
  EXPECT_STREQ(m->bones[1].name, "ボーン_01");
  EXPECT_STREQ(m->bones[127].name, "ボーン_127");
  EXPECT_STREQ(m->name, "新規.KZB");
  EXPECT_EQ(m->motionCount, 1);
  EXPECT_STREQ(m->motions[0].name, "モーション名");
  EXPECT_EQ(m->motions[0].used, 1u);
  EXPECT_EQ(m->motions[99].length, 60);
  EXPECT_EQ(m->textureCount, 1);
  EXPECT_EQ(m->textures[0].used, 0u);
  EXPECT_EQ(m->groupCount, 1);
  EXPECT_STREQ(m->groups[0].name, "グループ 0");
  EXPECT_EQ(m->groups[5].shadeMode, 4);
  EXPECT_FLOAT_EQ(m->groups[0].r, 200.0f);
  EXPECT_FLOAT_EQ(m->groups[0].p[2], 1.0f);
  EXPECT_STREQ(m->nameList[0], "なし");
  EXPECT_EQ(m->displayMode, 2);
  EXPECT_EQ(m->lightingFlag, 1);
  EXPECT_FLOAT_EQ(m->reservedFloat, 1.0f);
  EXPECT_FLOAT_EQ(m->placeScaleX, 1.0f);
  EXPECT_EQ(m->vertexCapacity, (i32)g_MaxVertices);
  Bone2_FreshBindings(m, 0, 2);   // vertices coming into use bind automatically
  EXPECT_EQ(m->bindings[1].automatic, 1u);
  EXPECT_EQ(m->bindings[2].automatic, 0u);
  // Tracks of the motion in use hold the identity key; the others stay empty until their
  // motion comes into use, and evaluate as the identity meanwhile.
  for (i32 b = 0; b < 128; b += 37) {
    Bone2Track *t = Bone2_Track(m, b, 0);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->count, 1);
    EXPECT_EQ(t->capacity, 16);
    EXPECT_EQ(t->keys[15].scaleY, 1.0f);
    for (i32 mo = 33; mo < 100; mo += 33) EXPECT_EQ(Bone2_Track(m, b, mo)->count, 0);
  }
  m->motionCount = 3;
  ASSERT_TRUE(Bone2_FreshTracks(m));
  EXPECT_EQ(Bone2_Track(m, 127, 2)->count, 1);
  EXPECT_EQ(Bone2_Track(m, 127, 2)->keys[0].scaleX, 1.0f);
  EXPECT_EQ(Bone2_Track(m, 127, 3)->count, 0);
  m->currentMotion = 50;
  Bone2_UpdateKeyIndices(3);
  Bone2_EvalKey(3, 1, m->bones[1].keyIndex, m->bones[1].fraction);
  const f32 identity[5] = {0, 0, 0, 1, 1};
  for (i32 i = 0; i < 5; i++) EXPECT_EQ(m->bones[1].pose[i], identity[i]);
  m->currentMotion = 0;
  Bone2_FreeSlot(3);
  EXPECT_EQ(g_Bone2Slots[3], nullptr);
  EXPECT_EQ(g_Bone2SlotShown[3], 0u);

  // Without the flag: no arrays, no tables, no names.
  Bone2Model *bare = Bone2_New();
  EXPECT_EQ(bare->positions, nullptr);
  EXPECT_EQ(bare->bones[1].keys, nullptr);
  EXPECT_EQ(bare->bones[1].name[0], 0);
  EXPECT_EQ(bare->textureCount, 0);
  EXPECT_EQ(bare->boneCount, 2);
  Bone2_Free(bare);
  EXPECT_EQ(Bone2_Init(32), nullptr);
  EXPECT_EQ(Bone2_Init(-1), nullptr);
  EXPECT_FALSE(Bone2_SetPosition(nullptr, 1, 2));
  EXPECT_FALSE(Bone2_SetAngle(nullptr, 1));
  EXPECT_FALSE(Bone2_SetScale(nullptr, 1, 2));
}

TEST(Bone2, KeySegments) {
  // Two keys (or the first alone) in a motion of 60 frames: the segment a frame lies on and
  // the fraction through it.
  struct Case {
    const char *what;
    i32 first, second, count, frame;
    i32 k;
    f32 t;
    bool exact;
  };
  const Case cases[] = {
      {"inside the first segment", 0, 30, 2, 15, 0, 0.5f, false},
      {"frame 45 of 60 lies on the wrapped segment from key 1 to key 0", 0, 30, 2, 45, 1, 0.5f, false},
      {"before the first key: from the last key through the motion's end", 10, 40, 2, 5, 1, 25.0f / 30.0f, false},
      {"one key: index 0, fraction 0", 0, 30, 1, 45, 0, 0.0f, true},
      {"a zero-length wrap gives fraction 0, not a division by zero", 0, 60, 2, 60, 1, 0.0f, true},
  };
  for (const Case &c : cases) {
    BoneKey2 keys[2] = {Key(c.first, 0, 0, 0), Key(c.second, 0, 0, 0)};
    i32 k = 0;
    f32 t = -1;
    Key2_FindSegment(keys, sizeof(BoneKey2), c.count, c.frame, 60, &k, &t);
    EXPECT_EQ(k, c.k) << c.what;
    if (c.exact)
      EXPECT_EQ(t, c.t) << c.what;
    else
      EXPECT_FLOAT_EQ(t, c.t) << c.what;
  }
}

TEST(Bone2, EvalKeyHoldsWrapsAndDefaults) {
  Bone2Model *m = FullModel(0);
  m->boneCount = 3;
  SetKeys(m, 1, {Key(0, 7, 8, 9, 2, 3)});
  Bone2_EvalKey(0, 1, 0, 0.7f);
  EXPECT_FLOAT_EQ(m->bones[1].pose[0], 7);
  EXPECT_FLOAT_EQ(m->bones[1].pose[4], 3);
  SetKeys(m, 2, {Key(0, 0, 0, 0), Key(30, 90, 0, 90)});
  Bone2_EvalKey(0, 2, 0, 0.5f);   // neighbours wrap: (90, 0, 90, 0) at t = 0.5
  EXPECT_FLOAT_EQ(m->bones[2].pose[0], 45);
  EXPECT_FLOAT_EQ(m->bones[2].pose[2], 45);
  Bone2_EvalKey(0, 2, 99, 0.0f);   // an index past the list is held at the last key
  EXPECT_FLOAT_EQ(m->bones[2].pose[0], 90);
  SetKeys(m, 2, {});
  Bone2_EvalKey(0, 2, 0, 0.5f);
  EXPECT_FLOAT_EQ(m->bones[2].pose[0], 0);
  EXPECT_FLOAT_EQ(m->bones[2].pose[3], 1);
  m->currentMotion = 150;   // a motion the model has no table for counts as no keys
  Bone2_EvalKey(0, 1, 0, 0.0f);
  EXPECT_FLOAT_EQ(m->bones[1].pose[0], 0);
  Bone2_FreeSlot(0);
}

// Bone 1 (rest at (10, 0)) turns from 0 to 90 degrees over frames 0..30; bone 2, its child
// 10 pixels further on, holds 90 degrees. At frame 15 bone 1 stands at 45 degrees.
TEST(Bone2, TwoBoneSkinAtFrame) {
  Bone2Model *m = FullModel(1);
  g_Bone2SlotShown[1] = 1;
  m->boneCount = 3;
  m->bones[1].parent = 0;
  m->bones[2].parent = 1;
  m->rest[1] = Key(0, 10, 0, 0);
  m->rest[2] = Key(0, 10, 0, 0);
  SetKeys(m, 0, {Key(0, 50, 50, 30)});   // the root's keys never move it
  SetKeys(m, 1, {Key(0, 0, 0, 0), Key(30, 0, 0, 90)});
  SetKeys(m, 2, {Key(0, 0, 0, 90)});
  m->currentFrame = 15;
  m->vertexCount = 4;
  m->positions[0] = {20, 0};
  m->bindings[0] = {1, 0, 1.0f, 0};
  m->positions[1] = {25, 5};
  m->bindings[1] = {2, 1, 0.25f, 0};
  m->positions[2] = {3, 4};
  m->bindings[2] = {200, 0, 1.0f, 0};   // bone outside the model: follows the root
  m->positions[3] = {20, 0};
  m->bindings[3] = {1, 300, 0.5f, 0};   // second bone outside: the root
  Bone2_SkinAll();

  const f32 c = sqrtf(0.5f);
  EXPECT_NEAR(m->skinned[0].x, 10 * c + 10, 1e-4);
  EXPECT_NEAR(m->skinned[0].y, 10 * c, 1e-4);
  EXPECT_NEAR(m->skinned[1].x, 10 + 0.75f * (10 * c), 1e-4);
  EXPECT_NEAR(m->skinned[1].y, 5 * 2 * c + 0.75f * (20 * c - 10 * c), 1e-4);
  EXPECT_NEAR(m->skinned[2].x, 3, 1e-5);
  EXPECT_NEAR(m->skinned[2].y, 4, 1e-5);
  EXPECT_NEAR(m->skinned[3].x, 0.5f * (10 * c + 10) + 0.5f * 20, 1e-4);
  EXPECT_NEAR(m->skinned[3].y, 0.5f * (10 * c), 1e-4);

  f32 p[3];
  Bone2_TransformByRest(p, 1, 2, 0, 0, 0);
  EXPECT_FLOAT_EQ(p[0], 20);
  Bone2_TransformByPose(p, 1, 0, 5, 6, 0);   // the root's pose is the identity
  EXPECT_FLOAT_EQ(p[0], 5);
  EXPECT_FLOAT_EQ(p[1], 6);
  Bone2_FreeSlot(1);
}

TEST(Bone2, NewModelSkinsOntoItselfAndSuppressionSkips) {
  Bone2Model *m = FullModel(2);
  g_Bone2SlotShown[2] = 1;
  m->vertexCount = 2;
  m->positions[0] = {12, -7};
  m->positions[1] = {-3, 9};
  m->bindings[1] = {1, 0, 0.0f, 1};   // weight 0 follows the first bone alone
  Text_SetSuppressed(1);
  Bone2_SkinAll();
  EXPECT_EQ(m->skinned[0].x, 0.0f);
  Text_SetSuppressed(0);
  Bone2_SkinAll();
  EXPECT_FLOAT_EQ(m->skinned[0].x, 12);
  EXPECT_FLOAT_EQ(m->skinned[0].y, -7);
  EXPECT_FLOAT_EQ(m->skinned[1].x, -3);
  EXPECT_FLOAT_EQ(m->skinned[1].y, 9);
  Bone2_FreeAll();
}

TEST(Bone2, TracksGrowBeyondTheirCapacity) {
  Bone2Model *m = Bone2_New();   // no tables at all
  ASSERT_TRUE(Bone2_ReserveKeys(m, 5, 3, 40));
  EXPECT_EQ(m->keyTableLength, 4);
  EXPECT_GE(Bone2_Track(m, 5, 3)->capacity, 40);
  EXPECT_EQ(Bone2_Track(m, 4, 0), nullptr);
  EXPECT_FALSE(Bone2_ReserveKeys(m, 128, 0, 1));
  EXPECT_FALSE(Bone2_ReserveKeys(m, 0, 100, 1));
  Bone2_Free(m);
}

// A full model's arrays and tracks at capacity come as untouched zero pages: a full model
// holding a few bones and polygons costs what it holds, not its capacity.
TEST(Bone2, UntouchedCapacityCostsNoMemory) {
  u32 maxV = g_MaxVertices, maxP = g_MaxPolygons;
  g_MaxPolygons = 65000;
  g_MaxVertices = 4 * 65000;
  FullModel(4);
  Bone2_FreeSlot(4);   // the allocator's own first-use cost is not the model's
  long before = Test_ResidentKiB();
  if (before < 0) GTEST_SKIP();
  Bone2Model *m = FullModel(4);
  ASSERT_TRUE(m);
  ASSERT_EQ(m->polygonCapacity, 65000);
  m->boneCount = 5;
  for (i32 b = 1; b < m->boneCount; b++) SetKeys(m, b, {Key(0, (f32)b, 0, 0), Key(30, 0, (f32)b, 90)});
  for (i32 p = 0; p < 10; p++) {
    m->polygons[p].used = 1;
    m->polygons[p].cornerCount = 4;
    for (i32 c = 0; c < 4; c++) m->positions[4 * p + c] = {(f32)p, (f32)c};
  }
  m->polygonCount = 10;
  m->vertexCount = 40;
  long cost = Test_ResidentKiB() - before;
  printf("full 2D bone model holding 5 bones, 10 polygons: %ld KiB resident (record %zu KiB)\n", cost,
         sizeof(Bone2Model) / 1024);
  EXPECT_LT(cost, 1024);
  Bone2_FreeSlot(4);
  g_MaxVertices = maxV;
  g_MaxPolygons = maxP;
}

namespace {

// The skin as every vertex once computed it: its bone's rest origin transformed again, then
// (position - origin) through the pose matrix, for both bones.
std::vector<Bone2Point> StraightforwardSkin(i32 s) {
  const Bone2Model *m = g_Bone2Slots[s];
  const Mat4 *rest = g_Bone2.restMatrices[s], *pose = g_Bone2.poseMatrices[s];
  i32 nb = m->boneCount < BONE2_MAX_BONES ? m->boneCount : BONE2_MAX_BONES;
  auto bone = [&](u16 b) { return (i32)b < nb ? (i32)b : 0; };
  std::vector<Bone2Point> out(m->vertexCount);
  for (i32 v = 0; v < m->vertexCount; v++) {
    const VertexBinding &bind = m->bindings[v];
    const Bone2Point &p = m->positions[v];
    f32 o1[3], q1[3];
    Mat_TransformPoint(o1, 0, 0, 0, rest[bone(bind.bone1)]);
    Mat_TransformPoint(q1, p.x - o1[0], p.y - o1[1], 0, pose[bone(bind.bone1)]);
    f32 w = bind.weight;
    if (w > 0.0f && w < 1.0f) {
      f32 o2[3], q2[3];
      Mat_TransformPoint(o2, 0, 0, 0, rest[bone(bind.bone2)]);
      Mat_TransformPoint(q2, p.x - o2[0], p.y - o2[1], 0, pose[bone(bind.bone2)]);
      out[v] = {q1[0] + (q2[0] - q1[0]) * (1.0f - w), q1[1] + (q2[1] - q1[1]) * (1.0f - w)};
    } else {
      out[v] = {q1[0], q1[1]};
    }
  }
  return out;
}

}  // namespace

// The per-frame skin redoes only what changed, yet always equals the straightforward skin bit
// for bit: over models of several sizes and bone counts, passes that move the frame, a bone's
// rest or a vertex (both reported), the bone count, or nothing. A pass after which nothing changed
// leaves the skin untouched (a marker written into it stays).
TEST(Bone2, SkinRedoesOnlyWhatChangedAndEqualsTheStraightforwardSkin) {
  u32 seed = 2024;
  auto rnd = [&](i32 n) { seed = seed * 1103515245u + 12345u; return (i32)((seed >> 8) % (u32)n); };
  auto rf = [&](f32 lo, f32 hi) { return lo + (hi - lo) * (f32)rnd(10001) / 10000.0f; };
  struct Size { i32 vertices, bones; };
  for (Size size : {Size{1, 1}, Size{37, 2}, Size{500, 17}, Size{4000, 128}}) {
    Bone2Model *m = FullModel(5);
    ASSERT_TRUE(m);
    g_Bone2SlotShown[5] = 1;
    m->boneCount = size.bones;
    for (i32 b = 1; b < size.bones; b++) {
      m->bones[b].parent = rnd(b);
      m->rest[b] = Key(0, rf(-80, 80), rf(-80, 80), rf(-90, 90), rf(0.5f, 2), rf(0.5f, 2));
      SetKeys(m, b, {Key(0, rf(-5, 5), rf(-5, 5), rf(-45, 45)), Key(20 + rnd(20), rf(-5, 5), rf(-5, 5), rf(-45, 45), rf(0.5f, 2))});
    }
    m->vertexCount = (u16)size.vertices;
    const f32 weights[] = {0.0f, 1.0f, 0.25f, 0.5f, -0.5f, 1.5f, NAN};
    for (i32 v = 0; v < size.vertices; v++) {
      m->positions[v] = {rf(-200, 200), rf(-200, 200)};
      m->bindings[v] = {(u16)rnd(size.bones + 3), (u16)rnd(size.bones + 3), weights[rnd(7)], 0};
    }
    struct Step { const char *what; char change; bool redone; };
    const Step steps[] = {{"first pass", 0, true},      {"nothing", 0, false},        {"frame 7", 'f', true},
                          {"nothing again", 0, false},  {"a bone's rest, reported", 'r', true}, {"a vertex, reported", 'v', true},
                          {"frame 33", 'f', true},      {"one bone fewer", 'b', true}, {"nothing at last", 0, false}};
    for (const Step &st : steps) {
      if (st.change == 'f') m->currentFrame = st.what[6] == '7' ? 7 : 33;
      if (st.change == 'r' && size.bones > 1) {
        m->rest[size.bones - 1].x += 3;
        Bone2_ModelChanged();
      }
      if (st.change == 'v') {
        m->positions[size.vertices / 2].x += 1;
        Bone2_ModelChanged();
      }
      if (st.change == 'b' && size.bones > 1) m->boneCount--;
      const Bone2Point marker = {-12345.0f, 6789.0f};
      if (!st.redone)
        for (i32 v = 0; v < m->vertexCount; v++) m->skinned[v] = marker;
      Bone2_SkinAll();
      // The matrices made afresh from the model as it now is.
      Bone2_UpdatePoseMatrices();
      Bone2_BuildRestMatrices();
      std::vector<Bone2Point> want = StraightforwardSkin(5);
      if (!st.redone) {
        bool untouched = true;
        for (i32 v = 0; v < m->vertexCount; v++) untouched = untouched && memcmp(&m->skinned[v], &marker, sizeof marker) == 0;
        EXPECT_TRUE(untouched) << st.what << ", " << size.vertices << " vertices";
        Bone2_SkinSlot(5);   // the whole skin again, from scratch
      }
      for (i32 v = 0; v < m->vertexCount; v++)
        ASSERT_EQ(memcmp(&m->skinned[v], &want[v], sizeof want[v]), 0)
            << st.what << ", " << size.vertices << " vertices, " << size.bones << " bones: vertex " << v << " ("
            << m->skinned[v].x << ", " << m->skinned[v].y << ") want (" << want[v].x << ", " << want[v].y << ")";
    }
    Bone2_FreeSlot(5);
  }
}
