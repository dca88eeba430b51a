// Vertical sync in the running program with every family installed as WinMain installs them:
// F3, the options box and the layout's own byte change it in every family and sub-mode after
// any number of family switches, the device keeps drawing, and the byte, the box, the
// library and the device's present interval always agree.
#include "app/settings.h"
#include "app/shell_options.h"
#include "app/shell_view.h"
#include "guard_drive.h"

namespace {

// The layout's byte, the library's flag and the device's present parameters: one value.
void ExpectVSyncAgrees(const char *where) {
  u32 layout = g_Shell.g_EditSubMode;
  u8 byte = g_AppShell.vsync[layout] ? 1 : 0;
  EXPECT_EQ(Lib_IsVSync(), byte) << where << " layout " << layout;
  UINT interval = byte ? D3DPRESENT_INTERVAL_ONE : D3DPRESENT_INTERVAL_IMMEDIATE;
  EXPECT_EQ(g_D3DAppWin.presentParams.PresentationInterval, interval) << where << " layout " << layout;
  if (g_OptionDlg.window) {
    Guard_Wait(150);   // the dialog shows the options again on its 50-ms timer
    bool ticked = SendDlgItemMessageA((HWND)g_OptionDlg.window, IDC_OPT_VSYNC, BM_GETCHECK, 0, 0) == BST_CHECKED;
    EXPECT_EQ(ticked, byte != 0) << where << ": the options box shows the layout's byte";
  }
}

// F3 twice: the byte turns and turns back, the device follows each time and frames go on.
void F3Twice(const char *where) {
  u8 before = g_AppShell.vsync[g_Shell.g_EditSubMode];
  Guard_Key(VK_F3);
  EXPECT_NE(g_AppShell.vsync[g_Shell.g_EditSubMode], before) << where;
  ExpectVSyncAgrees(where);
  EXPECT_TRUE(Guard_Frames(2)) << where;
  Guard_Key(VK_F3);
  EXPECT_EQ(g_AppShell.vsync[g_Shell.g_EditSubMode], before) << where;
  ExpectVSyncAgrees(where);
  EXPECT_TRUE(Guard_Frames(2)) << where;
}

TEST(VSync, F3AfterAFamilySwitchKeepsDrawingInTheSubModes) {
  Guard_Start("miravel_guard");
  // The steps of the crash: preview, back to the 3D editor, a right click in the Front view,
  // F3, then the sub-mode buttons.
  ASSERT_TRUE(Guard_Family(IDC_EDIT_PREVIEW, FAMILY_PREVIEW));
  ASSERT_TRUE(Guard_Family(IDC_EDIT_3D_MODEL, FAMILY_3D_MODEL));
  HWND front = Drive_FrontView(g_Shell.g_EditSubMode);
  ASSERT_NE(front, nullptr);
  Drive_Click(front, WM_RBUTTONDOWN, WM_RBUTTONUP, 50, 50);
  Guard_Key(VK_F3);
  ExpectVSyncAgrees("3D after F3");
  for (int id : {IDC_M3D_TEXTURE, IDC_M3D_BONE, IDC_M3D_OBJECT, IDC_M3D_WEIGHT, IDC_M3D_MOTION, IDC_M3D_POLY}) {
    Drive_Press3D(id);
    EXPECT_TRUE(Guard_Frames(2)) << "sub-mode " << g_Shell.g_EditSubMode;
    ExpectVSyncAgrees("3D sub-mode");
  }
}

TEST(VSync, EveryFamilyAndSubModeTakesItsLayoutsByteAndF3) {
  Guard_Start("miravel_guard");
  // With the options dialog open, so that its box is checked against the byte too.
  Guard_Key('O');
  ASSERT_NE(g_OptionDlg.window, nullptr);
  for (int round = 0; round < 2; round++) {
    for (const GuardFamily &f : kGuardFamilies) {
      ASSERT_TRUE(Guard_Family(f.button, f.family)) << f.name;
      ExpectVSyncAgrees(f.name);   // the layout's byte in effect on entry
      F3Twice(f.name);
      for (int i = 0; i < f.subModeCount; i++) {
        f.press(f.subModes[i]);
        EXPECT_TRUE(Guard_Frames(1)) << f.name << " sub-mode " << g_Shell.g_EditSubMode;
        ExpectVSyncAgrees(f.name);
        if (round == 1 && i == 0) F3Twice(f.name);
      }
    }
  }
  // The options box turns it as F3 does.
  ASSERT_TRUE(Guard_Family(IDC_EDIT_COLLISION, FAMILY_COLLISION));
  u8 before = g_AppShell.vsync[g_Shell.g_EditSubMode];
  Drive_Command(g_OptionDlg.window, IDC_OPT_VSYNC);
  Guard_PumpIdle(3);
  EXPECT_NE(g_AppShell.vsync[g_Shell.g_EditSubMode], before);
  ExpectVSyncAgrees("options box");
  Drive_Command(g_OptionDlg.window, IDC_OPT_VSYNC);
  Guard_PumpIdle(3);
  ExpectVSyncAgrees("options box again");
  Drive_Command(g_OptionDlg.window, IDC_OPT_CLOSE);
  Guard_PumpIdle(3);
}

TEST(VSync, AFamilyChangeBetweenDifferentBytesPutsTheNewOneInEffect) {
  Guard_Start("miravel_guard");
  // The 3D polygon layout off, the effect layout on (and the other way round): the switch
  // alone changes the device, and the effect family's hint shows exactly when it is off.
  for (u8 effectByte : {1, 0}) {
    ASSERT_TRUE(Guard_Family(IDC_EDIT_3D_MODEL, FAMILY_3D_MODEL));
    g_AppShell.vsync[SUB_3D_POLY] = effectByte ? 0 : 1;
    g_AppShell.vsync[FAMILY_EFFECT] = effectByte;
    g_Options.g_OptionDlgRefresh = 1;
    Guard_PumpIdle(3);
    ExpectVSyncAgrees("3D");
    ASSERT_TRUE(Guard_Family(IDC_EDIT_EFFECT, FAMILY_EFFECT));
    EXPECT_EQ(Lib_IsVSync(), effectByte);
    ExpectVSyncAgrees("effect");
    EXPECT_TRUE(Guard_Frames(2));
  }
}

const ::testing::Environment *const kEndWithResult = ::testing::AddGlobalTestEnvironment(new Drive_EndWithResult);

}  // namespace

