// Test support on Windows: loopback TCP sockets over Winsock.
#include <winsock2.h>
#include <ws2tcpip.h>

#include "loopback_socket.h"

namespace test_support {
namespace {

// Winsock must be started once per process before the first socket call.
void StartWinsock() {
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  (void)started;
}

SOCKET Native(SocketHandle socket) { return static_cast<SOCKET>(socket); }

bool WaitReadable(SocketHandle socket, int timeout_ms) {
  WSAPOLLFD entry{Native(socket), POLLRDNORM, 0};
  return WSAPoll(&entry, 1, timeout_ms) > 0;
}

}  // namespace

SocketHandle ListenOnLoopback(std::uint16_t& port) {
  StartWinsock();
  const SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (listener == INVALID_SOCKET) return kNoSocket;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  int length = sizeof address;
  if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener, 16) != 0 ||
      getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    closesocket(listener);
    return kNoSocket;
  }
  port = ntohs(address.sin_port);
  return static_cast<SocketHandle>(listener);
}

SocketHandle AcceptWithin(SocketHandle listener, int timeout_ms) {
  if (!WaitReadable(listener, timeout_ms)) return kNoSocket;
  const SOCKET connection = accept(Native(listener), nullptr, nullptr);
  return connection == INVALID_SOCKET ? kNoSocket : static_cast<SocketHandle>(connection);
}

long ReceiveWithin(SocketHandle socket, char* buffer, std::size_t size, int timeout_ms) {
  if (!WaitReadable(socket, timeout_ms)) return -1;
  const int received = recv(Native(socket), buffer, static_cast<int>(size), 0);
  return received < 0 ? 0 : received;
}

bool SendAll(SocketHandle socket, std::string_view bytes) {
  while (!bytes.empty()) {
    const int sent = send(Native(socket), bytes.data(), static_cast<int>(bytes.size()), 0);
    if (sent <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
  return true;
}

void CloseSocket(SocketHandle socket) {
  if (socket != kNoSocket) closesocket(Native(socket));
}

void KeepFromChildProcesses(SocketHandle socket) {
  SetHandleInformation(reinterpret_cast<HANDLE>(socket), HANDLE_FLAG_INHERIT, 0);
}

std::uint16_t UnusedLoopbackPort() {
  std::uint16_t port = 0;
  CloseSocket(ListenOnLoopback(port));
  return port;
}

}  // namespace test_support
