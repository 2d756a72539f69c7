#pragma once
// Failures travel as exceptions whose message is the 8-bit (code page 1252)
// text the user will read.
#include <stdexcept>
#include <string>

namespace zq {

class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& message) : std::runtime_error(message) {}
};

// A failure of the socket layer; the HTTP client rewords these.
class ESocketError : public Error {
 public:
  using Error::Error;
};

// The quiet abort raised after a task dialog could not be shown.
class EAbort : public Error {
 public:
  EAbort() : Error("Operation aborted") {}
};

}  // namespace zq
