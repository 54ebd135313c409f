// A OneBot v11 implementation of our own for the adapter's tests, written from the protocol's
// documents: it connects by reverse WebSocket or posts events over HTTP, answers the API calls
// the adapter makes (over the WebSocket or its HTTP API) and records them. Loopback only.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace onebot_test {

struct ApiCall {
  std::string action;
  nlohmann::json params;
};

// The account and group the peer pretends to serve, and the record of API calls.
class PeerState {
 public:
  std::int64_t self_id = 10000;
  std::string nickname = "bot";
  std::map<std::int64_t, std::string> roles;  // group members and their role ("owner", ...)

  // The response body for one call (status, retcode, data), recorded first.
  nlohmann::json Answer(const std::string& action, const nlohmann::json& params);

  // Waits until `count` calls of `action` have arrived, at most `timeout`; returns those that
  // have (fewer on timeout).
  std::vector<ApiCall> WaitFor(const std::string& action, std::size_t count,
                               std::chrono::milliseconds timeout = std::chrono::seconds(10));
  std::vector<ApiCall> Calls(const std::string& action);

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<ApiCall> calls_;
};

// "sha1=<hex>" HMAC-SHA1 of `body` with `secret`: the X-Signature an implementation sends.
std::string Sign(const std::string& secret, const std::string& body);

// A reverse WebSocket client, as the implementation connects to the adapter.
class WsPeer {
 public:
  explicit WsPeer(PeerState& state);
  ~WsPeer();
  WsPeer(const WsPeer&) = delete;
  WsPeer& operator=(const WsPeer&) = delete;

  // Connects to ws://127.0.0.1:<port><path> with X-Client-Role `role`, X-Self-ID and, when
  // `token` is not empty, "Authorization: Bearer <token>". Returns the HTTP status of the
  // handshake: 101 when the connection is up, anything else when it was refused or failed.
  int Connect(std::uint16_t port, const std::string& path, const std::string& token,
              const std::string& role = "Universal");
  void Send(const nlohmann::json& event);
  void SendText(std::string text);
  // Closes the TCP connection at once, without a closing handshake.
  void Drop();
  // Whether the adapter has closed the connection.
  bool WaitClosed(std::chrono::milliseconds timeout);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// A forward WebSocket server, as the implementation listens for the adapter. It records when
// each handshake request arrives, refuses those without "Authorization: Bearer <token>" (when
// `token` is not empty), answers API calls on the open connection and can drop it or stop
// listening for a while.
class WsServerPeer {
 public:
  // Where a wrong token is refused: with HTTP 401 at the handshake (go-cqhttp), or, as NapCat and
  // LLOneBot do, by accepting the connection, sending a retcode 1403 failure and closing.
  enum class TokenRefusal { kAtHandshake, kAfterAccepting };

  WsServerPeer(PeerState& state, std::string token,
               TokenRefusal refusal = TokenRefusal::kAtHandshake);
  ~WsServerPeer();
  WsServerPeer(const WsServerPeer&) = delete;
  WsServerPeer& operator=(const WsServerPeer&) = delete;

  // Listens on 127.0.0.1:<port> (0: any free port); returns the port, 0 when it cannot listen.
  std::uint16_t Listen(std::uint16_t port = 0);
  // Stops listening and closes every connection: dials are refused until the next Listen.
  void Shutdown();
  // Closes the open connections at once, without a closing handshake; keeps listening.
  void Drop();
  // Sends `event` on the most recent open connection.
  void Send(const nlohmann::json& event);

  struct Attempt {
    std::chrono::steady_clock::time_point when;
    int status = 0;  // 101 accepted, 401 refused at the handshake, 1403 refused after it
  };
  // Waits until `count` handshake requests have arrived, at most `timeout`; returns them all.
  std::vector<Attempt> WaitForAttempts(std::size_t count, std::chrono::milliseconds timeout);
  // Waits until `count` connections have been accepted (status 101) in total.
  bool WaitForOpen(std::size_t count, std::chrono::milliseconds timeout);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The implementation's HTTP side: its HTTP API server (answering like PeerState) and the
// client that posts events to the adapter.
class HttpPeer {
 public:
  explicit HttpPeer(PeerState& state);
  ~HttpPeer();
  HttpPeer(const HttpPeer&) = delete;
  HttpPeer& operator=(const HttpPeer&) = delete;

  std::uint16_t api_port() const;
  // Authorization headers the API server has seen, oldest first.
  std::vector<std::string> api_authorizations() const;

  struct PostResult {
    int status = 0;  // 0: no answer
    std::string body;
    std::chrono::milliseconds elapsed{0};
  };
  // Posts `body` to http://127.0.0.1:<port><path>, with X-Signature `signature` when not empty.
  static PostResult PostEvent(std::uint16_t port, const std::string& path, const std::string& body,
                              const std::string& signature);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace onebot_test
