#include "setup/manifest.h"

#include <limits>

#include "base/error.h"
#include "base/str_to_int.h"
#include "base/text.h"
#include "env/reserved_name.h"
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

size_t ManifestList::IndexOfName(std::string_view name) const {
  for (size_t i = 0; i < lines_.size(); ++i) {
    const size_t eq = lines_[i].find('=');
    if (eq != std::string::npos && SameText(std::string_view(lines_[i]).substr(0, eq), name)) return i;
  }
  return lines_.size();
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
    return;
  }
  std::string& line = lines_[i];
  line.resize(line.find('=') + 1);
  line += value;
}

const char* const ExcludedLibraries[4] = {"DllInscE32.dll", "BemaFI32.dll", "Daruma32.dll", "SWECF.DLL"};

bool IsExcludedLibrary(std::string_view name) {
  const std::string upper = AnsiUpper(name);
  for (const char* entry : ExcludedLibraries)
    if (upper == AnsiUpper(entry)) return true;
  return false;
}

namespace {

constexpr size_t kMaxSizeText = 999;

// The size of a line: the text after its first ";" (the whole line without
// one), at most 999 characters, as an integer.
int32_t SizeOf(const std::string& line) {
  const size_t semi = line.find(';');
  const std::string text = semi == std::string::npos ? line : line.substr(semi + 1);
  return StrToInt(text.substr(0, kMaxSizeText));
}

std::string BeforeSemicolon(const std::string& line) { return line.substr(0, line.find(';')); }

void CheckName(const std::string& line, size_t index) {
  const std::string name = ManifestList::NameOf(BeforeSemicolon(line));
  const std::string where = "Linha " + std::to_string(index + 1) + " do manifesto";
  if (name.empty())
    throw Error(where + " sem nome de arquivo: \"" + line + "\"");
  if (!IsSafeRelativeName(name))
    throw Error(where + " com nome de arquivo inválido (fora da pasta de instalação): \"" + name + "\"");
  if (IsReservedManifestName(name))
    throw Error(where + " com nome de arquivo reservado ao programa de instalação: \"" + name + "\"");
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
  }

  int64_t total = 0;
  for (size_t i = 0; i < count; ++i) {
    list.SetLine(i, BeforeSemicolon(list.Line(i)));
    const std::string& line = list.Line(i);
    const std::string name = ManifestList::NameOf(line);
    const std::string path = folder + name;
    std::string status;
    if (IsExcludedLibrary(name)) status = "OK";
    else if (!files.Exists(path)) status = "NF";
    else status = files.FileVersionText(path) == line.substr(name.size() + 1) ? "OK" : "OOD";
    list.SetValue(name, status);

    if (list.Value(name) != "OK" && name != "SetupZQ.exe") {
      total += sizes[i];
      if (total > std::numeric_limits<int32_t>::max() || total < std::numeric_limits<int32_t>::min())
        throw Error("O tamanho total dos arquivos a baixar passa do limite de 2147483647 bytes "
                    "(linha " + std::to_string(i + 1) + " do manifesto)");
    }
  }
  totalBytes = static_cast<int32_t>(total);
}

}  // namespace zq
