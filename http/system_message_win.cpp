#include "http/system_message_win.h"

namespace zq {

std::string SystemMessage(DWORD code) {
  char* text = nullptr;
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                     FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message = n ? std::string(text, n) : std::string();
  if (text) LocalFree(text);
  while (!message.empty() && (static_cast<unsigned char>(message.back()) <= ' ' || message.back() == '.'))
    message.pop_back();
  return message;
}

std::string SocketErrorText(int code, const char* api) {
  return "Windows socket error: " + SystemMessage(static_cast<DWORD>(code)) + " (" + std::to_string(code) +
         "), on API '" + api + "'";
}

}  // namespace zq
