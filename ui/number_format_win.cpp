#include "ui/number_format_win.h"

#include <windows.h>

#include <cstdlib>

#include "ui/decimal_text.h"

namespace zq {

namespace {

std::string LocaleText(LCTYPE type, const char* fallback) {
  char buf[16];
  const int n = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buf, sizeof buf);
  return n > 1 ? std::string(buf, static_cast<size_t>(n - 1)) : fallback;
}

UINT LocaleNumber(LCTYPE type, UINT fallback) {
  const std::string text = LocaleText(type, "");
  return text.empty() ? fallback : static_cast<UINT>(std::strtoul(text.c_str(), nullptr, 10));
}

// The locale's grouping ("3;0", "3;2;0", "3") as NUMBERFMT wants it (3, 32,
// 30): the group sizes as digits, times ten when the last one does not repeat.
UINT Grouping() {
  std::string text = LocaleText(LOCALE_SGROUPING, "3;0");
  const bool repeats = text.size() >= 2 && text.compare(text.size() - 2, 2, ";0") == 0;
  if (repeats) text.resize(text.size() - 2);
  UINT grouping = 0;
  for (char c : text) {
    if (c >= '0' && c <= '9') grouping = grouping * 10 + static_cast<UINT>(c - '0');
  }
  return repeats ? grouping : grouping * 10;
}

}  // namespace

std::string FormatNumber2(double value) {
  std::string decimal = LocaleText(LOCALE_SDECIMAL, ".");
  std::string thousand = LocaleText(LOCALE_STHOUSAND, ",");
  NUMBERFMTA format{};
  format.NumDigits = 2;
  format.LeadingZero = LocaleNumber(LOCALE_ILZERO, 1);
  format.Grouping = Grouping();
  format.lpDecimalSep = decimal.data();
  format.lpThousandSep = thousand.data();
  format.NegativeOrder = LocaleNumber(LOCALE_INEGNUMBER, 1);
  const std::string plain = DecimalText(value, 2);
  char out[128];
  const int n = GetNumberFormatA(LOCALE_USER_DEFAULT, 0, plain.c_str(), &format, out, sizeof out);
  return n > 1 ? std::string(out, static_cast<size_t>(n - 1)) : plain;
}

}  // namespace zq
