// The log window "LogWin" with its list box (Windows side of lib/media/log.h).
#include <windows.h>

#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/media/log.h"

static const char kLogClass[] = "LogWin";
static const DWORD kLogStyle = 0x10CF0000;      // overlapped window, visible
static const DWORD kListStyle = 0x50300000;     // child, visible, both scroll bars

static LRESULT CALLBACK Log_WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SIZE: {
      RECT rc;
      GetWindowRect(wnd, &rc);
      if (g_Log.list) MoveWindow((HWND)g_Log.list, 0, 0, rc.right - rc.left - 8, rc.bottom - rc.top - 32, TRUE);
      break;
    }
    case WM_KEYUP:
      if (wp == VK_ESCAPE) SendMessageA(wnd, WM_CLOSE, 0, 0);
      break;
    case WM_DESTROY:
      // Clear the handles, so later lines are dropped and Log_Create can make it again.
      if (g_Log.window == wnd) Log_OnDestroyed();
      break;
  }
  return DefWindowProcA(wnd, msg, wp, lp);
}

static HINSTANCE LogInstance(void) {
  return g_Lib.app.instance ? (HINSTANCE)g_Lib.app.instance : GetModuleHandleA(nullptr);
}

static void LogCreate(void) {
  HINSTANCE inst = LogInstance();
  WNDCLASSA wc = {};
  if (!GetClassInfoA(inst, kLogClass, &wc)) {
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = Log_WndProc;
    wc.hInstance = inst;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
    wc.lpszClassName = kLogClass;
    if (!RegisterClassA(&wc)) return;
  }
  int screenH = g_Lib.desktopHeight > 0 ? g_Lib.desktopHeight : GetSystemMetrics(SM_CYSCREEN);
  int listH = screenH - 90;
  if (listH < 32) listH = 32;
  RECT rc = {0, 0, 300, listH};
  AdjustWindowRect(&rc, kLogStyle, TRUE);
  HWND wnd = CreateWindowA(kLogClass, "Log", kLogStyle, 0, 0, rc.right - rc.left, rc.bottom - rc.top,
                           nullptr, nullptr, inst, nullptr);
  if (!wnd) return;
  HWND list = CreateWindowA("LISTBOX", "", kListStyle, 0, 0, 300, listH + 32, wnd, nullptr, inst, nullptr);
  if (!list) {
    DestroyWindow(wnd);
    return;
  }
  g_Log.window = wnd;
  g_Log.list = list;
}

static void LogAddLine(const char *text, u32 index) {
  HWND list = (HWND)g_Log.list;
  SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)text);
  SendMessageA(list, LB_SETCURSEL, (WPARAM)index, 0);
}

static u32 LogFreeMemory(void) {
  MEMORYSTATUS ms = {};
  ms.dwLength = sizeof ms;
  GlobalMemoryStatus(&ms);
  return (u32)ms.dwAvailPhys;
}

void Log_InstallPlatform(void) {
  g_LibHooks.log.create = LogCreate;
  g_LibHooks.log.addLine = LogAddLine;
  g_LibHooks.log.freeMemory = LogFreeMemory;
}
