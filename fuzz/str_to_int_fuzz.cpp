// The size and port conversion: checked against a reference written apart
// from it, and against its raising twin.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "base/error.h"
#include "base/str_to_int.h"
#include "fuzz_check.h"

namespace {

// Reference: blanks, sign, "$" / "x" / "0x" prefix, digits; the value is
// gathered with all digits first and judged at the end.
std::optional<int32_t> Reference(const std::string& s) {
  size_t i = s.find_first_not_of(' ');
  if (i == std::string::npos) return std::nullopt;
  bool negative = false;
  if (s[i] == '+' || s[i] == '-') negative = s[i++] == '-';
  bool hex = false;
  if (s.compare(i, 1, "$") == 0 || s.compare(i, 1, "x") == 0 || s.compare(i, 1, "X") == 0) {
    hex = true;
    i += 1;
  } else if (s.compare(i, 2, "0x") == 0 || s.compare(i, 2, "0X") == 0) {
    hex = true;
    i += 2;
  }
  const std::string digits = s.substr(i);
  if (digits.empty()) return std::nullopt;
  const std::string allowed = hex ? "0123456789abcdefABCDEF" : "0123456789";
  if (digits.find_first_not_of(allowed) != std::string::npos) return std::nullopt;
  const size_t significant = std::min(digits.find_first_not_of('0'), digits.size());
  if (digits.size() - significant > 10) return std::nullopt;  // beyond any 32-bit value
  const unsigned long long v = std::stoull(digits.substr(significant).empty() ? "0" : digits.substr(significant),
                                           nullptr, hex ? 16 : 10);
  if (hex) {
    if (v > 0xFFFFFFFFull) return std::nullopt;
    const uint32_t bits = negative ? 0u - static_cast<uint32_t>(v) : static_cast<uint32_t>(v);
    return static_cast<int32_t>(bits);
  }
  if (negative) {
    if (v > 2147483648ull) return std::nullopt;
    return static_cast<int32_t>(-static_cast<long long>(v));
  }
  if (v > 2147483647ull) return std::nullopt;
  return static_cast<int32_t>(v);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::optional<int32_t> got = zq::TryStrToInt(text);
  FUZZ_CHECK(got == Reference(text), "TryStrToInt differs from the reference conversion");

  try {
    const int32_t v = zq::StrToInt(text);
    FUZZ_CHECK(got && *got == v, "StrToInt accepted what TryStrToInt refused");
  } catch (const zq::Error& e) {
    FUZZ_CHECK(!got, "StrToInt raised on a valid text");
    // what() is a C string: compare up to the first NUL.
    const std::string expected = "'" + text + "' is not a valid integer value";
    FUZZ_CHECK(std::string(e.what()) == expected.substr(0, expected.find('\0')), "wrong conversion message");
  }

  if (got) {  // the decimal text of any value reads back as that value
    FUZZ_CHECK(zq::TryStrToInt(std::to_string(*got)) == got, "decimal text does not round-trip");
  }
  return 0;
}
