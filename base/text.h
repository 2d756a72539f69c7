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

// Equal without regard to letter case (code page 1252 letters).
bool SameText(std::string_view a, std::string_view b);

}  // namespace zq
