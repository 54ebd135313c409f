// How both HTTP clients turn a URL into a connection and a request target, so that they send
// the same request line whatever the library would have made of the raw URL.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

struct HttpRequestTarget {
  std::string authority;  // host and port as written in the URL ("127.0.0.1:8080")
  std::string host;       // the host alone, IPv6 brackets removed
  std::uint16_t port = 80;
  std::string target;     // path and query as sent in the request line, starting with '/'
};

// Splits an http:// URL (scheme in any case). The request target ends at the first '#'. In it,
// blanks, control bytes and backslashes become %XX escapes, as do the dots of a segment that
// is "." or ".." alone: a raw blank or line break would end the request line early and let the
// rest pose as headers, WinINet reads a backslash as '/', and dot segments would be resolved
// away so that text typed into the query could change the path. Every other byte, '%' and GBK
// bytes included, is kept as it is. Yields nothing for another scheme, an empty or malformed
// host, user information, or a port outside 1..65535.
std::optional<HttpRequestTarget> ParseHttpUrl(std::string_view url);

}  // namespace platform
