// The motion sub-mode's dialogs on Windows: their registration with the widget seam and the
// thin procedures of "3D_MOTION_DLG", "MOTION_KEY_DLG", "3D_MOTION_LIST_DLG" and
// "MOTION_WAVE_DLG". The decisions are ed3d_motion_panels.cpp's (the key strip's with
// keystrip.cpp and keystrip_win.cpp).
#include <windows.h>

#include "app/current.h"
#include "app/panel_win.h"
#include "app/shell_win.h"
#include "app/views.h"
#include "app/widget.h"
#include "app/widget_win.h"
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

// [SECTION] the panels on the widget seam
// The motion and key dialogs take the wheel and the list dialog the dialog messages; each
// procedure lets its place go again when it is destroyed.
static void TakeMotionWheel(HWND dlg) { g_WheelPanels[WHEEL_SLOT_MOTION_DLG] = dlg; }
static void TakeKeyWheel(HWND dlg) { g_WheelPanels[KEYSTRIP_WHEEL_SLOT] = dlg; }
static void JoinListPanel(HWND dlg) { g_DialogPanels[DIALOG_SLOT_MOTION_LIST] = dlg; }

static const WidgetPanelClass kPanels[] = {
    {"3D_MOTION_DLG", nullptr, Ed3D_MotionDlgProc, 0, 0, TakeMotionWheel, nullptr},
    {"MOTION_KEY_DLG", nullptr, Ed3D_MotionKeyDlgProc, 0, 0, TakeKeyWheel, nullptr},
    {"3D_MOTION_LIST_DLG", nullptr, Ed3D_MotionListDlgProc, 0, 0, JoinListPanel, nullptr},
    {"MOTION_WAVE_DLG", nullptr, Ed3D_MotionWaveDlgProc, 0, 0, nullptr, nullptr},
};

void Ed3D_MotionInstallWin(void) { Widget_RegisterPanels(kPanels, sizeof kPanels / sizeof kPanels[0]); }

// The dialogs' state, main thread only: the key fields MotionDlgCommand reads, and the places
// of the dialogs, kept for the run (stored by the procedures below as the dialogs move).
static struct {
  char fields[ED3D_FIELDS][ED3D_FIELD_TEXT];
  i32 motionDlgPos[2], listDlgPos[2];
  i32 keyX, keyY, waveX, waveY;
} s_MotionWin;

// [SECTION] motion dialog
static void MotionDlgCommand(HWND dlg, WPARAM wParam) {
  if (!Current_Model3()) return;
  u32 id = LOWORD(wParam), code = HIWORD(wParam);
  if (id == IDC_MOT_MODE || id == IDC_MOT_TEXTURE) {
    if (code == CBN_SELCHANGE && id == IDC_MOT_MODE)
      Ed3D_MotionDlgCommand(id, (i32)SendDlgItemMessageA(dlg, IDC_MOT_MODE, CB_GETCURSEL, 0, 0), nullptr);
    return;
  }
  if (code != BN_CLICKED) return;
  i32 selection = -1;
  if (id == IDC_MOT_APPLY) {
    for (i32 i = 0; i < ED3D_FIELDS; i++)
      if (!Widget_ReadText(dlg, kEd3DKeyFields[i], s_MotionWin.fields[i], ED3D_FIELD_TEXT)) return;
    LRESULT r = SendDlgItemMessageA(dlg, IDC_MOT_TEXTURE, CB_GETCURSEL, 0, 0);
    selection = r == CB_ERR ? 0 : (i32)r;
  }
  Ed3D_MotionDlgCommand(id, selection, s_MotionWin.fields);
}

static void RefreshMotionDlg(HWND) {
  if (Current_Model3()) Ed3D_MotionDlgRefresh();
}

static const Ed3DTimedPanel kMotionDlg = {s_MotionWin.motionDlgPos, &g_Ed3DMotion.dialogRefresh, &g_Ed3DMotionPanels.motionDlg,
                                          RefreshMotionDlg, MotionDlgCommand, &g_WheelPanels[WHEEL_SLOT_MOTION_DLG]};

INT_PTR CALLBACK Ed3D_MotionDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  return Ed3D_TimedPanelMessage(&kMotionDlg, dlg, msg, wParam);
}

// [SECTION] key dialog
INT_PTR CALLBACK Ed3D_MotionKeyDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  Panel_StorePosition(dlg, &s_MotionWin.keyX, &s_MotionWin.keyY);
  return KeyStrip_DlgMessage(&g_Ed3DMotionKeyStrip, dlg, msg, wParam, lParam);
}

// [SECTION] motion list dialog
static void ListCommand(HWND dlg, WPARAM wParam) {
  if (!Current_Model3()) return;
  Ed3D_MotionListSelect(g_Ed3DMotionPanels.list ? Widget_ListSelection(g_Ed3DMotionPanels.list) : -1);
  u32 id = LOWORD(wParam);
  if ((id == IDC_MLIST_OK || id == IDC_MLIST_ADD) && HIWORD(wParam) == BN_CLICKED) {
    char name[MODEL3_NAME], length[64];
    if (!Widget_ReadText(dlg, IDC_MLIST_NAME, name, sizeof name) || !Widget_ReadText(dlg, IDC_MLIST_LENGTH, length, sizeof length))
      return;
    if (id == IDC_MLIST_OK) Ed3D_MotionListApply(name, length);
    else Ed3D_MotionListAdd(name, length);
  }
}

static void RefreshList(HWND) { Ed3D_MotionListRefresh(); }

static const Ed3DTimedPanel kListDlg = {s_MotionWin.listDlgPos, &g_Ed3DMotionPanels.listRefresh, &g_Ed3DMotionPanels.listDlg,
                                        RefreshList, ListCommand, &g_DialogPanels[DIALOG_SLOT_MOTION_LIST]};

INT_PTR CALLBACK Ed3D_MotionListDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  return Ed3D_TimedPanelMessage(&kListDlg, dlg, msg, wParam);
}

// [SECTION] sound dialog
INT_PTR CALLBACK Ed3D_MotionWaveDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  Panel_StorePosition(dlg, &s_MotionWin.waveX, &s_MotionWin.waveY);
  if (Ed3D_CloseOnButton(dlg, msg, wParam, IDC_MWAVE_CLOSE, &g_Ed3DMotionPanels.waveDlg, &g_Ed3DMotionPanels.waveList)) return TRUE;
  return Ed3D_OneButtonMessage(msg, wParam, IDC_MWAVE_ADD, Ed3D_AddMotionSoundCommand);
}
