// kestrafix doctor [--config FILE]: everything the add-in resolves, found or not.
#include <fmt/format.h>

#include <CLI/CLI.hpp>
#include <filesystem>
#include <memory>
#include <ostream>
#include <regex>

#include "addin/kestrafix_entry_points.h"
#include "cli_support.h"
#include "config/mdlIniFile.h"
#include "config/mdlPublic.h"
#include "core/error.h"
#include "core/text.h"
#include "dialogs/new_job_record.h"
#include "fs/clsFso.h"
#include "fs/ini_profile.h"
#include "fs/native_path.h"
#include "installation.h"
#include "json_writer.h"
#include "kx_version.h"
#include "platform/database.h"
#include "platform/db_name.h"

namespace kx::cli {

namespace fsys = std::filesystem;

namespace {

// One line of the report. A "missing" item is something the add-in needs.
struct Item {
  std::string name, status, value, detail;
};

class Report {
 public:
  void Add(std::string name, std::string status, std::string value, std::string detail = "") {
    if (status == "missing") missing_.push_back(name + (value.empty() ? " (" + detail + ")" : " " + value));
    items_.push_back({std::move(name), std::move(status), std::move(value), std::move(detail)});
  }
  // A file or folder (Windows form), with its native path when it differs.
  void Path(std::string name, const std::string& windows, bool needed, bool folder, std::string detail = "") {
    std::error_code ec;
    const fsys::path native = ToNative(windows);
    const bool there = folder ? fsys::is_directory(native, ec) : fsys::is_regular_file(native, ec);
    if (native.string() != windows) detail = windows + (detail.empty() ? "" : "; " + detail);
    Add(std::move(name), there ? "ok" : needed ? "missing" : "-", native.string(), std::move(detail));
  }
  void Missing(std::string what) { missing_.push_back(std::move(what)); }

  void Print(CliIo& io, bool json) const {
    if (json) {
      Json::Array items;
      for (const Item& i : items_)
        items.emplace_back(
            Json::Object{{"item", i.name}, {"status", i.status}, {"value", i.value}, {"detail", i.detail}});
      Json::Array missing(missing_.begin(), missing_.end());
      io.out << Json(Json::Object{{"ok", missing_.empty()},
                                  {"items", Json(std::move(items))},
                                  {"missing", Json(std::move(missing))}})
                    .Dump()
             << '\n';
      return;
    }
    for (const Item& i : items_) {
      io.out << fmt::format("{:<20}{:<9}{}{}\n", i.name, i.status, i.value,
                            i.detail.empty() ? "" : "  (" + i.detail + ")");
    }
  }
  const std::vector<std::string>& MissingItems() const { return missing_; }

