// Median latency of profile operations on pet-style files of 10^3 to 10^6 user sections: a
// read of an unchanged file, one durable write, and the 13 reads and 3 writes of one feed
// command, through platform::ReadProfileString / WriteProfileString. A plain program, so that
// the same operations on the same bytes can be timed natively against our POSIX store and,
// built with the win64 preset, under wine64 against the Windows profile API.
// Usage: profile_timing <directory> [largest size = 1000000] [samples = 21] [seconds = 20]
// Each measurement takes `samples` samples, or fewer (at least 3) once `seconds` have passed.
// Prints one line per size and operation: "size operation median_us samples".
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/paths.h"
#include "profile_bench_files.h"

namespace {

struct Limits {
  int samples;
  double seconds;
};

double MedianMicroseconds(const Limits& limits, const std::function<void(std::int64_t)>& operation,
                          int* taken) {
  std::vector<double> samples;
  const auto begin = std::chrono::steady_clock::now();
  for (std::int64_t call = 0; call < limits.samples; ++call) {
    const auto start = std::chrono::steady_clock::now();
    operation(call);
    const auto stop = std::chrono::steady_clock::now();
    samples.push_back(std::chrono::duration<double, std::micro>(stop - start).count());
    if (samples.size() >= 3 &&
        std::chrono::duration<double>(stop - begin).count() > limits.seconds) {
      break;
    }
  }
  std::sort(samples.begin(), samples.end());
  *taken = static_cast<int>(samples.size());
  return samples[samples.size() / 2];
}

void Report(std::int64_t users, const char* operation, double median, int samples) {
  std::printf("%lld %s %.1f %d\n", static_cast<long long>(users), operation, median, samples);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: profile_timing <directory> [largest] [samples] [seconds]\n");
    return 2;
  }
  const std::string directory = argv[1];
  const std::int64_t largest = argc > 2 ? std::atoll(argv[2]) : 1000000;
  const Limits limits{argc > 3 ? std::atoi(argv[3]) : 21, argc > 4 ? std::atof(argv[4]) : 20.0};
  for (std::int64_t users = 1000; users <= largest; users *= 10) {
    const std::string path =
        platform::JoinPath(directory, "pets-" + std::to_string(users) + ".ini");
    if (!profile_bench::MakeProfileFile(path, users)) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
    int taken = 0;
    // The first read parses the file; later reads of the unchanged file may use a copy. The
    // pause lets the file's timestamps age, as for a file nobody wrote in the last moment.
    const double first = MedianMicroseconds(
        {1, 0}, [&](std::int64_t) { profile_bench::ReadOnce(path, 0); }, &taken);
    Report(users, "first-read", first, taken);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    profile_bench::ReadOnce(path, 1);
    const double read = MedianMicroseconds(
        {limits.samples * 10, limits.seconds},
        [&](std::int64_t call) {
          profile_bench::ReadOnce(path, profile_bench::PickUser(users, call));
        },
        &taken);
    Report(users, "read", read, taken);
    const double write = MedianMicroseconds(
        limits,
        [&](std::int64_t call) {
          profile_bench::WriteOnce(path, profile_bench::PickUser(users, call), call);
        },
        &taken);
    Report(users, "write", write, taken);
    const double mix = MedianMicroseconds(
        limits,
        [&](std::int64_t call) {
          profile_bench::FeedMix(path, profile_bench::PickUser(users, call + 7), call);
        },
        &taken);
    Report(users, "feed-mix", mix, taken);
    std::remove(path.c_str());
  }
  return 0;
}
