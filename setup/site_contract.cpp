#include "setup/site_contract.h"

#include "base/error.h"
#include "base/text.h"

namespace zq {

const ReservedName* FindReservedName(std::string_view name) {
  for (const ReservedName& r : ReservedNames)
    if (SameText(name, r.name)) return &r;
  return nullptr;
}

const char* const ExcludedLibraries[4] = {"DllInscE32.dll", "BemaFI32.dll", "Daruma32.dll", "SWECF.DLL"};

bool IsExcludedLibrary(std::string_view name) {
  const std::string upper = AnsiUpper(name);
  for (const char* entry : ExcludedLibraries)
    if (upper == AnsiUpper(entry)) return true;
  return false;
}

void CheckCabinetMember(const std::string& name) {
  if (FindReservedName(name) || IsExcludedLibrary(name))
    throw Error("Nome de arquivo reservado dentro do arquivo compactado: \"" + name + "\"");
}

}  // namespace zq
