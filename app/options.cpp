// The options dialog's decisions: which option a control flips, what the controls show.
#include "app/options.h"

#include <stdlib.h>

#include "app/family.h"
#include "app/settings.h"
#include "app/shell_options.h"
#include "app/shell_seam.h"
#include "app/views.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "resources/shell_ids.h"
#include "model/str.h"


// [SECTION] toggles
void Options_ToggleVSync(u32 layout) {
  u8 &on = g_AppShell.vsync[layout < VIEW_LAYOUTS ? layout : 0];
  on = on ? 0 : 1;
  if (g_ShellSeam.setVSync) g_ShellSeam.setVSync(on);
  g_Options.g_OptionDlgRefresh = 1;
}

void Options_ToggleCpuOccupy(u32 layout) {
  u8 &on = g_AppShell.cpuOccupy[layout < VIEW_LAYOUTS ? layout : 0];
  on = on ? 0 : 1;
  Lib_SetCpuOccupy(on);
  g_Options.g_OptionDlgRefresh = 1;
}

void Options_ToggleAntialias(void) {
  if (g_ShellSeam.setAntialias) g_ShellSeam.setAntialias(g_Lib.optAntialias == 1 ? 0 : 1);
  g_Options.g_OptionDlgRefresh = 1;
}

i32 Options_ClampMaxPolygons(long v) {
  if (v < OPT_MAX_POLYGONS_MIN) v = OPT_MAX_POLYGONS_MIN;
  if (v > OPT_MAX_POLYGONS_MAX) v = OPT_MAX_POLYGONS_MAX;
  return (i32)v;
}

i32 Options_ParseMaxPolygons(const char *text) {
  return Options_ClampMaxPolygons(text ? strtol(text, nullptr, 10) : 0);
}

// [SECTION] handler
OptionsAnswer Options_Command(i32 id, const char *maxPolygonsText) {
  HookCtx c = Family_ShellContext();
  switch (id) {
    case IDC_OPT_EDITED_VIEW_ONLY: g_Options.g_OptUpdateEditedViewOnly = g_Options.g_OptUpdateEditedViewOnly ? 0 : 1; break;
    case IDC_OPT_ANTIALIAS: Options_ToggleAntialias(); break;
    case IDC_OPT_GRID: g_Options.g_OptGrid = g_Options.g_OptGrid ? 0 : 1; break;
    case IDC_OPT_LIGHT: Lib_SetOptions(g_Lib.optAntialias, g_Lib.optLight ? 0 : 1); break;
    case IDC_OPT_REVERSE_WHEEL: g_Options.g_OptReverseWheel = !g_Options.g_OptReverseWheel; break;
    case IDC_OPT_VSYNC: Options_ToggleVSync(c.layout); break;
    case IDC_OPT_CPU_OCCUPY: Options_ToggleCpuOccupy(c.layout); break;
    // The two shadow boxes are one option: checking one clears the other.
    case IDC_OPT_SHADOW_2D: g_Options.g_OptShadow = g_Options.g_OptShadow == 20 ? 0 : 20; break;
    case IDC_OPT_SHADOW_3D: g_Options.g_OptShadow = g_Options.g_OptShadow == 30 ? 0 : 30; break;
    case IDC_OPT_TOON: g_Options.g_OptToon = g_Options.g_OptToon ? 0 : 1; break;
    case IDC_OPT_CLOSE:
      g_Options.g_OptMaxPolygons = Options_ParseMaxPolygons(maxPolygonsText);
      return OPTIONS_CLOSE;
    default: return OPTIONS_NOT_MINE;
  }
  g_Options.g_OptionDlgRefresh = 1;
  return OPTIONS_CHANGED;
}

void Options_Show(OptionsShown *out) {
  u32 L = View_CurrentLayout();
  const struct { i32 id; bool on; } checks[OPTIONS_CHECKS] = {
    {IDC_OPT_EDITED_VIEW_ONLY, g_Options.g_OptUpdateEditedViewOnly == 1},
    {IDC_OPT_ANTIALIAS, g_Lib.optAntialias == 1},
    {IDC_OPT_GRID, g_Options.g_OptGrid == 1},
    {IDC_OPT_LIGHT, g_Lib.optLight == 1},
    {IDC_OPT_REVERSE_WHEEL, g_Options.g_OptReverseWheel != 0},
    {IDC_OPT_VSYNC, g_AppShell.vsync[L] != 0},
    {IDC_OPT_CPU_OCCUPY, g_AppShell.cpuOccupy[L] != 0},
    {IDC_OPT_SHADOW_2D, g_Options.g_OptShadow == 20},
    {IDC_OPT_SHADOW_3D, g_Options.g_OptShadow == 30},
    {IDC_OPT_TOON, g_Options.g_OptToon == 1},
  };
  for (int i = 0; i < OPTIONS_CHECKS; i++) {
    out->checks[i].id = checks[i].id;
    out->checks[i].on = checks[i].on ? 1 : 0;
  }
  Str_Format(out->maxPolygons, sizeof out->maxPolygons, "%d", g_Options.g_OptMaxPolygons);
}
