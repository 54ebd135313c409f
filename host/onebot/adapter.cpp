// Event sorting, the plugin's worker thread, the kick rule and reply rendering.
#include "adapter.h"

#include <future>

#include "cqapi_handler.h"
#include "log.h"
#include "message_text.h"
#include "placeholders.h"
#include "platform.h"
#include "trigger.h"

namespace robothost::onebot {
namespace {

using nlohmann::json;

// A positive integer field, given as a JSON number or as a decimal string (some
// implementations send 64-bit ids as strings).
std::optional<std::int64_t> ReadId(const json& object, const char* key) {
  const auto found = object.find(key);
  if (found == object.end()) return std::nullopt;
  if (found->is_number_integer()) {
    const auto value = found->get<std::int64_t>();
    return value > 0 ? std::optional(value) : std::nullopt;
  }
  if (found->is_number_unsigned()) {
    const auto value = found->get<std::uint64_t>();
    if (value > static_cast<std::uint64_t>(INT64_MAX)) return std::nullopt;
    return static_cast<std::int64_t>(value);
  }
  return std::nullopt;
}

// A QQ or group number written by the plugin: 1 to 18 ASCII digits, not zero.
std::optional<std::int64_t> ParseNumber(std::string_view text) {
  if (text.empty() || text.size() > 18) return std::nullopt;
  std::int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value > 0 ? std::optional(value) : std::nullopt;
}

std::string_view VerdictText(KickVerdict verdict) {
  switch (verdict) {
    case KickVerdict::kAllowed: return "";
    case KickVerdict::kCallerNotPermitted: return "只有群主、管理员或机器人的管理者可以踢人";
    case KickVerdict::kTargetIsBot: return "不能踢出机器人自己";
    case KickVerdict::kTargetIsOwner: return "不能踢出群主";
    case KickVerdict::kTargetNotBelow: return "对方的身份不低于你";
    case KickVerdict::kTargetUnknown: return "群里没有这个成员";
  }
  return "";
}

}  // namespace

struct Adapter::KickOutcome {
  bool refused = false;
  std::string member;  // UTF-8, as the plugin wrote it
  std::string reason;  // UTF-8, for the chat
};

EventKind ReadEvent(const json& event, GroupMessage& message, std::string& why) {
  if (!event.is_object()) {
    why = "事件不是 JSON 对象";
    return EventKind::kMalformed;
  }
  const auto post_type = event.find("post_type");
  if (post_type == event.end() || !post_type->is_string()) {
    why = event.contains("echo") || event.contains("retcode") ? "API 响应" : "没有 post_type";
    return event.contains("retcode") ? EventKind::kIgnored : EventKind::kMalformed;
  }
  if (*post_type != "message" || event.value("message_type", std::string()) != "group") {
    why = "不是群消息";
    return EventKind::kIgnored;
  }
  const auto group = ReadId(event, "group_id");
  const auto user = ReadId(event, "user_id");
  if (!group || !user) {
    why = "群消息缺少 group_id 或 user_id";
    return EventKind::kMalformed;
  }
  // Some implementations (Lagrange.OneBot with IgnoreSelf off) report the bot's own group
  // messages as ordinary messages: answering those would make the plugin talk to itself.
  const std::int64_t self_id = ReadId(event, "self_id").value_or(0);
  if (self_id != 0 && *user == self_id) {
    why = "机器人自己发的消息";
    return EventKind::kIgnored;
  }
  std::optional<std::string> text;
  if (const auto array = event.find("message"); array != event.end() && array->is_array()) {
    text = MessagePlainText(*array);
  } else if (const auto raw = event.find("raw_message"); raw != event.end()) {
    text = MessagePlainText(*raw);
  } else if (const auto string = event.find("message"); string != event.end()) {
    text = MessagePlainText(*string);
  }
  if (!text) {
    why = "群消息的 message / raw_message 格式不对";
    return EventKind::kMalformed;
  }
  message = GroupMessage{};
  message.self_id = self_id;
  message.group_id = *group;
  message.user_id = *user;
  message.text = std::move(*text);
  if (const auto sender = event.find("sender"); sender != event.end() && sender->is_object()) {
    const auto card = sender->find("card");
    if (card != sender->end() && card->is_string()) message.sender_name = card->get<std::string>();
    const auto nickname = sender->find("nickname");
    if (message.sender_name.empty() && nickname != sender->end() && nickname->is_string()) {
      message.sender_name = nickname->get<std::string>();
    }
    const auto role = sender->find("role");
    if (role != sender->end() && role->is_string()) {
      message.sender_role = ParseGroupRole(role->get<std::string>());
    }
  }
  if (message.sender_name.empty()) message.sender_name = std::to_string(message.user_id);
  return EventKind::kGroupMessage;
}

json OutgoingReply::QuickOperation() const {
  return json{{"reply", text}, {"auto_escape", auto_escape}, {"at_sender", at_sender}};
}

json OutgoingReply::SendGroupMessageParams() const {
  std::string message = text;
  if (at_sender) {
    // With auto_escape the whole message is literal text, so the @ cannot be a CQ code.
    message = auto_escape ? message : "[CQ:at,qq=" + std::to_string(user_id) + "] " + message;
  }
  return json{{"group_id", group_id}, {"message", message}, {"auto_escape", auto_escape}};
}

Adapter::Adapter(const Config& config) : config_(config) {}

Adapter::~Adapter() { Stop(); }

bool Adapter::Start(const std::string& plugin_path, const std::string& cqapi_path,
                    std::string& error) {
  std::promise<std::string> started;
  std::future<std::string> result = started.get_future();
  worker_ = std::thread([this, plugin_path, cqapi_path, &started] {
    WorkerLoop(plugin_path, cqapi_path, started);
  });
  error = result.get();
  if (!error.empty()) {
    worker_.join();
    return false;
  }
  return true;
}

void Adapter::WorkerLoop(const std::string& plugin_path, const std::string& cqapi_path,
                         std::promise<std::string>& started) {
  std::string error;
  std::unique_ptr<Plugin> plugin = Plugin::Load(plugin_path, error);
  if (plugin == nullptr) {
    started.set_value(error);
    return;
  }
  std::string descriptor;
  std::vector<CommandEntry> commands;
  if (!plugin->Info(descriptor, error) || !ParseDescriptor(descriptor, commands, error)) {
    started.set_value(error);
    return;
  }
  // The plugin binds api_kick_group from this same library file, so the handler registered
  // here is the one its calls reach.
  std::string reason;
  platform::LibraryHandle cqapi = platform::LoadPluginLibrary(cqapi_path, reason);
  const auto set_handler = reinterpret_cast<void (*)(robothost_kick_handler, void*)>(
      cqapi != nullptr ? platform::FindExport(cqapi, "robothost_set_kick_handler") : nullptr);
  if (set_handler == nullptr) {
    platform::UnloadPluginLibrary(cqapi);
    started.set_value("无法从 " + cqapi_path + " 注册踢人接口" +
                      (reason.empty() ? std::string() : "：" + reason));
    return;
  }
  set_handler(&Adapter::KickHandler, this);
  plugin_ = plugin.get();
  {
    const std::lock_guard lock(mutex_);
    commands_ = std::move(commands);
    running_ = true;
  }
  LogInfo("插件已加载：" + plugin_path + "（" + std::to_string(commands_.size()) + " 个命令）");
  started.set_value(std::string());

  for (;;) {
    std::function<void()> task;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
      if (stopping_) {
        if (!queue_.empty()) {
          LogWarning("停止时丢弃了 " + std::to_string(queue_.size()) + " 个未处理的任务");
        }
        queue_.clear();
        break;
      }
      task = std::move(queue_.front());
      queue_.pop_front();
    }
    task();
  }
  set_handler(nullptr, nullptr);
  plugin_ = nullptr;
  plugin.reset();
  platform::UnloadPluginLibrary(cqapi);
  LogInfo("插件已卸载");
}

