#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <vector>

#include "base/error.h"
#include "setup/manifest.h"

namespace zq {
namespace {

// A folder of files with their version texts; records every question.
class FakeFiles : public LocalFiles {
 public:
  std::map<std::string, std::string> versions;  // path -> version text ("-1": no resource)
  std::map<std::string, std::string> aliases;   // short path -> the long name it reaches
  std::vector<std::string> asked;

  std::optional<std::string> FindEntry(const std::string& path) override {
    asked.push_back("exists " + path);
    if (const auto a = aliases.find(path); a != aliases.end()) return a->second;
    if (versions.count(path) == 0) return std::nullopt;
    return path.substr(path.find_last_of('\\') + 1);
  }
  std::string FileVersionText(const std::string& path) override {
    asked.push_back("version " + path);
    const std::string& v = versions.at(path);
    if (v == "<no FileVersion>") throw Error("FileVersion not found in " + path);
    return v;
  }
};

const std::string kFolder = "C:\\Prog\\";

std::vector<std::string> Lines(const ManifestList& list) {
  std::vector<std::string> out;
  for (size_t i = 0; i < list.Count(); ++i) out.push_back(list.Line(i));
  return out;
}

std::string ErrorOf(const std::string& body, FakeFiles& files) {
  ManifestList list = ManifestList::FromText(body);
  int32_t total = -5;
  try {
    EvaluateManifest(list, total, kFolder, files);
  } catch (const Error& e) {
    return e.what();
  }
  return "<no error>";
}

TEST(ManifestList, SplitsLinesAtCrLfAndCrLf) {
  struct Case {
    std::string body;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"", {}},
      {"\n", {""}},
      {"a", {"a"}},
      {"a\r\n", {"a"}},
      {"a\rb\nc\r\nd", {"a", "b", "c", "d"}},
      {"a\n\nb\n", {"a", "", "b"}},
      {"a\r\rb", {"a", "", "b"}},
      {"a\n\r\nb", {"a", "", "b"}},
      {std::string("a\nb\0c\nd", 7), {"a", "b"}},
  };
  for (const auto& c : cases) EXPECT_EQ(Lines(ManifestList::FromText(c.body)), c.lines) << c.body;
}

TEST(ManifestList, NamesAreFoundWithoutRegardToCaseFirstLineWins) {
  ManifestList list = ManifestList::FromText("noequals\nA.dll=1\na.DLL=2\nb=x=y");
  EXPECT_EQ(ManifestList::NameOf("noequals"), "");
  EXPECT_EQ(ManifestList::NameOf("b=x=y"), "b");
  EXPECT_EQ(list.Value("a.dll"), "1");
  EXPECT_EQ(list.Value("B"), "x=y");
  EXPECT_EQ(list.Value("noequals"), "");
  EXPECT_EQ(list.Value("missing"), "");
  list.SetValue("A.DLL", "OK");
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"noequals", "A.dll=OK", "a.DLL=2", "b=x=y"}));
}

TEST(ExcludedLibraries, FixedTableInOrderMatchedInAnyCase) {
  EXPECT_STREQ(ExcludedLibraries[0], "DllInscE32.dll");
  EXPECT_STREQ(ExcludedLibraries[1], "BemaFI32.dll");
  EXPECT_STREQ(ExcludedLibraries[2], "Daruma32.dll");
  EXPECT_STREQ(ExcludedLibraries[3], "SWECF.DLL");
  for (const char* name : {"bemafi32.dll", "DLLINSCE32.DLL", "daruma32.dll", "swecf.dll", "SWECF.DLL"})
    EXPECT_TRUE(IsExcludedLibrary(name)) << name;
  for (const char* name : {"BemaFI32.dl", "BemaFI32.dll ", "", "DeskZQ.exe"})
    EXPECT_FALSE(IsExcludedLibrary(name)) << name;
}

