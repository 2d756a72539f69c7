#pragma once
// The installation folder as the manifest evaluation sees it.
#include "env/local_files.h"

namespace zq {

class WinLocalFiles : public LocalFiles {
 public:
  // The long name of the directory entry at that path, whatever its
  // attributes (folders too).
  std::optional<std::string> FindEntry(const std::string& path) override;
  std::string FileVersionText(const std::string& path) override;
};

}  // namespace zq
