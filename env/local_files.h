#pragma once
// What the manifest evaluation asks about the installation folder.
#include <optional>
#include <string>

namespace zq {

struct LocalFiles {
  virtual ~LocalFiles() = default;
  // The name that the directory search reports for the entry at that path
  // (its long name, also when the path gives a short 8.3 alias), whatever
  // its attributes, folders too; nothing when there is no such entry.
  virtual std::optional<std::string> FindEntry(const std::string& path) = 0;
  // The FileVersion text of the file's version resource, "-1" without one.
  virtual std::string FileVersionText(const std::string& path) = 0;
};

}  // namespace zq
