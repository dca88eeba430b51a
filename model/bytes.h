// Byte cursors shared by every reader and writer of the portable core.
//
// ByteReader: one bounds-checked cursor over a buffer. Reads past the end, negative or
// oversized counts and lengths set `err` and return 0 instead of reading garbage; once
// `err` is set every further read returns 0, so a parser can read a whole record and
// test `err` once. Little-endian by default, *BE for big-endian formats (LWO, PSD).
//
// ByteWriter: a growable buffer that a writer fills in memory; File_WriteAtomic then
// writes it to a temporary file of a fresh name beside the target, flushes it to the disk
// and swaps it into place only when every byte was written, so a failed save never
// destroys the old file and never touches another file of the user's.
#pragma once
#include <string.h>

#include "model/types.h"

// Little-endian loads and stores of raw bytes, whatever the host's byte order.
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
#define BYTES_HOST_BIG_ENDIAN 1
#else
#define BYTES_HOST_BIG_ENDIAN 0
#endif
inline u16 Bytes_LoadU16(const u8 *p) {
  u16 v;
  memcpy(&v, p, 2);
#if BYTES_HOST_BIG_ENDIAN
  v = __builtin_bswap16(v);
#endif
  return v;
}
inline u32 Bytes_LoadU32(const u8 *p) {
  u32 v;
  memcpy(&v, p, 4);
#if BYTES_HOST_BIG_ENDIAN
  v = __builtin_bswap32(v);
#endif
  return v;
}
inline void Bytes_StoreU16(u8 *p, u16 v) {
#if BYTES_HOST_BIG_ENDIAN
  v = __builtin_bswap16(v);
#endif
  memcpy(p, &v, 2);
}
inline void Bytes_StoreU32(u8 *p, u32 v) {
#if BYTES_HOST_BIG_ENDIAN
  v = __builtin_bswap32(v);
#endif
  memcpy(p, &v, 4);
}

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
inline bool Rd_Need(ByteReader *r, u64 n) {
  if (r->err) return false;
  if (n > (u64)(r->end - r->p)) { r->err = true; return false; }
  return true;
}
bool Rd_Seek(ByteReader *r, u64 offset);
inline bool Rd_Skip(ByteReader *r, u64 n) {
  if (!Rd_Need(r, n)) return false;
  r->p += n;
  return true;
}
bool Rd_Bytes(ByteReader *r, void *dst, u64 n);

// The little-endian scalars are inline: a parser makes one call per field, and the check is
// one compare on the fast path.
inline u8 Rd_U8(ByteReader *r) {
  if (r->err || r->p >= r->end) { r->err = true; return 0; }
  return *r->p++;
}
inline u16 Rd_U16(ByteReader *r) {
  if (r->err || r->end - r->p < 2) { r->err = true; return 0; }
  u16 v = Bytes_LoadU16(r->p);
  r->p += 2;
  return v;
}
inline u32 Rd_U32(ByteReader *r) {
  if (r->err || r->end - r->p < 4) { r->err = true; return 0; }
  u32 v = Bytes_LoadU32(r->p);
  r->p += 4;
  return v;
}
inline i16 Rd_I16(ByteReader *r) { return (i16)Rd_U16(r); }
inline i32 Rd_I32(ByteReader *r) { return (i32)Rd_U32(r); }
inline f32 Rd_F32(ByteReader *r) {
  u32 u = Rd_U32(r);
  f32 f;
  memcpy(&f, &u, 4);
  return f;
}
// An f32 the program computes with: NaN and the infinities set err (and give 0) like a read
// past the end, so a file holding one is refused as damaged.
inline f32 Rd_F32Finite(ByteReader *r) {
  f32 f = Rd_F32(r);
  if (f * 0.0f == 0.0f) return f;
  r->err = true;
  return 0.0f;
}
f64 Rd_F64(ByteReader *r);
// Bytes of one record of a field layout (see Rd_Run).
inline size_t Bytes_RecordSize(const char *fields) {
  size_t n = 0;
  for (const char *f = fields; *f; f++) n += (size_t)(*f - '0');
  return n;
}
// Reverses each field of `count` records in place (little-endian data <-> big-endian host).
void Bytes_SwapFields(u8 *p, u64 count, const char *fields);
// A run of `count` fixed-size records into dst with one range check. `fields` gives the byte
// width of each field in order ("444" for three f32, "2244" for two u16 and two u32); dst must
// hold the records with exactly that layout and no padding. False (err set, nothing read)
// when the run is not all there.
inline bool Rd_Run(ByteReader *r, void *dst, u64 count, const char *fields) {
  u64 size = Bytes_RecordSize(fields);
  // count * size in 64 bits: a count above what the data could hold fails the check.
  if (r->err || (size && count > (u64)(r->end - r->p) / size)) {
    r->err = true;
    return false;
  }
  size_t n = (size_t)(count * size);
  if (n) memcpy(dst, r->p, n);
#if BYTES_HOST_BIG_ENDIAN
  Bytes_SwapFields((u8 *)dst, count, fields);
#endif
  r->p += n;
  return true;
}
u16 Rd_U16BE(ByteReader *r);
u32 Rd_U32BE(ByteReader *r);
i16 Rd_I16BE(ByteReader *r);
f32 Rd_F32BE(ByteReader *r);

