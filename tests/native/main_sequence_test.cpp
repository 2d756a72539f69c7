#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <tuple>
#include <stdexcept>

#include "base/error.h"
#include "base/text.h"
#include "http/http_client.h"
#include "http/reply_reader.h"
#include "setup/main_sequence.h"
#include "setup/manifest.h"
#include "setup/run_globals.h"
#include "setup/setup_host.h"
#include "setup/site_crypto.h"

namespace zq {
namespace {

// Local files by full path and their version texts; paths are found
// without regard to case, as on Windows.
struct FakeFiles : LocalFiles {
  std::map<std::string, std::string> versions;
  std::map<std::string, std::string>::const_iterator Find(const std::string& path) const {
    for (auto it = versions.begin(); it != versions.end(); ++it)
      if (SameText(it->first, path)) return it;
    return versions.end();
  }
  std::optional<std::string> FindEntry(const std::string& path) override {
    const auto it = Find(path);
    if (it == versions.end()) return std::nullopt;
    return it->first.substr(it->first.find_last_of('\\') + 1);
  }
  std::string FileVersionText(const std::string& path) override { return Find(path)->second; }
};

// Records what the sequence asks for, in order, and answers from its fields.
class FakeHost : public SetupHost {
 public:
  std::vector<std::string> log;
  std::map<std::string, std::string> replies;  // request path -> body
  FakeFiles files;
  std::string programPath = "C:\\Temp\\SetupZQ.exe";
  std::string dataFolder = "C:\\Docs\\Arquivos.Zolmar\\SisZQ\\";
  std::string exeFolder = "C:\\Prog\\";
  int32_t port = 80;
  bool enterOk = true, confirm = true, win61 = false, copyOk = true, killThrows = false;
  bool dataFolderThrows = false;
  int64_t writeResult = -2;  // -2: write every byte
  uint32_t execResult = 33;
  std::string failOnGet;     // request path that raises
  std::map<std::string, int64_t> announced;  // request path -> announced length (-1: none); else the body's
  std::map<std::string, std::string> smallFiles;  // path -> content, for ReadSmallFile
  RunState state;
  std::string caption = "Instalação do Sistema";
  int32_t barMax = 0, barPos = 0;
  MemoryStream response;
  std::map<std::string, uint32_t> timeLimits;  // of each path's last Get

