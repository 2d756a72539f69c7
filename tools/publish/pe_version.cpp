#include "pe_version.h"

#include <cstdio>
#include <vector>

#include "cp1252.h"
#include "file_bytes.h"

namespace zq {
namespace {

using Bytes = std::span<const std::uint8_t>;

[[noreturn]] void Fail(PeVersionFailure failure, const std::string& path, const std::string& what) {
  throw PeVersionError(failure, path + ": " + what);
}

// Little-endian reads that report whether the field lies inside the bytes.
bool Fits(Bytes b, std::uint64_t offset, std::uint64_t length) {
  return offset <= b.size() && length <= b.size() - offset;
}
std::uint16_t U16(Bytes b, std::size_t o) {
  return static_cast<std::uint16_t>(b[o] | (b[o + 1] << 8));
}
std::uint32_t U32(Bytes b, std::size_t o) {
  return static_cast<std::uint32_t>(b[o]) | (static_cast<std::uint32_t>(b[o + 1]) << 8) |
         (static_cast<std::uint32_t>(b[o + 2]) << 16) | (static_cast<std::uint32_t>(b[o + 3]) << 24);
}

struct Section {
  std::uint32_t virtual_address;
  std::uint32_t raw_size;
  std::uint32_t raw_offset;
};

// The parts of a PE image needed to reach its resources.
class PeImage {
 public:
  PeImage(Bytes image, const std::string& path) : image_(image), path_(path) {}

  // False when the bytes are not a PE image at all.
  bool Parse() {
    if (!Fits(image_, 0, 64) || image_[0] != 'M' || image_[1] != 'Z') return false;
    const std::uint32_t pe = U32(image_, 0x3C);
    if (!Fits(image_, pe, 4)) return false;
    if (image_[pe] == 'N' && image_[pe + 1] == 'E') {
      Fail(PeVersionFailure::kUnsupported, path_, "16-bit NE executables are not supported");
    }
    if (U32(image_, pe) != 0x00004550) return false;  // "PE\0\0"

    const std::uint64_t file_header = pe + 4ull;
    if (!Fits(image_, file_header, 20)) Malformed("truncated PE file header");
    const std::uint16_t section_count = U16(image_, file_header + 2);
    const std::uint16_t optional_size = U16(image_, file_header + 16);
    const std::uint64_t optional = file_header + 20;
    if (!Fits(image_, optional, optional_size) || optional_size < 2) Malformed("truncated optional header");

    std::uint64_t count_at = 0;
    switch (U16(image_, optional)) {
      case 0x10B: count_at = 92; break;   // PE32
      case 0x20B: count_at = 108; break;  // PE32+
      default: Malformed("unknown optional header magic");
    }
    // Data directory 2 is the resource table.
    if (optional_size >= count_at + 4 && U32(image_, optional + count_at) > 2 &&
        optional_size >= count_at + 4 + 3 * 8) {
      resource_rva_ = U32(image_, optional + count_at + 4 + 2 * 8);
      resource_size_ = U32(image_, optional + count_at + 4 + 2 * 8 + 4);
    }

    const std::uint64_t table = optional + optional_size;
    if (!Fits(image_, table, section_count * 40ull)) Malformed("truncated section table");
    for (std::uint16_t i = 0; i < section_count; ++i) {
      const std::size_t s = table + i * 40ull;
      sections_.push_back({U32(image_, s + 12), U32(image_, s + 16), U32(image_, s + 20)});
    }
    return true;
  }

  bool HasResources() const { return resource_rva_ != 0 && resource_size_ != 0; }
  std::uint32_t resource_rva() const { return resource_rva_; }

  // The file bytes at an RVA; they must lie in one section's raw data.
  Bytes At(std::uint64_t rva, std::uint64_t length) const {
    for (const Section& s : sections_) {
      if (rva >= s.virtual_address && rva - s.virtual_address < s.raw_size) {
        const std::uint64_t into = rva - s.virtual_address;
        if (length > s.raw_size - into) Malformed("resource data runs past its section");
        const std::uint64_t offset = s.raw_offset + into;
        if (!Fits(image_, offset, length)) Malformed("resource data runs past the end of the file");
        return image_.subspan(offset, length);
      }
    }
    Malformed("resource address outside every section");
  }

  [[noreturn]] void Malformed(const std::string& what) const {
    Fail(PeVersionFailure::kMalformed, path_, "malformed PE image (" + what + ")");
  }

