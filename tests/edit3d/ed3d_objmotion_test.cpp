// The object motion editor on object set 0: keys made and deleted for every object at one
// index (the first the identity, one between two keys keeping each object's pose there, the
// 17th refused, a paste onto a full list refused), the drags (a rotation turning every
// descendant's key, the joint tool, scale only in the perspective view), play and stop, the
// parent rules, removal renumbering the parents, the strip's key move, and entering again.
#include "tests/support/hook_at.h"
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "app/current.h"
#include "app/family.h"
#include "app/shell_mouse.h"
#include "app/shell_seam.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/startup_state.h"
#include "app/strip.h"
#include "app/tree.h"
#include "app/views.h"
#include "edit3d/ed3d.h"
#include "edit3d/objmotion.h"
#include "lib/framework/view_record.h"
#include "model/kzo.h"
#include "model/seam.h"
#include "model/str.h"
#include "widget_fake.h"
#include "resources/edit2d_ids.h"

namespace {

std::vector<std::string> g_boxes;
bool g_answer = true;
int g_asked = 0;

Obj3Set *S() { return g_Obj3Sets[0]; }
Obj3Motion &Mo() { return S()->motions[S()->motion]; }
ObjKey3 &K(i32 o, i32 k) { return *Ed3D_ObjKey(o, k); }
std::vector<i32> Frames() { return std::vector<i32>(Mo().keyFrames, Mo().keyFrames + Mo().keyCount); }

void ExpectKey(const ObjKey3 &a, const ObjKey3 &b, f32 tol = 1e-5f) {
  for (int i = 0; i < 3; i++) EXPECT_NEAR(a.pos[i], b.pos[i], tol);
  for (int i = 0; i < 4; i++) EXPECT_NEAR(a.quat[i], b.quat[i], tol);
  for (int i = 0; i < 3; i++) EXPECT_NEAR(a.scale[i], b.scale[i], tol);
}

ObjKey3 Key(f32 x, f32 qz, f32 s) {
  ObjKey3 k = {{x, 2 * x, -x}, {0, 0, qz, 1}, {s, s, s}};
  return k;
}

struct ObjTest : ::testing::Test {
  // Set 0 with objects 0..parents.size()-1 and the given parent numbers; key 0 at frame 0.
  void Build(std::vector<i32> parents) {
    Kzo_FreeAll();
    Kzo_NewSet(0);
    ASSERT_NE(S(), nullptr);
    S()->objectCount = (i32)parents.size();
    for (i32 o = 0; o < (i32)parents.size(); o++) {
      g_Obj3PartLoaded[0][o] = 1;
      S()->parts[o].parent = parents[o];
      S()->parts[o].extra = 100 + o;
      if (o) Str_Format(S()->parts[o].path, MODEL3_NAME, "o%d.KZP", (int)o);
    }
    Tree_BuildRowsObjects3D();
  }
  void SetUp() override {
    g_boxes.clear();
    g_asked = 0;
    g_answer = true;
    g_Seam.errorBox = [](const char *t) { g_boxes.push_back(t); };
    memset(&g_ShellSeam, 0, sizeof g_ShellSeam);
    g_ShellSeam.askYesNo = [](const char *) { g_asked++; return g_answer; };
    memset(&g_TreeRows, 0, sizeof g_TreeRows);
    memset(g_Shell.g_Views, 0, sizeof g_Shell.g_Views);
    Ed3DObjMotionEditor = Ed3DObjMotionEditorState{};
    Ed3DObjMotionEditor.ring = -1;
    WidgetFake_Remove();   // no platform: the panels' calls do nothing
    g_Shell.g_EditFamily = FAMILY_3D_MODEL;
    g_Shell.g_EditSubMode = SUB_3D_OBJMOTION;
    g_Shell.g_Playing = 0;
    g_Sel.g_CurPartIndex = 1;
    g_Sel.g_MotionEditOp = ED3D_OBJ_TOOL_ROTATE;
    Strip_ResetGeometry();
    for (u32 b = 0; b < 3; b++) Shell_SetButtonHeld(b, 0);
    Build({0, 0, 1, 2});
  }
  void TearDown() override {
    Kzo_FreeAll();
    g_Seam.errorBox = nullptr;
    memset(&g_ShellSeam, 0, sizeof g_ShellSeam);
  }
  void KeyAt(i32 frame) {
    S()->frame = frame;
    ASSERT_TRUE(Ed3D_CreateObjKey());
  }
  void View(u32 kind) {
    ViewRecord *v = &g_Shell.g_Views[SUB_3D_OBJMOTION][kind];
    v->inUse = 1;
    v->kind = kind;
    v->zoom = 1.0f;
    g_Shell.g_ActiveView = kind;
  }
  void Drag(f32 dx, f32 dy) {
    Shell_SetButtonHeld(BUTTON_LEFT, 1);
    g_Mouse.g_MouseMoveDX = dx, g_Mouse.g_MouseMoveDY = dy;
    Ed3D_ObjMouseMove(Hook_At(0, 0));
    Shell_SetButtonHeld(BUTTON_LEFT, 0);
  }
};

// [SECTION] key store
TEST_F(ObjTest, KeysAreMadeAndDeletedAtOneIndexForEveryObject) {
  // The only key deleted: the next key is the identity for every object.
  Ed3D_DeleteObjKey();
  EXPECT_EQ(Mo().keyCount, 0);
  KeyAt(10);
  ObjKey3 identity = Key(0, 0, 1);
  for (i32 o = 0; o < 4; o++) ExpectKey(K(o, 0), identity);
  KeyAt(40);
  for (i32 o = 0; o < 4; o++) K(o, 0) = Key((f32)o, 0.1f * (f32)o, 1.0f), K(o, 1) = Key((f32)o + 4, -0.2f, 2.0f);
  // Each object's pose at frame 25, read before the key at 40 moves up.
  S()->frame = 25;
  Kzo_FindKeySegment(0);
  ObjKey3 want[4];
  for (i32 o = 0; o < 4; o++) {
    Kzo_EvalPartKey(0, o, S()->keyIndex, S()->fraction);
    const Obj3Part &p = S()->parts[o];
    want[o] = {{p.keyPos[0], p.keyPos[1], p.keyPos[2]}, {p.rotation.x, p.rotation.y, p.rotation.z, p.rotation.w},
               {p.scale[0], p.scale[1], p.scale[2]}};
  }
  ASSERT_TRUE(Ed3D_CreateObjKey());
  EXPECT_EQ(Frames(), (std::vector<i32>{10, 25, 40}));
  for (i32 o = 0; o < 4; o++) {
    ExpectKey(K(o, 1), want[o]);
    ExpectKey(K(o, 2), Key((f32)o + 4, -0.2f, 2.0f));
  }
  EXPECT_FALSE(Ed3D_CreateObjKey());   // the frame holds a key
  Ed3D_DeleteObjKey();
  EXPECT_EQ(Frames(), (std::vector<i32>{10, 40}));
  for (i32 o = 0; o < 4; o++) ExpectKey(K(o, 1), Key((f32)o + 4, -0.2f, 2.0f));
  // Copy at 10, paste at 30: every object's key, in frame order.
  S()->frame = 10;
  Ed3D_CopyObjKey();
  S()->frame = 30;
  Ed3D_PasteObjKey();
  EXPECT_EQ(Frames(), (std::vector<i32>{10, 30, 40}));
  for (i32 o = 0; o < 4; o++) ExpectKey(K(o, 1), K(o, 0));
  // Up to 16 keys; the 17th is refused with a message and a paste onto it changes nothing.
  for (i32 f = 50; Mo().keyCount < OBJ3_KEYS; f += 2) KeyAt(f);
  std::vector<i32> full = Frames();
  S()->frame = 99;
  EXPECT_FALSE(Ed3D_CreateObjKey());
  EXPECT_EQ(g_boxes.size(), 1u);
  Ed3D_PasteObjKey();
  EXPECT_EQ(Frames(), full);
}

// [SECTION] drags
TEST_F(ObjTest, DragsEditTheCurrentObjectsKeyByToolAndView) {
  KeyAt(20);
  for (i32 o = 0; o < 4; o++) K(o, 1).quat[0] = 0.1f * (f32)o;
  f32 before[4][4];
  for (i32 o = 0; o < 4; o++) memcpy(before[o], K(o, 1).quat, sizeof before[o]);
  // Rotate object 1 in the Front view: objects 2 and 3 (its child and grandchild) follow.
  View(VIEW_FRONT);
  Drag(10, 0);
  Quat d = Ed3DObjMotionEditor.delta;
  EXPECT_NE(d.w, 1.0f);
  for (i32 o = 1; o < 4; o++) {
    Quat q = {before[o][0], before[o][1], before[o][2], before[o][3]};
    Quat_MulInPlace(&q, d);
    ExpectKey(K(o, 1), {{0, 0, 0}, {q.x, q.y, q.z, q.w}, {1, 1, 1}});
  }
  EXPECT_EQ(memcmp(K(0, 1).quat, before[0], sizeof before[0]), 0);
  EXPECT_EQ(g_Sel.g_CurPartIndex, 1u);
  // The joint tool moves the offset, not the key; move and scale by the table.
  struct { u32 tool, view; f32 dx, dy; f32 pos[3], offset[3], scale; } cases[] = {
      {ED3D_OBJ_TOOL_JOINT, VIEW_FRONT, 10, 20, {0, 0, 0}, {0.5f, -1.0f, 0}, 1.0f},
      {ED3D_OBJ_TOOL_MOVE, VIEW_TOP, 10, 20, {0.5f, 0, -1.0f}, {0, 0, 0}, 1.0f},
      {ED3D_OBJ_TOOL_MOVE, VIEW_SIDE, 10, 20, {0, -1.0f, 0.5f}, {0, 0, 0}, 1.0f},
      {ED3D_OBJ_TOOL_SCALE, VIEW_FRONT, 30, 0, {0, 0, 0}, {0, 0, 0}, 1.0f},
      {ED3D_OBJ_TOOL_SCALE, VIEW_MAIN, 30, 10, {0, 0, 0}, {0, 0, 0}, 1.2f},
  };
  for (const auto &c : cases) {
    K(1, 1) = Key(0, 0, 1);
    memset(S()->offsets[1], 0, sizeof S()->offsets[1]);
    g_Sel.g_MotionEditOp = c.tool;
    View(c.view);
    Drag(c.dx, c.dy);
    for (int i = 0; i < 3; i++) {
      EXPECT_NEAR(K(1, 1).pos[i], c.pos[i], 1e-6) << c.tool << " " << c.view;
      EXPECT_NEAR(S()->offsets[1][i], c.offset[i], 1e-6) << c.tool << " " << c.view;
      EXPECT_NEAR(K(1, 1).scale[i], c.scale, 1e-6) << c.tool << " " << c.view;
    }
  }
  // No edit away from a key frame, on object 0, or on an object past the count.
  g_Sel.g_MotionEditOp = ED3D_OBJ_TOOL_SCALE;
  ObjKey3 k = K(1, 1);
  S()->frame = 21;
  Drag(30, 0);
  S()->frame = 20;
  g_Sel.g_CurPartIndex = 4;
  Drag(30, 0);
  ExpectKey(K(1, 1), k);
}

TEST_F(ObjTest, PlayThenStopReturnsToTheFrame) {
  S()->frame = 33;
  Ed3D_ObjPlay();
  EXPECT_EQ(g_Shell.g_Playing, 1u);
  EXPECT_EQ(S()->frame, 0);
  EXPECT_FALSE(Ed3D_CreateObjKey());
  S()->frame = 17;
  Ed3D_ObjTogglePlay();
  EXPECT_EQ(g_Shell.g_Playing, 0u);
  EXPECT_EQ(S()->frame, 33);
}

// [SECTION] object list
TEST_F(ObjTest, ParentRulesRefuseWithTheirMessages) {
  struct { i32 object, choice, parent; const char *box; } cases[] = {
      {1, 2, 0, "オブジェクトNo.1 の親Noは変更できません"},
      {2, 2, 1, "自分自身は、親に設定できません。"},
      {2, 3, 1, "無限ループの可能性があります。"},   // 3 hangs from 2
      {3, 1, 1, nullptr},
      {2, 3, 3, nullptr},                          // 3 now hangs from 1
      {3, 2, 1, "無限ループの可能性があります。"},   // 2 -> 3 -> 2
      {2, 9, 0, nullptr},                          // out of the list: the parent object
  };
  for (const auto &c : cases) {
    g_boxes.clear();
    g_Sel.g_CurPartIndex = (u32)c.object;
    EXPECT_EQ(Ed3D_ObjSetParent(c.choice), c.box == nullptr) << c.object << " " << c.choice;
    EXPECT_EQ(S()->parts[c.object].parent, c.parent) << c.object << " " << c.choice;
    EXPECT_EQ(g_boxes, c.box ? std::vector<std::string>{c.box} : std::vector<std::string>{});
  }
}

TEST_F(ObjTest, RemovalRenumbersParentsAndRefusesTheParentObject) {
  Build({0, 0, 1, 2, 1, 3});
  S()->offsets[4][0] = 7.0f;
  EXPECT_FALSE(Ed3D_ObjRemove(0));
  EXPECT_EQ(g_boxes, std::vector<std::string>{"親オブジェクトは、消去できません。"});
  ASSERT_TRUE(Ed3D_ObjRemove(2));
  ASSERT_EQ(S()->objectCount, 5);
  // Objects 3, 4, 5 become 2, 3, 4 with their own parents (2 removed: 0; 3 now 2).
  const i32 parents[5] = {0, 0, 0, 1, 2}, extras[5] = {100, 101, 103, 104, 105};
  for (i32 o = 0; o < 5; o++) {
    EXPECT_EQ(S()->parts[o].parent, parents[o]) << o;
    EXPECT_EQ(S()->parts[o].extra, extras[o]) << o;
  }
  EXPECT_EQ(S()->offsets[3][0], 7.0f);
  EXPECT_STREQ(S()->parts[2].path, "o3.KZP");
  EXPECT_EQ(g_Obj3PartLoaded[0][5], 0u);
  Ed3DLines lines;
  Ed3D_ObjListLines(&lines);
  ASSERT_EQ(lines.count, 5);
  EXPECT_STREQ(lines.text[4], " 4 : o5.KZP");
  // The other refusals of the dialogs, each with a message and nothing changed.
  g_boxes.clear();
  g_Sel.g_CurPartIndex = 0;
  EXPECT_FALSE(Ed3D_ObjReplaceFile("x.KZP"));
  S()->objectCount = OBJ3_PARTS;
  EXPECT_FALSE(Ed3D_ObjAddFile("x.KZP"));
  S()->objectCount = 5;
  S()->motionCount = OBJ3_MOTIONS;
  EXPECT_FALSE(Ed3D_ObjMotionListStore(IDC_OML_ADD, "m", "60"));
  S()->motionCount = 1;
  EXPECT_FALSE(Ed3D_ObjMotionListStore(IDC_OML_APPLY, "m", "0"));
  Mo().length = 0;
  Ed3DObjMotionEditor.strip.x = 300;
  EXPECT_FALSE(Ed3D_ObjSetFrameFromStrip());
  static char fields[ED3D_FIELDS][ED3D_FIELD_TEXT] = {"0", "0", "0", "0", "0", "0", "0", "1", "1", "1"};
  g_Sel.g_CurPartIndex = 1;
  EXPECT_FALSE(Ed3D_ObjApplyFields(fields));
  Str_Copy(fields[6], ED3D_FIELD_TEXT, "x");
  EXPECT_FALSE(Ed3D_ObjApplyFields(fields));
  EXPECT_EQ(g_boxes.size(), 7u);
  EXPECT_EQ(S()->objectCount, 5);
  EXPECT_EQ(Mo().name, std::string("モーション名"));
}

// [SECTION] strip and entering
TEST_F(ObjTest, KeyMoveTakesEveryObjectsKeyAndTheFrame) {
  KeyAt(10);
  for (i32 o = 0; o < 4; o++) K(o, 1) = Key((f32)o + 1, 0.3f, 1.5f);
  S()->frame = 10;
  EXPECT_FALSE(Ed3D_ObjMoveKeyFrame(-10));   // frame 0 holds a key
  EXPECT_TRUE(Ed3D_ObjMoveKeyFrame(5));
  EXPECT_EQ(S()->frame, 15);
  EXPECT_EQ(Frames(), (std::vector<i32>{0, 15}));
  for (i32 o = 0; o < 4; o++) ExpectKey(K(o, 1), Key((f32)o + 1, 0.3f, 1.5f));
}

TEST_F(ObjTest, EnteringKeepsTheSetUnlessTheUserAgrees) {
  // The sub-mode's own button again: no question, the set stays.
  ASSERT_TRUE(Ed3D_ModeCommand(IDC_M3D_OBJECT));
  EXPECT_EQ(g_asked, 0);
  EXPECT_EQ(S()->objectCount, 4);
  // From another sub-mode: No keeps the set, Yes starts a new one with the parent object.
  g_answer = false;
  Ed3D_ObjMotionEnter(Hook_Now());
  EXPECT_EQ(g_asked, 1);
  EXPECT_EQ(S()->objectCount, 4);
  EXPECT_EQ(S()->parts[2].parent, 1);
  g_answer = true;
  Ed3D_ObjMotionEnter(Hook_Now());
  EXPECT_EQ(S()->objectCount, 1);
  EXPECT_EQ(g_Obj3PartLoaded[0][2], 0u);
  Ed3D_ObjMotionEnter(Hook_Now());   // nothing to lose: no question
  EXPECT_EQ(g_asked, 2);
  Ed3D_ObjMotionLeave(Hook_Now());
}

}  // namespace
