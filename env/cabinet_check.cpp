#include "env/cabinet_check.h"

namespace zq {

namespace {

constexpr size_t kHeaderSize = 36;
constexpr size_t kFolderSize = 8;
constexpr size_t kDataHeaderSize = 8;
constexpr uint16_t kPrevCabinet = 0x0001;
constexpr uint16_t kNextCabinet = 0x0002;
constexpr uint16_t kReservePresent = 0x0004;

// Reads within the cabinet's bytes only; every read says whether it fitted.
class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool U8(size_t at, uint8_t& out) const {
    if (at >= size_) return false;
    out = data_[at];
    return true;
  }
  bool U16(size_t at, uint16_t& out) const {
    if (!Fits(at, 2)) return false;
    out = static_cast<uint16_t>(data_[at] | data_[at + 1] << 8);
    return true;
  }
  bool U32(size_t at, uint32_t& out) const {
    if (!Fits(at, 4)) return false;
    out = static_cast<uint32_t>(data_[at]) | static_cast<uint32_t>(data_[at + 1]) << 8 |
          static_cast<uint32_t>(data_[at + 2]) << 16 | static_cast<uint32_t>(data_[at + 3]) << 24;
    return true;
  }
  // Moves `at` past a NUL-terminated string.
  bool SkipString(size_t& at) const {
    while (at < size_ && data_[at] != 0) ++at;
    if (at >= size_) return false;
    ++at;
    return true;
  }
  bool Fits(size_t at, size_t n) const { return at <= size_ && n <= size_ - at; }

 private:
  const uint8_t* data_;
  size_t size_;
};

}  // namespace

uint32_t CabinetChecksum(const uint8_t* data, size_t size, uint32_t seed) {
  uint32_t sum = seed;
  size_t i = 0;
  for (; i + 4 <= size; i += 4)
    sum ^= static_cast<uint32_t>(data[i]) | static_cast<uint32_t>(data[i + 1]) << 8 |
           static_cast<uint32_t>(data[i + 2]) << 16 | static_cast<uint32_t>(data[i + 3]) << 24;
  // The last one to three bytes are taken high byte first.
  uint32_t tail = 0;
  for (; i < size; ++i) tail = tail << 8 | data[i];
  return sum ^ tail;
}

std::optional<std::string> FindDamagedCabinetBlock(const uint8_t* data, size_t size) {
  const Reader r(data, size);
  if (size < kHeaderSize || data[0] != 'M' || data[1] != 'S' || data[2] != 'C' || data[3] != 'F') return std::nullopt;
  uint16_t folders = 0;
  uint16_t flags = 0;
  r.U16(26, folders);
  r.U16(30, flags);
  size_t at = kHeaderSize;
  uint16_t header_reserve = 0;
  uint8_t folder_reserve = 0;
  uint8_t data_reserve = 0;
  if (flags & kReservePresent) {
    if (!r.U16(at, header_reserve) || !r.U8(at + 2, folder_reserve) || !r.U8(at + 3, data_reserve))
      return std::nullopt;
    at += 4 + header_reserve;
  }
  if (flags & kPrevCabinet && !(r.SkipString(at) && r.SkipString(at))) return std::nullopt;
  if (flags & kNextCabinet && !(r.SkipString(at) && r.SkipString(at))) return std::nullopt;

  // Every block of every folder, numbered across the cabinet.
  size_t total_blocks = 0;
  for (size_t f = 0; f < folders; ++f) {
    uint16_t blocks = 0;
    if (!r.U16(at + f * (kFolderSize + folder_reserve) + 4, blocks)) return std::nullopt;
    total_blocks += blocks;
  }
  // Each block takes at least its header and blocks don't share bytes: more
  // than that is no cabinet to walk (and would make the walk long).
  if (total_blocks > size / kDataHeaderSize) return std::nullopt;
  size_t number = 0;
  for (size_t f = 0; f < folders; ++f) {
    const size_t entry = at + f * (kFolderSize + folder_reserve);
    uint32_t block = 0;
    uint16_t blocks = 0;
    r.U32(entry, block);
    r.U16(entry + 4, blocks);
    for (size_t b = 0; b < blocks; ++b) {
      ++number;
      uint32_t stored = 0;
      uint16_t length = 0;
      const size_t fields = kDataHeaderSize - 4 + data_reserve;  // cbData, cbUncomp, reserve
      if (!r.U32(block, stored) || !r.U16(block + 4, length) || !r.Fits(block + 4, fields + length))
        return std::nullopt;
      const uint8_t* payload = data + block + kDataHeaderSize + data_reserve;
      if (stored != 0 && CabinetChecksum(data + block + 4, fields, CabinetChecksum(payload, length, 0)) != stored)
        return "bloco " + std::to_string(number) + " de " + std::to_string(total_blocks);
      block += static_cast<uint32_t>(kDataHeaderSize + data_reserve + length);
    }
  }
  return std::nullopt;
}

}  // namespace zq
