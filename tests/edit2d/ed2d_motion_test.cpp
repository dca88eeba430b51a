// The 2D motion sub-mode: key creation and the evaluated pose, random edits on a track with
// room for one key checked against a plain map, the view drag, the strip's arithmetic and
// clicks, the wheel over twenty keys, the motion list's limits and fields, a motion added to
// a model read from a file, and playback with and without loop.
#include "tests/support/hook_at.h"
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <map>
#include <string>
#include <vector>

#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "lib/framework/lib_state.h"
#include "model_shown.h"
#include "app/current.h"
#include "app/docflags.h"
#include "app/family.h"
#include "app/play.h"
#include "app/startup_state.h"
#include "app/strip.h"
#include "app/tree.h"
#include "app/views.h"
#include "edit2d/ed2d_motion.h"
#include "edit2d/ed2d_object.h"
#include "lib/framework/lib.h"
#include "model/bone2.h"
#include "model/kzb.h"
#include "model/seam.h"
#include "shell_fixture.h"
#include "widget_fake.h"
#include "key_frames.h"

namespace {

struct Fake {
  std::vector<std::string> boxes;
};
Fake *g_F;

struct MotionTest : ::testing::Test {
  Fake f;
  CoreSeam savedSeam;
  void SetUp() override {
    Shell_ResetFor2DSubMode(SUB_2D_MOTION);
    g_F = &f;
    savedSeam = g_Seam;
    g_Seam.errorBox = [](const char *t) { g_F->boxes.push_back(t); };
    g_Sel.g_CurBoneIndex = 0;
    g_Ed2DMotion = Ed2DMotionEditor{};
    Strip_ResetGeometry();
    Bone2_FreeSlot(0);
    Ed2D_MotionInit(Hook_Now());
    ASSERT_NE(M(), nullptr);
    Loop(true);
    // Bones 1, 2 (under 1) and 3.
    M()->boneCount = 4;
    M()->bones[2].parent = 1;
    M()->bones[1].expanded = 1;
    Tree_BuildRowsBones2D();
  }
  void TearDown() override {
    Ed2D_MotionLeave(Hook_Now());
    Bone2_FreeSlot(0);
    WidgetFake_Remove();
    g_Ed2DMotion = Ed2DMotionEditor{};
    g_Shell.g_Playing = 0;
    g_Seam = savedSeam;
  }
  static Bone2Model *M() { return g_Bone2Slots[0]; }
  // "ループ再生" as the user left it; a typed field and the chosen line of the motion list.
  static void Loop(bool on) { g_WidgetFake.checks[{g_Ed2DMotion.valuesDlg, IDC_MOT2D_LOOP}] = on; }
  static void Type(u32 id, const char *text) { WidgetFake_SetText(g_Ed2DMotion.listDlg, id, text); }
  static void Choose(i32 line) { g_WidgetFake.selection[g_Ed2DMotion.motionList] = line; }
  static Bone2Track *T(i32 b) { return Bone2_Track(M(), b, M()->currentMotion); }
  static void At(u32 bone, i32 frame) {
    g_Sel.g_CurBoneIndex = bone;
    M()->currentFrame = frame;
    Bone2_UpdateKeyIndices(0);
  }
  static std::vector<i32> Frames(i32 b) { return KeyFrames(T(b)); }
};

// [SECTION] keys
TEST_F(MotionTest, KeysAreCreatedAtTheFrameHoldingTheEvaluatedPose) {
  T(1)->count = 0;   // an emptied track: its first key is the identity
  At(1, 5);
  ASSERT_TRUE(Ed2D_MotionCreateKey(Current_Bone2Edited(), &g_Sel));
  const BoneKey2 &first = T(1)->keys[0];
  EXPECT_EQ(first.frame, 5);
  EXPECT_EQ(std::vector<f32>({first.x, first.y, first.angle, first.scaleX, first.scaleY}),
            std::vector<f32>({0, 0, 0, 1, 1}));
  EXPECT_FALSE(Ed2D_MotionCreateKey(Current_Bone2Edited(), &g_Sel)) << "one key per frame";
  At(0, 7);
  EXPECT_FALSE(Ed2D_MotionCreateKey(Current_Bone2Edited(), &g_Sel)) << "bone 0 gets none";
  EXPECT_EQ(T(0)->count, 1);
  // Keys at 0, 20 and 40 with values: a key at 10 holds the pose the motion had there.
  At(2, 20);
  ASSERT_TRUE(Ed2D_MotionCreateKey(Current_Bone2Edited(), &g_Sel));
  *Ed2D_MotionCurrentKey(Current_Bone2Edited(), &g_Sel) = BoneKey2{20, 100, -30, 45, 2, 0.5f};
  At(2, 40);
  ASSERT_TRUE(Ed2D_MotionCreateKey(Current_Bone2Edited(), &g_Sel));
  Ed2D_MotionCurrentKey(Current_Bone2Edited(), &g_Sel)->x = -50;
  At(2, 13);
  Bone2 *b = &M()->bones[2];
  Bone2_EvalKey(0, 2, b->keyIndex, b->fraction);
  f32 pose[5];
  memcpy(pose, b->pose, sizeof pose);
  ASSERT_TRUE(Ed2D_MotionCreateKey(Current_Bone2Edited(), &g_Sel));
  EXPECT_EQ(Frames(2), (std::vector<i32>{0, 13, 20, 40}));
  const BoneKey2 &mid = T(2)->keys[1];
  const f32 got[5] = {mid.x, mid.y, mid.angle, mid.scaleX, mid.scaleY};
  for (int i = 0; i < 5; i++) EXPECT_NEAR(got[i], pose[i], 1e-5) << i;
  EXPECT_GT(mid.x, 0.0f);
  // Nothing while playing; a key index outside the track changes nothing either.
  g_Shell.g_Playing = 1;
  At(2, 30);
  EXPECT_FALSE(Ed2D_MotionCreateKey(Current_Bone2Edited(), &g_Sel));
  g_Shell.g_Playing = 0;
  b->keyIndex = 99;
  Ed2D_MotionCopyKey();
  EXPECT_EQ(T(2)->count, 4);
}

TEST_F(MotionTest, RandomEditsOnATrackWithRoomForOneStaySortedAndMatchAMap) {
  // Bone 3's track as a file leaves it: one key, room for exactly one.
  Bone2Track *t = T(3);
  Bone2Track_Free(t);
  ASSERT_TRUE(Bone2Track_Reserve(t, 1));
  t->keys[0] = BoneKey2{0, 1, 0, 0, 1, 1};
  t->count = 1;
  ASSERT_EQ(t->capacity, 1);
  std::map<i32, f32> want = {{0, 1.0f}};   // frame -> x
  f32 clip = 0.0f;                          // the clipboard starts as the identity key
  u32 seed = 12345;
  auto next = [&](u32 n) { seed = seed * 1103515245u + 12345u; return (seed >> 16) % n; };
  for (int step = 0; step < 600; step++) {
    i32 f = (i32)next(60);
    At(3, f);
    u32 op = next(4);
    auto at = want.upper_bound(f);
    f32 current = at == want.begin() ? want.begin()->second : std::prev(at)->second;
    if (op == 0) {
      bool had = want.count(f) != 0;
      EXPECT_EQ(Ed2D_MotionCreateKey(Current_Bone2Edited(), &g_Sel), !had);
      if (!had) want[f] = T(3)->keys[Keys_Find(T(3)->keys, T(3)->count, sizeof(BoneKey2), f)].x;
    } else if (op == 1) {
      Ed2D_MotionCutKey();
      clip = current;
      want.erase(f);
    } else if (op == 2) {
      Ed2D_MotionPasteKey();
      want[f] = clip;
    } else {
      i32 d = (i32)next(21) - 10;
      i32 to = f + d < 0 ? 0 : f + d;
      bool moves = d != 0 && want.count(f) && !want.count(to);
      EXPECT_EQ(Ed2D_MotionMoveKey(d), moves);
      if (moves) {
        want[to] = want[f];
        want.erase(f);
        EXPECT_EQ(M()->currentFrame, to);
      }
    }
    if (want.empty()) break;
    ASSERT_EQ(T(3)->count, (i32)want.size()) << "step " << step << " op " << op;
    i32 k = 0;
    for (auto &w : want) {
      ASSERT_EQ(T(3)->keys[k].frame, w.first) << "step " << step;
      ASSERT_FLOAT_EQ(T(3)->keys[k].x, w.second) << "step " << step;
      k++;
    }
  }
  EXPECT_GT(T(3)->count, 16) << "the track grew past the sixteen of a full model";
}

TEST_F(MotionTest, MiddleDragMovesTheKeyItselfAndKeepsTheClipboard) {
  At(1, 30);
  Ed2D_MotionCreateKey(Current_Bone2Edited(), &g_Sel);
  Ed2D_MotionCurrentKey(Current_Bone2Edited(), &g_Sel)->x = 30;
  At(1, 0);
  Ed2D_MotionCurrentKey(Current_Bone2Edited(), &g_Sel)->x = 5;
  Ed2D_MotionCopyKey();
  At(1, 30);
  EXPECT_FALSE(Ed2D_MotionMoveKey(-30)) << "onto a taken frame it stays";
  EXPECT_EQ(Frames(1), (std::vector<i32>{0, 30}));
  // Paste onto a taken frame replaces that key.
  Ed2D_MotionPasteKey();
  EXPECT_FLOAT_EQ(T(1)->keys[1].x, 5);
  T(1)->keys[1].x = 30;
  // Less than one frame's width still moves one frame, in the mouse's direction.
  g_Ed2DMotion.stripMiddle = 1;
  g_Ed2DMotion.stripX = 300;
  Ed2D_MotionKeyMouse(ED2D_MOUSE_MOVE, 301, 0);
  EXPECT_EQ(Frames(1), (std::vector<i32>{0, 31}));
  Ed2D_MotionKeyMouse(ED2D_MOUSE_MOVE, 299, 0);
  EXPECT_EQ(Frames(1), (std::vector<i32>{0, 30}));
  EXPECT_FLOAT_EQ(T(1)->keys[1].x, 30);
  EXPECT_FLOAT_EQ(g_Ed2DMotion.clipboard.x, 5) << "the clipboard survives";
}

// [SECTION] mouse and strip
TEST_F(MotionTest, DragsFollowTheToolOnlyOnAKeyOfTheCurrentFrame) {
  At(1, 0);
  BoneKey2 *k = Ed2D_MotionCurrentKey(Current_Bone2Edited(), &g_Sel);
  ASSERT_NE(k, nullptr);
  struct Case { u32 tool; f32 dx, dy, x, y, angle, sx, sy; const char *label; };
  const Case cases[] = {
      {1, 10, -10, 0, 0, 6, 1, 1, "回転 ( モーション )"},   // right 10, up 10
      {0, 10, -4, 10, -4, 6, 1, 1, "移動 ( モーション )"},
      {2, 20, 20, 10, -4, 6, 1.1f, 0.9f, "拡大 ( モーション )"},
  };
  for (const Case &c : cases) {
    g_Ed2DMotion.tool = c.tool;
    EXPECT_TRUE(Ed2D_MotionDragKey(c.dx, c.dy));
    EXPECT_EQ(std::vector<f32>({k->x, k->y}), std::vector<f32>({c.x, c.y})) << c.tool;
    EXPECT_FLOAT_EQ(k->angle, c.angle) << c.tool;
    EXPECT_FLOAT_EQ(k->scaleX, c.sx) << c.tool;
    EXPECT_FLOAT_EQ(k->scaleY, c.sy) << c.tool;
    EXPECT_STREQ(g_Ed2DMotion.undoLabel, c.label);
  }
  EXPECT_TRUE(Doc_IsChanged(DOC_BONE2));
  At(1, 5);   // the current key (frame 0) is not on frame 5
  EXPECT_FALSE(Ed2D_MotionDragKey(10, 10));
  At(0, 0);
  EXPECT_FALSE(Ed2D_MotionDragKey(10, 10));
  EXPECT_FLOAT_EQ(k->x, 10);
}

TEST_F(MotionTest, StripArithmeticClicksSnapScrollAndTheWheel) {
  // Frame from x (divisor 4): the label column gives 0, a far x wraps into the 60 frames.
  struct { i32 x, frame; } xs[] = {{188, 0}, {100, 0}, {-5000, 0}, {263, 30}, {363, 10}, {2000000000, (i32)((2000000000LL - 188) * 4 / 10 % 60)}};
  for (auto &c : xs) EXPECT_EQ(Ed2D_StripFrameFromX(c.x, 60), c.frame) << c.x;
  EXPECT_EQ(Ed2D_StripFrameFromX(500, 0), 0) << "no length, no endless wrap";
  struct { i32 dx, step; } steps[] = {{1, 1}, {-1, -1}, {3, 2}, {-7, -4}, {0, 0}};
  for (auto &c : steps) EXPECT_EQ(Ed2D_StripMiddleStep(c.dx), c.step) << c.dx;
  // Snap: the key nearest current - 3 within 5, the earlier on a tie.
  At(1, 10);
  Ed2D_MotionCreateKey(Current_Bone2Edited(), &g_Sel);
  At(1, 14);
  Ed2D_MotionCreateKey(Current_Bone2Edited(), &g_Sel);
  struct { i32 current, snapped; } snaps[] = {{15, 10}, {20, 14}, {30, 30}, {6, 0}};
  for (auto &c : snaps) EXPECT_EQ(Ed2D_MotionSnapFrame(T(1), c.current), c.snapped) << c.current;
  // Scroll steps within 0 .. length - 1.
  M()->currentFrame = 0;
  struct { u32 code; i32 pos, frame; } bar[] = {{ED2D_SCROLL_LINE_RIGHT, 0, 1}, {ED2D_SCROLL_PAGE_RIGHT, 0, 59},
                                                {ED2D_SCROLL_LINE_LEFT, 0, 58}, {ED2D_SCROLL_PAGE_LEFT, 0, 0},
                                                {ED2D_SCROLL_THUMB, 200, 59}, {ED2D_SCROLL_THUMB, 12, 12}};
  for (auto &c : bar) {
    Ed2D_MotionKeyScroll(c.code, c.pos);
    EXPECT_EQ(M()->currentFrame, c.frame) << c.code;
  }
  // A click on row 2 at frame 30's x makes that row's bone current; the release snaps.
  ASSERT_GE(g_TreeRows.count, 4);
  i32 rowBone = g_TreeRows.rows[2].item;
  Ed2D_MotionKeyMouse(ED2D_MOUSE_LDOWN, 263, 28 + 2 * 21 + 5);
  Ed2D_MotionKeyMouse(ED2D_MOUSE_LUP, 263, 28 + 2 * 21 + 5);
  EXPECT_EQ(g_Sel.g_CurBoneIndex, (u32)rowBone);
  EXPECT_EQ(g_TreeRows.current, 2);
  EXPECT_EQ(M()->currentFrame, 30);
  Ed2D_MotionKeyMouse(ED2D_MOUSE_LDOUBLE, 263, 75);
  EXPECT_EQ(Frames(rowBone), (std::vector<i32>{0, 30}));
  // A release on bone 1 at frame 16 snaps onto its key at 14.
  At(1, 16);
  Ed2D_MotionKeyMouse(ED2D_MOUSE_LDOWN, 228, 500);
  Ed2D_MotionKeyMouse(ED2D_MOUSE_LUP, 228, 500);
  EXPECT_EQ(M()->currentFrame, 14);
  // The wheel steps over all of bone 3's twenty keys (not only the 16 the row holds).
  for (i32 i = 1; i < 20; i++) {
    At(3, i * 3);
    ASSERT_TRUE(Ed2D_MotionCreateKey(Current_Bone2Edited(), &g_Sel));
  }
  for (i32 r = 0; r < g_TreeRows.count; r++)
    if (g_TreeRows.rows[r].item == 3) g_TreeRows.current = r;
  M()->currentFrame = 0;
  for (i32 i = 0; i < 25; i++) Ed2D_MotionWheelKey(Hook_Step(+1));
  EXPECT_EQ(M()->currentFrame, 57);
  Ed2D_MotionWheelKey(Hook_Step(-1));
  EXPECT_EQ(M()->currentFrame, 54);
}

// [SECTION] motions and playback
TEST_F(MotionTest, MotionListRefusesBadLengthsAndTheHundredAndFirst) {
  Type(IDC_ML2D_NAME, "歩く");
  Type(IDC_ML2D_LENGTH, "0");
  Ed2D_MotionListCommand(IDC_ML2D_APPLY);
  EXPECT_EQ(M()->motions[0].length, 1);
  EXPECT_STREQ(M()->motions[0].name, "歩く");
  Type(IDC_ML2D_NAME, "走る");
  Type(IDC_ML2D_LENGTH, "abc");
  Ed2D_MotionListCommand(IDC_ML2D_APPLY);
  EXPECT_EQ(M()->motions[0].length, 1);
  EXPECT_STREQ(M()->motions[0].name, "歩く") << "nothing changed";
  EXPECT_EQ(f.boxes, std::vector<std::string>{"モーションの長さには、数値を入力して下さい。"});
  f.boxes.clear();
  Type(IDC_ML2D_LENGTH, "30");
  for (i32 i = 0; i < 100; i++) Ed2D_MotionListCommand(IDC_ML2D_ADD);
  EXPECT_EQ(M()->motionCount, 100);
  EXPECT_EQ(M()->currentMotion, 99);
  EXPECT_EQ(f.boxes, std::vector<std::string>{"これ以上 モーションを追加できません。"});
  EXPECT_EQ(g_WidgetFake.lines[g_Ed2DMotion.motionList][0], " 0 : 0 ～ 30  走る");
  // LB_ERR keeps the motion; a selection picks it at frame 0.
  M()->currentFrame = 9;
  Choose(-1);
  Ed2D_MotionListCommand(0);
  EXPECT_EQ(M()->currentMotion, 99);
  EXPECT_EQ(M()->currentFrame, 9);
  Choose(4);
  Ed2D_MotionListCommand(0);
  EXPECT_EQ(M()->currentMotion, 4);
  EXPECT_EQ(M()->currentFrame, 0);
}

TEST_F(MotionTest, AMotionAddedToAModelReadWithTwoMotionsHasTracks) {
  M()->motionCount = 2;
  M()->motions[1].used = 1;
  ASSERT_TRUE(Bone2_FreshTracks(M()));
  char path[] = "/tmp/ed2d_motion_XXXXXX";
  int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  close(fd);
  ASSERT_EQ(Shown(Kzb_Write, 0, path), 1);
  g_ModelAllocArrays = 0;
  ASSERT_EQ(Shown(Kzb_Read, 0, path), 1);
  unlink(path);
  ASSERT_EQ(M()->keyTableLength, 2);
  Type(IDC_ML2D_LENGTH, "40");
  Ed2D_MotionListCommand(IDC_ML2D_ADD);
  ASSERT_EQ(M()->motionCount, 3);
  EXPECT_EQ(M()->currentMotion, 2);
  for (i32 b = 0; b < 4; b++) {
    ASSERT_NE(T(b), nullptr) << b;
    EXPECT_EQ(T(b)->count, 1) << b;
  }
  // Keys go on it at once, past the room the reader gave the other tracks.
  for (i32 i = 0; i < 20; i++) {
    At(1, i * 2);
    Ed2D_MotionCreateKey(Current_Bone2Edited(), &g_Sel);
  }
  EXPECT_EQ(T(1)->count, 20);
}

TEST_F(MotionTest, PlayStopAndLoopOffStopsAtTheLastFrame) {
  M()->motions[0].length = 10;
  M()->currentFrame = 7;
  g_Sel.g_CurSlot = 0;
  Loop(false);
  Ed2D_MotionPlay();
  EXPECT_EQ(g_Shell.g_Playing, 1u);
  EXPECT_EQ(M()->currentFrame, 0);
  g_Lib.frameDelta = 1.0f;
  for (i32 i = 0; i < 30 && g_Shell.g_Playing == 1; i++) Play_TickBone2();
  EXPECT_EQ(g_Shell.g_Playing, 0u);
  EXPECT_EQ(M()->currentFrame, 9);
  Loop(true);
  Ed2D_MotionPlay();
  for (i32 i = 0; i < 25; i++) Play_TickBone2();
  EXPECT_EQ(g_Shell.g_Playing, 1u);
  EXPECT_EQ(M()->currentFrame, 5);
  Ed2D_MotionStop();
  EXPECT_EQ(g_Shell.g_Playing, 0u);
  EXPECT_EQ(M()->currentFrame, 9) << "stop restores the frame before play";
}

}  // namespace
