#pragma once
// Whole-file reads with the system's own error text.
#include <cstdint>
#include <string>
#include <vector>

namespace zq {

// The file's bytes; raises zq::Error naming the path and the reason.
std::vector<std::uint8_t> ReadFileBytes(const std::string& path);

}  // namespace zq
