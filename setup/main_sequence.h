#pragma once
#include <span>
#include <string>
#include <vector>

#include "setup/site_key.h"

namespace zq {

class SetupHost;

// Runs one installation or update from start to end. args are the split
// command line (argument 0 first). Every way out returns normally: the
// caller exits the process with code 0. A program built with site keys
// passes them: it then installs only what the site's signature file,
// signed by one of them, vouches for. Without keys no signature is asked for.
void RunSetup(const std::vector<std::string>& args, SetupHost& host, std::span<const PublicKey> siteKeys = {});

}  // namespace zq
