#include "setup/site_check.h"

#include <algorithm>

#include "base/error.h"
#include "setup/site_crypto.h"

namespace zq {

namespace {

constexpr char kSignatureWord[] = "Assinatura do site inválida (";

std::string CabinetPrefix(const std::string& folder, const std::string& cab) {
  return "Arquivo: " + folder + cab + " => " + folder + "\r\rArquivo compactado não confere com a assinatura do site (";
}

}  // namespace

std::string MissingSignatureMessage(const std::string& reason) {
  return "Assinatura do site não encontrada (" + std::string(kSignaturePath) + "): " + reason;
}

SiteSignature VerifySignatureFile(std::string_view bytes, std::span<const PublicKey> keys) {
  size_t line = 0;
  const std::optional<ParsedSignature> parsed = ParseSiteSignature(bytes, &line);
  if (!parsed)
    throw Error(kSignatureWord + std::string(kSignaturePath) + ": formato não reconhecido na linha " +
                std::to_string(line) + ")");
  const SiteSignature& s = parsed->content;
  const auto key = std::find_if(keys.begin(), keys.end(), [&](const PublicKey& k) { return KeyIdOf(k) == s.key; });
  if (key == keys.end())
    throw Error(kSignatureWord + std::string(kSignaturePath) + ": chave " + HexText(s.key) + " desconhecida)");
  if (!VerifyEd25519(bytes.substr(0, parsed->signed_length), s.signature, *key))
    throw Error(kSignatureWord + std::string(kSignaturePath) + ": assinatura não confere)");
  return s;
}

void CheckSignedManifest(const SiteSignature& s, std::string_view manifest_bytes, const ManifestList& lines) {
  if (Sha256(manifest_bytes) != s.manifest)
    throw Error("Manifesto não confere com a assinatura do site (SHA-256 diferente)");
  const size_t n = std::max(lines.Count(), s.files.size());
  for (size_t i = 0; i < n; ++i) {
    if (i >= lines.Count() || i >= s.files.size() || lines.Line(i) != s.files[i].ManifestLine())
      throw Error("Manifesto não confere com a assinatura do site (linha " + std::to_string(i + 1) + ")");
  }
}

std::optional<uint64_t> StoredSerial(const std::optional<std::string>& file_text, const std::string& path) {
  if (!file_text) return std::nullopt;
  const std::string& t = *file_text;
  uint64_t v = 0;
  bool ok = !t.empty() && t.size() <= 19 && (t[0] != '0' || t.size() == 1);
  for (char c : t) {
    if (c < '0' || c > '9') {
      ok = false;
      break;
    }
    v = v * 10 + static_cast<uint64_t>(c - '0');
  }
  if (!ok) throw Error("Arquivo de controle da assinatura danificado: " + path);
  return v;
}

void CheckSerial(uint64_t site, std::optional<uint64_t> stored) {
  if (stored && site < *stored)
    throw Error("Assinatura do site mais antiga que a já instalada (série " + std::to_string(site) +
                ", instalada " + std::to_string(*stored) + ")");
}

std::string SerialFileText(uint64_t serial) { return std::to_string(serial); }

std::string CabinetLengthMessage(const std::string& folder, const std::string& cab, const char* what,
                                 int64_t length, int32_t signed_size) {
  return CabinetPrefix(folder, cab) + what + " " + std::to_string(length) + " bytes, assinado " +
         std::to_string(signed_size) + " bytes)";
}

void CheckSignedCabinet(const SignedFile& f, const uint8_t* data, size_t n, const std::string& folder,
                        const std::string& cab) {
  if (n != static_cast<size_t>(f.size))
    throw Error(CabinetLengthMessage(folder, cab, "tamanho recebido", static_cast<int64_t>(n), f.size));
  if (Sha256(data, n) != f.hash) throw Error(CabinetPrefix(folder, cab) + "SHA-256 diferente)");
}

}  // namespace zq
