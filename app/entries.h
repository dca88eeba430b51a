// Entries the editors fill when the program starts, so that the File menu and the key
// commands reach them without app/ naming a function of edit3d/, edit2d/ or scene/.
//
// Global owned here: g_ShellEntries. Only the editors' install functions (and tests) write
// it. An empty entry does nothing; a kind of document whose reader or writer is empty is
// refused by the File menu with a message that says so.
#pragma once
#include "model/types.h"

struct Model3;

// The files of one kind of scene document (movie, collision set, 2D map).
struct DocFileEntries {
  // Read or write the document; a failure says why in its own message box and leaves the
  // document (or the old file) as it was.
  bool (*read)(const char *name);
  bool (*write)(const char *name);
  // True when there is a document to save.
  bool (*hasData)(void);
  // The save dialog's default name; null entry or null result: no name.
  const char *(*fileName)(void);
  // The editor's lists and scroll bars after a read (run whether the read worked or not).
  void (*afterRead)(void);
};

struct ShellEntries {
  // The undo history: one undo / redo on the current layer (keys U and I).
  void (*undoUndo)(void);
  void (*undoRedo)(void);
  // The program family's run and stop (F5 and F6 there).
  void (*progRun)(void);
  void (*progStop)(void);
  DocFileEntries movie;       // KZV
  DocFileEntries collision;   // KZC
  DocFileEntries map2;        // MAP2
  // The collision document takes model m (owned from then on, the old one freed) and the
  // name of its file. False when it cannot (m is then still the caller's).
  bool (*collisionSetModel)(Model3 *m, const char *name);
  // The collision document's background flag of model slot `slot` and its file name.
  void (*collisionSetBackground)(i32 slot, const char *name);
  // The 2D editor's object lists, and its frame scroll bar set to 0..range at 0.
  void (*obj2RefreshLists)(void);
  void (*obj2FrameBar)(i32 range);
};
extern ShellEntries g_ShellEntries;
