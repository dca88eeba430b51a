// Editor families: the hook table, entering, leaving and switching families, the mouse,
// key, wheel and render dispatchers. Owns g_Shell.g_EditFamily, g_Shell.g_EditSubMode and the mouse state.
#include "app/current.h"
#include "app/family.h"
#include "app/discard.h"
#include "app/shell_mouse.h"
#include "app/shell_options.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/viewdraw.h"
#include "app/docflags.h"
#include "lib/framework/d3dapp.h"
#include "lib/framework/lib.h"
#include "app/shell_seam.h"
#include "app/views.h"
#include "lib/framework/view_record.h"
#include "lib/render/objects.h"
#include "model/bone2.h"
#include "model/kzo.h"
#include "model/model3.h"
#include "model/obj2.h"



// [SECTION] hook table
// Empty until the rows are installed: the editors' rows come from their own folders.
FamilyHooks g_FamilyHooks[FAMILY_TABLE_SIZE];

void Family_InstallRow(u32 family, const FamilyHooks *row) {
  if (family < FAMILY_TABLE_SIZE && row) g_FamilyHooks[family] = *row;
}

bool Family_IsKnown(u32 f) {
  return f == FAMILY_PREVIEW || f == FAMILY_2D_MODEL || f == FAMILY_3D_MODEL || (f >= FAMILY_EFFECT && f <= FAMILY_PROGRAM);
}

const FamilyHooks *Family_Current(void) {
  return Family_IsKnown(g_Shell.g_EditFamily) ? &g_FamilyHooks[g_Shell.g_EditFamily] : nullptr;
}

const FamilyHooks *Family_SubRow(const FamilyHooks *rows, u32 first, u32 count, u32 subMode) {
  u32 i = subMode - first;   // below the first wraps to a large number
  return i < count ? &rows[i] : nullptr;
}

void Family_Pass(const FamilyHooks *row, FamilyHook FamilyHooks::*cell, const HookCtx *c) {
  if (row && row->*cell) (row->*cell)(c);
}

const FamilyHooks *Family_MouseRow(void) {
  const FamilyHooks *fh = Family_Current();
  if (!fh || !fh->subModeRows) return fh;
  return Family_SubRow(fh->subModeRows, fh->firstSubMode, fh->subModeCount, g_Shell.g_EditSubMode);
}

u32 Family_DefaultLayout(u32 family) {
  if (family == FAMILY_2D_MODEL) return SUB_2D_POLY;   // the 2D family's own panel moves among its sub-modes
  if (family == FAMILY_3D_MODEL) return SUB_3D_POLY;
  return family;
}

// Mouse cells go to the sub-mode's row of the families that have sub-modes.
#define CALL_MOUSE(field, ctx)                          \
  do {                                                  \
    const FamilyHooks *fh_ = Family_MouseRow();         \
    if (fh_ && fh_->field) fh_->field(ctx);             \
  } while (0)

#define CALL_HOOK(field, ctx)                           \
  do {                                                  \
    const FamilyHooks *fh_ = Family_Current();          \
    if (fh_ && fh_->field) fh_->field(ctx);             \
  } while (0)

// [SECTION] hook context
HookCtx Family_Context(i32 x, i32 y) {
  HookCtx c = {};
  c.layout = g_Shell.g_EditSubMode;
  c.viewIndex = g_Shell.g_ActiveView < VIEWS_PER_LAYOUT ? g_Shell.g_ActiveView : 0;
  c.activeView = g_Shell.g_ActiveView;
  c.view = View_Get(c.layout, c.viewIndex);
  c.x = x;
  c.y = y;
  c.perspAngleX = g_Shell.g_PerspAngleX;
  c.perspAngleY = g_Shell.g_PerspAngleY;
  c.slot = g_Sel.g_CurSlot;
  c.model = Current_Model3();
  c.model2 = Current_Bone2Edited();
  c.sel = &g_Sel;
  c.mouse = &g_Mouse;
  return c;
}

