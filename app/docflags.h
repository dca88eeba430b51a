// "Changed since loaded, saved or made": one flag per kind of document.
//
// g_Shell.g_EditedFlag (app/family.h) only says whether an edit happened since the last undo step;
// every recorded step clears it. The question before a changed document is discarded needs
// to know more: whether the document differs from what was loaded, saved or made. Editors
// mark an edit with Doc_MarkEdited (both flags); a successful load, save or new document of
// a kind clears that kind's flag (Doc_ClearChanged). The flags are fields of g_Shell.
#pragma once
#include "model/types.h"
#include "app/shell_ids.h"

// DocKind, g_Shell.g_DocChanged, g_Shell.g_DocRevision and g_Shell.g_UndoLabel: app/shell_view.h (g_Shell).

// Counts every edit, load, save and new document of any kind: the per-frame update compares
// it with the count it saw last and, when it moved, lets the family's panels show the
// document again (FamilyHooks::documentChanged), whichever window made the change.

// The document kind of 3D editor layer `slot` (model slots 0..9; DOC_MODEL3 for layer 1) and
// of its model's sound list; DOC_NONE for a slot that is no layer. Doc_LayerSlot is the
// layer a kind of either belongs to, -1 for the other kinds.
u32 Doc_LayerKind(u32 slot);
u32 Doc_SoundKind(u32 slot);
i32 Doc_LayerSlot(u32 kind);

// An edit of a document of this kind: the edited flag and the kind's changed flag are set.
// DOC_MODEL3 here means the model the 3D editor edits: the current layer's kind.
void Doc_MarkEdited(u32 kind);
// The document of this kind now differs from what was loaded, saved or made, without an edit
// of its own (an undo, a redo, a jump in the undo list): only the changed flag is set, so no
// undo step is recorded for it. DOC_MODEL3 means the current layer, as for Doc_MarkEdited.
void Doc_MarkChanged(u32 kind);
// Another document now lies under the panels (a layer switch): the revision moves, so the
// panels follow it, and no flag changes.
void Doc_MarkShown(void);
// The label of the next undo step (the 3D undo history records it; the 2D editors write it
// too, where no step consumes it).

// A save of a document of this kind (it now equals its file), or a document given up after
// the question: the changed flag is cleared.
void Doc_ClearChanged(u32 kind);
bool Doc_IsChanged(u32 kind);

// Replacing a document (a load, a new document, a reset) goes through two steps keyed by its
// kind: Discard_Ask (app/discard.h) before anything is replaced, which asks when the document
// has changed and records the answer "はい" with Doc_AllowReplace; and Doc_Replaced once it
// was replaced, which clears the changed flag. A changed document replaced without that
// answer is a command that skipped the question: Doc_Replaced counts it, and the tests that
// run every replacing command check the count stays 0.
void Doc_AllowReplace(u32 kind);
void Doc_Replaced(u32 kind);
u32 Doc_UnaskedReplaces(void);
