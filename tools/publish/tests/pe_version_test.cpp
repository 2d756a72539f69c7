// The FileVersion reader against PE files made by windres and the MinGW
// linkers (PE32 and PE32+), and against broken images.
#include "pe_version.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "test_support.h"

namespace zq {
namespace {

struct VersionCase {
  const char* fixture;                 // stem of tests/fixtures/<stem>.rc
  std::optional<std::string> version;  // nullopt: no version resource ("-1")
  std::optional<PeVersionFailure> failure;
};

const VersionCase kCases[] = {
    {"en", "1.2.3.4", std::nullopt},
    {"pt", "2.0 vers\xE3o \x80", std::nullopt},  // UTF-16 value in code page 1252
    {"both", "1.0.0.1", std::nullopt},           // 040904E4 first, whatever the order in the file
    {"commas", "1, 0, 0, 3", std::nullopt},
    {"lower_case", "3.1", std::nullopt},
    {"fallback", "4.4", std::nullopt},
    {"semicolon", "1.0;2", std::nullopt},        // read as stored; the publisher refuses it
    {"none", std::nullopt, std::nullopt},
    {"no_file_version", std::nullopt, PeVersionFailure::kNoFileVersion},
    {"other_table", std::nullopt, PeVersionFailure::kNoFileVersion},
    {"unmappable", std::nullopt, PeVersionFailure::kNotRepresentable},
};

class FixtureVersion : public ::testing::TestWithParam<const char*> {};

TEST_P(FixtureVersion, EveryFixtureReadsAsTheProgramReadsIt) {
  for (const VersionCase& c : kCases) {
    const std::string path = test::FixturePath(std::string(c.fixture) + "_" + GetParam() + ".dll");
    SCOPED_TRACE(path);
    if (c.failure) {
      try {
        ReadFileVersionText(path);
        ADD_FAILURE() << "no error";
      } catch (const PeVersionError& e) {
        EXPECT_EQ(e.failure(), *c.failure) << e.what();
        if (*c.failure == PeVersionFailure::kNoFileVersion) {
          EXPECT_EQ(std::string(e.what()), "FileVersion not found in " + path);
        }
      }
    } else {
      EXPECT_EQ(ReadFileVersionText(path), c.version);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Pe, FixtureVersion, ::testing::Values("pe32", "pe64"));

TEST(PeVersion, FilesThatAreNotPeImagesHaveNoVersion) {
  test::ScratchDir dir;
  std::string dos_stub(64, '\0');
  dos_stub[0] = 'M';
  dos_stub[1] = 'Z';
  dos_stub[0x3C] = 0x40;  // e_lfanew at the end of the file
  const std::pair<const char*, std::string> files[] = {
      {"empty", ""}, {"text", "plain text, no header\n"}, {"mz", "MZ"}, {"dos", dos_stub},
      {"dos_other", dos_stub + "LX\0\0"}};
  for (const auto& [name, content] : files) {
    test::WriteText(dir / name, content);
    EXPECT_EQ(ReadFileVersionText(dir / name), std::nullopt) << name;
    EXPECT_EQ(FileVersionTextOrMinusOne(dir / name), "-1") << name;
  }
}

TEST(PeVersion, NeImagesAndMissingFilesAreErrors) {
  test::ScratchDir dir;
  std::string ne(64, '\0');
  ne[0] = 'M';
  ne[1] = 'Z';
  ne[0x3C] = 0x40;
  test::WriteText(dir / "ne", ne + "NE" + std::string(62, '\0'));
  try {
    ReadFileVersionText(dir / "ne");
    ADD_FAILURE() << "no error";
  } catch (const PeVersionError& e) {
    EXPECT_EQ(e.failure(), PeVersionFailure::kUnsupported);
  }
  try {
    ReadFileVersionText(dir / "missing.dll");
    ADD_FAILURE() << "no error";
  } catch (const PeVersionError& e) {
    EXPECT_EQ(e.failure(), PeVersionFailure::kUnreadable);
    EXPECT_NE(std::string(e.what()).find("missing.dll"), std::string::npos);
  }
}

// Cut or damaged images must end in a value or a PeVersionError, never in a
// read outside the buffer (the sanitizer build checks that) or another error.
TEST(PeVersion, TruncatedAndCorruptedImagesFailCleanly) {
  for (const char* fixture : {"en_pe32.dll", "pt_pe64.dll"}) {
    const std::vector<std::uint8_t> image = test::ReadBytes(test::FixturePath(fixture));
    int errors = 0;
    for (std::size_t length = 0; length < image.size(); ++length) {
      // Exact-size copies, so that an overread leaves the allocation.
      const std::vector<std::uint8_t> cut(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(length));
      try {
        FileVersionTextOfImage(cut, fixture);
      } catch (const PeVersionError&) {
        ++errors;
      }
    }
    EXPECT_GT(errors, 0) << fixture;  // cutting into the resource section is noticed
    for (std::size_t at = 0; at < image.size(); ++at) {
      for (std::uint8_t value : {std::uint8_t{0x00}, std::uint8_t{0xFF}, std::uint8_t{0x7F}}) {
        std::vector<std::uint8_t> bad = image;
        bad[at] = value;
        try {
          FileVersionTextOfImage(bad, fixture);
        } catch (const PeVersionError&) {
        }
      }
    }
  }
}

}  // namespace
}  // namespace zq
