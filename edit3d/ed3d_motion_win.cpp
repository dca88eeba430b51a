// The motion sub-mode's dialogs on Windows: the panel and control calls of g_Ed3DMotionOps and
// the thin procedures of "3D_MOTION_DLG", "MOTION_KEY_DLG", "3D_MOTION_LIST_DLG" and
// "MOTION_WAVE_DLG". The decisions are ed3d_motion_panels.cpp's.
#include <windows.h>

#include "app/current.h"
#include "app/panel_win.h"
#include "app/shell_win.h"
#include "app/strip.h"
#include "app/views.h"
#include "app/winorder_win.h"
#include "edit3d/ed3d_motion.h"
#include "edit3d/ed3d_win.h"
#include "lib/framework/lib.h"
#include "resources/edit3d_motion_ids.h"

// Places among the shell's wheel panels and dialog-message panels.
enum { WHEEL_SLOT_MOTION_DLG = 3, WHEEL_SLOT_KEY_DLG = 4, DIALOG_SLOT_MOTION_LIST = 5 };

INT_PTR CALLBACK Ed3D_MotionDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK Ed3D_MotionKeyDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK Ed3D_MotionListDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK Ed3D_MotionWaveDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);

static HINSTANCE Instance(void) { return GetModuleHandleA(nullptr); }

// [SECTION] platform calls
static void *CreatePanel(u32 panel, i32 x, i32 y, i32 w, i32 h) {
  static const char *const kNames[ED3D_MPANEL_KINDS] = {"3D_MOTION_DLG", "MOTION_KEY_DLG", "3D_MOTION_LIST_DLG",
                                                       "MOTION_WAVE_DLG"};
  static const DLGPROC kProcs[ED3D_MPANEL_KINDS] = {Ed3D_MotionDlgProc, Ed3D_MotionKeyDlgProc, Ed3D_MotionListDlgProc,
                                                   Ed3D_MotionWaveDlgProc};
  if (panel >= ED3D_MPANEL_KINDS) return nullptr;
  HWND dlg = CreateDialogParamA(Instance(), kNames[panel], (HWND)g_MainWindowHandle, kProcs[panel], 0);
  if (!dlg) return nullptr;
  MoveWindow(dlg, x, y, w, h, TRUE);
  ShowWindow(dlg, SW_SHOW);
  WinOrder_Join(dlg);
  if (panel == ED3D_MPANEL_MOTION) g_WheelPanels[WHEEL_SLOT_MOTION_DLG] = dlg;
  if (panel == ED3D_MPANEL_KEY) g_WheelPanels[WHEEL_SLOT_KEY_DLG] = dlg;
  if (panel == ED3D_MPANEL_LIST) g_DialogPanels[DIALOG_SLOT_MOTION_LIST] = dlg;
  return dlg;
}

static void *CreateList(void *panel, i32 x, i32 y, i32 w, i32 h) {
  return CreateWindowExA(0, "listbox", "", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | LBS_NOTIFY, x, y, w, h,
                         (HWND)panel, (HMENU)(INT_PTR)IDC_MLIST_LIST, Instance(), nullptr);
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

static void SetScroll(void *keyDlg, i32 pos, i32 max) {
  HWND bar = GetDlgItem((HWND)keyDlg, IDC_MKEY_SCROLL);
  if (!bar) return;
  SetScrollRange(bar, SB_CTL, 0, max, FALSE);
  SetScrollPos(bar, SB_CTL, pos, TRUE);
}

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

static void ForgetSlot(HWND *slot, HWND dlg) {
  if (*slot == dlg) *slot = nullptr;
}

// [SECTION] motion dialog
INT_PTR CALLBACK Ed3D_MotionDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  static i32 s_X, s_Y;
  Panel_StorePosition(dlg, &s_X, &s_Y);
  switch (msg) {
    case WM_INITDIALOG:
      SetTimer(dlg, 1, 50, nullptr);
      g_Ed3DMotion.dialogRefresh = 1;
      return TRUE;
    case WM_COMMAND: {
      App_RefreshCurrentPointers();
      if (!g_CurModel3) return TRUE;
      u32 id = LOWORD(wParam), code = HIWORD(wParam);
      if (id == IDC_MOT_MODE || id == IDC_MOT_TEXTURE) {
        if (code == CBN_SELCHANGE && id == IDC_MOT_MODE)
          Ed3D_MotionDlgCommand(id, (i32)SendDlgItemMessageA(dlg, IDC_MOT_MODE, CB_GETCURSEL, 0, 0), nullptr);
        return TRUE;
      }
      if (code != BN_CLICKED) return TRUE;
      static char fields[ED3D_FIELDS][ED3D_FIELD_TEXT];
      i32 selection = -1;
      if (id == IDC_MOT_APPLY) {
        for (i32 i = 0; i < ED3D_FIELDS; i++) GetText(dlg, kEd3DKeyFields[i], fields[i], ED3D_FIELD_TEXT);
        LRESULT r = SendDlgItemMessageA(dlg, IDC_MOT_TEXTURE, CB_GETCURSEL, 0, 0);
        selection = r == CB_ERR ? 0 : (i32)r;
      }
      Ed3D_MotionDlgCommand(id, selection, fields);
      return TRUE;
    }
    case WM_DESTROY:
      KillTimer(dlg, 1);
      ForgetSlot(&g_WheelPanels[WHEEL_SLOT_MOTION_DLG], dlg);
      return FALSE;
    default:
      if (g_Ed3DMotion.dialogRefresh == 1 && g_Ed3DMotionPanels.motionDlg == dlg) {
        g_Ed3DMotion.dialogRefresh = 0;
        App_RefreshCurrentPointers();
        if (g_CurModel3) Ed3D_MotionDlgRefresh();
      }
      return FALSE;
  }
}

