// The modelling operations written the slow, literal way: one polygon deleted at a time with
// every record after it moved, normals recomputed after every divided quad, every pair of
// selected faces compared in repeated passes. The differential test holds the operations of
// edit3d/ed3d_poly_ops.cpp to the same results. The room checks and the mended behaviour
// (merged triangles, the divided quad's group, faces without a normal, 32-bit colours) are
// the ones the program has.
#pragma once
#include "model/model3.h"

bool Lit_Delete(Model3 *m);
bool Lit_DeleteLeftHalf(Model3 *m);
bool Lit_FlipFaces(Model3 *m);
bool Lit_BreakFaces(Model3 *m);
bool Lit_Extrude(Model3 *m, f32 zoom);
bool Lit_Divide(Model3 *m);
bool Lit_Merge(Model3 *m);
bool Lit_CreateFace(Model3 *m);
bool Lit_RotateColours(Model3 *m);
bool Lit_ApplyColour(Model3 *m, const i32 rgba[4]);
bool Lit_Optimise(Model3 *m);
