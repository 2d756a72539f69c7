#pragma once
// The error raised for a failed operating-system call.
#include <windows.h>

#include <string>

namespace zq {

// "System Error.  Code: <code>.\r\n<system text>", or "A call to an OS
// function failed" for the code 0.
std::string SystemErrorMessage(DWORD code);

}  // namespace zq
