// The rectangle selection of the polygon editors (3D modelling and the 2D polygon sub-mode):
// the test of one corner against the rectangle of a left (select) or right (deselect) drag.
#pragma once
#include "model/types.h"

struct ShellSelection;

// Rectangle between the button-down anchor and the drag's position, x1 <= x2 and y1 <= y2.
struct PolyRect { i32 x1, y1, x2, y2; };

// The face a corner belongs to: its number, the vertices of its corners and its screen centre.
struct PolyRectFace {
  i32 face;
  const u32 *verts;   // corner vertices
  i32 cornerCount;
  f32 centreX, centreY;
};

// The rectangle from two points, corners sorted so that the first is the smaller on each axis.
PolyRect Poly_SortedRect(i32 ax, i32 ay, i32 bx, i32 by);
// Strictly inside on both axes.
bool Poly_RectHolds(const PolyRect *r, f32 x, f32 y);
// On the flags of sel, only with its vertex or face selection tool (g_PolyTool 0 or 5). Left
// button alone held: face mode selects the face and its corners' vertices when the corner or
// the face centre is inside; vertex mode selects the corner's vertex when it is inside. Right
// button alone held: the same tests clear the flags. Flags past faceRoom / vertRoom are left
// alone.
void Poly_RectSelectCorner(ShellSelection *sel, const PolyRectFace *f, i32 corner, i32 x, i32 y, const PolyRect *r,
                           u32 faceRoom, u32 vertRoom);
// The same on the shell's selection (g_Sel).
void Poly_RectSelectCorner(const PolyRectFace *f, i32 corner, i32 x, i32 y, const PolyRect *r, u32 faceRoom,
                           u32 vertRoom);

// Selection flags kept per element (vertices, faces, texture coordinates): grows *flags to
// `need` entries, the new ones 0. False (flags kept) when memory runs out.
bool Poly_GrowFlags(u32 **flags, u32 *room, u32 need);
// The indices below n whose flag is set, into *list (grown as needed); their count (0 when
// memory runs out).
i32 Poly_CollectFlagged(const u32 *flags, u32 n, u32 **list, u32 *listRoom);

// Whether `selected` corners of a model with `polygons` polygons can make a new face: 2 to 4 of
// them, with polygons present; otherwise the reason is shown and false.
bool Poly_NewFaceCornersOk(i32 polygons, i32 selected);
