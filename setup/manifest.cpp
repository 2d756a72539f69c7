#include "setup/manifest.h"

#include "base/error.h"
#include "base/str_to_int.h"
#include "base/text.h"
#include "env/safe_name.h"

namespace zq {

ManifestList ManifestList::FromText(std::string_view body) {
  const size_t nul = body.find('\0');
  if (nul != std::string_view::npos) body = body.substr(0, nul);
  ManifestList list;
  size_t pos = 0;
  while (pos < body.size()) {
    size_t end = pos;
    while (end < body.size() && body[end] != '\r' && body[end] != '\n') ++end;
    list.lines_.emplace_back(body.substr(pos, end - pos));
    if (end < body.size() && body[end] == '\r') ++end;
    if (end < body.size() && body[end] == '\n') ++end;  // LF, or the LF of CR LF
    pos = end;
  }
  return list;
}

std::string ManifestList::NameOf(const std::string& line) {
  const size_t eq = line.find('=');
  return eq == std::string::npos ? std::string() : line.substr(0, eq);
}

void ManifestList::SetLine(size_t i, std::string text) {
  lines_.at(i) = std::move(text);
  indexed_ = false;
  index_.clear();
}

const std::unordered_map<std::string, size_t>& ManifestList::Index() const {
  if (!indexed_) {
    index_.reserve(lines_.size());
    for (size_t i = 0; i < lines_.size(); ++i) {
      const size_t eq = lines_[i].find('=');
      if (eq != std::string::npos) index_.emplace(AnsiUpper(std::string_view(lines_[i]).substr(0, eq)), i);
    }
    indexed_ = true;
  }
  return index_;
}

size_t ManifestList::IndexOfName(std::string_view name) const {
  const auto& index = Index();
  const auto it = index.find(AnsiUpper(name));
  return it == index.end() ? lines_.size() : it->second;
}

std::string ManifestList::Value(std::string_view name) const {
  const size_t i = IndexOfName(name);
  if (i == lines_.size()) return std::string();
  return lines_[i].substr(lines_[i].find('=') + 1);
}

void ManifestList::SetValue(std::string_view name, std::string_view value) {
  const size_t i = IndexOfName(name);
  if (i == lines_.size()) {
    lines_.push_back(std::string(name) + "=" + std::string(value));
    index_.emplace(AnsiUpper(name), i);  // the index stays whole: the new line is that name's first
    return;
  }
  std::string& line = lines_[i];
  line.resize(line.find('=') + 1);
  line += value;
}

namespace {

// The size of a line: the text after its first ";" (the whole line without
// one), at most 999 characters, as an integer.
int32_t SizeOf(const std::string& line) {
  const size_t semi = line.find(';');
  const std::string text = semi == std::string::npos ? line : line.substr(semi + 1);
  return StrToInt(text.substr(0, kMaxSizeText));
}

std::string BeforeSemicolon(const std::string& line) { return line.substr(0, line.find(';')); }

std::string Where(size_t index) { return "Linha " + std::to_string(index + 1) + " do manifesto"; }

Error TotalLimitError(size_t index) {
  return Error("O tamanho total dos arquivos a baixar passa do limite de 2147483647 bytes "
               "(linha " + std::to_string(index + 1) + " do manifesto)");
}

void CheckName(const std::string& line, size_t index) {
  const std::string name = ManifestList::NameOf(BeforeSemicolon(line));
  if (name.empty())
    throw Error(Where(index) + " sem nome de arquivo: \"" + line + "\"");
  if (!IsSafeRelativeName(name))
    throw Error(Where(index) + " com nome de arquivo inválido (fora da pasta de instalação): \"" + name + "\"");
  if (const ReservedName* reserved = FindReservedName(name); reserved && !reserved->listed)
    throw Error(Where(index) + " com nome de arquivo reservado: \"" + name + "\"");
}

// The status of a name that is no fixed library: the directory search
// reports the entry's long name, which holds the same rules as the name.
std::string StatusOf(const std::string& line, const std::string& name, const std::string& folder,
                     LocalFiles& files, size_t index) {
  const std::string path = folder + name;
  const std::optional<std::string> found = files.FindEntry(path);
  if (!found) return "NF";
  if (IsAliasOfOtherEntry(name, *found)) {
    // BEMAFI~1.DLL is BemaFI32.dll: a fixed library is never replaced, and
    // no other file is reached by a name that is not its own.
    if (IsExcludedLibrary(*found)) return "OK";
    throw Error(Where(index) + " com nome de arquivo que designa outro arquivo (" + *found + "): \"" + name +
                "\"");
  }
  return files.FileVersionText(path) == line.substr(name.size() + 1) ? "OK" : "OOD";
}

}  // namespace

void EvaluateManifest(ManifestList& list, int32_t& totalBytes, const std::string& folder,
                      LocalFiles& files) {
  totalBytes = 0;
  const size_t count = list.Count();

  // Every line is read before any status is set, so that a bad line stops the
  // run with the list untouched and nothing looked at.
  std::vector<int32_t> sizes(count);
  for (size_t i = 0; i < count; ++i) {
    sizes[i] = SizeOf(list.Line(i));
    CheckName(list.Line(i), i);
    if (sizes[i] < 0) throw TotalLimitError(i);
  }

  // Every line becomes name=version first: a status goes to the first line
  // of its name, which is always one already cut.
  for (size_t i = 0; i < count; ++i) list.SetLine(i, BeforeSemicolon(list.Line(i)));

  int64_t total = 0;
  for (size_t i = 0; i < count; ++i) {
    const std::string line = list.Line(i);
    const std::string name = ManifestList::NameOf(line);
    list.SetValue(name, IsExcludedLibrary(name) ? "OK" : StatusOf(line, name, folder, files, i));

    if (list.Value(name) != "OK" && name != kSetupExe) {
      total += sizes[i];
      if (total > kMaxTotalBytes) throw TotalLimitError(i);
    }
  }
  totalBytes = static_cast<int32_t>(total);
}

}  // namespace zq
