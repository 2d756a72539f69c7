#pragma once
// The cryptography of signed sites, all of it libsodium's: SHA-256 and
// Ed25519. The program only hashes and verifies; signing and making keys
// (site_sign.cpp) are linked only into the vendor's tool and the tests.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "setup/site_key.h"
#include "setup/site_signature.h"

namespace zq {

Sha256Digest Sha256(const uint8_t* data, size_t n);
Sha256Digest Sha256(std::string_view bytes);

// A key's id: the first 8 bytes of the SHA-256 of the public key.
KeyId KeyIdOf(const PublicKey& key);

// True when the signature over `message` is the key's.
bool VerifyEd25519(std::string_view message, const Ed25519Signature& signature, const PublicKey& key);

// Making keys and signing: the tool and the tests only.
struct KeyPair {
  PublicKey public_key{};
  SecretKey secret_key{};
};
KeyPair NewKeyPair();
// True when the secret key's public half is the one its seed gives.
bool IsConsistentSecretKey(const SecretKey& key);
PublicKey PublicHalf(const SecretKey& key);
Ed25519Signature SignEd25519(std::string_view message, const SecretKey& key);

}  // namespace zq
