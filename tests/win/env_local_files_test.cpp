#include <gtest/gtest.h>
#include <windows.h>

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
  EXPECT_TRUE(files.Exists(f + "oculta.dll"));
  EXPECT_TRUE(files.Exists(f + "leitura.txt"));
  EXPECT_TRUE(files.Exists(f + "pasta"));
  EXPECT_TRUE(files.Exists(f + "deskzq.EXE"));
  EXPECT_FALSE(files.Exists(f + "falta.dll"));

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

}  // namespace
}  // namespace zq
