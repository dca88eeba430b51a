// The 3D model family (11): its shell. Entering and leaving the family, switching among the
// six sub-modes from the mode panel "MODEL_3D_DLG", the panels the sub-modes share (mode,
// layer, bone list, group and undo panels), the layers 0..9, the list and tree fills of those
// panels, the group record operations, the arrow-key pans and the bone axis cross.
//
// Global owned here: g_Ed3D (the family's editor object and panel state). The sub-mode
// editors read it; only this shell creates and destroys the panels. The window and control
// handles are opaque: the panels are made and filled through the widget seam (app/widget.h),
// where the Windows side (ed3d_win.cpp) registers them by their names.
#pragma once
#include "app/hook_ctx.h"
#include "edit3d/undo.h"
#include "model/model3.h"
#include "model/types.h"
#include "resources/edit3d_ids.h"

enum {
  ED3D_LAYERS = 10,
  ED3D_LINE = 320,       // one list line: a 255-byte name and its numbers always fit
  ED3D_MAX_LINES = 128,  // bones, groups and texture entries are each at most 128
  ED3D_TREE_TEXT = 256,
};

// The panels of the family (their widget names are kEd3DPanelNames).
enum Ed3DPanel : u32 {
  ED3D_PANEL_MODE = 0,    // MODEL_3D_DLG
  ED3D_PANEL_LAYER,       // LAYER_DLG
  ED3D_PANEL_BONE_LIST,   // BONE_LIST_DLG
  ED3D_PANEL_GROUP,       // 3D_GROUP_DLG
  ED3D_PANEL_UNDO,        // UNDO_DLG
  ED3D_PANEL_KINDS
};

extern const char *const kEd3DPanelNames[ED3D_PANEL_KINDS];

// Lines of one list or combo fill (CP932), with the line to select afterwards (-1: none).
struct Ed3DLines {
  i32 count;
  i32 select;
  char text[ED3D_MAX_LINES][ED3D_LINE];
};

// The family's editor object. Handles are null while their window does not exist.
struct Ed3DModelEditor {
  void *parentCombo;    // IDC_BONE_PARENT of BONE_LIST_DLG
  void *boneList;       // the extended-selection list box created in BONE_LIST_DLG (id 1)
  struct {
    void *list;         // IDC_GRP_LIST of 3D_GROUP_DLG
    void *textureCombo; // IDC_GRP_TEXTURE
    void *dispCombo;    // IDC_GRP_DISP
    void *displayCombo; // IDC_GRP_DISPLAY
    u32 polyCounts[MODEL3_GROUPS];   // polygons per group, rebuilt by every group list fill
  } group;
  struct {
    void *window;       // LAYER_DLG
    i32 x, y;           // last screen position
  } layer;
  UndoManager *undo;    // the per-layer histories and the undo list (g_Undo, edit3d/undo.h)
  // The mode panel.
  void *modePanel;
  u32 modeRefresh;      // 1: re-check the sub-mode buttons on the next timer tick
  i32 modeX, modeY;
  // The bone list panel and its tree.
  void *bonePanel;
  void *boneTree;
  void *treeItems[MODEL3_BONES];
  char treeTexts[MODEL3_BONES][ED3D_TREE_TEXT];
};
extern Ed3DModelEditor g_Ed3D;

// Puts a fill's lines into a list or combo (a WidgetFill kind) unless Ed3D_ShownAlready
// finds them there already; nothing without a control.
void Ed3D_PutLines(void *control, u32 kind, const Ed3DLines *lines);
// The run-time children of the bone list panel, which the object list panel has too: the
// tree view at (0, 49) 168 x 360 and the extended-selection list box (id 1) at (169, 49)
// 180 x 360.
void *Ed3D_CreatePanelTree(void *panel);
// A control of a panel by id (null without the panel); a window destroyed and its handle
// cleared (nothing for a null handle). The family's panels and their sub-modes' share these.
void *Ed3D_Control(void *panel, u32 id);
void Ed3D_DestroyWindow(void **window);
// A run-time list box (control id, notifying its panel) of a panel; null without the panel.
void *Ed3D_CreateListBox(void *panel, u32 id, i32 x, i32 y, i32 w, i32 h);
// The sound panel `name` of a motion sub-mode with its list box (control id): made at the
// middle of the desktop when it is not open. True when it was not open (the caller fills it).
bool Ed3D_OpenSoundPanel(const char *name, u32 listId, void **panel, void **list);
void *Ed3D_CreatePanelList(void *panel);

// [SECTION] family hooks (the family row of edit3d/ed3d_rows.cpp calls these)
FamilyHookFn Ed3D_Enter, Ed3D_Leave;
// The sub-mode row's update, then the current-row rule of sub-modes 12 and 18.
void Ed3D_Update(const HookCtx *c);
// The sub-mode row's scene draw, then the axis gizmo of the current view.
void Ed3D_DrawScene(const HookCtx *c);

// [SECTION] mode panel
// The sub-mode a mode panel button selects (0 for IDC_M3D_NONE and any other id).
u32 Ed3D_ModeButtonSubMode(u32 id);
// A mode button: switch to its sub-mode (leave, enter). The button of the current sub-mode
// only creates missing panels and refreshes. False for ids that are no sub-mode button.
bool Ed3D_ModeCommand(u32 id);
// The panels a sub-mode shows (bit 1 << Ed3DPanel).
u32 Ed3D_PanelSet(u32 subMode);

