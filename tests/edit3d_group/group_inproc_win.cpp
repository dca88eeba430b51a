// The group panel in the running program: a cube opened from the command line; its group line
// chosen (the group's faces become selected), a name and colour typed and applied; the group
// copied with its polygons, mirrored and moved up; the cube primitive pressed in the modelling
// dialog with the view's pan and zoom set; the model saved through the File menu, and modeldump
// reads the groups with their polygon counts and the primitive at the pan. "決定" with the
// fields as shown keeps exact values; a division count or colour beyond its range neither wraps
// nor stays shown unstored.
#include <gtest/gtest.h>
#include <windows.h>

#include <string.h>

#include <string>

#include "app/current.h"
#include "app/family.h"
#include "app/settings.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/startup_state.h"
#include "app/startup_win.h"
#include "app/views.h"
#include "edit3d/ed3d.h"
#include "edit3d/ed3d_poly.h"
#include "edit3d/ed3d_poly_dlg.h"
#include "edit3d/ed3d_win.h"
#include "edit3d/undo.h"
#include "edit3d/undo_win.h"
#include "lib/framework/lib.h"
#include "lib/framework/modal_hooks.h"
#include "lib/framework/view_record.h"
#include "model/model3.h"
#include "resources/edit3d_ids.h"
#include "resources/shell_ids.h"
#include "wine_drive.h"

namespace {

std::string Text(HWND dlg, int id) {
  char buf[256] = {};
  GetDlgItemTextA(dlg, id, buf, sizeof buf);
  return buf;
}

}  // namespace

