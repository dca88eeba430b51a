// The 2D modelling operations written the slow, literal way: the optimize searching every
// stored value from the start for each corner, the face merge comparing every pair of
// selected polygons in passes until one merges nothing, the others step by step as the
// panel's operations are described. The differential test holds edit2d/ed2d_poly_ops.cpp to
// the same results. Room checks and the mended behaviour (bindings kept, split quads in their
// group, merged triangles, five corners refused, out-of-range corners skipped) are the
// program's.
#pragma once
#include "model/bone2.h"

namespace lit2d {
bool SelectAll(Bone2Model *m);
bool Invert(Bone2Model *m);
bool ApplyColour(Bone2Model *m, const i32 rgba[4]);
bool DeleteLeftHalf(Bone2Model *m);
bool Flip(Bone2Model *m);
bool RemoveFaces(Bone2Model *m);
bool Split(Bone2Model *m);
bool MakeFace(Bone2Model *m);
bool Merge(Bone2Model *m);
bool Delete(Bone2Model *m);
bool Copy(Bone2Model *m);
bool Paste(Bone2Model *m);
bool Optimize(Bone2Model *m);
}  // namespace lit2d
