#pragma once
// UTF-16 to Windows code page 1252, as WideCharToMultiByte(CP_ACP) gives it
// on a Western Windows for every character the code page holds.
#include <cstdint>
#include <optional>

namespace zq {

// The code page 1252 byte for a UTF-16 code unit, or nullopt when the code
// page has none (surrogates included).
std::optional<std::uint8_t> Cp1252FromUtf16(std::uint16_t unit);

}  // namespace zq
