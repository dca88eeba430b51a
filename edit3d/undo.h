// The 3D editor's undo history: per layer (model slots 0..9) up to ten whole-model snapshots
// with a label each. Every edit of family 11 records a step after it changed the model; undo
// and redo copy a recorded snapshot back into the layer's model. Outside family 11, and for a
// current slot outside 0..9 (the background model's slot 10), every operation does nothing.
//
// Globals owned here: g_Undo (histories and the undo list box), g_Shell.g_UndoLabel (the label of the
// next step: callers write it right before Undo_Push). Snapshots are allocated on first use
// and kept for the whole run; a full history rotates its snapshot pointers.
#pragma once
#include "model/model3.h"
#include "model/types.h"
#include "app/shell_ids.h"

enum {
  UNDO_STEPS = 10,
  UNDO_LAYERS = 10,
  UNDO_LABEL = 256,
  UNDO_PANEL_HOLDER = 0,   // the undo panel's window holder in each layout's block (g_AppShell)
};

struct UndoStep {
  Model3 *snapshot;          // owned; null until the step is first used
  char label[UNDO_LABEL];    // shown in the undo list
  u32 family;                // the editor family at record time (11)
  // The layer's device textures at record time, each held by the step, so that a restore
  // shows the snapshot's pictures whatever was loaded since (a texture name alone may not
  // load again: it can be relative to a folder that is no longer current).
  void *textures[MODEL3_TEXTURES];
  u32 texturesKept;          // 1 when textures[] holds the record's handles
};

struct UndoHistory {
  UndoStep steps[UNDO_STEPS];
  i32 index;   // the step the layer's model equals; -1 = none
  i32 top;     // the last recorded step; -1 = none. Between records 0 <= index <= top <= 9
};

struct UndoManager {
  UndoHistory histories[UNDO_LAYERS];   // one per layer
  void *list;                           // the undo list box (IDC_UNDO_LIST of UNDO_DLG), or null
};
extern UndoManager g_Undo;
// The label of the next step: g_Shell.g_UndoLabel of the shell (app/shell_view.h).

// The current layer's history, or null when the current slot is not a layer; the history of
// layer `slot` (null for a slot that is not a layer).
UndoHistory *Undo_Current(void);
UndoHistory *Undo_Of(u32 slot);
// True once the history holds a step since its last reset (the layer switch creates a
// layer's first step when this is false).
bool Undo_HasSteps(const UndoHistory *h);
// Every history back to no step (the switch into the 3D editor); snapshots are kept for reuse,
// the steps' textures are let go.
void Undo_ResetAll(void);

// Records the current layer's model as a new step of h under g_Shell.g_UndoLabel. The hooks
// record the layer their context names: Undo_PushSlot records layer `slot` into its own
// history, Undo_PushLayer into h.
void Undo_Push(UndoHistory *h);
void Undo_PushSlot(u32 slot);
void Undo_PushLayer(UndoHistory *h, u32 slot);
// Copies the snapshot at h's index into the current layer's model (an index outside the
// recorded steps is pulled back and nothing is restored). The layer keeps its file (name and
// version); an undo or redo across a step that read or made another file takes that file's.
void Undo_Restore(UndoHistory *h);
// The layer's document was saved as file `to`: every step of h that names file `from` names `to`.
void Undo_FileSaved(UndoHistory *h, const char *from, const char *to);
void Undo_Undo(UndoHistory *h);
void Undo_Redo(UndoHistory *h);
// Refills the undo list box with the current layer's labels and selects its index (through
// the widget seam, app/widget.h).
void Undo_FillList(void);
// The same with the labels of layer `slot`.
void Undo_FillListOf(u32 slot);
// The list's choice of line s: single undos or redos until the index is s. A line outside
// the recorded steps (LB_ERR included) is ignored.
void Undo_ChooseLine(i32 s);

// Installs the shell's undo entries (reset of every history; one labelled step; the file a save
// named; one undo and one redo on the current layer for the U and I keys).
void Undo_Install(void);
