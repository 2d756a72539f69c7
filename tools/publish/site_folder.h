#pragma once
// Writing a site into a staging folder beside its destination and moving it
// into place in one step, so that a server never sees half a site.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zq {

// Raises zq::Error unless `output_dir` may receive a site: its parent is a
// folder, and the folder itself is absent, or holds nothing but a previous
// site's "scripts" and "BinZQ" (the top folders of the site's paths).
void CheckSiteDestination(const std::string& output_dir);

// A staging folder beside the destination; removed with its content unless
// it was moved into place.
class StagingFolder {
 public:
  explicit StagingFolder(const std::string& output_dir);
  StagingFolder(const StagingFolder&) = delete;
  StagingFolder& operator=(const StagingFolder&) = delete;
  ~StagingFolder();

  const std::string& path() const { return path_; }

  // Creates `relative` (a folder path) inside the staging folder.
  void MakeFolder(const std::string& relative);
  // Writes a new file, flushed to disk; relative to the staging folder.
  void WriteFile(const std::string& relative, std::span<const std::uint8_t> bytes);

  // Puts the staged site at the destination, replacing an earlier one in
  // one rename where the file system allows it. Returns a warning text
  // (empty when none), e.g. when the old site could not be removed.
  std::string MoveIntoPlace();

 private:
  std::string output_dir_;
  std::string path_;
  std::vector<std::string> folders_;  // made by MakeFolder, in order
  bool moved_ = false;
};

}  // namespace zq
