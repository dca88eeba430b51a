// The object motion sub-mode's dialogs on Windows: the panel calls of g_Ed3DObjOps and the
// thin procedures of "3D_OBJ_DLG", "OBJ_KEY_DLG", "OBJ_LIST_DLG", "OBJ_MOTION_LIST_DLG" and
// "OBJ_WAVE_DLG". The decisions are ed3d_obj_panels.cpp's.
#include <windows.h>
#include <commctrl.h>

#include "app/current.h"
#include "app/panel_win.h"
#include "app/shell_win.h"
#include "app/startup_state.h"
#include "app/strip.h"
#include "app/views.h"
#include "app/winorder_win.h"
#include "edit3d/ed3d_win.h"
#include "edit3d/objmotion.h"
#include "lib/framework/lib.h"
#include "lib/media/dialogs.h"
#include "resources/edit2d_ids.h"
#include "resources/edit3d_obj_ids.h"

// The key dialog takes the wheel in the place of the motion sub-mode's key dialog (the two
// sub-modes are never current together).
enum { WHEEL_SLOT_KEY_DLG = 4 };

INT_PTR CALLBACK Ed3D_ObjDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK Ed3D_ObjKeyDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK Ed3D_ObjListDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK Ed3D_ObjMotionListDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK Ed3D_ObjWaveDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);

static HINSTANCE Instance(void) { return GetModuleHandleA(nullptr); }

// [SECTION] platform calls
static void *CreatePanel(u32 panel, i32 x, i32 y, i32 w, i32 h) {
  static const char *const kNames[ED3D_OPANEL_KINDS] = {"3D_OBJ_DLG", "OBJ_KEY_DLG", "OBJ_LIST_DLG",
                                                       "OBJ_MOTION_LIST_DLG", "OBJ_WAVE_DLG"};
  static const DLGPROC kProcs[ED3D_OPANEL_KINDS] = {Ed3D_ObjDlgProc, Ed3D_ObjKeyDlgProc, Ed3D_ObjListDlgProc,
                                                   Ed3D_ObjMotionListDlgProc, Ed3D_ObjWaveDlgProc};
  if (panel >= ED3D_OPANEL_KINDS) return nullptr;
  HWND dlg = CreateDialogParamA(Instance(), kNames[panel], (HWND)g_MainWindowHandle, kProcs[panel], 0);
  if (!dlg) return nullptr;
  MoveWindow(dlg, x, y, w, h, TRUE);
  ShowWindow(dlg, SW_SHOW);
  WinOrder_Join(dlg);
  if (panel == ED3D_OPANEL_KEY) g_WheelPanels[WHEEL_SLOT_KEY_DLG] = dlg;
  return dlg;
}

static void *CreateList(void *panel, i32 x, i32 y, i32 w, i32 h) {
  return CreateWindowExA(0, "listbox", "", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | LBS_NOTIFY, x, y, w, h,
                         (HWND)panel, (HMENU)(INT_PTR)IDC_OLIST_LIST, Instance(), nullptr);
}

static void SetScroll(void *keyDlg, i32 pos, i32 max) {
  HWND bar = GetDlgItem((HWND)keyDlg, IDC_OKEY_SCROLL);
  if (!bar) return;
  SetScrollRange(bar, SB_CTL, 0, max, FALSE);
  SetScrollPos(bar, SB_CTL, pos, TRUE);
}

static void SetCaret(void *list, i32 line) { SendMessageA((HWND)list, LB_SETCARETINDEX, (WPARAM)line, FALSE); }

void Ed3D_ObjInstallWin(void) {
  Ed3DObjOps &o = g_Ed3DObjOps;
  o.createPanel = CreatePanel;
  o.createList = CreateList;
  o.setScroll = SetScroll;
  o.setCaret = SetCaret;
}

static void GetText(HWND dlg, u32 id, char *out, int size) {
  out[0] = 0;
  GetDlgItemTextA(dlg, (int)id, out, size);
}

