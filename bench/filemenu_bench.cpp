// The common model load of the File menu against the reader alone: FileMenu_LoadKzp reads a
// KZP file into slot 0, fits the Front, Top and Side views, clears the selection flags,
// records the undo step and refreshes. Models of about 4,000, 16,000 and 65,000 quads (four
// own corners each). Target: the load spends under 50 ms beyond the reader.
#include <benchmark/benchmark.h>
#include <stdio.h>
#include <string.h>

#include "app/current.h"
#include "app/family.h"
#include "app/filemenu.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/views.h"
#include "edit3d/undo.h"
#include "lib/framework/view_record.h"
#include "model/kzp.h"
#include "model/model3.h"

namespace {

const i32 kGridW = 260;
const char kPath[] = "miravel_filemenu_bench.KZP";

// Writes a grid model of kGridW x h quads to kPath.
void WriteModel(i32 h) {
  g_MaxPolygons = 65000;
  g_MaxVertices = 260000;
  g_ModelAllocArrays = 1;
  Model3 *m = Model3_New();
  for (i32 z = 0; z < h; z++)
    for (i32 x = 0; x < kGridW; x++) {
      Polygon3 *p = &m->polygons[m->polygonCount++];
      p->cornerCount = 4;
      const i32 cx[4] = {x, x, x + 1, x + 1}, cz[4] = {z, z + 1, z + 1, z};
      for (int j = 0; j < 4; j++) {
        u32 v = (u32)m->positionCount++;
        m->positions[v] = {(f32)cx[j], 0.01f * (f32)((x * z) % 7), (f32)cz[j]};
        p->corners[j] = {v, v, v, v};
      }
    }
  Kzp_Write(m, kPath, nullptr);
  Model3_Free(m);
}

void SetUpShell(void) {
  g_Shell.g_EditFamily = FAMILY_3D_MODEL;
  g_Shell.g_EditSubMode = SUB_3D_BONE;   // its Front, Top and Side views fit every corner
  g_Sel.g_CurSlot = 0;
  App_AllocWorkArrays(&g_Sel);
  Undo_Install();
  g_Shell.g_ViewCount[SUB_3D_BONE] = 4;
  for (u32 i = 0; i < 4; i++) {
    ViewRecord &v = g_Shell.g_Views[SUB_3D_BONE][i];
    v.inUse = 1;
    v.kind = i;
    v.zoom = 1;
  }
}

void BM_ReadKzpOnly(benchmark::State &state) {
  WriteModel((i32)state.range(0));
  for (auto _ : state) {
    g_ModelAllocArrays = 1;
    benchmark::DoNotOptimize(Model3_OpenFile(0, kPath, nullptr));
  }
  state.counters["polygons"] = (f64)(kGridW * state.range(0));
  Model3_FreeAllSlots();
  remove(kPath);
}
BENCHMARK(BM_ReadKzpOnly)->Arg(16)->Arg(64)->Arg(250)->Unit(benchmark::kMillisecond);

void BM_FileMenuLoadKzp(benchmark::State &state) {
  WriteModel((i32)state.range(0));
  SetUpShell();
  for (auto _ : state) FileMenu_LoadKzp(kPath);
  state.counters["polygons"] = (f64)(kGridW * state.range(0));
  Model3_FreeAllSlots();
  remove(kPath);
}
BENCHMARK(BM_FileMenuLoadKzp)->Arg(16)->Arg(64)->Arg(250)->Unit(benchmark::kMillisecond);

}  // namespace
