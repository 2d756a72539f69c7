// SetupZQ: installs or updates DeskZQ.exe from the product's HTTP server.
#include <windows.h>

#include <exception>

#include "env/system_library_win.h"
#include "setup/command_line.h"
#include "setup/main_sequence.h"
#include "setup/setup_host_win.h"
#include "site_keys.h"
#include "ui/application_win.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  zq::RestrictLibrarySearch();
  try {
    zq::WinSetupHost host;
    zq::RunSetup(zq::SplitCommandLine(GetCommandLineA()), host, zq::kSiteKeys);
  } catch (const std::exception& e) {
    // Only the creation of the client runs outside the run's own handler.
    zq::app::MessageBox(e.what(), "Erro", MB_OK);
  }
  ExitProcess(0);
}
