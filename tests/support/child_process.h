// Test support: running a program (usually this test program again) in a child process with a
// changed environment, and the platform's ways of showing a fatal message.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace test_support {

struct ChildResult {
  int exit_code = -1;  // -1 when the child could not start or was killed after the timeout
  std::string output;  // what it wrote to standard output and standard error, interleaved
};

using EnvironmentChanges = std::vector<std::pair<std::string, std::string>>;

// Runs `program` with `arguments` and this process's environment, where each pair of
// `environment` sets (or replaces) one variable; waits at most `timeout_ms` for its end.
ChildResult RunChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                            const EnvironmentChanges& environment, int timeout_ms = 60'000);

// How a background program is asked to stop the way an operator stops it: Ctrl+C (SIGINT) or a
// supervisor's SIGTERM on POSIX. On Windows both are a Ctrl+Break to the program's own console
// process group (Ctrl+C cannot be aimed at one process).
enum class StopRequest { kInterrupt, kTerminate };

// A program running beside the test, its standard output discarded and its standard error
// written to a file. Killed (and waited for) when the object goes.
class BackgroundProcess {
 public:
  BackgroundProcess() = default;
  BackgroundProcess(const BackgroundProcess&) = delete;
  BackgroundProcess& operator=(const BackgroundProcess&) = delete;
  ~BackgroundProcess();

  // Starts `program` with `arguments` and this process's environment. False when it could not
  // start (or one is running already).
  [[nodiscard]] bool Start(const std::string& program, const std::vector<std::string>& arguments,
                           const std::string& error_path);

  // Sends `request` and waits at most `timeout_ms` for the end. The exit code (128 + the signal
  // on POSIX when a signal ended it), or -1 when it did not end in time (it is then killed) or
  // the request could not be delivered.
  int Stop(StopRequest request, int timeout_ms = 10'000);

 private:
  void Kill();

  std::intptr_t process_ = 0;  // a pid on POSIX, a process handle on Windows; 0 when none
};

// Whether Stop can deliver its request here: false under Wine, which cannot send console
// control events to another process.
bool StopRequestsCanBeDelivered();

// The native path of the running test program.
std::string CurrentProgramPath();

// The native form of a path of the build tree as CMake spells it (Wine shows '/' as Z:\).
std::string NativeBuildPath(std::string_view cmake_path);

// The environment variable the system searches for a library loaded by bare name
// (LD_LIBRARY_PATH, PATH), and the separator of its entries.
std::string LibrarySearchVariable();
char PathListSeparator();

// The current value of an environment variable, or the empty text.
std::string EnvironmentValue(const std::string& name);

// Sets an environment variable of this process; an empty value removes it.
void SetEnvironmentValue(const std::string& name, const std::string& value);

// Where fatal messages appear in error boxes (Windows), writes the text of every box this
// process shows to standard error and closes it, from a background thread. Elsewhere the
// message already goes to standard error and this does nothing.
void ReportErrorBoxesOnStandardError();

// Whether an error box can be shown and read here: false under Wine without a display.
bool ErrorBoxesCanBeShown();

}  // namespace test_support
