#include "setup/command_line.h"

namespace zq {

namespace {
bool IsSeparator(char c) { return static_cast<unsigned char>(c) <= ' '; }
}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view line) {
  std::vector<std::string> args;
  size_t i = 0;
  const size_t n = line.size();
  while (true) {
    while (i < n && IsSeparator(line[i])) ++i;
    if (i >= n) break;
    std::string arg;
    while (i < n && !IsSeparator(line[i])) {
      if (line[i] == '"') {
        ++i;
        while (i < n && line[i] != '"') arg += line[i++];
        if (i < n) ++i;  // the closing quote
      } else {
        arg += line[i++];
      }
    }
    args.push_back(std::move(arg));
  }
  return args;
}

std::string ArgumentAt(const std::vector<std::string>& args, size_t i) {
  return i < args.size() ? args[i] : std::string();
}

}  // namespace zq
