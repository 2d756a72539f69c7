// The manifest: its text split into lines, and its evaluation against a fake
// installation folder that the input describes.
//
// Input: the folder's entries, one "name=version" a line ("!" as version: a
// version resource without FileVersion; "SHORT>long=version": an entry whose
// long name is "long", also reached by the short alias SHORT), then a line
// "--", then the manifest body. Without a "--" line the folder is empty and
// all of it is the body.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "base/str_to_int.h"
#include "env/safe_name.h"
#include "fuzz_check.h"
#include "setup/manifest.h"

namespace {

const std::string kFolder = "C:\\Inst\\";

// Case folding of code page 1252 letters, kept apart from the code under test.
std::string Fold(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u >= 'a' && u <= 'z') c = static_cast<char>(u - 32);
    else if (u >= 0xE0 && u <= 0xFE && u != 0xF7) c = static_cast<char>(u - 32);
    else if (u == 0x9A || u == 0x9C || u == 0x9E) c = static_cast<char>(u - 16);
    else if (u == 0xFF) c = static_cast<char>(0x9F);
  }
  return out;
}

// Lines end at CR, LF or CR LF; a break at the very end adds no line; NUL ends the text.
std::vector<std::string> ReferenceLines(std::string_view body) {
  body = body.substr(0, body.find('\0'));
  std::vector<std::string> lines;
  std::string cur;
  bool open = false;
  for (size_t i = 0; i < body.size(); ++i) {
    const char c = body[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(cur);
      cur.clear();
      open = false;
      if (c == '\r' && i + 1 < body.size() && body[i + 1] == '\n') ++i;
    } else {
      cur += c;
      open = true;
    }
  }
  if (open) lines.push_back(cur);
  return lines;
}

struct Entry {
  std::string name;   // the long name
  std::string alias;  // "" or a short name that reaches it too
  std::string version;
};

std::string AfterLastSeparator(const std::string& name) {
  const size_t sep = name.find_last_of("\\/");
  return sep == std::string::npos ? name : name.substr(sep + 1);
}

class FakeFolder : public zq::LocalFiles {
 public:
  explicit FakeFolder(std::vector<Entry> entries) : entries_(std::move(entries)) {}

  const Entry* Find(std::string_view name) const {
    for (const Entry& e : entries_)
      if (Fold(e.name) == Fold(name) || (!e.alias.empty() && Fold(e.alias) == Fold(name))) return &e;
    return nullptr;
  }
  std::optional<std::string> FindEntry(const std::string& path) override {
    ++calls;
    last_exists_ = path;
    const Entry* e = Find(NameIn(path));
    if (!e) return std::nullopt;
    return AfterLastSeparator(e->name);
  }
  std::string FileVersionText(const std::string& path) override {
    ++calls;
    FUZZ_CHECK(path == last_exists_, "a version was read without looking for the file first");
    const Entry* e = Find(NameIn(path));
    FUZZ_CHECK(e != nullptr, "a version was read of a file that is not there");
    if (e->version == "!") throw zq::Error("FileVersion not found in " + path);
    return e->version;
  }
  int calls = 0;

 private:
  static std::string NameIn(const std::string& path) {
    FUZZ_CHECK(path.compare(0, kFolder.size(), kFolder) == 0, "a path outside the installation folder");
    return path.substr(kFolder.size());
  }
  std::vector<Entry> entries_;
  std::string last_exists_;
};

bool IsExcluded(const std::string& name) {
  for (const char* lib : {"DLLINSCE32.DLL", "BEMAFI32.DLL", "DARUMA32.DLL", "SWECF.DLL"})
    if (Fold(name) == lib) return true;
  return false;
}

struct Parsed {
  std::string name, version;
  std::optional<int32_t> size;
};

Parsed ParseLine(const std::string& line) {
  Parsed p;
  const size_t semi = line.find(';');
  const std::string size_text = semi == std::string::npos ? line : line.substr(semi + 1);
  p.size = zq::TryStrToInt(size_text.substr(0, 999));
  const std::string head = line.substr(0, semi);
  const size_t eq = head.find('=');
  if (eq != std::string::npos) {
    p.name = head.substr(0, eq);
    p.version = head.substr(eq + 1);
  }
  return p;
}

