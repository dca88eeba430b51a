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
    SetWindowTextW(box, g_Typing.path.c_str());
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
  FileDlg_SetInitialDir(std::string(folder.begin(), folder.end()).c_str());
  // A file the code page cannot name, there already: a save over it is refused before any
  // question to overwrite it.
  const std::wstring cafe = folder + L"\\caf\u00e9.kzp";
  HANDLE h = CreateFileW(cafe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  CloseHandle(h);
  struct Case {
    int length;         // of the whole path typed (0: the name below, relative)
    const wchar_t *name;
    bool taken;
  };
  const Case cases[] = {
      {120, nullptr, true}, {250, nullptr, true}, {256, nullptr, false}, {259, nullptr, false},
      {260, nullptr, false}, {261, nullptr, false}, {270, nullptr, false}, {300, nullptr, false},
      {600, nullptr, false}, {1000, nullptr, false}, {0, L"caf\u00e9.kzp", false},
  };
  UINT_PTR timer = SetTimer(nullptr, 0, 60, TypeTick);
  for (const Case &c : cases)
    for (int save = 0; save < 2; save++) {
      std::wstring path = c.name ? std::wstring(c.name) : folder + L"\\";
      if (!c.name) path += std::wstring(c.length - path.size() - 4, L'a') + L".kzp";
      g_Typing = Typing{};
      g_Typing.path = path;
      g_Typing.ticks = -1;
      g_Said.clear();
      SetCurrentDirectoryA(start);
      const char *got = save ? FileDlg_SaveByExt(nullptr, "kzp", "保存", "") : FileDlg_OpenByExt(nullptr, "kzp", "開く", "");
      SCOPED_TRACE(std::to_string(c.length) + (save ? " save" : " open"));
      for (const std::string &other : g_Typing.others) ADD_FAILURE() << "the dialog's own box: " << other;
      if (c.taken) {
        EXPECT_EQ(strlen(got), path.size() - folder.size() - 1);
        EXPECT_TRUE(g_Said.empty());
        continue;
      }
      EXPECT_STREQ(got, "");
      EXPECT_EQ(g_Said.size(), 1u);
      if (!g_Said.empty()) { EXPECT_NE(g_Said[0].find(c.name ? "U+00E9" : "長すぎる"), std::string::npos) << g_Said[0]; }
    }
  // A relative name typed while the dialog shows the folder: the two together are too long.
  g_Typing = Typing{};
  g_Typing.path = std::wstring(260 - folder.size(), L'b') + L".kzp";
  g_Typing.ticks = -1;
  g_Said.clear();
  EXPECT_STREQ(FileDlg_SaveByExt(nullptr, "kzp", "保存", ""), "");
  ASSERT_EQ(g_Said.size(), 1u);
  EXPECT_NE(g_Said[0].find("長すぎる"), std::string::npos) << g_Said[0];
  KillTimer(nullptr, timer);
  DeleteFileW(cafe.c_str());
  SetCurrentDirectoryA(start);
  RemoveDirectoryW(folder.c_str());
  g_ModalHooks = savedHooks;
}

}  // namespace
