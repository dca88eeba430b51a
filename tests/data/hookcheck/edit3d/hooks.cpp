#include "app/hook_ctx.h"
#include "app/records.h"
int Lib_Twice(int v);
static int Deep(void) { return (int)g_Sel.g_CurSlot; }
static int Middle(void) { return Deep() + 1; }
static int OnEach(int v) { return v + g_Mouse.g_MouseY; }
static int Apply(int (*fn)(int)) { return fn(1); }
static bool Clean(const HookCtx *c) { return c->sel && c->slot == 0; }
void Ed3D_Hook(const HookCtx *c) {
  if (Clean(c)) return;
  Middle();
  Apply(OnEach);
  Current_Model3();
  (void)View_CurrentLayout();
  (void)g_Shell.g_Views[1][0].redraw;
  (void)(g_Shell.g_PerspAngleX + (float)g_Bone2Slots[0]->n + (float)g_Bone2Slots[1]->n);
  App_Service();
  Lib_Twice(g_Shell.g_Playing);
}
// Hands the records on: reads nothing itself.
void Ed3D_CleanHook(const HookCtx *c) { Clean(c); }
// Reached from no hook.
int Ed3D_Unreached(void) { return g_Mouse.g_MouseX + (int)g_Sel.g_CurSlot; }
// A row's hook written in place.
void (*const g_Row[])(const HookCtx *) = {[](const HookCtx *) { Middle(); }};
// Setting the camera the context hands as a value is no read of it.
void Ed3D_ResetCamera(const HookCtx *) { g_Shell.g_PerspAngleX = g_Shell.g_PerspAngleY = 0.0f; }
