#pragma once
// What a published site and the program agree on: where the manifest and
// the cabinets lie, which names a site may carry, and how large its files
// may be. The program checks what it downloads against these rules, and the
// publishing tool refuses to publish what they refuse, so that a site the
// tool made is never refused by the program.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "http/reply_limits.h"
#include "setup/cab_name.h"

namespace zq {

// The requests of a run: the manifest, and each cabinet as kCabinetFolder
// followed by CabName of the manifest's file name.
inline constexpr char kManifestPath[] = "/scripts/zq.dll/stptc";
inline constexpr char kCabinetFolder[] = "/BinZQ/";
// The signature of a signed site. No manifest name maps to it: every
// cabinet name ends in ".cab".
inline constexpr char kSignaturePath[] = "/BinZQ/ZQSITE.SIG";

// The setup program's own file, listed in the manifest by exactly this
// name; its cabinet is saved into the folder and never extracted.
inline constexpr char kSetupExe[] = "SetupZQ.exe";
// The server address file that an installation writes.
inline constexpr char kServerAddressFile[] = "SRVADDR";
// The file that keeps the highest serial of a signed site installed from.
inline constexpr char kSerialFileName[] = "ZQSITE.SER";

// Files of the installation folder that only the program itself writes: no
// cabinet may carry one, and a manifest may list only those marked `listed`.
struct ReservedName {
  const char* name;
  bool listed;
};
inline constexpr ReservedName ReservedNames[] = {
    {kSetupExe, true},
    {kServerAddressFile, false},
    {kSerialFileName, false},
};
// The entry of that name (without regard to case), or nullptr.
const ReservedName* FindReservedName(std::string_view name);

// Library files that are never examined, downloaded nor replaced.
extern const char* const ExcludedLibraries[4];
bool IsExcludedLibrary(std::string_view name);

// The size text of a manifest line is read to this many characters.
inline constexpr size_t kMaxSizeText = 999;
// The largest cabinet the client takes: a longer reply is refused.
inline constexpr int64_t kMaxCabinetBytes = kMaxAnnouncedLength;
// The largest sum of the sizes to download (a signed 32-bit count).
inline constexpr int64_t kMaxTotalBytes = 2147483647;

// Raises zq::Error (the last part of the extraction's error) for a name
// stored in a cabinet that the program never writes out of a cabinet: a
// reserved name or a fixed library, in any letter case. (A name that could
// leave the folder is refused by the extraction itself.)
void CheckCabinetMember(const std::string& name);

}  // namespace zq
