// Writes the collision editor's test character (System/コリジョンキャラ.KZP): a small figure
// of boxes (legs, body, head and a nose that shows where it faces), made with our own KZP
// writer. Usage: colichar OUT.KZP
#include <stdio.h>
#include <string.h>

#include "model/kzp.h"
#include "model/model3.h"
#include "model/seam_errorbox.h"

namespace {

struct Box {
  f32 lo[3], hi[3];
  Color4 color;
};

const Box kBoxes[] = {
    {{-1.4f, 0.0f, -0.6f}, {-0.2f, 2.5f, 0.6f}, {60, 60, 160, 255}},     // left leg
    {{0.2f, 0.0f, -0.6f}, {1.4f, 2.5f, 0.6f}, {60, 60, 160, 255}},       // right leg
    {{-1.6f, 2.5f, -0.9f}, {1.6f, 6.0f, 0.9f}, {220, 120, 40, 255}},     // body
    {{-1.1f, 6.2f, -1.0f}, {1.1f, 8.2f, 1.0f}, {240, 200, 160, 255}},    // head
    {{-0.3f, 6.9f, -1.5f}, {0.3f, 7.4f, -1.0f}, {200, 60, 60, 255}},     // nose (front is -z)
};

// Outward normal, then the two edge axes u, v with u x v = normal (corners turn clockwise
// seen from outside in the left-handed frame, the front side).
const int kFaces[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 2, 0}, {1, 0, 2}, {2, 0, 1}, {2, 1, 0}};

void AddFace(Model3 *m, const Box &b, int axis, int sign, int u, int v) {
  i32 base = m->positionCount;
  const f32 su[4] = {-1, 1, 1, -1}, sv[4] = {-1, -1, 1, 1};
  for (int c = 0; c < 4; c++) {
    f32 p[3];
    p[axis] = sign > 0 ? b.hi[axis] : b.lo[axis];
    p[u] = su[c] < 0 ? b.lo[u] : b.hi[u];
    p[v] = sv[c] < 0 ? b.lo[v] : b.hi[v];
    m->positions[base + c] = {p[0], p[1], p[2]};
  }
  f32 n[3] = {0, 0, 0};
  n[axis] = (f32)sign;
  m->normals[m->normalCount] = {n[0], n[1], n[2]};
  m->colors[m->colorCount] = b.color;
  Polygon3 &poly = m->polygons[m->polygonCount];
  memset(&poly, 0, sizeof poly);
  poly.cornerCount = 4;
  for (int c = 0; c < 4; c++) {
    poly.corners[c].vertex = (u32)(base + c);
    poly.corners[c].normal = (u32)m->normalCount;
    poly.corners[c].color = (u32)m->colorCount;
  }
  m->positionCount += 4;
  m->normalCount++;
  m->colorCount++;
  m->polygonCount++;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: colichar OUT.KZP\n");
    return 2;
  }
  g_MaxPolygons = 1000;
  g_MaxVertices = 4000;
  Model3 *m = Model3_New();
  const int boxes = (int)(sizeof kBoxes / sizeof kBoxes[0]);
  if (!m || !Model3_Reserve(m, boxes * 24, boxes * 6, boxes * 6, 1, boxes * 6)) return 1;
  m->positionCount = m->normalCount = m->colorCount = m->polygonCount = 0;
  m->uvCount = 1;
  m->uvs[0] = {0, 0};
  for (const Box &b : kBoxes)
    for (int f = 0; f < 6; f++) AddFace(m, b, kFaces[f][0], f % 2 == 0 ? 1 : -1, kFaces[f][1], kFaces[f][2]);
  ModelResult res = {};
  bool ok = Kzp_Write(m, argv[1], &res);
  Seam_ShowResult(&res);
  Model3_Free(m);
  return ok ? 0 : 1;
}