// An i32 count that must lie in 0..max; anything else sets err and gives 0.
inline i32 Rd_Count(ByteReader *r, i32 max) {
  i32 n = Rd_I32(r);
  if (r->err) return 0;
  if (n < 0 || n > max) { r->err = true; return 0; }
  return n;
}
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
// Makes room for `extra` more bytes at once (a writer that knows its size asks once, so the
// buffer never grows by doubling). False when the allocation failed (err set).
bool Wr_Reserve(ByteWriter *w, size_t extra);
void Wr_Bytes(ByteWriter *w, const void *src, size_t n);
void Wr_Zeros(ByteWriter *w, size_t n);
// Inline like the reader's scalars: a store when the room is there, else the growing path.
inline void Wr_U8(ByteWriter *w, u8 v) {
  if (!w->err && w->cap - w->size >= 1) w->data[w->size++] = v;
  else Wr_Bytes(w, &v, 1);
}
inline void Wr_U16(ByteWriter *w, u16 v) {
  if (!w->err && w->cap - w->size >= 2) {
    Bytes_StoreU16(w->data + w->size, v);
    w->size += 2;
  } else {
    u8 b[2];
    Bytes_StoreU16(b, v);
    Wr_Bytes(w, b, 2);
  }
}
inline void Wr_U32(ByteWriter *w, u32 v) {
  if (!w->err && w->cap - w->size >= 4) {
    Bytes_StoreU32(w->data + w->size, v);
    w->size += 4;
  } else {
    u8 b[4];
    Bytes_StoreU32(b, v);
    Wr_Bytes(w, b, 4);
  }
}
inline void Wr_I16(ByteWriter *w, i16 v) { Wr_U16(w, (u16)v); }
inline void Wr_I32(ByteWriter *w, i32 v) { Wr_U32(w, (u32)v); }
inline void Wr_F32(ByteWriter *w, f32 v) {
  u32 u;
  memcpy(&u, &v, 4);
  Wr_U32(w, u);
}
// A run of `count` records laid out as `fields` says (see Rd_Run), written little-endian.
void Wr_Run(ByteWriter *w, const void *src, u64 count, const char *fields);
void Wr_U16BE(ByteWriter *w, u16 v);
void Wr_U32BE(ByteWriter *w, u32 v);
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
// The one save path of every writer: writes a new temporary file "~sav<8 hex digits>.tmp" in
// path's folder (created only where no file of that name exists), checks every write,
// flushes it to the disk (FlushFileBuffers; fsync natively), closes it, then replaces path
// with it (MoveFileExA with MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH; rename
// natively). On failure the temporary file is removed and the old file is left as it was.
// Callers say the failure to the user.
bool File_WriteAtomic(const char *path, const void *data, size_t size);
// Why the last File_WriteAtomic failed, from the system's error of the failing step
// (SAVE_REASON_NONE after a success or a failure the system did not report).
enum SaveReason : u32 {
  SAVE_REASON_NONE = 0,
  SAVE_REASON_DISK_FULL,
  SAVE_REASON_ACCESS_DENIED,
  SAVE_REASON_PATH_NOT_FOUND,
  SAVE_REASON_OTHER,
};
u32 File_LastSaveReason(void);
// The message of a failed save of path: "%s に保存することができませんでした。", then the folder
// and the reason of the last File_WriteAtomic failure when the system gave one (Japanese).
// The reason is used up by this call.
void File_SaveFailureText(const char *path, char *out, size_t size);
// True for a name of the form File_WriteAtomic gives its temporaries: "~sav", 8 lower-case
// hex digits, ".tmp". Each save removes such files of its folder that are older than the
// program's start (left by a save that was killed); no other file is ever removed.
bool File_IsSaveTemporaryName(const char *name);
// Offset of the file name in path: after its last "\", "/" or ":" (CP932 trail bytes that
// equal "\" do not count); 0 for a bare name.
size_t File_NameOffset(const char *path);
// The file that `name` (bare or with any folder) names beside the document docPath: docPath's
// folder and name's file name, into out. False when docPath has no folder, name no file name,
// the result does not fit, or it is name itself (nothing new to look at).
bool File_BesideDocument(char *out, size_t size, const char *docPath, const char *name);
// Tests only: a save to a path that ends in `name` fails at `step` (SAVE_STEP_NONE: never).
enum SaveStep : u32 { SAVE_STEP_NONE = 0, SAVE_STEP_CREATE, SAVE_STEP_WRITE, SAVE_STEP_FLUSH, SAVE_STEP_REPLACE };
struct SaveFault {
  const char *name;
  u32 step;
};
extern SaveFault g_SaveFault;
