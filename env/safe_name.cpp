#include "env/safe_name.h"

#include <string>

namespace zq {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsForbiddenChar(char c) {
  const unsigned char u = static_cast<unsigned char>(c);
  if (u < 0x20) return true;
  switch (c) {
    case ':': case '<': case '>': case '"': case '|': case '?': case '*':
      return true;
    default:
      return false;
  }
}

// A component made of dots and blanks only: Windows drops trailing dots and
// blanks, so ". ." or "... " may act as "." or "..".
bool IsDotsOnly(std::string_view component) {
  bool hasDot = false;
  for (char c : component) {
    if (c == '.') hasDot = true;
    else if (c != ' ') return false;
  }
  return hasDot;
}

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// A component that names a device (CON, NUL, COM1, LPT1 ...): what is
// written there never reaches a file in the folder. Windows reads the name
// before the first dot, without trailing blanks, so "nul.dll" and "con .x"
// are devices too.
bool IsDeviceName(std::string_view component) {
  std::string base;
  for (char c : component.substr(0, component.find('.'))) base += AsciiUpper(c);
  while (!base.empty() && base.back() == ' ') base.pop_back();
  for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
    if (base == device) return true;
  if (base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0)) {
    const unsigned char digit = static_cast<unsigned char>(base[3]);
    // 1 to 9, and the superscripts 1, 2 and 3 of code page 1252.
    return (digit >= '1' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
  }
  return false;
}

}  // namespace

bool IsSafeRelativeName(std::string_view name) {
  if (name.empty() || IsSeparator(name.front())) return false;
  for (char c : name)
    if (IsForbiddenChar(c)) return false;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = start;
    while (end < name.size() && !IsSeparator(name[end])) ++end;
    const std::string_view component = name.substr(start, end - start);
    if (IsDotsOnly(component) || IsDeviceName(component)) return false;
    start = end + 1;
  }
  return true;
}

}  // namespace zq
