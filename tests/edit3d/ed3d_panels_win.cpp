// The 3D family's panels in the running shell, driven by messages: each mode button leaves
// exactly its sub-mode's panels, the current bone survives the bone list's re-creation from
// 16 to 17, layer button "3" makes layer 2 current with the undo list "記録開始", and a model
// opened into layer 0 saves the same bytes after a switch to layer 2 and back.
#include <gtest/gtest.h>
#include <windows.h>

#include <string.h>

#include <set>
#include <string>

#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "mode_walk.h"
#include "model_shown.h"
#include "app/current.h"
#include "app/family.h"
#include "app/settings.h"
#include "app/shell_win.h"
#include "app/startup_win.h"
#include "edit2d/ed2d_object_win.h"
#include "edit2d/ed2d_win.h"
#include "edit3d/ed3d.h"
#include "edit3d/ed3d_win.h"
#include "edit3d/undo_win.h"
#include "lib/framework/lib.h"
#include "lib/framework/modal_hooks.h"
#include "model/kzp.h"
#include "model/model3.h"
#include "file_bytes.h"
#include "wine_drive.h"
#include "test_models.h"

namespace {

std::set<u32> LivePanels() {
  u32 layout = g_Shell.g_EditSubMode;
  std::set<u32> s;
  if (Drive_Alive(g_Ed3D.modePanel)) s.insert(ED3D_PANEL_MODE);
  if (Drive_Alive(g_Ed3D.layer.window)) s.insert(ED3D_PANEL_LAYER);
  if (Drive_Alive(g_Ed3D.bonePanel)) s.insert(ED3D_PANEL_BONE_LIST);
  if (Drive_Alive(g_AppShell.panels[layout][PANEL_GROUP].window)) s.insert(ED3D_PANEL_GROUP);
  if (Drive_Alive(g_AppShell.panels[layout][UNDO_PANEL_HOLDER].window)) s.insert(ED3D_PANEL_UNDO);
  return s;
}

std::set<u32> PanelsOf(u32 sub) {
  std::set<u32> s;
  for (u32 k = 0; k < ED3D_PANEL_KINDS; k++)
    if ((Ed3D_PanelSet(sub) >> k) & 1) s.insert(k);
  return s;
}

std::string ListText(void *list, i32 line) {
  char buf[300] = {};
  SendMessageA((HWND)list, LB_GETTEXT, (WPARAM)line, (LPARAM)buf);
  return buf;
}

}  // namespace

