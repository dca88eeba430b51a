// Bone motion evaluation: key segments (fractions, wrap, guarded spans) and bone poses
// (exact single keys, identity without keys, a hand-computed two-bone chain, a root that
// does not drift from frame to frame).
#include <gtest/gtest.h>
#include <math.h>

#include "capacity_guard.h"
#include "model/model3.h"
#include "model/motion.h"

namespace {

struct Segment {
  i32 index;
  f32 fraction;
};

Segment SegmentOf(std::initializer_list<i32> frames, i32 frame, i32 length) {
  BoneKey3 keys[8] = {};
  int n = 0;
  for (i32 f : frames) keys[n++].frame = f;
  Segment s = {-5, -5.0f};
  Motion_KeySegment(&keys[0].frame, sizeof(BoneKey3), false, n, frame, length, &s.index, &s.fraction);
  return s;
}

class MotionTest : public ::testing::Test {
 protected:
  CapacityGuard capacity;
  Model3 *m = nullptr;
  static const i32 kSlot = 3;
  void SetUp() override {
    g_MaxPolygons = 16;
    g_MaxVertices = 64;
    g_ModelAllocArrays = 1;
    m = Model3_Init(kSlot);
    ASSERT_NE(m, nullptr);
  }
  void TearDown() override {
    Model3_FreeSlot(kSlot);
  }
  KeyTrack *Track(i32 bone) { return &m->bones[bone].keys[m->motion]; }
  void SetKeys(i32 bone, std::initializer_list<BoneKey3> keys) {
    KeyTrack *t = Track(bone);
    t->count = 0;
    for (const BoneKey3 &k : keys) ASSERT_GE(KeyTrack_Insert(t, &k), 0);
  }
};

BoneKey3 Key(i32 frame, f32 x, f32 y, f32 z, Quat q = {0, 0, 0, 1}) {
  BoneKey3 k;
  BoneKey3_Identity(&k, frame);
  k.pos[0] = x;
  k.pos[1] = y;
  k.pos[2] = z;
  k.quat[0] = q.x;
  k.quat[1] = q.y;
  k.quat[2] = q.z;
  k.quat[3] = q.w;
  return k;
}

}  // namespace

TEST(KeySegment, FractionsInsideAndAcrossTheWrap) {
  Segment s = SegmentOf({0, 30}, 15, 60);
  EXPECT_EQ(s.index, 0);
  EXPECT_FLOAT_EQ(s.fraction, 0.5f);
  s = SegmentOf({0, 30}, 45, 60);   // from key 1 towards key 0 through the end
  EXPECT_EQ(s.index, 1);
  EXPECT_FLOAT_EQ(s.fraction, 0.5f);
  s = SegmentOf({10, 30}, 5, 60);   // before the first key: still the wrap segment
  EXPECT_EQ(s.index, 1);
  EXPECT_FLOAT_EQ(s.fraction, 0.875f);
  s = SegmentOf({0, 10, 30}, 10, 60);
  EXPECT_EQ(s.index, 1);
  EXPECT_EQ(s.fraction, 0.0f);
}

TEST(KeySegment, ShortListsAndEmptySpansGiveZero) {
  Segment s = SegmentOf({7}, 40, 60);
  EXPECT_EQ(s.index, 0);
  EXPECT_EQ(s.fraction, 0.0f);
  s = SegmentOf({}, 40, 60);
  EXPECT_EQ(s.index, 0);
  EXPECT_EQ(s.fraction, 0.0f);
  // Last key at the motion's end with the first at 0: the wrap spans 0 frames.
  s = SegmentOf({0, 60}, 60, 60);
  EXPECT_EQ(s.index, 1);
  EXPECT_EQ(s.fraction, 0.0f);
  s = SegmentOf({0, 80}, 90, 60);   // last key past the end: negative span
  EXPECT_EQ(s.index, 1);
  EXPECT_EQ(s.fraction, 0.0f);
  s = SegmentOf({5, 5}, 5, 60);      // two keys on one frame
  EXPECT_FALSE(isnan(s.fraction));
}

TEST_F(MotionTest, UpdateKeyIndicesCoversBonesAndGroups) {
  SetKeys(1, {Key(0, 0, 0, 0), Key(30, 0, 0, 0)});
  SetKeys(2, {Key(10, 0, 0, 0), Key(30, 0, 0, 0)});
  m->boneCount = 3;
  GroupKeyList3 *g = Model3_EnsureGroupKeys(m, 0, 2);
  ASSERT_NE(g, nullptr);
  g->count = 2;
  g->keys[0].frame = 10;
  g->keys[1].frame = 30;
  m->frame = 5;
  Model3_UpdateKeyIndices(kSlot);
  EXPECT_EQ(m->bones[1].keyIndex, 0);
  EXPECT_FLOAT_EQ(m->bones[1].keyFraction, 5 / 30.0f);
  EXPECT_EQ(m->bones[2].keyIndex, 1);
  EXPECT_FLOAT_EQ(m->bones[2].keyFraction, 0.875f);
  EXPECT_EQ(g->keyIndex, 1);
  EXPECT_FLOAT_EQ(g->keyFraction, 0.875f);
  g->count = 1000;   // a corrupt count never reads past the 16 keys
  Track(2)->count = Track(2)->capacity + 50;   // nor past a track's room
  Model3_UpdateKeyIndices(kSlot);
  Model3_EvalBonePose(kSlot);
  Model3_UpdateKeyIndices(200);   // empty slot: nothing
}

