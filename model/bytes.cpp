// Byte cursors and the all-or-nothing file writer.
#include "model/bytes.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#ifdef _WIN32
#include <windows.h>
#endif

// [SECTION] Reader

void Rd_Init(ByteReader *r, const void *data, size_t size) {
  r->begin = r->p = (const u8 *)data;
  r->end = r->begin + (data ? size : 0);
  r->err = false;
}

bool Rd_Seek(ByteReader *r, u64 offset) {
  if (r->err) return false;
  if (offset > (u64)(r->end - r->begin)) { r->err = true; return false; }
  r->p = r->begin + offset;
  return true;
}

bool Rd_Bytes(ByteReader *r, void *dst, u64 n) {
  if (!Rd_Need(r, n)) return false;
  if (n) memcpy(dst, r->p, (size_t)n);
  r->p += n;
  return true;
}

static u64 ReadLE(ByteReader *r, int n) {
  if (!Rd_Need(r, (u64)n)) return 0;
  u64 v = 0;
  for (int i = 0; i < n; i++) v |= (u64)r->p[i] << (8 * i);
  r->p += n;
  return v;
}

static u64 ReadBE(ByteReader *r, int n) {
  if (!Rd_Need(r, (u64)n)) return 0;
  u64 v = 0;
  for (int i = 0; i < n; i++) v = (v << 8) | r->p[i];
  r->p += n;
  return v;
}

u16 Rd_U16BE(ByteReader *r) { return (u16)ReadBE(r, 2); }
u32 Rd_U32BE(ByteReader *r) { return (u32)ReadBE(r, 4); }
i16 Rd_I16BE(ByteReader *r) { return (i16)(u16)ReadBE(r, 2); }
i32 Rd_I32BE(ByteReader *r) { return (i32)(u32)ReadBE(r, 4); }

f64 Rd_F64(ByteReader *r) {
  u64 u = ReadLE(r, 8);
  f64 f;
  memcpy(&f, &u, 8);
  return f;
}

f32 Rd_F32BE(ByteReader *r) {
  u32 u = (u32)ReadBE(r, 4);
  f32 f;
  memcpy(&f, &u, 4);
  return f;
}

void Bytes_SwapFields(u8 *p, u64 count, const char *fields) {
  for (u64 i = 0; i < count; i++)
    for (const char *f = fields; *f; f++) {
      int n = *f - '0';
      for (int a = 0, b = n - 1; a < b; a++, b--) {
        u8 t = p[a];
        p[a] = p[b];
        p[b] = t;
      }
      p += n;
    }
}

bool Rd_Name(ByteReader *r, char *dst, size_t dstSize) {
  i32 len = Rd_I32(r);
  if (r->err) return false;
  if (len < 0 || (size_t)len >= dstSize || !Rd_Need(r, (u64)len)) {
    r->err = true;
    if (dstSize) dst[0] = 0;
    return false;
  }
  memcpy(dst, r->p, (size_t)len);
  dst[len] = 0;
  r->p += len;
  return true;
}

char *Rd_NameAlloc(ByteReader *r, i32 maxLen) {
  i32 len = Rd_I32(r);
  if (r->err) return nullptr;
  if (len < 0 || len > maxLen || !Rd_Need(r, (u64)len)) { r->err = true; return nullptr; }
  char *s = (char *)malloc((size_t)len + 1);
  if (!s) { r->err = true; return nullptr; }
  memcpy(s, r->p, (size_t)len);
  s[len] = 0;
  r->p += len;
  return s;
}

bool Rd_Line(ByteReader *r, char *dst, size_t dstSize) {
  if (r->err || r->p >= r->end) { if (dstSize) dst[0] = 0; return false; }
  size_t n = 0;
  while (r->p < r->end && *r->p != '\n' && *r->p != '\r') {
    if (n + 1 < dstSize) dst[n++] = (char)*r->p;
    r->p++;
  }
  if (r->p < r->end && *r->p == '\r') {
    r->p++;
    if (r->p < r->end && *r->p == '\n') r->p++;
  } else if (r->p < r->end) {
    r->p++;   // the LF
  }
  if (dstSize) dst[n] = 0;
  return true;
}

// [SECTION] Writer

bool Wr_Reserve(ByteWriter *w, size_t extra) {
  if (w->err) return false;
  if (extra > (size_t)-1 - w->size) { w->err = true; return false; }
  size_t need = w->size + extra;
  if (need <= w->cap) return true;
  // The first reservation is taken as it is (a writer that sized its output asks once);
  // later growth doubles.
  size_t cap = w->cap ? w->cap : (need > 4096 ? need : 4096);
  while (cap < need) cap = cap > ((size_t)-1) / 2 ? need : cap * 2;
  u8 *d = (u8 *)realloc(w->data, cap);
  if (!d) { w->err = true; return false; }
  w->data = d;
  w->cap = cap;
  return true;
}

