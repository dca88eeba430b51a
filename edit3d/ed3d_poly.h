// Polygon modelling (sub-mode 14 of the 3D editor): the selection of vertices and faces,
// the pick under the cursor, the mouse tools (move, rotate, scale), free creation of a
// polygon point by point, the key commands, the selection status and the drawing of the
// selection, the wire mesh and the polygon under creation (ed3d_poly_draw.cpp).
//
// Globals owned here (ed3d_poly.cpp): the pick results, the status counts and the status text.
// The dialog's face and corner numbers, the free-creation points and the show-normals switch
// are shared with the 2D polygon editor and kept by the shell (app/views.h).
// The selection flags (g_Sel.g_PolySelFaces, g_Sel.g_PolySelVerts), the screen positions of the pick
// (g_Sel.g_PolyScreenPos) and the per-face scratch are the shell's work arrays (app/views.h); the
// tool, the selection mode and the no-auto-pick switch are shared with the 2D polygon editor
// and kept by the shell. Ed3DPolyEditor (poly.h) holds the move mode.
//
// One mapping between the model and the orthographic views (Poly_OrthoToScreen) and its
// inverse (Poly_OrthoFromScreen) serve the drawing, the pivot of the drags and free creation.
// Every hook does nothing without a current model; corners whose indices lie outside the
// model's arrays are skipped by picking and drawing.
#pragma once
#include "app/hook_ctx.h"
#include "app/views.h"
#include "edit3d/poly.h"
#include "lib/framework/view_record.h"
#include "model/model3.h"
#include "model/types.h"

enum : u32 {
  POLY_TOOL_VERTEX = 0, POLY_TOOL_MOVE = 1, POLY_TOOL_ROTATE = 2, POLY_TOOL_SCALE = 3,
  POLY_TOOL_FACE = 5, POLY_TOOL_FREE = 6, POLY_TOOL_MARK_CHANGED = 10,
};

// [SECTION] hooks of sub-mode 14 (edit3d/ed3d_rows.cpp)
FamilyHookFn Ed3D_PolyEnter, Ed3D_PolyLeave, Ed3D_PolyUpdate, Ed3D_PolyDrawScene,
    Ed3D_PolyDrawOverlay, Ed3D_PolyLButtonUp, Ed3D_PolyMButtonDown, Ed3D_PolyFreeCreate,
    Ed3D_PolyRButtonUp, Ed3D_PolyMouseMove;
// A left drag with the move, rotate or scale tool on the context's model in its view, from
// the second anchor of its mouse record to (c->x, c->y): the step for the tool of c->sel,
// then the anchor moves to (c->x, c->y).
FamilyHookFn Ed3D_PolyDrag, Ed3D_PolyKeyUp, Ed3D_PickUnderCursor;

// [SECTION] commands
// After an edit of the modelling state: the dialog, the panels of `layout` and the views show
// it again.
void Ed3D_PolyAfterEdit(u32 layout);
// The selection commands act on the selection record given (the hooks: the context's; the
// dialog: the shell's) and refresh the panels of `layout`. A change of the selection mode
// clears the flags and sets the modelling drag anchors of the mouse record to 0, 0.
void Ed3D_PolySelectVertexMode(ShellSelection *sel, ShellMouse *mouse, u32 layout);
void Ed3D_PolySelectFaceMode(ShellSelection *sel, ShellMouse *mouse, u32 layout);
void Ed3D_PolySelectAllOrNone(ShellSelection *sel, u32 layout);
// Face and vertex flags of model m flipped (flags past the model stay).
void Ed3D_PolyInvertSelection(const Model3 *m, ShellSelection *sel, u32 layout);
void Ed3D_PolyToggleAutoPick(ShellSelection *sel, u32 layout);
// T, R and G: select the tool, or back to the selection tool when it is already active.
void Ed3D_PolyToolKey(ShellSelection *sel, ShellMouse *mouse, u32 tool, u32 layout);
// Every face and vertex flag of sel cleared over the work arrays' room.
void Ed3D_PolyClearFlags(ShellSelection *sel);
// Counts selection sel of model m into the status counts and writes the status text (the
// modelling dialog shows it in control IDC_POLY_STATUS).
void Ed3D_PolyStatusText(const Model3 *m, const ShellSelection *sel);

