#pragma once
// The FileVersion text of a file's version resource.
#include <string>

namespace zq {

// The FileVersion value of the string table 040904E4, else of 041604B0,
// exactly as stored; "-1" when the file has no version resource. Raises
// "FileVersion not found in <path>" when neither table has the value.
std::string GetFileVersionText(const std::string& path);

}  // namespace zq
