// The modelling operations of polygon modelling over a model and the selection handed with it
// (its face and vertex flags and its selection mode): delete, delete the left half, flip,
// break up, extrude, divide, merge, create a face, rotate corner colours, apply a colour,
// optimise and the numeric input.
//
// Each operation returns true when it did its work (the caller writes the label and records
// the undo step) and false when it refused or had nothing to do (a refusal says why in a
// message; the model and the selection are then as they were). Operations that append work
// out the whole need first and refuse it when the arrays cannot grow to it within
// g_MaxVertices and g_MaxPolygons.
//
// Every operation runs in time linear in the model (the face merge in the number of faces
// sharing positions): records are compacted in one sweep, normals recomputed once at the end
// (which gives what a recomputation after every step would), selected faces paired through a
// table of their corner positions.
//
// The modelling colour of the dialog's four boxes is Ed3DPolyEditor.colour (poly.h), written
// here. Private work buffers are kept for the program's life.
#pragma once
#include "edit3d/poly.h"
#include "model/model3.h"
#include "model/types.h"

struct ShellSelection;

// Clears the flags and stores equal positions, colours and UVs once (Model3_WeldDuplicates).
bool Ed3D_PolyOptimise(Model3 *m, ShellSelection *sel);
// Vertex mode: the selected vertices leave every polygon (below 3 corners it goes); face
// mode: the selected faces go. Then the optimise step.
bool Ed3D_PolyDelete(Model3 *m, ShellSelection *sel);
// Deletes every polygon all of whose corners lie at x <= 0.
bool Ed3D_PolyDeleteLeftHalf(Model3 *m, ShellSelection *sel);
// Face mode: reverses the corner order of every selected face (normal indices stay).
bool Ed3D_PolyFlipFaces(Model3 *m, ShellSelection *sel);
// Face mode: every corner after the first of a selected face becomes a face of its own.
bool Ed3D_PolyBreakFaces(Model3 *m, ShellSelection *sel);
// Face mode: every selected face moves 0.5 / zoom along its normal with a wall of quads
// round it (a zoom not above 0 counts as 1; a face with no normal stays as it is).
bool Ed3D_PolyExtrude(Model3 *m, ShellSelection *sel, f32 zoom);
// Face mode: every selected quad becomes four selected quads of its group, appended.
bool Ed3D_PolyDivide(Model3 *m, ShellSelection *sel);
// Face mode: selected faces sharing an edge join; vertex mode: the selected vertices
// collapse into one. False in vertex mode when fewer than two corners are selected.
bool Ed3D_PolyMerge(Model3 *m, ShellSelection *sel);
// A new face from the corners on selected vertices (2 to 4 of them), group 0.
bool Ed3D_PolyCreateFace(Model3 *m, ShellSelection *sel);
// Face mode: corner k + 1 of every selected face takes corner k's colour.
bool Ed3D_PolyRotateColours(Model3 *m, ShellSelection *sel);
// Paints the corners on selected vertices (face mode: of selected faces) with the colour
// (each component clamped to 0..255; also stored in Ed3DPolyEditor.colour).
bool Ed3D_PolyApplyColour(Model3 *m, ShellSelection *sel, const i32 rgba[4]);
// The same with the four boxes' texts; a text that is not a whole number is refused with a
// message naming its box.
bool Ed3D_PolyApplyColourText(Model3 *m, ShellSelection *sel, const char *const text[4]);
// Sets x, y, z of every selected vertex that a polygon uses to the numbers typed; an empty
// text keeps that coordinate, a text that is not a number is refused naming its box.
bool Ed3D_PolyNumericInput(Model3 *m, ShellSelection *sel, const char *const text[3]);

// The whole room an operation needs, checked before anything changes: false with the
// message when the arrays cannot grow to these counts.
bool Poly_ReserveOrSay(Model3 *m, i64 positions, i64 normals, i64 colors, i64 uvs, i64 polygons);
// Parses a whole decimal number (C locale, surrounding blanks allowed). False for anything else.
bool Poly_ParseNumber(const char *text, f64 *out);
