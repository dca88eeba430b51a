// The shell's outward calls into the library and the editors that the portable shell code
// cannot make itself (device resets, menus, modal questions, editors not built yet). The Windows program fills g_ShellSeam at start-up; native tests fill it
// with recording fakes. An empty entry does nothing (and a question answers "yes").
#pragma once
#include "model/types.h"

enum { BUTTON_LEFT = 0, BUTTON_MIDDLE = 1, BUTTON_RIGHT = 2 };

struct ShellSeam {
  // Library options that reset the device (Windows build only).
  void (*flagTargetForClear)(u32 target);
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
  // The per-frame pose pass (run before fitting every view).
  void (*poseAll)(void);
  // The per-frame passes after the family's update hook.
  void (*framePasses)(void);
  // Hover pick under the cursor (3D editors).
  void (*pickUnderCursor)(void);
  // Rebuilds the current pointers of the model data (slot tables) into the shell's cache.
  void (*refreshModelPointers)(void);
  // True when the current 3D layer holds a model.
  bool (*hasCurrentModel3)(void);
  // Fills the lists and trees of the current family.
  void (*refreshFamilyLists)(void);
  // Shell commands of the main window (App_RouteCommand).
  // Asks "終了しても、よろしいですか？"; true when the main window is now closed.
  bool (*confirmExit)(void);
  void (*openOptions)(void);
  void (*openDownloadPage)(void);
  void (*addView)(void);
  void (*fileCommand)(u32 commandId);
};
extern ShellSeam g_ShellSeam;

u32 Shell_ButtonHeld(u32 button);
bool Shell_AnyButtonHeld(void);
void Shell_SetButtonHeld(u32 button, u32 held);
