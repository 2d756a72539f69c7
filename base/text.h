#pragma once
// Small text helpers over 8-bit (code page 1252) strings.
#include <string>
#include <string_view>

namespace zq {

// Removes blanks and control characters (bytes up to 0x20) at both ends.
std::string Trim(std::string_view s);

// Upper-cases the letters of code page 1252, as the system's ANSI
// upper-casing does (a-z, the accented letters, š œ ž ÿ).
char AnsiUpperChar(char c);
std::string AnsiUpper(std::string_view s);

// Upper-cases a-z only, as the system does for file names and device names.
constexpr char AsciiUpperChar(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// The value of a hex digit (0-9, a-f, A-F), or -1.
constexpr int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Equal without regard to letter case (code page 1252 letters).
bool SameText(std::string_view a, std::string_view b);

}  // namespace zq
