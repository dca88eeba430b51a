// Shared by the benchmark programs: references timed in the same iterations as the work they
// are compared with (so machine load moves both alike), and a summary of every figure against
// its goal printed after the run (medians over all repetitions).
#pragma once
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "model/model3.h"

namespace bench {

// This thread's CPU time (user and system): time the thread spends waiting for a core on a
// busy machine does not count, so figures and ratios hold under load.
inline double Now() {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return (double)t.tv_sec + t.tv_nsec * 1e-9;
}

// Times fn once (seconds).
template <typename F>
inline double Time(F &&fn) {
  double t0 = Now();
  fn();
  return Now() - t0;
}

// The raw read of a whole file: open, size, read() into a new buffer, close, free.
inline void RawRead(const char *path) {
  int fd = open(path, O_RDONLY);
  if (fd < 0) return;
  off_t size = lseek(fd, 0, SEEK_END);
  lseek(fd, 0, SEEK_SET);
  char *buf = (char *)malloc((size_t)size + 1);
  size_t got = 0;
  while (buf && got < (size_t)size) {
    ssize_t n = read(fd, buf + got, (size_t)size - got);
    if (n <= 0) break;
    got += (size_t)n;
  }
  benchmark::DoNotOptimize(buf);
  free(buf);
  close(fd);
}

// One copy of n bytes between two buffers (memory's pace).
struct CopyRef {
  std::vector<char> a, b;
  explicit CopyRef(size_t n) : a(n ? n : 1, 1), b(n ? n : 1, 0) {}
  void Run() {
    memcpy(b.data(), a.data(), a.size());
    benchmark::ClobberMemory();
  }
};

// Times work once an iteration, each time after one run of `copy` outside the timed part;
// returns the work's seconds and shows them against the copies' as the counter x_memcpy.
template <typename F>
inline double TimeAgainstCopy(benchmark::State &state, CopyRef &copy, F &&work) {
  double t = 0, mem = 0;
  for (auto _ : state) {
    state.PauseTiming();
    mem += Time([&] { copy.Run(); });
    state.ResumeTiming();
    t += Time(work);
  }
  state.counters["x_memcpy"] = t / mem;
  return t;
}

// A figure of one benchmark run against its goal; `below` true when smaller is better.
struct Figure {
  std::string what;
  double goal;
  std::vector<std::pair<long long, double>> runs;   // iterations, value
};

inline std::map<std::string, Figure> &Figures() {
  static std::map<std::string, Figure> f;
  return f;
}

// Records value for the summary and shows it as a counter of this run (goal 0: none).
inline void Report(benchmark::State &state, const char *counter, const std::string &what, double value,
                   double goal) {
  state.counters[counter] = value;
  Figure &f = Figures()[what];
  f.what = what;
  f.goal = goal;
  f.runs.push_back({(long long)state.iterations(), value});
}

// The mean of `total` seconds over the run's iterations in ms, as "<name>, <n> quads (ms)",
// held against goalMs only at the largest size (goalMs 0: no goal).
inline void ReportQuadsMs(benchmark::State &state, const char *name, int quads, int largest, double goalMs,
                          double total) {
  std::string what = std::string(name) + ", " + std::to_string(quads) + " quads (ms)";
  double ms = state.iterations() ? total * 1000.0 / (double)state.iterations() : 0;
  Report(state, "ms", what, ms, quads == largest ? goalMs : 0);
}

// Times op on m restored from a copy before every run and prepared by `prepare` (untimed); the
// mean milliseconds per run go into the summary as "<name>, <quads> quads" against the goal
// (0: none) at the largest size.
template <typename Prepare, typename Op>
inline void TimeOnFreshCopies(benchmark::State &state, const char *name, double goalMs, i32 largest,
                              Model3 *m, Prepare prepare, Op op) {
  Model3 *base = Model3_Clone(m);
  double total = 0;
  for (auto _ : state) {
    Model3_Copy(base, m, 0);
    prepare(m);
    double t = Time([&] { benchmark::DoNotOptimize(op(m)); });
    state.SetIterationTime(t);
    total += t;
  }
  Model3_Free(base);
  ReportQuadsMs(state, name, (i32)state.range(0), largest, goalMs, total);
}

inline void PrintSummary() {
  if (Figures().empty()) return;
  printf("\n-- figures (median of the runs) against their goals --\n");
  for (auto &kv : Figures()) {
    // The trial runs that only size the iteration count are left out: the runs of the most
    // iterations are the measured ones.
    long long most = 0;
    for (auto &r : kv.second.runs) most = std::max(most, r.first);
    std::vector<double> v;
    for (auto &r : kv.second.runs)
      if (r.first == most) v.push_back(r.second);
    std::sort(v.begin(), v.end());
    double med = v.size() % 2 ? v[v.size() / 2] : 0.5 * (v[v.size() / 2 - 1] + v[v.size() / 2]);
    if (kv.second.goal > 0)
      printf("%-64s %9.3f  goal < %-7.3g %s  (%zu runs)\n", kv.first.c_str(), med, kv.second.goal,
             med < kv.second.goal ? "met" : "MISSED", v.size());
    else
      printf("%-64s %9.3f  (%zu runs)\n", kv.first.c_str(), med, v.size());
  }
  fflush(stdout);
}

}  // namespace bench

// The programs' main: the usual benchmark run, then the summary of figures.
#define BENCH_MAIN()                                                          \
  int main(int argc, char **argv) {                                           \
    benchmark::Initialize(&argc, argv);                                       \
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;         \
    benchmark::RunSpecifiedBenchmarks();                                      \
    benchmark::Shutdown();                                                    \
    bench::PrintSummary();                                                    \
    return 0;                                                                 \
  }
