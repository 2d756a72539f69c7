#pragma once
// Reads a file's FileVersion text the way SetupZQ sees it on Windows
// (GetFileVersionInfoA + VerQueryValueA), natively, from the PE image.
//
// The resource is RT_VERSION (16), name 1 (VS_VERSION_INFO); among several
// languages the one a Brazilian Portuguese Windows picks (neutral, 0x0416,
// 0x0016, 0x0409, else the first). The text is "FileVersion" of string table
// 040904E4, else of 041604B0; keys match without regard to ASCII case, as
// VerQueryValue does. The UTF-16 value is cut at its NUL and converted to
// code page 1252.
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "base/error.h"

namespace zq {

enum class PeVersionFailure {
  kUnreadable,        // the file can't be opened or read
  kNoFileVersion,     // a version resource without FileVersion in either table
  kMalformed,         // offsets or lengths that run outside the image or resource
  kUnsupported,       // an NE image or a 16-bit version block
  kNotRepresentable,  // a character code page 1252 has no byte for
};

class PeVersionError : public Error {
 public:
  PeVersionError(PeVersionFailure failure, const std::string& message)
      : Error(message), failure_(failure) {}
  PeVersionFailure failure() const { return failure_; }

 private:
  PeVersionFailure failure_;
};

// The FileVersion text (code page 1252 bytes), or nullopt when the file has no
// version resource (not a PE image, or a PE image without one), for which
// the setup program reads "-1". Raises PeVersionError otherwise; for
// kNoFileVersion the message is the setup program's own: "FileVersion not
// found in " followed by `path`.
std::optional<std::string> ReadFileVersionText(const std::string& path);

// The same for an image already in memory; `path` only names it in messages.
std::optional<std::string> FileVersionTextOfImage(std::span<const std::uint8_t> image,
                                                  const std::string& path);

// The text the setup program compares with the manifest: the version or "-1".
std::string FileVersionTextOrMinusOne(const std::string& path);

}  // namespace zq
