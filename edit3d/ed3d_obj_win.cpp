// The object motion sub-mode's dialogs on Windows: their registration with the widget seam and
// the thin procedures of "3D_OBJ_DLG", "OBJ_KEY_DLG", "OBJ_LIST_DLG", "OBJ_MOTION_LIST_DLG" and
// "OBJ_WAVE_DLG". The decisions are ed3d_obj_panels.cpp's (the key strip's with keystrip.cpp
// and keystrip_win.cpp).
#include <windows.h>

#include "app/current.h"
#include "app/family.h"
#include "app/panel_win.h"
#include "app/shell_sel.h"
#include "app/shell_win.h"
#include "app/startup_state.h"
#include "app/views.h"
#include "app/widget.h"
#include "app/widget_win.h"
#include "edit3d/ed3d_win.h"
#include "edit3d/keystrip_win.h"
#include "edit3d/objmotion.h"
#include "lib/framework/lib.h"
#include "resources/edit2d_ids.h"
#include "resources/edit3d_obj_ids.h"

INT_PTR CALLBACK Ed3D_ObjDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK Ed3D_ObjKeyDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK Ed3D_ObjListDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK Ed3D_ObjMotionListDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK Ed3D_ObjWaveDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);

// [SECTION] the panels on the widget seam
// The motion list's template is the 2D object editor's too: its name here is this editor's own.
// The key dialog takes the wheel while it exists.
static void TakeWheel(HWND dlg) { g_WheelPanels[KEYSTRIP_WHEEL_SLOT] = dlg; }

static const WidgetPanelClass kPanels[] = {
    {"3D_OBJ_DLG", nullptr, Ed3D_ObjDlgProc, 0, 0, nullptr, nullptr},
    {"OBJ_KEY_DLG", nullptr, Ed3D_ObjKeyDlgProc, 0, 0, TakeWheel, nullptr},
    {"OBJ_LIST_DLG", nullptr, Ed3D_ObjListDlgProc, 0, 0, nullptr, nullptr},
    {"3D_OBJ_MOTION_LIST_DLG", "OBJ_MOTION_LIST_DLG", Ed3D_ObjMotionListDlgProc, 0, 0, nullptr, nullptr},
    {"OBJ_WAVE_DLG", nullptr, Ed3D_ObjWaveDlgProc, 0, 0, nullptr, nullptr},
};

void Ed3D_ObjInstallWin(void) { Widget_RegisterPanels(kPanels, sizeof kPanels / sizeof kPanels[0]); }

// The dialogs' state, main thread only: the key fields ObjDlgCommand reads, and the places of
// the dialogs, kept for the run (stored by the procedures below as the dialogs move).
static struct {
  char fields[ED3D_FIELDS][ED3D_FIELD_TEXT];
  i32 objDlgPos[2], listDlgPos[2], motionListDlgPos[2];
  i32 keyX, keyY, waveX, waveY;
} s_ObjWin;

// [SECTION] motion dialog
static void CheckTools(HWND dlg) {
  CheckDlgButton(dlg, IDC_OBJ_MOVE, g_Sel.g_MotionEditOp == ED3D_OBJ_TOOL_MOVE ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dlg, IDC_OBJ_ROTATE, g_Sel.g_MotionEditOp == ED3D_OBJ_TOOL_ROTATE ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dlg, IDC_OBJ_SCALE, g_Sel.g_MotionEditOp == ED3D_OBJ_TOOL_SCALE ? BST_CHECKED : BST_UNCHECKED);
}

static void ObjDlgCommand(HWND dlg, WPARAM wParam) {
  if (HIWORD(wParam) != BN_CLICKED) return;
  u32 id = LOWORD(wParam);
  if (id == IDC_OBJ_APPLY)
    for (i32 i = 0; i < ED3D_FIELDS; i++)
      if (!Widget_ReadText(dlg, kEd3DObjKeyFields[i], s_ObjWin.fields[i], ED3D_FIELD_TEXT)) return;
  Ed3D_ObjDlgCommand(id, s_ObjWin.fields);
}

static const Ed3DTimedPanel kObjDlg = {s_ObjWin.objDlgPos, &Ed3DObjMotionEditor.objDlgRefresh, &Ed3DObjMotionEditor.objDlg,
                                       CheckTools, ObjDlgCommand, nullptr};

