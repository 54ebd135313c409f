// HMAC-SHA1 through OpenSSL's libcrypto.
#include "hmac.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>

namespace robothost::onebot {

bool HmacSha1(std::string_view key, std::string_view message, Sha1Digest& digest) {
  unsigned int length = 0;
  const unsigned char* result =
      HMAC(EVP_sha1(), key.data(), static_cast<int>(key.size()),
           reinterpret_cast<const unsigned char*>(message.data()), message.size(), digest.data(),
           &length);
  return result != nullptr && length == digest.size();
}

}  // namespace robothost::onebot
