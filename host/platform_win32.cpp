// The robot host on Windows: wide-character file and library calls, code page 936 for GBK,
// the console in UTF-16, and a message loop that keeps the plugin's window alive.
#include <windows.h>
#include <shellapi.h>

#include <csignal>
#include <deque>
#include <mutex>
#include <thread>

#include "platform.h"

namespace robothost::platform {
namespace {

constexpr UINT kGbkCodePage = 936;

std::wstring Widen(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                         nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                      length);
  return wide;
}

std::string Narrow(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(),
                      length, nullptr, nullptr);
  return utf8;
}

// The wide path of an existing file or directory. Under Wine in a GBK locale, a file that a
// Linux tool named in UTF-8 (such as the plugin built beside the host) shows with the name its
// bytes have in the ANSI code page; when the proper name is not there, that name is tried too.
// A path to create is always given its proper name.
std::wstring ExistingPath(const std::string& utf8) {
  std::wstring proper = Widen(utf8);
  if (GetFileAttributesW(proper.c_str()) != INVALID_FILE_ATTRIBUTES || utf8.empty()) {
    return proper;
  }
  const int length =
      MultiByteToWideChar(CP_ACP, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  if (length <= 0) return proper;
  std::wstring as_ansi(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, utf8.data(), static_cast<int>(utf8.size()), as_ansi.data(),
                      length);
  return GetFileAttributesW(as_ansi.c_str()) != INVALID_FILE_ATTRIBUTES ? as_ansi : proper;
}

std::string SystemMessage(DWORD code) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = length > 0 ? std::wstring(buffer, length) : std::wstring();
  if (buffer != nullptr) LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) {
    text.pop_back();
  }
  std::string result = Narrow(text);
  result += " (error " + std::to_string(code) + ")";
  return result;
}

bool IsConsole(HANDLE handle) {
  DWORD mode = 0;
  return GetFileType(handle) == FILE_TYPE_CHAR && GetConsoleMode(handle, &mode) != 0;
}

void WriteTo(DWORD which, std::string_view utf8) {
  HANDLE handle = GetStdHandle(which);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE || utf8.empty()) return;
  if (IsConsole(handle)) {
    const std::wstring wide = Widen(utf8);
    DWORD written = 0;
    WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    return;
  }
  while (!utf8.empty()) {
    DWORD written = 0;
    if (!WriteFile(handle, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr) ||
        written == 0) {
      return;
    }
    utf8.remove_prefix(written);
  }
}

// Standard input is read on a thread of its own, so the main thread can wait for a line and
// for window messages at the same time. The state is never destroyed: the reader may still be
// blocked in a read when the process ends.
struct InputQueue {
  std::mutex mutex;
  std::deque<std::string> lines;
  bool ended = false;
  HANDLE ready = CreateEventW(nullptr, FALSE, FALSE, nullptr);

  void Push(std::string line) {
    {
      std::lock_guard<std::mutex> lock(mutex);
      lines.push_back(std::move(line));
    }
    SetEvent(ready);
  }
  void End() {
    {
      std::lock_guard<std::mutex> lock(mutex);
      ended = true;
    }
    SetEvent(ready);
  }
};

void TrimLineBreak(std::string& line) {
  if (!line.empty() && line.back() == '\n') line.pop_back();
  if (!line.empty() && line.back() == '\r') line.pop_back();
}

void ReadConsoleLines(HANDLE input, InputQueue& queue) {
  std::wstring pending;
  wchar_t buffer[1024];
  for (;;) {
    DWORD count = 0;
    if (!ReadConsoleW(input, buffer, 1024, &count, nullptr) || count == 0) break;
    pending.append(buffer, count);
    std::wstring::size_type newline;
    while ((newline = pending.find(L'\n')) != std::wstring::npos) {
      std::wstring line = pending.substr(0, newline + 1);
      pending.erase(0, newline + 1);
      if (!line.empty() && line.front() == 0x1A) {  // Ctrl+Z, Enter: the end of input
        queue.End();
        return;
      }
      std::string utf8 = Narrow(line);
      TrimLineBreak(utf8);
      queue.Push(std::move(utf8));
    }
  }
  queue.End();
}

void ReadByteLines(HANDLE input, InputQueue& queue) {
  std::string pending;
  char buffer[4096];
  for (;;) {
    DWORD count = 0;
    if (!ReadFile(input, buffer, sizeof buffer, &count, nullptr) || count == 0) break;
    pending.append(buffer, count);
    std::string::size_type newline;
    while ((newline = pending.find('\n')) != std::string::npos) {
      std::string line = pending.substr(0, newline + 1);
      pending.erase(0, newline + 1);
      TrimLineBreak(line);
      queue.Push(std::move(line));
    }
  }
  if (!pending.empty()) {
    TrimLineBreak(pending);
    queue.Push(std::move(pending));
  }
  queue.End();
}

InputQueue& Input() {
  static InputQueue* queue = [] {
    auto* created = new InputQueue;
    std::thread([created] {
      HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
      if (input == nullptr || input == INVALID_HANDLE_VALUE) {
        created->End();
      } else if (IsConsole(input)) {
        ReadConsoleLines(input, *created);
      } else {
        ReadByteLines(input, *created);
      }
    }).detach();
    return created;
  }();
  return *queue;
}

BOOL CALLBACK DestroyThreadWindow(HWND window, LPARAM) {
  DestroyWindow(window);
  return TRUE;
}

}  // namespace

std::vector<std::string> CommandLineArguments(int, char**) {
  // The narrow argv holds the system's ANSI code page; the wide command line holds everything.
  std::vector<std::string> arguments;
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(Narrow(wide[i]));
  LocalFree(wide);
  return arguments;
}

