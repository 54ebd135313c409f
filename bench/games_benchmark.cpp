// Latency of one whole feed and one whole work command on profile files with 10^3, 10^4 and
// 10^5 users, through the module's own profile store (run natively with the bench preset).
#include <benchmark/benchmark.h>

#include "games_bench_files.h"

namespace {

// One whole command per iteration, each call on the next user's record.
template <std::size_t (*kCommand)(const games_bench::GameFiles&, int)>
void BM_Command(benchmark::State& state) {
  const games_bench::GameFiles files(static_cast<int>(state.range(0)));
  int call = 0;
  for (auto _ : state) benchmark::DoNotOptimize(kCommand(files, call++));
}

// Wall-clock medians over repetitions: a command spends most of its time in file system calls.
void UsersAndRepetitions(benchmark::internal::Benchmark* benchmark) {
  benchmark->RangeMultiplier(10)
      ->Range(1000, 100000)
      ->Unit(benchmark::kMicrosecond)
      ->UseRealTime()
      ->Repetitions(5)
      ->ReportAggregatesOnly(true);
}

BENCHMARK(BM_Command<games_bench::FeedOnce>)->Name("BM_FeedPet")->Apply(UsersAndRepetitions);
BENCHMARK(BM_Command<games_bench::WorkOnce>)->Name("BM_Work")->Apply(UsersAndRepetitions);

}  // namespace

BENCHMARK_MAIN();
