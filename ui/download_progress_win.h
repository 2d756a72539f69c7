#pragma once
// The setup window's progress handler, installed in the HTTP client's
// OnProgress slot with the window as context.
#include <cstdint>

namespace zq {

// window is a TfmSetupZQ*; n is the byte count of a received block, or -999
// while the client waits. A confirmed cancel ends the process with code 0.
void DownloadProgress(void* window, int32_t n);

}  // namespace zq
