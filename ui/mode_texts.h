#pragma once
// The setup window's texts that follow the run's mode: its caption (which
// also captions the error box) and the operation's title.

namespace zq {

// "Instalação do Sistema" or "Atualização do Sistema".
constexpr const char* ModeCaption(bool installMode) {
  return installMode ? "Instalação do Sistema" : "Atualização do Sistema";
}

// "Instalando o Sistema" or "Instalando Versão Nova".
constexpr const char* ModeTitleOpe(bool installMode) {
  return installMode ? "Instalando o Sistema" : "Instalando Versão Nova";
}

}  // namespace zq