HookCtx Family_ShellContext(void) { return Family_Context(g_Mouse.g_MouseX, g_Mouse.g_MouseY); }

HookCtx Family_DrawContext(u32 drawView) {
  HookCtx c = Family_ShellContext();
  c.viewIndex = drawView < VIEWS_PER_LAYOUT ? drawView : 0;
  c.view = View_Get(c.layout, c.viewIndex);
  return c;
}

// [SECTION] mouse position
// The one decode of a message's position; the dispatchers pass it on to the hooks.
static void Decode(i64 lParam, i32 *x, i32 *y) { D3DApp_DecodeMouse((intptr_t)lParam, x, y); }

static void StoreMouse(i32 x, i32 y) {
  g_Mouse.g_MouseX = x;
  g_Mouse.g_MouseY = y;
}

// Decodes the message's position and keeps it as the mouse position.
static void DecodeStored(i64 lParam, i32 *x, i32 *y) {
  Decode(lParam, x, y);
  StoreMouse(*x, *y);
}

// The release of one outer button while the other is still held is swallowed, and the other
// then counts as released. True when this release is swallowed.
static bool ReleaseSwallowed(u32 otherButton) {
  if (!Shell_ButtonHeld(otherButton)) return false;
  Shell_SetButtonHeld(otherButton, 0);
  return true;
}

// [SECTION] family switching
void App_EnterFamily(void) {
  App_MarkAllRedraw(View_CurrentLayout());
  u32 layout = View_CurrentLayout();
  // The program editor, the 2D model editor (whose sub-modes make no view windows) and the
  // 2D map editor have only the main view. Elsewhere a layout keeps views the user added
  // beyond the family's own (the settings file brings them back).
  bool mainOnly = g_Shell.g_EditFamily == FAMILY_PROGRAM || g_Shell.g_EditFamily == FAMILY_2D_MODEL || g_Shell.g_EditFamily == FAMILY_2D_MAP;
  i32 count = g_Shell.g_EditFamily == FAMILY_MOVIE ? 5 : mainOnly ? 1 : 4;
  if (!mainOnly && g_Shell.g_ViewCount[layout] > count && g_Shell.g_ViewCount[layout] <= VIEWS_PER_LAYOUT)
    count = g_Shell.g_ViewCount[layout];
  g_Shell.g_ViewCount[layout] = count;
  HookCtx c = Family_ShellContext();
  CALL_HOOK(enter, &c);
  // The layout's view windows (idempotent: an enter hook may already have made them).
  if (g_ShellSeam.createViewWindows) g_ShellSeam.createViewWindows();
  App_KeepWorkAreas(true);
  App_SetObject0Rotation(0, 0, 0);
  g_Options.g_OptionDlgRefresh = 1;
}

void App_KeepWorkAreas(bool on) {
  if (g_ShellSeam.keepWorkAreas) g_ShellSeam.keepWorkAreas(on);
}

void App_SetSubMode(u32 subMode) {
  g_Shell.g_PrevEditSubMode = g_Shell.g_EditSubMode;
  g_Shell.g_EditSubMode = subMode;
}

void App_LoadFamilyMenu(const char *name) {
  if (g_Shell.g_FamilyMenu && g_ShellSeam.destroyMenu) g_ShellSeam.destroyMenu(g_Shell.g_FamilyMenu);
  g_Shell.g_FamilyMenu = g_ShellSeam.loadFamilyMenu ? g_ShellSeam.loadFamilyMenu(name) : nullptr;
}

void App_LeaveFamily(void) {
  App_KeepWorkAreas(false);
  if (g_Shell.g_FamilyMenu) {
    void *menu = g_Shell.g_FamilyMenu;
    g_Shell.g_FamilyMenu = nullptr;
    if (g_ShellSeam.destroyMenu) g_ShellSeam.destroyMenu(menu);
  }
  HookCtx c = Family_ShellContext();
  CALL_HOOK(leave, &c);
  if (g_ShellSeam.destroyExtraViews) g_ShellSeam.destroyExtraViews();
}

