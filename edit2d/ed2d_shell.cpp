// The 2D model family's shell: entering and leaving the family with the dialogs of the
// sub-mode, the mode panel's sub-mode switch and its question, the per-frame placement, the
// axis labels, the "新規作成" commands, the list refresh and the client-to-frame mapping.
// Owns g_Ed2D; the group dialog's window lives in g_Options.g_Group2DDlg (app/settings.h).
#include "app/shell_options.h"
#include "app/shell_sel.h"
#include "edit2d/ed2d.h"

#include <string.h>

#include "app/discard.h"
#include "app/current.h"
#include "app/docflags.h"
#include "app/entries.h"
#include "app/family.h"
#include "app/settings.h"
#include "app/shell_seam.h"
#include "app/startup_state.h"
#include "app/tree.h"
#include "app/update.h"
#include "app/views.h"
#include "edit2d/ed2d_object.h"
#include "edit2d/ed2d_motion.h"
#include "edit2d/ed2d_submode.h"
#include "edit2d/ed2d_poly.h"
#include "edit2d/ed2d_rows.h"
#include "edit2d/ed2d_tex.h"
#include "lib/draw/draw.h"
#include "lib/draw/screen.h"
#include "lib/draw/text.h"
#include "lib/framework/lib.h"
#include "app/shell_view.h"
#include "lib/framework/lib_state.h"
#include "model/obj2.h"

Ed2DEditor g_Ed2D = {};

static const char kObjectQuestion[] = "保存しないで編集モードを変更しますか？";

// [SECTION] window helpers
const char *Ed2D_WindowName(u32 kind) {
  static const char *const kNames[ED2D_WIN_KINDS] = {"MODEL_2D_DLG", "BONE_LIST_DLG", "2D_GROUP_DLG", "2D_POLY_DLG",
                                                     "2D_WEIGHT_DLG"};
  return kind < ED2D_WIN_KINDS ? kNames[kind] : nullptr;
}

WidgetLines Ed2D_WidgetLines(const Ed2DLines *lines) {
  return Widget_Lines(lines->text[0], ED2D_LINE, lines->count, lines->select);
}

void Ed2D_FillAs(void *control, u32 kind, const Ed2DLines *lines) {
  WidgetLines l = Ed2D_WidgetLines(lines);
  Widget_Fill(control, kind, &l);
}

void Ed2D_Fill(void *control, bool combo, const Ed2DLines *lines) {
  Ed2D_FillAs(control, combo ? WIDGET_FILL_COMBO : WIDGET_FILL_MULTI_CARET, lines);
}

bool Ed2D_ChooseColour(f32 rgb[3]) {
  static u32 custom[WIDGET_COLOURS];
  return Widget_ChooseColour(custom, WIDGET_COLOUR_FULL | WIDGET_COLOUR_INIT, rgb);
}

static void *CreateWindow2D(u32 kind, i32 x, i32 y, i32 w, i32 h) {
  return Widget_CreatePanel(Ed2D_WindowName(kind), x, y, w, h);
}

static void *Control(void *dlg, u32 id) { return dlg ? Widget_Control(dlg, id) : nullptr; }

static void Destroy(void **window) {
  if (*window) Widget_Destroy(*window);
  *window = nullptr;
}

u32 Ed2D_WindowSet(u32 sub) {
  u32 set = 1u << ED2D_WIN_PANEL;
  if (sub == SUB_2D_BONE || sub == SUB_2D_WEIGHT) set |= 1u << ED2D_WIN_BONE_DLG;
  if (sub == SUB_2D_POLY || sub == SUB_2D_TEXTURE || sub == SUB_2D_WEIGHT) set |= 1u << ED2D_WIN_GROUP_DLG;
  // The sub-modes' own panels (made by their inits).
  if (sub == SUB_2D_POLY) set |= 1u << ED2D_WIN_POLY_DLG;
  if (sub == SUB_2D_WEIGHT) set |= 1u << ED2D_WIN_WEIGHT_DLG;
  return set;
}

