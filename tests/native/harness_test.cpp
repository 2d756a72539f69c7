#include <gtest/gtest.h>
#include <string>
TEST(Harness, SourcesAreCp1252) { EXPECT_EQ(std::string("ç"), std::string("\xE7")); }
