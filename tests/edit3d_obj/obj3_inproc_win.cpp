// The object motion sub-mode in the running program, driven by messages: button 1096 opens
// the four panels and the menu; two objects are added with 1486 (fixture KZP files through
// the file dialog), object 2 is hung under object 1 with 1289; "キー作成" at frame 0 and,
// after the scroll bar moved the frame to 30, again; a left drag in a Front view window
// (added by the window menu) turns object 1 and its child; the main view read back shows the rings and axis crosses of
// the current object; object 1 is removed with 1488; the set saved with 40026 shows its
// parts, parents and key count through modeldump.
#include <gtest/gtest.h>
#include <windows.h>

#include <math.h>

#include <string>

#include "app/current.h"
#include "app/family.h"
#include "app/shell_sel.h"
#include "app/startup_state.h"
#include "app/views.h"
#include "edit3d/ed3d.h"
#include "edit3d/ed3d_win.h"
#include "edit3d/objmotion.h"
#include "edit3d/undo_win.h"
#include "lib/draw/camera.h"
#include "lib/framework/framework_win.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/modal_hooks.h"
#include "app/shell_view.h"
#include "resources/edit2d_ids.h"
#include "resources/edit3d_obj_ids.h"
#include "resources/shell_ids.h"
#include "wine_drive.h"
#include "app/shell_win.h"

namespace {

int g_Asked;
int AnswerNo(HWND, const char *, const char *, UINT) {
  g_Asked++;
  return IDNO;
}

// The ring ends and the axis ends of the current object as view 0's overlay projects them.
f32 s_Ring[3][ED3D_RING_SEGMENTS + 1][2];
f32 s_Axis[3][2][2];
bool s_Taken;

void OverlayAndTake(const HookCtx *ctx) {
  g_DriveOverlay(ctx);
  i32 o = Ed3D_ObjCurrent(ctx->sel);
  if (g_Shell.g_DrawView != 0 || o <= 0) return;
  f32 c[3];
  Kzo_GetPartWorldOrigin(0, o, c);
  for (int r = 0; r < 3; r++)
    for (int i = 0; i <= ED3D_RING_SEGMENTS; i++) {
      Vec3 p = Ed3D_RingPoint({c[0], c[1], c[2]}, r, i);
      f32 s[3];
      Cam_ProjectToScreen(s, p.x, p.y, p.z);
      s_Ring[r][i][0] = s[0], s_Ring[r][i][1] = s[1];
    }
  for (int k = 0; k < 3; k++)
    for (int e = 0; e < 2; e++) {
      f32 p[3] = {c[0], c[1], c[2]}, s[3];
      p[k] += e ? 0.5f : 0.25f;
      Cam_ProjectToScreen(s, p[0], p[1], p[2]);
      s_Axis[k][e][0] = s[0], s_Axis[k][e][1] = s[1];
    }
  s_Taken = true;
}

// Where view 0 shows the centre of the top face of the set's cube (at height s_TopY).
f32 s_TopY, s_Top[2];
void TakeTop(const HookCtx *) {
  if (g_Shell.g_DrawView != 0) return;
  f32 p[3];
  Cam_ProjectToScreen(p, 0.0f, s_TopY, 0.0f);
  s_Top[0] = p[0], s_Top[1] = p[1];
  s_Taken = true;
}

// True when the 3 x 3 neighbourhood of (x, y) holds channel k strong and the others weak.
bool Colour(f32 x, f32 y, int k) {
  for (int dy = -1; dy <= 1; dy++)
    for (int dx = -1; dx <= 1; dx++) {
      u32 argb = 0;
      if (!D3DApp_ReadBackPixel((int)x + dx, (int)y + dy, &argb)) continue;
      int c[3] = {(int)(argb >> 16) & 255, (int)(argb >> 8) & 255, (int)argb & 255};
      if (c[k] > 150 && c[(k + 1) % 3] < 100 && c[(k + 2) % 3] < 100) return true;
    }
  return false;
}

std::string Dump(const std::string &file) {
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, sizeof self);
  std::string tool = self;
  tool = tool.substr(0, tool.find_last_of("\\/") + 1) + "modeldump.exe";
  return Drive_RunTool("\"\"" + tool + "\" \"" + file + "\"\"");
}

