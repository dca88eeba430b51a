// The 3D editor's per-layer undo history: record, restore, undo, redo, the undo list and the
// walk to a chosen line. Owns g_Undo (g_Shell.g_UndoLabel: app/docflags.h).
#include "edit3d/undo.h"

#include <stdlib.h>
#include <string.h>

#include "app/current.h"
#include "app/docflags.h"
#include "app/family.h"
#include "app/entries.h"
#include "app/shell_seam.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/widget.h"
#include "app/views.h"
#include "lib/draw/drawdev.h"
#include "lib/draw/texture.h"
#include "lib/media/log.h"
#include "lib/media/sound.h"
#include "model/object.h"
#include "model/seam_log.h"

UndoManager g_Undo = {};

// [SECTION] helpers
// Every operation acts only in the 3D editor and only on a layer (slot 10 is the background
// model's, which has no history).
static bool Active(const UndoHistory *h, u32 slot) {
  return h && g_Shell.g_EditFamily == FAMILY_3D_MODEL && slot < UNDO_LAYERS;
}
static bool Active(const UndoHistory *h) { return Active(h, g_Sel.g_CurSlot); }

static Model3 *LayerModel(u32 slot) { return slot < UNDO_LAYERS ? g_Model3Slots[slot] : nullptr; }
static Model3 *LayerModel(void) { return LayerModel(g_Sel.g_CurSlot); }

// A snapshot is a copy target: no arrays of its own (the copy grows what it needs). The
// caller's one-shot request for full arrays is left for the model it was meant for.
static Model3 *NewSnapshot(void) {
  u32 flag = g_ModelAllocArrays;
  g_ModelAllocArrays = 0;
  Model3 *m = Model3_New();
  g_ModelAllocArrays = flag;
  return m;
}

// The step the next record goes into: the one after the index, or, in a full history,
// step 9 after the oldest step moved to the end (its snapshot is reused; no model is copied).
static UndoStep *NextStep(UndoHistory *h) {
  i32 next = h->index + 1;
  if (next < 0) next = 0;
  if (next < UNDO_STEPS) {
    UndoStep *s = &h->steps[next];
    if (!s->snapshot) s->snapshot = NewSnapshot();
    if (!s->snapshot) return nullptr;
    h->index = next;
    return s;
  }
  UndoStep oldest = h->steps[0];
  memmove(&h->steps[0], &h->steps[1], (UNDO_STEPS - 1) * sizeof(UndoStep));
  h->steps[UNDO_STEPS - 1] = oldest;
  h->index = UNDO_STEPS - 1;
  UndoStep *s = &h->steps[h->index];
  if (!s->snapshot) s->snapshot = NewSnapshot();
  return s->snapshot ? s : nullptr;
}

// Only the scene object of layer `slot` is shown.
static void ShowOnlyLayer(u32 slot) {
  for (i32 i = 0; i < SCENE_OBJECTS; i++)
    if (g_SceneObjects[i]) Object_SetVisible(g_SceneObjects[i], 0);
  Object_SetVisible(Object_Get((i32)slot), 1);
}

// [SECTION] textures of a step
static void DropTextures(UndoStep *s) {
  for (void *&t : s->textures) {
    DrawDev_Release(t);
    t = nullptr;
  }
  s->texturesKept = 0;
}

// The step holds the device textures of layer `slot` as they are now.
static void KeepTextures(UndoStep *s, u32 slot) {
  DropTextures(s);
  const ModelPose *pose = g_ModelPoses[slot];
  if (!pose || !g_Dev.draw.retain) return;
  for (i32 n = 0; n < MODEL3_TEXTURES; n++)
    if (DrawDev_Retain(pose->textures[n])) s->textures[n] = pose->textures[n];
  s->texturesKept = 1;
}

// Every step lets its textures go (a reset, or a device that is replaced).
static void DropAllTextures(void) {
  for (UndoHistory &h : g_Undo.histories)
    for (UndoStep &s : h.steps) DropTextures(&s);
}

// The layer shows the restored model's textures: the step's own when it still has them, else
// (after the device was replaced) each used entry loaded again by its name.
static void PutTextures(UndoStep *s, const Model3 *model) {
  ModelPose *pose = g_ModelPoses[g_Sel.g_CurSlot];
  if (!pose) return;
  if (s->texturesKept) {
    for (i32 n = 0; n < MODEL3_TEXTURES; n++) {
      if (pose->textures[n] == s->textures[n]) continue;
      DrawDev_Retain(s->textures[n]);
      DrawDev_Release(pose->textures[n]);
      pose->textures[n] = s->textures[n];
    }
  } else {
    i32 count = model->textureCount < MODEL3_TEXTURES ? model->textureCount : (i32)MODEL3_TEXTURES;
    for (i32 n = 0; n < count; n++)
      if (model->textures[n].used == 1 && model->textures[n].name)
        Tex_ReloadModel3Texture((i32)g_Sel.g_CurSlot, n, model->textures[n].name);
  }
  Tex_CopyModel3Pixels((i32)g_Sel.g_CurSlot);
}

