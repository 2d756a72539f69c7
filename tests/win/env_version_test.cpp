#include <gtest/gtest.h>

#include "base/error.h"
#include "env/file_version_win.h"
#include "fixtures/env_support.h"

namespace zq {
namespace {

using test::FixtureFolder;

TEST(GetFileVersionText, ReadsTheTwoTablesInOrder) {
  struct Case {
    const char* file;
    const char* text;
  };
  const Case cases[] = {
      {"version_en.dll", "1.2.3.4"},              // 040904E4 only
      {"version_pt.dll", "2.0.0.7 versão"},       // 041604B0 (UTF-16) only, given in code page 1252
      {"version_both.dll", "1.0.0.1"},            // both: the English table wins
      {"version_commas.dll", "1, 0, 0, 3"},       // exactly as stored
      {"version_none.dll", "-1"},                 // no version resource
      {"DeskZQ.exe", "1.0.0.7"},                  // the stand-in, built with zq_add_deskzq VERSION 1.0.0.7
      {"dois.cab", "-1"},                         // not a program at all
      {"missing.dll", "-1"},
  };
  for (const auto& c : cases) EXPECT_EQ(GetFileVersionText(FixtureFolder() + c.file), c.text) << c.file;
  EXPECT_EQ(GetFileVersionText(FixtureFolder()), "-1");  // a folder
}

TEST(GetFileVersionText, ResourceWithoutFileVersionInEitherTableRaises) {
  // Its FileVersion sits in 040904B0 and its 041604E4 table has none.
  const std::string path = FixtureFolder() + "version_other_tables.dll";
  try {
    GetFileVersionText(path);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), "FileVersion not found in " + path);
  }
}

}  // namespace
}  // namespace zq
