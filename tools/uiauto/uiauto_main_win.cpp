// uiauto: waits for, reads and answers top-level windows of this desktop.
//   uiauto wait  --caption TEXT [--class CLASS] [--timeout MS]
//   uiauto dump  --caption TEXT [--class CLASS] [--timeout MS]
//   uiauto press --caption TEXT [--class CLASS] (--id N | --key escape) [--timeout MS]
// wait and dump print the window and its children, one line each:
//   class<TAB>id<TAB>text<TAB>left,top,width,height<TAB>style-hex
// Texts are UTF-8 (arguments too, %XX escapes allowed); exit code 1 when the window did not
// appear in time, 2 for a usage error.
#include <windows.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/uiauto/window_reader_win.h"

namespace {

// Wine hands non-ASCII arguments over only as well as the Unix locale
// allows, so captions may spell any byte as %XX (UTF-8), e.g. "Atualiza%C3%A7%C3%A3o".
std::string PercentDecoded(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
      out += static_cast<char>(std::strtol(text.substr(i + 1, 2).c_str(), nullptr, 16));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

int Usage() {
  std::fprintf(stderr,
               "usage: uiauto wait|dump|press --caption TEXT [--class CLASS] [--timeout MS] "
               "[--id N | --key escape]\n");
  return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  using namespace zq::uiauto;
  if (argc < 2) return Usage();
  const std::string command = WideToUtf8(argv[1]);
  std::string caption;
  std::string class_name;
  std::string key;
  DWORD timeout = command == "dump" ? 500 : 10000;
  int id = -1;
  bool have_caption = false;
  for (int i = 2; i < argc; ++i) {
    const std::string arg = WideToUtf8(argv[i]);
    if (i + 1 >= argc) return Usage();
    const std::string value = WideToUtf8(argv[++i]);
    if (arg == "--caption") {
      caption = PercentDecoded(value);
      have_caption = true;
    } else if (arg == "--class") {
      class_name = PercentDecoded(value);
    } else if (arg == "--timeout") {
      timeout = static_cast<DWORD>(std::strtoul(value.c_str(), nullptr, 10));
    } else if (arg == "--id") {
      id = std::atoi(value.c_str());
    } else if (arg == "--key") {
      key = value;
    } else {
      return Usage();
    }
  }
  if (!have_caption) return Usage();
  if (command != "wait" && command != "dump" && command != "press") return Usage();
  if (command == "press" && id < 0 && key != "escape") return Usage();

  HWND top = WaitTopLevel(caption, class_name, timeout);
  if (top == nullptr) {
    std::fprintf(stderr, "uiauto: no window \"%s\" within %lu ms\n", caption.c_str(),
                 static_cast<unsigned long>(timeout));
    return 1;
  }
  if (command == "press") {
    if (key == "escape") {
      SendEscape(top);
      return 0;
    }
    return Press(top, id) ? 0 : 3;
  }
  for (const WindowInfo& info : ReadTree(top)) std::printf("%s\n", FormatLine(info).c_str());
  std::fflush(stdout);
  return 0;
}
