// The 2D object sub-mode: key creation, the drags, the middle-drag move, playback with and
// without loop, the wheel, the parent rules, the typed fields, the image and object limits,
// the motion list, and twenty keys surviving a KZA round trip.
#include "tests/support/hook_at.h"
#include <gtest/gtest.h>
#include <string.h>

#include <map>
#include <string>
#include <vector>

#include "app/current.h"
#include "app/docflags.h"
#include "app/family.h"
#include "app/play.h"
#include "app/shell_seam.h"
#include "app/shell_sel.h"
#include "app/startup_state.h"
#include "app/strip.h"
#include "app/tree.h"
#include "edit2d/ed2d_object.h"
#include "lib/framework/lib.h"
#include "app/shell_view.h"
#include "lib/framework/lib_state.h"
#include "lib/media/dialogs.h"
#include "model/bytes.h"
#include "model/kza.h"
#include "model/obj2.h"
#include "model/seam.h"
#include "shell_fixture.h"
#include "widget_fake.h"
#include "key_frames.h"

namespace {

struct Fake {
  std::vector<std::string> boxes;
  std::string dialogAnswer;          // "" cancels the file dialog
};
Fake *g_F;
uintptr_t s_Next = 0x1000;

// A text typed into control `id` of whichever window shows it.
void Type(u32 id, const char *text) {
  for (auto &kv : g_WidgetFake.live)
    if (!kv.second.parent) WidgetFake_SetText(kv.first, id, text);
}

bool RunDlg(FileDlgRequest *r) {
  if (g_F->dialogAnswer.empty()) return false;
  snprintf(r->file, FILEDLG_TEXT, "%s", g_F->dialogAnswer.c_str());
  snprintf(r->fileTitle, FILEDLG_TEXT, "%s", g_F->dialogAnswer.c_str());
  return true;
}

SeamTexture LoadTex(const char *path, u32) {
  if (strstr(path, "bad")) return SeamTexture{nullptr, 0, 0};
  return SeamTexture{(void *)(s_Next += 16), 64, 32};
}

struct ObjTest : ::testing::Test {
  Fake f;
  CoreSeam savedSeam;
  FileDlgPlatform savedDlg;
  void SetUp() override {
    Shell_ResetFor2DSubMode(SUB_2D_OBJECT);
    g_F = &f;
    savedSeam = g_Seam;
    savedDlg = g_LibHooks.fileDlg;
    g_Seam.errorBox = [](const char *t) { g_F->boxes.push_back(t); };
    g_Seam.textureLoad = LoadTex;
    g_Seam.releaseHandle = [](void *) {};
    g_LibHooks.fileDlg.run = RunDlg;
    g_Lib.app.leftHeld = g_Lib.app.middleHeld = g_Lib.app.rightHeld = 0;
    g_Ed2DObj = Ed2DObjEditor{};
    Strip_ResetGeometry();
    Ed2D_ObjInit(Hook_Now());
    ASSERT_NE(M(), nullptr);
    Loop(true);
  }
  // "ループ再生" as the user left it.
  static void Loop(bool on) { g_WidgetFake.checks[{g_Ed2DObj.valuesDlg, IDC_O2D_LOOP}] = on; }
  void TearDown() override {
    Ed2D_ObjLeave(Hook_Now());
    Obj2_SetSlot(0, nullptr);
    WidgetFake_Remove();
    g_Ed2DObj = Ed2DObjEditor{};
    g_Shell.g_Playing = 0;
    g_Seam = savedSeam;
    g_LibHooks.fileDlg = savedDlg;
  }
  static Obj2Model *M() { return g_Obj2Slots[0]; }
  static Obj2Track *T(i32 o) { return Obj2_Track(M(), o, M()->currentMotion); }
  static void At(u32 object, i32 frame) {
    g_Sel.g_CurPartIndex = object;
    M()->currentFrame = frame;
    Obj2_UpdateKeyIndices(0);
  }
  static std::vector<i32> Frames(i32 o) { return KeyFrames(T(o)); }
  void Add(u32 n) {
    for (u32 i = 0; i < n; i++) Ed2D_ObjListCommand(IDC_O2D_LIST_ADD);
  }
};

// [SECTION] keys and drags
TEST_F(ObjTest, KeysAreCreatedSortedEvaluatedAndGrowPastEight) {
  // A new model: object 1's track holds the one new key at frame 0, shown and white.
  ASSERT_EQ(T(1)->count, 1);
  T(1)->count = 0;   // an emptied track: its first key is the new-key form
  At(1, 0);
  ASSERT_TRUE(Ed2D_ObjCreateKey(Current_Obj2Model(), &g_Sel));
  const ObjKey2 &first = T(1)->keys[0];
  EXPECT_EQ(first.shown, 1u);
  EXPECT_EQ(first.r + first.g + first.b + first.a, 4 * 255);
  EXPECT_FLOAT_EQ(first.scaleX, 1.0f);
  EXPECT_FALSE(Ed2D_ObjCreateKey(Current_Obj2Model(), &g_Sel)) << "one key per frame";
  At(0, 5);
  EXPECT_FALSE(Ed2D_ObjCreateKey(Current_Obj2Model(), &g_Sel)) << "object 0 gets none";
  EXPECT_EQ(T(0)->count, 1);
  // Two keys at 0 (x 0) and 20 (x 100): a key at 10 takes the evaluated x, not a copy.
  At(1, 20);
  ASSERT_TRUE(Ed2D_ObjCreateKey(Current_Obj2Model(), &g_Sel));
  Ed2D_ObjCurrentKey()->x = 100.0f;
  At(1, 10);
  ASSERT_TRUE(Ed2D_ObjCreateKey(Current_Obj2Model(), &g_Sel));
  EXPECT_EQ(Frames(1), (std::vector<i32>{0, 10, 20}));
  f32 mid = T(1)->keys[1].x;
  EXPECT_GT(mid, 0.0f);
  EXPECT_LT(mid, 100.0f);
  // Twenty keys on object 20, made in a scattered order, stay sorted (ASan: no write past 8).
  Add(19);
  ASSERT_EQ(M()->objectCount, 21);
  for (i32 i = 0; i < 20; i++) {
    At(20, (i * 7) % 20 * 3);
    Ed2D_ObjCreateKey(Current_Obj2Model(), &g_Sel);
  }
  ASSERT_EQ(T(20)->count, 20);
  for (i32 k = 1; k < 20; k++) EXPECT_LT(T(20)->keys[k - 1].frame, T(20)->keys[k].frame);
  // ... and survive a KZA round trip with their values.
  T(20)->keys[13].angle = 33.5f;
  M()->imageCount = 1;
  Str_Copy(M()->imageNames[0], 256, "a.png");
  M()->pivotX[0] = 7;
  ByteWriter w = {};
  char err[256] = "";
  ASSERT_TRUE(Kza_Build(M(), &w, err, sizeof err)) << err;
  Obj2Model *back = Kza_Parse(w.data, w.size, "t.kza", err, sizeof err);
  Wr_Free(&w);
  ASSERT_NE(back, nullptr) << err;
  const Obj2Track *bt = Obj2_Track(back, 20, 0);
  ASSERT_EQ(bt->count, 20);
  EXPECT_EQ(memcmp(bt->keys, T(20)->keys, 20 * sizeof(ObjKey2)), 0);
  EXPECT_EQ(back->pivotX[0], 7);
  Obj2_Free(back);
}

TEST_F(ObjTest, DragsFollowTheToolAndNothingMovesWhilePlaying) {
  At(1, 0);
  ObjKey2 *k = Ed2D_ObjCurrentKey();
  ASSERT_NE(k, nullptr);
  struct Case { u32 tool; f32 dx, dy, x, y, angle, sx, sy; };
  const Case cases[] = {
      {0, 10, -4, 10, -4, 0, 1, 1},
      {1, 10, 30, 10, -4, 2.5f, 1, 1},   // rotation reads x only, 0.25 per pixel
      {2, 20, 20, 10, -4, 2.5f, 1.1f, 0.9f},
  };
  for (const Case &c : cases) {
    g_Ed2DObj.tool = c.tool;
    Ed2D_ObjDragKey(c.dx, c.dy);
    EXPECT_FLOAT_EQ(k->x, c.x) << c.tool;
    EXPECT_FLOAT_EQ(k->y, c.y) << c.tool;
    EXPECT_FLOAT_EQ(k->angle, c.angle) << c.tool;
    EXPECT_FLOAT_EQ(k->scaleX, c.sx) << c.tool;
    EXPECT_FLOAT_EQ(k->scaleY, c.sy) << c.tool;
  }
  EXPECT_TRUE(Doc_IsChanged(DOC_OBJ2));
  ObjKey2 before = *k;
  g_Shell.g_Playing = 1;
  Ed2D_ObjDragKey(50, 50);
  EXPECT_FALSE(Ed2D_ObjCreateKey(Current_Obj2Model(), &g_Sel));
  Ed2D_ObjDeleteKey();
  EXPECT_EQ(memcmp(&before, k, sizeof before), 0);
  EXPECT_EQ(T(1)->count, 1);
}

TEST_F(ObjTest, MiddleDragOntoATakenFrameChangesNothingAndKeepsTheClipboard) {
  At(1, 30);
  Ed2D_ObjCreateKey(Current_Obj2Model(), &g_Sel);
  Ed2D_ObjCurrentKey()->x = 30;
  At(1, 0);
  Ed2D_ObjCurrentKey()->x = 5;
  Ed2D_ObjCopyKey();   // clipboard: the key at 0
  At(1, 30);
  EXPECT_FALSE(Ed2D_ObjMoveKey(-30));
  EXPECT_EQ(Frames(1), (std::vector<i32>{0, 30}));
  EXPECT_FLOAT_EQ(T(1)->keys[0].x, 5);
  EXPECT_FLOAT_EQ(T(1)->keys[1].x, 30);
  // A free frame: the key itself moves past the other one, the frame follows, the list stays sorted.
  At(1, 0);
  EXPECT_TRUE(Ed2D_ObjMoveKey(40));
  EXPECT_EQ(Frames(1), (std::vector<i32>{30, 40}));
  EXPECT_EQ(M()->currentFrame, 40);
  EXPECT_FLOAT_EQ(T(1)->keys[1].x, 5);
  EXPECT_FLOAT_EQ(g_Ed2DObj.clipboard.x, 5);
  // Paste at 50 gives a copy of the clipboard there.
  At(1, 50);
  Ed2D_ObjPasteKey();
  EXPECT_EQ(Frames(1), (std::vector<i32>{30, 40, 50}));
  EXPECT_FLOAT_EQ(T(1)->keys[2].x, 5);
  // The strip's middle drag moves by at least one frame in the direction of the mouse.
  At(1, 50);
  g_Ed2DObj.stripMiddle = 1;
  g_Ed2DObj.stripX = 300;
  Ed2D_ObjKeyMouse(ED2D_MOUSE_MOVE, 301, 0);
  EXPECT_EQ(Frames(1), (std::vector<i32>{30, 40, 51}));
}

TEST_F(ObjTest, PlayStopAndLoopOffStopsAtTheLastFrame) {
  M()->motions[0].length = 10;
  M()->currentFrame = 7;
  Loop(false);
  Ed2D_ObjPlay();
  EXPECT_EQ(g_Shell.g_Playing, 1u);
  EXPECT_EQ(M()->currentFrame, 0);
  for (i32 i = 0; i < 30 && g_Shell.g_Playing == 1; i++) {
    g_Shell.g_Playing = 0;
    g_Lib.frameDelta = 1.0f;
    Play_TickObj2();
  }
  EXPECT_EQ(g_Shell.g_Playing, 0u);
  EXPECT_EQ(M()->currentFrame, 9);
  // With loop on the tick wraps and keeps playing.
  Loop(true);
  Ed2D_ObjPlay();
  for (i32 i = 0; i < 25; i++) {
    g_Shell.g_Playing = 0;
    Play_TickObj2();
  }
  EXPECT_EQ(g_Shell.g_Playing, 1u);
  EXPECT_EQ(M()->currentFrame, 5);
  Ed2D_ObjStop();
  EXPECT_EQ(g_Shell.g_Playing, 0u);
  EXPECT_EQ(M()->currentFrame, 9) << "stop restores the frame before play";
}

TEST_F(ObjTest, WheelStepsOverTheCurrentObjectsKeys) {
  for (i32 fr : {10, 25, 40}) {
    At(1, fr);
    Ed2D_ObjCreateKey(Current_Obj2Model(), &g_Sel);
  }
  At(1, 30);
  const std::vector<std::pair<i32, i32>> steps = {{-1, 25}, {-1, 10}, {-1, 0}, {-1, 0}, {1, 10}, {1, 25}, {1, 40}, {1, 40}};
  for (auto s : steps) {
    Ed2D_ObjectWheelKey(Hook_Step(s.first));
    EXPECT_EQ(M()->currentFrame, s.second);
  }
}

// [SECTION] dialogs
TEST_F(ObjTest, ParentRulesKeepAValidTree) {
  Add(2);   // objects 2 and 3
  struct Case { u32 object; i32 combo; i32 expect; const char *box; };
  const Case cases[] = {
      {1, 2, 0, "オブジェクトNo.1 の親Noは変更できません"},
      {1, 3, 0, "オブジェクトNo.1 の親Noは変更できません"},
      {3, 3, 0, "自分自身は、親に設定できません。"},
      {3, 2, 2, nullptr},
      {2, 3, 0, "無限ループの可能性があります。"},
      {3, -1, 2, nullptr},   // CB_ERR keeps the parent
      {3, 99, 0, nullptr},   // beyond the count: the root
  };
  for (const Case &c : cases) {
    f.boxes.clear();
    g_Sel.g_CurPartIndex = c.object;
    g_WidgetFake.caret[g_Ed2DObj.objectList] = (i32)c.object;
    g_WidgetFake.selection[g_Ed2DObj.parentCombo] = c.combo;
    Type(IDC_O2D_LIST_NAME, "腕");
    Ed2D_ObjListCommand(IDC_O2D_LIST_APPLY);
    EXPECT_EQ(M()->parents[c.object], c.expect) << c.object << " <- " << c.combo;
    EXPECT_EQ(f.boxes, c.box ? std::vector<std::string>{c.box} : std::vector<std::string>{}) << c.combo;
    EXPECT_STREQ(M()->objectNames[c.object], "腕") << "the name stays whatever the parent";
  }
  EXPECT_EQ(Obj2_FindBadParent(M()), 0);
}

TEST_F(ObjTest, TypedValuesAndColoursFollowTheirRules) {
  At(1, 12);
  struct Case { const char *x, *red, *green; bool applied; f32 wantX; i32 wantRed, wantGreen; };
  const Case cases[] = {
      {"15.5", "300", "abc", true, 15.5f, 255, 255},
      {"abc", "10", "10", false, 15.5f, 255, 255},
      {" -3 ", "7", "-5", true, -3, 7, 255},
      {"", "1", "1", false, -3, 7, 255},
  };
  for (const Case &c : cases) {
    f.boxes.clear();
    g_WidgetFake.texts.clear();
    const std::pair<u32, const char *> typed[] = {{IDC_O2D_X, c.x}, {IDC_O2D_Y, "2"}, {IDC_O2D_ANGLE, "45"},
                                                  {IDC_O2D_SCALE_X, "1"}, {IDC_O2D_SCALE_Y, "1"},
                                                  {IDC_O2D_RED, c.red}, {IDC_O2D_GREEN, c.green}};
    for (auto &t : typed) Type(t.first, t.second);
    Ed2D_ObjDlgCommand(IDC_O2D_APPLY);
    const ObjKey2 *k = Ed2D_ObjCurrentKey();
    ASSERT_NE(k, nullptr);
    EXPECT_EQ(k->frame, 12) << "a key is made on the frame";
    EXPECT_FLOAT_EQ(k->x, c.wantX) << c.x;
    EXPECT_EQ(k->r, c.wantRed) << c.red;
    EXPECT_EQ(k->g, c.wantGreen) << c.green;
    EXPECT_EQ(f.boxes.size(), c.applied ? 0u : 1u) << c.x;
  }
  // "決定" with the fields as shown ("%d", "%3.3f") leaves the key byte for byte.
  ObjKey2 *k = Ed2D_ObjCurrentKey();
  ASSERT_NE(k, nullptr);
  k->x = 10.4f, k->y = -2.6f, k->angle = 33.3333f, k->scaleX = 1.00049f, k->scaleY = 0.2756f;
  g_Ed2DObj.valuesRefresh = 1;
  Ed2D_ObjDlgTick();
  const ObjKey2 before = *k;
  EXPECT_EQ(WidgetFake_Text(g_Ed2DObj.valuesDlg, IDC_O2D_X), "10");
  f.boxes.clear();
  Ed2D_ObjDlgCommand(IDC_O2D_APPLY);
  EXPECT_TRUE(f.boxes.empty());
  ASSERT_NE(Ed2D_ObjCurrentKey(), nullptr);
  EXPECT_EQ(memcmp(&before, Ed2D_ObjCurrentKey(), sizeof before), 0);
  i32 v;
  EXPECT_FALSE(Ed2D_ParseColour("1e3", &v));
  EXPECT_TRUE(Ed2D_ParseColour("99999999999999999999", &v));
  EXPECT_EQ(v, 255);
  f32 fv;
  EXPECT_FALSE(Ed2D_ParseFloat("1e999", &fv));
  EXPECT_FALSE(Ed2D_ParseFloat("nan", &fv));
}

TEST_F(ObjTest, ImagesAndObjectsStopAtTheirLimitsAndBadImagesAddNothing) {
  f.dialogAnswer = "";
  Ed2D_ObjImgCommand(IDC_O2D_IMG_ADD);
  EXPECT_EQ(M()->imageCount, 0) << "cancelled";
  f.dialogAnswer = "bad.png";
  Ed2D_ObjImgCommand(IDC_O2D_IMG_ADD);
  EXPECT_EQ(M()->imageCount, 0);
  EXPECT_EQ(f.boxes, std::vector<std::string>{"bad.png を開くことができませんでした。"});
  EXPECT_EQ(g_Obj2Images[0], nullptr);
  f.dialogAnswer = "a.png";
  for (i32 i = 0; i < 33; i++) Ed2D_ObjImgCommand(IDC_O2D_IMG_ADD);
  EXPECT_EQ(M()->imageCount, 32);
  EXPECT_EQ(M()->pivotX[31], 32);
  EXPECT_EQ(M()->pivotY[31], 16);
  EXPECT_EQ(f.boxes.back(), "これ以上 追加できません。");
  EXPECT_EQ(g_WidgetFake.lines[g_Ed2DObj.imageList].size(), 32u);
  EXPECT_EQ(g_WidgetFake.lines[g_Ed2DObj.imageList][3], "3 : a.png");
  // The pivot drag: left alone with the pivot flag.
  g_WidgetFake.selection[g_Ed2DObj.imageList] = 3;
  Ed2D_ObjImgCommand(IDC_O2D_IMG_PIVOT);
  ASSERT_EQ(g_Ed2DObj.curImage, 3);
  Ed2D_ObjImgMouse(ED2D_MOUSE_LDOWN, 100, 100);
  Ed2D_ObjImgMouse(ED2D_MOUSE_MOVE, 105, 97);
  EXPECT_EQ(M()->pivotX[3], 37);
  EXPECT_EQ(M()->pivotY[3], 13);
  // The 34th object is refused.
  f.boxes.clear();
  Add(32);
  EXPECT_EQ(M()->objectCount, 33);
  EXPECT_EQ(f.boxes, std::vector<std::string>{"これ以上オブジェクトを、追加できません。"});
  EXPECT_EQ(g_WidgetFake.lines[g_Ed2DObj.objectList][0], " 0 : 親オブジェクト");
  EXPECT_EQ(g_WidgetFake.lines[g_Ed2DObj.parentCombo].size(), 33u);
}

TEST_F(ObjTest, MotionListAddsUpToOneHundredWithTracksAndSaneLengths) {
  Type(IDC_OML_NAME, "歩く");
  Type(IDC_OML_LENGTH, "-5");
  Ed2D_ObjMotionListCommand(IDC_OML_APPLY);
  EXPECT_EQ(M()->motions[0].length, 1);
  EXPECT_STREQ(M()->motions[0].name, "歩く");
  Type(IDC_OML_LENGTH, "abc");
  Ed2D_ObjMotionListCommand(IDC_OML_APPLY);
  EXPECT_EQ(M()->motions[0].length, 1);
  EXPECT_EQ(f.boxes.size(), 1u);
  Type(IDC_OML_LENGTH, "30");
  f.boxes.clear();
  for (i32 i = 0; i < 100; i++) Ed2D_ObjMotionListCommand(IDC_OML_ADD);
  EXPECT_EQ(M()->motionCount, 100);
  EXPECT_EQ(M()->currentMotion, 99);
  EXPECT_EQ(f.boxes, std::vector<std::string>{"これ以上 モーションを追加できません。"});
  // The new motion's track is there before use: a key goes on it at once.
  At(1, 3);
  EXPECT_EQ(T(1)->count, 1);
  EXPECT_TRUE(Ed2D_ObjCreateKey(Current_Obj2Model(), &g_Sel));
  EXPECT_EQ(g_WidgetFake.lines[g_Ed2DObj.motionList][0], " 0 : 0 ～ 30  歩く");
  // LB_ERR is ignored; a selection picks the motion and frame 0.
  g_WidgetFake.selection[g_Ed2DObj.motionList] = -1;
  Ed2D_ObjMotionListCommand(0);
  EXPECT_EQ(M()->currentMotion, 99);
  g_WidgetFake.selection[g_Ed2DObj.motionList] = 4;
  Ed2D_ObjMotionListCommand(0);
  EXPECT_EQ(M()->currentMotion, 4);
  EXPECT_EQ(M()->currentFrame, 0);
}

TEST_F(ObjTest, StripClicksSetFrameAndObjectAndADoubleClickMakesAKey) {
  Add(1);
  Tree_BuildRowsObjects2D();
  ASSERT_GE(g_TreeRows.count, 3);
  // Row 2 (object 2) at y = 28 + 2 * 21 + 5, frame 30 at x = 188 + 30 * 10 / 4.
  Ed2D_ObjKeyMouse(ED2D_MOUSE_LDOWN, 263, 75);
  Ed2D_ObjKeyMouse(ED2D_MOUSE_LUP, 263, 75);
  EXPECT_EQ(g_Sel.g_CurPartIndex, 2u);
  EXPECT_EQ(M()->currentFrame, 30);
  Ed2D_ObjKeyMouse(ED2D_MOUSE_LDOUBLE, 263, 75);
  EXPECT_EQ(Frames(2), (std::vector<i32>{0, 30}));
  EXPECT_EQ(Ed2D_ObjFrameFromX(100), 0);
  EXPECT_EQ(Ed2D_ObjFrameFromX(188 + 70 * 10 / 4), 10) << "wrapped into the 60-frame motion";
}

}  // namespace
