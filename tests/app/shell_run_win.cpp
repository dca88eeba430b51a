// The program as a user meets it, driven from outside by messages: it starts maximised in
// the 3D editor with the selector and the layout's view windows, the selector's preview
// button switches family and menu, Esc asks before closing, and options, placement and an
// added view window survive a restart. Each test starts Miravel.exe as a child process.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/family.h"
#include "app/settings.h"
#include "resources/shell_ids.h"
#include "file_bytes.h"

namespace {

const DWORD kStartTimeoutMs = 60000;

std::string ExeDir() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string s(path, n);
  size_t cut = s.find_last_of("\\/");
  return cut == std::string::npos ? "." : s.substr(0, cut);
}

// The settings file the program reads and writes on this desktop.
std::string SettingsPath() {
  const char *src = getenv("MIRAVEL_SRC");
  char name[64];
  Settings_FileName(name, sizeof name, GetSystemMetrics(SM_CXSCREEN));
  std::string p = std::string(src ? src : "..\\..") + "/Data/" + name;
  for (char &c : p) if (c == '/') c = '\\';
  return p;
}

// Keeps the user's settings file as it was before the test.
struct SettingsGuard {
  std::string path = SettingsPath();
  std::vector<u8> saved = ReadFileBytes(path);
  bool existed = !saved.empty();
  SettingsGuard() {
    // The data folder's System folder may not exist in a fresh tree.
    std::string dir = path.substr(0, path.find_last_of('\\'));
    CreateDirectoryA(dir.substr(0, dir.find_last_of('\\')).c_str(), nullptr);
    CreateDirectoryA(dir.c_str(), nullptr);
    DeleteFileA(path.c_str());
  }
  ~SettingsGuard() {
    DeleteFileA(path.c_str());
    if (existed) WriteFileBytes(path, saved);
  }
};

struct App {
  PROCESS_INFORMATION pi = {};
  bool Start(const std::string &args = "") {
    // Questions are answered by the test, not automatically; no ready file.
    SetEnvironmentVariableA("MIRAVEL_MODAL_AUTO", nullptr);
    SetEnvironmentVariableA("MIRAVEL_READY_FILE", nullptr);
    std::string cmd = "\"" + ExeDir() + "\\Miravel.exe\"" + (args.empty() ? "" : " " + args);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    std::vector<char> buf(cmd.begin(), cmd.end());
    buf.push_back(0);
    return CreateProcessA(nullptr, buf.data(), nullptr, nullptr, FALSE, 0, nullptr, ExeDir().c_str(), &si, &pi) != 0;
  }
  bool Running() { return WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT; }
  // Exit code, or -999 when it did not end in time (it is then terminated).
  int WaitExit(DWORD ms = 20000) {
    if (WaitForSingleObject(pi.hProcess, ms) != WAIT_OBJECT_0) {
      TerminateProcess(pi.hProcess, 1);
      WaitForSingleObject(pi.hProcess, 5000);
      return -999;
    }
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    return (int)code;
  }
  ~App() {
    if (pi.hProcess) {
      if (Running()) { TerminateProcess(pi.hProcess, 1); WaitForSingleObject(pi.hProcess, 5000); }
      CloseHandle(pi.hProcess);
      CloseHandle(pi.hThread);
    }
  }
};

struct Found {
  DWORD pid;
  std::string title;
  std::vector<HWND> windows;
  const char *cls = nullptr;   // only windows of this class when set
};

BOOL CALLBACK CollectWindow(HWND w, LPARAM lp) {
  Found *f = (Found *)lp;
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid != f->pid || !IsWindowVisible(w)) return TRUE;
  char text[256] = "";
  GetWindowTextA(w, text, sizeof text);
  char cls[64] = "";
  GetClassNameA(w, cls, sizeof cls);
  if (f->title == text && (!f->cls || strcmp(cls, f->cls) == 0)) f->windows.push_back(w);
  return TRUE;
}

