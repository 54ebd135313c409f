// robothost: loads the plugin as a robot host does and lets a person (or a script) chat with it.
#include <memory>
#include <string>
#include <vector>

#include "config_setup.h"
#include "descriptor.h"
#include "encoding.h"
#include "onebot/onebot_main.h"
#include "platform.h"
#include "plugin.h"
#include "session.h"

namespace {

using robothost::platform::WriteError;

constexpr int kExitUsage = 2;
constexpr int kExitPlugin = 1;

struct Options {
  robothost::SessionSettings settings;
  std::string plugin_path;
  std::string script_path;  // "-" for standard input; empty: decided by the terminal
  bool examples = true;
  bool help = false;
};

std::string Usage() {
  return "用法：robothost [选项]\n"
         "像 QQ 机器人主程序一样加载插件，在终端里和它聊天。\n"
         "  --plugin 路径   要加载的插件（默认：程序所在目录下的 Quessa宠物系统2.0.cqp" +
         std::string(robothost::platform::PluginLibrarySuffix()) +
         "）\n"
         "  --qq QQ号       发言人的 QQ 号（默认 12345）\n"
         "  --name 昵称     发言人的昵称（默认 小明）\n"
         "  --group 群号    群号（默认 10001）\n"
         "  --bot 名字      机器人的名字（默认 机器人）\n"
         "  --script 文件   逐行读取文件里的聊天消息并打印回复（- 表示标准输入）；\n"
         "                  标准输入不是终端时自动进入这种脚本模式\n"
         "  --no-examples   第一次启动时不写入示例等级名称和称号\n"
         "  --help          显示这份帮助\n\n" +
         robothost::HostCommandHelp() + "\n";
}

bool IsNumber(const std::string& text) {
  if (text.empty() || text.size() > 20) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// Reads the options; false, after telling why on standard error, when they are unusable.
bool ParseOptions(const std::vector<std::string>& arguments, Options& options) {
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    std::string name = arguments[i];
    std::string value;
    bool has_value = false;
    if (const std::string::size_type equals = name.find('='); equals != std::string::npos) {
      value = name.substr(equals + 1);
      name.resize(equals);
      has_value = true;
    }
    if (name == "--help" || name == "-h") {
      options.help = true;
      continue;
    }
    if (name == "--no-examples") {
      options.examples = false;
      continue;
    }
    if (name != "--plugin" && name != "--qq" && name != "--name" && name != "--group" &&
        name != "--bot" && name != "--script") {
      WriteError("robothost：未知的选项 " + name + "（--help 查看用法）\n");
      return false;
    }
    if (!has_value) {
      if (i + 1 >= arguments.size()) {
        WriteError("robothost：选项 " + name + " 缺少值\n");
        return false;
      }
      value = arguments[++i];
    }
    if (robothost::FindInvalidUtf8(value) != std::string::npos) {
      WriteError("robothost：选项 " + name + " 的值不是有效的 UTF-8 文本\n");
      return false;
    }
    if ((name == "--qq" || name == "--group") && !IsNumber(value)) {
      WriteError("robothost：" + name + " 的值只能由数字组成：" + value + "\n");
      return false;
    }
    if ((name == "--name" || name == "--bot") && value.empty()) {
      WriteError("robothost：" + name + " 的值不能为空\n");
      return false;
    }
    if (name == "--plugin") options.plugin_path = value;
    if (name == "--qq") options.settings.qq = value;
    if (name == "--name") options.settings.name = value;
    if (name == "--group") options.settings.group = value;
    if (name == "--bot") options.settings.bot = value;
    if (name == "--script") options.script_path = value;
  }
  return true;
}

void ReportConfigSetup(const robothost::ConfigSetup& setup, const std::string& config) {
  if (setup.created_directory) WriteError("robothost：已创建配置目录 " + config + "\n");
  for (const std::string& file : setup.created_files) {
    WriteError("robothost：已写入示例配置 " + file + "（等级名称 / 称号，可随时修改）\n");
  }
  for (const std::string& section : setup.added_sections) {
    WriteError("robothost：已补上示例配置 " + section + "\n");
  }
  for (const std::string& problem : setup.problems) WriteError("robothost：" + problem + "\n");
}

// The lines of a script file, without line breaks; a UTF-8 byte order mark is dropped.
std::vector<std::string> SplitScript(std::string_view text) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    const std::string_view::size_type newline = text.find('\n');
    std::string line(text.substr(0, newline));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    if (newline == std::string_view::npos) break;
    text.remove_prefix(newline + 1);
  }
  return lines;
}

void DropByteOrderMark(std::string& line) {
  if (line.starts_with("\xEF\xBB\xBF")) line.erase(0, 3);
}

}  // namespace

int main(int argc, char** argv) {
  namespace platform = robothost::platform;
  const std::vector<std::string> arguments = platform::CommandLineArguments(argc, argv);
  // "robothost onebot ..." connects the same host core to a OneBot v11 implementation.
  if (!arguments.empty() && arguments.front() == "onebot") {
    return robothost::onebot::RunOneBot({arguments.begin() + 1, arguments.end()});
  }
  Options options;
  if (!ParseOptions(arguments, options)) return kExitUsage;
  if (options.help) {
    platform::WriteOutput(Usage());
    return 0;
  }

  const std::string run_directory = platform::ExecutableDirectory();
  const std::string examples =
      options.examples ? platform::JoinPath(platform::JoinPath(run_directory, "examples"), "config")
                       : std::string();
  ReportConfigSetup(robothost::PrepareConfigDirectory(run_directory, examples),
                    platform::JoinPath(run_directory, "config"));

  if (options.plugin_path.empty()) {
    options.plugin_path = platform::JoinPath(
        run_directory, "Quessa宠物系统2.0.cqp" + std::string(platform::PluginLibrarySuffix()));
  }
  std::string error;
  std::unique_ptr<robothost::Plugin> plugin = robothost::Plugin::Load(options.plugin_path, error);
  if (plugin == nullptr) {
    WriteError("robothost：" + error + "\n");
    return kExitPlugin;
  }
  std::string descriptor;
  std::vector<robothost::CommandEntry> commands;
  if (!plugin->Info(descriptor, error) || !robothost::ParseDescriptor(descriptor, commands, error)) {
    WriteError("robothost：" + error + "\n");
    return kExitPlugin;
  }

  const bool from_file = !options.script_path.empty() && options.script_path != "-";
  options.settings.interactive = options.script_path.empty() && platform::InputIsInteractive();
  std::vector<std::string> script;
  if (from_file) {
    std::string text;
    if (!platform::ReadWholeFile(options.script_path, text)) {
      WriteError("robothost：无法读取脚本文件 " + options.script_path + "\n");
      return kExitUsage;
    }
    script = SplitScript(text);
  }

  robothost::Session session(*plugin, std::move(commands), options.settings);
  if (options.settings.interactive) session.PrintWelcome(options.plugin_path);
  std::size_t next = 0;
  for (bool first = true;; first = false) {
    if (options.settings.interactive) platform::WriteOutput(session.Prompt());
    std::string line;
    if (from_file) {
      if (next == script.size()) break;
      line = std::move(script[next++]);
    } else if (!platform::ReadInputLine(line)) {
      if (options.settings.interactive) platform::WriteOutput("\n");
      break;
    }
    if (first) DropByteOrderMark(line);
    if (!session.HandleLine(line)) break;
    platform::ProcessPendingMessages();
  }
  return 0;
}
