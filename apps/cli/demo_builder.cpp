#include "demo_builder.h"

#include <fmt/format.h>

#include <array>
#include <cstdlib>
#include <fstream>
#include <random>

#include "config/shared_state.h"
#include "core/error.h"
#include "fs/native_path.h"
#include "installation.h"
#include "jobdata/clsRsData.h"
#include "platform/database.h"
#include "platform/sql_dialect.h"

namespace kx::cli {

namespace fsys = std::filesystem;

namespace {

constexpr const char* kSource = "kestrafix demo";
constexpr long kPathNotFound = 76;

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

std::string Lit(const std::string& value) { return QuoteSqlText(value); }

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

void ApplyDemoEnvironment(const DemoResult& demo) { ApplyEnvironment(demo.environment); }

std::string DemoExportLines(const DemoResult& demo) { return ExportLines(demo.environment); }

DemoResult BuildDemo(const DemoOptions& options) {
  // The demo is an installation with German texts, two sub-folder levels and electrodes.
  InstallationOptions io;
  io.dir = options.dir;
  io.country = "49";
  io.userId = "demo";
  io.torvel = {{"SubFolderCount", "2"}, {"ShowElectrode", "1"}};
  io.what = "a demo";
  io.source = kSource;
  const Installation inst = CreateInstallation(io);
  DemoResult r;
  r.dir = inst.dir;
  r.config = inst.config;
  r.driveMap = inst.driveMap;
  r.database = inst.database;
  r.envFile = inst.envFile;
  r.addInIni = inst.addInIni;
  r.messageSource = inst.messageSource;
  r.environment = inst.environment;

  // The base folder of the new-job dialog: addresses with their orders.
  std::error_code ec;
  for (const char* address : kAddresses)
    for (const char* order : kOrders) fsys::create_directories(inst.baseFolder / address / order, ec);

  const std::vector<Machine> machines = DemoMachines();
  const std::vector<JobRow> jobs = MakeJobs(options.jobCount, options.seed, machines);
  InsertDemoRows(inst.dbName, machines, jobs, options.seed);
  r.machines = static_cast<int>(machines.size());
  r.jobs = static_cast<int>(jobs.size());

  // Files for every seventh job and for the last one, which a host shows selected.
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    if (i % 7 != 0 && i + 1 != jobs.size()) continue;
    const int n = WriteJobFiles(inst.dbName, jobs[i].filename);
    if (n > 0) ++r.jobsWithFiles;
    r.files += n;
  }
  if (!jobs.empty()) r.lastJob = jobs.back().filename;
  return r;
}

}  // namespace kx::cli
