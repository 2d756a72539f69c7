#include "setup/site_crypto.h"

#include <sodium.h>

#include <algorithm>

// No sodium_init here. What the program calls (SHA-256, and Ed25519
// verification over ref10 and SHA-512) is plain C that libsodium never
// dispatches at run time and that needs no random numbers; sodium_init
// would only pick implementations of other primitives (Argon2, BLAKE2b,
// Poly1305, Curve25519, ChaCha20, Salsa20), and linking it pulls every one
// of them into SetupZQ.exe (about 300 KB). Signing (site_sign.cpp) does call it.

namespace zq {

Sha256Digest Sha256(const uint8_t* data, size_t n) {
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
  return crypto_sign_ed25519_verify_detached(signature.data(), reinterpret_cast<const unsigned char*>(message.data()),
                                             message.size(), key.data()) == 0;
}

}  // namespace zq
