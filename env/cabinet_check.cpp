#include "env/cabinet_check.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "base/byte_order.h"

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
    out = LoadLe16(data_ + at);
    return true;
  }
  bool U32(size_t at, uint32_t& out) const {
    if (!Fits(at, 4)) return false;
    out = LoadLe32(data_ + at);
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
  for (; i + 4 <= size; i += 4) sum ^= LoadLe32(data + i);
  // The last one to three bytes are taken high byte first.
  uint32_t tail = 0;
  for (; i < size; ++i) tail = tail << 8 | data[i];
  return sum ^ tail;
}

namespace {

struct FolderEntry {
  uint32_t first_block;  // coffCabStart
  uint16_t blocks;       // cCFData
};

// The parts of the header that the checks need, or nothing when the bytes
// are no cabinet that can be walked (the extraction then reports them).
struct Layout {
  uint16_t flags = 0;
  uint8_t data_reserve = 0;
  std::vector<FolderEntry> folders;
  size_t total_blocks = 0;
};

std::optional<Layout> ReadLayout(const Reader& r, const uint8_t* data, size_t size) {
  if (size < kHeaderSize || data[0] != 'M' || data[1] != 'S' || data[2] != 'C' || data[3] != 'F') return std::nullopt;
  Layout layout;
  uint16_t folders = 0;
  r.U16(26, folders);
  r.U16(30, layout.flags);
  size_t at = kHeaderSize;
  uint16_t header_reserve = 0;
  uint8_t folder_reserve = 0;
  if (layout.flags & kReservePresent) {
    if (!r.U16(at, header_reserve) || !r.U8(at + 2, folder_reserve) || !r.U8(at + 3, layout.data_reserve))
      return std::nullopt;
    at += 4 + header_reserve;
  }
  if (layout.flags & kPrevCabinet && !(r.SkipString(at) && r.SkipString(at))) return std::nullopt;
  if (layout.flags & kNextCabinet && !(r.SkipString(at) && r.SkipString(at))) return std::nullopt;
  for (size_t f = 0; f < folders; ++f) {
    const size_t entry = at + f * (kFolderSize + folder_reserve);
    FolderEntry e{};
    if (!r.U32(entry, e.first_block) || !r.U16(entry + 4, e.blocks)) return std::nullopt;
    layout.folders.push_back(e);
    layout.total_blocks += e.blocks;
  }
  // Each block takes at least its header and blocks don't share bytes: more
  // than that is no cabinet to walk (and would make the walk long).
  if (layout.total_blocks > size / kDataHeaderSize) return std::nullopt;
  return layout;
}

// The bytes a block takes, header and reserve included, when they lie
// within the cabinet.
std::optional<size_t> BlockLength(const Reader& r, const Layout& layout, size_t block) {
  uint16_t length = 0;
  const size_t whole = kDataHeaderSize + layout.data_reserve;
  if (!r.U16(block + 4, length) || !r.Fits(block, whole + length)) return std::nullopt;
  return whole + length;
}

}  // namespace

std::optional<std::string> FindRefusedCabinetLayout(const uint8_t* data, size_t size) {
  if (size >= kHeaderSize && data[0] == 'M' && data[1] == 'S' && data[2] == 'C' && data[3] == 'F') {
    const uint16_t flags = static_cast<uint16_t>(data[30] | data[31] << 8);
    if (flags & (kPrevCabinet | kNextCabinet)) return std::string(kMultiPartCabinet);
  }
  const Reader r(data, size);
  const std::optional<Layout> layout = ReadLayout(r, data, size);
  if (!layout) return std::nullopt;
  // The stretch of bytes each folder's blocks take, as far as they lie
  // within the cabinet; two stretches must not share a byte.
  std::vector<std::pair<size_t, size_t>> stretches;
  for (const FolderEntry& f : layout->folders) {
    size_t end = f.first_block;
    for (size_t b = 0; b < f.blocks; ++b) {
      const std::optional<size_t> length = BlockLength(r, *layout, end);
      if (!length) break;
      end += *length;
    }
    if (end > f.first_block) stretches.emplace_back(f.first_block, end);
  }
  std::sort(stretches.begin(), stretches.end());
  for (size_t i = 1; i < stretches.size(); ++i)
    if (stretches[i].first < stretches[i - 1].second) return std::string(kOverlappingFolders);
  return std::nullopt;
}

std::optional<std::string> FindDamagedCabinetBlock(const uint8_t* data, size_t size) {
  const Reader r(data, size);
  const std::optional<Layout> layout = ReadLayout(r, data, size);
  if (!layout) return std::nullopt;
  size_t number = 0;
  // Blocks that don't share bytes add up to at most the cabinet's size: the
  // walk checksums no more than that, whatever the folders say.
  size_t covered = 0;
  for (const FolderEntry& f : layout->folders) {
    size_t block = f.first_block;
    for (size_t b = 0; b < f.blocks; ++b) {
      ++number;
      const std::optional<size_t> length = BlockLength(r, *layout, block);
      if (!length || *length > size - covered) return std::nullopt;
      covered += *length;
      uint32_t stored = 0;
      r.U32(block, stored);
      const size_t head = kDataHeaderSize - 4 + layout->data_reserve;  // cbData, cbUncomp, reserve
      const uint8_t* payload = data + block + 4 + head;
      const size_t payload_size = *length - 4 - head;
      if (stored != 0 && CabinetChecksum(data + block + 4, head, CabinetChecksum(payload, payload_size, 0)) != stored)
        return "bloco " + std::to_string(number) + " de " + std::to_string(layout->total_blocks);
      block += *length;
    }
  }
  return std::nullopt;
}

}  // namespace zq