// One manifest line against one local state: the resulting line and the bytes it adds.
TEST(EvaluateManifest, StatusAndBytesPerLine) {
  struct Case {
    const char* line;
    const char* localVersion;  // nullptr: no such entry in the folder
    const char* result;
    int32_t bytes;
  };
  const Case cases[] = {
      {"DeskZQ.exe=1.0.0.5;900", "1.0.0.5", "DeskZQ.exe=OK", 0},
      {"DeskZQ.exe=1.0.0.5;900", "1.0.0.4", "DeskZQ.exe=OOD", 900},
      {"DeskZQ.exe=1.0.0.5;900", "1.0.0.6", "DeskZQ.exe=OOD", 900},  // older server version too
      {"DeskZQ.exe=1.0.0.5;900", nullptr, "DeskZQ.exe=NF", 900},
      {"a.dll=1.0;5", "1.0.0.0", "a.dll=OOD", 5},                    // text, not numbers
      {"a.dll=1, 0, 0, 3;5", "1, 0, 0, 3", "a.dll=OK", 0},
      {"a.dll=v1;5", "V1", "a.dll=OOD", 5},                          // case counts in versions
      {"a.dll=-1;5", "-1", "a.dll=OK", 0},                           // unversioned file (or a folder)
      {"a.dll=1.0;5", "-1", "a.dll=OOD", 5},
      {"bemafi32.dll=x;10", "9", "bemafi32.dll=OK", 0},
      {"BemaFI32.dll=x;10", nullptr, "BemaFI32.dll=OK", 0},
      {"SetupZQ.exe=2.0;700", "1.0", "SetupZQ.exe=OOD", 0},          // never counted
      {"SetupZQ.exe=2.0;700", nullptr, "SetupZQ.exe=NF", 0},
      {"setupzq.exe=2.0;700", "1.0", "setupzq.exe=OOD", 700},        // not the setup program's name
      {"a.dll=1; 12", nullptr, "a.dll=NF", 12},
      {"a.dll=1;$10", nullptr, "a.dll=NF", 16},
      {"a.dll=1;0", nullptr, "a.dll=NF", 0},
      {"a b.dll=1;4", nullptr, "a b.dll=NF", 4},                     // a blank inside a name
      {"sub\\a.dll=1;4", nullptr, "sub\\a.dll=NF", 4},
  };
  for (const auto& c : cases) {
    FakeFiles files;
    const std::string name = ManifestList::NameOf(c.line);
    if (c.localVersion) files.versions[kFolder + name] = c.localVersion;
    ManifestList list = ManifestList::FromText(c.line);
    int32_t total = -1;
    EvaluateManifest(list, total, kFolder, files);
    EXPECT_EQ(Lines(list), std::vector<std::string>{c.result}) << c.line;
    EXPECT_EQ(total, c.bytes) << c.line;
  }
}

TEST(EvaluateManifest, EmptyBodyGivesNothing) {
  FakeFiles files;
  ManifestList list = ManifestList::FromText("");
  int32_t total = 77;
  EvaluateManifest(list, total, kFolder, files);
  EXPECT_EQ(list.Count(), 0u);
  EXPECT_EQ(total, 0);
}

TEST(EvaluateManifest, ExcludedLibrariesAreNotLookedFor) {
  FakeFiles files;
  ManifestList list = ManifestList::FromText("Daruma32.dll=1;1\nswecf.dll=1;1\nx.dll=1;2\n");
  int32_t total = 0;
  EvaluateManifest(list, total, kFolder, files);
  EXPECT_EQ(files.asked, std::vector<std::string>{"exists C:\\Prog\\x.dll"});
  EXPECT_EQ(total, 2);
}

TEST(EvaluateManifest, DuplicateNamesShareTheFirstLine) {
  FakeFiles files;
  files.versions[kFolder + "a.dll"] = "2";
  files.versions[kFolder + "A.DLL"] = "2";
  ManifestList list = ManifestList::FromText("a.dll=1;10\nA.DLL=2;20\n");
  int32_t total = 0;
  EvaluateManifest(list, total, kFolder, files);
  // The second line's "OK" overwrites the first line's "OOD" and is read back from there.
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"a.dll=OK", "A.DLL=2"}));
  EXPECT_EQ(total, 10);
}

