// The 3D family's panels on Windows: creating the templates, the controls' list, combo and
// tree calls, and the thin dialog procedures of the mode, layer, bone list and group panels.
// The decisions are the portable shell's (ed3d_shell.cpp, ed3d_layer.cpp, ed3d_fill.cpp).
#include "edit3d/ed3d_win.h"

#include <commctrl.h>

#include "app/panel_win.h"
#include "app/current.h"
#include "app/family.h"
#include "app/settings.h"
#include "app/shell_win.h"
#include "app/views.h"
#include "app/winorder_win.h"
#include "edit3d/ed3d.h"
#include "edit3d/ed3d_poly_win.h"
#include "edit3d/undo_win.h"
#include "model/seam.h"
#include "resources/edit3d_ids.h"

enum { BONE_PANEL_SLOT = 3 };   // the bone list's place among the dialog-message panels

static HINSTANCE Instance(void) { return GetModuleHandleA(nullptr); }

// [SECTION] panel glue
HWND Ed3D_OpenPanel(const char *name, DLGPROC proc, i32 x, i32 y, i32 w, i32 h) {
  HWND dlg = CreateDialogParamA(Instance(), name, (HWND)g_Shell.g_MainWindowHandle, proc, 0);
  if (!dlg) return nullptr;
  MoveWindow(dlg, x, y, w, h, TRUE);
  ShowWindow(dlg, SW_SHOW);
  WinOrder_Join(dlg);
  return dlg;
}

void *Ed3D_CreateListBox(void *panel, u32 id, i32 x, i32 y, i32 w, i32 h) {
  return CreateWindowExA(0, "listbox", "", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | LBS_NOTIFY, x, y, w, h,
                         (HWND)panel, (HMENU)(INT_PTR)id, Instance(), nullptr);
}

INT_PTR Ed3D_TimedPanelMessage(const Ed3DTimedPanel *p, HWND dlg, UINT msg, WPARAM wParam) {
  Panel_StorePosition(dlg, &p->pos[0], &p->pos[1]);
  switch (msg) {
    case WM_INITDIALOG:
      SetTimer(dlg, 1, 50, nullptr);
      *p->flag = 1;
      return TRUE;
    case WM_COMMAND: p->command(dlg, wParam); return TRUE;
    case WM_DESTROY:
      KillTimer(dlg, 1);
      if (p->slot && *p->slot == dlg) *p->slot = nullptr;
      return FALSE;
    default:
      if (*p->flag == 1 && *p->handle == dlg) {
        *p->flag = 0;
        p->refresh(dlg);
      }
      return FALSE;
  }
}

INT_PTR Ed3D_OneButtonMessage(UINT msg, WPARAM wParam, u32 id, void (*command)(void)) {
  switch (msg) {
    case WM_INITDIALOG: return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == id && HIWORD(wParam) == BN_CLICKED) command();
      return TRUE;
    default: return FALSE;
  }
}

bool Ed3D_CloseOnButton(HWND dlg, UINT msg, WPARAM wParam, u32 closeId, void **dlgSlot, void **listSlot) {
  if (msg != WM_COMMAND || LOWORD(wParam) != closeId || HIWORD(wParam) != BN_CLICKED) return false;
  *listSlot = nullptr;
  *dlgSlot = nullptr;
  WinOrder_Leave(dlg);
  DestroyWindow(dlg);
  return true;
}

// [SECTION] platform calls of the portable shell
static void *CreatePanel(u32 panel, i32 x, i32 y, i32 w, i32 h) {
  static const char *const kNames[ED3D_PANEL_KINDS] = {"MODEL_3D_DLG", "LAYER_DLG", "BONE_LIST_DLG", "3D_GROUP_DLG",
                                                      "UNDO_DLG"};
  static const DLGPROC kProcs[ED3D_PANEL_KINDS] = {Ed3D_ModeDlgProc, Ed3D_LayerDlgProc, Ed3D_BoneListDlgProc,
                                                   Ed3D_GroupDlgProc, Undo_DlgProc};
  if (panel >= ED3D_PANEL_KINDS) return nullptr;
  HWND dlg = Ed3D_OpenPanel(kNames[panel], kProcs[panel], x, y, w, h);
  if (dlg && panel == ED3D_PANEL_BONE_LIST) g_DialogPanels[BONE_PANEL_SLOT] = dlg;
  return dlg;
}

static void Destroy(void *window) {
  if ((HWND)window == g_DialogPanels[BONE_PANEL_SLOT]) g_DialogPanels[BONE_PANEL_SLOT] = nullptr;
  WinOrder_Leave((HWND)window);   // a control never joined: ignored
  DestroyWindow((HWND)window);
}

static void *CreateBoneTree(void *panel) {
  return CreateWindowExA(0, WC_TREEVIEWA, "", WS_CHILD | WS_VISIBLE | WS_BORDER | TVS_HASLINES | TVS_HASBUTTONS |
                         TVS_LINESATROOT | TVS_SHOWSELALWAYS, 0, 49, 168, 360, (HWND)panel, nullptr, Instance(), nullptr);
}