// What a family switch frees, by kind of document: every document the family being left
// drops on leaving, and every one the family being entered drops on entering (the movie,
// collision and program families start by freeing every model of every family).
#define DOC_BIT(k) (1u << (k))
static_assert(DOC_KINDS <= 32, "a switch's kinds are bits of one word");
enum : u32 {
  DOCS_LAYERS = DOC_BIT(DOC_MODEL3) | (DOC_BIT(DOC_LAYER2 + 9) - DOC_BIT(DOC_LAYER2)) |   // layers 2..10
                (DOC_BIT(DOC_SOUNDS1 + 10) - DOC_BIT(DOC_SOUNDS1)),                       // their sound lists
  DOCS_3D = DOCS_LAYERS | DOC_BIT(DOC_OBJ3),
  DOCS_MODELS = DOCS_3D | DOC_BIT(DOC_BONE2) | DOC_BIT(DOC_OBJ2),
};
struct FamilyFrees {
  u32 family, enter, leave;
};
static const FamilyFrees kFrees[] = {
    // Slot 0 is made anew on entering these two; the 3D editor's model in it was asked
    // about when the 3D editor was left.
    {FAMILY_PREVIEW, 0, 0},
    {FAMILY_3D_MODEL, 0, DOCS_3D},
    {FAMILY_2D_MODEL, 0, 0},                            // the bone model stays; objects: below
    {FAMILY_EFFECT, DOCS_3D, DOC_BIT(DOC_EFFECT)},
    {FAMILY_2D_MAP, 0, DOC_BIT(DOC_MAP2)},
    {FAMILY_COLLISION, DOCS_MODELS, DOCS_3D | DOC_BIT(DOC_COLLISION)},
    {FAMILY_MOVIE, DOCS_MODELS, DOCS_MODELS | DOC_BIT(DOC_MOVIE)},
    {FAMILY_PROGRAM, DOCS_MODELS, DOCS_MODELS | DOC_BIT(DOC_PROGRAM)},
};

static const FamilyFrees *FreesOf(u32 family) {
  for (const FamilyFrees &f : kFrees)
    if (f.family == family) return &f;
  return nullptr;
}

// The family whose own document a kind is: its question keeps the short name there.
static u32 HomeFamily(u32 kind) {
  if (Doc_LayerSlot(kind) >= 0) return FAMILY_3D_MODEL;
  switch (kind) {
    case DOC_OBJ3: return FAMILY_3D_MODEL;
    case DOC_BONE2: case DOC_OBJ2: return FAMILY_2D_MODEL;
    case DOC_MOVIE: return FAMILY_MOVIE;
    case DOC_COLLISION: return FAMILY_COLLISION;
    case DOC_MAP2: return FAMILY_2D_MAP;
    case DOC_EFFECT: return FAMILY_EFFECT;
    default: return FAMILY_PROGRAM;
  }
}

u32 Family_SwitchFrees(u32 from, u32 subMode, u32 to) {
  const FamilyFrees *f = FreesOf(from), *t = FreesOf(to);
  u32 mask = (f ? f->leave : 0) | (t ? t->enter : 0);
  // Leaving the 2D editor's object sub-mode frees its object models.
  if (from == FAMILY_2D_MODEL && subMode == SUB_2D_OBJECT) mask |= DOC_BIT(DOC_OBJ2);
  return mask;
}

// Before a switch frees a document changed since it was loaded, saved or made (of whatever
// family), the user is asked; "いいえ" to any question keeps everything and no switch
// happens. (Not the edited flag: every recorded undo step clears that one.) What the switch
// frees is then given up: the next entry replaces it without asking again. The kinds it
// gives up are put in *givenUp.
static bool MayDiscardEditedDocuments(u32 to, u32 *givenUp) {
  u32 mask = Family_SwitchFrees(g_Shell.g_EditFamily, g_Shell.g_EditSubMode, to);
  *givenUp = mask;
  for (u32 k = 0; k < DOC_KINDS; k++) {
    if (!(mask & DOC_BIT(k)) || !Doc_IsChanged(k)) continue;
    if (!Discard_AskNamed(k, HomeFamily(k) != g_Shell.g_EditFamily)) return false;
  }
  for (u32 k = 0; k < DOC_KINDS; k++)
    if (mask & DOC_BIT(k)) Doc_ClearChanged(k);
  return true;
}

