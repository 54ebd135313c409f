// Loading the plugin library and calling its exports with the host's calling convention.
#include "plugin.h"

#include "calling_convention.h"

namespace robothost {
namespace {

using InfoExport = const char*(ROBOTHOST_STDCALL*)();
using CommandExport = const char*(ROBOTHOST_STDCALL*)(const char*, const char*, const char*,
                                                       const char*, const char*);

}  // namespace

std::unique_ptr<Plugin> Plugin::Load(const std::string& path, std::string& error) {
  if (!platform::IsFile(path)) {
    error = "找不到插件文件：" + path;
    return nullptr;
  }
  std::string reason;
  platform::LibraryHandle library = platform::LoadPluginLibrary(path, reason);
  if (library == nullptr) {
    error = "无法加载插件 " + path + "：" + reason;
    return nullptr;
  }
  return std::unique_ptr<Plugin>(new Plugin(library));
}

Plugin::~Plugin() { platform::UnloadPluginLibrary(library_); }

bool Plugin::Info(std::string& descriptor, std::string& error) {
  const auto info = reinterpret_cast<InfoExport>(platform::FindExport(library_, "info"));
  if (info == nullptr) {
    error = "插件没有导出函数 info，不是机器人插件。";
    return false;
  }
  const char* text = info();
  descriptor = text != nullptr ? text : "";
  return true;
}

bool Plugin::CallCommand(const std::string& export_name, const CommandArguments& arguments,
                         std::string& reply) {
  const auto command =
      reinterpret_cast<CommandExport>(platform::FindExport(library_, export_name.c_str()));
  if (command == nullptr) return false;
  const char* text = command(arguments.parameter.c_str(), arguments.argument2.c_str(),
                             arguments.group.c_str(), arguments.sender.c_str(),
                             arguments.argument5.c_str());
  reply = text != nullptr ? text : "";
  return true;
}

}  // namespace robothost
