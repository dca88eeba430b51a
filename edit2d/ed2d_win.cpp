// The 2D family's dialogs on Windows: creating the templates, the controls' list, combo and
// tree calls, the colour chooser and OK box through the modal hooks, and the thin dialog
// procedures of the mode panel, the bone dialog and the group dialog. The decisions are the
// portable shell's (ed2d_shell.cpp, ed2d_bone.cpp).
#include "edit2d/ed2d_win.h"

#include <commctrl.h>
#include <stdio.h>

#include "app/panel_win.h"
#include "app/current.h"
#include "app/family.h"
#include "app/settings.h"
#include "app/shell_win.h"
#include "app/views.h"
#include "app/winorder_win.h"
#include "app/strip.h"
#include "edit2d/ed2d.h"
#include "edit2d/ed2d_tex.h"
#include "resources/edit2d_ids.h"


enum { BONE_DLG_SLOT = 3 };   // the bone dialog's place among the dialog-message panels

static HINSTANCE Instance(void) { return GetModuleHandleA(nullptr); }

// [SECTION] platform calls of the portable shell
static void *CreateWindow2D(u32 kind, i32 x, i32 y, i32 w, i32 h) {
  static const char *const kNames[ED2D_WIN_KINDS] = {"MODEL_2D_DLG", "BONE_LIST_DLG", "2D_GROUP_DLG",
                                                     "2D_POLY_DLG", "2D_WEIGHT_DLG"};
  static const DLGPROC kProcs[ED2D_WIN_KINDS] = {Ed2D_PanelDlgProc, Ed2D_BoneDlgProc, Ed2D_GroupDlgProc,
                                                 Ed2D_PolyDlgProc, Ed2D_WeightDlgProc};
  if (kind >= ED2D_WIN_KINDS) return nullptr;
  HWND dlg = CreateDialogParamA(Instance(), kNames[kind], (HWND)g_Shell.g_MainWindowHandle, kProcs[kind], 0);
  if (!dlg) return nullptr;
  MoveWindow(dlg, x, y, w, h, TRUE);
  ShowWindow(dlg, SW_SHOW);
  WinOrder_Join(dlg);
  if (kind == ED2D_WIN_BONE_DLG) g_DialogPanels[BONE_DLG_SLOT] = dlg;
  return dlg;
}

static void Destroy(void *window) {
  if ((HWND)window == g_DialogPanels[BONE_DLG_SLOT]) g_DialogPanels[BONE_DLG_SLOT] = nullptr;
  WinOrder_Leave((HWND)window);
  DestroyWindow((HWND)window);
}

static void *CreateList(void *dlg, i32 x, i32 y, i32 w, i32 h) {
  return CreateWindowExA(0, "listbox", "", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_EXTENDEDSEL,
                         x, y, w, h, (HWND)dlg, (HMENU)(INT_PTR)1, Instance(), nullptr);
}

static void *CreateTree(void *dlg) {
  return CreateWindowExA(0, WC_TREEVIEWA, "", WS_CHILD | WS_VISIBLE | WS_BORDER | TVS_HASBUTTONS | TVS_HASLINES |
                         TVS_LINESATROOT | TVS_SHOWSELALWAYS, 211, 49, 138, 360, (HWND)dlg, nullptr, Instance(), nullptr);
}

static void Fill(void *control, bool combo, const Ed2DLines *lines) {
  HWND c = (HWND)control;
  SendMessageA(c, combo ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0);
  for (i32 i = 0; i < lines->count; i++) SendMessageA(c, combo ? CB_ADDSTRING : LB_ADDSTRING, 0, (LPARAM)lines->text[i]);
  if (combo) SendMessageA(c, CB_SETCURSEL, (WPARAM)lines->select, 0);
  else if (lines->select >= 0) {
    // The caret goes with it: the dialogs read the caret line as the current row.
    SendMessageA(c, LB_SETSEL, TRUE, (LPARAM)lines->select);
    SendMessageA(c, LB_SETCARETINDEX, (WPARAM)lines->select, 0);
  }
}

static void ListSelectOnly(void *list, i32 line) {
  SendMessageA((HWND)list, LB_SETSEL, FALSE, -1);
  SendMessageA((HWND)list, LB_SETSEL, TRUE, line);
}

static bool ListSelected(void *list, i32 line) { return SendMessageA((HWND)list, LB_GETSEL, (WPARAM)line, 0) > 0; }

static bool ChooseColour(f32 rgb[3]) {
  static COLORREF custom[16];
  return Panel_ChooseColour(custom, CC_FULLOPEN | CC_RGBINIT, rgb);
}

static void ActivateMain(void) {
  if (g_Shell.g_MainWindowHandle) SetActiveWindow((HWND)g_Shell.g_MainWindowHandle);
}

