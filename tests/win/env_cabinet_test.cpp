#include <gtest/gtest.h>
#include <windows.h>
#include <setupapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include <thread>

#include "base/error.h"
#include "env/cabinet_win.h"
#include "fixtures/env_support.h"

namespace zq {
namespace {

using test::FixtureFolder;
using test::ReadAll;
using test::ScratchFolder;

std::string ErrorOfExtract(const std::string& folder, const std::string& cab) {
  try {
    ExtractCabinet(folder, cab);
  } catch (const Error& e) {
    return e.what();
  }
  return "<no error>";
}

bool StartsWith(const std::string& s, const std::string& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

void CopyFixture(const std::string& name, const std::string& to) {
  ASSERT_TRUE(CopyFileA((FixtureFolder() + name).c_str(), to.c_str(), FALSE)) << name;
}

TEST(ExtractCabinet, OneFileReplacesTheFileOfThatName) {
  ScratchFolder dir;
  CopyFixture("um.cab", dir.Path() + "leiame.cab");
  ASSERT_TRUE(test::WriteAll(dir.Path() + "leiame.txt", "old content, longer than the new one ........"));
  EXPECT_EQ(ExtractCabinet(dir.Path(), "leiame.cab"), dir.Path() + "leiame.txt");
  EXPECT_EQ(ReadAll(dir.Path() + "leiame.txt"), "leiame: um arquivo so\r\n");
  EXPECT_TRUE(test::IsFile(dir.Path() + "leiame.cab"));  // the cabinet stays
}

TEST(ExtractCabinet, SeveralFilesEachToTheFolderAndItsOwnName) {
  ScratchFolder dir;
  CopyFixture("dois.cab", dir.Path() + "dois.cab");
  EXPECT_EQ(ExtractCabinet(dir.Path(), "dois.cab"), dir.Path() + "segundo.txt");  // the last one
  EXPECT_EQ(ReadAll(dir.Path() + "primeiro.txt"), "primeiro arquivo\r\n");
  EXPECT_EQ(ReadAll(dir.Path() + "segundo.txt"), "segundo arquivo, o ultimo\r\n");
  EXPECT_FALSE(test::IsFile(dir.Path() + "primeiro.txtsegundo.txt"));
}

TEST(ExtractCabinet, MissingCabinetFailsAfterFourAttempts) {
  ScratchFolder dir;
  const DWORD start = GetTickCount();
  const std::string message = ErrorOfExtract(dir.Path(), "falta.cab");
  const DWORD elapsed = GetTickCount() - start;
  RecordProperty("elapsed_ms", static_cast<int>(elapsed));
  std::printf("after %lu ms: %s\n", static_cast<unsigned long>(elapsed), message.c_str());
  // ERROR_FILE_NOT_FOUND and the system's text for it.
  const std::string head = "Arquivo: " + dir.Path() + "falta.cab => " + dir.Path() + "\r\rSystem Error.  Code: 2.\r\n";
  EXPECT_TRUE(StartsWith(message, head)) << message;
  EXPECT_GT(message.size(), head.size()) << message;
  EXPECT_GE(elapsed, 5900u) << "three pauses of 2 s";
}

TEST(ExtractCabinet, DamagedCabinetFailsWithTheWrappedSystemError) {
  ScratchFolder dir;
  CopyFixture("dano.cab", dir.Path() + "dano.cab");
  const std::string message = ErrorOfExtract(dir.Path(), "dano.cab");
  // The target is the folder, or the file being extracted when the data broke
  // off; the system's error follows (Wine leaves the error code at 0 here).
  const std::string head = "Arquivo: " + dir.Path() + "dano.cab => ";
  ASSERT_TRUE(StartsWith(message, head)) << message;
  const size_t breaks = message.find("\r\r");
  ASSERT_NE(breaks, std::string::npos) << message;
  const std::string target = message.substr(head.size(), breaks - head.size());
  EXPECT_TRUE(target == dir.Path() || target == "primeiro.txt" || target == "segundo.txt") << target;
  const std::string system = message.substr(breaks + 2);
  EXPECT_TRUE(system == "A call to an OS function failed" || StartsWith(system, "System Error.  Code: ")) << system;
  // The data broke off inside the one block both files share: neither may
  // stay behind half-written.
  for (const char* name : {"primeiro.txt", "segundo.txt"})
    EXPECT_FALSE(test::IsFile(dir.Path() + name)) << name << ": " << ReadAll(dir.Path() + name).size() << " bytes";
}

TEST(ExtractCabinet, CabinetThatAppearsDuringThePauseIsExtracted) {
  ScratchFolder dir;
  const std::string cab = dir.Path() + "leiame.cab";
  // Made available half a second into the first 2 s pause.
  std::thread provider([&] {
    Sleep(500);
    CopyFileA((FixtureFolder() + "um.cab").c_str(), (cab + ".tmp").c_str(), FALSE);
    MoveFileA((cab + ".tmp").c_str(), cab.c_str());
  });
  const DWORD start = GetTickCount();
  std::string result;
  try {
    result = ExtractCabinet(dir.Path(), "leiame.cab");
  } catch (const Error& e) {
    result = e.what();
  }
  const DWORD elapsed = GetTickCount() - start;
  provider.join();
  RecordProperty("elapsed_ms", static_cast<int>(elapsed));
  std::printf("extracted after %lu ms\n", static_cast<unsigned long>(elapsed));
  EXPECT_EQ(result, dir.Path() + "leiame.txt");
  EXPECT_GE(elapsed, 1900u) << "one pause before the second attempt";
  EXPECT_EQ(ReadAll(dir.Path() + "leiame.txt"), "leiame: um arquivo so\r\n");
}

// Names stored in a cabinet that would leave the folder stop the extraction
// at once (no retry) and nothing is written.
TEST(ExtractCabinet, NamesLeavingTheFolderAreRefused) {
  struct Case {
    const char* cab;
    const char* name;
    std::string escapee;
  };
  ScratchFolder outer;
  const std::string inner = outer.Path() + "pasta\\";
  ASSERT_TRUE(CreateDirectoryA(inner.c_str(), nullptr));
  const Case cases[] = {
      {"subida.cab", "..\\fora.txt", outer.Path() + "fora.txt"},
      {"absoluto.cab", "C:\\fora.txt", "C:\\fora.txt"},
  };
  for (const auto& c : cases) {
    CopyFixture(c.cab, inner + c.cab);
    const DWORD start = GetTickCount();
    const std::string message = ErrorOfExtract(inner, c.cab);
    EXPECT_LT(GetTickCount() - start, 2000u) << "no further attempt after a refused name";
    EXPECT_EQ(message, "Arquivo: " + inner + c.cab + " => " + inner +
                           "\r\rNome de arquivo inválido dentro do arquivo compactado (fora da pasta de instalação): \"" +
                           c.name + "\"");
    EXPECT_FALSE(test::IsFile(c.escapee)) << c.escapee;
    EXPECT_FALSE(test::IsFile(inner + "fora.txt"));
  }
}

TEST(ExtractCabinet, PathsBeyondTheBuffersAreRefused) {
  const std::string longFolder = "C:\\" + std::string(256, 'a') + "\\";  // 260 characters
  EXPECT_EQ(ErrorOfExtract(longFolder, "x.cab"),
            "Arquivo: " + longFolder + "x.cab => \r\rCaminho da pasta longo demais (mais de 259 caracteres)");

  // A folder that fits, and a cabinet path that fits, but with the file's
  // name the target would not: folder 252, cabinet 257, target 262 characters.
  ScratchFolder dir;
  std::string deep = dir.Path();
  while (deep.size() < 252) deep += std::string(std::min<size_t>(40, 252 - deep.size() - 1), 'p') + "\\";
  for (size_t pos = dir.Path().size(); (pos = deep.find('\\', pos)) != std::string::npos; ++pos)
    CreateDirectoryA(deep.substr(0, pos + 1).c_str(), nullptr);
  ASSERT_TRUE(test::IsFolder(deep)) << deep.size();
  ASSERT_EQ(deep.size(), 252u);
  const std::string cabName = "c.cab";
  CopyFixture("um.cab", deep + cabName);
  const std::string message = ErrorOfExtract(deep, cabName);
  EXPECT_EQ(message, "Arquivo: " + deep + cabName + " => " + deep +
                         "\r\rCaminho de destino longo demais (mais de 259 caracteres): " + deep + "leiame.txt")
      << deep.size();
}

TEST(CabinetFileCallback, NotificationsAndTheUnexpectedOne) {
  CabinetExtraction x;
  x.folder = "C:\\Prog\\";
  strcpy(x.TargetBuffer, "C:\\Prog\\");
  for (UINT n : {SPFILENOTIFY_CABINETINFO, SPFILENOTIFY_NEEDNEWCABINET, SPFILENOTIFY_FILEEXTRACTED})
    EXPECT_EQ(CabinetFileCallback(&x, n, 0, 0), static_cast<UINT>(NO_ERROR)) << n;

  FILE_IN_CABINET_INFO_A info{};
  info.NameInCabinet = "DeskZQ.exe";
  EXPECT_EQ(CabinetFileCallback(&x, SPFILENOTIFY_FILEINCABINET, reinterpret_cast<UINT_PTR>(&info), 0),
            static_cast<UINT>(FILEOP_DOIT));
  EXPECT_STREQ(info.FullTargetName, "C:\\Prog\\DeskZQ.exe");
  EXPECT_STREQ(x.TargetBuffer, "DeskZQ.exe");
  EXPECT_FALSE(x.failure);

  EXPECT_NE(CabinetFileCallback(&x, 20, 0, 0), static_cast<UINT>(NO_ERROR));
  ASSERT_TRUE(x.failure);
  try {
    std::rethrow_exception(x.failure);
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "SP_FILE_CALLBACK - Notification '20' unexpected");
  }
}

}  // namespace
}  // namespace zq
