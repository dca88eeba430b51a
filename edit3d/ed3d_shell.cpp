// The 3D family's shell: entering and leaving the family with the panels of the sub-mode,
// the mode panel's sub-mode switch, the per-frame rules after the sub-mode's update and scene
// draw, the shared key table of the bone and weight sub-modes and the arrow-key pans.
// Owns g_Ed3D.
#include "app/shell_sel.h"
#include "edit3d/ed3d.h"

#include <string.h>

#include "app/current.h"
#include "app/family.h"
#include "app/settings.h"
#include "app/shell_seam.h"
#include "app/tree.h"
#include "app/viewdraw.h"
#include "app/views.h"
#include "app/vkeys.h"
#include "app/widget.h"
#include "edit3d/ed3d_bone.h"
#include "edit3d/ed3d_rows.h"
#include "lib/draw/draw.h"
#include "lib/draw/pn.h"
#include "lib/framework/lib.h"
#include "app/shell_view.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/view_record.h"

Ed3DModelEditor g_Ed3D = {nullptr, nullptr, {}, {}, &g_Undo, nullptr, 0, 0, 0, nullptr, nullptr, {}, {}};
// The bone list's template is the 2D editor's too: its name here is the family's own.
const char *const kEd3DPanelNames[ED3D_PANEL_KINDS] = {"MODEL_3D_DLG", "LAYER_DLG", "3D_BONE_LIST_DLG", "3D_GROUP_DLG",
                                                       "UNDO_DLG"};

// [SECTION] panel sets
u32 Ed3D_PanelSet(u32 sub) {
  u32 set = 1u << ED3D_PANEL_MODE;
  if (sub == SUB_3D_POLY) set |= 1u << ED3D_PANEL_LAYER;
  if (sub == SUB_3D_BONE || sub == SUB_3D_WEIGHT) set |= 1u << ED3D_PANEL_BONE_LIST;
  if (sub == SUB_3D_POLY || sub == SUB_3D_TEXTURE || sub == SUB_3D_WEIGHT) set |= 1u << ED3D_PANEL_GROUP;
  if (sub >= SUB_3D_POLY && sub <= SUB_3D_MOTION) set |= 1u << ED3D_PANEL_UNDO;
  return set;
}

static bool Shows(u32 layout, u32 panel) { return (Ed3D_PanelSet(layout) >> panel) & 1u; }

static WindowHolder *LayoutHolder(u32 layout, u32 holder) { return &g_AppShell.panels[layout][holder]; }

// Heights of the panels with a caption differ by the OS version class (class 5 is taller).
static i32 ByOs(i32 class5, i32 other) { return g_Lib.osVersion == 5 ? class5 : other; }

// A placement record never placed (0, 0) opens its panel at the right edge below the layer
// panel: at (0, 0) the panel would cover the edit-mode selector and the Front view.
static void PlaceOf(const WindowHolder *rec, i32 rightOffset, i32 *x, i32 *y) {
  bool unplaced = rec->x == 0 && rec->y == 0;
  *x = unplaced ? g_Lib.desktopWidth - rightOffset : rec->x;
  *y = unplaced ? 56 : rec->y;
}

// The texture sub-mode on a low desktop: the group dialog between the texture panel (bottom
// left, 410 wide) and the image panel (top right, 344 wide), the undo dialog below the image
// panel.
enum { TEX_LOW_GROUP_X = 408, TEX_LOW_UNDO_X = 680, TEX_LOW_UNDO_Y = 470 };
static void PlaceLowTexture(const WindowHolder *rec, u32 layout, bool group, i32 *x, i32 *y) {
  if (layout != SUB_3D_TEXTURE || !View_TextureLayoutLow() || rec->x != 0 || rec->y != 0) return;
  *x = group ? TEX_LOW_GROUP_X : TEX_LOW_UNDO_X;
  *y = group ? 40 : TEX_LOW_UNDO_Y;
}

static void *CreatePanel(u32 panel, i32 x, i32 y, i32 w, i32 h) {
  return Widget_CreatePanel(kEd3DPanelNames[panel], x, y, w, h);
}

void *Ed3D_Control(void *panel, u32 id) { return panel ? Widget_Control(panel, id) : nullptr; }

void Ed3D_DestroyWindow(void **window) {
  if (*window) Widget_Destroy(*window);
  *window = nullptr;
}

