// The 3D model family's rows: the family row that the shell calls, and one row per sub-mode
// holding the sub-mode editors' handlers. The family row's enter, leave, update, scene draw
// and list refresh are the family shell's (ed3d_shell.cpp, ed3d_fill.cpp), which call the
// sub-mode's own cells in turn; every other cell passes the call to the row of the context's
// layout (the sub-mode).
#include "edit3d/ed3d_rows.h"

#include "app/drag_anchors.h"
#include "app/play.h"
#include "app/shell_view.h"
#include "edit3d/ed3d.h"
#include "edit3d/ed3d_bone.h"
#include "edit3d/ed3d_motion.h"
#include "edit3d/objmotion.h"
#include "edit3d/ed3d_poly.h"
#include "edit3d/ed3d_tex.h"

FamilyHooks g_Ed3DSubModeRows[ED3D_SUB_MODE_ROWS];

const FamilyHooks *Ed3D_SubModeRow(u32 subMode) {
  return Family_SubRow(g_Ed3DSubModeRows, ED3D_FIRST_SUB_MODE, ED3D_SUB_MODE_ROWS, subMode);
}

#define ED3D_PASS(cell) Family_Pass(Ed3D_SubModeRow(c->layout), &FamilyHooks::cell, c)

// [SECTION] family row
static void PassDrawOverlay(const HookCtx *c) { ED3D_PASS(drawOverlay); }
static void PassKeyDown(const HookCtx *c) { ED3D_PASS(keyDown); }
static void PassKeyUp(const HookCtx *c) { ED3D_PASS(keyUp); }
static void PassLoopKeyUp(const HookCtx *c) { ED3D_PASS(loopKeyUp); }
static void PassCommand(const HookCtx *c) { ED3D_PASS(command); }
static void PassWheelKey(const HookCtx *c) { ED3D_PASS(wheelKey); }
static void PassDoubleClick(const HookCtx *c) { ED3D_PASS(doubleClick); }
static void PassHoverPick(const HookCtx *c) { ED3D_PASS(hoverPick); }

static void InstallFamilyRow(void) {
  FamilyHooks r = {};   // mouse cells stay empty: the shell calls the sub-mode's row
  r.enter = Ed3D_Enter;
  r.leave = Ed3D_Leave;
  r.update = Ed3D_Update;
  r.drawScene = Ed3D_DrawScene;
  r.drawOverlay = PassDrawOverlay;
  r.keyDown = PassKeyDown;
  r.keyUp = PassKeyUp;
  r.loopKeyUp = PassLoopKeyUp;
  r.command = PassCommand;
  r.wheelKey = PassWheelKey;
  r.doubleClick = PassDoubleClick;
  r.refreshLists = Ed3D_RefreshLists;
  r.hoverPick = PassHoverPick;
  r.documentChanged = Ed3D_DocumentChanged;
  r.subModeRows = g_Ed3DSubModeRows;
  r.firstSubMode = ED3D_FIRST_SUB_MODE;
  r.subModeCount = ED3D_SUB_MODE_ROWS;
  Family_InstallRow(FAMILY_3D_MODEL, &r);
}

// [SECTION] sub-mode rows (each filled on an empty row; a cell not named stays empty)
static void MotionDoubleClick(const HookCtx *c) { Ed3D_CreateKeyWithStep(c); }

static FamilyHooks *SubRow(u32 subMode) { return &g_Ed3DSubModeRows[subMode - ED3D_FIRST_SUB_MODE]; }

static void InstallObjMotionRow(FamilyHooks *r) {
  r->enter = Ed3D_ObjMotionEnter;
  r->leave = Ed3D_ObjMotionLeave;
  r->update = Ed3D_ObjMotionUpdate;
  r->drawScene = Ed3D_ObjDrawScene;
  r->drawOverlay = Ed3D_ObjDrawOverlay;
  r->lButtonDown = Ed3D_ObjLButtonDown;
  r->lButtonUp = DragAnchor_ReleaseRedraw;
  r->mButtonDown = DragAnchor_PressAll;
  r->rButtonDown = DragAnchor_PressACRedraw;
  r->rButtonUp = Ed3D_ObjRButtonUp;
  r->mouseMove = Ed3D_ObjMouseMove;
  r->keyDown = Ed3D_ObjMotionKeyDown;
  r->command = Ed3D_ObjMotionCommand;
  r->wheelKey = Ed3D_ObjMotionWheelKey;
  r->hoverPick = Ed3D_PickUnderCursor;
}

