#include "base/str_to_int.h"

#include "base/error.h"

namespace zq {

namespace {
int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}
}  // namespace

std::optional<int32_t> TryStrToInt(const std::string& text) {
  size_t i = 0;
  const size_t n = text.size();
  while (i < n && text[i] == ' ') ++i;
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  int base = 10;
  if (i < n && text[i] == '$') {
    base = 16;
    ++i;
  } else if (i < n && (text[i] == 'x' || text[i] == 'X')) {
    base = 16;
    ++i;
  } else if (i + 1 < n && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= n) return std::nullopt;
  uint64_t value = 0;
  const uint64_t limit = base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
  for (; i < n; ++i) {
    const int d = DigitValue(text[i]);
    if (d < 0 || d >= base) return std::nullopt;
    value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
    if (value > limit) return std::nullopt;
  }
  uint32_t bits = static_cast<uint32_t>(value);
  if (negative) bits = 0u - bits;
  return static_cast<int32_t>(bits);
}

int32_t StrToInt(const std::string& text) {
  if (auto v = TryStrToInt(text)) return *v;
  throw Error("'" + text + "' is not a valid integer value");
}

}  // namespace zq
