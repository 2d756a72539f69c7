#pragma once
// The state of the current run that the setup window carries for the
// progress handler and the cancel prompt.
#include <cstdint>
#include <string>

namespace zq {

struct RunState {
  bool FCancelRequested = false;
  int32_t FStepBytes = 0;
  uint32_t FLastTick = 0;
  int32_t FBytesDone = 0;
  int64_t FIntervalKB = 0;  // kilobytes, fixed point: value times 10000
  bool FInstallMode = false;
  std::string FInstallDir;
};

}  // namespace zq
