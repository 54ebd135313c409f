// A chat session in the terminal: who is speaking in which group, the host's own slash
// commands, and the round trip of each chat line through the plugin.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "descriptor.h"
#include "plugin.h"

namespace robothost {

struct SessionSettings {
  std::string qq = "12345";
  std::string name = "小明";
  std::string group = "10001";
  std::string bot = "机器人";
  bool interactive = false;  // prompts, welcome and hints for a person at a terminal
};

class Session {
 public:
  Session(Plugin& plugin, std::vector<CommandEntry> commands, SessionSettings settings);

  // The greeting for a person at the terminal: who they are and the command list.
  void PrintWelcome(const std::string& plugin_path) const;

  // The prompt that stands before each line: the current sender's name and QQ number.
  std::string Prompt() const;

  // Handles one line of input (UTF-8, without its line break): a host command when it starts
  // with '/', otherwise a chat message for the plugin. In script mode the line is first echoed
  // after the prompt, so the output reads like the terminal. Returns false after /quit.
  bool HandleLine(std::string_view line);

 private:
  bool HandleHostCommand(std::string_view line);
  void HandleChatLine(std::string_view line);
  void SwitchSender(std::string_view arguments);
  void PrintIdentity() const;
  void PrintSenders() const;
  void PrintCommands() const;

  Plugin& plugin_;
  std::vector<CommandEntry> commands_;
  SessionSettings settings_;
  std::map<std::string, std::string> names_;  // QQ number -> the name last used with it
};

// The help text of the host's slash commands, one "* " line each.
std::string HostCommandHelp();

}  // namespace robothost
