// The panels show the open document after every open, new, undo and family switch, without a
// click in a view: the 3D modelling dialog's counts after "新規作成", an opened KZP and an undo;
// the object motion lists ("オブジェクト一覧", its tree, the "親" combo) after a KZO open and
// after F5; the 2D modelling panel's counts after a KZB open and "新規作成"; the 2D object
// sub-mode's image preview after a KZA open and after another KZA replaced it. A texture or an
// image that is nowhere is named when its KZB or KZA opens.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "lib/framework/lib_state.h"
#include "model_shown.h"
#include "app/current.h"
#include "app/family.h"
#include "app/shell_view.h"
#include "app/startup_state.h"
#include "app/settings.h"
#include "app/startup_win.h"
#include "app/views.h"
#include "edit2d/ed2d.h"
#include "edit2d/ed2d_object.h"
#include "edit2d/ed2d_poly.h"
#include "edit2d/ed2d_win.h"
#include "edit2d/ed2d_object_win.h"
#include "edit2d/ed2d_motion_win.h"
#include "edit3d/ed3d.h"
#include "edit3d/ed3d_win.h"
#include "edit3d/objmotion.h"
#include "edit3d/poly.h"
#include "edit3d/undo.h"
#include "edit3d/undo_win.h"
#include "lib/framework/lib.h"
#include "lib/framework/modal_hooks.h"
#include "model/bone2.h"
#include "model/kza.h"
#include "model/kzb.h"
#include "edit3d/ed3d_motion.h"
#include "edit3d/ed3d_tex.h"
#include "resources/edit3d_tex_ids.h"
#include "resources/edit3d_motion_ids.h"
#include "model/obj2.h"
#include "resources/edit2d_ids.h"
#include "resources/edit3d_ids.h"
#include "resources/edit3d_obj_ids.h"
#include "resources/shell_ids.h"
#include "wine_drive.h"

namespace {

const char kSettings[] = "miravel_settings_follow";

std::string Text(void *dlg, int id) {
  char t[128] = "";
  GetDlgItemTextA((HWND)dlg, id, t, sizeof t);
  return t;
}

std::string Count(const char *format, int n) {
  char t[64];
  snprintf(t, sizeof t, format, n);
  return t;
}

// Pumps until the dialog's field reads `want` (its timer refreshes it); the field's text then.
std::string WaitText(void *dlg, int id, const std::string &want) {
  Drive_PumpUntil([&] { return Text(dlg, id) == want; }, 3000);
  return Text(dlg, id);
}

// A KZB of `verts` vertices in a row and one polygon; with a texture of that name when given.
bool WriteKzb(const std::string &path, i32 verts, const char *texture = nullptr) {
  g_ModelAllocArrays = 1;
  Bone2Model *m = Bone2_Init(0);
  g_ModelAllocArrays = 0;
  if (!m) return false;
  m->boneCount = 1;
  m->vertexCount = (u16)verts;
  for (i32 v = 0; v < verts; v++) m->positions[v] = {(f32)(v * 10), (f32)(v % 2 * 10)};
  m->groupCount = 1;
  m->groups[0].r = m->groups[0].g = m->groups[0].b = m->groups[0].a = 1.0f;
  m->polygonCount = 1;
  m->polygons[0].used = 1;
  m->polygons[0].cornerCount = 3;
  for (i32 c = 0; c < 3; c++) m->polygons[0].corners[c].vertex = (u16)c;
  if (texture) {
    m->textureCount = 1;
    m->textures[0].used = 1;
    snprintf(m->textures[0].name, sizeof m->textures[0].name, "%s", texture);
  }
  bool ok = Shown(Kzb_Write, 0, path.c_str()) == 1;
  Bone2_FreeSlot(0);
  return ok;
}

// A KZA holding one image, the file `image` beside it.
bool WriteKza(const std::string &path, const char *image) {
  Obj2Model *m = Obj2_Init(0);
  if (!m) return false;
  m->imageCount = 1;
  snprintf(m->imageNames[0], sizeof m->imageNames[0], "%s", image);
  bool ok = Shown(Kza_Write, 0, path.c_str()) == 1;
  Obj2_FreeAll();
  return ok;
}

i32 ListCount(void *list) { return (i32)SendMessageA((HWND)list, LB_GETCOUNT, 0, 0); }
i32 ComboCount(void *combo) { return (i32)SendMessageA((HWND)combo, CB_GETCOUNT, 0, 0); }
i32 TreeCount(void *tree) { return (i32)SendMessageA((HWND)tree, TVM_GETCOUNT, 0, 0); }

// Empties the object motion panels' lists, as a stale panel would show them.
void EmptyObjectLists() {
  Ed3DObjMotionEditorState &e = Ed3DObjMotionEditor;
  SendMessageA((HWND)e.list, LB_RESETCONTENT, 0, 0);
  SendMessageA((HWND)e.parentCombo, CB_RESETCONTENT, 0, 0);
  SendMessageA((HWND)e.tree, TVM_DELETEITEM, 0, (LPARAM)TVI_ROOT);
}

// The preview's copy of the current image: its pixel (x, y) of an image w pixels wide, red
// in the low byte, then green, then blue.
u32 PreviewPixel(i32 x, i32 y, i32 w) { return Obj2_GetPixel(y * w + x) & 0xFFFFFFu; }

std::vector<std::string> g_Boxes;
int RecordYes(HWND, const char *text, const char *, UINT) {
  g_Boxes.push_back(text);
  return IDYES;
}

void InstallAll() {
  Undo_InstallWin();
  Ed3D_InstallWin();
  Ed2D_InstallWin();
  Ed2D_ObjInstallWin();
  Ed2D_MotionInstallWin();
}

}  // namespace

