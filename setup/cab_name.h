#pragma once
#include <string>

namespace zq {

// The cabinet that carries a manifest file: the name with its extension
// (from the last "." after the last backslash or colon) replaced by ".cab",
// or ".cab" appended when it has none.
std::string CabName(const std::string& name);

}  // namespace zq
