// The undo panel in process: "UNDO_DLG" with its caption and buttons; three labelled steps
// show as three lines with the last selected; choosing line 0 brings back the model of
// step 0 (saved as KZP, byte-identical to the file saved at step 0); "アンドゥ( U )" and
// "リドゥ( I )" step once each.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdio.h>

#include <string>
#include <vector>

#include "app/shell_view.h"
#include "model_shown.h"
#include "file_bytes.h"
#include "app/current.h"
#include "app/family.h"
#include "app/settings.h"
#include "edit3d/undo.h"
#include "edit3d/undo_win.h"
#include "model/kzp.h"
#include "model/model3.h"
#include "resources/edit3d_ids.h"
#include "test_models.h"

namespace {

std::string TempPath(const char *name) {
  char dir[MAX_PATH];
  GetTempPathA(sizeof dir, dir);
  return std::string(dir) + name;
}

std::string Text(HWND dlg, int id) {
  char buf[256] = {};
  GetWindowTextA(id ? GetDlgItem(dlg, id) : dlg, buf, sizeof buf);
  return buf;
}

std::vector<std::string> Lines(HWND list) {
  std::vector<std::string> v;
  i32 n = (i32)SendMessageA(list, LB_GETCOUNT, 0, 0);
  for (i32 i = 0; i < n; i++) {
    char buf[256] = {};
    SendMessageA(list, LB_GETTEXT, (WPARAM)i, (LPARAM)buf);
    v.push_back(buf);
  }
  return v;
}

void Record(const char *label) {
  Str_Copy(g_Shell.g_UndoLabel, sizeof g_Shell.g_UndoLabel, label);
  Undo_Push(Undo_Current());
}

// A click or a list selection as the control reports it to the panel.
void Notify(HWND dlg, int id, int code) {
  SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, code), (LPARAM)GetDlgItem(dlg, id));
}

}  // namespace

TEST(UndoPanel, ListsStepsAndWalksBackToAChosenLine) {
  g_MaxPolygons = 64;
  g_MaxVertices = 256;
  Model3 *m = TestModel_Slot3D(SUB_3D_POLY);
  ASSERT_NE(m, nullptr);
  Undo_InstallWin();
  Undo_ResetAll();

  HWND dlg = CreateDialogParamA(GetModuleHandleA(nullptr), "UNDO_DLG", nullptr, Undo_DlgProc, 0);
  ASSERT_NE(dlg, nullptr);
  g_AppShell.panels[SUB_3D_POLY][UNDO_PANEL_HOLDER].window = dlg;
  HWND list = GetDlgItem(dlg, IDC_UNDO_LIST);
  g_Undo.list = list;
  EXPECT_EQ(Text(dlg, 0) + Text(dlg, IDC_UNDO_UNDO) + Text(dlg, IDC_UNDO_REDO), "アンドゥ＆リドゥアンドゥ( U )リドゥ( I )");

  // Step 0: one triangle, saved.
  TestModel_Triangle(m, 1);
  Record("三角形");
  std::string step0 = TempPath("miravel_undo_step0.KZP"), chosen = TempPath("miravel_undo_chosen.KZP");
  ASSERT_TRUE(Shown(Kzp_Write, m, step0.c_str()));
  // Step 1: a second triangle; step 2: a bone.
  m->positions[3] = {1, 1, 0};
  m->positionCount = 4;
  m->polygons[1] = m->polygons[0];
  m->polygons[1].corners[0].vertex = 3;
  m->polygonCount = 2;
  Record("面追加");
  m->boneCount = 3;
  m->bones[2].parent = 1;
  Str_Copy(m->bones[2].name, MODEL3_NAME, "腕");
  m->boneRest[2].pos[1] = 2.0f;
  Record("ボーン追加");

  EXPECT_EQ(Lines(list), (std::vector<std::string>{"三角形", "面追加", "ボーン追加"}));
  EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 2);

  // Choosing line 0 as the user does: the selection changes, then the list notifies.
  SendMessageA(list, LB_SETCURSEL, 0, 0);
  Notify(dlg, IDC_UNDO_LIST, LBN_SELCHANGE);
  EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 0);
  ASSERT_TRUE(Shown(Kzp_Write, g_Model3Slots[0], chosen.c_str()));
  std::vector<u8> want = ReadFileBytes(step0), got = ReadFileBytes(chosen);
  EXPECT_TRUE(!want.empty() && want == got) << want.size() << " / " << got.size() << " bytes";

  Notify(dlg, IDC_UNDO_REDO, BN_CLICKED);
  EXPECT_EQ(g_Model3Slots[0]->polygonCount, 2);
  EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 1);
  Notify(dlg, IDC_UNDO_UNDO, BN_CLICKED);
  EXPECT_EQ(g_Model3Slots[0]->polygonCount, 1);
  EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 0);

  DestroyWindow(dlg);
  g_Undo.list = nullptr;
  DeleteFileA(step0.c_str());
  DeleteFileA(chosen.c_str());
  Model3_FreeAllSlots();
}
