#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace zq {

// Splits a command line into arguments: runs of blanks and control
// characters separate them; a stretch in double quotes keeps its blanks and
// loses the quotes.
std::vector<std::string> SplitCommandLine(std::string_view line);

// Argument i of a split command line, or "" when it is not there.
std::string ArgumentAt(const std::vector<std::string>& args, size_t i);

}  // namespace zq
