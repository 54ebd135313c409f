// Our POSIX profile store on pet-style files of 10^3 to 10^6 user sections (up to about 50 MB):
// a read of an unchanged file, the first read of a file (parse and index), one durable write,
// and the 13 reads and 3 writes of one feed command. Run with the bench preset.
#include <time.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include "platform/posix/profile_io.h"
#include "profile_bench_files.h"

namespace {

// One file per size in a directory of our own, made on first use and kept for every benchmark
// of that size; removed at exit.
class BenchFiles {
 public:
  BenchFiles() {
    char pattern[] = "/tmp/cqp-profile-bench-XXXXXX";
    if (::mkdtemp(pattern) != nullptr) directory_ = pattern;
  }
  ~BenchFiles() {
    std::error_code error;
    if (!directory_.empty()) std::filesystem::remove_all(directory_, error);
  }

  const std::string& For(std::int64_t users) {
    auto found = paths_.find(users);
    if (found != paths_.end()) return found->second;
    const std::string path = directory_ + "/pets-" + std::to_string(users) + ".ini";
    if (!profile_bench::MakeProfileFile(path, users)) std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return paths_.emplace(users, path).first->second;
  }

 private:
  std::string directory_;
  std::map<std::int64_t, std::string> paths_;
};

BenchFiles& Files() {
  static BenchFiles files;
  return files;
}

// Lets the file's last change age past the store's racy-timestamp margin, so that the store
// trusts its copy on a stat alone, as it does for a file nobody wrote in the last moment.
void Settle(const std::string& path, std::int64_t users) {
  profile_bench::ReadOnce(path, 0);
  ::usleep(100000);
  profile_bench::ReadOnce(path, users - 1);
}

void BM_ReadUnchangedFile(benchmark::State& state) {
  const std::int64_t users = state.range(0);
  const std::string& path = Files().For(users);
  Settle(path, users);
  std::int64_t call = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(profile_bench::ReadOnce(path, profile_bench::PickUser(users, call++)));
  }
}

void BM_FirstReadOfFile(benchmark::State& state) {
  const std::int64_t users = state.range(0);
  const std::string& path = Files().For(users);
  std::int64_t call = 0;
  for (auto _ : state) {
    platform::profile::ForgetCachedProfilesForTesting();
    benchmark::DoNotOptimize(profile_bench::ReadOnce(path, profile_bench::PickUser(users, call++)));
  }
  state.SetBytesProcessed(state.iterations() *
                          static_cast<std::int64_t>(std::filesystem::file_size(path)));
}

// Every write stores a value never stored before, so that none is skipped as a no-op.
std::int64_t write_count = 0;

// A durable write or a whole feed mix per iteration; they share the write counter.
template <typename Result, Result (*kOperation)(const std::string&, std::int64_t, std::int64_t)>
void BM_Writing(benchmark::State& state) {
  const std::int64_t users = state.range(0);
  const std::string& path = Files().For(users);
  Settle(path, users);
  std::int64_t& call = write_count;
  for (auto _ : state) {
    benchmark::DoNotOptimize(kOperation(path, profile_bench::PickUser(users, call), call));
    ++call;
  }
}

// Medians over repetitions: file system calls make single runs noisy.
#define PROFILE_SIZES ->Arg(1000)->Arg(10000)->Arg(100000)->Arg(1000000)
BENCHMARK(BM_ReadUnchangedFile) PROFILE_SIZES->Repetitions(5)->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FirstReadOfFile) PROFILE_SIZES->Repetitions(3)->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Writing<bool, profile_bench::WriteOnce>)->Name("BM_DurableWrite")
    PROFILE_SIZES->Repetitions(3)->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Writing<std::size_t, profile_bench::FeedMix>)->Name("BM_FeedCommandMix")
    PROFILE_SIZES->Repetitions(3)->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
