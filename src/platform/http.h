// The HTTP client facility: one synchronous GET request (WinINet on Windows, libcurl elsewhere).
#pragma once

#include <string>

namespace platform {

// Sends GET `url` (plain HTTP, HTTP/1.0, user agent
// "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)", "Accept: */*", no cache, no proxy)
// and yields the response body read to its end whatever the status code. A request that
// cannot be made yields the empty body; a read that fails part-way yields what was read.
std::string HttpGet(const std::string& url);

}  // namespace platform
