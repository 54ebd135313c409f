// The peer's network code (Boost.Beast), kept in this one file.
#include "onebot_peer.h"

// Boost 1.74's Asio uses std::exchange without including <utility> itself.
#include <utility>

#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/websocket.hpp>
#include <algorithm>
#include <cstdio>
#include <deque>
#include <future>
#include <thread>

#include "loopback_socket.h"
#include "onebot/hmac.h"

namespace onebot_test {
namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
namespace websocket = beast::websocket;
using tcp = asio::ip::tcp;
using nlohmann::json;

}  // namespace

json PeerState::Answer(const std::string& action, const json& params) {
  {
    const std::lock_guard lock(mutex_);
    calls_.push_back(ApiCall{action, params});
  }
  changed_.notify_all();
  const json ok = {{"status", "ok"}, {"retcode", 0}};
  const json failed = {{"status", "failed"}, {"retcode", 100}, {"data", nullptr},
                       {"wording", "no such member"}};
  if (action == "get_login_info") {
    json answer = ok;
    answer["data"] = {{"user_id", self_id}, {"nickname", nickname}};
    return answer;
  }
  if (action == "get_group_member_info") {
    const std::int64_t user = params.value("user_id", std::int64_t{0});
    const auto found = roles.find(user);
    if (found == roles.end()) return failed;
    json answer = ok;
    answer["data"] = {{"group_id", params.value("group_id", std::int64_t{0})},
                      {"user_id", user},
                      {"role", found->second}};
    return answer;
  }
  if (action == "send_group_msg") {
    json answer = ok;
    answer["data"] = {{"message_id", 1}};
    return answer;
  }
  if (action == "set_group_kick") {
    json answer = ok;
    answer["data"] = nullptr;
    return answer;
  }
  return json{{"status", "failed"}, {"retcode", 1404}, {"data", nullptr}};
}

std::vector<ApiCall> PeerState::WaitFor(const std::string& action, std::size_t count,
                                        std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  std::vector<ApiCall> found;
  changed_.wait_for(lock, timeout, [&] {
    found.clear();
    for (const ApiCall& call : calls_) {
      if (call.action == action) found.push_back(call);
    }
    return found.size() >= count;
  });
  return found;
}

std::vector<ApiCall> PeerState::Calls(const std::string& action) {
  const std::lock_guard lock(mutex_);
  std::vector<ApiCall> found;
  for (const ApiCall& call : calls_) {
    if (call.action == action) found.push_back(call);
  }
  return found;
}

std::string Sign(const std::string& secret, const std::string& body) {
  robothost::onebot::Sha1Digest digest;
  if (!robothost::onebot::HmacSha1(secret, body, digest)) return "sha1=?";
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text = "sha1=";
  for (const unsigned char byte : digest) {
    text += kHex[byte >> 4];
    text += kHex[byte & 0x0F];
  }
  return text;
}

// ---- reverse WebSocket client ----

struct WsPeer::Impl {
  explicit Impl(PeerState& peer_state) : state(peer_state), ws(io) {}

  void ReadNext() {
    ws.async_read(buffer, [this](beast::error_code error, std::size_t) {
      if (error) {
        const std::lock_guard lock(mutex);
        closed = true;
        closed_changed.notify_all();
        return;
      }
      const std::string text = beast::buffers_to_string(buffer.data());
      buffer.consume(buffer.size());
      const json call = json::parse(text, nullptr, false);
      if (call.is_object() && call.contains("action")) {
        json answer = state.Answer(call["action"].get<std::string>(),
                                   call.value("params", json::object()));
        if (call.contains("echo")) answer["echo"] = call["echo"];
        Write(answer.dump());
      }
      ReadNext();
    });
  }

  void Write(std::string text) {
    outbox.push_back(std::move(text));
    if (outbox.size() == 1) WriteNext();
  }

  void WriteNext() {
    ws.text(true);
    ws.async_write(asio::buffer(outbox.front()), [this](beast::error_code error, std::size_t) {
      outbox.pop_front();
      if (error) {
        outbox.clear();
        return;
      }
      if (!outbox.empty()) WriteNext();
    });
  }

  PeerState& state;
  asio::io_context io;
  websocket::stream<beast::tcp_stream> ws;
  beast::flat_buffer buffer;
  std::deque<std::string> outbox;
  std::thread thread;
  std::mutex mutex;
  std::condition_variable closed_changed;
  bool closed = false;
};

WsPeer::WsPeer(PeerState& state) : impl_(std::make_unique<Impl>(state)) {}

