// The adapter's settings, read from one JSON file.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>

#include "log.h"

namespace robothost::onebot {

struct ListenAddress {
  std::string host = "127.0.0.1";
  std::uint16_t port = 0;
  std::string path = "/";
};

// Forward WebSocket: the adapter connects to the implementation's server at `url`
// (ws://host:port/path) and, when that fails or the connection drops, tries again after a
// delay that starts at reconnect_initial_ms and doubles up to reconnect_max_ms.
struct ForwardAddress {
  std::string url;
  std::string host;
  std::uint16_t port = 80;
  std::string path = "/";
  int reconnect_initial_ms = 1000;
  int reconnect_max_ms = 60000;
};

struct Config {
  std::string plugin;  // path of the plugin library; empty: the default beside the program
  // Reverse WebSocket: the OneBot implementation connects to this address.
  std::optional<ListenAddress> reverse_ws;
  std::optional<ForwardAddress> forward_ws;
  // HTTP POST: the implementation posts events to this address; the adapter calls its HTTP
  // API at `http_api_url` (http://host:port) for everything that is not a quick operation.
  std::optional<ListenAddress> http_post;
  std::string http_api_url;
  std::string access_token;  // empty: no token is checked or sent
  std::string secret;        // HTTP POST signature key; empty: no signature is checked
  std::string bot_name;      // [cqname]; empty: the nickname from get_login_info
  std::set<std::int64_t> operators;  // QQ numbers that may kick like a group owner
  bool at_sender = false;
  bool auto_escape = false;  // send replies with auto_escape instead of escaping CQ codes
  int quick_reply_timeout_ms = 2000;  // how long an HTTP POST event waits for its reply
  int api_timeout_ms = 5000;          // how long an API call may take
  std::size_t max_queued_events = 100;
  LogLevel log_level = LogLevel::kInfo;
};

// Reads the JSON text of a config file. False, with a Chinese message naming the field in
// `error`, for malformed JSON, a field of the wrong type or range, an unknown field, or a
// config without any transport.
[[nodiscard]] bool ParseConfig(const std::string& json_text, Config& config, std::string& error);

}  // namespace robothost::onebot
