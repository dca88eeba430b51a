// The Windows side of the 2D family's key strip windows (see ed2d_strip_win.h).
#include "edit2d/ed2d_strip_win.h"

#include "edit2d/ed2d_strip.h"

static i32 Half(u32 v) { return v > 10000 ? (i32)v - 65535 : (i32)v; }
i32 Ed2D_StripMouseX(LPARAM lp) { return Half(LOWORD(lp)); }
i32 Ed2D_StripMouseY(LPARAM lp) { return Half(HIWORD(lp)); }

bool Ed2D_StripMouseKind(UINT msg, u32 *kind) {
  switch (msg) {
    case WM_MOUSEMOVE: *kind = ED2D_MOUSE_MOVE; return true;
    case WM_LBUTTONDOWN: *kind = ED2D_MOUSE_LDOWN; return true;
    case WM_LBUTTONUP: *kind = ED2D_MOUSE_LUP; return true;
    case WM_LBUTTONDBLCLK: *kind = ED2D_MOUSE_LDOUBLE; return true;
    case WM_MBUTTONDOWN: *kind = ED2D_MOUSE_MDOWN; return true;
    case WM_MBUTTONUP: *kind = ED2D_MOUSE_MUP; return true;
    case WM_RBUTTONDOWN: *kind = ED2D_MOUSE_RDOWN; return true;
    case WM_RBUTTONUP: *kind = ED2D_MOUSE_RUP; return true;
    default: return false;
  }
}

void Ed2D_StripCapture(HWND dlg, u32 kind) {
  if (kind == ED2D_MOUSE_LDOWN || kind == ED2D_MOUSE_MDOWN || kind == ED2D_MOUSE_RDOWN) SetCapture(dlg);
  if ((kind == ED2D_MOUSE_LUP || kind == ED2D_MOUSE_MUP || kind == ED2D_MOUSE_RUP) && GetCapture() == dlg) ReleaseCapture();
}

bool Ed2D_StripMouse(HWND dlg, UINT msg, LPARAM lParam, void (*mouse)(u32 kind, i32 x, i32 y)) {
  u32 kind;
  if (!Ed2D_StripMouseKind(msg, &kind)) return false;
  Ed2D_StripCapture(dlg, kind);
  mouse(kind, Ed2D_StripMouseX(lParam), Ed2D_StripMouseY(lParam));
  return true;
}

void Ed2D_StripPlaceScrollBar(HWND dlg) {
  HWND bar = GetDlgItem(dlg, IDC_O2D_KEY_SCROLL);
  RECT r;
  if (!bar || !GetClientRect(dlg, &r)) return;
  MoveWindow(bar, 0, r.bottom - ED2D_STRIP_SCROLL_H, r.right, ED2D_STRIP_SCROLL_H, TRUE);
}

HWND Ed2D_StripCreateScrollBar(HWND dlg) {
  HWND bar = CreateWindowExA(0, "SCROLLBAR", "", WS_CHILD | WS_VISIBLE | SBS_HORZ, 0, 0, 100, ED2D_STRIP_SCROLL_H, dlg,
                             (HMENU)(INT_PTR)IDC_O2D_KEY_SCROLL, GetModuleHandleA(nullptr), nullptr);
  Ed2D_StripPlaceScrollBar(dlg);
  return bar;
}

void Ed2D_StripHScroll(WPARAM wParam, void (*scroll)(u32 code, i32 pos)) {
  switch (LOWORD(wParam)) {
    case SB_LINELEFT: scroll(ED2D_SCROLL_LINE_LEFT, 0); break;
    case SB_LINERIGHT: scroll(ED2D_SCROLL_LINE_RIGHT, 0); break;
    case SB_PAGELEFT: scroll(ED2D_SCROLL_PAGE_LEFT, 0); break;
    case SB_PAGERIGHT: scroll(ED2D_SCROLL_PAGE_RIGHT, 0); break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: scroll(ED2D_SCROLL_THUMB, (i32)(i16)HIWORD(wParam)); break;
    default: break;
  }
}

void Ed2D_StripTrackSize(LPARAM lParam) {
  MINMAXINFO *m = (MINMAXINFO *)lParam;
  m->ptMinTrackSize.x = 100, m->ptMinTrackSize.y = 100;
  m->ptMaxTrackSize.x = 1600, m->ptMaxTrackSize.y = 1024;
}
