// The motion sub-mode and its dialogs: the state entering leaves, the key table, play and
// stop, the ring choice, copying the motions of a model file (each vertex re-bound to its
// nearest source vertex, the grid search equal to a literal scan), freeze as one undo step,
// the strip arithmetic and mouse, the refusals (length 0, the 101st motion, text in a field,
// a zero quaternion, a full or unreadable sound list), the ±8 degree turns and the twist
// against quaternions worked by hand, and "追加" copying bone tracks and group keys.
#include "tests/support/hook_at.h"
#include <gtest/gtest.h>
#include <math.h>
#include <stdio.h>
#include <string.h>

#include <random>
#include <string>
#include <vector>

#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/strip_state.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/view_record.h"
#include "model_shown.h"
#include "motion_reset.h"
#include "app/current.h"
#include "app/docflags.h"
#include "app/family.h"
#include "app/play.h"
#include "app/shell_seam.h"
#include "app/startup_state.h"
#include "app/strip.h"
#include "app/tree.h"
#include "app/views.h"
#include "edit3d/ed3d.h"
#include "edit3d/ed3d_motion.h"
#include "edit3d/undo.h"
#include "lib/framework/lib.h"
#include "lib/render/objects.h"
#include "model/kzp.h"
#include "model/motion.h"
#include "model/seam.h"
#include "model/str.h"
#include "resources/edit3d_motion_ids.h"
#include "widget_fake.h"
#include "key_frames.h"

