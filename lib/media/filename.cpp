// File-name utilities: extension, stem, existence and changing folder.
#include "lib/media/filename.h"

#include <stdio.h>
#include <string.h>
#if defined(_WIN32)
#include <direct.h>
#define chdir _chdir
#else
#include <unistd.h>
#endif

#include "model/cp932.h"

// Position of the last point of name when it is not the first character, or -1.
static long LastDotAfterFirst(const char *name) {
  const char *dot = strrchr(name, '.');
  if (!dot || dot == name) return -1;
  return (long)(dot - name);
}

// The results of the two calls below (valid until the same call again).
static struct {
  char ext[256];
  char stem[256];
} s_Name;

const char *FileDlg_GetExtension(const char *name) {
  char (&ext)[256] = s_Name.ext;
  ext[0] = 0;
  if (!name) return ext;
  long dot = LastDotAfterFirst(name);
  if (dot >= 0) Str_Copy(ext, sizeof ext, name + dot + 1);
  return ext;
}

const char *FileDlg_StripExtension(const char *name) {
  char (&stem)[256] = s_Name.stem;
  stem[0] = 0;
  if (!name || !name[0]) return stem;
  long dot = LastDotAfterFirst(name);
  if (dot < 0) return stem;
  size_t n = (size_t)dot < sizeof stem - 1 ? (size_t)dot : sizeof stem - 1;
  n = Cp932_CutLength(name, n);
  memcpy(stem, name, n);
  stem[n] = 0;
  return stem;
}

bool FileDlg_FileExists(const char *name) {
  if (!name || !name[0]) return false;
  FILE *f = fopen(name, "rb");
  if (!f) return false;
  fclose(f);
  return true;
}

int FileDlg_ChangeDir(const char *path) { return path ? chdir(path) : -1; }
