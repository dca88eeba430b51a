// Installs the program's rows and hooks once, before main (linked into every test program).
#include "program.h"

#include "app/family.h"
#include "app/preview.h"
#include "edit2d/ed2d_rows.h"
#include "edit3d/ed3d_rows.h"
#include "lib/draw/texture.h"
#include "scene/scene_rows.h"

void Support_InstallProgram(void) {
  Edit3D_Install();
  Edit2D_Install();
  Scene_Install();
  Preview_Install();
  App_InstallLibHooks();
  Tex_InstallSeam();
}

static const bool s_installed = (Support_InstallProgram(), true);
