// kestrafix machine list | add | set | remove: the machine table, with the checks the job
// record relies on (machine_check.h).
#include <fmt/format.h>

#include <CLI/CLI.hpp>
#include <array>
#include <memory>
#include <ostream>

#include "cli_support.h"
#include "core/text.h"
#include "dialogs/new_job_record.h"
#include "fs/native_path.h"
#include "json_writer.h"
#include "machine_check.h"
#include "platform/database.h"
#include "platform/sql_dialect.h"

namespace kx::cli {

namespace {

struct ColumnOption {
  const char* option;
  const char* column;
  const char* help;
  bool path;  // a native path given is stored in Windows form
};
constexpr std::array<ColumnOption, 16> kColumns = {{
    {"--job-dir", "KelbDirectory", "Folder of the job (CAM) files; placeholders allowed", true},
    {"--nc-dir", "NcDirectory", "Folder of the NC files; placeholders allowed", true},
    {"--dir-type", "DirectoryType", "1: each job gets a folder of its own named after it; 0: none", false},
    {"--opt-dir", "OptNcDirectory",
     "Folder of optimised NC files: absolute, or relative to the NC file's folder", true},
    {"--job-ext", "KelbFileExtension", "Extension of the job file, without the dot", false},
    {"--job-bak-ext", "KelbBakFileExtension", "Extension of the job file's backup", false},
    {"--nc-ext", "NcFileExtension", "Extension of the NC file", false},
    {"--dat-ext", "DatFileExtension", "Extension of the data file; empty: the machine has none", false},
    {"--set-ext", "SetFileExtension", "Extension of the set-up sheet", false},
    {"--opt-ext", "OptNcFileExtension", "Extension of the optimised NC file", false},
    {"--kelb-call", "KelbCall", "Command line of the CAM program; placeholders allowed", false},
    {"--dnc-call", "DncCall", "Command line of the DNC program; placeholders allowed", false},
    {"--template-file", "TemplateFile", "Template job file; special-folder placeholders allowed", true},
    {"--nc-export-dir", "NCExportDirectory", "Export folder of NC files", true},
    {"--nc-export-exts", "NCExportFileExtensions", "Extensions of the exported NC files", false},
    {"--export-dir", "ExportDirectory", "Export folder", true},
}};

struct Options {
  std::string config, name;
  bool json = false, force = false;
  std::array<std::string, kColumns.size()> values;
  std::array<CLI::Option*, kColumns.size()> given{};
};

// The columns the command line gave, in table order; a native path in Windows form.
MachineValues Given(const Options& o) {
  MachineValues out;
  for (std::size_t i = 0; i < kColumns.size(); ++i) {
    if (!o.given[i] || o.given[i]->count() == 0) continue;
    const std::string v = Trim(o.values[i]);
    out.emplace_back(kColumns[i].column, kColumns[i].path ? NormalizeInputPath(v) : v);
  }
  return out;
}

std::string SqlValue(const std::string& column, const std::string& value) {
  if (value.empty()) return "Null";
  return EqualsNoCase(column, "DirectoryType") ? value : QuoteSqlText(value);
}

std::string NameIs(const std::string& name) { return "[Machine] = " + QuoteSqlText(name); }

// Every row, or the one of a name (without case), each column as read.
std::vector<std::vector<std::pair<std::string, Variant>>> ReadMachines(Database& db,
                                                                       const std::string& name = "") {
  std::vector<std::vector<std::pair<std::string, Variant>>> rows;
  auto rs =
      db.OpenRecordset("select * from Machine" + (name.empty() ? std::string() : " where " + NameIs(name)) +
                       " order by [Machine]");
  for (; !rs->Eof(); rs->MoveNext()) {
    auto& row = rows.emplace_back();
    for (const Field& f : rs->AllFields()) row.emplace_back(f.Name(), f.Value());
  }
  rs->Close();
  return rows;
}

std::string Text(const Variant& v) { return v.IsNull() || v.IsEmpty() ? std::string() : v.ToText(); }

void PrintProbe(CliIo& io, bool json, const char* action, const std::string& name, const MachineProbe& p) {
  if (json) {
    io.out << Json(Json::Object{
                       {"action", action},
                       {"machine", name},
                       {"probe",
                        Json(Json::Object{{"job", kProbeJob}, {"dirJob", p.dirJob}, {"dirNc", p.dirNc}})}})
                  .Dump()
           << '\n';
    return;
  }
  io.out << fmt::format("{} machine {}; a job {} gets the folders {} and {}\n", action, name, kProbeJob,
                        p.dirJob, p.dirNc);
}

void List(const HostConfig& cfg, bool json, CliIo& io) {
  auto db = Engine().OpenDatabase(cfg.torvel.DbName);
  Json::Array all;
  const auto rows = ReadMachines(*db);
  for (const auto& row : rows) {
    const std::string name = Text(row.front().second);
    const std::int32_t jobs = CountRecords(*db, "select Count(*) from NcData where " + NameIs(name),
                                           cfg.torvel.OpenRecordsetOptions);
    std::vector<std::string> sets;
    auto rs = db->OpenRecordset("select Distinct [Machineset] from NcData where " + NameIs(name) +
                                " and [Machineset] Is Not Null order by [Machineset]");
    for (; !rs->Eof(); rs->MoveNext()) sets.push_back(Text(rs->Fields(0).Value()));
    rs->Close();
    if (json) {
      Json::Object o;
      for (const auto& [column, value] : row) o.emplace_back(column, Json::FromVariant(value));
      Json::Array setList(sets.begin(), sets.end());
      o.emplace_back("jobs", jobs);
      o.emplace_back("machineSets", Json(std::move(setList)));
      all.emplace_back(std::move(o));
      continue;
    }
    io.out << fmt::format("{}: {} job{}{}\n", name, jobs, jobs == 1 ? "" : "s",
                          sets.empty() ? "" : ", machine sets " + Join(sets, ", "));
    for (std::size_t i = 1; i < row.size(); ++i) {
      if (const std::string v = Text(row[i].second); !v.empty())
        io.out << fmt::format("  {:<24}{}\n", row[i].first, v);
    }
  }
  db->Close();
  if (json) {
    io.out << Json(Json::Object{{"machines", Json(std::move(all))}}).Dump() << '\n';
  } else if (rows.empty()) {
    io.out << fmt::format("No machines in the job database {}.\n", cfg.torvel.DbName);
  }
}

void Add(const Options& o, CliIo& io) {
  const HostConfig cfg = OpenHostConfig(o.config);
  const std::string name = Trim(o.name);
  if (name.empty()) throw UsageError("a machine needs a name");
  auto db = Engine().OpenDatabase(cfg.torvel.DbName);
  if (const auto same = ReadMachines(*db, name); !same.empty())
    throw UsageError(
        fmt::format("machine '{}' exists already as '{}'", name, Text(same.front().front().second)));
  MachineValues row = Given(o);
  row.insert(row.begin(), {"Machine", name});
  const MachineProbe probe = CheckMachine(cfg.torvel.DbName, row);
  std::string names, values;
  for (const auto& [column, value] : row) {
    names += fmt::format("{}[{}]", names.empty() ? "" : ", ", column);
    values += (values.empty() ? "" : ", ") + SqlValue(column, value);
  }
  db->Execute(fmt::format("INSERT INTO Machine ({}) VALUES ({})", names, values));
  db->Close();
  PrintProbe(io, o.json, "Added", name, probe);
}

void Set(const Options& o, CliIo& io) {
  const HostConfig cfg = OpenHostConfig(o.config);
  const MachineValues changes = Given(o);
  if (changes.empty()) throw UsageError("nothing to set: name at least one column option (see --help)");
  auto db = Engine().OpenDatabase(cfg.torvel.DbName);
  const auto found = ReadMachines(*db, Trim(o.name));
  if (found.empty()) throw UsageError(fmt::format("no machine '{}' in the machine table", o.name));
  MachineValues row;
  for (const auto& [column, value] : found.front()) row.emplace_back(column, Text(value));
  for (const auto& [column, value] : changes) {
    for (auto& [c, v] : row)
      if (EqualsNoCase(c, column)) v = value;
  }
  const std::string name = row.front().second;
  const MachineProbe probe = CheckMachine(cfg.torvel.DbName, row);
  std::string sets;
  for (const auto& [column, value] : changes)
    sets += fmt::format("{}[{}] = {}", sets.empty() ? "" : ", ", column, SqlValue(column, value));
  db->Execute(fmt::format("UPDATE Machine SET {} WHERE {}", sets, NameIs(name)));
  db->Close();
  PrintProbe(io, o.json, "Changed", name, probe);
}

void Remove(const Options& o, CliIo& io) {
  const HostConfig cfg = OpenHostConfig(o.config);
  auto db = Engine().OpenDatabase(cfg.torvel.DbName);
  const auto found = ReadMachines(*db, Trim(o.name));
  if (found.empty()) throw UsageError(fmt::format("no machine '{}' in the machine table", o.name));
  const std::string name = Text(found.front().front().second);
  const std::int32_t jobs =
      CountRecords(*db, "select Count(*) from NcData where " + NameIs(name), cfg.torvel.OpenRecordsetOptions);
  if (jobs > 0 && !o.force)
    throw UsageError(
        fmt::format("machine '{}' has {} job{}; --force removes it all the same (their folders are "
                    "then unknown)",
                    name, jobs, jobs == 1 ? "" : "s"));
  db->Execute("DELETE FROM Machine WHERE " + NameIs(name));
  db->Close();
  if (o.json) {
    io.out << Json(Json::Object{{"action", "Removed"}, {"machine", name}, {"jobs", jobs}}).Dump() << '\n';
  } else {
    io.out << fmt::format("Removed machine {}\n", name);
  }
}

}  // namespace

void AddMachineCommands(CLI::App& app, CommandList& commands) {
  CLI::App* machine = app.add_subcommand(
      "machine",
      "The machine table: where each machine's job and NC files lie (folder templates with placeholders), "
      "its directory type and file extensions. Machine sets are the job table's Machineset values.");
  machine->require_subcommand(1);
  struct Verb {
    const char* name;
    const char* help;
    void (*run)(const Options&, CliIo&);
  };
  const Verb verbs[] = {
      {"list", "List the machines with their columns, jobs and machine sets",
       [](const Options& o, CliIo& io) { List(OpenHostConfig(o.config), o.json, io); }},
      {"add",
       "Add a machine. Its templates are tried on a job A100 the way the job record expands them; a template "
       "that does not expand, an unknown placeholder, a directory type outside 0..255 or a name taken "
       "(without case) is refused",
       Add},
      {"set", "Change columns of a machine, with the checks of add", Set},
      {"remove", "Remove a machine; one that jobs use only with --force", Remove},
  };
  for (const Verb& v : verbs) {
    auto o = std::make_shared<Options>();
    CLI::App* sub = machine->add_subcommand(v.name, v.help);
    sub->add_option("--config", o->config, "Host configuration file (torvel.cfg)")->required();
    const std::string verb = v.name;
    if (verb != "list") sub->add_option("NAME", o->name, "Name of the machine")->required();
    if (verb == "add" || verb == "set") {
      for (std::size_t i = 0; i < kColumns.size(); ++i) {
        o->given[i] = sub->add_option(kColumns[i].option, o->values[i],
                                      fmt::format("{} ({})", kColumns[i].help, kColumns[i].column));
      }
      if (verb == "add") {
        o->given[0]->required();
        o->given[1]->required();
      }
    }
    if (verb == "remove") sub->add_flag("--force", o->force, "Remove it even when jobs use it");
    sub->add_flag("--json", o->json, "Print the result as JSON");
    commands.push_back({sub, [o, run = v.run](CliIo& io) { run(*o, io); }});
  }
}

}  // namespace kx::cli
