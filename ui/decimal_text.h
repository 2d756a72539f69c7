#pragma once
// Plain decimal texts of floating-point values ("-1234.50"), the input the
// platform's number formatting expects.
#include <string>

namespace zq {

// The value rounded to 15 significant digits and then, halves away from zero,
// to exactly `decimals` decimals; '.' as the decimal point, no grouping.
std::string DecimalText(double value, int decimals);

}  // namespace zq
