// Names, cabinet names, manifest order and manifest text of a site.
#include "site_rules.h"

#include <gtest/gtest.h>

#include "base/error.h"
#include "env/safe_name.h"
#include "setup/manifest.h"

namespace zq {
namespace {

TEST(CabinetName, ReplacesTheExtensionAfterTheLastSeparator) {
  const std::pair<const char*, const char*> cases[] = {
      {"DeskZQ.exe", "DeskZQ.cab"}, {"lib.v2.dll", "lib.v2.cab"}, {"README", "README.cab"},
      {".profile", ".cab"},         {"a.b\\file", "a.b\\file.cab"}, {"a.b:c", "a.b:c.cab"},
      {"x\\y.dat", "x\\y.cab"},     {"data.cab", "data.cab"}};
  for (const auto& [name, cabinet] : cases) EXPECT_EQ(CabName(name), cabinet) << name;
}

TEST(ProductName, RefusesWhatAManifestLineOrWindowsCannotHold) {
  for (const char* bad : {"", "a;b.dll", "a=b.dll", "a\rb.dll", "a\nb.dll", "dir\\x.dll", "c:x.dll",
                          "x?.dll", "x.dll.", "x.dll ", "CON", "nul.txt", "Com1.dll", "LPT9",
                          "vers\xC3\xA3o.dll", "tab\t.dll",
                          // Refused by SetupZQ: a device, the files it writes itself, and its own
                          // program under a name it does not know as its own.
                          "CONIN$", "conout$.txt", "SRVADDR", "srvaddr", "setupzq.exe", "SETUPZQ.EXE"}) {
    EXPECT_THROW(CheckProductName(bad), Error) << Printable(bad);
  }
  for (const char* good : {"DeskZQ.exe", "SetupZQ.exe", "a b.dll", "conin.dll", "srvaddr.txt", "console.dll", "com0.dll", "lpt.dll", ".profile",
                           "x-1_2.(3).dll"}) {
    EXPECT_NO_THROW(CheckProductName(good)) << good;
  }
}

// What the tool publishes, SetupZQ takes: every short name made of the
// characters that matter to either side's rules is either refused here or
// accepted as a manifest line, and its cabinet's member by the extraction.
TEST(ProductName, EveryPublishedNameIsOneTheProgramAccepts) {
  struct NoFiles : LocalFiles {
    std::optional<std::string> FindEntry(const std::string&) override { return std::nullopt; }
    std::string FileVersionText(const std::string&) override { return "-1"; }
  } files;
  const std::string alphabet = "aC.N $~1:;=\x1F";
  std::vector<std::string> names = {"CONIN$", "conout$", "SRVADDR", "SetupZQ.exe", "setupzq.exe", "nul.dll",
                                    "COM1", "lpt9.txt", "BemaFI32.dll", "a..", ".. ", "DeskZQ.exe"};
  for (char a : alphabet) {
    names.push_back(std::string(1, a));
    for (char b : alphabet) {
      names.push_back({a, b});
      for (char c : alphabet) names.push_back({a, b, c});
    }
  }
  size_t published = 0;
  for (const std::string& name : names) {
    try {
      CheckProductName(name);
    } catch (const Error&) {
      continue;
    }
    ++published;
    SCOPED_TRACE(Printable(name));
    ManifestList list = ManifestList::FromText(name + "=1;5\r\n");
    int32_t total = 0;
    EXPECT_NO_THROW(EvaluateManifest(list, total, "C:\\Prog\\", files));
    EXPECT_TRUE(IsSafeRelativeName(name));
    // Fetched and extracted, unless it is a fixed library (never fetched) or
    // the setup program (never extracted).
    if (list.Value(name) != "OK" && name != kSetupExe) {
      EXPECT_NO_THROW(CheckCabinetMember(name));
    }
  }
  EXPECT_GT(published, 100u);  // the walk reached accepted names, not only refused ones
}

TEST(NameCollisions, RefusesNamesThatMeetOnWindowsOrOnTheServer) {
  using Names = std::vector<std::string>;
  for (const Names& bad : {Names{"a.dll", "a.exe"},     // same cabinet a.cab
                           Names{"A.dll", "a.DLL"},     // one file on Windows
                           Names{"A.dll", "a.exe"},     // cabinets a.cab and A.cab
                           Names{"a.dll", "a.cab"},     // a.dll's download overwrites a.cab
                           Names{"pack.cab"}}) {        // its own cabinet's name
    EXPECT_THROW(CheckNameCollisions(bad), Error) << bad[0];
  }
  EXPECT_NO_THROW(CheckNameCollisions({"a.dll", "b.dll", "DeskZQ.exe", "notes"}));
}

TEST(ManifestOrder, DefaultPutsTheProductAndThenTheSetupProgramLast) {
  EXPECT_EQ(DefaultManifestOrder({"zeta.dll", "setupzq.exe", "DeskZQ.exe", "Alpha.dll", "beta.dll", "Zed.dll"}),
            (std::vector<std::string>{"Alpha.dll", "Zed.dll", "beta.dll", "zeta.dll", "DeskZQ.exe",
                                      "setupzq.exe"}));
}

TEST(ManifestOrder, OrderFileMustListEveryFileOnce) {
  const std::vector<std::string> names{"a.dll", "b.dll", "DeskZQ.exe"};
  EXPECT_EQ(ManifestOrderFromText("# first the product\r\nDeskZQ.exe\r\n\r\nb.dll\na.dll", names),
            (std::vector<std::string>{"DeskZQ.exe", "b.dll", "a.dll"}));
  for (const char* bad : {"DeskZQ.exe\nb.dll\n",                 // a.dll missing
                          "DeskZQ.exe\nb.dll\na.dll\nc.dll\n",   // not in the folder
                          "DeskZQ.exe\nb.dll\na.dll\nb.dll\n",   // twice
                          "deskzq.exe\nb.dll\na.dll\n",          // names match exactly
                          " a.dll\nb.dll\nDeskZQ.exe\n"}) {
    EXPECT_THROW(ManifestOrderFromText(bad, names), Error) << bad;
  }
}

TEST(ManifestText, LinesEndInCrLf) {
  EXPECT_EQ(ManifestText({{"a.dll", "1, 0, 0, 3", 120}, {"DeskZQ.exe", "-1", 7}}),
            "a.dll=1, 0, 0, 3;120\r\nDeskZQ.exe=-1;7\r\n");
  EXPECT_EQ(ManifestText({}), "");
}

TEST(VersionText, RefusesSeparatorsAndLineBreaks) {
  for (const char* bad : {"1;2", "1\r", "\n1"}) EXPECT_THROW(CheckVersionText("a.dll", bad), Error);
  for (const char* good : {"", "-1", "1=2", "2.0 vers\xE3o"}) EXPECT_NO_THROW(CheckVersionText("a.dll", good));
}

}  // namespace
}  // namespace zq
