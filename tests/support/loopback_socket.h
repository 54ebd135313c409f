// Test support: the few TCP socket calls the loopback servers of the tests need, over BSD
// sockets or Winsock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace test_support {

using SocketHandle = std::intptr_t;
inline constexpr SocketHandle kNoSocket = -1;

// A socket listening on 127.0.0.1 at a port the system picks, stored in `port`; kNoSocket
// when the system refuses.
SocketHandle ListenOnLoopback(std::uint16_t& port);

// The next connection, or kNoSocket when none arrives within `timeout_ms`.
SocketHandle AcceptWithin(SocketHandle listener, int timeout_ms);

// Up to `size` received bytes; 0 when the peer closed or the connection failed, -1 after
// `timeout_ms` without data.
long ReceiveWithin(SocketHandle socket, char* buffer, std::size_t size, int timeout_ms);

// Sends all of `bytes`; false when the connection broke.
bool SendAll(SocketHandle socket, std::string_view bytes);

// Closes a socket; kNoSocket does nothing.
void CloseSocket(SocketHandle socket);

// Keeps `socket` out of the child processes started later, so that a listening port is free
// again once this process closes it, whatever its children do.
void KeepFromChildProcesses(SocketHandle socket);

// A loopback port on which nothing listens: bound, then released again.
std::uint16_t UnusedLoopbackPort();

}  // namespace test_support
