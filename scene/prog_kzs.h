// Program.KZS: the compiled script as the game runtime reads it.
//
// Layout (little-endian, no gaps): "KZS ", version i32 (g_KzsVersion), variable count i32,
// per variable {name length i32, name bytes, kind i32, kind 0: value f32, kind 1: string
// length i32 and bytes}, block count i32, per block {name length i32, name bytes, statement
// count i32, per statement {code i32, A f32[5], text length i32 and bytes, B i32[5],
// V i32[5]}}. Strings carry no terminator.
//
// The program only writes the file; the parser serves the tests and tools/modeldump.
#pragma once
#include "scene/prog.h"

struct ByteWriter;

// A Program.KZS read back (tables and blocks; the blocks are heap records).
struct KzsFile {
  i32 version;
  i32 blockCount;
  ProgBlock *blocks[PROG_MAX_BLOCKS];
  ProgTables tables;
};

// Appends the file's bytes for these variables and blocks.
void Kzs_Build(ByteWriter *w, const ProgTables *t, ProgBlock *const *blocks, i32 blockCount);
// Reads a whole Program.KZS into out (zeroed, or holding an earlier parse, whose blocks are
// freed first). False, with the reason in why, for a
// file that is cut short, has trailing bytes, another version, or a count or a length the
// tables cannot hold; out then holds nothing.
bool Kzs_Parse(const void *data, size_t size, KzsFile *out, char *why, size_t whySize);
void Kzs_Free(KzsFile *f);
