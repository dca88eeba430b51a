// The face merge of every face where many faces share one position, at 1k to 32k faces:
// quads meeting only at one corner, quads around one position sharing an edge with the next,
// a closed fan of triangles (a cone's apex), a pole of many segments (a fan of triangles and
// rings of quads), and a plain grid and a sphere's cap as controls. Goals: 16k faces on one
// position under 50 ms, and at most 2.3 times the time per doubling of the faces from 1k to
// 16k. --reference (first argument) times the merge as it first was (every face on a shared
// position compared) beside it, up to 16k faces; without it the reference runs up to 2k only,
// so the smoke run stays short. The growth figures take the least single merge of each size
// over the benchmark's runs and over rounds that go through every size in turn (--rounds=N).
#include <benchmark/benchmark.h>
#include <math.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <utility>
#include <vector>

#include "bench_figures.h"
#include "model/facemerge.h"
#include "tests/model/facemerge_ref.h"
#include "tests/model/facemerge_shapes.h"

namespace {

using namespace facemerge_shapes;

bool s_ReferenceAll;
// "shape, merge, faces" -> the least ms of its runs, for the growth lines (on a shared machine
// other work only ever adds time).
std::map<std::string, double> s_Ms;

struct Shape {
  const char *name;
  Mesh (*make)(i32 n);
  bool onePosition;   // n faces on one position: the 50 ms goal at 16k
};
Mesh AtOneCorner(i32 n) { return QuadsAtOneCorner(3, n); }
Mesh AroundOne(i32 n) { return QuadsOnOnePosition(3, n); }
Mesh ClosedFan(i32 n) { return Fan(3, n, true); }
Mesh ManySegments(i32 n) { return Pole(3, n / 4, 4); }
Mesh Cap(i32 n) { return Pole(3, 64, n / 64 + 1); }
Mesh PlainGrid(i32 n) { return Grid(3, 100, n / 100); }
const Shape kShapes[] = {{"quads at one corner", AtOneCorner, true},
                         {"quads around one position", AroundOne, true},
                         {"closed fan of triangles", ClosedFan, true},
                         {"pole of n/4 segments", ManySegments, false},
                         {"plain grid (control)", PlainGrid, false},
                         {"sphere cap (control)", Cap, false}};
const i32 kShapeCount = (i32)(sizeof kShapes / sizeof kShapes[0]);
// The sizes of the growth figures; the goal holds from the first to kGoalTop.
const i32 kSizes[] = {1000, 2000, 4000, 8000, 16000, 32000};
const i32 kGoalTop = 16000;

void Keep(const std::string &key, double ms) {
  auto seen = s_Ms.find(key);
  if (seen == s_Ms.end() || ms < seen->second) s_Ms[key] = ms;
}

// One merge of every face of a shape; thread CPU seconds.
double MergeOnce(const Mesh &base) {
  Mesh m = base;
  s_Mesh = &m;
  const FaceMergeHooks h = Hooks(m.dim);
  double t = bench::Time([&] { benchmark::DoNotOptimize(FaceMerge_Run((i32)m.faces.size(), h)); });
  s_Mesh = nullptr;
  return t;
}

// The growth figures' own runs: every size of every shape once per round, the rounds one
// after another, so that a burst of other work on a shared machine falls on all sizes alike
// instead of on the few runs of one size; the least of each size over the rounds. A sample
// of a size below kGoalTop is as many merges as make kGoalTop faces (their summed time over
// their count): every sample is about as long, so each is as likely to meet other work, and
// the least of the short ones is not that of runs that happened to fit between two others.
void GrowthRounds(int rounds) {
  struct Sample {
    std::string key;
    Mesh mesh;
    i32 reps;
  };
  std::vector<Sample> samples;
  for (const Shape &sh : kShapes)
    for (i32 n : kSizes) {
      samples.push_back({std::string(sh.name) + ", merge, " + std::to_string(n), sh.make(n), n < kGoalTop ? kGoalTop / n : 1});
      samples.back().mesh.logJoins = false;
    }
  for (int r = 0; r < rounds; r++)
    for (Sample &s : samples) {
      double t = 0;
      for (i32 k = 0; k < s.reps; k++) t += MergeOnce(s.mesh);
      Keep(s.key, t * 1000.0 / s.reps);
    }
}

void BM_FaceMerge(benchmark::State &state) {
  const Shape &sh = kShapes[state.range(0)];
  i32 n = (i32)state.range(1);
  bool reference = state.range(2) != 0;
  if (reference && (n > kGoalTop || (!s_ReferenceAll && n > 2000))) {
    state.SkipWithError("reference beyond 2k: --reference (at most 16k)");
    return;
  }
  Mesh base = sh.make(n);
  base.logJoins = false;
  double total = 0, least = 1e30;
  for (auto _ : state) {
    Mesh m = base;
    s_Mesh = &m;
    const FaceMergeHooks h = Hooks(m.dim);
    double t = bench::Time([&] {
      benchmark::DoNotOptimize(reference ? facemerge_ref::RefFaceMerge_Run((i32)m.faces.size(), h)
                                         : FaceMerge_Run((i32)m.faces.size(), h));
    });
    s_Mesh = nullptr;
    state.SetIterationTime(t);
    total += t;
    least = t < least ? t : least;
  }
  double ms = total * 1000.0 / (double)state.iterations();
  std::string what = std::string(sh.name) + (reference ? ", first merge" : ", merge");
  Keep(what + ", " + std::to_string(n), least * 1000.0);
  bool goal = !reference && n == kGoalTop && sh.onePosition;
  bench::Report(state, "ms", what + ", " + std::to_string(n) + " faces (ms)", ms, goal ? 50.0 : 0.0);
}

BENCHMARK(BM_FaceMerge)
    ->ArgsProduct({benchmark::CreateDenseRange(0, kShapeCount - 1, 1), {1000, 2000, 4000, 8000, 16000, 32000}, {0, 1}})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) {
  if (argc > 1 && strcmp(argv[1], "--reference") == 0) {
    s_ReferenceAll = true;
    argv[1] = argv[0];
    argc--;
    argv++;
  }
  // --rounds=N (first argument): rounds of the growth runs (default 40; under heavy load 100 give steadier figures).
  int rounds = 40;
  if (argc > 1 && strncmp(argv[1], "--rounds=", 9) == 0) {
    rounds = atoi(argv[1] + 9) > 0 ? atoi(argv[1] + 9) : rounds;
    argv[1] = argv[0];
    argc--;
    argv++;
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  bench::PrintSummary();
  GrowthRounds(rounds);
  // Growth per doubling of the faces, step by step and over the whole range (goal: at most
  // 2.3 times a doubling from 1k to 16k).
  printf("\n-- growth per doubling (least single merge of the runs and of %d interleaved rounds): 1k-2k 2k-4k 4k-8k "
         "8k-16k 16k-32k | 1k-16k (goal) | 1k-32k --\n",
         rounds);
  bool over = false;
  for (const Shape &sh : kShapes)
    for (const char *merge : {", merge", ", first merge"}) {
      std::string what = std::string(sh.name) + merge;
      std::string line;
      for (i32 n = 2000; n <= kSizes[sizeof kSizes / sizeof kSizes[0] - 1]; n *= 2) {
        auto a = s_Ms.find(what + ", " + std::to_string(n / 2)), b = s_Ms.find(what + ", " + std::to_string(n));
        if (a == s_Ms.end() || b == s_Ms.end() || a->second <= 0) continue;
        char buf[32];
        snprintf(buf, sizeof buf, " %.2f", b->second / a->second);
        line += buf;
      }
      auto lo = s_Ms.find(what + ", 1000");
      for (i32 top : {kGoalTop, 2 * kGoalTop}) {
        auto hi = s_Ms.find(what + ", " + std::to_string(top));
        if (lo == s_Ms.end() || hi == s_Ms.end() || lo->second <= 0) continue;
        double g = pow(hi->second / lo->second, 1.0 / log2((double)top / 1000.0));
        char buf[32];
        snprintf(buf, sizeof buf, " | %.2f", g);
        line += buf;
        if (top == kGoalTop && strcmp(merge, ", merge") == 0 && g > 2.3) over = true;
      }
      if (!line.empty()) printf("%-48s%s\n", what.c_str(), line.c_str());
      std::string ms;
      for (i32 n : kSizes) {
        auto at = s_Ms.find(what + ", " + std::to_string(n));
        char buf[32];
        snprintf(buf, sizeof buf, " %.3f", at == s_Ms.end() ? 0.0 : at->second);
        if (at != s_Ms.end()) ms += buf;
      }
      if (!line.empty()) printf("%-48s%s\n", "  least ms 1k 2k 4k 8k 16k 32k:", ms.c_str());
    }
  printf("%s\n", over ? "GROWTH ABOVE 2.3 PER DOUBLING" : "growth within 2.3 per doubling");
  return 0;
}
