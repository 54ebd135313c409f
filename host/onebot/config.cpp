// Reading the settings file: every field optional but at least one transport, unknown fields
// refused (a misspelt key would otherwise be silently ignored).
#include "config.h"

#include <nlohmann/json.hpp>

namespace robothost::onebot {
namespace {

using nlohmann::json;

bool ReadString(const json& object, const char* key, std::string& out, std::string& error) {
  const auto found = object.find(key);
  if (found == object.end()) return true;
  if (!found->is_string()) {
    error = std::string("配置项 ") + key + " 应当是字符串";
    return false;
  }
  out = found->get<std::string>();
  return true;
}

bool ReadBool(const json& object, const char* key, bool& out, std::string& error) {
  const auto found = object.find(key);
  if (found == object.end()) return true;
  if (!found->is_boolean()) {
    error = std::string("配置项 ") + key + " 应当是 true 或 false";
    return false;
  }
  out = found->get<bool>();
  return true;
}

bool ReadInteger(const json& object, const char* key, std::int64_t minimum, std::int64_t maximum,
                 std::int64_t& out, std::string& error) {
  const auto found = object.find(key);
  if (found == object.end()) return true;
  if (!found->is_number_integer() || found->get<std::int64_t>() < minimum ||
      found->get<std::int64_t>() > maximum) {
    error = std::string("配置项 ") + key + " 应当是 " + std::to_string(minimum) + " 到 " +
            std::to_string(maximum) + " 之间的整数";
    return false;
  }
  out = found->get<std::int64_t>();
  return true;
}

bool CheckKeys(const json& object, std::initializer_list<std::string_view> known,
               const std::string& where, std::string& error) {
  for (const auto& item : object.items()) {
    bool found = false;
    for (std::string_view key : known) found = found || item.key() == key;
    if (!found) {
      error = "未知的配置项 " + where + item.key();
      return false;
    }
  }
  return true;
}

bool ReadListen(const json& object, const char* key, std::optional<ListenAddress>& out,
                std::string* api_url, std::string& error) {
  const auto found = object.find(key);
  if (found == object.end() || found->is_null()) return true;
  if (!found->is_object()) {
    error = std::string("配置项 ") + key + " 应当是对象";
    return false;
  }
  if (!CheckKeys(*found,
                 api_url != nullptr ? std::initializer_list<std::string_view>{"host", "port", "path",
                                                                              "api_url"}
                                    : std::initializer_list<std::string_view>{"host", "port", "path"},
                 std::string(key) + ".", error)) {
    return false;
  }
  ListenAddress address;
  std::int64_t port = -1;
  if (!ReadString(*found, "host", address.host, error) ||
      !ReadInteger(*found, "port", 0, 65535, port, error) ||
      !ReadString(*found, "path", address.path, error)) {
    return false;
  }
  if (port < 0) {
    error = std::string("配置项 ") + key + ".port 必须填写";
    return false;
  }
  if (address.path.empty() || address.path.front() != '/') {
    error = std::string("配置项 ") + key + ".path 应当以 / 开头";
    return false;
  }
  address.port = static_cast<std::uint16_t>(port);
  if (api_url != nullptr) {
    if (!ReadString(*found, "api_url", *api_url, error)) return false;
    if (!api_url->starts_with("http://")) {
      error = std::string("配置项 ") + key + ".api_url 必须填写，形如 http://127.0.0.1:5700";
      return false;
    }
  }
  out = address;
  return true;
}

// Splits ws://host[:port][/path]; false for another scheme, an empty host or a bad port.
bool SplitWsUrl(const std::string& url, ForwardAddress& address) {
  constexpr std::string_view kScheme = "ws://";
  if (!url.starts_with(kScheme)) return false;
  std::string rest = url.substr(kScheme.size());
  const std::size_t slash = rest.find('/');
  address.path = slash == std::string::npos ? std::string("/") : rest.substr(slash);
  rest = rest.substr(0, slash);
  const std::size_t colon = rest.rfind(':');
  address.host = rest.substr(0, colon);
  if (address.host.empty()) return false;
  if (colon == std::string::npos) {
    address.port = 80;
    return true;
  }
  const std::string port = rest.substr(colon + 1);
  if (port.empty() || port.size() > 5) return false;
  unsigned value = 0;
  for (const char c : port) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < '0' || byte > '9') return false;
    value = value * 10 + (byte - '0');
  }
  if (value == 0 || value > 65535) return false;
  address.port = static_cast<std::uint16_t>(value);
  return true;
}

