#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace zq {

// The standard integer conversion: leading blanks, an optional sign, then
// decimal digits, or hexadecimal digits after "$", "x" or "0x" (either case).
// The value must fit a signed 32-bit integer; hexadecimal may give its
// two's-complement bit pattern (up to 0xFFFFFFFF).
std::optional<int32_t> TryStrToInt(const std::string& text);

// As TryStrToInt; raises "'<text>' is not a valid integer value" when invalid.
int32_t StrToInt(const std::string& text);

}  // namespace zq
