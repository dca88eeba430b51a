// The program as a user meets it, driven from outside by messages: it starts maximised in
// the 3D editor with the selector and the layout's view windows, the selector's preview
// button switches family and menu, Esc and the close box ask before closing, options,
// placement and an added view window survive a restart, a changed model is asked for before
// it is replaced or dropped, and typed paths open and save the typed file. Each test starts
// Miravel.exe as a child process.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdio.h>

#include <string>
#include <vector>
#include "app/shell_options.h"
#include "app/shell_view.h"
#include "outside_wait.h"

#include "app/family.h"
#include "app/settings.h"
#include "resources/shell_ids.h"
#include "resources/framework_ids.h"
#include "resources/edit3d_ids.h"
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

// The settings file of these tests: the programs they start read and write it in a folder
// of its own (MIRAVEL_SETTINGS_DIR), never the user's file in the data folder.
std::string SettingsFolder() {
  char dir[MAX_PATH];
  GetTempPathA(sizeof dir, dir);
  return std::string(dir) + "miravel_settings_run";
}

std::string SettingsPath() {
  char name[64];
  Settings_FileName(name, sizeof name, GetSystemMetrics(SM_CXSCREEN));
  std::string file = name;
  return SettingsFolder() + "\\" + file.substr(file.find_last_of('/') + 1);
}

// Every test starts from the defaults and leaves no file behind.
struct SettingsGuard {
  std::string path = SettingsPath();
  SettingsGuard() {
    CreateDirectoryA(SettingsFolder().c_str(), nullptr);
    SetEnvironmentVariableA("MIRAVEL_SETTINGS_DIR", SettingsFolder().c_str());
    DeleteFileA(path.c_str());
  }
  ~SettingsGuard() {
    DeleteFileA(path.c_str());
    RemoveDirectoryA(SettingsFolder().c_str());
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
  HWND found = nullptr;
  WaitFor(std::string("the window \"") + title + "\"", ms, [&] {
    std::vector<HWND> w = WindowsTitled(pid, title, cls);
    return (found = w.empty() ? nullptr : w[0]) != nullptr;
  }, 100);
  return found;
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

// A question to a window of the program, with a time limit: a program that stopped answering
// fails the wait that asks, which then says what it waited for, rather than hanging the test.
LRESULT Ask(HWND w, UINT msg, WPARAM wp = 0, LPARAM lp = 0) {
  DWORD_PTR r = 0;
  return SendMessageTimeoutA(w, msg, wp, lp, SMTO_ABORTIFHUNG, 5000, &r) ? (LRESULT)r : -1;
}

bool WaitChecked(HWND dlg, int id, DWORD ms = 10000) {
  return WaitFor("button " + std::to_string(id) + " checked", ms,
                 [&] { return Ask(GetDlgItem(dlg, id), BM_GETCHECK) == BST_CHECKED; });
}

void Click(HWND dlg, int id) {
  PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dlg, id));
}

// Answers the program's question box with the button `id` (IDYES / IDNO).
bool AnswerBox(DWORD pid, int id, int waitMs = 20000) {
  HWND box = WaitWindow(pid, "Miravel", waitMs, "#32770");
  if (!box) return false;
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(box, id));
  return true;
}

// A key pressed and released as a user does: held until the program's loop has taken the
// press, then for a user's short press (the loop runs idle passes meanwhile), so the release
// is not lost to the one-key-per-pass latch. Global keys act on release.
const DWORD kKeyHoldMs = 200;
void PressKey(HWND main, UINT vk, LPARAM scan) {
  PostMessageA(main, WM_KEYDOWN, vk, scan);
  Answered(main, "key " + std::to_string(vk) + " pressed");
  Sleep(kKeyHoldMs);
  PostMessageA(main, WM_KEYUP, vk, scan | 0xC0000000);
}

void PressEscape(HWND main) { PressKey(main, VK_ESCAPE, 0x00010001); }

// Esc until the exit question shows, then answers it with `id`. A program still busy with its
// start-up can take the press and the release in one pass, where the one-key latch drops the
// release as it would a user's key bounce: the user presses again, and so does this.
bool EscapeUntilAsked(App &app, HWND main, int id) {
  for (int tries = 0; tries < 5; tries++) {
    WaitForInputIdle(app.pi.hProcess, 5000);
    PressEscape(main);
    if (AnswerBox(app.pi.dwProcessId, id, 4000)) return true;
  }
  return false;
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
  return EscapeUntilAsked(app, main, IDYES) && app.WaitExit() == 0;
}

