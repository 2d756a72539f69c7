#include "env/reserved_name.h"

#include <initializer_list>

namespace zq {

namespace {

// Equal without regard to ASCII case once Windows' trailing dots and
// blanks are dropped from the name ("srvaddr. " opens SRVADDR).
bool NamesFile(std::string_view name, std::string_view file) {
  while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.remove_suffix(1);
  if (name.size() != file.size()) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    char a = name[i];
    char b = file[i];
    if (a >= 'a' && a <= 'z') a = static_cast<char>(a - 'a' + 'A');
    if (b >= 'a' && b <= 'z') b = static_cast<char>(b - 'a' + 'A');
    if (a != b) return false;
  }
  return true;
}

bool NamesOneOf(std::string_view name, std::initializer_list<std::string_view> files) {
  for (std::string_view f : files)
    if (NamesFile(name, f)) return true;
  return false;
}

}  // namespace

bool IsReservedCabinetMember(std::string_view name) {
  return NamesOneOf(name, {"SRVADDR", "ZQSITE.SER", "SetupZQ.exe"});
}

bool IsReservedManifestName(std::string_view name) { return NamesOneOf(name, {"SRVADDR", "ZQSITE.SER"}); }

}  // namespace zq
