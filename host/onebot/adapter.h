// The transport-independent part of the OneBot adapter: which events reach the plugin, the one
// worker thread that owns the plugin, the kick rule, and how a reply is made ready to send.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "config.h"
#include "descriptor.h"
#include "kick_policy.h"
#include "plugin.h"

namespace robothost::onebot {

// The outcome of one OneBot API call.
struct ApiResult {
  bool ok = false;      // status "ok" (or "async") and retcode 0
  nlohmann::json data;  // the response's data when ok
  std::string error;    // why not, for the log
};

// The way back to the OneBot implementation that sent an event.
class ApiChannel {
 public:
  virtual ~ApiChannel() = default;
  // Calls `action` and waits for its response, at most the configured API timeout. Called
  // on the worker thread only, never on the network thread.
  virtual ApiResult Call(const std::string& action, const nlohmann::json& params) = 0;
};

// A group message event, as far as the adapter uses it.
struct GroupMessage {
  std::int64_t self_id = 0;
  std::int64_t group_id = 0;
  std::int64_t user_id = 0;
  std::string text;         // UTF-8, CQ escapes undone (see MessagePlainText)
  std::string sender_name;  // the group card, or the nickname when the card is empty
  GroupRole sender_role = GroupRole::kUnknown;
};

enum class EventKind { kGroupMessage, kIgnored, kMalformed };

// Sorts a decoded event: a group message (filled into `message`), something the adapter does
// not handle (meta events, private messages, notices, API responses) or a malformed event,
// with the reason in `why`.
EventKind ReadEvent(const nlohmann::json& event, GroupMessage& message, std::string& why);

// A reply ready to send: `text` is escaped already unless `auto_escape` is set.
struct OutgoingReply {
  std::int64_t group_id = 0;
  std::int64_t user_id = 0;
  std::string text;
  bool auto_escape = false;
  bool at_sender = false;

  // The quick-operation body answering an HTTP POST event.
  nlohmann::json QuickOperation() const;
  // The message for send_group_msg, with the @ of the sender when at_sender is set.
  nlohmann::json SendGroupMessageParams() const;
};

class Adapter {
 public:
  explicit Adapter(const Config& config);
  ~Adapter();  // stops the worker (see Stop)
  Adapter(const Adapter&) = delete;
  Adapter& operator=(const Adapter&) = delete;

  // Starts the worker thread, which loads the plugin at `plugin_path`, reads its descriptor and
  // registers the kick handler with the host API library at `cqapi_path` (loading the plugin,
  // calling it and unloading it all happen on that one thread). False, with a Chinese message
  // in `error`, when any of that fails; the worker has stopped then.
  [[nodiscard]] bool Start(const std::string& plugin_path, const std::string& cqapi_path,
                           std::string& error);

  // Queues the plugin call for `message` when it matches a trigger. `done` runs on the worker
  // thread with the reply, or with nullopt when the plugin's reply is empty. Returns false
  // when nothing was queued: no trigger matches, the text is not UTF-8, the queue is full,
  // or the adapter has stopped.
  bool Submit(const GroupMessage& message, std::shared_ptr<ApiChannel> channel,
              std::function<void(std::optional<OutgoingReply>)> done);

  // Queues work for the worker thread (sending a reply that missed its quick operation).
  // False when the adapter has stopped or the queue is full.
  bool Post(std::function<void()> task);

  // Stops taking work, drops what is queued, waits for the call under way and unloads the
  // plugin. Safe to call more than once.
  void Stop();

  // Sends `reply` with send_group_msg through `channel`; failures are logged. Worker thread.
  static void SendReply(ApiChannel& channel, const OutgoingReply& reply);

 private:
  struct KickOutcome;
  static void KickHandler(void* context, const char* group, const char* member);
  void HandleKick(const char* group, const char* member);
  void RunPluginCall(const GroupMessage& message, const CommandEntry& entry,
                     const std::string& parameter, ApiChannel& channel,
                     const std::function<void(std::optional<OutgoingReply>)>& done);
  std::string RobotName(ApiChannel& channel, std::int64_t self_id);
  void WorkerLoop(const std::string& plugin_path, const std::string& cqapi_path,
                  std::promise<std::string>& started);

  const Config config_;
  std::vector<CommandEntry> commands_;  // fixed once Start has returned true

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> queue_;
  bool stopping_ = false;
  bool running_ = false;  // the plugin is loaded and the worker takes tasks
  std::thread worker_;

  // Worker-thread state: the plugin, and the event whose plugin call is under way (for the
  // kick handler).
  Plugin* plugin_ = nullptr;
  const GroupMessage* current_message_ = nullptr;
  ApiChannel* current_channel_ = nullptr;
  std::unique_ptr<KickOutcome> kick_outcome_;
  std::string login_name_;  // cached nickname from get_login_info
};

}  // namespace robothost::onebot
