#pragma once
// Numbers in the user's regional settings (GetNumberFormatA).
#include <string>

namespace zq {

// Thousands separators and exactly two decimals, e.g. "1.234,50" under
// Brazilian Portuguese settings.
std::string FormatNumber2(double value);

}  // namespace zq
