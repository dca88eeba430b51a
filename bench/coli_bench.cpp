// The per-frame collision pass for five walking characters on collision models of 1,000 to
// 65,000 polygons (a rolling floor of triangles, 4 units apart). Target: under 1 ms per frame
// at 65,000 polygons; with the near-polygon grid the time follows the polygons around each
// character, not the size of the model.
#include <benchmark/benchmark.h>
#include <math.h>

#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/render/objects.h"
#include "model/model3.h"
#include "model/object.h"
#include "scene/coli.h"

namespace {

const f32 kSpacing = 4.0f;

// side x side quads, two triangles each, centred on the origin.
Model3 *Floor(i32 side) {
  g_MaxPolygons = 65000;
  g_MaxVertices = 260000;
  Model3 *m = Model3_New();
  i32 corners = (side + 1) * (side + 1);
  if (!m || !Model3_Reserve(m, corners, 1, 1, 1, 2 * side * side)) return nullptr;
  f32 half = side * kSpacing / 2;
  for (i32 z = 0; z <= side; z++)
    for (i32 x = 0; x <= side; x++)
      m->positions[m->positionCount++] = {x * kSpacing - half, sinf(x * 0.3f) * cosf(z * 0.2f), z * kSpacing - half};
  m->normals[m->normalCount++] = {0, 1, 0};
  for (i32 z = 0; z < side; z++)
    for (i32 x = 0; x < side; x++) {
      u32 a = (u32)(z * (side + 1) + x), b = a + 1, c = a + (u32)side + 1, d = c + 1;
      const u32 tris[2][3] = {{a, c, b}, {b, c, d}};
      for (const auto &t : tris) {
        Polygon3 &p = m->polygons[m->polygonCount++];
        p = Polygon3();
        p.cornerCount = 3;
        for (int k = 0; k < 3; k++) p.corners[k].vertex = t[k];
      }
    }
  return m;
}

void BM_ColiResolve(benchmark::State &state) {
  i32 side = (i32)state.range(0);
  CollisionDoc *doc = Coli_NewDocument();
  doc->model = Floor(side);
  doc->loaded = 1;
  f32 half = side * kSpacing / 2;
  const f32 range[6] = {-half, -10, -half, half, 50, half};
  for (int k = 0; k < 6; k++) doc->bounds[k] = range[k];
  for (i32 i = 0; i < 5; i++) {
    g_Lib.randomTable[i] = 5.0f;
    Model3_Init(i);
    KZL::OBJECT *o = ObjectInit(i);
    Object_SetPosition(o, (i - 2) * 12.0f, 2.0f, (i % 2) * 10.0f);
    o->pushed = 1;
    g_Coli.collide[i] = 1;
  }
  i32 frame = 0;
  for (auto _ : state) {
    // Walk in a slow circle so the characters keep crossing triangles.
    for (i32 i = 0; i < 5; i++) {
      f32 a = (frame + 40 * i) * 0.01f;
      Object_Get(i)->velocity[0] = 0.5f * cosf(a);
      Object_Get(i)->velocity[2] = 0.5f * sinf(a);
    }
    Coli_Resolve();
    frame++;
  }
  state.counters["polygons"] = (double)doc->model->polygonCount;
  Coli_ReplaceDocument(nullptr);
  Model3_FreeAllSlots();
  for (i32 i = 0; i < 5; i++) g_Coli.collide[i] = 0;
}

// 1,012 / 16,200 / 64,800 polygons.
BENCHMARK(BM_ColiResolve)->Arg(22)->Arg(90)->Arg(180)->Unit(benchmark::kMicrosecond);

}  // namespace
