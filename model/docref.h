// How a document keeps the files it names (KZO parts, movie actors and sounds, map tiles,
// collision models, textures, sounds, script files): one rule for every reader and writer.
//
// - Chosen or saved, a file is kept relative to the document's folder ("..\" steps allowed),
//   so that a folder holding a document and its files, moved or copied as a whole, still
//   opens whole; a file on another drive is kept by its full path.
// - Read, a kept name is looked for relative to the document's folder first, then in the
//   places the document's kind looked before (the data folder and its sub-folders), then from
//   the current folder, then by its file name alone beside the document: names written
//   before, bare, still open as they did.
// - A document saved into another folder re-keeps each name for the new folder; one saved
//   into its own folder, and a name found in the kind's own places, are written as read.
//
// Folders are full paths without a trailing separator (a drive's root keeps its own). Names
// are code page 932: a trail byte equal to "\" is no separator. Both "\" and "/" separate on
// input; what is made uses the system's separator.
//
// Globals owned here: none.
#pragma once
#include <stddef.h>

#include "model/types.h"

// True for a full path: a drive ("C:"), a leading separator or a UNC name.
bool DocRef_IsFull(const char *path);
// The full, tidy form of path (relative ones from the current folder; "." and ".." steps
// removed; the system's separators). False when it does not fit size.
bool DocRef_FullPath(const char *path, char *out, size_t size);
// The full folder of the document docPath (bare or relative names from the current folder).
bool DocRef_Folder(const char *docPath, char *out, size_t size);
// The name a document in `folder` keeps for file (full, or relative to the current folder):
// relative to folder when both lie on the same drive, else file's full path. False when
// neither fits size.
bool DocRef_Keep(const char *folder, const char *file, char *out, size_t size);
// Where the kept name is, for a document in `folder` (empty: none) and the other places its
// kind looks (bases, count given): a full name as it is; a relative one in folder, in each
// base, from the current folder, then its file name alone in folder. True with the first
// that exists (its full path in out); false with out the place it was expected at (folder's,
// or kept itself without a folder).
bool DocRef_Find(const char *folder, const char *kept, const char *const *bases, u32 baseCount, char *out,
                 size_t size);
// A kept name (a string of size bytes) re-kept for the same document saved from folder `from`
// into folder `to`: unchanged when the folders are one (the name is written as it was read) or
// when it is a relative name found inside one of the bases (found the same way from anywhere);
// else the file it finds (or was expected at) from `to`: relative to `to`, or its full path
// when the relative one does not fit. False, with kept unchanged, when neither fits: the
// caller refuses the save with kDocRefMsgSaveTooLong naming the file.
bool DocRef_Rebase(const char *from, const char *to, char *kept, size_t size, const char *const *bases,
                   u32 baseCount);
// True when path names a file that opens for reading.
bool DocRef_Exists(const char *path);
// The name kept for a file just chosen (a bare name from the current folder, as the file
// dialogs give it, a relative or a full path) by a document whose names are kept from
// `folder` (folderSize bytes): relative to it; a document without a folder yet (a new one)
// takes the chosen file's folder as its own. False, with nothing changed, when the name does
// not fit size: the caller refuses the choice.
bool DocRef_Choose(char *folder, size_t folderSize, const char *file, char *out, size_t size);
// [SECTION] The reference fields

