// Byte cursors and the all-or-nothing file writer (File_WriteAtomic; owns g_SaveFault).
#include "model/bytes.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "model/cp932.h"
#include "model/str.h"

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

static void WriteBE(ByteWriter *w, u64 v, int n) {
  u8 b[8];
  for (int i = 0; i < n; i++) b[n - 1 - i] = (u8)(v >> (8 * i));
  Wr_Bytes(w, b, (size_t)n);
}

void Wr_U16BE(ByteWriter *w, u16 v) { WriteBE(w, v, 2); }
void Wr_U32BE(ByteWriter *w, u32 v) { WriteBE(w, v, 4); }

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

// [SECTION] Safe save
//
// A save never touches the user's file until the new bytes are on disk: they go to a
// temporary file of a fresh name in the target's folder (created exclusively, so no file of
// the user's is ever opened), are flushed to the disk, and only then replace the target in
// one rename.

SaveFault g_SaveFault;

size_t File_NameOffset(const char *path) {
  size_t at = 0;
  for (size_t i = 0; path && path[i]; i++) {
    u8 c = (u8)path[i];
    if (Cp932_IsLead(c) && path[i + 1]) { i++; continue; }   // a trail byte may be 0x5C
    if (c == '\\' || c == '/' || c == ':') at = i + 1;
  }
  return at;
}

bool File_BesideDocument(char *out, size_t size, const char *docPath, const char *name) {
  if (!out || size == 0 || !docPath || !name) return false;
  size_t folder = File_NameOffset(docPath);
  const char *file = name + File_NameOffset(name);
  if (folder == 0 || !file[0] || folder + strlen(file) >= size) return false;
  memcpy(out, docPath, folder);
  memcpy(out + folder, file, strlen(file) + 1);
  return strcmp(out, name) != 0;
}

// True when the test fault names this step of a save to path.
static bool Faulted(const char *path, u32 step) {
  const SaveFault &f = g_SaveFault;
  if (f.step != step || !f.name) return false;
  size_t n = strlen(path), m = strlen(f.name);
  return n >= m && strcmp(path + n - m, f.name) == 0;
}

// Why the last failed save failed (a SaveReason), kept for the message the caller shows.
static u32 s_SaveReason;

