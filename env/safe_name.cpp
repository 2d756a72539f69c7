#include "env/safe_name.h"

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

}  // namespace

bool IsSafeRelativeName(std::string_view name) {
  if (name.empty() || IsSeparator(name.front())) return false;
  for (char c : name)
    if (IsForbiddenChar(c)) return false;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = start;
    while (end < name.size() && !IsSeparator(name[end])) ++end;
    if (IsDotsOnly(name.substr(start, end - start))) return false;
    start = end + 1;
  }
  return true;
}

}  // namespace zq
