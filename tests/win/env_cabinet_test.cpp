#include <gtest/gtest.h>
#include <windows.h>
#include <setupapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include <thread>
#include <utility>
#include <vector>

#include "base/error.h"
#include "env/cabinet_check.h"
#include "env/cabinet_win.h"
#include "env/handle_win.h"
#include "fixtures/env_support.h"
#include "setup/site_contract.h"

namespace zq {
namespace {

using test::FixtureFolder;
using test::ReadAll;
using test::ScratchFolder;

std::string ErrorOfExtract(const std::string& folder, const std::string& cab) {
  try {
    ExtractCabinet(folder, cab, CheckCabinetMember);
  } catch (const Error& e) {
    return e.what();
  }
  return "<no error>";
}

bool StartsWith(const std::string& s, const std::string& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

void CopyFixture(const std::string& name, const std::string& to) {
  ASSERT_TRUE(CopyFileA((FixtureFolder() + name).c_str(), to.c_str(), FALSE)) << name;
}

// The names in a folder, in the order the directory search gives them.
std::vector<std::string> Entries(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  const HANDLE search = FindFirstFileA((folder + "*").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = data.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(search, &data));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

TEST(ExtractCabinet, OneFileReplacesTheFileOfThatName) {
  ScratchFolder dir;
  CopyFixture("um.cab", dir.Path() + "leiame.cab");
  ASSERT_TRUE(test::WriteAll(dir.Path() + "leiame.txt", "old content, longer than the new one ........"));
  EXPECT_EQ(ExtractCabinet(dir.Path(), "leiame.cab", CheckCabinetMember), dir.Path() + "leiame.txt");
  EXPECT_EQ(ReadAll(dir.Path() + "leiame.txt"), "leiame: um arquivo so\r\n");
  EXPECT_TRUE(test::IsFile(dir.Path() + "leiame.cab"));  // the cabinet stays
  EXPECT_EQ(Entries(dir.Path()), (std::vector<std::string>{"leiame.cab", "leiame.txt"})) << "no temporary is left";
}

TEST(ExtractCabinet, SeveralFilesEachToTheFolderAndItsOwnName) {
  ScratchFolder dir;
  CopyFixture("dois.cab", dir.Path() + "dois.cab");
  EXPECT_EQ(ExtractCabinet(dir.Path(), "dois.cab", CheckCabinetMember), dir.Path() + "segundo.txt");  // the last one
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
    result = ExtractCabinet(dir.Path(), "leiame.cab", CheckCabinetMember);
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
  ScratchFolder dir;
  CabinetExtraction x;
  x.folder = dir.Path();
  strcpy(x.TargetBuffer, dir.Path().c_str());
  for (UINT n : {SPFILENOTIFY_CABINETINFO, SPFILENOTIFY_FILEEXTRACTED})
    EXPECT_EQ(CabinetFileCallback(&x, n, 0, 0), static_cast<UINT>(NO_ERROR)) << n;

  // The library is told to write a fresh temporary beside the target.
  FILE_IN_CABINET_INFO_A info{};
  info.NameInCabinet = "DeskZQ.exe";
  info.FileSize = 77;
  EXPECT_EQ(CabinetFileCallback(&x, SPFILENOTIFY_FILEINCABINET, reinterpret_cast<UINT_PTR>(&info), 0),
            static_cast<UINT>(FILEOP_DOIT));
  EXPECT_EQ(std::string(info.FullTargetName), dir.Path() + "~zq1.tmp");
  EXPECT_STREQ(x.TargetBuffer, "DeskZQ.exe");
  ASSERT_EQ(x.attempt_files.size(), 1u);
  EXPECT_EQ(x.attempt_files[0].path, dir.Path() + "DeskZQ.exe");
  EXPECT_EQ(x.attempt_files[0].size, 77u);
  EXPECT_TRUE(test::IsFile(dir.Path() + "~zq1.tmp"));
  EXPECT_FALSE(x.failure);

  // A temporary name already taken is passed over.
  ASSERT_TRUE(test::WriteAll(dir.Path() + "~zq2.tmp", "someone else's"));
  EXPECT_EQ(CabinetFileCallback(&x, SPFILENOTIFY_FILEINCABINET, reinterpret_cast<UINT_PTR>(&info), 0),
            static_cast<UINT>(FILEOP_DOIT));
  EXPECT_EQ(std::string(info.FullTargetName), dir.Path() + "~zq3.tmp");
  EXPECT_EQ(ReadAll(dir.Path() + "~zq2.tmp"), "someone else's");

  // The library asking for the next cabinet ends the extraction.
  EXPECT_NE(CabinetFileCallback(&x, SPFILENOTIFY_NEEDNEWCABINET, 0, 0), static_cast<UINT>(NO_ERROR));
  ASSERT_TRUE(x.failure);
  try {
    std::rethrow_exception(std::exchange(x.failure, nullptr));
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), kMultiPartCabinet);
  }

  EXPECT_NE(CabinetFileCallback(&x, 20, 0, 0), static_cast<UINT>(NO_ERROR));
  ASSERT_TRUE(x.failure);
  try {
    std::rethrow_exception(x.failure);
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "SP_FILE_CALLBACK - Notification '20' unexpected");
  }
}

// Members the program writes itself, and the fixed libraries, are refused at
// once like names that leave the folder; nothing of the cabinet is written.
TEST(ExtractCabinet, ReservedNamesAndFixedLibrariesAreRefused) {
  struct Case {
    const char* cab;
    const char* member;
  } const cases[] = {{"endereco.cab", "SRVADDR"}, {"proprio.cab", "SetupZQ.exe"}, {"fixo.cab", "BemaFI32.dll"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cab);
    ScratchFolder dir;
    CopyFixture(c.cab, dir.Path() + c.cab);
    ASSERT_TRUE(test::WriteAll(dir.Path() + c.member, "old"));
    const DWORD start = GetTickCount();
    EXPECT_EQ(ErrorOfExtract(dir.Path(), c.cab), "Arquivo: " + dir.Path() + c.cab + " => " + dir.Path() +
                                                      "\r\rNome de arquivo reservado dentro do arquivo compactado: \"" +
                                                      c.member + "\"");
    EXPECT_LT(GetTickCount() - start, 2000u) << "no further attempt";
    EXPECT_EQ(ReadAll(dir.Path() + c.member), "old");
    std::vector<std::string> expected = {c.cab, c.member};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Entries(dir.Path()), expected);
  }
}

