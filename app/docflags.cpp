// The changed flag per kind of document (fields of g_Shell).
#include "app/docflags.h"

#include "app/family.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"

// Kinds whose replacement the user agreed to since their last edit; replacements of a changed
// document without it.
static u8 s_ReplaceAllowed[DOC_KINDS];
static u32 s_UnaskedReplaces;


enum { LAYERS = 10 };

u32 Doc_LayerKind(u32 slot) {
  if (slot >= LAYERS) return DOC_NONE;
  return slot == 0 ? (u32)DOC_MODEL3 : DOC_LAYER2 + slot - 1;
}

u32 Doc_SoundKind(u32 slot) { return slot < LAYERS ? DOC_SOUNDS1 + slot : (u32)DOC_NONE; }

i32 Doc_LayerSlot(u32 kind) {
  if (kind == DOC_MODEL3) return 0;
  if (kind >= DOC_LAYER2 && kind < DOC_SOUNDS1) return (i32)(kind - DOC_LAYER2 + 1);
  if (kind >= DOC_SOUNDS1 && kind < DOC_KINDS) return (i32)(kind - DOC_SOUNDS1);
  return -1;
}

// The 3D editor marks its model as DOC_MODEL3: the layer it edits is the current one (a slot
// that is no layer, the collision family's background model, stays DOC_MODEL3).
static u32 EditedKind(u32 kind) {
  if (kind != DOC_MODEL3 || g_Sel.g_CurSlot >= LAYERS) return kind;
  return Doc_LayerKind(g_Sel.g_CurSlot);
}

void Doc_MarkEdited(u32 kind) {
  g_Shell.g_EditedFlag = 1;
  Doc_MarkChanged(kind);
}

void Doc_MarkChanged(u32 kind) {
  g_Shell.g_DocRevision++;
  kind = EditedKind(kind);
  if (kind < DOC_KINDS) g_Shell.g_DocChanged[kind] = 1, s_ReplaceAllowed[kind] = 0;
}

void Doc_MarkShown(void) { g_Shell.g_DocRevision++; }

void Doc_ClearChanged(u32 kind) {
  g_Shell.g_DocRevision++;
  if (kind < DOC_KINDS) g_Shell.g_DocChanged[kind] = 0;
}

bool Doc_IsChanged(u32 kind) { return kind < DOC_KINDS && g_Shell.g_DocChanged[kind] != 0; }

void Doc_AllowReplace(u32 kind) {
  if (kind < DOC_KINDS) s_ReplaceAllowed[kind] = 1;
}

void Doc_Replaced(u32 kind) {
  if (kind >= DOC_KINDS) return;
  if (g_Shell.g_DocChanged[kind] && !s_ReplaceAllowed[kind]) s_UnaskedReplaces++;
  s_ReplaceAllowed[kind] = 0;
  Doc_ClearChanged(kind);
}

u32 Doc_UnaskedReplaces(void) { return s_UnaskedReplaces; }
