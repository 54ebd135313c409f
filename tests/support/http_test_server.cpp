// Test support: the scripted loopback HTTP server.
#include "http_test_server.h"

#include <chrono>
#include <utility>

namespace test_support {
namespace {

constexpr int kPollMs = 20;
constexpr std::size_t kMaxRequestHead = 64 * 1024;
constexpr auto kRequestPatience = std::chrono::seconds(10);

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

}  // namespace

std::string HttpResponse(std::string_view status_line, std::string_view body) {
  std::string response = "HTTP/1.0 ";
  response += status_line;
  response += "\r\nContent-Type: text/plain\r\n\r\n";
  response += body;
  return response;
}

std::string RequestLine(std::string_view request) {
  return std::string(request.substr(0, request.find("\r\n")));
}

std::string HeaderValue(std::string_view request, std::string_view name) {
  std::size_t line_start = request.find("\r\n");
  while (line_start != std::string_view::npos) {
    line_start += 2;
    const std::size_t line_end = request.find("\r\n", line_start);
    const std::string_view line = request.substr(line_start, line_end - line_start);
    const std::size_t colon = line.find(':');
    if (colon != std::string_view::npos && EqualIgnoringCase(line.substr(0, colon), name)) {
      std::string_view value = line.substr(colon + 1);
      while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
      return std::string(value);
    }
    line_start = line_end;
  }
  return {};
}

LoopbackHttpServer::LoopbackHttpServer(Responder respond) : respond_(std::move(respond)) {
  listener_ = ListenOnLoopback(port_);
  if (listener_ != kNoSocket) thread_ = std::thread([this] { Serve(); });
}

LoopbackHttpServer::LoopbackHttpServer(std::string response)
    : LoopbackHttpServer([response = std::move(response)](const std::string&) {
        return ScriptedResponse{response, 0};
      }) {}

LoopbackHttpServer::~LoopbackHttpServer() {
  stopping_ = true;
  if (thread_.joinable()) thread_.join();
  CloseSocket(listener_);
}

std::string LoopbackHttpServer::Address() const {
  if (listener_ == kNoSocket) return {};
  return "http://127.0.0.1:" + std::to_string(port_);
}

std::vector<std::string> LoopbackHttpServer::Requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

void LoopbackHttpServer::Serve() {
  while (!stopping_) {
    const SocketHandle connection = AcceptWithin(listener_, kPollMs);
    if (connection == kNoSocket) continue;
    ServeConnection(connection);
    CloseSocket(connection);
  }
}

void LoopbackHttpServer::ServeConnection(SocketHandle connection) {
  // Read the request head; a GET has no body.
  std::string request;
  const auto give_up = std::chrono::steady_clock::now() + kRequestPatience;
  char buffer[4096];
  while (request.find("\r\n\r\n") == std::string::npos && request.size() < kMaxRequestHead) {
    if (stopping_ || std::chrono::steady_clock::now() > give_up) return;
    const long received = ReceiveWithin(connection, buffer, sizeof buffer, kPollMs);
    if (received == 0) break;
    if (received > 0) request.append(buffer, static_cast<std::size_t>(received));
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(request);
  }
  const ScriptedResponse response = respond_(request);
  if (!SendAll(connection, response.bytes)) return;
  const auto stall_end =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(response.stall_ms);
  while (!stopping_ && std::chrono::steady_clock::now() < stall_end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
  }
}

}  // namespace test_support
