#pragma once
// Program-wide state of the run, read by the prompts.
#include <cstdint>

namespace zq {

// True for an installation run, false for an update run.
extern bool InstallMode;
// Bytes still to download, as the manifest evaluation summed them.
extern int32_t TotalBytes;

}  // namespace zq
