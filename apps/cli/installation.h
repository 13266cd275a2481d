#pragma once
// An empty, working Kestrafix installation in one folder, as `kestrafix init` makes it and the
// demo starts from. The folder plays the host's program folder and its documents, so that a
// shop keeps its configuration, texts and job database together:
//   torvel.cfg                         host configuration, every [TORVEL] key with its comment
//   drives.ini                         drive map: D: = DIR/data, further drives to fill in
//   kestrafix.env                      the environment below; kestrafix and kestrafix-host
//                                      apply it by themselves for a configuration in DIR
//   host/AddIns/Kestrafix              the add-in's folder       (KESTRAFIX_ADDIN_PATH)
//   host/ResStr/torvel.<country>       the shipped message files (GetAppPath() = DIR/host)
//   documents/                         common documents          (KESTRAFIX_COMMON_DOCUMENTS)
//   documents/host/AddIns/Kestrafix/Kestrafix.ini   the add-in INI with its captions
//   data/jobs.db                       the job database D:\jobs.db, empty (unless --db)
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace kx::cli {

using EnvironmentList = std::vector<std::pair<std::string, std::string>>;

struct InstallationOptions {
  std::filesystem::path dir;
  std::string dbName;                     // DbName; "" = D:\jobs.db, created in DIR/data
  std::string country = "1";              // [TORVEL] Country; 49 gives German captions
  std::string userId;                     // [TORVEL] UserId
  std::string baseFolder;                 // [frmMain] Text2(0).Text; "" = D:\ plus the language's word
  EnvironmentList torvel;                 // further [TORVEL] values that replace the defaults
  std::string what = "an installation";   // named when DIR already holds one
  std::string source = "kestrafix init";  // source of the errors raised
};

struct Installation {
  std::filesystem::path dir;         // absolute
  std::filesystem::path config;      // DIR/torvel.cfg
  std::filesystem::path driveMap;    // DIR/drives.ini
  std::filesystem::path envFile;     // DIR/kestrafix.env
  std::filesystem::path resStr;      // DIR/host/ResStr
  std::filesystem::path data;        // DIR/data (drive D:)
  std::filesystem::path addInIni;    // native path of the add-in INI
  std::filesystem::path baseFolder;  // native base folder of the new-job dialog (created)
  std::string dbName;                // DbName as written
  std::string database;              // the job database as created or kept (native for a file)
  bool databaseCreated = false;      // false: --db named one that exists
  std::string messageSource;         // where the message files came from
  std::vector<std::string> messageFiles;
  EnvironmentList environment;  // KESTRAFIX_DRIVE_MAP, _ADDIN_PATH, _COMMON_DOCUMENTS
};

// Lays the installation out. The process's environment is pointed at it first, so that the
// add-in INI lands where the add-in looks. A folder that already holds a host configuration or
// a job database is refused with a KxError (58); nothing is changed then.
Installation CreateInstallation(const InstallationOptions& options);

// Sets the variables in this process.
void ApplyEnvironment(const EnvironmentList& environment);

// "export NAME='value'" lines for a POSIX shell.
std::string ExportLines(const EnvironmentList& environment);

// Sets, from the kestrafix.env beside a host configuration (a native path), every variable
// that is not set yet, as kestrafix-host does. Returns the names set.
std::vector<std::string> ApplyEnvironmentBeside(const std::filesystem::path& config);

}  // namespace kx::cli
