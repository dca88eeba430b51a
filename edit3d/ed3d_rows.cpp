// The 3D model family's rows and the dispatch of its family row by sub-mode.
#include "edit3d/ed3d_rows.h"

FamilyHooks g_Ed3DSubModeRows[ED3D_SUB_MODE_ROWS];

const FamilyHooks *Ed3D_SubModeRow(void) {
  u32 i = g_EditSubMode - ED3D_FIRST_SUB_MODE;   // below 12 wraps to a large number
  return i < ED3D_SUB_MODE_ROWS ? &g_Ed3DSubModeRows[i] : nullptr;
}

#define ED3D_PASS(cell, ...)                         \
  do {                                               \
    const FamilyHooks *row_ = Ed3D_SubModeRow();     \
    if (row_ && row_->cell) row_->cell(__VA_ARGS__); \
  } while (0)

// [SECTION] family row
static void Ed3D_Enter(void) { ED3D_PASS(enter); }
static void Ed3D_Leave(void) { ED3D_PASS(leave); }
static void Ed3D_Update(void) { ED3D_PASS(update); }
static void Ed3D_DrawScene(void) { ED3D_PASS(drawScene); }
static void Ed3D_DrawOverlay(void) { ED3D_PASS(drawOverlay); }
static void Ed3D_LButtonDown(i32 x, i32 y) { ED3D_PASS(lButtonDown, x, y); }
static void Ed3D_LButtonUp(i32 x, i32 y) { ED3D_PASS(lButtonUp, x, y); }
static void Ed3D_MButtonDown(i32 x, i32 y) { ED3D_PASS(mButtonDown, x, y); }
static void Ed3D_MButtonUp(i32 x, i32 y) { ED3D_PASS(mButtonUp, x, y); }
static void Ed3D_RButtonDown(i32 x, i32 y) { ED3D_PASS(rButtonDown, x, y); }
static void Ed3D_RButtonUp(i32 x, i32 y) { ED3D_PASS(rButtonUp, x, y); }
static void Ed3D_MouseMove(i32 x, i32 y) { ED3D_PASS(mouseMove, x, y); }
static void Ed3D_KeyDown(u32 vk) { ED3D_PASS(keyDown, vk); }
static void Ed3D_KeyUp(u32 vk) { ED3D_PASS(keyUp, vk); }
static void Ed3D_LoopKeyUp(u32 vk) { ED3D_PASS(loopKeyUp, vk); }
static void Ed3D_Command(u32 id) { ED3D_PASS(command, id); }
static void Ed3D_WheelKey(i32 step) { ED3D_PASS(wheelKey, step); }
static void Ed3D_DoubleClick(i32 x, i32 y) { ED3D_PASS(doubleClick, x, y); }
static void Ed3D_RefreshLists(void) { ED3D_PASS(refreshLists); }
static void Ed3D_HoverPick(void) { ED3D_PASS(hoverPick); }

static const FamilyHooks kFamilyRow = {
  Ed3D_Enter, Ed3D_Leave, Ed3D_Update, Ed3D_DrawScene, Ed3D_DrawOverlay,
  Ed3D_LButtonDown, Ed3D_LButtonUp, Ed3D_MButtonDown, Ed3D_MButtonUp, Ed3D_RButtonDown, Ed3D_RButtonUp,
  Ed3D_MouseMove, Ed3D_KeyDown, Ed3D_KeyUp, Ed3D_LoopKeyUp, Ed3D_Command,
  Ed3D_WheelKey, Ed3D_DoubleClick, Ed3D_RefreshLists, Ed3D_HoverPick,
};

// [SECTION] sub-mode rows (filled as the sub-mode editors are built)
void Ed3D_CreateBoneKey(void) {}
void Ed3D_MotionRefreshLists(void) {}

static void MotionDoubleClick(i32, i32) {
  Ed3D_CreateBoneKey();
  Ed3D_MotionRefreshLists();
}

static FamilyHooks *SubRow(u32 subMode) { return &g_Ed3DSubModeRows[subMode - ED3D_FIRST_SUB_MODE]; }

void Edit3D_Install(void) {
  Ed3D_SetStartState();
  for (FamilyHooks &r : g_Ed3DSubModeRows) r = FamilyHooks{};
  SubRow(SUB_3D_MOTION)->doubleClick = MotionDoubleClick;
  Family_InstallRow(FAMILY_3D_MODEL, &kFamilyRow);
}