namespace {

std::vector<std::string> g_boxes;
std::vector<std::string> g_menus;

Model3 *M() { return g_Model3Slots[0]; }
KeyTrack *T(i32 b) { return Ed3D_MotionTrack(M(), b); }

void ExpectQuat(const f32 q[4], Quat w, f32 tol = 1e-5f) {
  // q and -q are the same turn.
  f32 s = (q[0] * w.x + q[1] * w.y + q[2] * w.z + q[3] * w.w) < 0 ? -1.0f : 1.0f;
  EXPECT_NEAR(q[0], s * w.x, tol);
  EXPECT_NEAR(q[1], s * w.y, tol);
  EXPECT_NEAR(q[2], s * w.z, tol);
  EXPECT_NEAR(q[3], s * w.w, tol);
}

// (axis * sin(a/2), cos(a/2)) in radians, worked without the program's helpers.
Quat AxisAngle(f32 x, f32 y, f32 z, f32 deg) {
  f32 l = sqrtf(x * x + y * y + z * z), h = deg * 3.14159265f / 360.0f;
  return {x / l * sinf(h), y / l * sinf(h), z / l * sinf(h), cosf(h)};
}

Quat Mul(Quat a, Quat r) {
  return {a.w * r.x + a.x * r.w + a.y * r.z - a.z * r.y, a.w * r.y - a.x * r.z + a.y * r.w + a.z * r.x,
          a.w * r.z + a.x * r.y - a.y * r.x + a.z * r.w, a.w * r.w - a.x * r.x - a.y * r.y - a.z * r.z};
}

struct ModeTest : ::testing::Test {
  void Build(i32 bones, i32 motions) {
    Model3_FreeAllSlots();
    g_ModelAllocArrays = 1;
    Model3 *m = Model3_Init(0);
    ASSERT_NE(m, nullptr);
    m->boneCount = bones;
    for (i32 b = 0; b < bones; b++) {
      m->bones[b].parent = b > 0 ? b - 1 : 0;
      m->boneRest[b].pos[1] = b ? 1.0f : 0.0f;
      ASSERT_TRUE(Model3_EnsureKeyTable(m, b));
    }
    m->motionCount = motions;
    for (i32 i = 0; i < motions; i++) {
      m->motions[i].used = 1;
      m->motions[i].length = 60;
      Str_Format(m->motions[i].name, MODEL3_NAME, "m%d", (int)i);
    }
    m->keyTableLength = MODEL3_MOTIONS;
    // A quad bound to bone 1.
    for (i32 i = 0; i < 4; i++) {
      m->positions[i] = {(f32)(i & 1), 1.0f + (f32)(i >> 1), 0};
      m->bindings[i] = {1, 0, 1.0f, 0};
    }
    m->positionCount = 4;
    m->polygons[0].cornerCount = 4;
    const u32 order[4] = {0, 1, 3, 2};
    for (i32 j = 0; j < 4; j++) m->polygons[0].corners[j].vertex = order[j];
    m->polygonCount = 1;
    g_Sel.g_CurSlot = 0;
    Tree_LinkBones3D();
  }
  void SetUp() override {
    g_boxes.clear();
    g_menus.clear();
    MotionReset_3D([](const char *t) { g_boxes.push_back(t); }, 1);
    g_ShellSeam.loadFamilyMenu = [](const char *n) -> void * {
      g_menus.push_back(n);
      return (void *)1;
    };
    g_Ed3DMotionPanels = Ed3DMotionPanels{};
    g_Ed3DMotionStrip = Ed3DStripMouse{};
    WidgetFake_Install();
    g_Sel.g_MotionEditOp = 1;
    Strip_ResetGeometry();
    Build(4, 2);
    Undo_ResetAll();
  }
  void TearDown() override {
    Model3_FreeAllSlots();
    g_Seam.errorBox = nullptr;
    WidgetFake_Remove();
  }
  void Keys(i32 b, std::vector<i32> frames) {
    KeyTrack *t = T(b);
    t->count = 0;
    for (i32 f : frames) {
      BoneKey3 k;
      BoneKey3_Identity(&k, f);
      KeyTrack_Insert(t, &k);
    }
  }
  std::vector<i32> Frames(i32 b) { return KeyFrames(T(b)); }
};

// [SECTION] the sub-mode
TEST_F(ModeTest, EnterSetsTheStateAndOpensThePanelsAtTheirPlaces) {
  g_Lib.desktopWidth = 1280, g_Lib.desktopHeight = 1024;
  g_Sel.g_CurSlot = 3;
  g_Sel.g_CurBoneIndex = 0;
  M()->frame = 44;
  M()->motion = 7;   // out of range of the two motions
  g_Sel.g_MotionEditOp = 0;
  Ed3D_MotionEnter(Hook_Now());
  EXPECT_EQ(g_Sel.g_CurSlot, 0u);
  EXPECT_EQ(g_Sel.g_CurBoneIndex, 1u);
  EXPECT_EQ(M()->frame, 0);
  EXPECT_EQ(M()->motion, 0);
  EXPECT_EQ(g_Sel.g_MotionEditOp, 1u);
  EXPECT_EQ(g_Ed3DMotionPanels.loop, 1u);
  EXPECT_EQ(g_Lib.runState, 4u);
  EXPECT_EQ(g_menus, std::vector<std::string>{"MENU_3D_MOTION"});
  EXPECT_EQ(g_Ed3DViewConst.scale[1], 3.9f);
  EXPECT_EQ(g_Ed3DViewConst.distance, -15.0f);
  struct Want { const char *name; i32 x, y, w, h; };
  const Want want[3] = {{"3D_MOTION_DLG", 1007, 624, 273, 370},
                        {"MOTION_KEY_DLG", 0, 424, 400, 570},
                        {"3D_MOTION_LIST_DLG", 1052, 47, 228, 397}};
  ASSERT_EQ(g_WidgetFake.created.size(), 3u);
  for (int i = 0; i < 3; i++) {
    EXPECT_EQ(g_WidgetFake.created[i], want[i].name);
    const WidgetFakeWindow &p = g_WidgetFake.live[WidgetFake_Panel(want[i].name)];
    EXPECT_EQ(p.x, want[i].x);
    EXPECT_EQ(p.y, want[i].y);
    EXPECT_EQ(p.w, want[i].w);
    EXPECT_EQ(p.h, want[i].h);
  }
  EXPECT_EQ(g_TreeRows.count, 2);   // the root expanded, bone 1 below it
  // A motion in range is kept; the panels are made once.
  M()->motion = 1;
  Ed3D_MotionEnter(Hook_Now());
  EXPECT_EQ(M()->motion, 1);
  EXPECT_EQ(g_WidgetFake.created.size(), 3u);
  Ed3D_MotionLeave(Hook_Now());
  EXPECT_EQ(g_Ed3DMotionPanels.motionDlg, nullptr);
  EXPECT_EQ(g_Ed3DMotionPanels.listDlg, nullptr);
}

TEST_F(ModeTest, KeyTableToolsAndArrows) {
  struct Case { u32 from; u32 key; u32 to; };
  const Case tools[] = {{1, 'R', 3}, {3, 'R', 1}, {0, 'R', 1}, {2, 'R', 1}, {1, 'T', 0}, {3, 'G', 2}};
  for (const Case &c : tools) {
    g_Sel.g_MotionEditOp = c.from;
    g_Ed3DMotion.dialogRefresh = 0;
    Ed3D_MotionKeyUp(Hook_Key(c.key));
    EXPECT_EQ(g_Sel.g_MotionEditOp, c.to) << c.from << " " << (char)c.key;
    EXPECT_EQ(g_Ed3DMotion.dialogRefresh, 1u);
  }
  // Arrows by view kind (zoom 2: a step of 0.5); the perspective view moves the camera.
  struct Arrow { u32 kind, key; f32 x, y, z; };
  const Arrow arrows[] = {{VIEW_FRONT, 37, -0.5f, 0, 0}, {VIEW_FRONT, 38, 0, 0.5f, 0}, {VIEW_TOP, 38, 0, 0, -0.5f},
                          {VIEW_SIDE, 37, 0, 0, 0.5f},   {VIEW_SIDE, 40, 0, -0.5f, 0}, {VIEW_TOP, 40, 0, 0, 0.5f}};
  for (const Arrow &a : arrows) {
    ViewRecord &v = g_Shell.g_Views[SUB_3D_MOTION][1];
    v = ViewRecord{};
    v.kind = a.kind;
    v.zoom = 2.0f;
    Ed3D_MotionKeyUp(Hook_Key(a.key));
    EXPECT_EQ(v.panX, a.x);
    EXPECT_EQ(v.panY, a.y);
    EXPECT_EQ(v.panZ, a.z);
  }
  g_Shell.g_Views[SUB_3D_MOTION][1].kind = VIEW_MAIN;
  g_Shell.g_PerspStep = 2.0f;
  g_Shell.g_PerspOffset[0] = g_Shell.g_PerspOffset[1] = 0;
  Ed3D_MotionKeyUp(Hook_Key(37));
  Ed3D_MotionKeyUp(Hook_Key(40));
  EXPECT_EQ(g_Shell.g_PerspOffset[1], 6.0f);
  EXPECT_EQ(g_Shell.g_PerspOffset[0], 6.0f);
  // No arrow while the left button is held.
  Shell_SetButtonHeld(BUTTON_LEFT, 1);
  Ed3D_MotionKeyUp(Hook_Key(37));
  EXPECT_EQ(g_Shell.g_PerspOffset[1], 6.0f);
}

TEST_F(ModeTest, PlayThenStopReturnsToTheSavedFrame) {
  g_Ed3DMotionPanels.motionDlg = (void *)1;
  g_Ed3DMotionPanels.keyDlg = (void *)2;
  g_WidgetFake.checks[{(void *)2, IDC_MKEY_LOOP}] = true;
  M()->frame = 17;
  Ed3D_MotionKeyUp(Hook_Key('A'));   // active view 1: acts whatever window is active
  EXPECT_EQ(g_Shell.g_Playing, 1u);
  EXPECT_EQ(M()->frame, 0);
  // The play button's text is the only text written, once at each press.
  EXPECT_EQ(g_WidgetFake.textWrites, 1u);
  EXPECT_EQ(g_WidgetFake.texts.size(), 1u);
  EXPECT_EQ(WidgetFake_Text((void *)1, IDC_MOT_PLAY), "停止(A)");
  M()->frame = 33;         // the playback tick moved on
  Ed3D_MotionKeyUp(Hook_Key('A'));
  EXPECT_EQ(g_Shell.g_Playing, 0u);
  EXPECT_EQ(M()->frame, 17);
  EXPECT_EQ(g_WidgetFake.textWrites, 2u);
  EXPECT_EQ(g_WidgetFake.texts.size(), 1u);
  EXPECT_EQ(WidgetFake_Text((void *)1, IDC_MOT_PLAY), "再生(A)");
  // The playback tick: with the loop check box off the motion ends on its last frame and
  // playback stops; on, it wraps.
  M()->motions[0].length = 10;
  for (u32 loop : {0u, 1u}) {
    g_Ed3DMotionPanels.loop = loop;
    g_ShellEntries.model3Loop = &g_Ed3DMotionPanels.loop;
    M()->frame = 8;
    M()->frameFraction = 0;
    g_Shell.g_Playing = 0;
    g_Lib.frameDelta = 3.0f;
    Play_TickModel3();
    EXPECT_EQ(M()->frame, loop ? 1 : 9);
    EXPECT_EQ(g_Shell.g_Playing, loop);
  }
  g_ShellEntries.model3Loop = nullptr;
  g_Shell.g_Playing = 0;
  // View 0 active with an unrelated window in front: nothing.
  g_Shell.g_ActiveView = 0;
  g_WidgetFake.activeWindow = (void *)99;
  Ed3D_TogglePlay(Hook_Now());
  EXPECT_EQ(g_Shell.g_Playing, 0u);
  g_WidgetFake.activeWindow = (void *)2;   // the key dialog
  Ed3D_TogglePlay(Hook_Now());
  EXPECT_EQ(g_Shell.g_Playing, 1u);
}

TEST_F(ModeTest, TheRingNearestThePointerIsChosenNoneBeyond50Pixels) {
  // Each ring's ends laid out on its own row of the screen: ring r at y = 100 r.
  f32 s[3][ED3D_RING_SEGMENTS + 1][2];
  for (int r = 0; r < 3; r++)
    for (int i = 0; i <= ED3D_RING_SEGMENTS; i++) s[r][i][0] = 20.0f * i, s[r][i][1] = 100.0f * r;
  struct Case { i32 x, y; bool right; i32 ring; };
  const Case cases[] = {{40, 10, false, 0},  {40, 90, false, 1},   {300, 205, false, 2}, {0, 45, false, 0},  
                        {0, 55, false, 1},    {500, 260, false, -1}, {500, 260, true, 2},  {-60, 0, false, -1},
                        {-50, 0, false, 0},  {320, 150, false, 1}};
  for (const Case &c : cases)
    EXPECT_EQ(Ed3D_ChooseRing(s, c.x, c.y, c.right), c.ring) << c.x << "," << c.y;
  // Drawing an orthographic view between frames of the main view keeps the main view's ring.
  g_Shell.g_Views[SUB_3D_MOTION][1].kind = VIEW_FRONT;
  g_Shell.g_Views[SUB_3D_MOTION][1].zoom = 1.0f;
  g_Ed3DMotion.ring = 2;
  Ed3D_MotionDrawOverlay(Hook_Draw(1));
  EXPECT_EQ(g_Ed3DMotion.ring, 2);
  // The ends of each ring lie 1.5 from the centre in the ring's plane.
  Vec3 c = {1, 2, 3};
  for (int r = 0; r < 3; r++)
    for (int i = 0; i <= ED3D_RING_SEGMENTS; i++) {
      Vec3 p = Ed3D_RingPoint(c, r, i);
      f32 d[3] = {p.x - c.x, p.y - c.y, p.z - c.z};
      EXPECT_NEAR(sqrtf(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]), 1.5f, 1e-5f);
      EXPECT_EQ(d[r == 0 ? 1 : (r == 1 ? 0 : 2)], 0.0f);
    }
}

