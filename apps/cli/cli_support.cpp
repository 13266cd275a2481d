#include "cli_support.h"

#include <fmt/format.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <istream>
#include <ostream>
#include <set>

#include "answer_words.h"
#include "config/mdlPublic.h"
#include "config/shared_state.h"
#include "core/text.h"
#include "dialogs/new_job_record.h"
#include "embedded_messages.h"
#include "fs/ini_profile.h"
#include "fs/native_path.h"
#include "installation.h"
#include "kx_install_paths.h"
#include "messages/clsResStrs.h"
#include "platform/database.h"
#include "platform/db_name.h"
#include "platform/sql_dialect.h"

namespace kx::cli {

namespace {

bool LooksWindows(std::string_view p) {
  return (p.size() >= 2 && p[1] == ':') || p.substr(0, 2) == "\\\\" || p.find('\\') != std::string_view::npos;
}

// A temp file removed when it goes out of scope.
class TempFile {
 public:
  explicit TempFile(std::string_view bytes) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp == '/' ? tmp : "/tmp") + "/kestrafix-msg-XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) return;
    ::close(fd);
    path_ = pattern;
    std::ofstream(path_, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  ~TempFile() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove(path_, ec);
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

struct Warnings {
  std::ostream* err = nullptr;
  std::set<std::string> said;
};
thread_local Warnings* t_warnings = nullptr;

}  // namespace

void Warn(const std::string& text) {
  if (t_warnings && t_warnings->said.insert(text).second)
    *t_warnings->err << "kestrafix: warning: " << text << '\n';
}

WarningScope::WarningScope(std::ostream& err) { t_warnings = new Warnings{&err, {}}; }

WarningScope::~WarningScope() {
  delete t_warnings;
  t_warnings = nullptr;
}

std::filesystem::path ExecutableFolder() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::path() : exe.parent_path();
}

std::filesystem::path InstalledAddInFolder() {
  std::error_code ec;
  const std::filesystem::path dir = (ExecutableFolder() / KX_ADDIN_FROM_BIN).lexically_normal();
  return std::filesystem::is_regular_file(dir / "libkestrafix.so", ec) ? dir : std::filesystem::path();
}

void UseInstalledAddIn() {
  if (const std::filesystem::path dir = InstalledAddInFolder(); !dir.empty())
    SetProgramAddInPath(dir.string());
}

std::string DriveMapShown() {
  const std::filesystem::path file = DriveMapFile();
  if (file.empty()) return "no drive map file; Z: is /";
  const char* env = std::getenv("KESTRAFIX_DRIVE_MAP");
  return env && *env ? file.string() + ", named by KESTRAFIX_DRIVE_MAP" : file.string();
}

std::string DriveEntrySource(const std::string& key) {
  const std::filesystem::path file = DriveMapFile();
  if (!file.empty()) {
    for (const auto& entry : GetPrivateProfileSectionNative(file, "Drives")) {
      std::string t = ReplaceAll(Trim(entry.first), "/", "\\");
      while (t.size() > 2 && t.back() == '\\') t.pop_back();
      if (t.size() == 1) t += ':';
      if (EqualsNoCase(t, key)) return "drive map " + file.string();
    }
  }
  return EqualsNoCase(key, "Z:") ? "the default" : "set by the program";
}

std::string InputPath(const std::string& arg) {
  if (arg.empty() || LooksWindows(arg) || IsServerDbName(arg)) return arg;
  std::error_code ec;
  const auto absolute = std::filesystem::absolute(arg, ec);
  return NormalizeInputPath(ec ? arg : absolute.lexically_normal().string());
}

std::string OneLine(const std::string& text) {
  std::string s = ReplaceAll(text, "\r\n", "; ");
  return ReplaceAll(s, "\n", "; ");
}

std::string MessageFileOf(const std::string& iniFile, const TorvelSettings& torvel) {
  return GetAppPath() + "\\ResStr\\" + Fso().GetBaseName(iniFile) + "." + torvel.CountryExtension;
}

std::string LoadMessageTable(const std::string& iniFile, const TorvelSettings& torvel) {
  const std::string base = Fso().GetBaseName(iniFile);
  const std::string file = MessageFileOf(iniFile, torvel);
  if (ResStrs().Load(file)) return file;
  const std::string shown = ToNative(file).string();
  // Not installed beside the host: the shipped text of the same country.
  const EmbeddedFile* pick = nullptr;
  for (const EmbeddedFile& f : EmbeddedMessageFiles()) {
    const std::string ext = "." + torvel.CountryExtension;
    if (f.name.size() < ext.size() || !EqualsNoCase(f.name.substr(f.name.size() - ext.size()), ext)) continue;
    if (!pick || EqualsNoCase(f.name, base + "." + torvel.CountryExtension)) pick = &f;
  }
  if (!pick) {
    Warn(fmt::format("the message file {} is missing; messages and captions are empty", shown));
    return {};
  }
  Warn(fmt::format("the message file {} is missing; the built-in texts of {} are used", shown, pick->name));
  TempFile copy(pick->bytes);
  if (copy.path().empty() || !ResStrs().Load(copy.path())) return {};
  return std::string("<built-in ") + std::string(pick->name) + ">";
}

HostConfig OpenHostConfig(const std::string& arg) {
  if (!arg.empty() && !LooksWindows(arg)) {
    std::error_code ec;
    ApplyEnvironmentBeside(std::filesystem::absolute(arg, ec));
  }
  HostConfig c;
  c.iniFile = InputPath(arg);
  if (!Fso().FileExists(c.iniFile)) throw UsageError(fmt::format("configuration file '{}' not found", arg));
  Shared().gsIniFile = c.iniFile;
  c.torvel = ReadTorvelSettings(c.iniFile);
  if (c.torvel.DbName.empty())
    throw UsageError(fmt::format("configuration file '{}' names no job database ([TORVEL] DbName)", arg));
  ApplyToSharedState(c.torvel);
  InitConfiguration(Fso());
  LoadMessageTable(c.iniFile, c.torvel);
  return c;
}

void RequireJob(const HostConfig& config, const std::string& job) {
  auto db = Engine().OpenDatabase(config.torvel.DbName);
  const std::int32_t n = CountRecords(*db, "select Count(*) from data where [Filename]=" + QuoteSqlText(job),
                                      config.torvel.OpenRecordsetOptions);
  db->Close();
  if (n < 1) throw UsageError(fmt::format("no job '{}' in the job table", job));
}

std::string ColumnCaption(std::string_view column) {
  std::string caption = ResStrs().Msg("NcData." + std::string(column) + ".Caption");
  return caption.empty() ? std::string(column) : caption;
}

MsgAnswer ConsoleUi::MessageBox(const std::string& text, const std::string& title, MsgButtons buttons,
                                MsgIcon icon) {
  const std::string line = (title.empty() ? "" : title + ": ") + OneLine(text);
  if (buttons == MsgButtons::YesNo) {
    if (assumeYes_) return MsgAnswer::Yes;
    std::istream* in = io_.console.ttyIn;
    std::ostream* out = io_.console.ttyOut;
    if (!in || !out) return MsgAnswer::No;  // nobody to ask: the safe answer
    const AnswerWords words = AnswerWordsFor(Shared().gsCountry);
    *out << line << ' ' << words.Hint() << ' ' << std::flush;
    std::string answer;
    if (!std::getline(*in, answer)) {
      *out << '\n';
      return MsgAnswer::No;
    }
    return words.IsYes(answer) ? MsgAnswer::Yes : MsgAnswer::No;
  }
  if (icon == MsgIcon::Critical) {
    errors_.emplace_back(51, "Kestrafix", line);
  } else {
    io_.err << "kestrafix: " << line << '\n';
  }
  return MsgAnswer::OK;
}

void ConsoleUi::ShowError(long number, const std::string& source, const std::string& description,
                          const std::string&) {
  errors_.emplace_back(number, source, OneLine(description));
}

ScopedConsoleUi::ScopedConsoleUi(CliIo& io, bool assumeYes)
    : ui_(std::make_shared<ConsoleUi>(io, assumeYes)) {
  SetUi(ui_);
}

ScopedConsoleUi::~ScopedConsoleUi() { SetUi(std::make_shared<ScriptedUi>()); }

}  // namespace kx::cli
