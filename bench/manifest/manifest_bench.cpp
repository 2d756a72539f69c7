// Prints how long the manifest evaluation takes for manifests of 5,000 to
// 40,000 lines against a folder that holds half of the files. The
// evaluation runs before the window exists, so its time is invisible to the
// user; it should grow linearly with the lines.
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <unordered_map>

#include "setup/manifest.h"

namespace {

class Folder : public zq::LocalFiles {
 public:
  std::unordered_map<std::string, std::string> files;  // path -> version
  std::optional<std::string> FindEntry(const std::string& path) override {
    if (files.count(path) == 0) return std::nullopt;
    return path.substr(path.find_last_of('\\') + 1);
  }
  std::string FileVersionText(const std::string& path) override { return files.at(path); }
};

}  // namespace

int main() {
  const std::string folder = "C:\\Prog\\";
  for (int lines : {5000, 10000, 20000, 40000}) {
    Folder local;
    std::string body;
    for (int i = 0; i < lines; ++i) {
      const std::string name = "Arquivo" + std::to_string(i) + ".dll";
      body += name + "=1.0.0." + std::to_string(i % 7) + ";" + std::to_string(1000 + i % 100) + "\r\n";
      if (i % 2 == 0) local.files[folder + name] = "1.0.0." + std::to_string(i % 5);
    }
    const auto start = std::chrono::steady_clock::now();
    zq::ManifestList list = zq::ManifestList::FromText(body);
    int32_t total = 0;
    zq::EvaluateManifest(list, total, folder, local);
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("manifest of %6d lines: %8.1f ms (TotalBytes %d)\n", lines, ms, total);
  }
  return 0;
}
