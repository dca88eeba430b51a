// Editor families and the shell's hook dispatch.
//
// One family is current (g_Shell.g_EditFamily); inside the 2D and 3D model families a sub-mode
// (g_Shell.g_EditSubMode) picks the tool set and is also the index of the view layout. The main
// loop, the main window and the frame render reach the editors only through the
// dispatchers declared here, which look the hook up in g_FamilyHooks by family number.
// Only the shell writes the family and sub-mode numbers; an editor with sub-modes changes its
// sub-mode through App_SetSubMode.
#pragma once
#include "model/types.h"
#include "app/shell_services.h"
#include "app/settings.h"
#include "app/hook_ctx.h"

typedef u32 EditFamily;    // FAMILY_* of shell_services.h
typedef u32 EditSubMode;   // SUB_* below, or the family number for families without sub-modes
enum { FAMILY_TABLE_SIZE = APP_FAMILY_COUNT };

// Sub-modes (and view layouts) of the model families.
enum : u32 {
  SUB_2D_OBJECT = 4, SUB_2D_POLY = 6, SUB_2D_TEXTURE = 7, SUB_2D_BONE = 8, SUB_2D_WEIGHT = 9,
  SUB_2D_MOTION = 10,
  SUB_3D_OBJMOTION = 12, SUB_3D_POLY = 14, SUB_3D_TEXTURE = 15, SUB_3D_BONE = 16,
  SUB_3D_WEIGHT = 17, SUB_3D_MOTION = 18,
};


// One row per family number; a null cell means the family has no such hook. Each editor
// exports its row from its own folder and installs it when the program starts
// (Family_InstallRow); a family number without an editor keeps an empty row. The families with
// sub-modes (3 and 11) keep one row per sub-mode in their folder and pass each call of their
// family row on to the row of g_Shell.g_EditSubMode.
struct FamilyHooks {
  FamilyHook enter, leave, update, drawScene, drawOverlay;
  FamilyHook lButtonDown, lButtonUp, mButtonDown, mButtonUp, rButtonDown, rButtonUp, mouseMove;
  FamilyHook keyDown, keyUp;
  FamilyHook loopKeyUp;          // key-up taken by the main loop before dispatch
  FamilyHook command;
  FamilyHook wheelKey;           // the wheel's key-frame step (families whose wheel steps keys)
  FamilyHook doubleClick;        // left double click in the main window
  FamilyHook refreshLists;       // fills the family's lists and trees
  FamilyHook hoverPick;          // pick under the cursor after a move with no button held
  FamilyHook documentChanged;    // the panels show the document again after any change
  // A family with sub-modes keeps one row per sub-mode (firstSubMode + i) and leaves its own
  // mouse cells empty: the dispatchers hand a mouse message straight to the sub-mode's row.
  const FamilyHooks *subModeRows;
  u32 firstSubMode, subModeCount;
};
// The installed rows; tests may swap cells for recording fakes.
extern FamilyHooks g_FamilyHooks[FAMILY_TABLE_SIZE];
// Copies a family's row into the table (a number outside the table is ignored).
void Family_InstallRow(u32 family, const FamilyHooks *row);
// Row subMode - first of the `count` rows at `rows`, or null for a sub-mode outside them.
const FamilyHooks *Family_SubRow(const FamilyHooks *rows, u32 first, u32 count, u32 subMode);
// Calls the cell of `row` with c (nothing without the row or the cell).
void Family_Pass(const FamilyHooks *row, FamilyHook FamilyHooks::*cell, const HookCtx *c);
// The hook row of the current family, or null for a number outside the table.
const FamilyHooks *Family_Current(void);
// The row that takes mouse messages: the current family's, or for a family with sub-mode
// rows the row of g_Shell.g_EditSubMode (null for a sub-mode without one).
const FamilyHooks *Family_MouseRow(void);
// The context of a message at client position (x, y): the active view of the current layout,
// the model of the current slot, the shell's selection and mouse records.
HookCtx Family_Context(i32 x, i32 y);
// The same at the last stored mouse position, for calls that come from no mouse message.
HookCtx Family_ShellContext(void);
// The context of drawing view drawView of the current layout (the view the draw hook acts on).
HookCtx Family_DrawContext(u32 drawView);
// Layout used by a family chosen in the selector (its own number, 2D model: polygon sub-mode).
u32 Family_DefaultLayout(u32 family);
// True for the numbers the selector and the hook table know.
bool Family_IsKnown(u32 family);

// Mouse positions are decoded by the library's one decoder (D3DApp_DecodeMouse,
// lib/framework/d3dapp.h), once per message in the dispatchers below.

// [SECTION] family switching
void App_EnterFamily(void);
void App_LeaveFamily(void);
// The current layout's work areas kept clear of other windows (on, after an enter) or let go
// (before a leave).
void App_KeepWorkAreas(bool on);
void App_SwitchTo3DFamily(void);
// The kinds of document (bit DOC_*) a switch from `from` (in subMode) to `to` frees: what the
// family left drops on leaving and what the family entered drops on entering. Each changed one
// is asked about before the switch.
u32 Family_SwitchFrees(u32 from, u32 subMode, u32 to);
void App_SwitchFamily(u32 family);
// The sub-mode of a family with sub-modes (the editor's mode buttons, between its leave and
// enter steps); the one it replaces becomes the previous sub-mode.
void App_SetSubMode(u32 subMode);
// The family menu the enter hook names (replacing, destroyed, one already loaded; none without
// the platform's menus). App_LeaveFamily destroys it, detached first.
void App_LoadFamilyMenu(const char *name);

// [SECTION] dispatchers (App_UpdateFrame, App_DrawScene, App_DrawOverlay: shell_services.h)
// Hands App_DrawScene and App_DrawOverlay to the library (g_LibHooks).
void App_InstallLibHooks(void);
void App_UpdateFrameThunk(void);
void App_OnLButtonDown(i64 lParam);
void App_OnLButtonUp(i64 lParam);
void App_OnMButtonDown(i64 lParam);
void App_OnMButtonUp(i64 lParam);
void App_OnRButtonDown(i64 lParam);
void App_OnRButtonUp(i64 lParam);
void App_OnMouseMove(i64 lParam);
void App_OnLButtonDblClk(i64 lParam);
void App_OnKeyDown(u32 virtualKey);
void App_OnKeyUp(u32 virtualKey);
// Key-up taken by the main loop before dispatch (the rows fill it for layouts 18, 22, 23).
void App_LoopKeyUp(u32 virtualKey);
void App_FamilyCommand(u32 commandId);

// [SECTION] wheel
enum WheelActionKind : u32 {
  WHEEL_NOTHING = 0,
  WHEEL_ZOOM,             // multiply the current view's zoom by factor
  WHEEL_2D_OBJECT_KEY,    // step the 2D object model to the previous/next key frame
  WHEEL_2D_MOTION_KEY,
  WHEEL_3D_OBJMOTION_KEY,
  WHEEL_3D_MOTION_KEY,
  WHEEL_EFFECT_KEY,
  WHEEL_MOVIE_KEY,
};
struct WheelAction {
  u32 kind;
  f32 factor;   // zoom factor for WHEEL_ZOOM
  i32 step;     // -1 previous key frame, +1 next (key kinds)
};
// What a roll does in a family / sub-mode on a view of the given kind.
WheelAction Wheel_Decide(u32 family, u32 subMode, u32 viewKind, bool reverse, bool forward);
void App_OnWheelUp(void);
void App_OnWheelDown(void);
