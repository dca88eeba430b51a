// File dialogs and names the code page cannot hold: a name typed or chosen in the dialog that
// does not convert to the code page exactly (the code-page dialog would have mapped it to the
// nearest letters, another file) is refused with a message naming it, in every save and open
// dialog; a Japanese name converts and is taken as before.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "lib/framework/lib.h"
#include "lib/framework/modal_hooks.h"
#include "lib/media/dialogs.h"
#include "model/seam.h"

namespace {

std::wstring g_Answer;   // the full path the fake dialog gives
std::vector<std::string> g_Boxes;
void RecordBox(const char *text) { g_Boxes.push_back(text); }

BOOL AnswerW(OPENFILENAMEW *ofn) {
  lstrcpynW(ofn->lpstrFile, g_Answer.c_str(), (int)ofn->nMaxFile);
  return TRUE;
}

std::wstring TempFolderW(void) {
  wchar_t tmp[MAX_PATH], full[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  GetFullPathNameW((std::wstring(tmp) + L"miravel_names").c_str(), MAX_PATH, full, nullptr);
  return full;
}

TEST(FileDialogNamesWin, NamesTheCodePageCannotHoldAreRefusedWithAMessage) {
  FileDlg_InstallPlatform();
  ModalHooks savedHooks = g_ModalHooks;
  CoreSeam savedSeam = g_Seam;
  g_ModalHooks.getOpenFileName = nullptr;   // the dialogs the program shows, answered in UTF-16
  g_ModalHooks.getSaveFileName = nullptr;
  g_ModalHooks.getOpenFileNameW = AnswerW;
  g_ModalHooks.getSaveFileNameW = AnswerW;
  g_Seam.errorBox = RecordBox;
  char start[MAX_PATH];
  GetCurrentDirectoryA(sizeof start, start);
  const std::wstring folder = TempFolderW();
  CreateDirectoryW(folder.c_str(), nullptr);
  // The user's files whose names the code-page dialog would have put in their place.
  const char *const olds[] = {"cafe.kzp", "naive.kzp"};
  for (const char *n : olds) {
    std::wstring w(n, n + strlen(n));
    HANDLE h = CreateFileW((folder + L"\\" + w).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD done;
    WriteFile(h, "old", 3, &done, nullptr);
    CloseHandle(h);
  }
  struct Case {
    const wchar_t *name;
    const char *taken;   // the code-page name the dialog gives, or null: refused
    const char *code;    // the letter the message names
  };
  const Case cases[] = {
      {L"caf\u00e9.kzp", nullptr, "U+00E9"},
      {L"na\u00efve.kzp", nullptr, "U+00EF"},
      {L"\ud55c\uae00.kzp", nullptr, "U+D55C"},   // Korean
      {L"\u65e5\u672c\u8a9e.kzp", "日本語.kzp", nullptr},
      {L"\u30e2\u30c7\u30eb\uff5e1.kzp", "モデル～1.kzp", nullptr},
  };
  int refused = 0;
  for (const Case &c : cases)
    for (int save = 0; save < 2; save++) {
      g_Answer = folder + L"\\" + c.name;
      g_Boxes.clear();
      SetCurrentDirectoryA(start);
      const char *got = save ? FileDlg_SaveByExt(nullptr, "kzp", "保存", "") : FileDlg_OpenByExt(nullptr, "kzp", "開く", "");
      if (c.taken) {
        EXPECT_STREQ(got, c.taken) << save;
        EXPECT_TRUE(g_Boxes.empty()) << save;
        continue;
      }
      refused++;
      EXPECT_STREQ(got, "") << c.code << " " << save;
      ASSERT_EQ(g_Boxes.size(), 1u) << c.code << " " << save;
      EXPECT_NE(g_Boxes[0].find(c.code), std::string::npos) << g_Boxes[0];
      EXPECT_NE(g_Boxes[0].find("miravel_names\\"), std::string::npos) << g_Boxes[0];   // the path is named
      char cwd[MAX_PATH];
      GetCurrentDirectoryA(sizeof cwd, cwd);
      EXPECT_STREQ(cwd, start) << "a refused name changes no folder";
    }
  EXPECT_EQ(refused, 6);
  // The files of the nearest names are as they were.
  for (const char *n : olds) {
    std::wstring w(n, n + strlen(n));
    HANDLE h = CreateFileW((folder + L"\\" + w).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    char buf[8] = {};
    DWORD done = 0;
    ReadFile(h, buf, sizeof buf, &done, nullptr);
    CloseHandle(h);
    EXPECT_EQ(std::string(buf, done), "old") << n;
    DeleteFileW((folder + L"\\" + w).c_str());
  }
  SetCurrentDirectoryA(start);
  RemoveDirectoryW(folder.c_str());
  g_ModalHooks = savedHooks;
  g_Seam = savedSeam;
}

}  // namespace

namespace {

// [SECTION] The real dialogs, typed into
//
// A thread timer plays the user inside the dialog's own message loop: it types a path into
// the name box and presses Enter, then looks again; a dialog still open after that refused
// the path and is cancelled. Any other dialog window (the dialog's own overwrite question or
// error box) is noted and closed. The program's messages go through the message-box hook.

struct Typing {
  std::wstring path;    // what is typed
  int ticks = 0;        // timer ticks since it was typed (-1: not yet)
  std::vector<std::string> others;   // texts of other dialog windows that came up
};
Typing g_Typing;
std::vector<std::string> g_Said;   // the program's message boxes

int RecordSaid(HWND, const char *text, const char *, UINT) {
  g_Said.push_back(text);
  return IDOK;
}

HWND NameBox(HWND dlg) {
  HWND box = GetDlgItem(dlg, 0x047c);   // cmb13
  return box ? box : GetDlgItem(dlg, 0x0480);   // edt1
}

BOOL CALLBACK EachWindow(HWND w, LPARAM found) {
  char cls[32] = {};
  GetClassNameA(w, cls, sizeof cls);
  if (!IsWindowVisible(w) || strcmp(cls, "#32770") != 0) return TRUE;
  if (NameBox(w)) *(HWND *)found = w;
  else {
    char text[512] = {};
    HWND label = GetDlgItem(w, 0xFFFF);
    GetWindowTextA(label ? label : w, text, sizeof text);
    g_Typing.others.push_back(text);
    PostMessageA(w, WM_CLOSE, 0, 0);
  }
  return TRUE;
}

void CALLBACK TypeTick(HWND, UINT, UINT_PTR, DWORD) {
  HWND dlg = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), EachWindow, (LPARAM)&dlg);
  if (!dlg) return;
  if (g_Typing.ticks < 0) {
    HWND box = NameBox(dlg);
    if (!g_Typing.path.empty()) SetWindowTextW(box, g_Typing.path.c_str());   // else Enter on the first name
    HWND edit = FindWindowExA(box, nullptr, "Edit", nullptr);
    HWND target = edit ? edit : box;
    SetFocus(target);
    PostMessageW(target, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    PostMessageW(target, WM_KEYUP, VK_RETURN, 0xC01C0001);
    g_Typing.ticks = 0;
  } else if (++g_Typing.ticks == 6) {
    PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);   // still open: the path was refused
  }
}

TEST(FileDialogNamesWin, PathsOfAnyLengthTypedIntoTheRealDialogsAreRefusedOrTaken) {
  FileDlg_InstallPlatform();
  ModalHooks savedHooks = g_ModalHooks;
  g_ModalHooks = ModalHooks{};   // the real dialogs
  g_ModalHooks.messageBox = RecordSaid;
  if (Modal_IsAuto()) GTEST_SKIP() << "modal windows are answered automatically";
  char start[MAX_PATH];
  GetCurrentDirectoryA(sizeof start, start);
  const std::wstring folder = TempFolderW();
  CreateDirectoryW(folder.c_str(), nullptr);
  // A file the code page cannot name, there already, and one a forbidden letter would have
  // been cut to: a save over either is refused before any question to overwrite it.
  const std::wstring cafe = folder + L"\\caf\u00e9.kzp", b = folder + L"\\b.kzp";
  for (const std::wstring &f : {cafe, b}) CloseHandle(CreateFileW(f.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  // Folders "d\d\..." below it up to 200, 240 and 259 letters, the longest a path may have.
  std::wstring deep[4] = {folder, folder, folder, folder};
  for (int i = 1; i < 4; i++)
    for (deep[i] = deep[i - 1]; deep[i].size() + 2 <= (i == 1 ? 200u : i == 2 ? 240u : 259u);)
      CreateDirectoryW((L"\\\\?\\" + (deep[i] += L"\\d")).c_str(), nullptr);
  const std::wstring drive = folder.substr(0, 1), other = drive == L"Z" ? L"C" : L"Z";
  // The whole path's length (0: `name` typed, or with `initial` the dialog's first name, @ the
  // folder's drive, ! another); what the refusal says, or the name taken (a save adds ".kzp"),
  // or neither (the dialog went to a folder); the dialogs (1 save, 2 open, 4 open any; 0 one
  // by turns); the folder it starts in (deep[depth]); where the file lies (! the other drive's
  // current folder).
  struct Case { int length; const wchar_t *name; const char *said; const wchar_t *file; int kinds = 0, depth = 0;
                 const wchar_t *in = L""; bool initial = false; };
  const char *kLong = "長すぎる", *kLetter = "使えない文字", *kDevice = "装置";
  const Case cases[] = {
      {120, nullptr, nullptr, L"", 3}, {250, nullptr, nullptr, L"", 3}, {256, nullptr, kLong, nullptr, 3},
      {259, nullptr, kLong, nullptr, 3}, {260, nullptr, kLong, nullptr, 3}, {261, nullptr, kLong, nullptr, 3},
      {270, nullptr, kLong, nullptr, 3}, {300, nullptr, kLong, nullptr, 3}, {600, nullptr, kLong, nullptr, 3},
      {1000, nullptr, kLong, nullptr, 3}, {0, L"caf\u00e9.kzp", "U+00E9", nullptr, 3},
      // Drive-relative, rooted, ".", ".." and trailing dots and blanks, as the system makes them.
      {0, L"@:abc", nullptr, L"abc", 7}, {0, L"@:.\\abc", nullptr, L"abc"}, {0, L"@:0.KZP", nullptr, L"0.KZP"},
      {0, L"@:abc", nullptr, L"abc", 7, 0, L"", true}, {0, L"!:abc", nullptr, L"abc", 7, 0, L"!"}, {0, L"@:", nullptr, nullptr},
      {0, L"!:abc.kzp", nullptr, L"abc.kzp", 0, 0, L"!", true}, {0, L"\\ROOTED", nullptr, L"abc"}, {0, L"..", nullptr, nullptr},
      {0, L"..\\miravel_names\\.\\x\\..\\abc", nullptr, L"abc"}, {0, L"abc.", nullptr, L"abc"}, {0, L"abc. .", nullptr, L"abc"},
      {0, L"abc.kzp ", nullptr, L"abc.kzp"},
      // Letters and device names no file name may hold (b.kzp is there: no question comes).
      {0, L"odd\\a\"b.kzp", kLetter, nullptr, 1}, {0, L"a\"b.kzp", kLetter, nullptr, 1}, {0, L"a<b", kLetter, nullptr},
      {0, L"a>b", kLetter, nullptr}, {0, L"a|b.kzp", kLetter, nullptr}, {0, L"*.kzp", kLetter, nullptr}, {0, L"a?.kzp", kLetter, nullptr},
      {0, L"ab:c.kzp", kLetter, nullptr}, {0, L"@:a\"b", kLetter, nullptr, 0, 0, L"", true}, {0, L"CON", kDevice, nullptr},
      {0, L"nul.kzp", kDevice, nullptr}, {0, L"COM1", kDevice, nullptr}, {0, L"aux .txt", kDevice, nullptr},
      {0, L"@:lpt9", kDevice, nullptr}, {0, L"con\\abc", kDevice, nullptr},
      // Deep folders: taken while the whole path fits, refused when it does not.
      {0, L"@:abc", nullptr, L"abc", 0, 1}, {0, L"@:abc", nullptr, L"abc", 0, 2}, {0, L"..\\abc", nullptr, L"abc", 0, 2, L".."},
      {0, L"..", nullptr, nullptr, 0, 2}, {0, L"\\ROOTED", nullptr, L"abc", 0, 2}, {0, L"@:abc", kLong, nullptr, 0, 3},
      {0, L"abc.", kLong, nullptr, 0, 3}, {0, L"..\\abc", kLong, nullptr, 0, 3}, {0, L"@:a|b", kLetter, nullptr, 0, 3},
      {0, L"PRN", kDevice, nullptr, 0, 3},
  };

  UINT_PTR timer = SetTimer(nullptr, 0, 60, TypeTick);
  for (const Case &c : cases)
    for (int kind = 0; kind < 3; kind++) {   // a save, an open by extension, an open of any file
      if (!((c.kinds ? c.kinds : 1 << ((&c - cases) % 3)) & (1 << kind))) continue;
      const std::wstring &at = deep[c.depth];
      std::wstring path = c.name ? std::wstring(c.name) : folder + L"\\";
      if (!c.name) path += std::wstring(c.length - path.size() - 4, L'a') + L".kzp";
      for (size_t i = path.find_first_of(L"@!"); i != std::wstring::npos; i = path.find_first_of(L"@!"))
        path[i] = (path[i] == L'@' ? drive : other)[0];
      if (path == L"\\ROOTED") path = at.substr(2) + L"\\abc";
      SCOPED_TRACE(std::string(path.begin(), path.end()) + " in " + std::to_string(at.size()) + " " + std::to_string(kind));
      g_Typing = Typing{};
      g_Typing.path = c.initial ? L"" : path;
      g_Typing.ticks = -1;
      g_Said.clear();
      SetCurrentDirectoryA(start);
      FileDlg_SetInitialDir(std::string(at.begin(), at.end()).c_str());
      std::string first = c.initial ? std::string(path.begin(), path.end()) : "";
      const char *got = kind == 0 ? FileDlg_SaveByExt(nullptr, "kzp", "保存", first.c_str())
                        : kind == 1 ? FileDlg_OpenByExt(nullptr, "kzp", "開く", first.c_str())
                                    : FileDlg_OpenWithFilter(nullptr, "All\0*.*\0", "開く", first.c_str());
      for (const std::string &o : g_Typing.others) ADD_FAILURE() << "the dialog's own box: " << o;
      char cwd[MAX_PATH * 2] = "";
      GetCurrentDirectoryA(sizeof cwd, cwd);
      if (c.said) {
        EXPECT_STREQ(got, "");
        ASSERT_EQ(g_Said.size(), 1u);
        EXPECT_NE(g_Said[0].find(c.said), std::string::npos) << g_Said[0];
        continue;
      }
      EXPECT_TRUE(g_Said.empty()) << g_Said[0];
      if (!c.file) {
        EXPECT_STREQ(got, "") << "a folder: the dialog went there and stays open";
        continue;
      }
      std::wstring want = c.length ? path.substr(folder.size() + 1) : std::wstring(c.file);
      if (kind == 0 && want.find(L'.') == std::wstring::npos) want += L".kzp";
      EXPECT_EQ(std::string(got), std::string(want.begin(), want.end()));
      wchar_t where[MAX_PATH * 2];   // the folder the system makes of `in`
      GetFullPathNameW(c.in[0] == L'!' ? (other + L":.").c_str() : ((c.in[0] ? at + L"\\" + c.in : at) + L"\\.").c_str(), MAX_PATH * 2, where, nullptr);
      EXPECT_STRCASEEQ(cwd, std::string(where, where + lstrlenW(where)).c_str());
    }
  // A relative name typed while the dialog shows the folder: the two together are too long.
  FileDlg_SetInitialDir(std::string(folder.begin(), folder.end()).c_str());
  g_Typing = Typing{};
  g_Typing.path = std::wstring(260 - folder.size(), L'b') + L".kzp";
  g_Typing.ticks = -1;
  g_Said.clear();
  EXPECT_STREQ(FileDlg_SaveByExt(nullptr, "kzp", "保存", ""), "");
  ASSERT_EQ(g_Said.size(), 1u);
  EXPECT_NE(g_Said[0].find("長すぎる"), std::string::npos) << g_Said[0];
  KillTimer(nullptr, timer);
  for (std::wstring d = deep[3]; d.size() > folder.size(); d = d.substr(0, d.find_last_of(L'\\')))
    RemoveDirectoryW((L"\\\\?\\" + d).c_str());
  for (const std::wstring &f : {cafe, b}) DeleteFileW(f.c_str());
  SetCurrentDirectoryA(start);
  RemoveDirectoryW(folder.c_str());
  g_ModalHooks = savedHooks;
}

}  // namespace
