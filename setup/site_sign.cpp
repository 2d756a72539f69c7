// Making keys and signing, apart from the verification so that the program,
// which never signs, doesn't link this.
#include <sodium.h>

#include "base/error.h"
#include "setup/site_crypto.h"

namespace zq {

namespace {

void EnsureSodium() {
  if (sodium_init() < 0) throw Error("libsodium: sodium_init failed");
}

}  // namespace

KeyPair NewKeyPair() {
  EnsureSodium();
  KeyPair k;
  crypto_sign_keypair(k.public_key.data(), k.secret_key.data());
  return k;
}

PublicKey PublicHalf(const SecretKey& key) {
  PublicKey pk{};
  crypto_sign_ed25519_sk_to_pk(pk.data(), key.data());
  return pk;
}

bool IsConsistentSecretKey(const SecretKey& key) {
  EnsureSodium();
  unsigned char seed[crypto_sign_SEEDBYTES];
  crypto_sign_ed25519_sk_to_seed(seed, key.data());
  PublicKey pk{};
  SecretKey sk{};
  crypto_sign_seed_keypair(pk.data(), sk.data(), seed);
  sodium_memzero(seed, sizeof seed);
  const bool same = sk == key;
  sodium_memzero(sk.data(), sk.size());
  return same;
}

Ed25519Signature SignEd25519(std::string_view message, const SecretKey& key) {
  EnsureSodium();
  Ed25519Signature sig{};
  crypto_sign_detached(sig.data(), nullptr, reinterpret_cast<const unsigned char*>(message.data()), message.size(),
                       key.data());
  return sig;
}

}  // namespace zq