void Ed2D_InstallWin(void) {
  Ed2DOps &o = g_Ed2DOps;
  o.createWindow = CreateWindow2D;
  o.destroy = Destroy;
  o.control = Panel_Control;
  o.createList = CreateList;
  o.createTree = CreateTree;
  o.fill = Fill;
  o.listSelectOnly = ListSelectOnly;
  o.listCaret = Panel_ListCaret;
  o.listSelected = ListSelected;
  o.comboSelection = Panel_ComboSelection;
  o.comboSelect = Panel_ComboSelect;
  o.treeClear = Panel_TreeClear;
  o.treeInsert = Panel_TreeInsert;
  o.treeExpand = Panel_TreeExpand;
  o.treeSelect = Panel_TreeSelect;
  o.getText = Panel_GetText;
  o.setText = Panel_SetText;
  o.checkButton = Panel_CheckButton;
  o.chooseColour = ChooseColour;
  o.messageOk = Panel_MessageOk;
  o.activateMain = ActivateMain;
  Ed2D_TexInstallWin();
}

// [SECTION] dialog procedures
INT_PTR CALLBACK Ed2D_PanelDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  Ed2DEditor &e = g_Ed2D;
  Panel_StorePosition(dlg, &e.panelX, &e.panelY);
  switch (msg) {
    case WM_INITDIALOG:
      SetTimer(dlg, 1, 50, nullptr);
      e.panelRefresh = 1;
      return TRUE;
    case WM_COMMAND:
      // A switch destroys this panel and makes a new one: dlg is not touched afterwards.
      return Ed2D_PanelCommand(LOWORD(wParam)) ? TRUE : FALSE;
    default:
      if (e.panel && e.panelRefresh == 1) {
        e.panelRefresh = 0;
        for (u32 id = IDC_M2D_OBJECT; id <= IDC_M2D_MOTION; id++)
          if (id != IDC_M2D_NONE) Panel_CheckButton(e.panel, id, Ed2D_ModeButtonSubMode(id) == g_Shell.g_EditSubMode);
      }
      return FALSE;
  }
}

INT_PTR CALLBACK Ed2D_BoneDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  Ed2DEditor &e = g_Ed2D;
  Panel_StorePosition(dlg, &e.boneDlgX, &e.boneDlgY);
  App_RefreshCurrentPointers();
  switch (msg) {
    case WM_INITDIALOG:
      SetTimer(dlg, 1, 50, nullptr);
      e.boneRefresh = 1;
      return TRUE;
    case WM_NOTIFY: {
      char text[ED2D_LABEL];
      if (!Panel_TreeSelectedText(lParam, e.boneTree, text, sizeof text)) return FALSE;
      Ed2D_BoneTreeSelected(text);
      return TRUE;
    }
    case WM_COMMAND:
      Ed2D_BoneDlgCommand(LOWORD(wParam));
      return TRUE;
    default:
      Ed2D_BoneDlgTick();
      return FALSE;
  }
}

// The group dialog: the commands with the group list's current row, the tick's mirror, and the
// swatch strip at its left (the dispatcher paints it from the model).
INT_PTR CALLBACK Ed2D_GroupDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  Panel_StorePosition(dlg, &g_Options.g_Group2DDlg.x, &g_Options.g_Group2DDlg.y);
  switch (msg) {
    case WM_INITDIALOG: {
      SetTimer(dlg, 1, 50, nullptr);
      g_Ed2DGroup.refresh = 1;
      RECT r;
      GetClientRect(dlg, &r);
      Strip_Register(STRIP_GROUP2_SWATCHES, dlg, r.right, r.bottom);
      return TRUE;
    }
    case WM_COMMAND: {
      // Edits of the fields are read by "決定"; their own notifications do nothing.
      UINT code = HIWORD(wParam), id = LOWORD(wParam);
      if (code == EN_CHANGE || code == EN_UPDATE || code == EN_SETFOCUS || code == EN_KILLFOCUS) return TRUE;
      bool combo = id == IDC_G2D_TEXTURE || id == IDC_G2D_SHADE;
      if (combo && code != CBN_SELCHANGE) return TRUE;
      // A combo's choice is read by "決定"; it does not take the list's row.
      i32 row = g_Ed2D.groupList && !combo ? Panel_ListCaret(g_Ed2D.groupList) : -1;
      Ed2D_GroupDlgCommand(id, row);
      return TRUE;
    }
    case WM_PAINT: g_Shell.g_StripDirty[STRIP_FLAG_SWATCHES] = 1; return FALSE;
    case WM_DESTROY:
      KillTimer(dlg, 1);
      if (g_Strip.g_StripWindows[STRIP_GROUP2_SWATCHES].window == dlg) Strip_Unregister(STRIP_GROUP2_SWATCHES);
      return FALSE;
    default: Ed2D_GroupDlgTick(); return FALSE;
  }
}
