// The one rule by which documents keep and find again the files they name (see docref.h).
#include "model/docref.h"

#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include "model/bytes.h"
#include "model/cp932.h"
#include "model/model_result.h"
#include "model/str.h"

#ifdef _WIN32
static const char kSep = '\\';
#else
static const char kSep = '/';
#endif

enum { DOCREF_WORK = 1024, DOCREF_STEPS = 256 };

static bool IsSep(char c) { return c == '\\' || c == '/'; }

static bool IsDrive(const char *p) {
  u8 c = (u8)p[0];
  return ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) && p[1] == ':';
}

bool DocRef_IsFull(const char *path) { return path && (IsSep(path[0]) || IsDrive(path)); }

bool DocRef_Exists(const char *path) {
  if (!path || !path[0]) return false;
  FILE *f = fopen(path, "rb");
  if (f) fclose(f);
  return f != nullptr;
}

// Length of path's root: "C:\" (3, also for "C:" alone: 2), "\\" of a UNC name (2), one
// separator (1), 0 for a relative path.
static size_t RootLength(const char *p) {
  if (IsDrive(p)) return IsSep(p[2]) ? 3 : 2;
  if (IsSep(p[0]) && IsSep(p[1])) return 2;
  return IsSep(p[0]) ? 1 : 0;
}

// One step of a path: [at, at + len); the next one starts after it.
struct Step {
  const char *at;
  size_t len;
};

// The steps of path after its root ("" and "." dropped, ".." taking back the one before it
// but never the root), at most DOCREF_STEPS; false when there are more.
static bool Steps(const char *path, Step *steps, u32 *count) {
  u32 n = 0;
  const char *p = path + RootLength(path);
  while (*p) {
    const char *start = p;
    while (*p && !IsSep(*p)) p += (Cp932_IsLead((u8)*p) && p[1]) ? 2 : 1;
    size_t len = (size_t)(p - start);
    while (IsSep(*p)) p++;
    if (len == 0 || (len == 1 && start[0] == '.')) continue;
    if (len == 2 && start[0] == '.' && start[1] == '.') {
      if (n > 0) n--;
      continue;
    }
    if (n == DOCREF_STEPS) return false;
    steps[n++] = {start, len};
  }
  *count = n;
  return true;
}

// root, then steps [from, to) joined by the system's separator, after `ups` ".." steps.
static bool Join(char *out, size_t size, const char *root, size_t rootLen, u32 ups, const Step *steps, u32 from,
                 u32 to) {
  size_t at = 0;
  auto put = [&](const char *s, size_t n) {
    if (at + n >= size) return false;
    memcpy(out + at, s, n);
    at += n;
    out[at] = 0;
    return true;
  };
  if (!size) return false;
  out[0] = 0;
  for (size_t i = 0; i < rootLen; i++)
    if (!put(IsSep(root[i]) ? &kSep : &root[i], 1)) return false;
  if (rootLen == 2 && IsDrive(root) && !put(&kSep, 1)) return false;   // "C:" alone is its root
  bool first = true;
  for (u32 i = 0; i < ups; i++, first = false)
    if ((!first && !put(&kSep, 1)) || !put("..", 2)) return false;
  for (u32 i = from; i < to; i++, first = false)
    if ((!first && !put(&kSep, 1)) || !put(steps[i].at, steps[i].len)) return false;
  return true;
}

// path made full from the current folder (not yet tidied) into work.
static bool Untidy(const char *path, char *work, size_t size) {
  if (DocRef_IsFull(path)) return Str_FormatAll(work, size, "%s", path);
  char here[DOCREF_WORK];
  if (!getcwd(here, sizeof here)) return false;
#ifdef _WIN32
  // A leading separator names the root of the current drive.
  if (IsSep(path[0]) && IsDrive(here)) return Str_FormatAll(work, size, "%.2s%s", here, path);
#endif
  return Str_FormatAll(work, size, "%s%c%s", here, kSep, path);
}