static i32 ComboLine(HWND c) {
  LRESULT r = c ? SendMessageA(c, CB_GETCURSEL, 0, 0) : CB_ERR;
  return r == CB_ERR ? -1 : (i32)r;
}

static i32 ListLine(HWND list, UINT message) {
  LRESULT r = list ? SendMessageA(list, message, 0, 0) : LB_ERR;
  return r == LB_ERR ? -1 : (i32)r;
}

static void ScrollToFrame(HWND dlg) {
  const Obj3Set *s = g_Obj3Sets[0];
  if (s) SetScroll(dlg, s->frame, Ed3D_ObjStripScrollMax());
}

// [SECTION] motion dialog
INT_PTR CALLBACK Ed3D_ObjDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  static i32 s_X, s_Y;
  Ed3DObjMotionEditorState &e = Ed3DObjMotionEditor;
  Panel_StorePosition(dlg, &s_X, &s_Y);
  switch (msg) {
    case WM_INITDIALOG:
      SetTimer(dlg, 1, 50, nullptr);
      e.firstField = 1;
      return TRUE;
    case WM_COMMAND: {
      if (HIWORD(wParam) != BN_CLICKED) return TRUE;
      u32 id = LOWORD(wParam);
      static char fields[ED3D_FIELDS][ED3D_FIELD_TEXT];
      if (id == IDC_OBJ_APPLY)
        for (i32 i = 0; i < ED3D_FIELDS; i++) GetText(dlg, kEd3DObjKeyFields[i], fields[i], ED3D_FIELD_TEXT);
      Ed3D_ObjDlgCommand(id, fields);
      return TRUE;
    }
    case WM_DESTROY: KillTimer(dlg, 1); return FALSE;
    default:
      if (e.firstField == 1 && e.objDlg == dlg) {
        e.firstField = 0;
        CheckDlgButton(dlg, IDC_OBJ_MOVE, g_MotionEditOp == ED3D_OBJ_TOOL_MOVE ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(dlg, IDC_OBJ_ROTATE, g_MotionEditOp == ED3D_OBJ_TOOL_ROTATE ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(dlg, IDC_OBJ_SCALE, g_MotionEditOp == ED3D_OBJ_TOOL_SCALE ? BST_CHECKED : BST_UNCHECKED);
      }
      return FALSE;
  }
}

// [SECTION] key dialog
// The scroll bar, the sound combo and the loop check along the bottom of the client area.
static void LayoutKeyDlg(HWND dlg, i32 w, i32 h) {
  MoveWindow(GetDlgItem(dlg, IDC_OKEY_SCROLL), 0, h - 44, w, 16, TRUE);
  MoveWindow(GetDlgItem(dlg, IDC_OKEY_SOUND), 0, h - 24, 170, 200, TRUE);
  MoveWindow(GetDlgItem(dlg, IDC_OKEY_LOOP), 176, h - 22, 90, 18, TRUE);
  Strip_Register(STRIP_KZO_KEYS, dlg, w, h - 46 > 0 ? h - 46 : 0);
}

static void Capture(HWND dlg, bool on) {
  const Ed3DStripMouse &s = Ed3DObjMotionEditor.strip;
  if (on) SetCapture(dlg);
  else if (!s.left && !s.middle && !s.right) ReleaseCapture();
}

static void StripMove(LPARAM l) {
  Ed3D_ObjKeyStripMove(Ed3D_StripCoord((u32)LOWORD(l)), Ed3D_StripCoord((u32)HIWORD(l)));
}

INT_PTR CALLBACK Ed3D_ObjKeyDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  static i32 s_X, s_Y;
  Ed3DObjMotionEditorState &e = Ed3DObjMotionEditor;
  Ed3DStripMouse &s = e.strip;
  Panel_StorePosition(dlg, &s_X, &s_Y);
  App_RefreshCurrentPointers();
  switch (msg) {
    case WM_INITDIALOG: {
      e.keyDialogRefresh = 1;
      CheckDlgButton(dlg, IDC_OKEY_LOOP, e.loop ? BST_CHECKED : BST_UNCHECKED);
      RECT r;
      GetClientRect(dlg, &r);
      LayoutKeyDlg(dlg, r.right, r.bottom);
      return TRUE;
    }
    case WM_SIZE:
      LayoutKeyDlg(dlg, LOWORD(lParam), HIWORD(lParam));
      g_StripWindows[STRIP_KZO_KEYS].dirty = 1;
      return FALSE;
    case WM_GETMINMAXINFO: {
      MINMAXINFO *mm = (MINMAXINFO *)lParam;
      mm->ptMinTrackSize.x = 100, mm->ptMinTrackSize.y = 100;
      mm->ptMaxTrackSize.x = g_DesktopWidth, mm->ptMaxTrackSize.y = g_DesktopHeight;
      return FALSE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_OKEY_SOUND && HIWORD(wParam) == CBN_SELCHANGE)
        Ed3D_ObjSetKeySound(ComboLine(GetDlgItem(dlg, IDC_OKEY_SOUND)));
      return TRUE;
    case WM_HSCROLL: {
      i32 code = LOWORD(wParam);
      if (code == SB_THUMBPOSITION || code == SB_THUMBTRACK) code = 5;
      Ed3D_ObjKeyStripScroll(code, (i16)HIWORD(wParam));
      ScrollToFrame(dlg);
      return TRUE;
    }
    case WM_MOUSEMOVE: StripMove(lParam); return TRUE;
    case WM_LBUTTONDOWN:
      StripMove(lParam);
      Capture(dlg, true);
      Ed3D_ObjKeyStripLeftDown();
      return TRUE;
    case WM_LBUTTONUP:
      Ed3D_ObjKeyStripLeftUp();
      Capture(dlg, false);
      return TRUE;
    case WM_LBUTTONDBLCLK:
      Ed3D_CreateObjKey();
      Ed3D_ObjMotionRefreshLists();
      return TRUE;
    case WM_RBUTTONDOWN: s.right = 1; Capture(dlg, true); return TRUE;
    case WM_RBUTTONUP: s.right = 0; Capture(dlg, false); return TRUE;
    case WM_MBUTTONDOWN: s.middle = 1; Capture(dlg, true); return TRUE;
    case WM_MBUTTONUP: s.middle = 0; Capture(dlg, false); return TRUE;
    case WM_DESTROY:
      Strip_Unregister(STRIP_KZO_KEYS);
      if (g_WheelPanels[WHEEL_SLOT_KEY_DLG] == dlg) g_WheelPanels[WHEEL_SLOT_KEY_DLG] = nullptr;
      s.left = s.middle = s.right = 0;
      return FALSE;
    default:
      if (e.keyDialogRefresh == 1 && e.keyDlg == dlg) {
        e.keyDialogRefresh = 0;
        g_StripWindows[STRIP_KZO_KEYS].dirty = 1;
        ScrollToFrame(dlg);
      }
      return FALSE;
  }
}

