#include "site_signing.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/error.h"
#include "file_bytes.h"
#include "setup/site_crypto.h"
#include "site_rules.h"

namespace zq {
namespace {

bool Exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 || errno != ENOENT;
}

// Creates the file (never over an existing one) and writes the text.
void WriteExclusive(const std::string& path, const std::string& text, mode_t mode) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  if (fd < 0) throw Error("can't create " + path + ": " + std::strerror(errno));
  const ssize_t n = ::write(fd, text.data(), text.size());
  const int saved = errno;
  const bool ok = n == static_cast<ssize_t>(text.size()) && ::fsync(fd) == 0;
  ::close(fd);
  if (!ok) {
    ::unlink(path.c_str());
    throw Error("can't write " + path + ": " + std::strerror(n < 0 ? saved : EIO));
  }
}

}  // namespace

void WriteNewKeyFiles(const std::string& name) {
  const std::string secret = name + ".key";
  const std::string pub = name + ".pub";
  for (const std::string& p : {secret, pub}) {
    if (Exists(p)) throw Error(p + " exists; a key file is never overwritten (choose another name)");
  }
  KeyPair k = NewKeyPair();
  std::string secret_text = std::string(kSecretKeyHeader) + HexText(k.secret_key) + "\n";
  WriteExclusive(secret, secret_text, 0600);
  std::fill(secret_text.begin(), secret_text.end(), '\0');
  k.secret_key.fill(0);
  try {
    WriteExclusive(pub, std::string(kPublicKeyHeader) + HexText(k.public_key) + "\n", 0644);
  } catch (...) {
    ::unlink(secret.c_str());
    throw;
  }
}

SecretKey ReadSecretKeyFile(const std::string& path) {
  std::vector<std::uint8_t> bytes;
  try {
    bytes = ReadFileBytes(path);
  } catch (const Error& e) {
    throw Error(std::string("key file ") + e.what());
  }
  const std::string text(bytes.begin(), bytes.end());
  std::fill(bytes.begin(), bytes.end(), 0);
  const std::optional<SecretKey> key = ParseSecretKeyText(text);
  if (!key) {
    const bool pub = text.starts_with(kPublicKeyHeader);
    throw Error(path + " is not a secret key file made by zq-publish --new-key" +
                (pub ? std::string(" (it is a public key: sign with NAME.key)") : std::string()));
  }
  if (!IsConsistentSecretKey(*key)) throw Error(path + " is damaged: its public half doesn't match its seed");
  return *key;
}

std::optional<uint64_t> PreviousSerial(const std::string& output_dir) {
  const std::string path = output_dir + "/" + SitePath(kSignaturePath);
  if (!Exists(path)) return std::nullopt;
  std::vector<std::uint8_t> bytes;
  try {
    bytes = ReadFileBytes(path);
  } catch (const Error& e) {
    throw Error(std::string("the previous site's signature ") + e.what());
  }
  const std::optional<ParsedSignature> p =
      ParseSiteSignature(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  if (!p) {
    throw Error(path + " is not a signature file, so the next serial can't be known; remove it (the serial then "
                "is the time) or publish into another folder");
  }
  return p->content.serial;
}

uint64_t NextSerial(std::optional<uint64_t> previous, uint64_t now_seconds) {
  if (previous && *previous >= now_seconds) {
    if (*previous >= 9999999999999999999ull) throw Error("the previous site's serial is the highest there is");
    return *previous + 1;
  }
  return now_seconds;
}

std::string SignSite(const SecretKey& key, uint64_t serial, const std::string& manifest,
                     const std::vector<SignedCabinet>& files) {
  SiteSignature s;
  s.key = KeyIdOf(PublicHalf(key));
  s.serial = serial;
  s.manifest = Sha256(manifest);
  for (const SignedCabinet& f : files) {
    if (f.name.size() > kMaxSignedName || f.version.size() > kMaxSignedVersion) {
      throw Error("'" + Printable(f.name) + "': name or version too long for the signature file");
    }
    s.files.push_back({f.name, f.version, static_cast<int32_t>(f.size), f.hash});
  }
  if (s.files.size() > kMaxSignedFiles) {
    throw Error("more than " + std::to_string(kMaxSignedFiles) + " files can't be signed");
  }
  s.signature = SignEd25519(SignedText(s), key);
  std::string text = SignatureFileText(s);
  if (text.size() > kMaxSignatureFile) throw Error("the signature file would be larger than SetupZQ reads");
  // What SetupZQ will read back must be what was signed.
  if (!ParseSiteSignature(text)) throw Error("the signature file could not be written in its format");
  return text;
}

}  // namespace zq
