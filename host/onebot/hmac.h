// HMAC-SHA1, the keyed digest of OneBot's X-Signature header, from the system's cryptography
// library (OpenSSL on POSIX, CNG on Windows).
#pragma once

#include <array>
#include <string_view>

namespace robothost::onebot {

using Sha1Digest = std::array<unsigned char, 20>;

// The HMAC-SHA1 of `message` keyed with `key` into `digest`. False (digest unspecified) only
// when the system library fails; callers then treat the signature as not matching.
[[nodiscard]] bool HmacSha1(std::string_view key, std::string_view message, Sha1Digest& digest);

}  // namespace robothost::onebot