TEST(EvaluateManifest, SeveralLinesSumAndKeepTheirOrder) {
  FakeFiles files;
  files.versions[kFolder + "DeskZQ.exe"] = "1.0.0.5";
  files.versions[kFolder + "b.dll"] = "1";
  ManifestList list = ManifestList::FromText("DeskZQ.exe=1.0.0.5;900\r\nb.dll=2;30\r\nc.dll=1;40\r\n");
  int32_t total = 0;
  EvaluateManifest(list, total, kFolder, files);
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"DeskZQ.exe=OK", "b.dll=OOD", "c.dll=NF"}));
  EXPECT_EQ(total, 70);
}

// Every faulty line stops the evaluation before any status is set or any
// file looked at, with the message of the fault.
TEST(EvaluateManifest, FaultyLinesStopBeforeAnythingIsLookedAt) {
  struct Case {
    const char* body;
    const char* message;
  };
  const Case cases[] = {
      {"ok.dll=1;1\na.dll=1;12x", "'12x' is not a valid integer value"},
      {"ok.dll=1;1\n\nb.dll=1;1", "'' is not a valid integer value"},
      {"a.dll=1", "'a.dll=1' is not a valid integer value"},
      {"ok.dll=1;1\nsemnome;12", "Linha 2 do manifesto sem nome de arquivo: \"semnome;12\""},
      {"12", "Linha 1 do manifesto sem nome de arquivo: \"12\""},
      {"=1;12", "Linha 1 do manifesto sem nome de arquivo: \"=1;12\""},
      {"ok.dll=1;1\n..\\evil.dll=1;5",
       "Linha 2 do manifesto com nome de arquivo inválido (fora da pasta de instalação): \"..\\evil.dll\""},
      {"C:\\Windows\\evil.dll=1;5",
       "Linha 1 do manifesto com nome de arquivo inválido (fora da pasta de instalação): \"C:\\Windows\\evil.dll\""},
      {"\\evil.dll=1;5",
       "Linha 1 do manifesto com nome de arquivo inválido (fora da pasta de instalação): \"\\evil.dll\""},
      {"sub/../../evil.dll=1;5",
       "Linha 1 do manifesto com nome de arquivo inválido (fora da pasta de instalação): \"sub/../../evil.dll\""},
      // Windows drops a trailing dot or blank: these would be written over
      // the fixed library and the product.
      {"BemaFI32.dll.=9;5",
       "Linha 1 do manifesto com nome de arquivo inválido (fora da pasta de instalação): \"BemaFI32.dll.\""},
      {"ok.dll=1;1\nDeskZQ.exe =9;5",
       "Linha 2 do manifesto com nome de arquivo inválido (fora da pasta de instalação): \"DeskZQ.exe \""},
      {"sub.\\a.dll=1;5",
       "Linha 1 do manifesto com nome de arquivo inválido (fora da pasta de instalação): \"sub.\\a.dll\""},
      // 0x1F is the last control byte.
      {"a\x1F" ".dll=1;5",
       "Linha 1 do manifesto com nome de arquivo inválido (fora da pasta de instalação): \"a\x1F" ".dll\""},
      // The program writes the server address file and the serial file itself.
      {"ok.dll=1;1\nSRVADDR=1;5", "Linha 2 do manifesto com nome de arquivo reservado: \"SRVADDR\""},
      {"srvaddr=1;5", "Linha 1 do manifesto com nome de arquivo reservado: \"srvaddr\""},
      {"ZQSITE.SER=1;5", "Linha 1 do manifesto com nome de arquivo reservado: \"ZQSITE.SER\""},
      // A size below 0 would lower the total, so that missing files might not be fetched.
      {"a.txt=1;-900\nb.txt=1;1000",
       "O tamanho total dos arquivos a baixar passa do limite de 2147483647 bytes (linha 1 do manifesto)"},
      {"ok.dll=1;1\nbemafi32.dll=1;-1",
       "O tamanho total dos arquivos a baixar passa do limite de 2147483647 bytes (linha 2 do manifesto)"},
  };
  for (const auto& c : cases) {
    FakeFiles files;
    files.versions[kFolder + "ok.dll"] = "1";
    ManifestList list = ManifestList::FromText(c.body);
    const std::vector<std::string> before = Lines(list);
    int32_t total = 0;
    try {
      EvaluateManifest(list, total, kFolder, files);
      ADD_FAILURE() << "no error for " << c.body;
    } catch (const Error& e) {
      EXPECT_EQ(std::string(e.what()), c.message) << c.body;
    }
    EXPECT_EQ(Lines(list), before) << c.body;
    EXPECT_TRUE(files.asked.empty()) << c.body;
  }
}

