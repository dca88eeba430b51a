// The settings file: the defaults are byte-identical to the golden file, a save reads back
// to the same state, and every refused file (bad id, rectangle out of range, truncation,
// too many views, wrong table counts) leaves all defaults. The option clamps.
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string>
#include <vector>
#include <unistd.h>

#include "app/settings.h"
#include "app/shell_options.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/shell_ids.h"
#include "app/views.h"
#include "file_bytes.h"
#include "app/options.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/view_record.h"
#include "shell_fixture.h"

namespace {

std::vector<u8> ReadGolden(const char *name) {
  const char *src = getenv("MIRAVEL_SRC");
  return ReadFileBytes(std::string(src ? src : ".") + "/tests/golden/app/" + name);
}

void FakeSetVSync(u32 on) { g_Lib.flags.vsync = (u8)on; }

void FreshDefaults() {
  Shell_ResetForTest();
  g_ShellSeam.setVSync = FakeSetVSync;
  g_Lib.desktopWidth = 1280;
  g_Options.g_MainWndRect[0] = 0; g_Options.g_MainWndRect[1] = 0; g_Options.g_MainWndRect[2] = 1280; g_Options.g_MainWndRect[3] = 1024;
  memset(g_Options.g_SettingsReserved, 0, sizeof g_Options.g_SettingsReserved);
  memset(&g_AppShell, 0, sizeof g_AppShell);
  g_Lib.optAntialias = 0;
  g_Lib.optLight = 1;
  g_Options.g_OptShadow = 0;
  g_Options.g_PolySavedOption = 0;
  g_Options.g_OptUpdateEditedViewOnly = 0;
  Settings_SetDefaults();
}

std::vector<u8> Encode() {
  ByteWriter w = {};
  Settings_Encode(&w);
  return TakeWriterBytes(&w);
}

void PutI32(std::vector<u8> &b, size_t at, i32 v) {
  for (int i = 0; i < 4; i++) b[at + i] = (u8)((u32)v >> (8 * i));
}

// Changes many settings away from the defaults.
void ChangeEverything() {
  g_Options.g_MainWndRect[0] = -8; g_Options.g_MainWndRect[1] = 12; g_Options.g_MainWndRect[2] = 900; g_Options.g_MainWndRect[3] = 700;
  g_Options.g_SettingsReserved[3] = 77;
  g_Options.g_OptUpdateEditedViewOnly = 1;
  g_Lib.optAntialias = 1;
  g_Options.g_OptShadow = 30;
  g_Options.g_OptGrid = 0;
  g_Options.g_OptToon = 1;
  g_Options.g_OptMaxPolygons = 20000;
  g_Sel.g_PolyNoAutoPick = 0;
  g_Options.g_OptReverseWheel = 1;
  g_Shell.g_ViewCount[14] = 6;
  g_Shell.g_Views[14][2].inUse = 0;   // closed before exit
  g_Shell.g_Views[14][5].inUse = 1;
  g_Shell.g_Views[14][5].x = 33; g_Shell.g_Views[14][5].y = 44; g_Shell.g_Views[14][5].w = 250; g_Shell.g_Views[14][5].h = 210;
  g_Shell.g_Views[14][5].kind = VIEW_SIDE;
  g_Shell.g_Views[14][5].extra[10] = 99;
  g_AppShell.panels[11][3].x = 500;
  g_AppShell.panels[23][7].h = 123;
  Str_Copy(g_AppShell.progFolder, 256, "C:\\scripts");
  Str_Copy(g_AppShell.progFile, 256, "main.txt");
  g_AppShell.cpuOccupy[14] = 1;
  g_AppShell.vsync[0] = 0;
  g_Lib.flags.vsync = 1;
  Lib_SetCpuOccupy(1);
}

}  // namespace

TEST(Settings, DefaultFileMatchesGolden) {
  FreshDefaults();
  std::vector<u8> golden = ReadGolden("settings_default.dat");
  ASSERT_EQ(golden.size(), 10359u);
  std::vector<u8> bytes = Encode();
  EXPECT_EQ(bytes.size(), golden.size());
  EXPECT_TRUE(bytes == golden);
}

