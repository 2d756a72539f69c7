// zq-publish end to end: the site it writes, cabinets checked with
// cabextract, and bad input that must leave an existing site untouched.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>

#include "test_support.h"

namespace zq {
namespace {

using test::ReadBytes;
using test::ReadText;
using test::ScratchDir;

std::uint16_t U16At(const std::vector<std::uint8_t>& b, std::size_t o) {
  return static_cast<std::uint16_t>(b[o] | (b[o + 1] << 8));
}

// A source folder with a versioned library, a product with a Portuguese
// table, an unversioned library and a file that is not a PE image.
void FillSource(const std::string& src) {
  test::MakeDir(src);
  test::CopyFile(test::FixturePath("en_pe32.dll"), src + "/Lib.dll");
  test::CopyFile(test::FixturePath("pt_pe64.dll"), src + "/DeskZQ.exe");
  test::CopyFile(test::FixturePath("none_pe64.dll"), src + "/Plain.dll");
  test::WriteText(src + "/readme.txt", "not an executable\r\n");
  ::chmod((src + "/readme.txt").c_str(), 0644);
}

std::string CabSize(const std::string& site, const std::string& cab) {
  struct stat st {};
  EXPECT_EQ(::stat((site + "/BinZQ/" + cab).c_str(), &st), 0) << cab;
  return std::to_string(st.st_size);
}

TEST(Publish, WritesManifestAndOneMszipCabinetPerFile) {
  ScratchDir dir;
  FillSource(dir / "src");
  const auto r = test::RunPublish({dir / "src", dir / "site"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  const std::string site = dir / "site";

  EXPECT_EQ(ReadText(site + "/scripts/zq.dll/stptc"),
            "Lib.dll=1.2.3.4;" + CabSize(site, "Lib.cab") + "\r\n" +
            "Plain.dll=-1;" + CabSize(site, "Plain.cab") + "\r\n" +
            "readme.txt=-1;" + CabSize(site, "readme.cab") + "\r\n" +
            "DeskZQ.exe=2.0 vers\xE3o \x80;" + CabSize(site, "DeskZQ.cab") + "\r\n");
  EXPECT_EQ(test::Entries(site + "/BinZQ"),
            (std::vector<std::string>{"DeskZQ.cab", "Lib.cab", "Plain.cab", "readme.cab"}));
  EXPECT_EQ(test::Entries(dir.path()), (std::vector<std::string>{"site", "src"}));  // nothing left beside

  const std::pair<const char*, const char*> files[] = {
      {"Lib.dll", "Lib.cab"}, {"Plain.dll", "Plain.cab"}, {"readme.txt", "readme.cab"}, {"DeskZQ.exe", "DeskZQ.cab"}};
  for (const auto& [name, cab] : files) {
    SCOPED_TRACE(cab);
    const std::vector<std::uint8_t> header = ReadBytes(site + "/BinZQ/" + cab);
    ASSERT_GE(header.size(), 44u);
    ASSERT_EQ(std::string(header.begin(), header.begin() + 4), "MSCF");
    EXPECT_EQ(U16At(header, 26), 1);  // one folder
    EXPECT_EQ(U16At(header, 28), 1);  // one file
    ASSERT_EQ(U16At(header, 30) & 4, 0);  // no reserved fields: CFFOLDER follows at 36
    EXPECT_EQ(U16At(header, 36 + 6) & 0x0F, 1) << "typeCompress is not MSZIP";

    const std::string out = dir / (std::string("x_") + cab);
    test::MakeDir(out);
    const auto x = test::Run({ZQ_CABEXTRACT, "-q", "-d", out, site + "/BinZQ/" + cab});
    ASSERT_EQ(x.exit_code, 0) << x.err;
    EXPECT_EQ(test::Entries(out), std::vector<std::string>{name});
    EXPECT_EQ(ReadBytes(out + "/" + name), ReadBytes(dir / "src/" + name));
  }
  // The stored name is the plain name; cabextract -t lists it.
  const auto list = test::Run({ZQ_CABEXTRACT, "-l", site + "/BinZQ/Lib.cab"});
  EXPECT_NE(list.out.find("| Lib.dll"), std::string::npos) << list.out;
  // A web server running as another user can read everything.
  struct stat st {};
  ASSERT_EQ(::stat(site.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0755u);
  ASSERT_EQ(::stat((site + "/scripts/zq.dll/stptc").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0044, 0044u);
}

TEST(Publish, ReplacesAnEarlierSiteAndHonoursAnOrderFile) {
  ScratchDir dir;
  FillSource(dir / "src");
  ASSERT_EQ(test::RunPublish({dir / "src", dir / "site"}).exit_code, 0);

  ::unlink((dir / "src/readme.txt").c_str());
  test::WriteText(dir / "order", "# product first\nDeskZQ.exe\nPlain.dll\nLib.dll\n");
  const auto r = test::RunPublish({"--order", dir / "order", dir / "src", dir / "site"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  const std::string site = dir / "site";
  EXPECT_EQ(ReadText(site + "/scripts/zq.dll/stptc"),
            "DeskZQ.exe=2.0 vers\xE3o \x80;" + CabSize(site, "DeskZQ.cab") + "\r\n" +
            "Plain.dll=-1;" + CabSize(site, "Plain.cab") + "\r\n" +
            "Lib.dll=1.2.3.4;" + CabSize(site, "Lib.cab") + "\r\n");
  EXPECT_EQ(test::Entries(site + "/BinZQ"), (std::vector<std::string>{"DeskZQ.cab", "Lib.cab", "Plain.cab"}));
  EXPECT_EQ(test::Entries(dir.path()), (std::vector<std::string>{"order", "site", "src"}));
}

struct BadInput {
  const char* name;
  std::function<void(const ScratchDir&)> spoil;  // breaks the source or output
  const char* message;                           // part of the error text
  bool unprivileged = false;                     // needs permission checks
  std::vector<std::string> extra_args = {};
};

TEST(Publish, BadInputLeavesTheSiteUntouched) {
  const BadInput cases[] = {
      {"semicolon in a name", [](const ScratchDir& d) { test::WriteText(d / "src/a;b.dll", "x"); }, "';' or '='"},
      {"equals sign in a name", [](const ScratchDir& d) { test::WriteText(d / "src/a=b.dll", "x"); }, "';' or '='"},
      {"line break in a name", [](const ScratchDir& d) { test::WriteText(d / "src/a\nb.dll", "x"); }, "control"},
      {"backslash in a name", [](const ScratchDir& d) { test::WriteText(d / "src/a\\b.dll", "x"); }, "plain Windows"},
      {"unreadable file",
       [](const ScratchDir& d) { ::chmod((d / "src/Lib.dll").c_str(), 0); }, "Permission denied", true},
      {"cabinet name collision",
       [](const ScratchDir& d) { test::CopyFile(d / "src/Lib.dll", d / "src/Lib.exe"); }, "share the cabinet"},
      {"subfolder", [](const ScratchDir& d) { test::MakeDir(d / "src/sub"); }, "subfolder 'sub'"},
      {"a file the program keeps for itself", [](const ScratchDir& d) { test::WriteText(d / "src/ZQSITE.SER", "x"); },
       "is reserved: SetupZQ writes that file itself"},
      {"FileVersion with a semicolon",
       [](const ScratchDir& d) { test::CopyFile(test::FixturePath("semicolon_pe64.dll"), d / "src/Semi.dll"); },
       "contains ';' or a line break"},
      {"version resource without FileVersion",
       [](const ScratchDir& d) { test::CopyFile(test::FixturePath("no_file_version_pe32.dll"), d / "src/N.dll"); },
       "FileVersion not found in "},
      {"unwritable output folder",
       [](const ScratchDir& d) { ::chmod(d.path().c_str(), 0555); }, "can't create a folder beside", true},
      {"output folder holding other files",
       [](const ScratchDir& d) { test::WriteText(d / "site/index.html", "hi"); }, "not a site made by zq-publish"},
      {"order file missing a name",
       [](const ScratchDir& d) { test::WriteText(d / "order", "Lib.dll\n"); }, "does not list", false,
       {"--order", "ORDER"}},
  };
  for (const BadInput& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    FillSource(dir / "src");
    ASSERT_EQ(test::RunPublish({dir / "src", dir / "site"}).exit_code, 0);
    c.spoil(dir);
    const auto before = test::Snapshot(dir / "site");
    const auto beside = test::Entries(dir.path());

    std::vector<std::string> args;
    for (const std::string& a : c.extra_args) args.push_back(a == "ORDER" ? dir / "order" : a);
    args.push_back(dir / "src");
    args.push_back(dir / "site");
    // As root the run drops to "nobody"; another user is held to the modes.
    if (c.unprivileged && ::geteuid() != 0 && ::access((dir / "src/Lib.dll").c_str(), R_OK) == 0 &&
        ::access(dir.path().c_str(), W_OK) == 0) {
      ADD_FAILURE() << "the permission change did not take";
    }
    const auto r = test::RunPublish(args, c.unprivileged);
    EXPECT_NE(r.exit_code, 0);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
    ::chmod(dir.path().c_str(), 0777);
    EXPECT_EQ(test::Snapshot(dir / "site"), before);
    EXPECT_EQ(test::Entries(dir.path()), beside);  // no staging folder left behind
  }
}

TEST(Publish, RefusesFoldersInsideEachOther) {
  ScratchDir dir;
  FillSource(dir / "src");
  const auto before = test::Snapshot(dir / "src");
  for (const auto& [src, out] : {std::pair{dir / "src", dir / "src"}, std::pair{dir / "src", dir / "src/site"},
                                 std::pair{dir / "src", dir.path()}}) {
    const auto r = test::RunPublish({src, out});
    EXPECT_NE(r.exit_code, 0) << out;
    EXPECT_NE(r.err.find("contain each other"), std::string::npos) << r.err;
  }
  EXPECT_EQ(test::Snapshot(dir / "src"), before);
}

TEST(Publish, CommandLine) {
  const auto help = test::RunPublish({"--help"});
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_NE(help.out.find("usage: zq-publish"), std::string::npos);
  const auto version = test::RunPublish({"--version"});
  EXPECT_EQ(version.exit_code, 0);
  EXPECT_EQ(version.out.rfind("zq-publish ", 0), 0u);
  for (const std::vector<std::string>& bad : {std::vector<std::string>{}, std::vector<std::string>{"only-one"},
                                              std::vector<std::string>{"--bogus", "a", "b"},
                                              std::vector<std::string>{"a", "b", "--order"}}) {
    const auto r = test::RunPublish(bad);
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_NE(r.err, "");
  }
}

}  // namespace
}  // namespace zq
