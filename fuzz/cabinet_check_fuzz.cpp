// The checks of a downloaded cabinet, its layout and its block checksums:
// any bytes at all are walked within their bounds, in bounded time; a
// refused layout says one of its two texts, which the cabinet's head alone
// already gives for the multi-part flags; a damaged block is named by a
// number within the count of blocks.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "env/cabinet_check.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::optional<std::string> layout = zq::FindRefusedCabinetLayout(data, size);
  if (layout) {
    FUZZ_CHECK(*layout == zq::kMultiPartCabinet || *layout == zq::kOverlappingFolders, "layout text");
    if (*layout == zq::kMultiPartCabinet)
      FUZZ_CHECK(zq::FindRefusedCabinetLayout(data, 36) == layout, "the flags are in the head");
  }
  const std::optional<std::string> block = zq::FindDamagedCabinetBlock(data, size);
  if (block) {
    unsigned number = 0, count = 0;
    FUZZ_CHECK(std::sscanf(block->c_str(), "bloco %u de %u", &number, &count) == 2, "block description");
    FUZZ_CHECK(number >= 1 && number <= count, "block number within the count");
    FUZZ_CHECK(*block == "bloco " + std::to_string(number) + " de " + std::to_string(count), "nothing else said");
  }
  return 0;
}
