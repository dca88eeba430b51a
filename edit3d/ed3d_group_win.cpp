// The group panel "3D_GROUP_DLG" on Windows: its dialog procedure and the calls that read
// and show its controls and run the colour chooser. The decisions are ed3d_group_dlg.cpp's.
#include <windows.h>

#include "app/current.h"
#include "app/family.h"
#include "app/panel_win.h"
#include "app/settings.h"
#include "app/strip.h"
#include "app/update.h"
#include "app/views.h"
#include "edit3d/ed3d.h"
#include "edit3d/ed3d_group_dlg.h"
#include "edit3d/ed3d_win.h"
#include "resources/edit3d_ids.h"

static const u32 kColourIds[4] = {IDC_GRP_RED, IDC_GRP_GREEN, IDC_GRP_BLUE, IDC_GRP_ALPHA};
static const u32 kSpecularIds[3] = {IDC_GRP_SPEC_RED, IDC_GRP_SPEC_GREEN, IDC_GRP_SPEC_BLUE};

static i32 ComboLine(HWND dlg, u32 id) { return (i32)SendDlgItemMessageA(dlg, (int)id, CB_GETCURSEL, 0, 0); }
static void SetComboLine(HWND dlg, u32 id, i32 line) { SendDlgItemMessageA(dlg, (int)id, CB_SETCURSEL, (WPARAM)line, 0); }

static void Read(void *panel, Ed3DGroupFields *f) {
  HWND dlg = (HWND)panel;
  GetDlgItemTextA(dlg, IDC_GRP_NAME, f->name, sizeof f->name);
  f->texture = ComboLine(dlg, IDC_GRP_TEXTURE);
  f->disp = ComboLine(dlg, IDC_GRP_DISP);
  f->display = ComboLine(dlg, IDC_GRP_DISPLAY);
  GetDlgItemTextA(dlg, IDC_GRP_DISP_HEIGHT, f->height, sizeof f->height);
  GetDlgItemTextA(dlg, IDC_GRP_DIVISIONS, f->divisions, sizeof f->divisions);
  for (int i = 0; i < 4; i++) GetDlgItemTextA(dlg, (int)kColourIds[i], f->colour[i], GROUP_FIELD_TEXT);
  for (int i = 0; i < 3; i++) GetDlgItemTextA(dlg, (int)kSpecularIds[i], f->specular[i], GROUP_FIELD_TEXT);
  f->mirrorFlag = IsDlgButtonChecked(dlg, IDC_GRP_MIRROR_FLAG) == BST_CHECKED;
  f->specularFlag = IsDlgButtonChecked(dlg, IDC_GRP_SPECULAR) == BST_CHECKED;
}

static void ShowColour(void *panel, const Ed3DGroupFields *f) {
  for (int i = 0; i < 4; i++) SetDlgItemTextA((HWND)panel, (int)kColourIds[i], f->colour[i]);
}

static void Show(void *panel, const Ed3DGroupFields *f) {
  HWND dlg = (HWND)panel;
  SetComboLine(dlg, IDC_GRP_TEXTURE, f->texture);
  SetComboLine(dlg, IDC_GRP_DISPLAY, f->display);
  SetComboLine(dlg, IDC_GRP_DISP, f->disp);
  SetDlgItemTextA(dlg, IDC_GRP_DISP_HEIGHT, f->height);
  CheckDlgButton(dlg, IDC_GRP_SPECULAR, f->specularFlag ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dlg, IDC_GRP_MIRROR_FLAG, f->mirrorFlag ? BST_CHECKED : BST_UNCHECKED);
  SetDlgItemTextA(dlg, IDC_GRP_NAME, f->name);
  ShowColour(panel, f);
  for (int i = 0; i < 3; i++) SetDlgItemTextA(dlg, (int)kSpecularIds[i], f->specular[i]);
  SetDlgItemTextA(dlg, IDC_GRP_DIVISIONS, f->divisions);
}