// [SECTION] the document of a step
// The words of the document that Model3_Copy leaves to its destination (it copies models
// between slots, where they stay the target's): the files hold them, so a step holds them too.
static void CopyDocumentWords(const Model3 *s, Model3 *d) {
  d->refineLevel = s->refineLevel;
  d->lighting = s->lighting;
  d->vertexColorMode = s->vertexColorMode;
  d->immediate = s->immediate;
  d->normalOffset = s->normalOffset;
  memcpy(d->kzmWords, s->kzmWords, sizeof d->kzmWords);
  d->soundCount = s->soundCount;
  i32 n = s->soundCount < 0 ? 0 : (s->soundCount > MODEL3_SOUNDS ? MODEL3_SOUNDS : s->soundCount);
  memcpy(d->sounds, s->sounds, (size_t)n * sizeof d->sounds[0]);
  memcpy(d->keySounds, s->keySounds, sizeof d->keySounds);
}

static void Record(const Model3 *model, Model3 *snapshot) {
  Model3_Copy(model, snapshot, 1);
  CopyDocumentWords(model, snapshot);
}

// The layer's model becomes the snapshot's document. With keepFile its file stays what it is:
// the name (and the version it was read or written with) say where the last save went, and a
// save records no step, so an undo must not take the layer back to the file before it. Sounds
// whose name changed are loaded again.
static void PutDocument(const Model3 *snapshot, Model3 *model, bool keepFile) {
  bool reload[MODEL3_SOUNDS] = {};
  i32 sounds = snapshot->soundCount < 0 ? 0 : (snapshot->soundCount > MODEL3_SOUNDS ? MODEL3_SOUNDS : snapshot->soundCount);
  bool soundsMoved = model->soundCount != snapshot->soundCount;
  for (i32 i = 1; i < sounds; i++) {
    reload[i] = i >= model->soundCount || strncmp(model->sounds[i], snapshot->sounds[i], MODEL3_NAME) != 0;
    soundsMoved = soundsMoved || reload[i];
  }
  // The sound list is a document of its own (only a KZM keeps it): a step that changes it
  // makes it differ from its file.
  if (soundsMoved) Doc_MarkChanged(Doc_SoundKind(g_Sel.g_CurSlot));
  char *name = model->fileName;
  u32 version = model->version;
  if (keepFile) model->fileName = nullptr;
  Model3_Copy(snapshot, model, 0);
  if (keepFile) {
    free(model->fileName);
    model->fileName = name;
    model->version = version;
  }
  CopyDocumentWords(snapshot, model);
  for (i32 i = 1; i < sounds; i++)
    if (reload[i]) Sound_LoadModelSound(model, i, model->sounds[i]);
}

// [SECTION] histories
UndoHistory *Undo_Current(void) { return Undo_Of(g_Sel.g_CurSlot); }
UndoHistory *Undo_Of(u32 slot) { return slot < UNDO_LAYERS ? &g_Undo.histories[slot] : nullptr; }

bool Undo_HasSteps(const UndoHistory *h) { return h && h->top >= 0; }

void Undo_ResetAll(void) {
  for (UndoHistory &h : g_Undo.histories) h.index = h.top = -1;
  DropAllTextures();
}

void Undo_Push(UndoHistory *h) { Undo_PushLayer(h, g_Sel.g_CurSlot); }

void Undo_PushSlot(u32 slot) { Undo_PushLayer(Undo_Of(slot), slot); }

void Undo_PushLayer(UndoHistory *h, u32 slot) {
  if (!Active(h, slot)) return;
  Model3 *model = LayerModel(slot);
  if (!model) return;   // nothing to record: an empty layer files no step
  UndoStep *s = NextStep(h);
  if (!s) return;
  h->top = h->index;   // recording after an undo drops the steps above
  Record(model, s->snapshot);
  KeepTextures(s, slot);
  Str_Copy(s->label, sizeof s->label, g_Shell.g_UndoLabel);
  s->family = g_Shell.g_EditFamily;
  ShowOnlyLayer(slot);
  Undo_FillListOf(slot);
  Log_Printf("Memory %3.3f", (f64)Log_FreeMemory() * 0.0009765625 * 0.0009765625);
  g_Shell.g_EditedFlag = 0;
}

// Whether the move from step `from` to h's index keeps the layer's file: it does unless a step
// between them read or made another file (a load, 新規作成: the two snapshots name different
// files), whose own name then comes back with it.
static bool KeepsFile(const UndoHistory *h, i32 from) {
  if (from < 0 || from > h->top || from == h->index || h->index < 0 || h->index > h->top) return true;
  const Model3 *a = h->steps[from].snapshot, *b = h->steps[h->index].snapshot;
  return !a || !b || !a->fileName || !b->fileName || strcmp(a->fileName, b->fileName) == 0;
}