static bool Shows(u32 sub, u32 kind) { return (Ed2D_WindowSet(sub) >> kind) & 1u; }

// [SECTION] model
// A new bone model with full arrays in slot 0, shown at the editor's placement.
static Bone2Model *MakeBoneModel(void) {
  g_ModelAllocArrays = 1;
  Bone2Model *m = Bone2_Init(0);
  g_ModelAllocArrays = 0;
  if (!m) return nullptr;
  g_Bone2SlotShown[0] = 1;
  Bone2_SetPosition(m, 320.0f, 240.0f);
  Doc_Replaced(DOC_BONE2);
  return m;
}

Bone2Model *Ed2D_EnsureBoneModel(Bone2Model *held) { return held ? held : MakeBoneModel(); }

bool Ed2D_NewBoneModel(const HookCtx *c) {
  if (c->model2 && !Discard_Ask(DOC_BONE2)) return false;
  Bone2_FreeSlot(0);
  HookCtx after = *c;   // the context's model is gone: the refresh gets the new one
  after.model2 = MakeBoneModel();
  App_ForgetPolySelection(c->sel);
  c->sel->g_CurBoneIndex = 0;
  App_RefreshLists(&after);
  return true;
}

// [SECTION] sub-mode inits
void Ed2D_InitCommon(const HookCtx *c, u32 sub) {
  c->sel->g_Cur2DSlot = 0;
  // The object sub-mode shows its object models alone: the bone model's skin is hidden there
  // and shown again by the bone sub-modes.
  if (c->model2) g_Bone2SlotShown[0] = sub == SUB_2D_OBJECT ? 0u : 1u;
  g_Lib.runState = sub == SUB_2D_OBJECT ? 1u : 2u;
  const char *menu = sub == SUB_2D_OBJECT ? "MENU_2D_OBJ" : sub == SUB_2D_MOTION ? "MENU_2D_MOTION" : "MENU_2D_BONE";
  if (!g_ShellSeam.loadFamilyMenu) return;
  // The shell destroys the family menu on leaving the family; a sub-mode change replaces it.
  App_LoadFamilyMenu(menu);
}

// [SECTION] enter
// The steps below get the context with the model the sub-mode's init may have made.
static void EnterBoneDialog(const HookCtx *c) {
  Ed2DEditor &e = g_Ed2D;
  if (e.boneDlg) return;
  // The dialog's first messages pick the list's caret line as the current bone: keep it.
  u32 bone = c->sel->g_CurBoneIndex;
  e.boneDlg = CreateWindow2D(ED2D_WIN_BONE_DLG, g_Lib.desktopWidth - 356, 26, 356, 573);
  c->sel->g_CurBoneIndex = bone;
  if (!e.boneList) e.boneList = Widget_CreateList(e.boneDlg, 1, 0, 49, 211, 360, WIDGET_LIST_NOTIFY | WIDGET_LIST_EXTENDED);
  if (!e.boneTree) e.boneTree = Widget_CreateTree(e.boneDlg, 211, 49, 138, 360);
  e.parentCombo = Control(e.boneDlg, IDC_BONE_PARENT);
  Ed2D_FillParentBoneList(c->model2, bone);
  Ed2D_FillBoneTree(c->model2, bone);
  c->sel->g_CurBoneIndex = bone;
  e.boneRefresh = 1;
}

static void EnterGroupDialog(ShellSelection *sel) {
  Ed2DEditor &e = g_Ed2D;
  u32 bone = sel->g_CurBoneIndex;
  WindowHolder &g = g_Options.g_Group2DDlg;
  if (!g.window) g.window = CreateWindow2D(ED2D_WIN_GROUP_DLG, g.x, g.y, 262, 515);
  sel->g_CurBoneIndex = bone;
  if (!e.groupList) e.groupList = Widget_CreateList(g.window, 1, 54, 0, 200, 272, WIDGET_LIST_NOTIFY | WIDGET_LIST_EXTENDED);
  e.groupTexture = Control(g.window, IDC_G2D_TEXTURE);
  e.groupDisplay = Control(g.window, IDC_G2D_SHADE);
}

