#include "env/os_error_win.h"

namespace zq {

namespace {

// The system's text for the code without its trailing line break and blanks;
// "" when the system has none.
std::string SystemText(DWORD code) {
  char* text = nullptr;
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                     FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message = n ? std::string(text, n) : std::string();
  if (text) LocalFree(text);
  while (!message.empty() && (message.back() == '\r' || message.back() == '\n' || message.back() == ' '))
    message.pop_back();
  return message;
}

}  // namespace

std::string SystemMessage(DWORD code) {
  std::string message = SystemText(code);
  while (!message.empty() && (static_cast<unsigned char>(message.back()) <= ' ' || message.back() == '.'))
    message.pop_back();
  return message;
}

std::string SystemErrorHead(long long code) { return "System Error.  Code: " + std::to_string(code) + ".\r\n"; }

std::string SystemErrorMessage(DWORD code) {
  if (code == 0) return "A call to an OS function failed";
  return SystemErrorHead(code) + SystemText(code);
}

}  // namespace zq
