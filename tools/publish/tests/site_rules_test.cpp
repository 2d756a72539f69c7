// Names, cabinet names, manifest order and manifest text of a site.
#include "site_rules.h"

#include <gtest/gtest.h>

#include "base/error.h"

namespace zq {
namespace {

TEST(CabinetName, ReplacesTheExtensionAfterTheLastSeparator) {
  const std::pair<const char*, const char*> cases[] = {
      {"DeskZQ.exe", "DeskZQ.cab"}, {"lib.v2.dll", "lib.v2.cab"}, {"README", "README.cab"},
      {".profile", ".cab"},         {"a.b\\file", "a.b\\file.cab"}, {"a.b:c", "a.b:c.cab"},
      {"x\\y.dat", "x\\y.cab"},     {"data.cab", "data.cab"}};
  for (const auto& [name, cabinet] : cases) EXPECT_EQ(CabinetName(name), cabinet) << name;
}

TEST(ProductName, RefusesWhatAManifestLineOrWindowsCannotHold) {
  for (const char* bad : {"", "a;b.dll", "a=b.dll", "a\rb.dll", "a\nb.dll", "dir\\x.dll", "c:x.dll",
                          "x?.dll", "x.dll.", "x.dll ", "CON", "nul.txt", "Com1.dll", "LPT9",
                          "vers\xC3\xA3o.dll", "tab\t.dll"}) {
    EXPECT_THROW(CheckProductName(bad), Error) << Printable(bad);
  }
  for (const char* good : {"DeskZQ.exe", "a b.dll", "console.dll", "com0.dll", "lpt.dll", ".profile",
                           "x-1_2.(3).dll"}) {
    EXPECT_NO_THROW(CheckProductName(good)) << good;
  }
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
