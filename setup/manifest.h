#pragma once
// The update manifest: the server's list of the product's files, one line
// "name=version;size" each, and its evaluation against the installation
// folder, which leaves "name=OK", "name=NF" or "name=OOD" in every line.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "env/local_files.h"
#include "setup/site_contract.h"

namespace zq {

// A list of text lines "name=value"; names are looked up without regard to
// case and the first line of a name is the one read and written. Look-ups
// go through an index of the upper-cased names, so that a list of n lines
// is evaluated in time linear in n.
class ManifestList {
 public:
  // Lines end at CR, LF or CR LF; a break at the very end adds no line; a NUL
  // byte ends the text.
  static ManifestList FromText(std::string_view body);

  size_t Count() const { return lines_.size(); }
  const std::string& Line(size_t i) const { return lines_.at(i); }
  void SetLine(size_t i, std::string text);

  // The text before the first "="; "" for a line without "=".
  static std::string NameOf(const std::string& line);
  // The index of the first line of that name, or Count() when there is none.
  size_t IndexOfName(std::string_view name) const;
  // The text after the "=" of the first line of that name; "" when none.
  std::string Value(std::string_view name) const;
  // Replaces the value of the first line of that name (keeping the name as
  // that line spells it); appends "name=value" when there is no such line.
  void SetValue(std::string_view name, std::string_view value);

 private:
  const std::unordered_map<std::string, size_t>& Index() const;

  std::vector<std::string> lines_;
  // Upper-cased name -> its first line; built when first asked for, dropped
  // when a line is replaced.
  mutable std::unordered_map<std::string, size_t> index_;
  mutable bool indexed_ = false;
};

// Marks every line of the list with its status and sums into totalBytes the
// sizes of the lines not "OK" (SetupZQ.exe excepted). The folder ends with a
// backslash. Every line is checked before any status is set: a size that is
// no integer or below 0, a line without a name, a name that could leave the
// folder and a reserved name the manifest may not list raise an error naming
// the line; so does a sum beyond 2147483647 bytes, and a name that reaches
// an entry of another name (a short alias; one of the fixed libraries is
// "OK" then).
void EvaluateManifest(ManifestList& list, int32_t& totalBytes, const std::string& folder,
                      LocalFiles& files);

}  // namespace zq
