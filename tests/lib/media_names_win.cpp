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
