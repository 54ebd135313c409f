// The adapter's network side: the reverse WebSocket server, the forward WebSocket client, the
// HTTP POST event server and the HTTP API client. Everything that touches Boost.Beast lives behind this one function.
#pragma once

#include "adapter.h"
#include "config.h"

namespace robothost::onebot {

// Listens on the configured addresses (and keeps the forward WebSocket connected, redialling
// with back-off) and feeds group messages to `adapter` until SIGINT or SIGTERM, then closes
// every connection and stops redialling. Returns 0 after such a stop, 1 when a listening
// address cannot be opened. The adapter must have started; it has stopped when this returns.
int RunNetwork(const Config& config, Adapter& adapter);

}  // namespace robothost::onebot
