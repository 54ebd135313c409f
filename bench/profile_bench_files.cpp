// Benchmark set-up for the profile store: pet-style files and the feed command's operation mix.
#include "profile_bench_files.h"

#include <cstdio>

#include "platform/profile.h"

namespace profile_bench {
namespace {

// Written values start here, far above the values in a new file, so that no write stores the
// value already there (the store skips such a write).
constexpr std::int64_t kFreshValues = 100000000;

}  // namespace

std::string UserSection(std::int64_t user) { return std::to_string(10000000 + user * 7); }

bool MakeProfileFile(const std::string& path, std::int64_t users) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  std::string chunk;
  for (std::int64_t user = 0; user < users; ++user) {
    // Appended piece by piece: GCC 12 warns wrongly about chains of operator+ here.
    chunk.append("[").append(UserSection(user)).append("]\r\ntime=2024-5-1\r\nfeeds=");
    chunk.append(std::to_string(user % 97)).append("\r\nexp=");
    chunk.append(std::to_string(user % 97 * 10)).append("\r\n");
    if (chunk.size() > (1 << 20)) {
      std::fwrite(chunk.data(), 1, chunk.size(), file);
      chunk.clear();
    }
  }
  chunk += "[levels]\r\n";
  for (int level = 1; level <= 10; ++level) {
    chunk.append(std::to_string(level)).append("=level name ");
    chunk.append(std::to_string(level)).append("\r\n");
  }
  const bool written = std::fwrite(chunk.data(), 1, chunk.size(), file) == chunk.size();
  return std::fclose(file) == 0 && written;
}

std::size_t ReadOnce(const std::string& path, std::int64_t user) {
  return platform::ReadProfileString(path, UserSection(user), "feeds", "0").size();
}

bool WriteOnce(const std::string& path, std::int64_t user, std::int64_t call) {
  return platform::WriteProfileString(path, UserSection(user), "feeds",
                                      std::to_string(kFreshValues + call));
}

std::size_t FeedMix(const std::string& path, std::int64_t user, std::int64_t call) {
  const std::string section = UserSection(user);
  std::size_t read = platform::ReadProfileString(path, section, "time", "").size();
  read += platform::ReadProfileString(path, section, "feeds", "0").size();
  read += platform::ReadProfileString(path, section, "exp", "0").size();
  platform::WriteProfileString(path, section, "exp", std::to_string(kFreshValues + call * 10));
  platform::WriteProfileString(path, section, "time", std::string("day ").append(std::to_string(call)));
  platform::WriteProfileString(path, section, "feeds", std::to_string(kFreshValues + call));
  for (int level = 1; level <= 10; ++level) {
    read += platform::ReadProfileString(path, "levels", std::to_string(level), "").size();
  }
  return read;
}

std::int64_t PickUser(std::int64_t users, std::int64_t call) {
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(call) * 2654435761u + 12345u) %
                                   static_cast<std::uint64_t>(users));
}

}  // namespace profile_bench
