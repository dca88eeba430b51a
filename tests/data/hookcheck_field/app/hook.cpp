#include "app/hook_ctx.h"
#include "app/records.h"
ShellSelection g_Sel;
void App_Hook(const HookCtx *c) { (void)c; }
