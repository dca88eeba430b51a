// The 2D model family's rows: the family row that the shell calls and one row per sub-mode
// holding its dispatch table. The family row's enter, leave, update, draws, command and list
// refresh are the family shell's (ed2d_shell.cpp), which call the sub-mode's own cells in turn;
// the shell hands mouse messages to the row of g_Shell.g_EditSubMode itself (Family_MouseRow).
#include "edit2d/ed2d_rows.h"

#include "app/current.h"
#include "app/drag_anchors.h"
#include "app/shell_seam.h"
#include "app/shell_view.h"
#include "edit2d/ed2d.h"
#include "edit2d/ed2d_motion.h"
#include "edit2d/ed2d_object.h"
#include "edit2d/ed2d_submode.h"
#include "edit2d/ed2d_poly.h"
#include "edit2d/ed2d_tex.h"

FamilyHooks g_Ed2DSubModeRows[ED2D_SUB_MODE_ROWS];

const FamilyHooks *Ed2D_SubModeRow(void) {
  return Family_SubRow(g_Ed2DSubModeRows, ED2D_FIRST_SUB_MODE, ED2D_SUB_MODE_ROWS, g_Shell.g_EditSubMode);
}

// [SECTION] family row (no key hooks in this family)
static void Ed2D_WheelKey(const HookCtx *c) { Family_Pass(Ed2D_SubModeRow(), &FamilyHooks::wheelKey, c); }

static const FamilyHooks kFamilyRow = {
  Ed2D_Enter, Ed2D_Leave, Ed2D_Update, Ed2D_DrawScene, Ed2D_Draw,
  nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,   // mouse: the shell calls the sub-mode's row
  nullptr, nullptr, nullptr, nullptr, Ed2D_Command,
  Ed2D_WheelKey, nullptr, Ed2D_RefreshLists, nullptr, Ed2D_DocumentChanged,
  g_Ed2DSubModeRows, ED2D_FIRST_SUB_MODE, ED2D_SUB_MODE_ROWS,
};

static void TexRefreshLists(const HookCtx *c) { Ed2D_TexRefreshLists(c->sel); }

// [SECTION] sub-mode rows: init leave update - draw | lDown lUp mDown mUp rDown rUp move
static const FamilyHooks kRows[ED2D_SUB_MODE_ROWS] = {
  {Ed2D_ObjInit, Ed2D_ObjLeave, Ed2D_ObjUpdate, nullptr, Ed2D_ObjDraw,
   Ed2D_ObjLButtonDown, Ed2D_RedrawOnRelease, Ed3D_SetDragAnchors, nullptr, Effect_SetDragAnchor, nullptr,
   Ed2D_ObjMouseMove, nullptr, nullptr, nullptr, nullptr, Ed2D_ObjectWheelKey},
  {},   // 5: no sub-mode
  {Ed2D_PolyInit, Ed2D_PolyLeave, Ed2D_PolyUpdate, nullptr, Ed2D_PolyDraw,
   Ed2D_LButtonDownAnchors, Ed2D_PolyLButtonUp, Ed2D_MButtonDownAnchors, Ed2D_PolyFreeCreate,
   Ed2D_RButtonDownAnchors, Ed2D_PolyRButtonUp, Ed2D_PolyMouseMove},
  {Ed2D_TexInit, Ed2D_TexLeave, Ed2D_TexUpdate, nullptr, Ed2D_PolyDraw,
   Ed2D_TexLButtonDown, nullptr, Ed2D_MButtonDownAnchors, nullptr, Ed2D_RButtonDownAnchors, nullptr,
   Ed2D_TexMouseMove, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, TexRefreshLists},
  {Ed2D_BoneInit, nullptr, Ed2D_BoneUpdate, nullptr, Ed2D_BoneDraw,
   Ed2D_SetDragAnchors, nullptr, Ed2D_SetDragAnchors, nullptr, Ed2D_RButtonDownAnchors, Ed2D_BoneRButtonUp,
   Ed2D_BoneMouseMove},
  {Ed2D_WeightInit, Ed2D_WeightLeave, Ed2D_WeightUpdate, nullptr, Ed2D_WeightDraw,
   Ed2D_LButtonDownAnchors, nullptr, Ed2D_MButtonDownAnchors, nullptr, Ed2D_RButtonDownAnchors,
   Ed2D_WeightRButtonUp, Ed2D_WeightMouseMove},
  {Ed2D_MotionInit, Ed2D_MotionLeave, Ed2D_MotionUpdate, nullptr, Ed2D_MotionDraw,
   Ed2D_MotionLButtonDown, Ed2D_RedrawOnRelease, Ed2D_SetDragAnchors, nullptr, Ed2D_RButtonDownAnchors, nullptr,
   Ed2D_MotionMouseMove, nullptr, nullptr, nullptr, nullptr, Ed2D_MotionWheelKey},
};

void Edit2D_Install(void) {
  for (u32 i = 0; i < ED2D_SUB_MODE_ROWS; i++) g_Ed2DSubModeRows[i] = kRows[i];
  Family_InstallRow(FAMILY_2D_MODEL, &kFamilyRow);
  Ed2D_ObjInstall();
  Ed2D_MotionInstall();
  Ed2D_InstallMirror();
}
