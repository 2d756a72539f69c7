#include "env/path_text.h"

#include "base/text.h"

namespace zq {

bool SameTextAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiUpperChar(a[i]) != AsciiUpperChar(b[i])) return false;
  return true;
}

std::string ExtractFolder(std::string_view path) {
  const size_t cut = path.find_last_of("\\:");
  if (cut == std::string_view::npos) return std::string();
  return std::string(path.substr(0, cut + 1));
}

std::string DataFolderPath(std::string_view documents, int32_t port) {
  std::string path(documents);
  path += "Arquivos.Zolmar\\SisZQ";
  if (port != 80) path += std::to_string(port);
  path += '\\';
  return path;
}

std::vector<std::string> FolderChain(std::string_view folder) {
  // Skip the root: "C:\", "\\server\share\", or a leading "\".
  size_t pos = 0;
  if (folder.size() >= 2 && folder[1] == ':') {
    pos = 2;
    if (pos < folder.size() && folder[pos] == '\\') ++pos;
  } else if (folder.substr(0, 2) == "\\\\") {
    pos = folder.find('\\', 2);                                   // end of server
    pos = pos == std::string_view::npos ? folder.size() : folder.find('\\', pos + 1);  // end of share
    pos = pos == std::string_view::npos ? folder.size() : pos + 1;
  } else if (!folder.empty() && folder[0] == '\\') {
    pos = 1;
  }
  std::vector<std::string> chain;
  while (pos < folder.size()) {
    const size_t end = folder.find('\\', pos);
    if (end == std::string_view::npos) {
      chain.emplace_back(folder);
      break;
    }
    if (end > pos) chain.emplace_back(folder.substr(0, end + 1));
    pos = end + 1;
  }
  return chain;
}

}  // namespace zq