static void Restore(UndoHistory *h, i32 from) {
  if (!Active(h)) return;
  // No step since the last reset: nothing to restore, and the next record is step 0. (Older
  // snapshots are still allocated but belong to the model from before the reset.)
  if (h->top < 0) { h->index = -1; return; }
  if (h->index < 0) { h->index = 0; return; }
  if (h->index > h->top) { h->index = h->top; return; }
  Model3 *model = LayerModel();
  UndoStep *s = &h->steps[h->index];
  if (model && s->snapshot) {
    PutDocument(s->snapshot, model, KeepsFile(h, from));
    PutTextures(s, model);
  }
  Undo_FillList();
  HookCtx c = Family_ShellContext();
  App_RefreshLists(&c);
}

void Undo_Restore(UndoHistory *h) { Restore(h, -1); }

void Undo_FileSaved(UndoHistory *h, const char *from, const char *to) {
  if (!h || !from || !to) return;
  for (i32 i = 0; i <= h->top && i < UNDO_STEPS; i++) {
    Model3 *s = h->steps[i].snapshot;
    if (s && s->fileName && strcmp(s->fileName, from) == 0) Model3_SetText(&s->fileName, to);
  }
}

// A step that moved the index put another snapshot into the layer's model: the model no
// longer is what was loaded or saved, so the questions before it is replaced must ask.
static void MarkWhenMoved(const UndoHistory *h, i32 before) {
  if (h->index != before) Doc_MarkChanged(DOC_MODEL3);
}

void Undo_Undo(UndoHistory *h) {
  if (!Active(h)) return;
  i32 before = h->index;
  h->index--;
  Restore(h, before);
  MarkWhenMoved(h, before);
  HookCtx c = Family_ShellContext();
  App_RefreshLists(&c);
}

void Undo_Redo(UndoHistory *h) {
  if (!Active(h)) return;
  i32 before = h->index;
  h->index++;
  if (h->index >= UNDO_STEPS) h->index = UNDO_STEPS - 1;
  Restore(h, before);
  MarkWhenMoved(h, before);
  HookCtx c = Family_ShellContext();
  App_RefreshLists(&c);
}

// [SECTION] the undo list
void Undo_FillList(void) { Undo_FillListOf(g_Sel.g_CurSlot); }

void Undo_FillListOf(u32 slot) {
  UndoHistory *h = Undo_Of(slot);
  if (!h) return;
  void *list = g_Undo.list;
  if (list) Widget_ListReset(list);
  Model3 *model = LayerModel(slot);
  if (!model) return;
  if (list) {
    for (i32 i = 0; i <= h->top && i < UNDO_STEPS; i++)
      Widget_ListAdd(list, h->steps[i].label);
    Widget_ListSelect(list, h->index);
  }
  // Setting mode 7 again flags the model's render data for rebuilding after a restore.
  if (model->renderMode == 7) Model3_SetRenderMode(model, 7);
}

void Undo_ChooseLine(i32 s) {
  UndoHistory *h = Undo_Current();
  if (!Active(h) || s < 0 || s > h->top) return;
  // One step at a time, each a whole restore, as the keys do; the distance is at most nine.
  for (i32 n = 0; n < UNDO_STEPS && h->index != s; n++) {
    if (s < h->index) Undo_Undo(h);
    else Undo_Redo(h);
  }
  HookCtx c = Family_ShellContext();
  App_RefreshLists(&c);
}

// [SECTION] the shell's entries
static void PushLabelled(const char *label) {
  Str_Copy(g_Shell.g_UndoLabel, sizeof g_Shell.g_UndoLabel, label ? label : "");
  Undo_Push(Undo_Current());
}

static void FileSavedCurrent(const char *from, const char *to) { Undo_FileSaved(Undo_Current(), from, to); }

// The keys act on the layer shown. The object-motion sub-mode shows an object set, which keeps
// no history: a key there would change layer 0's model out of sight.
static bool LayerShown(void) { return g_Shell.g_EditSubMode != SUB_3D_OBJMOTION; }

static void UndoCurrent(void) {
  if (LayerShown()) Undo_Undo(Undo_Current());
}
static void RedoCurrent(void) {
  if (LayerShown()) Undo_Redo(Undo_Current());
}

void Undo_Install(void) {
  g_ShellSeam.undoResetAll = Undo_ResetAll;
  g_ShellSeam.undoPush = PushLabelled;
  g_ShellSeam.undoFileSaved = FileSavedCurrent;
  g_ShellEntries.undoUndo = UndoCurrent;
  g_ShellEntries.undoRedo = RedoCurrent;
  g_Dev.releaseKept = DropAllTextures;
}
