#pragma once
// What the sub-commands share: their streams, the two kinds of refusal, the host
// configuration they start from, and the console stand-in for message boxes.
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "cli_app.h"
#include "config/config_keys.h"
#include "core/error.h"
#include "platform/ui_services.h"

namespace CLI {
class App;
}

namespace kx::cli {

struct CliIo {
  std::istream& in;
  std::ostream& out;
  std::ostream& err;
  Console console;
};

// Input the command refuses (unknown job or column, failed validation): exit 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One sub-command: its parser node and what it does once parsed.
struct Command {
  CLI::App* app = nullptr;
  std::function<void(CliIo&)> run;
};
using CommandList = std::vector<Command>;

// Warnings of one run ("kestrafix: warning: <text>" on the error stream), each text once.
// RunCli opens the scope; without one a warning goes nowhere.
void Warn(const std::string& text);
class WarningScope {
 public:
  explicit WarningScope(std::ostream& err);
  ~WarningScope();
  WarningScope(const WarningScope&) = delete;
  WarningScope& operator=(const WarningScope&) = delete;
};

// The folder of the running program.
std::filesystem::path ExecutableFolder();
// The installed add-in's folder (lib/<multiarch>/kestrafix/AddIns/Kestrafix, found from the
// program's own place), "" when the program is not installed.
std::filesystem::path InstalledAddInFolder();
// Makes the installed add-in's folder the add-in folder of this program (its folder functions
// then find the host folder and ResStr there), when there is one.
void UseInstalledAddIn();

// The drive map file in effect and how it was found, for people ("no drive map file" when none).
std::string DriveMapShown();
// Where a drive-map entry ("D:", "\\srv\share") comes from: "drive map <file>" or "the default".
std::string DriveEntrySource(const std::string& key);

// A path argument as the add-in takes paths: a native path made absolute and turned into
// Windows form through the drive map; a Windows-form path ("D:\x", "\\srv\x") unchanged.
std::string InputPath(const std::string& arg);

// The host configuration a command works with, applied as the new-job dialog applies it
// when it opens: the kestrafix.env beside it (ApplyEnvironmentBeside), gsIniFile, the shared
// [TORVEL] values, the [FSO] settings and the message table. A configuration without DbName
// is refused.
struct HostConfig {
  std::string iniFile;  // Windows form
  TorvelSettings torvel;
};
HostConfig OpenHostConfig(const std::string& arg);

// The message file the add-in loads for a host configuration:
// "<AppPath>\ResStr\<base name of the configuration>.<country>".
std::string MessageFileOf(const std::string& iniFile, const TorvelSettings& torvel);

// Loads goResStrs from MessageFileOf; when that file is missing, warns once naming it and
// loads the copy of the shipped file compiled into the binary. Returns the file loaded ("" when
// there was none).
std::string LoadMessageTable(const std::string& iniFile, const TorvelSettings& torvel);

// Refuses (UsageError) a job name that no row of the job table carries.
void RequireJob(const HostConfig& config, const std::string& job);

// The caption a host shows for a job-table column: the message table's
// "NcData.<column>.Caption", else the column's name.
std::string ColumnCaption(std::string_view column);

// Message boxes on a console. A question is answered by --yes or asked on the terminal in
// the message table's language (no terminal: No); the add-in's error reports are kept for
// the one error line of the command; any other box is one line on the error stream.
class ConsoleUi : public IUiServices {
 public:
  ConsoleUi(CliIo& io, bool assumeYes) : io_(io), assumeYes_(assumeYes) {}
  MsgAnswer MessageBox(const std::string& text, const std::string& title, MsgButtons buttons,
                       MsgIcon icon) override;
  void Beep() override {}
  std::string BrowseForFolder(const std::string&, const std::string&) override { return {}; }
  void ShowError(long number, const std::string& source, const std::string& description,
                 const std::string& procedure) override;

  // The error reports so far, each as the error the command ends with.
  const std::vector<KxError>& Errors() const { return errors_; }

 private:
  CliIo& io_;
  bool assumeYes_;
  std::vector<KxError> errors_;
};

// Installs a ConsoleUi for the lifetime of the object; afterwards the thread has the default again.
class ScopedConsoleUi {
 public:
  ScopedConsoleUi(CliIo& io, bool assumeYes);
  ~ScopedConsoleUi();
  ScopedConsoleUi(const ScopedConsoleUi&) = delete;
  ScopedConsoleUi& operator=(const ScopedConsoleUi&) = delete;
  ConsoleUi& ui() { return *ui_; }

 private:
  std::shared_ptr<ConsoleUi> ui_;
};

// A box text on one line: its line breaks become "; ".
std::string OneLine(const std::string& text);

// Registration of each command group (one file each).
void AddDemoCommand(CLI::App& app, CommandList& commands);
void AddProposeCommand(CLI::App& app, CommandList& commands);
void AddNewJobCommand(CLI::App& app, CommandList& commands);
void AddReplaceCommand(CLI::App& app, CommandList& commands);
void AddFilesCommand(CLI::App& app, CommandList& commands);
void AddExpandCommand(CLI::App& app, CommandList& commands);
void AddDbCommands(CLI::App& app, CommandList& commands);
void AddDbImportCommand(CLI::App& db, CommandList& commands);
void AddRegisterCommands(CLI::App& app, CommandList& commands);
void AddInitCommand(CLI::App& app, CommandList& commands);
void AddMachineCommands(CLI::App& app, CommandList& commands);
void AddDoctorCommand(CLI::App& app, CommandList& commands);
void AddPathCommand(CLI::App& app, CommandList& commands);

}  // namespace kx::cli