bool ReadForward(const json& object, std::optional<ForwardAddress>& out, std::string& error) {
  const auto found = object.find("forward_ws");
  if (found == object.end() || found->is_null()) return true;
  if (!found->is_object()) {
    error = "配置项 forward_ws 应当是对象";
    return false;
  }
  if (!CheckKeys(*found, {"url", "reconnect_initial_ms", "reconnect_max_ms"}, "forward_ws.",
                 error)) {
    return false;
  }
  ForwardAddress address;
  std::int64_t initial = address.reconnect_initial_ms;
  std::int64_t maximum = address.reconnect_max_ms;
  if (!ReadString(*found, "url", address.url, error) ||
      !ReadInteger(*found, "reconnect_initial_ms", 10, 600000, initial, error) ||
      !ReadInteger(*found, "reconnect_max_ms", 10, 3600000, maximum, error)) {
    return false;
  }
  if (!SplitWsUrl(address.url, address)) {
    error = "配置项 forward_ws.url 必须填写，形如 ws://127.0.0.1:3001";
    return false;
  }
  if (maximum < initial) {
    error = "配置项 forward_ws.reconnect_max_ms 不能小于 reconnect_initial_ms";
    return false;
  }
  address.reconnect_initial_ms = static_cast<int>(initial);
  address.reconnect_max_ms = static_cast<int>(maximum);
  out = address;
  return true;
}

}  // namespace

bool ParseConfig(const std::string& json_text, Config& config, std::string& error) {
  const json root = json::parse(json_text, nullptr, false, true);
  if (root.is_discarded()) {
    error = "配置文件不是有效的 JSON";
    return false;
  }
  if (!root.is_object()) {
    error = "配置文件的顶层应当是对象";
    return false;
  }
  if (!CheckKeys(root,
                 {"plugin", "reverse_ws", "forward_ws", "http_post", "access_token", "secret",
                  "bot_name", "operators", "at_sender", "auto_escape", "quick_reply_timeout_ms",
                  "api_timeout_ms", "max_queued_events", "log_level"},
                 "", error)) {
    return false;
  }
  std::int64_t quick = config.quick_reply_timeout_ms;
  std::int64_t api = config.api_timeout_ms;
  std::int64_t queued = static_cast<std::int64_t>(config.max_queued_events);
  std::string level = "info";
  if (!ReadString(root, "plugin", config.plugin, error) ||
      !ReadListen(root, "reverse_ws", config.reverse_ws, nullptr, error) ||
      !ReadForward(root, config.forward_ws, error) ||
      !ReadListen(root, "http_post", config.http_post, &config.http_api_url, error) ||
      !ReadString(root, "access_token", config.access_token, error) ||
      !ReadString(root, "secret", config.secret, error) ||
      !ReadString(root, "bot_name", config.bot_name, error) ||
      !ReadBool(root, "at_sender", config.at_sender, error) ||
      !ReadBool(root, "auto_escape", config.auto_escape, error) ||
      !ReadInteger(root, "quick_reply_timeout_ms", 0, 60000, quick, error) ||
      !ReadInteger(root, "api_timeout_ms", 100, 600000, api, error) ||
      !ReadInteger(root, "max_queued_events", 1, 100000, queued, error) ||
      !ReadString(root, "log_level", level, error)) {
    return false;
  }
  config.quick_reply_timeout_ms = static_cast<int>(quick);
  config.api_timeout_ms = static_cast<int>(api);
  config.max_queued_events = static_cast<std::size_t>(queued);
  if (!ParseLogLevel(level, config.log_level)) {
    error = "配置项 log_level 应当是 debug、info、warning 或 error";
    return false;
  }
  if (const auto operators = root.find("operators"); operators != root.end()) {
    if (!operators->is_array()) {
      error = "配置项 operators 应当是 QQ 号的数组";
      return false;
    }
    for (const json& qq : *operators) {
      if (!qq.is_number_integer() || qq.get<std::int64_t>() <= 0) {
        error = "配置项 operators 应当是 QQ 号的数组";
        return false;
      }
      config.operators.insert(qq.get<std::int64_t>());
    }
  }
  if (!config.reverse_ws && !config.forward_ws && !config.http_post) {
    error = "配置里至少要有 reverse_ws、forward_ws 或 http_post 之一";
    return false;
  }
  return true;
}

}  // namespace robothost::onebot
