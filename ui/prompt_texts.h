#pragma once
// The wording of the start and cancel prompts in both run modes and both
// forms (task dialog on Windows 6.1/6.2, message box elsewhere).
#include <cstdint>
#include <string>

namespace zq {

struct PromptTexts {
  std::string main_instruction;  // task dialog
  std::string content;           // task dialog
  std::string message_box;       // message box (before the size line, for the start prompt)
};

PromptTexts StartPromptTexts(bool install_mode);
PromptTexts CancelPromptTexts(bool install_mode);

// Megabytes (1024 * 1024 bytes) to download, as the size line shows them.
double DownloadMegabytes(int32_t total_bytes);

// "Será baixado um total de " + size + " MB." with the size already formatted.
std::string SizeLine(const std::string& formatted_size);

// The start prompt's message-box text: the mode text, a blank line, the size line.
std::string StartMessageBoxText(bool install_mode, const std::string& size_line);

// Footer of both task dialogs: a link to the maker's site.
extern const char* const kMakerAddress;
std::string FooterLink();

// Titles, captions and expander captions.
extern const char* const kStartDialogTitle;   // task dialog of the start prompt
extern const char* const kConfirmCaption;     // cancel task dialog, and every message box
extern const char* const kCollapsedText;
extern const char* const kExpandedText;

}  // namespace zq
