// The script runtime and the program family's operations: run, stop, the statement
// executor, the image-draw queue and the family's enter, leave, update, draw, key and menu
// hooks.
//
// The executor reaches the program only through g_ProgHost: the program fills it with the
// library's calls (prog_host.cpp, prog_win.cpp), native tests with a recording fake. An
// empty entry does nothing (readers report "missing"). Owner of the running state:
// prog_run.cpp; the host entries are set once at start-up.
#pragma once
#include "scene/prog.h"

// Operations on a model slot and on a scene object, as the executor names them.
enum { PROG_MODEL_LIGHT = 0, PROG_MODEL_MOTION = 1, PROG_MODEL_RENDER_MODE = 2 };
enum { PROG_OBJECT_POSITION = 0, PROG_OBJECT_ANGLES = 1, PROG_OBJECT_SCALE = 2 };
enum { PROG_CAMERA_EYE = 0, PROG_CAMERA_TARGET = 1, PROG_CAMERA_LIGHT = 2 };

struct ProgHost {
  // Queues one line of screen text, printed as it stands (not a format).
  void (*print)(i32 x, i32 y, const char *text);
  // False while screen-text output is suppressed.
  bool (*textOn)(void);
  // Loads an image into the handle's row (its own row again on a reload); the row or -1.
  i32 (*imageLoad)(ImageHandle *handle, const char *path);
  void (*imageDraw)(const ImageHandle *handle, i32 x, i32 y);
  // Makes model slot `slot` anew and reads the file into it (the current folder); true when read.
  bool (*modelLoad)(i32 slot, const char *path);
  // Sets a property of the model in a slot; false when the slot is empty.
  bool (*modelSet)(i32 slot, i32 what, i32 value);
  // True when scene object n exists; create makes it (false when it could not).
  bool (*objectExists)(i32 n);
  bool (*objectCreate)(i32 n);
  // Moves, turns (degrees) or scales scene object n; false when it does not exist.
  bool (*objectSet)(i32 n, i32 what, f32 x, f32 y, f32 z);
  void (*camera)(i32 what, f32 x, f32 y, f32 z);
  // True while the virtual key is held (the library's key state).
  bool (*keyHeld)(i32 virtualKey);
  void (*changeDir)(const char *path);
  // Back to the data folder.
  void (*toDataDir)(void);
  void (*freeModels)(void);       // every 3D model slot
  void (*stepAnimations)(void);   // one frame of every loaded model's motion
  void (*markAllRedraw)(void);
  void (*flagMainView)(void);     // view 0 of the current layout in use and to be redrawn
  void (*activateMain)(void);     // the main window
  void (*activateSource)(void);   // the source dialog
  // Family entry and exit: the menu, the source dialog and the log window (platform side).
  void (*enterWindows)(void);
  void (*leaveWindows)(void);
  // Puts text into the source edit control (whole), or clears it for null.
  void (*setEditText)(const char *text, size_t size);
  // The source file dialog: the chosen name, or null; it leaves the chosen folder current.
  const char *(*chooseSource)(const char *defaultName);
  // The current folder into out (size bytes); false when it does not fit.
  bool (*currentDir)(char *out, size_t size);
  void (*clearAllModels)(void);
};
extern ProgHost g_ProgHost;

// Fills every entry that the library's portable calls serve (prog_host.cpp).
void Prog_InstallLibraryHost(void);
// Windows build: the source dialog's entries and the edit text of the compile (prog_win.cpp).
void Prog_InstallWin(void);

// [SECTION] Runtime

// Current block and statement 0, values 0.0, strings emptied, the queue and the per-line
// reports cleared; variable names and count stay.
void Prog_ResetState(void);
// Executes statements for one frame (at most 1000; ScreenDraw ends the frame early).
void Prog_Execute(void);
// Appends an image draw (nothing while text output is off or 1023 are queued).
void Prog_QueueImage(i32 slot, i32 x, i32 y);

// [SECTION] Family operations

void Prog_Run(void);
void Prog_Stop(void);
void Prog_Update(void);
void Prog_Draw(void);
void Prog_KeyUp(u32 virtualKey);
void Prog_Command(u32 commandId);
void Prog_Enter(void);
void Prog_Leave(void);
// Fills the edit control from the source file; false when the file cannot be read.
bool Prog_LoadSource(void);
// F5 and F6 of the shell's key table. The same release also reaches Prog_KeyUp through the
// main loop; whichever comes second does nothing, so a release runs or stops once.
void Prog_ShellRunKey(void);
void Prog_ShellStopKey(void);
