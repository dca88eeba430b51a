// Bones of the 3D model editor: the bone list panel "BONE_LIST_DLG" (shown in sub-modes 16
// and 17), the bone sub-mode (16: pick, drag, crosses) and the weight sub-mode (17: box
// selection of vertices, bone pick, the "3D_WEIGHT_DLG" panel binding them to bones).
//
// Global owned here (ed3d_bone.cpp): g_Ed3DBones (the two panels' state; their controls are
// reached through the widget seam, app/widget.h). The current bone is the shell's
// g_Sel.g_CurBoneIndex, with g_Sel.g_PrevBone and the bone list panel's refresh flag g_Sel.g_BoneListDirty
// (app/current.h: set when the current bone changes or a bone moves); the children-follow
// switch is Ed3DBoneEditor.childrenFollow (bone.h).
//
// The model steps (add, delete, parent rule, drag, picks, weight apply, box test) are
// portable functions over a model; the hooks and panel handlers turn them into edits of the
// current layer's model with their undo steps.
#pragma once
#include "app/hook_ctx.h"
#include "app/current.h"
#include "app/views.h"
#include "lib/framework/view_record.h"
#include "model/model3.h"
#include "model/types.h"
#include "resources/edit3d_ids.h"

enum {
  ED3D_BONE_TEXT = 256,   // one field of the panels (a name is at most 255 bytes)
};

struct Ed3DBonePanels {
  i32 listX, listY;       // the bone list panel's last screen position
  i32 lastLine;           // the list line chosen last (-1: none yet)
  void *weightPanel;      // 3D_WEIGHT_DLG, or null
  u32 weightRefresh;      // 1: flag the views for redraw on the weight panel's next tick
  i32 weightX, weightY;
};
extern Ed3DBonePanels g_Ed3DBones;

// [SECTION] model steps
// Reads a whole field as a number (spaces around it allowed); false for anything else,
// infinities and NaN included.
bool Ed3D_ParseNumber(const char *text, f64 *out);
// The parent rule: line `choice` of the parent combo (-1 or a line at or past the bone count
// counts as 0) becomes the parent of `bone` when it is below the bone's number. False, with
// the parent unchanged, otherwise.
bool Ed3D_SetBoneParent(Model3 *m, i32 bone, i32 choice);
// Adds a bone as a child of `parent` with a fresh record (its default name, rest offset 0,
// identity rotation, scale 1, one identity key at frame 0 in every motion in use, no links,
// tree flags cleared). Returns its number, or -1 at 128 bones.
i32 Ed3D_ModelAddBone(Model3 *m, i32 parent);
// Deletes bone n (not 0): vertices bound to it become automatic first, so that the next
// automatic binding gives them the nearest remaining bone. False for bone 0 or out of range.
bool Ed3D_ModelDeleteBone(Model3 *m, i32 n);
// The drag vector of a mouse step (dx, dy pixels) in a view of `kind` at `zoom`: Front x/y,
// Top x/z, Side z/y, 0.025 units per pixel at zoom 1 (screen down is minus). False (and a
// zero vector) for other kinds or a zero zoom.
bool Ed3D_BoneDragVector(u32 kind, f32 zoom, i32 dx, i32 dy, f32 out[3]);
// Moves bone b's rest offset by d; without children-follow its direct children (bones
// 1 .. count - 1 whose parent is b) move back by d so that they keep their place.
void Ed3D_BoneMoveOffset(Model3 *m, i32 b, const f32 d[3], bool childrenFollow);
// Screen pixel of a model point in an orthographic view for the bone sub-mode (the modelling
// mapping) and for the weight sub-mode (each offset truncated before it is added to the view's
// centre). False for views that are not Front, Top or Side.
bool Ed3D_BoneScreen(const ViewRecord *v, Vec3 p, i32 *sx, i32 *sy);
bool Ed3D_WeightScreen(const ViewRecord *v, Vec3 p, i32 *sx, i32 *sy);
// The wire of the bone, weight and motion overlays: point() maps each position of m to its
// pixel once, then edge(m, a, b, ends) runs for every edge of m's polygons (their first four
// corners in a ring) whose two ends are positions of m, in polygon order, with the two ends'
// pixels (x1, y1, x2, y2), whether no later edge starts at a, and whether to stroke it (not
// when a later polygon draws the same edge again, drawwire.h); the lines and points drawn
// meanwhile go out in one batch.
typedef void (*Ed3DWirePoint)(const Model3 *m, const ViewRecord *v, u32 vertex, i32 *x, i32 *y);
typedef void (*Ed3DWireEdge)(const Model3 *m, u32 a, u32 b, const i32 ends[4], bool lastFromA, bool stroke);
// Optional: plans the opaque marks that edge() draws after corner c's edge (drawmarks.h), with
// every position's pixel (two each) and the corner (4 x polygon + corner) of the last edge
// leaving each; runs backwards before the edges when their pixels are exact (DrawWire_Plan).
typedef void (*Ed3DWirePlan)(const Model3 *m, const i32 *pixels, const i32 *lastFrom, u32 c);
void Ed3D_WireEdges(const Model3 *m, const ViewRecord *v, Ed3DWirePoint point, Ed3DWireEdge edge,
                    Ed3DWirePlan plan);