// Every field in which a stored document names another file. Readers and writers take a
// field's size from its row (and check their own buffers against it at compile time), and the
// tests walk every row: a new reference field gets its row here, or it is walked by nothing.
enum DocRefField : u32 {
  DOCREF_KZO_MODEL,       // an object set's object: its model
  DOCREF_KZP_TEXTURE,     // a 3D model's texture image
  DOCREF_KZM_SOUND,       // a 3D motion's effect sound
  DOCREF_KZV_IMAGE,       // a movie's image actor (folder and name)
  DOCREF_KZV_KZA,         // a movie's 2D object actor
  DOCREF_KZV_KZB,         // a movie's 2D bone model actor
  DOCREF_KZV_KZO,         // a movie's object set actor
  DOCREF_KZV_KZP,         // a movie's 3D model actor
  DOCREF_KZV_MOTION,      // a movie actor's motion file
  DOCREF_KZV_SOUND,       // a movie's sound slot (folder and name)
  DOCREF_KZV_BGM,         // a movie's music
  DOCREF_KZV_NEXT,        // the movie played after a movie
  DOCREF_MAP2_TILE,       // a 2D map's tile image
  DOCREF_KZC_MODEL,       // a collision set's collision model
  DOCREF_KZC_CHARACTER,   // a collision set's background and character models
  DOCREF_KZB_TEXTURE,     // a 2D bone model's texture image
  DOCREF_KZA_IMAGE,       // a 2D object model's image
  DOCREF_SCRIPT_IMAGE,    // a script's ImgLoad file
  DOCREF_SCRIPT_MODEL,    // a script's PolyLoad file
  DOCREF_FIELDS
};

// One reference field: the document's format, the field, the kind of file it names and the
// bytes it holds, terminator included.
struct DocRefFieldRow {
  DocRefField field;
  const char *format;
  const char *name;
  const char *names;
  u32 size;
};

inline constexpr DocRefFieldRow kDocRefFields[DOCREF_FIELDS] = {
    {DOCREF_KZO_MODEL, "KZO", "object model", "KZP", 256},
    {DOCREF_KZP_TEXTURE, "KZP", "texture", "image", 256},
    {DOCREF_KZM_SOUND, "KZM", "effect sound", "WAV", 256},
    {DOCREF_KZV_IMAGE, "KZV", "image actor", "image", 256},
    {DOCREF_KZV_KZA, "KZV", "2D object actor", "KZA", 256},
    {DOCREF_KZV_KZB, "KZV", "2D bone model actor", "KZB", 256},
    {DOCREF_KZV_KZO, "KZV", "object set actor", "KZO", 256},
    {DOCREF_KZV_KZP, "KZV", "3D model actor", "KZP", 256},
    {DOCREF_KZV_MOTION, "KZV", "actor motion", "KZM", 256},
    {DOCREF_KZV_SOUND, "KZV", "sound slot", "WAV", 256},
    {DOCREF_KZV_BGM, "KZV", "music", "MID", 256},
    {DOCREF_KZV_NEXT, "KZV", "next movie", "KZV", 256},
    {DOCREF_MAP2_TILE, "MAP2", "tile", "image", 256},
    {DOCREF_KZC_MODEL, "KZC", "collision model", "KZP", 256},
    {DOCREF_KZC_CHARACTER, "KZC", "background and character models", "KZP", 256},
    {DOCREF_KZB_TEXTURE, "KZB", "texture", "image", 256},
    {DOCREF_KZA_IMAGE, "KZA", "image", "image", 256},
    {DOCREF_SCRIPT_IMAGE, "TXT", "ImgLoad file", "image", 256},
    {DOCREF_SCRIPT_MODEL, "TXT", "PolyLoad file", "KZP", 256},
};

// The bytes field f holds (its row's size).
constexpr size_t DocRef_Size(DocRefField f) { return kDocRefFields[f].size; }

// True when every row stands at its own field's place (checked at compile time below).
constexpr bool DocRef_RowsInOrder(void) {
  for (u32 i = 0; i < DOCREF_FIELDS; i++)
    if (kDocRefFields[i].field != (DocRefField)i || !kDocRefFields[i].format || kDocRefFields[i].size == 0) return false;
  return true;
}
static_assert(DocRef_RowsInOrder(), "a reference field's row is missing or out of place");

// "次のファイルは場所が長すぎて、覚えておくことができません。" and the file: a choice whose
// name does not fit.
extern const char kDocRefMsgTooLong[];
// "...保存しませんでした。" and the file: a save refused because a name it keeps does not fit
// from the new folder.
extern const char kDocRefMsgSaveTooLong[];
struct ModelResult;
// r refused with kDocRefMsgSaveTooLong naming `name`; returns false.
bool DocRef_RefuseSave(ModelResult *r, const char *name);
