// What the robot host takes from its operating system: paths, files, plugin libraries,
// character-set conversion and the terminal. One implementation per platform, chosen by CMake.
#pragma once

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace robothost::platform {

// All paths and terminal texts here are UTF-8; the implementations convert where the system
// wants something else.

// The program's arguments after the program name, as UTF-8 texts.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// The directory of the running executable, without a trailing separator; empty if unknown.
std::string ExecutableDirectory();

// `directory` and `name` joined with the platform's separator.
std::string JoinPath(std::string_view directory, std::string_view name);

// The file name suffix of a plugin library on this platform (".so" or ".dll").
std::string_view PluginLibrarySuffix();

// Whether a regular file / a directory exists at `path`.
bool IsFile(const std::string& path);
bool IsDirectory(const std::string& path);

// Creates the directory `path` (its parent must exist). True when it exists afterwards.
[[nodiscard]] bool MakeDirectory(const std::string& path);

// The whole content of the file at `path`. False when it cannot be read.
[[nodiscard]] bool ReadWholeFile(const std::string& path, std::string& content);

// Creates the file at `path` with `content`; never replaces an existing file. False when the
// file exists already or cannot be written.
[[nodiscard]] bool CreateNewFile(const std::string& path, std::string_view content);

// Appends `content` to the existing file at `path`. False when that fails.
[[nodiscard]] bool AppendToFile(const std::string& path, std::string_view content);

// A loaded plugin library; null when loading failed.
using LibraryHandle = void*;
using FunctionAddress = void (*)();

// Loads the library at `path`. On failure returns null and puts the system's reason into
// `error` (UTF-8).
LibraryHandle LoadPluginLibrary(const std::string& path, std::string& error);

// The address of the export named by the bytes `name` (GBK for the plugin's Chinese names),
// or null.
FunctionAddress FindExport(LibraryHandle library, const char* name);

// Unloads a library from LoadPluginLibrary; null does nothing. On Windows the windows that the
// plugin opened on this thread are closed first, so no window is left pointing into code that
// is gone.
void UnloadPluginLibrary(LibraryHandle library);

// Strict conversions between UTF-8 and GBK (code page 936). False, with `out` unspecified,
// when any part of the input cannot be converted.
[[nodiscard]] bool ConvertUtf8ToGbk(std::string_view utf8, std::string& out);
[[nodiscard]] bool ConvertGbkToUtf8(std::string_view gbk, std::string& out);

// Whether standard input is an interactive terminal (not a file or a pipe).
bool InputIsInteractive();

// Reads the next line of standard input without its line break (CR LF or LF). Returns false
// at the end of input. While it waits, the window messages of the calling thread are
// processed (Windows), so a window that the plugin opened stays responsive.
[[nodiscard]] bool ReadInputLine(std::string& line);

// Processes the window messages waiting for the calling thread; nothing where there are none.
void ProcessPendingMessages();

// Writes UTF-8 text to standard output / standard error at once, unbuffered, so that output
// of the host and of the API library always appears in the order in which it was made.
void WriteOutput(std::string_view utf8);
void WriteError(std::string_view utf8);

// The local calendar time of `time` (thread-safe).
std::tm LocalCalendarTime(std::time_t time);

// The signals that ask a long-running host to stop: SIGINT and SIGTERM, and on Windows also
// SIGBREAK (Ctrl+Break, and what a supervisor can send to a console process group).
std::vector<int> StopSignals();

// The name of one of the signals above ("SIGINT"), for the log.
std::string SignalName(int signal_number);

}  // namespace robothost::platform
