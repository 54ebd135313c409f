// Test support on POSIX: loopback TCP sockets over the BSD socket calls.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>

#include "loopback_socket.h"

namespace test_support {
namespace {

bool WaitReadable(SocketHandle socket, int timeout_ms) {
  pollfd entry{static_cast<int>(socket), POLLIN, 0};
  return poll(&entry, 1, timeout_ms) > 0;
}

}  // namespace

SocketHandle ListenOnLoopback(std::uint16_t& port) {
  // A client that hangs up early must not end the test process with SIGPIPE.
  std::signal(SIGPIPE, SIG_IGN);
  const int listener = socket(AF_INET, SOCK_STREAM, 0);
  if (listener < 0) return kNoSocket;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof address;
  if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener, 16) != 0 ||
      getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    close(listener);
    return kNoSocket;
  }
  port = ntohs(address.sin_port);
  return listener;
}

SocketHandle AcceptWithin(SocketHandle listener, int timeout_ms) {
  if (!WaitReadable(listener, timeout_ms)) return kNoSocket;
  const int connection = accept(static_cast<int>(listener), nullptr, nullptr);
  return connection < 0 ? kNoSocket : connection;
}

long ReceiveWithin(SocketHandle socket, char* buffer, std::size_t size, int timeout_ms) {
  if (!WaitReadable(socket, timeout_ms)) return -1;
  const ssize_t received = recv(static_cast<int>(socket), buffer, size, 0);
  return received < 0 ? 0 : static_cast<long>(received);
}

bool SendAll(SocketHandle socket, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t sent = send(static_cast<int>(socket), bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
  return true;
}

void CloseSocket(SocketHandle socket) {
  if (socket != kNoSocket) close(static_cast<int>(socket));
}

void KeepFromChildProcesses(SocketHandle socket) {
  fcntl(static_cast<int>(socket), F_SETFD, FD_CLOEXEC);
}

std::uint16_t UnusedLoopbackPort() {
  std::uint16_t port = 0;
  CloseSocket(ListenOnLoopback(port));
  return port;
}

}  // namespace test_support