  std::string ProgramPath() override { return programPath; }
  void CreateClient(const std::string& a) override { log.push_back("client " + a); }
  int32_t ClientPort() override { return port; }
  MemoryStream& Get(const std::string& path, uint32_t timeLimit) override {
    log.push_back("get " + path);
    timeLimits[path] = timeLimit;
    if (path == failOnGet) throw Error("Não foi possível acessar o servidor");
    response.Clear();
    const std::string& body = replies.count(path) ? replies[path] : path;
    response.Write(body.data(), body.size());
    response.SetPosition(0);
    return response;
  }
  MemoryStream& GetExactly(const std::string& path, int64_t length) override {
    log.push_back("get " + path + " (" + std::to_string(length) + ")");
    const std::string& body = replies.count(path) ? replies[path] : path;
    const int64_t a = announced.count(path) ? announced[path] : static_cast<int64_t>(body.size());
    if (a != -1 && a != length) throw EUnexpectedLength(a, true);
    response.Clear();
    response.Write(body.data(), body.size());
    response.SetPosition(0);
    return response;
  }
  void InstallProgressHandler() override { log.push_back("progress handler"); }
  void CreateSetupWindow() override { log.push_back("window"); }
  RunState& Window() override { return state; }
  std::string WindowCaption() override { return caption; }
  void SetWindowCaption(const std::string& t) override { caption = t; }
  void SetTitleOpe(const std::string& t) override { log.push_back("title " + t); }
  void SetSetupText(const std::string& t) override { log.push_back("laSetup " + t); }
  void SetRestText(const std::string& t) override { log.push_back("laRest " + t); }
  void ShowSetupWindow() override { log.push_back("show"); }
  void SetBarMax(int32_t m) override { barMax = m; }
  int32_t BarMax() override { return barMax; }
  void SetBarPosition(int32_t p) override { barPos = p; }
  void DisableCancelButton() override { log.push_back("disable cancel"); }
  void PumpMessages() override { log.push_back("pump"); }
  uint32_t TickCount() override { return 4242; }
  bool IsWin61Or62() override { return win61; }
  bool ConfirmStart() override {
    log.push_back("confirm " + std::to_string(TotalBytes));
    return confirm;
  }
  void ShowErrorBox(const std::string& t, const std::string& c) override { log.push_back("box " + t + " | " + c); }
  std::string GetDataFolder(int32_t p) override {
    log.push_back("data folder " + std::to_string(p));
    if (dataFolderThrows) throw Error("Não foi possível criar a pasta: " + dataFolder);
    return dataFolder;
  }
  std::string GetExeFolder() override { return exeFolder; }
  bool EnterInstallDir(const std::string& f) override {
    log.push_back("enter " + f);
    return enterOk;
  }
  bool FileExists(const std::string& p) override { return files.FindEntry(p).has_value(); }
  void KillProcessesByPath(const std::string& p) override {
    log.push_back("kill " + p);
    if (killThrows) throw std::runtime_error("psapi");
  }
  LocalFiles& Files() override { return files; }
  bool IsSameFile(const std::string& a, const std::string& b) override { return a == b; }
  bool CopyFileOver(const std::string& from, const std::string& to) override {
    log.push_back("copy " + from + " -> " + to);
    return copyOk;
  }
  int64_t WriteNewFile(const std::string& path, const std::string& bytes) override {
    log.push_back("write " + path + " [" + bytes + "]");
    return writeResult == -2 ? static_cast<int64_t>(bytes.size()) : writeResult;
  }
  std::optional<std::string> ReadSmallFile(const std::string& path, size_t max) override {
    log.push_back("read " + path);
    if (!smallFiles.count(path)) return std::nullopt;
    return smallFiles[path].substr(0, max + 1);
  }
  void SaveToFile(const MemoryStream& s, const std::string& path) override {
    log.push_back("save " + path + " [" + s.Text() + "]");
  }
  void ExtractCabinet(const std::string& folder, const std::string& cab) override {
    log.push_back("extract " + folder + cab);
  }
  uint32_t StartProgram(const std::string& cmd) override {
    log.push_back("exec " + cmd);
    return execResult;
  }