TEST_F(MotionTest, SingleKeyIsExactAndNoKeysIsIdentity) {
  SetKeys(1, {Key(0, 1.5f, -2, 3, {0, 0.6f, 0, 0.8f})});
  m->bones[1].keys[0].keys[0].scale[1] = 2.0f;
  Model3_EvalBonePose(kSlot);
  const Bone3 &b = m->bones[1];
  EXPECT_EQ(b.local[0], 1.5f);
  EXPECT_EQ(b.local[1], -2.0f);
  EXPECT_FLOAT_EQ(b.quat[1], 0.6f);
  EXPECT_FLOAT_EQ(b.quat[3], 0.8f);
  EXPECT_EQ(b.scale[1], 2.0f);
  Track(1)->count = 0;
  Model3_EvalBoneKey(kSlot, 1, 0, 0.0f);
  EXPECT_EQ(b.world[0], 0.0f);
  EXPECT_EQ(b.quat[3], 1.0f);
  EXPECT_EQ(b.scale[0], 1.0f);
  // A quaternion that interpolates to almost nothing becomes the identity.
  SetKeys(1, {Key(0, 0, 0, 0, {0, 0, 0, 1e-9f})});
  Model3_EvalBoneKey(kSlot, 1, 0, 0.0f);
  EXPECT_EQ(b.quat[3], 1.0f);
}

TEST_F(MotionTest, TwoBoneChainByHand) {
  // Root: at (1, 0, 0), turned 90 degrees about z. Child: rest offset (0, 2, 0), keys moving
  // z from 0 (frame 0) to 3 (frame 30); at frame 15 the curve gives 1.5. Turned by the root's
  // matrix (row vectors) the offset (0, 2, 0) becomes (2, 0, 0).
  f32 s = sqrtf(0.5f);
  SetKeys(0, {Key(0, 1, 0, 0, {0, 0, s, s})});
  SetKeys(1, {Key(0, 0, 0, 0), Key(30, 0, 0, 3)});
  m->boneRest[1].pos[1] = 2.0f;
  m->bones[1].parent = 0;
  Model3_ComputeRestMatrices(m, g_ModelPoses[kSlot]->rest);
  m->frame = 15;
  for (int pass = 0; pass < 3; pass++) {   // the root does not drift from pass to pass
    Model3_EvalBonePose(kSlot);
    EXPECT_NEAR(m->bones[0].world[0], 1.0f, 1e-6);
    EXPECT_NEAR(m->bones[1].local[2], 1.5f, 1e-6);
    EXPECT_NEAR(m->bones[1].world[0], 3.0f, 1e-6);
    EXPECT_NEAR(m->bones[1].world[1], 0.0f, 1e-6);
    EXPECT_NEAR(m->bones[1].world[2], 1.5f, 1e-6);
  }
  // A parent index outside the table counts as the root.
  m->bones[1].parent = 9999;
  Model3_ComputeRestMatrices(m, g_ModelPoses[kSlot]->rest);
  Model3_EvalBonePose(kSlot);
  EXPECT_NEAR(m->bones[1].world[0], 3.0f, 1e-6);
  // Without a pose record the rest offsets are built on the spot.
  ModelPose *pose = g_ModelPoses[kSlot];
  g_ModelPoses[kSlot] = nullptr;
  Model3_EvalBonePose(kSlot);
  g_ModelPoses[kSlot] = pose;
  EXPECT_NEAR(m->bones[1].world[0], 3.0f, 1e-6);
}

TEST_F(MotionTest, RestMatricesChainThroughLowerParentsOnly) {
  m->boneCount = 4;
  m->boneRest[1].pos[0] = 1;
  m->boneRest[2].pos[0] = 2;
  m->boneRest[3].pos[0] = 4;
  m->bones[2].parent = 1;
  m->bones[3].parent = 3;   // itself: not chained
  m->bones[1].parent = 2;   // a higher parent: not chained
  Mat4 rest[MODEL3_BONES];
  Model3_ComputeRestMatrices(m, rest);
  EXPECT_EQ(rest[1].m[3][0], 1.0f);
  EXPECT_EQ(rest[2].m[3][0], 3.0f);
  EXPECT_EQ(rest[3].m[3][0], 4.0f);
  EXPECT_EQ(rest[0].m[3][0], 0.0f);
}
