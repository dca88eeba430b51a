// The motion editor's key store and drags. Keys: a new key between two keys keeps the pose of
// its frame, random create / move / delete keep every track sorted with one key per frame
// (a borrowed track included), a group create touches only its own list, the 17th group key
// and a paste before any copy change nothing, the snap and the neighbour search over a grown
// track, and the subtree walks reach every descendant. Drags: the rotation stops at 90
// degrees from the press pose and comes back (children's keys made during the drag too),
// move and scale change only key fields by the table's amounts, no edit without a key, one
// undo step per edited drag, the IK step closes on its target and rests in its dead zones.
#include "tests/support/hook_at.h"
#include <gtest/gtest.h>
#include <math.h>
#include <string.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "app/current.h"
#include "app/docflags.h"
#include "app/family.h"
#include "app/shell_mouse.h"
#include "app/shell_seam.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/strip.h"
#include "app/startup_state.h"
#include "app/strip_state.h"
#include "app/tree.h"
#include "app/views.h"
#include "edit3d/ed3d_motion.h"
#include "edit3d/keystrip.h"
#include "lib/framework/view_record.h"
#include "resources/edit3d_motion_ids.h"
#include "edit3d/undo.h"
#include "lib/render/objects.h"
#include "model/motion.h"
#include "model/seam.h"
#include "motion_reset.h"
#include "key_frames.h"

