#include "setup/main_sequence.h"

#include <exception>

#include "base/error.h"
#include "env/cabinet_check.h"
#include "http/http_client.h"
#include "http/reply_reader.h"
#include "setup/cab_name.h"
#include "setup/command_line.h"
#include "setup/manifest.h"
#include "setup/product_command.h"
#include "setup/run_globals.h"
#include "setup/run_mode.h"
#include "setup/setup_host.h"
#include "setup/site_check.h"
#include "setup/site_contract.h"
#include "ui/mode_texts.h"

namespace zq {

namespace {

void WriteServerAddress(SetupHost& host, const std::string& folder, const std::string& address) {
  const int64_t written = host.WriteNewFile(folder + kServerAddressFile, address);
  if (written < 0) throw Error("[300]");
  if (written != static_cast<int64_t>(address.size())) throw Error("[301]");
}

// A cabinet in several parts, or with folders that share their blocks, is
// refused; so is damaged data, which would be extracted without a word (the
// setup library does not check the blocks' checksums). Both come in the
// form the extraction's own errors take.
void CheckCabinetData(const MemoryStream& body, const std::string& folder, const std::string& cab) {
  const std::string head = "Arquivo: " + folder + cab + " => " + folder + "\r\r";
  if (const std::optional<std::string> fault = FindRefusedCabinetLayout(body.Data(), body.Size()))
    throw Error(head + *fault);
  if (const std::optional<std::string> block = FindDamagedCabinetBlock(body.Data(), body.Size()))
    throw Error(head + "Arquivo compactado danificado (soma de verificação do " + *block + " não confere)");
}

// The signature file, fetched right after the manifest: it must be signed
// by one of the keys, vouch for the manifest's exact bytes and lines, and
// carry a serial not lower than the highest installed from, which then
// becomes the highest.
SiteSignature CheckSignedSite(SetupHost& host, std::span<const PublicKey> keys, const std::string& manifestBytes,
                              const ManifestList& manifest, const std::string& folder) {
  std::string bytes;
  try {
    bytes = host.Get(kSignaturePath, kManifestTimeLimit).Text();
  } catch (const Error& e) {
    throw Error(MissingSignatureMessage(e.what()));
  }
  SiteSignature s = VerifySignatureFile(bytes, keys);
  CheckSignedManifest(s, manifestBytes, manifest);
  const std::string serialPath = folder + kSerialFileName;
  const std::optional<uint64_t> stored = StoredSerial(host.ReadSmallFile(serialPath, kMaxSerialFile), serialPath);
  CheckSerial(s.serial, stored);
  if (!stored || s.serial > *stored) {
    const std::string text = SerialFileText(s.serial);
    if (host.WriteNewFile(serialPath, text) != static_cast<int64_t>(text.size()))
      throw Error("Não foi possível gravar o arquivo: " + serialPath);
  }
  return s;
}

// A signed cabinet: its announced length is checked before the body is read,
// its size and hash before it is saved.
MemoryStream& GetSignedCabinet(SetupHost& host, const SignedFile& f, const std::string& folder,
                               const std::string& cab) {
  MemoryStream* body = nullptr;
  try {
    body = &host.GetExactly(kCabinetFolder + cab, f.size);
  } catch (const EUnexpectedLength& e) {
    throw Error(CabinetLengthMessage(folder, cab, e.Announced ? "tamanho anunciado" : "tamanho recebido", e.Length,
                                     f.size));
  }
  CheckSignedCabinet(f, body->Data(), body->Size(), folder, cab);
  return *body;
}

void DownloadAll(SetupHost& host, const ManifestList& manifest, const std::string& folder,
                 const std::optional<SiteSignature>& signature) {
  host.InstallProgressHandler();
  host.SetBarMax(TotalBytes);
  RunState& w = host.Window();
  w.FLastTick = host.TickCount();
  w.FBytesDone = 0;
  w.FIntervalKB = 0;

  const size_t count = manifest.Count();
  for (size_t i = 0; i < count; ++i) {
    const std::string name = ManifestList::NameOf(manifest.Line(i));
    if (manifest.Value(name) == "OK") continue;
    const std::string cab = CabName(name);
    MemoryStream& body =
        signature ? GetSignedCabinet(host, signature->files[i], folder, cab) : host.Get(kCabinetFolder + cab, 0);
    host.SaveToFile(body, folder + cab);
    if (name != kSetupExe) {
      CheckCabinetData(body, folder, cab);
      host.ExtractCabinet(folder, cab);
    }
  }

  host.SetBarPosition(host.BarMax());
  if (host.IsWin61Or62()) host.SetBarPosition(host.BarMax() - 1);
  host.DisableCancelButton();
  host.PumpMessages();
  host.PumpMessages();
  host.SetSetupText("Arquivos baixados com sucesso");
  host.SetRestText("Iniciando o sistema ...");
  host.PumpMessages();
}

// Steps from the mode word to the start of the product; raises on failure.
void RunSequence(const std::vector<std::string>& args, SetupHost& host, std::span<const PublicKey> keys) {
  host.CreateSetupWindow();
  const std::optional<bool> mode = InstallModeForWord(ArgumentAt(args, 1));
  if (!mode) return;
  InstallMode = *mode;

  RunState& w = host.Window();
  w.FInstallDir = InstallMode ? host.GetDataFolder(host.ClientPort()) : host.GetExeFolder();
  if (!host.EnterInstallDir(w.FInstallDir)) return;
  const std::string folder = w.FInstallDir;

  const std::string productPath = folder + "DeskZQ.exe";
  if (host.FileExists(productPath)) {
    try {
      host.KillProcessesByPath(productPath);
    } catch (...) {
      // Ending the product is best effort; the run goes on.
    }
  }

  host.SetWindowCaption(ModeCaption(InstallMode));
  host.SetTitleOpe(ModeTitleOpe(InstallMode));
  w.FInstallMode = InstallMode;

  if (InstallMode) {
    const std::string copy = folder + kSetupExe;
    const std::string self = host.ProgramPath();
    // Started from the data folder itself, the program already is the copy.
    if (!host.IsSameFile(self, copy) && !host.CopyFileOver(self, copy))
      throw Error("Não foi possível copiar o arquivo: " + copy);
    WriteServerAddress(host, folder, ArgumentAt(args, 2));
  }

  const std::string manifestBytes = host.Get(kManifestPath, kManifestTimeLimit).Text();
  ManifestList manifest = ManifestList::FromText(manifestBytes);
  std::optional<SiteSignature> signature;
  if (!keys.empty()) signature = CheckSignedSite(host, keys, manifestBytes, manifest, folder);
  EvaluateManifest(manifest, TotalBytes, folder, host.Files());

  if (!host.ConfirmStart()) return;
  host.ShowSetupWindow();
  host.PumpMessages();

  if (TotalBytes > 0) DownloadAll(host, manifest, folder, signature);

  const std::string command = BuildProductCommand(productPath, ArgumentAt(args, 3), ArgumentAt(args, 4));
  host.PumpMessages();
  if (host.StartProgram(command) <= 31) throw Error("Não foi possível acionar o Sistema [100]");
  host.PumpMessages();
}

}  // namespace

void RunSetup(const std::vector<std::string>& args, SetupHost& host, std::span<const PublicKey> siteKeys) {
  host.CreateClient(ArgumentAt(args, 2));
  try {
    RunSequence(args, host, siteKeys);
  } catch (const std::exception& e) {
    host.ShowErrorBox(e.what(), host.WindowCaption());
  }
}

}  // namespace zq