bool Adapter::Post(std::function<void()> task) {
  {
    const std::lock_guard lock(mutex_);
    if (!running_ || stopping_) return false;
    if (queue_.size() >= config_.max_queued_events) {
      LogWarning("待处理的消息太多（" + std::to_string(queue_.size()) + "），丢弃一条");
      return false;
    }
    queue_.push_back(std::move(task));
  }
  wake_.notify_one();
  return true;
}

bool Adapter::Submit(const GroupMessage& message, std::shared_ptr<ApiChannel> channel,
                     std::function<void(std::optional<OutgoingReply>)> done) {
  const std::optional<std::string> line = Utf8ToGb18030(message.text);
  if (!line) {
    LogWarning("群 " + std::to_string(message.group_id) + " 的消息不是有效的 UTF-8，已忽略");
    return false;
  }
  const CommandEntry* entry = nullptr;
  std::string parameter;
  {
    const std::lock_guard lock(mutex_);
    if (!running_) return false;
    std::optional<TriggerMatch> match = MatchTrigger(commands_, *line);
    if (!match) return false;
    entry = match->entry;
    parameter = std::move(match->parameter);
  }
  LogInfo("群 " + std::to_string(message.group_id) + " 的 " + std::to_string(message.user_id) +
          " 触发了 " + Gb18030ToUtf8(entry->export_name));
  return Post([this, message, entry, parameter = std::move(parameter),
               channel = std::move(channel), done = std::move(done)] {
    RunPluginCall(message, *entry, parameter, *channel, done);
  });
}

