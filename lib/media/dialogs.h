// The open, save and folder dialogs of the library.
//
// The convention the whole program relies on: a dialog returns the chosen file's bare name
// (no folder) and leaves the current directory at the folder where it lies, also when the
// user typed a full or relative path; the caller opens the file by that name. Open dialogs
// remember that folder and start there next time.
//
// The decisions (filter text, buffers, initial folder, what is remembered) are portable;
// the platform dialog itself is one call in g_LibHooks.fileDlg, which the Windows program
// fills (dialogs_win.cpp, through the modal hooks so that tests can answer it) and native
// tests replace with a fake. Global owned here: g_FileDlg.
#pragma once
#include "lib/framework/lib.h"
#include "model/types.h"

enum { FILEDLG_TEXT = 256 };

// One set of buffers per dialog kind; results point into them.
struct FileDlgBuffers {
  char filter[FILEDLG_TEXT];
  char file[FILEDLG_TEXT];
  char title[FILEDLG_TEXT];
};

struct FileDlgState {
  char folder[FILEDLG_TEXT];   // remembered folder, empty at start
  FileDlgBuffers openByExt;
  FileDlgBuffers openWithFilter;
  FileDlgBuffers save;
};
extern FileDlgState g_FileDlg;

// What the platform dialog is asked to show.
struct FileDlgRequest {
  void *owner;                 // owner window
  const char *filter;          // double-NUL-terminated pairs
  char *file;                  // in: default name; out: full path (FILEDLG_TEXT bytes)
  char *fileTitle;             // out: name with extension, no folder (FILEDLG_TEXT bytes)
  const char *initialDir;
  const char *dialogTitle;
  const char *defaultExt;      // save only
  bool save;
};

// Fills g_LibHooks.fileDlg with the common dialogs (dialogs_win.cpp, Windows build).
void FileDlg_InstallPlatform(void);

const char *FileDlg_OpenByExt(void *owner, const char *extension, const char *title, const char *defaultName);
const char *FileDlg_OpenWithFilter(void *owner, const char *filter, const char *title, const char *defaultName);
const char *FileDlg_SaveByExt(void *owner, const char *extension, const char *title, const char *defaultName);
void FileDlg_SetInitialDir(const char *path);
bool FileDlg_BrowseFolder(char *out);

// "<ext> Files (*.<ext>)", NUL, "*.<ext>", NUL, NUL into out (size bytes). False (and an
// empty filter) when it does not fit.
bool FileDlg_BuildFilter(char *out, size_t size, const char *extension);
// Title of the folder chooser.
const char *FileDlg_BrowseTitle(void);
// Length of a double-NUL-terminated filter within size bytes, or 0 when it is not terminated.
size_t FileDlg_FilterLength(const char *filter, size_t size);