// [SECTION] key dialog
// The scroll bar, the sound combo and the loop check along the bottom of the client area.
static void LayoutKeyDlg(HWND dlg, i32 w, i32 h) {
  MoveWindow(GetDlgItem(dlg, IDC_MKEY_SCROLL), 0, h - 44, w, 16, TRUE);
  MoveWindow(GetDlgItem(dlg, IDC_MKEY_SOUND), 0, h - 24, 170, 200, TRUE);
  MoveWindow(GetDlgItem(dlg, IDC_MKEY_LOOP), 176, h - 22, 90, 18, TRUE);
  Strip_Register(STRIP_MOTION3_KEYS, dlg, w, h - 46 > 0 ? h - 46 : 0);
}

static void Capture(HWND dlg, bool on) {
  if (on) SetCapture(dlg);
  else if (!g_Ed3DMotionStrip.left && !g_Ed3DMotionStrip.middle && !g_Ed3DMotionStrip.right) ReleaseCapture();
}

static i32 StripX(LPARAM l) { return Ed3D_StripCoord((u32)LOWORD(l)); }
static i32 StripY(LPARAM l) { return Ed3D_StripCoord((u32)HIWORD(l)); }

INT_PTR CALLBACK Ed3D_MotionKeyDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  static i32 s_X, s_Y;
  Ed3DStripMouse &s = g_Ed3DMotionStrip;
  Panel_StorePosition(dlg, &s_X, &s_Y);
  App_RefreshCurrentPointers();
  switch (msg) {
    case WM_INITDIALOG: {
      g_Ed3DMotion.keyDialogRefresh = 1;
      CheckDlgButton(dlg, IDC_MKEY_LOOP, g_Ed3DMotionPanels.loop ? BST_CHECKED : BST_UNCHECKED);
      RECT r;
      GetClientRect(dlg, &r);
      LayoutKeyDlg(dlg, r.right, r.bottom);
      return TRUE;
    }
    case WM_SIZE:
      LayoutKeyDlg(dlg, LOWORD(lParam), HIWORD(lParam));
      g_StripWindows[STRIP_MOTION3_KEYS].dirty = 1;
      return FALSE;
    case WM_GETMINMAXINFO: {
      MINMAXINFO *mm = (MINMAXINFO *)lParam;
      mm->ptMinTrackSize.x = 100, mm->ptMinTrackSize.y = 100;
      mm->ptMaxTrackSize.x = g_DesktopWidth, mm->ptMaxTrackSize.y = g_DesktopHeight;
      return FALSE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_MKEY_SOUND && HIWORD(wParam) == CBN_SELCHANGE)
        Ed3D_SetKeySound((i32)SendDlgItemMessageA(dlg, IDC_MKEY_SOUND, CB_GETCURSEL, 0, 0));
      return TRUE;
    case WM_HSCROLL: {
      i32 code = LOWORD(wParam);
      if (code == SB_THUMBPOSITION || code == SB_THUMBTRACK) code = 5;
      Ed3D_KeyStripScroll(code, (i16)HIWORD(wParam));
      App_RefreshCurrentPointers();
      if (g_CurModel3) g_Ed3DMotionOps.setScroll(dlg, g_CurModel3->frame, Ed3D_StripScrollMax());
      return TRUE;
    }
    case WM_MOUSEMOVE: Ed3D_KeyStripMove(StripX(lParam), StripY(lParam)); return TRUE;
    case WM_LBUTTONDOWN:
      Ed3D_KeyStripMove(StripX(lParam), StripY(lParam));
      Capture(dlg, true);
      Ed3D_KeyStripLeftDown();
      return TRUE;
    case WM_LBUTTONUP:
      Ed3D_KeyStripLeftUp();
      Capture(dlg, false);
      return TRUE;
    case WM_LBUTTONDBLCLK:
      Ed3D_CreateBoneKey();
      Ed3D_MotionRefreshLists();
      return TRUE;
    case WM_RBUTTONDOWN: s.right = 1; Capture(dlg, true); return TRUE;
    case WM_RBUTTONUP: s.right = 0; Capture(dlg, false); return TRUE;
    case WM_MBUTTONDOWN: s.middle = 1; Capture(dlg, true); return TRUE;
    case WM_MBUTTONUP: s.middle = 0; Capture(dlg, false); return TRUE;
    case WM_KEYDOWN:
      if (wParam == VK_DELETE) Ed3D_DeleteKeyWithStep();
      return TRUE;
    case WM_DESTROY:
      Strip_Unregister(STRIP_MOTION3_KEYS);
      ForgetSlot(&g_WheelPanels[WHEEL_SLOT_KEY_DLG], dlg);
      s.left = s.middle = s.right = 0;
      return FALSE;
    default:
      if (g_Ed3DMotion.keyDialogRefresh == 1 && g_Ed3DMotionPanels.keyDlg == dlg) {
        g_Ed3DMotion.keyDialogRefresh = 0;
        g_StripWindows[STRIP_MOTION3_KEYS].dirty = 1;
        if (g_CurModel3) g_Ed3DMotionOps.setScroll(dlg, g_CurModel3->frame, Ed3D_StripScrollMax());
      }
      return FALSE;
  }
}

