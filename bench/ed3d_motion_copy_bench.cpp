// Copying the motions of a model file into the current model ("モーションデータをコピーする"):
// the file read into the scratch slot, every target vertex re-bound to its nearest source
// vertex, 128 bones with 100 motions of four keys each copied. Source and target are grids
// of 8k, 16k and 65k quads (the target's vertices set off from the source's, so the nearest
// vertex is a real search). Goal: under 500 ms at 65,000 polygons on one core.
#include <math.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>

#include "bench/bench_figures.h"
#include "edit3d/ed3d_motion.h"
#include "model/kzp.h"
#include "model/model3.h"

namespace {

const i32 kGridW = 260;

// A grid of `polygons` quads with shared corners, offset by (ox, oz), bones and keys in
// every motion when keyed.
Model3 *Grid(i32 polygons, f32 ox, f32 oz, bool keyed) {
  i32 h = (polygons + kGridW - 1) / kGridW, w = kGridW;
  i32 verts = (w + 1) * (h + 1);
  Model3 *m = Model3_New();
  Model3_Reserve(m, verts, verts, verts, verts, w * h);
  m->positionCount = 0;
  for (i32 z = 0; z <= h; z++)
    for (i32 x = 0; x <= w; x++) {
      i32 v = m->positionCount++;
      m->positions[v] = {(f32)x * 0.1f + ox, sinf(x * 0.07f) * cosf(z * 0.05f), (f32)z * 0.1f + oz};
      m->normals[v] = {0, 1, 0};
      m->colors[v] = {255, 255, 255, 255};
      m->uvs[v] = {0, 0};
      m->bindings[v] = {(u16)(1 + x % 127), (u16)(1 + z % 127), 0.5f, 0};
    }
  m->normalCount = m->colorCount = m->uvCount = m->positionCount;
  m->polygonCount = w * h;
  for (i32 z = 0; z < h; z++)
    for (i32 x = 0; x < w; x++) {
      Polygon3 *p = &m->polygons[z * w + x];
      p->cornerCount = 4;
      const i32 cx[4] = {x, x, x + 1, x + 1}, cz[4] = {z, z + 1, z + 1, z};
      for (int j = 0; j < 4; j++) {
        u32 v = (u32)(cz[j] * (w + 1) + cx[j]);
        p->corners[j] = {v, v, v, v};
      }
    }
  if (!keyed) return m;
  m->motionCount = MODEL3_MOTIONS;
  for (i32 mo = 0; mo < MODEL3_MOTIONS; mo++) {
    m->motions[mo].used = 1;
    m->motions[mo].length = 60;
    snprintf(m->motions[mo].name, MODEL3_NAME, "motion %d", mo);
  }
  m->boneCount = MODEL3_BONES;
  m->keyTableLength = MODEL3_MOTIONS;
  for (i32 b = 0; b < MODEL3_BONES; b++) {
    m->bones[b].parent = b / 2;
    Model3_EnsureKeyTable(m, b);
    for (i32 mo = 0; mo < MODEL3_MOTIONS; mo++) {
      m->bones[b].keys[mo].count = 0;
      for (i32 f = 0; f < 4; f++) {
        BoneKey3 k;
        BoneKey3_Identity(&k, f * 15);
        KeyTrack_Insert(&m->bones[b].keys[mo], &k);
      }
    }
  }
  return m;
}

void BM_CopyMotionsFromFile(benchmark::State &state) {
  i32 polygons = (i32)state.range(0);
  g_MaxPolygons = 65000;
  g_MaxVertices = 260000;
  std::string path = std::string(getenv("TMPDIR") ? getenv("TMPDIR") : "/tmp") + "/miravel_copy_bench.KZP";
  Model3 *src = Grid(polygons, 0, 0, true);
  Kzp_Write(src, path.c_str(), nullptr);
  Model3_Free(src);
  Model3_FreeAllSlots();
  Model3_ReplaceSlot(0, Grid(polygons, 0.037f, 0.061f, false));
  double total = 0;
  for (auto _ : state) {
    double t0 = bench::Now();
    if (!Kzp_CopyMotionsFromFile(0, path.c_str())) state.SkipWithError("copy failed");
    total += bench::Now() - t0;
  }
  bench::Report(state, "ms", "copy motions " + std::to_string(polygons), total * 1e3 / (double)state.iterations(),
                polygons == 65000 ? 500.0 : 0.0);
  Model3_FreeAllSlots();
  remove(path.c_str());
}
BENCHMARK(BM_CopyMotionsFromFile)->Arg(8000)->Arg(16000)->Arg(65000)->Unit(benchmark::kMillisecond);

}  // namespace
