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

// Sets a timeout option in milliseconds; a failure leaves WinINet's own value in place.
void SetTimeout(HINTERNET handle, DWORD option, std::uint32_t milliseconds) {
  DWORD value = milliseconds == 0 ? 1 : milliseconds;
  InternetSetOptionA(handle, option, &value, sizeof value);
}

}  // namespace

std::string HttpGet(const std::string& url) {
  const std::optional<HttpRequestTarget> request = ParseHttpUrl(url);
  if (!request) return {};
  const HttpLimits& limits = CurrentHttpLimits();
  const ULONGLONG deadline = GetTickCount64() + limits.total_timeout_ms;

  InternetHandle session(InternetOpenA(kUserAgent, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
  if (session.get() == nullptr) return {};
  // Children inherit these: connecting may take the connect limit, sending and waiting for the
  // answer at most the whole request's limit.
  SetTimeout(session.get(), INTERNET_OPTION_CONNECT_TIMEOUT, limits.connect_timeout_ms);
  SetTimeout(session.get(), INTERNET_OPTION_SEND_TIMEOUT, limits.total_timeout_ms);
  SetTimeout(session.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, limits.total_timeout_ms);

  InternetHandle connection(InternetConnectA(session.get(), request->host.c_str(), request->port,
                                             nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
  if (connection.get() == nullptr) return {};
  const char* accept_types[] = {"*/*", nullptr};
  InternetHandle http_request(HttpOpenRequestA(
      connection.get(), "GET", request->target.c_str(), "HTTP/1.0", nullptr, accept_types,
      INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE, 0));
  if (http_request.get() == nullptr) return {};
  if (!HttpSendRequestA(http_request.get(), nullptr, 0, nullptr, 0)) return {};

  // The body is read to its end whatever the status. Each read may wait only for what is left
  // of the whole request's time; a failed or timed-out read keeps the bytes read before it.
  std::string body;
  char buffer[8192];
  while (body.size() < limits.max_body_bytes) {
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) break;
    SetTimeout(http_request.get(), INTERNET_OPTION_RECEIVE_TIMEOUT,
               static_cast<std::uint32_t>(deadline - now));
    const DWORD wanted =
        static_cast<DWORD>(std::min(sizeof buffer, limits.max_body_bytes - body.size()));
    DWORD read = 0;
    if (!InternetReadFile(http_request.get(), buffer, wanted, &read) || read == 0) break;
    body.append(buffer, read);
  }
  return body;
}

}  // namespace platform
