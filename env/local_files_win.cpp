#include "env/local_files_win.h"

#include "env/entry_name_win.h"
#include "env/file_version_win.h"

namespace zq {

std::optional<std::string> WinLocalFiles::FindEntry(const std::string& path) { return FoundEntryName(path); }

std::string WinLocalFiles::FileVersionText(const std::string& path) { return GetFileVersionText(path); }

}  // namespace zq
