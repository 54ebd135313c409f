// Test support on Windows: child processes through CreateProcess, and the text of error boxes.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "child_process.h"
#include "temp_dir.h"

namespace test_support {
namespace {

// One argument quoted for the command line as the C runtime splits it again.
std::string QuoteArgument(const std::string& argument) {
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (const char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, '\\');
  quoted += '"';
  return quoted;
}

// The command line CreateProcess wants: the program and every argument, each quoted.
std::string CommandLine(const std::string& program, const std::vector<std::string>& arguments) {
  std::string command_line = QuoteArgument(program);
  for (const std::string& argument : arguments) {
    command_line += ' ';
    command_line += QuoteArgument(argument);
  }
  return command_line;
}

// A file opened for writing with a handle a child process inherits; INVALID_HANDLE_VALUE when
// it cannot be opened. `disposition` as for CreateFile.
HANDLE OpenInheritableForWriting(const std::string& path, DWORD disposition) {
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                     disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Start-up settings that give a child this process's standard input and `output` / `error`
// as its standard output and error.
STARTUPINFOA StandardHandles(HANDLE output, HANDLE error) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = output;
  startup.hStdError = error;
  return startup;
}

bool SameNameIgnoringCase(const std::string& variable, const std::string& name) {
  if (variable.size() <= name.size() || variable[name.size()] != '=') return false;
  return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, variable.c_str(),
                        static_cast<int>(name.size()), name.c_str(),
                        static_cast<int>(name.size())) == CSTR_EQUAL;
}

// Collects the text of a box's static controls: the message, not the buttons.
BOOL CALLBACK AppendStaticText(HWND child, LPARAM text) {
  char class_name[16];
  if (GetClassNameA(child, class_name, sizeof class_name) == 0 ||
      CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, class_name, -1, "Static", -1) !=
          CSTR_EQUAL) {
    return TRUE;
  }
  char buffer[2048];
  const int length = GetWindowTextA(child, buffer, sizeof buffer);
  if (length > 0) {
    auto* collected = reinterpret_cast<std::string*>(text);
    *collected += std::string(buffer, static_cast<std::size_t>(length));
    *collected += '\n';
  }
  return TRUE;
}

}  // namespace

ChildResult RunChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                            const EnvironmentChanges& environment, int timeout_ms) {
  ChildResult result;
  std::string command_line = CommandLine(program, arguments);

  std::string block;
  if (char* strings = GetEnvironmentStringsA()) {
    for (const char* entry = strings; *entry != '\0'; entry += std::strlen(entry) + 1) {
      const std::string variable = entry;
      bool replaced = false;
      for (const auto& [name, value] : environment) {
        replaced = replaced || SameNameIgnoringCase(variable, name);
      }
      if (!replaced) block += variable + '\0';
    }
    FreeEnvironmentStringsA(strings);
  }
  for (const auto& [name, value] : environment) block += name + "=" + value + '\0';
  block += '\0';

  TempDir scratch;
  const std::string output_path = (scratch.path() / "output").string();
  HANDLE output = OpenInheritableForWriting(output_path, CREATE_ALWAYS);
  if (output == INVALID_HANDLE_VALUE) return result;
  STARTUPINFOA startup = StandardHandles(output, output);
  PROCESS_INFORMATION process{};
  const BOOL created = CreateProcessA(program.c_str(), command_line.data(), nullptr, nullptr, TRUE,
                                      0, block.data(), nullptr, &startup, &process);
  CloseHandle(output);
  if (!created) return result;
  if (WaitForSingleObject(process.hProcess, static_cast<DWORD>(timeout_ms)) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 1);
    WaitForSingleObject(process.hProcess, INFINITE);
  } else {
    DWORD code = 0;
    if (GetExitCodeProcess(process.hProcess, &code)) result.exit_code = static_cast<int>(code);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  result.output = ReadFile(output_path);
  return result;
}

BackgroundProcess::~BackgroundProcess() { Kill(); }