// [SECTION] object list dialog
INT_PTR CALLBACK Ed3D_ObjListDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  static i32 s_X, s_Y;
  Ed3DObjMotionEditorState &e = Ed3DObjMotionEditor;
  Panel_StorePosition(dlg, &s_X, &s_Y);
  switch (msg) {
    case WM_INITDIALOG:
      SetTimer(dlg, 1, 50, nullptr);
      e.listRefresh = 1;
      return TRUE;
    case WM_NOTIFY: {
      const NMHDR *h = (const NMHDR *)lParam;
      if (!e.tree || h->hwndFrom != (HWND)e.tree || h->code != TVN_SELCHANGEDA) return FALSE;
      const NMTREEVIEWA *tv = (const NMTREEVIEWA *)lParam;
      char text[ED3D_OBJ_TEXT] = "";
      TVITEMA item = {};
      item.mask = TVIF_TEXT;
      item.hItem = tv->itemNew.hItem;
      item.pszText = text;
      item.cchTextMax = sizeof text;
      SendMessageA((HWND)e.tree, TVM_GETITEMA, 0, (LPARAM)&item);
      Ed3D_ObjTreeSelect(text);
      return TRUE;
    }
    case WM_COMMAND: {
      u32 id = LOWORD(wParam), code = HIWORD(wParam);
      bool button = code == BN_CLICKED && id != IDC_OLIST_LIST;
      i32 caret = ListLine((HWND)e.list, LB_GETCARETINDEX);
      // "決定" reads the combo; the other buttons act on the current object.
      Ed3D_ObjListCommand(button ? id : 0, caret, ComboLine((HWND)e.parentCombo));
      return TRUE;
    }
    case WM_DESTROY: KillTimer(dlg, 1); return FALSE;
    default:
      if (e.listRefresh == 1 && e.listDlg == dlg) {
        e.listRefresh = 0;
        CheckDlgButton(dlg, IDC_OLIST_JOINT, g_MotionEditOp == ED3D_OBJ_TOOL_JOINT ? BST_CHECKED : BST_UNCHECKED);
        Ed3D_FillObjParentCombo();
      }
      return FALSE;
  }
}