namespace {

std::vector<std::string> g_boxes;

Model3 *M() { return g_Model3Slots[0]; }
KeyTrack *T(i32 b) { return Ed3D_MotionTrack(M(), b); }

BoneKey3 Key(i32 frame, f32 px, f32 qy, f32 sc) {
  BoneKey3 k;
  BoneKey3_Identity(&k, frame);
  k.pos[0] = px;
  k.pos[1] = px * 0.5f;
  Quat q;
  Quat_FromAxisAngle(&q, 0, 1, 0, qy);
  k.quat[0] = q.x, k.quat[1] = q.y, k.quat[2] = q.z, k.quat[3] = q.w;
  k.scale[0] = sc;
  return k;
}

void SetKeys(i32 b, std::vector<BoneKey3> keys) {
  KeyTrack *t = T(b);
  t->count = 0;
  for (const BoneKey3 &k : keys) KeyTrack_Insert(t, &k);
}

std::vector<i32> Frames(i32 b) { return KeyFrames(T(b)); }

void Pose() {
  Model3_BuildRestMatrices();
  Model3_EvalPoseMatrices();
}

struct MotionTest : ::testing::Test {
  // A model in layer 0 with `bones` bones; parents[b] gives each bone's parent.
  void Build(std::vector<i32> parents) {
    Model3_FreeAllSlots();
    g_ModelAllocArrays = 0;
    Model3 *m = Model3_Init(0);
    ASSERT_NE(m, nullptr);
    m->boneCount = (i32)parents.size();
    for (i32 b = 0; b < m->boneCount; b++) {
      m->bones[b].parent = parents[b];
      m->boneRest[b].pos[1] = b ? 1.0f : 0.0f;
      ASSERT_TRUE(Model3_EnsureKeyTable(m, b));
    }
    m->keyTableLength = MODEL3_MOTIONS;
    g_Sel.g_CurSlot = 0;
    Tree_LinkBones3D();
  }
  void SetUp() override {
    g_boxes.clear();
    MotionReset_3D([](const char *t) { g_boxes.push_back(t); }, 0);
    Build({0, 0, 1, 2});
  }
  void TearDown() override {
    Model3_FreeAllSlots();
    g_Seam.errorBox = nullptr;
  }
};

// [SECTION] keys
TEST_F(MotionTest, CreateKeepsThePoseAndRefusesWhatItMust) {
  // The first key of an empty track is the identity.
  M()->frame = 7;
  T(1)->count = 0;
  Ed3D_CreateBoneKey(Hook_Now());
  ASSERT_EQ(T(1)->count, 1);
  BoneKey3 id;
  BoneKey3_Identity(&id, 7);
  EXPECT_EQ(memcmp(&T(1)->keys[0], &id, sizeof id), 0);

  // A key made between two keys holds the pose the motion had at that frame.
  SetKeys(1, {Key(0, 0, 0, 1), Key(10, 2, 60, 2), Key(20, -1, 10, 1), Key(40, 3, -50, 0.5f)});
  for (i32 frame : {3, 14, 33, 55}) {
    SCOPED_TRACE(frame);
    SetKeys(1, {Key(0, 0, 0, 1), Key(10, 2, 60, 2), Key(20, -1, 10, 1), Key(40, 3, -50, 0.5f)});
    M()->frame = frame;
    Model3_EvalBonePose(0);
    Bone3 before = M()->bones[1];
    Ed3D_CreateBoneKey(Hook_Now());
    EXPECT_EQ(T(1)->count, 5);
    Model3_EvalBonePose(0);
    const Bone3 &after = M()->bones[1];
    for (int i = 0; i < 3; i++) EXPECT_NEAR(after.local[i], before.local[i], 1e-5);
    for (int i = 0; i < 4; i++) EXPECT_NEAR(after.quat[i], before.quat[i], 1e-5);
    for (int i = 0; i < 3; i++) EXPECT_NEAR(after.scale[i], before.scale[i], 1e-5);
  }

  // A taken frame, bone 0, playback and a bone without keys in group mode change nothing.
  std::vector<BoneKey3> keep(T(1)->keys, T(1)->keys + T(1)->count);
  Ed3D_CreateBoneKey(Hook_Now());
  g_Shell.g_Playing = 1;
  M()->frame = 1;
  Ed3D_CreateBoneKey(Hook_Now());
  g_Shell.g_Playing = 0;
  ASSERT_EQ(T(1)->count, (i32)keep.size());
  EXPECT_EQ(memcmp(T(1)->keys, keep.data(), keep.size() * sizeof(BoneKey3)), 0);
  g_Sel.g_CurBoneIndex = 0;
  i32 rootKeys = T(0)->count;
  Ed3D_CreateBoneKey(Hook_Now());
  EXPECT_EQ(T(0)->count, rootKeys);
}

TEST_F(MotionTest, RandomCreateMoveDeleteKeepTracksSortedOneKeyPerFrame) {
  // Bone 2's track is borrowed from a table block, as a file read leaves it.
  i32 counts[MODEL3_MOTIONS] = {3};
  KeyTrack *table = KeyTrack_NewTable(MODEL3_MOTIONS, counts);
  ASSERT_NE(table, nullptr);
  for (i32 i = 0; i < 3; i++) BoneKey3_Identity(&table[0].keys[i], i * 5);
  table[0].count = 3;
  free(M()->bones[2].keys);
  M()->bones[2].keys = table;
  std::mt19937 rng(32);
  for (i32 b : {1, 2}) {
    g_Sel.g_CurBoneIndex = (u32)b;
    std::map<i32, int> ref;
    for (i32 f : Frames(b)) ref[f] = 1;
    for (int step = 0; step < 3000; step++) {
      i32 f = (i32)(rng() % 80), op = (i32)(rng() % 3);
      // Moves of one frame (as the keys do) and of many (as the strip's drag does).
      i32 delta = rng() % 2 ? (rng() % 2 ? 1 : -1) : (i32)(rng() % 61) - 30;
      M()->frame = f;
      if (op == 0) {
        Ed3D_CreateBoneKey(Hook_Now());
        ref[f] = 1;
      } else if (op == 1) {
        Ed3D_MoveKeyFrame(Hook_Now(), delta);
        i32 to = f + delta < 0 ? 0 : f + delta;
        if (ref.count(f) && !ref.count(to)) ref.erase(f), ref[to] = 1;
      } else {
        Ed3D_DeleteKey(Hook_Now());
        ref.erase(f);
      }
      std::vector<i32> want;
      for (auto &kv : ref) want.push_back(kv.first);
      ASSERT_EQ(Frames(b), want) << "bone " << b << " step " << step;
    }
  }
  // A move below frame 0 lands on 0.
  g_Sel.g_CurBoneIndex = 1;
  SetKeys(1, {Key(3, 0, 0, 1), Key(9, 0, 0, 1)});
  M()->frame = 3;
  Ed3D_MoveKeyFrame(Hook_Now(), -10);
  EXPECT_EQ(Frames(1), (std::vector<i32>{0, 9}));
}

TEST_F(MotionTest, GroupKeysStayInTheirOwnListAndAreBounded) {
  g_Ed3DMotion.target = ED3D_MOTION_TARGET_GROUP;
  Motion3 &mo = M()->motions[0];
  for (i32 g = 0; g < MODEL3_GROUPS; g++) {
    GroupKeyList3 *l = Model3_EnsureGroupKeys(M(), 0, g);
    ASSERT_NE(l, nullptr);
    l->count = 3;
    for (i32 k = 0; k < 3; k++) l->keys[k].frame = (u32)(k * 10), l->keys[k].texture = (u16)(g + k);
  }
  std::vector<GroupKeyList3> before;
  for (GroupKeyList3 *l : mo.groupKeys) before.push_back(*l);
  g_Sel.g_CurGroupIndex = 5;
  M()->frame = 15;
  Ed3D_CreateBoneKey(Hook_Now());
  for (i32 g = 0; g < MODEL3_GROUPS; g++)
    if (g != 5) { EXPECT_EQ(memcmp(mo.groupKeys[g], &before[g], sizeof(GroupKeyList3)), 0) << g; }
  const GroupKeyList3 *l5 = mo.groupKeys[5];
  ASSERT_EQ(l5->count, 4);
  EXPECT_EQ(l5->keys[2].frame, 15u);
  EXPECT_EQ(l5->keys[2].texture, 0);
  EXPECT_EQ(l5->keys[3].frame, 20u);
  EXPECT_EQ(l5->keys[3].texture, 7);

  // Up to 16, then a message and nothing more.
  for (i32 f = 30; f < 42; f++) M()->frame = f, Ed3D_CreateBoneKey(Hook_Now());
  EXPECT_EQ(l5->count, 16);
  EXPECT_TRUE(g_boxes.empty());
  M()->frame = 50;
  Ed3D_CreateBoneKey(Hook_Now());
  EXPECT_EQ(l5->count, 16);
  EXPECT_EQ(g_boxes.size(), 1u);

  // A missing list is made, never read through a null pointer.
  free(mo.groupKeys[9]);
  mo.groupKeys[9] = nullptr;
  g_Sel.g_CurGroupIndex = 9;
  Ed3D_CreateBoneKey(Hook_Now());
  ASSERT_NE(mo.groupKeys[9], nullptr);
  EXPECT_EQ(mo.groupKeys[9]->count, 1);

  // Paste before any copy does nothing, in both modes; a group copy carries the key.
  M()->frame = 4;
  Ed3D_PasteKey(Hook_Now());
  EXPECT_EQ(mo.groupKeys[9]->count, 1);
  g_Ed3DMotion.target = ED3D_MOTION_TARGET_BONE;
  i32 n1 = T(1)->count;
  Ed3D_PasteKey(Hook_Now());
  EXPECT_EQ(T(1)->count, n1);
  g_Ed3DMotion.target = ED3D_MOTION_TARGET_GROUP;
  g_Sel.g_CurGroupIndex = 5;
  M()->frame = 20;
  Ed3D_UpdateCurrentKeyIndex(Hook_Now());
  Ed3D_CopyKey(Hook_Now());
  g_Sel.g_CurGroupIndex = 9;
  M()->frame = 4;
  Ed3D_PasteKey(Hook_Now());
  ASSERT_EQ(mo.groupKeys[9]->count, 2);
  EXPECT_EQ(mo.groupKeys[9]->keys[0].frame, 4u);
  EXPECT_EQ(mo.groupKeys[9]->keys[0].texture, 7);
}

TEST_F(MotionTest, SnapAndNeighboursReadTheWholeTrack) {
  struct Case { std::vector<i32> keys; i32 f, snapped; };
  const Case cases[] = {
      {{12, 13, 18, 21, 22}, 20, 18},   // f - 7 .. f + 1 qualify, nearest f - 3 wins
      {{16, 18, 30}, 20, 16},           // tie: the earlier key
      {{10, 22}, 20, 20},               // none close enough
      {{0, 5}, 3, 0},
  };
  for (const Case &c : cases) {
    std::vector<BoneKey3> keys;
    for (i32 f : c.keys) keys.push_back(Key(f, 0, 0, 1));
    SetKeys(1, keys);
    M()->frame = c.f;
    Ed3D_SnapToNearKey(Hook_Now());
    EXPECT_EQ(M()->frame, c.snapped) << c.f;
  }
  // A grown track: 21 keys, every even frame up to 40.
  std::vector<BoneKey3> keys;
  for (i32 f = 0; f <= 40; f += 2) keys.push_back(Key(f, 0, 0, 1));
  SetKeys(1, keys);
  EXPECT_EQ(Ed3D_NextKeyFrame(Hook_Now(), 35), 36);
  EXPECT_EQ(Ed3D_PrevKeyFrame(Hook_Now(), 35), 34);
  EXPECT_EQ(Ed3D_NextKeyFrame(Hook_Now(), 40), 40);
  EXPECT_EQ(Ed3D_PrevKeyFrame(Hook_Now(), 0), 0);
  M()->frame = 35;
  Ed3D_MotionWheelKey(Hook_Step(-1));
  EXPECT_EQ(M()->frame, 34);
  Ed3D_MotionWheelKey(Hook_Step(+1));
  EXPECT_EQ(M()->frame, 36);
  EXPECT_EQ(g_Ed3DMotion.keyIndex, 18);
}

TEST_F(MotionTest, SubtreeRotateAndResetReachEveryDescendant) {
  // 1 -> {2, 3}, 2 -> {4}, 3 -> {5}; 6 is a child of the root beside 1.
  Build({0, 0, 1, 1, 2, 3, 0});
  M()->frame = 12;
  Quat_FromAxisAngle(&g_Ed3DMotion.delta, 1, 0, 0, 30);
  g_Sel.g_CurBoneIndex = 1;
  Ed3D_RotateSubtree(Hook_Now(), M()->bones[1].firstChild);
  for (i32 b = 0; b < 7; b++) {
    SCOPED_TRACE(b);
    KeyTrack *t = T(b);
    i32 i = KeyTrack_Find(t, 12);
    bool below = b >= 2 && b <= 5;
    ASSERT_EQ(i >= 0, below);
    if (below) { EXPECT_NEAR(t->keys[i].quat[0], g_Ed3DMotion.delta.x, 1e-6); }
  }
  Ed3D_ResetSubtreeRotation(Hook_Now(), 2);
  for (i32 b = 2; b <= 5; b++) EXPECT_EQ(T(b)->keys[KeyTrack_Find(T(b), 12)].quat[3], 1.0f) << b;
}

// [SECTION] drags
struct DragTest : MotionTest {
  ViewRecord *View(u32 kind) {
    ViewRecord *v = &g_Shell.g_Views[SUB_3D_MOTION][kind];
    v->inUse = 1;
    v->kind = kind;
    v->zoom = 1.0f;
    v->centerX = 320;
    v->centerY = 240;
    g_Shell.g_ActiveView = kind;
    return v;
  }
  void Press() {
    Shell_SetButtonHeld(BUTTON_LEFT, 1);
    Ed3D_MotionLButtonDown(Hook_At(100, 100));
  }
  void Drag(f32 dx, f32 dy) {
    g_Mouse.g_MouseMoveDX = dx;
    g_Mouse.g_MouseMoveDY = dy;
    Ed3D_MotionMouseMove(Hook_At(100, 100));
  }
  void Release() {
    Shell_SetButtonHeld(BUTTON_LEFT, 0);
    Ed3D_MotionLButtonUp(Hook_At(100, 100));
  }
  BoneKey3 &KeyAt(i32 b, i32 f) { return T(b)->keys[KeyTrack_Find(T(b), f)]; }
};

Quat Times(const f32 q[4], Quat r) {
  Quat p = {q[0], q[1], q[2], q[3]};
  Quat_MulInPlace(&p, r);
  return p;
}

void ExpectQuat(const f32 got[4], Quat want) {
  EXPECT_NEAR(got[0], want.x, 1e-5);
  EXPECT_NEAR(got[1], want.y, 1e-5);
  EXPECT_NEAR(got[2], want.z, 1e-5);
  EXPECT_NEAR(got[3], want.w, 1e-5);
}

TEST_F(DragTest, RotationStopsAtNinetyFromThePressPoseAndComesBack) {
  View(VIEW_FRONT);
  g_Sel.g_MotionEditOp = ED3D_MOTION_TOOL_ROTATE;
  g_Ed3DMotion.childrenFollow = 1;
  SetKeys(1, {Key(0, 0, 20, 1), Key(30, 0, 40, 1)});
  SetKeys(2, {Key(0, 0, -30, 1), Key(30, 0, 10, 1)});   // no key at frame 10: the drag makes it
  M()->frame = 10;
  Pose();
  // Bone 2's key is made by the first drag, holding the pose of frame 10.
  BoneKey3 made2;
  memcpy(made2.quat, M()->bones[2].quat, sizeof made2.quat);
  Press();
  BoneKey3 made1 = KeyAt(1, 10);
  auto about = [](f32 deg) {
    Mat4 r;
    Mat_RotationZ(&r, -deg);
    Quat q;
    Quat_FromMatrix(&q, r);
    return q;
  };
  Drag(100, 0);
  ExpectQuat(KeyAt(1, 10).quat, Times(made1.quat, about(30)));
  ExpectQuat(KeyAt(2, 10).quat, Times(made2.quat, about(30)));
  for (f32 dx : {400.0f, 1000.0f}) {
    Drag(dx, 0);
    ExpectQuat(KeyAt(1, 10).quat, Times(made1.quat, about(90)));
    ExpectQuat(KeyAt(2, 10).quat, Times(made2.quat, about(90)));
  }
  Drag(-100, 0);   // back by 30 degrees from the stop
  ExpectQuat(KeyAt(1, 10).quat, Times(made1.quat, about(60)));
  ExpectQuat(KeyAt(2, 10).quat, Times(made2.quat, about(60)));
  Drag(0, 500);    // past the other end
  ExpectQuat(KeyAt(1, 10).quat, Times(made1.quat, about(-90)));
  // Keys of other frames are never touched.
  EXPECT_EQ(Frames(1), (std::vector<i32>{0, 10, 30}));
  ExpectQuat(KeyAt(1, 30).quat, Times(Key(30, 0, 40, 1).quat, Quat{0, 0, 0, 1}));
  Release();
}

TEST_F(DragTest, MoveAndScaleChangeOnlyKeyFieldsByTheTable) {
  struct Case { u32 tool, kind, axis; f32 dx, dy; f32 pos[3], scale[3]; };
  const Case cases[] = {
      {0, VIEW_FRONT, 0, 4, 2, {0.2f, -0.1f, 0}, {1, 1, 1}},
      {0, VIEW_TOP, 0, 4, 2, {0.2f, 0, -0.1f}, {1, 1, 1}},
      {0, VIEW_SIDE, 0, 4, 2, {0, -0.1f, 0.2f}, {1, 1, 1}},
      {0, VIEW_MAIN, 0, 4, 2, {0.1f, 0, 0}, {1, 1, 1}},
      {0, VIEW_MAIN, 1, 4, 2, {0, 0.1f, 0}, {1, 1, 1}},
      {0, VIEW_MAIN, 2, 4, 2, {0, 0, -0.3f}, {1, 1, 1}},
      {2, VIEW_FRONT, 0, 4, 2, {0, 0, 0}, {1.04f, 0.98f, 1}},
      {2, VIEW_TOP, 0, 4, 2, {0, 0, 0}, {1.04f, 1, 0.98f}},
      {2, VIEW_SIDE, 0, 4, 2, {0, 0, 0}, {1, 0.98f, 1.04f}},
      {2, VIEW_MAIN, 0, 4, 2, {0, 0, 0}, {1.02f, 1.02f, 1.02f}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << "tool " << c.tool << " kind " << c.kind << " axis " << c.axis);
    SetKeys(1, {Key(0, 0, 0, 1)});
    T(1)->keys[0].pos[1] = 0;
    M()->frame = 0;
    BoneKey3 rest = M()->boneRest[1];
    View(c.kind);
    g_Sel.g_MotionEditOp = c.tool;
    g_Sel.g_GizmoAxis = c.axis;
    Press();
    Drag(c.dx, c.dy);
    Release();
    const BoneKey3 &k = KeyAt(1, 0);
    for (int i = 0; i < 3; i++) EXPECT_NEAR(k.pos[i], c.pos[i], 1e-6);
    for (int i = 0; i < 3; i++) EXPECT_NEAR(k.scale[i], c.scale[i], 1e-6);
    ExpectQuat(k.quat, Quat{0, 0, 0, 1});
    EXPECT_EQ(memcmp(&M()->boneRest[1], &rest, sizeof rest), 0);
  }
}

TEST_F(DragTest, NoEditWithoutAKeyAndOneUndoStepPerEditedDrag) {
  Undo_ResetAll();
  UndoHistory *h = Undo_Current();
  View(VIEW_FRONT);
  g_Sel.g_MotionEditOp = ED3D_MOTION_TOOL_MOVE;
  SetKeys(0, {Key(0, 0, 0, 1)});
  SetKeys(1, {Key(0, 0, 0, 1)});
  M()->frame = 5;
  // Bone 0, and group mode (the press makes a group key, not a bone key): no bone key changes;
  // the group key is the press's step.
  for (int mode : {0, 1}) {
    g_Sel.g_CurBoneIndex = mode == 0 ? 0 : 1;
    g_Ed3DMotion.target = (i16)mode;
    std::vector<BoneKey3> keep(T(g_Sel.g_CurBoneIndex)->keys, T(g_Sel.g_CurBoneIndex)->keys + T(g_Sel.g_CurBoneIndex)->count);
    Press();
    Drag(10, 10);
    Release();
    ASSERT_EQ(T(g_Sel.g_CurBoneIndex)->count, (i32)keep.size());
    EXPECT_EQ(memcmp(T(g_Sel.g_CurBoneIndex)->keys, keep.data(), keep.size() * sizeof(BoneKey3)), 0);
    EXPECT_EQ(h->top, mode == 0 ? -1 : 0);
  }
  EXPECT_STREQ(h->steps[0].label, "キー 作成 ( モーション )");
  g_Ed3DMotion.target = ED3D_MOTION_TARGET_BONE;
  g_Sel.g_CurBoneIndex = 1;
  // At a key, a press and release without a move records nothing; an edited drag records one
  // step under its last tool's label.
  M()->frame = 0;
  Press();
  Release();
  EXPECT_EQ(h->top, 0);
  Press();
  Drag(3, 0);
  g_Sel.g_MotionEditOp = ED3D_MOTION_TOOL_SCALE;
  Drag(3, 0);
  Drag(1, 0);
  Release();
  EXPECT_EQ(h->top, 1);
  EXPECT_STREQ(h->steps[1].label, "拡大 ( モーション )");
  EXPECT_TRUE(Doc_IsChanged(DOC_MODEL3));
  // Where there is no key, the press makes one: its own step when no drag follows.
  M()->frame = 5;
  Press();
  Release();
  EXPECT_EQ(h->top, 2);
  EXPECT_STREQ(h->steps[2].label, "キー 作成 ( モーション )");
}

TEST_F(DragTest, IkClosesOnTheTargetRestsInTheDeadZonesAndKeepsToItsKeys) {
  // Root 0, R = 1, J = 2, E = 3, each one unit above its parent, posed in the Side view.
  ViewRecord *side = View(VIEW_SIDE);
  side->zoom = 2.0f;
  M()->frame = 10;
  for (i32 b = 0; b < 4; b++) SetKeys(b, {Key(0, 0, 0, 1), Key(30, 0, 0, 1)});
  for (i32 b = 0; b < 4; b++)
    for (i32 i = 0; i < 2; i++) T(b)->keys[i].pos[0] = T(b)->keys[i].pos[1] = 0;
  std::vector<BoneKey3> root(T(0)->keys, T(0)->keys + T(0)->count);
  g_Sel.g_MotionEditOp = ED3D_MOTION_TOOL_IK;
  g_Sel.g_CurBoneIndex = 3;
  Ed3D_IkSetChain(Hook_Now(), 3);
  EXPECT_EQ(g_Ed3DMotion.ikJoint, 2);
  EXPECT_EQ(g_Ed3DMotion.ikRoot, 1);
  Pose();
  Press();
  // The target: in the chain's reach, on the side the bend step turns towards (the step's
  // direction is fixed), off the straight pose.
  g_Ed3DMotion.ikTarget[0] = 320 - 80 * 0.9f;
  g_Ed3DMotion.ikTarget[1] = 240 - 80 * 1.6f;
  f32 first = 0, last = 0, p[2];
  for (int step = 0; step < 600; step++) {
    Pose();
    Ed3D_MotionBoneScreen(side, g_Sel.g_CurSlot, 3, p);
    last = hypotf(p[0] - g_Ed3DMotion.ikTarget[0], p[1] - g_Ed3DMotion.ikTarget[1]);
    if (step == 0) first = last;
    Ed3D_IkStep(Hook_Now(), side);
  }
  EXPECT_GT(first, 30.0f);
  EXPECT_LT(last, 12.0f);
  // At rest: one more step changes nothing.
  Pose();
  std::vector<BoneKey3> r(T(1)->keys, T(1)->keys + T(1)->count), j(T(2)->keys, T(2)->keys + T(2)->count);
  Ed3D_IkStep(Hook_Now(), side);
  EXPECT_EQ(memcmp(T(1)->keys, r.data(), r.size() * sizeof(BoneKey3)), 0);
  EXPECT_EQ(memcmp(T(2)->keys, j.data(), j.size() * sizeof(BoneKey3)), 0);
  EXPECT_EQ(g_Sel.g_CurBoneIndex, 3u);
  // Bone 0 and the keys of other frames untouched; R and J were given keys at frame 10.
  EXPECT_EQ(memcmp(T(0)->keys, root.data(), root.size() * sizeof(BoneKey3)), 0);
  EXPECT_EQ(Frames(1), (std::vector<i32>{0, 10, 30}));
  EXPECT_EQ(Frames(2), (std::vector<i32>{0, 10, 30}));
  ExpectQuat(KeyAt(1, 30).quat, Quat{0, 0, 0, 1});
  ExpectQuat(KeyAt(2, 0).quat, Quat{0, 0, 0, 1});
  Release();
  // A chain whose joint hangs on the root is left alone.
  Ed3D_IkSetChain(Hook_Now(), 2);
  Press();
  std::vector<BoneKey3> j2(T(2)->keys, T(2)->keys + T(2)->count);
  Ed3D_IkStep(Hook_Now(), side);
  EXPECT_EQ(memcmp(T(2)->keys, j2.data(), j2.size() * sizeof(BoneKey3)), 0);
  Release();
}

}  // namespace