void *Ed3D_CreateListBox(void *panel, u32 id, i32 x, i32 y, i32 w, i32 h) {
  return panel ? Widget_CreateList(panel, id, x, y, w, h, WIDGET_LIST_NOTIFY) : nullptr;
}

bool Ed3D_OpenSoundPanel(const char *name, u32 listId, void **panel, void **list) {
  if (*panel) return false;
  *panel = Widget_CreatePanel(name, g_Lib.desktopWidth / 2 - 100, 100, 206, 380);
  *list = Ed3D_CreateListBox(*panel, listId, 0, 22, 200, 325);
  return true;
}

void *Ed3D_CreatePanelTree(void *panel) { return Widget_CreateTree(panel, 0, 49, 168, 360); }

void *Ed3D_CreatePanelList(void *panel) {
  return Widget_CreateList(panel, IDC_BONE_LIST, 169, 49, 180, 360, WIDGET_LIST_NOTIFY | WIDGET_LIST_EXTENDED);
}

// [SECTION] enter
static void EnterBoneListPanel(const HookCtx *c) {
  Ed3DModelEditor &e = g_Ed3D;
  if (e.bonePanel) return;
  // The panel's first messages pick the list's line as the current bone: keep the user's.
  u32 bone = c->sel->g_CurBoneIndex;
  e.bonePanel = CreatePanel(ED3D_PANEL_BONE_LIST, g_Lib.desktopWidth - 356, 26, 356, 573);
  c->sel->g_CurBoneIndex = bone;
  if (!e.boneTree) e.boneTree = Ed3D_CreatePanelTree(e.bonePanel);
  if (!e.boneList) e.boneList = Ed3D_CreatePanelList(e.bonePanel);
  e.parentCombo = Ed3D_Control(e.bonePanel, IDC_BONE_PARENT);
  Ed3D_FillParentBoneList(c);   // selects the current bone's line
  Ed3D_FillBoneTree(c);
  c->sel->g_CurBoneIndex = bone;
}

static void EnterGroupPanel(const HookCtx *c) {
  Ed3DModelEditor &e = g_Ed3D;
  WindowHolder *rec = LayoutHolder(c->layout, PANEL_GROUP);
  if (!rec->window) {
    i32 x, y;
    PlaceOf(rec, 262, &x, &y);
    PlaceLowTexture(rec, c->layout, true, &x, &y);
    rec->window = CreatePanel(ED3D_PANEL_GROUP, x, y, 262, 550);
  }
  e.group.list = Ed3D_Control(rec->window, IDC_GRP_LIST);
  e.group.textureCombo = Ed3D_Control(rec->window, IDC_GRP_TEXTURE);
  e.group.dispCombo = Ed3D_Control(rec->window, IDC_GRP_DISP);
  e.group.displayCombo = Ed3D_Control(rec->window, IDC_GRP_DISPLAY);
  Ed3D_FillGroupList(c);   // also the texture and displacement combos
  Ed3D_FillGroupDisplayCombo(c);
}

static void EnterUndoPanel(const HookCtx *c) {
  WindowHolder *rec = LayoutHolder(c->layout, UNDO_PANEL_HOLDER);
  if (!rec->window) {
    i32 x, y;
    PlaceOf(rec, 262 + 144, &x, &y);
    PlaceLowTexture(rec, c->layout, false, &x, &y);
    rec->window = CreatePanel(ED3D_PANEL_UNDO, x, y, 144, ByOs(176, 172));
    g_Undo.list = Ed3D_Control(rec->window, IDC_GRP_LIST);   // 1373 in UNDO_DLG too
  }
  Undo_FillListOf(c->slot);
}

// The sub-modes whose editors start on layer 0 (the bone sub-mode keeps the layer).
static bool StartsOnLayer0(u32 sub) {
  return sub == SUB_3D_OBJMOTION || sub == SUB_3D_POLY || sub == SUB_3D_TEXTURE || sub == SUB_3D_WEIGHT ||
         sub == SUB_3D_MOTION;
}