TEST(PanelsFollow, EveryPanelShowsTheOpenDocument) {
  std::string cube = Drive_Temp("miravel_follow_cube.KZP"), cube2 = Drive_Temp("miravel_follow_cube2.KZP");
  ASSERT_TRUE(Drive_WriteCube(cube));
  ASSERT_TRUE(Drive_WriteCube(cube2, true));   // 24 UVs of its own
  ASSERT_TRUE(WriteKzb(Drive_Temp("miravel_follow.KZB"), 8));
  ASSERT_TRUE(Drive_WriteHalvesBmp(Drive_Temp("miravel_follow_a.bmp"), 128, 32));   // red left, green right
  ASSERT_TRUE(Drive_WriteHalvesBmp(Drive_Temp("miravel_follow_b.bmp"), 32, 32));
  ASSERT_TRUE(WriteKza(Drive_Temp("miravel_follow_a.KZA"), "miravel_follow_a.bmp"));
  ASSERT_TRUE(WriteKza(Drive_Temp("miravel_follow_b.KZA"), "miravel_follow_b.bmp"));
  ASSERT_TRUE(WriteKzb(Drive_Temp("miravel_follow_gone.KZB"), 8, "miravel_follow_gone.bmp"));
  ASSERT_TRUE(WriteKza(Drive_Temp("miravel_follow_gone.KZA"), "miravel_follow_gone.bmp"));
  ASSERT_TRUE(Drive_OwnSettings(kSettings));
  SetEnvironmentVariableA("MIRAVEL_MODAL_AUTO", "1");
  g_ModalHooks.messageBox = RecordYes;
  InstallAll();
  ASSERT_TRUE(App_Startup(GetModuleHandleA(nullptr), ("\"" + cube + "\"").c_str()));
  Drive_Pump(100);
  ASSERT_EQ(g_Shell.g_EditSubMode, (u32)SUB_3D_POLY);

  // 3D modelling: the cube's counts, "新規作成", an opened KZP, an undo of that open.
  void *poly = Ed3DPolyEditor.dlg;
  ASSERT_TRUE(Drive_Alive(poly));
  const char *verts3 = "頂点数  %5d";
  EXPECT_EQ(WaitText(poly, IDC_POLY_VERTS, Count(verts3, 8)), Count(verts3, 8));
  SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_NEW_MODEL, 0);
  EXPECT_EQ(WaitText(poly, IDC_POLY_VERTS, Count(verts3, 0)), Count(verts3, 0)) << "after 新規作成";
  Drive_OpenByMenu(IDM_KZP_OPEN, "miravel_follow_cube2.KZP");
  EXPECT_EQ(WaitText(poly, IDC_POLY_VERTS, Count(verts3, 8)), Count(verts3, 8)) << "after an open";
  const char *uvs3 = "ＵＶ数  %5d";
  EXPECT_EQ(WaitText(poly, IDC_POLY_UV_COUNT, Count(uvs3, 24)), Count(uvs3, 24)) << "after an open";
  // "アンドゥ" of the undo dialog: the step before the open, the cube read at start-up.
  HWND undoDlg = GetParent((HWND)g_Undo.list);
  ASSERT_TRUE(Drive_Alive(undoDlg));
  Drive_Command(undoDlg, IDC_UNDO_UNDO);
  EXPECT_EQ(WaitText(poly, IDC_POLY_UV_COUNT, Count(uvs3, 0)), Count(uvs3, 0)) << "after an undo";

  // A bone, motion, group, key or texture 追加 made current, gone after アンドゥ: with no frame
  // between, the panel's tick shows what the model has, and an edit right after lands there
  // (saved). The key is made at frame 30, the texture 追加 twice (0.KZP has none to replace), its last line
  // clicked, and replaced.
  void *groupPanel = nullptr;
  struct Row {
    const char *what; int mode; void *&panel; int no, field, apply, add; const char *shown, *saved;
    const char *typed = "stroll", *file = nullptr, *fileThen = nullptr; i32 frame = 0, adds = 1; void *const *pick = nullptr;
  } const rows[] = {
      {"bone", IDC_M3D_BONE, g_Ed3D.bonePanel, IDC_BONE_NO, IDC_BONE_NAME, IDC_BONE_APPLY, IDC_BONE_ADD, "ボーンNo.1", "},{\"name\":\"stroll\",\"parent\":0"},
      {"motion", IDC_M3D_MOTION, g_Ed3DMotionPanels.listDlg, IDC_MLIST_NO, IDC_MLIST_NAME, IDC_MLIST_OK, IDC_MLIST_ADD, "No.  0", "\"motions\":[{\"name\":\"stroll\""},
      {"group", IDC_M3D_TEXTURE, groupPanel, IDC_GRP_NAME, IDC_GRP_NAME, IDC_GRP_APPLY, IDC_GRP_COPY_RECORD, "stroll", "\"groups\":[{\"name\":\"stroll\""},
      {"key", IDC_M3D_MOTION, g_Ed3DMotionPanels.motionDlg, IDC_MOT_POS_X, IDC_MOT_POS_X, IDC_MOT_APPLY, IDC_MOT_KEY_CREATE, "2.500", "\"keyFrames\":[[0]]", "2.5", nullptr, nullptr, 30},
      {"texture", IDC_M3D_TEXTURE, g_Ed3DTex.panel, 0, 0, IDC_TEX_REPLACE, IDC_TEX_ADD, nullptr, "\"textures\":[\"\",\"miravel_follow_b.bmp\"]", nullptr, "miravel_follow_a.bmp", "miravel_follow_b.bmp", 0, 2, &g_Ed3DTex.list},
  };
  for (const Row &r : rows) {
    SCOPED_TRACE(r.what);
    ASSERT_NE(Drive_Press3D(r.mode), (u32)SUB_3D_POLY);
    groupPanel = GetParent((HWND)g_Ed3D.group.list);
    for (int i = 0; i < 500 && g_AppShell.keyLatch; i++) Drive_Pump(1);   // one key message acts per pass
    SendMessageA(g_Lib.mainWnd, WM_KEYUP, VK_F7, 0);   // 0.KZP: two bones keyed at 0, one motion, one group
    if (r.frame) Current_Model3()->frame = r.frame;
    g_ModalHooks.getOpenFileName = r.file ? Drive_AnswerFile : nullptr;
    g_DriveAnswer = r.file ? r.file : "";
    for (i32 i = 0; i < r.adds; i++) Drive_Command(r.panel, r.add);
    if (r.pick) {   // the list's last line clicked
      HWND list = (HWND)*r.pick;
      WPARAM last = (WPARAM)SendMessageA(list, LB_GETCOUNT, 0, 0) - 1;
      SendMessageA(list, LB_SETSEL, TRUE, (LPARAM)last), SendMessageA(list, LB_SETCARETINDEX, last, 0);
      SendMessageA((HWND)r.panel, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_SELCHANGE), (LPARAM)list);
    }
    Drive_Command(g_AppShell.panels[View_CurrentLayout()][UNDO_PANEL_HOLDER].window, IDC_UNDO_UNDO);
    SendMessageA((HWND)r.panel, WM_TIMER, 1, 0);   // the panel's tick shows what is current
    if (r.typed) SetDlgItemTextA((HWND)r.panel, r.field, r.typed);
    if (r.fileThen) g_DriveAnswer = r.fileThen;
    Drive_Command(r.panel, r.apply);
    g_ModalHooks.getOpenFileName = nullptr;
    if (r.shown) EXPECT_EQ(WaitText(r.panel, r.no, r.shown), r.shown);
    std::string dump = Drive_ModelDump(Drive_SaveByMenu(IDM_KZP_SAVE, "miravel_follow_saved.KZP"));
    EXPECT_NE(dump.find(r.saved), std::string::npos) << dump;
  }
  ASSERT_EQ(Drive_Press3D(IDC_M3D_POLY), (u32)SUB_3D_POLY);

  // Object motion: the lists follow a KZO open and F5.
  ASSERT_EQ(Drive_Press3D(IDC_M3D_OBJECT), (u32)SUB_3D_OBJMOTION);
  Ed3DObjMotionEditorState &e = Ed3DObjMotionEditor;
  ASSERT_TRUE(Drive_Alive(e.list) && Drive_Alive(e.tree) && Drive_Alive(e.parentCombo));
  g_ModalHooks.getOpenFileName = Drive_AnswerFile;
  for (const char *part : {"miravel_follow_cube.KZP", "miravel_follow_cube2.KZP"}) {
    g_DriveAnswer = part;
    Drive_Command(e.listDlg, IDC_OLIST_ADD);
  }
  // A third object, current, 消去: with no frame between, 決定 gives the object the list then
  // shows (object 2) the parent chosen (saved).
  Drive_Command(e.listDlg, IDC_OLIST_ADD);
  g_ModalHooks.getOpenFileName = nullptr;
  Drive_Command(e.listDlg, IDC_OLIST_REMOVE);
  SendMessageA((HWND)e.parentCombo, CB_SETCURSEL, 1, 0);
  Drive_Command(e.listDlg, IDC_OLIST_APPLY);
  ASSERT_EQ(g_Obj3Sets[0]->objectCount, 3);
  EXPECT_EQ(SendMessageA((HWND)e.list, LB_GETCARETINDEX, 0, 0), 2);
  std::string kzo = Drive_SaveByMenu(IDM_KZO_SAVE, "miravel_follow.KZO");
  std::string kzoDump = Drive_ModelDump(kzo);
  EXPECT_NE(kzoDump.find("miravel_follow_cube2.KZP\",\"parent\":1"), std::string::npos) << kzoDump;
  EmptyObjectLists();
  Drive_OpenByMenu(IDM_KZO_OPEN, "miravel_follow.KZO");
  Drive_Pump(10);
  ASSERT_EQ(g_Obj3Sets[0]->objectCount, 3);
  EXPECT_EQ(ListCount(e.list), 3) << "オブジェクト一覧 after the KZO open";
  EXPECT_EQ(ComboCount(e.parentCombo), 3) << "親 after the KZO open";
  EXPECT_EQ(TreeCount(e.tree), 3) << "the tree after the KZO open";
  EmptyObjectLists();
  for (int i = 0; i < 500 && g_AppShell.keyLatch; i++) Drive_Pump(1);   // one key message acts per pass
  SendMessageA(g_Lib.mainWnd, WM_KEYUP, VK_F5, 0);
  Drive_Pump(10);
  EXPECT_EQ(ListCount(e.list), 3) << "オブジェクト一覧 after F5";
  EXPECT_EQ(ComboCount(e.parentCombo), 3) << "親 after F5";
  EXPECT_EQ(TreeCount(e.tree), 3) << "the tree after F5";

  // The 2D family: the modelling panel's counts after a KZB open and "新規作成".
  Drive_Command(g_EditDlg.window, IDC_EDIT_2D_MODEL);
  Drive_Pump(20);
  ASSERT_EQ(g_Shell.g_EditFamily, (u32)FAMILY_2D_MODEL);
  ASSERT_EQ(g_Shell.g_EditSubMode, (u32)SUB_2D_POLY);
  void *panel = g_Ed2DPoly.panel;
  ASSERT_TRUE(Drive_Alive(panel));
  const char *verts2 = "頂点数  %5d";
  Drive_OpenByMenu(IDM_KZB_OPEN, "miravel_follow.KZB");
  ASSERT_NE(g_Bone2Slots[0], nullptr);
  EXPECT_EQ(WaitText(panel, IDC_P2D_VERTEX_COUNT, Count(verts2, 8)), Count(verts2, 8)) << "after the KZB open";
  // A texture found neither where its name says nor beside the KZB is named.
  g_Boxes.clear();
  Drive_OpenByMenu(IDM_KZB_OPEN, "miravel_follow_gone.KZB");
  EXPECT_EQ(g_Boxes, std::vector<std::string>{"次のテクスチャが見つかりませんでした。\n\nmiravel_follow_gone.bmp"});
  SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_2D_BONE_NEW, 0);
  ASSERT_NE(g_Bone2Slots[0], nullptr);
  i32 fresh = g_Bone2Slots[0]->vertexCount;
  EXPECT_EQ(WaitText(panel, IDC_P2D_VERTEX_COUNT, Count(verts2, fresh)), Count(verts2, fresh)) << "after 新規作成";

  // The 2D object sub-mode: the preview shows the current image of each KZA opened.
  ASSERT_EQ(Drive_Press2D(IDC_M2D_OBJECT), (u32)SUB_2D_OBJECT);
  struct { const char *kza; i32 w; } const opens[] = {
      {"miravel_follow_a.KZA", 128}, {"miravel_follow_b.KZA", 32}, {"miravel_follow_a.KZA", 128}};
  for (const auto &o : opens) {
    Drive_OpenByMenu(IDM_KZA_OPEN, o.kza);
    Drive_Pump(10);
    ASSERT_NE(g_Obj2Slots[0], nullptr);
    ASSERT_EQ(g_Obj2Slots[0]->imageCount, 1) << o.kza;
    EXPECT_EQ(g_Obj2.pixelCount, o.w * 32) << o.kza;
    EXPECT_EQ(PreviewPixel(o.w - 1, 5, o.w), 0x00FF00u) << o.kza << ": the green right edge";
    EXPECT_EQ(PreviewPixel(2, 5, o.w), 0x0000FFu) << o.kza << ": the red left edge";
  }
  // An image found nowhere is named.
  g_Boxes.clear();
  Drive_OpenByMenu(IDM_KZA_OPEN, "miravel_follow_gone.KZA");
  EXPECT_EQ(g_Boxes, std::vector<std::string>{"次のイメージが見つかりませんでした。\n\nmiravel_follow_gone.bmp"});

  Drive_End(kSettings);
  for (const char *f : {"miravel_follow_cube.KZP", "miravel_follow_cube2.KZP", "miravel_follow.KZB", "miravel_follow_a.bmp",
                        "miravel_follow_b.bmp", "miravel_follow_a.KZA", "miravel_follow_b.KZA", "miravel_follow_gone.KZB",
                        "miravel_follow_gone.KZA"})
    DeleteFileA(Drive_Temp(f).c_str());
  DeleteFileA(kzo.c_str());
  g_ModalHooks.messageBox = nullptr;
}

// Ends with the tests' result, past the Wine teardown that now and then hangs or crashes.
const ::testing::Environment *const kEndWithResult = ::testing::AddGlobalTestEnvironment(new Drive_EndWithResult);
