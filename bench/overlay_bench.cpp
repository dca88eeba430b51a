// The editors' overlays on models of growing size up to full capacity, drawn through a device
// that only counts: draw calls and state changes per view in every sub-mode that walks a mesh,
// with everything selected and every vertex bound to the current bone. 3D: polygon modelling
// (vertex and face selection), texture, bone, weight and motion on a grid of up to 65,000
// quads with 128 bones, in the main, Front, Top and Side views; 2D: polygon (both
// selections), bone, weight and motion on up to 64,770 quads with 128 bones, each with the
// model's own triangles drawn first as the frame draws them; the collision
// editor's model and walls on up to 64,516 quads. Goal: at most 500 draw calls in every view;
// the run ends with exit status 1 when a view draws more.
#include <benchmark/benchmark.h>
#include <stdio.h>
#include <string.h>
#include <time.h>

#include <map>
#include <string>

#include "app/current.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "bench_grid.h"
#include "app/family.h"
#include "app/shell_seam.h"
#include "app/startup_state.h"
#include "app/views.h"
#include "edit2d/ed2d.h"
#include "edit2d/ed2d_motion.h"
#include "edit2d/ed2d_poly.h"
#include "edit3d/bone.h"
#include "edit3d/ed3d_bone.h"
#include "edit3d/ed3d_motion.h"
#include "edit3d/ed3d_poly.h"
#include "lib/draw/drawbatch.h"
#include "lib/draw/drawdev.h"
#include "lib/draw/drawwire.h"
#include "lib/render/modeldraw.h"
#include "lib/render/objects.h"
#include "lib/render/shadow.h"
#include "model/bone2.h"
#include "model/mesh.h"
#include "model/model3.h"
#include "scene/coli.h"
#include "scene/coli_edit.h"
#include "tests/support/draw_fakedev.h"

