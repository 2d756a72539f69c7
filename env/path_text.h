#pragma once
// Portable path texts of the local environment.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zq {

// Equal when the lengths match and every byte matches, the letters a-z
// matching their capitals; no other byte is folded (é differs from É).
bool SameTextAsciiCase(std::string_view a, std::string_view b);

// The text up to and including the last backslash or colon; "" when the path
// has neither.
std::string ExtractFolder(std::string_view path);

// documents + "Arquivos.Zolmar\SisZQ[port]\": the port is written only when
// it is not 80. The documents folder must end with a backslash.
std::string DataFolderPath(std::string_view documents, int32_t port);

// The folders that make up a folder path ending with a backslash, outermost
// first, each ending with a backslash; the root ("C:\", "\\server\share\")
// is not listed. "C:\A\B\" gives "C:\A\", "C:\A\B\".
std::vector<std::string> FolderChain(std::string_view folder);

}  // namespace zq