// Enter steps in the layout of c with its records; runHook false for the button of the
// current sub-mode (panels and refresh only).
static void EnterSteps(const HookCtx *c, bool runHook) {
  Ed3DModelEditor &e = g_Ed3D;
  u32 sub = c->layout;
  if (runHook) Pn_PrepareWorkModel();
  if (!e.modePanel) e.modePanel = CreatePanel(ED3D_PANEL_MODE, 90, 47, 90, ByOs(199, 194));
  // The layer may change below: the context then names its slot and model.
  HookCtx fresh = *c;
  if (runHook) {
    if (StartsOnLayer0(sub) && c->sel->g_CurSlot != 0) {
      c->sel->g_CurSlot = 0;
      fresh.slot = 0;
      fresh.model = Model3_Get(0);
    }
    const FamilyHooks *row = Ed3D_SubModeRow(sub);
    if (row && row->enter) row->enter(&fresh);
    if (c->sel->g_CurSlot != fresh.slot) {
      fresh.slot = c->sel->g_CurSlot;
      fresh.model = Model3_Get((i32)fresh.slot);
    }
    // Only the edited layer is seen: the previous layer's object would stay shown otherwise.
    Ed3D_ShowLayerOnly(fresh.slot);
  }
  if (Shows(sub, ED3D_PANEL_LAYER) && !e.layer.window)
    e.layer.window = CreatePanel(ED3D_PANEL_LAYER, g_Lib.desktopWidth - 300, 4, 186, ByOs(48, 44));
  if (Shows(sub, ED3D_PANEL_BONE_LIST)) EnterBoneListPanel(&fresh);
  if (Shows(sub, ED3D_PANEL_GROUP)) EnterGroupPanel(&fresh);
  if (Shows(sub, ED3D_PANEL_UNDO)) {
    EnterUndoPanel(&fresh);
    if (g_ShellSeam.createViewWindows) g_ShellSeam.createViewWindows();
  }
  App_MarkAllRedraw(c->layout);
}

void Ed3D_Enter(const HookCtx *c) { EnterSteps(c, true); }

// [SECTION] leave
void Ed3D_Leave(const HookCtx *c) {
  Ed3DModelEditor &e = g_Ed3D;
  Ed3D_DestroyWindow(&e.modePanel);
  const FamilyHooks *row = Ed3D_SubModeRow(c->layout);
  if (row && row->leave) row->leave(c);
  Ed3D_DestroyWindow(&e.layer.window);
  WindowHolder *group = LayoutHolder(c->layout, PANEL_GROUP);
  if (group->window) {
    Ed3D_DestroyWindow(&e.group.list);
    Ed3D_DestroyWindow(&group->window);
    e.group.textureCombo = e.group.dispCombo = e.group.displayCombo = nullptr;
  }
  if (e.bonePanel) {
    Ed3D_DestroyWindow(&e.boneTree);
    Ed3D_DestroyWindow(&e.parentCombo);
    Ed3D_DestroyWindow(&e.boneList);
    Ed3D_DestroyWindow(&e.bonePanel);
    memset(e.treeItems, 0, sizeof e.treeItems);
  }
  WindowHolder *undo = LayoutHolder(c->layout, UNDO_PANEL_HOLDER);
  if (undo->window) {
    Ed3D_DestroyWindow(&g_Undo.list);
    Ed3D_DestroyWindow(&undo->window);
  }
  Lib_SetSceneDraw(1);
  if (g_ShellSeam.destroyExtraViews) g_ShellSeam.destroyExtraViews();
}

// [SECTION] mode panel
u32 Ed3D_ModeButtonSubMode(u32 id) {
  switch (id) {
    case IDC_M3D_POLY: return SUB_3D_POLY;
    case IDC_M3D_TEXTURE: return SUB_3D_TEXTURE;
    case IDC_M3D_BONE: return SUB_3D_BONE;
    case IDC_M3D_WEIGHT: return SUB_3D_WEIGHT;
    case IDC_M3D_MOTION: return SUB_3D_MOTION;
    case IDC_M3D_OBJECT: return SUB_3D_OBJMOTION;
    default: return 0;
  }
}

bool Ed3D_ModeCommand(u32 id) {
  u32 sub = Ed3D_ModeButtonSubMode(id);
  if (sub == 0) return false;
  if (sub == g_Shell.g_EditSubMode) {
    // Entering again would discard the sub-mode's state (object set 0 in sub-mode 12).
    HookCtx c = Family_ShellContext();
    EnterSteps(&c, false);
  } else {
    App_KeepWorkAreas(false);
    HookCtx c = Family_ShellContext();
    Ed3D_Leave(&c);
    App_SetSubMode(sub);
    // The new sub-mode's layout and views.
    HookCtx entered = Family_ShellContext();
    EnterSteps(&entered, true);
    App_KeepWorkAreas(true);
  }
  g_Ed3D.modeRefresh = 1;
  return true;
}

