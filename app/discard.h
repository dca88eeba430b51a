// The questions before a changed document is dropped: the discard question of a command that
// replaces a document (a File-menu open, "新規作成", a family switch) and the exit question
// of Esc, "終了", the close box and the end of the Windows session. Only the shell asks
// them; editors set the changed flags (app/docflags.h). No global of its own.
#pragma once
#include "model/types.h"

// True when the document of this kind has not changed since it was loaded, saved or made,
// or the user agreed to "編集中の<kind>は破棄されます。よろしいですか？" (the answer is
// recorded, app/docflags.h). Every command that loads, creates or resets a document asks this
// for the kind it replaces before anything else. The flag stays as it is: the command clears
// it with Doc_Replaced when it did replace the document.
bool Discard_Ask(u32 kind);
// Discard_Ask with the kind's full name ("２Ｄボーンモデル") when fullName: the question of a
// step that frees a document of another family than the one it is made in.
bool Discard_AskNamed(u32 kind, bool fullName);
// Discard_Ask for 3D editor layer `slot` and then for its model's sound list: a command that
// replaces the layer's model (a read into it, 新規作成, a quick load) replaces both; and
// Doc_Replaced for both once it did.
bool Discard_AskLayer(u32 slot);
void Discard_LayerReplaced(u32 slot);
// The exit question: "終了しても、よろしいですか？", and before it, when documents have
// changed, one line naming each (kind and file name, where it has one).
void Discard_ExitQuestion(char *out, size_t size);
