// Compiling script sources of 250, 500 and 1000 lines: per 1000 lines 100 variables,
// 100 labels, 300 If/Key blocks and 200 assignments, jumps and object statements.
#include <benchmark/benchmark.h>
#include <stdio.h>

#include <string>

#include "scene/prog.h"
#include "scene/prog_run.h"

namespace {

std::string Source(int lines) {
  const int f = lines / 10;   // 100 per 1000 lines
  std::string s;
  char buf[128];
  for (int i = 0; i < f; i++) s += (snprintf(buf, sizeof buf, "Var v%d\n", i), buf);
  for (int i = 0; i < 3 * f; i++) {
    const int k = i / 3;
    if (i % 3 == 0 && k % 2) s += (snprintf(buf, sizeof buf, "*L%d\nv%d = v%d + %d\n", k, k, (k + 7) % f, i), buf);
    if (i % 3 == 0 && !(k % 2)) s += (snprintf(buf, sizeof buf, "*L%d\nPolyPos 1 v%d 2.5 v%d\n", k, k, (k + 3) % f), buf);
    s += i % 2 ? (snprintf(buf, sizeof buf, "If v%d < 10\nEnd\n", i % f), buf) : "Key Space\nEnd\n";
  }
  for (int i = 0; i < f; i++) s += (snprintf(buf, sizeof buf, "Go *L%d\n", (i * 37) % f), buf);
  return s;
}

void BM_ProgCompile(benchmark::State &state) {
  const int lines = (int)state.range(0);
  const std::string src = Source(lines);
  Prog_AllocRuntime();
  if (!Prog_CompileText(src.data(), src.size()) || g_ProgEditor.runtime->blocks[0]->statementCount != lines ||
      g_ProgEditor.runtime->tables.labelCount != lines / 10) {
    state.SkipWithError("the source did not compile as built");
    return;
  }
  for (auto _ : state) benchmark::DoNotOptimize(Prog_CompileText(src.data(), src.size()));
  Prog_FreeRuntime();
}
BENCHMARK(BM_ProgCompile)->Arg(250)->Arg(500)->Arg(1000)->Unit(benchmark::kMicrosecond);

}  // namespace

namespace {

// One frame of the runtime over 1000 expression statements (a loop of 999 assignments and
// its Go), with and without variable operands.
void BM_ProgFrame(benchmark::State &state) {
  const bool variables = state.range(0) != 0;
  std::string s = "Var a\nVar b\n*L\n";
  for (int i = 0; i < 996; i++) s += variables ? "a = a + b\n" : "a = 3 * 2\n";
  s += "Go *L\n";
  Prog_AllocRuntime();
  if (!Prog_CompileText(s.data(), s.size())) {
    state.SkipWithError("the source did not compile");
    return;
  }
  g_ProgEditor.runtime->running = 1;
  Prog_ResetState();
  for (auto _ : state) Prog_Execute();
  benchmark::DoNotOptimize(g_ProgEditor.runtime->tables.variableValues[0]);
  Prog_FreeRuntime();
}
BENCHMARK(BM_ProgFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
