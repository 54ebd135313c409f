// What the two HTTP clients share: the request limits and the URL split.
#include <string>

#include "platform/http.h"
#include "platform/http_url.h"

namespace platform {
namespace {

const HttpLimits default_limits;
const HttpLimits* limits_for_testing = nullptr;

constexpr bool IsControlOrBlank(unsigned char byte) { return byte <= 0x20 || byte == 0x7F; }

// Appends one byte of the request target, escaped when a client or a server on the way could
// otherwise take it for something else: a blank or a control byte would end the request line,
// a backslash is read as '/' by WinINet, and a "." or ".." segment (`in_dot_segment`) would be
// resolved against the path before it, so text typed into the query could climb out of it.
void AppendTargetByte(std::string& target, char c, bool in_dot_segment) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  const auto byte = static_cast<unsigned char>(c);
  if (IsControlOrBlank(byte) || c == '\\' || (in_dot_segment && c == '.')) {
    target += '%';
    target += kHex[byte >> 4];
    target += kHex[byte & 0x0F];
  } else {
    target += c;
  }
}

bool IsDecimal(std::string_view text) {
  if (text.empty()) return false;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

}  // namespace

const HttpLimits& CurrentHttpLimits() {
  return limits_for_testing != nullptr ? *limits_for_testing : default_limits;
}

void SetHttpLimitsForTesting(const HttpLimits* limits) { limits_for_testing = limits; }

std::optional<HttpRequestTarget> ParseHttpUrl(std::string_view url) {
  url = url.substr(0, url.find('#'));
  constexpr std::string_view kScheme = "http://";
  if (url.size() < kScheme.size()) return std::nullopt;
  for (std::size_t i = 0; i < kScheme.size(); ++i) {
    const char c = url[i];
    const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    if (lower != kScheme[i]) return std::nullopt;
  }
  url.remove_prefix(kScheme.size());

  HttpRequestTarget result;
  const std::size_t authority_end = url.find_first_of("/?");
  result.authority = std::string(url.substr(0, authority_end));
  const std::string_view rest =
      authority_end == std::string_view::npos ? std::string_view() : url.substr(authority_end);
  for (const char c : result.authority) {
    if (IsControlOrBlank(static_cast<unsigned char>(c)) || c == '@' || c == '\\') {
      return std::nullopt;
    }
  }

  std::string_view host = result.authority;
  std::string_view port;
  if (!host.empty() && host.front() == '[') {
    const std::size_t close = host.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    const std::string_view after = host.substr(close + 1);
    if (!after.empty()) {
      if (after.front() != ':') return std::nullopt;
      port = after.substr(1);
    }
    host = host.substr(1, close - 1);
  } else if (const std::size_t colon = host.find(':'); colon != std::string_view::npos) {
    port = host.substr(colon + 1);
    host = host.substr(0, colon);
    if (host.find(':') != std::string_view::npos) return std::nullopt;
  }
  if (host.empty()) return std::nullopt;
  result.host = std::string(host);
  if (!port.empty()) {
    if (!IsDecimal(port) || port.size() > 5) return std::nullopt;
    unsigned number = 0;
    for (const char c : port) number = number * 10 + static_cast<unsigned>(c - '0');
    if (number == 0 || number > 65535) return std::nullopt;
    result.port = static_cast<std::uint16_t>(number);
  }

  if (rest.empty() || rest.front() != '/') result.target.push_back('/');
  // Segment by segment, so that a segment of dots alone can be told apart.
  std::size_t segment_start = 0;
  for (std::size_t i = 0; i <= rest.size(); ++i) {
    if (i < rest.size() && rest[i] != '/') continue;
    const std::string_view segment = rest.substr(segment_start, i - segment_start);
    const bool dots_only = segment == "." || segment == "..";
    for (const char c : segment) AppendTargetByte(result.target, c, dots_only);
    if (i < rest.size()) result.target += '/';
    segment_start = i + 1;
  }
  return result;
}

}  // namespace platform
