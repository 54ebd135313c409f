// Options, settings file, plugin start and the network loop of "robothost onebot".
#include "onebot_main.h"

#include "adapter.h"
#include "config.h"
#include "config_setup.h"
#include "encoding.h"
#include "log.h"
#include "network.h"
#include "platform.h"

namespace robothost::onebot {
namespace {

constexpr int kExitUsage = 2;
constexpr int kExitFailure = 1;

std::string Usage() {
  return "用法：robothost onebot --config 配置文件 [--plugin 插件]\n"
         "把插件接到 OneBot v11 实现（NapCat、Lagrange.OneBot、go-cqhttp 等）上，在真实的 QQ 群里运行。\n"
         "  --config 文件   JSON 格式的配置文件（见 docs/operator-guide.md）\n"
         "  --plugin 路径   要加载的插件，优先于配置文件里的 plugin\n"
         "  --no-examples   第一次启动时不写入示例等级名称和称号\n"
         "  --help          显示这份帮助\n"
         "按 Ctrl+C 或发送 SIGTERM 停止。\n";
}

}  // namespace

int RunOneBot(const std::vector<std::string>& arguments) {
  std::string config_path;
  std::string plugin_path;
  bool examples = true;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& name = arguments[i];
    if (name == "--help" || name == "-h") {
      platform::WriteOutput(Usage());
      return 0;
    }
    if (name == "--no-examples") {
      examples = false;
      continue;
    }
    if (name != "--config" && name != "--plugin") {
      platform::WriteError("robothost onebot：未知的选项 " + name + "（--help 查看用法）\n");
      return kExitUsage;
    }
    if (i + 1 >= arguments.size()) {
      platform::WriteError("robothost onebot：选项 " + name + " 缺少值\n");
      return kExitUsage;
    }
    (name == "--config" ? config_path : plugin_path) = arguments[++i];
  }
  if (config_path.empty()) {
    platform::WriteError("robothost onebot：必须用 --config 指定配置文件（--help 查看用法）\n");
    return kExitUsage;
  }
  std::string text;
  if (!platform::ReadWholeFile(config_path, text)) {
    platform::WriteError("robothost onebot：无法读取配置文件 " + config_path + "\n");
    return kExitUsage;
  }
  Config config;
  std::string error;
  if (!ParseConfig(text, config, error)) {
    platform::WriteError("robothost onebot：" + config_path + "：" + error + "\n");
    return kExitUsage;
  }
  SetLogLevel(config.log_level);

  const std::string run_directory = platform::ExecutableDirectory();
  const ConfigSetup setup = PrepareConfigDirectory(
      run_directory, examples ? platform::JoinPath(platform::JoinPath(run_directory, "examples"),
                                                   "config")
                              : std::string());
  for (const std::string& file : setup.created_files) LogInfo("已写入示例配置 " + file);
  for (const std::string& problem : setup.problems) LogWarning(problem);

  if (plugin_path.empty()) plugin_path = config.plugin;
  const std::string suffix(platform::PluginLibrarySuffix());
  if (plugin_path.empty()) {
    plugin_path = platform::JoinPath(run_directory, "Quessa宠物系统2.0.cqp" + suffix);
  }
  // The plugin looks for the API library in the run directory first; this is that file.
  const std::string cqapi_path = platform::JoinPath(run_directory, "cqapi" + suffix);

  Adapter adapter(config);
  if (!adapter.Start(plugin_path, cqapi_path, error)) {
    LogError(error);
    return kExitFailure;
  }
  const int result = RunNetwork(config, adapter);
  LogInfo("已停止");
  return result == 0 ? 0 : kExitFailure;
}

}  // namespace robothost::onebot