// [SECTION] motion list dialog
INT_PTR CALLBACK Ed3D_MotionListDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  static i32 s_X, s_Y;
  Panel_StorePosition(dlg, &s_X, &s_Y);
  switch (msg) {
    case WM_INITDIALOG:
      SetTimer(dlg, 1, 50, nullptr);
      g_Ed3DMotionPanels.listRefresh = 1;
      return TRUE;
    case WM_COMMAND: {
      App_RefreshCurrentPointers();
      if (!g_CurModel3) return TRUE;
      Ed3D_MotionListSelect(g_Ed3DMotionPanels.list ? ListSelection(g_Ed3DMotionPanels.list) : -1);
      u32 id = LOWORD(wParam);
      if ((id == IDC_MLIST_OK || id == IDC_MLIST_ADD) && HIWORD(wParam) == BN_CLICKED) {
        char name[MODEL3_NAME], length[64];
        GetText(dlg, IDC_MLIST_NAME, name, sizeof name);
        GetText(dlg, IDC_MLIST_LENGTH, length, sizeof length);
        if (id == IDC_MLIST_OK) Ed3D_MotionListApply(name, length);
        else Ed3D_MotionListAdd(name, length);
      }
      return TRUE;
    }
    case WM_DESTROY:
      KillTimer(dlg, 1);
      ForgetSlot(&g_DialogPanels[DIALOG_SLOT_MOTION_LIST], dlg);
      return FALSE;
    default:
      if (g_Ed3DMotionPanels.listRefresh == 1 && g_Ed3DMotionPanels.listDlg == dlg) {
        g_Ed3DMotionPanels.listRefresh = 0;
        Ed3D_MotionListRefresh();
      }
      return FALSE;
  }
}

// [SECTION] sound dialog
INT_PTR CALLBACK Ed3D_MotionWaveDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  static i32 s_X, s_Y;
  Panel_StorePosition(dlg, &s_X, &s_Y);
  switch (msg) {
    case WM_INITDIALOG: return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_MWAVE_ADD && HIWORD(wParam) == BN_CLICKED) Ed3D_AddMotionSoundCommand();
      return TRUE;
    default: return FALSE;
  }
}