void Add(const char *name) {
  g_ModalHooks.getOpenFileName = Drive_AnswerFile;
  g_DriveAnswer = name;
  Drive_Command(Ed3DObjMotionEditor.listDlg, IDC_OLIST_ADD);
  g_ModalHooks.getOpenFileName = nullptr;
}

// Object o chosen in the object list (its caret line), as a click there does.
void Choose(i32 o) {
  HWND list = (HWND)Ed3DObjMotionEditor.list;
  SendMessageA(list, LB_SETSEL, FALSE, -1);
  SendMessageA(list, LB_SETSEL, TRUE, o);
  SendMessageA(list, LB_SETCARETINDEX, (WPARAM)o, FALSE);
  SendMessageA((HWND)Ed3DObjMotionEditor.listDlg, WM_COMMAND, MAKEWPARAM(IDC_OLIST_LIST, LBN_SELCHANGE), (LPARAM)list);
}

}  // namespace

TEST(ObjMotionInProcess, ObjectsKeysADragAndTheSavedSet) {
  std::string a = Drive_Temp("miravel_obj_a.KZP"), b = Drive_Temp("miravel_obj_b.KZP");
  ASSERT_TRUE(Drive_WriteCube(a));
  ASSERT_TRUE(Drive_WriteCube(b));
  ASSERT_TRUE(Drive_Start3D(a, "miravel_settings_obj3"));
  ASSERT_EQ(g_Shell.g_EditFamily, (u32)FAMILY_3D_MODEL);

  SendMessageA((HWND)g_Ed3D.modePanel, WM_COMMAND, MAKEWPARAM(IDC_M3D_OBJECT, BN_CLICKED), 0);
  Drive_Pump(20);
  ASSERT_EQ(g_Shell.g_EditSubMode, (u32)SUB_3D_OBJMOTION);
  Ed3DObjMotionEditorState &e = Ed3DObjMotionEditor;
  const char *captions[4] = {"モーション", "キーフレーム", "オブジェクト一覧", "モーションリスト"};
  void *panels[4] = {e.objDlg, e.keyDlg, e.listDlg, e.motionDlg};
  for (int i = 0; i < 4; i++) {
    ASSERT_TRUE(Drive_Alive(panels[i])) << captions[i];
    char caption[64] = {};
    GetWindowTextA((HWND)panels[i], caption, sizeof caption);
    EXPECT_STREQ(caption, captions[i]);
  }
  ASSERT_TRUE(Drive_Alive(e.list) && Drive_Alive(e.tree) && Drive_Alive(e.motionList) && Drive_Alive(e.parentCombo));
  char item[64] = {};
  GetMenuStringA(GetMenu(g_Lib.mainWnd), IDM_OBJ_COPY_MOTIONS, item, sizeof item, MF_BYCOMMAND);
  EXPECT_STREQ(item, "モーションデータをコピーする");
  Obj3Set *s = g_Obj3Sets[0];
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->objectCount, 1);

  // Two objects, object 2 hung under object 1.
  Add("miravel_obj_a.KZP");
  Add("miravel_obj_b.KZP");
  ASSERT_EQ(s->objectCount, 3);
  EXPECT_EQ(g_Sel.g_CurPartIndex, 2u);
  EXPECT_EQ(Drive_ListText(e.list, 2), " 2 : miravel_obj_b.KZP");
  SendMessageA((HWND)e.parentCombo, CB_SETCURSEL, 1, 0);
  Drive_Command(e.listDlg, IDC_OLIST_APPLY);
  EXPECT_EQ(s->parts[2].parent, 1);

  // Keys at frames 0 and 30 (the scroll bar moves the frame).
  Drive_Command(e.objDlg, IDC_OBJ_KEY_CREATE);
  HWND bar = GetDlgItem((HWND)e.keyDlg, IDC_OKEY_SCROLL);
  SendMessageA((HWND)e.keyDlg, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 30), (LPARAM)bar);
  EXPECT_EQ(s->frame, 30);
  Drive_Command(e.objDlg, IDC_OBJ_KEY_CREATE);
  ASSERT_EQ(s->motions[0].keyCount, 2);
  EXPECT_EQ(s->motions[0].keyFrames[1], 30);

  // A left drag in a Front view window (the window menu's "追加" makes one) turns object 1
  // about Z, and object 2 with it.
  SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_ADD_VIEW, 0);
  Drive_Pump(5);
  Choose(1);
  EXPECT_EQ(g_Sel.g_CurPartIndex, 1u);
  HWND front = Drive_FrontView(SUB_3D_OBJMOTION);
  ASSERT_NE(front, nullptr);
  Drive_DragRight(front);
  const ObjKey3 *k1 = Ed3D_ObjKey(1, 1), *k2 = Ed3D_ObjKey(2, 1);
  ASSERT_TRUE(k1 && k2);
  EXPECT_GT(fabsf(k1->quat[2]), 0.1f);
  EXPECT_NEAR(k2->quat[2], k1->quat[2], 1e-5);
  EXPECT_EQ(Ed3D_ObjKey(1, 0)->quat[2], 0.0f);

  // The main view read back (once an idle pass has set the screen's brightness): the rings
  // and the axis crosses of object 1.
  ASSERT_TRUE(Drive_PumpUntil([] { return g_Camera.light.brightness >= 1.0f; }, 3000));
  g_Sel.g_MotionEditOp = ED3D_OBJ_TOOL_ROTATE;
  ASSERT_TRUE(Drive_MainFrameWithOverlay(OverlayAndTake));
  ASSERT_TRUE(s_Taken);
  static const int kRingChannel[3] = {1, 0, 2};   // ring 0 green, 1 red, 2 blue
  for (int r = 0; r < 3; r++) {
    int hits = 0;
    for (int i = 0; i < ED3D_RING_SEGMENTS; i++)
      hits += Colour((s_Ring[r][i][0] + s_Ring[r][i + 1][0]) * 0.5f, (s_Ring[r][i][1] + s_Ring[r][i + 1][1]) * 0.5f,
                     kRingChannel[r]);
    EXPECT_GE(hits, 10) << "ring " << r;
  }
  for (int k = 0; k < 3; k++) {
    // Between a quarter and half a unit out along axis k: the cross's colour (x red, y green, z blue).
    f32 x = (s_Axis[k][0][0] + s_Axis[k][1][0]) * 0.5f, y = (s_Axis[k][0][1] + s_Axis[k][1][1]) * 0.5f;
    EXPECT_TRUE(Colour(x, y, k)) << "axis " << k << " at " << x << ", " << y;
  }

  // Object 1 removed: object 2 moves down with its parent, the removed one, now 0.
  Choose(1);
  Drive_Command(e.listDlg, IDC_OLIST_REMOVE);
  ASSERT_EQ(s->objectCount, 2);
  EXPECT_EQ(s->parts[1].parent, 0);
  EXPECT_STREQ(s->parts[1].path, "miravel_obj_b.KZP");

  // Saved by the File menu, read by modeldump.
  std::string saved = Drive_SaveByMenu(40026, "miravel_obj_saved.KZO");
  std::string dump = Dump(saved);
  EXPECT_NE(dump.find("\"motions\":[{\"name\":"), std::string::npos) << dump;
  EXPECT_NE(dump.find("\"length\":60,\"keys\":2}"), std::string::npos) << dump;
  EXPECT_NE(dump.find("miravel_obj_b.KZP\",\"parent\":0,\"loaded\":1"), std::string::npos) << dump;
  EXPECT_EQ(dump.find("miravel_obj_a.KZP"), std::string::npos) << dump;

  // "閉じる" of the motion list clears its handles: entering again makes it anew.
  Drive_Command(e.motionDlg, IDC_OML_CLOSE);
  EXPECT_EQ(e.motionDlg, nullptr);
  EXPECT_EQ(e.motionList, nullptr);
  SendMessageA((HWND)g_Ed3D.modePanel, WM_COMMAND, MAKEWPARAM(IDC_M3D_OBJECT, BN_CLICKED), 0);
  Drive_Pump(5);
  EXPECT_EQ(s->objectCount, 2);   // the button again keeps the set
  // Through another sub-mode and back, answering No: the set stays, the list is made anew.
  SendMessageA((HWND)g_Ed3D.modePanel, WM_COMMAND, MAKEWPARAM(IDC_M3D_MOTION, BN_CLICKED), 0);
  Drive_Pump(5);
  g_ModalHooks.messageBox = AnswerNo;
  SendMessageA((HWND)g_Ed3D.modePanel, WM_COMMAND, MAKEWPARAM(IDC_M3D_OBJECT, BN_CLICKED), 0);
  g_ModalHooks.messageBox = nullptr;
  Drive_Pump(5);
  EXPECT_EQ(g_Asked, 1);
  EXPECT_EQ(s->objectCount, 2);
  EXPECT_TRUE(Drive_Alive(e.motionDlg) && Drive_Alive(e.motionList));

  // The sample set (a cube hung at the origin) opened by the File menu, then the preview: the
  // cube's top face, turned up towards the light at the eye, is lit well above the quarter of
  // white that the ambient light alone gives (64, what a face without normals shows).
  g_DriveFolder = std::string(getenv("MIRAVEL_SRC")) + "\\Data";
  for (char &ch : g_DriveFolder)
    if (ch == '/') ch = '\\';
  Drive_OpenByMenu(IDM_KZO_OPEN, "0.KZO");
  g_DriveFolder.clear();
  ASSERT_EQ(s->objectCount, 2);
  const Model3 *cube = g_Obj3PartModels[0][1];
  ASSERT_TRUE(cube && cube->positionCount == 8);
  s_TopY = cube->positions[0].y;
  for (i32 i = 1; i < 8; i++) s_TopY = fmaxf(s_TopY, cube->positions[i].y);
  Drive_Command(g_EditDlg.window, IDC_EDIT_PREVIEW);
  Drive_Pump(20);
  ASSERT_EQ(g_Shell.g_EditFamily, (u32)FAMILY_PREVIEW);
  ASSERT_TRUE(Drive_PumpUntil([] { return g_Camera.light.brightness >= 1.0f; }, 3000));
  FamilyHook own = g_FamilyHooks[FAMILY_PREVIEW].drawOverlay;
  g_FamilyHooks[FAMILY_PREVIEW].drawOverlay = TakeTop;
  g_Shell.g_DrawView = 0;
  s_Taken = false;
  HRESULT hr = D3DApp_RenderFrame();
  g_FamilyHooks[FAMILY_PREVIEW].drawOverlay = own;
  ASSERT_TRUE(hr == S_OK && s_Taken);
  u32 argb = 0;
  ASSERT_TRUE(D3DApp_ReadBackPixel((int)s_Top[0], (int)s_Top[1], &argb));
  for (int k = 0; k < 3; k++) EXPECT_GT((int)(argb >> (8 * k)) & 255, 90) << std::hex << argb;

  Drive_End("miravel_settings_obj3");
  DeleteFileA(a.c_str());
  DeleteFileA(b.c_str());
  DeleteFileA(saved.c_str());
}

const ::testing::Environment *const kEndWithResult = ::testing::AddGlobalTestEnvironment(new Drive_EndWithResult);
