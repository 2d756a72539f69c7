#include "setup/site_crypto.h"

#include <sodium.h>

#include <algorithm>

#include "base/error.h"

namespace zq {

namespace {

// Picks libsodium's implementations once; nothing here needs its random
// numbers, but sodium_init is what the library asks for first.
void EnsureSodium() {
  static const bool ready = sodium_init() >= 0;
  if (!ready) throw Error("libsodium: sodium_init failed");
}

}  // namespace

Sha256Digest Sha256(const uint8_t* data, size_t n) {
  EnsureSodium();
  Sha256Digest d{};
  crypto_hash_sha256(d.data(), data, n);
  return d;
}

Sha256Digest Sha256(std::string_view bytes) {
  return Sha256(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

KeyId KeyIdOf(const PublicKey& key) {
  const Sha256Digest d = Sha256(key.data(), key.size());
  KeyId id{};
  std::copy_n(d.begin(), id.size(), id.begin());
  return id;
}

bool VerifyEd25519(std::string_view message, const Ed25519Signature& signature, const PublicKey& key) {
  EnsureSodium();
  return crypto_sign_verify_detached(signature.data(), reinterpret_cast<const unsigned char*>(message.data()),
                                     message.size(), key.data()) == 0;
}

}  // namespace zq