// How many visible windows of the process carry `title`, after waiting up to 10 s for `want`.
size_t WaitWindowCount(DWORD pid, const char *title, size_t want) {
  WaitFor(std::to_string(want) + " windows \"" + title + "\"", 10000, [&] { return WindowsTitled(pid, title).size() >= want; });
  return WindowsTitled(pid, title).size();
}

// Every test with a settings folder of its own, the settings file gone before and after, and
// the program it starts.
struct ShellRun : ::testing::Test {
  SettingsGuard guard;
  App app;
  HWND selector = nullptr, main = nullptr;
  // Starts the program and waits for its main window and selector; fails the test without them.
  void Start() {
    main = StartToMain(app, &selector);
    ASSERT_NE(main, nullptr);
  }
};

}  // namespace

TEST_F(ShellRun, StartsMaximisedIn3DEditorAndPreviewButtonSwitchesFamily) {
  ASSERT_NO_FATAL_FAILURE(Start());
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

  // The close box asks as Esc does; "はい" closes.
  PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(AnswerBox(app.pi.dwProcessId, IDYES));
  EXPECT_EQ(app.WaitExit(), 0);
}

TEST_F(ShellRun, EscapeAsksAndNoKeepsItRunning) {
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_TRUE(EscapeUntilAsked(app, main, IDNO));
  // The answer taken: the box gone and the program's loop run on after it.
  WaitFor("the question to close", 10000, [&] { return WindowsTitled(app.pi.dwProcessId, "Miravel", "#32770").empty(); });
  Answered(main, "the answer いいえ");
  EXPECT_TRUE(app.Running());
  EXPECT_TRUE(ConfirmExit(app, main));
}