INT_PTR CALLBACK Ed3D_ObjDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  return Ed3D_TimedPanelMessage(&kObjDlg, dlg, msg, wParam);
}

// [SECTION] key dialog
INT_PTR CALLBACK Ed3D_ObjKeyDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  Panel_StorePosition(dlg, &s_ObjWin.keyX, &s_ObjWin.keyY);
  return KeyStrip_DlgMessage(&g_Ed3DObjKeyStrip, dlg, msg, wParam, lParam);
}

// [SECTION] object list dialog
static void ListCommand(HWND, WPARAM wParam) {
  const Ed3DObjMotionEditorState &e = Ed3DObjMotionEditor;
  u32 id = LOWORD(wParam), code = HIWORD(wParam);
  bool button = code == BN_CLICKED && id != IDC_OLIST_LIST;
  i32 caret = e.list ? Widget_ListCaret(e.list) : -1;
  // "決定" reads the combo; the other buttons act on the current object.
  Ed3D_ObjListCommand(button ? id : 0, caret, Widget_ListSelection(e.parentCombo));
}

static void RefreshList(HWND dlg) {
  HookCtx c = Family_ShellContext();
  CheckDlgButton(dlg, IDC_OLIST_JOINT, c.sel->g_MotionEditOp == ED3D_OBJ_TOOL_JOINT ? BST_CHECKED : BST_UNCHECKED);
  Ed3D_FillObjParentCombo(c.sel);
}

static const Ed3DTimedPanel kListDlg = {s_ObjWin.listDlgPos, &Ed3DObjMotionEditor.listRefresh, &Ed3DObjMotionEditor.listDlg,
                                        RefreshList, ListCommand, nullptr};

INT_PTR CALLBACK Ed3D_ObjListDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg != WM_NOTIFY) return Ed3D_TimedPanelMessage(&kListDlg, dlg, msg, wParam);
  Panel_StorePosition(dlg, &s_ObjWin.listDlgPos[0], &s_ObjWin.listDlgPos[1]);
  return Panel_TreeNotify(lParam, Ed3DObjMotionEditor.tree, Ed3D_ObjTreeSelect) ? TRUE : FALSE;
}

// [SECTION] motion list dialog (the shared template)
static void MotionListCommand(HWND dlg, WPARAM wParam) {
  Ed3DObjMotionEditorState &e = Ed3DObjMotionEditor;
  Ed3D_ObjMotionListSelect(Widget_ListSelection(e.motionList));
  u32 id = LOWORD(wParam);
  if (HIWORD(wParam) != BN_CLICKED || id == IDC_OLIST_LIST) return;
  if (id == IDC_OML_APPLY || id == IDC_OML_ADD) {
    char name[MODEL3_NAME], length[64];
    if (!Widget_ReadText(dlg, IDC_OML_NAME, name, sizeof name) || !Widget_ReadText(dlg, IDC_OML_LENGTH, length, sizeof length))
      return;
    Ed3D_ObjMotionListStore(id, name, length);
  } else if (id == IDC_OML_CLOSE) {
    // The handles go with the window: the next enter makes the dialog and its list again.
    e.motionDlg = nullptr;
    e.motionList = nullptr;
    DestroyWindow(dlg);
  }
}

static void RefreshMotionList(HWND) { Ed3D_ObjMotionListRefresh(); }

static const Ed3DTimedPanel kMotionListDlg = {s_ObjWin.motionListDlgPos, &Ed3DObjMotionEditor.motionListRefresh,
                                              &Ed3DObjMotionEditor.motionDlg, RefreshMotionList, MotionListCommand,
                                              nullptr};

INT_PTR CALLBACK Ed3D_ObjMotionListDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  return Ed3D_TimedPanelMessage(&kMotionListDlg, dlg, msg, wParam);
}

// [SECTION] sound dialog
INT_PTR CALLBACK Ed3D_ObjWaveDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  Panel_StorePosition(dlg, &s_ObjWin.waveX, &s_ObjWin.waveY);
  if (Ed3D_CloseOnButton(dlg, msg, wParam, IDC_OWAVE_CLOSE, &Ed3DObjMotionEditor.waveDlg, &Ed3DObjMotionEditor.waveList)) return TRUE;
  return Ed3D_OneButtonMessage(msg, wParam, IDC_OWAVE_ADD, Ed3D_ObjAddSoundCommand);
}
