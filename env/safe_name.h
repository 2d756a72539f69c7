#pragma once
// The rule for a file name that comes from outside (a manifest line, a name
// stored in a cabinet): it must stay inside the installation folder and
// name the file it says.
#include <string_view>

namespace zq {

// True when the name is a relative file name that cannot leave the folder it
// is joined to: not empty, no drive or stream colon, no leading backslash or
// slash, no component ending in a dot or blank (Windows drops those, so
// "a.dll." is a.dll and ". ." is ".."), none of the characters Windows
// refuses in a file name (< > " | ? * and control bytes), and no component
// that names a device (CON, PRN, AUX, NUL, COM1-9, LPT1-9, CONIN$, CONOUT$,
// also with an extension: nul.dll). Inner backslashes or slashes
// (sub\file.dll) are allowed.
bool IsSafeRelativeName(std::string_view name);

// The text after the last backslash or slash.
std::string_view LastComponent(std::string_view name);

// True when the directory search, asked for `name`, reported an entry of
// another name (`foundName`, its long name): the name is a short 8.3 alias
// such as BEMAFI~1.DLL of BemaFI32.dll. Letter case does not count.
bool IsAliasOfOtherEntry(std::string_view name, std::string_view foundName);

}  // namespace zq
