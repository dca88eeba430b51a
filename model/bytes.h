// Byte cursors shared by every reader and writer of the portable core.
//
// ByteReader: one bounds-checked cursor over a buffer. Reads past the end, negative or
// oversized counts and lengths set `err` and return 0 instead of reading garbage; once
// `err` is set every further read returns 0, so a parser can read a whole record and
// test `err` once. Little-endian by default, *BE for big-endian formats (LWO, PSD).
//
// ByteWriter: a growable buffer that a writer fills in memory; File_WriteAtomic then
// writes it to "<path>.tmp" and swaps it into place only when every byte was written,
// so a failed save never destroys the old file.
#pragma once
#include "model/types.h"

struct ByteReader {
  const u8 *begin;
  const u8 *p;
  const u8 *end;
  bool err;
};

void Rd_Init(ByteReader *r, const void *data, size_t size);
inline size_t Rd_Remaining(const ByteReader *r) { return (size_t)(r->end - r->p); }
inline size_t Rd_Tell(const ByteReader *r) { return (size_t)(r->p - r->begin); }
inline bool Rd_AtEnd(const ByteReader *r) { return r->p >= r->end; }
// True (and nothing consumed) when n more bytes are there; otherwise sets err.
bool Rd_Need(ByteReader *r, u64 n);
bool Rd_Seek(ByteReader *r, u64 offset);
bool Rd_Skip(ByteReader *r, u64 n);
bool Rd_Bytes(ByteReader *r, void *dst, u64 n);

u8 Rd_U8(ByteReader *r);
u16 Rd_U16(ByteReader *r);
u32 Rd_U32(ByteReader *r);
i16 Rd_I16(ByteReader *r);
i32 Rd_I32(ByteReader *r);
f32 Rd_F32(ByteReader *r);
f64 Rd_F64(ByteReader *r);
u16 Rd_U16BE(ByteReader *r);
u32 Rd_U32BE(ByteReader *r);
i16 Rd_I16BE(ByteReader *r);
i32 Rd_I32BE(ByteReader *r);
f32 Rd_F32BE(ByteReader *r);

// An i32 count that must lie in 0..max; anything else sets err and gives 0.
i32 Rd_Count(ByteReader *r, i32 max);
// An i32-length-prefixed string into a fixed field: a negative length, or one that does not
// fit with its terminator, sets err. The bytes are kept raw (CP932).
bool Rd_Name(ByteReader *r, char *dst, size_t dstSize);
// The same into a new heap string (free()); maxLen bounds the length. Null on error.
char *Rd_NameAlloc(ByteReader *r, i32 maxLen);
// One text line without its end (LF, CR LF or a lone CR); false at the end of the data.
// A line longer than the buffer is cut (the rest of it is skipped).
bool Rd_Line(ByteReader *r, char *dst, size_t dstSize);

struct ByteWriter {
  u8 *data;
  size_t size;
  size_t cap;
  bool err;   // an allocation failed
};

void Wr_Free(ByteWriter *w);
void Wr_Bytes(ByteWriter *w, const void *src, size_t n);
void Wr_Zeros(ByteWriter *w, size_t n);
void Wr_U8(ByteWriter *w, u8 v);
void Wr_U16(ByteWriter *w, u16 v);
void Wr_U32(ByteWriter *w, u32 v);
void Wr_I16(ByteWriter *w, i16 v);
void Wr_I32(ByteWriter *w, i32 v);
void Wr_F32(ByteWriter *w, f32 v);
void Wr_F64(ByteWriter *w, f64 v);
void Wr_U16BE(ByteWriter *w, u16 v);
void Wr_U32BE(ByteWriter *w, u32 v);
void Wr_I16BE(ByteWriter *w, i16 v);
void Wr_I32BE(ByteWriter *w, i32 v);
void Wr_F32BE(ByteWriter *w, f32 v);
// i32 byte length, then the bytes without terminator (null writes length 0).
void Wr_Name(ByteWriter *w, const char *s);
// Overwrites 4 bytes at an earlier offset (sizes patched after the fact).
void Wr_PatchU32(ByteWriter *w, size_t offset, u32 v);
void Wr_PatchU32BE(ByteWriter *w, size_t offset, u32 v);

struct FileData {
  u8 *data;
  size_t size;
};
// Reads a whole file ("rb"). False when it cannot be opened or read; files over 1 GiB are refused.
bool File_ReadAll(const char *path, FileData *out);
void File_Free(FileData *f);
// Writes "<path>.tmp", checks every write and the close, then replaces path with it.
// On failure the temporary file is removed and the old file is left as it was.
bool File_WriteAtomic(const char *path, const void *data, size_t size);