// In group mode the key strip's rows are the model's groups: a press on a group's row makes it
// current, so "キー作成" keys that group; a row past the last group hovers nothing, and the
// switch from bone to group mode leaves no hover line behind.
TEST_F(MotionTest, GroupRowsOfTheStripChooseTheKeyedGroup) {
  M()->groupCount = 4;
  M()->frame = 12;
  for (i32 g = 0; g < 4; g++) ASSERT_NE(Model3_EnsureGroupKeys(M(), 0, g), nullptr);
  Tree_BuildRowsBones3D();
  ASSERT_LT(g_TreeRows.count, 4);   // fewer bone rows than groups
  g_Sel.g_CurGroupIndex = 0;
  auto RowY = [](i32 r) { return g_Strip.g_StripGeo.offsetY + STRIP_HEADER + r * STRIP_ROW + STRIP_ROW / 2; };
  KeyStrip_Move(&g_Ed3DMotionKeyStrip, 10, RowY(1));
  EXPECT_EQ(g_TreeRows.hovered, 1);   // bone mode: bone row 1
  ASSERT_TRUE(Ed3D_MotionDlgCommand(IDC_MOT_MODE, 1, nullptr));
  EXPECT_EQ(g_Ed3DMotion.target, ED3D_MOTION_TARGET_GROUP);
  EXPECT_EQ(g_TreeRows.hovered, -1);

  struct { i32 row, hovered; u32 group; } const cases[] = {{3, 3, 3}, {4, -1, 3}, {1, 1, 1}};
  for (const auto &c : cases) {
    KeyStrip_Move(&g_Ed3DMotionKeyStrip, 10, RowY(c.row));
    EXPECT_EQ(g_TreeRows.hovered, c.hovered) << c.row;
    KeyStrip_LeftDown(&g_Ed3DMotionKeyStrip);
    KeyStrip_LeftUp(&g_Ed3DMotionKeyStrip);
    EXPECT_EQ(g_Sel.g_CurGroupIndex, c.group) << c.row;
  }
  M()->frame = 12;
  ASSERT_TRUE(Ed3D_MotionDlgCommand(IDC_MOT_KEY_CREATE, 0, nullptr));
  const Motion3 &mo = M()->motions[M()->motion];
  for (i32 g = 0; g < 4; g++) EXPECT_EQ(mo.groupKeys[g]->count, g == 1 ? 1 : 0) << g;
  g_Ed3DMotion.target = ED3D_MOTION_TARGET_BONE;
}
