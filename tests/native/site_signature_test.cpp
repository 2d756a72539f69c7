// The signature file's format, read with its limits, and its verification
// with keys made here.
#include <gtest/gtest.h>

#include <string>

#include "base/error.h"
#include "env/safe_name.h"
#include "setup/site_contract.h"
#include "setup/site_check.h"
#include "setup/site_crypto.h"
#include "setup/site_key.h"
#include "setup/site_signature.h"

namespace zq {
namespace {

SiteSignature Sample() {
  SiteSignature s;
  s.key = {1, 2, 3, 4, 5, 6, 7, 0xFF};
  s.serial = 1733900000;
  s.manifest = Sha256("DeskZQ.exe=1.0;5\r\n");
  s.files.push_back({"DeskZQ.exe", "1.0 versão", 5, Sha256("cab-a")});
  s.files.push_back({"leiame", "", 0, Sha256("")});
  s.signature.fill(0xAB);
  return s;
}

TEST(SiteSignatureFormat, WrittenTextReadsBackExactly) {
  const SiteSignature s = Sample();
  const std::string text = SignatureFileText(s);
  EXPECT_EQ(text.substr(0, 52), "ZQSITE.SIG 1\nkey 01020304050607ff\nserial 1733900000\n");
  const std::optional<ParsedSignature> p = ParseSiteSignature(text);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->signed_length, SignedText(s).size());
  EXPECT_EQ(p->content.key, s.key);
  EXPECT_EQ(p->content.serial, s.serial);
  EXPECT_EQ(p->content.manifest, s.manifest);
  EXPECT_EQ(p->content.files, s.files);
  EXPECT_EQ(p->content.signature, s.signature);
  EXPECT_EQ(p->content.files[0].ManifestLine(), "DeskZQ.exe=1.0 versão;5");
}

TEST(SiteSignatureFormat, EveryBrokenRuleIsRefusedWithItsLine) {
  const std::string good = SignatureFileText(Sample());
  const auto replaced = [&](const std::string& from, const std::string& to) {
    std::string t = good;
    const size_t at = t.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return t.replace(at, from.size(), to);
  };
  const std::string hash64(64, 'a');
  const std::string sig = "signature " + std::string(128, 'a') + "\n";
  const std::string head = "ZQSITE.SIG 1\nkey 0102030405060708\nserial 1\nmanifest " + hash64 + "\n";
  struct Case {
    const char* name;
    std::string text;
    size_t line;
  } const cases[] = {
      {"empty", "", 1},
      {"other format number", replaced("ZQSITE.SIG 1", "ZQSITE.SIG 2"), 1},
      {"CR LF line ends", replaced("\n", "\r\n"), 1},
      {"upper-case hex", replaced("ff\n", "FF\n"), 2},
      {"short key id", replaced("07ff\n", "07\n"), 2},
      {"two blanks", replaced("serial ", "serial  "), 3},
      {"serial with leading zero", replaced("serial 1", "serial 01"), 3},
      {"serial of 20 digits", replaced("serial 1733900000", "serial 17339000001733900000"), 3},
      {"no serial line", replaced("serial 1733900000\n", ""), 3},
      {"size past 2147483647", replaced(";5;", ";2147483648;"), 5},
      {"size with a sign", replaced(";5;", ";+5;"), 5},
      {"empty name", replaced("file DeskZQ.exe=", "file ="), 5},
      {"control byte in the version", replaced("1.0 vers", "1.0\tvers"), 5},
      {"name too long", replaced("file DeskZQ.exe", "file " + std::string(260, 'n')), 5},
      {"no signature line", head, 5},
      {"bytes after the signature", good + "x", 7},
      {"a line after the signature", good + sig, 7},
      {"no LF at the end", good.substr(0, good.size() - 1), 7},
      {"unknown line", head + "comment x\n" + sig, 5},
      {"too many files",
       [&] {
         std::string t = head;
         for (size_t i = 0; i <= kMaxSignedFiles; ++i) t += "file a=1;1;" + hash64 + "\n";
         return t + sig;
       }(),
       kMaxSignedFiles + 5},
      {"larger than the limit", head + std::string(kMaxSignatureFile, 'x'), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    size_t line = 999;
    EXPECT_FALSE(ParseSiteSignature(c.text, &line));
    EXPECT_EQ(line, c.line);
  }
  EXPECT_TRUE(ParseSiteSignature(head + sig)) << "no file lines is a site of no files";
}

TEST(SiteKeyFiles, OnlyTheExactTextIsAKey) {
  const std::string hex(64, '0');
  EXPECT_TRUE(ParsePublicKeyText("ZQSITE public key 1\n" + hex + "\n"));
  EXPECT_TRUE(ParseSecretKeyText("ZQSITE secret key 1\n" + hex + hex + "\n"));
  for (const std::string& bad : {"ZQSITE public key 1\n" + hex, "ZQSITE public key 1\r\n" + hex + "\n",
                                "ZQSITE public key 1\n" + hex + "\n\n", "ZQSITE public key 2\n" + hex + "\n",
                                "ZQSITE secret key 1\n" + hex + "\n", "ZQSITE public key 1\n" + hex.substr(1) + "A\n"}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(ParsePublicKeyText(bad));
  }
  static_assert(CompiledPublicKey("ZQSITE public key 1\n"
                                  "0100000000000000000000000000000000000000000000000000000000000002\n")[31] == 2);
}

class SiteVerification : public ::testing::Test {
 protected:
  KeyPair key = NewKeyPair();
  KeyPair other = NewKeyPair();
  std::string Signed(SiteSignature s, const KeyPair& k) {
    s.key = KeyIdOf(k.public_key);
    s.signature = SignEd25519(SignedText(s), k.secret_key);
    return SignatureFileText(s);
  }
  std::string Failure(const std::string& file, std::vector<PublicKey> keys) {
    try {
      VerifySignatureFile(file, keys);
    } catch (const std::exception& e) {
      return e.what();
    }
    return "(accepted)";
  }
};

TEST_F(SiteVerification, TheSignatureMustBeOneOfTheKeysAndCoverEveryByte) {
  const std::string file = Signed(Sample(), key);
  EXPECT_EQ(VerifySignatureFile(file, std::vector{other.public_key, key.public_key}).serial, 1733900000u);
  EXPECT_EQ(Failure(file, {other.public_key}),
            "Assinatura do site inválida (/BinZQ/ZQSITE.SIG: chave " + HexText(KeyIdOf(key.public_key)) +
                " desconhecida)");
  // The right key id with another key's signature, and each signed field
  // changed after signing.
  std::string forged = Signed(Sample(), other);
  forged.replace(4 + forged.find("key "), 16, HexText(KeyIdOf(key.public_key)));
  EXPECT_EQ(Failure(forged, {key.public_key}), "Assinatura do site inválida (/BinZQ/ZQSITE.SIG: assinatura não confere)");
  for (const char* field : {"serial 1", "file DeskZQ.exe=1", "manifest "}) {
    SCOPED_TRACE(field);
    std::string changed = file;
    const size_t at = changed.find(field) + std::string(field).size();
    changed[at] = changed[at] == '2' ? '3' : '2';
    EXPECT_EQ(Failure(changed, {key.public_key}),
              "Assinatura do site inválida (/BinZQ/ZQSITE.SIG: assinatura não confere)");
  }
  EXPECT_EQ(Failure("x", {key.public_key}),
            "Assinatura do site inválida (/BinZQ/ZQSITE.SIG: formato não reconhecido na linha 1)");
}

TEST(SiteSerial, StoredTextAndOrder) {
  EXPECT_EQ(StoredSerial(std::nullopt, "p"), std::nullopt);
  EXPECT_EQ(StoredSerial(SerialFileText(1733900000), "p"), 1733900000u);
  for (const char* bad : {"", "x", "07", "12 ", "12345678901234567890"}) {
    SCOPED_TRACE(bad);
    EXPECT_THROW(StoredSerial(std::string(bad), "p"), std::exception);
  }
  EXPECT_NO_THROW(CheckSerial(5, std::nullopt));
  EXPECT_NO_THROW(CheckSerial(5, 5));
  EXPECT_THROW(CheckSerial(4, 5), std::exception);
}

TEST(SiteSha256, KnownValue) {
  EXPECT_EQ(HexText(Sha256("abc")), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

TEST(ReservedNames, TheProgramsOwnFilesCantBeWrittenFromTheServer) {
  // member: no cabinet may carry it; manifest: no manifest line may name it.
  // A name with a trailing dot or blank is refused as unsafe before.
  struct Case {
    const char* name;
    bool member;
    bool manifest;
  } const cases[] = {
      {"SRVADDR", true, true},       {"srvaddr", true, true},         {"SRVADDR. .", true, true},
      {"ZQSITE.SER", true, true},    {"zqsite.ser ", true, true},     {"SetupZQ.exe", true, false},
      {"SETUPZQ.EXE.", true, true},  {"SRVADDR.dll", false, false},   {"sub\\SRVADDR", false, false},
      {"DeskZQ.exe", false, false},  {"ZQSITE.SIG", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const bool unsafe = !IsSafeRelativeName(c.name);
    const ReservedName* reserved = FindReservedName(c.name);
    bool memberRefused = unsafe;
    try {
      CheckCabinetMember(c.name);
    } catch (const Error&) {
      memberRefused = true;
    }
    EXPECT_EQ(memberRefused, c.member);
    EXPECT_EQ(unsafe || (reserved && !reserved->listed), c.manifest);
  }
}

}  // namespace
}  // namespace zq