static void InstallPolyRow(FamilyHooks *r) {
  r->enter = Ed3D_PolyEnter;
  r->leave = Ed3D_PolyLeave;
  r->update = Ed3D_PolyUpdate;
  r->drawScene = Ed3D_PolyDrawScene;
  r->drawOverlay = Ed3D_PolyDrawOverlay;
  r->lButtonDown = DragAnchor_PressAll;
  r->lButtonUp = Ed3D_PolyLButtonUp;
  r->mButtonDown = Ed3D_PolyMButtonDown;
  r->mButtonUp = Ed3D_PolyFreeCreate;
  r->rButtonDown = DragAnchor_PressAC;
  r->rButtonUp = Ed3D_PolyRButtonUp;
  r->mouseMove = Ed3D_PolyMouseMove;
  r->keyUp = Ed3D_PolyKeyUp;
  r->hoverPick = Ed3D_PickUnderCursor;
}

static void InstallTexRow(FamilyHooks *r) {
  r->enter = Ed3D_TexEnter;
  r->leave = Ed3D_TexLeave;
  r->update = Ed3D_TexUpdate;
  r->drawScene = Ed3D_PolyDrawScene;
  r->drawOverlay = Ed3D_PolyDrawOverlay;
  r->lButtonDown = DragAnchor_PressAll;
  r->lButtonUp = Ed3D_TexLButtonUp;
  r->mButtonDown = DragAnchor_PressAD;
  r->rButtonDown = DragAnchor_PressAC;
  r->rButtonUp = Ed3D_TexRButtonUp;
  r->mouseMove = Ed3D_TexMouseMove;
  r->keyUp = Ed3D_TexKeyUp;
  r->hoverPick = Ed3D_PickUnderCursor;
}

static void InstallBoneRow(FamilyHooks *r) {
  r->enter = Ed3D_BoneInit;
  r->update = Ed3D_BoneUpdate;
  r->drawScene = Ed3D_PolyDrawScene;
  r->drawOverlay = Ed3D_BoneDraw;
  r->lButtonDown = DragAnchor_PressAll;
  r->lButtonUp = Ed3D_BoneLButtonUp;
  r->mButtonDown = DragAnchor_PressAll;
  r->rButtonDown = DragAnchor_PressAC;
  r->rButtonUp = Ed3D_BoneRButtonUp;
  r->mouseMove = Ed3D_BoneMouseMove;
  r->keyUp = Ed3D_BoneKeyUp;
  r->hoverPick = Ed3D_PickUnderCursor;
}

static void InstallWeightRow(FamilyHooks *r) {
  r->enter = Ed3D_WeightEnter;
  r->leave = Ed3D_WeightLeave;
  r->update = Ed3D_WeightUpdate;
  r->drawScene = Ed3D_PolyDrawScene;
  r->drawOverlay = Ed3D_WeightDrawOverlay;
  r->lButtonDown = DragAnchor_PressAll;
  r->mButtonDown = DragAnchor_PressAD;
  r->rButtonDown = DragAnchor_PressAC;
  r->rButtonUp = Ed3D_WeightRButtonUp;
  r->mouseMove = Ed3D_WeightMouseMove;
  r->keyDown = Ed3D_WeightKeyDown;
  r->hoverPick = Ed3D_PickUnderCursor;
}

// The motion sub-mode's keys come from the main loop (loop key-up), not through the key-up cell.
static void InstallMotionRow(FamilyHooks *r) {
  r->enter = Ed3D_MotionEnter;
  r->leave = Ed3D_MotionLeave;
  r->update = Ed3D_MotionUpdate;
  r->drawScene = Ed3D_PolyDrawScene;
  r->drawOverlay = Ed3D_MotionDrawOverlay;
  r->lButtonDown = Ed3D_MotionLButtonDown;
  r->lButtonUp = Ed3D_MotionLButtonUp;
  r->mButtonDown = DragAnchor_PressAll;
  r->rButtonDown = DragAnchor_PressACRedraw;
  r->rButtonUp = Ed3D_MotionRButtonUp;
  r->mouseMove = Ed3D_MotionMouseMove;
  r->loopKeyUp = Ed3D_MotionKeyUp;
  r->command = Ed3D_MotionCommand;
  r->wheelKey = Ed3D_MotionWheelKey;
  r->doubleClick = MotionDoubleClick;
  r->hoverPick = Ed3D_PickUnderCursor;
}

void Edit3D_Install(void) {
  Ed3D_SetStartState();
  for (FamilyHooks &r : g_Ed3DSubModeRows) r = FamilyHooks{};   // 13 stays empty
  InstallObjMotionRow(SubRow(SUB_3D_OBJMOTION));
  InstallPolyRow(SubRow(SUB_3D_POLY));
  InstallTexRow(SubRow(SUB_3D_TEXTURE));
  InstallBoneRow(SubRow(SUB_3D_BONE));
  InstallWeightRow(SubRow(SUB_3D_WEIGHT));
  InstallMotionRow(SubRow(SUB_3D_MOTION));
  g_ShellEntries.motionPanelRefresh = &g_Ed3DMotion.dialogRefresh;
  InstallFamilyRow();
}
