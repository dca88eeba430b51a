// The 2D bone sub-mode in the running program, driven by messages: the selector's "２Ｄモデル",
// the panel's "ボーン", a KZB opened from the File menu; bone 2 chosen in the bone list and
// dragged in the main window; "追加(A)"; a rename and a re-parent with "決定"; the model saved
// with the File menu and read back by modeldump (rests, names, parents and the rebinding).
// The main view's picture holds the skin edges and the crosses at the pixels the mapping
// computes; "オブジェクト" answered "いいえ" leaves the sub-mode as it was.
//
// With MIRAVEL_ED2D_HOLD=<seconds> the program stays up that long after the drag, so that
// the screen can be looked at (import -display ... -window root).
#include <gtest/gtest.h>
#include <windows.h>
#include <d3d9.h>
#include <commctrl.h>

#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "app/shell_sel.h"
#include "lib/framework/lib_state.h"
#include "model_shown.h"
#include "app/current.h"
#include "app/family.h"
#include "app/shell_win.h"
#include "app/startup_win.h"
#include "app/update.h"
#include "app/views.h"
#include "edit2d/ed2d.h"
#include "edit2d/ed2d_win.h"
#include "lib/draw/draw.h"
#include "lib/framework/lib.h"
#include "lib/framework/modal_hooks.h"
#include "app/shell_view.h"
#include "lib/render/rdev.h"
#include "model/bone2.h"
#include "model/kzb.h"
#include "resources/shell_ids.h"
#include "draw_device_win.h"
#include "wine_drive.h"