// Full-open chooser owned by the main window; the custom colours last for the run.
static bool ChooseColour(u8 rgb[3]) {
  static COLORREF s_custom[16];
  f32 c[3];
  if (!Panel_ChooseColour(s_custom, CC_FULLOPEN, c)) return false;
  for (int i = 0; i < 3; i++) rgb[i] = (u8)c[i];
  return true;
}

// [SECTION] swatches
enum { SWATCH_W = 54 };

// The swatch strip: a child left of the group list, as tall as the list's inside, so that its
// 18-pixel rows sit beside the list's lines; the list moves right to make room. The shell's
// strip dispatcher paints it.
static void MakeSwatches(HWND dlg) {
  HWND list = GetDlgItem(dlg, IDC_GRP_LIST);
  if (!list) return;
  RECT r;
  GetWindowRect(list, &r);
  MapWindowPoints(nullptr, dlg, (POINT *)&r, 2);
  i32 h = r.bottom - r.top - 2;   // inside the list's one-pixel border
  HWND strip = CreateWindowExA(0, "static", "", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW, r.left, r.top + 1, SWATCH_W, h,
                               dlg, (HMENU)(INT_PTR)IDC_GRP_SWATCHES, GetModuleHandleA(nullptr), nullptr);
  if (!strip) return;
  MoveWindow(list, r.left + SWATCH_W + 2, r.top, r.right - r.left - SWATCH_W - 2, r.bottom - r.top, FALSE);
  Strip_Register(STRIP_GROUP3_SWATCHES, strip, SWATCH_W, h);
}

static void DropSwatches(HWND dlg) {
  HWND strip = GetDlgItem(dlg, IDC_GRP_SWATCHES);
  if (strip && g_Strip.g_StripWindows[STRIP_GROUP3_SWATCHES].window == strip) Strip_Unregister(STRIP_GROUP3_SWATCHES);
}

// The first line the group list shows, -1 without a list.
static i32 GroupListTop(void) {
  HWND list = (HWND)g_Ed3D.group.list;
  return list && IsWindow(list) ? (i32)SendMessageA(list, LB_GETTOPINDEX, 0, 0) : -1;
}

void Ed3D_GroupInstallWin(void) {
  g_ShellEntries.ed3dListTopIndex = GroupListTop;
  g_Ed3DGroupOps.read = Read;
  g_Ed3DGroupOps.show = Show;
  g_Ed3DGroupOps.showColour = ShowColour;
  g_Ed3DGroupOps.chooseColour = ChooseColour;
  g_ShellEntries.refreshGroupDialog = Ed3D_RefreshGroupDialog;
}

// The panel has no timer: the shell's per-frame refresh reads the record's flag.
INT_PTR CALLBACK Ed3D_GroupDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  u32 layout = g_Shell.g_EditSubMode < SETTINGS_LAYOUTS ? g_Shell.g_EditSubMode : 0;
  WindowHolder *rec = &g_AppShell.panels[layout][PANEL_GROUP];
  Panel_StorePosition(dlg, &rec->x, &rec->y);
  App_RefreshCurrentPointers();
  if (msg == WM_INITDIALOG) {
    rec->flags = 1;   // shown once the record holds the window
    MakeSwatches(dlg);
  }
  if (msg == WM_DESTROY) DropSwatches(dlg);
  // The strip's own paint erases it: the dispatcher paints it again.
  if (msg == WM_DRAWITEM && wParam == IDC_GRP_SWATCHES) {
    g_Shell.g_StripDirty[STRIP_FLAG_SWATCHES] = 1;
    return TRUE;
  }
  if (!g_CurModel3) return msg == WM_INITDIALOG;
  switch (msg) {
    case WM_KEYDOWN:
      if (wParam == VK_RETURN) Ed3D_ApplyGroup();
      return TRUE;
    case WM_INITDIALOG: return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_GRP_LIST && HIWORD(wParam) == LBN_SELCHANGE)
        Ed3D_GroupSelect((i32)SendDlgItemMessageA(dlg, IDC_GRP_LIST, LB_GETCURSEL, 0, 0));
      Ed3D_GroupCommand(LOWORD(wParam));
      return TRUE;
    default: return FALSE;
  }
}
