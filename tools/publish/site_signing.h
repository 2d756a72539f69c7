#pragma once
// The vendor's side of signed sites: key files, the serial of the next
// publication, and the signature file of a site.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "setup/site_key.h"
#include "setup/site_signature.h"

namespace zq {

// Writes NAME.key (mode 0600) and NAME.pub for a fresh key pair. Refuses,
// writing nothing, when either file exists.
void WriteNewKeyFiles(const std::string& name);

// The secret key of a NAME.key file; raises unless the file is one (its
// exact text, and a public half that its seed gives).
SecretKey ReadSecretKeyFile(const std::string& path);

// The serial of the site at output_dir/BinZQ/ZQSITE.SIG, nothing when the
// site has no signature file; raises when it has one that can't be read.
std::optional<uint64_t> PreviousSerial(const std::string& output_dir);

// The next serial: the time in seconds, or the previous serial plus one
// when that is higher (a clock set back, two publications in one second).
uint64_t NextSerial(std::optional<uint64_t> previous, uint64_t now_seconds);

struct SignedCabinet {
  std::string name;
  std::string version;
  std::uint64_t size;
  Sha256Digest hash;
};

// The signature file's text for these manifest bytes and lines.
std::string SignSite(const SecretKey& key, uint64_t serial, const std::string& manifest,
                     const std::vector<SignedCabinet>& files);

}  // namespace zq