// The 3D editor's documents given up are gone at once, whether they had changed or not: the
// families entered next draw only their own. Every layer is emptied (slot 0 keeps an empty
// model, which the preview shows) and object set 0 is freed with its objects' models.
static void FreeGivenUp(u32 givenUp) {
  if (!(givenUp & DOCS_3D)) return;
  for (u32 slot = 1; slot < 10; slot++) Model3_FreeSlot((i32)slot);
  App_NewModelInSlot0();
  Kzo_FreeSet(0);
}

static void Start3DFamily(void) {
  g_Shell.g_EditFamily = FAMILY_3D_MODEL;
  g_Shell.g_EditSubMode = SUB_3D_POLY;
  App_NewModelInSlot0();
  for (u32 k = 0; k < DOC_KINDS; k++)
    if (DOCS_LAYERS & DOC_BIT(k)) Doc_ClearChanged(k);
  if (g_ShellSeam.undoResetAll) g_ShellSeam.undoResetAll();
  if (g_ShellSeam.undoPush) g_ShellSeam.undoPush("３Ｄモデル編集");
  g_Shell.g_EditedFlag = 0;
  for (u32 i = 0; i < VIEWS_PER_LAYOUT; i++) {
    ViewRecord *v = &g_Shell.g_Views[SUB_3D_POLY][i];
    v->panX = v->panY = v->panZ = 0;
  }
  g_Shell.g_Views[SUB_3D_POLY][0].panY = 8.0f;
  g_Shell.g_Views[SUB_3D_POLY][0].zoom = 3.2f;
  App_EnterFamily();
  g_Shell.g_EditDlgRefresh = 1;
}

void App_SwitchTo3DFamily(void) {
  // Choosing the 3D editor while in it would empty slot 0 and the undo history for nothing.
  if (g_Shell.g_EditFamily == FAMILY_3D_MODEL) return;
  u32 givenUp;
  if (!MayDiscardEditedDocuments(FAMILY_3D_MODEL, &givenUp)) { g_Shell.g_EditDlgRefresh = 1; return; }
  g_Shell.g_PrevEditFamily = g_Shell.g_EditFamily;
  App_LeaveFamily();
  FreeGivenUp(givenUp);
  Start3DFamily();
}

void App_SwitchFamily(u32 family) {
  if (family == g_Shell.g_EditFamily) return;
  if (family == FAMILY_3D_MODEL) { App_SwitchTo3DFamily(); return; }
  if (!Family_IsKnown(family)) return;
  u32 givenUp;
  if (!MayDiscardEditedDocuments(family, &givenUp)) { g_Shell.g_EditDlgRefresh = 1; return; }
  g_Shell.g_PrevEditFamily = g_Shell.g_EditFamily;
  g_Shell.g_PrevEditSubMode = g_Shell.g_EditSubMode;
  App_LeaveFamily();
  FreeGivenUp(givenUp);
  g_Shell.g_EditFamily = family;
  g_Shell.g_EditSubMode = Family_DefaultLayout(family);
  App_EnterFamily();
  g_Shell.g_EditDlgRefresh = 1;
}

// [SECTION] render hooks (App_UpdateFrame: update.cpp)
void App_DrawScene(void) {
  HookCtx c = Family_DrawContext(g_Shell.g_DrawView);
  CALL_HOOK(drawScene, &c);
}

