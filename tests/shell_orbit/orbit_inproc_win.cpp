// The right-button orbit of the main view through real mouse input: the shell started in
// process on a model, the pointer put on the main window's client area where nothing covers it,
// and the button pressed, moved and released by SendInput (Wine routes it as it routes the
// user's mouse: hit-testing, capture, and the stale positions it sends between real ones). The
// camera turns by 0.2 degrees a pixel of the travel and the main view's picture changes, also
// with a view window active before the press (without a window manager a click activates
// nothing) and while the view windows get their timer and paint messages during the drag.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/shell_mouse.h"
#include "lib/framework/lib_state.h"
#include "model_shown.h"
#include "app/shell_view.h"
#include "app/startup_state.h"
#include "app/views.h"
#include "lib/framework/lib.h"
#include "model/kzp.h"
#include "model/model3.h"
#include "test_models.h"
#include "wine_drive.h"

namespace {

const char *kSettings = "miravel_settings_orbit";

// A client point of the main window that no other window covers, in screen coordinates.
bool UncoveredMainPoint(POINT *out) {
  HWND main = (HWND)g_Lib.mainWnd;
  RECT c;
  GetClientRect(main, &c);
  for (int y = c.bottom / 2; y < c.bottom - 40; y += 16)
    for (int x = c.right / 2; x > 40; x -= 16) {
      POINT p = {x, y};
      ClientToScreen(main, &p);
      if (WindowFromPoint(p) == main) {
        *out = p;
        return true;
      }
    }
  return false;
}

void Input(DWORD flags, LONG dx = 0, LONG dy = 0) {
  INPUT in = {};
  in.type = INPUT_MOUSE;
  in.mi.dx = dx;
  in.mi.dy = dy;
  in.mi.dwFlags = flags;
  SendInput(1, &in, sizeof in);
  Drive_PumpIdle(2);   // the messages it makes, then passes of the loop
}

// The pointer moved to screen point (x, y) (absolute moves: a relative one starts from
// wherever Wine last put the pointer).
void MoveTo(int x, int y) {
  int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  Input(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, (LONG)((x * 65535 + (w - 1) / 2) / (w - 1)),
        (LONG)((y * 65535 + (h - 1) / 2) / (h - 1)));
}

// Moves the pointer to screen point p until the program has seen it there (client point c).
// On a busy machine Wine hands a move on late, or hands on an older position after it: a press
// made before the program saw the pointer arrive carries the pointer's old place (the end of the
// previous drag), as a user's press never does.
bool PointerSeenAt(POINT p, POINT c) {
  auto there = [&] { return g_Mouse.g_MouseX == c.x && g_Mouse.g_MouseY == c.y; };
  for (int tries = 0; tries < 20; tries++) {
    MoveTo(p.x, p.y);
    if (Drive_PumpUntil(there, 400) && Drive_PumpIdle(2) && there()) return true;
  }
  return false;
}

// A right drag of `steps` moves of (dx, 0) from p; the main view drawn again after it. While the
// button is still held, once the program has seen the pointer at its end and no message waits,
// the pointer's travel from the press as the program saw it and the camera's turn go to *seen
// and *turn.
void RightDrag(POINT p, int steps, int dx, POINT *seen, f32 turn[2]) {
  POINT from = p;
  ScreenToClient((HWND)g_Lib.mainWnd, &from);
  // A press made after the program saw the pointer there may still carry an older position
  // Wine hands on after the move: the user, seeing the drag start from elsewhere, lets go and
  // presses again.
  bool pressedThere = false;
  for (int tries = 0; tries < 5 && !pressedThere; tries++) {
    if (tries) {
      Input(MOUSEEVENTF_RIGHTUP);
      Drive_PumpUntil([] { return g_Lib.app.rightHeld == 0; }, 3000);
    }
    EXPECT_TRUE(PointerSeenAt(p, from)) << "the pointer's move to the press point did not reach the program";
    Input(MOUSEEVENTF_RIGHTDOWN);
    // Wine may spend a press on activating the main window (a view window was active): the
    // user's second press is the one that drags then.
    auto pressTaken = [] { return Drive_PumpUntil([] { return g_Lib.app.rightHeld != 0; }, 3000); };
    if (!pressTaken()) {
      Input(MOUSEEVENTF_RIGHTUP);
      Input(MOUSEEVENTF_RIGHTDOWN);
      EXPECT_TRUE(pressTaken()) << "the press did not reach the program";
    }
    pressedThere = g_Lib.app.rightDownX == from.x && g_Lib.app.rightDownY == from.y;
  }
  EXPECT_TRUE(pressedThere) << "the press never reached the program where it was made";
  f32 ax = g_Shell.g_PerspAngleX, ay = g_Shell.g_PerspAngleY;
  POINT pressed = {g_Lib.app.rightDownX, g_Lib.app.rightDownY};
  for (int i = 1; i < steps; i++) MoveTo(p.x + i * dx, p.y);
  POINT end = {p.x + steps * dx, p.y}, endClient = {from.x + steps * dx, from.y};
  EXPECT_TRUE(PointerSeenAt(end, endClient)) << "the last move did not reach the program";
  MSG waiting;
  for (int i = 0; i < 50; i++) {
    Drive_PumpIdle(1);
    if (!PeekMessageA(&waiting, nullptr, 0, 0, PM_NOREMOVE)) break;
  }
  seen->x = g_Mouse.g_MouseX - pressed.x;
  seen->y = g_Mouse.g_MouseY - pressed.y;
  turn[0] = g_Shell.g_PerspAngleX - ax;
  turn[1] = g_Shell.g_PerspAngleY - ay;
  Input(MOUSEEVENTF_RIGHTUP);
  Drive_PumpIdle(10);
}

std::vector<u32> MainPicture() {
  int w, h;
  return Drive_ScreenOf((HWND)g_Lib.mainWnd, &w, &h);
}

size_t Differ(const std::vector<u32> &a, const std::vector<u32> &b) {
  size_t n = 0;
  for (size_t i = 0; i < a.size() && i < b.size(); i++) n += a[i] != b[i];
  return n;
}

}  // namespace