TEST_F(ModeTest, RightHeldPicksTheNearestBoneInTheOrthographicViews) {
  Model3_BuildRestMatrices();
  Model3_EvalPoseMatrices();
  ViewRecord v{};
  v.kind = VIEW_FRONT;
  v.zoom = 1.0f;
  v.centerX = 100, v.centerY = 200;
  // Bone b stands b units up: 40 pixels each.
  EXPECT_EQ(Ed3D_MotionPickBone(Hook_Now(), &v, 100, 200 - 80), 2);
  EXPECT_EQ(Ed3D_MotionPickBone(Hook_Now(), &v, 100, 200 - 99), 2);   // 19 from bone 2, 21 from bone 3
  EXPECT_EQ(Ed3D_MotionPickBone(Hook_Now(), &v, 100, 200 - 100), 2);  // a tie: the first
  v.kind = VIEW_MAIN;
  EXPECT_EQ(Ed3D_MotionPickBone(Hook_Now(), &v, 100, 120), -1);
}

// [SECTION] copy motions
std::string TempPath(const char *name) {
  const char *dir = getenv("TMPDIR");
  return std::string(dir && *dir ? dir : "/tmp") + "/" + name;
}

// The literal scan the grid search replaces.
i32 Literal(const std::vector<Vec3> &pts, Vec3 q) {
  f32 best = 99999.9f;
  i32 found = 0;
  for (size_t i = 0; i < pts.size(); i++) {
    f32 d = fabsf(pts[i].x - q.x) + fabsf(pts[i].y - q.y) + fabsf(pts[i].z - q.z);
    if (d < best) best = d, found = (i32)i;
  }
  return found;
}

