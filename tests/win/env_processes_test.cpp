#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <vector>

#include "env/processes_win.h"
#include "fixtures/env_support.h"

namespace zq {
namespace {

using test::FixtureFolder;
using test::ScratchFolder;

// Stand-in DeskZQ.exe copies started by a test; whatever is still running at
// the end is ended by its handle.
class StandIns {
 public:
  explicit StandIns(const std::string& log) : log_(log) { SetEnvironmentVariableA("ZQ_DESKZQ_LOG", log.c_str()); }
  ~StandIns() {
    for (auto& p : started_) {
      TerminateProcess(p.hProcess, 1);
      WaitForSingleObject(p.hProcess, 5000);
      CloseHandle(p.hProcess);
      CloseHandle(p.hThread);
    }
    SetEnvironmentVariableA("ZQ_DESKZQ_LOG", nullptr);
  }

  // Starts the program with that command line in that folder and waits until
  // it has written its record. Gives its process handle.
  HANDLE Start(const std::string& exe, const std::string& commandLine, const std::string& folder) {
    const size_t before = Records();
    STARTUPINFOA si{};
    si.cb = sizeof si;
    // No inherited output: a Wine helper the child may start (the desktop
    // process) would otherwise keep the test's output open.
    si.dwFlags = STARTF_USESTDHANDLES;
    PROCESS_INFORMATION pi{};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    if (!CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi)) {
      ADD_FAILURE() << "can't start " << exe << ": error " << GetLastError();
      return nullptr;
    }
    started_.push_back(pi);
    for (int i = 0; i < 200 && Records() == before; ++i) Sleep(50);
    return pi.hProcess;
  }

  size_t Records() const {
    const std::string text = test::ReadAll(log_);
    size_t n = 0;
    for (size_t pos = 0; (pos = text.find("cmdline=", pos)) != std::string::npos; ++pos) ++n;
    return n;
  }

 private:
  std::string log_;
  std::vector<PROCESS_INFORMATION> started_;
};

bool Ended(HANDLE process, DWORD waitMs) { return WaitForSingleObject(process, waitMs) == WAIT_OBJECT_0; }

std::string CopyStandIn(const std::string& folder) {
  const std::string exe = folder + "DeskZQ.exe";
  if (!CreateDirectoryA(folder.c_str(), nullptr) ||
      !CopyFileA((FixtureFolder() + "DeskZQ.exe").c_str(), exe.c_str(), FALSE))
    ADD_FAILURE() << "can't copy the stand-in to " << folder << ": error " << GetLastError();
  return exe;
}

std::string AsciiUpper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

TEST(StandInDeskZQ, RecordsItsExactCommandLineAndFolder) {
  ScratchFolder dir;
  const std::string exe = CopyStandIn(dir.Path() + "inst\\");
  StandIns run(dir.Path() + "log.txt");
  const std::string commandLine = "\"" + exe + "\" \"http://127.0.0.1:8080\" a\\\"b  \"c d\"";
  HANDLE p = run.Start(exe, commandLine, dir.Path() + "inst");
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(test::ReadAll(dir.Path() + "log.txt"),
            "cmdline=" + commandLine + "\ncwd=" + dir.Path() + "inst\n");
  EXPECT_FALSE(Ended(p, 300)) << "it stays alive until ended";
}

TEST(KillProcessesByPath, EndsEveryCopyFromThatPathOnly) {
  ScratchFolder dir;
  const std::string mine = CopyStandIn(dir.Path() + "inst\\");
  const std::string other = CopyStandIn(dir.Path() + "outra\\");
  StandIns run(dir.Path() + "log.txt");
  HANDLE a1 = run.Start(mine, "\"" + mine + "\" 1", dir.Path());
  HANDLE a2 = run.Start(mine, "\"" + mine + "\" 2", dir.Path());
  HANDLE b = run.Start(other, "\"" + other + "\" 3", dir.Path());
  ASSERT_TRUE(a1 && a2 && b);
  ASSERT_EQ(run.Records(), 3u);

  KillProcessesByPath(mine);
  EXPECT_TRUE(Ended(a1, 5000));
  EXPECT_TRUE(Ended(a2, 5000));
  DWORD code = 99;
  GetExitCodeProcess(a1, &code);
  EXPECT_EQ(code, 0u);
  EXPECT_FALSE(Ended(b, 500)) << "a copy from another folder is left alone";
}

// (That accented letters are not folded is shown by the native test of the
// comparison: a folder named with one could not be created in this prefix.)
TEST(KillProcessesByPath, AsciiLetterCaseIsIgnored) {
  ScratchFolder dir;
  const std::string plain = CopyStandIn(dir.Path() + "inst\\");
  StandIns run(dir.Path() + "log.txt");
  // Started from the path spelt in capitals, ended with the path as created,
  // and the other way round.
  HANDLE upper = run.Start(AsciiUpper(plain), "\"" + AsciiUpper(plain) + "\"", dir.Path());
  ASSERT_TRUE(upper);
  KillProcessesByPath(plain);
  EXPECT_TRUE(Ended(upper, 5000));

  HANDLE asCreated = run.Start(plain, "\"" + plain + "\"", dir.Path());
  ASSERT_TRUE(asCreated);
  KillProcessesByPath(AsciiUpper(plain));
  EXPECT_TRUE(Ended(asCreated, 5000));
}

}  // namespace
}  // namespace zq
