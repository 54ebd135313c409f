// The command descriptor: how a robot host learns which chat messages to route to which export.
#include "plugin/descriptor.h"

#include <array>
#include <string_view>

#include "console/console_window.h"

namespace plugin {
namespace {

struct CommandDescriptor {
  std::string_view title;
  std::string_view description;
  std::string_view trigger_prefix;
  std::string_view param_hint;
  std::string_view trigger_suffix;
  std::string_view export_name;
};

constexpr std::string_view kTranslateHint = "这里输入你要转换的文字";

constexpr std::array<CommandDescriptor, 9> kCommands = {{
    {"宠物喂养", "细心照料下你的宠物吧！", "@喂养", "", "", "喂养宠物"},
    {"宠物信息", "查询宠物的信息", "@查询", "", "", "信息查询"},
    {"宠物工作", "赚钱去~~！", "@工作", "", "", "打工"},
    {"宠物猜猜乐", "让宠物也来娱乐下吧！", "@猜数[", "数字", "]", "猜大小"},
    {"宠物翻译家", "简体到繁体字体转换", "@简-繁[", kTranslateHint, "]", "简体到繁体"},
    {"宠物翻译家", "繁体到简体字体转换", "@繁-简[", kTranslateHint, "]", "繁体到简体"},
    {"QQ昵称获取", "获取QQ昵称", "@获取[", "要获取昵称的QQ号", "]", "昵称获取"},
    {"Morvel宠物系统功能表", "Morvel宠物系统功能查询", "@命令表", "", "", "功能表"},
    {"宠物T人", "T人插件", "@T[", "QQ号", "]", "T人"},
}};

void AppendLine(std::string& text, std::string_view line) {
  text.append(line);
  text.append("\r\n");
}

}  // namespace

std::string DescriptorText() {
  std::string text;
  text.reserve(1024);
  for (const CommandDescriptor& command : kCommands) {
    if (!text.empty()) text.append("\r\n-----\r\n");
    AppendLine(text, command.title);
    AppendLine(text, "1.0");
    AppendLine(text, "Morvel");
    AppendLine(text, command.description);
    AppendLine(text, command.trigger_prefix);
    AppendLine(text, command.param_hint);
    AppendLine(text, command.trigger_suffix);
    AppendLine(text, command.export_name);
    AppendLine(text, "1");
    AppendLine(text, "假");
  }
  return text;
}

common::Reply Info() {
  common::Reply reply = common::Reply::Owned(DescriptorText());
  console::OpenConsoleWindow();
  return reply;
}

}  // namespace plugin
