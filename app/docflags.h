// "Changed since loaded, saved or made": one flag per kind of document.
//
// g_Shell.g_EditedFlag (app/family.h) only says whether an edit happened since the last undo step;
// every recorded step clears it. The question before a changed document is discarded needs
// to know more: whether the document differs from what was loaded, saved or made. Editors
// mark an edit with Doc_MarkEdited (both flags); a successful load, save or new document of
// a kind clears that kind's flag (Doc_ClearChanged). The flags are fields of g_Shell.
#pragma once
#include "model/types.h"
#include "app/shell_view.h"

// DocKind, g_Shell.g_DocChanged, g_Shell.g_DocRevision and g_Shell.g_UndoLabel: app/shell_view.h (g_Shell).

// Counts every edit, load, save and new document of any kind: the per-frame update compares
// it with the count it saw last and, when it moved, lets the family's panels show the
// document again (FamilyHooks::documentChanged), whichever window made the change.

// An edit of a document of this kind: the edited flag and the kind's changed flag are set.
void Doc_MarkEdited(u32 kind);
// The label of the next undo step (the 3D undo history records it; the 2D editors write it
// too, where no step consumes it).
void Doc_ClearChanged(u32 kind);
bool Doc_IsChanged(u32 kind);
