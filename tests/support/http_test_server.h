// Test support: a small HTTP server on 127.0.0.1 that answers from a script and keeps every
// request it received, for tests of the HTTP client and the nickname lookup.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "loopback_socket.h"

namespace test_support {

// What the server does with one connection once the request has arrived.
struct ScriptedResponse {
  std::string bytes;     // sent as they are: status line, headers, body
  int stall_ms = 0;      // then the connection stays open this long before it is closed
};

// A whole HTTP/1.0 answer with `status_line` (e.g. "200 OK") and `body`, without a length:
// the end of the connection ends the body.
std::string HttpResponse(std::string_view status_line, std::string_view body);

// The first line of a request without its line break ("GET / HTTP/1.0").
std::string RequestLine(std::string_view request);

// The value of header `name` (matched ignoring case) in a request, or the empty text.
std::string HeaderValue(std::string_view request, std::string_view name);

// Serves connections one after another on a thread of its own until destroyed. Each request
// head (up to the blank line) is recorded, then `respond` decides the answer.
class LoopbackHttpServer {
 public:
  using Responder = std::function<ScriptedResponse(const std::string& request)>;

  explicit LoopbackHttpServer(Responder respond);
  // The same answer for every request.
  explicit LoopbackHttpServer(std::string response);
  ~LoopbackHttpServer();
  LoopbackHttpServer(const LoopbackHttpServer&) = delete;
  LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

  // "http://127.0.0.1:<port>"; the empty text when the server could not listen.
  std::string Address() const;
  std::uint16_t port() const { return port_; }
  // The request heads received so far, oldest first.
  std::vector<std::string> Requests() const;

 private:
  void Serve();
  void ServeConnection(SocketHandle connection);

  Responder respond_;
  std::uint16_t port_ = 0;
  SocketHandle listener_ = kNoSocket;
  std::atomic<bool> stopping_{false};
  mutable std::mutex mutex_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

}  // namespace test_support
