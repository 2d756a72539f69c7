#include "env/safe_name.h"

#include <string>

#include "base/text.h"

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

// Windows drops the dots and blanks at the end of a component, so
// "BemaFI32.dll." is written as BemaFI32.dll and ". ." may act as "..":
// a component ending in either is refused.
bool EndsInDotOrBlank(std::string_view component) {
  return !component.empty() && (component.back() == '.' || component.back() == ' ');
}

// A component that names a device (CON, NUL, COM1, LPT1 ...): what is
// written there never reaches a file in the folder. Windows reads the name
// before the first dot, without trailing blanks, so "nul.dll" and "con .x"
// are devices too.
bool IsDeviceName(std::string_view component) {
  std::string base;
  for (char c : component.substr(0, component.find('.'))) base += AsciiUpperChar(c);
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
    if (EndsInDotOrBlank(component) || IsDeviceName(component)) return false;
    start = end + 1;
  }
  return true;
}

std::string_view LastComponent(std::string_view name) {
  const size_t sep = name.find_last_of("\\/");
  return sep == std::string_view::npos ? name : name.substr(sep + 1);
}

bool IsAliasOfOtherEntry(std::string_view name, std::string_view foundName) {
  return !SameText(LastComponent(name), foundName);
}

}  // namespace zq