void Wr_Free(ByteWriter *w) {
  free(w->data);
  w->data = nullptr;
  w->size = w->cap = 0;
  w->err = false;
}

void Wr_Bytes(ByteWriter *w, const void *src, size_t n) {
  if (!n || !Wr_Reserve(w, n)) return;
  memcpy(w->data + w->size, src, n);
  w->size += n;
}

void Wr_Zeros(ByteWriter *w, size_t n) {
  if (!n || !Wr_Reserve(w, n)) return;
  memset(w->data + w->size, 0, n);
  w->size += n;
}

static void WriteLE(ByteWriter *w, u64 v, int n) {
  u8 b[8];
  for (int i = 0; i < n; i++) b[i] = (u8)(v >> (8 * i));
  Wr_Bytes(w, b, (size_t)n);
}

static void WriteBE(ByteWriter *w, u64 v, int n) {
  u8 b[8];
  for (int i = 0; i < n; i++) b[n - 1 - i] = (u8)(v >> (8 * i));
  Wr_Bytes(w, b, (size_t)n);
}

void Wr_U16BE(ByteWriter *w, u16 v) { WriteBE(w, v, 2); }
void Wr_U32BE(ByteWriter *w, u32 v) { WriteBE(w, v, 4); }
void Wr_I16BE(ByteWriter *w, i16 v) { WriteBE(w, (u16)v, 2); }
void Wr_I32BE(ByteWriter *w, i32 v) { WriteBE(w, (u32)v, 4); }

void Wr_F64(ByteWriter *w, f64 v) {
  u64 u;
  memcpy(&u, &v, 8);
  WriteLE(w, u, 8);
}

void Wr_F32BE(ByteWriter *w, f32 v) {
  u32 u;
  memcpy(&u, &v, 4);
  WriteBE(w, u, 4);
}

void Wr_Run(ByteWriter *w, const void *src, u64 count, const char *fields) {
  u64 size = Bytes_RecordSize(fields);
  if (size && count > (u64)((size_t)-1) / size) {
    w->err = true;
    return;
  }
  size_t n = (size_t)(count * size);
  if (!n || !Wr_Reserve(w, n)) return;
  memcpy(w->data + w->size, src, n);
#if BYTES_HOST_BIG_ENDIAN
  Bytes_SwapFields(w->data + w->size, count, fields);
#endif
  w->size += n;
}

void Wr_Name(ByteWriter *w, const char *s) {
  size_t n = s ? strlen(s) : 0;
  Wr_I32(w, (i32)n);
  Wr_Bytes(w, s, n);
}

void Wr_PatchU32(ByteWriter *w, size_t offset, u32 v) {
  if (w->err || offset + 4 > w->size) return;
  for (int i = 0; i < 4; i++) w->data[offset + i] = (u8)(v >> (8 * i));
}

void Wr_PatchU32BE(ByteWriter *w, size_t offset, u32 v) {
  if (w->err || offset + 4 > w->size) return;
  for (int i = 0; i < 4; i++) w->data[offset + 3 - i] = (u8)(v >> (8 * i));
}

// [SECTION] Files

bool File_ReadAll(const char *path, FileData *out) {
  out->data = nullptr;
  out->size = 0;
  if (!path || !path[0]) return false;
  FILE *f = fopen(path, "rb");
  if (!f) return false;
  bool ok = false;
  u8 *data = nullptr;
  long size = -1;
  if (fseek(f, 0, SEEK_END) == 0) size = ftell(f);
  if (size >= 0 && size <= (1L << 30) && fseek(f, 0, SEEK_SET) == 0) {
    data = (u8 *)malloc((size_t)size + 1);
    if (data && fread(data, 1, (size_t)size, f) == (size_t)size) {
      data[size] = 0;   // a terminator after the data helps text formats; not part of size
      ok = true;
    }
  }
  fclose(f);
  if (!ok) { free(data); return false; }
  out->data = data;
  out->size = (size_t)size;
  return true;
}

void File_Free(FileData *f) {
  free(f->data);
  f->data = nullptr;
  f->size = 0;
}

static bool ReplaceFile(const char *tmp, const char *path) {
#ifdef _WIN32
  return MoveFileExA(tmp, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
  return rename(tmp, path) == 0;
#endif
}

bool File_WriteAtomic(const char *path, const void *data, size_t size) {
  if (!path || !path[0]) return false;
  size_t n = strlen(path);
  char *tmp = (char *)malloc(n + 5);
  if (!tmp) return false;
  memcpy(tmp, path, n);
  memcpy(tmp + n, ".tmp", 5);
  bool ok = false;
  FILE *f = fopen(tmp, "wb");
  if (f) {
    ok = (size == 0 || fwrite(data, 1, size, f) == size);
    ok = (fflush(f) == 0) && ok;
    ok = (fclose(f) == 0) && ok;
    ok = ok && ReplaceFile(tmp, path);
    if (!ok) remove(tmp);
  }
  free(tmp);
  return ok;
}
