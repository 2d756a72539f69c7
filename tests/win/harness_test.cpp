#include <gtest/gtest.h>
#include <windows.h>
TEST(Harness, RunsUnderWineWithBrazilianLocale) {
  EXPECT_EQ(GetACP(), 1252u);
  EXPECT_EQ(GetUserDefaultLCID(), 0x416u);
}
