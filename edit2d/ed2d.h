// The 2D model family (3): its shell and the bone sub-mode (8). Entering and leaving the
// family, switching among the sub-modes 4, 6-10 from the mode panel "MODEL_2D_DLG", the bone
// dialog "BONE_LIST_DLG" (list, tree, parent combo, name, colour, add) shared by sub-modes 8
// and 9, the group dialog's frame, the mapping from mouse positions to 2D frame pixels, and
// the bone sub-mode's pick, drag, draw and skin rebinding.
//
// Globals owned here: g_Ed2D (the family's editor object). The window and control handles
// are opaque: windows are made and read through the widget seam (app/widget.h), whose
// Windows side registers the family's templates (ed2d_win.cpp); native tests fake it.
#pragma once
#include "app/hook_ctx.h"
#include "app/widget.h"
#include "model/bone2.h"
#include "model/types.h"
#include "resources/edit2d_ids.h"
#include "resources/edit3d_ids.h"

enum {
  ED2D_LINE = 300,        // one list line: a 255-byte name and its numbers always fit
  ED2D_MAX_LINES = BONE2_MAX_BONES,
  ED2D_LABEL = 256,
};

// The family's windows the shell creates.
enum Ed2DWindow : u32 {
  ED2D_WIN_PANEL = 0,   // MODEL_2D_DLG
  ED2D_WIN_BONE_DLG,    // BONE_LIST_DLG
  ED2D_WIN_GROUP_DLG,   // 2D_GROUP_DLG
  ED2D_WIN_POLY_DLG,    // 2D_POLY_DLG (polygon sub-mode, ed2d_poly.h)
  ED2D_WIN_WEIGHT_DLG,  // 2D_WEIGHT_DLG (weight sub-mode)
  ED2D_WIN_KINDS
};

// Lines of one list or combo fill (CP932), with the line to select afterwards (-1: none).
struct Ed2DLines {
  i32 count;
  i32 select;
  char text[ED2D_MAX_LINES][ED2D_LINE];
};

struct Ed2DEditor {
  // The mode panel.
  void *panel;
  u32 panelRefresh;     // 1: re-check the sub-mode buttons at the next timer tick
  i32 panelX, panelY;
  // The bone dialog and its run-time children.
  void *boneDlg;
  void *boneList;       // extended-selection list box (id 1)
  void *boneTree;
  void *parentCombo;    // control IDC_BONE_PARENT
  u32 boneRefresh;      // 1: the dialog re-reads its fields at the next timer tick
  // 1: that tick also leaves the current bone's list line selected alone. Only a current bone
  // chosen outside the list (the pick) asks for it: the list's own extended selection is what
  // the drag moves, and a drag refreshes the fields on every move.
  u32 boneReselect;
  i32 boneDlgX, boneDlgY;
  char boneLabels[BONE2_MAX_BONES][ED2D_LABEL];
  void *treeItems[BONE2_MAX_BONES];
  // The group dialog's list box and the controls the shell takes (the dialog and its place:
  // g_Options.g_Group2DDlg of app/settings.h, kept by the settings file).
  void *groupList;
  void *groupTexture, *groupDisplay;
  f32 zoom;             // 1.0 on every entry into the family
  // Drag anchor of the bone drag, in frame pixels.
  f32 dragX, dragY;
  // Rebind work arrays (vertex capacity entries), allocated on first use and kept.
  u16 *rebindNearest;
  f32 *rebindBest;
  i32 rebindCapacity;
};
extern Ed2DEditor g_Ed2D;

// [SECTION] widget helpers (ed2d_shell.cpp; the windows go through app/widget.h)
// The template name of a family window (ED2D_WIN_*), null for another kind.
const char *Ed2D_WindowName(u32 kind);
// The lines of a fill as the widget seam takes them.
WidgetLines Ed2D_WidgetLines(const Ed2DLines *lines);
// Fills a list (extended selection: the select line is marked and made the caret) or a combo.
void Ed2D_Fill(void *control, bool combo, const Ed2DLines *lines);
// Fills a control as a widget fill kind (WidgetFill) says.
void Ed2D_FillAs(void *control, u32 kind, const Ed2DLines *lines);
// The colour chooser of the family's dialogs (full open; custom colours kept for the run);
// true on OK with rgb 0..255.
bool Ed2D_ChooseColour(f32 rgb[3]);

// [SECTION] family hooks (ed2d_shell.cpp; the family row of ed2d_rows.cpp calls these)
FamilyHookFn Ed2D_Enter, Ed2D_Leave, Ed2D_Update, Ed2D_DrawScene, Ed2D_Draw, Ed2D_Command;
// Family 3's list refresh: the sub-mode's own lists (its row's refreshLists cell), the bone
// dialog's lists when it is open, then the bone rows (the object rows in sub-mode 4).
void Ed2D_RefreshLists(const HookCtx *c);
// After any change of the document (the shell's per-frame update calls it once per change):
// the group list is put again when its lines differ from what it shows, and the motion
// dialog shows the current key again.
void Ed2D_DocumentChanged(const HookCtx *c);

// [SECTION] mode panel
// The sub-mode of a panel button (0 for IDC_M2D_NONE and any other id).
u32 Ed2D_ModeButtonSubMode(u32 id);
// A panel button: the question, then leave and enter (the current sub-mode's button only
// creates missing dialogs and refreshes). False for ids that are no sub-mode button.
bool Ed2D_PanelCommand(u32 id);
// The dialogs a sub-mode shows (bit 1 << Ed2DWindow), its own panels included.
u32 Ed2D_WindowSet(u32 subMode);

