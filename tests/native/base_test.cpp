#include <gtest/gtest.h>

#include "base/error.h"
#include "base/str_to_int.h"
#include "base/text.h"

namespace zq {
namespace {

struct IntCase {
  const char* text;
  std::optional<int32_t> value;
};

TEST(StrToInt, FollowsTheStandardConversion) {
  const IntCase cases[] = {
      {"12", 12},          {" 12", 12},          {"   -7", -7},       {"+5", 5},
      {"$1F", 31},         {"x1f", 31},          {"X10", 16},        {"0x10", 16},
      {"0X10", 16},        {"-$10", -16},        {"2147483647", 2147483647},
      {"-2147483648", INT32_MIN},                {"$FFFFFFFF", -1},  {"0", 0},
      {"", std::nullopt},  {" ", std::nullopt},  {"12x", std::nullopt},
      {"12 ", std::nullopt}, {"\t12", std::nullopt}, {"2147483648", std::nullopt},
      {"0x", std::nullopt}, {"$", std::nullopt},  {"-", std::nullopt}, {"1.5", std::nullopt},
      {"$100000000", std::nullopt}, {"0x1G", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(TryStrToInt(c.text), c.value) << '"' << c.text << '"';
}

TEST(StrToInt, RaisesTheConversionMessage) {
  try {
    StrToInt("12x");
    FAIL();
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "'12x' is not a valid integer value");
  }
}

TEST(Text, TrimUpperSameText) {
  EXPECT_EQ(Trim(" \t a b \r\n"), "a b");
  EXPECT_EQ(Trim("\x01\x02"), "");
  EXPECT_EQ(AnsiUpper("ação ÿšœž"), "AÇÃO \x9F\x8A\x8C\x8E");
  EXPECT_TRUE(SameText("BemaFI32.dll", "bemafi32.DLL"));
  EXPECT_TRUE(SameText("Ção", "çÃO"));
  EXPECT_FALSE(SameText("a", "ab"));
  EXPECT_EQ(AnsiUpper("÷"), "÷");
}

}  // namespace
}  // namespace zq
