#include "publisher.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>

#include "base/error.h"
#include "cabinet_maker.h"
#include "file_bytes.h"
#include "pe_version.h"
#include "setup/site_crypto.h"
#include "site_folder.h"
#include "site_signing.h"

namespace zq {
namespace fs = std::filesystem;
namespace {

struct SourceFile {
  std::string name;
  std::string path;
  std::int64_t mtime;
};

// The files of the source folder; a subfolder or special file is an error.
std::vector<SourceFile> ListSource(const std::string& dir) {
  std::unique_ptr<DIR, int (*)(DIR*)> d(::opendir(dir.c_str()), ::closedir);
  if (!d) throw Error("can't read source folder " + dir + ": " + std::strerror(errno));
  std::vector<SourceFile> files;
  for (;;) {
    errno = 0;
    const dirent* e = ::readdir(d.get());
    if (e == nullptr) {
      if (errno != 0) throw Error("can't read source folder " + dir + ": " + std::strerror(errno));
      break;
    }
    const std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    const std::string path = dir + "/" + name;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
      throw Error(Printable(path) + ": " + std::strerror(errno));
    }
    if (S_ISDIR(st.st_mode)) {
      throw Error("source folder holds the subfolder '" + Printable(name) +
                  "'; SetupZQ installs a flat folder, so publish files only");
    }
    if (!S_ISREG(st.st_mode)) throw Error(Printable(path) + " is not a regular file");
    CheckProductName(name);
    files.push_back({name, path, static_cast<std::int64_t>(st.st_mtime)});
  }
  if (files.empty()) throw Error("source folder " + dir + " holds no files");
  return files;
}

// The real location of `dir`, or of its parent joined with its name when
// it does not exist yet.
fs::path Resolved(const std::string& dir) {
  std::error_code ec;
  const fs::path p = fs::weakly_canonical(fs::absolute(dir), ec);
  return ec ? fs::absolute(dir).lexically_normal() : p;
}

bool Inside(const fs::path& inner, const fs::path& outer) {
  auto o = outer.begin();
  auto i = inner.begin();
  for (; o != outer.end(); ++o, ++i) {
    if (o->empty()) continue;  // trailing separator
    if (i == inner.end() || *i != *o) return false;
  }
  return true;
}

}  // namespace

PublishResult Publish(const PublishRequest& request) {
  const fs::path source = Resolved(request.source_dir);
  const fs::path output = Resolved(request.output_dir);
  if (Inside(source, output) || Inside(output, source)) {
    throw Error("source folder and output folder must not contain each other");
  }

  std::vector<SourceFile> files = ListSource(request.source_dir);
  std::vector<std::string> names;
  for (const SourceFile& f : files) names.push_back(f.name);
  CheckNameCollisions(names);

  std::vector<std::string> order;
  if (request.order_file) {
    std::vector<std::uint8_t> text;
    try {
      text = ReadFileBytes(*request.order_file);
    } catch (const Error& e) {
      throw Error(std::string("order file ") + e.what());
    }
    order = ManifestOrderFromText(std::string(text.begin(), text.end()), names);
  } else {
    order = DefaultManifestOrder(names);
  }

  CheckSiteDestination(request.output_dir);
  // Everything a signature needs is settled before anything is built.
  std::optional<SecretKey> key;
  std::optional<std::uint64_t> serial;
  if (request.key_file) {
    key = ReadSecretKeyFile(*request.key_file);
    const std::uint64_t now =
        request.now_seconds ? *request.now_seconds : static_cast<std::uint64_t>(std::time(nullptr));
    serial = NextSerial(PreviousSerial(request.output_dir), now);
  }

  PublishResult result;
  std::map<std::string, const SourceFile*> by_name;
  for (const SourceFile& f : files) by_name[f.name] = &f;

  StagingFolder staging(request.output_dir);
  const std::string manifest_path = SitePath(kManifestPath);  // scripts/zq.dll/stptc
  const std::string cabinet_folder = SitePath(kCabinetFolder);  // BinZQ/
  for (size_t sep = manifest_path.find('/'); sep != std::string::npos; sep = manifest_path.find('/', sep + 1)) {
    staging.MakeFolder(manifest_path.substr(0, sep));
  }
  staging.MakeFolder(cabinet_folder.substr(0, cabinet_folder.size() - 1));

  std::vector<SignedCabinet> signed_files;
  // What SetupZQ counts: every cabinet but its own, as one signed 32-bit sum.
  std::int64_t total = 0;
  for (const std::string& name : order) {
    const SourceFile& f = *by_name.at(name);
    // One read serves both the version and the cabinet, so they agree.
    const std::vector<std::uint8_t> bytes = ReadFileBytes(f.path);
    const std::string version = FileVersionTextOfImage(bytes, f.path).value_or("-1");
    CheckVersionText(name, version);

    const std::vector<std::uint8_t> cabinet = MakeCabinet(name, bytes, f.mtime);
    if (cabinet.size() > static_cast<std::uint64_t>(kMaxCabinetBytes)) {
      throw Error("the cabinet of '" + name + "' is larger than SetupZQ downloads (" +
                  std::to_string(kMaxCabinetBytes) + " bytes)");
    }
    staging.WriteFile(cabinet_folder + CabName(name), cabinet);
    if (name != kSetupExe) total += static_cast<std::int64_t>(cabinet.size());
    if (total > kMaxTotalBytes) {
      throw Error("the cabinets together are larger than SetupZQ can count (" + std::to_string(kMaxTotalBytes) +
                  " bytes)");
    }
    if (IsExcludedLibrary(name)) {
      result.warnings.push_back("'" + name + "' is one of the libraries SetupZQ never downloads; it is listed "
                                "but will not reach installations");
    }
    result.lines.push_back({name, version, cabinet.size()});
    if (key) signed_files.push_back({name, version, cabinet.size(), Sha256(cabinet.data(), cabinet.size())});
  }

  const std::string manifest = ManifestText(result.lines);
  staging.WriteFile(manifest_path,
                    std::span(reinterpret_cast<const std::uint8_t*>(manifest.data()), manifest.size()));
  if (key) {
    const std::string signature = SignSite(*key, *serial, manifest, signed_files);
    key->fill(0);
    staging.WriteFile(SitePath(kSignaturePath),
                      std::span(reinterpret_cast<const std::uint8_t*>(signature.data()), signature.size()));
    result.serial = serial;
  }
  if (std::string warning = staging.MoveIntoPlace(); !warning.empty()) {
    result.warnings.push_back("the site is in place, but " + warning);
  }
  return result;
}

}  // namespace zq
