#include "installation.h"

#include <fmt/format.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <regex>

#include "cli_support.h"
#include "config/mdlIniFile.h"
#include "core/error.h"
#include "core/text.h"
#include "embedded_messages.h"
#include "fs/native_path.h"
#include "platform/database.h"
#include "platform/db_name.h"
#include "platform/job_schema.h"

namespace kx::cli {

namespace fsys = std::filesystem;

namespace {

// Every [TORVEL] key with its comment and the value of a new installation.
struct TorvelKey {
  const char* key;
  const char* value;
  const char* comment;
};
constexpr TorvelKey kTorvelKeys[] = {
    {"DbName", "D:\\jobs.db",
     "The job database: a file in Windows form (drives through the drive map) or a native path"},
    {"Country", "1", "Country code: the message file host/ResStr/torvel.<code, three digits> and $(Country)"},
    {"UserId", "", "Author written into new jobs"},
    {"Synchron", "0", "1: program number and file name are one value"},
    {"ShowElectrode", "0", "1: the data-type list also offers type 5 (reference electrode)"},
    {"AutoValueType", "0",
     "Proposals: 0 the next free value after the current one, 1 after the largest text value, 2 after "
     "the largest number"},
    {"AutoValueNumericLength", "0", "Numeric proposals are padded with zeros to this many digits (0: not)"},
    {"KeyValueUpperAndLowerCase", "0", "1: keys in upper case, 2: in lower case, 0: as typed"},
    {"SubFolderCount", "0", "Sub-folder levels taken over when a job's files are copied"},
    {"OpenRecordsetOptions", "0", "Options of record sets, kept for older hosts; leave it 0"},
};

struct Captions {
  const char* baseFolder;  // word for the base folder on D:
  std::pair<const char*, std::pair<const char*, const char*>> values[12];
};
const Captions kGerman = {"Kunden",
                          {{"frmMain", {"Caption", "Neuer Auftrag"}},
                           {"frmMain", {"Label2(0).Caption", "Basisordner..."}},
                           {"frmMain", {"Check2(3).Caption", "Auftragsdateien kopieren"}},
                           {"frmReplace", {"Caption", "Spalte ersetzen"}},
                           {"frmReplace", {"Label1(0).Caption", "Spalte"}},
                           {"frmReplace", {"Label1(1).Caption", "Wie (Muster)"}},
                           {"frmReplace", {"Label1(2).Caption", "Neuer Wert"}},
                           {"frmReplace", {"ShowJobsButton.Caption", "Aufträge zeigen …"}},
                           {"frmReplace", {"JobCount.Caption", "/1 Aufträge"}},
                           {"frmReplace", {"JobCountMore.Caption", "/1 Aufträge; die ersten /2 gezeigt, /3 weitere"}},
                           {"MSG", {"Question", "Rückfrage"}},
                           {"MSG", {"Update", "/1 Aufträge werden geändert. Fortfahren?"}}}};
const Captions kEnglish = {"Customers",
                           {{"frmMain", {"Caption", "New NC job"}},
                            {"frmMain", {"Label2(0).Caption", "Base folder..."}},
                            {"frmMain", {"Check2(3).Caption", "Copy the files of the selected job"}},
                            {"frmReplace", {"Caption", "Replace a column"}},
                            {"frmReplace", {"Label1(0).Caption", "Column"}},
                            {"frmReplace", {"Label1(1).Caption", "Value like"}},
                            {"frmReplace", {"Label1(2).Caption", "New value"}},
                            {"frmReplace", {"ShowJobsButton.Caption", "Show jobs…"}},
                            {"frmReplace", {"JobCount.Caption", "/1 jobs"}},
                            {"frmReplace", {"JobCountMore.Caption", "/1 jobs; the first /2 shown, and /3 more"}},
                            {"MSG", {"Question", "Please confirm"}},
                            {"MSG", {"Update", "/1 jobs will be changed. Continue?"}}}};

void WriteText(const fsys::path& file, std::string_view text, const std::string& source) {
  std::error_code ec;
  fsys::create_directories(file.parent_path(), ec);
  std::ofstream out(file, std::ios::binary);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  if (!out) throw KxError(err::PathNotFound, source, "Cannot write '" + file.string() + "'.");
}

std::string ShellQuote(std::string_view s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

std::string HostConfigText(const InstallationOptions& o, const std::string& dbName) {
  std::string text =
      "; Host configuration of Kestrafix. The add-in reads [TORVEL] and never writes this file.\r\n"
      "; Numbers are read by their leading number; flags are 1 (on) or 0 (off).\r\n"
      "[TORVEL]\r\n";
  for (const TorvelKey& k : kTorvelKeys) {
    std::string value = k.value;
    if (EqualsNoCase(k.key, "DbName")) value = dbName;
    if (EqualsNoCase(k.key, "Country")) value = o.country;
    if (EqualsNoCase(k.key, "UserId")) value = o.userId;
    for (const auto& [key, v] : o.torvel)
      if (EqualsNoCase(key, k.key)) value = v;
    text += fmt::format("; {}.\r\n{}={}\r\n", k.comment, k.key, value);
  }
  return text;
}

std::string DriveMapText(const fsys::path& data) {
  return "; Drive map: the Linux folder of each drive letter or \\\\server\\share that the job database,\r\n"
         "; the machine table and the configuration use. Z: is / unless it is named here.\r\n"
         "[Drives]\r\n"
         "D:=" +
         data.string() +
         "\r\n"
         "; N:=/mnt/nc\r\n"
         "; \\\\srv\\nc=/mnt/nc\r\n";
}

// The shipped message files: those of the installed add-in, else the source tree's, else the
// copy built into the program. Returns where they came from.
std::string CopyMessageFiles(const fsys::path& target, std::vector<std::string>& names,
                             const std::string& source) {
  std::error_code ec;
  fsys::create_directories(target, ec);
  std::vector<fsys::path> folders;
  if (const fsys::path installed = InstalledAddInFolder(); !installed.empty())
    folders.push_back((installed / ".." / ".." / "ResStr").lexically_normal());
#ifdef KX_SOURCE_RESSTR_DIR
  folders.emplace_back(KX_SOURCE_RESSTR_DIR);
#endif
  for (const fsys::path& folder : folders) {
    if (!fsys::is_directory(folder, ec)) continue;
    names.clear();
    for (const auto& e : fsys::directory_iterator(folder, ec)) {
      if (!e.is_regular_file()) continue;
      fsys::copy_file(e.path(), target / e.path().filename(), fsys::copy_options::overwrite_existing, ec);
      if (ec)
        throw KxError(err::PathNotFound, source, "Cannot copy '" + e.path().string() + "': " + ec.message());
      names.push_back(e.path().filename().string());
    }
    if (!names.empty()) {
      std::sort(names.begin(), names.end());
      return folder.string();
    }
  }
  names.clear();
  for (const EmbeddedFile& f : EmbeddedMessageFiles()) {
    WriteText(target / std::string(f.name), f.bytes, source);
    names.emplace_back(f.name);
  }
  return "built-in";
}

void WriteAddInIni(const Captions& captions, const std::string& baseFolder, const std::string& source) {
  const AddInIniPath ini = GetAddInIniFile();
  auto write = [&](std::string_view section, std::string_view key, std::string_view value) {
    if (!WriteIniValue(ini, section, key, value))
      throw KxError(err::PathNotFound, source, "Cannot write the add-in INI '" + ini.str() + "'.");
  };
  for (const auto& [section, kv] : captions.values) write(section, kv.first, kv.second);
  write("frmMain", "Text2(0).Text", baseFolder);
}

}  // namespace

void ApplyEnvironment(const EnvironmentList& environment) {
  for (const auto& [name, value] : environment) ::setenv(name.c_str(), value.c_str(), 1);
}

std::string ExportLines(const EnvironmentList& environment) {
  std::string out;
  for (const auto& [name, value] : environment) out += "export " + name + "=" + ShellQuote(value) + "\n";
  return out;
}

std::vector<std::string> ApplyEnvironmentBeside(const fsys::path& config) {
  std::vector<std::string> set;
  std::ifstream in(config.parent_path() / "kestrafix.env");
  // Single quotes only, as ExportLines writes them; '\'' inside stands for one quote.
  static const std::regex line(R"(^\s*export\s+([A-Za-z_][A-Za-z0-9_]*)='(.*)'\s*$)");
  for (std::string text; std::getline(in, text);) {
    std::smatch m;
    if (!std::regex_match(text, m, line)) continue;
    const std::string name = m[1];
    if (std::getenv(name.c_str())) continue;  // the user's own setting wins
    ::setenv(name.c_str(), ReplaceAll(m[2].str(), "'\\''", "'").c_str(), 0);
    set.push_back(name);
  }
  return set;
}

Installation CreateInstallation(const InstallationOptions& o) {
  Installation r;
  std::error_code ec;
  r.dir = fsys::absolute(o.dir, ec).lexically_normal();
  if (ec) throw KxError(err::PathNotFound, o.source, "Bad folder '" + o.dir.string() + "'.");
  if (r.dir.filename().empty()) r.dir = r.dir.parent_path();
  r.config = r.dir / "torvel.cfg";
  r.driveMap = r.dir / "drives.ini";
  r.envFile = r.dir / "kestrafix.env";
  r.resStr = r.dir / "host" / "ResStr";
  r.data = r.dir / "data";
  for (const fsys::path& p : {r.config, r.data / "jobs.db"}) {
    if (fsys::exists(p, ec))
      throw KxError(
          err::FileAlreadyExists, o.source,
          "'" + r.dir.string() + "' already holds " + o.what + "; remove it or choose another folder.");
  }
  for (const char* sub : {"data", "host/AddIns/Kestrafix", "documents"}) {
    fsys::create_directories(r.dir / sub, ec);
    if (ec)
      throw KxError(err::PathNotFound, o.source,
                    "Cannot create '" + (r.dir / sub).string() + "': " + ec.message());
  }

  WriteText(r.driveMap, DriveMapText(r.data), o.source);
  r.environment = {{"KESTRAFIX_DRIVE_MAP", r.driveMap.string()},
                   {"KESTRAFIX_ADDIN_PATH", (r.dir / "host" / "AddIns" / "Kestrafix").string()},
                   {"KESTRAFIX_COMMON_DOCUMENTS", (r.dir / "documents").string()}};
  // Taken before the environment points into DIR: the installed add-in's own texts.
  r.messageSource = CopyMessageFiles(r.resStr, r.messageFiles, o.source);
  ApplyEnvironment(r.environment);
  WriteText(r.envFile,
            "# The environment of the Kestrafix installation in this folder. kestrafix and kestrafix-host\n"
            "# apply it by themselves for its torvel.cfg; other programs: . " +
                r.envFile.string() + "\n" + ExportLines(r.environment),
            o.source);

  r.dbName = o.dbName.empty() ? std::string("D:\\jobs.db") : InputPath(o.dbName);
  WriteText(r.config, HostConfigText(o, r.dbName), o.source);

  const Captions& captions = Trim(o.country) == "49" ? kGerman : kEnglish;
  const std::string base = o.baseFolder.empty() ? std::string("D:\\") + captions.baseFolder : o.baseFolder;
  WriteAddInIni(captions, base, o.source);
  r.addInIni = ToNative(GetAddInIniFile().str());
  r.baseFolder = ToNative(base);
  fsys::create_directories(r.baseFolder, ec);

  r.database = IsServerDbName(r.dbName) ? r.dbName : NativeDbPath(r.dbName);
  try {
    CreateJobDatabase(r.dbName);
    r.databaseCreated = true;
  } catch (const KxError& e) {
    if (e.Number() != dberr::AlreadyExists || o.dbName.empty()) throw;  // one named by --db is kept
  }
  return r;
}

}  // namespace kx::cli