// [SECTION] portable steps (the hooks above turn these into model changes and draw calls)
// Screen point of a model point in an orthographic view (kinds 1..3), truncated to pixels.
void Poly_OrthoToScreen(const ViewRecord *v, f32 x, f32 y, f32 z, i32 *sx, i32 *sy);
// A pixel coordinate truncated and held to a billion pixels either way: a point of an
// enormous model lands far outside the view but on a whole number (beyond an i32 a conversion
// has no defined result), and two of them still differ by an i32.
i32 Poly_ScreenPixel(f32 c);
// The model point under a screen point: its (horizontal, vertical) axes of the view kind.
// False for other kinds or a zero zoom.
bool Poly_OrthoFromScreen(const ViewRecord *v, i32 sx, i32 sy, f32 *h, f32 *vert);
// The model axes a view kind shows horizontally and vertically (Front x y, Top x z, Side z y).
bool Poly_ViewAxes(u32 kind, i32 *h, i32 *vert);

// True when p lies strictly inside triangle a, b, c as seen on the screen (z ignored by the
// callers' zero z), wound so that it faces the viewer.
bool Pick_PointInTriangle(const f32 a[3], const f32 b[3], const f32 c[3], const f32 p[3]);
// The pick at mouse (mx, my) into selection sel, with the screen positions already in its
// g_PolyScreenPos, a face pick refreshing the panels of `layout`; Ed3D_PolyPickAt picks into
// g_Sel in the current layout.
void Ed3D_PolyPickInto(Model3 *m, ShellSelection *sel, i32 mx, i32 my, bool ctrl, u32 layout);
void Ed3D_PolyPickAt(Model3 *m, i32 mx, i32 my, bool ctrl);
// Projects every position with a world x view x projection matrix into sel->g_PolyScreenPos.
void Ed3D_PolyProjectAll(const Model3 *m, ShellSelection *sel, const f32 viewProj[16], f32 halfW, f32 halfH);

// One drag step of the move, rotate or scale tool on the selected vertices of c->sel in model
// c->model, seen in view c->view: mouse delta (dx, dy) since the previous move event, pivot
// anchor (ax, ay) (the button-down position).
void Poly_MoveStep(const HookCtx *c, u32 moveMode, i32 dx, i32 dy);
void Poly_RotateStep(const HookCtx *c, i32 dx, i32 dy, i32 ax, i32 ay);
void Poly_ScaleStep(const HookCtx *c, i32 dx, i32 dy, i32 ax, i32 ay);

// The free-creation point under screen point (sx, sy) of view v, relative to the view's pan.
// False for views that are not orthographic.
bool Poly_FreePointAt(const ViewRecord *v, i32 sx, i32 sy, f32 out[3]);
// Appends the polygon of the first `count` free-creation points of sel (placed at the view's
// pan, in sel's current group, selected in sel's mode). False, with a message and the model
// unchanged, when the arrays have no room.
bool Poly_AppendFreePolygon(Model3 *m, ShellSelection *sel, const ViewRecord *v, u32 count);

// Pixels of every position in view v (into g_Sel.g_PolyScreenPos), then the screen centre and mean
// projected normal of every polygon (the per-face scratch).
void Poly_FaceScratch(const Model3 *m, const ViewRecord *v);
// Its two halves on the scratch of sel: the positions' pixels, and the faces' centres and
// normals over them.
void Poly_PositionPixels(ShellSelection *sel, const Model3 *m, const ViewRecord *v);
void Poly_FaceCentres(ShellSelection *sel, const Model3 *m, const ViewRecord *v);
// The rectangle selection of one overlay pass over view v (between the corners, sorted) on the
// flags of sel, over the pixels its scratch holds for the same view; the first form on g_Sel.
void Poly_RectSelectPass(Model3 *m, const ViewRecord *v, i32 x1, i32 y1, i32 x2, i32 y2);
void Poly_RectSelectPass(ShellSelection *sel, Model3 *m, const ViewRecord *v, i32 x1, i32 y1, i32 x2, i32 y2);
// Whether a rectangle selection pass would select now (the tool of sel and a button held).
bool Poly_RectSelecting(const ShellSelection *sel);
// Face mode: the vertices of every selected face of sel become selected.
void Poly_VertexFlagsFollowFaces(ShellSelection *sel, const Model3 *m);
// Elements of the selection arrays (0 until the shell allocated them).
u32 Poly_FaceFlagRoom(void);
u32 Poly_VertFlagRoom(void);
// The same of a given selection record (its arrays have the shell's work-array room).
u32 Poly_SelVertRoom(const ShellSelection *sel);
u32 Poly_SelFaceRoom(const ShellSelection *sel);