static void *CreateBoneList(void *panel) {
  return CreateWindowExA(0, "listbox", "", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | LBS_EXTENDEDSEL | LBS_NOTIFY,
                         169, 49, 180, 360, (HWND)panel, (HMENU)(INT_PTR)IDC_BONE_LIST, Instance(), nullptr);
}

static void Fill(void *control, u32 kind, const Ed3DLines *lines) {
  HWND c = (HWND)control;
  bool combo = kind == ED3D_LIST_COMBO;
  SendMessageA(c, combo ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0);
  for (i32 i = 0; i < lines->count; i++) SendMessageA(c, combo ? CB_ADDSTRING : LB_ADDSTRING, 0, (LPARAM)lines->text[i]);
  switch (kind) {
    case ED3D_LIST_COMBO: SendMessageA(c, CB_SETCURSEL, (WPARAM)lines->select, 0); break;
    case ED3D_LIST_MULTI: if (lines->select >= 0) SendMessageA(c, LB_SETSEL, TRUE, (LPARAM)lines->select); break;
    case ED3D_LIST_GROUPS: SendMessageA(c, LB_SETITEMHEIGHT, 0, 18); SendMessageA(c, LB_SETCURSEL, (WPARAM)lines->select, 0); break;
    default: SendMessageA(c, LB_SETCURSEL, (WPARAM)lines->select, 0); break;
  }
}

static void ActivateMain(void) {
  if (g_Shell.g_MainWindowHandle) SetActiveWindow((HWND)g_Shell.g_MainWindowHandle);
}

void Ed3D_InstallWin(void) {
  Ed3DOps &o = g_Ed3DOps;
  o.createPanel = CreatePanel;
  o.destroy = Destroy;
  o.control = Panel_Control;
  o.createBoneTree = CreateBoneTree;
  o.createBoneList = CreateBoneList;
  o.fill = Fill;
  o.treeClear = Panel_TreeClear;
  o.treeInsert = Panel_TreeInsert;
  o.treeExpand = Panel_TreeExpand;
  o.treeSelect = Panel_TreeSelect;
  o.activateMain = ActivateMain;
  Ed3D_BoneInstallWin();
  Ed3D_MotionInstallWin();
  Ed3D_ObjInstallWin();
  Ed3D_PolyInstallWin();
  Ed3D_GroupInstallWin();
  Ed3D_TexInstallWin();
}

// [SECTION] dialog procedures
INT_PTR CALLBACK Ed3D_ModeDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  Ed3DModelEditor &e = g_Ed3D;
  Panel_StorePosition(dlg, &e.modeX, &e.modeY);
  switch (msg) {
    case WM_INITDIALOG:
      SetTimer(dlg, 1, 50, nullptr);
      e.modeRefresh = 1;
      return TRUE;
    case WM_COMMAND:
      // A switch destroys this panel and makes a new one: dlg is not touched afterwards.
      if (Ed3D_ModeCommand(LOWORD(wParam))) return TRUE;
      return FALSE;
    default:
      if (e.modePanel && e.modeRefresh == 1) {
        e.modeRefresh = 0;
        static const u32 kButtons[] = {ED3D_BTN_POLY, ED3D_BTN_TEXTURE, ED3D_BTN_BONE, ED3D_BTN_WEIGHT,
                                       ED3D_BTN_MOTION, ED3D_BTN_OBJECT};
        for (u32 id : kButtons)
          CheckDlgButton((HWND)e.modePanel, (int)id, Ed3D_ModeButtonSubMode(id) == g_Shell.g_EditSubMode ? BST_CHECKED : BST_UNCHECKED);
      }
      return FALSE;
  }
}

INT_PTR CALLBACK Ed3D_LayerDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  Ed3DModelEditor &e = g_Ed3D;
  Panel_StorePosition(dlg, &e.layer.x, &e.layer.y);
  App_RefreshCurrentPointers();
  switch (msg) {
    case WM_INITDIALOG:
      SetTimer(dlg, 1, 50, nullptr);
      g_Shell.g_LayerDlgRefresh = 1;
      return TRUE;
    case WM_COMMAND:
      return Ed3D_LayerCommand(LOWORD(wParam)) ? TRUE : FALSE;
    default:
      if (e.layer.window && g_Shell.g_LayerDlgRefresh == 1) {
        g_Shell.g_LayerDlgRefresh = 0;
        u32 checked = Ed3D_LayerCheckedButton();
        for (u32 id = ED3D_BTN_LAYER_FIRST; id <= ED3D_BTN_LAYER_LAST; id++)
          CheckDlgButton((HWND)e.layer.window, (int)id, id == checked ? BST_CHECKED : BST_UNCHECKED);
      }
      return FALSE;
  }
}
