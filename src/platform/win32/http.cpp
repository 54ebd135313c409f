// HTTP GET on Windows through WinINet: a direct HTTP/1.0 request that bypasses the cache.
#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <optional>
#include <string>

#include "platform/http.h"
#include "platform/http_url.h"

namespace platform {
namespace {

constexpr const char* kUserAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

class InternetHandle {
 public:
  explicit InternetHandle(HINTERNET handle) : handle_(handle) {}
  ~InternetHandle() {
    if (handle_ != nullptr) InternetCloseHandle(handle_);
  }
  InternetHandle(const InternetHandle&) = delete;
  InternetHandle& operator=(const InternetHandle&) = delete;
  HINTERNET get() const { return handle_; }

 private:
  HINTERNET handle_;
};

// Sets the time limits on one handle. WinINet should hand them down from the session to the
// connection and the request, but not every implementation does (Wine keeps its defaults), so
// each handle gets them.
void SetTimeouts(HINTERNET handle, const HttpLimits& limits, std::uint32_t receive_ms) {
  const auto set = [handle](DWORD option, std::uint32_t milliseconds) {
    DWORD value = milliseconds == 0 ? 1 : milliseconds;
    InternetSetOptionA(handle, option, &value, sizeof value);
  };
  set(INTERNET_OPTION_CONNECT_TIMEOUT, limits.connect_timeout_ms);
  set(INTERNET_OPTION_SEND_TIMEOUT, limits.total_timeout_ms);
  set(INTERNET_OPTION_RECEIVE_TIMEOUT, receive_ms);
}

}  // namespace

std::string HttpGet(const std::string& url) {
  const std::optional<HttpRequestTarget> request = ParseHttpUrl(url);
  if (!request) return {};
  const HttpLimits& limits = CurrentHttpLimits();
  const ULONGLONG deadline = GetTickCount64() + limits.total_timeout_ms;

  InternetHandle session(InternetOpenA(kUserAgent, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
  if (session.get() == nullptr) return {};
  // Connecting may take the connect limit, sending and waiting for the answer at most the
  // whole request's limit.
  SetTimeouts(session.get(), limits, limits.total_timeout_ms);

  InternetHandle connection(InternetConnectA(session.get(), request->host.c_str(), request->port,
                                             nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
  if (connection.get() == nullptr) return {};
  SetTimeouts(connection.get(), limits, limits.total_timeout_ms);
  const char* accept_types[] = {"*/*", nullptr};
  InternetHandle http_request(HttpOpenRequestA(
      connection.get(), "GET", request->target.c_str(), "HTTP/1.0", nullptr, accept_types,
      INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE, 0));
  if (http_request.get() == nullptr) return {};
  SetTimeouts(http_request.get(), limits, limits.total_timeout_ms);
  if (!HttpSendRequestA(http_request.get(), nullptr, 0, nullptr, 0)) return {};

  // The body is read to its end whatever the status. A read asks only for the bytes already
  // there, since a read for more waits until it has them all and would lose the bytes that came
  // before a stall. Each wait may take only what is left of the whole request's time; a failed
  // or timed-out wait keeps the bytes read before it.
  std::string body;
  char buffer[8192];
  while (body.size() < limits.max_body_bytes) {
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) break;
    SetTimeouts(http_request.get(), limits, static_cast<std::uint32_t>(deadline - now));
    DWORD available = 0;
    if (!InternetQueryDataAvailable(http_request.get(), &available, 0, 0) || available == 0) break;
    const DWORD wanted = static_cast<DWORD>(
        std::min({sizeof buffer, limits.max_body_bytes - body.size(), std::size_t{available}}));
    DWORD read = 0;
    if (!InternetReadFile(http_request.get(), buffer, wanted, &read) || read == 0) break;
    body.append(buffer, read);
  }
  return body;
}

}  // namespace platform
