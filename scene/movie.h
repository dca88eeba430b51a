// The movie in memory: its scene state, the key search and interpolation that turn keys into
// a pose for the current frame, the motion frame tables, the playback step that hands poses
// to the model slots, scene objects, camera and sound slots, and the key editing commands.
//
// Globals owned here: g_MovieScene (with the current frame), g_MovieImages (one image handle
// per movie object); the actors, messages and play state are g_Movie (scene/movie_state.h).
// Changed by the movie editor, the KZV reader (scene/kzv.h) and the playback ticks.
//
// Movie object n is tied to 3D model slot n, 2D bone slot n, 2D object slot n, scene object n
// and image handle n; sound actors play global sound slots by their key's number.
#pragma once
#include "lib/draw/image.h"
#include "scene/movie_services.h"

enum { KZV_VERSION = 2006060 };
extern const i32 g_KzvVersion;   // 2006060

// The scene state of the movie (one record).
struct MovieScene {
  MovieKey keyClipboard;          // the key copied by Movie_CopyKey
  i32 version;                    // read from or written to the file
  f32 frameTime;                  // fraction of a frame accumulated by the shell's tick
  i32 frameCount;                 // movie length in frames
  i32 bgmPresent;
  char bgmSecondName[256];        // kept and saved, never edited
  char bgmFileName[256];
  char soundFolders[MOVIE_MESSAGE_COUNT][256];   // relative to the data folder
  char soundFileNames[MOVIE_MESSAGE_COUNT][256]; // slot 0 is never loaded
  i32 soundCount;                 // slots in use, counting slot 0
  i32 messageCount;               // messages in use, counting message 0 (g_Movie.messages)
  i32 nextPresent;
  char nextName[256];             // movie played after this one
  char movieFolder[256];          // current folder when the movie was read
  char movieFileName[256];        // "新規.KZV" in a new movie
  // Beside the file's fields.
  i32 prevKeys[MOVIE_MAX_OBJECTS];// current key of each object at the previous step
  i32 chainFlag;                  // continue with the next movie (editing check box)
  char chainName[256];
  i32 playStart, playEnd;         // play range (frames)
  i32 loopFlag;
  u8 tablesStale;                 // the frame tables need a rebuild (Movie_RefreshFrameTables)
  i32 frame;                      // current movie frame
};
extern MovieScene g_MovieScene;
extern ImageHandle g_MovieImages[MOVIE_MAX_OBJECTS];

// [SECTION] data
// Makes a new movie: every model slot freed, objects 0 (scene) and 1 (camera) with one key,
// the others freed.
void Movie_InitData(void);
// Allocates movie object n (zero-filled, 5 keys until the caller sets the count) when it is
// missing, and creates scene object n. The object, or null for n outside 0..255.
MovieObject *Movie_AllocObject(i32 n);
// Frees every movie object and sets the count to 0.
void Movie_FreeObjects(void);
// The object n, or null.
MovieObject *Movie_Object(i32 n);
// Objects in use, 0..MOVIE_MAX_OBJECTS whatever the count holds.
i32 Movie_ObjectCount(void);
// The object of a slot number while it is within the count, or null.
MovieObject *Movie_ObjectAtSlot(u32 slot);
// The object of the shell's current slot (g_Sel.g_CurSlot), for the dialogs; hooks take the
// slot of the selection they are handed.
MovieObject *Movie_CurrentObject(void);

// [SECTION] evaluation
// Current key, next key and fraction of every object for g_MovieScene.frame.
void Movie_FindCurrentKeys(void);
// The same for one object at a frame.
void Movie_FindKeysOf(MovieObject *o, i32 frame);
// Builds the motion frame tables of kinds 1, 2 and 4 (only while g_Movie.loaded is 1).
void Movie_BuildMotionFrameTables(void);
// Rebuilds the tables only when something changed since the last build (the main loop calls
// it every pass). Editors that change keys, kinds or the actors' models call Movie_MarkChanged.
void Movie_RefreshFrameTables(void);
void Movie_MarkChanged(void);
// Applies g_MovieScene.frame to the model slots, scene objects, camera and sounds.
void Movie_PlaybackStep(void);
// Remembers every object's current key (the sound triggers compare against it).
void Movie_SnapshotPrevKeys(void);
// Where playback goes at the end of the play range; shared by both playback ticks.
enum { MOVIE_END_CHAINED = 0, MOVIE_END_LOOPED = 1, MOVIE_END_STOPPED = 2 };
// chain: continue with the next movie when one is named (the shell passes the chain flag, the
// library's own tick the next-movie flag). A next movie that does not read stops playback.
i32 Movie_PlaybackEnd(bool chain);
// Hands the movie clock, step and end branches to the shell's playback tick (start-up).
void Movie_InstallTick(void);

// [SECTION] key editing at the current frame: the ...Of forms on the object they are given
// (the hooks', of their selection's slot), the others on the current object (g_Sel.g_CurSlot,
// for the dialogs)
// Adds a key to o at the current frame from the evaluated pose; false without o, or when it
// has 16 keys and none at this frame (nothing changes).
bool Movie_EnsureKeyOf(MovieObject *o);
bool Movie_EnsureKeyAtFrame(void);   // on the current object
// Removes the key at the current frame; never at frame 0 and never the object's last key.
bool Movie_DeleteKeyAtFrame(void);
void Movie_CopyKey(void);
// The clipboard onto the key at the current frame (made when missing); false when the object
// is full and has no key there.
bool Movie_PasteKey(void);
// Largest key frame of o below f (or 0); smallest key frame above f (or f). Without o: 0, f.
i32 Movie_PrevKeyFrameOf(const MovieObject *o, i32 f);
i32 Movie_NextKeyFrameOf(const MovieObject *o, i32 f);
// The same on the current object.
i32 Movie_PrevKeyFrame(i32 f);
i32 Movie_NextKeyFrame(i32 f);

// Fills the shell seam's frame-table entry, the stage's entries (Movie_InstallStage) and the
// File menu's KZV entries (start-up).
void Movie_InstallHooks(void);
// The movie's part of the frame requests, the shell's movie entries and the library's
// models-cleared hook (movie_stage.cpp).
void Movie_InstallStage(void);
