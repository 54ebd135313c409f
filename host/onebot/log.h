// The adapter's log: one line per entry on standard error, with a time and a level, safe to
// write from any thread.
#pragma once

#include <string_view>

namespace robothost::onebot {

enum class LogLevel { kDebug, kInfo, kWarning, kError };

// "debug", "info", "warning" (or "warn"), "error"; false for anything else.
[[nodiscard]] bool ParseLogLevel(std::string_view name, LogLevel& level);

// Entries below `level` are dropped from then on.
void SetLogLevel(LogLevel level);

void Log(LogLevel level, std::string_view message);
inline void LogDebug(std::string_view message) { Log(LogLevel::kDebug, message); }
inline void LogInfo(std::string_view message) { Log(LogLevel::kInfo, message); }
inline void LogWarning(std::string_view message) { Log(LogLevel::kWarning, message); }
inline void LogError(std::string_view message) { Log(LogLevel::kError, message); }

}  // namespace robothost::onebot
