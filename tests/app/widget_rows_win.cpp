// The rows of the lists and trees panels make at run time hold their whole text: a row of
// underscores (drawn below the baseline) shows dark pixels inside its own row rectangle.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "app/widget.h"
#include "app/widget_win.h"

namespace {

// Dark pixels of the control's client area inside r, read back from the window's DC.
int DarkPixels(HWND control, const RECT &r) {
  HDC dc = GetDC(control);
  int dark = 0;
  for (int y = r.top; y < r.bottom; y++)
    for (int x = r.left; x < r.right; x++) {
      COLORREF c = GetPixel(dc, x, y);
      if (c != CLR_INVALID && GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 96) dark++;
    }
  ReleaseDC(control, dc);
  return dark;
}

TEST(WidgetRows, ListAndTreeRowsHoldTheirUnderscores) {
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  Widget_InstallWin();
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
  wc.lpszClassName = "WidgetRowsTestParent";
  RegisterClassA(&wc);
  HWND parent = CreateWindowA(wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, 0, 0, 420, 240, nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(parent, nullptr);
  HWND list = (HWND)Widget_CreateList(parent, 1, 0, 0, 200, 200, WIDGET_LIST_NOTIFY);
  HWND tree = (HWND)Widget_CreateTree(parent, 210, 0, 200, 200);
  ASSERT_NE(list, nullptr);
  ASSERT_NE(tree, nullptr);
  const char *rows[] = {"________", "________"};
  void *items[2];
  for (int i = 0; i < 2; i++) {
    Widget_ListAdd(list, rows[i]);
    items[i] = Widget_TreeInsert(tree, nullptr, rows[i]);
  }
  // The selection would paint the row dark: none is selected.
  SendMessageA(list, LB_SETCURSEL, (WPARAM)-1, 0);
  SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, 0);
  UpdateWindow(parent);
  RedrawWindow(parent, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Sleep(200);
  RedrawWindow(parent, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);

  for (int i = 0; i < 2; i++) {
    SCOPED_TRACE(i);
    RECT r = {};
    ASSERT_NE(SendMessageA(list, LB_GETITEMRECT, (WPARAM)i, (LPARAM)&r), LB_ERR);
    EXPECT_GT(DarkPixels(list, r), 0) << "list row " << r.top << ".." << r.bottom;
    RECT t = {};
    *(HTREEITEM *)&t = (HTREEITEM)items[i];
    ASSERT_TRUE(SendMessageA(tree, TVM_GETITEMRECT, TRUE, (LPARAM)&t));
    EXPECT_GT(DarkPixels(tree, t), 0) << "tree row " << t.top << ".." << t.bottom;
  }
  DestroyWindow(parent);
}

}  // namespace
