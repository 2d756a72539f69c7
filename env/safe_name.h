#pragma once
// The rule for a file name that comes from outside (a manifest line, a name
// stored in a cabinet): it must stay inside the installation folder.
#include <string_view>

namespace zq {

// True when the name is a relative file name that cannot leave the folder it
// is joined to: not empty, no drive or stream colon, no leading backslash or
// slash, no "." or ".." component (nor one of dots and blanks only, which
// Windows reads the same way), and none of the characters Windows refuses in
// a file name (< > " | ? * and control bytes), and no component that names
// a device (CON, PRN, AUX, NUL, COM1-9, LPT1-9, CONIN$, CONOUT$, also with an
// extension: nul.dll). Inner backslashes or slashes (sub\file.dll) are allowed.
bool IsSafeRelativeName(std::string_view name);

}  // namespace zq
