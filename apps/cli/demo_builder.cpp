#include "demo_builder.h"

#include <fmt/format.h>

#include <array>
#include <cstdlib>
#include <fstream>
#include <random>

#include "config/mdlIniFile.h"
#include "config/shared_state.h"
#include "core/error.h"
#include "embedded_messages.h"
#include "fs/native_path.h"
#include "jobdata/clsRsData.h"
#include "platform/database.h"
#include "platform/job_schema.h"
#include "platform/sql_dialect.h"

namespace kx::cli {

namespace fsys = std::filesystem;

namespace {

constexpr const char* kSource = "kestrafix demo";
constexpr long kFileAlreadyExists = 58;
constexpr long kPathNotFound = 76;
constexpr const char* kDbName = "D:\\jobs.db";

constexpr std::array kAddresses = {"Becker GmbH", "Kunze AG", "Nordblech"};
constexpr std::array kOrders = {"2024-001", "2024-002", "2024-003", "2024-004"};
constexpr std::array kMaterials = {"ST37", "AL99", "V2A", "CU"};
constexpr std::array kThickness = {1.0, 1.5, 2.0, 3.0, 5.0};
constexpr std::array kPeople = {"demo", "mueller", "schmidt", "yilmaz"};

struct Machine {
  const char* name;
  std::vector<std::pair<const char*, const char*>> columns;
};

// Both directory types; placeholders of every kind; data files, set-up sheets and optimised
// files, absolute and relative optimisation folders.
std::vector<Machine> DemoMachines() {
  return {
      {"Laser1",
       {{"DirectoryType", "1"},
        {"KelbDirectory", "D:\\Jobs\\Laser1\\"},
        {"NcDirectory", "D:\\NC\\Laser1\\$(Filename)"},
        {"OptNcDirectory", "Opt"},
        {"KelbFileExtension", "cam"},
        {"KelbBakFileExtension", "bak"},
        {"NcFileExtension", "nc"},
        {"DatFileExtension", "dat"},
        {"SetFileExtension", "pdf"},
        {"OptNcFileExtension", "opt"},
        {"KelbCall", "$(AppPath)\\bin\\cam.exe $(FullFileJob)"},
        {"DncCall", "dnc.exe /country=$(Country) /material=$(Material) $(FullFileNc)"},
        {"TemplateFile", "$(AppPath)\\Templates\\laser.cam"}}},
      {"Stanze",
       {{"DirectoryType", "0"},
        {"KelbDirectory", "D:\\Jobs\\Stanze\\$(Material)"},
        {"NcDirectory", "D:\\NC\\Stanze\\$(Left(3))"},
        {"KelbFileExtension", "job"},
        {"NcFileExtension", "nc"},
        {"SetFileExtension", "set"},
        {"OptNcFileExtension", "opt"},
        {"KelbCall", "stanzcad.exe \"$(FileName)\" /dir=$(DirJob)"}}},
      {"Biege",
       {{"DirectoryType", "0"},
        {"KelbDirectory", "D:\\Jobs\\Biege"},
        {"NcDirectory", "D:\\NC\\Biege"},
        {"OptNcDirectory", "D:\\NC\\Biege\\Opt"},
        {"KelbFileExtension", "bie"},
        {"NcFileExtension", "nc"},
        {"OptNcFileExtension", "opt"}}},
  };
}

void WriteText(const fsys::path& file, std::string_view text) {
  std::error_code ec;
  fsys::create_directories(file.parent_path(), ec);
  std::ofstream out(file, std::ios::binary);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  if (!out) throw KxError(kPathNotFound, kSource, "Cannot write '" + file.string() + "'.");
}

std::string ShellQuote(std::string_view s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

std::string Lit(const std::string& value) { return QuoteSqlText(value); }

// The shipped message files: from the source tree when it is there, else the built-in copy.
std::string CopyMessageFiles(const fsys::path& target) {
  std::error_code ec;
  fsys::create_directories(target, ec);
#ifdef KX_SOURCE_RESSTR_DIR
  const fsys::path source = KX_SOURCE_RESSTR_DIR;
  if (fsys::is_directory(source, ec)) {
    int copied = 0;
    for (const auto& e : fsys::directory_iterator(source, ec)) {
      if (!e.is_regular_file()) continue;
      fsys::copy_file(e.path(), target / e.path().filename(), fsys::copy_options::overwrite_existing, ec);
      if (ec)
        throw KxError(kPathNotFound, kSource, "Cannot copy '" + e.path().string() + "': " + ec.message());
      ++copied;
    }
    if (copied > 0) return source.string();
  }
#endif
  for (const EmbeddedFile& f : EmbeddedMessageFiles()) WriteText(target / std::string(f.name), f.bytes);
  return "built-in";
}

void WriteAddInIni() {
  const AddInIniPath ini = GetAddInIniFile();
  const std::pair<const char*, std::pair<const char*, const char*>> values[] = {
      {"frmMain", {"Caption", "Neuer Auftrag"}},
      {"frmMain", {"Label2(0).Caption", "Basisordner..."}},
      {"frmMain", {"Check2(3).Caption", "Auftragsdateien kopieren"}},
      {"frmMain", {"Text2(0).Text", "D:\\Kunden"}},
      {"frmReplace", {"Caption", "Spalte ersetzen"}},
      {"frmReplace", {"Label1(0).Caption", "Spalte"}},
      {"frmReplace", {"Label1(1).Caption", "Wie (Muster)"}},
      {"frmReplace", {"Label1(2).Caption", "Neuer Wert"}},
      {"MSG", {"Question", "Rückfrage"}},
      {"MSG", {"Update", "/1 Aufträge werden geändert. Fortfahren?"}},
  };
  for (const auto& [section, kv] : values) {
    if (!WriteIniValue(ini, section, kv.first, kv.second))
      throw KxError(kPathNotFound, kSource, "Cannot write the add-in INI '" + ini.str() + "'.");
  }
}

struct JobRow {
  std::string filename, programNumber, machine, machineset, material, address, order;
  int dataType = 0;
  std::string elecRef;
};

// Deterministic jobs: keys alternate between "A10000"-style, numeric and "BL-0001"-style
// file names, and numeric or "P2003"-style program numbers, so both proposal strategies
// have something to continue.
std::vector<JobRow> MakeJobs(int count, std::uint32_t seed, const std::vector<Machine>& machines) {
  std::minstd_rand rng(seed);  // fully specified by the standard: the same jobs everywhere
  auto pick = [&](std::size_t n) { return static_cast<std::size_t>(rng() % n); };
  std::vector<JobRow> jobs;
  for (int i = 0; i < count; ++i) {
    JobRow j;
    switch (i % 3) {
      case 0:
        j.filename = fmt::format("A{:05}", 10000 + i);
        break;
      case 1:
        j.filename = fmt::format("{}", 700000 + i);
        break;
      default:
        j.filename = fmt::format("BL-{:04}", i);
        break;
    }
    j.programNumber = i % 4 == 3 ? fmt::format("P{:04}", 2000 + i) : fmt::format("{}", 10000 + 2 * i);
    j.machine = machines[pick(machines.size())].name;
    j.dataType = static_cast<int>(pick(5));
    if (j.machine == std::string("Stanze")) j.machineset = pick(2) ? "S1" : "S2";
    if (j.machine == std::string("Biege")) j.machineset = "B1";
    j.material = kMaterials[pick(kMaterials.size())];
    j.address = kAddresses[pick(kAddresses.size())];
    j.order = kOrders[pick(kOrders.size())];
    // A few reference electrodes pointing at the job before them.
    if (i % 97 == 50) {
      j.dataType = 5;
      j.elecRef = jobs.back().filename;
    }
    jobs.push_back(std::move(j));
  }
  return jobs;
}

void InsertDemoRows(const std::string& dbName, const std::vector<Machine>& machines,
                    const std::vector<JobRow>& jobs, std::uint32_t seed) {
  auto db = Engine().OpenDatabase(dbName);
  Transaction t(*db);
  for (const Machine& m : machines) {
    std::string names = "[Machine]", values = Lit(m.name);
    for (const auto& [column, value] : m.columns) {
      names += fmt::format(", [{}]", column);
      values += ", " + Lit(value);
    }
    db->Execute(fmt::format("INSERT INTO Machine ({}) VALUES ({})", names, values));
  }
  std::minstd_rand rng(seed ^ 0x5eedu);
  auto pick = [&](std::size_t n) { return static_cast<std::size_t>(rng() % n); };
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    const JobRow& j = jobs[i];
    const std::string programmer = pick(3) == 0 ? std::string("Null") : Lit(kPeople[pick(kPeople.size())]);
    db->Execute(
        fmt::format("INSERT INTO NcData ([Filename], [ProgramNumber], [DataType], [Machine], [Machineset], "
                    "[ElecRefFilename], "
                    "[Version], [Author], [Programmer], [Createdate], [DataArchive], [Released], "
                    "[Adresstext], [OrderNumber], "
                    "[Material], [Materialthickness], [Name], [Customer], [Comment]) VALUES ({}, {}, {}, {}, "
                    "{}, {}, {}, {}, "
                    "{}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {})",
                    Lit(j.filename), Lit(j.programNumber), j.dataType, Lit(j.machine),
                    j.machineset.empty() ? std::string("Null") : Lit(j.machineset),
                    j.elecRef.empty() ? std::string("Null") : Lit(j.elecRef), 1 + pick(3),
                    Lit(kPeople[pick(kPeople.size())]), programmer,
                    Lit(fmt::format("2024-{:02}-{:02} {:02}:{:02}:00", 1 + pick(12), 1 + pick(28),
                                    7 + pick(10), pick(60))),
                    pick(10) == 0 ? 1 : 0, pick(2), Lit(j.address), Lit(j.order), Lit(j.material),
                    kThickness[pick(kThickness.size())], Lit(fmt::format("Teil {}", i + 1)), Lit(j.address),
                    pick(4) == 0 ? Lit("Eilauftrag") : std::string("Null")));
  }
  t.Commit();
  db->Close();
}

std::string NcProgram(const std::string& name, const std::string& what) {
  return fmt::format("%\r\nO1000 ({} {})\r\nG90 G54\r\nG0 X0 Y0\r\nM30\r\n%\r\n", what, name);
}

// The files of one job, where the add-in's own rules put them. Returns the number written.
int WriteJobFiles(const std::string& dbName, const std::string& filename) {
  clsRsData job;
  job.Initialize(dbName, filename);
  if (job.DirJob().empty() || job.DirNc().empty()) return 0;
  int n = 0;
  auto put = [&](const std::string& windowsPath, const std::string& text) {
    WriteText(ToNative(windowsPath), text);
    ++n;
  };
  put(job.FullFileJob(), fmt::format("[Job]\r\nName={}\r\nMachine={}\r\n", job.filename(), job.Machine()));
  if (!job.ExtJobBak().empty()) put(job.FullFileJobBak(), "[Job]\r\nName=" + job.filename() + "\r\n");
  const std::string nc = job.DirNc() + "\\" + job.filename() + "." + job.ExtNc();
  put(nc, NcProgram(job.filename(), "NC"));
  if (!job.ExtSet().empty())
    put(job.DirNc() + "\\" + job.filename() + "." + job.ExtSet(),
        "Einrichteblatt " + job.filename() + "\r\n");
  if (!job.ExtDat().empty()) {
    // A data file naming two files beside it, one of them in a sub-folder and with a blank.
    const std::string part1 = "sub\\" + job.filename() + "_1.nc";
    const std::string part2 = job.filename() + " teil2.nc";
    put(job.FullFileDat(), part1 + ",\"" + part2 + "\"\r\n");
    put(job.DirNc() + "\\" + part1, NcProgram(job.filename(), "Teil 1"));
    put(job.DirNc() + "\\" + part2, NcProgram(job.filename(), "Teil 2"));
  }
  if (!job.ExtOpt().empty()) put(job.GetFullFileOpt(nc), NcProgram(job.filename(), "optimiert"));
  return n;
}

}  // namespace

void ApplyDemoEnvironment(const DemoResult& demo) {
  for (const auto& [name, value] : demo.environment) ::setenv(name.c_str(), value.c_str(), 1);
}

std::string DemoExportLines(const DemoResult& demo) {
  std::string out;
  for (const auto& [name, value] : demo.environment) out += "export " + name + "=" + ShellQuote(value) + "\n";
  return out;
}

DemoResult BuildDemo(const DemoOptions& options) {
  DemoResult r;
  std::error_code ec;
  r.dir = fsys::absolute(options.dir, ec).lexically_normal();
  if (ec) throw KxError(kPathNotFound, kSource, "Bad demo folder '" + options.dir.string() + "'.");
  if (r.dir.filename().empty()) r.dir = r.dir.parent_path();
  r.config = r.dir / "torvel.cfg";
  r.driveMap = r.dir / "drives.ini";
  r.database = r.dir / "data" / "jobs.db";
  r.envFile = r.dir / "kestrafix.env";
  for (const fsys::path& p : {r.config, r.database}) {
    if (fsys::exists(p, ec))
      throw KxError(kFileAlreadyExists, kSource,
                    "'" + r.dir.string() + "' already holds a demo; remove it or choose another folder.");
  }
  for (const char* sub : {"data", "host/AddIns/Kestrafix", "documents"}) {
    fsys::create_directories(r.dir / sub, ec);
    if (ec)
      throw KxError(kPathNotFound, kSource,
                    "Cannot create '" + (r.dir / sub).string() + "': " + ec.message());
  }

  WriteText(r.driveMap, "[Drives]\r\nD:=" + (r.dir / "data").string() + "\r\n");
  r.environment = {{"KESTRAFIX_DRIVE_MAP", r.driveMap.string()},
                   {"KESTRAFIX_ADDIN_PATH", (r.dir / "host" / "AddIns" / "Kestrafix").string()},
                   {"KESTRAFIX_COMMON_DOCUMENTS", (r.dir / "documents").string()}};
  ApplyDemoEnvironment(r);
  WriteText(r.envFile, "# Points kestrafix and kestrafix-host at this demo: . " + r.envFile.string() + "\n" +
                           DemoExportLines(r));

  WriteText(r.config,
            "[TORVEL]\r\n"
            "DbName=D:\\jobs.db\r\n"
            "Country=49\r\n"
            "SubFolderCount=2\r\n"
            "UserId=demo\r\n"
            "Synchron=0\r\n"
            "ShowElectrode=1\r\n"
            "AutoValueType=0\r\n"
            "AutoValueNumericLength=0\r\n"
            "KeyValueUpperAndLowerCase=0\r\n"
            "OpenRecordsetOptions=0\r\n");
  r.messageSource = CopyMessageFiles(r.dir / "host" / "ResStr");
  WriteAddInIni();
  r.addInIni = ToNative(GetAddInIniFile().str());

  // The base folder of the new-job dialog: addresses with their orders.
  for (const char* address : kAddresses)
    for (const char* order : kOrders)
      fsys::create_directories(r.dir / "data" / "Kunden" / address / order, ec);

  CreateJobDatabase(r.database.string());
  const std::vector<Machine> machines = DemoMachines();
  const std::vector<JobRow> jobs = MakeJobs(options.jobCount, options.seed, machines);
  InsertDemoRows(kDbName, machines, jobs, options.seed);
  r.machines = static_cast<int>(machines.size());
  r.jobs = static_cast<int>(jobs.size());

  // Files for every seventh job and for the last one, which a host shows selected.
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    if (i % 7 != 0 && i + 1 != jobs.size()) continue;
    const int n = WriteJobFiles(kDbName, jobs[i].filename);
    if (n > 0) ++r.jobsWithFiles;
    r.files += n;
  }
  if (!jobs.empty()) r.lastJob = jobs.back().filename;
  return r;
}

}  // namespace kx::cli