TEST(Settings, DefaultsOfAFreshInstallation) {
  FreshDefaults();
  for (int L = 0; L < 24; L++) {
    EXPECT_EQ(g_Shell.g_ViewCount[L], 4);
    EXPECT_EQ(g_AppShell.vsync[L], (L == 0 || L >= 19) ? 1 : 0) << L;
    EXPECT_EQ(g_AppShell.cpuOccupy[L], 0);
  }
  EXPECT_EQ(g_Shell.g_Views[7][1].x, 96);  EXPECT_EQ(g_Shell.g_Views[7][1].y, 256);
  EXPECT_EQ(g_Shell.g_Views[7][2].x, 192); EXPECT_EQ(g_Shell.g_Views[7][2].y, 44);
  EXPECT_EQ(g_Shell.g_Views[7][3].x, 600); EXPECT_EQ(g_Shell.g_Views[7][3].y, 256);
  EXPECT_EQ(g_Shell.g_Views[7][0].zoom, 3.2f);
  EXPECT_EQ(g_Shell.g_Views[7][0].panY, 8.0f);
  EXPECT_EQ(g_Shell.g_Views[7][3].kind, 3u);
  EXPECT_EQ(g_Options.g_Group2DDlg.x, 1280 - 262);
  // At 1024 x 768 the movie's side views start beside its Pers view (4), all five apart
  // between the mode panel's column, the actor dialogs and the key dialog; other layouts keep theirs.
  g_Lib.desktopWidth = 1024, g_Lib.desktopHeight = 768;
  Settings_SetDefaults();
  struct { i32 l, t, r, b; } r[5];
  for (u32 i = 1; i < 5; i++) {
    ViewRecord v = g_Shell.g_Views[FAMILY_MOVIE][i];
    if (i == 4) View_MovieCompactRect(4, 1024, 768, &v.x, &v.y, &v.w, &v.h);
    r[i] = {v.x, v.y, v.x + v.w, v.y + v.h};
    EXPECT_TRUE(v.x >= 150 && v.y >= 44 && r[i].r <= 1024 - 325 && r[i].b <= 768 - 232 && v.w >= 216) << i;
    for (u32 k = 1; k < i; k++) EXPECT_TRUE(r[k].r <= v.x || r[i].r <= r[k].l || r[k].b <= v.y || r[i].b <= r[k].t) << k << i;
  }
  EXPECT_EQ(g_Shell.g_Views[7][1].x, 96);
  g_Lib.desktopWidth = 1280, g_Lib.desktopHeight = 0;
}

TEST(Settings, RoundTripRestoresEveryStoredField) {
  FreshDefaults();
  ChangeEverything();
  std::vector<u8> saved = Encode();
  FreshDefaults();
  ASSERT_TRUE(Settings_Decode(saved.data(), saved.size()));
  EXPECT_EQ(Encode(), saved);
  EXPECT_EQ(g_Options.g_MainWndRect[0], -8);
  EXPECT_EQ(g_Options.g_OptMaxPolygons, 20000);
  EXPECT_EQ(g_Lib.optAntialias, 1);
  EXPECT_EQ(g_Options.g_OptReverseWheel, 1);
  EXPECT_EQ(g_Shell.g_ViewCount[14], 6);
  EXPECT_EQ(g_Shell.g_Views[14][2].inUse, 0u);
  EXPECT_EQ(g_Shell.g_Views[14][5].kind, (u32)VIEW_SIDE);
  EXPECT_EQ(g_Shell.g_Views[14][5].w, 250);
  EXPECT_EQ(g_Shell.g_Views[14][5].shown, 1u);   // a stored extra view gets its window again
  EXPECT_GT(g_Shell.g_Views[14][5].zoom, 0.0f);
  EXPECT_STREQ(g_AppShell.progFile, "main.txt");
  EXPECT_EQ(g_AppShell.cpuOccupy[14], 1);
  EXPECT_EQ(Lib_GetCpuOccupy(), 1);   // the flags in effect come back
  EXPECT_EQ(g_Lib.flags.vsync, 1);
  EXPECT_EQ(Settings_PeekMaxPolygons(saved.data(), saved.size()), 20000);
}