// runInit false for the button of the current sub-mode: dialogs and refresh only. The steps
// after the bone model is made (when missing) get the context with that model; the sub-mode's
// init gets that context too.
static void EnterSteps(const HookCtx *handed, bool runInit) {
  Ed2DEditor &e = g_Ed2D;
  HookCtx c = *handed;
  if (runInit) e.zoom = 1.0f;
  // On a low desktop the panel stands right of the edit-mode selector just below the menu
  // bar, so that its last button ends above the group dialog, which stands on the bottom edge.
  if (!e.panel) e.panel = CreateWindow2D(ED2D_WIN_PANEL, 90, View_TextureLayoutLow() ? 40 : 47, 90, g_Lib.osVersion == 5 ? 199 : 194);
  if (c.layout != SUB_2D_OBJECT) c.model2 = Ed2D_EnsureBoneModel(c.model2);
  if (runInit) {
    const FamilyHooks *row = Ed2D_SubModeRow(c.layout);
    if (row && row->enter) row->enter(&c);
  }
  if (Shows(c.layout, ED2D_WIN_BONE_DLG)) EnterBoneDialog(&c);
  if (Shows(c.layout, ED2D_WIN_GROUP_DLG)) EnterGroupDialog(c.sel);
  App_RefreshLists(&c);
}

void Ed2D_Enter(const HookCtx *c) { EnterSteps(c, true); }

// [SECTION] leave
void Ed2D_Leave(const HookCtx *c) {
  Ed2DEditor &e = g_Ed2D;
  Destroy(&e.panel);
  const FamilyHooks *row = Ed2D_SubModeRow(c->layout);
  if (row && row->leave) row->leave(c);
  if (g_Options.g_Group2DDlg.window) {
    Destroy(&e.groupList);
    Destroy(&g_Options.g_Group2DDlg.window);
    e.groupTexture = e.groupDisplay = nullptr;
  }
  if (e.boneDlg) {
    Destroy(&e.boneTree);
    Destroy(&e.boneList);
    Destroy(&e.boneDlg);
    e.parentCombo = nullptr;
    memset(e.treeItems, 0, sizeof e.treeItems);
  }
  c->sel->g_SelectedBone = 0;
  Lib_SetSceneDraw(1);
  if (g_ShellSeam.destroyExtraViews) g_ShellSeam.destroyExtraViews();
}

// [SECTION] mode panel
u32 Ed2D_ModeButtonSubMode(u32 id) {
  switch (id) {
    case IDC_M2D_OBJECT: return SUB_2D_OBJECT;
    case IDC_M2D_POLY: return SUB_2D_POLY;
    case IDC_M2D_TEXTURE: return SUB_2D_TEXTURE;
    case IDC_M2D_BONE: return SUB_2D_BONE;
    case IDC_M2D_WEIGHT: return SUB_2D_WEIGHT;
    case IDC_M2D_MOTION: return SUB_2D_MOTION;
    default: return 0;
  }
}

// The question before a sub-mode change that drops work: into the object sub-mode with a
// skin of polygons changed since made, loaded or saved (a saved one is kept by its file), or
// out of it with an object model changed since made, loaded or saved.
static bool MayChangeSubMode(u32 sub) {
  bool ask = false;
  if (sub == SUB_2D_OBJECT && g_Shell.g_EditSubMode != SUB_2D_OBJECT) {
    const Bone2Model *m = Current_Bone2Edited();
    ask = g_Shell.g_EditFamily == FAMILY_2D_MODEL && g_Shell.g_EditSubMode >= SUB_2D_POLY && g_Shell.g_EditSubMode <= SUB_2D_MOTION && m &&
          m->polygonCount > 0 && Doc_IsChanged(DOC_BONE2);
  } else if (sub != SUB_2D_OBJECT && g_Shell.g_EditSubMode == SUB_2D_OBJECT) {
    ask = Current_Obj2Model() && Doc_IsChanged(DOC_OBJ2);
  }
  if (!ask || !g_ShellSeam.askYesNo || g_ShellSeam.askYesNo(kObjectQuestion)) return true;
  g_Shell.g_EditDlgRefresh = 1;
  g_Ed2D.panelRefresh = 1;   // the pressed button shows checked until the panel re-checks
  return false;
}

