// The library start-up in this process under Wine: "D3D Window" with a 640x480 client
// area and menu 141, the device, a black first frame, frames that advance, a device reset
// by the vsync switch, and WM_CLOSE tearing everything down.
#include <gtest/gtest.h>
#include <windows.h>
#include <d3d9.h>

#include "app/shell_services.h"
#include "lib/framework/framework_win.h"
#include "lib/framework/modal_hooks.h"
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
  EXPECT_TRUE(D3DApp_ReadBackPixel(g_ScreenWidth / 2, g_ScreenHeight / 2, &argb));
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
  ASSERT_TRUE(IsWindow(g_MainWnd));
  char cls[64];
  GetClassNameA(g_MainWnd, cls, sizeof cls);
  EXPECT_STREQ(cls, "D3D Window");
  char title[64];
  GetWindowTextA(g_MainWnd, title, sizeof title);
  EXPECT_STREQ(title, "Miravel");
  RECT rc;
  GetClientRect(g_MainWnd, &rc);
  EXPECT_EQ(rc.right - rc.left, 640);
  EXPECT_EQ(rc.bottom - rc.top, 480);
  HMENU menu = GetMenu(g_MainWnd);
  ASSERT_NE(menu, nullptr);
  EXPECT_TRUE(MenuHasCommand(menu, IDM_EXIT));
  HMENU fromResource = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAIN_MENU));
  ASSERT_NE(fromResource, nullptr);
  EXPECT_EQ(GetMenuItemCount(fromResource), GetMenuItemCount(menu));
  DestroyMenu(fromResource);

  // The device and its first frame.
  ASSERT_NE(g_Device, nullptr);
  ASSERT_NE(g_D3D, nullptr);
  EXPECT_EQ(g_D3DApp.devicesCreated, 1u);   // one device: start-up makes no second one
  EXPECT_EQ(g_ScreenWidth, 640);
  EXPECT_EQ(g_ScreenHeight, 480);
  EXPECT_EQ(CentrePixel(), 0u);
  EXPECT_EQ(g_RunState, 4u);
  EXPECT_NE(g_DataDir[0], 0);

  // Frames are drawn and presented (into view 0 of the current layout once view windows
  // are on).
  g_ClearColor[2] = 255;
  ASSERT_TRUE(PresentFrames(3));
  EXPECT_EQ(CentrePixel(), 0x0000FFu);
  g_ViewWindowMode = 1;
  ViewRecord &v = g_Shell.g_Views[g_Shell.g_EditSubMode][0];
  v.inUse = 1;
  v.window = (HWND__ *)g_MainWnd;
  v.kind = VIEW_MAIN;
  ASSERT_TRUE(PresentFrames(3));

  // The vsync switch resets the device; frames go on.
  Lib_SetVSync(false);
  EXPECT_EQ(g_PresentParams.PresentationInterval, (UINT)D3DPRESENT_INTERVAL_IMMEDIATE);
  EXPECT_EQ(Lib_IsVSync(), 0);
  ASSERT_NE(g_Device, nullptr);
  g_ClearColor[1] = 255;
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
  v.window = (HWND__ *)g_MainWnd;

  // Input state from the framework handler.
  SendMessageA(g_MainWnd, WM_KEYDOWN, 'A', 0);
  EXPECT_EQ(g_LibApp.keyState['A'], 1u);
  SendMessageA(g_MainWnd, WM_KEYUP, 'A', 0);
  EXPECT_EQ(g_LibApp.keyState['A'], 0u);
  SendMessageA(g_MainWnd, WM_KEYDOWN, 0x1234, 0);  // out of the table: ignored
  SendMessageA(g_MainWnd, WM_LBUTTONDOWN, 0, MAKELPARAM(0xFFFB, 40));
  EXPECT_EQ(g_LibApp.leftHeld, 1u);
  EXPECT_EQ(g_LibApp.leftDownX, 0xFFFB - 0xFFFF);
  EXPECT_EQ(g_LibApp.leftDownY, 40);
  SendMessageA(g_MainWnd, WM_LBUTTONUP, 0, MAKELPARAM(7, 8));
  EXPECT_EQ(g_LibApp.leftHeld, 0u);
  EXPECT_EQ(g_LibApp.leftUpX, 7);

  // Only the video window's notification stops the video; a mouse move at (525, 0) does not.
  g_VideoActive = 1;
  g_D3DApp.videoLoop = 0;
  SendMessageA(g_MainWnd, WM_MOUSEMOVE, 0, 525);
  EXPECT_EQ(g_LibApp.cursorX, 525);
  EXPECT_EQ(g_VideoActive, 1);
  SendMessageA(g_MainWnd, MSG_MCIWNDM_NOTIFYMODE, 0, VIDEO_MODE_STOP);
  EXPECT_EQ(g_VideoActive, 0);

  // Sizing keeps a 4:3 client area; the back buffer follows after the reset.
  RECT wr;
  GetWindowRect(g_MainWnd, &wr);
  RECT frame = {0, 0, 0, 0};
  AdjustWindowRect(&frame, (DWORD)GetWindowLongA(g_MainWnd, GWL_STYLE), TRUE);
  SetWindowPos(g_MainWnd, nullptr, wr.left, wr.top, 800 + (frame.right - frame.left), 300, SWP_NOZORDER);
  GetClientRect(g_MainWnd, &rc);
  EXPECT_EQ(rc.right, 800);
  EXPECT_EQ(rc.bottom, 600);
  ASSERT_EQ(D3DApp_ResetDevice(), S_OK);
  EXPECT_EQ(g_ScreenWidth, 800);
  EXPECT_EQ(g_ScreenHeight, 600);
  ASSERT_TRUE(PresentFrames(2));
  EXPECT_EQ(g_BoxCount, 0);

  // WM_CLOSE releases the device and Direct3D, destroys the window and ends the loop.
  HWND wnd = g_MainWnd;
  SendMessageA(wnd, WM_CLOSE, 0, 0);
  EXPECT_EQ(g_Device, nullptr);
  EXPECT_EQ(g_D3D, nullptr);
  EXPECT_FALSE(IsWindow(wnd));
  MSG msg;
  bool quit = false;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
    if (msg.message == WM_QUIT) quit = msg.wParam == 0;
  EXPECT_TRUE(quit);
  g_ViewWindowMode = 0;
  v = ViewRecord{};
  g_ClearColor[1] = g_ClearColor[2] = 0;
  g_ModalHooks.messageBox = nullptr;
}

}  // namespace
