// Geometry brought into the current layer's model by polygon modelling: copy, cut and paste of
// selected faces through the clipboard model, the six primitive shapes of the data folder and
// the merge of another model file.
//
// Global owned here (ed3d_poly_clip.cpp): g_PolyClipboard, the clipboard model, made with full
// arrays on the first copy and kept for the program's life. Its position, normal, colour, UV
// and binding arrays hold the whole source model at the copy; its polygons are the copied faces.
//
// Every command works out the room it needs first and refuses (with the message, the model,
// the selection and the history as they were) when the arrays cannot grow to it. The model-level
// steps (Poly_*) are what the commands, the group panel, the tests and the benchmark share.
#pragma once
#include "app/hook_ctx.h"
#include "model/model3.h"
#include "model/types.h"

struct ShellSelection;

enum { POLY_SCRATCH_SLOT = 255 };   // the model slot primitives and merged files are read into

extern Model3 *g_PolyClipboard;
// The clipboard, made with full arrays on first use (null only when that failed).
Model3 *Poly_Clipboard(void);

// [SECTION] commands of the modelling dialog (true when the caller records the step)
// Face mode only ("面選択モードで利用できます。" otherwise): the selected faces into the clipboard.
bool Ed3D_PolyCopy(Model3 *m, ShellSelection *sel);
// Face mode only: copy, then the selected faces are deleted.
bool Ed3D_PolyCut(Model3 *m, ShellSelection *sel);
// The clipboard appended to the model; the selection stays. False without a clipboard.
bool Ed3D_PolyPaste(Model3 *m);
// The primitive "<data>/System/プリミティブ/<name>.KZP" placed at the active view's pan, scaled
// by its zoom, selected, with the move tool; the current folder is restored afterwards.
bool Ed3D_PolyLoadPrimitive(const char *name);
// The same into model m with the selection, active view and layout of context c.
bool Ed3D_PolyLoadPrimitiveInto(const HookCtx *c, Model3 *m, const char *name);
// A model file of any readable format placed at the active view's pan, selected, move tool.
bool Ed3D_PolyMergeFile(const char *name);
bool Ed3D_PolyMergeFileInto(const HookCtx *c, Model3 *m, const char *name);

// [SECTION] model-level steps
// The whole arrays of m (with bindings) and its flagged faces into clip; with group >= 0 only
// the flagged faces of that group. False (clip as it was) when clip cannot hold them.
bool Poly_CopyFaces(const Model3 *m, const ShellSelection *sel, Model3 *clip, i32 group);
// Appends the clipboard's arrays, bindings and polygons (indices raised by the old counts);
// returns the first new polygon, or -1 with the message when the room is missing.
i32 Poly_PasteFaces(Model3 *m, const Model3 *clip);
// Appends every position of src as p * scale + offset with a fresh automatic binding, every
// polygon in group `group` with a new normal, colour and UV per corner; the new positions and
// polygons are flagged. False with the message, nothing changed, when the room is missing.
bool Poly_AppendPlaced(Model3 *m, ShellSelection *sel, const Model3 *src, f32 scale, const f32 offset[3], u32 group);
// Group mirror: every vertex array doubled with x negated (positions, normals) or copied
// (colours, UVs, bindings), twins of the group's polygons in reversed order, flagged (the
// flags are cleared first). False with the message, nothing changed, when the room is missing.
bool Poly_MirrorGroup(Model3 *m, ShellSelection *sel, u32 group);
