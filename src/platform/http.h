// The HTTP client facility: one synchronous GET request (WinINet on Windows, libcurl elsewhere).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// Sends GET `url` (plain HTTP, HTTP/1.0, user agent
// "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)", "Accept: */*", no cache, no proxy)
// and yields the response body read to its end whatever the status code. A request that
// cannot be made (not an http:// URL, no connection, send failure) yields the empty body; a
// read that fails or runs out of time part-way yields what was read. The body is cut at the
// size limit below. A '#' ends the request target (the rest is a fragment and is not sent);
// blanks, control bytes, backslashes and dot segments travel percent-encoded, every other byte
// as it is (see ParseHttpUrl in http_url.h). Redirects are followed over plain HTTP.
std::string HttpGet(const std::string& url);

// Bounds that keep a broken or hostile service from holding the host's thread or memory.
struct HttpLimits {
  std::uint32_t connect_timeout_ms = 10'000;  // to have the connection established
  std::uint32_t total_timeout_ms = 30'000;    // for the whole request, body included
  std::size_t max_body_bytes = 1 << 20;       // bytes kept; reading stops there
};

// The limits HttpGet applies: the defaults above unless a test installed others.
const HttpLimits& CurrentHttpLimits();

// Installs `limits` (which must outlive its use) for HttpGet; nullptr restores the defaults.
void SetHttpLimitsForTesting(const HttpLimits* limits);

}  // namespace platform
