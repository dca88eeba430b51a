// The 2D model family's rows and the dispatch of its family row by sub-mode.
#include "edit2d/ed2d_rows.h"

FamilyHooks g_Ed2DSubModeRows[ED2D_SUB_MODE_ROWS];

const FamilyHooks *Ed2D_SubModeRow(void) {
  u32 i = g_EditSubMode - ED2D_FIRST_SUB_MODE;   // below 4 wraps to a large number
  return i < ED2D_SUB_MODE_ROWS ? &g_Ed2DSubModeRows[i] : nullptr;
}

#define ED2D_PASS(cell, ...)                         \
  do {                                               \
    const FamilyHooks *row_ = Ed2D_SubModeRow();     \
    if (row_ && row_->cell) row_->cell(__VA_ARGS__); \
  } while (0)

// [SECTION] family row (the Part's table: no key hooks in this family)
static void Ed2D_Enter(void) { ED2D_PASS(enter); }
static void Ed2D_Leave(void) { ED2D_PASS(leave); }
static void Ed2D_Update(void) { ED2D_PASS(update); }
static void Ed2D_DrawScene(void) { ED2D_PASS(drawScene); }
static void Ed2D_Draw(void) { ED2D_PASS(drawOverlay); }
static void Ed2D_LButtonDown(i32 x, i32 y) { ED2D_PASS(lButtonDown, x, y); }
static void Ed2D_LButtonUp(i32 x, i32 y) { ED2D_PASS(lButtonUp, x, y); }
static void Ed2D_MButtonDown(i32 x, i32 y) { ED2D_PASS(mButtonDown, x, y); }
static void Ed2D_MButtonUp(i32 x, i32 y) { ED2D_PASS(mButtonUp, x, y); }
static void Ed2D_RButtonDown(i32 x, i32 y) { ED2D_PASS(rButtonDown, x, y); }
static void Ed2D_RButtonUp(i32 x, i32 y) { ED2D_PASS(rButtonUp, x, y); }
static void Ed2D_MouseMove(i32 x, i32 y) { ED2D_PASS(mouseMove, x, y); }
static void Ed2D_Command(u32 id) { ED2D_PASS(command, id); }
static void Ed2D_WheelKey(i32 step) { ED2D_PASS(wheelKey, step); }
static void Ed2D_RefreshLists(void) { ED2D_PASS(refreshLists); }

static const FamilyHooks kFamilyRow = {
  Ed2D_Enter, Ed2D_Leave, Ed2D_Update, Ed2D_DrawScene, Ed2D_Draw,
  Ed2D_LButtonDown, Ed2D_LButtonUp, Ed2D_MButtonDown, Ed2D_MButtonUp, Ed2D_RButtonDown, Ed2D_RButtonUp,
  Ed2D_MouseMove, nullptr, nullptr, nullptr, Ed2D_Command,
  Ed2D_WheelKey, nullptr, Ed2D_RefreshLists, nullptr,
};

void Edit2D_Install(void) {
  for (FamilyHooks &r : g_Ed2DSubModeRows) r = FamilyHooks{};
  Family_InstallRow(FAMILY_2D_MODEL, &kFamilyRow);
}