TEST_F(ShellRun, OptionsPlacementAndAddedViewSurviveARestart) {
  {
    ASSERT_NO_FATAL_FAILURE(Start());
    PostMessageA(main, WM_COMMAND, IDM_OPTIONS, 0);
    HWND options = WaitWindow(app.pi.dwProcessId, "オプション", 20000);
    ASSERT_NE(options, nullptr);
    Click(options, IDC_OPT_GRID);                // on by default: now off
    Click(options, IDC_OPT_REVERSE_WHEEL);
    Click(options, IDC_OPT_SHADOW_3D);
    WaitFor("the three clicks shown", 10000, [&] {
      auto state = [&](int id) { return Ask(GetDlgItem(options, id), BM_GETCHECK); };
      return state(IDC_OPT_GRID) == BST_UNCHECKED && state(IDC_OPT_REVERSE_WHEEL) == BST_CHECKED &&
             state(IDC_OPT_SHADOW_3D) == BST_CHECKED;
    });
    SendMessageA(GetDlgItem(options, IDC_OPT_MAX_POLYGONS), WM_SETTEXT, 0, (LPARAM) "30000");
    Click(options, IDC_OPT_CLOSE);
    PostMessageA(main, WM_COMMAND, IDM_ADD_VIEW, 0);
    EXPECT_EQ(WaitWindowCount(app.pi.dwProcessId, "Front", 2), 2u);
    ASSERT_TRUE(ConfirmExit(app, main));
  }
  std::vector<u8> bytes = ReadFileBytes(guard.path);
  ASSERT_FALSE(bytes.empty()) << guard.path;
  ASSERT_TRUE(Settings_Decode(bytes.data(), bytes.size()));
  EXPECT_EQ(g_Options.g_OptGrid, 0u);
  EXPECT_EQ(g_Options.g_OptReverseWheel, 1);
  EXPECT_EQ(g_Options.g_OptShadow, 30);
  EXPECT_EQ(g_Options.g_OptMaxPolygons, 30000);
  EXPECT_EQ(g_Shell.g_ViewCount[14], 5);
  EXPECT_EQ(g_Shell.g_Views[14][4].inUse, 1u);
  i32 savedRect[4];
  memcpy(savedRect, g_Options.g_MainWndRect, sizeof savedRect);

  App again;
  main = StartToMain(again);
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(WaitWindowCount(again.pi.dwProcessId, "Front", 2), 2u);   // the added view came back
  RECT r;
  GetWindowRect(main, &r);
  EXPECT_EQ(r.left, savedRect[0]);
  EXPECT_EQ(r.top, savedRect[1]);
  PostMessageA(main, WM_COMMAND, IDM_OPTIONS, 0);
  HWND options = WaitWindow(again.pi.dwProcessId, "オプション", 20000);
  ASSERT_NE(options, nullptr);
  WaitFor("the options filled in", 10000, [&] { return Ask(GetDlgItem(options, IDC_OPT_MAX_POLYGONS), WM_GETTEXTLENGTH) > 0; });
  EXPECT_EQ(SendMessageA(GetDlgItem(options, IDC_OPT_GRID), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(SendMessageA(GetDlgItem(options, IDC_OPT_SHADOW_3D), BM_GETCHECK, 0, 0), BST_CHECKED);
  char text[32] = "";
  SendMessageA(GetDlgItem(options, IDC_OPT_MAX_POLYGONS), WM_GETTEXT, sizeof text, (LPARAM)text);
  EXPECT_STREQ(text, "30000");
  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(AnswerBox(again.pi.dwProcessId, IDYES));
  EXPECT_EQ(again.WaitExit(), 0);
}

namespace {

// The top-level window the user would click at the centre of `w`.
HWND WindowAtCentre(HWND w) {
  RECT r;
  GetWindowRect(w, &r);
  POINT c = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  HWND hit = WindowFromPoint(c);
  return hit ? GetAncestor(hit, GA_ROOT) : nullptr;
}

// The selector and every view window can be reached: under the centre of each is that
// window, not the main window that owns them. Waits up to 10 s for the order to settle.
void ExpectReachable(DWORD pid, HWND selector, const char *step) {
  std::vector<HWND> owned = {selector};
  for (const char *title : {"Front", "Top", "Side"})
    for (HWND w : WindowsTitled(pid, title)) owned.push_back(w);
  EXPECT_EQ(owned.size(), 4u) << step;
  WaitFor(std::string("the owned windows on top at ") + step, 10000, [&] {
    bool all = true;
    for (HWND w : owned) all = all && WindowAtCentre(w) == w;
    return all;
  });
  for (HWND w : owned) {
    char title[64] = "", cls[64] = "";
    GetWindowTextA(w, title, sizeof title);
    HWND hit = WindowAtCentre(w);
    GetClassNameA(hit, cls, sizeof cls);
    EXPECT_EQ(hit, w) << step << ": " << title << " is covered by a window of class " << cls;
  }
}

bool WaitGone(HWND w, DWORD ms = 10000) {
  char title[64] = "";
  GetWindowTextA(w, title, sizeof title);
  return WaitFor(std::string("\"") + title + "\" to close", ms, [&] { return !IsWindow(w) || !IsWindowVisible(w); });
}

bool IsChecked(HWND dlg, int id) { return SendMessageA(GetDlgItem(dlg, id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

// Waits until check box `id` shows `on`.
bool WaitCheckState(HWND dlg, int id, bool on) {
  return WaitFor("button " + std::to_string(id) + (on ? " checked" : " unchecked"), 10000,
                 [&] { return (Ask(GetDlgItem(dlg, id), BM_GETCHECK) == BST_CHECKED) == on; });
}

}  // namespace

// Every step that activates the main window (a family switch, the options closed, the exit
// question answered "いいえ", the device dialog's OK) leaves the selector and the view
// windows above it; the options dialog opens inside the main window's client area and its
// vsync box turns with one click, F3 agreeing; the device change keeps the window maximised.
TEST_F(ShellRun, OwnedWindowsStayReachableThroughAUsersSteps) {
  ASSERT_NO_FATAL_FAILURE(Start());
  DWORD pid = app.pi.dwProcessId;
  ASSERT_TRUE(WaitChecked(selector, IDC_EDIT_3D_MODEL));
  ExpectReachable(pid, selector, "start");

  Click(selector, IDC_EDIT_PREVIEW);
  ASSERT_TRUE(WaitChecked(selector, IDC_EDIT_PREVIEW));
  Click(selector, IDC_EDIT_3D_MODEL);
  ASSERT_TRUE(WaitChecked(selector, IDC_EDIT_3D_MODEL));
  EXPECT_EQ(WaitWindowCount(pid, "Side", 1), 1u);
  ExpectReachable(pid, selector, "family switch");

  PostMessageA(main, WM_COMMAND, IDM_OPTIONS, 0);
  HWND options = WaitWindow(pid, "オプション", 20000);
  ASSERT_NE(options, nullptr);
  RECT client, box;
  GetClientRect(main, &client);
  MapWindowPoints(main, nullptr, (POINT *)&client, 2);
  GetWindowRect(options, &box);
  EXPECT_TRUE(box.left >= client.left && box.top >= client.top && box.right <= client.right && box.bottom <= client.bottom)
      << "options at " << box.left << "," << box.top << " outside the client area from " << client.left << "," << client.top;
  WaitFor("the options filled in", 10000, [&] { return Ask(GetDlgItem(options, IDC_OPT_MAX_POLYGONS), WM_GETTEXTLENGTH) > 0; });
  bool vsync = IsChecked(options, IDC_OPT_VSYNC);
  Click(options, IDC_OPT_VSYNC);
  EXPECT_TRUE(WaitCheckState(options, IDC_OPT_VSYNC, !vsync)) << "one click";
  PressKey(main, VK_F3, 0x003D0001);
  EXPECT_TRUE(WaitCheckState(options, IDC_OPT_VSYNC, vsync)) << "F3";
  Click(options, IDC_OPT_CLOSE);
  ASSERT_TRUE(WaitGone(options));
  ExpectReachable(pid, selector, "options closed");

  PressEscape(main);
  HWND question = WaitWindow(pid, "Miravel", 20000, "#32770");
  ASSERT_TRUE(AnswerBox(pid, IDNO));
  ASSERT_TRUE(WaitGone(question));
  ExpectReachable(pid, selector, "exit question answered no");

  PostMessageA(main, WM_COMMAND, IDM_CHANGE_DEVICE, 0);
  HWND device = WaitWindow(pid, "デバイスの設定", 20000, "#32770");
  ASSERT_NE(device, nullptr);
  Click(device, IDOK);
  ASSERT_TRUE(WaitGone(device));
  WaitFor("the main window maximised after the device change", 10000, [&] { return IsZoomed(main) != 0; });
  EXPECT_TRUE(IsZoomed(main));
  ExpectReachable(pid, selector, "device dialog closed");

  EXPECT_TRUE(ConfirmExit(app, main));
}

// [SECTION] work that must not be lost
namespace {

// The text of a message box (its static text control).
std::string BoxText(HWND box) {
  char text[1024] = "";
  GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
  return text;
}

// Waits for the program's question box, answers it with `id` and gives its text ("<none>"
// when no box came).
std::string Answer(DWORD pid, int id, DWORD ms = 20000) {
  HWND box = WaitWindow(pid, "Miravel", ms, "#32770");
  if (!box) return "<none>";
  std::string text = BoxText(box);
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(box, id));
  WaitGone(box);
  return text;
}

// The name box of the common file dialog: the Explorer-style dialog's combo box, or the
// older dialog's edit.
HWND NameBox(HWND dlg) {
  HWND c = GetDlgItem(dlg, 0x47C);
  return c ? c : GetDlgItem(dlg, 0x480);
}

std::string NameText(HWND dlg) {
  char text[MAX_PATH] = "";
  SendMessageA(NameBox(dlg), WM_GETTEXT, sizeof text, (LPARAM)text);
  return text;
}

// Types a path into the dialog's name box and presses OK, as a user does.
void TypeAndOk(HWND dlg, const std::string &path) {
  SendMessageA(NameBox(dlg), WM_SETTEXT, 0, (LPARAM)path.c_str());
  PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(dlg, IDOK));
}

// A Unix path of the sources as Wine names it.
std::string WinPath(const std::string &unix) {
  std::string p = "Z:" + unix;
  for (char &c : p)
    if (c == '/') c = '\\';
  return p;
}

bool WaitFile(const std::string &path, DWORD ms = 10000) {
  return WaitFor("the file " + path, ms, [&] { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }, 100);
}

struct EndSession {
  HWND main;
  DWORD_PTR result = 99;
};
DWORD WINAPI QueryEndSession(void *p) {
  EndSession *e = (EndSession *)p;
  SendMessageTimeoutA(e->main, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 60000, &e->result);
  return 0;
}

const char kExit[] = "終了しても、よろしいですか？";
const char kDiscardModel[] = "編集中のモデル「新規.KZP」（レイヤー 1）は破棄されます。よろしいですか？";

}  // namespace

// A user's walk: a cube made, then "新規作成", "読み込み ( KZP )", the close box and the end of
// the session each ask, naming the changed model, and "いいえ" keeps it. The open dialog
// takes a full path typed into it (a folder it does not show) and opens that file; the MX
// save proposes the model's name as MX; the KZP save writes to a relative path typed into its
// dialog, in yet another folder. Saved, nothing is named and Esc asks the plain question.
TEST_F(ShellRun, ChangedWorkIsAskedForAndTypedPathsAreTheFiles) {
  const char *src = getenv("MIRAVEL_SRC");
  ASSERT_NE(src, nullptr);
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  const std::string in = std::string(temp) + "miravel_typed_in", out = std::string(temp) + "miravel_typed_out";
  CreateDirectoryA(in.c_str(), nullptr);
  CreateDirectoryA(out.c_str(), nullptr);
  const std::string model = in + "\\cube.KZP", saved = out + "\\scen1.KZP";
  DeleteFileA(saved.c_str());
  ASSERT_TRUE(CopyFileA(WinPath(std::string(src) + "/Data/0.KZP").c_str(), model.c_str(), FALSE));

  ASSERT_NO_FATAL_FAILURE(Start());
  DWORD pid = app.pi.dwProcessId;
  HWND modelling = WaitWindow(pid, "モデリング");
  ASSERT_NE(modelling, nullptr);
  char verts[64] = "";
  GetDlgItemTextA(modelling, IDC_POLY_VERTS, verts, sizeof verts);
  Click(modelling, IDC_POLY_CUBE);
  WaitFor("the cube in the modelling panel's counts", 10000, [&] {
    char now[64] = "";
    Ask(GetDlgItem(modelling, IDC_POLY_VERTS), WM_GETTEXT, sizeof now, (LPARAM)now);
    return strcmp(now, verts) != 0;
  });

  PostMessageA(main, WM_COMMAND, IDM_NEW_MODEL, 0);
  EXPECT_EQ(Answer(pid, IDNO), kDiscardModel);
  PostMessageA(main, WM_COMMAND, IDM_KZP_OPEN, 0);
  EXPECT_EQ(Answer(pid, IDNO), kDiscardModel);
  EXPECT_EQ(WaitWindow(pid, "読み込む KZP ファイルを選択して下さい", 1500), nullptr) << "いいえ opens no dialog";
  PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);
  std::string closeText = Answer(pid, IDNO);
  EXPECT_NE(closeText.find("３Ｄモデル"), std::string::npos) << closeText;
  EXPECT_NE(closeText.find(kExit), std::string::npos) << closeText;
  EndSession session{main};
  HANDLE t = CreateThread(nullptr, 0, QueryEndSession, &session, 0, nullptr);
  std::string sessionText = Answer(pid, IDNO);
  WaitForSingleObject(t, 60000);
  CloseHandle(t);
  EXPECT_EQ(sessionText, closeText);
  EXPECT_EQ(session.result, 0u) << "the session end is refused";
  Answered(main, "the session end refused");
  ASSERT_TRUE(app.Running());

  // "はい", then the full path typed into the open dialog.
  PostMessageA(main, WM_COMMAND, IDM_KZP_OPEN, 0);
  EXPECT_EQ(Answer(pid, IDYES), kDiscardModel);
  HWND open = WaitWindow(pid, "読み込む KZP ファイルを選択して下さい");
  ASSERT_NE(open, nullptr);
  TypeAndOk(open, model);
  ASSERT_TRUE(WaitGone(open));
  EXPECT_EQ(Answer(pid, IDOK, 2000), "<none>") << "the typed file opens without a message";

  PostMessageA(main, WM_COMMAND, IDM_MX_SAVE, 0);
  HWND mx = WaitWindow(pid, "名前を付けてファイルに保存");
  ASSERT_NE(mx, nullptr);
  WaitFor("the MX save dialog's proposed name", 10000, [&] { return !NameText(mx).empty(); });
  EXPECT_EQ(NameText(mx), "cube.MX");
  PostMessageA(mx, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), (LPARAM)GetDlgItem(mx, IDCANCEL));
  ASSERT_TRUE(WaitGone(mx));

  PostMessageA(main, WM_COMMAND, IDM_KZP_SAVE, 0);
  HWND save = WaitWindow(pid, "名前を付けてファイルに保存");
  ASSERT_NE(save, nullptr);
  WaitFor("the KZP save dialog's proposed name", 10000, [&] { return !NameText(save).empty(); });
  EXPECT_EQ(NameText(save), "cube.KZP");
  TypeAndOk(save, "..\\miravel_typed_out\\scen1.KZP");   // relative to the folder it shows
  EXPECT_TRUE(WaitFile(saved)) << "the save lands where it was typed";
  EXPECT_EQ(GetFileAttributesA((in + "\\scen1.KZP").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(ReadFileBytes(saved).size() > 0, true);

  std::string exitText = "<none>";
  for (int tries = 0; tries < 5 && exitText == "<none>"; tries++) {   // see EscapeUntilAsked
    PressEscape(main);
    exitText = Answer(pid, IDYES, 4000);
  }
  EXPECT_EQ(exitText, kExit);
  EXPECT_EQ(app.WaitExit(), 0);
  for (const std::string &f : {model, saved, in + "\\scen1.KZP"}) DeleteFileA(f.c_str());
  RemoveDirectoryA(in.c_str());
  RemoveDirectoryA(out.c_str());
}