  bool Logged(const std::string& entry) const {
    return std::find(log.begin(), log.end(), entry) != log.end();
  }
  size_t CountPrefix(const std::string& prefix) const {
    return static_cast<size_t>(std::count_if(log.begin(), log.end(),
                                             [&](const std::string& e) { return e.rfind(prefix, 0) == 0; }));
  }
};

std::vector<std::string> Args(std::vector<std::string> a) {
  a.insert(a.begin(), "C:\\Temp\\SetupZQ.exe");
  return a;
}

// One stored block ("abcd") whose checksum field holds a wrong value.
std::string DamagedCabinet() {
  std::string cab(52, '\0');
  cab.replace(0, 4, "MSCF");
  cab[26] = 1;                          // one folder
  cab[36] = 44;                         // its data starts at 44
  cab[40] = 1;                          // with one block
  cab.replace(44, 4, "\xEF\xBE\xAD\xDE");  // stored checksum
  cab[48] = 4;                          // 4 bytes, 4 bytes uncompressed
  cab[50] = 4;
  return cab + "abcd";
}

// The damaged cabinet's layout marked as continued in a next cabinet.
std::string MultiPartCabinet() {
  std::string cab = DamagedCabinet();
  cab[30] = 2;
  return cab;
}

// Two folders whose one block is the same.
std::string OverlappingCabinet() {
  std::string cab(64, '\0');
  cab.replace(0, 4, "MSCF");
  cab[26] = 2;   // two folders
  cab[36] = 52;  // both start at 52 with one block
  cab[40] = 1;
  cab[44] = 52;
  cab[48] = 1;
  cab[56] = 4;   // 4 bytes, no checksum
  cab[58] = 4;
  return cab;
}

class MainSequence : public ::testing::Test {
 protected:
  void SetUp() override {
    TotalBytes = -1;
    InstallMode = false;
  }
  FakeHost host;
};

TEST_F(MainSequence, UnknownModeWordEndsBeforeAnythingElse) {
  for (const char* word : {"XCTKD", "Xctltn", "", "xctkd2"}) {
    FakeHost h;
    h.files.versions["C:\\Prog\\DeskZQ.exe"] = "1";
    RunSetup(Args({word, "srv01"}), h);
    EXPECT_EQ(h.log, (std::vector<std::string>{"client srv01", "window"})) << word;
  }
}

TEST_F(MainSequence, InstallationRunWritesCopyAndAddressThenFetchesWhatIsOutOfDate) {
  const std::string dir = host.dataFolder;
  host.port = 8080;
  host.files.versions[dir + "DeskZQ.exe"] = "1.0.0.4";
  host.files.versions[dir + "a.dll"] = "2.0";
  host.replies["/scripts/zq.dll/stptc"] =
      "DeskZQ.exe=1.0.0.5;900\r\na.dll=2.0;50\r\nleiame=x;7\r\nSetupZQ.exe=2.3;700\r\n";
  RunSetup(Args({"xctltn", "srv01:8080", "user", "key"}), host);

  const std::vector<std::string> expected = {
      "client srv01:8080",
      "window",
      "data folder 8080",
      "enter " + dir,
      "kill " + dir + "DeskZQ.exe",
      "title Instalando o Sistema",
      "copy C:\\Temp\\SetupZQ.exe -> " + dir + "SetupZQ.exe",
      "write " + dir + "SRVADDR [srv01:8080]",
      "get /scripts/zq.dll/stptc",
      "confirm 907",
      "show",
      "pump",  // the window is drawn before the first request
      "progress handler",
      "get /BinZQ/DeskZQ.cab",
      "save " + dir + "DeskZQ.cab [/BinZQ/DeskZQ.cab]",
      "extract " + dir + "DeskZQ.cab",
      "get /BinZQ/leiame.cab",
      "save " + dir + "leiame.cab [/BinZQ/leiame.cab]",
      "extract " + dir + "leiame.cab",
      // The setup program's own cabinet is saved but never extracted.
      "get /BinZQ/SetupZQ.cab",
      "save " + dir + "SetupZQ.cab [/BinZQ/SetupZQ.cab]",
      "disable cancel",
      // The full bar and the disabled button are drawn, then the last texts.
      "pump",
      "pump",
      "laSetup Arquivos baixados com sucesso",
      "laRest Iniciando o sistema ...",
      "pump",
      "pump",  // before the product starts
      "exec " + dir + "DeskZQ.exe xctpt \"user\" \"key\" SETUP ZQ",
      "pump",
  };
  EXPECT_EQ(host.log, expected);
  // The requests before the window exists have no Cancel: they are bounded
  // as a whole; a cabinet's download can be cancelled.
  EXPECT_EQ(host.timeLimits["/scripts/zq.dll/stptc"], kManifestTimeLimit);
  EXPECT_EQ(host.timeLimits["/BinZQ/DeskZQ.cab"], 0u);
  EXPECT_EQ(host.caption, "Instalação do Sistema");
  EXPECT_TRUE(host.state.FInstallMode);
  EXPECT_EQ(host.state.FInstallDir, dir);
  EXPECT_EQ(host.state.FLastTick, 4242u);
  EXPECT_EQ(host.barMax, 907);
  EXPECT_EQ(host.barPos, 907);
}

TEST_F(MainSequence, UpdateRunUsesTheProgramFolderAndWritesNothingOfItsOwn) {
  host.replies["/scripts/zq.dll/stptc"] = "DeskZQ.exe=1.0.0.5;900";
  host.win61 = true;
  RunSetup(Args({"xctltn_NewDesk", "srv01", "", "key"}), host);
  EXPECT_TRUE(host.Logged("enter C:\\Prog\\"));
  EXPECT_EQ(host.CountPrefix("copy"), 0u);
  EXPECT_EQ(host.CountPrefix("write"), 0u);
  EXPECT_EQ(host.CountPrefix("kill"), 0u);  // no DeskZQ.exe there
  EXPECT_EQ(host.caption, "Atualização do Sistema");
  EXPECT_TRUE(host.Logged("title Instalando Versão Nova"));
  EXPECT_TRUE(host.Logged("extract C:\\Prog\\DeskZQ.cab"));
  EXPECT_TRUE(host.Logged("exec C:\\Prog\\DeskZQ.exe NEW \"SET\" \"UP\" SETUP ZQ"));
  EXPECT_FALSE(host.state.FInstallMode);
  EXPECT_EQ(host.barPos, 899);  // one short of the maximum on Windows 6.1/6.2
}

TEST_F(MainSequence, NothingToDownloadStillAsksAndStartsTheProduct) {
  struct Case {
    const char* manifest;
    int32_t total;
  } const cases[] = {
      {"DeskZQ.exe=1.0.0.5;900", 0},               // every entry up to date
      {"DeskZQ.exe=1.0.0.5;900\nSetupZQ.exe=9;700", 0},  // only the setup program differs
      {"", 0},
  };
  for (const auto& c : cases) {
    FakeHost h;
    h.files.versions["C:\\Prog\\DeskZQ.exe"] = "1.0.0.5";
    h.replies["/scripts/zq.dll/stptc"] = c.manifest;
    RunSetup(Args({"xctkd", "srv01"}), h);
    EXPECT_TRUE(h.Logged("confirm 0")) << c.manifest;
    EXPECT_TRUE(h.Logged("show"));
    EXPECT_EQ(h.CountPrefix("get /BinZQ"), 0u);
    EXPECT_EQ(h.CountPrefix("progress handler"), 0u);
    EXPECT_EQ(h.CountPrefix("disable cancel"), 0u);
    EXPECT_EQ(h.CountPrefix("exec "), 1u);
  }
}

TEST_F(MainSequence, DeclinedPromptLeavesTheEndedProductStopped) {
  host.files.versions["C:\\Prog\\DeskZQ.exe"] = "1";
  host.replies["/scripts/zq.dll/stptc"] = "DeskZQ.exe=2;10";
  host.confirm = false;
  RunSetup(Args({"xctkd", "srv01", "a", "b"}), host);
  EXPECT_TRUE(host.Logged("kill C:\\Prog\\DeskZQ.exe"));
  EXPECT_TRUE(host.Logged("confirm 10"));
  EXPECT_EQ(host.CountPrefix("show"), 0u);
  EXPECT_EQ(host.CountPrefix("get /BinZQ"), 0u);
  EXPECT_EQ(host.CountPrefix("exec"), 0u);
  EXPECT_EQ(host.CountPrefix("box"), 0u);
}

TEST_F(MainSequence, FailingStepsShowTheirMessageUnderTheCurrentCaption) {
  struct Case {
    const char* name;
    const char* mode;
    void (*arrange)(FakeHost&);
    const char* box;
  } const cases[] = {
      {"copy", "xctltn", [](FakeHost& h) { h.copyOk = false; },
       "box Não foi possível copiar o arquivo: C:\\Docs\\Arquivos.Zolmar\\SisZQ\\SetupZQ.exe | Instalação do Sistema"},
      {"create SRVADDR", "xctltn", [](FakeHost& h) { h.writeResult = -1; }, "box [300] | Instalação do Sistema"},
      {"short write", "xctltn", [](FakeHost& h) { h.writeResult = 3; }, "box [301] | Instalação do Sistema"},
      {"manifest request", "xctkd", [](FakeHost& h) { h.failOnGet = "/scripts/zq.dll/stptc"; },
       "box Não foi possível acessar o servidor | Atualização do Sistema"},
      {"bad size", "xctkd", [](FakeHost& h) { h.replies["/scripts/zq.dll/stptc"] = "a.dll=1;12x"; },
       "box '12x' is not a valid integer value | Atualização do Sistema"},
      {"product start", "xctkd", [](FakeHost& h) { h.execResult = 2; },
       "box Não foi possível acionar o Sistema [100] | Atualização do Sistema"},
      {"product start, install", "xctltn", [](FakeHost& h) { h.execResult = 31; },
       "box Não foi possível acionar o Sistema [100] | Instalação do Sistema"},
      {"cabinet request", "xctkd", [](FakeHost& h) {
         h.replies["/scripts/zq.dll/stptc"] = "a.dll=1;5";
         h.failOnGet = "/BinZQ/a.cab";
       },
       "box Não foi possível acessar o servidor | Atualização do Sistema"},
      {"damaged cabinet", "xctkd", [](FakeHost& h) {
         h.replies["/scripts/zq.dll/stptc"] = "a.dll=1;5";
         h.replies["/BinZQ/a.cab"] = DamagedCabinet();
       },
       "box Arquivo: C:\\Prog\\a.cab => C:\\Prog\\\r\rArquivo compactado danificado (soma de verificação do bloco 1 de "
       "1 não confere) | Atualização do Sistema"},
      {"cabinet in several parts", "xctkd", [](FakeHost& h) {
         h.replies["/scripts/zq.dll/stptc"] = "a.dll=1;5";
         h.replies["/BinZQ/a.cab"] = MultiPartCabinet();
       },
       "box Arquivo: C:\\Prog\\a.cab => C:\\Prog\\\r\rArquivo compactado em várias partes (não suportado) | "
       "Atualização do Sistema"},
      {"folders sharing a block", "xctkd", [](FakeHost& h) {
         h.replies["/scripts/zq.dll/stptc"] = "a.dll=1;5";
         h.replies["/BinZQ/a.cab"] = OverlappingCabinet();
       },
       "box Arquivo: C:\\Prog\\a.cab => C:\\Prog\\\r\rArquivo compactado danificado (blocos de dados sobrepostos) | "
       "Atualização do Sistema"},
      {"negative size", "xctkd", [](FakeHost& h) { h.replies["/scripts/zq.dll/stptc"] = "a.txt=1;-900\nb.txt=1;1000"; },
       "box O tamanho total dos arquivos a baixar passa do limite de 2147483647 bytes (linha 1 do manifesto) | "
       "Atualização do Sistema"},
  };
  for (const auto& c : cases) {
    FakeHost h;
    h.replies["/scripts/zq.dll/stptc"] = "";
    c.arrange(h);
    RunSetup(Args({c.mode, "srv01"}), h);
    EXPECT_EQ(h.log.back(), c.box) << c.name;
    EXPECT_EQ(h.CountPrefix("box"), 1u) << c.name;
    if (std::string(c.name).rfind("product", 0) != 0) {
      EXPECT_EQ(h.CountPrefix("exec"), 0u) << c.name;
    }
    EXPECT_EQ(h.CountPrefix("extract"), 0u) << c.name;
  }
}

TEST_F(MainSequence, ErrorBeforeTheModeCaptionUsesTheInstallationCaption) {
  host.caption = "Instalação do Sistema";
  host.dataFolderThrows = true;
  RunSetup(Args({"xctltn", "srv01"}), host);
  EXPECT_EQ(host.log.back(),
            "box Não foi possível criar a pasta: C:\\Docs\\Arquivos.Zolmar\\SisZQ\\ | Instalação do Sistema");
}

TEST_F(MainSequence, QuietEndsAndSwallowedErrors) {
  // A folder that can't be entered: its own message was shown, nothing more.
  host.enterOk = false;
  RunSetup(Args({"xctkd", "srv01"}), host);
  EXPECT_EQ(host.log.back(), "enter C:\\Prog\\");

  // An error while ending the product is swallowed.
  FakeHost h;
  h.files.versions["C:\\Prog\\DeskZQ.exe"] = "1";
  h.replies["/scripts/zq.dll/stptc"] = "DeskZQ.exe=1;1";
  h.killThrows = true;
  RunSetup(Args({"xctkd", "srv01"}), h);
  EXPECT_EQ(h.CountPrefix("box"), 0u);
  EXPECT_EQ(h.CountPrefix("exec"), 1u);
}

TEST_F(MainSequence, InstallationFromTheDataFolderItselfSkipsTheCopy) {
  host.programPath = host.dataFolder + "SetupZQ.exe";
  host.replies["/scripts/zq.dll/stptc"] = "";
  RunSetup(Args({"xctltn_InstalaTC", ""}), host);
  EXPECT_EQ(host.CountPrefix("copy"), 0u);
  // An empty address gives an empty SRVADDR, no error.
  EXPECT_TRUE(host.Logged("write " + host.dataFolder + "SRVADDR []"));
  EXPECT_EQ(host.CountPrefix("box"), 0u);
  EXPECT_EQ(host.CountPrefix("exec"), 1u);
}

TEST_F(MainSequence, EveryLineNotOkIsFetchedInListOrder) {
  // Duplicate names share the status of their first line.
  host.files.versions["C:\\Prog\\a.dll"] = "1";
  host.replies["/scripts/zq.dll/stptc"] = "b.dll=1;1\nA.DLL=2;1\na.dll=1;1\nbemafi32.dll=x;5";
  // A.DLL is counted as out of date; then the line a.dll, whose version
  // matches, writes "OK" into the first line of that name, so neither is
  // fetched while the sum keeps the first one's size.
  RunSetup(Args({"xctkd", "srv01"}), host);
  std::vector<std::string> gets;
  for (const auto& e : host.log)
    if (e.rfind("get /BinZQ", 0) == 0) gets.push_back(e);
  EXPECT_EQ(gets, (std::vector<std::string>{"get /BinZQ/b.cab"}));
  EXPECT_TRUE(host.Logged("confirm 2"));
}

// A site signed with a key made here: the manifest, its cabinets and the
// signature file, put into a host's replies.
struct SignedSite {
  KeyPair key = NewKeyPair();
  std::string manifest;
  std::map<std::string, std::string> cabinets;  // request path -> body
  SiteSignature signature;

