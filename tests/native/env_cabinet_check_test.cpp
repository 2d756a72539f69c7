// The checks of a downloaded cabinet on cabinets built here byte by byte,
// with the data checksum worked out as the cabinet format states it.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "env/cabinet_check.h"

namespace zq {
namespace {

using Bytes = std::vector<uint8_t>;

// The cabinet format's checksum: four bytes at a time, least significant
// first, then the last one to three bytes with the first of them highest.
uint32_t FormatChecksum(const uint8_t* p, size_t n, uint32_t seed) {
  uint32_t sum = seed;
  size_t words = n / 4;
  while (words-- > 0) {
    sum ^= static_cast<uint32_t>(p[0]) + (static_cast<uint32_t>(p[1]) << 8) + (static_cast<uint32_t>(p[2]) << 16) +
           (static_cast<uint32_t>(p[3]) << 24);
    p += 4;
  }
  uint32_t last = 0;
  switch (n % 4) {
    case 3: last |= static_cast<uint32_t>(*p++) << 16; [[fallthrough]];
    case 2: last |= static_cast<uint32_t>(*p++) << 8; [[fallthrough]];
    case 1: last |= *p; break;
    default: break;
  }
  return sum ^ last;
}

void Put16(Bytes& b, size_t at, uint32_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(Bytes& b, size_t at, uint32_t v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}

// A cabinet of one folder holding `blocks` (stored as they are), with
// optional reserve fields; `checksums` false leaves every stored sum 0.
struct Built {
  Bytes cab;
  std::vector<size_t> block_at;  // where each CFDATA starts
};
Built Build(const std::vector<std::string>& blocks, uint16_t header_reserve = 0, uint8_t folder_reserve = 0,
            uint8_t data_reserve = 0, bool checksums = true) {
  const bool reserve = header_reserve || folder_reserve || data_reserve;
  Built b;
  b.cab.assign(36, 0);
  b.cab[0] = 'M', b.cab[1] = 'S', b.cab[2] = 'C', b.cab[3] = 'F';
  b.cab[24] = 3, b.cab[25] = 1;  // version 1.3
  Put16(b.cab, 26, 1);           // one folder
  Put16(b.cab, 30, reserve ? 4 : 0);
  if (reserve) {
    b.cab.resize(40);
    Put16(b.cab, 36, header_reserve);
    b.cab[38] = folder_reserve;
    b.cab[39] = data_reserve;
    b.cab.resize(b.cab.size() + header_reserve, 0xAA);
  }
  const size_t folder = b.cab.size();
  b.cab.resize(folder + 8 + folder_reserve, 0xBB);
  Put16(b.cab, folder + 4, static_cast<uint32_t>(blocks.size()));
  Put16(b.cab, folder + 6, 0);  // stored
  Put32(b.cab, folder, static_cast<uint32_t>(b.cab.size()));
  for (const std::string& data : blocks) {
    const size_t at = b.cab.size();
    b.block_at.push_back(at);
    b.cab.resize(at + 8 + data_reserve, 0xCC);
    Put32(b.cab, at, 0);
    Put16(b.cab, at + 4, static_cast<uint32_t>(data.size()));
    Put16(b.cab, at + 6, static_cast<uint32_t>(data.size()));
    b.cab.insert(b.cab.end(), data.begin(), data.end());
    if (checksums) {
      const uint32_t of_data = FormatChecksum(b.cab.data() + at + 8 + data_reserve, data.size(), 0);
      Put32(b.cab, at, FormatChecksum(b.cab.data() + at + 4, 4 + data_reserve, of_data));
    }
  }
  Put32(b.cab, 8, static_cast<uint32_t>(b.cab.size()));
  return b;
}

std::optional<std::string> Damage(const Bytes& cab) { return FindDamagedCabinetBlock(cab.data(), cab.size()); }

TEST(CabinetChecksumWalk, SoundBlocksOfEveryRemainderCheckOut) {
  // Short last blocks of 1, 2 and 3 bytes past a multiple of four.
  for (const char* last : {"x", "xy", "xyz", "wxyz", "abcdefg"}) {
    SCOPED_TRACE(last);
    const Built b = Build({"0123456789abcdef", last});
    EXPECT_EQ(Damage(b.cab), std::nullopt);
    // Every byte of the last block's data counts, and so does its cbUncomp.
    std::vector<size_t> summed = {b.block_at[1] + 6};
    for (size_t at = b.block_at[1] + 8; at < b.cab.size(); ++at) summed.push_back(at);
    for (size_t at : summed) {
      Bytes changed = b.cab;
      changed[at] ^= 0x40;
      EXPECT_EQ(Damage(changed), "bloco 2 de 2") << at;
    }
  }
}

TEST(CabinetChecksumWalk, StoredChecksumOfZeroIsNotChecked) {
  Built b = Build({"abcd", "efgh"});
  b.cab[b.block_at[0] + 8] ^= 0xFF;
  EXPECT_EQ(Damage(b.cab), "bloco 1 de 2");
  Put32(b.cab, b.block_at[0], 0);
  EXPECT_EQ(Damage(b.cab), std::nullopt);
  b.cab[b.block_at[1] + 9] ^= 0xFF;  // the second block still is
  EXPECT_EQ(Damage(b.cab), "bloco 2 de 2");
  EXPECT_EQ(Damage(Build({"abcd"}, 0, 0, 0, false).cab), std::nullopt);
}

TEST(CabinetChecksumWalk, ReserveFieldsAreSteppedOverAndTheDataReserveSummed) {
  struct Case {
    const char* name;
    uint16_t header;
    uint8_t folder, data;
  } const cases[] = {{"header", 5, 0, 0}, {"folder", 0, 3, 0}, {"data", 0, 0, 2}, {"all", 17, 1, 7}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Built b = Build({"primeiro bloco", "ultimo"}, c.header, c.folder, c.data);
    EXPECT_EQ(Damage(b.cab), std::nullopt);
    Bytes data_byte = b.cab;
    data_byte.back() ^= 0x08;
    EXPECT_EQ(Damage(data_byte), "bloco 2 de 2");
    if (c.data > 0) {
      Bytes reserve_byte = b.cab;
      reserve_byte[b.block_at[0] + 8] ^= 0x08;  // inside the block's reserve
      EXPECT_EQ(Damage(reserve_byte), "bloco 1 de 2");
    }
  }
}

// Folders that point at the same blocks would make the walk checksum the
// same bytes again and again: it stops once it has covered the cabinet's
// size, and the layout check refuses such a cabinet.
TEST(CabinetChecksumWalk, StopsOnceItHasCoveredTheCabinetsSize) {
  // Folder 1 and 2: the same big sound block; folder 3: a damaged small one.
  Built b = Build({std::string(1000, 'z'), "dano"});
  Bytes& cab = b.cab;
  const size_t folders = 36;
  const size_t big = b.block_at[0], small = b.block_at[1];
  cab[small + 8] ^= 1;
  ASSERT_EQ(Damage(cab), "bloco 2 de 2");
  // Rewrite the folder table: three entries, the data moved up by 16 bytes.
  cab.insert(cab.begin() + folders + 8, 16, 0);
  Put16(cab, 26, 3);
  Put32(cab, folders, static_cast<uint32_t>(big + 16));
  Put16(cab, folders + 4, 1);
  Put32(cab, folders + 8, static_cast<uint32_t>(big + 16));
  Put16(cab, folders + 12, 1);
  Put32(cab, folders + 16, static_cast<uint32_t>(small + 16));
  Put16(cab, folders + 20, 1);
  EXPECT_EQ(Damage(cab), std::nullopt) << "blocks past the cabinet's size were walked";
  EXPECT_EQ(FindRefusedCabinetLayout(cab.data(), cab.size()), std::string(kOverlappingFolders));
}

TEST(CabinetLayout, SeveralPartsAndSharedBlocksAreRefused) {
  const Built sound = Build({"abcd", "efgh"});
  EXPECT_EQ(FindRefusedCabinetLayout(sound.cab.data(), sound.cab.size()), std::nullopt);
  for (uint32_t flag : {1u, 2u, 3u}) {
    SCOPED_TRACE(flag);
    Bytes cab = sound.cab;
    Put16(cab, 30, flag);
    EXPECT_EQ(FindRefusedCabinetLayout(cab.data(), cab.size()), std::string(kMultiPartCabinet));
    EXPECT_EQ(FindRefusedCabinetLayout(cab.data(), 36), std::string(kMultiPartCabinet)) << "the head is enough";
  }

  // Two folders: the second starts at the first's second block, inside it,
  // or right after it.
  struct Case {
    const char* name;
    size_t second_start_offset;  // from the first block
    bool refused;
  } const cases[] = {{"same start", 0, true}, {"inside the last block", 14, true}, {"right after", 24, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Built b = Build({"abcd", "efgh", "ijkl"});  // 12 bytes a block
    b.cab.insert(b.cab.begin() + 44, 8, 0);
    Put16(b.cab, 26, 2);
    Put32(b.cab, 36, static_cast<uint32_t>(b.block_at[0] + 8));
    Put16(b.cab, 40, 2);  // the first folder: blocks 1 and 2
    Put32(b.cab, 44, static_cast<uint32_t>(b.block_at[0] + 8 + c.second_start_offset));
    Put16(b.cab, 48, 1);
    EXPECT_EQ(FindRefusedCabinetLayout(b.cab.data(), b.cab.size()),
              c.refused ? std::optional<std::string>(kOverlappingFolders) : std::nullopt);
  }
  // No cabinet at all, or cut short: nothing to say here.
  EXPECT_EQ(FindRefusedCabinetLayout(sound.cab.data(), 20), std::nullopt);
  const Bytes text = {'h', 'e', 'l', 'l', 'o'};
  EXPECT_EQ(FindRefusedCabinetLayout(text.data(), text.size()), std::nullopt);
}

}  // namespace
}  // namespace zq
