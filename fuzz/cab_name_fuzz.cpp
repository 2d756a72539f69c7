// Cabinet names: the extension (from the last "." behind the last backslash
// or colon) becomes ".cab", or ".cab" is appended.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "setup/cab_name.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string name(reinterpret_cast<const char*>(data), size);
  const std::string cab = zq::CabName(name);

  FUZZ_CHECK(cab.size() >= 4 && cab.compare(cab.size() - 4, 4, ".cab") == 0, "cabinet name must end in .cab");
  const std::string stem = cab.substr(0, cab.size() - 4);
  FUZZ_CHECK(name.compare(0, stem.size(), stem) == 0, "cabinet name must keep the start of the name");
  const std::string dropped = name.substr(stem.size());
  if (dropped.empty()) {
    // Nothing replaced: the last part of the name has no extension.
    const size_t last_part = name.find_last_of("\\:") == std::string::npos ? 0 : name.find_last_of("\\:") + 1;
    FUZZ_CHECK(name.find('.', last_part) == std::string::npos, "an extension was kept");
  } else {
    FUZZ_CHECK(dropped[0] == '.', "the replaced extension must start at a dot");
    FUZZ_CHECK(dropped.find_first_of(".\\:", 1) == std::string::npos, "more than the last extension was replaced");
  }
  FUZZ_CHECK(zq::CabName(cab) == cab, "a cabinet name must map to itself");
  return 0;
}
