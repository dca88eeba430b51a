// The shell's outward calls that the portable shell code cannot make itself: the platform
// (device resets, menus, windows, modal questions) and the registered entries that editors
// fill when the program starts (undo steps, 2D pointers, strips, movie tables). The Windows
// program fills the platform entries at start-up; native tests fill them with recording
// fakes. An empty entry does nothing (and a question answers "yes"). The entries the editors
// fill for the File menu, the keys, the per-frame update and playback are g_ShellEntries
// (app/entries.h).
#pragma once
#include "app/views.h"
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
  // The current slot's document was saved under another name: its recorded steps of file
  // `from` name file `to` from now on.
  void (*undoFileSaved)(const char *from, const char *to);
  // Camera placement and projection of the fit command.
  const FitCamera *fitCamera;
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
  // Keeps the current layout's work areas clear of every other window (on), or lets them go.
  void (*keepWorkAreas)(bool on);
  void (*destroyExtraViews)(void);
  // Frame passes of the library that are not built into the shell.
  void (*setBrightness)(f32 level);
  void (*setCamera)(const f32 eye[3], const f32 target[3]);
  void (*redrawStrips)(void);
  void (*buildMovieFrameTables)(void);
  // The strips' canvas (app/strip.h): text into the canvas, and the canvas rectangle
  // (0, 0, w, h) copied to a window at x = dstX.
  void (*stripText)(i32 x, i32 y, u32 rgb, const char *text);
  void (*stripBlit)(void *window, i32 dstX, i32 w, i32 h);
  // The per-frame update's window calls (app/update.h): the view under activation becomes
  // g_Shell.g_ActiveView; the main window's title; the full-screen quad's colour.
  void (*findActiveView)(void);
  void (*setMainTitle)(const char *text);
  void (*setScreenQuadColor)(f32 r, f32 g, f32 b, f32 a);
  // The preview's render dialog (app/preview.h): creates it owned by the main window and
  // shows it; saves the back buffer as a file in the root folder (false when it could not be
  // written); destroys it (the family is left).
  void *(*previewCreateDialog)(void);
  bool (*previewSaveBackBuffer)(const char *name);
  void (*previewCloseDialog)(void *window);
};
extern ShellSeam g_ShellSeam;

u32 Shell_ButtonHeld(u32 button);
bool Shell_AnyButtonHeld(void);
void Shell_SetButtonHeld(u32 button, u32 held);
