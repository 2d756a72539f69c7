// The command-line split. Checked against the bytes it must keep, and by a
// round trip: arguments written back in double quotes split into themselves.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "setup/command_line.h"

namespace {

bool IsSeparator(char c) { return static_cast<unsigned char>(c) <= ' '; }

// Every byte that is neither a quote nor a separator outside quotes, in order.
std::string KeptBytes(std::string_view line) {
  std::string kept;
  bool quoted = false;
  for (char c : line) {
    if (c == '"') quoted = !quoted;
    else if (quoted || !IsSeparator(c)) kept += c;
  }
  return kept;
}

std::string Quoted(const std::vector<std::string>& args) {
  std::string line;
  for (const std::string& a : args) line += (line.empty() ? "\"" : " \"") + a + "\"";
  return line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> args = zq::SplitCommandLine(line);

  std::string joined;
  for (const std::string& a : args) {
    FUZZ_CHECK(a.find('"') == std::string::npos, "an argument kept a double quote");
    joined += a;
  }
  FUZZ_CHECK(joined == KeptBytes(line), "bytes were lost, added or reordered");
  FUZZ_CHECK(args.size() <= size, "more arguments than bytes");

  // An argument without quotes in it, written between quotes, reads back as
  // itself whatever blanks and control bytes it holds.
  FUZZ_CHECK(zq::SplitCommandLine(Quoted(args)) == args, "quoted arguments did not round-trip");

  // The input itself cut into pieces at NUL bytes: each piece is one
  // argument once quoted (quotes inside a piece are dropped first).
  std::vector<std::string> pieces;
  std::string piece;
  for (char c : line) {
    if (c == '\0') {
      pieces.push_back(piece);
      piece.clear();
    } else if (c != '"') {
      piece += c;
    }
  }
  pieces.push_back(piece);
  FUZZ_CHECK(zq::SplitCommandLine(Quoted(pieces)) == pieces, "quoted stretches did not round-trip");

  for (size_t i = 0; i < args.size() + 2; ++i)
    FUZZ_CHECK(zq::ArgumentAt(args, i) == (i < args.size() ? args[i] : std::string()), "ArgumentAt");
  return 0;
}
