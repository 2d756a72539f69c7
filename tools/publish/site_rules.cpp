#include "site_rules.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <set>

#include "base/error.h"
#include "env/safe_name.h"

namespace zq {
namespace {

std::string Lower(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return s;
}

int Rank(const std::string& name) {
  const std::string lower = Lower(name);
  if (lower == "deskzq.exe") return 1;
  if (lower == "setupzq.exe") return 2;
  return 0;
}

}  // namespace

std::string SitePath(const char* requestPath) { return std::string(requestPath).substr(1); }

std::string Printable(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (c >= 0x20 && c < 0x7F) {
      out.push_back(static_cast<char>(c));
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  return out;
}

void CheckProductName(const std::string& name) {
  const std::string shown = "'" + Printable(name) + "'";
  if (name.empty()) throw Error("empty file name");
  for (unsigned char c : name) {
    if (c == ';' || c == '=') {
      throw Error("file name " + shown + " contains ';' or '=', which a manifest line can't hold");
    }
    if (c < 0x20 || c >= 0x7F) {
      throw Error("file name " + shown +
                  " contains a control character or non-ASCII byte; only printable ASCII names are published");
    }
    if (std::string_view("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos) {
      throw Error("file name " + shown + " is not a plain Windows file name (contains '" +
                  std::string(1, static_cast<char>(c)) + "')");
    }
  }
  if (name.back() == '.' || name.back() == ' ') {
    throw Error("file name " + shown + " ends in a dot or blank, which Windows drops");
  }
  // The program's own rule for names from outside: what is left for it to
  // refuse here are the device names (CON, nul.txt, CONIN$ ...).
  if (!IsSafeRelativeName(name)) throw Error("file name " + shown + " is a Windows device name");
  if (const ReservedName* reserved = FindReservedName(name)) {
    if (!reserved->listed) {
      throw Error("file name " + shown + " is reserved: SetupZQ writes that file itself");
    }
    if (name != reserved->name) {
      throw Error("file name " + shown + " must be spelled " + reserved->name +
                  ": SetupZQ knows its own file by that name only");
    }
  }
}

void CheckNameCollisions(const std::vector<std::string>& names) {
  std::map<std::string, std::string> products;  // lower-case name -> name
  for (const std::string& n : names) {
    const auto [it, fresh] = products.emplace(Lower(n), n);
    if (!fresh) {
      throw Error("'" + it->second + "' and '" + n + "' are the same name on Windows");
    }
  }
  std::map<std::string, std::string> cabinets;  // lower-case cabinet -> product
  for (const std::string& n : names) {
    const std::string cab = CabName(n);
    const auto [it, fresh] = cabinets.emplace(Lower(cab), n);
    if (!fresh) {
      throw Error("'" + it->second + "' and '" + n + "' would share the cabinet " + SitePath(kCabinetFolder) + cab);
    }
    if (const auto p = products.find(Lower(cab)); p != products.end()) {
      throw Error("the cabinet of '" + n + "' is named '" + cab + "', like the product file '" +
                  p->second + "', which the download would overwrite");
    }
  }
}

std::vector<std::string> DefaultManifestOrder(std::vector<std::string> names) {
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    const int ra = Rank(a);
    const int rb = Rank(b);
    return ra != rb ? ra < rb : a < b;
  });
  return names;
}

std::vector<std::string> ManifestOrderFromText(const std::string& text,
                                               const std::vector<std::string>& names) {
  const std::set<std::string> known(names.begin(), names.end());
  std::set<std::string> seen;
  std::vector<std::string> order;
  std::size_t start = 0;
  int line_number = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    ++line_number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    const std::string where = "order file line " + std::to_string(line_number) + ": ";
    if (!known.contains(line)) {
      throw Error(where + "'" + Printable(line) + "' is not a file of the source folder");
    }
    if (!seen.insert(line).second) throw Error(where + "'" + line + "' is listed twice");
    order.push_back(line);
  }
  for (const std::string& n : names) {
    if (!seen.contains(n)) throw Error("order file does not list '" + n + "'");
  }
  return order;
}

void CheckVersionText(const std::string& name, const std::string& version) {
  if (version.find_first_of(";\r\n") != std::string::npos) {
    throw Error("the FileVersion of '" + name + "' ('" + Printable(version) +
                "') contains ';' or a line break, which a manifest line can't hold");
  }
}

std::string ManifestText(const std::vector<ManifestLine>& lines) {
  std::string text;
  for (const ManifestLine& l : lines) {
    text += l.name + "=" + l.version + ";" + std::to_string(l.size) + "\r\n";
  }
  return text;
}

}  // namespace zq
