// KZP files: one Model3 with geometry, bindings, textures by name, groups, group and bone
// motions and bones. Written as version 2006000; 2006000, 2005000 and 2004002 are read (and,
// for the parts of a 3D object set, 2003030 gives an empty model).
//
// Every read is all-or-nothing: the file is parsed into a scratch model and swapped into the
// slot (or object) only when the whole file was valid. Counts, lengths and indices are checked
// against the capacities of model/model3.h; a file that breaks them is refused with a message.
#pragma once
#include <stdio.h>

#include "model/bytes.h"
#include "model/model3.h"
#include "model/model_result.h"

enum {
  KZP_VERSION_2004 = 2004002,
  KZP_VERSION_2005 = 2005000,
  KZP_VERSION_2006 = 2006000,
};

// The header of a KZ-family file (3-byte magic, i32 version): reads the version and tells
// whether the magic is the expected one (false also when the data is too short).
bool Kz_ReadHeader(const u8 *data, size_t size, const char magic[3], i32 *version);
// The messages a KZ-family reader shows for a header it refuses (each takes the path).
struct KzHeaderTexts {
  const char *notFormat, *tooOld, *tooNew;
  const char *broken;   // the right magic but no room for the version; null: notFormat
};
// Null when the header has the expected magic and exactly the expected version, otherwise
// the matching text of `texts`.
const char *Kz_HeaderRefusal(const u8 *data, size_t size, const char magic[3], i32 version,
                             const KzHeaderTexts *texts);
// The same for a reader of several versions (accepted, ascending): a version above the last is
// too new; any other version not in the list is too old, since its layout is not known.
const char *Kz_HeaderRefusalOf(const u8 *data, size_t size, const char magic[3], const i32 *accepted,
                               int count, const KzHeaderTexts *texts);
// The texts every KZ-family reader and writer shows (each takes the path).
extern const char kKzMsgCannotOpen[];
extern const char kKzMsgBroken[];
extern const char kKzMsgCannotSave[];

// Writes the model as version 2006000 (all-or-nothing file replace). Refused (false) with its
// message when the model does not fit the format or the file cannot be written. res may be null.
bool Kzp_Write(Model3 *m, const char *path, ModelResult *res);
// Encodes the model into w (no message); false when a count does not fit its field.
bool Kzp_Encode(const Model3 *m, ByteWriter *w);

// Every read goes through one parser that takes the file a block at a time (in memory: the
// whole image is the one block), so the file is opened and read once. Each answers in *res
// (the refusal's message; null: not wanted) and the slot or object is replaced only on success.

// Parses a whole KZP file image (header included) of one of the three body versions into m,
// which should be a fresh model (Model3_New). False when the data is truncated, a count or
// index is out of range, or the version has no body reader; m is then only fit to be freed.
bool Kzp_ParseBody(Model3 *m, const u8 *data, size_t size);

// Reads the file into slot `slot`, refused unless `version` (told by the caller) has a reader.
bool Kzp_ReadIntoSlot(i32 slot, i32 version, const char *path, ModelResult *res);
// Reads the KZP file open at f into slot `slot`, its header deciding as in the File menu's
// open: not a KZP file, damaged, or a version without a reader. f stays open.
bool Kzp_OpenIntoSlot(i32 slot, FILE *f, const char *path, ModelResult *res);
// Kzp_ReadIntoSlot for a file already in memory (data, size: the whole file; path names it).
bool Kzp_ReadIntoSlotFromData(i32 slot, i32 version, const char *path, const u8 *data, size_t size,
                              ModelResult *res);
// Reads the file as object p of 3D object set n (appending when p equals the count).
bool Kzp_ReadIntoObjectPart(i32 n, i32 p, const char *path, ModelResult *res);

// The model of a KZP file for an object part, with the object-part version rules (2003030 gives
// an empty model; 2004000 and 2004001 are development versions). Null when refused.
Model3 *Kzp_ReadPartModel(const char *path, ModelResult *res);

// Opens any 3D model file by its extension (kzp, mx, lwo, mqo, rok, dxf, x; any case).
// Returns the slot's model when a file was read, null otherwise (the slot is then as it was,
// and *res says why).
Model3 *Model3_OpenFile(i32 slot, const char *path, ModelResult *res);