TEST(Settings, RefusedFilesLeaveAllDefaults) {
  FreshDefaults();
  ChangeEverything();
  const std::vector<u8> good = Encode();
  FreshDefaults();
  const std::vector<u8> defaults = Encode();

  std::vector<std::vector<u8>> bad;
  std::vector<u8> b = good; PutI32(b, 0, 2005061); bad.push_back(b);          // another id
  b = good; PutI32(b, 4, -33); bad.push_back(b);                              // x below -32
  b = good; PutI32(b, 16, 10001); bad.push_back(b);                           // height above 10000
  b = good; PutI32(b, 88, 9); bad.push_back(b);                               // 9 views in layout 0
  b = good; PutI32(b, 88, -1); bad.push_back(b);                              // negative count
  b = good; b.resize(good.size() - 1); bad.push_back(b);                      // truncated at the end
  b = good; b.resize(100); bad.push_back(b);                                  // truncated in the views
  b = good; b.resize(3); bad.push_back(b);                                    // not even an id
  for (size_t i = 0; i < bad.size(); i++) {
    FreshDefaults();
    EXPECT_FALSE(Settings_Decode(bad[i].data(), bad[i].size())) << i;
    EXPECT_EQ(Encode(), defaults) << i;
    EXPECT_EQ(Settings_PeekMaxPolygons(bad[i].data(), bad[i].size()), -1) << i;
  }
}

TEST(Settings, TableCountsOtherThanTheLayoutsAreRefused) {
  FreshDefaults();
  const std::vector<u8> good = Encode();
  // The layout and panel counts sit right after the 24 view layouts.
  const size_t counts = good.size() - 1 - 48 - 4 - 2 - 512 - 24 * 8 * 16 - 8;
  for (int which = 0; which < 3; which++) {
    std::vector<u8> b = good;
    size_t at = which == 0 ? counts : which == 1 ? counts + 4 : good.size() - 1 - 48 - 4;
    PutI32(b, at, which == 1 ? 9 : 25);
    FreshDefaults();
    EXPECT_FALSE(Settings_Decode(b.data(), b.size())) << which;
  }
  FreshDefaults();
  EXPECT_TRUE(Settings_Decode(good.data(), good.size()));
}

TEST(Settings, AntialiasReadsOnlyTheLowByteOfItsSlot) {
  FreshDefaults();
  std::vector<u8> b = Encode();
  PutI32(b, 56, 0x7F7F7F01);
  ASSERT_TRUE(Settings_Decode(b.data(), b.size()));
  EXPECT_EQ(g_Lib.optAntialias, 1);
}

TEST(Options, PolygonLimitClamps) {
  EXPECT_EQ(Options_ParseMaxPolygons("5"), 10000);
  EXPECT_EQ(Options_ParseMaxPolygons("70000"), 65000);
  EXPECT_EQ(Options_ParseMaxPolygons("abc"), 10000);
  EXPECT_EQ(Options_ParseMaxPolygons("32000"), 32000);
  EXPECT_EQ(Options_ParseMaxPolygons("99999999999999999999"), 65000);
  EXPECT_EQ(Options_ParseMaxPolygons(""), 10000);
  EXPECT_EQ(Options_ParseMaxPolygons(nullptr), 10000);
}

