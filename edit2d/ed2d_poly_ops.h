// The modelling panel's mesh operations on the skin of a 2D bone model, over the model and
// the polygon editors' selection (g_Sel.g_PolySelVerts, g_Sel.g_PolySelFaces, g_Sel.g_PolySelectMode).
//
// Each operation returns true when it did its work (the panel then writes the label and asks
// for a redraw) and false when it refused or had nothing to do; a refusal shows its message
// and leaves the model and the selection as they were. An operation that appends works out
// the whole need first and refuses with "これ以上 追加できません。" when an array or a 16-bit
// count has no room. Without a model every operation does nothing; corner indices outside
// their arrays are skipped (they match nothing and are dropped by the optimize).
//
// Removed polygons (used 0) stay in the array until the optimize compacts it. The optimize
// and the face merge run in time linear in the mesh (hash tables of the exact values and of
// the faces sharing a position).
//
// Globals owned here (ed2d_poly_ops.cpp): none besides private work buffers kept for the
// program's life. The clipboard is the Bone2Model in 2D slot 27.
#pragma once
#include "model/bone2.h"
#include "model/types.h"

enum : i32 { ED2D_CLIPBOARD_SLOT = 27, ED2D_IMPORT_SLOT = 31 };

// [SECTION] selection
// Every vertex and polygon flag set; when all already were, every flag cleared.
bool Ed2D_PolySelectAll(Bone2Model *m);
bool Ed2D_PolyInvertSelection(Bone2Model *m);

// [SECTION] colour
// Clamps to 0..255 and stores the colour in g_Ed2DPoly.colour; the corners on selected
// vertices (face mode: of live selected polygons) take the last equal colour entry, a new one
// appended when there is none.
bool Ed2D_PolyApplyColour(Bone2Model *m, const i32 rgba[4]);
// The same with the four fields' texts; a text that is not a whole number is refused naming
// its field.
bool Ed2D_PolyApplyColourText(Bone2Model *m, const char *const text[4]);

// [SECTION] deleting and reshaping
// Every flag cleared; every live polygon with all corners at x <= 0 removed.
bool Ed2D_PolyDeleteLeftHalf(Bone2Model *m);
// Face mode: the corner order of every live selected polygon reversed.
bool Ed2D_PolyFlipFaces(Bone2Model *m);
// Face mode: each corner after the first of a live selected polygon becomes a one-corner
// polygon of its group, appended.
bool Ed2D_PolyRemoveFaces(Bone2Model *m);
// Face mode: every live selected quad is removed and four selected quads of its group are
// appended, each with new vertices, colours and UVs copied from the corner it grows from
// (the binding too). Other polygons are left alone with "４角形のみ分割できます。" once.
bool Ed2D_PolySplitQuads(Bone2Model *m);
// A new polygon (group 0) from the corners on selected vertices, polygon by polygon; 2 to 4
// of them, else refused.
bool Ed2D_PolyMakeFace(Bone2Model *m);
// Face mode: live selected polygons sharing an edge join (two quads into the quad over both,
// two triangles into the quad over both in the first one's winding); vertex mode: the
// corners on selected vertices collapse onto the last one's vertex. False in vertex mode
// with fewer than two such corners.
bool Ed2D_PolyMerge(Bone2Model *m);
// Moves corner `from` of p to place `to` (vertex, colour and UV).
void Ed2D_PolyCopyCorner(Polygon2 *p, i32 to, i32 from);
// Vertex mode: the corners on selected vertices leave their polygons (a polygon left with
// none is removed); face mode: the selected polygons are removed. Every flag cleared.
bool Ed2D_PolyDeleteSelection(Bone2Model *m);

// [SECTION] clipboard and optimize
// Face mode: the whole arrays and the selected polygon records (same indices) into a new
// clipboard model in 2D slot 27.
bool Ed2D_PolyCopy(Bone2Model *m);
// Face mode: copy, then delete the selection.
bool Ed2D_PolyCut(Bone2Model *m);
// The clipboard's arrays and live polygons appended, then the optimize.
bool Ed2D_PolyPaste(Bone2Model *m);
// Rebuilds positions (with their bindings: the first of equal positions keeps its own),
// colours and UVs from the distinct values the live polygons use, in corner order, and
// appends the live polygons compacted; every flag cleared, tool 1, no picked face.
bool Ed2D_PolyOptimize(Bone2Model *m);

// [SECTION] stock shapes and import
// One shape at the origin (white colours, new vertices bound automatically, group
// g_Sel.g_CurGroupIndex), the only thing selected; tool 1, no picked face, the skin re-bound.
bool Ed2D_PolyAddTriangle(Bone2Model *m);
bool Ed2D_PolyAddQuad(Bone2Model *m);
bool Ed2D_PolyAddCircle(Bone2Model *m);
// The mesh of a 3D model file (any readable kind) appended, z dropped, selected; Model3
// slot 31 holds the file meanwhile. False (the reader said why) when it cannot be read.
bool Ed2D_PolyImport(Bone2Model *m, const char *path);
