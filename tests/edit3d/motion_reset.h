// The shell and the 3D motion editor as every motion test starts: no shell seams, tree rows
// or views, a fresh editor with no ring chosen, the motion sub-mode with bone 1 and group 0
// current, nothing playing and no mouse button held.
#pragma once
#include <string.h>

#include "app/current.h"
#include "app/family.h"
#include "app/shell_seam.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/tree.h"
#include "app/views.h"
#include "edit3d/ed3d_motion.h"
#include "model/seam.h"

inline void MotionReset_3D(void (*errorBox)(const char *), u32 activeView) {
  g_Seam.errorBox = errorBox;
  memset(&g_ShellSeam, 0, sizeof g_ShellSeam);
  memset(&g_TreeRows, 0, sizeof g_TreeRows);
  memset(g_Shell.g_Views, 0, sizeof g_Shell.g_Views);
  g_Ed3DMotion = Ed3DMotionEditor{};
  g_Ed3DMotion.ring = -1;
  g_Shell.g_EditFamily = FAMILY_3D_MODEL;
  g_Shell.g_EditSubMode = SUB_3D_MOTION;
  g_Shell.g_ActiveView = activeView;
  g_Shell.g_Playing = 0;
  g_Sel.g_CurBoneIndex = 1;
  g_Sel.g_CurGroupIndex = 0;
  for (u32 b = 0; b < 3; b++) Shell_SetButtonHeld(b, 0);
}
