#pragma once
// Runs a program with its standard output captured, for tests that drive
// the setup window from outside its process.
#include <windows.h>

#include <string>
#include <thread>

namespace zq::uiauto {

class ChildProcess {
 public:
  // Starts `command_line`; Started() tells whether it runs.
  explicit ChildProcess(const std::string& command_line);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Started() const { return process_ != nullptr; }
  // Waits for the end; false on timeout (the process is then terminated).
  bool Wait(DWORD timeout_ms);
  DWORD ExitCode() const { return exit_code_; }
  // Everything the program wrote to its standard output (after Wait).
  const std::string& Output() const { return output_; }

 private:
  HANDLE process_ = nullptr;
  HANDLE read_pipe_ = nullptr;
  std::thread reader_;
  std::string output_;
  DWORD exit_code_ = 0xFFFFFFFF;
};

// The folder of the running program, ending with a backslash.
std::string ProgramFolder();

}  // namespace zq::uiauto
