// Replays inputs through a fuzz target without libFuzzer (the g++ trees):
// every argument is a file, or a folder whose files are all replayed.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

void RunFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<uint8_t> copy(bytes.begin(), bytes.end());  // exact size, as libFuzzer gives it
  LLVMFuzzerTestOneInput(copy.data(), copy.size());
}

}  // namespace

int main(int argc, char** argv) {
  size_t runs = 0;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path arg(argv[i]);
    std::vector<std::filesystem::path> files;
    if (std::filesystem::is_directory(arg)) {
      for (const auto& e : std::filesystem::directory_iterator(arg))
        if (e.is_regular_file()) files.push_back(e.path());
      std::sort(files.begin(), files.end());
    } else if (std::filesystem::is_regular_file(arg)) {
      files.push_back(arg);
    } else {
      std::fprintf(stderr, "replay: no such file or folder: %s\n", argv[i]);
      return 2;
    }
    for (const auto& f : files) {
      RunFile(f);
      ++runs;
    }
  }
  if (runs == 0) {
    std::fprintf(stderr, "replay: no inputs\n");
    return 2;
  }
  std::printf("replayed %zu inputs\n", runs);
  return 0;
}
