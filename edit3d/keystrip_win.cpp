// The key dialog of a 3D key strip on Windows. The decisions are keystrip.cpp's and the
// editor's (through its KeyStrip record); this file moves the messages to them.
#include "edit3d/keystrip_win.h"

#include "app/shell_win.h"
#include "app/strip.h"
#include "app/strip_state.h"
#include "app/views.h"
#include "app/widget.h"
#include "edit3d/ed3d_motion.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"

// The scroll bar, the sound combo and the loop check along the bottom of the client area.
static void Layout(const KeyStrip *k, HWND dlg, i32 w, i32 h) {
  MoveWindow(GetDlgItem(dlg, (int)k->scrollId), 0, h - 44, w, 16, TRUE);
  MoveWindow(GetDlgItem(dlg, (int)k->soundId), 0, h - 24, 170, 200, TRUE);
  MoveWindow(GetDlgItem(dlg, (int)k->play.loopId), 176, h - 22, 90, 18, TRUE);
  Strip_Register((i32)k->window, dlg, w, h - 46 > 0 ? h - 46 : 0);
}

static void Capture(const KeyStrip *k, HWND dlg, bool on) {
  const Ed3DStripMouse &s = *k->mouse;
  // A press in the strip takes the keys from the sound combo: Delete then deletes the key
  // just clicked.
  if (on && GetFocus() != dlg) SetFocus(dlg);
  if (on) SetCapture(dlg);
  else if (!s.left && !s.middle && !s.right) ReleaseCapture();
}

static void Move(const KeyStrip *k, LPARAM l) {
  KeyStrip_Move(k, Ed3D_StripCoord((u32)LOWORD(l)), Ed3D_StripCoord((u32)HIWORD(l)));
}

// The messages of the dialog's life: creation, size, the sound combo, the scroll bar, and
// the refresh that any other message runs while the refresh flag is up.
static INT_PTR Life(const KeyStrip *k, HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG: {
      *k->play.refresh = 1;
      CheckDlgButton(dlg, (int)k->play.loopId, *k->play.loop ? BST_CHECKED : BST_UNCHECKED);
      RECT r;
      GetClientRect(dlg, &r);
      Layout(k, dlg, r.right, r.bottom);
      return TRUE;
    }
    case WM_SIZE:
      Layout(k, dlg, LOWORD(lParam), HIWORD(lParam));
      g_Strip.g_StripWindows[k->window].dirty = 1;
      return FALSE;
    case WM_GETMINMAXINFO: {
      MINMAXINFO *mm = (MINMAXINFO *)lParam;
      mm->ptMinTrackSize.x = 100, mm->ptMinTrackSize.y = 100;
      mm->ptMaxTrackSize.x = g_Lib.desktopWidth, mm->ptMaxTrackSize.y = g_Lib.desktopHeight;
      return FALSE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == k->soundId && HIWORD(wParam) == CBN_SELCHANGE)
        k->setSound(Widget_ListSelection(GetDlgItem(dlg, (int)k->soundId)));
      return TRUE;
    case WM_HSCROLL: {
      i32 code = LOWORD(wParam);
      if (code == SB_THUMBPOSITION || code == SB_THUMBTRACK) code = 5;
      k->scroll(code, (i16)HIWORD(wParam));
      k->syncScroll(dlg);
      return TRUE;
    }
    case WM_DESTROY:
      Strip_Unregister((i32)k->window);
      if (g_WheelPanels[KEYSTRIP_WHEEL_SLOT] == dlg) g_WheelPanels[KEYSTRIP_WHEEL_SLOT] = nullptr;
      k->mouse->left = k->mouse->middle = k->mouse->right = 0;
      return FALSE;
    default:
      if (*k->play.refresh == 1 && *k->play.loopPanel == dlg) {
        *k->play.refresh = 0;
        g_Strip.g_StripWindows[k->window].dirty = 1;
        k->syncScroll(dlg);
      }
      return FALSE;
  }
}

INT_PTR KeyStrip_DlgMessage(const KeyStrip *k, HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  Ed3DStripMouse &s = *k->mouse;
  switch (msg) {
    case WM_MOUSEMOVE: Move(k, lParam); return TRUE;
    case WM_LBUTTONDOWN:
      Move(k, lParam);
      Capture(k, dlg, true);
      KeyStrip_LeftDown(k);
      return TRUE;
    case WM_LBUTTONUP:
      KeyStrip_LeftUp(k);
      Capture(k, dlg, false);
      return TRUE;
    case WM_LBUTTONDBLCLK: k->createKey(); return TRUE;
    case WM_RBUTTONDOWN: s.right = 1; Capture(k, dlg, true); return TRUE;
    case WM_RBUTTONUP: s.right = 0; Capture(k, dlg, false); return TRUE;
    case WM_MBUTTONDOWN: KeyStrip_MiddleDown(k); Capture(k, dlg, true); return TRUE;
    case WM_MBUTTONUP: KeyStrip_MiddleUp(k); Capture(k, dlg, false); return TRUE;
    // The press's SetFocus keeps the keys in the strip itself: the dialog's default handling
    // would hand them on to the sound combo.
    case WM_SETFOCUS: return TRUE;
    case WM_KEYDOWN:
      if (!k->deleteKey) break;   // not taken: it may run the refresh as any other message
      if (wParam == VK_DELETE) k->deleteKey();
      return TRUE;
    default: break;
  }
  return Life(k, dlg, msg, wParam, lParam);
}
