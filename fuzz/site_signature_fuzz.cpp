// The signature file of a signed site: whatever is accepted is the one
// canonical text of its content (written back byte for byte), the signed
// part is everything before the last line, and the limits hold.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "setup/site_signature.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  size_t line = 0;
  const std::optional<zq::ParsedSignature> p = zq::ParseSiteSignature(bytes, &line);
  if (!p) {
    FUZZ_CHECK(line <= zq::kMaxSignedFiles + 5, "a refused line past the last one there can be");
    return 0;
  }
  FUZZ_CHECK(size <= zq::kMaxSignatureFile, "accepted past the size limit");
  FUZZ_CHECK(p->content.files.size() <= zq::kMaxSignedFiles, "accepted past the file limit");
  FUZZ_CHECK(zq::SignatureFileText(p->content) == bytes, "accepted text is not the content's own text");
  FUZZ_CHECK(zq::SignedText(p->content) == bytes.substr(0, p->signed_length), "signed part is not the text before");
  FUZZ_CHECK(bytes.substr(p->signed_length).starts_with("signature "), "signed part does not end at the signature");
  for (const zq::SignedFile& f : p->content.files) {
    FUZZ_CHECK(!f.name.empty() && f.name.size() <= zq::kMaxSignedName, "name out of bounds");
    FUZZ_CHECK(f.version.size() <= zq::kMaxSignedVersion, "version out of bounds");
    FUZZ_CHECK(f.size >= 0, "negative size");
  }
  return 0;
}
