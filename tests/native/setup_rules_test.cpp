#include <gtest/gtest.h>

#include "setup/cab_name.h"
#include "setup/command_line.h"
#include "setup/product_command.h"
#include "setup/run_mode.h"

namespace zq {
namespace {

using Args = std::vector<std::string>;

TEST(SplitCommandLine, BlanksSeparateQuotesGroup) {
  struct Case {
    const char* line;
    Args args;
  } const cases[] = {
      {"", {}},
      {"   \t ", {}},
      {"a b  c", {"a", "b", "c"}},
      {"prog.exe xctkd srv01:81", {"prog.exe", "xctkd", "srv01:81"}},
      {"\"C:\\Program Files\\SetupZQ.exe\" xctltn", {"C:\\Program Files\\SetupZQ.exe", "xctltn"}},
      {"p \"  two blanks  \" x", {"p", "  two blanks  ", "x"}},
      {"p a\"b c\"d", {"p", "ab cd"}},
      {"p \"\" x", {"p", "", "x"}},
      {"p \"unterminated stretch", {"p", "unterminated stretch"}},
      {"p\x01q\x1fr", {"p", "q", "r"}},
      {"p \"tab\tinside\"", {"p", "tab\tinside"}},
      {"p ação", {"p", "ação"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitCommandLine(c.line), c.args) << c.line;
}

TEST(SplitCommandLine, MissingArgumentsReadEmpty) {
  const Args args = SplitCommandLine("prog xctkd");
  EXPECT_EQ(ArgumentAt(args, 1), "xctkd");
  EXPECT_EQ(ArgumentAt(args, 2), "");
  EXPECT_EQ(ArgumentAt(args, 4), "");
}

TEST(RunMode, WordsAreComparedExactly) {
  struct Case {
    const char* word;
    std::optional<bool> install;
  } const cases[] = {
      {"xctltn_InstalaTC", true}, {"xctltn", true},        {"xctltn_NewDesk", false},
      {"xctkd", false},           {"XCTKD", std::nullopt}, {"Xctltn", std::nullopt},
      {"xctltn_instalatc", std::nullopt}, {"", std::nullopt}, {" xctkd", std::nullopt},
      {"xctkd ", std::nullopt},   {"xctltn_NewDesk2", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(InstallModeForWord(c.word), c.install) << c.word;
}

TEST(ProductCommand, VariantsAndQuoting) {
  struct Case {
    const char* path;
    const char* arg3;
    const char* arg4;
    const char* expected;
  } const cases[] = {
      {"C:\\Docs\\DeskZQ.exe", "user", "key", "C:\\Docs\\DeskZQ.exe xctpt \"user\" \"key\" SETUP ZQ"},
      // The texts go in as received, surrounding blanks included.
      {"C:\\D\\DeskZQ.exe", " a ", "\tb", "C:\\D\\DeskZQ.exe xctpt \" a \" \"\tb\" SETUP ZQ"},
      // No escaping of a quote inside a text.
      {"C:\\D\\DeskZQ.exe", "a\"b", "c", "C:\\D\\DeskZQ.exe xctpt \"a\"b\" \"c\" SETUP ZQ"},
      {"C:\\D\\DeskZQ.exe", "", "key", "C:\\D\\DeskZQ.exe NEW \"SET\" \"UP\" SETUP ZQ"},
      {"C:\\D\\DeskZQ.exe", "user", "  ", "C:\\D\\DeskZQ.exe NEW \"SET\" \"UP\" SETUP ZQ"},
      {"C:\\D\\DeskZQ.exe", "\r\n", "x", "C:\\D\\DeskZQ.exe NEW \"SET\" \"UP\" SETUP ZQ"},
      {"C:\\D\\DeskZQ.exe", "", "", "C:\\D\\DeskZQ.exe NEW \"SET\" \"UP\" SETUP ZQ"},
      // A blank in the folder: the path is quoted, nothing else changes.
      {"C:\\Users\\Maria Silva\\DeskZQ.exe", "u", "k",
       "\"C:\\Users\\Maria Silva\\DeskZQ.exe\" xctpt \"u\" \"k\" SETUP ZQ"},
      {"C:\\Users\\Maria Silva\\DeskZQ.exe", "", "",
       "\"C:\\Users\\Maria Silva\\DeskZQ.exe\" NEW \"SET\" \"UP\" SETUP ZQ"},
  };
  for (const auto& c : cases) EXPECT_EQ(BuildProductCommand(c.path, c.arg3, c.arg4), c.expected) << c.path;
}

TEST(CabName, ExtensionIsReplacedOrAppended) {
  struct Case {
    const char* name;
    const char* cab;
  } const cases[] = {
      {"DeskZQ.exe", "DeskZQ.cab"},   {"SetupZQ.exe", "SetupZQ.cab"}, {"leiame", "leiame.cab"},
      {"a.b.dll", "a.b.cab"},         {"lib\\x.dll", "lib\\x.cab"},   {"dir.d\\leiame", "dir.d\\leiame.cab"},
      {"C:leiame", "C:leiame.cab"},   {"x.", "x.cab"},                {".hidden", ".cab"},
      {"", ".cab"},
  };
  for (const auto& c : cases) EXPECT_EQ(CabName(c.name), c.cab) << c.name;
}

}  // namespace
}  // namespace zq
