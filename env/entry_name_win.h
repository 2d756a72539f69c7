#pragma once
// The name a directory entry really has.
#include <optional>
#include <string>

namespace zq {

// The name that the directory search (FindFirstFileA) reports for the entry
// at that path, whatever its attributes, folders too: its long name, also
// when the path spells a short 8.3 alias (BEMAFI~1.DLL gives BemaFI32.dll).
// Nothing when there is no such entry.
std::optional<std::string> FoundEntryName(const std::string& path);

}  // namespace zq