TEST(ExtractCabinet, CabinetInSeveralPartsIsRefusedBeforeTheLibraryOpensIt) {
  ScratchFolder dir;
  CopyFixture("partes.cab", dir.Path() + "partes.cab");
  const DWORD start = GetTickCount();
  EXPECT_EQ(ErrorOfExtract(dir.Path(), "partes.cab"),
            "Arquivo: " + dir.Path() + "partes.cab => " + dir.Path() + "\r\r" + kMultiPartCabinet);
  EXPECT_LT(GetTickCount() - start, 2000u) << "no further attempt";
  EXPECT_FALSE(test::IsFile(dir.Path() + "leiame.txt"));
}

// The short alias of another file (as Wine or Windows makes it for a long
// name) stored in a cabinet must not replace that file.
TEST(ExtractCabinet, ShortAliasOfAnotherFileIsRefused) {
  ScratchFolder dir;
  ASSERT_TRUE(test::WriteAll(dir.Path() + "primeiro arquivo.txt", "old"));
  char buffer[MAX_PATH] = {};
  const DWORD n = GetShortPathNameA((dir.Path() + "primeiro arquivo.txt").c_str(), buffer, MAX_PATH);
  const std::string alias = std::string(buffer, n).substr(std::string(buffer, n).find_last_of('\\') + 1);
  // The alias takes the place of "primeiro.txt" in a copy of dois.cab, so it
  // must have that length.
  if (alias == "primeiro arquivo.txt" || alias.size() != std::strlen("primeiro.txt"))
    GTEST_SKIP() << "short name " << alias;
  std::string cab = ReadAll(FixtureFolder() + "dois.cab");
  const size_t at = cab.find(std::string("primeiro.txt") + '\0');
  ASSERT_NE(at, std::string::npos);
  cab.replace(at, alias.size(), alias);
  ASSERT_TRUE(test::WriteAll(dir.Path() + "alias.cab", cab));
  EXPECT_EQ(ErrorOfExtract(dir.Path(), "alias.cab"),
            "Arquivo: " + dir.Path() + "alias.cab => " + dir.Path() +
                "\r\rNome de arquivo dentro do arquivo compactado designa outro arquivo (primeiro arquivo.txt): \"" +
                alias + "\"");
  EXPECT_EQ(ReadAll(dir.Path() + "primeiro arquivo.txt"), "old");
  EXPECT_EQ(Entries(dir.Path()), (std::vector<std::string>{"alias.cab", "primeiro arquivo.txt"}));
}

// A failed extraction leaves every old file whole and removes only its
// temporaries: the old file stays until the new one is whole.
TEST(ExtractCabinet, OldFilesStayWholeWhenTheExtractionFails) {
  ScratchFolder dir;
  CopyFixture("dano.cab", dir.Path() + "dano.cab");
  ASSERT_TRUE(test::WriteAll(dir.Path() + "primeiro.txt", "old first"));
  ASSERT_TRUE(test::WriteAll(dir.Path() + "segundo.txt", "old second"));
  const std::string message = ErrorOfExtract(dir.Path(), "dano.cab");
  EXPECT_TRUE(StartsWith(message, "Arquivo: " + dir.Path() + "dano.cab => ")) << message;
  EXPECT_EQ(ReadAll(dir.Path() + "primeiro.txt"), "old first");
  EXPECT_EQ(ReadAll(dir.Path() + "segundo.txt"), "old second");
  EXPECT_EQ(Entries(dir.Path()), (std::vector<std::string>{"dano.cab", "primeiro.txt", "segundo.txt"}));
}

// A target that another program holds open (without delete sharing) can't
// be replaced: every attempt fails, the file stays as it was, and no
// temporary is left.
TEST(ExtractCabinet, TargetHeldOpenStaysAsItWas) {
  ScratchFolder dir;
  CopyFixture("um.cab", dir.Path() + "leiame.cab");
  ASSERT_TRUE(test::WriteAll(dir.Path() + "leiame.txt", "old content"));
  UniqueHandle held(CreateFileA((dir.Path() + "leiame.txt").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(held);
  const std::string message = ErrorOfExtract(dir.Path(), "leiame.cab");
  const std::string head = "Arquivo: " + dir.Path() + "leiame.cab => leiame.txt\r\rSystem Error.  Code: ";
  EXPECT_TRUE(StartsWith(message, head)) << message;
  held.Reset();
  EXPECT_EQ(ReadAll(dir.Path() + "leiame.txt"), "old content");
  EXPECT_EQ(Entries(dir.Path()), (std::vector<std::string>{"leiame.cab", "leiame.txt"}));
}

}  // namespace
}  // namespace zq
