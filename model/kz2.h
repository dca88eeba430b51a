// What the two 2D model formats (KZA: 2D objects, KZB: 2D bones) read and write the same way:
// the header and slot checks before a read, lengths with names, counts, the motion table, key
// counts and their order, the texts of refusals, and the save through a temporary file.
// Everything reads through the one cursor of model/bytes.h. No global state.
#pragma once
#include "model/bone2.h"   // Motion2
#include "model/bytes.h"
#include "model/model_result.h"
#include "model/types.h"

// A 2D format as its reader checks it.
struct Kz2Format {
  char magic[4];                               // "KZA", "KZB"
  const i32 *versions;                         // the versions read, ascending
  int versionCount;
  const char *notFormat, *tooOld, *tooNew;     // header refusals, each naming the path
  const char *reader;                          // the read function the slot-range message names
  i32 slots;                                   // slots it reads into: 0..slots-1
};

// A parse in progress: the cursor, the file's version and where the first reason goes.
struct Kz2Read {
  ByteReader r;
  i32 version;
  const char *path;
  char *err;
  size_t errSize;
};

// [SECTION] reading

// Starts the parse of a whole file image: the magic and one of the format's versions. False
// (the broken-file reason in err) otherwise.
bool Kz2_Begin(Kz2Read *p, const Kz2Format *f, const u8 *data, size_t size, const char *path, char *err,
               size_t errSize);
// The broken-file reason, unless a reason is already there; always false.
bool Kz2_Broken(Kz2Read *p);
// The not-finite-values refusal naming the file in the error text; returns false.
bool Kz2_NotFinite(Kz2Read *p);
// The too-many reason for n things called `what` above max (the first reason is kept); false.
bool Kz2_TooMany(Kz2Read *p, const char *what, i32 n, i32 max);
// An i32 count of 0..max into *n; false with the reason otherwise.
bool Kz2_ReadCount(Kz2Read *p, const char *what, i32 max, i32 *n);
// A stored name into a 256-byte field: i32 length, then the bytes. A length of 0 or less has
// no bytes and leaves the field as it was (clearEmpty empties it instead). Its length comes
// back in *length when asked (0 for none).
bool Kz2_ReadName(Kz2Read *p, char *field, bool clearEmpty, i32 *length);
// The motion table: i32 count (0..max), then per motion u32 used, the name when used is 1 and
// the i32 length (always with lengthAlways, else only when used is 1). Names as Kz2_ReadName
// with clearEmptyName.
bool Kz2_ReadMotions(Kz2Read *p, Motion2 *motions, i32 max, i32 *count, bool clearEmptyName, bool lengthAlways);
// The i32 key count of a track whose keys take keySize bytes each, when the file holds them
// all; -1 with the reason otherwise.
i32 Kz2_ReadKeyCount(Kz2Read *p, size_t keySize);
// The reason for a track whose keys do not ascend by frame: the track is `kind index「name」`
// of motion `motion` named motionName. Always false.
bool Kz2_KeysOutOfOrder(Kz2Read *p, const char *kind, i32 index, const char *name, i32 motion, const char *motionName);
// The file of a read into `slot`: a path given, the slot in range, the file read and its
// header one of the format's. False with the refusal in *res (out then holds nothing).
bool Kz2_Load(const Kz2Format *f, i32 slot, const char *path, FileData *out, ModelResult *res);
// Kz2_Load, then the bytes parsed by `parse`: the model, or null with the refusal in *res
// (the load's, or the parser's reason). The file's bytes are released either way.
template <typename Model>
Model *Kz2_LoadParsed(const Kz2Format *f, i32 slot, const char *path, ModelResult *res,
                      Model *(*parse)(const u8 *, size_t, const char *, char *, size_t)) {
  FileData file;
  if (!Kz2_Load(f, slot, path, &file, res)) return nullptr;
  char err[256];
  Model *m = parse(file.data, file.size, path, err, sizeof err);
  File_Free(&file);
  if (!m) {
    ModelResult_Refuse(res, err);
    return nullptr;
  }
  ModelResult_Accept(res);
  return m;
}

// [SECTION] writing

// True when 0 <= n <= max; otherwise the cannot-store reason for `what` in err and false.
bool Kz2_CountFits(char *err, size_t errSize, const char *what, i32 n, i32 max);
// i32 length (at most 255), then the bytes.
void Kz2_WriteName(ByteWriter *w, const char *s);
// The motion table as Kz2_ReadMotions reads it.
void Kz2_WriteMotions(ByteWriter *w, const Motion2 *motions, i32 count, bool lengthAlways);
// True when a path is given; otherwise refused with the no-file-name message.
bool Kz2_PathGiven(const char *path, ModelResult *res);
// Saves a built file image w (built: its builder succeeded, else err holds why or nothing)
// through a temporary file and frees w. 1 on success; 0 with the refusal in *res.
i32 Kz2_Save(const char *path, ByteWriter *w, bool built, char *err, size_t errSize, ModelResult *res);
