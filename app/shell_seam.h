// The shell's outward calls into the library and the editors that the portable shell code
// cannot make itself (device resets, menus, modal questions, editors not built yet). The Windows program fills g_ShellSeam at start-up; native tests fill it
// with recording fakes. An empty entry does nothing (and a question answers "yes").
#pragma once
#include "model/types.h"

struct FitCamera;

enum { BUTTON_LEFT = 0, BUTTON_MIDDLE = 1, BUTTON_RIGHT = 2 };

struct ShellSeam {
  // Library options that reset the device (Windows build only).
  void (*setVSync)(u32 on);
  void (*setAntialias)(u32 on);
  // Moves the main window to g_MainWndRect and resets the device to its size.
  void (*applyMainWndRect)(void);
  // Detaches the family menu from the main window and destroys it.
  void (*destroyMenu)(void *menu);
  // Yes/no question with the program caption; true for yes.
  bool (*askYesNo)(const char *text);
  // Slot 0 becomes a new empty model with full arrays.
  void (*newModelInSlot0)(void);
  // Undo histories of every slot emptied; one step with `label` pushed for the current slot.
  void (*undoResetAll)(void);
  void (*undoPush)(const char *label);
  // Scene object 0's rotation angles.
  void (*setObject0Rotation)(f32 x, f32 y, f32 z);
  // Camera placement and projection of the fit command.
  const FitCamera *fitCamera;
  // The per-frame pose pass (run before fitting every view).
  void (*poseAll)(void);
  // The per-frame passes after the family's update hook.
  void (*framePasses)(void);
  // Hover pick under the cursor (3D editors).
  void (*pickUnderCursor)(void);
  // Rebuilds the current pointers of the 2D model data (after the 3D ones, app/current.h).
  void (*refreshModelPointers)(void);
  // Fills the lists and trees of the current family.
  void (*refreshFamilyLists)(void);
  // Shell commands of the main window (App_RouteCommand).
  // Asks "終了しても、よろしいですか？"; true when the main window is now closed.
  bool (*confirmExit)(void);
  void (*openOptions)(void);
  void (*openDownloadPage)(void);
  void (*addView)(void);
  void (*fileCommand)(u32 commandId);
  // Loads a menu template and makes it the main window's menu; returns its handle.
  void *(*loadFamilyMenu)(const char *name);
  // Creates the current layout's view windows / destroys views 1..count-1.
  void (*createViewWindows)(void);
  void (*destroyExtraViews)(void);
  // Frame passes of the library that are not built into the shell.
  void (*setSceneDraw)(u32 on);
  void (*setBrightness)(f32 level);
  void (*setCamera)(const f32 eye[3], const f32 target[3]);
  void (*redrawStrips)(void);
  void (*buildMovieFrameTables)(void);
  // Creates scene object n showing model slot n.
  void (*objectInit)(i32 n);
};
extern ShellSeam g_ShellSeam;

u32 Shell_ButtonHeld(u32 button);
bool Shell_AnyButtonHeld(void);
void Shell_SetButtonHeld(u32 button, u32 held);
