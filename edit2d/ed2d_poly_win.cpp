// The thin dialog procedures of the 2D modelling panel "2D_POLY_DLG" and the weight panel
// "2D_WEIGHT_DLG". The decisions are the portable sub-modes' (ed2d_poly.cpp, ed2d_weight.cpp).
#include <windows.h>

#include "app/panel_win.h"
#include "edit2d/ed2d_poly.h"
#include "edit2d/ed2d_win.h"

INT_PTR CALLBACK Ed2D_PolyDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  Ed2DPolyEditor &e = g_Ed2DPoly;
  if (Panel_TimedOpen(dlg, msg, &e.panelX, &e.panelY, &e.panelRefresh)) return TRUE;
  switch (msg) {
    case WM_COMMAND: {
      u32 id = LOWORD(wParam);
      if (id >= IDC_P2D_INVERT && id <= IDC_P2D_NORMALS) Ed2D_PolyDlgCommand(id);
      return TRUE;
    }
    default:
      Ed2D_PolyDlgTick();
      return FALSE;
  }
}

INT_PTR CALLBACK Ed2D_WeightDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  Ed2DPolyEditor &e = g_Ed2DPoly;
  if (msg == WM_INITDIALOG) {
    // The fields are filled once the portable side knows the window (CreateDialog returns).
    SetDlgItemTextA(dlg, IDC_W2D_BONE1, "0");
    SetDlgItemTextA(dlg, IDC_W2D_BONE2, "0");
    SetDlgItemTextA(dlg, IDC_W2D_WEIGHT, "1.0");
  }
  if (Panel_TimedOpen(dlg, msg, &e.weightX, &e.weightY, &e.weightRefresh)) return TRUE;
  switch (msg) {
    case WM_COMMAND:
      Ed2D_WeightDlgCommand(LOWORD(wParam));
      return TRUE;
    default:
      Ed2D_WeightDlgTick();
      return FALSE;
  }
}