bool Ed2D_PanelCommand(u32 id) {
  u32 sub = Ed2D_ModeButtonSubMode(id);
  if (sub == 0) return false;
  if (!MayChangeSubMode(sub)) return true;
  if (sub == g_Shell.g_EditSubMode) {
    // Running the init again would discard the sub-mode's state (the object model in 4).
    HookCtx c = Family_ShellContext();
    EnterSteps(&c, false);
  } else {
    if (g_Shell.g_EditSubMode == SUB_2D_OBJECT) Doc_ClearChanged(DOC_OBJ2);   // given up by the answer
    App_KeepWorkAreas(false);
    HookCtx c = Family_ShellContext();
    Ed2D_Leave(&c);
    App_SetSubMode(sub);
    c = Family_ShellContext();
    EnterSteps(&c, true);
    App_KeepWorkAreas(true);
  }
  g_Ed2D.panelRefresh = 1;
  return true;
}

// [SECTION] per frame
void Ed2D_Update(const HookCtx *c) {
  if (Current_Obj2Model()) Obj2_SetPosition(Current_Obj2Model(), 320.0f, 240.0f);
  if (c->model2) Bone2_SetPosition(c->model2, 320.0f, 240.0f);
  const FamilyHooks *row = Ed2D_SubModeRow(c->layout);
  if (row && row->update) row->update(c);
  // The weight colouring marks the current bone in the bone, weight and motion sub-modes.
  u32 sub = c->layout;
  ShellSelection *sel = c->sel;
  sel->g_SelectedBone = (sub == SUB_2D_BONE || sub == SUB_2D_WEIGHT || sub == SUB_2D_MOTION) ? sel->g_CurBoneIndex : 0;
}

void Ed2D_DrawScene(const HookCtx *c) {}

void Ed2D_Draw(const HookCtx *c) {
  if (g_Shell.g_Playing != 1) {
    Text_Printf(313, 4, "Y-");
    Text_Printf(615, 233, "X+");
    Text_Printf(313, 462, "Y+");
    Text_Printf(5, 233, "X-");
  }
  const FamilyHooks *row = Ed2D_SubModeRow(c->layout);
  if (row && row->drawOverlay) row->drawOverlay(c);
}

void Ed2D_Command(const HookCtx *c) {
  u32 id = c->command;
  // Replaces slot 0's model: nothing here reads the context's model after it.
  if (id == IDM_2D_BONE_NEW || id == IDM_2D_MOTION_NEW) Ed2D_NewBoneModel(c);
}

// [SECTION] lists
void Ed2D_RefreshLists(const HookCtx *c) {
  // The lists of the sub-mode's own dialogs (its row's cell), then the shell's.
  const FamilyHooks *row = Ed2D_SubModeRow(c->layout);
  if (row && row->refreshLists) row->refreshLists(c);
  if (g_Options.g_Group2DDlg.window) {
    Ed2D_FillGroupList(c->sel);
    Ed2D_FillShadeList(c->sel);
    g_Ed2DGroup.refresh = 1;
  }
  if (c->layout == SUB_2D_OBJECT) {
    if (g_ShellEntries.obj2RefreshLists) g_ShellEntries.obj2RefreshLists();
    Tree_BuildRowsObjects2D();
    return;
  }
  if (g_Ed2D.boneDlg) {
    Ed2D_FillParentBoneList(c->model2, c->sel->g_CurBoneIndex);
    Ed2D_FillBoneTree(c->model2, c->sel->g_CurBoneIndex);
  }
  Tree_LinkBones2D();
  Tree_BuildRowsBones2D();
  if (c->layout == SUB_2D_MOTION) Ed2D_RefreshMotionLists(c->model2);
}

