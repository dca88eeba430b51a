// List and tree rows on real controls: a name's underscore shows. The row "ボーン_01" is
// printed beside the row "ボーン 01" (a space where the underscore was) in the same control;
// the pixels where the two differ are the underscore's. With the dialog font's stand-in under
// Wine the underscore has no pixel at 9-12 px, so the rows used to be identical.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "app/listfont_win.h"
#include "app/panel_win.h"
#include "app/widget.h"
#include "app/widget_win.h"
#include "app/winorder_win.h"
#include "resources/edit3d_ids.h"

namespace {

// The control's client area as printed by the control itself, 0xRRGGBB, top row first.
std::vector<unsigned> Print(HWND c, int *w, int *h) {
  RECT r;
  GetClientRect(c, &r);
  *w = r.right;
  *h = r.bottom;
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = *w;
  bi.bmiHeader.biHeight = -*h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  HDC dc = CreateCompatibleDC(nullptr);
  void *bits = nullptr;
  HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, bmp);
  SendMessageA(c, WM_PRINTCLIENT, (WPARAM)dc, PRF_CLIENT | PRF_ERASEBKGND);
  GdiFlush();
  std::vector<unsigned> px((size_t)*w * *h);
  if (bits) memcpy(px.data(), bits, px.size() * 4);
  SelectObject(dc, old);
  DeleteObject(bmp);
  DeleteDC(dc);
  for (unsigned &p : px) p &= 0xFFFFFF;
  return px;
}

int Grey(unsigned p) { return ((p >> 16 & 255) + (p >> 8 & 255) + (p & 255)) / 3; }

// Pixels at least half the way from the ground to black in the row `a` that are ground in
// the row `b` (rows of height h at ya and yb).
int DarkOnlyIn(const std::vector<unsigned> &px, int w, int ya, int yb, int h) {
  int n = 0;
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) {
      int a = Grey(px[(size_t)(ya + y) * w + x]), b = Grey(px[(size_t)(yb + y) * w + x]);
      n += a < 128 && b >= 192;
    }
  return n;
}

const char kWith[] = "ボーン_01", kWithout[] = "ボーン 01";

TEST(ListFont, TheUnderscoreOfANameShowsInListAndTreeRows) {
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  Widget_InstallWin();
  HINSTANCE inst = GetModuleHandleA(nullptr);
  // A list of a dialog template (the dialog font) and a list and a tree made at run time in
  // another dialog, both mended when their dialog joins the windows kept above.
  HWND group = CreateDialogParamA(inst, "3D_GROUP_DLG", nullptr, nullptr, 0);
  HWND bones = CreateDialogParamA(inst, "BONE_LIST_DLG", nullptr, nullptr, 0);
  ASSERT_NE(group, nullptr);
  ASSERT_NE(bones, nullptr);
  WinOrder_Join(group);
  HWND list = (HWND)g_Widget.createList(bones, 1, 4, 40, 200, 120, WIDGET_LIST_NOTIFY);
  HWND tree = (HWND)g_Widget.createTree(bones, 4, 170, 200, 120);
  ASSERT_NE(list, nullptr);
  ASSERT_NE(tree, nullptr);

  struct Case {
    const char *name;
    HWND control;
  } cases[] = {
      {"template list", GetDlgItem(group, IDC_GRP_LIST)},
      {"run-time list", list},
      {"run-time tree", tree},
  };
  WinOrder_Join(bones);
  for (const Case &k : cases) {
    ASSERT_NE(k.control, nullptr) << k.name;
    RECT a = {}, b = {};
    if (k.control == tree) {
      HTREEITEM ia = (HTREEITEM)Panel_TreeInsert(tree, nullptr, kWith);
      HTREEITEM ib = (HTREEITEM)Panel_TreeInsert(tree, nullptr, kWithout);
      ASSERT_TRUE(TreeView_GetItemRect(tree, ia, &a, FALSE)) << k.name;
      ASSERT_TRUE(TreeView_GetItemRect(tree, ib, &b, FALSE)) << k.name;
    } else {
      SendMessageA(k.control, LB_ADDSTRING, 0, (LPARAM)kWith);
      SendMessageA(k.control, LB_ADDSTRING, 0, (LPARAM)kWithout);
      SendMessageA(k.control, LB_GETITEMRECT, 0, (LPARAM)&a);
      SendMessageA(k.control, LB_GETITEMRECT, 1, (LPARAM)&b);
    }
    int w = 0, h = 0;
    std::vector<unsigned> px = Print(k.control, &w, &h);
    int rowH = a.bottom - a.top;
    ASSERT_EQ(rowH, b.bottom - b.top) << k.name;
    ASSERT_LE(b.bottom, h) << k.name;
    // The underscore's stroke is as wide as its advance (5-7 px at the dialog font's 12 px)
    // and one pixel high: all of it differs, apart from the antialiased ends.
    int underscore = DarkOnlyIn(px, w, a.top, b.top, rowH);
    EXPECT_GE(underscore, 4) << k.name << ": the underscore shows " << underscore << " pixels";
    // The rows otherwise match: the space leaves nothing dark that the underscore row lacks.
    EXPECT_EQ(DarkOnlyIn(px, w, b.top, a.top, rowH), 0) << k.name;
  }
  // The name field and the parent combo of the same dialog: their font draws the underscore
  // too, and so does the key strips' label font.
  struct Field { const char *name; HWND control; } fields[] = {
      {"name field", GetDlgItem(bones, IDC_BONE_NAME)},
      {"parent combo", GetDlgItem(bones, IDC_BONE_PARENT)},
  };
  for (const Field &f : fields) {
    ASSERT_NE(f.control, nullptr) << f.name;
    HFONT font = (HFONT)SendMessageA(f.control, WM_GETFONT, 0, 0);
    EXPECT_TRUE(ListFont_Draws(font ? font : (HFONT)GetStockObject(SYSTEM_FONT), "_")) << f.name;
  }
  HFONT strip = CreateFontA(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, FIXED_PITCH | FF_MODERN, "ＭＳ ゴシック");
  strip = ListFont_OwnFor(strip);
  EXPECT_TRUE(ListFont_Draws(strip, "_")) << "the key strips' labels";
  DeleteObject(strip);
  WinOrder_Leave(group);
  WinOrder_Leave(bones);
  DestroyWindow(group);
  DestroyWindow(bones);
}

}  // namespace
