#include "app/hook_ctx.h"
#include "app/records.h"
// Reads under a name of the file's own, through an accessor app/ adds, through a pointer.
static ShellSelection &s_Sel = g_Sel;
static unsigned (*const s_SlotOf)(void) = App_Slot;
void Scene_AliasHook(const HookCtx *c) { (void)s_Sel.g_CurSlot; }
void Scene_AccessorHook(const HookCtx *c) { (void)App_Slot(); }
void Scene_PointerHook(const HookCtx *c) { (void)s_SlotOf(); }
// A dialog's procedure, which no hook reaches, reads them the same ways.
void Scene_Dialog(void) { (void)s_Sel.g_Flags; (void)App_Slot(); (void)s_SlotOf(); }