std::string ExecutableDirectory() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  const std::wstring::size_type separator = path.find_last_of(L"\\/");
  return separator == std::wstring::npos ? std::string() : Narrow(path.substr(0, separator));
}

std::string JoinPath(std::string_view directory, std::string_view name) {
  std::string path(directory);
  if (!path.empty() && path.back() != '\\' && path.back() != '/') path += '\\';
  path += name;
  return path;
}

std::string_view PluginLibrarySuffix() { return ".dll"; }

bool IsFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(ExistingPath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool IsDirectory(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(ExistingPath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool MakeDirectory(const std::string& path) {
  return CreateDirectoryW(Widen(path).c_str(), nullptr) != 0 || IsDirectory(path);
}

bool ReadWholeFile(const std::string& path, std::string& content) {
  HANDLE file = CreateFileW(ExistingPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  content.clear();
  char buffer[4096];
  DWORD count = 0;
  bool ok = true;
  for (;;) {
    if (!ReadFile(file, buffer, sizeof buffer, &count, nullptr)) {
      ok = false;
      break;
    }
    if (count == 0) break;
    content.append(buffer, count);
  }
  CloseHandle(file);
  return ok;
}

namespace {

bool WriteWhole(HANDLE file, std::string_view content) {
  while (!content.empty()) {
    DWORD written = 0;
    if (!WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr) ||
        written == 0) {
      return false;
    }
    content.remove_prefix(written);
  }
  return true;
}

}  // namespace

bool CreateNewFile(const std::string& path, std::string_view content) {
  // CREATE_NEW: an existing file, even one made a moment ago by someone else, is never replaced.
  HANDLE file = CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool ok = WriteWhole(file, content);
  return CloseHandle(file) != 0 && ok;
}

bool AppendToFile(const std::string& path, std::string_view content) {
  HANDLE file = CreateFileW(ExistingPath(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool ok = WriteWhole(file, content);
  return CloseHandle(file) != 0 && ok;
}

LibraryHandle LoadPluginLibrary(const std::string& path, std::string& error) {
  // A bare file name would make Windows search the system's directories as well; a user who
  // types one means the file here.
  const std::string where =
      path.find_first_of("\\/:") == std::string::npos ? ".\\" + path : path;
  HMODULE library = LoadLibraryW(ExistingPath(where).c_str());
  if (library == nullptr) error = SystemMessage(GetLastError());
  return reinterpret_cast<LibraryHandle>(library);
}

FunctionAddress FindExport(LibraryHandle library, const char* name) {
  return reinterpret_cast<FunctionAddress>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void UnloadPluginLibrary(LibraryHandle library) {
  if (library == nullptr) return;
  EnumThreadWindows(GetCurrentThreadId(), DestroyThreadWindow, 0);
  FreeLibrary(static_cast<HMODULE>(library));
}

bool ConvertUtf8ToGbk(std::string_view utf8, std::string& out) {
  out.clear();
  if (utf8.empty()) return true;
  const int wide_length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                              static_cast<int>(utf8.size()), nullptr, 0);
  if (wide_length <= 0) return false;
  std::wstring wide(static_cast<std::size_t>(wide_length), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                      wide.data(), wide_length);
  BOOL used_default = FALSE;
  const int length = WideCharToMultiByte(kGbkCodePage, WC_NO_BEST_FIT_CHARS, wide.data(),
                                         wide_length, nullptr, 0, nullptr, &used_default);
  if (length <= 0 || used_default) return false;
  out.assign(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(kGbkCodePage, WC_NO_BEST_FIT_CHARS, wide.data(), wide_length, out.data(),
                      length, nullptr, &used_default);
  return !used_default;
}

bool ConvertGbkToUtf8(std::string_view gbk, std::string& out) {
  out.clear();
  if (gbk.empty()) return true;
  const int wide_length = MultiByteToWideChar(kGbkCodePage, MB_ERR_INVALID_CHARS, gbk.data(),
                                              static_cast<int>(gbk.size()), nullptr, 0);
  if (wide_length <= 0) return false;
  std::wstring wide(static_cast<std::size_t>(wide_length), L'\0');
  MultiByteToWideChar(kGbkCodePage, MB_ERR_INVALID_CHARS, gbk.data(), static_cast<int>(gbk.size()),
                      wide.data(), wide_length);
  out = Narrow(wide);
  return true;
}

bool InputIsInteractive() { return IsConsole(GetStdHandle(STD_INPUT_HANDLE)); }

bool ReadInputLine(std::string& line) {
  InputQueue& queue = Input();
  for (;;) {
    {
      std::lock_guard<std::mutex> lock(queue.mutex);
      if (!queue.lines.empty()) {
        line = std::move(queue.lines.front());
        queue.lines.pop_front();
        return true;
      }
      if (queue.ended) return false;
    }
    const DWORD woke = MsgWaitForMultipleObjects(1, &queue.ready, FALSE, INFINITE, QS_ALLINPUT);
    if (woke == WAIT_OBJECT_0 + 1) ProcessPendingMessages();
  }
}

void ProcessPendingMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void WriteOutput(std::string_view utf8) { WriteTo(STD_OUTPUT_HANDLE, utf8); }

void WriteError(std::string_view utf8) { WriteTo(STD_ERROR_HANDLE, utf8); }

std::tm LocalCalendarTime(std::time_t time) {
  std::tm local{};
  localtime_s(&local, &time);
  return local;
}

std::vector<int> StopSignals() { return {SIGINT, SIGTERM, SIGBREAK}; }

std::string SignalName(int signal_number) {
  if (signal_number == SIGINT) return "SIGINT";
  if (signal_number == SIGTERM) return "SIGTERM";
  if (signal_number == SIGBREAK) return "SIGBREAK";
  return "signal " + std::to_string(signal_number);
}

}  // namespace robothost::platform