TEST(EvaluateManifest, VersionErrorOfALocalFileReachesTheCaller) {
  FakeFiles files;
  files.versions[kFolder + "a.dll"] = "<no FileVersion>";
  EXPECT_EQ(ErrorOf("a.dll=1;1", files), "FileVersion not found in C:\\Prog\\a.dll");
}

TEST(EvaluateManifest, TotalPastTheSignedLimitFailsInsteadOfWrapping) {
  FakeFiles files;
  {
    ManifestList list = ManifestList::FromText("a=1;2147483647\nSetupZQ.exe=1;5\n");
    int32_t total = 0;
    EvaluateManifest(list, total, kFolder, files);
    EXPECT_EQ(total, 2147483647);
  }
  EXPECT_EQ(ErrorOf("a=1;2147483647\nb=1;1\n", files),
            "O tamanho total dos arquivos a baixar passa do limite de 2147483647 bytes (linha 2 do manifesto)");
  EXPECT_EQ(ErrorOf("a=1;-2147483648\nb=1;-1\n", files),
            "O tamanho total dos arquivos a baixar passa do limite de 2147483647 bytes (linha 1 do manifesto)");
}

// At most 999 characters of the size text are read: the 1000th is not.
TEST(EvaluateManifest, SizeTextIsReadToItsNineHundredNinetyNinthCharacter) {
  struct Case {
    const char* name;
    size_t blanks;
    int32_t bytes;
  } const cases[] = {{"999 characters", 996, 123}, {"1000 characters", 997, 12}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeFiles files;
    ManifestList list = ManifestList::FromText("a.dll=1;" + std::string(c.blanks, ' ') + "123");
    int32_t total = 0;
    EvaluateManifest(list, total, kFolder, files);
    EXPECT_EQ(total, c.bytes);
  }
}

// The directory search reports the long name of what a short 8.3 alias
// reaches: the fixed libraries and the other files hold against it.
TEST(EvaluateManifest, ShortAliasesHoldTheRulesOfTheLongName) {
  {
    FakeFiles files;
    files.aliases[kFolder + "BEMAFI~1.DLL"] = "BemaFI32.dll";
    files.aliases[kFolder + "deskzq.exe"] = "DeskZQ.exe";  // the same name in another case
    files.versions[kFolder + "deskzq.exe"] = "1";
    ManifestList list = ManifestList::FromText("BEMAFI~1.DLL=9;5\ndeskzq.exe=2;7\n");
    int32_t total = 0;
    EvaluateManifest(list, total, kFolder, files);
    EXPECT_EQ(Lines(list), (std::vector<std::string>{"BEMAFI~1.DLL=OK", "deskzq.exe=OOD"}));
    EXPECT_EQ(total, 7);
    EXPECT_EQ(files.asked, (std::vector<std::string>{"exists C:\\Prog\\BEMAFI~1.DLL", "exists C:\\Prog\\deskzq.exe",
                                                     "version C:\\Prog\\deskzq.exe"}));
  }
  struct Case {
    const char* name;
    const char* line;
    const char* longName;
    const char* message;
  } const cases[] = {
      {"setup program", "SETUPZ~1.EXE=9;5", "SetupZQ.exe",
       "Linha 1 do manifesto com nome de arquivo que designa outro arquivo (SetupZQ.exe): \"SETUPZ~1.EXE\""},
      {"product file", "LEIAME~1.TXT=9;5", "leiame longo.txt",
       "Linha 1 do manifesto com nome de arquivo que designa outro arquivo (leiame longo.txt): \"LEIAME~1.TXT\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeFiles files;
    files.aliases[kFolder + ManifestList::NameOf(c.line)] = c.longName;
    EXPECT_EQ(ErrorOf(c.line, files), c.message);
  }
}

}  // namespace
}  // namespace zq
