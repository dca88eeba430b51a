// The panels' tree glue on a real tree view: a selection change of the panel's own tree passes
// the selected item's text (cut to the glue's buffer) to the panel's handler, and a
// notification from another tree, or one that is not a selection change, passes nothing.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "app/panel_win.h"

namespace {

std::vector<std::string> g_Selected;
void *g_Tree;
int g_Handled;

void Selected(const char *text) { g_Selected.push_back(text); }

LRESULT CALLBACK ParentProc(HWND w, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NOTIFY && Panel_TreeNotify(lParam, g_Tree, Selected)) g_Handled++;
  return DefWindowProcA(w, msg, wParam, lParam);
}

TEST(PanelTree, SelectionChangesOfThePanelsTreePassTheItemText) {
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  WNDCLASSA wc = {};
  wc.lpfnWndProc = ParentProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "PanelTreeTestParent";
  RegisterClassA(&wc);
  HWND parent = CreateWindowA(wc.lpszClassName, "", WS_OVERLAPPEDWINDOW, 0, 0, 300, 300, nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(parent, nullptr);
  HWND tree = CreateWindowA(WC_TREEVIEWA, "", WS_CHILD | WS_VISIBLE, 0, 0, 200, 200, parent, nullptr, wc.hInstance, nullptr);
  HWND other = CreateWindowA(WC_TREEVIEWA, "", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, parent, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(tree, nullptr);
  std::string longName(400, 'b');
  void *root = Panel_TreeInsert(tree, nullptr, "root");
  void *child = Panel_TreeInsert(tree, root, "腕");
  void *longItem = Panel_TreeInsert(tree, root, longName.c_str());
  void *elsewhere = Panel_TreeInsert(other, nullptr, "other");
  Panel_TreeExpand(tree, root);

  struct Case {
    const char *name;
    void *watched;    // the panel's tree
    HWND in;          // the tree the selection changes in
    void *item;
    const char *text;   // null: nothing passed
  } cases[] = {
      {"a child", tree, tree, child, "腕"},
      {"the root", tree, tree, root, "root"},
      {"a long text is cut", tree, tree, longItem, nullptr},
      {"another tree", tree, other, elsewhere, nullptr},
      {"no tree", nullptr, tree, child, nullptr},
  };
  for (const Case &c : cases) {
    g_Selected.clear();
    g_Handled = 0;
    g_Tree = c.watched;
    Panel_TreeSelect(c.in, c.item);
    bool cut = c.item == longItem;
    if (c.text) {
      ASSERT_EQ(g_Selected.size(), 1u) << c.name;
      EXPECT_EQ(g_Selected[0], c.text) << c.name;
    } else if (cut) {
      ASSERT_EQ(g_Selected.size(), 1u) << c.name;
      EXPECT_EQ(g_Selected[0], std::string(PANEL_TREE_TEXT - 1, 'b')) << c.name;
    } else {
      EXPECT_TRUE(g_Selected.empty()) << c.name;
    }
    EXPECT_EQ(g_Handled, (int)g_Selected.size()) << c.name;
  }
  DestroyWindow(parent);
}

}  // namespace