WsPeer::~WsPeer() {
  if (impl_->thread.joinable()) {
    asio::post(impl_->io, [impl = impl_.get()] {
      beast::error_code ignored;
      beast::get_lowest_layer(impl->ws).socket().close(ignored);
    });
    impl_->thread.join();
  }
}

int WsPeer::Connect(std::uint16_t port, const std::string& path, const std::string& token,
                    const std::string& role) {
  Impl& impl = *impl_;
  beast::error_code error;
  beast::get_lowest_layer(impl.ws).socket().connect(
      tcp::endpoint(asio::ip::make_address("127.0.0.1"), port), error);
  if (error) return 0;
  const std::int64_t self_id = impl.state.self_id;
  impl.ws.set_option(websocket::stream_base::decorator([token, self_id, role](
                                                          websocket::request_type& request) {
    request.set("X-Client-Role", role);
    request.set("X-Self-ID", std::to_string(self_id));
    if (!token.empty()) request.set(http::field::authorization, "Bearer " + token);
  }));
  websocket::response_type response;
  impl.ws.handshake(response, "127.0.0.1:" + std::to_string(port), path, error);
  if (error) return response.result_int();
  impl.ReadNext();
  impl.thread = std::thread([&impl] { impl.io.run(); });
  return 101;
}

void WsPeer::Send(const json& event) { SendText(event.dump()); }

void WsPeer::SendText(std::string text) {
  asio::post(impl_->io, [impl = impl_.get(), text = std::move(text)]() mutable {
    impl->Write(std::move(text));
  });
}

void WsPeer::Drop() {
  asio::post(impl_->io, [impl = impl_.get()] {
    beast::error_code ignored;
    beast::get_lowest_layer(impl->ws).socket().close(ignored);
  });
}

bool WsPeer::WaitClosed(std::chrono::milliseconds timeout) {
  std::unique_lock lock(impl_->mutex);
  return impl_->closed_changed.wait_for(lock, timeout, [this] { return impl_->closed; });
}

// ---- HTTP API server and event poster ----

struct HttpPeer::Impl {
  explicit Impl(PeerState& peer_state)
      : state(peer_state), acceptor(io, tcp::endpoint(asio::ip::make_address("127.0.0.1"), 0)) {}

  void AcceptNext() {
    acceptor.async_accept([this](beast::error_code error, tcp::socket socket) {
      if (error) return;
      auto stream = std::make_shared<beast::tcp_stream>(std::move(socket));
      auto buffer = std::make_shared<beast::flat_buffer>();
      auto request = std::make_shared<http::request<http::string_body>>();
      http::async_read(*stream, *buffer, *request,
                       [this, stream, buffer, request](beast::error_code read_error, std::size_t) {
                         if (read_error) return;
                         {
                           const std::lock_guard lock(mutex);
                           authorizations.emplace_back(request->operator[](http::field::authorization));
                         }
                         std::string action(request->target());
                         if (!action.empty() && action.front() == '/') action.erase(0, 1);
                         const json params = json::parse(request->body(), nullptr, false);
                         auto response = std::make_shared<http::response<http::string_body>>(
                             http::status::ok, 11);
                         response->set(http::field::content_type, "application/json");
                         response->body() = state.Answer(action, params).dump();
                         response->keep_alive(false);
                         response->prepare_payload();
                         http::async_write(*stream, *response,
                                           [stream, response](beast::error_code, std::size_t) {
                                             beast::error_code ignored;
                                             stream->socket().shutdown(tcp::socket::shutdown_both,
                                                                       ignored);
                                           });
                       });
      AcceptNext();
    });
  }

  PeerState& state;
  asio::io_context io;
  tcp::acceptor acceptor;
  std::thread thread;
  mutable std::mutex mutex;
  std::vector<std::string> authorizations;
};

HttpPeer::HttpPeer(PeerState& state) : impl_(std::make_unique<Impl>(state)) {
  impl_->AcceptNext();
  impl_->thread = std::thread([impl = impl_.get()] { impl->io.run(); });
}

HttpPeer::~HttpPeer() {
  impl_->io.stop();
  impl_->thread.join();
}

std::uint16_t HttpPeer::api_port() const { return impl_->acceptor.local_endpoint().port(); }

std::vector<std::string> HttpPeer::api_authorizations() const {
  const std::lock_guard lock(impl_->mutex);
  return impl_->authorizations;
}