// Pairs the edges of m's first `polys` polygons between them and plans which to leave out
// (DrawWire_Plan with the positions' pixels, two each, the polygons drawn last and the marks; a
// polygon with a corner beyond the positions takes no part); false when nothing is left out.
bool Ed3D_PairWireEdges(const Model3 *m, i32 polys, const i32 *pixels, bool (*late)(u32 face), void (*marks)(u32 corner));
// One wire edge on the screen: a point when both ends fall on one pixel, else a line.
void Ed3D_WireStroke(i32 x1, i32 y1, i32 x2, i32 y2, i32 r, i32 g, i32 b);
// The bone whose point (points[b], b < count, through the mapping) is nearest (x, y) by
// |dx| + |dy|; ties go to the later bone when laterOnTies, else to the earlier. -1 when the
// view maps nothing or there are no bones.
i32 Ed3D_NearestBone(const Vec3 *points, i32 count, const ViewRecord *v, bool weightMapping, i32 x, i32 y,
                     bool laterOnTies);
// Binds every selected vertex (sel[v] != 0, v < room) to bones b1, b2 with weight w; both 0
// makes the vertex automatic. Returns the number of vertices changed.
i32 Ed3D_WeightApplyModel(Model3 *m, const u32 *sel, u32 room, i32 b1, i32 b2, f32 w);
// Reads the weight panel's three fields: bones within 0 .. count - 1 (a fraction is cut
// toward zero), a weight within 0..1. False with a message in msg for anything else.
bool Ed3D_WeightParse(const Model3 *m, const char *t1, const char *t2, const char *tw, i32 *b1, i32 *b2, f32 *w,
                      char *msg, size_t msgSize);
// One box pass of the active view over every polygon corner (what the overlay runs while it
// draws that view) on the vertex flags of sel, with the buttons as held now; the first form on
// g_Sel.
void Ed3D_WeightBoxPass(const Model3 *m, const ViewRecord *v, i32 left, i32 top, i32 right, i32 bottom);
void Ed3D_WeightBoxPass(ShellSelection *sel, const Model3 *m, const ViewRecord *v, i32 left, i32 top, i32 right, i32 bottom);

// [SECTION] bone list panel (ed3d_bone.cpp; the dialog procedure is ed3d_bone_win.cpp's)
// A bone under the current bone of sel in model m (of layer `slot`), made current; one undo
// step of that layer.
void Ed3D_AddBone(Model3 *m, ShellSelection *sel, u32 slot);
// False, with the error box, for bone 0.
bool Ed3D_DeleteCurrentBone(void);
// WM_COMMAND of any control of the panel; false only for the refused delete.
bool Ed3D_BoneListCommand(u32 id);
// The timer tick: refreshes the fields when g_Sel.g_BoneListDirty is 1.
void Ed3D_BoneListTick(void);
// The tree's selection changed to an item with this text.
void Ed3D_BoneTreeSelected(const char *text);

// [SECTION] bone sub-mode (16)
FamilyHookFn Ed3D_BoneInit, Ed3D_BoneUpdate, Ed3D_BoneDraw, Ed3D_BoneLButtonUp, Ed3D_BoneRButtonUp,
    Ed3D_BoneMouseMove;

// [SECTION] weight sub-mode (17)
FamilyHookFn Ed3D_WeightEnter, Ed3D_WeightLeave, Ed3D_WeightUpdate, Ed3D_WeightDrawOverlay,
    Ed3D_WeightRButtonUp, Ed3D_WeightMouseMove;
// The weight panel's "決定": applies the fields to the selected vertices, or refuses them.
void Ed3D_WeightCommand(u32 id);
void Ed3D_WeightTick(void);
