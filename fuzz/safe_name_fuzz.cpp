// The rule for names that come from outside (manifest lines, names stored
// in a cabinet): an accepted name, joined to the installation folder and
// read the way Windows reads paths, stays inside that folder. Also the
// request target made from such a name: it is one token that decodes back.
#include <cstddef>
#include <cctype>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "env/safe_name.h"
#include "fuzz_check.h"
#include "http/http_request.h"

namespace {

// Components as Windows resolves them: "\" and "/" both separate, trailing
// dots and blanks are dropped, empty components vanish.
std::vector<std::string> WindowsComponents(std::string_view name) {
  std::vector<std::string> parts;
  std::string cur;
  const auto flush = [&] {
    while (!cur.empty() && (cur.back() == '.' || cur.back() == ' ')) cur.pop_back();
    if (!cur.empty()) parts.push_back(cur);
    cur.clear();
  };
  for (char c : name) {
    if (c == '\\' || c == '/') flush();
    else cur += c;
  }
  flush();
  return parts;
}

// Every device name, spelled out.
bool IsDevice(const std::string& component) {
  std::string base = component.substr(0, component.find('.'));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  for (char& c : base)
    if (std::islower(static_cast<unsigned char>(c)) && static_cast<unsigned char>(c) < 0x80) c = static_cast<char>(c - 32);
  static const std::set<std::string> devices = [] {
    std::set<std::string> all = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* stem : {"COM", "LPT"})
      for (const char* n : {"1", "2", "3", "4", "5", "6", "7", "8", "9", "\xB9", "\xB2", "\xB3"})
        all.insert(std::string(stem) + n);
    return all;
  }();
  return devices.count(base) != 0;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view name(reinterpret_cast<const char*>(data), size);

  if (zq::IsSafeRelativeName(name)) {
    FUZZ_CHECK(name[0] != '\\' && name[0] != '/', "an absolute name was accepted");
    for (char c : name) {
      FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x20, "a control byte was accepted");
      FUZZ_CHECK(std::string_view(":<>\"|?*").find(c) == std::string_view::npos, "a reserved character was accepted");
    }
    // Windows drops a trailing dot or blank, so a component of only those
    // may vanish; what is left must never climb out of the folder.
    for (const std::string& part : WindowsComponents(name)) {
      FUZZ_CHECK(part != "." && part != "..", "a name that leaves the folder was accepted");
      FUZZ_CHECK(!IsDevice(part), "a device name was accepted");
    }
    // Nor may Windows read it as another name (BemaFI32.dll. is BemaFI32.dll):
    // it drops nothing of an accepted name.
    std::string rejoined;
    for (const std::string& part : WindowsComponents(name)) rejoined += part + "\\";
    std::string written;
    for (char c : name) written += c == '/' ? '\\' : c;
    written += '\\';
    std::string squeezed;  // empty components vanish on both sides
    for (char c : written)
      if (c != '\\' || squeezed.empty() || squeezed.back() != '\\') squeezed += c;
    FUZZ_CHECK(rejoined == squeezed, "Windows would read an accepted name as another one");
  }

  // The request target: no blank, control byte, byte above 126, "#" or "?"
  // survives; "%" only starts an escape; decoding gives the path back.
  const std::string encoded = zq::EncodeRequestPath(name);
  std::string decoded;
  for (size_t i = 0; i < encoded.size(); ++i) {
    const auto b = static_cast<unsigned char>(encoded[i]);
    FUZZ_CHECK(b > 0x20 && b < 0x7F && b != '#' && b != '?', "a byte that cannot stand in a target");
    if (b == '%') {
      FUZZ_CHECK(i + 2 < encoded.size() && HexDigit(encoded[i + 1]) >= 0 && HexDigit(encoded[i + 2]) >= 0,
                 "a bad escape");
      decoded += static_cast<char>(HexDigit(encoded[i + 1]) * 16 + HexDigit(encoded[i + 2]));
      i += 2;
    } else {
      decoded += encoded[i];
    }
  }
  FUZZ_CHECK(decoded == name, "the target does not decode to the path");
  const std::string request = zq::BuildRequest("srv01", "/BinZQ/" + std::string(name));
  FUZZ_CHECK(request.find("\r\n") == request.find(" HTTP/1.1\r\n") + 9, "the request line was broken");
  FUZZ_CHECK(request.size() > 4 && request.find("\r\n\r\n") == request.size() - 4, "the header block was broken");
  return 0;
}