TEST(NearestPoints, EqualsALiteralScanOnRandomModels) {
  std::mt19937 rng(33);
  for (int round = 0; round < 300; round++) {
    std::uniform_int_distribution<int> count(1, 60);
    // Coarse coordinates make equal distances (ties) common; some rounds are flat or far.
    f32 grain = round % 3 == 0 ? 0.5f : 0.013f;
    f32 spread = round % 7 == 0 ? 400.0f : 4.0f;
    std::uniform_int_distribution<int> cell(-(int)(spread / grain), (int)(spread / grain));
    auto pick = [&]() { return Vec3{grain * cell(rng), round % 5 == 0 ? 0.0f : grain * cell(rng), grain * cell(rng)}; };
    std::vector<Vec3> pts((size_t)count(rng)), qs((size_t)count(rng));
    for (Vec3 &p : pts) p = pick();
    for (Vec3 &q : qs) q = round % 11 == 0 ? Vec3{q.x + 1e6f, 0, 0} : pick();
    if (round % 13 == 0) pts[0] = {NAN, 0, 0};
    std::vector<i32> got(qs.size());
    Ed3D_NearestPoints(pts.data(), (i32)pts.size(), qs.data(), (i32)qs.size(), got.data());
    for (size_t i = 0; i < qs.size(); i++) ASSERT_EQ(got[i], Literal(pts, qs[i])) << round << " " << i;
  }
}

