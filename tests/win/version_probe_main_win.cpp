// version_probe FILE...: prints, for each file, the version text the setup
// program reads from it ("-1" for none), or "error" and the message, one
// line each, in the program's own bytes (code page 1252).
#include <cstdio>
#include <exception>
#include <string>

#include "env/file_version_win.h"

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    std::string line;
    try {
      line = zq::GetFileVersionText(argv[i]);
    } catch (const std::exception& e) {
      line = std::string("error ") + e.what();
    }
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stdout);
  }
  return 0;
}