HttpPeer::PostResult HttpPeer::PostEvent(std::uint16_t port, const std::string& path,
                                         const std::string& body, const std::string& signature) {
  const auto start = std::chrono::steady_clock::now();
  asio::io_context io;
  beast::tcp_stream stream(io);
  http::request<http::string_body> request{http::verb::post, path, 11};
  request.set(http::field::host, "127.0.0.1:" + std::to_string(port));
  request.set(http::field::content_type, "application/json");
  request.set("X-Self-ID", "10000");
  if (!signature.empty()) request.set("X-Signature", signature);
  request.body() = body;
  request.prepare_payload();
  http::response<http::string_body> response;
  beast::flat_buffer buffer;
  PostResult result;
  stream.expires_after(std::chrono::seconds(10));
  stream.async_connect(tcp::endpoint(asio::ip::make_address("127.0.0.1"), port),
                       [&](beast::error_code error) {
                         if (error) return;
                         http::async_write(stream, request, [&](beast::error_code write_error,
                                                                std::size_t) {
                           if (write_error) return;
                           http::async_read(stream, buffer, response,
                                            [&](beast::error_code read_error, std::size_t) {
                                              if (read_error) return;
                                              result.status = response.result_int();
                                              result.body = response.body();
                                            });
                         });
                       });
  io.run_for(std::chrono::seconds(11));
  result.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - start);
  return result;
}


// ---- forward WebSocket server ----

struct WsServerPeer::Impl {
  struct Connection {
    explicit Connection(tcp::socket socket) : ws(std::move(socket)) {}
    websocket::stream<beast::tcp_stream> ws;
    beast::flat_buffer buffer;
    http::request<http::string_body> request;
    std::deque<std::string> outbox;
    bool open = false;
  };

  Impl(PeerState& peer_state, std::string expected_token, TokenRefusal token_refusal)
      : state(peer_state),
        token(std::move(expected_token)),
        refusal(token_refusal),
        work(asio::make_work_guard(io)) {
    thread = std::thread([this] { io.run(); });
  }

  // Runs `task` on the network thread and waits for it.
  template <typename Task>
  void RunOnIo(Task task) {
    std::promise<void> done;
    asio::post(io, [&] {
      task();
      done.set_value();
    });
    done.get_future().wait();
  }

  void AcceptNext() {
    acceptor->async_accept([this](beast::error_code error, tcp::socket socket) {
      if (error) return;
      auto connection = std::make_shared<Connection>(std::move(socket));
      connections.push_back(connection);
      http::async_read(connection->ws.next_layer(), connection->buffer, connection->request,
                       [this, connection](beast::error_code read_error, std::size_t) {
                         if (!read_error) OnRequest(connection);
                       });
      AcceptNext();
    });
  }

  void Record(int status) {
    const std::lock_guard lock(mutex);
    attempts.push_back(Attempt{std::chrono::steady_clock::now(), status});
    changed.notify_all();
  }

  void OnRequest(const std::shared_ptr<Connection>& connection) {
    const std::string authorization(connection->request[http::field::authorization]);
    const bool token_ok = token.empty() || authorization == "Bearer " + token;
    if (!token_ok && refusal == TokenRefusal::kAfterAccepting) {
      connection->ws.async_accept(connection->request, [this, connection](beast::error_code error) {
        if (error) return;
        Record(1403);
        connection->ws.text(true);
        auto failure = std::make_shared<std::string>(
            R"({"status":"failed","retcode":1403,"data":null,"message":"token验证失败","wording":"token验证失败"})");
        connection->ws.async_write(asio::buffer(*failure),
                                   [connection, failure](beast::error_code, std::size_t) {
                                     connection->ws.async_close(websocket::close_code::normal,
                                                                [connection](beast::error_code) {});
                                   });
      });
      return;
    }
    if (!token_ok) {
      Record(401);
      auto response = std::make_shared<http::response<http::string_body>>(
          http::status::unauthorized, connection->request.version());
      response->body() = "bad token";
      response->keep_alive(false);
      response->prepare_payload();
      http::async_write(connection->ws.next_layer(), *response,
                        [connection, response](beast::error_code, std::size_t) {
                          beast::error_code ignored;
                          connection->ws.next_layer().socket().shutdown(
                              tcp::socket::shutdown_both, ignored);
                        });
      return;
    }
    connection->ws.async_accept(connection->request,
                                [this, connection](beast::error_code error) {
                                  if (error) return;
                                  connection->open = true;
                                  Record(101);
                                  ReadNext(connection);
                                });
  }

  void ReadNext(const std::shared_ptr<Connection>& connection) {
    connection->ws.async_read(
        connection->buffer, [this, connection](beast::error_code error, std::size_t) {
          if (error) {
            connection->open = false;
            return;
          }
          const std::string text = beast::buffers_to_string(connection->buffer.data());
          connection->buffer.consume(connection->buffer.size());
          const json call = json::parse(text, nullptr, false);
          if (call.is_object() && call.contains("action")) {
            json answer = state.Answer(call["action"].get<std::string>(),
                                       call.value("params", json::object()));
            if (call.contains("echo")) answer["echo"] = call["echo"];
            Write(connection, answer.dump());
          }
          ReadNext(connection);
        });
  }

