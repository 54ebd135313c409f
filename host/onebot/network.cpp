// Boost.Beast transports: reverse WebSocket (one ApiChannel per connection), forward WebSocket
// (the same kind of connection, dialled by us and redialled with back-off), HTTP POST events
// answered by quick operation, and the HTTP API. One network thread runs everything here; the
// adapter's worker thread only calls ApiChannel::Call, which waits for the network thread.
#include "network.h"

// Boost 1.74's Asio uses std::exchange without including <utility> itself.
#include <utility>

#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/websocket.hpp>
#include <algorithm>
#include <chrono>
#include <functional>
#include <future>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <random>

#include "hmac.h"
#include "log.h"
#include "platform.h"

namespace robothost::onebot {
namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
namespace websocket = beast::websocket;
using tcp = asio::ip::tcp;
using nlohmann::json;

constexpr std::size_t kMaxMessageBytes = 4 * 1024 * 1024;

// Beast's own string_view as the standard one.
std::string_view Sv(beast::string_view text) { return {text.data(), text.size()}; }

// Whether two secrets are equal, in a time that does not depend on where they first differ (the
// time may tell the length, which is no secret).
bool SameSecret(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  volatile unsigned char difference = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    difference = static_cast<unsigned char>(difference | (a[i] ^ b[i]));
  }
  return difference == 0;
}

// The value of `name` in the query part of a request target, undecoded.
std::string QueryValue(std::string_view target, std::string_view name) {
  const std::size_t question = target.find('?');
  if (question == std::string_view::npos) return {};
  std::string_view query = target.substr(question + 1);
  while (!query.empty()) {
    const std::size_t amp = query.find('&');
    const std::string_view pair = query.substr(0, amp);
    if (pair.size() > name.size() && pair.starts_with(name) && pair[name.size()] == '=') {
      return std::string(pair.substr(name.size() + 1));
    }
    if (amp == std::string_view::npos) break;
    query.remove_prefix(amp + 1);
  }
  return {};
}

std::string_view TargetPath(std::string_view target) {
  return target.substr(0, target.find('?'));
}

