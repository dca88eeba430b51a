// The collision set's entries in the File menu: KZC reading and writing, the collision model
// read from a KZP file and the background model of character slot 0.
#include "app/entries.h"
#include "app/family.h"
#include "lib/framework/lib.h"
#include "model/docref.h"
#include "model/seam_errorbox.h"
#include "scene/coli.h"
#include "scene/coli_edit.h"
#include "scene/kzc.h"

static bool HasSet(void) { return g_Coli.doc != nullptr; }
static void AfterRead(void) {
  HookCtx c = Family_ShellContext();
  Coli_RefreshLists(c.layout);
}
static const char *SetFileName(void) { return g_Coli.doc ? g_Coli.doc->fileName : nullptr; }

// The document, made when the collision editor has not run yet; null when out of memory.
static CollisionDoc *Document(void) { return g_Coli.doc ? g_Coli.doc : Coli_NewDocument(); }

// The editor's own step takes the model: it checks the name, renews the wall grid and marks
// the set changed.
static bool SetModel(Model3 *m, const char *name) { return Document() && Coli_SetModel(m, name); }

static void SetBackground(i32 slot, const char *name) {
  CollisionDoc *d = Document();
  i32 i = slot - COLI_FIRST_CHARACTER;
  if (!d || i < 0 || i >= COLI_SLOTS || !name) return;
  // Kept from the set's folder; a name the field cannot hold is refused, never cut.
  char kept[COLI_NAME];
  if (!DocRef_Choose(d->folder, sizeof d->folder, name, kept, sizeof kept)) {
    Seam_ErrorBoxf(kDocRefMsgTooLong, name);
    return;
  }
  d->slotFlags[i] = 1;
  Str_Copy(d->slotNames[i], sizeof d->slotNames[i], kept);
}

void Coli_InstallFileMenu(void) {
  DocFileEntries &f = g_ShellEntries.collision;
  f.read = Kzc_Read;
  f.write = Kzc_Write;
  f.hasData = HasSet;
  f.fileName = SetFileName;
  f.afterRead = AfterRead;
  g_ShellEntries.collisionSetModel = SetModel;
  g_ShellEntries.collisionSetBackground = SetBackground;
}