// What the panels hold as current is checked against the models that are there now (a load,
// 新規作成 or a list edit may leave fewer bones, motions, groups, objects or images than before).
static void FollowCurrent(const HookCtx *c) {
  ShellSelection *sel = c->sel;
  Bone2Model *m = c->model2;
  if (m) {
    i32 bones = Bone2_BoneCount(m);
    u32 bone = Current_Within(sel->g_CurBoneIndex, bones);
    // The bone dialog shows another bone only when the current one went; otherwise it keeps
    // what the user is typing into it.
    if (bone != sel->g_CurBoneIndex) sel->g_CurBoneIndex = bone, g_TreeRows.current = (i32)bone, g_Ed2D.boneRefresh = 1;
    sel->g_PrevBone = Current_Within(sel->g_PrevBone, bones);
    i32 motion = (i32)Current_Within((u32)(m->currentMotion < 0 ? 0 : m->currentMotion), m->motionCount);
    if (motion != m->currentMotion) m->currentMotion = motion, m->currentFrame = 0;
    if (sel->g_CurGroupIndex >= (u32)(m->groupCount > 0 ? m->groupCount : 1)) sel->g_CurGroupIndex = 0;
  }
  Obj2Model *o = g_Obj2Slots[0];
  if (o) {
    sel->g_CurPartIndex = Current_Within(sel->g_CurPartIndex, Obj2_ObjectCount(o));
    i32 motion = (i32)Current_Within((u32)(o->currentMotion < 0 ? 0 : o->currentMotion), o->motionCount);
    if (motion != o->currentMotion) o->currentMotion = motion;
    Ed2DObjEditor &e = g_Ed2DObj;
    i32 image = (i32)Current_Within((u32)(e.curImage < 0 ? 0 : e.curImage), o->imageCount);
    if (image != e.curImage) e.curImage = image, e.imageRefresh = 1, Ed2D_ShowCurrentImage();
  }
}

void Ed2D_DocumentChanged(const HookCtx *c) {
  FollowCurrent(c);
  if (g_Options.g_Group2DDlg.window) Ed2D_GroupListFollow(c->sel);
  g_Ed2DPoly.panelRefresh = 1;   // the modelling panel's counts
  g_Ed2DMotion.valuesRefresh = 1;
}

// [SECTION] selection mirror (read by the per-frame update, app/update.cpp)
void *Ed2D_SelectionList(void) {
  u32 sub = g_Shell.g_EditSubMode;
  if (g_Shell.g_EditFamily != FAMILY_2D_MODEL) return nullptr;
  if (sub == SUB_2D_BONE || sub == SUB_2D_WEIGHT) return g_Ed2D.boneList;
  return sub == SUB_2D_OBJECT ? g_Ed2DObj.objectList : nullptr;
}

// Only while the platform can say which lines are marked.
static bool MirrorActive(void) { return Ed2D_SelectionList() && g_Widget.listSelected; }

static i32 MirrorGetSel(i32 row) {
  void *list = Ed2D_SelectionList();
  return list && Widget_ListSelected(list, row) ? 1 : 0;
}

// The marks are read again only when the list is another or its marks stamp moved.
static bool MirrorChanged(void) {
  static void *s_List;
  static u32 s_Stamp;
  void *list = Ed2D_SelectionList();
  u32 stamp = Widget_ListMarksStamp(list);
  bool changed = list != s_List || stamp == 0 || stamp != s_Stamp;
  s_List = list;
  s_Stamp = stamp;
  return changed;
}

void Ed2D_InstallMirror(void) {
  g_ShellEntries.list2DActive = MirrorActive;
  g_ShellEntries.list2DGetSel = MirrorGetSel;
  g_ShellEntries.list2DChanged = MirrorChanged;
}

// [SECTION] mapping
void Ed2D_ClientToFrame(i32 x, i32 y, f32 *fx, f32 *fy) {
  Place2D p = Draw_CurrentPlacement();
  f32 cx = (f32)x, cy = (f32)y;
  if (p.inFrame) cx -= p.offsetX, cy -= p.offsetY;
  *fx = p.scaleX != 0.0f ? cx / p.scaleX : cx;
  *fy = p.scaleY != 0.0f ? cy / p.scaleY : cy;
}
