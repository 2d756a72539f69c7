#pragma once
// The key files of a signed site. zq-publish --new-key NAME writes both:
//   NAME.pub  "ZQSITE public key 1\n" and 64 lower-case hex digits and "\n"
//             (the 32-byte Ed25519 public key)
//   NAME.key  "ZQSITE secret key 1\n" and 128 lower-case hex digits and "\n"
//             (libsodium's 64-byte Ed25519 secret key: seed, then public key)
// Nothing else is accepted: no other line ends, no blanks, no upper case.
//
// The readers are constexpr: a keyed program's keys are read from the .pub
// files' text while the program is compiled, so a file that isn't one stops
// the build (a throw cannot be evaluated at compile time).
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "base/text.h"

namespace zq {

inline constexpr size_t kPublicKeyBytes = 32;
inline constexpr size_t kSecretKeyBytes = 64;
inline constexpr std::string_view kPublicKeyHeader = "ZQSITE public key 1\n";
inline constexpr std::string_view kSecretKeyHeader = "ZQSITE secret key 1\n";

using PublicKey = std::array<uint8_t, kPublicKeyBytes>;
using SecretKey = std::array<uint8_t, kSecretKeyBytes>;

// The value of a lower-case hex digit, or -1 (keys are written in lower case).
constexpr int LowerHexDigitValue(char c) { return c >= 'A' && c <= 'F' ? -1 : HexDigitValue(c); }

// Exactly 2*N lower-case hex digits into N bytes; nothing when they aren't.
template <size_t N>
constexpr std::optional<std::array<uint8_t, N>> BytesFromHex(std::string_view hex) {
  if (hex.size() != 2 * N) return std::nullopt;
  std::array<uint8_t, N> out{};
  for (size_t i = 0; i < N; ++i) {
    const int hi = LowerHexDigitValue(hex[2 * i]);
    const int lo = LowerHexDigitValue(hex[2 * i + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    out[i] = static_cast<uint8_t>(hi * 16 + lo);
  }
  return out;
}

template <size_t N>
constexpr std::optional<std::array<uint8_t, N>> KeyFromText(std::string_view text, std::string_view header) {
  if (text.size() != header.size() + 2 * N + 1 || text.substr(0, header.size()) != header || text.back() != '\n')
    return std::nullopt;
  return BytesFromHex<N>(text.substr(header.size(), 2 * N));
}

constexpr std::optional<PublicKey> ParsePublicKeyText(std::string_view text) {
  return KeyFromText<kPublicKeyBytes>(text, kPublicKeyHeader);
}
constexpr std::optional<SecretKey> ParseSecretKeyText(std::string_view text) {
  return KeyFromText<kSecretKeyBytes>(text, kSecretKeyHeader);
}

// For the generated header of a keyed program: the key, or a build error.
consteval PublicKey CompiledPublicKey(std::string_view text) {
  const std::optional<PublicKey> key = ParsePublicKeyText(text);
  if (!key) throw "not a ZQSITE public key file";
  return *key;
}

}  // namespace zq