TEST_F(ModeTest, CopyMotionsRebindsEveryVertexAndKeepsTheMesh) {
  // The source: 3 bones, 3 motions, a row of vertices bound one to each bone in turn.
  g_ModelAllocArrays = 1;
  Model3 *s = Model3_New();
  ASSERT_NE(s, nullptr);
  s->boneCount = 3;
  for (i32 b = 0; b < 3; b++) {
    Str_Format(s->bones[b].name, MODEL3_NAME, "src%d", (int)b);
    s->bones[b].parent = b ? b - 1 : 0;
    s->boneRest[b].pos[2] = (f32)b;
  }
  s->motionCount = 3;
  for (i32 i = 0; i < 3; i++) {
    s->motions[i].used = 1;
    s->motions[i].length = 10 + i;
    Str_Format(s->motions[i].name, MODEL3_NAME, "歩く%d", (int)i);
  }
  Model3_FreshTracks(s);
  BoneKey3 k;
  BoneKey3_Identity(&k, 7);
  k.pos[0] = 2.5f;
  KeyTrack_Insert(&s->bones[2].keys[1], &k);
  std::vector<Vec3> src;
  for (i32 i = 0; i < 9; i++) {
    s->positions[i] = {(f32)i, 0.5f * (f32)(i % 2), 0};
    s->bindings[i] = {(u16)(i % 3), (u16)((i + 1) % 3), 0.25f * (f32)(i % 4), 1};
    src.push_back(s->positions[i]);
  }
  s->positionCount = 9;
  s->polygons[0].cornerCount = 3;
  s->polygonCount = 1;
  std::string path = TempPath("miravel_copy_src.KZP");
  ASSERT_TRUE(Shown(Kzp_Write, s, path.c_str()));
  Model3_Free(s);
  // Read back what the file holds (the reader's view of the bindings).
  ASSERT_NE(Model3_Init(200), nullptr);
  ASSERT_NE(Shown(Model3_OpenFile, 200, path.c_str()), nullptr);
  const Model3 *file = g_Model3Slots[200];

  Model3 *m = M();
  m->positions[0] = {3.4f, 0.4f, 0};
  m->positions[1] = {7.6f, 0.1f, 0};
  m->positions[2] = {-5, 0, 0};
  m->positions[3] = {4.5f, 0.25f, 0};   // a tie between vertices 4 and 5: the first
  std::vector<Vec3> meshBefore(m->positions, m->positions + 4);
  ASSERT_TRUE(Kzp_CopyMotionsFromFile(0, path.c_str()));
  for (i32 v = 0; v < 4; v++) {
    i32 n = Literal(src, m->positions[v]);
    SCOPED_TRACE(v);
    EXPECT_EQ(m->bindings[v].bone1, file->bindings[n].bone1);
    EXPECT_EQ(m->bindings[v].bone2, file->bindings[n].bone2);
    EXPECT_EQ(m->bindings[v].weight, file->bindings[n].weight);
    EXPECT_EQ(m->bindings[v].automatic, 0u);
    EXPECT_EQ(memcmp(&m->positions[v], &meshBefore[(size_t)v], sizeof(Vec3)), 0);
  }
  EXPECT_EQ(Literal(src, m->positions[3]), 4);
  EXPECT_EQ(m->positionCount, 4);
  EXPECT_EQ(m->polygonCount, 1);
  EXPECT_EQ(m->motionCount, 3);
  EXPECT_EQ(m->boneCount, 3);
  EXPECT_STREQ(m->motions[2].name, "歩く2");
  EXPECT_EQ(m->motions[2].length, 12);
  EXPECT_STREQ(m->bones[1].name, "src1");
  EXPECT_EQ(m->boneRest[2].pos[2], 2.0f);
  EXPECT_EQ(m->bones[2].keys[1].count, file->bones[2].keys[1].count);
  EXPECT_EQ(KeyTrack_Find(&m->bones[2].keys[1], 7) >= 0, true);
  EXPECT_TRUE(g_Model3Slots[255] == nullptr);

  // A file that cannot be read changes nothing.
  Model3 *before = Model3_Clone(m);
  EXPECT_FALSE(Kzp_CopyMotionsFromFile(0, TempPath("miravel_no_such_file.KZP").c_str()));
  EXPECT_EQ(m->motionCount, before->motionCount);
  EXPECT_EQ(m->boneCount, before->boneCount);
  EXPECT_EQ(memcmp(m->bindings, before->bindings, 4 * sizeof(VertexBinding)), 0);
  Model3_Free(before);
  remove(path.c_str());
}

