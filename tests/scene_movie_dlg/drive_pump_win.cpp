// The in-process drivers' pumps while the application is paused: the loop then waits in
// GetMessage, and with no message coming each pump must still come back by its clock, say
// which line it ran for, take a message that is there at once and stop at WM_QUIT. Each case
// runs on a thread of its own (a queue with no windows and no timers: nothing ever comes
// unless the case posts it), so a pump that waits for ever fails the case instead of holding
// the program.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "lib/framework/d3dapp.h"
#include "lib/framework/lib.h"
#include "tests/support/wine_drive.h"

namespace {

struct PumpCase {
  const char *what;
  UINT post;          // posted to the thread first (0: nothing)
  int (*pump)(void);  // the pump's result: passes made, or 1 / 0 for a condition met or not
  int result;         // what the pump gives
  bool ranOut;        // the pump ran out of time (and said so)
  int exitCode;       // for WM_QUIT: the code the loop ended with
};

int g_exitCode;

const PumpCase kCases[] = {
    {"Drive_Pump with nothing coming", 0, [] { return Drive_Pump(1000); }, 0, true, -1},
    {"Drive_PumpIdle with nothing coming", 0, [] { return (int)Drive_PumpIdle(1); }, 0, true, -1},
    {"Drive_PumpUntil with nothing coming", 0, [] { return (int)Drive_PumpUntil([] { return false; }, 3000); }, 0,
     true, -1},
    {"Drive_PumpUntilShown with nothing coming", 0, [] { return (int)Drive_PumpUntilShown([] { return false; }); }, 0,
     true, -1},
    {"a posted message taken at once", WM_APP, [] { return Drive_Pump(1); }, 1, false, -1},
    {"WM_QUIT ends the loop with its code", WM_QUIT,
     [] {
       g_exitCode = -1;
       return (int)Drive_LoopStep(GetTickCount() + g_DrivePumpMs, &g_exitCode);
     },
     DRIVE_STEP_ENDED, false, 7},
};

struct PumpRun {
  const PumpCase *c;
  int result;
  DWORD ms;
};

DWORD WINAPI RunCase(void *arg) {
  PumpRun *run = (PumpRun *)arg;
  MSG m;
  PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE);   // the thread's queue exists
  if (run->c->post == WM_QUIT) PostQuitMessage(7);
  else if (run->c->post) PostThreadMessageA(GetCurrentThreadId(), run->c->post, 0, 0);
  DWORD start = GetTickCount();
  run->result = run->c->pump();
  run->ms = GetTickCount() - start;
  return 0;
}

}  // namespace

// A short clock limit and the application paused for the cases; both as they were after.
struct PausedForCases {
  DWORD limit = g_DrivePumpMs;
  i32 pauseCount = g_D3DApp.pauseCount;
  u32 active = g_Lib.appActive;
  explicit PausedForCases(DWORD ms) {
    g_DrivePumpMs = ms;
    g_Lib.appActive = 0;
  }
  ~PausedForCases() {
    g_DrivePumpMs = limit;
    g_D3DApp.pauseCount = pauseCount;
    g_Lib.appActive = active;
  }
};

TEST(DrivePump, PausedLoopComesBackByTheClock) {
  const DWORD limit = 400;
  PausedForCases paused(limit);
  for (const PumpCase &c : kCases) {
    g_DriveRanOut.clear();
    PumpRun run = {&c, -99, 0};
    HANDLE t = CreateThread(nullptr, 0, RunCase, &run, 0, nullptr);
    ASSERT_NE(t, nullptr);
    bool back = WaitForSingleObject(t, 20 * limit) == WAIT_OBJECT_0;
    if (!back) TerminateThread(t, 1);
    CloseHandle(t);
    ASSERT_TRUE(back) << c.what << ": the pump did not come back";
    EXPECT_EQ(run.result, c.result) << c.what;
    if (c.ranOut) {
      EXPECT_GE(run.ms + 20, limit) << c.what;   // GetTickCount moves in steps of a few ms
      EXPECT_NE(g_DriveRanOut.find("drive_pump_win.cpp:"), std::string::npos) << c.what << ": " << g_DriveRanOut;
      EXPECT_NE(g_DriveRanOut.find("paused"), std::string::npos) << c.what << ": " << g_DriveRanOut;
    } else {
      EXPECT_LT(run.ms, limit) << c.what;
      EXPECT_EQ(g_DriveRanOut, "") << c.what;
    }
    if (c.exitCode >= 0) {
      EXPECT_EQ(g_exitCode, c.exitCode) << c.what;
    }
  }
}
