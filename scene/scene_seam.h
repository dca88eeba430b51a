// The scene families' one seam to the platform: the library's drawing, screen text, images,
// model slots, scene objects, camera, keys and folders that the script runtime and the
// collision editor use, the program family's windows, and the movie editor's render and video
// calls. Panels, fields and activation go through the widget seam (app/widget.h) instead.
//
// Global owned here: g_SceneSeam. The drawing entries hold the library's calls from the
// start (scene_seam.cpp); Scene_Install fills the runtime's (prog_host.cpp), the Windows
// program the windows and the movie calls (prog_win.cpp, movie_edit_win.cpp); native tests
// replace entries with recording fakes. An empty entry does nothing (readers report
// "missing", a render step fails).
#pragma once
#include <stddef.h>

#include "model/types.h"

struct ImageHandle;

struct SceneSeam {
  // [SECTION] drawing (set from the start)
  // Queues one line of screen text, printed as it stands (not a format).
  void (*print)(i32 x, i32 y, const char *text);
  // Screen position (x, y, depth) of a world point in the current view.
  void (*project)(f32 out[3], f32 x, f32 y, f32 z);
  void (*line)(const f32 a[3], const f32 b[3], i32 r, i32 g, i32 bl);
  // One translucent triangle of the collision model with the normal of its polygon.
  void (*triangle)(const f32 p[9], const f32 n[3]);
  // [SECTION] the script runtime
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
  // Makes path the current folder; false when it cannot.
  bool (*changeDir)(const char *path);
  // Back to the data folder.
  void (*toDataDir)(void);
  void (*freeModels)(void);       // every 3D model slot
  void (*stepAnimations)(void);   // one frame of every loaded model's motion
  void (*markAllRedraw)(void);
  void (*flagMainView)(void);     // view 0 of the current layout in use and to be redrawn
  // The source file dialog: the chosen name, or null; it leaves the chosen folder current.
  const char *(*chooseSource)(const char *defaultName);
  // The current folder into out (size bytes); false when it does not fit.
  bool (*currentDir)(char *out, size_t size);
  void (*clearAllModels)(void);
  // [SECTION] the program family's windows
  // Family entry and exit: the menu, the source dialog and the log window (platform side).
  void (*enterWindows)(void);
  void (*leaveWindows)(void);
  // [SECTION] the movie editor's render and video (Windows only)
  void (*frameStep)(void);   // one frame rendered into the back buffer, not presented
  bool (*saveRect)(const char *name, i32 left, i32 top, i32 right, i32 bottom);
  bool (*aviStart)(const char *name, u32 frameRate);
  void (*aviStop)(void);
  // MCI window: opens and plays path (false: cannot play, no window left), stops and closes
  // it. A video shows in the main window's client area; music plays with no window shown.
  bool (*videoOpen)(const char *path, bool video);
  bool (*videoRestart)(void);   // the open file from its beginning again (false: none open)
  void (*videoClose)(void);
};
extern SceneSeam g_SceneSeam;
