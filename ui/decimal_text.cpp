#include "ui/decimal_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace zq {

std::string DecimalText(double value, int decimals) {
  if (!std::isfinite(value)) value = 0;
  // 15 significant digits: d.dddddddddddddde+XX
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.14e", std::fabs(value));
  std::string digits;
  digits += buf[0];
  digits.append(buf + 2, 14);
  const int exponent = std::atoi(buf + 17);
  // value = 0.digits * 10^(exponent + 1); keep the digits before the cut.
  int point = exponent + 1;  // digits before the decimal point
  const int keep = point + decimals;
  if (keep < 0) {
    digits = "0";
    point = 1;
  } else if (keep < static_cast<int>(digits.size())) {
    const bool round_up = digits[static_cast<size_t>(keep)] >= '5';
    digits.resize(static_cast<size_t>(keep));
    if (round_up) {
      int i = keep - 1;
      for (; i >= 0 && digits[static_cast<size_t>(i)] == '9'; --i) digits[static_cast<size_t>(i)] = '0';
      if (i >= 0) {
        ++digits[static_cast<size_t>(i)];
      } else {
        digits.insert(digits.begin(), '1');
        ++point;
      }
    }
  }
  // Place the point: pad with zeros on either side as needed.
  if (point <= 0) {
    digits.insert(0, static_cast<size_t>(1 - point), '0');
    point = 1;
  }
  const size_t need = static_cast<size_t>(point + decimals);
  if (digits.size() < need) digits.append(need - digits.size(), '0');
  std::string int_part = digits.substr(0, static_cast<size_t>(point));
  const std::string frac_part = digits.substr(static_cast<size_t>(point), static_cast<size_t>(decimals));
  const size_t first = int_part.find_first_not_of('0');
  int_part = first == std::string::npos ? "0" : int_part.substr(first);
  std::string text = int_part;
  if (decimals > 0) text += "." + frac_part;
  const bool is_zero = text.find_first_not_of("0.") == std::string::npos;
  if (value < 0 && !is_zero) text.insert(0, "-");
  return text;
}

}  // namespace zq
