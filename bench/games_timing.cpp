// Median latency of one whole feed and one whole work command on profile files with 10^3, 10^4
// and 10^5 users. A plain program, so that the Windows build can run it under wine64 against
// the platform's own profile API (the same program also builds natively for comparison).
// Usage: games_timing [calls per size]   (default 15)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "games_bench_files.h"

namespace {

template <typename Command>
double MedianMicroseconds(const games_bench::GameFiles& files, int calls, Command command) {
  std::vector<double> samples;
  samples.reserve(static_cast<std::size_t>(calls));
  for (int call = 0; call < calls; ++call) {
    const auto start = std::chrono::steady_clock::now();
    command(files, call);
    const auto stop = std::chrono::steady_clock::now();
    samples.push_back(std::chrono::duration<double, std::micro>(stop - start).count());
  }
  std::sort(samples.begin(), samples.end());
  return samples[samples.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int calls = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
  std::printf("%-8s %10s %16s %16s\n", "command", "users", "median_us", "calls");
  for (const int users : {1000, 10000, 100000}) {
    const games_bench::GameFiles files(users);
    const double feed = MedianMicroseconds(files, calls, games_bench::FeedOnce);
    const double work = MedianMicroseconds(files, calls, games_bench::WorkOnce);
    std::printf("%-8s %10d %16.1f %16d\n", "feed", users, feed, calls);
    std::printf("%-8s %10d %16.1f %16d\n", "work", users, work, calls);
    std::fflush(stdout);
  }
  return 0;
}
