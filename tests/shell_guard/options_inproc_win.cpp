// The options dialog's polygon limit in the running program: the box is read when the dialog
// closes, and the dialog shows the options again after every click on a check box; a limit
// typed before such a click must still be there, and taken, at the close. A stored limit that
// changes meanwhile is shown instead.
#include "guard_drive.h"

#include "app/options.h"
#include "app/shell_options.h"

namespace {

std::string LimitShown(HWND dlg) {
  char text[OPTIONS_TEXT] = "";
  GetDlgItemTextA(dlg, IDC_OPT_MAX_POLYGONS, text, sizeof text);
  return text;
}

struct LimitCase {
  const char *what;
  i32 storedMeanwhile;   // the stored limit changed after the typing (0: left alone)
  const char *shown;     // what the box shows after the click's refresh
  i32 taken;             // the stored limit once the dialog closed
};

const LimitCase kCases[] = {
    {"a click on a box keeps the typed limit", 0, "30000", 30000},
    {"a stored limit that changed is shown instead", 12000, "12000", 12000},
};

}  // namespace

TEST(OptionsLimit, ATypedLimitOutlastsTheRefreshOfAClick) {
  Guard_Start("miravel_guard");
  const i32 keep = g_Options.g_OptMaxPolygons;
  for (const LimitCase &c : kCases) {
    g_Options.g_OptMaxPolygons = 20000;
    SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_OPTIONS, 0);
    HWND dlg = (HWND)g_OptionDlg.window;
    ASSERT_NE(dlg, nullptr) << c.what;
    ASSERT_TRUE(Drive_PumpUntil([&] { return LimitShown(dlg) == "20000"; }, 3000)) << c.what;
    SetDlgItemTextA(dlg, IDC_OPT_MAX_POLYGONS, "30000");
    if (c.storedMeanwhile) g_Options.g_OptMaxPolygons = c.storedMeanwhile;
    const u32 grid = g_Options.g_OptGrid;
    Drive_Command(dlg, IDC_OPT_GRID);   // the option turns, and the dialog is to show it
    EXPECT_TRUE(Drive_PumpUntil([&] { return g_Options.g_OptionDlgRefresh == 0; }, 3000)) << c.what;
    EXPECT_EQ(LimitShown(dlg), c.shown) << c.what;
    Drive_Command(dlg, IDC_OPT_GRID);
    Drive_Command(dlg, IDC_OPT_CLOSE);
    EXPECT_EQ(g_Options.g_OptGrid, grid) << c.what;
    EXPECT_EQ(g_OptionDlg.window, nullptr) << c.what;
    EXPECT_EQ(g_Options.g_OptMaxPolygons, c.taken) << c.what;
  }
  g_Options.g_OptMaxPolygons = keep;
}
