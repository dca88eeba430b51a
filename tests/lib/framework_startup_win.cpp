// The library start-up in this process under Wine: "D3D Window" with a 640x480 client
// area and menu 141, the device, a black first frame, frames that advance, a device reset
// by the vsync switch, and WM_CLOSE tearing everything down.
#include <gtest/gtest.h>
#include <windows.h>
#include <d3d9.h>

#include "app/shell_services.h"
#include "app/shell_view.h"
#include "lib/framework/framework_win.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/modal_hooks.h"
#include "lib/framework/view_record.h"
#include "resources/framework_ids.h"
#include "scene/movie_services.h"

namespace {

bool MenuHasCommand(HMENU menu, UINT id) {
  int n = GetMenuItemCount(menu);
  for (int i = 0; i < n; i++) {
    if (GetMenuItemID(menu, i) == id) return true;
    HMENU sub = GetSubMenu(menu, i);
    if (sub && MenuHasCommand(sub, id)) return true;
  }
  return false;
}

void PumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// Frame steps until `more` further frames were presented (or a time limit).
bool PresentFrames(u32 more) {
  u32 target = g_D3DApp.presentCount + more;
  for (int i = 0; i < 200 && g_D3DApp.presentCount < target; i++) {
    PumpMessages();
    D3DApp_FrameStep();
    Sleep(5);
  }
  return g_D3DApp.presentCount >= target;
}

// Renders one frame without presenting it (a discarded back buffer has no defined contents
// after Present) and reads its centre.
u32 CentrePixel() {
  EXPECT_EQ(D3DApp_RenderFrame(), S_OK);
  u32 argb = 0x12345678;
  EXPECT_TRUE(D3DApp_ReadBackPixel(g_Lib.screenWidth / 2, g_Lib.screenHeight / 2, &argb));
  return argb & 0xFFFFFF;
}

int g_BoxCount;
int CountBox(HWND, const char *text, const char *, UINT) {
  g_BoxCount++;
  fprintf(stderr, "box: %s\n", text);
  return IDOK;
}

TEST(FrameworkStartup, WindowDeviceFramesResetAndClose) {
  g_ModalHooks.messageBox = CountBox;
  ASSERT_TRUE(Lib_Init(GetModuleHandleA(nullptr)));
  EXPECT_EQ(g_BoxCount, 0);
  EXPECT_EQ(Lib_IsReady(), 1u);
  EXPECT_EQ(D3DApp_IsActive(), 1u);

  // The window.
  ASSERT_TRUE(IsWindow(g_Lib.mainWnd));
  char cls[64];
  GetClassNameA(g_Lib.mainWnd, cls, sizeof cls);
  EXPECT_STREQ(cls, "D3D Window");
  char title[64];
  GetWindowTextA(g_Lib.mainWnd, title, sizeof title);
  EXPECT_STREQ(title, "Miravel");
  RECT rc;
  GetClientRect(g_Lib.mainWnd, &rc);
  EXPECT_EQ(rc.right - rc.left, 640);
  EXPECT_EQ(rc.bottom - rc.top, 480);
  HMENU menu = GetMenu(g_Lib.mainWnd);
  ASSERT_NE(menu, nullptr);
  EXPECT_TRUE(MenuHasCommand(menu, IDM_FRAMEWORK_EXIT));
  HMENU fromResource = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAIN_MENU));
  ASSERT_NE(fromResource, nullptr);
  EXPECT_EQ(GetMenuItemCount(fromResource), GetMenuItemCount(menu));
  DestroyMenu(fromResource);

  // The device and its first frame.
  ASSERT_NE(g_Lib.device, nullptr);
  ASSERT_NE(g_Lib.d3d, nullptr);
  EXPECT_EQ(g_D3DApp.devicesCreated, 1u);   // one device: start-up makes no second one
  EXPECT_EQ(g_Lib.screenWidth, 640);
  EXPECT_EQ(g_Lib.screenHeight, 480);
  EXPECT_EQ(CentrePixel(), 0u);
  EXPECT_EQ(g_Lib.runState, 4u);
  EXPECT_NE(g_Lib.dataDir[0], 0);

  // Frames are drawn and presented (into view 0 of the current layout once view windows
  // are on).
  g_Lib.clearColor[2] = 255;
  ASSERT_TRUE(PresentFrames(3));
  EXPECT_EQ(CentrePixel(), 0x0000FFu);
  g_Lib.viewWindowMode = 1;
  ViewRecord &v = g_Shell.g_Views[g_Shell.g_EditSubMode][0];
  v.inUse = 1;
  v.window = (HWND__ *)g_Lib.mainWnd;
  v.kind = VIEW_MAIN;
  ASSERT_TRUE(PresentFrames(3));

  // The vsync switch resets the device; frames go on.
  Lib_SetVSync(false);
  EXPECT_EQ(g_D3DAppWin.presentParams.PresentationInterval, (UINT)D3DPRESENT_INTERVAL_IMMEDIATE);
  EXPECT_EQ(Lib_IsVSync(), 0);
  ASSERT_NE(g_Lib.device, nullptr);
  g_Lib.clearColor[1] = 255;
  ASSERT_TRUE(PresentFrames(3));
  EXPECT_EQ(CentrePixel(), 0x00FFFFu);
  Lib_SetVSync(true);
  ASSERT_TRUE(PresentFrames(1));
  EXPECT_EQ(g_BoxCount, 0);
  EXPECT_EQ(g_D3DApp.devicesCreated, 1u);   // a reset keeps the device

  // A drawn view without a window renders but presents nothing.
  u32 before = g_D3DApp.presentCount;
  v.window = nullptr;
  for (int i = 0; i < 5; i++) {
    Sleep(5);
    D3DApp_FrameStep();
  }
  EXPECT_EQ(g_D3DApp.presentCount, before);
  v.window = (HWND__ *)g_Lib.mainWnd;

  // Input state from the framework handler.
  SendMessageA(g_Lib.mainWnd, WM_KEYDOWN, 'A', 0);
  EXPECT_EQ(g_Lib.app.keyState['A'], 1u);
  SendMessageA(g_Lib.mainWnd, WM_KEYUP, 'A', 0);
  EXPECT_EQ(g_Lib.app.keyState['A'], 0u);
  SendMessageA(g_Lib.mainWnd, WM_KEYDOWN, 0x1234, 0);  // out of the table: ignored
  SendMessageA(g_Lib.mainWnd, WM_LBUTTONDOWN, 0, MAKELPARAM(0xFFFB, 40));
  EXPECT_EQ(g_Lib.app.leftHeld, 1u);
  EXPECT_EQ(g_Lib.app.leftDownX, 0xFFFB - 0xFFFF);
  EXPECT_EQ(g_Lib.app.leftDownY, 40);
  SendMessageA(g_Lib.mainWnd, WM_LBUTTONUP, 0, MAKELPARAM(7, 8));
  EXPECT_EQ(g_Lib.app.leftHeld, 0u);
  EXPECT_EQ(g_Lib.app.leftUpX, 7);

  // Only the video window's notification stops the video; a mouse move at (525, 0) does not.
  g_D3DApp.videoActive = 1;
  g_D3DApp.videoLoop = 0;
  SendMessageA(g_Lib.mainWnd, WM_MOUSEMOVE, 0, 525);
  EXPECT_EQ(g_Lib.app.cursorX, 525);
  EXPECT_EQ(g_D3DApp.videoActive, 1);
  SendMessageA(g_Lib.mainWnd, MSG_MCIWNDM_NOTIFYMODE, 0, VIDEO_MODE_STOP);
  EXPECT_EQ(g_D3DApp.videoActive, 0);

  // Sizing keeps a 4:3 client area; the back buffer follows after the reset.
  RECT wr;
  GetWindowRect(g_Lib.mainWnd, &wr);
  RECT frame = {0, 0, 0, 0};
  AdjustWindowRect(&frame, (DWORD)GetWindowLongA(g_Lib.mainWnd, GWL_STYLE), TRUE);
  SetWindowPos(g_Lib.mainWnd, nullptr, wr.left, wr.top, 800 + (frame.right - frame.left), 300, SWP_NOZORDER);
  GetClientRect(g_Lib.mainWnd, &rc);
  EXPECT_EQ(rc.right, 800);
  EXPECT_EQ(rc.bottom, 600);
  ASSERT_EQ(D3DApp_ResetDevice(), S_OK);
  EXPECT_EQ(g_Lib.screenWidth, 800);
  EXPECT_EQ(g_Lib.screenHeight, 600);
  ASSERT_TRUE(PresentFrames(2));
  EXPECT_EQ(g_BoxCount, 0);

  // WM_CLOSE releases the device and Direct3D, destroys the window and ends the loop.
  HWND wnd = g_Lib.mainWnd;
  SendMessageA(wnd, WM_CLOSE, 0, 0);
  EXPECT_EQ(g_Lib.device, nullptr);
  EXPECT_EQ(g_Lib.d3d, nullptr);
  EXPECT_FALSE(IsWindow(wnd));
  MSG msg;
  bool quit = false;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
    if (msg.message == WM_QUIT) quit = msg.wParam == 0;
  EXPECT_TRUE(quit);
  g_Lib.viewWindowMode = 0;
  v = ViewRecord{};
  g_Lib.clearColor[1] = g_Lib.clearColor[2] = 0;
  g_ModalHooks.messageBox = nullptr;
}

}  // namespace
