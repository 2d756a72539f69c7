#pragma once
// The installation folder as the manifest evaluation sees it.
#include "setup/manifest.h"

namespace zq {

class WinLocalFiles : public LocalFiles {
 public:
  // A directory entry of that path, whatever its attributes (folders too).
  bool Exists(const std::string& path) override;
  std::string FileVersionText(const std::string& path) override;
};

}  // namespace zq
