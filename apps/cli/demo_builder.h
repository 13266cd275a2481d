#pragma once
// A complete demo: the installation of `kestrafix init` (installation.h) with German texts,
// and in it machines, a few hundred jobs, the base folder's addresses and orders, and job
// folders with real files for some of the jobs. Used by `kestrafix demo`, the host window and
// the tests.
//
// Layout under DIR, beside that of the installation:
//   data/Kunden/<address>/<order>      base folder of the new-job dialog (D:\Kunden)
//   data/Jobs, data/NC                 job, NC and optimised NC files
#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace kx::cli {

struct DemoOptions {
  std::filesystem::path dir = "kestrafix-demo";
  int jobCount = 300;
  std::uint32_t seed = 4711;
};

struct DemoResult {
  std::filesystem::path dir;       // absolute
  std::filesystem::path config;    // DIR/torvel.cfg
  std::filesystem::path driveMap;  // DIR/drives.ini
  std::filesystem::path database;  // DIR/data/jobs.db
  std::filesystem::path addInIni;  // native path of the add-in INI
  std::filesystem::path envFile;   // DIR/kestrafix.env
  std::string messageSource;       // where the message files came from
  // KESTRAFIX_DRIVE_MAP, KESTRAFIX_ADDIN_PATH, KESTRAFIX_COMMON_DOCUMENTS with their values.
  std::vector<std::pair<std::string, std::string>> environment;
  int machines = 0;
  int jobs = 0;
  int jobsWithFiles = 0;
  int files = 0;
  std::string lastJob;  // the job table's last row (it has files)
};

// Builds the demo; the process's environment is pointed at it (ApplyDemoEnvironment), since
// the job folders are laid out by the add-in's own path rules. A folder that already holds a
// demo (torvel.cfg or data/jobs.db) is refused with a KxError; nothing is changed then.
DemoResult BuildDemo(const DemoOptions& options);

// Sets the environment variables of the demo in this process.
void ApplyDemoEnvironment(const DemoResult& demo);

// "export NAME='value'" lines for a POSIX shell.
std::string DemoExportLines(const DemoResult& demo);

}  // namespace kx::cli