std::vector<HWND> WindowsTitled(DWORD pid, const char *title, const char *cls = nullptr) {
  Found f{pid, title, {}, cls};
  EnumWindows(CollectWindow, (LPARAM)&f);
  return f.windows;
}

HWND WaitWindow(DWORD pid, const char *title, DWORD ms = kStartTimeoutMs, const char *cls = nullptr) {
  for (DWORD t = 0; t < ms; t += 100) {
    std::vector<HWND> w = WindowsTitled(pid, title, cls);
    if (!w.empty()) return w[0];
    Sleep(100);
  }
  return nullptr;
}

// The main window: the one top-level window of the process with the program's caption prefix.
BOOL CALLBACK FindMain(HWND w, LPARAM lp) {
  Found *f = (Found *)lp;
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  char cls[64] = "";
  GetClassNameA(w, cls, sizeof cls);
  if (pid == f->pid && strcmp(cls, "D3D Window") == 0) f->windows.push_back(w);
  return TRUE;
}

HWND MainWindow(DWORD pid) {
  Found f{pid, "", {}};
  EnumWindows(FindMain, (LPARAM)&f);
  return f.windows.empty() ? nullptr : f.windows[0];
}

bool WaitChecked(HWND dlg, int id, DWORD ms = 5000) {
  for (DWORD t = 0; t < ms; t += 50) {
    if (SendMessageA(GetDlgItem(dlg, id), BM_GETCHECK, 0, 0) == BST_CHECKED) return true;
    Sleep(50);
  }
  return false;
}

void Click(HWND dlg, int id) {
  PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dlg, id));
}

// Answers the program's question box with the button `id` (IDYES / IDNO).
bool AnswerBox(DWORD pid, int id) {
  HWND box = WaitWindow(pid, "Miravel", 20000, "#32770");
  if (!box) return false;
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(box, id));
  return true;
}

void PressEscape(HWND main) {
  PostMessageA(main, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  PostMessageA(main, WM_KEYUP, VK_ESCAPE, 0xC0010001);
}

// Starts the program and waits for its edit-mode selector: the main window, or null.
HWND StartToMain(App &app, HWND *selector = nullptr) {
  if (!app.Start()) return nullptr;
  HWND sel = WaitWindow(app.pi.dwProcessId, " 編集モード");
  if (selector) *selector = sel;
  return sel ? MainWindow(app.pi.dwProcessId) : nullptr;
}

// Esc, then "はい": true when the program ended with exit code 0.
bool ConfirmExit(App &app, HWND main) {
  PressEscape(main);
  return AnswerBox(app.pi.dwProcessId, IDYES) && app.WaitExit() == 0;
}

// How many visible windows of the process carry `title`, after waiting up to 5 s for `want`.
size_t WaitWindowCount(DWORD pid, const char *title, size_t want) {
  for (int t = 0; t < 100 && WindowsTitled(pid, title).size() < want; t++) Sleep(50);
  return WindowsTitled(pid, title).size();
}

}  // namespace

TEST(ShellRun, StartsMaximisedIn3DEditorAndPreviewButtonSwitchesFamily) {
  SettingsGuard guard;
  App app;
  HWND selector = nullptr;
  HWND main = StartToMain(app, &selector);
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(IsZoomed(main));
  EXPECT_TRUE(WaitChecked(selector, IDC_EDIT_3D_MODEL));
  EXPECT_EQ(WindowsTitled(app.pi.dwProcessId, "Front").size(), 1u);
  EXPECT_EQ(WindowsTitled(app.pi.dwProcessId, "Top").size(), 1u);
  EXPECT_EQ(WindowsTitled(app.pi.dwProcessId, "Side").size(), 1u);
  // Restore and Move are gone from the system menu.
  HMENU sys = GetSystemMenu(main, FALSE);
  EXPECT_EQ(GetMenuState(sys, SC_RESTORE, MF_BYCOMMAND), (UINT)-1);
  EXPECT_EQ(GetMenuState(sys, SC_MOVE, MF_BYCOMMAND), (UINT)-1);

  Click(selector, IDC_EDIT_PREVIEW);
  EXPECT_TRUE(WaitChecked(selector, IDC_EDIT_PREVIEW));
  EXPECT_EQ(SendMessageA(GetDlgItem(selector, IDC_EDIT_3D_MODEL), BM_GETCHECK, 0, 0), BST_UNCHECKED);

  // The close box closes without asking.
  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(app.WaitExit(), 0);
}

