// The program's check of cabinet data against cabinets the publishing tool
// makes with libgcab: every block of a sound cabinet checks out, whatever
// its length's remainder by four, and a changed byte of data is found in
// the block that holds it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "cabinet_maker.h"
#include "env/cabinet_check.h"

namespace zq {
namespace {

std::vector<uint8_t> Content(size_t size, bool compressible) {
  std::vector<uint8_t> bytes(size);
  std::mt19937 gen(static_cast<uint32_t>(size));
  for (size_t i = 0; i < size; ++i) bytes[i] = compressible ? static_cast<uint8_t>("leiame "[i % 7]) : gen() & 0xFF;
  return bytes;
}

TEST(CabinetCheck, SoundCabinetsCheckOut) {
  for (size_t size : {0, 1, 2, 3, 4, 5, 32767, 32768, 32769, 100003}) {
    for (bool compressible : {false, true}) {
      const std::vector<uint8_t> cab = MakeCabinet("a.dll", Content(size, compressible), 1700000000);
      EXPECT_EQ(FindDamagedCabinetBlock(cab.data(), cab.size()), std::nullopt) << size << " " << compressible;
    }
  }
}

TEST(CabinetCheck, ChangedDataByteIsFoundInItsBlock) {
  // Incompressible: MSZIP stores each 32 KiB block as it is, so the byte
  // at a content offset sits in block offset / 32768 + 1.
  const std::vector<uint8_t> content = Content(100003, false);
  const std::vector<uint8_t> sound = MakeCabinet("b.dat", content, 1700000000);
  struct Case {
    size_t content_offset;
    const char* block;
  } const cases[] = {{0, "bloco 1 de 4"}, {40000, "bloco 2 de 4"}, {100002, "bloco 4 de 4"}};
  for (const Case& c : cases) {
    std::vector<uint8_t> cab = sound;
    // Find the content byte in the cabinet by a run of bytes around it.
    const size_t from = c.content_offset >= 8 ? c.content_offset - 8 : 0;
    const size_t to = std::min(content.size(), c.content_offset + 9);
    const auto at = std::search(cab.begin(), cab.end(), content.begin() + static_cast<ptrdiff_t>(from),
                                content.begin() + static_cast<ptrdiff_t>(to));
    ASSERT_NE(at, cab.end()) << c.content_offset;
    *(at + static_cast<ptrdiff_t>(c.content_offset - from)) ^= 0x10;
    EXPECT_EQ(FindDamagedCabinetBlock(cab.data(), cab.size()), c.block) << c.content_offset;
  }
}

TEST(CabinetCheck, WhatIsNoSoundStructureIsLeftToTheExtraction) {
  const std::vector<uint8_t> sound = MakeCabinet("b.dat", Content(70000, false), 1700000000);
  for (size_t keep : {size_t{0}, size_t{10}, size_t{36}, size_t{60}, sound.size() / 2, sound.size() - 1}) {
    EXPECT_EQ(FindDamagedCabinetBlock(sound.data(), keep), std::nullopt) << keep;
  }
  std::vector<uint8_t> no_sums = sound;
  const uint32_t first_block = no_sums[36] | no_sums[37] << 8;
  no_sums[first_block + 100] ^= 1;
  EXPECT_EQ(FindDamagedCabinetBlock(no_sums.data(), no_sums.size()), "bloco 1 de 3");
  for (int i = 0; i < 4; ++i) no_sums[first_block + i] = 0;  // a block without a checksum isn't checked
  EXPECT_EQ(FindDamagedCabinetBlock(no_sums.data(), no_sums.size()), std::nullopt);
}

}  // namespace
}  // namespace zq