namespace {

// Skin: two quads left and right of the root; bone 3 hangs under bone 1, vertex 7 is bound by
// hand to bone 1.
const Bone2Point kSkin[8] = {{-100, -40}, {-20, -40}, {-20, 40}, {-100, 40},
                             {20, -40},   {100, -40}, {100, 40}, {20, 40}};

bool WriteModel(const std::string &path) {
  g_ModelAllocArrays = 1;
  Bone2Model *m = Bone2_Init(0);
  g_ModelAllocArrays = 0;
  if (!m) return false;
  m->boneCount = 4;
  const f32 rest[4][2] = {{0, 0}, {-60, 0}, {60, 0}, {0, 60}};
  const i32 parents[4] = {0, 0, 0, 1};
  for (i32 b = 0; b < 4; b++) {
    m->rest[b] = {0, rest[b][0], rest[b][1], 0, 1, 1};
    m->bones[b].parent = parents[b];
    snprintf(m->bones[b].name, sizeof m->bones[b].name, "b%d", b);
  }
  m->vertexCount = 8;
  for (i32 v = 0; v < 8; v++) {
    m->positions[v] = kSkin[v];
    m->bindings[v] = {(u16)(v < 4 || v == 7 ? 1 : 2), 0, 1.0f, v == 7 ? 0u : 1u};
  }
  m->groupCount = 1;
  snprintf(m->groups[0].name, sizeof m->groups[0].name, "g");
  m->groups[0].texture = 0;   // no texture is loaded in its place
  m->groups[0].r = m->groups[0].g = m->groups[0].b = m->groups[0].a = 1.0f;
  m->groups[0].shadeMode = 1;
  m->polygonCount = 2;
  for (i32 p = 0; p < 2; p++) {
    m->polygons[p].used = 1;
    m->polygons[p].cornerCount = 4;
    for (i32 c = 0; c < 4; c++) m->polygons[p].corners[c].vertex = (u16)(p * 4 + c);
  }
  bool ok = Shown(Kzb_Write, 0, path.c_str()) == 1;
  Bone2_FreeSlot(0);
  return ok;
}

// Whether a pixel of colour rgb lies within `reach` pixels of (x, y) in the captured picture.
bool ColourNear(f32 x, f32 y, unsigned rgb, i32 reach) {
  for (i32 dy = -reach; dy <= reach; dy++)
    for (i32 dx = -reach; dx <= reach; dx++)
      if (Drive_ShotPixel((i32)x + dx, (i32)y + dy) == rgb) return true;
  return false;
}

LPARAM At(f32 x, f32 y) { return MAKELPARAM((i32)(x + 0.5f), (i32)(y + 0.5f)); }

std::vector<std::string> g_Boxes;
int g_BoxAnswer = IDYES;
int AnswerBox(HWND, const char *text, const char *, UINT) {
  g_Boxes.push_back(text);
  return g_BoxAnswer;
}

void ClickListLine(int line) {
  HWND list = (HWND)g_Ed2D.boneList;
  RECT r;
  ASSERT_NE(SendMessageA(list, LB_GETITEMRECT, (WPARAM)line, (LPARAM)&r), LB_ERR);
  Drive_Click(list, WM_LBUTTONDOWN, WM_LBUTTONUP, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

}  // namespace

TEST(Bone2DInProcess, DragAddRenameSaveAndThePicture) {
  std::string path = Drive_Temp("miravel_bone2d.KZB");
  ASSERT_TRUE(WriteModel(path));
  g_ModalHooks.messageBox = AnswerBox;

  // "２Ｄモデル", then "ボーン": the panel and the bone dialog with its list and tree.
  ASSERT_TRUE(Drive_Start2D("miravel_settings_bone2d"));
  ASSERT_TRUE(Drive_Alive(g_Ed2D.panel));
  ASSERT_EQ(Drive_Press2D(IDC_M2D_BONE), (u32)SUB_2D_BONE);
  ASSERT_TRUE(Drive_Alive(g_Ed2D.boneDlg));
  ASSERT_TRUE(Drive_Alive(g_Ed2D.boneList));
  ASSERT_TRUE(Drive_Alive(g_Ed2D.boneTree));
  EXPECT_EQ(IsDlgButtonChecked((HWND)g_Ed2D.panel, IDC_M2D_BONE), (UINT)BST_CHECKED);

  // The KZB through the File menu.
  Drive_OpenByMenu(IDM_KZB_OPEN, "miravel_bone2d.KZB");
  Drive_Pump(10);
  Bone2Model *m = g_Bone2Slots[0];
  ASSERT_NE(m, nullptr);
  ASSERT_EQ(m->boneCount, 4) << (g_Boxes.empty() ? "" : g_Boxes[0]);
  EXPECT_EQ(SendMessageA((HWND)g_Ed2D.boneList, LB_GETCOUNT, 0, 0), 4);
  EXPECT_EQ(Drive_ListText(g_Ed2D.boneList, 3), " 3  b3 ( 1 )");

  // Bone 2 chosen in the list: current, alone selected, mirrored by the per-frame update.
  ClickListLine(2);
  Drive_PumpUntil([] { return g_Shell.g_ListSelMirror[2] == 1; }, 500);
  EXPECT_EQ(g_Sel.g_CurBoneIndex, 2u);
  EXPECT_EQ(g_Shell.g_ListSelMirror[2], 1u);
  EXPECT_EQ(g_Shell.g_ListSelMirror[1], 0u);

  // A left drag from bone 2's cross by (-40, 40) frame pixels.
  f32 sx, sy, ex, ey;
  Drive_FrameToClient(320 + 60, 240, &sx, &sy);
  Drive_FrameToClient(320 + 20, 240 + 40, &ex, &ey);
  SendMessageA(g_Lib.mainWnd, WM_MOUSEMOVE, 0, At(sx, sy));
  Drive_Pump(2);
  SendMessageA(g_Lib.mainWnd, WM_LBUTTONDOWN, MK_LBUTTON, At(sx, sy));
  Drive_Pump(2);
  for (i32 i = 1; i <= 4; i++) {
    SendMessageA(g_Lib.mainWnd, WM_MOUSEMOVE, MK_LBUTTON, At(sx + (ex - sx) * i / 4, sy + (ey - sy) * i / 4));
    Drive_Pump(2);
  }
  SendMessageA(g_Lib.mainWnd, WM_LBUTTONUP, 0, At(ex, ey));
  Drive_Pump(5);
  EXPECT_NEAR(m->rest[2].x, 20.0f, 1.0f);
  EXPECT_NEAR(m->rest[2].y, 40.0f, 1.0f);
  EXPECT_EQ(m->rest[1].x, -60.0f);   // not selected: stays
  EXPECT_EQ(m->bindings[2].bone1, 2);   // (-20, 40) now lies nearest to bone 2
  EXPECT_EQ(m->bindings[7].bone1, 1);   // bound by hand: kept
  char text[64] = "";
  Drive_PumpUntil([&] {
    GetDlgItemTextA((HWND)g_Ed2D.boneDlg, IDC_BONE_X, text, sizeof text);
    return strcmp(text, "20.000") == 0;
  }, 200);
  EXPECT_STREQ(text, "20.000");

  // The picture: skin edges in grey, bone 2's cross in yellow, bone 1's in dark yellow, the
  // line from bone 3 to its parent (bone 3 drawn through bone 1's rest: (-60, 60)).
  ASSERT_TRUE(Drive_CaptureMain());
  struct Probe { f32 fx, fy; unsigned rgb; const char *what; };
  const Probe probes[] = {
      {320 - 60, 240 - 40, 0xA0A0A0, "top edge of the left quad"},
      {320 + 100, 240, 0xA0A0A0, "right edge of the right quad"},
      {320 + 20 + 3, 240 + 40 + 3, 0xFFFF00, "bone 2's cross, current"},
      {320 - 60 - 3, 240 + 3, 0xB4B400, "bone 1's cross"},
      {320 - 60, 240 + 30, 0x7D7D00, "bone 3's line to bone 1"},
  };
  for (const Probe &p : probes) {
    f32 cx, cy;
    Drive_FrameToClient(p.fx, p.fy, &cx, &cy);
    EXPECT_TRUE(ColourNear(cx, cy, p.rgb, 1)) << p.what << " at client (" << cx << ", " << cy << ")";
  }
  Drive_Hold("MIRAVEL_ED2D_HOLD");

  // "追加(A)": bone 4 at the root's origin takes the vertices nearest to it.
  Drive_Command(g_Ed2D.boneDlg, IDC_BONE_ADD);
  Drive_Pump(5);
  EXPECT_EQ(m->boneCount, 5);
  EXPECT_EQ(SendMessageA((HWND)g_Ed2D.boneList, LB_GETCOUNT, 0, 0), 5);

  // Bone 4 renamed and hung under bone 2 with "決定"; then a refused parent keeps it.
  ClickListLine(4);
  Drive_Pump(5);
  ASSERT_EQ(g_Sel.g_CurBoneIndex, 4u);
  SetDlgItemTextA((HWND)g_Ed2D.boneDlg, IDC_BONE_NAME, "しっぽ");
  SendMessageA((HWND)g_Ed2D.parentCombo, CB_SETCURSEL, 2, 0);
  Drive_Command(g_Ed2D.boneDlg, IDC_BONE_APPLY);
  Drive_Pump(5);
  EXPECT_STREQ(m->bones[4].name, "しっぽ");
  EXPECT_EQ(m->bones[4].parent, 2);
  EXPECT_EQ(Drive_ListText(g_Ed2D.boneList, 4), " 4  しっぽ ( 2 )");
  ASSERT_TRUE(Drive_CaptureMain());
  f32 cx, cy;
  Drive_FrameToClient(320 + 3, 240 + 3, &cx, &cy);
  EXPECT_TRUE(ColourNear(cx, cy, 0xFFFF00, 1)) << "after the parent change bone 4 stays drawn at the root's origin";
  Drive_FrameToClient(320 + 20 + 3, 240 + 40 + 3, &cx, &cy);
  EXPECT_TRUE(ColourNear(cx, cy, 0xB4B400, 1)) << "after the parent change bone 2's cross stays alone at its place";
  g_Boxes.clear();
  SendMessageA((HWND)g_Ed2D.parentCombo, CB_SETCURSEL, 4, 0);
  Drive_Command(g_Ed2D.boneDlg, IDC_BONE_APPLY);
  EXPECT_EQ(m->bones[4].parent, 2);
  ASSERT_EQ(g_Boxes.size(), 1u);
  EXPECT_EQ(g_Boxes[0].substr(0, 6), "同じNo");

  // Saved with the File menu and read by modeldump.
  std::string saved = Drive_SaveByMenu(IDM_KZB_SAVE, "miravel_bone2d_saved.KZB");
  std::string dump = Drive_ModelDump(saved);
  // Auto-bound vertices: bone 1 keeps (-100, +-40), bone 2 takes (-20, 40) and (100, 40),
  // bone 4 (at the root's origin when it was added) (-20, -40), (20, -40) and (100, -40).
  const char *bones[] = {
      "{\"name\":\"b1\",\"parent\":0,\"rest\":[-60,0,0,1,1],\"bound\":{\"auto\":2,\"hand\":1}}",
      "{\"name\":\"b2\",\"parent\":0,\"rest\":[20,40,0,1,1],\"bound\":{\"auto\":2,\"hand\":0}}",
      "{\"name\":\"b3\",\"parent\":1,\"rest\":[0,60,0,1,1],\"bound\":{\"auto\":0,\"hand\":0}}",
      // "しっぽ" in UTF-8, kept where it was drawn (the root's origin) under bone 2
      "{\"name\":\"\xe3\x81\x97\xe3\x81\xa3\xe3\x81\xbd\",\"parent\":2,\"rest\":[-20,-40,0,1,1]",
      "\"bound\":{\"auto\":3,\"hand\":0}}",
  };
  for (const char *b : bones) EXPECT_NE(dump.find(b), std::string::npos) << b << "\n" << dump;

  // Bone 0 chosen in the list, then bone 1 in the tree with a click: at once, before any
  // timer tick, every field shows bone 1 and the list's caret is on its line, so "決定" renames
  // bone 1 with the name typed over bone 1's, never with bone 0's name left in the field.
  ClickListLine(0);
  Drive_PumpUntil([] { return g_Sel.g_CurBoneIndex == 0u; }, 200);
  Drive_PumpUntil([&] {
    GetDlgItemTextA((HWND)g_Ed2D.boneDlg, IDC_BONE_NO, text, sizeof text);
    return strcmp(text, "ボーンNo.0") == 0;
  }, 200);
  ASSERT_EQ(g_Sel.g_CurBoneIndex, 0u);
  {
    HWND tree = (HWND)g_Ed2D.boneTree;
    RECT r;
    HTREEITEM item = (HTREEITEM)g_Ed2D.treeItems[1];
    memcpy(&r, &item, sizeof item);   // the message takes the item in the rectangle
    ASSERT_TRUE(SendMessageA(tree, TVM_GETITEMRECT, TRUE, (LPARAM)&r));
    // The tree's press waits in a loop of its own for the release (a drag would start
    // otherwise): the release is queued first.
    LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    PostMessageA(tree, WM_LBUTTONUP, 0, at);
    SendMessageA(tree, WM_LBUTTONDOWN, MK_LBUTTON, at);
  }
  EXPECT_EQ(g_Sel.g_CurBoneIndex, 1u);
  struct Field { int id; const char *want; };
  const Field shown[] = {{IDC_BONE_NO, "ボーンNo.1"}, {IDC_BONE_NAME, "b1"}, {IDC_BONE_X, "-60.000"}, {IDC_BONE_Y, "0.000"}};
  for (const Field &f : shown) {
    GetDlgItemTextA((HWND)g_Ed2D.boneDlg, f.id, text, sizeof text);
    EXPECT_STREQ(text, f.want) << "field " << f.id << " after the tree pick";
  }
  EXPECT_EQ(SendMessageA((HWND)g_Ed2D.boneList, LB_GETCARETINDEX, 0, 0), 1);
  EXPECT_EQ(SendMessageA((HWND)g_Ed2D.boneList, LB_GETSEL, 1, 0), 1);
  EXPECT_EQ(SendMessageA((HWND)g_Ed2D.boneList, LB_GETSEL, 0, 0), 0);
  EXPECT_EQ(SendMessageA((HWND)g_Ed2D.parentCombo, CB_GETCURSEL, 0, 0), 0);
  Drive_Command(g_Ed2D.boneDlg, IDC_BONE_APPLY);
  Drive_Pump(3);
  EXPECT_EQ(g_Sel.g_CurBoneIndex, 1u);
  EXPECT_STREQ(m->bones[1].name, "b1");
  EXPECT_STREQ(m->bones[0].name, "b0");
  SetDlgItemTextA((HWND)g_Ed2D.boneDlg, IDC_BONE_NAME, "うで");
  Drive_Command(g_Ed2D.boneDlg, IDC_BONE_APPLY);
  EXPECT_STREQ(m->bones[1].name, "うで");
  EXPECT_STREQ(m->bones[0].name, "b0");
  EXPECT_EQ(m->bones[1].parent, 0);

  // "ウエイト": a right click (press and release at one point) on bone 1's cross makes it
  // current: "ボーンNo" and the list follow, the cross turns yellow and bone 2's turns dark.
  // A click that moved by a pixel picks nothing.
  ASSERT_EQ(Drive_Press2D(IDC_M2D_WEIGHT), (u32)SUB_2D_WEIGHT);
  ClickListLine(2);
  Drive_PumpUntil([] { return g_Sel.g_CurBoneIndex == 2u; }, 200);
  ASSERT_EQ(g_Sel.g_CurBoneIndex, 2u);
  auto RightClick = [](f32 fx, f32 fy, f32 moved) {
    f32 cx, cy;
    Drive_FrameToClient(fx, fy, &cx, &cy);
    SendMessageA(g_Lib.mainWnd, WM_MOUSEMOVE, 0, At(cx, cy));
    SendMessageA(g_Lib.mainWnd, WM_RBUTTONDOWN, MK_RBUTTON, At(cx, cy));
    if (moved != 0.0f) SendMessageA(g_Lib.mainWnd, WM_MOUSEMOVE, MK_RBUTTON, At(cx + moved, cy));
    SendMessageA(g_Lib.mainWnd, WM_RBUTTONUP, 0, At(cx + moved, cy));
    Drive_Pump(10);
  };
  RightClick(320 - 60, 240, 3.0f);
  EXPECT_EQ(g_Sel.g_CurBoneIndex, 2u);
  RightClick(320 - 60, 240, 0.0f);
  EXPECT_EQ(g_Sel.g_CurBoneIndex, 1u);
  EXPECT_EQ(g_Sel.g_PrevBone, 2u);
  Drive_PumpUntil([&] {
    GetDlgItemTextA((HWND)g_Ed2D.boneDlg, IDC_BONE_NO, text, sizeof text);
    return strcmp(text, "ボーンNo.1") == 0;
  }, 200);
  EXPECT_STREQ(text, "ボーンNo.1");
  EXPECT_EQ(g_Sel.g_CurBoneIndex, 1u);   // the dialog's own messages leave it
  EXPECT_EQ(SendMessageA((HWND)g_Ed2D.boneList, LB_GETSEL, 1, 0), 1);
  EXPECT_EQ(SendMessageA((HWND)g_Ed2D.boneList, LB_GETSEL, 2, 0), 0);
  ASSERT_TRUE(Drive_CaptureMain());
  Drive_FrameToClient(320 - 60 - 3, 240 + 3, &cx, &cy);
  EXPECT_TRUE(ColourNear(cx, cy, 0xFFFF00, 1)) << "bone 1's cross, current";
  Drive_FrameToClient(320 + 20 + 3, 240 + 40 + 3, &cx, &cy);
  EXPECT_TRUE(ColourNear(cx, cy, 0xB4B400, 1)) << "bone 2's cross";
  // Vertex 0 (-100, -40) is bound to bone 1: its point above it is yellow (blended by the
  // edges' smoothing), and the skin next to it takes the weight colouring's red.
  auto Near = [](f32 x, f32 y, i32 reach, bool (*like)(unsigned)) {
    for (i32 dy = -reach; dy <= reach; dy++)
      for (i32 dx = -reach; dx <= reach; dx++)
        if (like(Drive_ShotPixel((i32)x + dx, (i32)y + dy))) return true;
    return false;
  };
  auto Yellowish = [](unsigned c) { return (c >> 16 & 255) > 150 && (c >> 8 & 255) > 150 && (c & 255) < 100; };
  auto Reddish = [](unsigned c) { return (c >> 16 & 255) > 200 && (c >> 8 & 255) < 60 && (c & 255) < 60; };
  Drive_FrameToClient(320 - 100, 240 - 40 - 1, &cx, &cy);
  EXPECT_TRUE(Near(cx, cy, 1, Yellowish)) << "vertex 0's mark";
  Drive_FrameToClient(320 - 95, 240 - 35, &cx, &cy);
  EXPECT_TRUE(Near(cx, cy, 0, Reddish)) << "the skin of the current bone";
  ASSERT_EQ(Drive_Press2D(IDC_M2D_BONE), (u32)SUB_2D_BONE);

  // "オブジェクト" answered "いいえ": sub-mode, dialogs and model stay.
  void *dlg = g_Ed2D.boneDlg;
  g_Boxes.clear();
  g_BoxAnswer = IDNO;
  Drive_Command(g_Ed2D.panel, IDC_M2D_OBJECT);
  Drive_Pump(10);
  g_BoxAnswer = IDYES;
  ASSERT_EQ(g_Boxes.size(), 1u);
  EXPECT_EQ(g_Boxes[0], "保存しないで編集モードを変更しますか？");
  EXPECT_EQ(g_Shell.g_EditSubMode, (u32)SUB_2D_BONE);
  EXPECT_EQ(g_Ed2D.boneDlg, dlg);
  EXPECT_TRUE(Drive_Alive(dlg));
  EXPECT_EQ(g_Bone2Slots[0], m);
  EXPECT_EQ(IsDlgButtonChecked((HWND)g_Ed2D.panel, IDC_M2D_BONE), (UINT)BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked((HWND)g_Ed2D.panel, IDC_M2D_OBJECT), (UINT)BST_UNCHECKED);

  Drive_CaptureEnd();
  Drive_End("miravel_settings_bone2d");
  DeleteFileA(path.c_str());
  DeleteFileA(saved.c_str());
  g_ModalHooks.messageBox = nullptr;
}

// Ends with the tests' result, past the Wine teardown that now and then hangs or crashes.
const ::testing::Environment *const kEndWithResult = ::testing::AddGlobalTestEnvironment(new Drive_EndWithResult);
