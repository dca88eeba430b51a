// The modelling dialog (template 133) and POLY_NUM_DLG on Windows: their registration with the
// widget seam, the thin dialog procedures that read the controls and call the portable commands
// (ed3d_poly_dlg.cpp), the 50 ms refresh of the controls and the colour chooser.
#include <windows.h>

#include "app/current.h"
#include "app/family.h"
#include "app/panel_win.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/startup_state.h"
#include "app/views.h"
#include "app/widget.h"
#include "app/widget_win.h"
#include "edit3d/ed3d_poly.h"
#include "edit3d/ed3d_poly_dlg.h"
#include "edit3d/ed3d_poly_ops.h"
#include "edit3d/ed3d_poly_win.h"
#include "lib/framework/fieldtext_win.h"
#include "lib/framework/modal_hooks.h"
#include "model/str.h"
#include "resources/edit3d_ids.h"

// [SECTION] the dialogs on the widget seam
static const WidgetPanelClass kDialogs[2] = {
    {"POLY_DLG", MAKEINTRESOURCEA(IDD_POLY), Ed3D_PolyDlgProc, 0, 0, nullptr, nullptr},
    {"POLY_NUM_DLG", nullptr, Ed3D_PolyNumDlgProc, 0, 0, nullptr, nullptr},
};

void Ed3D_PolyInstallWin(void) { Widget_RegisterPanels(kDialogs, 2); }

// [SECTION] the modelling dialog
static void Check(HWND dlg, u32 id, bool on) { CheckDlgButton(dlg, (int)id, on ? BST_CHECKED : BST_UNCHECKED); }

static void WriteColourBoxes(HWND dlg) {
  for (u32 c = 0; c < 4; c++) {
    char text[16];
    Str_Format(text, sizeof text, "%d", (int)Ed3DPolyEditor.colour[c]);
    SetDlgItemTextA(dlg, (int)(IDC_POLY_RED + c), text);
  }
}

static void Refresh(HWND dlg) {
  const Model3 *m = Current_Model3();
  if (!Ed3DPolyEditor.dlg || !m || Ed3DPolyEditor.dlgRefresh != 1) return;
  Ed3DPolyEditor.dlgRefresh = 0;
  g_Shell.g_StripDirty[0] = 1;
  static const u32 kPushLike[] = {IDC_POLY_LOAD, IDC_POLY_SAVE, IDC_POLY_VERTEX_MODE, IDC_POLY_MOVE,
                                  IDC_POLY_ROTATE, IDC_POLY_SCALE, IDC_POLY_MERGE, IDC_POLY_DIVIDE,
                                  IDC_POLY_BREAK, IDC_POLY_EXTRUDE, IDC_POLY_COLOUR, IDC_POLY_FACE_MODE,
                                  IDC_POLY_FREE, IDC_POLY_CREATE, IDC_POLY_FLIP, IDC_POLY_TRIANGLE,
                                  IDC_POLY_QUAD, IDC_POLY_CUBE, IDC_POLY_SPHERE, IDC_POLY_CYLINDER,
                                  IDC_POLY_CONE, IDC_POLY_OPTIMISE};
  for (u32 id : kPushLike) Check(dlg, id, false);
  Check(dlg, g_Sel.g_PolySelectMode == 1 ? IDC_POLY_FACE_MODE : IDC_POLY_VERTEX_MODE, true);
  u32 mode = Ed3DPolyEditor.moveMode;
  CheckRadioButton(dlg, IDC_POLY_MOVE_VIEW, IDC_POLY_MOVE_AXIS, (int)(IDC_POLY_MOVE_VIEW + (mode < 3 ? mode : 0)));
  switch (g_Sel.g_PolyTool) {
    case POLY_TOOL_MOVE: Check(dlg, IDC_POLY_MOVE, true); break;
    case POLY_TOOL_ROTATE: Check(dlg, IDC_POLY_ROTATE, true); break;
    case POLY_TOOL_SCALE: Check(dlg, IDC_POLY_SCALE, true); break;
    case POLY_TOOL_FREE: Check(dlg, IDC_POLY_FREE, true); break;
    case 7: Check(dlg, IDC_POLY_CREATE, true); break;
    default: break;
  }
  WriteColourBoxes(dlg);
  Check(dlg, IDC_POLY_NO_AUTO_PICK, g_Sel.g_PolyNoAutoPick != 0);
  Check(dlg, IDC_POLY_SHOW_NORMALS, g_Sel.g_PolyShowNormals != 0);
  Check(dlg, IDC_POLY_AUTO_NORMALS, m->autoNormals != 0);
  Check(dlg, IDC_POLY_VERTEX_COLOURS, m->vertexColorMode != 0);
  Check(dlg, IDC_POLY_LIGHT, m->lighting != 0);
  Check(dlg, IDC_POLY_EDGES, m->immediate != 0);
  char counts[4][32];
  Ed3D_PolyCountTexts(counts);
  static const u32 kCountIds[4] = {IDC_POLY_VERTS, IDC_POLY_NORMAL_COUNT, IDC_POLY_COLOUR_COUNT, IDC_POLY_UV_COUNT};
  for (int i = 0; i < 4; i++) SetDlgItemTextA(dlg, (int)kCountIds[i], counts[i]);
  Ed3D_PolyStatusText(Current_Model3(), &g_Sel);
  SetDlgItemTextA(dlg, IDC_POLY_STATUS, Ed3DPolyEditor.statusText);
}

