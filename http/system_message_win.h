#pragma once
// Texts of operating-system error codes.
#include <windows.h>

#include <string>

namespace zq {

// The system's message for the code, without trailing blanks, line ends or period.
std::string SystemMessage(DWORD code);

// "Windows socket error: <message> (<code>), on API '<api>'".
std::string SocketErrorText(int code, const char* api);

}  // namespace zq
