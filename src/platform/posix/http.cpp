// HTTP GET on POSIX through libcurl, set up to send what the Windows client (WinINet) sends.
#include <curl/curl.h>

#include <optional>
#include <string>

#include "platform/http.h"
#include "platform/http_url.h"

namespace platform {
namespace {

constexpr const char* kUserAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

// Where the write callback keeps the body, and how much of it it may keep.
struct BodySink {
  std::string body;
  std::size_t limit = 0;
};

// Appends a piece of the body. At the limit it keeps what fits and reports a short write,
// which makes libcurl stop the transfer; the bytes kept so far remain the body.
std::size_t AppendBody(char* data, std::size_t size, std::size_t count, void* user) {
  auto* sink = static_cast<BodySink*>(user);
  const std::size_t length = size * count;
  const std::size_t room = sink->limit - sink->body.size();
  if (length > room) {
    sink->body.append(data, room);
    return 0;
  }
  sink->body.append(data, length);
  return length;
}

class CurlHandle {
 public:
  CurlHandle() : handle_(curl_easy_init()) {}
  ~CurlHandle() {
    if (handle_ != nullptr) curl_easy_cleanup(handle_);
  }
  CurlHandle(const CurlHandle&) = delete;
  CurlHandle& operator=(const CurlHandle&) = delete;
  CURL* get() const { return handle_; }

 private:
  CURL* handle_;
};

class HeaderList {
 public:
  HeaderList() = default;
  ~HeaderList() { curl_slist_free_all(list_); }
  HeaderList(const HeaderList&) = delete;
  HeaderList& operator=(const HeaderList&) = delete;
  // False when the list could not grow.
  [[nodiscard]] bool Add(const char* header) {
    curl_slist* grown = curl_slist_append(list_, header);
    if (grown == nullptr) return false;
    list_ = grown;
    return true;
  }
  curl_slist* get() const { return list_; }

 private:
  curl_slist* list_ = nullptr;
};

}  // namespace

std::string HttpGet(const std::string& url) {
  const std::optional<HttpRequestTarget> request = ParseHttpUrl(url);
  if (!request) return {};
  const HttpLimits& limits = CurrentHttpLimits();

  CurlHandle curl;
  HeaderList headers;
  if (curl.get() == nullptr || !headers.Add("Accept: */*") || !headers.Add("Pragma: no-cache") ||
      !headers.Add("Expect:")) {
    return {};
  }
  // The URL is rebuilt from the parts, so the fragment is gone and blanks are escaped: libcurl
  // refuses a raw blank outright, where WinINet would escape it.
  const std::string effective_url = "http://" + request->authority + request->target;
  BodySink sink;
  sink.limit = limits.max_body_bytes;

  CURL* handle = curl.get();
  bool ok = curl_easy_setopt(handle, CURLOPT_URL, effective_url.c_str()) == CURLE_OK;
  // The request target goes out as given: no dot-segment clean-up, like WinINet.
  ok = ok && curl_easy_setopt(handle, CURLOPT_PATH_AS_IS, 1L) == CURLE_OK;
  ok = ok && curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http") == CURLE_OK;
  ok = ok && curl_easy_setopt(handle, CURLOPT_HTTP_VERSION,
                              static_cast<long>(CURL_HTTP_VERSION_1_0)) == CURLE_OK;
  ok = ok && curl_easy_setopt(handle, CURLOPT_HTTPGET, 1L) == CURLE_OK;
  ok = ok && curl_easy_setopt(handle, CURLOPT_USERAGENT, kUserAgent) == CURLE_OK;
  ok = ok && curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers.get()) == CURLE_OK;
  // A direct connection: no proxy from the environment (http_proxy and the like) either.
  ok = ok && curl_easy_setopt(handle, CURLOPT_PROXY, "") == CURLE_OK;
  ok = ok && curl_easy_setopt(handle, CURLOPT_NOPROXY, "*") == CURLE_OK;
  // WinINet follows redirects on its own; do the same, over plain HTTP only.
  ok = ok && curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L) == CURLE_OK;
  ok = ok && curl_easy_setopt(handle, CURLOPT_MAXREDIRS, 10L) == CURLE_OK;
  ok = ok && curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http") == CURLE_OK;
  // An error status still has a body, and the body is the answer.
  ok = ok && curl_easy_setopt(handle, CURLOPT_FAILONERROR, 0L) == CURLE_OK;
  ok = ok && curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS,
                              static_cast<long>(limits.connect_timeout_ms)) == CURLE_OK;
  ok = ok && curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS,
                              static_cast<long>(limits.total_timeout_ms)) == CURLE_OK;
  // The host's process owns its signals; timeouts must not use SIGALRM.
  ok = ok && curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L) == CURLE_OK;
  ok = ok && curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &AppendBody) == CURLE_OK;
  ok = ok && curl_easy_setopt(handle, CURLOPT_WRITEDATA, &sink) == CURLE_OK;
  if (!ok) return {};

  // Whatever the outcome, the bytes received so far are the body: empty when nothing came.
  curl_easy_perform(handle);
  return std::move(sink.body);
}

}  // namespace platform