void Adapter::Stop() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  if (worker_.joinable() && worker_.get_id() != std::this_thread::get_id()) worker_.join();
}

void Adapter::RunPluginCall(const GroupMessage& message, const CommandEntry& entry,
                            const std::string& parameter, ApiChannel& channel,
                            const std::function<void(std::optional<OutgoingReply>)>& done) {
  CommandArguments arguments;
  arguments.parameter = parameter;
  arguments.group = std::to_string(message.group_id);
  arguments.sender = std::to_string(message.user_id);
  current_message_ = &message;
  current_channel_ = &channel;
  kick_outcome_.reset();
  std::string reply_gbk;
  const bool called = plugin_->CallCommand(entry.export_name, arguments, reply_gbk);
  current_message_ = nullptr;
  current_channel_ = nullptr;
  if (!called) {
    LogError("插件没有导出函数 " + Gb18030ToUtf8(entry.export_name));
    done(std::nullopt);
    return;
  }
  std::string reply = Gb18030ToUtf8(reply_gbk);
  if (kick_outcome_ && kick_outcome_->refused) {
    // The plugin always claims success; the chat hears what really happened.
    reply = "[name]，没有踢出 " + kick_outcome_->member + "：" + kick_outcome_->reason;
  }
  kick_outcome_.reset();
  if (reply.empty()) {
    done(std::nullopt);
    return;
  }
  std::string robot_name;
  if (reply.find("[cqname]") != std::string::npos) robot_name = RobotName(channel, message.self_id);
  Placeholders values;
  values.sender_name = message.sender_name;
  values.robot_name = robot_name;
  values.line_break = "\n";
  reply = ReplacePlaceholders(reply, values);
  OutgoingReply outgoing;
  outgoing.group_id = message.group_id;
  outgoing.user_id = message.user_id;
  outgoing.auto_escape = config_.auto_escape;
  outgoing.at_sender = config_.at_sender;
  outgoing.text = config_.auto_escape ? reply : EscapeCqText(reply);
  done(std::move(outgoing));
}

