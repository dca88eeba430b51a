// The shell's outward calls that the portable shell code cannot make itself: the platform
// (device resets, menus, windows, modal questions) and the registered entries that editors
// fill when the program starts (undo steps, 2D pointers, strips, movie tables). The Windows
// program fills the platform entries at start-up; native tests fill them with recording
// fakes. An empty entry does nothing (and a question answers "yes").
#pragma once
#include "model/types.h"

struct FitCamera;

enum { BUTTON_LEFT = 0, BUTTON_MIDDLE = 1, BUTTON_RIGHT = 2 };

struct ShellSeam {
  // Library options that reset the device (Windows build only).
  void (*setVSync)(u32 on);
  void (*setAntialias)(u32 on);
  // Moves the main window to g_Options.g_MainWndRect and resets the device to its size.
  void (*applyMainWndRect)(void);
  // Detaches the family menu from the main window and destroys it.
  void (*destroyMenu)(void *menu);
  // Yes/no question with the program caption; true for yes.
  bool (*askYesNo)(const char *text);
  // Registered entries of the undo history (filled by it when it exists): every slot's
  // history emptied; one step with `label` pushed for the current slot.
  void (*undoResetAll)(void);
  void (*undoPush)(const char *label);
  // Camera placement and projection of the fit command.
  const FitCamera *fitCamera;
  // Rebuilds the current pointers of the 2D model data (after the 3D ones, app/current.h).
  void (*refreshModelPointers)(void);
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
  void (*setBrightness)(f32 level);
  void (*setCamera)(const f32 eye[3], const f32 target[3]);
  void (*redrawStrips)(void);
  void (*buildMovieFrameTables)(void);
};
extern ShellSeam g_ShellSeam;

u32 Shell_ButtonHeld(u32 button);
bool Shell_AnyButtonHeld(void);
void Shell_SetButtonHeld(u32 button, u32 held);
