#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <thread>
#include <vector>

#include "base/error.h"
#include "env/folders_win.h"
#include "setup/app_shell_win.h"
#include "fixtures/env_support.h"

namespace zq {
namespace {

using test::IsFolder;
using test::ScratchFolder;

std::string CurrentFolder() {
  char buffer[MAX_PATH + 1] = {};
  const DWORD n = GetCurrentDirectoryA(MAX_PATH, buffer);
  std::string s(buffer, n);
  if (!s.empty() && s.back() != '\\') s += '\\';
  return s;
}

TEST(Folders, DocumentsFolderEndsWithABackslashAndExists) {
  const std::string docs = GetDocumentsFolder();
  std::printf("documents folder: %s\n", docs.c_str());
  ASSERT_FALSE(docs.empty());
  EXPECT_EQ(docs.back(), '\\');
  EXPECT_TRUE(IsFolder(docs));
}

// The data folder per port, created with its parents; a second call finds it.
TEST(Folders, DataFolderPerPortIsCreated) {
  const std::string docs = GetDocumentsFolder();
  struct Case {
    int32_t port;
    const char* leaf;
  };
  for (const Case& c : {Case{80, "SisZQ"}, Case{8080, "SisZQ8080"}, Case{0, "SisZQ0"}}) {
    const std::string expected = docs + "Arquivos.Zolmar\\" + c.leaf + "\\";
    const bool existed = IsFolder(expected);
    EXPECT_EQ(GetDataFolder(c.port), expected);
    EXPECT_TRUE(IsFolder(expected));
    EXPECT_EQ(GetDataFolder(c.port), expected);  // existing: no error
    if (!existed && c.port != 80) RemoveDirectoryA(expected.c_str());
  }
  // The documents folder lies in the prefix's HOME, which Wine maps to Z:.
  char home[MAX_PATH] = {};
  if (GetEnvironmentVariableA("HOME", home, MAX_PATH) > 0) {
    std::string unixDocs = std::string("Z:") + home + "\\Documents\\Arquivos.Zolmar\\SisZQ\\";
    for (char& ch : unixDocs)
      if (ch == '/') ch = '\\';
    EXPECT_TRUE(IsFolder(unixDocs)) << unixDocs;
  }
}

TEST(Folders, DataFolderThatCannotBeCreatedRaises) {
  // A file where the data folder of this port should be.
  const std::string docs = GetDocumentsFolder();
  GetDataFolder(80);  // makes Arquivos.Zolmar
  const std::string blocker = docs + "Arquivos.Zolmar\\SisZQ65001";
  ASSERT_TRUE(test::WriteAll(blocker, "not a folder"));
  try {
    GetDataFolder(65001);
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), "Não foi possível criar a pasta: " + blocker + "\\");
  }
  DeleteFileA(blocker.c_str());
}

TEST(Folders, ExeFolderIsTheProgramsOwn) {
  const std::string folder = GetExeFolder();
  EXPECT_EQ(folder, test::ProgramFolder());
  EXPECT_EQ(folder.substr(folder.size() - 10), "tests\\bin\\");
}

TEST(EnterInstallDir, EntersAnExistingFolderOrCreatesThatOneFolder) {
  ScratchFolder dir;
  std::vector<std::string> boxes;
  const ShowBox record = [&](const std::string& text, const std::string& caption) {
    boxes.push_back(caption + "|" + text);
  };
  EXPECT_TRUE(EnterInstallDir(dir.Path(), record));
  EXPECT_EQ(CurrentFolder(), dir.Path());

  const std::string fresh = dir.Path() + "nova\\";
  EXPECT_TRUE(EnterInstallDir(fresh, record));
  EXPECT_TRUE(IsFolder(fresh));
  EXPECT_EQ(CurrentFolder(), fresh);
  EXPECT_TRUE(boxes.empty());
  SetCurrentDirectoryA(test::ProgramFolder().c_str());
}

// A folder whose parent is missing: the box it is handed, shown once, then
// false.
TEST(EnterInstallDir, FolderThatCannotBeMadeShowsTheHandedBoxOnce) {
  ScratchFolder dir;
  std::vector<std::string> boxes;
  const std::string before = CurrentFolder();
  EXPECT_FALSE(EnterInstallDir(dir.Path() + "falta\\nova\\", [&](const std::string& text, const std::string& caption) {
    boxes.push_back(caption + "|" + text);
  }));
  EXPECT_EQ(boxes, std::vector<std::string>{"Erro|Não foi possível acessar o seu HD [002]"});
  EXPECT_EQ(CurrentFolder(), before);
}

// The same with the program's own box, owned by the application window: a
// watcher reads the box and presses OK.
TEST(EnterInstallDir, FolderThatCannotBeMadeShowsTheBoxAndGivesFalse) {
  ScratchFolder dir;
  std::atomic<bool> done{false};
  std::string seenText;
  std::thread watcher([&] {
    while (!done) {
      if (HWND box = FindWindowA("#32770", "Erro")) {
        char text[256] = {};
        GetDlgItemTextA(box, 0xFFFF, text, sizeof text);  // the message's static control
        seenText = text;
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        return;
      }
      Sleep(50);
    }
  });
  const std::string before = CurrentFolder();
  const bool result = EnterInstallDir(dir.Path() + "falta\\nova\\", AppShowBox());
  done = true;
  watcher.join();
  EXPECT_FALSE(result);
  EXPECT_EQ(seenText, "Não foi possível acessar o seu HD [002]");
  EXPECT_FALSE(IsFolder(dir.Path() + "falta\\"));
  EXPECT_EQ(CurrentFolder(), before);
}

}  // namespace
}  // namespace zq
