// HMAC-SHA1 through Windows' CNG (bcrypt.dll), available since Windows Vista.
#include "hmac.h"

#include <windows.h>
// windows.h first: bcrypt.h relies on its types.
#include <bcrypt.h>

#include <limits>

namespace robothost::onebot {
namespace {

bool Succeeded(NTSTATUS status) { return status >= 0; }

// The SHA-1 provider in HMAC mode, opened once for the life of the program (the handle may be
// used from any thread).
BCRYPT_ALG_HANDLE HmacSha1Provider() {
  static const BCRYPT_ALG_HANDLE provider = [] {
    BCRYPT_ALG_HANDLE handle = nullptr;
    if (!Succeeded(BCryptOpenAlgorithmProvider(&handle, BCRYPT_SHA1_ALGORITHM, nullptr,
                                               BCRYPT_ALG_HANDLE_HMAC_FLAG))) {
      handle = nullptr;
    }
    return handle;
  }();
  return provider;
}

}  // namespace

bool HmacSha1(std::string_view key, std::string_view message, Sha1Digest& digest) {
  constexpr std::size_t kMaxLength = std::numeric_limits<ULONG>::max();
  const BCRYPT_ALG_HANDLE provider = HmacSha1Provider();
  if (provider == nullptr || key.size() > kMaxLength || message.size() > kMaxLength) return false;
  BCRYPT_HASH_HANDLE hash = nullptr;
  // CNG takes non-const pointers but does not write through them.
  auto* key_bytes = reinterpret_cast<PUCHAR>(const_cast<char*>(key.data()));
  auto* message_bytes = reinterpret_cast<PUCHAR>(const_cast<char*>(message.data()));
  if (!Succeeded(BCryptCreateHash(provider, &hash, nullptr, 0, key_bytes,
                                  static_cast<ULONG>(key.size()), 0))) {
    return false;
  }
  const bool ok =
      Succeeded(BCryptHashData(hash, message_bytes, static_cast<ULONG>(message.size()), 0)) &&
      Succeeded(BCryptFinishHash(hash, digest.data(), static_cast<ULONG>(digest.size()), 0));
  BCryptDestroyHash(hash);
  return ok;
}

}  // namespace robothost::onebot
