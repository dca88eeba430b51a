// KZC files: a collision set (movement range, box and circle walls, the collision model's
// file name and up to 10 character model files). Written as version 2002010; 2002010 and
// 2002000 (no range, no circles) are read.
//
// Layout (little-endian, no gaps): "KZC", i32 version, [2002010: six f32 bounds], i32 box count
// and that many {u32 used, f32 x, y, z, angle, size}, [2002010: i32 circle count and that many
// {u32 used, f32 x, y, z, size}], i32-length collision model name, i32 slot count and per slot
// u32 flag, followed for a flag of 1 by an i32-length name.
//
// Global owned here: g_KzcVersion (2002010), the version of new sets and of the writer.
#pragma once
#include "model/bytes.h"
#include "scene/coli.h"

enum {
  KZC_VERSION_2002000 = 2002000,
  KZC_VERSION_2002010 = 2002010,
};

extern const u32 g_KzcVersion;

// Parses a whole KZC file image into d (fresh from Coli_AllocDocument). Null when it was read;
// otherwise the message (a format taking the file name) saying why it was refused, and d is
// only fit to be freed.
const char *Kzc_Parse(CollisionDoc *d, const u8 *data, size_t size);
// Encodes d as version 2002010 (its version is set to g_KzcVersion); false when a count or a
// name does not fit its field.
bool Kzc_Encode(CollisionDoc *d, ByteWriter *w);

// Reads the file into a new document, not installed; null after a message.
CollisionDoc *Kzc_ReadDocument(const char *path);
// Reads a KZC file and, when it is valid, replaces g_Coli.doc by it, then loads the
// collision model it names (through slot 255) and its characters into model slots and scene
// objects 10..19 (hidden). On any refusal the current document stays and the message says why.
bool Kzc_Read(const char *path);
// Writes g_Coli.doc as version 2002010 (temporary file, then replace); false with a message.
bool Kzc_Write(const char *path);
