// The changed flag per kind of document (fields of g_Shell).
#include "app/docflags.h"

#include "app/family.h"


void Doc_MarkEdited(u32 kind) {
  g_Shell.g_EditedFlag = 1;
  g_Shell.g_DocRevision++;
  if (kind < DOC_KINDS) g_Shell.g_DocChanged[kind] = 1;
}

void Doc_ClearChanged(u32 kind) {
  g_Shell.g_DocRevision++;
  if (kind < DOC_KINDS) g_Shell.g_DocChanged[kind] = 0;
}

bool Doc_IsChanged(u32 kind) { return kind < DOC_KINDS && g_Shell.g_DocChanged[kind] != 0; }
