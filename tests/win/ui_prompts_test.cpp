// The start and cancel prompts as the user sees them, in both forms: task
// dialogs under Wine's default Windows 6.1, message boxes for a program that
// Wine runs as Windows Vista. Each prompt runs in the uihost helper; the test
// reads its window like uiauto does and answers it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tools/uiauto/child_process_win.h"
#include "tools/uiauto/window_reader_win.h"

namespace zq {
namespace {

using uiauto::ChildProcess;
using uiauto::Utf8ToWide;
using uiauto::WindowInfo;

const std::string kTaskDialogCaption = "Informa\xC3\xA7\xC3\xA3o";  // UTF-8
const std::string kConfirmCaption = "Confirma\xC3\xA7\xC3\xA3o";

// uihost_vista.exe runs as Windows Vista: Wine reads the version per program.
void SetVistaForHostCopy() {
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\uihost_vista.exe", 0, nullptr, 0,
                            KEY_SET_VALUE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const char value[] = "vista";
  RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(value), sizeof value);
  RegCloseKey(key);
}

std::string Host(bool vista) {
  return "\"" + uiauto::ProgramFolder() + "..\\..\\bin\\" + (vista ? "uihost_vista.exe" : "uihost.exe") + "\"";
}

// The visible texts of a prompt, in UTF-16, with the class of each control.
struct Seen {
  std::vector<std::wstring> texts;        // visible children
  std::vector<std::wstring> hidden_texts;  // children without WS_VISIBLE
  std::wstring caption;
  std::string class_name;
};

Seen Read(HWND top) {
  Seen seen;
  const std::vector<WindowInfo> tree = uiauto::ReadTree(top);
  seen.caption = Utf8ToWide(tree[0].text);
  seen.class_name = tree[0].class_name;
  for (size_t i = 1; i < tree.size(); ++i) {
    if (tree[i].text.empty()) continue;
    (tree[i].style & WS_VISIBLE ? seen.texts : seen.hidden_texts).push_back(Utf8ToWide(tree[i].text));
  }
  return seen;
}

bool Contains(const std::vector<std::wstring>& list, const std::wstring& text) {
  for (const auto& t : list) {
    if (t == text) return true;
  }
  return false;
}

enum class Reply { kYes, kNo, kEscape };

struct PromptCase {
  const char* name;
  bool vista;
  const char* args;
  std::string caption;
  std::vector<std::wstring> visible;  // texts that must be shown
  std::vector<std::wstring> hidden;   // texts present but collapsed
  std::vector<std::wstring> absent;   // texts that must not be there at all
  Reply reply;
  DWORD exit_code;  // 6 yes, 7 no
};

const std::wstring kLink = L"<a href=\"https://www.zolmar.com.br/\">Zolmar Sistemas</a>";

void RunPrompt(const PromptCase& c) {
  SCOPED_TRACE(c.name);
  if (c.vista) SetVistaForHostCopy();
  ChildProcess host(Host(c.vista) + " " + c.args);
  ASSERT_TRUE(host.Started());
  HWND prompt = uiauto::WaitTopLevel(c.caption, "#32770", 15000);
  ASSERT_NE(prompt, nullptr);
  const Seen seen = Read(prompt);
  EXPECT_EQ(seen.class_name, "#32770");
  for (const auto& t : c.visible) EXPECT_TRUE(Contains(seen.texts, t)) << uiauto::WideToUtf8(t);
  for (const auto& t : c.hidden) EXPECT_TRUE(Contains(seen.hidden_texts, t)) << uiauto::WideToUtf8(t);
  for (const auto& t : c.absent) {
    EXPECT_FALSE(Contains(seen.texts, t) || Contains(seen.hidden_texts, t)) << uiauto::WideToUtf8(t);
  }
  switch (c.reply) {
    case Reply::kYes:
      EXPECT_TRUE(uiauto::Press(prompt, IDYES));
      break;
    case Reply::kNo:
      EXPECT_TRUE(uiauto::Press(prompt, IDNO));
      break;
    case Reply::kEscape:
      uiauto::SendEscape(prompt);
      break;
  }
  ASSERT_TRUE(host.Wait(15000));
  EXPECT_EQ(host.ExitCode(), c.exit_code) << host.Output();
  EXPECT_EQ(host.Output(), c.exit_code == 6 ? "yes\r\n" : "no\r\n");
}

TEST(StartPrompt, TaskDialogOnWindows61) {
  const std::vector<PromptCase> cases = {
      {"update, 11,77 MB, yes", false, "start update 12345678", kTaskDialogCaption,
       {L"Versão Nova Zolmar",
        L"O Zolmar precisa ser atualizado para uma versão mais nova.\r\rVocê deseja fazer a atualização agora?\r",
        L"Mais informações", L"&Sim", L"&Não", kLink},
       {L"Será baixado um total de 11,77 MB."},
       {},
       Reply::kYes,
       6},
      {"install, 0 MB, no", false, "start install 0", kTaskDialogCaption,
       {L"Instalação Zolmar", L"O Zolmar será instalado em seu computador.\r\rVocê deseja fazer isso agora?\r",
        kLink},
       {L"Será baixado um total de 0,00 MB."},
       {},
       Reply::kNo,
       7},
      // Wine 8's task dialog ignores Escape and IDCANCEL without a Cancel
      // button (TDF_ALLOW_DIALOG_CANCELLATION is not honoured), so Escape is
      // exercised on the message boxes only.
      {"install, thousands, no", false, "start install 2000000000", kTaskDialogCaption,
       {L"Instalação Zolmar"},
       {L"Será baixado um total de 1.907,35 MB."},
       {},
       Reply::kNo,
       7},
  };
  for (const PromptCase& c : cases) RunPrompt(c);
}

TEST(StartPrompt, MessageBoxOnVista) {
  const std::vector<PromptCase> cases = {
      {"install, yes", true, "start install 12345678", kConfirmCaption,
       {L"Instalação Zolmar\r\rO Zolmar será instalado em seu computador.\r\rVocê deseja fazer isso agora?\r\r"
        L"Será baixado um total de 11,77 MB.",
        L"&Sim", L"&Não"},
       {},
       {kLink},
       Reply::kYes,
       6},
      {"update, no", true, "start update 0", kConfirmCaption,
       {L"Versão Nova Zolmar\r\rO Zolmar precisa ser atualizado para uma versão mais nova.\r\r"
        L"Você deseja fazer a atualização agora?\r\rSerá baixado um total de 0,00 MB."},
       {},
       {},
       Reply::kNo,
       7},
      {"update, escape", true, "start update 1024", kConfirmCaption, {}, {}, {}, Reply::kEscape, 7},
  };
  for (const PromptCase& c : cases) RunPrompt(c);
}

TEST(CancelPrompt, NamesTheModeInBothForms) {
  const std::vector<PromptCase> cases = {
      {"task dialog, install, yes", false, "cancel install", kConfirmCaption,
       {L"Cancelamento Instalação Zolmar", L"Você confirma o Cancelamento?\r", kLink},
       {},
       {L"Mais informações"},  // no expander without expanded information
       Reply::kYes,
       6},
      {"task dialog, update, no", false, "cancel update", kConfirmCaption,
       {L"Cancelamento Versão Nova Zolmar", L"Você confirma o Cancelamento?\r"},
       {},
       {},
       Reply::kNo,
       7},
      {"message box, install, escape", true, "cancel install", kConfirmCaption, {}, {}, {}, Reply::kEscape, 7},
      {"message box, update, no", true, "cancel update", kConfirmCaption,
       {L"Cancelamento Versão Nova Zolmar\r\rVocê confirma o Cancelamento?"},
       {},
       {},
       Reply::kNo,
       7},
      {"message box, install, yes", true, "cancel install", kConfirmCaption,
       {L"Cancelamento Instalação Zolmar\r\rVocê confirma o Cancelamento?"},
       {},
       {},
       Reply::kYes,
       6},
  };
  for (const PromptCase& c : cases) RunPrompt(c);
}

}  // namespace
}  // namespace zq
