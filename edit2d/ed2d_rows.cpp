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

const FamilyHooks *Ed2D_SubModeRow(u32 layout) {
  return Family_SubRow(g_Ed2DSubModeRows, ED2D_FIRST_SUB_MODE, ED2D_SUB_MODE_ROWS, layout);
}

// [SECTION] family row (no key hooks in this family)
static void Ed2D_WheelKey(const HookCtx *c) { Family_Pass(Ed2D_SubModeRow(c->layout), &FamilyHooks::wheelKey, c); }

static void InstallFamilyRow(void) {
  FamilyHooks r = {};   // mouse cells stay empty: the shell calls the sub-mode's row
  r.enter = Ed2D_Enter;
  r.leave = Ed2D_Leave;
  r.update = Ed2D_Update;
  r.drawScene = Ed2D_DrawScene;
  r.drawOverlay = Ed2D_Draw;
  r.command = Ed2D_Command;
  r.wheelKey = Ed2D_WheelKey;
  r.refreshLists = Ed2D_RefreshLists;
  r.documentChanged = Ed2D_DocumentChanged;
  r.subModeRows = g_Ed2DSubModeRows;
  r.firstSubMode = ED2D_FIRST_SUB_MODE;
  r.subModeCount = ED2D_SUB_MODE_ROWS;
  Family_InstallRow(FAMILY_2D_MODEL, &r);
}

static void TexRefreshLists(const HookCtx *c) { Ed2D_TexRefreshLists(c->sel); }

// [SECTION] sub-mode rows (each filled on an empty row; a cell not named stays empty)
static FamilyHooks *SubRow(u32 subMode) { return &g_Ed2DSubModeRows[subMode - ED2D_FIRST_SUB_MODE]; }

static void InstallObjectRow(FamilyHooks *r) {
  r->enter = Ed2D_ObjInit;
  r->leave = Ed2D_ObjLeave;
  r->update = Ed2D_ObjUpdate;
  r->drawOverlay = Ed2D_ObjDraw;
  r->lButtonDown = Ed2D_ObjLButtonDown;
  r->lButtonUp = DragAnchor_ReleaseRedraw;
  r->mButtonDown = DragAnchor_PressAll;
  r->rButtonDown = DragAnchor_PressAC;
  r->mouseMove = Ed2D_ObjMouseMove;
  r->wheelKey = Ed2D_ObjectWheelKey;
}

static void InstallPolyRow(FamilyHooks *r) {
  r->enter = Ed2D_PolyInit;
  r->leave = Ed2D_PolyLeave;
  r->update = Ed2D_PolyUpdate;
  r->drawOverlay = Ed2D_PolyDraw;
  r->lButtonDown = Ed2D_LButtonDownAnchors;
  r->lButtonUp = Ed2D_PolyLButtonUp;
  r->mButtonDown = Ed2D_MButtonDownAnchors;
  r->mButtonUp = Ed2D_PolyFreeCreate;
  r->rButtonDown = Ed2D_RButtonDownAnchors;
  r->rButtonUp = Ed2D_PolyRButtonUp;
  r->mouseMove = Ed2D_PolyMouseMove;
}

static void InstallTexRow(FamilyHooks *r) {
  r->enter = Ed2D_TexInit;
  r->leave = Ed2D_TexLeave;
  r->update = Ed2D_TexUpdate;
  r->drawOverlay = Ed2D_PolyDraw;
  r->lButtonDown = Ed2D_TexLButtonDown;
  r->mButtonDown = Ed2D_MButtonDownAnchors;
  r->rButtonDown = Ed2D_RButtonDownAnchors;
  r->mouseMove = Ed2D_TexMouseMove;
  r->refreshLists = TexRefreshLists;
}

static void InstallBoneRow(FamilyHooks *r) {
  r->enter = Ed2D_BoneInit;
  r->update = Ed2D_BoneUpdate;
  r->drawOverlay = Ed2D_BoneDraw;
  r->lButtonDown = Ed2D_SetDragAnchors;
  r->mButtonDown = Ed2D_SetDragAnchors;
  r->rButtonDown = Ed2D_RButtonDownAnchors;
  r->rButtonUp = Ed2D_BoneRButtonUp;
  r->mouseMove = Ed2D_BoneMouseMove;
}

static void InstallWeightRow(FamilyHooks *r) {
  r->enter = Ed2D_WeightInit;
  r->leave = Ed2D_WeightLeave;
  r->update = Ed2D_WeightUpdate;
  r->drawOverlay = Ed2D_WeightDraw;
  r->lButtonDown = Ed2D_LButtonDownAnchors;
  r->mButtonDown = Ed2D_MButtonDownAnchors;
  r->rButtonDown = Ed2D_RButtonDownAnchors;
  r->rButtonUp = Ed2D_WeightRButtonUp;
  r->mouseMove = Ed2D_WeightMouseMove;
}

static void InstallMotionRow(FamilyHooks *r) {
  r->enter = Ed2D_MotionInit;
  r->leave = Ed2D_MotionLeave;
  r->update = Ed2D_MotionUpdate;
  r->drawOverlay = Ed2D_MotionDraw;
  r->lButtonDown = Ed2D_MotionLButtonDown;
  r->lButtonUp = DragAnchor_ReleaseRedraw;
  r->mButtonDown = Ed2D_SetDragAnchors;
  r->rButtonDown = Ed2D_RButtonDownAnchors;
  r->mouseMove = Ed2D_MotionMouseMove;
  r->wheelKey = Ed2D_MotionWheelKey;
}

void Edit2D_Install(void) {
  for (FamilyHooks &r : g_Ed2DSubModeRows) r = FamilyHooks{};   // 5 stays empty
  InstallObjectRow(SubRow(SUB_2D_OBJECT));
  InstallPolyRow(SubRow(SUB_2D_POLY));
  InstallTexRow(SubRow(SUB_2D_TEXTURE));
  InstallBoneRow(SubRow(SUB_2D_BONE));
  InstallWeightRow(SubRow(SUB_2D_WEIGHT));
  InstallMotionRow(SubRow(SUB_2D_MOTION));
  InstallFamilyRow();
  Ed2D_ObjInstall();
  Ed2D_MotionInstall();
  Ed2D_InstallMirror();
}