 private:
  Bytes image_;
  const std::string& path_;
  std::vector<Section> sections_;
  std::uint32_t resource_rva_ = 0;
  std::uint32_t resource_size_ = 0;
};

// One level of the resource tree: entries of a directory found by ID.
class ResourceTree {
 public:
  explicit ResourceTree(const PeImage& pe) : pe_(pe) {}

  struct Entry {
    bool is_directory;
    std::uint32_t offset;  // from the start of the resource table
  };

  std::optional<Entry> FindById(std::uint32_t dir, std::uint16_t id) const {
    for (const Entry& e : Entries(dir, id)) return e;
    return std::nullopt;
  }

  // The language entry Windows takes on a Brazilian Portuguese system:
  // neutral, the user's language, its primary language, English, else the first.
  std::optional<Entry> FindLanguage(std::uint32_t dir) const {
    for (std::uint16_t lang : {std::uint16_t{0x0000}, std::uint16_t{0x0416}, std::uint16_t{0x0016}, std::uint16_t{0x0409}}) {
      if (auto e = FindById(dir, lang)) return e;
    }
    const auto all = Entries(dir, std::nullopt);
    if (all.empty()) return std::nullopt;
    return all.front();
  }

 private:
  std::vector<Entry> Entries(std::uint32_t dir, std::optional<std::uint16_t> id) const {
    const Bytes header = pe_.At(pe_.resource_rva() + std::uint64_t{dir}, 16);
    const std::uint32_t named = U16(header, 12);
    const std::uint32_t ids = U16(header, 14);
    const Bytes entries = pe_.At(pe_.resource_rva() + std::uint64_t{dir} + 16, (named + ids) * 8ull);
    std::vector<Entry> found;
    for (std::uint32_t i = 0; i < named + ids; ++i) {
      const std::uint32_t name = U32(entries, i * 8);
      const std::uint32_t target = U32(entries, i * 8 + 4);
      const bool by_name = (name & 0x80000000u) != 0;
      if (id && (by_name || name != *id)) continue;
      if (!id && i < named) continue;  // a default language is an ID entry
      found.push_back({(target & 0x80000000u) != 0, target & 0x7FFFFFFFu});
      if (id) break;
    }
    return found;
  }

  const PeImage& pe_;
};

// A node of the VS_VERSIONINFO tree, 32-bit (UTF-16) form.
struct VersionNode {
  std::size_t offset;        // from the start of the block
  std::uint16_t length;      // wLength
  std::uint16_t value_length;
  std::uint16_t type;        // 1 text, 0 binary
  std::size_t key_length;    // in UTF-16 units, without the NUL
  std::size_t value_offset;  // 32-bit aligned after the key
};

std::size_t Align4(std::size_t n) { return (n + 3) & ~std::size_t{3}; }

class VersionBlock {
 public:
  VersionBlock(Bytes block, const std::string& path) : block_(block), path_(path) {}

  VersionNode Node(std::size_t offset) const {
    if (!Fits(block_, offset, 6)) Malformed("node header outside the block");
    VersionNode n{offset, U16(block_, offset), U16(block_, offset + 2), U16(block_, offset + 4), 0, 0};
    std::size_t k = offset + 6;
    for (;; k += 2) {
      if (!Fits(block_, k, 2)) Malformed("key without its NUL");
      if (U16(block_, k) == 0) break;
    }
    n.key_length = (k - offset - 6) / 2;
    n.value_offset = Align4(k + 2);
    return n;
  }

  // The child whose key equals `key` without regard to ASCII case, the way
  // VerQueryValue searches: children in order, stopping at a zero length.
  std::optional<VersionNode> FindChild(const VersionNode& parent, const std::string& key) const {
    const std::size_t value_bytes = parent.value_length * (parent.type ? 2u : 1u);
    std::size_t child = parent.value_offset + Align4(value_bytes);
    const std::size_t end = parent.offset + parent.length;
    while (child < end) {
      const VersionNode n = Node(child);
      if (KeyEquals(n, key)) return n;
      if (n.length == 0) return std::nullopt;
      child += Align4(n.length);
    }
    return std::nullopt;
  }

