// KZV movie files: writes 2006060; reads 2006060, 2006000 and 2004050.
//
// Little-endian, field by field: "KZV", i32 version, i32 frame count, i32 object count; per
// object its name (i32 length, bytes), key count, kind, three curve settings and its keys
// (frame, shown byte (2006060 only), number, then the payload of its kind); a file block per
// object of kind 0..4 (folder, file name, motion file name, shadow kind); BGM flag and names;
// sound count and slots 1..; message count and messages 1..; next-movie flag and name. Files
// may end with a trailer (per object its name and shadow kind) that this writer never writes.
//
// Reading parses the whole file into a scratch movie (KzvMovie); the movie in memory is
// replaced only when every field was read and every count fits.
#pragma once
#include "scene/movie.h"

struct ByteWriter;

// A movie as a file holds it.
struct KzvMovie {
  i32 version;
  i32 frameCount;
  i32 objectCount;
  MovieObject *objects[MOVIE_MAX_OBJECTS];   // owned by a parsed movie, borrowed by a captured one
  i32 bgmPresent;
  char bgmSecondName[256];
  char bgmFileName[256];
  i32 soundCount;
  char soundFolders[MOVIE_MESSAGE_COUNT][256];
  char soundFileNames[MOVIE_MESSAGE_COUNT][256];
  i32 messageCount;
  char messages[MOVIE_MESSAGE_COUNT][256];
  i32 nextPresent;
  char nextName[256];
  u8 hadTrailer;      // the file carried the trailer
};

// Parses a whole KZV file image. A new movie (free with Kzv_FreeMovie), or null with the
// user-facing reason naming `path` in err.
KzvMovie *Kzv_Parse(const u8 *data, size_t size, const char *path, char *err, size_t errSize);
void Kzv_FreeMovie(KzvMovie *m);
// The 2006060 file image of m (objects past the count, and trailers, are not written).
bool Kzv_Encode(const KzvMovie *m, ByteWriter *w);
// A view of the movie in memory (objects borrowed: do not free them).
void Kzv_Capture(KzvMovie *out);

// Where the file an actor or a sound slot keeps as folder and name is (see model/docref.h):
// from the movie's folder first, then from the data folder (where image, 2D model and sound
// folders were kept before), then from the current folder. True with its full path in out;
// false with the place it was expected at.
bool Kzv_FindFile(const char *folder, const char *name, char *out, size_t size);
// The folder and name (256 bytes each) the movie keeps for a file just chosen (a bare name
// from the current folder, or a path): its folder relative to the movie's folder. False, with
// nothing changed, when they do not fit.
bool Kzv_KeepFile(const char *file, char *folder, char *name);

// Writes the movie in memory as version 2006060 (through a temporary file), every file it
// names kept again from the new file's folder, which becomes the movie's folder. False with
// "%s に保存することができませんでした。" (with the folder and the system's reason, see
// File_SaveFailureText) when it cannot be written; the old file stays.
bool Kzv_Write(const char *path);
// Reads a movie file, replaces the movie in memory (its folder the file's), loads the files its
// actors and sound slots name (those found nowhere said in one message and kept), sets the
// play range and builds the frame tables. False with a message box; the movie in memory, its
// models and its play state are then as they were.
bool Kzv_Read(const char *path);
