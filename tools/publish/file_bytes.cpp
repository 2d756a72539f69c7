#include "file_bytes.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/error.h"

namespace zq {
namespace {

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

std::vector<std::uint8_t> ReadFileBytes(const std::string& path) {
  const Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) throw Error(path + ": can't open: " + std::strerror(errno));
  std::vector<std::uint8_t> bytes;
  std::uint8_t buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw Error(path + ": can't read: " + std::strerror(errno));
    }
    if (n == 0) return bytes;
    bytes.insert(bytes.end(), buffer, buffer + n);
  }
}

}  // namespace zq