 private:
  std::vector<Item> items_;
  std::vector<std::string> missing_;
};

std::string HidePassword(const std::string& dbName) {
  static const std::regex keyword(R"((password\s*=\s*)\S+)", std::regex::icase);
  static const std::regex uri(R"((://[^:/@]*:)[^@]*@)");
  return std::regex_replace(std::regex_replace(dbName, keyword, "$1***"), uri, "$1***@");
}

void AddInFolders(Report& r) {
  const char* env = std::getenv("KESTRAFIX_ADDIN_PATH");
  const std::string how = env && *env                       ? "from KESTRAFIX_ADDIN_PATH"
                          : !InstalledAddInFolder().empty() ? "the installed add-in's folder"
                                                            : "the folder of kestrafix: not installed";
  r.Path("add-in folder", GetAddInPath(), true, true, how);
  r.Path("host folder", GetAppPath(), true, true, "$(AppPath)");
}

void Settings(Report& r) {
  const std::string ini = GetAddInIniFile().str();
  r.Path("add-in INI", ini, true, false, "dialog titles and captions");
  const std::string copy = GetComDocsHostConfigFile();
  r.Path("documents copy", copy, false, false, "[FSO] only");
  clsFso fso;
  InitConfiguration(fso);
  std::string inForce;
  for (const auto& [key, value] :
       {std::pair{"Active", fso.FsoActive()}, {"FoldersActive", fso.FsoFoldersActive()}}) {
    std::string from = "default";
    for (const auto& [file, name] : {std::pair{copy, "documents copy"}, {ini, "add-in INI"}})
      if (!ReadIniValue(file, "FSO", key).empty()) from = name;
    inForce += fmt::format("{}{}={} ({})", inForce.empty() ? "" : ", ", key, value ? "True" : "False", from);
  }
  r.Add("[FSO]", "-", inForce);
}

void DriveMap(Report& r) {
  const fsys::path file = DriveMapFile();
  r.Add("drive map", "-", DriveMapShown());
  std::error_code ec;
  if (!file.empty()) {
    for (const auto& [key, value] : GetPrivateProfileSectionNative(file, "Drives")) {
      if (value.empty() || (value.front() != '/' && value.front() != '~')) {
        r.Add("  " + key, "missing", value, "not an absolute folder: the entry is ignored");
        continue;
      }
      const auto root = DriveRoot(key);
      const bool there = root && fsys::is_directory(*root, ec);
      r.Add("  " + key, there ? "ok" : "missing", root ? root->string() : value,
            there ? "" : "no such folder");
    }
  }
  if (DriveEntrySource("Z:") == "the default") r.Add("  Z:", "ok", "/", "the default");
}

void JobDatabase(Report& r, const TorvelSettings& t) {
  if (t.DbName.empty()) {
    r.Add("DbName", "missing", "", "[TORVEL] names no job database");
    return;
  }
  const bool server = IsServerDbName(t.DbName);
  std::string where = server ? "PostgreSQL" : "SQLite " + NativeDbPath(t.DbName);
  try {
    auto db = Engine().OpenDatabase(t.DbName);
    const auto jobs = CountRecords(*db, "select Count(*) from NcData", t.OpenRecordsetOptions);
    const auto machines = CountRecords(*db, "select Count(*) from Machine", t.OpenRecordsetOptions);
    db->Close();
    r.Add("DbName", "ok", HidePassword(t.DbName),
          fmt::format("{}; opens: {} job{}, {} machine{}", where, jobs, jobs == 1 ? "" : "s", machines,
                      machines == 1 ? "" : "s"));
  } catch (const KxError& e) {
    r.Add("DbName", "missing", HidePassword(t.DbName),
          fmt::format("{}; does not open: error {}: {}", where, e.Number(), e.Description()));
  }
}

void Registry(Report& r) {
  const std::string user = AddinRegistryFile();
  bool inForce = false;
  std::error_code ec;
  const fsys::path installed = InstalledAddInFolder();
  for (const std::string& file : AddinRegistryFiles()) {
    const std::string name = file == user ? "registry (user)" : "registry (system)";
    const std::string library = RegistryLibrary(file, KX_PROGID);
    if (library.empty()) {
      r.Add(name, "-", file, fsys::exists(file, ec) ? "no " KX_PROGID " entry" : "not there");
      continue;
    }
    const bool there = fsys::is_regular_file(library, ec);
    std::string detail = file;
    if (!inForce && there) detail += "; in force";
    if (!installed.empty() && there && !fsys::equivalent(library, installed / "libkestrafix.so", ec))
      detail += "; not the installed " + (installed / "libkestrafix.so").string();
    r.Add(name, there ? "ok" : "missing", library, detail);
    inForce = inForce || there;
  }
  if (!inForce) r.Missing("a registered add-in library (kestrafix register)");
}

void Check(const std::string& config, bool json, CliIo& io) {
  Report r;
  r.Add("kestrafix", "-", KX_VERSION_TEXT, ExecutableFolder().string());
  std::string iniFile;
  TorvelSettings torvel;
  if (!config.empty()) {
    std::error_code ec;
    if (config.find('\\') == std::string::npos) ApplyEnvironmentBeside(fsys::absolute(config, ec));
    iniFile = InputPath(config);
    r.Path("host configuration", iniFile, true, false);
    torvel = ReadTorvelSettings(iniFile);
  }
  AddInFolders(r);
  if (!iniFile.empty()) {
    r.Path("message file", MessageFileOf(iniFile, torvel), true, false,
           fmt::format("Country {}", torvel.CountryText.empty() ? "missing" : torvel.CountryText));
  }
  Settings(r);
  DriveMap(r);
  if (!iniFile.empty()) JobDatabase(r, torvel);
  Registry(r);
  r.Print(io, json);
  if (config.empty() && !json)
    io.out << "Give --config FILE to check a host configuration, its messages and DbName.\n";
  if (!r.MissingItems().empty())
    throw KxError(err::FileNotFound, "kestrafix doctor", fmt::format("missing: {}", Join(r.MissingItems(), "; ")));
}

}  // namespace

void AddDoctorCommand(CLI::App& app, CommandList& commands) {
  struct Options {
    std::string config;
    bool json = false;
  };
  auto o = std::make_shared<Options>();
  CLI::App* sub = app.add_subcommand(
      "doctor",
      "Show everything the add-in resolves: its folder and the host folder, the message file, the add-in "
      "INI, "
      "the documents copy of the host configuration and the [FSO] switches in force, the drive map and each "
      "entry, DbName with its engine and whether it opens, and the add-in registry (user and system). Exit 1 "
      "naming what is missing.");
  sub->add_option("--config", o->config, "Host configuration file (torvel.cfg)");
  sub->add_flag("--json", o->json, "Print the result as JSON");
  commands.push_back({sub, [o](CliIo& io) { Check(o->config, o->json, io); }});
}

}  // namespace kx::cli