  // The value as the ANSI query hands it out, up to its NUL.
  std::string Text(const VersionNode& n) const {
    std::string text;
    if (n.type == 0) {
      // A binary value comes back unconverted; the caller reads bytes to a NUL.
      for (std::size_t o = n.value_offset;; ++o) {
        if (!Fits(block_, o, 1)) Malformed("binary FileVersion without a NUL");
        if (block_[o] == 0) return text;
        text.push_back(static_cast<char>(block_[o]));
      }
    }
    if (n.value_length == 0) Malformed("FileVersion with a value length of 0");
    if (!Fits(block_, n.value_offset, n.value_length * 2ull)) Malformed("FileVersion runs past the block");
    for (std::size_t i = 0; i < n.value_length; ++i) {
      const std::uint16_t unit = U16(block_, n.value_offset + 2 * i);
      if (unit == 0) return text;
      const auto byte = Cp1252FromUtf16(unit);
      if (!byte) {
        char code[8];
        std::snprintf(code, sizeof code, "%04X", unit);
        Fail(PeVersionFailure::kNotRepresentable, path_,
             std::string("FileVersion holds U+") + code + ", which code page 1252 has no byte for");
      }
      text.push_back(static_cast<char>(*byte));
    }
    // Without a NUL inside its length the converted text has no end.
    Malformed("FileVersion without a NUL inside its length");
  }

 private:
  bool KeyEquals(const VersionNode& n, const std::string& key) const {
    if (n.key_length != key.size()) return false;
    for (std::size_t i = 0; i < key.size(); ++i) {
      std::uint16_t c = U16(block_, n.offset + 6 + 2 * i);
      std::uint16_t k = static_cast<unsigned char>(key[i]);
      if (c >= 'A' && c <= 'Z') c = static_cast<std::uint16_t>(c + 32);
      if (k >= 'A' && k <= 'Z') k = static_cast<std::uint16_t>(k + 32);
      if (c != k) return false;
    }
    return true;
  }

  [[noreturn]] void Malformed(const std::string& what) const {
    Fail(PeVersionFailure::kMalformed, path_, "malformed version resource (" + what + ")");
  }

  Bytes block_;
  const std::string& path_;
};

}  // namespace

std::optional<std::string> FileVersionTextOfImage(Bytes image, const std::string& path) {
  PeImage pe(image, path);
  if (!pe.Parse() || !pe.HasResources()) return std::nullopt;

  const ResourceTree tree(pe);
  const auto type = tree.FindById(0, 16);  // RT_VERSION
  if (!type) return std::nullopt;
  if (!type->is_directory) pe.Malformed("RT_VERSION is not a directory");
  const auto name = tree.FindById(type->offset, 1);  // VS_VERSION_INFO
  if (!name) return std::nullopt;
  if (!name->is_directory) pe.Malformed("version resource name is not a directory");
  const auto lang = tree.FindLanguage(name->offset);
  if (!lang || lang->is_directory) pe.Malformed("version resource without a language entry");

  const Bytes data_entry = pe.At(pe.resource_rva() + std::uint64_t{lang->offset}, 16);
  const Bytes block = pe.At(U32(data_entry, 0), U32(data_entry, 4));

  if (!Fits(block, 0, 6)) pe.Malformed("version resource shorter than its header");
  if (block[4] >= ' ') {
    Fail(PeVersionFailure::kUnsupported, path, "16-bit version resources are not supported");
  }
  if (U16(block, 0) > block.size()) pe.Malformed("version block longer than its resource");

  const VersionBlock vb(block, path);
  const VersionNode root = vb.Node(0);
  if (const auto sfi = vb.FindChild(root, "StringFileInfo")) {
    for (const char* table : {"040904E4", "041604B0"}) {
      if (const auto t = vb.FindChild(*sfi, table)) {
        if (const auto value = vb.FindChild(*t, "FileVersion")) return vb.Text(*value);
      }
    }
  }
  throw PeVersionError(PeVersionFailure::kNoFileVersion, "FileVersion not found in " + path);
}

std::optional<std::string> ReadFileVersionText(const std::string& path) {
  std::vector<std::uint8_t> bytes;
  try {
    bytes = ReadFileBytes(path);
  } catch (const Error& e) {
    throw PeVersionError(PeVersionFailure::kUnreadable, e.what());
  }
  return FileVersionTextOfImage(bytes, path);
}

std::string FileVersionTextOrMinusOne(const std::string& path) {
  return ReadFileVersionText(path).value_or("-1");
}

}  // namespace zq
