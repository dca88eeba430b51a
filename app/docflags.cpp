// The changed flag per kind of document (fields of g_Shell).
#include "app/docflags.h"

#include "app/family.h"
#include "app/shell_view.h"

// Kinds whose replacement the user agreed to since their last edit; replacements of a changed
// document without it.
static u8 s_ReplaceAllowed[DOC_KINDS];
static u32 s_UnaskedReplaces;


void Doc_MarkEdited(u32 kind) {
  g_Shell.g_EditedFlag = 1;
  g_Shell.g_DocRevision++;
  if (kind < DOC_KINDS) g_Shell.g_DocChanged[kind] = 1, s_ReplaceAllowed[kind] = 0;
}

void Doc_MarkChanged(u32 kind) {
  g_Shell.g_DocRevision++;
  if (kind < DOC_KINDS) g_Shell.g_DocChanged[kind] = 1, s_ReplaceAllowed[kind] = 0;
}

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
