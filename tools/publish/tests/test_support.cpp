#include "test_support.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace zq::test {
namespace fs = std::filesystem;

ScratchDir::ScratchDir() {
  std::string pattern = "/tmp/zq-publish-test-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
  ::chmod(path_.c_str(), 0777);
}

ScratchDir::~ScratchDir() {
  // Give back permissions a test took away, then remove everything.
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::end(it); it.increment(ec)) {
    ::chmod(it->path().c_str(), it->is_directory() ? 0777 : 0666);
  }
  ::chmod(path_.c_str(), 0777);
  fs::remove_all(path_, ec);
}

std::string FixturePath(const std::string& name) { return std::string(ZQ_FIXTURE_DIR) + "/" + name; }

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("can't read " + path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string ReadText(const std::string& path) {
  const auto b = ReadBytes(path);
  return {b.begin(), b.end()};
}

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  if (!out) throw std::runtime_error("can't write " + path);
}

void CopyFile(const std::string& from, const std::string& to) {
  fs::copy_file(from, to, fs::copy_options::overwrite_existing);
  ::chmod(to.c_str(), 0644);
}

void MakeDir(const std::string& path) {
  fs::create_directory(path);
  ::chmod(path.c_str(), 0777);
}

std::map<std::string, std::string> Snapshot(const std::string& root) {
  std::map<std::string, std::string> snap;
  if (!fs::exists(root)) return snap;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    const std::string rel = fs::relative(e.path(), root).string();
    snap[rel] = e.is_directory() ? "<dir>" : ReadText(e.path().string());
  }
  return snap;
}

std::vector<std::string> Entries(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

namespace {

std::string Drain(int fd) {
  std::string text;
  char buffer[4096];
  ssize_t n;
  while ((n = ::read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<std::size_t>(n));
  return text;
}

}  // namespace

RunResult Run(const std::vector<std::string>& argv, bool unprivileged) {
  // Output goes to files, so a chatty child can't fill a pipe and stall.
  FILE* out = std::tmpfile();
  FILE* err = std::tmpfile();
  const pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    ::dup2(::fileno(out), 1);
    ::dup2(::fileno(err), 2);
    if (unprivileged && ::geteuid() == 0) {
      if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(126);
    }
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    ::execv(args[0], args.data());
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  std::rewind(out);
  std::rewind(err);
  RunResult r{WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), Drain(::fileno(out)),
              Drain(::fileno(err))};
  std::fclose(out);
  std::fclose(err);
  return r;
}

RunResult RunPublish(const std::vector<std::string>& args, bool unprivileged) {
  std::vector<std::string> argv{ZQ_PUBLISH_EXE};
  argv.insert(argv.end(), args.begin(), args.end());
  return Run(argv, unprivileged);
}

}  // namespace zq::test
