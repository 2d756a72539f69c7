#pragma once
// Scratch folders, file helpers and a runner for the zq-publish program.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace zq::test {

// A fresh folder under /tmp, open to every user (the runner may drop to
// "nobody"), removed with its content at the end.
class ScratchDir {
 public:
  ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  ~ScratchDir();
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

std::string FixturePath(const std::string& name);  // e.g. "en_pe64.dll"
std::vector<std::uint8_t> ReadBytes(const std::string& path);
std::string ReadText(const std::string& path);
void WriteText(const std::string& path, const std::string& text);
void CopyFile(const std::string& from, const std::string& to);
void MakeDir(const std::string& path);  // mode 0777

// Every entry below `root`: relative path -> content ("<dir>" for folders).
std::map<std::string, std::string> Snapshot(const std::string& root);
// Names directly inside `dir`.
std::vector<std::string> Entries(const std::string& dir);

struct RunResult {
  int exit_code;
  std::string out;
  std::string err;
};

// Runs zq-publish with `args`; as the user "nobody" when `unprivileged` and
// this process is root, so that permission checks apply.
RunResult RunPublish(const std::vector<std::string>& args, bool unprivileged = false);
// Runs any program; exit code and output.
RunResult Run(const std::vector<std::string>& argv, bool unprivileged = false);

}  // namespace zq::test