std::string Adapter::RobotName(ApiChannel& channel, std::int64_t self_id) {
  if (!config_.bot_name.empty()) return config_.bot_name;
  if (login_name_.empty()) {
    const ApiResult result = channel.Call("get_login_info", json::object());
    if (result.ok && result.data.is_object() && result.data.contains("nickname") &&
        result.data["nickname"].is_string()) {
      login_name_ = result.data["nickname"].get<std::string>();
    } else {
      LogWarning("get_login_info 失败：" + result.error);
    }
  }
  if (!login_name_.empty()) return login_name_;
  return self_id != 0 ? std::to_string(self_id) : std::string("机器人");
}

void Adapter::KickHandler(void* context, const char* group, const char* member) {
  static_cast<Adapter*>(context)->HandleKick(group, member);
}

void Adapter::HandleKick(const char* group_text, const char* member_text) {
  kick_outcome_ = std::make_unique<KickOutcome>();
  KickOutcome& outcome = *kick_outcome_;
  outcome.member = Gb18030ToUtf8(member_text);
  const GroupMessage* message = current_message_;
  if (message == nullptr || current_channel_ == nullptr) {
    // A kick outside any event has nobody to check it against.
    outcome.refused = true;
    outcome.reason = "没有发起人";
    LogWarning("插件在处理消息之外请求踢人，已拒绝");
    return;
  }
  ApiChannel& channel = *current_channel_;
  const std::optional<std::int64_t> group = ParseNumber(group_text);
  const std::optional<std::int64_t> member = ParseNumber(member_text);
  const std::string who = "群 " + std::to_string(message->group_id) + " 的 " +
                          std::to_string(message->user_id) + " 请求踢出 " + outcome.member;
  if (!group || *group != message->group_id) {
    outcome.refused = true;
    outcome.reason = "群号不对";
    LogWarning(who + "：插件给出的群号 " + Gb18030ToUtf8(group_text) + " 不是消息所在的群，已拒绝");
    return;
  }
  if (!member) {
    outcome.refused = true;
    outcome.reason = "这不是一个 QQ 号";
    LogWarning(who + "：不是 QQ 号，已拒绝");
    return;
  }
  const auto role_of = [&](std::int64_t user) {
    const ApiResult result = channel.Call(
        "get_group_member_info", json{{"group_id", *group}, {"user_id", user}, {"no_cache", true}});
    if (!result.ok || !result.data.is_object() || !result.data.contains("role") ||
        !result.data["role"].is_string()) {
      LogDebug("get_group_member_info " + std::to_string(user) + " 失败：" + result.error);
      return GroupRole::kUnknown;
    }
    return ParseGroupRole(result.data["role"].get<std::string>());
  };
  KickRequest request;
  request.caller = message->sender_role;
  request.caller_is_operator = config_.operators.contains(message->user_id);
  request.target_is_bot = message->self_id != 0 && *member == message->self_id;
  if (request.caller == GroupRole::kUnknown && !request.caller_is_operator && !request.target_is_bot) {
    request.caller = role_of(message->user_id);
  }
  KickVerdict verdict = DecideKick(request);
  if (verdict == KickVerdict::kTargetUnknown) {
    request.target = role_of(*member);
    verdict = DecideKick(request);
  }
  if (verdict != KickVerdict::kAllowed) {
    outcome.refused = true;
    outcome.reason = VerdictText(verdict);
    LogWarning(who + "：已拒绝（" + outcome.reason + "）");
    return;
  }
  const ApiResult result = channel.Call(
      "set_group_kick", json{{"group_id", *group}, {"user_id", *member}, {"reject_add_request", false}});
  if (!result.ok) {
    outcome.refused = true;
    outcome.reason = "QQ 拒绝了踢人请求";
    LogWarning(who + "：set_group_kick 失败：" + result.error);
    return;
  }
  LogInfo(who + "：已踢出");
}

void Adapter::SendReply(ApiChannel& channel, const OutgoingReply& reply) {
  const ApiResult result = channel.Call("send_group_msg", reply.SendGroupMessageParams());
  if (!result.ok) {
    LogWarning("向群 " + std::to_string(reply.group_id) + " 发送回复失败：" + result.error);
  }
}

}  // namespace robothost::onebot