bool BackgroundProcess::Start(const std::string& program, const std::vector<std::string>& arguments,
                              const std::string& error_path) {
  if (process_ != 0) return false;
  std::string command_line = CommandLine(program, arguments);
  HANDLE error = OpenInheritableForWriting(error_path, CREATE_ALWAYS);
  if (error == INVALID_HANDLE_VALUE) return false;
  HANDLE discard = OpenInheritableForWriting("NUL", OPEN_EXISTING);
  STARTUPINFOA startup = StandardHandles(discard, error);
  PROCESS_INFORMATION process{};
  // A process group of its own, so that a Ctrl+Break can be aimed at it alone.
  const BOOL created =
      CreateProcessA(program.c_str(), command_line.data(), nullptr, nullptr, TRUE,
                     CREATE_NEW_PROCESS_GROUP, nullptr, nullptr, &startup, &process);
  CloseHandle(error);
  if (discard != INVALID_HANDLE_VALUE) CloseHandle(discard);
  if (!created) return false;
  CloseHandle(process.hThread);
  process_ = reinterpret_cast<std::intptr_t>(process.hProcess);
  return true;
}

int BackgroundProcess::Stop(StopRequest, int timeout_ms) {
  if (process_ == 0) return -1;
  HANDLE process = reinterpret_cast<HANDLE>(process_);
  if (!GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, GetProcessId(process)) ||
      WaitForSingleObject(process, static_cast<DWORD>(timeout_ms)) != WAIT_OBJECT_0) {
    Kill();
    return -1;
  }
  DWORD code = 0;
  const BOOL known = GetExitCodeProcess(process, &code);
  CloseHandle(process);
  process_ = 0;
  return known ? static_cast<int>(code) : -1;
}

void BackgroundProcess::Kill() {
  if (process_ == 0) return;
  HANDLE process = reinterpret_cast<HANDLE>(process_);
  TerminateProcess(process, 1);
  WaitForSingleObject(process, 10'000);
  CloseHandle(process);
  process_ = 0;
}

bool StopRequestsCanBeDelivered() {
  // Wine's ntdll exports wine_get_version; Windows' does not.
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll == nullptr || GetProcAddress(ntdll, "wine_get_version") == nullptr;
}

std::string CurrentProgramPath() {
  char path[MAX_PATH * 4];
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  return (length == 0 || length >= sizeof path) ? std::string() : std::string(path, length);
}

std::string NativeBuildPath(std::string_view cmake_path) {
  std::string path = "Z:" + std::string(cmake_path);
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

std::string LibrarySearchVariable() { return "PATH"; }

char PathListSeparator() { return ';'; }

std::string EnvironmentValue(const std::string& name) {
  char buffer[32768];
  const DWORD length = GetEnvironmentVariableA(name.c_str(), buffer, sizeof buffer);
  return (length == 0 || length >= sizeof buffer) ? std::string() : std::string(buffer, length);
}

void SetEnvironmentValue(const std::string& name, const std::string& value) {
  SetEnvironmentVariableA(name.c_str(), value.empty() ? nullptr : value.c_str());
}

void ReportErrorBoxesOnStandardError() {
  std::thread([] {
    int waited_for_text = 0;
    for (;;) {
      Sleep(50);
      HWND box = FindWindowA("#32770", nullptr);
      if (box == nullptr) continue;
      // A box is found as soon as it exists; its text comes a moment later.
      std::string text;
      EnumChildWindows(box, AppendStaticText, reinterpret_cast<LPARAM>(&text));
      if (text.empty() && ++waited_for_text < 40) continue;
      waited_for_text = 0;
      std::fprintf(stderr, "error box: %s", text.c_str());
      std::fflush(stderr);
      PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
  }).detach();
}

bool ErrorBoxesCanBeShown() {
  static const bool can_show = [] {
    std::atomic<bool> answered{false};
    std::thread closer([&answered] {
      while (!answered) {
        if (HWND box = FindWindowA("#32770", "cqp-test-probe")) {
          PostMessageA(box, WM_COMMAND, IDOK, 0);
          return;
        }
        Sleep(20);
      }
    });
    const int answer = MessageBoxA(nullptr, "probe", "cqp-test-probe", MB_OK);
    answered = true;
    closer.join();
    return answer == IDOK;
  }();
  return can_show;
}

}  // namespace test_support
