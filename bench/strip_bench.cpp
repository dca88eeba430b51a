// One run of the strip dispatcher with every strip and panel dirty: eleven 1024 x 300
// windows, a 3D model whose rows (up to 128) each carry 16 keys in every drawn strip, 64
// movie objects in the movie family, and texture previews of a square texture (up to
// 2048 x 2048). Target: under 8 ms at 128 rows and 2048 x 2048.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <string.h>

#include "app/current.h"
#include "app/family.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/strip.h"
#include "app/strip_state.h"
#include "app/tree.h"
#include "app/views.h"
#include "bench_figures.h"
#include "lib/draw/texture.h"
#include "scene/movie.h"
#include "model/model3.h"

namespace {

MovieObject g_Objects[64];

void Setup(i32 rows, i32 side) {
  Strip_ResetForTest();
  Model3 *m = Model3_Init(0);
  m->boneCount = rows;
  m->keyTableLength = MODEL3_MOTIONS;
  m->groupCount = rows < MODEL3_GROUPS ? rows : MODEL3_GROUPS;
  for (i32 b = 0; b < rows; b++) {
    m->bones[b].parent = b / 2;
    m->bones[b].expanded = 1;
    Model3_EnsureKeyTable(m, b);
    for (i32 k = 0; k < 16; k++) {
      BoneKey3 key;
      BoneKey3_Identity(&key, k * 7);
      KeyTrack_Insert(&m->bones[b].keys[0], &key);
    }
  }
  m->motion = 0;
  g_Sel.g_CurSlot = 0;
  Tree_BuildRowsBones3D();
  g_Tex.pixels[1] = (u32 *)malloc(sizeof(u32) * side * side);
  for (i32 i = 0; i < side * side; i++) g_Tex.pixels[1][i] = 0xFF000000u | (u32)i;
  g_Tex.pixelsWidth[1] = g_Tex.pixelsHeight[1] = side;
  for (StripTexView *v : {&g_Strip.g_StripTex2D, &g_Strip.g_StripTex3D}) {
    v->texture = 1;
    v->inUse = 1;
  }
  for (i32 i = 0; i < 64; i++) {
    g_Objects[i].keyCount = 16;
    for (i32 k = 0; k < 16; k++) g_Objects[i].keys[k].frame = k * 9;
    g_Movie.objects[i] = &g_Objects[i];
  }
  g_Movie.objectCount = 64;
  Movie_InstallStage();   // the strip reads the actors through the shell's movie entries
  g_Strip.g_StripGeo.bottom = 300;
  g_Shell.g_EditFamily = FAMILY_MOVIE;
  for (i32 e = 0; e < STRIP_ENTRIES; e++) Strip_Register(e, (void *)(intptr_t)(e + 1), 1024, 300);
}

void Teardown(void) {
  free(g_Tex.pixels[1]);
  g_Tex.pixels[1] = nullptr;
  g_Movie.objectCount = 0;
  for (i32 i = 0; i < 64; i++) g_Movie.objects[i] = nullptr;
  Model3_FreeAllSlots();
}

void BM_StripDispatcherAllDirty(benchmark::State &state) {
  i32 rows = (i32)state.range(0), side = (i32)state.range(1);
  Setup(rows, side);
  double total = 0;
  for (auto _ : state) {
    App_MarkAllRedraw(View_CurrentLayout());
    for (StripWindow &w : g_Strip.g_StripWindows) w.dirty = 1;
    double t0 = bench::Now();
    g_Strip.g_StripMotion3Groups = 0;
    Strip_RedrawDirty();
    total += bench::Now() - t0;
  }
  bench::Report(state, "ms", "strip dispatcher, all dirty, rows " + std::to_string(rows) + ", texture " +
                                 std::to_string(side) + " (ms)",
                total * 1e3 / (double)state.iterations(), rows == 128 && side == 2048 ? 8.0 : 0.0);
  Teardown();
}
BENCHMARK(BM_StripDispatcherAllDirty)->Args({32, 512})->Args({64, 1024})->Args({128, 2048})->Unit(benchmark::kMillisecond);

}  // namespace

BENCH_MAIN()
