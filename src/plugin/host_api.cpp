// Binding of the host API function api_kick_group.
#include "plugin/host_api.h"

#include "common/fatal_error.h"
#include "common/run_directory.h"
#include "platform/host_call.h"
#include "platform/library.h"
#include "platform/paths.h"

namespace plugin {
namespace {

platform::LibraryHandle host_library = nullptr;
platform::FunctionAddress kick_group = nullptr;

// Loads the host library from the first place that has it, in the host's search order.
platform::LibraryHandle LoadHostLibrary() {
  const std::string file_name = platform::HostLibraryFileName();
  for (const std::string& directory : {common::RunDirectory(), platform::ModuleDirectory()}) {
    if (directory.empty()) continue;
    const std::string path = platform::JoinPath(directory, file_name);
    if (!platform::FileExists(path)) continue;
    if (platform::LibraryHandle library = platform::LoadLibraryAt(path)) return library;
  }
  return platform::LoadLibraryAt(file_name);
}

void BindKickGroup() {
  if (kick_group != nullptr) return;
  if (host_library == nullptr) host_library = LoadHostLibrary();
  if (host_library != nullptr) kick_group = platform::FindFunction(host_library, "api_kick_group");
  if (kick_group == nullptr) {
    common::FatalErrorReport("无法调用机器人主程序接口：cqapi.dll 中的 api_kick_group 未找到。");
  }
}

}  // namespace

void KickGroup(const std::string& group, const std::string& member) {
  BindKickGroup();
  if (!platform::CallKickGroup(reinterpret_cast<platform::KickGroupFunction>(kick_group),
                               group.c_str(), member.c_str())) {
    common::FatalErrorReport("调用 cqapi.dll 的 api_kick_group 后堆栈不平衡（参数应为 8 字节）。");
  }
}

void ReleaseHostApi() {
  kick_group = nullptr;
  platform::ReleaseLibrary(host_library);
  host_library = nullptr;
}

}  // namespace plugin