bool DocRef_FullPath(const char *path, char *out, size_t size) {
  if (!path || !path[0] || !out || !size) return false;
  char work[DOCREF_WORK];
  Step steps[DOCREF_STEPS];
  u32 n = 0;
  if (!Untidy(path, work, sizeof work) || !Steps(work, steps, &n)) return false;
  return Join(out, size, work, RootLength(work), 0, steps, 0, n);
}

bool DocRef_Folder(const char *docPath, char *out, size_t size) {
  char full[DOCREF_WORK];
  if (!DocRef_FullPath(docPath, full, sizeof full)) return false;
  size_t at = File_NameOffset(full);
  char folder[DOCREF_WORK];
  Str_Format(folder, sizeof folder, "%.*s", (int)at, full);
  return DocRef_FullPath(folder, out, size);
}

// Two steps name one folder: ASCII letters compare without regard to case on Windows (the
// file system's rule there), never a trail byte of a double-byte character.
static bool SameStep(const Step &a, const Step &b) {
  if (a.len != b.len) return false;
#ifdef _WIN32
  for (size_t i = 0; i < a.len; i++) {
    u8 x = (u8)a.at[i], y = (u8)b.at[i];
    if (Cp932_IsLead(x) && i + 1 < a.len) {
      if (x != y || a.at[i + 1] != b.at[i + 1]) return false;
      i++;
      continue;
    }
    if (x >= 'A' && x <= 'Z') x = (u8)(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = (u8)(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
#else
  return memcmp(a.at, b.at, a.len) == 0;
#endif
}

static bool SameRoot(const char *a, const char *b) {
  size_t n = RootLength(a);
  if (n != RootLength(b)) return false;
  for (size_t i = 0; i < n; i++) {
    char x = a[i], y = b[i];
    if (IsSep(x) && IsSep(y)) continue;
    if (x >= 'a' && x <= 'z') x = (char)(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = (char)(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

bool DocRef_Keep(const char *folder, const char *file, char *out, size_t size) {
  char dir[DOCREF_WORK], full[DOCREF_WORK];
  if (!folder || !folder[0] || !DocRef_FullPath(folder, dir, sizeof dir)) return DocRef_FullPath(file, out, size);
  if (!DocRef_FullPath(file, full, sizeof full)) return false;
  Step a[DOCREF_STEPS], b[DOCREF_STEPS];
  u32 na = 0, nb = 0;
  if (!SameRoot(dir, full) || !Steps(dir, a, &na) || !Steps(full, b, &nb) || nb == 0)
    return Str_FormatAll(out, size, "%s", full);
  u32 common = 0;
  while (common < na && common < nb - 1 && SameStep(a[common], b[common])) common++;
  if (Join(out, size, "", 0, na - common, b, common, nb)) return true;
  return Str_FormatAll(out, size, "%s", full);
}

// base, a separator and name, tidied, into out; false when it does not fit.
static bool Beside(const char *base, const char *name, char *out, size_t size) {
  char work[DOCREF_WORK];
  return Str_FormatAll(work, sizeof work, "%s%c%s", base, kSep, name) && DocRef_FullPath(work, out, size);
}

bool DocRef_Find(const char *folder, const char *kept, const char *const *bases, u32 baseCount, char *out,
                 size_t size) {
  if (!out || !size) return false;
  out[0] = 0;
  if (!kept || !kept[0]) return false;
  if (DocRef_IsFull(kept)) return DocRef_FullPath(kept, out, size) && DocRef_Exists(out);
  bool hasFolder = folder && folder[0];
  if (hasFolder && Beside(folder, kept, out, size) && DocRef_Exists(out)) return true;
  for (u32 i = 0; i < baseCount; i++)
    if (bases[i] && bases[i][0] && Beside(bases[i], kept, out, size) && DocRef_Exists(out)) return true;
  if (DocRef_FullPath(kept, out, size) && DocRef_Exists(out)) return true;
  const char *file = kept + File_NameOffset(kept);
  if (hasFolder && file != kept && file[0] && Beside(folder, file, out, size) && DocRef_Exists(out)) return true;
  if (!hasFolder || !Beside(folder, kept, out, size)) Str_Copy(out, size, kept);
  return false;
}

// True when the folders a and b are one.
static bool SameFolder(const char *a, const char *b) {
  char x[DOCREF_WORK], y[DOCREF_WORK];
  if (!a || !b || !a[0] || !b[0] || !DocRef_FullPath(a, x, sizeof x) || !DocRef_FullPath(b, y, sizeof y)) return false;
  Step sa[DOCREF_STEPS], sb[DOCREF_STEPS];
  u32 na = 0, nb = 0;
  bool same = SameRoot(x, y) && Steps(x, sa, &na) && Steps(y, sb, &nb) && na == nb;
  for (u32 i = 0; same && i < na; i++) same = SameStep(sa[i], sb[i]);
  return same;
}

// True when the relative name stays inside the folder it is read from: no ".." step takes it
// above that folder.
static bool StaysInside(const char *kept) {
  i32 depth = 0;
  for (const char *p = kept; *p;) {
    const char *start = p;
    while (*p && !IsSep(*p)) p += (Cp932_IsLead((u8)*p) && p[1]) ? 2 : 1;
    size_t len = (size_t)(p - start);
    while (IsSep(*p)) p++;
    if (len == 2 && start[0] == '.' && start[1] == '.') {
      if (--depth < 0) return false;
    } else if (len > 0 && !(len == 1 && start[0] == '.')) {
      depth++;
    }
  }
  return true;
}

// True when a relative kept name is found inside one of the kind's own places (the data
// folder's) rather than beside the document (unless the document lies there): it is found the
// same way from any folder. A name that climbs out of that place ("..\..\work\...", kept by a
// new document before it had a folder of its own) names a file elsewhere, not one of the
// kind's own.
static bool InBase(const char *from, const char *kept, const char *const *bases, u32 baseCount) {
  char at[DOCREF_WORK];
  if (!StaysInside(kept)) return false;
  bool beside = from && from[0] && Beside(from, kept, at, sizeof at) && DocRef_Exists(at);
  for (u32 i = 0; i < baseCount; i++)
    if (bases[i] && bases[i][0] && Beside(bases[i], kept, at, sizeof at) && DocRef_Exists(at) &&
        (!beside || SameFolder(from, bases[i])))
      return true;
  return false;
}

bool DocRef_Rebase(const char *from, const char *to, char *kept, size_t size, const char *const *bases,
                   u32 baseCount) {
  if (!kept || !kept[0] || !to || !to[0]) return true;
  if (!DocRef_IsFull(kept) && (SameFolder(from, to) || InBase(from, kept, bases, baseCount))) return true;
  char found[DOCREF_WORK], again[DOCREF_WORK];
  // A missing file of a document that has no folder yet stays as it is: nothing says which
  // folder it was meant from (a missing one of a document with a folder is kept where it was
  // expected, beside that document).
  if (!DocRef_Find(from, kept, bases, baseCount, found, sizeof found) && (!from || !from[0])) return true;
  // Relative to the new folder when that fits the field, else the full path.
  if (size > sizeof again || !DocRef_Keep(to, found, again, size)) return false;
  Str_Copy(kept, size, again);
  return true;
}

const char kDocRefMsgTooLong[] = "次のファイルは場所が長すぎて、覚えておくことができません。\n%s";
const char kDocRefMsgSaveTooLong[] =
    "次のファイルは、保存先のフォルダからは場所が長すぎて覚えておくことができないため、保存しませんでした。\n%s";

bool DocRef_Choose(char *folder, size_t folderSize, const char *file, char *out, size_t size) {
  char own[DOCREF_WORK];
  if (!file || !file[0]) return false;
  if (folder[0]) Str_Copy(own, sizeof own, folder);
  else if (!DocRef_Folder(file, own, sizeof own) || strlen(own) >= folderSize) return false;
  if (!DocRef_Keep(own, file, out, size)) return false;
  if (!folder[0]) Str_Copy(folder, folderSize, own);
  return true;
}

bool DocRef_RefuseSave(ModelResult *r, const char *name) {
  char text[sizeof r->message];
  Str_Format(text, sizeof text, kDocRefMsgSaveTooLong, name ? name : "");
  return ModelResult_Refuse(r, text);
}
