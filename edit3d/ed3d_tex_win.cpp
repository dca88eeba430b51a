// The texture sub-mode's panels on Windows: their registration with the widget seam and the
// thin procedures that pass commands and mouse positions to ed3d_tex.cpp and show its
// state in the controls.
#include <windows.h>

#include "app/current.h"
#include "app/family.h"
#include "app/panel_win.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/strip.h"
#include "app/views.h"
#include "app/widget_win.h"
#include "edit3d/ed3d_tex.h"
#include "edit3d/ed3d_win.h"
#include "resources/edit3d_tex_ids.h"

static void RegisterPreview(HWND dlg) {
  RECT r;
  GetClientRect(dlg, &r);
  Strip_Register(STRIP_TEX3D, dlg, r.right, r.bottom);
}

// [SECTION] the panels on the widget seam
static const WidgetPanelClass kPanels[2] = {
    {"3D_TEX_DLG", nullptr, Ed3D_TexDlgProc, 0, 0, nullptr, nullptr},
    {"3D_TEX_IMAGE_DLG", nullptr, Ed3D_TexImageDlgProc, 0, 0, RegisterPreview, nullptr},
};

void Ed3D_TexInstallWin(void) { Widget_RegisterPanels(kPanels, 2); }

// [SECTION] the texture panel
static const int kCheckButtons[] = {IDC_TEX_FRONT, IDC_TEX_TOP, IDC_TEX_SIDE, IDC_TEX_CYLINDER, IDC_TEX_SPHERE,
                                    IDC_TEX_PER_FACE, IDC_TEX_BY_HAND, IDC_TEX_SELECT, IDC_TEX_MOVE,
                                    IDC_TEX_ROTATE, IDC_TEX_SCALE};
static const PanelTexIds kIds = {kCheckButtons, (i32)(sizeof kCheckButtons / sizeof kCheckButtons[0]),
                                 {IDC_TEX_OFFSET_X, IDC_TEX_OFFSET_Y, IDC_TEX_SCALE_X, IDC_TEX_SCALE_Y},
                                 IDC_TEX_SNAP, IDC_TEX_GRID};

static void ShowState(HWND dlg) {
  Ed3DTexEditor &e = g_Ed3DTex;
  App_MarkAllRedraw(View_CurrentLayout());
  const Model3 *m = Current_Model3();
  f32 values[4];
  bool group = m && g_Sel.g_CurGroupIndex < (u32)m->groupCount && g_Sel.g_CurGroupIndex < MODEL3_GROUPS;
  if (group) {
    const Group3 &g = m->groups[g_Sel.g_CurGroupIndex];
    values[0] = g.offsetU, values[1] = g.offsetV, values[2] = g.scaleU, values[3] = g.scaleV;
  }
  Panel_ShowTexState(dlg, kIds, Ed3D_TexMappingButton(), Ed3D_TexToolButton(), group ? values : nullptr, e.snap != 0,
                     e.grid);
}

INT_PTR CALLBACK Ed3D_TexDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  Ed3DTexEditor &e = g_Ed3DTex;
  Panel_StoreRect(dlg, &e.panelX, &e.panelY, &e.panelW, &e.panelH);
  if (Panel_StartTimer(dlg, msg, &e.refresh)) return TRUE;
  switch (msg) {
    case WM_COMMAND: {
      // The grid field's own edits are read by the next other command.
      if (LOWORD(wParam) == IDC_TEX_GRID && HIWORD(wParam) != BN_CLICKED) return TRUE;
      char grid[32] = {};
      const char *gridText = Panel_EnabledText(dlg, IDC_TEX_GRID, grid, sizeof grid);
      return Ed3D_TexCommand(LOWORD(wParam), Panel_ListFocusLine(g_Ed3DTex.list), gridText) ? TRUE : FALSE;
    }
    case WM_DESTROY: return Panel_StopRefresh(dlg);
    default:
      if (e.panel == dlg && Panel_TakeRefresh(&e.refresh)) ShowState(dlg);
      return FALSE;
  }
}

// [SECTION] the image panel
INT_PTR CALLBACK Ed3D_TexImageDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  i32 x = Panel_MouseCoord(LOWORD(lParam)), y = Panel_MouseCoord(HIWORD(lParam));
  switch (msg) {
    case WM_INITDIALOG: SetTimer(dlg, 1, 50, nullptr); return TRUE;
    case WM_LBUTTONDOWN: Ed3D_TexImageDown(0, x, y); return TRUE;
    case WM_RBUTTONDOWN: Ed3D_TexImageDown(1, x, y); return TRUE;
    case WM_MBUTTONDOWN: Ed3D_TexImageDown(2, x, y); return TRUE;
    case WM_MOUSEMOVE: Ed3D_TexImageMove(x, y); return TRUE;
    case WM_LBUTTONUP: Ed3D_TexImageUp(0, x, y); return TRUE;
    case WM_RBUTTONUP: Ed3D_TexImageUp(1, x, y); return TRUE;
    case WM_MBUTTONUP: Ed3D_TexImageUp(2, x, y); return TRUE;
    case WM_KEYUP: {
      HookCtx c = Family_ShellContext();
      c.key = (u32)wParam;
      Ed3D_TexKeyUp(&c);
      return TRUE;
    }
    case WM_SIZE: RegisterPreview(dlg); return FALSE;
    case WM_PAINT: g_Shell.g_StripDirty[STRIP_FLAG_TEXTURES] = 1; return FALSE;
    case WM_DESTROY: KillTimer(dlg, 1); return FALSE;
    default: return FALSE;
  }
}
