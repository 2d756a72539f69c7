#pragma once
// zq-publish: turns a flat folder of product files into a SetupZQ site.
#include <optional>
#include <string>
#include <vector>

#include "site_rules.h"

namespace zq {

struct PublishRequest {
  std::string source_dir;
  std::string output_dir;
  std::optional<std::string> order_file;
  // NAME.key: the site is signed, BinZQ/ZQSITE.SIG added.
  std::optional<std::string> key_file;
  // The clock for the serial, seconds since 1970; tests set it.
  std::optional<std::uint64_t> now_seconds;
};

struct PublishResult {
  std::vector<ManifestLine> lines;    // in manifest order
  std::optional<std::uint64_t> serial;  // of a signed site
  std::vector<std::string> warnings;  // things worth telling, none fatal
};

// Writes OUTPUT_DIR/scripts/zq.dll/stptc and OUTPUT_DIR/BinZQ/*.cab, and
// with a key BinZQ/ZQSITE.SIG.
// Raises zq::Error, leaving OUTPUT_DIR as it was, on any bad input.
PublishResult Publish(const PublishRequest& request);

}  // namespace zq