namespace {

const u32 kCallLimit = 500;
const u32 kBoundBone = 5;   // every vertex is bound to it, and it is the current bone

// [SECTION] counting device
bool g_OverLimit;
std::map<std::string, std::string> g_Table;   // "sub-mode, size" -> calls per view

// The tests' fake device, counting only.
void InstallCounter() {
  FakeDev_InstallCounter();
  // A viewport that holds the whole model in every view: nothing is left out for lying beyond it.
  g_Fake->viewport = {0, 0, 1024, 1024, 0.0f, 1.0f};
}

f64 CpuMs() {
  timespec t;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return (f64)t.tv_sec * 1e3 + (f64)t.tv_nsec * 1e-6;
}

// Draws one view with the counter reset; its calls, states and CPU time (ms per iteration)
// into the state's counters, its calls into the table, and whether it kept within the limit.
void CountView(benchmark::State &state, const std::string &label, const char *view, void (*draw)(void)) {
  g_Fake->deviceDraws = 0;
  g_Fake->stateChanges = g_Fake->primitives = 0;
  f64 start = CpuMs();
  draw();
  benchmark::Counter &cpu = state.counters[std::string("cpu ms ") + view];
  cpu.value += CpuMs() - start;
  cpu.flags = benchmark::Counter::kAvgIterations;
  state.counters[std::string("calls ") + view] = (double)g_Fake->deviceDraws;
  state.counters[std::string("states ") + view] = (double)g_Fake->stateChanges;
  state.counters[std::string("prims ") + view] = (double)g_Fake->primitives;
  g_Table[label] += std::string(view) + " " + std::to_string(g_Fake->deviceDraws) + " (" + std::to_string(g_Fake->primitives) + ")  ";
  if (g_Fake->deviceDraws > kCallLimit) g_OverLimit = true;
}

// [SECTION] 3D
// Rows of 250 quads in z = 0 plus a ripple in y, 128 bones in chains of 16, every vertex bound.
Model3 *Grid3(i32 quads, u32 subMode) {
  Model3 *m = BenchGrid_Slot0(subMode);
  BenchGrid_Quads(m, quads, true);
  Model3_FreshBindings(m, 0, m->positionCount);
  for (i32 i = 0; i < m->positionCount; i++) m->bindings[i].bone1 = kBoundBone;
  BenchGrid_Bones(m);
  App_AllocWorkArrays(&g_Sel);
  // 20 pixels a unit: the 25 x 26 units of the largest grid fit.
  BenchGrid_FourViews3D(m, subMode, 1024, 1024, 0.5f, kBoundBone);
  return m;
}

// A sub-mode drawn with one selection mode: its scene (none: the family's own) and overlay.
struct Mode {
  const char *name;
  u32 subMode;
  u32 selectMode;
  FamilyHook scene;
  FamilyHook overlay;
};
const Mode kModes3[] = {
    {"3D polygon, vertices", SUB_3D_POLY, 0, Ed3D_PolyDrawScene, Ed3D_PolyDrawOverlay},
    {"3D polygon, faces", SUB_3D_POLY, 1, Ed3D_PolyDrawScene, Ed3D_PolyDrawOverlay},
    {"3D texture, faces", SUB_3D_TEXTURE, 1, Ed3D_PolyDrawScene, Ed3D_PolyDrawOverlay},
    {"3D bone", SUB_3D_BONE, 0, nullptr, Ed3D_BoneDraw},
    {"3D weight", SUB_3D_WEIGHT, 0, nullptr, Ed3D_WeightDrawOverlay},
    {"3D motion", SUB_3D_MOTION, 0, nullptr, Ed3D_MotionDrawOverlay},
};
const Mode *g_Mode;

void DrawMode() {
  HookCtx c = Family_DrawContext(g_Shell.g_DrawView);
  if (g_Mode->scene) g_Mode->scene(&c);
  g_Mode->overlay(&c);
}

// Counts the named views of the mode (its views 0, 1, ... in turn) in every iteration, with
// the mode's selection and its editor's tool for it.
void CountViews(benchmark::State &state, const Mode &mode, u32 tool, i32 quads,
                std::initializer_list<const char *> views) {
  g_Sel.g_PolySelectMode = mode.selectMode;
  g_Sel.g_PolyTool = tool;
  g_Mode = &mode;
  std::string label = std::string(mode.name) + ", " + std::to_string(quads) + " quads";
  for (auto _ : state) {
    g_Table[label].clear();
    u32 d = 0;
    for (const char *view : views) {
      g_Shell.g_DrawView = d++;
      CountView(state, label, view, DrawMode);
    }
  }
}

void BM_Overlay3D(benchmark::State &state) {
  const Mode &mode = kModes3[state.range(0)];
  i32 quads = (i32)state.range(1);
  InstallCounter();
  Grid3(quads, mode.subMode);
  CountViews(state, mode, mode.selectMode ? POLY_TOOL_FACE : POLY_TOOL_VERTEX, quads, {"main", "front", "top", "side"});
  Model3_FreeSlot(0);
}

// [SECTION] 2D
// rows x 255 quads of 2 x 2 pixels around the placement, 128 bones, every vertex bound.
Bone2Model *Grid2(i32 rows, u32 subMode) {
  g_Shell.g_EditFamily = FAMILY_2D_MODEL;
  g_Shell.g_EditSubMode = subMode;
  Bone2Model *m = BenchGrid_Slot2D();
  m->placeX = 512;
  m->placeY = 512;
  BenchGrid_Quads2D(m, rows, kBoundBone, false);
  BenchGrid_Bones2D(m);
  App_AllocWorkArrays(&g_Sel);
  BenchGrid_OneView2D(m, subMode, kBoundBone);
  return m;
}

// A 2D frame: the model's own triangles (the library's 2D model render), then the overlay.
void Kzb2DModels(const HookCtx *) { Draw_Kzb2DModels(); }

const Mode kModes2[] = {
    {"2D polygon, vertices", SUB_2D_POLY, 0, Kzb2DModels, Ed2D_PolyDraw},
    {"2D polygon, faces", SUB_2D_POLY, 1, Kzb2DModels, Ed2D_PolyDraw},
    {"2D bone", SUB_2D_BONE, 0, Kzb2DModels, Ed2D_BoneDraw},
    {"2D weight", SUB_2D_WEIGHT, 0, Kzb2DModels, Ed2D_WeightDraw},
    {"2D motion", SUB_2D_MOTION, 0, Kzb2DModels, Ed2D_MotionDraw},
};

void BM_Overlay2D(benchmark::State &state) {
  const Mode &mode = kModes2[state.range(0)];
  i32 rows = (i32)state.range(1);
  InstallCounter();
  Grid2(rows, mode.subMode);
  CountViews(state, mode, mode.selectMode ? ED2D_TOOL_FACE : ED2D_TOOL_VERTEX, rows * 255, {"view"});
  Bone2_FreeAll();
}

// [SECTION] collision
// side x side quads of a rolling floor, every box and circle wall in use.
void BM_ColiDraw(benchmark::State &state) {
  i32 side = (i32)state.range(0);
  InstallCounter();
  g_MaxPolygons = 65000;
  g_MaxVertices = 260000;
  CollisionDoc *doc = Coli_NewDocument();
  Model3 *m = Model3_New();
  if (!doc || !m || !Model3_Reserve(m, (side + 1) * (side + 1), 1, 1, 1, side * side)) {
    state.SkipWithError("no model");
    return;
  }
  for (i32 z = 0; z <= side; z++)
    for (i32 x = 0; x <= side; x++) m->positions[m->positionCount++] = {x * 4.0f, (f32)((x * z) % 5), z * 4.0f};
  m->normals[m->normalCount++] = {0, 1, 0};
  for (i32 z = 0; z < side; z++)
    for (i32 x = 0; x < side; x++) {
      u32 a = (u32)(z * (side + 1) + x);
      const u32 c[4] = {a, a + (u32)side + 1, a + (u32)side + 2, a + 1};
      Polygon3 &p = m->polygons[m->polygonCount++];
      p = Polygon3();
      p.cornerCount = 4;
      for (int k = 0; k < 4; k++) p.corners[k].vertex = c[k];
    }
  doc->model = m;
  for (i32 k = 0; k < COLI_BOXES; k++) doc->boxes[k].used = 1, doc->boxes[k].size = 2.0f + k;
  for (i32 k = 0; k < COLI_CIRCLES; k++) doc->circles[k].used = 1, doc->circles[k].size = 3.0f + k;
  std::string label = "collision, " + std::to_string(side * side) + " quads";
  for (auto _ : state) {
    g_Table[label].clear();
    CountView(state, label, "view", [] {
      HookCtx c = Family_DrawContext(g_Shell.g_DrawView);
      Coli_DrawScene(&c);
    });
  }
}

// [SECTION] model render
// The main view's model render of the 3D grid (render mode 0, Gouraud, lit) through the
// counting device: its batches as plain triangle lists (arg 0 = 1) or indexed with shared
// corners (0), the vertices given to the device per frame beside the time.
u64 g_VertsSent;
void (*g_CountedUP)(u32, u32, const void *, u32);
void (*g_CountedIndexedUP)(u32, u32, u32, const u16 *, const void *, u32);
void SentUP(u32 type, u32 count, const void *v, u32 stride) {
  g_VertsSent += type == DPT_TRIANGLELIST ? 3u * count : 0u;
  g_CountedUP(type, count, v, stride);
}
void SentIndexedUP(u32 type, u32 verts, u32 count, const u16 *idx, const void *v, u32 stride) {
  g_VertsSent += verts;
  g_CountedIndexedUP(type, verts, count, idx, v, stride);
}

void BM_ModelRender(benchmark::State &state) {
  InstallCounter();
  i32 quads = (i32)state.range(1);
  Model3 *m = Grid3(quads, SUB_3D_POLY);
  m->shown = 1;
  m->lighting = 1;
  g_CountedUP = g_Dev.draw.drawPrimitiveUP;
  g_CountedIndexedUP = g_Dev.draw.drawIndexedPrimitiveUP;
  g_Dev.draw.drawPrimitiveUP = SentUP;
  g_Dev.draw.drawIndexedPrimitiveUP = SentIndexedUP;
  g_BatchIndexOff = (u32)state.range(0);
  for (auto _ : state) {
    g_VertsSent = 0;
    Hlsl_DrawModel(0, -1, m);
  }
  state.counters["verts sent"] = (double)g_VertsSent;
  g_BatchIndexOff = 0;
}

BENCHMARK(BM_ModelRender)->ArgsProduct({{1, 0}, {16000, 32000, 65000}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Overlay3D)->ArgsProduct({{0, 1, 2, 3, 4, 5}, {1000, 16000, 32000, 65000}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Overlay2D)->ArgsProduct({{0, 1, 2, 3, 4}, {4, 63, 254}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ColiDraw)->Arg(32)->Arg(127)->Arg(254)->Unit(benchmark::kMillisecond);

}  // namespace

// The usual run, then the draw calls (and primitives) of every view of every sub-mode and size;
// exit status 1 when a view drew more calls than the limit. --unbatched (first argument) draws
// every line and point at once, --all-drawn leaves out no line or mark that later ones hide,
// for the figures to compare with.
int main(int argc, char **argv) {
  if (argc > 1 && strcmp(argv[1], "--unbatched") == 0) {
    g_DrawBatchOff = 1;
    argv[1] = argv[0];
    argc--;
    argv++;
  } else if (argc > 1 && strcmp(argv[1], "--all-drawn") == 0) {
    g_DrawWireOff = 1;
    argv[1] = argv[0];
    argc--;
    argv++;
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  printf("\n-- draw calls (primitives) per view (limit %u calls) --\n", kCallLimit);
  for (auto &kv : g_Table) printf("%-40s %s\n", kv.first.c_str(), kv.second.c_str());
  printf("%s\n", g_OverLimit ? "LIMIT EXCEEDED" : "every view within the limit");
  fflush(stdout);
  return g_OverLimit ? 1 : 0;
}