// [SECTION] motion list dialog (the shared template)
INT_PTR CALLBACK Ed3D_ObjMotionListDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  static i32 s_X, s_Y;
  Ed3DObjMotionEditorState &e = Ed3DObjMotionEditor;
  Panel_StorePosition(dlg, &s_X, &s_Y);
  switch (msg) {
    case WM_INITDIALOG:
      SetTimer(dlg, 1, 50, nullptr);
      e.motionListRefresh = 1;
      return TRUE;
    case WM_COMMAND: {
      Ed3D_ObjMotionListSelect(ListLine((HWND)e.motionList, LB_GETCURSEL));
      u32 id = LOWORD(wParam);
      if (HIWORD(wParam) != BN_CLICKED || id == IDC_OLIST_LIST) return TRUE;
      if (id == IDC_OML_APPLY || id == IDC_OML_ADD) {
        char name[MODEL3_NAME], length[64];
        GetText(dlg, IDC_OML_NAME, name, sizeof name);
        GetText(dlg, IDC_OML_LENGTH, length, sizeof length);
        Ed3D_ObjMotionListStore(id, name, length);
      } else if (id == IDC_OML_CLOSE) {
        // The handles go with the window: the next enter makes the dialog and its list again.
        e.motionDlg = nullptr;
        e.motionList = nullptr;
        DestroyWindow(dlg);
      }
      return TRUE;
    }
    case WM_DESTROY: KillTimer(dlg, 1); return FALSE;
    default:
      if (e.motionListRefresh == 1 && e.motionDlg == dlg) {
        e.motionListRefresh = 0;
        Ed3D_ObjMotionListRefresh();
      }
      return FALSE;
  }
}

// [SECTION] sound dialog
INT_PTR CALLBACK Ed3D_ObjWaveDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  static i32 s_X, s_Y;
  Panel_StorePosition(dlg, &s_X, &s_Y);
  switch (msg) {
    case WM_INITDIALOG: return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_OWAVE_ADD && HIWORD(wParam) == BN_CLICKED) {
        const char *file = FileDlg_OpenByExt(g_MainWindowHandle, "WAV", "効果音 ( WAV ) ファイルを選択して下さい", "");
        if (file && file[0]) {
          char path[1024];
          Str_Copy(path, sizeof path, file);
          Ed3D_ObjAddSound(path);
        }
      }
      return TRUE;
    default: return FALSE;
  }
}