// [SECTION] keys and pans
FamilyHookFn Ed3D_BoneKeyUp, Ed3D_WeightKeyDown;
void Ed3D_PanViewLeft(void);
void Ed3D_PanViewUp(void);
void Ed3D_PanViewRight(void);
void Ed3D_PanViewDown(void);

// [SECTION] layers (ed3d_layer.cpp)
// Makes layer n current (0..9; other numbers do nothing).
void Ed3D_SelectLayer(i32 n);
// Shows the current layer's (layer slot's) scene object and hides the other layers'.
void Ed3D_ShowCurrentLayerOnly(void);
void Ed3D_ShowLayerOnly(u32 slot);
// A layer panel button (1342..1351 select layers 0..9); false for other ids.
bool Ed3D_LayerCommand(u32 id);
// The layer button to check (IDC_LAYER_1 + the current layer).
u32 Ed3D_LayerCheckedButton(void);

// [SECTION] fills (ed3d_fill.cpp). The *Lines functions build a fill's lines from a model
// (null: no lines); the Fill functions put them into the panel's control.
void Ed3D_ParentBoneLines(const Model3 *m, u32 curBone, Ed3DLines *out);
void Ed3D_ParentComboLines(const Model3 *m, u32 curBone, Ed3DLines *out);
void Ed3D_GroupListLines(const Model3 *m, u32 curGroup, u32 polyCounts[MODEL3_GROUPS], Ed3DLines *out);
void Ed3D_TextureComboLines(const Model3 *m, i32 select, Ed3DLines *out);
void Ed3D_GroupDisplayLines(const Model3 *m, u32 curGroup, Ed3DLines *out);
// Polygons per group in one pass; group numbers outside the table are skipped.
void Ed3D_CountGroupPolygons(const Model3 *m, u32 counts[MODEL3_GROUPS]);
// Tree item text of a bone (" 0  親ボーン" for bone 0, else "%2d  %s").
void Ed3D_BoneTreeText(const Model3 *m, i32 bone, char *out, size_t size);
// The tree parent of a bone: its parent number when that is above 0 and below the bone,
// else -1 (the root).
i32 Ed3D_BoneTreeParent(const Model3 *m, i32 bone);
// Each fill of the model and selection of context c (dialogs and menus build the shell's).
void Ed3D_FillParentBoneList(const HookCtx *c);
void Ed3D_FillParentBoneCombo(const HookCtx *c);
void Ed3D_FillBoneTree(const HookCtx *c);
void Ed3D_InsertBoneTreeItem(const Model3 *m, i32 bone);
void Ed3D_FillGroupList(const HookCtx *c);
void Ed3D_FillTextureCombo(const HookCtx *c);
void Ed3D_FillDisplacementCombo(const HookCtx *c);
void Ed3D_FillGroupDisplayCombo(const HookCtx *c);
// The family's list refresh (App_RefreshLists of family 11).
void Ed3D_RefreshLists(const HookCtx *c);
// After any change of the document (the shell's per-frame update calls it once per change):
// the current group stays inside the model, and the group list, the group panel's fields
// and the sound lists are put again where what they would show differs from what they show.
void Ed3D_DocumentChanged(const HookCtx *c);
// While Ed3D_DocumentChanged runs, true when these lines are what the control got last (the
// fill is then skipped, so a list keeps its scroll); every fill records its lines.
bool Ed3D_ShownAlready(void *control, const Ed3DLines *lines);

// [SECTION] groups and drawing helpers (ed3d_group.cpp)
// Group record operations of the current model. Each group's key lists in every motion go
// with it: a copy gets copies, a deleted group's lists are freed, a swap exchanges them.
void Ed3D_CopyGroupRecord(i32 from, i32 to);
// Deletes group g of the current model; with g outside 0..count-1 or one group only, nothing.
void Ed3D_DeleteGroupRecord(i32 g);
// Exchanges groups a and b with their polygons; b becomes current. Out of range: nothing.
void Ed3D_SwapGroups(i32 a, i32 b);
void Ed3D_SetRenderMode7AndRefresh(void);
// The model-level operations behind the three (also used by tests and the benchmark). The
// copy's target may be the next free record; false when a key list could not be allocated.
bool Ed3D_ModelCopyGroup(Model3 *m, i32 from, i32 to);
bool Ed3D_ModelDeleteGroup(Model3 *m, i32 g);
bool Ed3D_ModelSwapGroups(Model3 *m, i32 a, i32 b);
// The bone axis cross of a bone of the current layer (axis 0..2: the axis being edited).
void Ed3D_DrawBoneAxes(i32 bone, i32 axis);
// The same for the bones of slot `slot` with curBone as the current bone, posed in the motion
// layout and at rest in the others.
void Ed3D_DrawBoneAxesOf(u32 slot, u32 layout, u32 curBone, i32 bone, i32 axis);
// An axis cross of half length 0.5 about world point o in red, green and blue (X, Y, Z);
// on the current item the axis being edited (0..2) is yellow.
void Ed3D_DrawAxisCross(Vec3 o, bool current, i32 axis);
// The perspective camera of view record v0 (a layout's view 0) as the frame places it, at
// the camera angles given (world x view x projection), and its client size, the mouse's
// pixels: not whichever view the device drew last. False when v0 has no size.
bool Ed3D_ViewCamera(const ViewRecord *v0, f32 angleX, f32 angleY, f32 viewProj[16], i32 *w, i32 *h);