// A name that can leave the folder must never be accepted, whatever the
// finer rule says.
bool ObviouslyUnsafe(const std::string& name) {
  if (name.empty() || name[0] == '\\' || name[0] == '/' || name.find(':') != std::string::npos) return true;
  std::string wrapped = "\\" + name + "\\";
  for (char& c : wrapped)
    if (c == '/') c = '\\';
  return wrapped.find("\\..\\") != std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::vector<Entry> entries;
  std::string_view body = input;
  const size_t sep = input.find("\n--\n");
  if (sep != std::string_view::npos) {
    body = input.substr(sep + 4);
    for (const std::string& l : ReferenceLines(input.substr(0, sep))) {
      const size_t eq = l.find('=');
      std::string name = l.substr(0, eq), alias;
      if (const size_t gt = name.find('>'); gt != std::string::npos) {
        alias = name.substr(0, gt);
        name = name.substr(gt + 1);
      }
      entries.push_back({name, alias, eq == std::string::npos ? "-1" : l.substr(eq + 1)});
    }
  }

  zq::ManifestList list = zq::ManifestList::FromText(body);
  const std::vector<std::string> lines = ReferenceLines(body);
  FUZZ_CHECK(list.Count() == lines.size(), "wrong number of lines");
  for (size_t i = 0; i < lines.size(); ++i) FUZZ_CHECK(list.Line(i) == lines[i], "a line was split wrongly");

  // What the evaluation must give, worked out line by line.
  std::vector<Parsed> parsed;
  bool bad_line = false;
  for (const std::string& l : lines) {
    parsed.push_back(ParseLine(l));
    const Parsed& p = parsed.back();
    if (!p.size || *p.size < 0 || p.name.empty() || !zq::IsSafeRelativeName(p.name) ||
        Fold(p.name) == "SRVADDR")
      bad_line = true;
  }
  FakeFolder folder(entries);
  std::vector<std::string> status(lines.size());
  std::optional<std::string> expected_error;  // set: some error must be raised
  int64_t total = 0;
  if (bad_line) {
    expected_error = "";
  } else {
    for (size_t i = 0; i < parsed.size() && !expected_error; ++i) {
      const Parsed& p = parsed[i];
      const Entry* e = IsExcluded(p.name) ? nullptr : folder.Find(p.name);
      if (IsExcluded(p.name)) status[i] = "OK";
      else if (!e) status[i] = "NF";
      else if (Fold(AfterLastSeparator(e->name)) != Fold(AfterLastSeparator(p.name))) {
        // A short alias of another file: a fixed library stays "OK", any other is refused.
        if (IsExcluded(AfterLastSeparator(e->name))) status[i] = "OK";
        else expected_error = "";
      }
      else if (e->version == "!") expected_error = "FileVersion not found in " + kFolder + p.name;
      else status[i] = e->version == p.version ? "OK" : "OOD";
      if (expected_error) break;
      if (status[i] != "OK" && p.name != "SetupZQ.exe") {
        total += *p.size;
        if (total > INT32_MAX) expected_error = "";
      }
    }
  }

  int32_t total_bytes = -1;
  try {
    zq::EvaluateManifest(list, total_bytes, kFolder, folder);
  } catch (const zq::Error& err) {
    FUZZ_CHECK(expected_error.has_value(), "the evaluation raised on a sound manifest");
    if (!expected_error->empty()) FUZZ_CHECK(err.what() == *expected_error, "wrong error text");
    if (bad_line) {
      FUZZ_CHECK(folder.calls == 0, "the folder was looked at before every line was checked");
      for (size_t i = 0; i < lines.size(); ++i) FUZZ_CHECK(list.Line(i) == lines[i], "a bad line left changes");
    }
    return 0;
  }
  FUZZ_CHECK(!expected_error.has_value(), "the evaluation accepted a manifest it must refuse");
  FUZZ_CHECK(total_bytes == total, "TotalBytes differs from the sum of the sizes to download");
  FUZZ_CHECK(list.Count() == lines.size(), "the evaluation changed the number of lines");
  for (size_t i = 0; i < parsed.size(); ++i) {
    const Parsed& p = parsed[i];
    FUZZ_CHECK(!ObviouslyUnsafe(p.name), "a name that leaves the folder was accepted");
    size_t first = 0;
    while (Fold(parsed[first].name) != Fold(p.name)) ++first;
    size_t last = parsed.size() - 1;
    while (Fold(parsed[last].name) != Fold(p.name)) --last;
    // The first line of a name holds the status of its last line; later
    // lines of that name keep name=version.
    const std::string expected = first == i ? p.name + "=" + status[last] : p.name + "=" + p.version;
    FUZZ_CHECK(list.Line(i) == expected, "a line does not read name=status");
    if (first == i) FUZZ_CHECK(list.Value(p.name) == status[last], "the status is not found by name");
  }
  return 0;
}
