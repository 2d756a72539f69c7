#pragma once
#include <string>
#include <vector>

namespace zq {

class SetupHost;

// Runs one installation or update from start to end. args are the split
// command line (argument 0 first). Every way out returns normally: the
// caller exits the process with code 0.
void RunSetup(const std::vector<std::string>& args, SetupHost& host);

}  // namespace zq
