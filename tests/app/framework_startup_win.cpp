// The program as a whole under Wine: Miravel.exe starts, shows "D3D Window", draws frames
// and ends with exit code 0 on WM_CLOSE once its question is answered "はい".
#include <gtest/gtest.h>
#include <windows.h>
#include <stdio.h>

#include <string>

namespace {

struct FindWindowOf {
  DWORD pid;
  HWND found;
  const char *cls = "D3D Window";
  const char *title = nullptr;   // only a window of this title when set
};

BOOL CALLBACK MatchWindow(HWND wnd, LPARAM lp) {
  FindWindowOf *f = (FindWindowOf *)lp;
  DWORD pid = 0;
  GetWindowThreadProcessId(wnd, &pid);
  char cls[64], title[64] = "";
  if (pid == f->pid && GetClassNameA(wnd, cls, sizeof cls) && strcmp(cls, f->cls) == 0 && IsWindowVisible(wnd) &&
      (!f->title || (GetWindowTextA(wnd, title, sizeof title) && strcmp(title, f->title) == 0))) {
    f->found = wnd;
    return FALSE;
  }
  return TRUE;
}

TEST(ProgramStart, StartsDrawsAndClosesWithExitCodeZero) {
  char temp[MAX_PATH], ready[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  GetTempFileNameA(temp, "mrv", 0, ready);
  DeleteFileA(ready);
  SetEnvironmentVariableA("MIRAVEL_READY_FILE", ready);
  // A settings folder of its own (an earlier test may have named one that is gone).
  const std::string settings = std::string(temp) + "miravel_settings_start";
  CreateDirectoryA(settings.c_str(), nullptr);
  SetEnvironmentVariableA("MIRAVEL_SETTINGS_DIR", settings.c_str());
  // Boxes wait for an answer: the close box's question is answered below.
  SetEnvironmentVariableA("MIRAVEL_MODAL_AUTO", nullptr);

  STARTUPINFOA si;
  ZeroMemory(&si, sizeof si);
  si.cb = sizeof si;
  PROCESS_INFORMATION pi;
  char cmd[] = "Miravel.exe";
  ASSERT_TRUE(CreateProcessA(nullptr, cmd, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
      << "Miravel.exe must be beside the test program";

  FindWindowOf f = {pi.dwProcessId, nullptr};
  bool drawn = false;
  for (int i = 0; i < 600 && !(f.found && drawn); i++) {
    if (WaitForSingleObject(pi.hProcess, 50) == WAIT_OBJECT_0) break;
    if (!f.found) EnumWindows(MatchWindow, (LPARAM)&f);
    drawn = GetFileAttributesA(ready) != INVALID_FILE_ATTRIBUTES;
  }
  EXPECT_NE(f.found, nullptr) << "no D3D Window";
  EXPECT_TRUE(drawn) << "no frames presented";
  if (f.found) PostMessageA(f.found, WM_CLOSE, 0, 0);
  // The close box asks "終了しても、よろしいですか？" first: "はい".
  for (int i = 0; i < 400 && WaitForSingleObject(pi.hProcess, 50) == WAIT_TIMEOUT; i++) {
    FindWindowOf q = {pi.dwProcessId, nullptr, "#32770", "Miravel"};   // not one of the panels
    EnumWindows(MatchWindow, (LPARAM)&q);
    if (q.found) {
      char t[256] = "";
      // The box window can be there a moment before its text and buttons are.
      for (int k = 0; k < 200 && !GetDlgItemTextA(q.found, 0xFFFF, t, sizeof t); k++) Sleep(50);
      EXPECT_STREQ(t, "終了しても、よろしいですか？");
      PostMessageA(q.found, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), (LPARAM)GetDlgItem(q.found, IDYES));
      break;
    }
  }

  DWORD wait = WaitForSingleObject(pi.hProcess, 30000);
  if (wait != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 99);
  EXPECT_EQ(wait, (DWORD)WAIT_OBJECT_0);
  DWORD code = 12345;
  GetExitCodeProcess(pi.hProcess, &code);
  EXPECT_EQ(code, 0u);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  DeleteFileA(ready);
  char name[MAX_PATH];
  snprintf(name, sizeof name, "%s\\System%d.dat", settings.c_str(), GetSystemMetrics(SM_CXSCREEN));
  DeleteFileA(name);
  RemoveDirectoryA(settings.c_str());
}

}  // namespace
