#include <gtest/gtest.h>

#include "env/path_text.h"
#include "env/safe_name.h"

namespace zq {
namespace {

TEST(SafeRelativeName, KeepsNamesInsideTheFolder) {
  struct Case {
    const char* name;
    bool safe;
  };
  const Case cases[] = {
      {"DeskZQ.exe", true},     {"leiame", true},          {"sub\\a.dll", true},   {"sub/a.dll", true},
      {"a..b.dll", true},       {"..a", true},             {".config", true},      {"ação.txt", true},
      {"", false},              {"..", false},             {"..\\a.dll", false},   {"../a.dll", false},
      {"sub\\..\\..\\a", false}, {"sub\\..", false},       {"sub/../a", false},    {".\\a", false},
      {"\\a.dll", false},       {"/a.dll", false},         {"\\\\srv\\s\\a", false}, {"C:\\a.dll", false},
      {"C:a.dll", false},       {"a.dll:stream", false},   {"... \\a", false},     {". .\\a", false},
      {"a*.dll", false},        {"a?.dll", false},         {"a<b", false},         {"a|b", false},
      {"a\"b", false},          {"a\tb", false},           {"sub\\", true},
      // Devices, with or without an extension, in any case, in any component.
      {"CON", false},           {"nul.dll", false},        {"Aux.txt.cab", false}, {"prn", false},
      {"com1.dll", false},      {"LPT9", false},           {"sub\\nul", false},   {"con .txt", false},
      {"com\xB9.dll", false},  {"CONOUT$", false},
      {"COM0.dll", true},       {"COM10.dll", true},       {"console.dll", true},  {"nula.dll", true},
      {"sub.con\\a", true},    {"LPT.dll", true},         {"xcon.dll", true},
      // Windows drops trailing dots and blanks, in every component.
      {"BemaFI32.dll.", false}, {"DeskZQ.exe ", false},   {"a.dll. .", false},   {"sub.\\a.dll", false},
      {"sub \\a.dll", false}, {".", false},             {"a .dll", true},      {"a.b", true},
      // 0x1F is the last control byte, 0x20 the blank.
      {"a\x1F" ".dll", false}, {"\x01" "a", false},     {"a b.dll", true},
  };
  for (const auto& c : cases) EXPECT_EQ(IsSafeRelativeName(c.name), c.safe) << '"' << c.name << '"';
}

TEST(SafeRelativeName, ShortAliasesAreToldFromTheirLongName) {
  struct Case {
    const char* name;
    const char* found;
    bool alias;
  } const cases[] = {
      {"BEMAFI~1.DLL", "BemaFI32.dll", true}, {"bemafi32.DLL", "BemaFI32.dll", false},
      {"sub\\LEIAME~1.TXT", "leiame longo.txt", true}, {"sub/leiame.txt", "LEIAME.TXT", false},
      {"ação.txt", "AÇÃO.TXT", false},     {"a.txt", "b.txt", true},
  };
  for (const auto& c : cases) EXPECT_EQ(IsAliasOfOtherEntry(c.name, c.found), c.alias) << c.name;
  EXPECT_EQ(LastComponent("a\\b/c.dll"), "c.dll");
  EXPECT_EQ(LastComponent("c.dll"), "c.dll");
}

TEST(PathText, AsciiCaseOnlyComparison) {
  EXPECT_TRUE(SameTextAsciiCase("C:\\Prog\\DeskZQ.exe", "c:\\PROG\\deskzq.EXE"));
  EXPECT_FALSE(SameTextAsciiCase("C:\\Cópia\\DeskZQ.exe", "C:\\CÓPIA\\DeskZQ.exe"));  // é/É not folded
  EXPECT_TRUE(SameTextAsciiCase("C:\\cópia\\x", "C:\\CóPIA\\X"));
  EXPECT_FALSE(SameTextAsciiCase("C:\\Prog\\DeskZQ.exe", "C:\\Prog\\DeskZQ.ex"));
  EXPECT_FALSE(SameTextAsciiCase("a[", "A{"));  // '[' and '{' are 0x20 apart but no letters
}

TEST(PathText, ExecutableFolderIsCutAfterTheLastBackslashOrColon) {
  EXPECT_EQ(ExtractFolder("C:\\Prog\\SetupZQ.exe"), "C:\\Prog\\");
  EXPECT_EQ(ExtractFolder("C:SetupZQ.exe"), "C:");
  EXPECT_EQ(ExtractFolder("SetupZQ.exe"), "");
  EXPECT_EQ(ExtractFolder("\\\\srv\\share\\a\\b.exe"), "\\\\srv\\share\\a\\");
}

TEST(PathText, DataFolderPerPort) {
  EXPECT_EQ(DataFolderPath("C:\\Docs\\", 80), "C:\\Docs\\Arquivos.Zolmar\\SisZQ\\");
  EXPECT_EQ(DataFolderPath("C:\\Docs\\", 8080), "C:\\Docs\\Arquivos.Zolmar\\SisZQ8080\\");
  EXPECT_EQ(DataFolderPath("C:\\Docs\\", 443), "C:\\Docs\\Arquivos.Zolmar\\SisZQ443\\");
  EXPECT_EQ(DataFolderPath("C:\\Docs\\", 0), "C:\\Docs\\Arquivos.Zolmar\\SisZQ0\\");
  EXPECT_EQ(DataFolderPath("D:\\", 80), "D:\\Arquivos.Zolmar\\SisZQ\\");
}

TEST(PathText, FolderChainOutermostFirstWithoutTheRoot) {
  using V = std::vector<std::string>;
  EXPECT_EQ(FolderChain("C:\\A\\B\\"), (V{"C:\\A\\", "C:\\A\\B\\"}));
  EXPECT_EQ(FolderChain("C:\\"), V{});
  EXPECT_EQ(FolderChain("\\\\srv\\share\\A\\"), (V{"\\\\srv\\share\\A\\"}));
  EXPECT_EQ(FolderChain("C:\\A\\\\B\\"), (V{"C:\\A\\", "C:\\A\\\\B\\"}));
  EXPECT_EQ(FolderChain("C:\\A\\B"), (V{"C:\\A\\", "C:\\A\\B"}));
}

}  // namespace
}  // namespace zq
