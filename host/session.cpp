// The terminal session: slash commands, sender switching, and chat lines sent to the plugin.
#include "session.h"

#include <cstdio>

#include "encoding.h"
#include "placeholders.h"
#include "platform.h"
#include "trigger.h"

namespace robothost {
namespace {

// Writes host messages, each line marked with "* " so it is never taken for a reply.
void Notice(std::string_view text) {
  std::string marked;
  while (!text.empty()) {
    const std::string_view::size_type newline = text.find('\n');
    marked += "* ";
    marked += text.substr(0, newline);
    marked += '\n';
    if (newline == std::string_view::npos) break;
    text.remove_prefix(newline + 1);
  }
  platform::WriteOutput(marked);
}

bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAsciiSpace(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsAsciiSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsAsciiSpace(text.back())) text.remove_suffix(1);
  return text;
}

// A QQ or group number: 1 to 20 ASCII digits.
bool IsNumber(std::string_view text) {
  if (text.empty() || text.size() > 20) return false;
  for (char c : text) {
    if (!IsAsciiDigit(c)) return false;
  }
  return true;
}

// "U+1F600" for the first character of a well-formed UTF-8 text.
std::string CodePointName(std::string_view utf8) {
  if (utf8.empty()) return {};
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(utf8[i]); };
  unsigned value = byte(0);
  std::size_t length = 1;
  if (value >= 0xF0) {
    value &= 0x07;
    length = 4;
  } else if (value >= 0xE0) {
    value &= 0x0F;
    length = 3;
  } else if (value >= 0xC0) {
    value &= 0x1F;
    length = 2;
  }
  for (std::size_t i = 1; i < length && i < utf8.size(); ++i) value = (value << 6) | (byte(i) & 0x3F);
  char name[16];
  std::snprintf(name, sizeof name, "U+%04X", value);
  return name;
}

std::string Trigger(const CommandEntry& entry) {
  return GbkToUtf8(entry.trigger_prefix + entry.param_hint + entry.trigger_suffix);
}

}  // namespace

std::string HostCommandHelp() {
  return "主机命令（以 / 开头的行不会发给插件）：\n"
         "  /qq QQ号 [昵称]   换一个人发言（省略昵称时沿用这个 QQ 上次的昵称）\n"
         "  /name 昵称        修改当前发言人的昵称（回复里的 [name]）\n"
         "  /group 群号       换一个群\n"
         "  /bot 名字         修改机器人的名字（回复里的 [cqname]）\n"
         "  /who              显示当前的发言人、群和机器人\n"
         "  /commands         列出插件的聊天命令\n"
         "  /help             显示这份帮助\n"
         "  /quit             退出\n"
         "  //文字            发送以 / 开头的聊天消息\n"
         "其余每一行都作为群聊消息发给插件。";
}

Session::Session(Plugin& plugin, std::vector<CommandEntry> commands, SessionSettings settings)
    : plugin_(plugin), commands_(std::move(commands)), settings_(std::move(settings)) {
  names_[settings_.qq] = settings_.name;
}

void Session::PrintWelcome(const std::string& plugin_path) const {
  std::string text = "欢迎使用 robothost：在终端里和 QQ 群机器人插件聊天。\n";
  text += "插件：" + plugin_path + "（" + std::to_string(commands_.size()) + " 条聊天命令）\n";
  text += "你是 " + settings_.name + "（QQ " + settings_.qq + "），在群 " + settings_.group +
          " 里，机器人叫 " + settings_.bot + "。\n";
  text += "试试输入 @命令表 或 @喂养。\n";
  text += HostCommandHelp();
  Notice(text);
  PrintCommands();
}

std::string Session::Prompt() const { return settings_.name + "(" + settings_.qq + ")> "; }

bool Session::HandleLine(std::string_view line) {
  if (!settings_.interactive) {
    std::string shown = EscapeInvalidUtf8(line);
    for (std::string::size_type nul; (nul = shown.find('\0')) != std::string::npos;) {
      shown.replace(nul, 1, "\\x00");
    }
    platform::WriteOutput(Prompt() + shown + "\n");
  }
  const std::size_t invalid = FindInvalidUtf8(line);
  if (invalid != std::string_view::npos) {
    Notice("这一行不是有效的 UTF-8 文本（从第 " + std::to_string(invalid + 1) +
           " 个字节起），没有发送。");
    return true;
  }
  if (line.find('\0') != std::string_view::npos) {
    Notice("这一行含有 NUL 字符，插件收不到完整的文字，没有发送。");
    return true;
  }
  if (line.starts_with("//")) {
    HandleChatLine(line.substr(1));
    return true;
  }
  if (line.starts_with("/")) return HandleHostCommand(line);
  HandleChatLine(line);
  return true;
}

