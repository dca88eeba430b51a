// Mesh operations on a Model3: normals from the geometry, one quad refinement pass, welding
// of exactly equal positions, colours and texture coordinates, and automatic binding of
// vertices to their nearest bone.
//
// Equality of float tuples is exact comparison (-0 equals +0, NaN equals nothing). The
// searches for an equal entry go through hash tables; they give the same result as a scan
// from the first entry, which the tests check against a literal scan.
//
// Work areas (hash tables, scratch copies, per-vertex sums): private buffers allocated on
// first use and kept for the program's life.
#pragma once
#include <string.h>

#include "model/model3.h"
#include "model/types.h"

// The tuple helpers of the equal-entry searches, for every table of exact float tuples: a hash
// that gives -0 and +0 the same value, whether a tuple holds a NaN (it equals nothing), and
// exact equality.
// Inline: they sit in the inner loops of every such search.
inline u32 Mesh_HashTuple(const f32 *v, int dim) {
  u32 h = 0x9E3779B9u;
  for (int i = 0; i < dim; i++) {
    u32 bits;
    memcpy(&bits, &v[i], 4);
    if (bits == 0x80000000u) bits = 0;   // -0 equals +0
    h ^= bits;
    h *= 0x85EBCA6Bu;
    h ^= h >> 13;
  }
  h *= 0xC2B2AE35u;
  h ^= h >> 16;
  return h;
}

inline bool Mesh_TupleHasNaN(const f32 *v, int dim) {
  for (int i = 0; i < dim; i++)
    if (v[i] != v[i]) return true;
  return false;
}

inline bool Mesh_TupleEqual(const f32 *a, const f32 *b, int dim) {
  for (int i = 0; i < dim; i++)
    if (!(a[i] == b[i])) return false;
  return true;
}

// Face normal of a polygon with corners a, b, c: (b - a) x (c - b) divided by its length;
// (0, 0, 0) for a degenerate polygon (collinear or repeated corners), never NaN.
void Mesh_FaceNormal(const Vec3 *a, const Vec3 *b, const Vec3 *c, Vec3 *out);

// Face normals of every polygon of 3 or more corners from the points `pts` (one per
// position), stored in the polygon records (the face normals nobody reads are not copied
// anywhere else), and the vertex normals
// averaged over the polygons that use each vertex (the mean is not normalised again; a
// vertex no polygon uses gets (0, 0, 0)). With polygonMask (polygonMaskCount flags), only
// polygons whose flag is set take part; with vertexMask (vertexMaskCount flags), only flagged
// vertices are averaged. Polygons and vertices past a mask's count count as unflagged.
void Mesh_AverageNormals(Model3 *m, const Vec3 *pts, const u8 *polygonMask, i32 polygonMaskCount,
                         const u8 *vertexMask, i32 vertexMaskCount);

// Mesh_AverageNormals without masks built a polygon at a time, for a reader that has the
// positions before the polygons: Begin for the model's position count, Add the polygons in
// order as they are read (their face normals are stored in them), Finish into the model's vertex
// normals. The results are bit for bit those of Mesh_AverageNormals over the same polygons.
struct MeshNormalSums {
  void *sums;       // private work area, valid until the next normals pass of any kind
  i32 positions;
};
bool Mesh_NormalSumsBegin(MeshNormalSums *s, i32 positions);
void Mesh_NormalSumsAdd(MeshNormalSums *s, Polygon3 *polys, i32 count, const Vec3 *pts);
void Mesh_NormalSumsFinish(MeshNormalSums *s, Model3 *m);

// Mesh_AverageNormals without masks, bit for bit, for a pass that runs every frame over
// polygons that rarely change: a record kept per model (a few models at a time) notes which
// vertices a single corner uses, and their normals are written straight from the face
// normal instead of through a per-vertex sum. The record is checked against every polygon's
// corners on each pass and remade when they differ.
void Mesh_FrameNormals(Model3 *m, const Vec3 *pts);

// Face and vertex normals from the positions; while g_Model3Edited is 1 or the render mode
// is 7 the normal array is rebuilt from the distinct vertex normals and every corner
// re-indexed into it. False for a null model (or when the normal array could not grow).
bool Model3_CalcNormals(Model3 *m);
// The re-indexing half of Model3_CalcNormals, for a model whose normals were just averaged.
bool Model3_ReindexNormals(Model3 *m);

// One refinement pass: every quadrilateral becomes four (appended after the other polygons,
// group 0), each corner with its own new position, UV, normal and colour; then the normals
// are recomputed once. A pass that would not fit in the arrays' capacities is not run: the
// model stays as it was and the result is false (also false for a null model).
bool Model3_Subdivide(Model3 *m);

// Rebuilds positions (with their bindings), colours and UVs from the distinct values the
// polygons use, in corner order (the first equal entry wins), re-indexes the corners and
// recomputes the normals. Works on a private copy; no model slot is touched. False for a
// null model.
bool Model3_WeldDuplicates(Model3 *m);

// Binds every vertex whose automatic flag is 1 to the nearest bone (1..bone count - 1,
// distance |dy| + |dx| + |dz| to the bone centre, ties to the lower bone; bone 1 when the
// model has a single bone), second bone 0, weight 1.0. False for a null model.
bool Model3_AutoBindVertices(Model3 *m);
