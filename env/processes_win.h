#pragma once
// Ends running copies of an executable.
#include <string>

namespace zq {

// Terminates every running process whose main module has that full path
// (the letters a-z compared without regard to case). Reports nothing: a
// process that can't be examined or ended is passed over; nothing waits for
// the ended processes to go away.
void KillProcessesByPath(const std::string& path);

}  // namespace zq
