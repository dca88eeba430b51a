// The 3D model family's rows: the family row that the shell calls, and one row per sub-mode
// holding the sub-mode editors' handlers. The family row's enter, leave, update, scene draw
// and list refresh are the family shell's (ed3d_shell.cpp, ed3d_fill.cpp), which call the
// sub-mode's own cells in turn; every other cell passes the call to the row of g_Shell.g_EditSubMode.
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

const FamilyHooks *Ed3D_SubModeRow(void) {
  return Family_SubRow(g_Ed3DSubModeRows, ED3D_FIRST_SUB_MODE, ED3D_SUB_MODE_ROWS, g_Shell.g_EditSubMode);
}

#define ED3D_PASS(cell) Family_Pass(Ed3D_SubModeRow(), &FamilyHooks::cell, c)

// [SECTION] family row
static void PassDrawOverlay(const HookCtx *c) { ED3D_PASS(drawOverlay); }
static void PassKeyDown(const HookCtx *c) { ED3D_PASS(keyDown); }
static void PassKeyUp(const HookCtx *c) { ED3D_PASS(keyUp); }
static void PassLoopKeyUp(const HookCtx *c) { ED3D_PASS(loopKeyUp); }
static void PassCommand(const HookCtx *c) { ED3D_PASS(command); }
static void PassWheelKey(const HookCtx *c) { ED3D_PASS(wheelKey); }
static void PassDoubleClick(const HookCtx *c) { ED3D_PASS(doubleClick); }
static void PassHoverPick(const HookCtx *c) { ED3D_PASS(hoverPick); }

static const FamilyHooks kFamilyRow = {
  Ed3D_Enter, Ed3D_Leave, Ed3D_Update, Ed3D_DrawScene, PassDrawOverlay,
  nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,   // mouse: the shell calls the sub-mode's row
  nullptr, PassKeyDown, PassKeyUp, PassLoopKeyUp, PassCommand,
  PassWheelKey, PassDoubleClick, Ed3D_RefreshLists, PassHoverPick, Ed3D_DocumentChanged,
  g_Ed3DSubModeRows, ED3D_FIRST_SUB_MODE, ED3D_SUB_MODE_ROWS,
};

// [SECTION] sub-mode rows
static void MotionDoubleClick(const HookCtx *c) { Ed3D_CreateKeyWithStep(c); }

//                  enter leave update scene overlay | lDown lUp mDown mUp rDown rUp move | keyDown keyUp loopKeyUp | command
static const FamilyHooks kObjMotionRow = {
  Ed3D_ObjMotionEnter, Ed3D_ObjMotionLeave, Ed3D_ObjMotionUpdate, Ed3D_ObjDrawScene, Ed3D_ObjDrawOverlay,
  Ed3D_ObjLButtonDown, Ed2D_RedrawOnRelease, Ed3D_SetDragAnchors, nullptr, Ed3D_SetRightDragAnchors,
  Ed3D_ObjRButtonUp, Ed3D_ObjMouseMove,
  Ed3D_ObjMotionKeyDown, nullptr, nullptr, Ed3D_ObjMotionCommand,
  Ed3D_ObjMotionWheelKey, nullptr, nullptr, Ed3D_PickUnderCursor,
};
static const FamilyHooks kPolyRow = {
  Ed3D_PolyEnter, Ed3D_PolyLeave, Ed3D_PolyUpdate, Ed3D_PolyDrawScene, Ed3D_PolyDrawOverlay,
  Ed3D_SetDragAnchors, Ed3D_PolyLButtonUp, Ed3D_PolyMButtonDown, Ed3D_PolyFreeCreate, Effect_SetDragAnchor,
  Ed3D_PolyRButtonUp, Ed3D_PolyMouseMove,
  nullptr, Ed3D_PolyKeyUp, nullptr, nullptr,
  nullptr, nullptr, nullptr, Ed3D_PickUnderCursor,
};
static const FamilyHooks kTexRow = {
  Ed3D_TexEnter, Ed3D_TexLeave, Ed3D_TexUpdate, Ed3D_PolyDrawScene, Ed3D_PolyDrawOverlay,
  Ed3D_SetDragAnchors, Ed3D_TexLButtonUp, Map2_MButtonDown, nullptr, Effect_SetDragAnchor,
  Ed3D_TexRButtonUp, Ed3D_TexMouseMove,
  nullptr, Ed3D_TexKeyUp, nullptr, nullptr,
  nullptr, nullptr, nullptr, Ed3D_PickUnderCursor,
};
static const FamilyHooks kBoneRow = {
  Ed3D_BoneInit, nullptr, Ed3D_BoneUpdate, Ed3D_PolyDrawScene, Ed3D_BoneDraw,
  Ed3D_SetDragAnchors, Ed3D_BoneLButtonUp, Ed3D_SetDragAnchors, nullptr, Effect_SetDragAnchor,
  Ed3D_BoneRButtonUp, Ed3D_BoneMouseMove,
  nullptr, Ed3D_BoneKeyUp, nullptr, nullptr,
  nullptr, nullptr, nullptr, Ed3D_PickUnderCursor,
};
static const FamilyHooks kWeightRow = {
  Ed3D_WeightEnter, Ed3D_WeightLeave, Ed3D_WeightUpdate, Ed3D_PolyDrawScene, Ed3D_WeightDrawOverlay,
  Ed3D_SetDragAnchors, nullptr, Map2_MButtonDown, nullptr, Effect_SetDragAnchor,
  Ed3D_WeightRButtonUp, Ed3D_WeightMouseMove,
  Ed3D_WeightKeyDown, nullptr, nullptr, nullptr,
  nullptr, nullptr, nullptr, Ed3D_PickUnderCursor,
};
// Keys of sub-mode 18 come from the main loop (loop key-up), not through the key-up cell.
static const FamilyHooks kMotionRow = {
  Ed3D_MotionEnter, Ed3D_MotionLeave, Ed3D_MotionUpdate, Ed3D_PolyDrawScene, Ed3D_MotionDrawOverlay,
  Ed3D_MotionLButtonDown, Ed3D_MotionLButtonUp, Ed3D_SetDragAnchors, nullptr, Ed3D_SetRightDragAnchors,
  Ed3D_MotionRButtonUp, Ed3D_MotionMouseMove,
  nullptr, nullptr, Ed3D_MotionKeyUp, Ed3D_MotionCommand,
  Ed3D_MotionWheelKey, MotionDoubleClick, nullptr, Ed3D_PickUnderCursor,
};

static FamilyHooks *SubRow(u32 subMode) { return &g_Ed3DSubModeRows[subMode - ED3D_FIRST_SUB_MODE]; }

void Edit3D_Install(void) {
  Ed3D_SetStartState();
  for (FamilyHooks &r : g_Ed3DSubModeRows) r = FamilyHooks{};   // 13 stays empty
  *SubRow(SUB_3D_OBJMOTION) = kObjMotionRow;
  *SubRow(SUB_3D_POLY) = kPolyRow;
  *SubRow(SUB_3D_TEXTURE) = kTexRow;
  *SubRow(SUB_3D_BONE) = kBoneRow;
  *SubRow(SUB_3D_WEIGHT) = kWeightRow;
  *SubRow(SUB_3D_MOTION) = kMotionRow;
  g_ShellEntries.motionPanelRefresh = &g_Ed3DMotion.dialogRefresh;
  Family_InstallRow(FAMILY_3D_MODEL, &kFamilyRow);
}
