#pragma once
// The data checksums of a downloaded cabinet. The setup library that
// extracts cabinets under Wine does not check them, so damaged data would be
// written out as the product's file without a word: the program checks
// them itself before extracting.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace zq {

// The cabinet format's checksum of `size` bytes, folded into `seed`.
uint32_t CabinetChecksum(const uint8_t* data, size_t size, uint32_t seed);

// Walks every data block of every folder of the cabinet in `data` and
// compares each block's stored checksum (when it has one: 0 means none)
// with its bytes. Gives a description of the first block that differs
// ("bloco 3 de 37"), or nothing when every block present checks out. The
// structure itself (a header cut short, blocks past the end) is not judged
// here: the extraction reports it.
std::optional<std::string> FindDamagedCabinetBlock(const uint8_t* data, size_t size);

}  // namespace zq