  void Write(const std::shared_ptr<Connection>& connection, std::string text) {
    connection->outbox.push_back(std::move(text));
    if (connection->outbox.size() == 1) WriteNext(connection);
  }

  void WriteNext(const std::shared_ptr<Connection>& connection) {
    connection->ws.text(true);
    connection->ws.async_write(asio::buffer(connection->outbox.front()),
                               [this, connection](beast::error_code error, std::size_t) {
                                 connection->outbox.pop_front();
                                 if (error) {
                                   connection->outbox.clear();
                                   return;
                                 }
                                 if (!connection->outbox.empty()) WriteNext(connection);
                               });
  }

  void DropAll() {
    for (const auto& connection : connections) {
      beast::error_code ignored;
      connection->open = false;
      connection->ws.next_layer().socket().shutdown(tcp::socket::shutdown_both, ignored);
      connection->ws.next_layer().socket().close(ignored);
    }
    connections.clear();
  }

  PeerState& state;
  const std::string token;
  const TokenRefusal refusal;
  asio::io_context io;
  asio::executor_work_guard<asio::io_context::executor_type> work;
  std::unique_ptr<tcp::acceptor> acceptor;
  std::vector<std::shared_ptr<Connection>> connections;  // network thread only
  std::thread thread;
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<Attempt> attempts;  // under mutex
};

WsServerPeer::WsServerPeer(PeerState& state, std::string token, TokenRefusal refusal)
    : impl_(std::make_unique<Impl>(state, std::move(token), refusal)) {}

WsServerPeer::~WsServerPeer() {
  Shutdown();
  impl_->work.reset();
  impl_->io.stop();
  impl_->thread.join();
}

std::uint16_t WsServerPeer::Listen(std::uint16_t port) {
  std::uint16_t bound = 0;
  impl_->RunOnIo([&] {
    Impl& impl = *impl_;
    beast::error_code error;
    const tcp::endpoint endpoint(asio::ip::make_address("127.0.0.1"), port);
    impl.acceptor = std::make_unique<tcp::acceptor>(impl.io);
    impl.acceptor->open(endpoint.protocol(), error);
    if (!error) impl.acceptor->set_option(asio::socket_base::reuse_address(true), error);
    // The adapter is a child process: it must not inherit the listening socket, or the port
    // stays taken after Shutdown.
    if (!error) {
      test_support::KeepFromChildProcesses(
          static_cast<test_support::SocketHandle>(impl.acceptor->native_handle()));
    }
    if (!error) impl.acceptor->bind(endpoint, error);
    if (!error) impl.acceptor->listen(asio::socket_base::max_listen_connections, error);
    if (error) {
      std::fprintf(stderr, "WsServerPeer: cannot listen on port %u: %s\n", port,
                   error.message().c_str());
      impl.acceptor.reset();
      return;
    }
    bound = impl.acceptor->local_endpoint().port();
    impl.AcceptNext();
  });
  return bound;
}

void WsServerPeer::Shutdown() {
  impl_->RunOnIo([impl = impl_.get()] {
    if (impl->acceptor) {
      beast::error_code ignored;
      impl->acceptor->close(ignored);
      impl->acceptor.reset();
    }
    impl->DropAll();
  });
}

void WsServerPeer::Drop() {
  impl_->RunOnIo([impl = impl_.get()] { impl->DropAll(); });
}

void WsServerPeer::Send(const json& event) {
  asio::post(impl_->io, [impl = impl_.get(), text = event.dump()]() mutable {
    for (auto it = impl->connections.rbegin(); it != impl->connections.rend(); ++it) {
      if ((*it)->open) {
        impl->Write(*it, std::move(text));
        return;
      }
    }
  });
}

std::vector<WsServerPeer::Attempt> WsServerPeer::WaitForAttempts(std::size_t count,
                                                                 std::chrono::milliseconds timeout) {
  std::unique_lock lock(impl_->mutex);
  impl_->changed.wait_for(lock, timeout, [&] { return impl_->attempts.size() >= count; });
  return impl_->attempts;
}

bool WsServerPeer::WaitForOpen(std::size_t count, std::chrono::milliseconds timeout) {
  std::unique_lock lock(impl_->mutex);
  return impl_->changed.wait_for(lock, timeout, [&] {
    return static_cast<std::size_t>(std::count_if(impl_->attempts.begin(), impl_->attempts.end(),
                                                  [](const Attempt& a) { return a.status == 101; })) >=
           count;
  });
}

}  // namespace onebot_test
