#include "setup/cab_name.h"

namespace zq {

std::string CabName(const std::string& name) {
  const size_t dot = name.find_last_of(".\\:");
  if (dot != std::string::npos && name[dot] == '.') return name.substr(0, dot) + ".cab";
  return name + ".cab";
}

}  // namespace zq
