#include "setup/site_signature.h"

#include "setup/site_key.h"

namespace zq {

namespace {

constexpr std::string_view kFirstLine = "ZQSITE.SIG 1";

// A decimal number of 1 to max_digits digits without leading 0, at most max.
std::optional<uint64_t> Decimal(std::string_view text, size_t max_digits, uint64_t max) {
  if (text.empty() || text.size() > max_digits || (text[0] == '0' && text.size() > 1)) return std::nullopt;
  uint64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + static_cast<uint64_t>(c - '0');  // 19 digits fit in 64 bits
  }
  if (v > max) return std::nullopt;
  return v;
}

// The text after "word " when the line is that.
std::optional<std::string_view> Field(std::string_view line, std::string_view word) {
  if (line.size() <= word.size() || line.substr(0, word.size()) != word || line[word.size()] != ' ')
    return std::nullopt;
  return line.substr(word.size() + 1);
}

bool IsNameByte(unsigned char c) { return c >= 0x20 && c < 0x7F && c != '=' && c != ';'; }
bool IsVersionByte(unsigned char c) { return c >= 0x20 && c != 0x7F && c != ';'; }

std::optional<SignedFile> FileLine(std::string_view text) {
  const size_t eq = text.find('=');
  if (eq == 0 || eq == std::string_view::npos || eq > kMaxSignedName) return std::nullopt;
  SignedFile f;
  f.name = std::string(text.substr(0, eq));
  for (unsigned char c : f.name)
    if (!IsNameByte(c)) return std::nullopt;
  const size_t semi = text.find(';', eq + 1);
  if (semi == std::string_view::npos || semi - eq - 1 > kMaxSignedVersion) return std::nullopt;
  f.version = std::string(text.substr(eq + 1, semi - eq - 1));
  for (unsigned char c : f.version)
    if (!IsVersionByte(c)) return std::nullopt;
  const size_t semi2 = text.find(';', semi + 1);
  if (semi2 == std::string_view::npos) return std::nullopt;
  const std::optional<uint64_t> size = Decimal(text.substr(semi + 1, semi2 - semi - 1), 10, 2147483647);
  const std::optional<Sha256Digest> hash = BytesFromHex<32>(text.substr(semi2 + 1));
  if (!size || !hash) return std::nullopt;
  f.size = static_cast<int32_t>(*size);
  f.hash = *hash;
  return f;
}

}  // namespace

std::string HexText(const uint8_t* data, size_t n) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  out.reserve(2 * n);
  for (size_t i = 0; i < n; ++i) {
    out += kDigits[data[i] >> 4];
    out += kDigits[data[i] & 15];
  }
  return out;
}

std::string SignedFile::ManifestLine() const {
  return name + "=" + version + ";" + std::to_string(size);
}

std::string SignedText(const SiteSignature& s) {
  std::string t = std::string(kFirstLine) + "\n";
  t += "key " + HexText(s.key) + "\n";
  t += "serial " + std::to_string(s.serial) + "\n";
  t += "manifest " + HexText(s.manifest) + "\n";
  for (const SignedFile& f : s.files) t += "file " + f.ManifestLine() + ";" + HexText(f.hash) + "\n";
  return t;
}

std::string SignatureFileText(const SiteSignature& s) {
  return SignedText(s) + "signature " + HexText(s.signature) + "\n";
}

std::optional<ParsedSignature> ParseSiteSignature(std::string_view bytes, size_t* line_out) {
  size_t line_no = 0;
  const auto fail = [&]() -> std::optional<ParsedSignature> {
    if (line_out) *line_out = line_no;
    return std::nullopt;
  };
  if (bytes.size() > kMaxSignatureFile) return fail();

  ParsedSignature p;
  SiteSignature& s = p.content;
  size_t pos = 0;
  // The next line without its LF; nothing when the bytes end without one.
  const auto next = [&]() -> std::optional<std::string_view> {
    ++line_no;
    const size_t end = bytes.find('\n', pos);
    if (end == std::string_view::npos) return std::nullopt;
    const std::string_view l = bytes.substr(pos, end - pos);
    pos = end + 1;
    return l;
  };

  std::optional<std::string_view> l = next();
  if (!l || *l != kFirstLine) return fail();

  l = next();
  std::optional<std::string_view> f = l ? Field(*l, "key") : std::nullopt;
  const std::optional<KeyId> key = f ? BytesFromHex<8>(*f) : std::nullopt;
  if (!key) return fail();
  s.key = *key;

  l = next();
  f = l ? Field(*l, "serial") : std::nullopt;
  const std::optional<uint64_t> serial = f ? Decimal(*f, 19, UINT64_MAX) : std::nullopt;
  if (!serial) return fail();
  s.serial = *serial;

  l = next();
  f = l ? Field(*l, "manifest") : std::nullopt;
  const std::optional<Sha256Digest> manifest = f ? BytesFromHex<32>(*f) : std::nullopt;
  if (!manifest) return fail();
  s.manifest = *manifest;

  for (;;) {
    const size_t start = pos;
    l = next();
    if (!l) return fail();
    if (const std::optional<std::string_view> sig = Field(*l, "signature")) {
      const std::optional<Ed25519Signature> g = BytesFromHex<64>(*sig);
      if (!g || pos != bytes.size()) return fail();
      s.signature = *g;
      p.signed_length = start;
      return p;
    }
    f = Field(*l, "file");
    const std::optional<SignedFile> file = f ? FileLine(*f) : std::nullopt;
    if (!file || s.files.size() == kMaxSignedFiles) return fail();
    s.files.push_back(*file);
  }
}

}  // namespace zq
