#include "tools/uiauto/child_process_win.h"

#include <vector>

namespace zq::uiauto {

ChildProcess::ChildProcess(const std::string& command_line) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE write_pipe = nullptr;
  if (!CreatePipe(&read_pipe_, &write_pipe, &inherit, 0)) return;
  SetHandleInformation(read_pipe_, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = write_pipe;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION info{};
  std::vector<char> line(command_line.begin(), command_line.end());
  line.push_back('\0');
  if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info)) {
    process_ = info.hProcess;
    CloseHandle(info.hThread);
  }
  CloseHandle(write_pipe);  // the child holds the only writing end now
  reader_ = std::thread([this] {
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(read_pipe_, buf, sizeof buf, &got, nullptr) && got > 0) output_.append(buf, got);
  });
}

ChildProcess::~ChildProcess() {
  if (process_ != nullptr) {
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) TerminateProcess(process_, 99);
    WaitForSingleObject(process_, 5000);
  }
  if (reader_.joinable()) reader_.join();
  if (read_pipe_ != nullptr) CloseHandle(read_pipe_);
  if (process_ != nullptr) CloseHandle(process_);
}

bool ChildProcess::Wait(DWORD timeout_ms) {
  if (process_ == nullptr) return false;
  const bool ended = WaitForSingleObject(process_, timeout_ms) == WAIT_OBJECT_0;
  if (!ended) {
    TerminateProcess(process_, 99);
    WaitForSingleObject(process_, 5000);
  }
  GetExitCodeProcess(process_, &exit_code_);
  if (reader_.joinable()) reader_.join();
  return ended;
}

std::string ProgramFolder() {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, n);
  return folder.substr(0, folder.find_last_of('\\') + 1);
}

}  // namespace zq::uiauto