  // Lines name=version, each with its cabinet's body.
  SignedSite(std::vector<std::tuple<std::string, std::string, std::string>> files, uint64_t serial = 7) {
    signature.serial = serial;
    for (const auto& [name, version, body] : files) {
      const std::string cab = name.substr(0, name.find('.')) + ".cab";
      cabinets["/BinZQ/" + cab] = body;
      const auto size = static_cast<int32_t>(body.size());
      manifest += name + "=" + version + ";" + std::to_string(size) + "\r\n";
      signature.files.push_back({name, version, size, Sha256(body)});
    }
    signature.manifest = Sha256(manifest);
  }
  // The signature file, signed with `by` (default: the site's key).
  std::string SignatureFile(const KeyPair* by = nullptr) const {
    SiteSignature s = signature;
    const KeyPair& k = by ? *by : key;
    s.key = KeyIdOf(k.public_key);
    s.signature = SignEd25519(SignedText(s), k.secret_key);
    return SignatureFileText(s);
  }
  void Serve(FakeHost& h) const {
    h.replies["/scripts/zq.dll/stptc"] = manifest;
    h.replies["/BinZQ/ZQSITE.SIG"] = SignatureFile();
    for (const auto& [path, body] : cabinets) h.replies[path] = body;
  }
};

class SignedRun : public MainSequence {
 protected:
  SignedSite site{{{"a.dll", "1", "cab-a"}, {"SetupZQ.exe", "2", "cab-setup"}}};
  KeyPair other = NewKeyPair();
  std::vector<PublicKey> keys{other.public_key, site.key.public_key};  // the second key signs