// [SECTION] freeze
TEST_F(ModeTest, FreezeIsOneUndoStepAndLeavesOneKey) {
  Keys(1, {0, 10, 20});
  // Bone 1 turned 90 degrees about Z at every key: the quad turns with it.
  for (i32 i = 0; i < 3; i++) {
    Quat q = AxisAngle(0, 0, 1, 90);
    f32 *kq = T(1)->keys[i].quat;
    kq[0] = q.x, kq[1] = q.y, kq[2] = q.z, kq[3] = q.w;
  }
  M()->frame = 10;
  Undo_Push(Undo_Current());
  std::vector<Vec3> rest(M()->positions, M()->positions + 4);
  ASSERT_TRUE(Ed3D_FreezePose(Hook_Now()));
  UndoHistory *h = Undo_Current();
  EXPECT_STREQ(h->steps[h->top].label, "フリーズ");
  EXPECT_EQ(T(1)->count, 1);
  EXPECT_EQ(M()->frame, 0);
  // Vertex 1 (x 1, y 1 over bone 1 at y 1) turns a quarter about bone 1 to x 0, y 0 (the
  // program's turns go clockwise for a positive angle about Z).
  EXPECT_NEAR(M()->positions[1].x, 0.0f, 1e-5);
  EXPECT_NEAR(M()->positions[1].y, 0.0f, 1e-5);
  Undo_Undo(h);
  for (i32 v = 0; v < 4; v++) EXPECT_EQ(memcmp(&M()->positions[v], &rest[(size_t)v], sizeof(Vec3)), 0);
  EXPECT_EQ(T(1)->count, 3);
}

// [SECTION] strip
TEST_F(ModeTest, StripFramesWrapAndLengthZeroIsRefused) {
  struct Case { i32 x, offset, divisor, length; bool ok; i32 frame; };
  const Case cases[] = {{199, 0, 4, 60, true, 4},       {189, 0, 4, 60, false, 0},   {190, 0, 4, 60, true, 0},
                        {189 + 200, 0, 4, 60, true, 20}, {189 + 1000, 0, 64, 60, true, 6400 % 60},
                        {199, -100, 4, 60, true, 44},   {1500, 0, 64, 1, true, 0},   {400, 0, 4, 0, false, 0},
                        {400, 0, 4, -5, false, 0}};
  for (const Case &c : cases) {
    g_Strip.g_StripGeo.offsetX = c.offset;
    Strip_SetDivisor(c.divisor);
    i32 f = -1;
    EXPECT_EQ(Ed3D_StripFrameAt(c.x, c.length, &f), c.ok) << c.x;
    if (c.ok) {
      EXPECT_EQ(f, c.frame) << c.x;
    }
  }
  Strip_ResetGeometry();
  M()->motions[0].length = 0;
  M()->frame = 5;
  g_Ed3DMotionStrip.x = 400;
  Ed3D_SetFrameFromStrip();
  EXPECT_EQ(M()->frame, 5);
  ASSERT_EQ(g_boxes.size(), 1u);
}

TEST_F(ModeTest, StripMouseMovesKeysByAFrameAndNeverScrollsPastZero) {
  Keys(1, {0, 10});
  M()->frame = 10;
  Ed3DStripMouse &s = g_Ed3DMotionStrip;
  Ed3D_KeyStripMove(300, 100);
  s.middle = 1;
  Ed3D_KeyStripMove(301, 100);   // less than a frame: one frame right
  EXPECT_EQ(Frames(1), (std::vector<i32>{0, 11}));
  EXPECT_EQ(M()->frame, 11);
  Ed3D_KeyStripMove(300, 100);
  EXPECT_EQ(Frames(1), (std::vector<i32>{0, 10}));
  Ed3D_KeyStripMove(300 + 50, 100);   // 50 x 4 x 0.08 = 16 frames
  EXPECT_EQ(Frames(1), (std::vector<i32>{0, 26}));
  s.middle = 0;
  s.right = 1;
  Ed3D_KeyStripMove(330, 120);   // from (350, 100)
  EXPECT_EQ(g_Strip.g_StripGeo.offsetX, -20);
  EXPECT_EQ(g_Strip.g_StripGeo.offsetY, 0);
  Ed3D_KeyStripMove(200, 60);
  EXPECT_EQ(g_Strip.g_StripGeo.offsetX, -150);
  EXPECT_EQ(g_Strip.g_StripGeo.offsetY, -60);
  Ed3D_KeyStripMove(400, 200);
  EXPECT_EQ(g_Strip.g_StripGeo.offsetX, 0);
  EXPECT_EQ(g_Strip.g_StripGeo.offsetY, 0);
  s.right = 0;
  // The hovered row; a click on its expander box toggles the bone's flag.
  Tree_BuildRowsBones3D();
  ASSERT_GE(g_TreeRows.count, 2);
  Ed3D_KeyStripMove(20, 28 + 21 + 5);
  EXPECT_EQ(g_TreeRows.hovered, 1);
  i32 item = g_TreeRows.rows[1].item, depth = g_TreeRows.rows[1].depth;
  u32 was = M()->bones[item].expanded;
  Ed3D_KeyStripMove(depth * 16 + 5, 28 + 21 + 5);
  Ed3D_ToggleRowExpanded();
  EXPECT_EQ(g_Sel.g_CurBoneIndex, (u32)item);
  EXPECT_EQ(M()->bones[item].expanded, 1 - was);
  EXPECT_EQ(Ed3D_StripCoord(65535 - 20), -20);
  EXPECT_EQ(Ed3D_StripCoord(500), 500);
}