void App_DrawOverlay(void) {
  if (g_Shell.g_EditSubMode >= SUB_3D_POLY && g_Shell.g_EditSubMode <= SUB_3D_MOTION && !App_HasCurrentModel3()) return;
  HookCtx c = Family_DrawContext(g_Shell.g_DrawView);
  CALL_HOOK(drawOverlay, &c);
  // The view windows of the families that draw nothing of their own there show the grid.
  bool bare = g_Shell.g_EditFamily == FAMILY_PREVIEW || g_Shell.g_EditFamily == FAMILY_COLLISION ||
              g_Shell.g_EditFamily == FAMILY_EFFECT;
  if (bare && g_Shell.g_DrawView != 0) View_Draw2DGrid(c.view);
}

// The render hooks reach the library's frame render through its hook table.
void App_InstallLibHooks(void) {
  g_LibHooks.drawScene = App_DrawScene;
  g_LibHooks.drawOverlay = App_DrawOverlay;
  g_LibHooks.frameRequest = View_FrameRequest;
}

void App_UpdateFrameThunk(void) { App_UpdateFrame(); }

// [SECTION] mouse dispatchers
// A press: the position decoded and stored, then the sub-mode's cell with the message's context.
// The drag it starts is measured from where the button went down: the previous move position
// becomes the press's, and the moves taken before it in this pass leave the navigation. (On a
// busy machine the last move before the press may be one from well before it, from the end of
// an earlier drag: the first move of this drag would turn the camera back by that distance.)
static void Press(i64 lParam, FamilyHook FamilyHooks::*cell) {
  i32 x, y;
  DecodeStored(lParam, &x, &y);
  g_Mouse.g_MousePrevX = x;
  g_Mouse.g_MousePrevY = y;
  g_Mouse.g_NavMoveDX = 0;
  g_Mouse.g_NavMoveDY = 0;
  HookCtx c = Family_Context(x, y);
  Family_Pass(Family_MouseRow(), cell, &c);
}

void App_OnLButtonDown(i64 lParam) { Press(lParam, &FamilyHooks::lButtonDown); }
void App_OnMButtonDown(i64 lParam) { Press(lParam, &FamilyHooks::mButtonDown); }
void App_OnRButtonDown(i64 lParam) { Press(lParam, &FamilyHooks::rButtonDown); }

void App_OnLButtonUp(i64 lParam) {
  i32 x, y;
  DecodeStored(lParam, &x, &y);
  if (ReleaseSwallowed(BUTTON_RIGHT)) return;
  App_MarkAllRedraw(View_CurrentLayout());
  HookCtx c = Family_Context(x, y);
  CALL_MOUSE(lButtonUp, &c);
}

void App_OnRButtonUp(i64 lParam) {
  i32 x, y;
  DecodeStored(lParam, &x, &y);
  if (ReleaseSwallowed(BUTTON_LEFT)) return;
  App_MarkAllRedraw(View_CurrentLayout());
  HookCtx c = Family_Context(x, y);
  CALL_MOUSE(rButtonUp, &c);
}

// The middle release does not store the position.
void App_OnMButtonUp(i64 lParam) {
  i32 x, y;
  Decode(lParam, &x, &y);
  App_MarkAllRedraw(View_CurrentLayout());
  HookCtx c = Family_Context(x, y);
  CALL_MOUSE(mButtonUp, &c);
}

void App_OnMouseMove(i64 lParam) {
  if (Shell_AnyButtonHeld()) App_MarkAllRedraw(View_CurrentLayout());
  i32 x, y;
  DecodeStored(lParam, &x, &y);
  g_Mouse.g_MouseMoveX = g_Mouse.g_MouseX;
  g_Mouse.g_MouseMoveY = g_Mouse.g_MouseY;
  g_Mouse.g_MouseMoveDX = (f32)(g_Mouse.g_MouseX - g_Mouse.g_MousePrevX);
  g_Mouse.g_MouseMoveDY = (f32)(g_Mouse.g_MouseY - g_Mouse.g_MousePrevY);
  g_Mouse.g_NavMoveDX += g_Mouse.g_MouseMoveDX;
  g_Mouse.g_NavMoveDY += g_Mouse.g_MouseMoveDY;
  g_Mouse.g_MousePrevX = g_Mouse.g_MouseX;
  g_Mouse.g_MousePrevY = g_Mouse.g_MouseY;
  HookCtx c = Family_Context(x, y);
  CALL_MOUSE(mouseMove, &c);
  if (g_Sel.g_PolyNoAutoPick == 0 && !Shell_AnyButtonHeld()) CALL_HOOK(hoverPick, &c);
}

