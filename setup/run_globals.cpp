#include "setup/run_globals.h"

namespace zq {

bool InstallMode = false;
int32_t TotalBytes = 0;

}  // namespace zq
