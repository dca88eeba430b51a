// The options dialog's decisions through its portable handler: each control flips its option
// (the two shadow boxes share one), the vsync and CPU boxes work on the current layout's byte
// and put it in effect, the close button takes the clamped limit, other ids are not the
// dialog's; what the controls then show follows.
#include <gtest/gtest.h>

#include "app/options.h"
#include "app/settings.h"
#include "app/shell_options.h"
#include "app/shell_view.h"
#include "app/update.h"
#include "lib/framework/lib_state.h"
#include "resources/shell_ids.h"
#include "shell_fixture.h"

namespace {

u32 g_vsyncInEffect, g_antialiasAsked;

struct Shown {
  OptionsShown s;
  bool On(i32 id) const {
    for (const auto &c : s.checks)
      if (c.id == id) return c.on != 0;
    ADD_FAILURE() << "no check box " << id;
    return false;
  }
};

Shown Show() {
  Shown out;
  Options_Show(&out.s);
  return out;
}

void Fresh() {
  Shell_ResetForTest();
  memset(&g_AppShell, 0, sizeof g_AppShell);
  g_ShellSeam.setVSync = [](u32 on) { g_vsyncInEffect = on; };
  g_ShellSeam.setAntialias = [](u32 on) { g_antialiasAsked = on; };
  g_vsyncInEffect = g_antialiasAsked = 9;
  g_Options.g_OptUpdateEditedViewOnly = 0;
  g_Lib.optAntialias = 0;
  g_Options.g_OptGrid = 1;
  g_Lib.optLight = 1;
  g_Options.g_OptShadow = 0;
  g_Options.g_OptToon = 0;
  g_Options.g_OptMaxPolygons = 65000;
  Lib_SetCpuOccupy(0);
  g_Shell.g_EditSubMode = 3;
  g_Options.g_OptionDlgRefresh = 0;
}

TEST(OptionsDialog, EachControlDecidesItsOption) {
  struct Case {
    const char *what;
    i32 id;
    const char *limitText;
    OptionsAnswer answer;
    void (*check)(void);
    void (*before)(void);   // state the click meets, beyond the fresh defaults
  };
  const Case cases[] = {
    {"edited view only", IDC_OPT_EDITED_VIEW_ONLY, nullptr, OPTIONS_CHANGED, [] {
       EXPECT_EQ(g_Options.g_OptUpdateEditedViewOnly, 1u);
       EXPECT_TRUE(Show().On(IDC_OPT_EDITED_VIEW_ONLY));
     }},
    {"antialias asks the device", IDC_OPT_ANTIALIAS, nullptr, OPTIONS_CHANGED, [] {
       EXPECT_EQ(g_antialiasAsked, 1u);
       EXPECT_EQ(g_Lib.optAntialias, 0);   // the device (none here) decides
     }},
    {"grid off", IDC_OPT_GRID, nullptr, OPTIONS_CHANGED, [] {
       EXPECT_EQ(g_Options.g_OptGrid, 0u);
       EXPECT_FALSE(Show().On(IDC_OPT_GRID));
     }},
    {"light off", IDC_OPT_LIGHT, nullptr, OPTIONS_CHANGED, [] { EXPECT_EQ(g_Lib.optLight, 0u); }},
    {"reverse wheel", IDC_OPT_REVERSE_WHEEL, nullptr, OPTIONS_CHANGED, [] {
       EXPECT_EQ(g_Options.g_OptReverseWheel, 1);
       EXPECT_TRUE(Show().On(IDC_OPT_REVERSE_WHEEL));
     }},
    {"vsync of the current layout", IDC_OPT_VSYNC, nullptr, OPTIONS_CHANGED, [] {
       EXPECT_EQ(g_AppShell.vsync[3], 1);
       EXPECT_EQ(g_AppShell.vsync[0], 0);
       EXPECT_EQ(g_vsyncInEffect, 1u);
       EXPECT_TRUE(Show().On(IDC_OPT_VSYNC));
     }},
    {"CPU occupy of the current layout", IDC_OPT_CPU_OCCUPY, nullptr, OPTIONS_CHANGED, [] {
       EXPECT_EQ(g_AppShell.cpuOccupy[3], 1);
       EXPECT_EQ(Lib_GetCpuOccupy(), 1);
       EXPECT_TRUE(Show().On(IDC_OPT_CPU_OCCUPY));
     }},
    {"2D shadow", IDC_OPT_SHADOW_2D, nullptr, OPTIONS_CHANGED, [] {
       EXPECT_EQ(g_Options.g_OptShadow, 20);
       EXPECT_TRUE(Show().On(IDC_OPT_SHADOW_2D));
       EXPECT_FALSE(Show().On(IDC_OPT_SHADOW_3D));
     }},
    {"3D shadow over the 2D one", IDC_OPT_SHADOW_3D, nullptr, OPTIONS_CHANGED, [] {
       EXPECT_EQ(g_Options.g_OptShadow, 30);
       EXPECT_TRUE(Show().On(IDC_OPT_SHADOW_3D));
       EXPECT_FALSE(Show().On(IDC_OPT_SHADOW_2D));
     }, [] { g_Options.g_OptShadow = 20; }},
    {"3D shadow off again", IDC_OPT_SHADOW_3D, nullptr, OPTIONS_CHANGED, [] { EXPECT_EQ(g_Options.g_OptShadow, 0); },
     [] { g_Options.g_OptShadow = 30; }},
    {"vsync off again", IDC_OPT_VSYNC, nullptr, OPTIONS_CHANGED, [] {
       EXPECT_EQ(g_AppShell.vsync[3], 0);
       EXPECT_EQ(g_vsyncInEffect, 0u);
     }, [] { g_AppShell.vsync[3] = 1; }},
    {"toon", IDC_OPT_TOON, nullptr, OPTIONS_CHANGED, [] {
       EXPECT_EQ(g_Options.g_OptToon, 1u);
       EXPECT_TRUE(Show().On(IDC_OPT_TOON));
     }},
    {"close takes the typed limit", IDC_OPT_CLOSE, "32000", OPTIONS_CLOSE, [] {
       EXPECT_EQ(g_Options.g_OptMaxPolygons, 32000);
       EXPECT_STREQ(Show().s.maxPolygons, "32000");
       EXPECT_EQ(g_Options.g_OptionDlgRefresh, 0u);
     }},
    {"close clamps a limit above the range", IDC_OPT_CLOSE, "70000", OPTIONS_CLOSE, [] { EXPECT_EQ(g_Options.g_OptMaxPolygons, 65000); }},
    {"close reads no number as the least", IDC_OPT_CLOSE, "abc", OPTIONS_CLOSE, [] { EXPECT_EQ(g_Options.g_OptMaxPolygons, 10000); }},
    {"the limit's own edit box", IDC_OPT_MAX_POLYGONS, "5", OPTIONS_NOT_MINE, [] {
       EXPECT_EQ(g_Options.g_OptMaxPolygons, 65000);
       EXPECT_EQ(g_Options.g_OptionDlgRefresh, 0u);
     }},
    {"another dialog's id", IDM_OPTIONS, nullptr, OPTIONS_NOT_MINE, [] { EXPECT_EQ(g_Options.g_OptionDlgRefresh, 0u); }},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    Fresh();
    if (c.before) c.before();
    EXPECT_EQ(Options_Command(c.id, c.limitText), c.answer);
    if (c.answer == OPTIONS_CHANGED) { EXPECT_EQ(g_Options.g_OptionDlgRefresh, 1u); }
    c.check();
  }
  g_ShellSeam = ShellSeam{};
  g_Shell.g_EditSubMode = 0;
}

}  // namespace

