#include <windows.h>
#include "app/hook_ctx.h"
#include "app/records.h"
void StrayWin(HWND w) {
  g_Mouse.g_MouseX = (int)GetDlgCtrlID(w);
}
void Ed2D_WinHook(const HookCtx *c) { SetWindowTextA(nullptr, g_Sel.g_CurSlot ? "a" : "b"); }
