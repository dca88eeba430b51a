// The program as a whole under Wine: Miravel.exe starts, shows "D3D Window", draws frames
// and ends with exit code 0 on WM_CLOSE.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

struct FindWindowOf {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND wnd, LPARAM lp) {
  FindWindowOf *f = (FindWindowOf *)lp;
  DWORD pid = 0;
  GetWindowThreadProcessId(wnd, &pid);
  char cls[64];
  if (pid == f->pid && GetClassNameA(wnd, cls, sizeof cls) && strcmp(cls, "D3D Window") == 0) {
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
  SetEnvironmentVariableA("MIRAVEL_MODAL_AUTO", "1");

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

  DWORD wait = WaitForSingleObject(pi.hProcess, 30000);
  if (wait != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 99);
  EXPECT_EQ(wait, (DWORD)WAIT_OBJECT_0);
  DWORD code = 12345;
  GetExitCodeProcess(pi.hProcess, &code);
  EXPECT_EQ(code, 0u);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  DeleteFileA(ready);
}

}  // namespace
