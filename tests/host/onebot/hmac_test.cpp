// The HMAC-SHA1 behind OneBot's X-Signature, against published test vectors (RFC 2202), from
// OpenSSL on Linux and from Windows' CNG under wine64.
#include <string>

#include <gtest/gtest.h>

#include "onebot/hmac.h"

namespace {

std::string Hex(const robothost::onebot::Sha1Digest& digest) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text;
  for (const unsigned char byte : digest) {
    text += kHex[byte >> 4];
    text += kHex[byte & 0x0F];
  }
  return text;
}

TEST(HmacSha1, MatchesPublishedVectors) {
  struct Case {
    std::string key;
    std::string message;
    const char* digest;
  };
  const Case cases[] = {
      {std::string(20, '\x0b'), "Hi There", "b617318655057264e28bc0b6fb378c8ef146be00"},
      {"Jefe", "what do ya want for nothing?", "effcdf6ae5eb2fa2d27416d5f184df9c259a7c79"},
      // A key longer than SHA-1's block is hashed first.
      {std::string(80, '\xaa'), "Test Using Larger Than Block-Size Key - Hash Key First",
       "aa4ae5e15272d00e95705637ce8a3b55ed402112"},
      // Nothing at all: a secret of "" is never used for signatures, but must not fail.
      {"", "", "fbdb1d1b18aa6c08324b7d64b71fb76370690e1d"},
      // Bytes beyond ASCII and a zero byte inside the message.
      {"key", std::string("\xe4\xb8\xad\0x", 5), "e9ec45f59485d94a7767987632e77c87597fe4c4"},
  };
  for (const Case& c : cases) {
    robothost::onebot::Sha1Digest digest;
    ASSERT_TRUE(robothost::onebot::HmacSha1(c.key, c.message, digest)) << c.message;
    EXPECT_EQ(Hex(digest), c.digest) << c.message;
  }
}

}  // namespace
