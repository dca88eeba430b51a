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
// into folder `to`: unchanged when the folders are one (the name is written as it was read),
// when it is a relative name found in one of the bases (found the same way from anywhere) or
// when the new name does not fit; else the file it finds (or was expected at) from `to`.
void DocRef_Rebase(const char *from, const char *to, char *kept, size_t size, const char *const *bases,
                   u32 baseCount);
// True when path names a file that opens for reading.
bool DocRef_Exists(const char *path);
// The name kept for a file just chosen (a bare name from the current folder, as the file
// dialogs give it, a relative or a full path) by a document whose names are kept from
// `folder` (folderSize bytes): relative to it; a document without a folder yet (a new one)
// takes the chosen file's folder as its own. False, with nothing changed, when the name does
// not fit size: the caller refuses the choice.
bool DocRef_Choose(char *folder, size_t folderSize, const char *file, char *out, size_t size);
// "次のファイルは場所が長すぎて、覚えておくことができません。" and the file: a choice whose
// name does not fit.
extern const char kDocRefMsgTooLong[];
