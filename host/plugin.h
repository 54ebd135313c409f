// A plugin library loaded the way a robot host loads it: by path, its exports found by their
// GBK names and called with texts in, one text out.
#pragma once

#include <memory>
#include <string>

#include "platform.h"

namespace robothost {

// The five texts a chat command export receives (GBK).
struct CommandArguments {
  std::string parameter;  // argument 1: what the user wrote in place of the parameter hint
  std::string argument2;  // read by no command
  std::string group;      // argument 3: the group number
  std::string sender;     // argument 4: the sender's QQ number
  std::string argument5;  // read by no command
};

class Plugin {
 public:
  // Loads the library at `path` (UTF-8). Null, with a Chinese message in `error`, when the
  // file is missing or the system cannot load it.
  static std::unique_ptr<Plugin> Load(const std::string& path, std::string& error);

  ~Plugin();  // unloads the library
  Plugin(const Plugin&) = delete;
  Plugin& operator=(const Plugin&) = delete;

  // Calls `info`. False, with a message in `error`, when the library has no such export.
  // A null result reads as the empty text.
  [[nodiscard]] bool Info(std::string& descriptor, std::string& error);

  // Calls the five-text export named by the GBK bytes `export_name` and copies its reply
  // (a null reply is the empty text). False when the library has no such export.
  [[nodiscard]] bool CallCommand(const std::string& export_name, const CommandArguments& arguments,
                                 std::string& reply);

 private:
  explicit Plugin(platform::LibraryHandle library) : library_(library) {}

  platform::LibraryHandle library_;
};

}  // namespace robothost
