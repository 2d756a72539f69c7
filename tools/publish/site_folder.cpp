#include "site_folder.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "base/error.h"
#include "site_rules.h"

namespace zq {
namespace fs = std::filesystem;
namespace {

[[noreturn]] void RaiseErrno(const std::string& what) {
  throw Error(what + ": " + std::strerror(errno));
}

std::string Parent(const std::string& dir) {
  fs::path p = fs::path(dir).lexically_normal();
  if (!p.has_filename()) p = p.parent_path();  // "site/" -> "site"
  const fs::path parent = p.parent_path();
  return parent.empty() ? "." : parent.string();
}

std::string LastName(const std::string& dir) {
  fs::path p = fs::path(dir).lexically_normal();
  if (!p.has_filename()) p = p.parent_path();
  return p.filename().string();
}

void SyncPath(const std::string& path, bool must) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    if (must) RaiseErrno("can't open folder " + path);
    return;
  }
  const int rc = ::fsync(fd);
  const int saved = errno;
  ::close(fd);
  if (rc != 0 && must) {
    errno = saved;
    RaiseErrno("can't flush folder " + path);
  }
}

std::string RemoveTree(const std::string& path) {
  std::error_code ec;
  fs::remove_all(path, ec);
  return ec ? "could not remove " + path + ": " + ec.message() : std::string();
}

}  // namespace

void CheckSiteDestination(const std::string& output_dir) {
  const std::string parent = Parent(output_dir);
  struct stat st {};
  if (::stat(parent.c_str(), &st) != 0) RaiseErrno("output folder's parent " + parent);
  if (!S_ISDIR(st.st_mode)) throw Error("output folder's parent " + parent + " is not a folder");
  if (::lstat(output_dir.c_str(), &st) != 0) {
    if (errno == ENOENT) return;
    RaiseErrno("output folder " + output_dir);
  }
  if (!S_ISDIR(st.st_mode)) throw Error("output folder " + output_dir + " exists and is not a folder");
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(output_dir, ec)) {
    const std::string name = entry.path().filename().string();
    const auto top = [](const char* requestPath) {
      const std::string path = SitePath(requestPath);
      return path.substr(0, path.find('/'));
    };
    if (name != top(kManifestPath) && name != top(kCabinetFolder)) {
      throw Error("output folder " + output_dir + " holds '" + name +
                  "', so it is not a site made by zq-publish; it is left alone (remove it or choose another)");
    }
  }
  if (ec) throw Error("can't read output folder " + output_dir + ": " + ec.message());
}

StagingFolder::StagingFolder(const std::string& output_dir) : output_dir_(output_dir) {
  std::string pattern = Parent(output_dir) + "/." + LastName(output_dir) + ".zq-publish-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) {
    RaiseErrno("can't create a folder beside " + output_dir);
  }
  path_ = pattern;
  // mkdtemp makes the folder private; a web server must be able to read it.
  if (::chmod(path_.c_str(), 0755) != 0) {
    const int saved = errno;
    RemoveTree(path_);
    errno = saved;
    RaiseErrno("can't set permissions of " + path_);
  }
}

StagingFolder::~StagingFolder() {
  if (!moved_) RemoveTree(path_);
}

void StagingFolder::MakeFolder(const std::string& relative) {
  const std::string p = path_ + "/" + relative;
  if (::mkdir(p.c_str(), 0755) != 0) RaiseErrno("can't create " + p);
  folders_.push_back(relative);
}

void StagingFolder::WriteFile(const std::string& relative, std::span<const std::uint8_t> bytes) {
  const std::string p = path_ + "/" + relative;
  const int fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) RaiseErrno("can't create " + p);
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int saved = errno;
      ::close(fd);
      errno = saved;
      RaiseErrno("can't write " + p);
    }
    done += static_cast<std::size_t>(n);
  }
  if (::fsync(fd) != 0) {
    const int saved = errno;
    ::close(fd);
    errno = saved;
    RaiseErrno("can't flush " + p);
  }
  if (::close(fd) != 0) RaiseErrno("can't close " + p);
}

std::string StagingFolder::MoveIntoPlace() {
  // Inner folders before the folders that hold them, the staging folder last.
  for (auto sub = folders_.rbegin(); sub != folders_.rend(); ++sub) SyncPath(path_ + "/" + *sub, true);
  SyncPath(path_ + "/", true);
  const std::string parent = Parent(output_dir_);
  struct stat st {};
  if (::lstat(output_dir_.c_str(), &st) != 0) {
    if (::rename(path_.c_str(), output_dir_.c_str()) != 0) RaiseErrno("can't move the site to " + output_dir_);
    moved_ = true;
    SyncPath(parent, false);
    return {};
  }
  // Swap the new site with the old one in one step; the old one is then at
  // the staging path and is removed.
  if (::renameat2(AT_FDCWD, path_.c_str(), AT_FDCWD, output_dir_.c_str(), RENAME_EXCHANGE) == 0) {
    SyncPath(parent, false);
    return RemoveTree(path_);  // moved_ stays false: path_ now holds the old site
  }
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) RaiseErrno("can't replace " + output_dir_);
  // No exchange on this file system: move the old site away, the new one in.
  std::string old = parent + "/." + LastName(output_dir_) + ".zq-publish-old-XXXXXX";
  if (::mkdtemp(old.data()) == nullptr) RaiseErrno("can't create a folder beside " + output_dir_);
  if (::rename(output_dir_.c_str(), old.c_str()) != 0) {
    const int saved = errno;
    ::rmdir(old.c_str());
    errno = saved;
    RaiseErrno("can't move the old site away from " + output_dir_);
  }
  if (::rename(path_.c_str(), output_dir_.c_str()) != 0) {
    const int saved = errno;
    ::rename(old.c_str(), output_dir_.c_str());  // put the old site back
    errno = saved;
    RaiseErrno("can't move the site to " + output_dir_);
  }
  moved_ = true;
  SyncPath(parent, false);
  return RemoveTree(old);
}

}  // namespace zq
