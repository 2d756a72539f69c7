#pragma once
// One-file MSZIP cabinets made with libgcab.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zq {

// A cabinet holding `content` under `name`, MSZIP-compressed, dated
// `mtime_unix` (UTC) with the archive attribute. Raises zq::Error.
std::vector<std::uint8_t> MakeCabinet(const std::string& name, std::span<const std::uint8_t> content,
                                      std::int64_t mtime_unix);

}  // namespace zq
