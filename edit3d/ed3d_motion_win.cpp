// The motion sub-mode's dialogs on Windows: the panel and control calls of g_Ed3DMotionOps and
// the thin procedures of "3D_MOTION_DLG", "MOTION_KEY_DLG", "3D_MOTION_LIST_DLG" and
// "MOTION_WAVE_DLG". The decisions are ed3d_motion_panels.cpp's (the key strip's with
// keystrip.cpp and keystrip_win.cpp).
#include <windows.h>

#include "app/current.h"
#include "app/panel_win.h"
#include "app/shell_win.h"
#include "app/views.h"
#include "edit3d/ed3d_motion.h"
#include "edit3d/ed3d_win.h"
#include "edit3d/keystrip_win.h"
#include "lib/framework/lib.h"
#include "resources/edit3d_motion_ids.h"

// Places among the shell's wheel panels and dialog-message panels.
enum { WHEEL_SLOT_MOTION_DLG = 3, DIALOG_SLOT_MOTION_LIST = 5 };

INT_PTR CALLBACK Ed3D_MotionDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK Ed3D_MotionKeyDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK Ed3D_MotionListDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK Ed3D_MotionWaveDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);

// [SECTION] platform calls
static void *CreatePanel(u32 panel, i32 x, i32 y, i32 w, i32 h) {
  static const char *const kNames[ED3D_MPANEL_KINDS] = {"3D_MOTION_DLG", "MOTION_KEY_DLG", "3D_MOTION_LIST_DLG",
                                                       "MOTION_WAVE_DLG"};
  static const DLGPROC kProcs[ED3D_MPANEL_KINDS] = {Ed3D_MotionDlgProc, Ed3D_MotionKeyDlgProc, Ed3D_MotionListDlgProc,
                                                   Ed3D_MotionWaveDlgProc};
  if (panel >= ED3D_MPANEL_KINDS) return nullptr;
  HWND dlg = Ed3D_OpenPanel(kNames[panel], kProcs[panel], x, y, w, h);
  if (!dlg) return nullptr;
  if (panel == ED3D_MPANEL_MOTION) g_WheelPanels[WHEEL_SLOT_MOTION_DLG] = dlg;
  if (panel == ED3D_MPANEL_KEY) g_WheelPanels[KEYSTRIP_WHEEL_SLOT] = dlg;
  if (panel == ED3D_MPANEL_LIST) g_DialogPanels[DIALOG_SLOT_MOTION_LIST] = dlg;
  return dlg;
}

static void *CreateList(void *panel, i32 x, i32 y, i32 w, i32 h) {
  return Ed3D_CreateListBox(panel, IDC_MLIST_LIST, x, y, w, h);
}

static void SetText(void *panel, u32 id, const char *text) { SetDlgItemTextA((HWND)panel, (int)id, text); }

static bool GetText(void *panel, u32 id, char *out, u32 size) {
  if (size == 0) return false;
  out[0] = 0;
  if (!GetDlgItem((HWND)panel, (int)id)) return false;
  GetDlgItemTextA((HWND)panel, (int)id, out, (int)size);
  return true;
}

static void SetCheck(void *panel, u32 id, bool on) { CheckDlgButton((HWND)panel, (int)id, on ? BST_CHECKED : BST_UNCHECKED); }
static bool IsChecked(void *panel, u32 id) { return IsDlgButtonChecked((HWND)panel, (int)id) == BST_CHECKED; }

static i32 ListSelection(void *list) {
  LRESULT r = SendMessageA((HWND)list, LB_GETCURSEL, 0, 0);
  return r == LB_ERR ? -1 : (i32)r;
}

static void Activate(void *window) { SetActiveWindow((HWND)window); }
static void *ActiveWindow(void) { return GetActiveWindow(); }

static void SetScroll(void *keyDlg, i32 pos, i32 max) { KeyStrip_SetScroll(keyDlg, IDC_MKEY_SCROLL, pos, max); }

void Ed3D_MotionInstallWin(void) {
  Ed3DMotionOps &o = g_Ed3DMotionOps;
  o.createPanel = CreatePanel;
  o.createList = CreateList;
  o.setText = SetText;
  o.getText = GetText;
  o.setCheck = SetCheck;
  o.isChecked = IsChecked;
  o.listSelection = ListSelection;
  o.activate = Activate;
  o.activeWindow = ActiveWindow;
  o.setScroll = SetScroll;
}