bool Session::HandleHostCommand(std::string_view line) {
  const std::string_view::size_type space = line.find_first_of(" \t");
  const std::string_view command = line.substr(0, space);
  const std::string_view arguments =
      space == std::string_view::npos ? std::string_view() : Trim(line.substr(space));
  if (command == "/quit" || command == "/exit") return false;
  if (command == "/help") {
    Notice(HostCommandHelp());
  } else if (command == "/commands") {
    PrintCommands();
  } else if (command == "/who") {
    PrintIdentity();
    PrintSenders();
  } else if (command == "/qq") {
    SwitchSender(arguments);
  } else if (command == "/name") {
    if (arguments.empty()) {
      Notice("用法：/name 昵称");
    } else {
      settings_.name = std::string(arguments);
      names_[settings_.qq] = settings_.name;
      PrintIdentity();
    }
  } else if (command == "/group") {
    if (!IsNumber(arguments)) {
      Notice("用法：/group 群号（群号只能由数字组成）");
    } else {
      settings_.group = std::string(arguments);
      PrintIdentity();
    }
  } else if (command == "/bot") {
    if (arguments.empty()) {
      Notice("用法：/bot 名字");
    } else {
      settings_.bot = std::string(arguments);
      PrintIdentity();
    }
  } else {
    Notice("未知的主机命令 " + std::string(command) + "，输入 /help 查看帮助。");
  }
  return true;
}

void Session::SwitchSender(std::string_view arguments) {
  const std::string_view::size_type space = arguments.find_first_of(" \t");
  const std::string_view qq = arguments.substr(0, space);
  const std::string_view name =
      space == std::string_view::npos ? std::string_view() : Trim(arguments.substr(space));
  if (!IsNumber(qq)) {
    Notice("用法：/qq QQ号 [昵称]（QQ 号只能由数字组成）");
    return;
  }
  settings_.qq = std::string(qq);
  if (!name.empty()) {
    settings_.name = std::string(name);
  } else {
    const auto known = names_.find(settings_.qq);
    settings_.name = known != names_.end() ? known->second : settings_.qq;
  }
  names_[settings_.qq] = settings_.name;
  PrintIdentity();
}

void Session::PrintIdentity() const {
  Notice("发言人：" + settings_.name + "（QQ " + settings_.qq + "），群 " + settings_.group +
         "，机器人：" + settings_.bot);
}

void Session::PrintSenders() const {
  std::string text = "本次会话的发言人：";
  for (auto it = names_.begin(); it != names_.end(); ++it) {
    if (it != names_.begin()) text += "、";
    text += it->second + "（" + it->first + "）";
  }
  Notice(text);
}

void Session::PrintCommands() const {
  std::string text = "插件的聊天命令（" + std::to_string(commands_.size()) + " 条）：";
  for (const CommandEntry& entry : commands_) {
    text += "\n  " + Trigger(entry) + "  " + GbkToUtf8(entry.title) + "：" +
            GbkToUtf8(entry.description) + "（" + GbkToUtf8(entry.export_name) + "）";
  }
  Notice(text);
}

void Session::HandleChatLine(std::string_view line) {
  const GbkConversion gbk = Utf8ToGbk(line);
  if (gbk.error == GbkError::kNotInGbk) {
    Notice("“" + gbk.character + "”（" + CodePointName(gbk.character) +
           "）不在 GBK 字符集中，插件无法接收，这一行没有发送。");
    return;
  }
  if (gbk.error != GbkError::kNone) {
    Notice("这一行无法转换为 GBK，没有发送。");
    return;
  }
  const std::optional<TriggerMatch> match = MatchTrigger(commands_, gbk.text);
  if (!match) {
    if (settings_.interactive && !line.empty()) {
      Notice("（这条消息没有匹配插件的任何命令；输入 /commands 查看命令）");
    }
    return;
  }
  const CommandArguments arguments{match->parameter, {}, settings_.group, settings_.qq, {}};
  std::string reply;
  if (!plugin_.CallCommand(match->entry->export_name, arguments, reply)) {
    Notice("插件没有导出函数“" + GbkToUtf8(match->entry->export_name) + "”。");
    return;
  }
  if (reply.empty()) return;  // as in a chat: an empty reply posts nothing
  const Placeholders values{settings_.name, settings_.bot, "\n"};
  platform::WriteOutput(ReplacePlaceholders(GbkToUtf8(reply), values) + "\n");
}

}  // namespace robothost
