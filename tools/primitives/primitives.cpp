// Writes the modelling dialog's six primitive shapes ("３角形", "４角形", "立方体", "球", "円柱",
// "円錐") as KZP files into a folder (Data/System/プリミティブ in the tree), made with our own KZP
// writer: unit size, centred on the origin, one group, white, each face with its own outward
// normal and texture coordinates from x and y. Usage: primitives FOLDER
#include <math.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "model/kzp.h"
#include "model/mesh.h"
#include "model/model3.h"
#include "model/seam_errorbox.h"

namespace {

struct Shape {
  std::vector<Vec3> points;
  std::vector<std::vector<u32>> faces;   // 3 or 4 corners each
};

const f32 kPi = 3.14159265358979f;

// Corner order that makes the face normal ((b - a) x (c - b)) point away from the centre;
// a face through the centre (the flat shapes) faces the front view, towards -z.
void AddFace(Shape &s, std::vector<u32> f) {
  Vec3 n, c = {0, 0, 0};
  Mesh_FaceNormal(&s.points[f[0]], &s.points[f[1]], &s.points[f[2]], &n);
  for (u32 v : f) c.x += s.points[v].x, c.y += s.points[v].y, c.z += s.points[v].z;
  f32 out = n.x * c.x + n.y * c.y + n.z * c.z;
  if (out < 0 || (fabsf(out) < 1e-6f && n.z > 0)) std::reverse(f.begin(), f.end());
  s.faces.push_back(f);
}

u32 Point(Shape &s, f32 x, f32 y, f32 z) {
  s.points.push_back({x, y, z});
  return (u32)s.points.size() - 1;
}

Shape Triangle() {
  Shape s;
  AddFace(s, {Point(s, -0.5f, -0.5f, 0), Point(s, 0, 0.5f, 0), Point(s, 0.5f, -0.5f, 0)});
  return s;
}

Shape Quad() {
  Shape s;
  AddFace(s, {Point(s, -0.5f, -0.5f, 0), Point(s, -0.5f, 0.5f, 0), Point(s, 0.5f, 0.5f, 0), Point(s, 0.5f, -0.5f, 0)});
  return s;
}

Shape Cube() {
  Shape s;
  for (int i = 0; i < 8; i++) Point(s, i & 1 ? 0.5f : -0.5f, i & 2 ? 0.5f : -0.5f, i & 4 ? 0.5f : -0.5f);
  const u32 faces[6][4] = {{0, 1, 3, 2}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 3, 7, 5}};
  for (const auto &f : faces) AddFace(s, {f[0], f[1], f[2], f[3]});
  return s;
}

// Rings of `sides` points at the given heights and radii, joined by quads; a ring of radius
// 0 is one point (joined by triangles), and closed ends get a centre point and a fan.
Shape Revolve(const std::vector<f32> &heights, const std::vector<f32> &radii, int sides, bool capBottom, bool capTop) {
  Shape s;
  std::vector<std::vector<u32>> rings;
  for (size_t r = 0; r < heights.size(); r++) {
    std::vector<u32> ring;
    for (int k = 0; k < sides; k++) {
      if (radii[r] == 0 && k > 0) {
        ring.push_back(ring[0]);
        continue;
      }
      f32 a = 2 * kPi * (f32)k / (f32)sides;
      ring.push_back(Point(s, radii[r] * cosf(a), heights[r], radii[r] * sinf(a)));
    }
    rings.push_back(ring);
  }
  for (size_t r = 0; r + 1 < rings.size(); r++)
    for (int k = 0; k < sides; k++) {
      int n = (k + 1) % sides;
      std::vector<u32> f = {rings[r][k], rings[r][n], rings[r + 1][n], rings[r + 1][k]};
      if (radii[r] == 0) f.erase(f.begin());
      else if (radii[r + 1] == 0) f.pop_back();
      AddFace(s, f);
    }
  for (int end = 0; end < 2; end++) {
    if (!(end == 0 ? capBottom : capTop)) continue;
    const std::vector<u32> &ring = end == 0 ? rings.front() : rings.back();
    u32 c = Point(s, 0, end == 0 ? heights.front() : heights.back(), 0);
    for (int k = 0; k < sides; k++) AddFace(s, {c, ring[k], ring[(k + 1) % sides]});
  }
  return s;
}

Shape Sphere() {
  std::vector<f32> h, r;
  const int stacks = 8;
  for (int i = 0; i <= stacks; i++) {
    f32 a = kPi * (f32)i / (f32)stacks - kPi / 2;
    h.push_back(0.5f * sinf(a));
    r.push_back(i == 0 || i == stacks ? 0.0f : 0.5f * cosf(a));
  }
  return Revolve(h, r, 12, false, false);
}

Shape Cylinder() { return Revolve({-0.5f, 0.5f}, {0.5f, 0.5f}, 12, true, true); }
Shape Cone() { return Revolve({-0.5f, 0.5f}, {0.5f, 0.0f}, 12, true, false); }

bool Write(const Shape &s, const std::string &path) {
  Model3 *m = Model3_New();
  i32 np = (i32)s.points.size(), nf = (i32)s.faces.size();
  if (!m || !Model3_Reserve(m, np, nf, 1, np, nf)) return false;
  m->positionCount = np, m->uvCount = np, m->colorCount = 1, m->normalCount = nf, m->polygonCount = nf;
  m->colors[0] = {255, 255, 255, 255};
  for (i32 v = 0; v < np; v++) {
    m->positions[v] = s.points[v];
    m->uvs[v] = {s.points[v].x + 0.5f, 0.5f - s.points[v].y};
  }
  Model3_FreshBindings(m, 0, np);
  for (i32 f = 0; f < nf; f++) {
    const std::vector<u32> &c = s.faces[f];
    Polygon3 &p = m->polygons[f];
    memset(&p, 0, sizeof p);
    p.cornerCount = (u8)c.size();
    Mesh_FaceNormal(&s.points[c[0]], &s.points[c[1]], &s.points[c[2]], &m->normals[f]);
    for (size_t k = 0; k < c.size(); k++) p.corners[k] = {c[k], (u32)f, 0, c[k]};
  }
  ModelResult res = {};
  bool ok = Kzp_Write(m, path.c_str(), &res);
  Seam_ShowResult(&res);
  Model3_Free(m);
  return ok;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: primitives FOLDER\n");
    return 2;
  }
  g_MaxPolygons = 1000;
  g_MaxVertices = 4000;
  // File names as the Linux file system holds them (UTF-8), whatever the program's code page.
  const struct { const char *name; Shape shape; } kShapes[] = {
      {u8"３角形", Triangle()}, {u8"４角形", Quad()}, {u8"立方体", Cube()},
      {u8"球", Sphere()},       {u8"円柱", Cylinder()}, {u8"円錐", Cone()},
  };
  for (const auto &s : kShapes)
    if (!Write(s.shape, std::string(argv[1]) + "/" + s.name + ".KZP")) return 1;
  return 0;
}