  void Run(FakeHost& h) { RunSetup(Args({"xctkd", "srv01"}), h, keys); }
};

TEST_F(SignedRun, FetchesTheSignatureRightAfterTheManifestAndChecksEveryCabinetBeforeSaving) {
  site.Serve(host);
  Run(host);
  const std::vector<std::string> expected = {
      "client srv01",
      "window",
      "enter C:\\Prog\\",
      "title Instalando Versão Nova",
      "get /scripts/zq.dll/stptc",
      "get /BinZQ/ZQSITE.SIG",
      "read C:\\Prog\\ZQSITE.SER",
      "write C:\\Prog\\ZQSITE.SER [7]",
      "confirm 5",
      "show",
      "pump",
      "progress handler",
      "get /BinZQ/a.cab (5)",
      "save C:\\Prog\\a.cab [cab-a]",
      "extract C:\\Prog\\a.cab",
      "get /BinZQ/SetupZQ.cab (9)",
      "save C:\\Prog\\SetupZQ.cab [cab-setup]",
      "disable cancel",
      "pump",
      "pump",
      "laSetup Arquivos baixados com sucesso",
      "laRest Iniciando o sistema ...",
      "pump",
      "pump",
      "exec C:\\Prog\\DeskZQ.exe NEW \"SET\" \"UP\" SETUP ZQ",
      "pump",
  };
  EXPECT_EQ(host.log, expected);
  EXPECT_EQ(host.timeLimits["/BinZQ/ZQSITE.SIG"], kManifestTimeLimit);
}

TEST_F(SignedRun, TheStoredSerialIsTheHighestAccepted) {
  struct Case {
    const char* name;
    const char* stored;  // nullptr: no file
    bool written;
  } const cases[] = {
      {"no file yet", nullptr, true},
      {"lower serial stored", "6", true},
      {"same serial", "7", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeHost h;
    site.Serve(h);
    if (c.stored) h.smallFiles["C:\\Prog\\ZQSITE.SER"] = c.stored;
    Run(h);
    EXPECT_EQ(h.CountPrefix("box"), 0u);
    EXPECT_EQ(h.Logged("write C:\\Prog\\ZQSITE.SER [7]"), c.written);
    EXPECT_EQ(h.CountPrefix("exec"), 1u);
  }
}

TEST_F(SignedRun, EveryFailedCheckStopsTheRunBeforeTheItemIsSaved) {
  const KeyPair stranger = NewKeyPair();
  const std::string strangerId = HexText(KeyIdOf(stranger.public_key));
  const std::string cabBox = "box Arquivo: C:\\Prog\\a.cab => C:\\Prog\\\r\rArquivo compactado não confere com a "
                             "assinatura do site (";
  struct Case {
    const char* name;
    std::function<void(FakeHost&, const SignedSite&)> arrange;
    std::string box;
    bool signatureAccepted;  // the serial was stored before the failure
  } const cases[] = {
      {"missing signature file", [](FakeHost& h, const SignedSite&) { h.failOnGet = "/BinZQ/ZQSITE.SIG"; },
       "box Assinatura do site não encontrada (/BinZQ/ZQSITE.SIG): Não foi possível acessar o servidor", false},
      {"malformed signature file",
       [](FakeHost& h, const SignedSite&) { h.replies["/BinZQ/ZQSITE.SIG"] = "ZQSITE.SIG 1\nkey 12\n"; },
       "box Assinatura do site inválida (/BinZQ/ZQSITE.SIG: formato não reconhecido na linha 2)", false},
      {"signed with another key",
       [&](FakeHost& h, const SignedSite& s) { h.replies["/BinZQ/ZQSITE.SIG"] = s.SignatureFile(&stranger); },
       "box Assinatura do site inválida (/BinZQ/ZQSITE.SIG: chave " + strangerId + " desconhecida)", false},
      {"signed text changed",
       [](FakeHost& h, const SignedSite&) {
         std::string& sig = h.replies["/BinZQ/ZQSITE.SIG"];
         sig.replace(sig.find("serial 7"), 8, "serial 9");
       },
       "box Assinatura do site inválida (/BinZQ/ZQSITE.SIG: assinatura não confere)", false},
      {"manifest byte changed",
       [](FakeHost& h, const SignedSite&) { h.replies["/scripts/zq.dll/stptc"][0] = 'b'; },
       "box Manifesto não confere com a assinatura do site (SHA-256 diferente)", false},
      {"signed lines differ from the manifest",
       [](FakeHost& h, const SignedSite& s) {
         SignedSite copy = s;
         copy.signature.files[1].version = "3";
         h.replies["/BinZQ/ZQSITE.SIG"] = copy.SignatureFile();
       },
       "box Manifesto não confere com a assinatura do site (linha 2)", false},
      {"older serial than installed",
       [](FakeHost& h, const SignedSite&) { h.smallFiles["C:\\Prog\\ZQSITE.SER"] = "8"; },
       "box Assinatura do site mais antiga que a já instalada (série 7, instalada 8)", false},
      {"damaged serial file",
       [](FakeHost& h, const SignedSite&) { h.smallFiles["C:\\Prog\\ZQSITE.SER"] = "7\r\n"; },
       "box Arquivo de controle da assinatura danificado: C:\\Prog\\ZQSITE.SER", false},
      {"announced length differs", [](FakeHost& h, const SignedSite&) { h.announced["/BinZQ/a.cab"] = 6; },
       cabBox + "tamanho anunciado 6 bytes, assinado 5 bytes)", true},
      {"shorter body without an announced length",
       [](FakeHost& h, const SignedSite&) {
         h.announced["/BinZQ/a.cab"] = -1;
         h.replies["/BinZQ/a.cab"] = "cab-";
       },
       cabBox + "tamanho recebido 4 bytes, assinado 5 bytes)", true},
      {"cabinet changed, same size", [](FakeHost& h, const SignedSite&) { h.replies["/BinZQ/a.cab"] = "cab-b"; },
       cabBox + "SHA-256 diferente)", true},
      {"setup program's cabinet changed",
       [](FakeHost& h, const SignedSite&) { h.replies["/BinZQ/SetupZQ.cab"] = "cab-evil!"; },
       "box Arquivo: C:\\Prog\\SetupZQ.cab => C:\\Prog\\\r\rArquivo compactado não confere com a assinatura do site "
       "(SHA-256 diferente)", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeHost h;
    site.Serve(h);
    c.arrange(h, site);
    Run(h);
    EXPECT_EQ(h.log.back(), c.box + " | Atualização do Sistema");
    EXPECT_EQ(h.CountPrefix("exec"), 0u);
    EXPECT_EQ(h.Logged("write C:\\Prog\\ZQSITE.SER [7]"), c.signatureAccepted);
    if (c.signatureAccepted) {
      EXPECT_TRUE(h.Logged("show"));
    } else {
      EXPECT_EQ(h.CountPrefix("confirm"), 0u);
    }
    // Nothing of the failing item is saved or extracted.
    const std::string failing = h.log.back().find("SetupZQ.cab") != std::string::npos ? "SetupZQ.cab" : "a.cab";
    EXPECT_EQ(h.CountPrefix("save C:\\Prog\\" + failing), 0u);
    EXPECT_EQ(h.CountPrefix("extract C:\\Prog\\" + failing), 0u);
  }
}

TEST_F(SignedRun, ASiteSignedWithEitherCompiledKeyIsAccepted) {
  for (size_t signer = 0; signer < 2; ++signer) {
    SCOPED_TRACE(signer);
    const KeyPair pair[2] = {NewKeyPair(), NewKeyPair()};
    FakeHost h;
    site.Serve(h);
    h.replies["/BinZQ/ZQSITE.SIG"] = site.SignatureFile(&pair[signer]);
    RunSetup(Args({"xctkd", "srv01"}), h, std::vector<PublicKey>{pair[0].public_key, pair[1].public_key});
    EXPECT_EQ(h.CountPrefix("box"), 0u);
    EXPECT_TRUE(h.Logged("extract C:\\Prog\\a.cab"));
  }
}

}  // namespace
}  // namespace zq
