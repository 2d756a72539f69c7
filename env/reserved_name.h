#pragma once
// Files of the installation folder that the setup program keeps for itself:
// the server address it wrote (SRVADDR), the highest site serial installed
// from (ZQSITE.SER) and the program itself (SetupZQ.exe). What the server
// sends may not write them.
#include <string_view>

namespace zq {

// A name stored in a cabinet that would write one of the three (compared
// without regard to case, trailing dots and blanks dropped as Windows does).
bool IsReservedCabinetMember(std::string_view name);

// A manifest line's name that would fetch and extract over SRVADDR or
// ZQSITE.SER. A SetupZQ.exe line stays allowed: its cabinet is saved, never
// extracted.
bool IsReservedManifestName(std::string_view name);

}  // namespace zq
