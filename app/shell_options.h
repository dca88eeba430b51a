// g_Options: the options and window placements the settings file keeps (app/settings.h
// reads and writes the file). The fields keep the names the code has always used for them;
// each group names the files that may write it ("writers:", checked by the build,
// tools/hookcheck writes).
#pragma once
#include "model/types.h"
#include "app/shell_ids.h"

// The options and the placements the settings file keeps. The options dialog and the keys
// change the options, the settings file's decoder everything it keeps, the main window and
// the 2D group panel their placements when they move. g_Lib.optAntialias and g_Lib.optLight are the
// library's (lib/framework/lib.h, Lib_SetOptions).
struct AppOptions {
  // writers: app/settings.cpp app/options.cpp app/startup_win.cpp
  u8 g_OptReverseWheel;         // "マウスホイールの回転を逆にする"
  u32 g_OptUpdateEditedViewOnly;
  i32 g_OptShadow;
  i32 g_PolySavedOption;
  u32 g_OptGrid;                // 1 from Settings_SetDefaults on (nothing is drawn before the shell starts)
  u32 g_OptToon;
  i32 g_OptMaxPolygons = 65000;
  u32 g_ToonInEffect;           // the toon option the library applies now; writers: app/settings.cpp
  u32 g_OptionDlgRefresh;       // the options dialog shows the options again when 1; writers: app/options.cpp app/family.cpp app/update.cpp app/shell_win.cpp
  i32 g_MainWndRect[4];         // writers: app/settings.cpp app/startup_win.cpp app/shell_win.cpp
  i32 g_SettingsReserved[8];
  WindowHolder g_Group2DDlg;    // "2D_GROUP_DLG" (the 2D editor's group panel; not kept in the file); writers: app/settings.cpp edit2d/
  // A folder of its own for the settings file (tests and screenshots, so that they neither
  // read the user's settings nor leave a file in the data folder); empty for the data folder.
  char g_SettingsFolder[256];
};
extern AppOptions g_Options;