#ifdef _WIN32
// The moment the program started: temporaries older than it are left over from a save that
// never finished (a killed process), never one in progress in this program.
static FILETIME StartTime(void) {
  FILETIME created, ended, kernel, user;
  if (GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user)) return created;
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return now;
}
static const FILETIME s_StartTime = StartTime();
static u32 ReasonOf(DWORD e) {
  switch (e) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return SAVE_REASON_DISK_FULL;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_SHARING_VIOLATION: return SAVE_REASON_ACCESS_DENIED;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_FILE_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH: return SAVE_REASON_PATH_NOT_FOUND;
    default: return SAVE_REASON_OTHER;
  }
}
static void NoteFailure(void) { s_SaveReason = ReasonOf(GetLastError()); }
typedef HANDLE SaveHandle;
static const SaveHandle kNoHandle = INVALID_HANDLE_VALUE;
static u32 SaveSeed(void) { return (u32)GetCurrentProcessId() * 2654435761u ^ (u32)GetTickCount(); }
// Creates the file only when no file of that name exists; *exists tells why it failed.
static SaveHandle CreateNew(const char *name, bool *exists) {
  HANDLE h = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  *exists = h == INVALID_HANDLE_VALUE && (GetLastError() == ERROR_FILE_EXISTS || GetLastError() == ERROR_ALREADY_EXISTS);
  return h;
}
static bool WriteAll(SaveHandle h, const u8 *p, size_t size) {
  while (size > 0) {
    DWORD chunk = size > (1u << 30) ? (1u << 30) : (DWORD)size, done = 0;
    if (!WriteFile(h, p, chunk, &done, nullptr) || done == 0) return false;
    p += done;
    size -= done;
  }
  return true;
}
static bool FlushToDisk(SaveHandle h) { return FlushFileBuffers(h) != 0; }
static bool CloseSave(SaveHandle h) { return CloseHandle(h) != 0; }
static bool ReplaceFile(const char *tmp, const char *path) {
  return MoveFileExA(tmp, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}
// Removes the program's own temporaries in folder (name with its separator, or "") that are
// older than the program's start.
static void RemoveStaleTemporaries(const char *folder) {
  char pattern[1024], name[1024];
  if (!Str_FormatAll(pattern, sizeof pattern, "%s~sav*.tmp", folder)) return;
  WIN32_FIND_DATAA fd;
  HANDLE find = FindFirstFileA(pattern, &fd);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    if (!File_IsSaveTemporaryName(fd.cFileName) || CompareFileTime(&fd.ftLastWriteTime, &s_StartTime) >= 0) continue;
    if (Str_FormatAll(name, sizeof name, "%s%s", folder, fd.cFileName)) DeleteFileA(name);
  } while (FindNextFileA(find, &fd));
  FindClose(find);
}
#else
static const time_t s_StartTime = time(nullptr);
static u32 ReasonOf(int e) {
  switch (e) {
    case ENOSPC:
    case EDQUOT: return SAVE_REASON_DISK_FULL;
    case EACCES:
    case EPERM:
    case EROFS: return SAVE_REASON_ACCESS_DENIED;
    case ENOENT:
    case ENOTDIR: return SAVE_REASON_PATH_NOT_FOUND;
    default: return SAVE_REASON_OTHER;
  }
}
static void NoteFailure(void) { s_SaveReason = ReasonOf(errno); }
static void RemoveStaleTemporaries(const char *folder) {
  DIR *dir = opendir(folder[0] ? folder : ".");
  if (!dir) return;
  char name[1024];
  struct stat st;
  for (struct dirent *e = readdir(dir); e; e = readdir(dir)) {
    if (!File_IsSaveTemporaryName(e->d_name) || !Str_FormatAll(name, sizeof name, "%s%s", folder, e->d_name)) continue;
    // Whole seconds: a temporary of this second may be this program's own.
    if (stat(name, &st) == 0 && S_ISREG(st.st_mode) && st.st_mtime < s_StartTime) unlink(name);
  }
  closedir(dir);
}
typedef int SaveHandle;
static const SaveHandle kNoHandle = -1;
static u32 SaveSeed(void) { return (u32)getpid() * 2654435761u ^ (u32)time(nullptr); }
static SaveHandle CreateNew(const char *name, bool *exists) {
  int fd = open(name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  *exists = fd < 0 && errno == EEXIST;
  return fd;
}
static bool WriteAll(SaveHandle fd, const u8 *p, size_t size) {
  while (size > 0) {
    ssize_t done = write(fd, p, size);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) return false;
    p += done;
    size -= (size_t)done;
  }
  return true;
}
static bool FlushToDisk(SaveHandle fd) { return fsync(fd) == 0; }
static bool CloseSave(SaveHandle fd) { return close(fd) == 0; }
static bool ReplaceFile(const char *tmp, const char *path) {
  if (rename(tmp, path) != 0) return false;
  // The rename itself reaches the disk with the folder's entry.
  char folder[1024];
  size_t at = File_NameOffset(path);
  if (at == 0) Str_Copy(folder, sizeof folder, ".");
  else if (at < sizeof folder) Str_Format(folder, sizeof folder, "%.*s", (int)at, path);
  else return true;
  int dir = open(folder, O_RDONLY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
  return true;
}
#endif

// Creates the temporary file beside path under a fresh name written into tmp.
static SaveHandle CreateTemporary(const char *path, char *tmp, size_t size) {
  static u32 s_counter;
  u32 seed = SaveSeed();
  size_t at = File_NameOffset(path);
  for (int attempt = 0; attempt < 64; attempt++) {
    u32 n = seed + 0x9E3779B9u * ++s_counter;
    if (!Str_FormatAll(tmp, size, "%.*s~sav%08x.tmp", (int)at, path, n)) return kNoHandle;
    bool exists = false;
    SaveHandle h = CreateNew(tmp, &exists);
    if (h != kNoHandle || !exists) return h;
  }
  return kNoHandle;
}

bool File_IsSaveTemporaryName(const char *name) {
  if (strncmp(name, "~sav", 4) != 0 || strcmp(name + 12, ".tmp") != 0) return false;
  for (int i = 4; i < 12; i++)
    if (!((name[i] >= '0' && name[i] <= '9') || (name[i] >= 'a' && name[i] <= 'f'))) return false;
  return true;
}

// True when a test fault fails this step of a save to path; it fails as the system would
// (access denied).
static bool FaultStep(const char *path, u32 step) {
  if (!Faulted(path, step)) return false;
#ifdef _WIN32
  SetLastError(ERROR_ACCESS_DENIED);
#else
  errno = EACCES;
#endif
  return true;
}

bool File_WriteAtomic(const char *path, const void *data, size_t size) {
  s_SaveReason = SAVE_REASON_NONE;
  if (!path || !path[0] || File_NameOffset(path) == strlen(path)) return false;
  if (!data && size > 0) return false;
  char folder[1024];
  if (Str_FormatAll(folder, sizeof folder, "%.*s", (int)File_NameOffset(path), path)) RemoveStaleTemporaries(folder);
  char tmp[1024];
  SaveHandle h = FaultStep(path, SAVE_STEP_CREATE) ? kNoHandle : CreateTemporary(path, tmp, sizeof tmp);
  if (h == kNoHandle) {
    NoteFailure();
    return false;
  }
  bool ok = !FaultStep(path, SAVE_STEP_WRITE) && WriteAll(h, (const u8 *)data, size);
  ok = ok && !FaultStep(path, SAVE_STEP_FLUSH) && FlushToDisk(h);
  if (!ok) NoteFailure();
  bool closed = CloseSave(h);
  if (!closed && ok) NoteFailure();
  ok = closed && ok;
  if (ok && !(!FaultStep(path, SAVE_STEP_REPLACE) && ReplaceFile(tmp, path))) {
    NoteFailure();
    ok = false;
  }
  if (!ok) remove(tmp);
  return ok;
}

u32 File_LastSaveReason(void) { return s_SaveReason; }

// The folder part of path for the message: up to its last separator, else the current folder.
static void FolderOf(const char *path, char *out, size_t size) {
  size_t at = File_NameOffset(path);
  if (at > 1 && (path[at - 1] == '\\' || path[at - 1] == '/') && path[at - 2] != ':') at--;
  if (at > 0) {
    Str_Format(out, size, "%.*s", (int)at, path);
    return;
  }
#ifdef _WIN32
  DWORD n = GetCurrentDirectoryA((DWORD)size, out);
  if (n == 0 || n >= size) Str_Copy(out, size, ".");
#else
  if (!getcwd(out, size)) Str_Copy(out, size, ".");
#endif
}

void File_SaveFailureText(const char *path, char *out, size_t size) {
  static const char *const kReasons[] = {
      nullptr,
      "ディスクの空き容量が足りません。",
      "アクセスが拒否されました。(書き込みが禁止されているか、ほかのプログラムが使っています)",
      "保存先のフォルダが見つかりません。",
      "ファイルを書き込めませんでした。",
  };
  if (!path) path = "";
  u32 reason = s_SaveReason < sizeof kReasons / sizeof kReasons[0] ? s_SaveReason : SAVE_REASON_OTHER;
  s_SaveReason = SAVE_REASON_NONE;   // said once: a later failure before any write has no system reason
  if (!kReasons[reason]) {
    Str_Format(out, size, "%s に保存することができませんでした。", path);
    return;
  }
  char folder[600];
  FolderOf(path, folder, sizeof folder);
  Str_Format(out, size, "%s に保存することができませんでした。\n\n保存先のフォルダ: %s\n理由: %s", path, folder,
             kReasons[reason]);
}
