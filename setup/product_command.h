#pragma once
#include <string>

namespace zq {

// The command line DeskZQ.exe is started with. Both pass-through texts
// non-blank: " xctpt \"arg3\" \"arg4\" SETUP ZQ"; otherwise the fixed
// " NEW \"SET\" \"UP\" SETUP ZQ". The texts go in exactly as received.
// A product path with a blank in it is put in double quotes, so that the
// system cannot take a shorter path (C:\Users\Maria.exe) for the program.
std::string BuildProductCommand(const std::string& productPath, const std::string& arg3,
                                const std::string& arg4);

}  // namespace zq
