// Test support on POSIX: child processes through posix_spawn, the environment through setenv.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdlib>
#include <string>
#include <thread>

#include "child_process.h"
#include "temp_dir.h"

extern char** environ;

namespace test_support {
namespace {

// The argument vector of posix_spawn: the program, the arguments, a null pointer.
std::vector<char*> ArgumentVector(const std::string& program,
                                  const std::vector<std::string>& arguments) {
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  return argv;
}

}  // namespace

ChildResult RunChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                            const EnvironmentChanges& environment, int timeout_ms) {
  ChildResult result;
  std::vector<std::string> variables;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string variable = *entry;
    bool replaced = false;
    for (const auto& [name, value] : environment) {
      replaced = replaced || variable.compare(0, name.size() + 1, name + "=") == 0;
    }
    if (!replaced) variables.push_back(variable);
  }
  for (const auto& [name, value] : environment) variables.push_back(name + "=" + value);

  std::vector<char*> argv = ArgumentVector(program, arguments);
  std::vector<char*> envp;
  for (std::string& variable : variables) envp.push_back(variable.data());
  envp.push_back(nullptr);

  TempDir scratch;
  const std::string output_path = (scratch.path() / "output").string();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, output_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  pid_t child = 0;
  const int spawned =
      posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return result;

  const auto give_up = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  int status = 0;
  for (;;) {
    const pid_t done = waitpid(child, &status, WNOHANG);
    if (done == child) break;
    if (done < 0) return result;
    if (std::chrono::steady_clock::now() > give_up) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      result.output = ReadFile(output_path);
      return result;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (WIFEXITED(status)) result.exit_code = WEXITSTATUS(status);
  else if (WIFSIGNALED(status)) result.exit_code = 128 + WTERMSIG(status);
  result.output = ReadFile(output_path);
  return result;
}

BackgroundProcess::~BackgroundProcess() { Kill(); }

bool BackgroundProcess::Start(const std::string& program, const std::vector<std::string>& arguments,
                              const std::string& error_path) {
  if (process_ != 0) return false;
  std::vector<char*> argv = ArgumentVector(program, arguments);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, error_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  pid_t child = 0;
  const int spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return false;
  process_ = child;
  return true;
}

int BackgroundProcess::Stop(StopRequest request, int timeout_ms) {
  if (process_ == 0) return -1;
  const auto child = static_cast<pid_t>(process_);
  kill(child, request == StopRequest::kInterrupt ? SIGINT : SIGTERM);
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (std::chrono::steady_clock::now() < give_up) {
    int status = 0;
    if (waitpid(child, &status, WNOHANG) == child) {
      process_ = 0;
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  Kill();
  return -1;
}

void BackgroundProcess::Kill() {
  if (process_ == 0) return;
  const auto child = static_cast<pid_t>(process_);
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  process_ = 0;
}

bool StopRequestsCanBeDelivered() { return true; }

std::string CurrentProgramPath() {
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  return length <= 0 ? std::string() : std::string(path, static_cast<std::size_t>(length));
}

std::string NativeBuildPath(std::string_view cmake_path) { return std::string(cmake_path); }

std::string LibrarySearchVariable() { return "LD_LIBRARY_PATH"; }

char PathListSeparator() { return ':'; }

std::string EnvironmentValue(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  return value == nullptr ? std::string() : std::string(value);
}

void SetEnvironmentValue(const std::string& name, const std::string& value) {
  if (value.empty()) {
    unsetenv(name.c_str());
  } else {
    setenv(name.c_str(), value.c_str(), 1);
  }
}

void ReportErrorBoxesOnStandardError() {}

bool ErrorBoxesCanBeShown() { return true; }

}  // namespace test_support
