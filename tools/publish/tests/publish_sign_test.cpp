// zq-publish's signed sites: key files, the signature file beside an
// unchanged manifest, the growing serial, and keys or sites that can't sign.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>

#include "setup/site_check.h"
#include "setup/site_crypto.h"
#include "site_signing.h"
#include "test_support.h"

namespace zq {
namespace {

using test::ReadText;
using test::ScratchDir;

void FillSource(const std::string& src) {
  test::MakeDir(src);
  test::CopyFile(test::FixturePath("en_pe32.dll"), src + "/Lib.dll");
  test::CopyFile(test::FixturePath("pt_pe64.dll"), src + "/DeskZQ.exe");
  test::WriteText(src + "/readme.txt", "not an executable\r\n");
}

PublicKey PublicKeyOf(const std::string& pub) {
  const std::optional<PublicKey> k = ParsePublicKeyText(ReadText(pub));
  EXPECT_TRUE(k) << pub;
  return k.value_or(PublicKey{});
}

TEST(PublishKeys, NewKeyWritesBothHalvesAndNeverOverwrites) {
  ScratchDir dir;
  const auto r = test::RunPublish({"--new-key", dir / "vendor"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  struct stat st {};
  ASSERT_EQ(::stat((dir / "vendor.key").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  const SecretKey secret = ReadSecretKeyFile(dir / "vendor.key");
  EXPECT_EQ(PublicHalf(secret), PublicKeyOf(dir / "vendor.pub"));

  const std::string key_text = ReadText(dir / "vendor.key");
  EXPECT_EQ(test::RunPublish({"--new-key", dir / "vendor"}).exit_code, 1);
  EXPECT_EQ(ReadText(dir / "vendor.key"), key_text);
  // One half present is enough to refuse, and nothing is written.
  test::WriteText(dir / "half.pub", "mine");
  const auto half = test::RunPublish({"--new-key", dir / "half"});
  EXPECT_EQ(half.exit_code, 1);
  EXPECT_NE(half.err.find("never overwritten"), std::string::npos) << half.err;
  EXPECT_EQ(test::Entries(dir.path()), (std::vector<std::string>{"half.pub", "vendor.key", "vendor.pub"}));
}

TEST(PublishSigned, TheManifestStaysAsUnsignedAndTheSignatureVouchesForEveryCabinet) {
  ScratchDir dir;
  FillSource(dir / "src");
  ASSERT_EQ(test::RunPublish({"--new-key", dir / "k"}).exit_code, 0);
  ASSERT_EQ(test::RunPublish({dir / "src", dir / "plain"}).exit_code, 0);
  const auto r = test::RunPublish({"--key", dir / "k.key", dir / "src", dir / "site"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  const std::string manifest = ReadText(dir / "site/scripts/zq.dll/stptc");
  EXPECT_EQ(manifest, ReadText(dir / "plain/scripts/zq.dll/stptc"));
  EXPECT_EQ(test::Entries(dir / "site/BinZQ"),
            (std::vector<std::string>{"DeskZQ.cab", "Lib.cab", "ZQSITE.SIG", "readme.cab"}));

  const std::vector<PublicKey> keys = {PublicKeyOf(dir / "k.pub")};
  const SiteSignature s = VerifySignatureFile(ReadText(dir / "site/BinZQ/ZQSITE.SIG"), keys);
  EXPECT_NO_THROW(CheckSignedManifest(s, manifest, ManifestList::FromText(manifest)));
  ASSERT_EQ(s.files.size(), 3u);
  for (const SignedFile& f : s.files) {
    SCOPED_TRACE(f.name);
    const std::string cab = ReadText(dir / ("site/BinZQ/" + f.name.substr(0, f.name.find('.')) + ".cab"));
    EXPECT_EQ(f.size, static_cast<int32_t>(cab.size()));
    EXPECT_EQ(f.hash, Sha256(cab));
  }
  EXPECT_NE(r.out.find("signed, serial " + std::to_string(s.serial)), std::string::npos) << r.out;

  // Published again, at once: the serial grows even within one second.
  ASSERT_EQ(test::RunPublish({"--key", dir / "k.key", dir / "src", dir / "site"}).exit_code, 0);
  EXPECT_GT(VerifySignatureFile(ReadText(dir / "site/BinZQ/ZQSITE.SIG"), keys).serial, s.serial);
}

TEST(PublishSigned, TheSerialIsTheTimeOrThePreviousPlusOne) {
  EXPECT_EQ(NextSerial(std::nullopt, 1000), 1000u);
  EXPECT_EQ(NextSerial(999, 1000), 1000u);
  EXPECT_EQ(NextSerial(1000, 1000), 1001u);
  EXPECT_EQ(NextSerial(5000, 1000), 5001u);  // a clock set back
  EXPECT_THROW(NextSerial(9999999999999999999ull, 1), std::exception);
}

TEST(PublishSigned, AKeyThatIsntOneOrASiteThatCantBeSignedLeavesTheSiteUntouched) {
  struct Case {
    const char* name;
    std::function<void(const ScratchDir&)> spoil;
    const char* message;
    bool unprivileged = false;
  } const cases[] = {
      {"public key given as the key", [](const ScratchDir& d) { test::CopyFile(d / "k.pub", d / "bad.key"); },
       "it is a public key"},
      {"not a key file", [](const ScratchDir& d) { test::WriteText(d / "bad.key", "hello\n"); },
       "is not a secret key file"},
      {"key with CR LF",
       [](const ScratchDir& d) {
         std::string t = ReadText(d / "k.key");
         t.insert(t.size() - 1, "\r");
         test::WriteText(d / "bad.key", t);
       },
       "is not a secret key file"},
      {"damaged public half",
       [](const ScratchDir& d) {
         std::string t = ReadText(d / "k.key");
         char& c = t[t.size() - 2];
         c = c == '0' ? '1' : '0';
         test::WriteText(d / "bad.key", t);
       },
       "is damaged"},
      {"missing key file", [](const ScratchDir&) {}, "can't open"},
      {"unreadable key file",
       [](const ScratchDir& d) {
         test::CopyFile(d / "k.key", d / "bad.key");
         ::chmod((d / "bad.key").c_str(), 0);
       },
       "Permission denied", true},
      {"previous signature unreadable as one",
       [](const ScratchDir& d) {
         test::CopyFile(d / "k.key", d / "bad.key");
         test::WriteText(d / "site/BinZQ/ZQSITE.SIG", "ZQSITE.SIG 1\n");
       },
       "next serial can't be known"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    FillSource(dir / "src");
    ASSERT_EQ(test::RunPublish({"--new-key", dir / "k"}).exit_code, 0);
    ASSERT_EQ(test::RunPublish({"--key", dir / "k.key", dir / "src", dir / "site"}).exit_code, 0);
    test::WriteText(dir / "src/new.txt", "a file the failed run would add");
    c.spoil(dir);
    const auto before = test::Snapshot(dir / "site");
    const auto beside = test::Entries(dir.path());
    const auto r = test::RunPublish({"--key", dir / "bad.key", dir / "src", dir / "site"}, c.unprivileged);
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(test::Snapshot(dir / "site"), before);
    EXPECT_EQ(test::Entries(dir.path()), beside);
  }
}

}  // namespace
}  // namespace zq