TEST(GroupPanel, SelectApplyCopyMirrorMovePrimitiveAndSave) {
  std::string path;
  ASSERT_NO_FATAL_FAILURE(Drive_Start3DOnCube("miravel_group_cube.KZP", "miravel_settings_group", &path));
  HWND panel = (HWND)g_AppShell.panels[SUB_3D_POLY][PANEL_GROUP].window;
  ASSERT_TRUE(Drive_Alive(panel));
  Model3 *m = g_Model3Slots[0];
  ASSERT_NE(m, nullptr);
  ASSERT_EQ(m->polygonCount, 6);

  // The group line chosen: its faces and vertices selected; the fields show the group.
  HWND list = GetDlgItem(panel, IDC_GRP_LIST);
  SendMessageA(list, LB_SETCURSEL, 0, 0);
  SendMessageA(panel, WM_COMMAND, MAKEWPARAM(IDC_GRP_LIST, LBN_SELCHANGE), (LPARAM)list);
  for (i32 f = 0; f < 6; f++) EXPECT_EQ(g_Sel.g_PolySelFaces[f], 1u);
  for (i32 v = 0; v < 8; v++) EXPECT_EQ(g_Sel.g_PolySelVerts[v], 1u);
  EXPECT_TRUE(Drive_PumpUntil([&] { return Text(panel, IDC_GRP_RED) == "200"; }, 200));
  EXPECT_EQ(Text(panel, IDC_GRP_NAME), m->groups[0].name);

  // Name and colour typed, 決定.
  SetDlgItemTextA(panel, IDC_GRP_NAME, "胴体");
  const char *rgba[4] = {"10", "20", "30", "128"};
  for (int c = 0; c < 4; c++) SetDlgItemTextA(panel, IDC_GRP_RED + c, rgba[c]);
  Drive_Command(panel, IDC_GRP_APPLY);
  EXPECT_STREQ(m->groups[0].name, "胴体");
  EXPECT_TRUE(m->groups[0].r == 10 && m->groups[0].g == 20 && m->groups[0].b == 30 && m->groups[0].a == 128);

  // Copy with polygons, mirror the copy, move it up.
  Drive_Command(panel, IDC_GRP_COPY_POLYS);
  ASSERT_EQ(m->groupCount, 2);
  EXPECT_EQ(g_Sel.g_CurGroupIndex, 1u);
  EXPECT_EQ(m->polygonCount, 12);
  Drive_Command(panel, IDC_GRP_MIRROR);
  EXPECT_EQ(m->polygonCount, 18);
  SetDlgItemTextA(panel, IDC_GRP_NAME, "複製");
  const char *rgba2[4] = {"40", "50", "60", "255"};
  for (int c = 0; c < 4; c++) SetDlgItemTextA(panel, IDC_GRP_RED + c, rgba2[c]);
  Drive_Command(panel, IDC_GRP_APPLY);
  Drive_Command(panel, IDC_GRP_UP);
  EXPECT_EQ(g_Sel.g_CurGroupIndex, 0u);
  EXPECT_STREQ(m->groups[0].name, "複製");
  EXPECT_EQ(Drive_ListText(list, 0), " 0 : 複製 ( 12 )");
  EXPECT_EQ(Drive_ListText(list, 1), " 1 : 胴体 ( 6 )");

  // The cube primitive at the active view's pan, size 4 x 0.25 of a unit, in the current group.
  ViewRecord *v = View_Get(SUB_3D_POLY, g_Shell.g_ActiveView);
  v->panX = 4, v->panY = 5, v->panZ = 6, v->zoom = 4;
  Drive_Command(Ed3DPolyEditor.dlg, IDC_POLY_CUBE);
  EXPECT_EQ(m->polygonCount, 24);
  EXPECT_EQ(g_Sel.g_PolyTool, (u32)POLY_TOOL_MOVE);
  UndoHistory *h = Undo_Current();
  EXPECT_STREQ(h->steps[h->top].label, "立方体 ( モデリング )");
  i32 lines = (i32)SendMessageA((HWND)g_Undo.list, LB_GETCOUNT, 0, 0);
  ASSERT_GE(lines, 7);
  const char *labels[6] = {"グループ 決定ボタン", "グループ コピー", "鏡面 ( グループ )", "グループ 決定ボタン",
                           "グループ ↑", "立方体 ( モデリング )"};
  for (int i = 0; i < 6; i++) EXPECT_EQ(Drive_ListText(g_Undo.list, lines - 6 + i), labels[i]);

  // Saved through the File menu; modeldump reads the groups and the box.
  std::string saved = Drive_SaveByMenu(40024, "miravel_group_saved.KZP");
  std::string dump = Drive_ModelDump(saved);
  // The polygon count of the group whose colour is given.
  auto Count = [&](const char *colour) {
    size_t at = dump.find(colour);
    if (at == std::string::npos) return std::string("no group");
    size_t n = dump.find("\"polygons\":", at), end = dump.find('}', n);
    return n == std::string::npos ? std::string("none") : dump.substr(n, end - n);
  };
  EXPECT_EQ(Count("\"color\":[40,50,60,255]"), "\"polygons\":18") << dump;
  EXPECT_EQ(Count("\"color\":[10,20,30,128]"), "\"polygons\":6") << dump;
  EXPECT_NE(dump.find("\"bbox\":[[-1,-1,-6.5],[4.5,5.5,1]]"), std::string::npos) << dump;

  // "決定" with the fields as shown (the height to three decimals, the colour as a whole
  // number) leaves the group and the model's values exact.
  m->dispScale = 0.2756f;
  m->groups[0].r = 127.6f;
  g_AppShell.panels[SUB_3D_POLY][PANEL_GROUP].flags = 1;
  EXPECT_TRUE(Drive_PumpUntil([&] { return Text(panel, IDC_GRP_RED) == "127"; }, 200));
  EXPECT_EQ(Text(panel, IDC_GRP_DISP_HEIGHT), "0.276");
  const Group3 group = m->groups[0];
  const i16 divisions = m->refineLevel;
  Drive_Command(panel, IDC_GRP_APPLY);
  EXPECT_EQ(memcmp(&group, &m->groups[0], sizeof group), 0);
  EXPECT_EQ(m->dispScale, 0.2756f);
  // "分割数" beyond its range gets the field's message and keeps the count; "赤" beyond 255 is
  // stored clamped and shown as stored.
  int boxes = 0;
  static int *s_Boxes;
  s_Boxes = &boxes;
  g_ModalHooks.messageBox = [](HWND, const char *, const char *, UINT) { ++*s_Boxes; return IDOK; };
  SetDlgItemTextA(panel, IDC_GRP_DIVISIONS, "70000");
  SetDlgItemTextA(panel, IDC_GRP_RED, "300");
  Drive_Command(panel, IDC_GRP_APPLY);
  g_ModalHooks.messageBox = nullptr;
  EXPECT_EQ(boxes, 1);
  EXPECT_EQ(m->refineLevel, divisions);
  EXPECT_EQ(m->groups[0].r, 255.0f);
  EXPECT_TRUE(Drive_PumpUntil([&] { return Text(panel, IDC_GRP_RED) == "255"; }, 200)) << Text(panel, IDC_GRP_RED);
  EXPECT_EQ(Text(panel, IDC_GRP_DIVISIONS), std::to_string(divisions));

  Drive_End("miravel_settings_group");
  DeleteFileA(path.c_str());
  DeleteFileA(saved.c_str());
}

// Ends with the tests' result, past the Wine teardown that now and then hangs or crashes.
const ::testing::Environment *const kEndWithResult = ::testing::AddGlobalTestEnvironment(new Drive_EndWithResult);