namespace {
int g_deviceChanges;
}

// The per-frame update puts the current layout's vsync byte in effect whenever the library's
// flag differs (a family or sub-mode change, as F3 and the box do within a layout), and
// changes nothing while they agree: the device is reset only on a real change.
TEST(OptionsDialog, ThePerFrameUpdatePutsTheLayoutsVSyncByteInEffect) {
  Fresh();
  g_ShellSeam.setVSync = [](u32 on) {
    g_deviceChanges++;
    g_Lib.flags.vsync = on ? 1 : 0;
  };
  g_Lib.flags.vsync = 0;
  g_deviceChanges = 0;
  g_AppShell.vsync[SUB_3D_POLY] = 0;
  g_AppShell.vsync[SUB_3D_BONE] = 1;
  g_AppShell.vsync[FAMILY_EFFECT] = 1;
  g_AppShell.vsync[FAMILY_COLLISION] = 1;
  struct Case { u32 family, sub; u8 vsync; int changes; };
  const Case cases[] = {
    {FAMILY_3D_MODEL, SUB_3D_POLY, 0, 0}, {FAMILY_EFFECT, FAMILY_EFFECT, 1, 1},
    {FAMILY_COLLISION, FAMILY_COLLISION, 1, 1}, {FAMILY_3D_MODEL, SUB_3D_POLY, 0, 2},
    {FAMILY_3D_MODEL, SUB_3D_BONE, 1, 3}, {FAMILY_3D_MODEL, SUB_3D_BONE, 1, 3},
  };
  for (const Case &c : cases) {
    g_Shell.g_EditFamily = c.family;
    g_Shell.g_EditSubMode = c.sub;
    App_UpdateFrame();
    App_UpdateFrame();
    EXPECT_EQ(Lib_IsVSync(), c.vsync) << c.sub;
    EXPECT_EQ(g_deviceChanges, c.changes) << c.sub;
  }
  // F3 within the layout turns byte and device together; the next pass keeps them.
  Options_ToggleVSync(View_CurrentLayout());
  App_UpdateFrame();
  EXPECT_EQ(g_AppShell.vsync[SUB_3D_BONE], 0);
  EXPECT_EQ(Lib_IsVSync(), 0);
  EXPECT_EQ(g_deviceChanges, 4);
  g_Lib.flags.vsync = 0;
}
