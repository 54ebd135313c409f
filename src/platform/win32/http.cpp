// HTTP GET on POSIX (not built yet: every request fails with the empty body).
#include "platform/http.h"

namespace platform {

std::string HttpGet(const std::string&) { return {}; }

}  // namespace platform