// Whether the path of a request target is the configured path, a trailing slash on either side
// not counting ("/onebot/" is "/onebot": operators copy addresses both ways).
bool PathMatches(std::string_view target, std::string_view configured) {
  const auto trim = [](std::string_view path) {
    if (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
    return path.empty() ? std::string_view("/") : path;
  };
  return trim(TargetPath(target)) == trim(configured);
}

// Whether a request carries the access token: "Authorization: Bearer <token>" (or the older
// "Token <token>"), or "access_token=<token>" in the query. No token configured: always true.
bool HasAccessToken(const http::request<http::string_body>& request, const std::string& token) {
  if (token.empty()) return true;
  const std::string_view header = Sv(request[http::field::authorization]);
  for (std::string_view scheme : {"Bearer ", "Token "}) {
    if (header.starts_with(scheme) && SameSecret(header.substr(scheme.size()), token)) return true;
  }
  const std::string query_token = QueryValue(Sv(request.target()), "access_token");
  return !query_token.empty() && SameSecret(query_token, token);
}

// "sha1=" and the hex HMAC-SHA1 of `body` keyed with `secret`: the X-Signature of OneBot.
// Empty when the digest cannot be computed, which matches no header.
std::string Signature(const std::string& secret, std::string_view body) {
  Sha1Digest digest;
  if (!HmacSha1(secret, body, digest)) return {};
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text = "sha1=";
  for (const unsigned char byte : digest) {
    text += kHex[byte >> 4];
    text += kHex[byte & 0x0F];
  }
  return text;
}

ApiResult ReadApiResponse(const json& response) {
  ApiResult result;
  if (!response.is_object()) {
    result.error = "API 响应不是 JSON 对象";
    return result;
  }
  const std::string status = response.value("status", std::string());
  const auto retcode = response.find("retcode");
  const bool zero = retcode != response.end() && retcode->is_number_integer() &&
                    retcode->get<std::int64_t>() == 0;
  if ((status == "ok" || status == "async") && zero) {
    result.ok = true;
    if (const auto data = response.find("data"); data != response.end()) result.data = *data;
    return result;
  }
  result.error = "status " + status + "，retcode " +
                 (retcode != response.end() ? retcode->dump() : std::string("?"));
  for (const char* key : {"wording", "msg", "message"}) {
    if (const auto text = response.find(key); text != response.end() && text->is_string() &&
                                               !text->get<std::string>().empty()) {
      result.error += "，" + text->get<std::string>();
      break;
    }
  }
  return result;
}

std::string Dump(const json& value) {
  return value.dump(-1, ' ', false, json::error_handler_t::replace);
}

class Server;
class ForwardClient;

// One WebSocket connection with a OneBot implementation: events come in, API calls go out with
// an echo and their responses come back on the same connection. A reverse connection was
// accepted by our server (Start); a forward one is dialled by us (Dial).
class WsSession : public ApiChannel, public std::enable_shared_from_this<WsSession> {
 public:
  WsSession(tcp::socket socket, Server& server) : ws_(std::move(socket)), server_(server) {}
  WsSession(asio::io_context& io, Server& server) : ws_(io), server_(server), forward_(true) {}

  void Start();
  // Connects to `address`. `accepted` runs once, when the first event or successful API
  // response arrives: only then has the implementation surely accepted us (some accept any
  // handshake, then report a wrong token in a message and close). `ended` runs once when the
  // connection has failed, was refused or has dropped (with why, and whether the handshake had
  // succeeded), including after Close.
  void Dial(const ForwardAddress& address, std::function<void()> accepted,
            std::function<void(const std::string&, bool)> ended);
  void Close();
  ApiResult Call(const std::string& action, const json& params) override;

 private:
  void OnConnected(const ForwardAddress& address);
  void EndForward(const std::string& why);
  void OnRequest(beast::error_code error);
  void Refuse(http::status status, std::string reason);
  void OnAccept(beast::error_code error);
  void ReadNext();
  void OnMessage(beast::error_code error);
  void HandleText(const std::string& text);
  void Send(std::string text);
  void WriteNext();
  void FailPending(const std::string& why);

  websocket::stream<beast::tcp_stream> ws_;
  Server& server_;
  beast::flat_buffer buffer_;
  http::request<http::string_body> request_;
  std::deque<std::string> outbox_;
  bool open_ = false;  // network thread only
  std::string peer_;
  const bool forward_ = false;
  websocket::response_type response_;  // the server's answer to our handshake (forward)
  // What a reverse connection is for (X-Client-Role): everything, API calls only, events only.
  enum class Role { kUniversal, kApi, kEvent };
  Role role_ = Role::kUniversal;
  std::function<void()> accepted_;
  std::function<void(const std::string&, bool)> ended_;
  bool was_open_ = false;

  std::mutex pending_mutex_;
  bool closed_ = false;  // under pending_mutex_: no more calls are taken
  std::uint64_t next_echo_ = 1;
  std::map<std::string, std::shared_ptr<std::promise<ApiResult>>> pending_;
};

// One HTTP connection from a OneBot implementation posting events.
class HttpSession : public std::enable_shared_from_this<HttpSession> {
 public:
  HttpSession(tcp::socket socket, Server& server)
      : stream_(std::move(socket)), server_(server), quick_timer_(stream_.get_executor()) {}

  void Start() { ReadNext(); }
  void Close();

 private:
  void ReadNext();
  void OnRead(beast::error_code error);
  void Respond(http::status status, std::string body);
  void OnReply(std::uint64_t request_id, std::optional<OutgoingReply> reply);

  beast::tcp_stream stream_;
  Server& server_;
  beast::flat_buffer buffer_;
  std::optional<http::request_parser<http::string_body>> parser_;
  bool keep_alive_ = false;
  asio::steady_timer quick_timer_;
  std::uint64_t request_id_ = 0;
  bool awaiting_reply_ = false;  // the current request still waits for its quick operation
};

// Calls the HTTP API of the implementation, synchronously, on the calling (worker) thread.
class HttpApiChannel : public ApiChannel {
 public:
  explicit HttpApiChannel(const Config& config) : config_(config) {
    if (!config.http_api_url.starts_with("http://")) return;  // no HTTP transport configured
    std::string rest = config.http_api_url.substr(std::string_view("http://").size());
    const std::size_t slash = rest.find('/');
    base_path_ = slash == std::string::npos ? std::string() : rest.substr(slash);
    while (!base_path_.empty() && base_path_.back() == '/') base_path_.pop_back();
    rest = rest.substr(0, slash);
    const std::size_t colon = rest.rfind(':');
    host_ = rest.substr(0, colon);
    port_ = colon == std::string::npos ? "80" : rest.substr(colon + 1);
  }

  ApiResult Call(const std::string& action, const json& params) override;

 private:
  const Config& config_;
  std::string host_;
  std::string port_;
  std::string base_path_;
};

// For implementations that open two reverse WebSocket connections, one for events and one for
// API calls (X-Client-Role Event and API): the calls made for an event go out on the most recent
// API connection.
class SplitApiChannel : public ApiChannel {
 public:
  void Attach(std::weak_ptr<ApiChannel> connection) {
    const std::lock_guard lock(mutex_);
    connection_ = std::move(connection);
  }

  ApiResult Call(const std::string& action, const json& params) override {
    std::shared_ptr<ApiChannel> connection;
    {
      const std::lock_guard lock(mutex_);
      connection = connection_.lock();
    }
    if (!connection) return ApiResult{false, {}, "没有 X-Client-Role 为 API 的反向 WebSocket 连接"};
    return connection->Call(action, params);
  }

 private:
  std::mutex mutex_;
  std::weak_ptr<ApiChannel> connection_;
};

class Server {
 public:
  Server(const Config& config, Adapter& adapter, asio::io_context& io)
      : config_(config),
        adapter_(adapter),
        io_(io),
        http_api_(std::make_shared<HttpApiChannel>(config)),
        split_api_(std::make_shared<SplitApiChannel>()) {}

  bool Listen();
  void Shutdown();

  const Config& config() const { return config_; }
  Adapter& adapter() { return adapter_; }
  asio::io_context& io() { return io_; }
  const std::shared_ptr<HttpApiChannel>& http_api() const { return http_api_; }
  const std::shared_ptr<SplitApiChannel>& split_api() const { return split_api_; }
  bool shutting_down() const { return shutting_down_; }

 private:
  struct Listener {
    std::string name;
    ListenAddress address;
    bool websocket = false;
    std::unique_ptr<tcp::acceptor> acceptor;
  };
  bool Open(Listener& listener);
  void AcceptNext(Listener& listener);

  const Config& config_;
  Adapter& adapter_;
  asio::io_context& io_;
  std::shared_ptr<HttpApiChannel> http_api_;
  std::shared_ptr<SplitApiChannel> split_api_;
  std::list<Listener> listeners_;
  std::list<std::weak_ptr<WsSession>> ws_sessions_;
  std::list<std::weak_ptr<HttpSession>> http_sessions_;
  std::unique_ptr<ForwardClient> forward_;
  bool shutting_down_ = false;
};

// ---- WebSocket ----

void WsSession::Start() {
  beast::error_code ignored;
  const auto endpoint = ws_.next_layer().socket().remote_endpoint(ignored);
  peer_ = endpoint.address().to_string() + ":" + std::to_string(endpoint.port());
  ws_.next_layer().expires_after(std::chrono::seconds(30));
  http::async_read(ws_.next_layer(), buffer_, request_,
                   [self = shared_from_this()](beast::error_code error, std::size_t) {
                     self->OnRequest(error);
                   });
}

void WsSession::OnRequest(beast::error_code error) {
  if (error) return;
  const Config& config = server_.config();
  if (!websocket::is_upgrade(request_)) {
    Refuse(http::status::bad_request, "不是 WebSocket 握手");
    return;
  }
  if (!PathMatches(Sv(request_.target()), config.reverse_ws->path)) {
    Refuse(http::status::not_found, "路径不对：" + std::string(Sv(request_.target())));
    return;
  }
  if (!HasAccessToken(request_, config.access_token)) {
    Refuse(http::status::unauthorized, "access_token 不对");
    return;
  }
  const beast::string_view role = request_["X-Client-Role"];
  if (role.empty() || beast::iequals(role, "Universal")) {
    role_ = Role::kUniversal;
  } else if (beast::iequals(role, "API")) {
    role_ = Role::kApi;
  } else if (beast::iequals(role, "Event")) {
    role_ = Role::kEvent;
  } else {
    Refuse(http::status::bad_request, "X-Client-Role 只能是 Universal、API 或 Event，收到 " +
                                          std::string(Sv(role)));
    return;
  }
  ws_.next_layer().expires_never();
  ws_.set_option(websocket::stream_base::timeout::suggested(beast::role_type::server));
  ws_.read_message_max(kMaxMessageBytes);
  ws_.async_accept(request_, [self = shared_from_this()](beast::error_code accept_error) {
    self->OnAccept(accept_error);
  });
}

void WsSession::Refuse(http::status status, std::string reason) {
  LogWarning("拒绝了来自 " + peer_ + " 的反向 WebSocket 连接：" + reason);
  {
    const std::lock_guard lock(pending_mutex_);
    closed_ = true;
  }
  auto response = std::make_shared<http::response<http::string_body>>(status, request_.version());
  response->set(http::field::content_type, "text/plain; charset=utf-8");
  response->body() = reason;
  response->keep_alive(false);
  response->prepare_payload();
  http::async_write(ws_.next_layer(), *response,
                    [self = shared_from_this(), response](beast::error_code, std::size_t) {
                      beast::error_code ignored;
                      self->ws_.next_layer().socket().shutdown(tcp::socket::shutdown_send, ignored);
                    });
}

void WsSession::OnAccept(beast::error_code error) {
  if (error) {
    LogWarning("反向 WebSocket 握手失败（" + peer_ + "）：" + error.message());
    FailPending("握手失败");
    return;
  }
  open_ = true;
  static constexpr const char* kRoleNames[] = {"Universal", "API", "Event"};
  LogInfo("OneBot 已通过反向 WebSocket 连接（" + peer_ + "，" +
          kRoleNames[static_cast<int>(role_)] + "，self_id " +
          std::string(Sv(request_["X-Self-ID"])) + "）");
  if (role_ == Role::kApi) server_.split_api()->Attach(weak_from_this());
  ReadNext();
}

void WsSession::Dial(const ForwardAddress& address, std::function<void()> accepted,
                     std::function<void(const std::string&, bool)> ended) {
  accepted_ = std::move(accepted);
  ended_ = std::move(ended);
  peer_ = address.host + ":" + std::to_string(address.port);
  auto resolver = std::make_shared<tcp::resolver>(ws_.get_executor());
  resolver->async_resolve(
      address.host, std::to_string(address.port),
      [self = shared_from_this(), resolver, address](beast::error_code error,
                                                     tcp::resolver::results_type results) {
        if (!self->ended_) return;  // closed while resolving
        if (error) {
          self->EndForward("无法解析地址：" + error.message());
          return;
        }
        self->ws_.next_layer().expires_after(std::chrono::seconds(10));
        self->ws_.next_layer().async_connect(
            results, [self, address](beast::error_code connect_error, const tcp::endpoint&) {
              if (!self->ended_) return;  // closed while connecting
              if (connect_error) {
                self->EndForward("无法连接：" + connect_error.message());
                return;
              }
              self->OnConnected(address);
            });
      });
}

void WsSession::OnConnected(const ForwardAddress& address) {
  const std::string token = server_.config().access_token;
  ws_.set_option(websocket::stream_base::decorator([token](websocket::request_type& request) {
    if (!token.empty()) request.set(http::field::authorization, "Bearer " + token);
  }));
  ws_.read_message_max(kMaxMessageBytes);
  const std::string host = address.host + ":" + std::to_string(address.port);
  ws_.async_handshake(response_, host, address.path, [self = shared_from_this()](
                                                          beast::error_code error) {
    if (!self->ended_) return;  // closed during the handshake
    if (error) {
      const unsigned status = self->response_.result_int();
      self->EndForward(status != 0 && status != 101
                           ? "服务器拒绝了握手：HTTP " + std::to_string(status)
                           : "握手失败：" + error.message());
      return;
    }
    self->ws_.next_layer().expires_never();
    self->ws_.set_option(websocket::stream_base::timeout::suggested(beast::role_type::client));
    self->open_ = true;
    self->was_open_ = true;
    LogInfo("已通过正向 WebSocket 连接到 OneBot（" + self->peer_ + "）");
    self->ReadNext();
  });
}

// Fails the calls under way and tells the dialler, once.
void WsSession::EndForward(const std::string& why) {
  open_ = false;
  FailPending(why);
  if (ended_) {
    auto ended = std::move(ended_);
    ended_ = nullptr;
    ended(why, was_open_);
  }
}

void WsSession::ReadNext() {
  ws_.async_read(buffer_, [self = shared_from_this()](beast::error_code error, std::size_t) {
    self->OnMessage(error);
  });
}

void WsSession::OnMessage(beast::error_code error) {
  if (error && forward_) {
    EndForward(error == websocket::error::closed ? std::string("对方关闭了连接") : error.message());
    return;
  }
  if (error) {
    open_ = false;
    if (error != websocket::error::closed && error != asio::error::operation_aborted) {
      LogWarning("反向 WebSocket 连接断开（" + peer_ + "）：" + error.message());
    } else {
      LogInfo("反向 WebSocket 连接已关闭（" + peer_ + "）");
    }
    FailPending("连接已断开");
    return;
  }
  const std::string text = beast::buffers_to_string(buffer_.data());
  buffer_.consume(buffer_.size());
  HandleText(text);
  ReadNext();
}

void WsSession::HandleText(const std::string& text) {
  const json message = json::parse(text, nullptr, false);
  if (message.is_discarded()) {
    LogWarning("收到的不是有效的 JSON，已忽略（" + std::to_string(text.size()) + " 字节）");
    return;
  }
  if (message.is_object() && !message.contains("post_type") && !message.contains("echo") &&
      message.contains("retcode")) {
    // A response to no call of ours: how NapCat and LLOneBot report a wrong access token on a
    // connection they accepted (retcode 1403) before they close it.
    if (const ApiResult result = ReadApiResponse(message); !result.ok) {
      LogWarning("OneBot 实现报告错误（" + peer_ + "）：" + result.error +
                 (message.value("retcode", 0) == 1403 ? "；请检查 access_token" : ""));
    }
    return;
  }
  if (accepted_ && message.is_object() &&
      (message.contains("post_type") || ReadApiResponse(message).ok)) {
    auto accepted = std::move(accepted_);
    accepted_ = nullptr;
    accepted();
  }
  if (message.is_object() && message.contains("echo") && !message.contains("post_type")) {
    const json& echo = message["echo"];
    const std::string key = echo.is_string() ? echo.get<std::string>() : echo.dump();
    std::shared_ptr<std::promise<ApiResult>> promise;
    {
      const std::lock_guard lock(pending_mutex_);
      if (const auto found = pending_.find(key); found != pending_.end()) {
        promise = found->second;
        pending_.erase(found);
      }
    }
    if (promise) promise->set_value(ReadApiResponse(message));
    return;
  }
  GroupMessage group_message;
  std::string why;
  switch (ReadEvent(message, group_message, why)) {
    case EventKind::kMalformed:
      LogWarning("收到格式不对的事件，已忽略：" + why);
      return;
    case EventKind::kIgnored:
      LogDebug("忽略事件：" + why);
      return;
    case EventKind::kGroupMessage:
      break;
  }
  // An event connection cannot carry calls: its replies take the API connection.
  std::shared_ptr<ApiChannel> channel = shared_from_this();
  if (role_ == Role::kEvent) channel = server_.split_api();
  server_.adapter().Submit(group_message, channel, [channel](std::optional<OutgoingReply> reply) {
    if (reply) Adapter::SendReply(*channel, *reply);
  });
}

ApiResult WsSession::Call(const std::string& action, const json& params) {
  auto promise = std::make_shared<std::promise<ApiResult>>();
  std::future<ApiResult> future = promise->get_future();
  std::string echo;
  {
    const std::lock_guard lock(pending_mutex_);
    if (closed_) return ApiResult{false, {}, "连接已断开"};
    echo = "robothost-" + std::to_string(next_echo_++);
    pending_[echo] = promise;
  }
  std::string text = Dump(json{{"action", action}, {"params", params}, {"echo", echo}});
  asio::post(server_.io(), [self = shared_from_this(), text = std::move(text)]() mutable {
    self->Send(std::move(text));
  });
  if (future.wait_for(std::chrono::milliseconds(server_.config().api_timeout_ms)) !=
      std::future_status::ready) {
    const std::lock_guard lock(pending_mutex_);
    pending_.erase(echo);
    return ApiResult{false, {}, action + " 超时"};
  }
  return future.get();
}

void WsSession::Send(std::string text) {
  if (!open_) return;
  outbox_.push_back(std::move(text));
  if (outbox_.size() == 1) WriteNext();
}

void WsSession::WriteNext() {
  ws_.text(true);
  ws_.async_write(asio::buffer(outbox_.front()),
                  [self = shared_from_this()](beast::error_code error, std::size_t) {
                    self->outbox_.pop_front();
                    if (error) {
                      self->outbox_.clear();
                      return;  // the read side notices the broken connection
                    }
                    if (!self->outbox_.empty()) self->WriteNext();
                  });
}

void WsSession::FailPending(const std::string& why) {
  std::map<std::string, std::shared_ptr<std::promise<ApiResult>>> pending;
  {
    const std::lock_guard lock(pending_mutex_);
    closed_ = true;
    pending.swap(pending_);
  }
  for (auto& [echo, promise] : pending) promise->set_value(ApiResult{false, {}, why});
}

void WsSession::Close() {
  FailPending("正在停止");
  if (open_) {
    ws_.async_close(websocket::close_code::going_away,
                    [self = shared_from_this()](beast::error_code) {});
  } else {
    beast::error_code ignored;
    ws_.next_layer().socket().close(ignored);
  }
  if (forward_ && !open_) EndForward("正在停止");
}

// ---- HTTP POST ----

void HttpSession::ReadNext() {
  parser_.emplace();
  parser_->body_limit(kMaxMessageBytes);
  stream_.expires_after(std::chrono::seconds(60));
  http::async_read(stream_, buffer_, *parser_,
                   [self = shared_from_this()](beast::error_code error, std::size_t) {
                     self->OnRead(error);
                   });
}

void HttpSession::OnRead(beast::error_code error) {
  if (error) {
    beast::error_code ignored;
    stream_.socket().shutdown(tcp::socket::shutdown_both, ignored);
    return;
  }
  const Config& config = server_.config();
  const http::request<http::string_body>& request = parser_->get();
  keep_alive_ = request.keep_alive();
  if (request.method() != http::verb::post) {
    Respond(http::status::method_not_allowed, {});
    return;
  }
  if (!PathMatches(Sv(request.target()), config.http_post->path)) {
    Respond(http::status::not_found, {});
    return;
  }
  if (!config.secret.empty()) {
    const std::string expected = Signature(config.secret, request.body());
    if (expected.empty() || !SameSecret(Sv(request["X-Signature"]), expected)) {
      LogWarning("拒绝了签名不对的 HTTP POST 事件");
      Respond(http::status::forbidden, {});
      return;
    }
  } else if (!config.access_token.empty() && request.count(http::field::authorization) > 0 &&
             !HasAccessToken(request, config.access_token)) {
    LogWarning("拒绝了 access_token 不对的 HTTP POST 事件");
    Respond(http::status::unauthorized, {});
    return;
  }
  const json event = json::parse(request.body(), nullptr, false);
  if (event.is_discarded()) {
    LogWarning("HTTP POST 事件不是有效的 JSON，已忽略");
    Respond(http::status::bad_request, {});
    return;
  }
  GroupMessage message;
  std::string why;
  const EventKind kind = ReadEvent(event, message, why);
  if (kind == EventKind::kMalformed) {
    LogWarning("收到格式不对的事件，已忽略：" + why);
    Respond(http::status::bad_request, {});
    return;
  }
  if (kind == EventKind::kIgnored) {
    LogDebug("忽略事件：" + why);
    Respond(http::status::no_content, {});
    return;
  }
  const std::uint64_t id = ++request_id_;
  asio::io_context& io = server_.io();
  const bool queued = server_.adapter().Submit(
      message, server_.http_api(),
      [self = shared_from_this(), id, &io](std::optional<OutgoingReply> reply) {
        asio::post(io, [self, id, reply = std::move(reply)]() mutable {
          self->OnReply(id, std::move(reply));
        });
      });
  if (!queued) {
    Respond(http::status::no_content, {});
    return;
  }
  // The implementation waits for this answer; a reply that takes longer goes out through the
  // HTTP API instead. With no time at all (for implementations that ignore quick operations,
  // such as Lagrange.OneBot) the answer goes now, so no reply can ever land in it.
  if (config.quick_reply_timeout_ms == 0) {
    Respond(http::status::no_content, {});
    return;
  }
  awaiting_reply_ = true;
  quick_timer_.expires_after(std::chrono::milliseconds(config.quick_reply_timeout_ms));
  quick_timer_.async_wait([self = shared_from_this(), id](beast::error_code wait_error) {
    if (wait_error || !self->awaiting_reply_ || self->request_id_ != id) return;
    self->awaiting_reply_ = false;
    self->Respond(http::status::no_content, {});
  });
}

void HttpSession::OnReply(std::uint64_t request_id, std::optional<OutgoingReply> reply) {
  if (awaiting_reply_ && request_id == request_id_) {
    awaiting_reply_ = false;
    quick_timer_.cancel();
    if (reply) {
      Respond(http::status::ok, Dump(reply->QuickOperation()));
    } else {
      Respond(http::status::no_content, {});
    }
    return;
  }
  if (!reply) return;
  auto channel = server_.http_api();
  if (!server_.adapter().Post([channel, reply = std::move(*reply)] {
        Adapter::SendReply(*channel, reply);
      })) {
    LogWarning("回复来不及作为快速操作返回，也无法排队发送，已丢弃");
  }
}

void HttpSession::Respond(http::status status, std::string body) {
  auto response = std::make_shared<http::response<http::string_body>>(status, 11);
  if (!body.empty()) response->set(http::field::content_type, "application/json; charset=utf-8");
  response->body() = std::move(body);
  response->keep_alive(keep_alive_ && !server_.shutting_down());
  response->prepare_payload();
  http::async_write(stream_, *response,
                    [self = shared_from_this(), response](beast::error_code error, std::size_t) {
                      if (error || !response->keep_alive()) {
                        beast::error_code ignored;
                        self->stream_.socket().shutdown(tcp::socket::shutdown_both, ignored);
                        return;
                      }
                      self->ReadNext();
                    });
}

void HttpSession::Close() {
  quick_timer_.cancel();
  beast::error_code ignored;
  stream_.socket().shutdown(tcp::socket::shutdown_both, ignored);
  stream_.socket().close(ignored);
}

ApiResult HttpApiChannel::Call(const std::string& action, const json& params) {
  asio::io_context io;
  tcp::resolver resolver(io);
  beast::tcp_stream stream(io);
  http::request<http::string_body> request{http::verb::post, base_path_ + "/" + action, 11};
  request.set(http::field::host, host_ + ":" + port_);
  request.set(http::field::content_type, "application/json; charset=utf-8");
  if (!config_.access_token.empty()) {
    request.set(http::field::authorization, "Bearer " + config_.access_token);
  }
  request.body() = Dump(params);
  request.keep_alive(false);
  request.prepare_payload();
  http::response<http::string_body> response;
  beast::flat_buffer buffer;
  beast::error_code failure;
  bool finished = false;
  const auto timeout = std::chrono::milliseconds(config_.api_timeout_ms);
  stream.expires_after(timeout);
  resolver.async_resolve(host_, port_, [&](beast::error_code error, tcp::resolver::results_type results) {
    if (error) {
      failure = error;
      return;
    }
    stream.async_connect(results, [&](beast::error_code connect_error, const tcp::endpoint&) {
      if (connect_error) {
        failure = connect_error;
        return;
      }
      http::async_write(stream, request, [&](beast::error_code write_error, std::size_t) {
        if (write_error) {
          failure = write_error;
          return;
        }
        http::async_read(stream, buffer, response,
                         [&](beast::error_code read_error, std::size_t) {
                           failure = read_error;
                           finished = !read_error;
                         });
      });
    });
  });
  io.run_for(timeout + std::chrono::seconds(1));
  if (!finished) {
    return ApiResult{false, {}, action + " 请求失败：" + (failure ? failure.message() : "超时")};
  }
  if (response.result() != http::status::ok) {
    return ApiResult{false, {}, action + " 返回 HTTP " + std::to_string(response.result_int())};
  }
  const json body = json::parse(response.body(), nullptr, false);
  if (body.is_discarded()) return ApiResult{false, {}, action + " 的响应不是有效的 JSON"};
  return ReadApiResponse(body);
}

// ---- Forward WebSocket ----

// Keeps one forward WebSocket connection up: dials, and after a failure or a drop dials again
// after a delay that doubles from reconnect_initial_ms up to reconnect_max_ms, each delay
// jittered by up to a fifth either way so that many adapters do not redial in step. A
// successful handshake resets the delay.
class ForwardClient {
 public:
  ForwardClient(Server& server, asio::io_context& io, const ForwardAddress& address)
      : server_(server),
        io_(io),
        address_(address),
        timer_(io),
        delay_ms_(address.reconnect_initial_ms),
        random_(std::random_device{}()) {}

  void Start() {
    LogInfo("forward_ws: ws://" + address_.host + ":" + std::to_string(address_.port) +
            address_.path);
    Dial();
  }

  void Stop() {
    stopped_ = true;
    timer_.cancel();
    if (auto session = session_.lock()) session->Close();
  }

 private:
  void Dial() {
    ++attempt_;
    LogInfo("正向 WebSocket 第 " + std::to_string(attempt_) + " 次连接 " + address_.url);
    auto session = std::make_shared<WsSession>(io_, server_);
    session_ = session;
    session->Dial(
        address_,
        [this] {
          attempt_ = 0;
          delay_ms_ = address_.reconnect_initial_ms;
        },
        [this](const std::string& why, bool was_open) { OnEnded(why, was_open); });
  }

  void OnEnded(const std::string& why, bool was_open) {
    if (stopped_) {
      LogInfo("正向 WebSocket 已停止");
      return;
    }
    std::uniform_int_distribution<int> jitter(-delay_ms_ / 5, delay_ms_ / 5);
    const int delay = std::min(delay_ms_ + jitter(random_), address_.reconnect_max_ms);
    delay_ms_ = std::min(delay_ms_ * 2, address_.reconnect_max_ms);
    LogWarning(std::string(was_open ? "正向 WebSocket 连接断开" : "正向 WebSocket 连接失败") +
               "（" + address_.url + "）：" + why + "，" + std::to_string(delay) +
               " 毫秒后重连");
    timer_.expires_after(std::chrono::milliseconds(delay));
    timer_.async_wait([this](beast::error_code error) {
      if (error || stopped_) return;
      Dial();
    });
  }

  Server& server_;
  asio::io_context& io_;
  const ForwardAddress address_;
  asio::steady_timer timer_;
  int delay_ms_;
  int attempt_ = 0;  // dials since the implementation last accepted us
  std::minstd_rand random_;
  std::weak_ptr<WsSession> session_;
  bool stopped_ = false;
};

// ---- Listening ----

bool Server::Open(Listener& listener) {
  beast::error_code error;
  const auto address = asio::ip::make_address(listener.address.host, error);
  if (error) {
    LogError(listener.name + " 的地址不对：" + listener.address.host);
    return false;
  }
  listener.acceptor = std::make_unique<tcp::acceptor>(io_);
  const tcp::endpoint endpoint(address, listener.address.port);
  listener.acceptor->open(endpoint.protocol(), error);
  if (!error) listener.acceptor->set_option(asio::socket_base::reuse_address(true), error);
  if (!error) listener.acceptor->bind(endpoint, error);
  if (!error) listener.acceptor->listen(asio::socket_base::max_listen_connections, error);
  if (error) {
    LogError(listener.name + " 无法监听 " + listener.address.host + ":" +
             std::to_string(listener.address.port) + "：" + error.message());
    return false;
  }
  const auto bound = listener.acceptor->local_endpoint(error);
  LogInfo(listener.name + ": " + (listener.websocket ? "ws://" : "http://") +
          bound.address().to_string() + ":" + std::to_string(bound.port()) + listener.address.path);
  AcceptNext(listener);
  return true;
}

void Server::AcceptNext(Listener& listener) {
  listener.acceptor->async_accept([this, &listener](beast::error_code error, tcp::socket socket) {
    if (error) {
      if (error != asio::error::operation_aborted) AcceptNext(listener);
      return;
    }
    if (shutting_down_) return;
    if (listener.websocket) {
      auto session = std::make_shared<WsSession>(std::move(socket), *this);
      ws_sessions_.remove_if([](const std::weak_ptr<WsSession>& s) { return s.expired(); });
      ws_sessions_.push_back(session);
      session->Start();
    } else {
      auto session = std::make_shared<HttpSession>(std::move(socket), *this);
      http_sessions_.remove_if([](const std::weak_ptr<HttpSession>& s) { return s.expired(); });
      http_sessions_.push_back(session);
      session->Start();
    }
    AcceptNext(listener);
  });
}

bool Server::Listen() {
  if (config_.reverse_ws) {
    listeners_.push_back(Listener{"reverse_ws", *config_.reverse_ws, true, nullptr});
    if (!Open(listeners_.back())) return false;
  }
  if (config_.http_post) {
    listeners_.push_back(Listener{"http_post", *config_.http_post, false, nullptr});
    if (!Open(listeners_.back())) return false;
    if (config_.secret.empty()) {
      LogWarning("http_post 没有设置 secret：任何人都能向它发送事件");
    }
  }
  if (config_.forward_ws) {
    forward_ = std::make_unique<ForwardClient>(*this, io_, *config_.forward_ws);
    forward_->Start();
  }
  return true;
}

void Server::Shutdown() {
  shutting_down_ = true;
  if (forward_) forward_->Stop();
  for (Listener& listener : listeners_) {
    beast::error_code ignored;
    if (listener.acceptor) listener.acceptor->close(ignored);
  }
  for (const auto& weak : ws_sessions_) {
    if (auto session = weak.lock()) session->Close();
  }
  for (const auto& weak : http_sessions_) {
    if (auto session = weak.lock()) session->Close();
  }
}

}  // namespace

int RunNetwork(const Config& config, Adapter& adapter) {
  asio::io_context io;
  Server server(config, adapter, io);
  if (!server.Listen()) {
    adapter.Stop();
    return 1;
  }
  asio::signal_set signals(io);
  for (const int signal_number : platform::StopSignals()) signals.add(signal_number);
  signals.async_wait([&](beast::error_code error, int signal_number) {
    if (error) return;
    LogInfo("收到 " + platform::SignalName(signal_number) + "，正在停止");
    server.Shutdown();
    // Give the closing handshakes a moment, then stop whatever is left.
    auto timer = std::make_shared<asio::steady_timer>(io, std::chrono::milliseconds(500));
    timer->async_wait([&io, timer](beast::error_code) { io.stop(); });
  });
  io.run();
  // The worker's pending tasks hold connections and post to `io`: stop it while both exist.
  adapter.Stop();
  return 0;
}

}  // namespace robothost::onebot
