// Program entry point: each editor folder installs its hook rows, then the shell's start-up
// and the message loop until WM_QUIT. The one place that names the editor folders: it sits
// above them all.
#include <windows.h>

#include "app/startup_win.h"
#include "app/widget_win.h"
#include "edit2d/ed2d_rows.h"
#include "edit3d/ed3d_rows.h"
#include "edit2d/ed2d_motion_win.h"
#include "edit2d/ed2d_object_win.h"
#include "edit2d/ed2d_win.h"
#include "edit3d/ed3d_win.h"
#include "scene/effect_edit.h"
#include "scene/map2.h"
#include "scene/prog_run.h"
#include "scene/scene_rows.h"
#include "scene/coli_edit_win.h"
#include "scene/movie_edit_win.h"
#include "edit3d/undo_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  // The editors install their rows and entries into the shell before it starts.
  Widget_InstallWin();
  Edit3D_Install();
  Undo_InstallWin();
  Ed3D_InstallWin();
  Ed2D_InstallWin();
  Ed2D_ObjInstallWin();
  Ed2D_MotionInstallWin();
  Edit2D_Install();
  Scene_Install();
  Prog_InstallWin();
  Coli_InstallWin();
  Movie_InstallWin();
  Map2_InstallWin();
  Particle_InstallWin();
  if (!App_Startup(instance, commandLine)) return -1;
  return App_MainLoop();
}
