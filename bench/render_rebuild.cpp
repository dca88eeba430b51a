// Rebuilding the render data of each mode (1, 2, 3 and 4) into memory-backed buffers for models
// of 8k, 16k, 32k and 65k polygons in 128 groups, with a memcpy of the mode's vertex bytes in
// the same iterations. Goals at 65k: mode 1 under 15 ms, every mode under 50 ms.
#include "bench/bench_figures.h"
#include <stdlib.h>

#include <vector>

#include "lib/render/meshes.h"
#include "lib/render/rdev.h"
#include "lib/render/rebuild.h"
#include "model/seam.h"

namespace {

struct MemBuf { std::vector<u8> bytes; };
void *Create(u32 bytes) { return new MemBuf{std::vector<u8>(bytes)}; }
void *CreateIB(u32 bytes, bool) { return Create(bytes); }
void *Lock(void *h) { return ((MemBuf *)h)->bytes.data(); }
void Unlock(void *) {}
void Release(void *h) { delete (MemBuf *)h; }

// A grid of quads (shared corners), in `groups` bands, every vertex on one of 40 bone pairs.
Model3 *BuildModel(i32 slot, i32 polygons, i32 groups) {
  i32 side = 1;
  while (side * side < polygons) ++side;
  i32 verts = (side + 1) * (side + 1);
  Model3 *m = Model3_Init(slot);
  Model3_Reserve(m, verts, 1, 1, verts, polygons);
  m->positionCount = m->uvCount = verts;
  m->normalCount = m->colorCount = 1;
  m->normals[0] = {0, 1, 0};
  for (i32 y = 0; y <= side; ++y)
    for (i32 x = 0; x <= side; ++x) {
      i32 v = y * (side + 1) + x;
      m->positions[v] = {(f32)x, 0, (f32)y};
      m->uvs[v] = {(f32)x / side, (f32)y / side};
      m->bindings[v] = {1, (u16)(2 + (x * 40) / (side + 1)), 1.0f, 0};
    }
  m->groupCount = groups;
  m->boneCount = 64;
  m->polygonCount = polygons;
  for (i32 i = 0; i < polygons; ++i) {
    i32 x = i % side, y = i / side;
    Polygon3 &p = m->polygons[i];
    p.cornerCount = 4;
    p.group = (u32)(y * groups / side);
    u32 v0 = (u32)(y * (side + 1) + x);
    p.corners[0] = {v0, 0, 0, v0};
    p.corners[1] = {v0 + 1, 0, 0, v0 + 1};
    p.corners[2] = {v0 + (u32)side + 2, 0, 0, v0 + (u32)side + 2};
    p.corners[3] = {v0 + (u32)side + 1, 0, 0, v0 + (u32)side + 1};
  }
  return m;
}

void InstallMemoryDevice() {
  g_Dev.render.createVertexBuffer = Create;
  g_Dev.render.createIndexBuffer = CreateIB;
  g_Dev.render.lockVertexBuffer = g_Dev.render.lockIndexBuffer = Lock;
  g_Dev.render.unlockVertexBuffer = g_Dev.render.unlockIndexBuffer = Unlock;
  g_Seam.releaseHandle = Release;
}

// Arguments: render mode, polygons.
void BM_RebuildMode(benchmark::State &state) {
  InstallMemoryDevice();
  u32 mode = (u32)state.range(0);
  Model3 *m = BuildModel(0, (i32)state.range(1), MODEL3_GROUPS);
  // Mode 1 writes 6 vertices of 36 bytes a quad; the indexed modes about one vertex a quad.
  bench::CopyRef copy((size_t)m->polygonCount * (mode == 1 ? 6 * 36 : 40));
  double t = bench::TimeAgainstCopy(state, copy, [&] {
    m->renderMode = mode;
    m->changed = 1;
    Object_RebuildModelMeshes();
  });
  char what[96];
  snprintf(what, sizeof what, "rebuild mode %u, 128 groups, %dk polygons: ms", mode, (int)(state.range(1) / 1000));
  bench::Report(state, "ms", what, t / state.iterations() * 1e3, mode == 1 ? 15.0 : 50.0);
  Draw_FreeWeightedMesh4(0);
  Draw_FreePaletteMesh3(0);
  Draw_FreeIndexedMesh2(0);
  Model3_FreeSlot(0);
}
BENCHMARK(BM_RebuildMode)->ArgsProduct({{1, 2, 3, 4}, {8000, 16000, 32000, 65000}})->Unit(benchmark::kMillisecond);

}  // namespace

BENCH_MAIN()
