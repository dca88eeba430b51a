// The 2D skin editors: the polygon sub-mode (6) with its modelling panel "2D_POLY_DLG", and
// the weight sub-mode (9) with its panel "2D_WEIGHT_DLG". Both edit the Bone2Model of 2D
// slot 0: the polygon sub-mode selects corners and polygons with a rectangle drag, moves,
// turns and scales the selection and creates polygons point by point; the weight sub-mode
// binds the selected vertices to bones. The texture sub-mode (7) draws with Ed2D_PolyDraw.
//
// Mouse positions are 2D frame pixels (Ed2D_ClientToFrame); a vertex is drawn at its position
// plus the model's placement, in the same pixels. The tool, the selection mode and the
// selection flags are the polygon editors' shared state (app/startup_state.h, app/views.h).
// Global owned here: g_Ed2DPoly (ed2d_poly.cpp).
// Every hook does nothing without a model in slot 0; corners whose indices lie outside the
// model's arrays are skipped.
#pragma once
#include "app/hook_ctx.h"
#include "app/poly_select.h"
#include "model/bone2.h"
#include "model/types.h"
#include "resources/edit2d_ids.h"

enum : u32 {
  ED2D_TOOL_VERTEX = 0, ED2D_TOOL_MOVE = 1, ED2D_TOOL_ROTATE = 2, ED2D_TOOL_SCALE = 3,
  ED2D_TOOL_FACE = 5, ED2D_TOOL_FREE = 6, ED2D_TOOL_FACE_MAKE = 7, ED2D_TOOL_UV = 10,
};

struct Ed2DPolyEditor {
  void *panel;            // 2D_POLY_DLG, null while closed
  i32 panelX, panelY;
  void *weightPanel;      // 2D_WEIGHT_DLG
  i32 weightX, weightY;
  u32 weightRefresh;      // 1: the weight panel asks for a redraw at its next tick
  i32 startX, startY;     // drag start: the mouse at the last button press
  i32 curX, curY;         // drag current
  f32 mouseX, mouseY;     // the last mouse position
  i32 colour[4];          // the panel's current colour (fields IDC_P2D_RED..IDC_P2D_ALPHA)
  u32 panelRefresh;       // 1: the modelling panel mirrors the state at its next tick
};
extern Ed2DPolyEditor g_Ed2DPoly;

// [SECTION] polygon sub-mode hooks (the sub-mode row of ed2d_rows.cpp)
FamilyHookFn Ed2D_PolyInit, Ed2D_PolyLeave, Ed2D_PolyUpdate, Ed2D_PolyDraw,
    Ed2D_LButtonDownAnchors, Ed2D_MButtonDownAnchors, Ed2D_RButtonDownAnchors, Ed2D_PolyLButtonUp,
    Ed2D_PolyFreeCreate, Ed2D_PolyRButtonUp, Ed2D_PolyMouseMove;

// [SECTION] modes and tools
// Tool 0 / 5 with vertex / face selection; a change of mode clears every flag. Both reset the
// picked face, the drag anchors and the panel's counts.
void Ed2D_PolyVertexMode(void);
void Ed2D_PolyFaceMode(void);
// One step of a drag with the selection, by (dx, dy) frame pixels since the last move.
// Rotation: 0.5 dy - 0.5 dx degrees about (cx, cy); scale: 0.005 per pixel about (cx, cy),
// horizontal motion scaling x, upward motion enlarging y.
// Only the vertices flagged in sel move; each answers how many vertices were flagged.
i32 Ed2D_PolyMoveStep(Bone2Model *m, const ShellSelection *sel, f32 dx, f32 dy);
i32 Ed2D_PolyRotateStep(Bone2Model *m, const ShellSelection *sel, f32 dx, f32 dy, f32 cx, f32 cy);
i32 Ed2D_PolyScaleStep(Bone2Model *m, const ShellSelection *sel, f32 dx, f32 dy, f32 cx, f32 cy);

// [SECTION] selection
// The corners of a polygon that the draw and the selection use: those whose vertex lies in
// the model's positions (at most 4).
i32 Ed2D_PolyCorners(const Bone2Model *m, const Polygon2 *p, u32 verts[4]);
// Per vertex, the corner (4 x polygon + corner) of the last live polygon that passes it, for
// marks that need drawing at that corner only; null when there is no room for the table.
const i32 *Ed2D_LastCorners(const Bone2Model *m);
// The opaque marks a 2D overlay draws right after the edge at each vertex's last corner
// (`last`, Ed2D_LastCorners): a box of half size `half` when boxed(v) and, before it, the four
// points around the vertex (g_Ed2DCross: above, right, below, left) when crossed(m, v).
struct Ed2DMarks {
  const i32 *last;
  i32 half;
  bool (*boxed)(u32 v);
  bool (*crossed)(const Bone2Model *m, u32 v);
};
extern const i32 g_Ed2DCross[4][2];
// Pairs the edges of the live polygons (all corners in the positions) and plans which edges
// and parts of marks to leave out (DrawWire_Plan) when that is exact (DrawWire_Exact); false
// when nothing is left out. The pixels are pts placed, rounded to the nearest
// (Ed2D_CornerPoint) or cut toward zero; late and earlyOpaque as DrawWire_Plan takes them.
bool Ed2D_PairEdges(const Bone2Model *m, const Bone2Point *pts, bool nearest, bool (*late)(u32 face), bool earlyOpaque,
                    const Ed2DMarks *marks);
