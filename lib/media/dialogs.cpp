// File dialogs: filters, buffers, the remembered folder and the current-folder convention.
#include "lib/media/dialogs.h"

#include <string.h>
#if defined(_WIN32)
#include <direct.h>
#define getcwd _getcwd
#else
#include <unistd.h>
#endif

#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/media/filename.h"
#include "model/bytes.h"
#include "model/seam_timer.h"
#include "model/str.h"

FileDlgState g_FileDlg;

static const char kBrowseTitle[] = "フォルダを選択して下さい";

bool FileDlg_BuildFilter(char *out, size_t size, const char *extension) {
  if (!out || size < 2) return false;
  out[0] = out[1] = 0;
  if (!extension) extension = "";
  char label[FILEDLG_TEXT], pattern[FILEDLG_TEXT];
  size_t a = (size_t)Str_Format(label, sizeof label, "%s Files (*.%s)", extension, extension);
  size_t b = (size_t)Str_Format(pattern, sizeof pattern, "*.%s", extension);
  size_t e = strlen(extension);
  // Either part cut by the bounded format, or both not fitting, refuses the extension.
  if (a != 2 * e + 11 || b != e + 2 || a + 1 + b + 2 > size) return false;
  memcpy(out, label, a + 1);
  memcpy(out + a + 1, pattern, b + 1);
  out[a + 1 + b + 1] = 0;
  return true;
}

size_t FileDlg_FilterLength(const char *filter, size_t size) {
  if (!filter) return 0;
  for (size_t i = 0; i + 1 < size; i++)
    if (filter[i] == 0 && filter[i + 1] == 0) return i + 2;
  return 0;
}

// The dialog changes the current folder only when the user browses; a full or relative path
// typed into its name box leaves it where it was. So the folder of the full path the dialog
// returns is made current here, and the bare name then names the chosen file. Where that
// folder cannot be entered the full path is the result, so the caller's read or write
// reports that very file.
static const char *EnterChosenFolder(FileDlgBuffers *buf) {
  size_t at = File_NameOffset(buf->file);
  if (at == 0) {   // a bare name: it lies in the current folder
    Str_Copy(buf->title, sizeof buf->title, buf->file);
    return buf->title;
  }
  char folder[FILEDLG_TEXT];
  Str_Format(folder, sizeof folder, "%.*s", (int)at, buf->file);
  if (FileDlg_ChangeDir(folder) != 0) return buf->file;
  Str_Copy(buf->title, sizeof buf->title, buf->file + at);
  return buf->title;
}

// Runs the platform dialog over one set of buffers; the bare name or "".
static const char *FileDlg_Run(FileDlgBuffers *buf, FileDlgRequest *req, const char *defaultName) {
  Str_Format(buf->file, sizeof buf->file, "%s", defaultName ? defaultName : "");
  buf->title[0] = 0;
  req->filter = buf->filter;
  req->file = buf->file;
  req->fileTitle = buf->title;
  bool ok = g_LibHooks.fileDlg.run && g_LibHooks.fileDlg.run(req);
  Timer_Reset();
  if (!ok) {
    buf->title[0] = 0;
    return "";
  }
  buf->file[sizeof buf->file - 1] = 0;
  return EnterChosenFolder(buf);
}

// The open dialogs start in the remembered folder, or in the data folder at first.
static const char *OpenInitialDir(void) { return g_FileDlg.folder[0] ? g_FileDlg.folder : g_Lib.dataDir; }

// After OK the dialog has left the current directory at the chosen file's folder.
static void RememberCurrentDir(void) {
  char cwd[FILEDLG_TEXT];
  if (getcwd(cwd, sizeof cwd)) Str_Copy(g_FileDlg.folder, sizeof g_FileDlg.folder, cwd);
}

// An open dialog over buf's filter, from the remembered folder (or the data folder); the
// folder of a chosen file is remembered.
static const char *RunOpen(FileDlgBuffers *buf, void *owner, const char *title, const char *defaultName) {
  FileDlgRequest req = {owner, nullptr, nullptr, nullptr, OpenInitialDir(), title, nullptr, false};
  const char *r = FileDlg_Run(buf, &req, defaultName);
  if (r[0]) RememberCurrentDir();
  return r;
}

const char *FileDlg_OpenByExt(void *owner, const char *extension, const char *title, const char *defaultName) {
  FileDlgBuffers *buf = &g_FileDlg.openByExt;
  if (!FileDlg_BuildFilter(buf->filter, sizeof buf->filter, extension)) return "";
  return RunOpen(buf, owner, title, defaultName);
}

const char *FileDlg_OpenWithFilter(void *owner, const char *filter, const char *title, const char *defaultName) {
  FileDlgBuffers *buf = &g_FileDlg.openWithFilter;
  size_t n = FileDlg_FilterLength(filter, sizeof buf->filter);
  if (n == 0) return "";   // a filter without its double NUL within 256 bytes is refused
  memcpy(buf->filter, filter, n);
  return RunOpen(buf, owner, title, defaultName);
}

const char *FileDlg_SaveByExt(void *owner, const char *extension, const char *title, const char *defaultName) {
  FileDlgBuffers *buf = &g_FileDlg.save;
  if (!FileDlg_BuildFilter(buf->filter, sizeof buf->filter, extension)) return "";
  // The save dialog starts in the remembered folder only and does not update it.
  FileDlgRequest req = {owner, nullptr, nullptr, nullptr, g_FileDlg.folder, title, extension, true};
  return FileDlg_Run(buf, &req, defaultName);
}

void FileDlg_SetInitialDir(const char *path) {
  Str_Format(g_FileDlg.folder, sizeof g_FileDlg.folder, "%s", path ? path : "");
}

bool FileDlg_BrowseFolder(char *out) {
  if (!out) return false;
  char start[FILEDLG_TEXT];
  if (!getcwd(start, sizeof start - 1)) start[0] = 0;
  memset(out, 0, FILEDLG_TEXT);
  bool ok = g_LibHooks.fileDlg.browseFolder && g_LibHooks.fileDlg.browseFolder(start, out);
  out[FILEDLG_TEXT - 1] = 0;
  Timer_Reset();
  return ok;
}

const char *FileDlg_BrowseTitle(void) { return kBrowseTitle; }
