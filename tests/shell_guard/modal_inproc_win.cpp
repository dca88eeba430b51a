// While a message box or a file dialog of the program is up, no other window of the program
// takes a click (the selector, the sub-mode panel, a view), and a key that closed a dialog
// never reaches the main window's handling afterwards: Esc on a file dialog does not ask to
// quit.
#include "app/shell_view.h"
#include "guard_drive.h"

#include "app/filemenu.h"
#include "lib/framework/lib_state.h"
#include "resources/map2_ids.h"
#include "resources/prog_ids.h"
#include "scene/prog.h"

namespace {

// A real left click at the centre of a window (or of one of its controls), as the mouse makes
// it: through the system's input queue, so that a disabled window does not get it.
void RealClick(HWND w) {
  // Above every other window of the program, so that the point is its own.
  SetWindowPos(GetAncestor(w, GA_ROOT), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  RECT r;
  GetWindowRect(w, &r);
  SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_MOUSE;
  in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, in, sizeof in[0]);
}

// What a modal window's own loop does while it is up: the messages of the thread, dispatched.
void ModalLoop(DWORD ms) {
  DWORD until = GetTickCount() + ms;
  while (GetTickCount() < until) {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
    Sleep(10);
  }
}

HWND Control(void *window, int id) { return GetDlgItem((HWND)window, id); }

struct LiveCheck {
  int boxes = 0;
  bool selectorEnabled = true, panelEnabled = true, viewEnabled = true;
};
LiveCheck g_Live;

// Inside the box: the other windows are disabled, and clicks on them go nowhere.
void ClickAroundTheBox() {
  LiveCheck &c = g_Live;
  c.boxes++;
  HWND view = Drive_FrontView(g_Shell.g_EditSubMode);
  c.selectorEnabled = IsWindowEnabled((HWND)g_EditDlg.window) != 0;
  c.panelEnabled = IsWindowEnabled((HWND)g_Ed3D.modePanel) != 0;
  c.viewEnabled = view && IsWindowEnabled(view) != 0;
  RealClick(Control(g_EditDlg.window, IDC_EDIT_PREVIEW));
  ModalLoop(300);
  RealClick(Control(g_Ed3D.modePanel, IDC_M3D_BONE));
  ModalLoop(300);
  if (view) {
    RealClick(view);
    ModalLoop(300);
  }
}

TEST(Modal, NoOtherWindowTakesAClickWhileABoxIsUp) {
  Guard_Start("miravel_guard");
  g_GuardAnswer = IDYES;
  ASSERT_TRUE(Guard_Family(IDC_EDIT_3D_MODEL, FAMILY_3D_MODEL));
  Drive_Press3D(IDC_M3D_POLY);
  Guard_PumpIdle(5);
  // Without a box the same click reaches the panel: the clicks are real. Wine now and then
  // spends a press on activating the panel's window; the click is then made again.
  for (int i = 0; i < 3 && g_Shell.g_EditSubMode != SUB_3D_BONE; i++) {
    RealClick(Control(g_Ed3D.modePanel, IDC_M3D_BONE));
    DWORD until = GetTickCount() + 5000;
    Drive_PumpUntil([&] { return g_Shell.g_EditSubMode == SUB_3D_BONE || GetTickCount() > until; }, 100000000);
  }
  ASSERT_EQ(g_Shell.g_EditSubMode, (u32)SUB_3D_BONE) << "a click without a box reaches the panel";
  Drive_Press3D(IDC_M3D_POLY);
  Guard_PumpIdle(5);

  // The exit question (Esc), answered "いいえ" after the clicks.
  g_Live = {};
  g_GuardWhileBox = ClickAroundTheBox;
  g_GuardAnswer = IDNO;
  Guard_Key(VK_ESCAPE);
  g_GuardWhileBox = nullptr;
  g_GuardAnswer = IDYES;
  Guard_PumpIdle(5);
  EXPECT_EQ(g_Live.boxes, 1);
  EXPECT_FALSE(g_Live.selectorEnabled);
  EXPECT_FALSE(g_Live.panelEnabled);
  EXPECT_FALSE(g_Live.viewEnabled);
  EXPECT_EQ(g_Shell.g_EditFamily, (u32)FAMILY_3D_MODEL) << "the selector took no click";
  EXPECT_EQ(g_Shell.g_EditSubMode, (u32)SUB_3D_POLY) << "the sub-mode panel took no click";
  // Everything takes input again once the box is gone.
  EXPECT_TRUE(IsWindowEnabled((HWND)g_EditDlg.window));
  EXPECT_TRUE(IsWindowEnabled((HWND)g_Ed3D.modePanel));
  HWND view = Drive_FrontView(g_Shell.g_EditSubMode);
  ASSERT_NE(view, nullptr);
  EXPECT_TRUE(IsWindowEnabled(view));
}

// The file dialogs of the program: the File menu's, and those of the panels.
struct Dialog {
  const char *name;
  int familyButton;
  bool panel;   // a control of the family's panel, else a menu command
  int id;
};
const Dialog kDialogs[] = {
    {"KZP open", IDC_EDIT_3D_MODEL, false, IDM_KZP_OPEN},   {"KZP save", IDC_EDIT_3D_MODEL, false, IDM_KZP_SAVE},
    {"any open", IDC_EDIT_3D_MODEL, false, IDM_ANY_OPEN},   {"MX open", IDC_EDIT_3D_MODEL, false, IDM_MX_OPEN},
    {"MX save", IDC_EDIT_3D_MODEL, false, IDM_MX_SAVE},     {"LWO open", IDC_EDIT_3D_MODEL, false, IDM_LWO_OPEN},
    {"LWO save", IDC_EDIT_3D_MODEL, false, IDM_LWO_SAVE},   {"MQO open", IDC_EDIT_3D_MODEL, false, IDM_MQO_OPEN},
    {"ROK open", IDC_EDIT_3D_MODEL, false, IDM_ROK_OPEN},   {"DXF open", IDC_EDIT_3D_MODEL, false, IDM_DXF_OPEN},
    {"X open", IDC_EDIT_3D_MODEL, false, IDM_X_OPEN},       {"X save", IDC_EDIT_3D_MODEL, false, IDM_X_SAVE},
    {"KZM open", IDC_EDIT_3D_MODEL, false, IDM_KZM_OPEN},   {"KZM save", IDC_EDIT_3D_MODEL, false, IDM_KZM_SAVE},
    {"KZO open", IDC_EDIT_3D_MODEL, false, IDM_KZO_OPEN},   {"KZO save", IDC_EDIT_3D_MODEL, false, IDM_KZO_SAVE},
    {"KZB open", IDC_EDIT_2D_MODEL, false, IDM_KZB_OPEN},   {"KZB save", IDC_EDIT_2D_MODEL, false, IDM_KZB_SAVE},
    {"KZA open", IDC_EDIT_2D_MODEL, false, IDM_KZA_OPEN},   {"KZA save", IDC_EDIT_2D_MODEL, false, IDM_KZA_SAVE},
    {"KZV open", IDC_EDIT_MOVIE, false, IDM_KZV_OPEN},      {"KZV save", IDC_EDIT_MOVIE, false, IDM_KZV_SAVE},
    {"KZC open", IDC_EDIT_COLLISION, false, IDM_KZC_OPEN},  {"KZC save", IDC_EDIT_COLLISION, false, IDM_KZC_SAVE},
    {"collision KZP", IDC_EDIT_COLLISION, false, IDM_COLI_KZP_OPEN},
    {"background KZP", IDC_EDIT_COLLISION, false, IDM_BACK_KZP_OPEN},
    {"MAP2 open", IDC_EDIT_2D_MAP, false, IDM_MAP2_OPEN},   {"MAP2 save", IDC_EDIT_2D_MAP, false, IDM_MAP2_SAVE},
    {"map tile 追加", IDC_EDIT_2D_MAP, true, IDC_MAP2_ADD}, {"ソース選択", IDC_EDIT_PROGRAM, false, IDM_PROG_SOURCE},
};

// The dialog's own loop takes the Esc key-down and closes on it (cancel); the release comes
// after the dialog is gone, as a user's finger leaves the key.
BOOL EscapeInTheDialog(OPENFILENAMEA *) {
  PostMessageA(g_Lib.mainWnd, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  MSG m;
  while (PeekMessageA(&m, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE)) {
  }
  return FALSE;
}

bool AskedToQuit() {
  for (const std::string &b : g_GuardBoxes)
    if (b.find("終了しても、よろしいですか？") != std::string::npos) return true;
  return false;
}

TEST(Modal, EscOnEveryFileDialogDoesNotAskToQuit) {
  Guard_Start("miravel_guard");
  int dialogs = 0;
  for (const Dialog &d : kDialogs) {
    g_GuardAnswer = IDYES;
    u32 family = 0;
    for (const GuardFamily &f : kGuardFamilies)
      if (f.button == d.familyButton) family = f.family;
    ASSERT_TRUE(Guard_Family(d.familyButton, family)) << d.name;
    // No document is changed, so no question comes before the dialog.
    for (u32 k = 0; k < DOC_KINDS; k++) Doc_ClearChanged(k);
    g_GuardBoxes.clear();
    g_GuardFileTitles.clear();
    g_GuardWhileFile = EscapeInTheDialog;
    g_GuardAnswer = IDNO;   // a quit question, were one asked, is answered "いいえ"
    if (d.panel) {
      void *panel = d.familyButton == IDC_EDIT_2D_MAP ? g_Map2Editor.dialog : nullptr;
      ASSERT_NE(panel, nullptr) << d.name;
      Drive_Command(panel, d.id);
    } else {
      SendMessageA(g_Lib.mainWnd, WM_COMMAND, (WPARAM)d.id, 0);
    }
    g_GuardWhileFile = nullptr;
    if (g_GuardFileTitles.empty()) continue;   // a save with nothing to save opens none
    dialogs++;
    PostMessageA(g_Lib.mainWnd, WM_KEYUP, VK_ESCAPE, 0xC0010001);
    Guard_PumpIdle(5);
    EXPECT_FALSE(AskedToQuit()) << d.name;
    ASSERT_TRUE(Drive_Alive(g_Lib.mainWnd)) << d.name;
  }
  EXPECT_GE(dialogs, 20);
  // A later Esc of the main window itself asks as before.
  g_GuardBoxes.clear();
  Guard_Key(VK_ESCAPE);
  EXPECT_TRUE(AskedToQuit());
  g_GuardAnswer = IDYES;
}

}  // namespace