TEST(Settings, SaveWritesAtomicallyAndLoadReadsTheDesktopWidthsFile) {
  char dir[] = "/tmp/miravel_settings_XXXXXX";
  ASSERT_TRUE(mkdtemp(dir));
  std::string sys = std::string(dir) + "/System";
  ASSERT_EQ(system(("mkdir -p " + sys).c_str()), 0);
  char old[512];
  ASSERT_TRUE(getcwd(old, sizeof old));
  ASSERT_EQ(chdir(dir), 0);
  FreshDefaults();
  ChangeEverything();
  Settings_Save();
  std::vector<u8> saved = Encode();
  FreshDefaults();
  g_Lib.desktopWidth = 1024;   // another desktop width: another file, defaults stay
  Settings_Load();
  EXPECT_EQ(g_Options.g_OptMaxPolygons, 65000);
  g_Lib.desktopWidth = 1280;
  Settings_Load();
  EXPECT_EQ(g_Options.g_OptMaxPolygons, 20000);
  EXPECT_EQ(Encode(), saved);
  EXPECT_EQ(system("ls System | grep -q '~sav'"), 256);   // the temporary file was swapped in
  ASSERT_EQ(chdir(old), 0);
  system(("rm -rf " + std::string(dir)).c_str());
}

// A polygon limit out of range in a file is clamped as a typed one is, by the decoder and by
// the early peek alike (the library would size its arrays by a bad value).
TEST(Settings, StoredPolygonLimitClampsLikeATypedOne) {
  const struct { i32 stored, want; } cases[] = {{5, 10000}, {-1, 10000}, {70000, 65000}, {2000000000, 65000}, {32000, 32000}};
  for (const auto &c : cases) {
    FreshDefaults();
    g_Options.g_OptMaxPolygons = c.stored;
    std::vector<u8> file = Encode();
    FreshDefaults();
    ASSERT_TRUE(Settings_Decode(file.data(), file.size())) << c.stored;
    EXPECT_EQ(g_Options.g_OptMaxPolygons, c.want) << c.stored;
    EXPECT_EQ(Settings_PeekMaxPolygons(file.data(), file.size()), c.want) << c.stored;
  }
}

// The box, the layout's byte and the device agree after every toggle, also when the device
// state differed from the layout's byte before (the box showed the byte, the old click
// turned the device, so the first click seemed to do nothing).
TEST(Options, VSyncToggleFlipsTheLayoutsByteAndPutsItInEffect) {
  FreshDefaults();
  static u32 s_inEffect = 7;
  g_ShellSeam.setVSync = [](u32 on) { s_inEffect = on; };
  g_Shell.g_EditSubMode = 14;
  g_AppShell.vsync[14] = 1;   // what the box shows
  s_inEffect = 0;             // what the device does
  for (u8 want : {0, 1, 0}) {
    g_Options.g_OptionDlgRefresh = 0;
    Options_ToggleVSync(View_CurrentLayout());
    EXPECT_EQ(g_AppShell.vsync[14], want);
    EXPECT_EQ(s_inEffect, want);
    EXPECT_EQ(g_Options.g_OptionDlgRefresh, 1u);
  }
  g_AppShell.cpuOccupy[14] = 0;
  Lib_SetCpuOccupy(1);
  Options_ToggleCpuOccupy(View_CurrentLayout());
  EXPECT_EQ(g_AppShell.cpuOccupy[14], 1);
  EXPECT_EQ(Lib_GetCpuOccupy(), 1);
  g_ShellSeam.setVSync = nullptr;
  g_Shell.g_EditSubMode = 0;
}

// A settings folder of its own names the file there; one too long for the name is no name
// (nothing read or written) rather than a cut path that points elsewhere.
TEST(Settings, OwnFolderNamesTheFileThereOrNothing) {
  char path[300];
  Str_Copy(g_Options.g_SettingsFolder, sizeof g_Options.g_SettingsFolder, "");
  Settings_FilePath(path, sizeof path, 1280);
  EXPECT_STREQ(path, "System/System1280.dat");
  ASSERT_TRUE(Settings_SetFolder("Z:\\tmp\\own"));
  Settings_FilePath(path, sizeof path, 1280);
  EXPECT_STREQ(path, "Z:\\tmp\\own/System1280.dat");
  std::string longer(250, 'a');
  ASSERT_TRUE(Settings_SetFolder(longer.c_str()));
  Settings_FilePath(path, 64, 1280);
  EXPECT_STREQ(path, "");
  EXPECT_FALSE(Settings_SetFolder(std::string(300, 'b').c_str()));
  Str_Copy(g_Options.g_SettingsFolder, sizeof g_Options.g_SettingsFolder, "");
}