// After a pairing with marks, per vertex the parts still to draw: box sides in bits 0-3, the
// points in bits 4-7 (every part where the pairing did not plan).
const u8 *Ed2D_MarkParts(void);
// A corner's screen point: position + placement, rounded to pixels.
void Ed2D_CornerPoint(const Bone2Model *m, u32 vertex, i32 *x, i32 *y);
// The rectangle test of one corner of face `face` (the shared polygon-editor rule: left drag
// selects, right drag deselects; face mode also takes the face by its centre).
void Ed2D_RectSelect(const Bone2Model *m, i32 face, i32 corner, const u32 *verts, i32 count, i32 x, i32 y,
                     f32 centreX, f32 centreY, const PolyRect *r);
// The overlay's selection over every live polygon with the drag rectangle (only while the
// slot is shown); in face mode the vertices of selected polygons are then selected too.
// The flags changed are sel's (the shell's selection without sel).
void Ed2D_PolySelectPass(Bone2Model *m, ShellSelection *sel);
void Ed2D_PolySelectPass(Bone2Model *m);
// "面  %4d / %4d" (face mode: selected / all live polygons) or "頂点  %4d / %4d" (vertex
// mode: corners of live polygons whose vertex is selected / all those corners), of sel (of
// g_Sel without sel).
void Ed2D_PolySelectionText(const Bone2Model *m, const ShellSelection *sel, char *out, u32 size);
void Ed2D_PolySelectionText(const Bone2Model *m, char *out, u32 size);

// [SECTION] free creation
// The free-creation point under client position (x, y): frame pixels minus the placement.
void Ed2D_FreePointAt(const Bone2Model *m, i32 x, i32 y, f32 out[3]);
// Appends the polygon of the first `count` free-creation points (1..4): new vertices bound
// automatically to bone 0, the white colour entry (reused or appended), a new UV entry (0, 0)
// per corner, the current group; selected by the mode. False, with "これ以上 追加できません。"
// and the model unchanged, when an array or a 16-bit count has no room. The points, the group
// and the selection are sel's (the shell's selection without sel).
bool Ed2D_PolyAppendFree(Bone2Model *m, ShellSelection *sel, u32 count);
bool Ed2D_PolyAppendFree(Bone2Model *m, u32 count);

// [SECTION] modelling panel (Ed2D_PolyDlgProc in ed2d_poly_win.cpp calls these)
void Ed2D_PolyDlgCommand(u32 id);
// The timer's mirror of the state, while g_Ed2DPoly.panelRefresh is 1.
void Ed2D_PolyDlgTick(void);
// The operation buttons (ed2d_poly_panel.cpp): false for an id that is none of them.
bool Ed2D_PolyOpCommand(u32 id);
// Writes the count of m's selection sel into control 1156 (nothing without m).
void Ed2D_PolyShowSelection(const Bone2Model *m, const ShellSelection *sel);

// [SECTION] weight sub-mode (ed2d_weight.cpp)
FamilyHookFn Ed2D_WeightInit, Ed2D_WeightLeave, Ed2D_WeightUpdate, Ed2D_WeightDraw,
    Ed2D_WeightMouseMove, Ed2D_WeightRButtonUp;
// Only the left button held and (x, y) strictly inside: vertex selected in sel (g_Sel without
// sel); only the right: cleared.
void Ed2D_WeightRectTest(ShellSelection *sel, u32 vertex, i32 x, i32 y, const PolyRect *r);
void Ed2D_WeightRectTest(u32 vertex, i32 x, i32 y, const PolyRect *r);
// The three fields as the panel holds them: every selected vertex gets the bones (truncated
// toward zero) and the weight, automatic when both bones are 0. False, with a message and
// nothing changed, when a field is no number or a bone lies outside 0..bone count - 1.
bool Ed2D_WeightApply(Bone2Model *m, const char *bone1, const char *bone2, const char *weight);
// The panel's handlers: IDC_W2D_APPLY applies and re-binds; the tick redraws after a change.
void Ed2D_WeightDlgCommand(u32 id);
void Ed2D_WeightDlgTick(void);
