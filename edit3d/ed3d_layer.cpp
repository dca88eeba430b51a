// Layers of the 3D editor: layer n is model slot n shown through scene object n, with its own
// undo history. The layer switch and the layer panel's portable handler.
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "edit3d/ed3d.h"

#include "app/current.h"
#include "app/docflags.h"
#include "app/family.h"
#include "app/views.h"
#include "app/widget.h"
#include "lib/render/objects.h"
#include "model/object.h"

void Ed3D_ShowCurrentLayerOnly(void) { Ed3D_ShowLayerOnly(g_Sel.g_CurSlot); }

void Ed3D_ShowLayerOnly(u32 slot) {
  for (i32 n = 0; n < ED3D_LAYERS; n++)
    if (KZL::OBJECT *o = Object_Get(n)) Object_SetVisible(o, (u32)n == slot ? 1 : 0);
}

void Ed3D_SelectLayer(i32 n) {
  if (n < 0 || n >= ED3D_LAYERS) return;
  Object_SetVisible(Object_Get((i32)g_Sel.g_CurSlot), 0);
  g_Sel.g_CurSlot = (u32)n;
  UndoHistory *h = Undo_Current();
  if (!Undo_HasSteps(h)) {
    // Never used since the family was entered: a new, fully allocated model with one step.
    g_ModelAllocArrays = 1;
    Model3_Init(n);
    g_ModelAllocArrays = 0;
    ObjectInit(n);
    Str_Copy(g_Shell.g_UndoLabel, sizeof g_Shell.g_UndoLabel, "記録開始");
    Undo_Push(h);
  }
  // The layer's model is always the snapshot of its current step after a switch.
  Undo_Restore(h);
  Object_SetVisible(Object_Get(n), 1);
  Doc_MarkShown();
  Widget_ActivateMain();
  HookCtx c = Family_ShellContext();
  App_RefreshLists(&c);
}

bool Ed3D_LayerCommand(u32 id) {
  if (id < IDC_LAYER_1 || id > IDC_LAYER_10) return false;
  Ed3D_SelectLayer((i32)(id - IDC_LAYER_1));
  return true;
}

u32 Ed3D_LayerCheckedButton(void) { return IDC_LAYER_1 + g_Sel.g_CurSlot; }
