#include <gtest/gtest.h>
#include <windows.h>

#include <exception>
#include <optional>

#include "env/local_files_win.h"
#include "fixtures/env_support.h"
#include "setup/manifest.h"

namespace zq {
namespace {

using test::FixtureFolder;
using test::ScratchFolder;

// The whole evaluation against a real folder: files with and without version
// resources, hidden and read-only files, a folder of a listed name.
TEST(WinLocalFiles, EvaluatesAManifestAgainstARealFolder) {
  ScratchFolder dir;
  const std::string f = dir.Path();
  ASSERT_TRUE(CopyFileA((FixtureFolder() + "DeskZQ.exe").c_str(), (f + "DeskZQ.exe").c_str(), FALSE));
  ASSERT_TRUE(CopyFileA((FixtureFolder() + "version_en.dll").c_str(), (f + "velha.dll").c_str(), FALSE));
  ASSERT_TRUE(CopyFileA((FixtureFolder() + "version_none.dll").c_str(), (f + "oculta.dll").c_str(), FALSE));
  SetFileAttributesA((f + "oculta.dll").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  ASSERT_TRUE(test::WriteAll(f + "leitura.txt", "x"));
  SetFileAttributesA((f + "leitura.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  ASSERT_TRUE(CreateDirectoryA((f + "pasta").c_str(), nullptr));

  WinLocalFiles files;
  EXPECT_EQ(files.FindEntry(f + "oculta.dll"), "oculta.dll");
  EXPECT_EQ(files.FindEntry(f + "leitura.txt"), "leitura.txt");
  EXPECT_EQ(files.FindEntry(f + "pasta"), "pasta");
  EXPECT_EQ(files.FindEntry(f + "deskzq.EXE"), "DeskZQ.exe");  // the name as the folder spells it
  EXPECT_EQ(files.FindEntry(f + "falta.dll"), std::nullopt);

  ManifestList list = ManifestList::FromText(
      "DeskZQ.exe=1.0.0.7;900\r\n"
      "velha.dll=1.2.3.5;50\r\n"
      "oculta.dll=-1;7\r\n"
      "leitura.txt=1.0;3\r\n"
      "pasta=-1;11\r\n"
      "falta.dll=1;20\r\n"
      "Daruma32.dll=1;1000\r\n");
  int32_t total = 0;
  EvaluateManifest(list, total, f, files);
  std::vector<std::string> lines;
  for (size_t i = 0; i < list.Count(); ++i) lines.push_back(list.Line(i));
  EXPECT_EQ(lines, (std::vector<std::string>{"DeskZQ.exe=OK", "velha.dll=OOD", "oculta.dll=OK", "leitura.txt=OOD",
                                             "pasta=OK", "falta.dll=NF", "Daruma32.dll=OK"}));
  EXPECT_EQ(total, 50 + 3 + 20);
  SetFileAttributesA((f + "leitura.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

// The short 8.3 alias of a fixed library reaches it; the directory search
// reports the long name, so the library stays "OK" and is not looked at
// further, and the alias of another file is refused.
TEST(WinLocalFiles, ShortAliasesAreReportedByTheirLongName) {
  ScratchFolder dir;
  const std::string f = dir.Path();
  ASSERT_TRUE(CopyFileA((FixtureFolder() + "version_en.dll").c_str(), (f + "BemaFI32.dll").c_str(), FALSE));
  ASSERT_TRUE(test::WriteAll(f + "leiame longo.txt", "x"));
  const auto shortName = [&](const std::string& name) {
    char buffer[MAX_PATH] = {};
    const DWORD n = GetShortPathNameA((f + name).c_str(), buffer, MAX_PATH);
    const std::string path(buffer, n);
    return path.substr(path.find_last_of('\\') + 1);
  };
  const std::string library = shortName("BemaFI32.dll");
  const std::string other = shortName("leiame longo.txt");
  if (library == "BemaFI32.dll" || other == "leiame longo.txt") GTEST_SKIP() << "no short names here";

  WinLocalFiles files;
  EXPECT_EQ(files.FindEntry(f + library), "BemaFI32.dll");
  {
    ManifestList list = ManifestList::FromText(library + "=9;5\r\n");
    int32_t total = -1;
    EvaluateManifest(list, total, f, files);
    EXPECT_EQ(list.Line(0), library + "=OK");
    EXPECT_EQ(total, 0);
  }
  ManifestList list = ManifestList::FromText(other + "=9;5\r\n");
  int32_t total = -1;
  try {
    EvaluateManifest(list, total, f, files);
    ADD_FAILURE() << "the alias " << other << " was taken";
  } catch (const std::exception& e) {
    EXPECT_EQ(std::string(e.what()), "Linha 1 do manifesto com nome de arquivo que designa outro arquivo "
                                     "(leiame longo.txt): \"" + other + "\"");
  }
}

}  // namespace
}  // namespace zq