TEST(ShellRun, EscapeAsksAndNoKeepsItRunning) {
  SettingsGuard guard;
  App app;
  HWND main = StartToMain(app);
  ASSERT_NE(main, nullptr);
  PressEscape(main);
  ASSERT_TRUE(AnswerBox(app.pi.dwProcessId, IDNO));
  Sleep(1500);
  EXPECT_TRUE(app.Running());
  EXPECT_TRUE(ConfirmExit(app, main));
}

TEST(ShellRun, OptionsPlacementAndAddedViewSurviveARestart) {
  SettingsGuard guard;
  {
    App app;
    HWND main = StartToMain(app);
    ASSERT_NE(main, nullptr);
    PostMessageA(main, WM_COMMAND, IDM_OPTIONS, 0);
    HWND options = WaitWindow(app.pi.dwProcessId, "オプション", 20000);
    ASSERT_NE(options, nullptr);
    Click(options, IDC_OPT_GRID);                // on by default: now off
    Click(options, IDC_OPT_REVERSE_WHEEL);
    Click(options, IDC_OPT_SHADOW_3D);
    Sleep(300);
    SendMessageA(GetDlgItem(options, IDC_OPT_MAX_POLYGONS), WM_SETTEXT, 0, (LPARAM) "30000");
    Click(options, IDC_OPT_CLOSE);
    PostMessageA(main, WM_COMMAND, IDM_ADD_VIEW, 0);
    EXPECT_EQ(WaitWindowCount(app.pi.dwProcessId, "Front", 2), 2u);
    ASSERT_TRUE(ConfirmExit(app, main));
  }
  std::vector<u8> bytes = ReadFileBytes(guard.path);
  ASSERT_FALSE(bytes.empty()) << guard.path;
  ASSERT_TRUE(Settings_Decode(bytes.data(), bytes.size()));
  EXPECT_EQ(g_OptGrid, 0u);
  EXPECT_EQ(g_OptReverseWheel, 1);
  EXPECT_EQ(g_OptShadow, 30);
  EXPECT_EQ(g_OptMaxPolygons, 30000);
  EXPECT_EQ(g_ViewCount[14], 5);
  EXPECT_EQ(g_Views[14][4].inUse, 1u);
  i32 savedRect[4];
  memcpy(savedRect, g_MainWndRect, sizeof savedRect);

  App again;
  HWND main = StartToMain(again);
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(WaitWindowCount(again.pi.dwProcessId, "Front", 2), 2u);   // the added view came back
  RECT r;
  GetWindowRect(main, &r);
  EXPECT_EQ(r.left, savedRect[0]);
  EXPECT_EQ(r.top, savedRect[1]);
  PostMessageA(main, WM_COMMAND, IDM_OPTIONS, 0);
  HWND options = WaitWindow(again.pi.dwProcessId, "オプション", 20000);
  ASSERT_NE(options, nullptr);
  Sleep(300);
  EXPECT_EQ(SendMessageA(GetDlgItem(options, IDC_OPT_GRID), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(SendMessageA(GetDlgItem(options, IDC_OPT_SHADOW_3D), BM_GETCHECK, 0, 0), BST_CHECKED);
  char text[32] = "";
  SendMessageA(GetDlgItem(options, IDC_OPT_MAX_POLYGONS), WM_GETTEXT, sizeof text, (LPARAM)text);
  EXPECT_STREQ(text, "30000");
  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(again.WaitExit(), 0);
}