// [SECTION] refusals and dialog edits
TEST_F(ModeTest, RefusalsLeaveTheModelAsItWas) {
  UndoHistory *h = Undo_Current();
  // Text in a field, a zero quaternion: refused, key unchanged.
  Keys(1, {0});
  M()->frame = 0;
  Ed3D_UpdateCurrentKeyIndex(Hook_Now());
  BoneKey3 keep = T(1)->keys[0];
  char f[ED3D_FIELDS][ED3D_FIELD_TEXT] = {"1", "2", "3", "0", "0", "0", "1", "1", "1", "1"};
  Str_Copy(f[4], ED3D_FIELD_TEXT, "abc");
  Ed3D_MotionDlgCommand(IDC_MOT_APPLY, 0, f);
  Str_Copy(f[4], ED3D_FIELD_TEXT, "");
  Ed3D_MotionDlgCommand(IDC_MOT_APPLY, 0, f);
  Str_Copy(f[4], ED3D_FIELD_TEXT, "0");
  Str_Copy(f[6], ED3D_FIELD_TEXT, "0.0");
  Ed3D_MotionDlgCommand(IDC_MOT_APPLY, 0, f);
  EXPECT_EQ(memcmp(&T(1)->keys[0], &keep, sizeof keep), 0);
  EXPECT_EQ(g_boxes.size(), 3u);
  // Accepted text: " 2.5" and "-1e-1" parse.
  Str_Copy(f[0], ED3D_FIELD_TEXT, " 2.5");
  Str_Copy(f[6], ED3D_FIELD_TEXT, "-1e-1");
  Ed3D_MotionDlgCommand(IDC_MOT_APPLY, 0, f);
  EXPECT_EQ(T(1)->keys[0].pos[0], 2.5f);
  EXPECT_EQ(T(1)->keys[0].quat[3], -0.1f);
  // Bone 0 and an empty track: "決定" and the turns do nothing, record nothing.
  T(0)->count = 0;
  T(2)->count = 0;
  i32 top = h->top;
  for (u32 bone : {0u, 2u}) {
    g_Sel.g_CurBoneIndex = bone;
    Ed3D_MotionDlgCommand(IDC_MOT_APPLY, 0, f);
    Ed3D_MotionDlgCommand(IDC_MOT_ROT_X_UP, 0, nullptr);
    Ed3D_MotionDlgCommand(IDC_MOT_TWIST_UP, 0, nullptr);
  }
  EXPECT_EQ(h->top, top);
  EXPECT_EQ(T(0)->count, 0);
  EXPECT_EQ(T(2)->count, 0);
  // The 101st motion.
  M()->motionCount = MODEL3_MOTIONS;
  g_boxes.clear();
  EXPECT_FALSE(Ed3D_MotionListAdd("x", "10"));
  EXPECT_EQ(M()->motionCount, MODEL3_MOTIONS);
  EXPECT_EQ(g_boxes.size(), 1u);
  // A length of 0 or text.
  M()->motionCount = 2;
  EXPECT_FALSE(Ed3D_MotionListApply("x", "0"));
  EXPECT_FALSE(Ed3D_MotionListApply("x", "ten"));
  EXPECT_EQ(M()->motions[0].length, 60);
  EXPECT_STREQ(M()->motions[0].name, "m0");
  // A full sound list and a file that cannot be read.
  M()->soundCount = MODEL3_SOUNDS;
  EXPECT_FALSE(Ed3D_AddMotionSound("/nonexistent.wav"));
  M()->soundCount = 3;
  EXPECT_FALSE(Ed3D_AddMotionSound(TempPath("miravel_no_such.wav").c_str()));
  EXPECT_EQ(M()->soundCount, 3);
  // The key sound table: past 16 keys ignored, a line past the sounds gives 0.
  for (i32 i = 0; i < MODEL3_KEY_SOUNDS; i++) M()->keySounds[i] = 9;
  g_Ed3DMotion.keyIndex = 16;
  Ed3D_SetKeySound(2);
  for (i32 i = 0; i < MODEL3_KEY_SOUNDS; i++) EXPECT_EQ(M()->keySounds[i], 9);
  g_Ed3DMotion.keyIndex = 15;
  Ed3D_SetKeySound(2);
  EXPECT_EQ(M()->keySounds[15], 2);
  Ed3D_SetKeySound(3);
  EXPECT_EQ(M()->keySounds[15], 0);
}

