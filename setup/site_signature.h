#pragma once
// The signature file of a signed site, BinZQ/ZQSITE.SIG: what the vendor's
// key vouches for. Text of lines, each ended by LF alone:
//
//   ZQSITE.SIG 1                      format number
//   key K                             key id: 16 hex digits
//   serial S                          1 to 19 decimal digits, no leading 0
//   manifest H                        SHA-256 of the manifest's exact bytes
//   file NAME=VERSION;SIZE;H          one per manifest line, in its order
//   signature G                       Ed25519 over every byte before this line
//
// Hex digits are lower case; H is 64 of them, G 128. NAME is 1 to 259 bytes
// of printable ASCII without "=" or ";"; VERSION 0 to 255 bytes, none of
// them a control byte, DEL or ";"; SIZE is the cabinet's size, 0 to
// 2147483647 without leading 0. Every field is read exactly: one blank after
// the word, nothing before or after. The file is at most kMaxSignatureFile
// bytes with at most kMaxSignedFiles file lines; anything else is refused.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zq {

inline constexpr uint32_t kSignatureFormat = 1;
inline constexpr size_t kMaxSignatureFile = 1 << 20;
inline constexpr size_t kMaxSignedFiles = 4096;
inline constexpr size_t kMaxSignedName = 259;
inline constexpr size_t kMaxSignedVersion = 255;

using Sha256Digest = std::array<uint8_t, 32>;
using KeyId = std::array<uint8_t, 8>;
using Ed25519Signature = std::array<uint8_t, 64>;

struct SignedFile {
  std::string name;
  std::string version;
  int32_t size = 0;
  Sha256Digest hash{};

  // The manifest line this entry vouches for, without its line break.
  std::string ManifestLine() const;
  bool operator==(const SignedFile&) const = default;
};

struct SiteSignature {
  KeyId key{};
  uint64_t serial = 0;
  Sha256Digest manifest{};
  std::vector<SignedFile> files;
  Ed25519Signature signature{};
};

// The signed part: every line but the last.
std::string SignedText(const SiteSignature& s);
// The whole file: the signed part and the signature line.
std::string SignatureFileText(const SiteSignature& s);

struct ParsedSignature {
  SiteSignature content;
  size_t signed_length = 0;  // bytes covered by the signature
};

// The file's content, or nothing when it breaks any rule above; then *line
// (when given) is the number of the first line that does (0: the size).
std::optional<ParsedSignature> ParseSiteSignature(std::string_view bytes, size_t* line = nullptr);

// Lower-case hex of the bytes.
std::string HexText(const uint8_t* data, size_t n);
template <size_t N>
std::string HexText(const std::array<uint8_t, N>& a) {
  return HexText(a.data(), N);
}

}  // namespace zq
