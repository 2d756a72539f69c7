#include "ui/prompt_texts.h"

namespace zq {

const char* const kMakerAddress = "https://www.zolmar.com.br/";
const char* const kStartDialogTitle = "Informação";
const char* const kConfirmCaption = "Confirmação";
const char* const kCollapsedText = "Mais informações";
const char* const kExpandedText = "Menos informações";

PromptTexts StartPromptTexts(bool install_mode) {
  if (install_mode) {
    return {"Instalação Zolmar",
            "O Zolmar será instalado em seu computador.\r\rVocê deseja fazer isso agora?\r",
            "Instalação Zolmar\r\rO Zolmar será instalado em seu computador.\r\rVocê deseja fazer isso agora?"};
  }
  return {"Versão Nova Zolmar",
          "O Zolmar precisa ser atualizado para uma versão mais nova.\r\rVocê deseja fazer a atualização agora?\r",
          "Versão Nova Zolmar\r\rO Zolmar precisa ser atualizado para uma versão mais nova.\r\r"
          "Você deseja fazer a atualização agora?"};
}

PromptTexts CancelPromptTexts(bool install_mode) {
  const std::string title = install_mode ? "Cancelamento Instalação Zolmar" : "Cancelamento Versão Nova Zolmar";
  return {title, "Você confirma o Cancelamento?\r", title + "\r\rVocê confirma o Cancelamento?"};
}

double DownloadMegabytes(int32_t total_bytes) { return total_bytes / 1024.0 / 1024.0; }

std::string SizeLine(const std::string& formatted_size) {
  return "Será baixado um total de " + formatted_size + " MB.";
}

std::string StartMessageBoxText(bool install_mode, const std::string& size_line) {
  return StartPromptTexts(install_mode).message_box + "\r\r" + size_line;
}

std::string FooterLink() { return std::string("<a href=\"") + kMakerAddress + "\">Zolmar Sistemas</a>"; }

}  // namespace zq
