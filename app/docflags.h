// "Changed since loaded, saved or made": one flag per kind of document.
//
// g_EditedFlag (app/family.h) only says whether an edit happened since the last undo step;
// every recorded step clears it. The question before a changed document is discarded needs
// to know more: whether the document differs from what was loaded, saved or made. Editors
// mark an edit with Doc_MarkEdited (both flags); a successful load, save or new document of
// a kind clears that kind's flag (Doc_ClearChanged). Globals owned here: g_DocChanged, g_UndoLabel.
#pragma once
#include "model/types.h"

enum DocKind : u32 {
  DOC_MODEL3 = 0,   // the 3D editor's models (KZP, KZM and the imported formats)
  DOC_OBJ3,         // 3D object sets (KZO)
  DOC_BONE2,        // 2D bone models (KZB)
  DOC_OBJ2,         // 2D object models (KZA)
  DOC_MOVIE,        // KZV
  DOC_COLLISION,    // KZC
  DOC_MAP2,         // MAP2
  DOC_EFFECT,
  DOC_PROGRAM,      // the program editor's script text
  DOC_KINDS
};

extern u32 g_DocChanged[DOC_KINDS];
// Counts every edit, load, save and new document of any kind: the per-frame update compares
// it with the count it saw last and, when it moved, lets the family's panels show the
// document again (FamilyHooks::documentChanged), whichever window made the change.
extern u32 g_DocRevision;

// An edit of a document of this kind: the edited flag and the kind's changed flag are set.
void Doc_MarkEdited(u32 kind);
// The label of the next undo step (the 3D undo history records it; the 2D editors write it
// too, where no step consumes it).
enum { DOC_UNDO_LABEL = 256 };
extern char g_UndoLabel[DOC_UNDO_LABEL];
void Doc_ClearChanged(u32 kind);
bool Doc_IsChanged(u32 kind);