TEST(ShellOrbit, RightDragInTheMainViewTurnsTheCameraThroughRealInput) {
  Model3 *m = TestModel_NewTriangle(4);
  ASSERT_NE(m, nullptr);
  std::string path = Drive_Temp("miravel_orbit.KZP");
  ASSERT_TRUE(Shown(Kzp_Write, m, path.c_str()));
  Model3_Free(m);
  ASSERT_TRUE(Drive_Start3D(path, kSettings));
  // Mouse acceleration would scale the relative moves.
  int accel[3] = {0, 0, 0};
  SystemParametersInfoA(SPI_SETMOUSE, 0, accel, 0);
  Drive_Pump(50);
  POINT p;
  ASSERT_TRUE(UncoveredMainPoint(&p)) << "the main window is covered everywhere";

  struct Case {
    const char *what;
    bool viewWindowActive;
  };
  const Case cases[] = {{"as started", false}, {"after a view window was active", true}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    if (c.viewWindowActive) {
      HWND front = Drive_FrontView(g_Shell.g_EditSubMode);
      ASSERT_NE(front, nullptr);
      SetActiveWindow(front);
      Drive_Pump(10);
      // The activated window comes to the top: the press must still land on the main window.
      ASSERT_TRUE(UncoveredMainPoint(&p)) << "the main window is covered everywhere";
    }
    std::vector<u32> before = MainPicture();
    POINT seen;
    f32 turn[2];
    RightDrag(p, 6, 10, &seen, turn);
    // Wine sends stale positions between the real ones (and may end on one): the camera turns
    // by the moves the program saw, 0.2 degrees a pixel, give or take the one step a stale
    // position that came after the last pass holds back; not by the last move of each pass.
    EXPECT_GE(seen.x, 30) << "the moves did not reach the program";
    EXPECT_GE(turn[0], 0.2f * 30.0f) << "the orbit did not turn the camera";
    EXPECT_NEAR(turn[0], 0.2f * (f32)seen.x, 0.2f * 10.0f + 0.01f);
    EXPECT_NEAR(turn[1], 0.0f, 0.2f * 10.0f + 0.01f);
    EXPECT_GT(Differ(before, MainPicture()), 100u) << "the main view's picture did not change";
  }
  Drive_End(kSettings);
}

// The program ends with the test's result, without Wine's teardown of the device, sound and
// windows: on a busy machine that teardown outlasts the time the Wine server gives a process
// whose threads have ended, and the server kills it, failing a test that passed.
::testing::Environment *const kEnd = ::testing::AddGlobalTestEnvironment(new Drive_EndWithResult);