TEST_F(ModeTest, TurnsAndTwistMatchHandWorkedQuaternions) {
  Model3_BuildRestMatrices();
  Model3_EvalPoseMatrices();
  struct Case { u32 id; Quat q; const char *label; };
  const Case cases[] = {
      {IDC_MOT_ROT_X_DOWN, AxisAngle(0, 1, 0, -8), "回転Ｘ Down ( モーション )"},
      {IDC_MOT_ROT_X_UP, AxisAngle(0, 1, 0, 8), "回転Ｘ Up ( モーション )"},
      {IDC_MOT_ROT_Y_DOWN, AxisAngle(1, 0, 0, -8), "回転Ｙ Down ( モーション )"},
      {IDC_MOT_ROT_Y_UP, AxisAngle(1, 0, 0, 8), "回転Ｙ Up ( モーション )"},
      {IDC_MOT_ROT_Z_DOWN, AxisAngle(0, 0, 1, 8), "回転Ｚ Down ( モーション )"},
      {IDC_MOT_ROT_Z_UP, AxisAngle(0, 0, 1, -8), "回転Ｚ Up ( モーション )"},
  };
  UndoHistory *h = Undo_Current();
  g_Sel.g_CurBoneIndex = 2;
  Quat start = AxisAngle(1, 2, 3, 30);
  for (const Case &c : cases) {
    Keys(2, {0});
    f32 *kq = T(2)->keys[0].quat;
    kq[0] = start.x, kq[1] = start.y, kq[2] = start.z, kq[3] = start.w;
    Ed3D_MotionDlgCommand(c.id, 0, nullptr);
    // The program's rotation matrices turn the other way round from the right-hand rule.
    Quat r = c.q;
    r.x = -r.x, r.y = -r.y, r.z = -r.z;
    ExpectQuat(T(2)->keys[0].quat, Mul(start, r));
    EXPECT_STREQ(h->steps[h->top].label, c.label);
  }
  // The twist turns about the bone's direction from its parent (0, 1, 0) carried into the
  // key's frame by the inverse of the key's rotation.
  Keys(2, {0});
  f32 *kq = T(2)->keys[0].quat;
  kq[0] = start.x, kq[1] = start.y, kq[2] = start.z, kq[3] = start.w;
  Ed3D_MotionDlgCommand(IDC_MOT_TWIST_UP, 0, nullptr);
  Mat4 inv;
  Quat_ToMatrix(&inv, -start.x, -start.y, -start.z, start.w);
  f32 d[3];
  Mat_TransformPoint(d, 0, 1, 0, inv);
  ExpectQuat(T(2)->keys[0].quat, Mul(start, AxisAngle(d[0], d[1], d[2], 8 * 180.0f / (57.32f * 3.14159265f))), 1e-4f);
  EXPECT_STREQ(h->steps[h->top].label, "軸回転 Up ( モーション )");
}

TEST_F(ModeTest, AddDuplicatesBoneTracksAndGroupKeys) {
  Keys(1, {0, 12, 30});
  Keys(2, {5});
  GroupKeyList3 *l = Model3_EnsureGroupKeys(M(), 0, 3);
  ASSERT_NE(l, nullptr);
  l->count = 2;
  l->keys[1].frame = 9;
  l->keys[1].texture = 4;
  M()->motion = 0;
  ASSERT_TRUE(Ed3D_MotionListAdd("走る", "45"));
  EXPECT_EQ(M()->motionCount, 3);
  EXPECT_EQ(M()->motion, 2);
  EXPECT_STREQ(M()->motions[2].name, "走る");
  EXPECT_EQ(M()->motions[2].length, 45);
  EXPECT_EQ(M()->motions[2].used, 1u);
  // The typed name and length are the new motion's: the motion it was made from keeps its own.
  EXPECT_STREQ(M()->motions[0].name, "m0");
  EXPECT_EQ(M()->motions[0].length, 60);
  EXPECT_EQ(M()->bones[1].keys[2].count, 3);
  EXPECT_EQ(M()->bones[1].keys[2].keys[1].frame, 12);
  EXPECT_EQ(M()->bones[2].keys[2].keys[0].frame, 5);
  ASSERT_NE(M()->motions[2].groupKeys[3], nullptr);
  EXPECT_EQ(memcmp(M()->motions[2].groupKeys[3], l, sizeof *l), 0);
  UndoHistory *h = Undo_Current();
  EXPECT_STREQ(h->steps[h->top].label, "追加 ( モーションリスト )");
  // The next list selection makes it current at frame 0.
  M()->frame = 20;
  Ed3D_MotionListSelect(2);
  EXPECT_EQ(M()->frame, 0);
  Ed3DLines lines;
  Ed3D_MotionListLines(M(), &lines);
  ASSERT_EQ(lines.count, 3);
  EXPECT_STREQ(lines.text[2], " 2 : 0 ～ 45  走る");
  EXPECT_EQ(lines.select, 2);
}

}  // namespace
