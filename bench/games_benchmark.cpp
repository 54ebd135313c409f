// Latency of one whole feed and one whole work command on profile files with 10^3, 10^4 and
// 10^5 users, through the module's own profile store (run natively with the bench preset).
#include <benchmark/benchmark.h>

#include "games_bench_files.h"

namespace {

void BM_FeedPet(benchmark::State& state) {
  const games_bench::GameFiles files(static_cast<int>(state.range(0)));
  int call = 0;
  for (auto _ : state) benchmark::DoNotOptimize(games_bench::FeedOnce(files, call++));
}

void BM_Work(benchmark::State& state) {
  const games_bench::GameFiles files(static_cast<int>(state.range(0)));
  int call = 0;
  for (auto _ : state) benchmark::DoNotOptimize(games_bench::WorkOnce(files, call++));
}

// Wall-clock medians over repetitions: a command spends most of its time in file system calls.
BENCHMARK(BM_FeedPet)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_Work)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
