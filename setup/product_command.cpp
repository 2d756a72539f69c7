#include "setup/product_command.h"

#include "base/text.h"

namespace zq {

std::string BuildProductCommand(const std::string& productPath, const std::string& arg3,
                                const std::string& arg4) {
  std::string cmd = productPath.find(' ') != std::string::npos ? "\"" + productPath + "\"" : productPath;
  const bool passThrough = !Trim(arg3).empty() && !Trim(arg4).empty();
  if (passThrough)
    cmd += " xctpt \"" + arg3 + "\" \"" + arg4 + "\"";
  else
    cmd += " NEW \"SET\" \"UP\"";
  cmd += " SETUP ZQ";
  return cmd;
}

}  // namespace zq
