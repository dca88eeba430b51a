// Finite-value checks over freshly read records: a reader refuses a file in which any float
// the program keeps (positions, normals, colours, texture coordinates, weights, key values,
// group and model settings) is NaN or an infinity, since bounds, fits and grids computed from
// such values mean nothing. Each check looks only at the entries in use.
#pragma once
#include "model/types.h"

struct Model3;
struct Bone2Model;
struct Obj2Model;

// "%s" = the file's path.
extern const char kKzMsgNotFinite[];
// The reason a foreign-format import gives (after the path).
extern const char kFmtMsgNotFinite[];

bool Finite_Floats(const f32 *v, size_t n);
bool Finite_Model3(const Model3 *m);
bool Finite_Bone2(const Bone2Model *m);
bool Finite_Obj2(const Obj2Model *m);
