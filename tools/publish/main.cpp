// zq-publish [--key NAME.key] [--order FILE] SOURCE_DIR OUTPUT_DIR
// zq-publish --new-key NAME
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "pe_version.h"
#include "publisher.h"
#include "site_signing.h"

namespace {

constexpr const char* kUsage =
    "usage: zq-publish [--key NAME.key] [--order FILE] SOURCE_DIR OUTPUT_DIR\n"
    "       zq-publish --new-key NAME\n"
    "\n"
    "Publishes the files of SOURCE_DIR (a flat folder) as a SetupZQ site in\n"
    "OUTPUT_DIR: the manifest scripts/zq.dll/stptc and one MSZIP cabinet per\n"
    "file in BinZQ/. OUTPUT_DIR is replaced as a whole, or left as it was on\n"
    "any error.\n"
    "\n"
    "  --order FILE  manifest order: one file name a line, every file once\n"
    "                (default: byte order of the names, DeskZQ.exe and then\n"
    "                SetupZQ.exe last)\n"
    "  --key NAME.key  sign the site: adds BinZQ/ZQSITE.SIG, which a SetupZQ\n"
    "                built with NAME.pub requires\n"
    "  --new-key NAME  writes a new key pair, NAME.key (secret, keep it off\n"
    "                the server) and NAME.pub (built into SetupZQ), and exits;\n"
    "                never overwrites either\n"
    "  --print-version FILE\n"
    "                prints FILE's version text as SetupZQ reads it (-1 for\n"
    "                none) and exits\n"
    "  --help        this text\n"
    "  --version     the program's version\n";

}  // namespace

int main(int argc, char** argv) {
  zq::PublishRequest request;
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (arg == "--version") {
      std::printf("zq-publish %s\n", ZQ_PUBLISH_VERSION);
      return 0;
    }
    if (arg == "--print-version") {
      if (i + 1 == argc) {
        std::fputs("zq-publish: --print-version needs a file name\n", stderr);
        return 2;
      }
      try {
        std::printf("%s\n", zq::FileVersionTextOrMinusOne(argv[i + 1]).c_str());
        return 0;
      } catch (const std::exception& e) {
        std::fprintf(stderr, "zq-publish: %s\n", e.what());
        return 1;
      }
    }
    if (arg == "--new-key") {
      if (i + 1 == argc) {
        std::fputs("zq-publish: --new-key needs a name\n", stderr);
        return 2;
      }
      try {
        zq::WriteNewKeyFiles(argv[i + 1]);
        std::printf("%s.key (secret) and %s.pub (public) written\n", argv[i + 1], argv[i + 1]);
        return 0;
      } catch (const std::exception& e) {
        std::fprintf(stderr, "zq-publish: %s\n", e.what());
        return 1;
      }
    }
    if (arg == "--key") {
      if (i + 1 == argc) {
        std::fputs("zq-publish: --key needs a key file\n", stderr);
        return 2;
      }
      request.key_file = argv[++i];
    } else if (arg == "--order") {
      if (i + 1 == argc) {
        std::fputs("zq-publish: --order needs a file name\n", stderr);
        return 2;
      }
      request.order_file = argv[++i];
    } else if (arg == "--") {
      for (++i; i < argc; ++i) positional.emplace_back(argv[i]);
    } else if (arg.starts_with("-") && arg.size() > 1) {
      std::fprintf(stderr, "zq-publish: unknown option %s\n%s", arg.c_str(), kUsage);
      return 2;
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.size() != 2) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  request.source_dir = positional[0];
  request.output_dir = positional[1];
  try {
    const zq::PublishResult result = zq::Publish(request);
    for (const std::string& w : result.warnings) std::fprintf(stderr, "zq-publish: warning: %s\n", w.c_str());
    for (const zq::ManifestLine& l : result.lines) {
      std::printf("%s=%s;%llu\n", l.name.c_str(), l.version.c_str(), static_cast<unsigned long long>(l.size));
    }
    if (result.serial) std::printf("signed, serial %llu\n", static_cast<unsigned long long>(*result.serial));
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "zq-publish: %s\n", e.what());
    return 1;
  }
}