// [SECTION] per-frame rules
// The current hierarchy row follows the current object (12) or bone (18): the last row of
// that item; left alone when no row matches.
static void FollowCurrentRow(const ShellSelection *sel, u32 sub) {
  i32 item;
  if (sub == SUB_3D_OBJMOTION) item = (i32)sel->g_CurPartIndex;
  else if (sub == SUB_3D_MOTION) item = (i32)sel->g_CurBoneIndex;
  else return;
  i32 n = g_TreeRows.count < TREE_ROWS ? g_TreeRows.count : TREE_ROWS;
  for (i32 r = n - 1; r >= 0; r--)
    if (g_TreeRows.rows[r].item == item) { g_TreeRows.current = r; return; }
}

void Ed3D_Update(const HookCtx *c) {
  // The renderer's weight colouring shows the current bone's vertices in the bone and weight
  // sub-modes; a sub-mode's update may set its own.
  u32 sub = c->layout;
  c->sel->g_SelectedBone = sub == SUB_3D_BONE || sub == SUB_3D_WEIGHT ? c->sel->g_CurBoneIndex : 0;
  const FamilyHooks *row = Ed3D_SubModeRow(sub);
  if (row && row->update) row->update(c);
  FollowCurrentRow(c->sel, sub);
}

void Ed3D_DrawScene(const HookCtx *c) {
  const FamilyHooks *row = Ed3D_SubModeRow(c->layout);
  if (row && row->drawScene) row->drawScene(c);
  View_DrawAxisGizmo(c->view);
}

// [SECTION] keys and pans
static void Pan(ViewRecord *v, i32 dx, i32 dy);

// The arrows pan the context's view; A in the bone sub-mode adds a bone to its model.
static void SharedKeys(const HookCtx *c, bool boneSubMode) {
  switch (c->key) {
    case VKEY_LEFT: Pan(c->view, -1, 0); break;
    case VKEY_UP: Pan(c->view, 0, 1); break;
    case VKEY_RIGHT: Pan(c->view, 1, 0); break;
    case VKEY_DOWN: Pan(c->view, 0, -1); break;
    case 'A': if (boneSubMode) Ed3D_AddBone(c->model, c->sel, c->slot); break;
    default: break;
  }
}

void Ed3D_BoneKeyUp(const HookCtx *c) { SharedKeys(c, true); }
void Ed3D_WeightKeyDown(const HookCtx *c) { SharedKeys(c, false); }

static ViewRecord *ActiveView(void) { return View_Get(g_Shell.g_EditSubMode, g_Shell.g_ActiveView); }

// Moves view v's pan: dx along the view's horizontal, dy along its vertical (screen up is
// +1). Front and Top pan x sideways; Side pans z, the other way round. The moved view is
// flagged for redraw.
static void Pan(ViewRecord *v, i32 dx, i32 dy) {
  if (Shell_ButtonHeld(BUTTON_LEFT) || Shell_ButtonHeld(BUTTON_RIGHT)) return;
  if (v->zoom == 0.0f) return;   // no step at zoom 0 (2 / 0 would throw the view away)
  f32 d = 2.0f / v->zoom;
  switch (v->kind) {
    case VIEW_FRONT: v->panX += (f32)dx * d; v->panY += (f32)dy * d; break;
    case VIEW_TOP: v->panX += (f32)dx * d; v->panZ -= (f32)dy * d; break;
    case VIEW_SIDE: v->panZ -= (f32)dx * d; v->panY += (f32)dy * d; break;
    default: return;   // perspective views do not move
  }
  v->redraw = 1;   // the moved view is drawn again at once, not at the next event
}

void Ed3D_PanViewLeft(void) { Pan(ActiveView(), -1, 0); }
void Ed3D_PanViewUp(void) { Pan(ActiveView(), 0, 1); }
void Ed3D_PanViewRight(void) { Pan(ActiveView(), 1, 0); }
void Ed3D_PanViewDown(void) { Pan(ActiveView(), 0, -1); }