TEST(Ed3DPanels, ModeButtonsLayersAndARoundTripThroughALayerSwitch) {
  // A model with three bones and two groups, opened on the command line into layer 0.
  Model3 *m = TestModel_NewTriangle(1);
  ASSERT_NE(m, nullptr);
  m->boneCount = 3;
  m->bones[2].parent = 1;
  strcpy(m->bones[2].name, "hand");
  m->groupCount = 2;
  std::string path = Drive_Temp("miravel_layers.KZP"), saved = Drive_Temp("miravel_layers_saved.KZP");
  // The file as the program writes it (a written model read back and written again).
  ASSERT_TRUE(Shown(Kzp_Write, m, path.c_str()));
  Model3_Free(m);
  g_ModelAllocArrays = 1;
  ASSERT_NE(Shown(Model3_OpenFile, 200, path.c_str()), nullptr);
  ASSERT_TRUE(Shown(Kzp_Write, g_Model3Slots[200], path.c_str()));
  Model3_FreeSlot(200);
  // Panel records left by other tests of this program name no window.
  for (auto &layout : g_AppShell.panels)
    for (WindowHolder &h : layout) h.window = nullptr;

  ASSERT_TRUE(Drive_Start3D(path, "miravel_settings_ed3d"));
  // The 2D editor installs after the 3D one, as at start-up: its panels of the same templates
  // take nothing from the 3D editor's.
  Ed2D_InstallWin();
  Ed2D_ObjInstallWin();
  ASSERT_EQ(g_Shell.g_EditFamily, (u32)FAMILY_3D_MODEL);
  ASSERT_EQ(g_Shell.g_EditSubMode, (u32)SUB_3D_POLY);
  EXPECT_EQ(LivePanels(), PanelsOf(SUB_3D_POLY));
  // Layer 0 as saved right after the open (the per-frame pass re-indexes the normals of an
  // opened model, so this, not the file itself, is what a save gives without a switch).
  std::string before = Drive_Temp("miravel_layers_before.KZP");
  ASSERT_TRUE(Shown(Kzp_Write, g_Model3Slots[0], before.c_str()));

  // The mode buttons, pressed as the user does.
  for (u32 id : kModeWalk) {
    u32 sub = Ed3D_ModeButtonSubMode(id);
    SCOPED_TRACE(sub);
    if (sub == SUB_3D_WEIGHT) g_Sel.g_CurBoneIndex = 2;
    SendMessageA((HWND)g_Ed3D.modePanel, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    Drive_Pump(20);
    EXPECT_EQ(g_Shell.g_EditSubMode, sub);
    EXPECT_EQ(LivePanels(), PanelsOf(sub));
    EXPECT_EQ(IsDlgButtonChecked((HWND)g_Ed3D.modePanel, (int)id), (UINT)BST_CHECKED);
    if (sub == SUB_3D_BONE) {
      g_Sel.g_CurBoneIndex = 2;
      EXPECT_EQ(GetWindowLongPtrA((HWND)g_Ed3D.bonePanel, DWLP_DLGPROC), (LONG_PTR)Ed3D_BoneListDlgProc);
      // The bone list shows the model's bones.
      EXPECT_EQ(SendMessageA((HWND)g_Ed3D.boneList, LB_GETCOUNT, 0, 0), 3);
      EXPECT_EQ(ListText(g_Ed3D.boneList, 2), " 2  hand ( 1 )");
    }
    if (sub == SUB_3D_WEIGHT) {
      EXPECT_EQ(g_Sel.g_CurBoneIndex, 2u);
      EXPECT_GT(SendMessageA((HWND)g_Ed3D.boneList, LB_GETSEL, 2, 0), 0);
    }
  }

  // Layer button "3": layer 2 with its first step.
  SendMessageA((HWND)g_Ed3D.layer.window, WM_COMMAND, MAKEWPARAM(IDC_LAYER_1 + 2, BN_CLICKED), 0);
  // The buttons are re-checked on the panel's 50 ms timer.
  for (int i = 0; i < 100 && !IsDlgButtonChecked((HWND)g_Ed3D.layer.window, IDC_LAYER_1 + 2); i++) {
    Drive_Pump(5);
    Sleep(10);
  }
  EXPECT_EQ(g_Sel.g_CurSlot, 2u);
  ASSERT_NE(g_Undo.list, nullptr);
  EXPECT_EQ(SendMessageA((HWND)g_Undo.list, LB_GETCOUNT, 0, 0), 1);
  EXPECT_EQ(ListText(g_Undo.list, 0), "\x8b\x4c\x98\x5e\x8a\x4a\x8e\x6e");
  EXPECT_EQ(IsDlgButtonChecked((HWND)g_Ed3D.layer.window, IDC_LAYER_1 + 2), (UINT)BST_CHECKED);

  // Back to layer 0 ("1"): the opened model, saved, gives the same bytes as before.
  SendMessageA((HWND)g_Ed3D.layer.window, WM_COMMAND, MAKEWPARAM(IDC_LAYER_1, BN_CLICKED), 0);
  Drive_Pump(20);
  EXPECT_EQ(g_Sel.g_CurSlot, 0u);
  ASSERT_NE(g_Model3Slots[0], nullptr);
  ASSERT_TRUE(Shown(Kzp_Write, g_Model3Slots[0], saved.c_str()));
  EXPECT_EQ(ReadFileBytes(saved), ReadFileBytes(before));
  EXPECT_EQ(g_Model3Slots[0]->polygonCount, 1);
  EXPECT_EQ(g_Model3Slots[0]->boneCount, 3);

  DeleteFileA(path.c_str());
  DeleteFileA(saved.c_str());
  DeleteFileA(before.c_str());
  Drive_End("miravel_settings_ed3d");
}