// [SECTION] motion dialog
static void MotionDlgCommand(HWND dlg, WPARAM wParam) {
  App_RefreshCurrentPointers();
  if (!g_CurModel3) return;
  u32 id = LOWORD(wParam), code = HIWORD(wParam);
  if (id == IDC_MOT_MODE || id == IDC_MOT_TEXTURE) {
    if (code == CBN_SELCHANGE && id == IDC_MOT_MODE)
      Ed3D_MotionDlgCommand(id, (i32)SendDlgItemMessageA(dlg, IDC_MOT_MODE, CB_GETCURSEL, 0, 0), nullptr);
    return;
  }
  if (code != BN_CLICKED) return;
  static char fields[ED3D_FIELDS][ED3D_FIELD_TEXT];
  i32 selection = -1;
  if (id == IDC_MOT_APPLY) {
    for (i32 i = 0; i < ED3D_FIELDS; i++) GetText(dlg, kEd3DKeyFields[i], fields[i], ED3D_FIELD_TEXT);
    LRESULT r = SendDlgItemMessageA(dlg, IDC_MOT_TEXTURE, CB_GETCURSEL, 0, 0);
    selection = r == CB_ERR ? 0 : (i32)r;
  }
  Ed3D_MotionDlgCommand(id, selection, fields);
}

static void RefreshMotionDlg(HWND) {
  App_RefreshCurrentPointers();
  if (g_CurModel3) Ed3D_MotionDlgRefresh();
}

static i32 s_MotionDlgPos[2];
static const Ed3DTimedPanel kMotionDlg = {s_MotionDlgPos, &g_Ed3DMotion.dialogRefresh, &g_Ed3DMotionPanels.motionDlg,
                                          RefreshMotionDlg, MotionDlgCommand, &g_WheelPanels[WHEEL_SLOT_MOTION_DLG]};

INT_PTR CALLBACK Ed3D_MotionDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  return Ed3D_TimedPanelMessage(&kMotionDlg, dlg, msg, wParam);
}

// [SECTION] key dialog
INT_PTR CALLBACK Ed3D_MotionKeyDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  static i32 s_X, s_Y;
  Panel_StorePosition(dlg, &s_X, &s_Y);
  return KeyStrip_DlgMessage(&g_Ed3DMotionKeyStrip, dlg, msg, wParam, lParam);
}

// [SECTION] motion list dialog
static void ListCommand(HWND dlg, WPARAM wParam) {
  App_RefreshCurrentPointers();
  if (!g_CurModel3) return;
  Ed3D_MotionListSelect(g_Ed3DMotionPanels.list ? ListSelection(g_Ed3DMotionPanels.list) : -1);
  u32 id = LOWORD(wParam);
  if ((id == IDC_MLIST_OK || id == IDC_MLIST_ADD) && HIWORD(wParam) == BN_CLICKED) {
    char name[MODEL3_NAME], length[64];
    GetText(dlg, IDC_MLIST_NAME, name, sizeof name);
    GetText(dlg, IDC_MLIST_LENGTH, length, sizeof length);
    if (id == IDC_MLIST_OK) Ed3D_MotionListApply(name, length);
    else Ed3D_MotionListAdd(name, length);
  }
}

static void RefreshList(HWND) { Ed3D_MotionListRefresh(); }

static i32 s_ListDlgPos[2];
static const Ed3DTimedPanel kListDlg = {s_ListDlgPos, &g_Ed3DMotionPanels.listRefresh, &g_Ed3DMotionPanels.listDlg,
                                        RefreshList, ListCommand, &g_DialogPanels[DIALOG_SLOT_MOTION_LIST]};

INT_PTR CALLBACK Ed3D_MotionListDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  return Ed3D_TimedPanelMessage(&kListDlg, dlg, msg, wParam);
}

// [SECTION] sound dialog
INT_PTR CALLBACK Ed3D_MotionWaveDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  static i32 s_X, s_Y;
  Panel_StorePosition(dlg, &s_X, &s_Y);
  if (Ed3D_CloseOnButton(dlg, msg, wParam, IDC_MWAVE_CLOSE, &g_Ed3DMotionPanels.waveDlg, &g_Ed3DMotionPanels.waveList)) return TRUE;
  return Ed3D_OneButtonMessage(msg, wParam, IDC_MWAVE_ADD, Ed3D_AddMotionSoundCommand);
}
