// Meshes for the face merge's test and benchmark: faces of 3 or 4 corners over a position
// array, the merge's hooks on them (s_Mesh), and shapes: random faces over few positions, fans,
// poles, quads on one position, plain grids and the triangle pair that becomes a quad.
#pragma once
#include <math.h>

#include <random>
#include <string>
#include <vector>

#include "model/facemerge.h"

namespace facemerge_shapes {

struct Corner {
  u32 vertex;
};
struct Face {
  i32 cornerCount;
  Corner corners[4];
};

struct Mesh {
  i32 dim = 3;
  std::vector<f32> pos;   // dim floats a vertex
  std::vector<Face> faces;
  std::vector<u8> mergeable, alive;
  std::vector<std::string> joins;   // "into gone kind aAt bFrom" in the order they happened
  bool logJoins = true;
};
inline Mesh *s_Mesh;

inline bool Mergeable(i32 f) { return s_Mesh->mergeable[(size_t)f] && s_Mesh->alive[(size_t)f]; }
inline i32 Positions(i32 f, f32 *out) {
  const Face &p = s_Mesh->faces[(size_t)f];
  for (i32 c = 0; c < p.cornerCount; c++)
    for (i32 d = 0; d < s_Mesh->dim; d++) out[c * s_Mesh->dim + d] = s_Mesh->pos[(size_t)p.corners[c].vertex * (size_t)s_Mesh->dim + (size_t)d];
  return p.cornerCount;
}
inline void Join(i32 into, i32 gone, const FaceMergeJoin &j) {
  FaceMerge_Apply(&s_Mesh->faces[(size_t)into], &s_Mesh->faces[(size_t)gone], j);
  s_Mesh->alive[(size_t)gone] = 0;
  if (s_Mesh->logJoins)
    s_Mesh->joins.push_back(std::to_string(into) + " " + std::to_string(gone) + " " + std::to_string(j.kind) + " " +
                          std::to_string(j.aAt[0]) + std::to_string(j.aAt[1]) + std::to_string(j.bFrom[0]) +
                          std::to_string(j.bFrom[1]));
}

// The hooks over s_Mesh.
inline FaceMergeHooks Hooks(i32 dim) { return FaceMergeHooks{dim, Mergeable, Positions, Join, false}; }

inline i32 AddVertex(Mesh &m, f32 x, f32 y, f32 z) {
  m.pos.push_back(x);
  m.pos.push_back(y);
  if (m.dim == 3) m.pos.push_back(z);
  return (i32)(m.pos.size() / (size_t)m.dim) - 1;
}

inline void AddFace(Mesh &m, std::initializer_list<i32> v, bool mergeable = true) {
  Face f = {(i32)v.size(), {}};
  i32 c = 0;
  for (i32 x : v) f.corners[c++].vertex = (u32)x;
  m.faces.push_back(f);
  m.mergeable.push_back(mergeable ? 1 : 0);
  m.alive.push_back(1);
}

// [SECTION] shapes
// Faces of 3 or 4 corners drawn from a few positions on a small grid, where vertices repeat
// positions, some positions are -0 or NaN, some faces hold a position twice and some may not merge.
inline Mesh RandomMesh(std::mt19937 &rng, i32 dim, i32 faces, i32 gridSide) {
  Mesh m;
  m.dim = dim;
  std::uniform_int_distribution<i32> cell(0, gridSide - 1), pct(0, 99);
  i32 verts = gridSide * gridSide * 2;
  for (i32 v = 0; v < verts; v++) {
    f32 x = (f32)cell(rng), y = (f32)cell(rng);
    if (pct(rng) < 5) x = -0.0f;
    if (pct(rng) < 2) y = NAN;
    AddVertex(m, x, y, (f32)(cell(rng) % 2));
  }
  std::uniform_int_distribution<i32> pick(0, verts - 1);
  for (i32 f = 0; f < faces; f++) {
    bool quad = pct(rng) < 50;
    i32 a = pick(rng), b = pick(rng), c = pick(rng), d = pick(rng);
    if (pct(rng) < 4) b = a;   // a position held twice
    if (quad) AddFace(m, {a, b, c, d}, pct(rng) < 92);
    else AddFace(m, {a, b, c}, pct(rng) < 92);
  }
  return m;
}

// n triangles around one apex (a cone's tip), each sharing an edge with the next; with
// `closed` the last meets the first.
inline Mesh Fan(i32 dim, i32 n, bool closed) {
  Mesh m;
  m.dim = dim;
  i32 apex = AddVertex(m, 0, 0, 1);
  i32 first = AddVertex(m, 1, 0, 0);
  i32 prev = first;
  for (i32 i = 1; i <= n; i++) {
    f32 a = 6.2831853f * (f32)i / (f32)n;
    i32 v = (closed && i == n) ? first : AddVertex(m, cosf(a), sinf(a), 0);
    AddFace(m, {apex, prev, v});
    prev = v;
  }
  return m;
}

// A sphere's cap: a fan of triangles at the pole, then rings of quads.
inline Mesh Pole(i32 dim, i32 segments, i32 rings) {
  Mesh m;
  m.dim = dim;
  i32 pole = AddVertex(m, 0, 0, 1);
  std::vector<i32> ring((size_t)segments * (size_t)rings);
  for (i32 r = 0; r < rings; r++)
    for (i32 s = 0; s < segments; s++) {
      f32 a = 6.2831853f * (f32)s / (f32)segments, rad = (f32)(r + 1);
      ring[(size_t)(r * segments + s)] = AddVertex(m, rad * cosf(a), rad * sinf(a), -(f32)r);
    }
  for (i32 s = 0; s < segments; s++) AddFace(m, {pole, ring[(size_t)s], ring[(size_t)((s + 1) % segments)]});
  for (i32 r = 0; r + 1 < rings; r++)
    for (i32 s = 0; s < segments; s++) {
      i32 t = (s + 1) % segments;
      AddFace(m, {ring[(size_t)(r * segments + s)], ring[(size_t)((r + 1) * segments + s)],
                  ring[(size_t)((r + 1) * segments + t)], ring[(size_t)(r * segments + t)]});
    }
  return m;
}

// n quads sharing one corner position, each sharing an edge with the next.
inline Mesh QuadsOnOnePosition(i32 dim, i32 n) {
  Mesh m;
  m.dim = dim;
  i32 centre = AddVertex(m, 0, 0, 0);
  i32 prev = AddVertex(m, 1, 0, 0);
  for (i32 i = 1; i <= n; i++) {
    f32 a = 6.2831853f * (f32)i / (f32)n, h = 6.2831853f * ((f32)i - 0.5f) / (f32)n;
    i32 mid = AddVertex(m, 2 * cosf(h), 2 * sinf(h), 0.5f);
    i32 v = AddVertex(m, cosf(a), sinf(a), 0);
    AddFace(m, {centre, prev, mid, v});
    prev = v;
  }
  return m;
}

// Two triangles on one edge, given by their own vertices at equal positions: they become a quad.
inline Mesh TrianglePair(i32 dim) {
  Mesh m;
  m.dim = dim;
  i32 a = AddVertex(m, 0, 0, 0), b = AddVertex(m, 1, 0, 0), c = AddVertex(m, 1, 1, 0);
  i32 c2 = AddVertex(m, 1, 1, 0), a2 = AddVertex(m, 0, 0, 0), d = AddVertex(m, 0, 1, 0);
  AddFace(m, {a, b, c});
  AddFace(m, {c2, d, a2});
  return m;
}

// n quads that meet only at one corner position.
inline Mesh QuadsAtOneCorner(i32 dim, i32 n) {
  Mesh m;
  m.dim = dim;
  i32 centre = AddVertex(m, 0, 0, 0);
  for (i32 i = 0; i < n; i++) {
    f32 a = 6.2831853f * (f32)i / (f32)n;
    f32 c = cosf(a), s = sinf(a);
    i32 p = AddVertex(m, 2 * c, 2 * s, 0), q = AddVertex(m, 3 * c, 3 * s, 1), r = AddVertex(m, 2 * c, 2 * s, 2);
    AddFace(m, {centre, p, q, r});
  }
  return m;
}

// A plain grid of w x h quads over shared positions.
inline Mesh Grid(i32 dim, i32 w, i32 h) {
  Mesh m;
  m.dim = dim;
  for (i32 y = 0; y <= h; y++)
    for (i32 x = 0; x <= w; x++) AddVertex(m, (f32)x, (f32)y, 0.25f * (f32)((x + y) % 3));
  for (i32 y = 0; y < h; y++)
    for (i32 x = 0; x < w; x++) {
      i32 v = y * (w + 1) + x;
      AddFace(m, {v, v + w + 1, v + w + 2, v + 1});
    }
  return m;
}

}  // namespace facemerge_shapes