// [SECTION] model
// Slot 0's 2D bone model: made (full arrays, shown) when the slot is empty. The caller passes
// the model its context holds (returned when there is one).
Bone2Model *Ed2D_EnsureBoneModel(Bone2Model *held);
// "新規作成" of the bone and motion menus: slot 0 gets a new model (asking first when the
// model `held` changed since made, loaded or saved). False when the user kept the old one.
// Bone 0 becomes sel's current bone, the lists refresh on context c with the new model.
bool Ed2D_NewBoneModel(const HookCtx *c);

// [SECTION] mapping
// A client position of the main window (view 0) in 2D frame pixels: the inverse of the
// library's 2D placement (scale, then the frame offset of view 0).
void Ed2D_ClientToFrame(i32 x, i32 y, f32 *fx, f32 *fy);

// [SECTION] bone sub-mode (ed2d_bone.cpp)
FamilyHookFn Ed2D_BoneInit, Ed2D_SetDragAnchors, Ed2D_BoneUpdate, Ed2D_BoneMouseMove,
    Ed2D_BoneDraw;
// Re-binds the automatic skin vertices of m (shown in slot 0, the slot's rest matrices) to
// their nearest bone centre.
void Ed2D_RebindSkin(Bone2Model *m);
// The model-level rebind behind it (rest matrices as they are; used by tests and the benchmark).
void Ed2D_RebindModel(Bone2Model *m, i32 slot);
// Where bone b's cross is drawn, in frame pixels: the origin through its rest matrix (posed:
// its pose matrix) plus the model's placement.
void Ed2D_BoneCrossPoint(const Bone2Model *m, i32 slot, i32 b, bool posed, f32 *x, f32 *y);
// Draws the skin edges, bone crosses and parent links of slot 0 from the given points, the
// cross of bone curBone bright.
void Ed2D_DrawSkeleton(const Bone2Model *m, const Bone2Point *pts, bool posed, i32 edgeGrey, i32 linkShade,
                       u32 curBone);
// The bone whose cross lies nearest to frame pixel (fx, fy) (city-block distance, ties to the
// lower bone); -1 without bones.
i32 Ed2D_PickBone(const Bone2Model *m, i32 slot, f32 fx, f32 fy, bool posed);
// Picks the bone of m under the mouse record's stored position into sel's current bone; sets
// the dialog's refresh flag when it changed. Without records: slot 0, g_Sel and g_Mouse.
void Ed2D_PickCurrentBone(const HookCtx *c, bool posed);
void Ed2D_PickCurrentBone(bool posed);
// The one step that makes bone b current in sel, wherever it was chosen: the strips' current
// row follows, the views are redrawn and every field of the bone dialog shows the bone at once
// (number, name, position, parent, tree item; the list's line alone and its caret unless the
// choice came from the list, whose own extended selection the drag moves). False when b
// already was current or is no bone.
bool Ed2D_ChooseBone(const Bone2Model *m, ShellSelection *sel, u32 layout, i32 b, bool fromList);
// As a pick or the tree does (slot 0's model, g_Sel and the current layout without them).
bool Ed2D_MakeBoneCurrent(const Bone2Model *m, ShellSelection *sel, u32 layout, i32 b);
bool Ed2D_MakeBoneCurrent(i32 b);
// Moves every selected bone without a selected ancestor by (dx, dy) (sel: 128 flags).
void Ed2D_MoveSelectedBones(Bone2Model *m, const u32 *sel, f32 dx, f32 dy);

// [SECTION] bone dialog
// Tree label: " 0  親ボーン" for bone 0, else "%2d  %s".
void Ed2D_BoneLabel(const Bone2Model *m, i32 b, char *out, u32 size);
// List lines (the label, " ( %d )" with the parent above 0) and combo lines (labels only).
void Ed2D_ParentBoneLines(const Bone2Model *m, i32 curBone, Ed2DLines *out);
void Ed2D_ParentComboLines(const Bone2Model *m, i32 curBone, Ed2DLines *out);
// The dialog's fills from model m with bone curBone current (nothing without m).
void Ed2D_FillParentBoneList(const Bone2Model *m, u32 curBone);
void Ed2D_FillParentCombo(const Bone2Model *m, u32 curBone);
void Ed2D_FillBoneTree(const Bone2Model *m, u32 curBone);
void Ed2D_InsertBoneTreeItem(const Bone2Model *m, i32 bone);
// The parent rule: bone's parent := choice when it lies below the bone (a choice beyond the
// bone count is 0, a missing choice keeps the parent). False (parent kept) otherwise.
bool Ed2D_SetBoneParent(Bone2Model *m, i32 bone, i32 choice);
// After bone `from` of slot 0's model m took another parent: every bone from there on gets
// the rest position that keeps it where it was drawn (was: each bone's rest origin before).
void Ed2D_KeepBonesInPlace(Bone2Model *m, i32 from, const f32 (*was)[2]);
// The dialog's handlers (the thin procedure in ed2d_win.cpp calls them).
void Ed2D_BoneDlgCommand(u32 id);
void Ed2D_BoneDlgTick(void);
// The bone dialog's number, position and name fields from the current bone now, and its list
// line alone when a choice outside the list asked for it (clears the refresh flag); of model m
// with sel's current bone.
void Ed2D_BoneDlgShowCurrent(const Bone2Model *m, const ShellSelection *sel);
void Ed2D_BoneTreeSelected(const char *text);
// Whether bone b's list line is selected, as the per-frame update mirrored it (g_Shell.g_ListSelMirror).
bool Ed2D_BoneSelected(i32 b);
// The multi-selection list box the per-frame update mirrors: the bone list in sub-modes 8
// and 9, the object list in sub-mode 4; null when the sub-mode has none open.
void *Ed2D_SelectionList(void);
// Points the per-frame update's list entries at that list (at program start).
void Ed2D_InstallMirror(void);
