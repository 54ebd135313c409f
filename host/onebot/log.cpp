// Log lines on standard error, serialised by a mutex so lines of two threads never mix.
#include "log.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <string>

#include "platform.h"

namespace robothost::onebot {
namespace {

std::atomic<LogLevel> minimum_level{LogLevel::kInfo};
std::mutex log_mutex;

std::string_view LevelName(LogLevel level) {
  switch (level) {
    case LogLevel::kDebug: return "DEBUG";
    case LogLevel::kInfo: return "INFO";
    case LogLevel::kWarning: return "WARN";
    case LogLevel::kError: return "ERROR";
  }
  return "?";
}

}  // namespace

bool ParseLogLevel(std::string_view name, LogLevel& level) {
  if (name == "debug") {
    level = LogLevel::kDebug;
  } else if (name == "info") {
    level = LogLevel::kInfo;
  } else if (name == "warning" || name == "warn") {
    level = LogLevel::kWarning;
  } else if (name == "error") {
    level = LogLevel::kError;
  } else {
    return false;
  }
  return true;
}

void SetLogLevel(LogLevel level) { minimum_level.store(level); }

void Log(LogLevel level, std::string_view message) {
  if (level < minimum_level.load()) return;
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const auto milliseconds =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  const std::tm local = platform::LocalCalendarTime(seconds);
  char stamp[32];
  const std::size_t length = std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
  std::string line(stamp, length);
  char fraction[8];
  std::snprintf(fraction, sizeof fraction, ".%03d", static_cast<int>(milliseconds));
  line += fraction;
  line += " [";
  line += LevelName(level);
  line += "] ";
  line += message;
  line += '\n';
  const std::lock_guard lock(log_mutex);
  platform::WriteError(line);
}

}  // namespace robothost::onebot
