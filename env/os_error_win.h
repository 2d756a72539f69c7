#pragma once
// Texts of operating-system error codes, and the error raised for a failed
// operating-system call.
#include <windows.h>

#include <string>

namespace zq {

// The system's message for the code, without trailing blanks, line ends or period.
std::string SystemMessage(DWORD code);

// "System Error.  Code: <code>.\r\n", the head of a failed call's message.
std::string SystemErrorHead(long long code);

// SystemErrorHead and the system's text (its period kept, its line break
// dropped), or "A call to an OS function failed" for the code 0.
std::string SystemErrorMessage(DWORD code);

}  // namespace zq
