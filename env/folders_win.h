#pragma once
// The data and installation folders, and entering the installation folder.
#include <cstdint>
#include <string>

#include "base/show_box.h"

namespace zq {

// The user's documents folder with a trailing backslash; "" when the shell
// can't resolve it.
std::string GetDocumentsFolder();

// documents\Arquivos.Zolmar\SisZQ[port]\, created with every missing parent.
// The caller passes DefaultClient's Port as it is at the moment of the call.
// Raises "Não foi possível criar a pasta: <path>" when it can't be created,
// and an error of its own when the documents folder can't be resolved (the
// path would otherwise be relative to the current folder).
std::string GetDataFolder(int32_t port);

// The folder of the running executable, with its trailing backslash.
std::string GetExeFolder();

// Makes installDir (the window's FInstallDir) the current folder, creating
// that one folder when needed. On failure shows "Não foi possível acessar o
// seu HD [002]" / "Erro" through showBox and gives false.
bool EnterInstallDir(const std::string& installDir, const ShowBox& showBox);

}  // namespace zq
