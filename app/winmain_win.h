// The editors' installation, written once: WinMain and the tests that start the whole program
// call it. Like WinMain it sits above every editor folder, so it is the one header of app/ that
// names them; no file of the app library includes it.
#pragma once
#include "app/widget_win.h"
#include "edit2d/ed2d_motion_win.h"
#include "edit2d/ed2d_object_win.h"
#include "edit2d/ed2d_rows.h"
#include "edit2d/ed2d_win.h"
#include "edit3d/ed3d_rows.h"
#include "edit3d/ed3d_win.h"
#include "edit3d/undo_win.h"
#include "scene/coli_edit_win.h"
#include "scene/effect_edit.h"
#include "scene/map2.h"
#include "scene/movie_edit_win.h"
#include "scene/prog_run.h"
#include "scene/scene_rows.h"

// Every editor installs its hook rows, entries and Windows calls into the shell, before the
// shell starts.
inline void WinMain_InstallEditors(void) {
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
}
