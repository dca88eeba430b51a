// The changed flag per kind of document. Owns g_DocChanged, g_DocRevision and g_UndoLabel.
#include "app/docflags.h"

#include "app/family.h"

u32 g_DocChanged[DOC_KINDS];
u32 g_DocRevision;
char g_UndoLabel[DOC_UNDO_LABEL];

void Doc_MarkEdited(u32 kind) {
  g_EditedFlag = 1;
  g_DocRevision++;
  if (kind < DOC_KINDS) g_DocChanged[kind] = 1;
}

void Doc_ClearChanged(u32 kind) {
  g_DocRevision++;
  if (kind < DOC_KINDS) g_DocChanged[kind] = 0;
}

bool Doc_IsChanged(u32 kind) { return kind < DOC_KINDS && g_DocChanged[kind] != 0; }
