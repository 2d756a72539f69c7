#pragma once
// What a keyed program checks of a signed site, and the words it fails with.
// Every check raises zq::Error with the message of the error box.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "setup/manifest.h"
#include "setup/site_key.h"
#include "setup/site_contract.h"
#include "setup/site_signature.h"

namespace zq {

// The largest serial file read back.
inline constexpr size_t kMaxSerialFile = 64;

// The message for a signature file that could not be fetched.
std::string MissingSignatureMessage(const std::string& reason);

// The file's content when it is well formed, signed by one of the keys
// (chosen by its key id) and its signature holds.
SiteSignature VerifySignatureFile(std::string_view bytes, std::span<const PublicKey> keys);

// The manifest's bytes must hash to the signed value, and its lines must be
// the signed ones, one by one.
void CheckSignedManifest(const SiteSignature& s, std::string_view manifest_bytes, const ManifestList& lines);

// The serial kept in the installation folder (its file's text), or nothing
// when there is no such file; raises when the text is not a serial.
std::optional<uint64_t> StoredSerial(const std::optional<std::string>& file_text, const std::string& path);
// The site's serial must not be lower than the stored one.
void CheckSerial(uint64_t site, std::optional<uint64_t> stored);
std::string SerialFileText(uint64_t serial);

// A cabinet's announced or received length against the signed size, and its
// bytes against the signed hash. folder and cab only shape the message.
std::string CabinetLengthMessage(const std::string& folder, const std::string& cab, const char* what,
                                 int64_t length, int32_t signed_size);
void CheckSignedCabinet(const SignedFile& f, const uint8_t* data, size_t n, const std::string& folder,
                        const std::string& cab);

}  // namespace zq
