// The set of windows kept above the main window (see winorder_win.h). Owns g_WinOrder.
#include "model/types.h"
#include "app/listfont_win.h"
#include "app/winorder_win.h"
#include "app/winplace_win.h"


WinOrder g_WinOrder;

void WinOrder_Join(HWND w) {
  WinOrder &o = g_WinOrder;
  if (!w) return;
  for (u32 i = 0; i < o.count; i++)
    if (o.windows[i] == w) return;
  if (o.count < WINORDER_CAPACITY) o.windows[o.count++] = w;
  ListFont_Mend(w);
  WinPlace_Join(w);
}

void WinOrder_Leave(HWND w) {
  WinOrder &o = g_WinOrder;
  for (u32 i = 0; i < o.count; i++) {
    if (o.windows[i] != w) continue;
    WinPlace_Forget(w);
    for (u32 k = i + 1; k < o.count; k++) o.windows[k - 1] = o.windows[k];
    o.count--;
    return;
  }
}

static bool IsMember(HWND w) {
  const WinOrder &o = g_WinOrder;
  for (u32 i = 0; i < o.count; i++)
    if (o.windows[i] == w) return true;
  return false;
}

// True when a visible member of the set lies below the main window in the window order.
static bool AnyMemberBelow(HWND main) {
  for (HWND w = GetWindow(main, GW_HWNDNEXT); w; w = GetWindow(w, GW_HWNDNEXT))
    if ((IsMember(w) || w == g_WinOrder.under) && IsWindowVisible(w)) return true;
  return false;
}

void WinOrder_RaiseAll(void) {
  WinOrder &o = g_WinOrder;
  if (o.raising) return;
  o.raising = true;
  if (o.under && IsWindow(o.under) && IsWindowVisible(o.under))
    SetWindowPos(o.under, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
  // The view windows next: the tool panels stay above them.
  for (int views = 1; views >= 0; views--)
    for (u32 i = 0; i < o.count; i++) {
      HWND w = o.windows[i];
      if (!IsWindow(w) || !IsWindowVisible(w)) continue;   // a destroyed window that never left
      if (WinPlace_IsView(w) != (views == 1)) continue;
      SetWindowPos(w, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    }
  o.raising = false;
}

// Wine changes the order also after the messages that announce it (activation runs partly
// on X events that come later): the order is checked again on a short timer as well.
static void CheckOrder(void) {
  HWND main = g_WinOrder.main;
  if (!main || !IsWindow(main) || !AnyMemberBelow(main)) return;
  // While a modal box is open its owner is disabled: the set goes back above the main window
  // and the box above the set, so the box stays in front and the windows in view.
  HWND box = IsWindowEnabled(main) ? nullptr : GetActiveWindow();
  WinOrder_RaiseAll();
  if (box && box != main && !IsMember(box))
    SetWindowPos(box, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

static void CALLBACK CheckTimer(HWND, UINT, UINT_PTR, DWORD) { CheckOrder(); }

void WinOrder_MainMessage(HWND main, UINT msg, WPARAM wParam, LPARAM lParam) {
  WinOrder &o = g_WinOrder;
  if (o.main != main) {
    o.main = main;
    if (!o.timer) o.timer = SetTimer(nullptr, 0, 100, CheckTimer);
  }
  if (msg == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE) CheckOrder();
  if (msg == WM_DESTROY && o.timer) {
    KillTimer(nullptr, o.timer);
    o.timer = 0;
    o.main = nullptr;
  }
}
