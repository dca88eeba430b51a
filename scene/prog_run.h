// The script runtime and the program family's operations: run, stop, the statement
// executor, the image-draw queue and the family's enter, leave, update, draw, key and menu
// hooks.
//
// The executor reaches the program only through the scene seam (scene/scene_seam.h): the
// program fills it with the library's calls (prog_host.cpp, prog_win.cpp), native tests with
// a recording fake. An empty entry does nothing (readers report "missing"). The source
// dialog's text and activation go through the widget seam. Owner of the running state:
// prog_run.cpp; the seam's entries are set once at start-up.
#pragma once
#include "app/hook_ctx.h"
#include "scene/prog.h"
#include "scene/scene_seam.h"

// Operations on a model slot and on a scene object, as the executor names them.
enum { PROG_MODEL_LIGHT = 0, PROG_MODEL_MOTION = 1, PROG_MODEL_RENDER_MODE = 2 };
enum { PROG_OBJECT_POSITION = 0, PROG_OBJECT_ANGLES = 1, PROG_OBJECT_SCALE = 2 };
enum { PROG_CAMERA_EYE = 0, PROG_CAMERA_TARGET = 1, PROG_CAMERA_LIGHT = 2 };

// Fills every runtime entry that the library's portable calls serve (prog_host.cpp).
void Prog_InstallLibraryHost(void);
// Windows build: the family's window entries and the edit text of the compile (prog_win.cpp).
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
FamilyHookFn Prog_Update, Prog_Draw, Prog_KeyUp, Prog_Command, Prog_Enter, Prog_Leave;
// Fills the edit control from the source file; false when the file cannot be read.
bool Prog_LoadSource(void);
// F5 and F6 of the shell's key table. The same release also reaches Prog_KeyUp through the
// main loop; whichever comes second does nothing, so a release runs or stops once.
void Prog_ShellRunKey(void);
void Prog_ShellStopKey(void);
