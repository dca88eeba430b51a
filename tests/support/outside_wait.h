// Waiting on a program driven from another process: polls by the clock, and a wait that runs
// out says what it waited for, so a failed test names its step.
#pragma once
#include <windows.h>

#include <stdio.h>

#include <string>

// Polls `ready` until it holds or `ms` have passed by the clock (a busy machine makes each
// poll slower, not the wait shorter).
template <class F>
bool WaitFor(const std::string &what, DWORD ms, F ready, DWORD pollMs = 50) {
  DWORD start = GetTickCount();
  while (!ready()) {
    if (GetTickCount() - start >= ms) {
      printf("  waited %lu ms for %s: it did not come\n", (unsigned long)ms, what.c_str());
      fflush(stdout);
      return false;
    }
    Sleep(pollMs);
  }
  return true;
}

// The program's loop has taken what was posted to it before: a message sent to its window
// is answered at the loop's next look at its queue, which also takes the posted ones; three
// answers in a row put at least one further pass of the loop behind them.
inline bool Answered(HWND w, const std::string &what) {
  for (int i = 0; i < 3; i++) {
    DWORD_PTR r = 0;
    if (!SendMessageTimeoutA(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &r)) {
      printf("  the program did not answer after %s\n", what.c_str());
      fflush(stdout);
      return false;
    }
  }
  return true;
}
