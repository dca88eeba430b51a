// Program entry point: library start-up, then the main loop (one frame step per idle
// pass). The shell's own start-up replaces the middle part.
#include <windows.h>
#include <mmsystem.h>

#include "app/shell_services.h"
#include "lib/framework/framework_win.h"
#include "lib/framework/modal_hooks.h"
#include "model/model3.h"

// View 0 of the current layout is the main window until the shell makes its views.
static void UseMainWindowAsView(void) {
  ViewRecord &v = g_Views[g_EditSubMode][0];
  v.inUse = 1;
  v.kind = VIEW_MAIN;
  v.window = (HWND__ *)g_MainWnd;
  RECT r;
  GetClientRect(g_MainWnd, &r);
  v.w = v.clientW = r.right - r.left;
  v.h = v.clientH = r.bottom - r.top;
}

// One idle pass: fade, frame delta, per-frame update, then one frame.
static void IdlePass(DWORD *lastMs) {
  Lib_StepFade();
  DWORD now = timeGetTime();
  g_FrameDelta = Lib_FrameDeltaFromMs(*lastMs, now);
  *lastMs = now;
  g_TextSuppressed = 0;
  App_UpdateFrame();
  g_DrawView = 0;
  if (D3DApp_IsActive() && Lib_IsReady()) D3DApp_FrameStep();
  if (!Lib_GetCpuOccupy() && !Lib_IsBusy()) Sleep(1);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  if (!Lib_Init(instance)) {
    Modal_MessageBox(nullptr, "初期化に失敗しました。", g_AppCaption, MB_OK);
    return -1;
  }
  g_ViewWindowMode = 1;
  g_FrameScaling = 0;
  g_EditorMode = 1;
  App_InitFamily2DFrame();
  Lib_SetFade(1.0f);
  Timer_Reset();
  UseMainWindowAsView();

  MSG msg;
  msg.message = WM_NULL;
  msg.wParam = 0;
  DWORD lastMs = timeGetTime();
  for (;;) {
    bool got;
    if (D3DApp_IsActive()) {
      got = PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) != 0;
    } else {
      BOOL r = GetMessageA(&msg, nullptr, 0, 0);
      if (r <= 0) break;
      got = true;
    }
    if (got) {
      if (msg.message == WM_QUIT) break;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    } else {
      IdlePass(&lastMs);
    }
  }
  return (int)msg.wParam;
}
