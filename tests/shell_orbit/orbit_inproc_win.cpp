// The right-button orbit of the main view through real mouse input: the shell started in
// process on a model, the cursor put on the main window's client area where nothing covers it,
// and the button pressed, moved and released by SendInput (Wine routes it as it routes the
// user's mouse: hit-testing, capture, activation). The camera angle turns by 0.2 degrees a
// pixel and the main view's picture changes; with a view window active before the drag, too
// (windows without a window manager do not become active by a click).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

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

// A right drag of `steps` moves of (dx, 0) from p; the main view drawn again after it. The
// pointer's travel as the program saw it between the press and the release goes to *seen.
void RightDrag(POINT p, int steps, int dx, POINT *seen) {
  SetCursorPos(p.x, p.y);
  Input(MOUSEEVENTF_MOVE, 0, 0);
  Input(MOUSEEVENTF_RIGHTDOWN);
  POINT from = {g_Mouse.g_MouseX, g_Mouse.g_MouseY};
  for (int i = 0; i < steps; i++) Input(MOUSEEVENTF_MOVE, dx, 0);
  seen->x = g_Mouse.g_MouseX - from.x;
  seen->y = g_Mouse.g_MouseY - from.y;
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
    }
    std::vector<u32> before = MainPicture();
    f32 ax = g_Shell.g_PerspAngleX, ay = g_Shell.g_PerspAngleY;
    POINT seen;
    RightDrag(p, 6, 10, &seen);
    // Wine sends stale positions between the real ones: the program must still turn by the
    // whole travel it saw, not by the last step of each pass.
    EXPECT_GE(seen.x, 40) << "the moves did not reach the program";
    EXPECT_NEAR(g_Shell.g_PerspAngleX - ax, 0.2f * (f32)seen.x, 0.01f) << "the orbit did not turn the camera by the drag";
    EXPECT_NEAR(g_Shell.g_PerspAngleY - ay, 0.2f * (f32)seen.y, 0.01f);
    EXPECT_GT(Differ(before, MainPicture()), 100u) << "the main view's picture did not change";
  }
  Drive_End(kSettings);
}