// False when a field's text was refused (the user has been told).
static bool ReadBoxes(HWND dlg, u32 first, int n, char text[][256], const char *out[]) {
  for (int i = 0; i < n; i++) {
    if (!FieldText_Read(GetDlgItem(dlg, (int)(first + (u32)i)), text[i], 256)) return false;
    out[i] = text[i];
  }
  return true;
}

static void ApplyColour(HWND dlg, const char *label) {
  char text[4][256];
  const char *ptr[4];
  if (!ReadBoxes(dlg, IDC_POLY_RED, 4, text, ptr)) return;
  Ed3D_PolyColourCommand(ptr, label);
}

// The dialogs' state, main thread only: the colour dialog's custom colours, kept for the run
// (ChooseColour).
static struct {
  COLORREF custom[16];
} s_PolyWin;

// The system colour dialog; on OK its red, green and blue go into the boxes and onto the
// selection with the alpha typed.
static void ChooseColour(HWND dlg) {
  CHOOSECOLORA cc = {};
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = (HWND)g_Shell.g_MainWindowHandle;
  cc.rgbResult = RGB(Ed3DPolyEditor.colour[0], Ed3DPolyEditor.colour[1], Ed3DPolyEditor.colour[2]);
  cc.lpCustColors = s_PolyWin.custom;
  cc.Flags = CC_FULLOPEN | CC_RGBINIT;
  if (!Modal_ChooseColor(&cc)) return;
  Ed3DPolyEditor.colour[0] = GetRValue(cc.rgbResult);
  Ed3DPolyEditor.colour[1] = GetGValue(cc.rgbResult);
  Ed3DPolyEditor.colour[2] = GetBValue(cc.rgbResult);
  for (u32 c = 0; c < 3; c++) {
    char text[16];
    Str_Format(text, sizeof text, "%d", (int)Ed3DPolyEditor.colour[c]);
    SetDlgItemTextA(dlg, (int)(IDC_POLY_RED + c), text);
  }
  ApplyColour(dlg, "カラー ( モデリング )");
}

INT_PTR CALLBACK Ed3D_PolyDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  if (Panel_TimedOpen(dlg, msg, &Ed3DPolyEditor.dlgX, &Ed3DPolyEditor.dlgY, &Ed3DPolyEditor.dlgRefresh)) return TRUE;
  switch (msg) {
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_POLY_APPLY: ApplyColour(dlg, "決定ボタン ( モデリング )"); return TRUE;
        case IDC_POLY_COLOUR: ChooseColour(dlg); return TRUE;
        default: return Ed3D_PolyDlgCommand(LOWORD(wParam)) ? TRUE : FALSE;
      }
    default:
      Refresh(dlg);
      return FALSE;
  }
}

// [SECTION] numeric input
INT_PTR CALLBACK Ed3D_PolyNumDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  Panel_StorePosition(dlg, &Ed3DPolyEditor.numDlgX, &Ed3DPolyEditor.numDlgY);
  switch (msg) {
    case WM_INITDIALOG: return TRUE;
    case WM_COMMAND: {
      if (LOWORD(wParam) == IDC_PNUM_CLOSE) {   // closed until the sub-mode is entered again
        Ed3DPolyEditor.numDlg = nullptr;
        Widget_Destroy(dlg);
        return TRUE;
      }
      if (LOWORD(wParam) != IDC_PNUM_APPLY) return FALSE;
      char text[3][256];
      const char *ptr[3];
      if (ReadBoxes(dlg, IDC_PNUM_X, 3, text, ptr)) Ed3D_PolyNumericCommand(ptr);
      return TRUE;
    }
    default: return FALSE;
  }
}
