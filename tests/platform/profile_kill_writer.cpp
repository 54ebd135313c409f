// The writer that profile_kill_test kills: writes one profile file without pause, write c
// storing c under key n of section s<c mod sections>, and prints one byte as it starts. Built straight from the store's sources without sanitizers, so that a new
// writer starts and dies in a millisecond and a thousand kills fit in a few seconds.
// Usage: profile_kill_writer <file> <first write number> <sections>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/profile.h"

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  const std::string path = argv[1];
  const std::int64_t first = std::atoll(argv[2]);
  const std::int64_t sections = std::atoll(argv[3]);
  if (sections <= 0) return 2;
  if (::write(STDOUT_FILENO, "r", 1) != 1) return 4;
  for (std::int64_t c = first;; ++c) {
    if (!platform::WriteProfileString(path, "s" + std::to_string(c % sections), "n",
                                      std::to_string(c))) {
      return 3;
    }
  }
}
