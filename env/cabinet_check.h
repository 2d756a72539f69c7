#pragma once
// The checks of a downloaded cabinet before it is extracted: its layout and
// the data checksums of its blocks. The setup library that
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

// What a refused layout says, as the last part of the extraction's error.
inline constexpr char kMultiPartCabinet[] = "Arquivo compactado em várias partes (não suportado)";
inline constexpr char kOverlappingFolders[] = "Arquivo compactado danificado (blocos de dados sobrepostos)";

// A cabinet that is refused whatever its data: one that continues another
// or goes on in another (the previous/next flags: the setup library would
// open the other cabinet by the name stored in this one), or one whose
// folders' data blocks share bytes. Gives one of the texts above, or
// nothing. Only the bytes given are judged: a head of the file is enough for
// the flags.
std::optional<std::string> FindRefusedCabinetLayout(const uint8_t* data, size_t size);

// Walks every data block of every folder of the cabinet in `data` and
// compares each block's stored checksum (when it has one: 0 means none)
// with its bytes. Gives a description of the first block that differs
// ("bloco 3 de 37"), or nothing when every block present checks out. The
// structure itself (a header cut short, blocks past the end) is not judged
// here: the extraction reports it. The walk checksums no more bytes than
// the cabinet holds.
std::optional<std::string> FindDamagedCabinetBlock(const uint8_t* data, size_t size);

}  // namespace zq