void App_OnLButtonDblClk(i64 lParam) {
  i32 x, y;
  Decode(lParam, &x, &y);
  HookCtx c = Family_Context(x, y);
  CALL_HOOK(doubleClick, &c);
}

// [SECTION] keys, commands and lists (App_OnKeyDown, App_OnKeyUp: keys.cpp)
void App_LoopKeyUp(u32 vk) {
  HookCtx c = Family_ShellContext();
  c.key = vk;
  CALL_HOOK(loopKeyUp, &c);
}

void App_FamilyCommand(u32 id) {
  HookCtx c = Family_ShellContext();
  c.command = id;
  CALL_HOOK(command, &c);
}

// [SECTION] wheel
WheelAction Wheel_Decide(u32 family, u32 subMode, u32 viewKind, bool reverse, bool forward) {
  WheelAction a = {WHEEL_NOTHING, 1.0f, forward ? -1 : 1};
  const f32 in = 0.66f, out = 1.5f;
  bool persp = viewKind == VIEW_MAIN;
  switch (family) {
    case FAMILY_PREVIEW:
    case FAMILY_COLLISION:
      a.kind = WHEEL_ZOOM;
      a.factor = (forward != reverse) ? in : out;
      break;
    case FAMILY_2D_MODEL:
      if (subMode == SUB_2D_OBJECT) a.kind = WHEEL_2D_OBJECT_KEY;
      else if (subMode == SUB_2D_MOTION) a.kind = WHEEL_2D_MOTION_KEY;
      else if (subMode >= SUB_2D_POLY && subMode <= SUB_2D_WEIGHT) {
        a.kind = WHEEL_ZOOM;   // the reverse option has no effect here
        a.factor = (forward != persp) ? in : out;
      }
      break;
    case FAMILY_3D_MODEL:
      if (subMode == SUB_3D_OBJMOTION) a.kind = WHEEL_3D_OBJMOTION_KEY;
      else if (subMode == SUB_3D_MOTION) a.kind = WHEEL_3D_MOTION_KEY;
      else if (subMode >= SUB_3D_POLY && subMode <= SUB_3D_WEIGHT) {
        a.kind = WHEEL_ZOOM;
        bool grow = (forward != persp) != reverse;
        a.factor = grow ? out : in;
      }
      break;
    case FAMILY_EFFECT: a.kind = WHEEL_EFFECT_KEY; break;
    case FAMILY_MOVIE: a.kind = WHEEL_MOVIE_KEY; break;
    default: break;
  }
  return a;
}

static void RunWheel(bool forward) {
  HookCtx c = Family_ShellContext();
  WheelAction a = Wheel_Decide(g_Shell.g_EditFamily, g_Shell.g_EditSubMode, c.view->kind, g_Options.g_OptReverseWheel != 0, forward);
  c.step = a.step;
  switch (a.kind) {
    case WHEEL_ZOOM: c.view->zoom *= a.factor; App_MarkAllRedraw(c.layout); break;
    case WHEEL_NOTHING: break;
    // The key kinds step the family's key frame (the sub-mode's row, in families 3 and 11).
    case WHEEL_2D_OBJECT_KEY:
    case WHEEL_2D_MOTION_KEY:
    case WHEEL_3D_OBJMOTION_KEY: CALL_HOOK(wheelKey, &c); break;
    default: CALL_HOOK(wheelKey, &c); App_MarkAllRedraw(c.layout); break;
  }
}

void App_OnWheelUp(void) { RunWheel(true); }
void App_OnWheelDown(void) { RunWheel(false); }
