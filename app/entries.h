// Entries the editors fill when the program starts, so that the File menu and the key
// commands reach them without app/ naming a function of edit3d/, edit2d/ or scene/.
//
// Global owned here: g_ShellEntries. Only the editors' install functions (and tests) write
// it. An empty entry does nothing; a kind of document whose reader or writer is empty is
// refused by the File menu with a message that says so.
#pragma once
#include "model/types.h"

struct Model3;
struct FrameRequest;

// One actor of the movie as the key strip shows it.
struct MovieActorRow {
  char name[257];   // up to 256 bytes, terminated
  i32 kind;         // the movie's actor kind (the strip names it through g_StripMovie)
  i32 keyCount;     // keys held: records of keyStride bytes from keys, each starting with
  const void *keys; // its frame (an i32)
  size_t keyStride;
};

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

  // [playback] the movie editor and the motion panels (app/play.h).
  // The movie clock: its frame and the fraction of a frame played since (the movie editor's).
  i32 *movieFrame;
  f32 *movieFraction;
  // Last frame of the play range; the end branch runs at or past it.
  i32 (*movieEndFrame)(void);
  // Remembers every actor's current key (the sound triggers compare against it).
  void (*movieSnapshotKeys)(void);
  // Applies the current frame to the actors.
  void (*movieStep)(void);
  // At the end: the next movie read, a loop, or a stop; returns PLAY_MOVIE_CHAINED..STOPPED.
  i32 (*movieEnd)(void);
  // Every list of the movie editor (after a chained movie was read).
  void (*movieRefreshLists)(void);
  // Set by the movie when a recording starts: the first recorded pass holds the start frame,
  // so that the recording begins with it (the tick clears the flag).
  u8 *movieHoldOnce;
  // Refresh flags of panels that show the playing frame (null: no such panel).
  u32 *obj2KeyPanelRefresh;   // the 2D editor's key panel
  u32 *motionPanelRefresh;    // the 3D motion panel
  // The 2D object editor's loop flag: 0 stops the 2D object tick at the motion's last frame
  // (null: always loops).
  const u32 *obj2Loop;
  // The 2D motion editor's key strip refresh flag and loop flag (as the two above).
  u32 *bone2KeyPanelRefresh;
  const u32 *bone2Loop;
  // The 3D motion editor's loop flag, the same for the 3D model tick (null: always loops; set
  // only while the bone and group motion sub-mode is current).
  const u32 *model3Loop;

  // [per-frame update] (app/update.h)
  // The 3D editor's list window: its top row, or -1 while it does not exist.
  i32 (*ed3dListTopIndex)(void);
  // The 2D editor's multi-selection list box: true while it exists and its refresh is not
  // suspended; the LB_GETSEL answer of a row (negative past the last row).
  bool (*list2DActive)(void);
  i32 (*list2DGetSel)(i32 row);
  // False when the list's marks cannot have changed since the last ask (null: ask every pass).
  bool (*list2DChanged)(void);
  // The 3D group panel's per-frame refresh.
  void (*refreshGroupDialog)(void);
  // The document of a scene family (effect, collision, movie) for the title: its file
  // name and version; false without one.
  bool (*sceneDocument)(u32 family, const char **name, i32 *version);

  // [movie document] what the shell shows of the movie (the document lives in scene/).
  // True while the movie plays (the per-frame update runs its clock then).
  bool (*moviePlaying)(void);
  // Eye and target of actor `index` when it is a camera; false otherwise.
  bool (*movieCamera)(i32 index, f32 eye[3], f32 target[3]);
  // The actors of the key strip: their count, and actor i (false: no actor there).
  i32 (*movieActorCount)(void);
  bool (*movieActor)(i32 i, MovieActorRow *out);
  // The movie's part of every view's frame request: the stage rules and the message lines.
  void (*movieFrameRequest)(FrameRequest *out);
};
extern ShellEntries g_ShellEntries;
