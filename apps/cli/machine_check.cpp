#include "machine_check.h"

#include <fmt/format.h>
#include <stdlib.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <set>

#include "cli_support.h"
#include "core/error.h"
#include "core/text.h"
#include "jobdata/clsRsData.h"
#include "platform/database.h"
#include "platform/job_schema.h"
#include "platform/sql_dialect.h"

namespace kx::cli {

namespace fsys = std::filesystem;

namespace {

// A folder of its own for the probe database, removed with everything in it.
class ProbeFolder {
 public:
  ProbeFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp == '/' ? tmp : "/tmp") + "/kestrafix-probe-XXXXXX";
    if (::mkdtemp(pattern.data())) path_ = pattern;
  }
  ~ProbeFolder() {
    std::error_code ec;
    if (!path_.empty()) fsys::remove_all(path_, ec);
  }
  ProbeFolder(const ProbeFolder&) = delete;
  ProbeFolder& operator=(const ProbeFolder&) = delete;
  const fsys::path& path() const { return path_; }

 private:
  fsys::path path_;
};

std::string ValueOf(const MachineValues& row, std::string_view column) {
  for (const auto& [c, v] : row)
    if (EqualsNoCase(c, column)) return v;
  return {};
}

std::set<std::string, std::less<>> ColumnsOf(Database& db, const std::string& table) {
  std::set<std::string, std::less<>> names;
  auto rs = db.OpenRecordset("select * from " + table + " where 1=0");
  for (int i = 0; i < rs->FieldCount(); ++i) names.insert(ToLower(rs->Fields(i).Name()));
  rs->Close();
  return names;
}

// The probe's tables get every further column of the real ones, so that a placeholder naming
// one of them counts as known.
void AddFurtherColumns(const std::string& dbName, Database& probe) {
  auto real = Engine().OpenDatabase(dbName);
  for (const char* table : {"NCDATA", "MACHINE"}) {
    const auto have = ColumnsOf(probe, table);
    auto rs = real->OpenRecordset(std::string("select * from ") + table + " where 1=0");
    for (int i = 0; i < rs->FieldCount(); ++i) {
      const std::string name = rs->Fields(i).Name();
      if (!have.contains(ToLower(name)))
        probe.Execute(fmt::format("ALTER TABLE {} ADD COLUMN [{}] TEXT", table, name));
    }
    rs->Close();
  }
  real->Close();
}

// What is wrong with an expanded template, "" when nothing is: a placeholder left over.
std::string Leftover(const std::string& expanded) {
  const std::size_t at = expanded.find("$(");
  if (at == std::string::npos) return {};
  std::size_t end = expanded.find("))", at);
  const std::size_t close = expanded.find(')', at);
  if (close != std::string::npos && (end == std::string::npos || close < end)) end = close - 1;
  const std::string token = expanded.substr(at, end == std::string::npos ? std::string::npos : end + 2 - at);
  const std::string inner = token.size() > 3 && token.back() == ')' ? token.substr(2, token.size() - 3) : "";
  const bool name = !inner.empty() && std::all_of(inner.begin(), inner.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
  });
  return name ? fmt::format("has the unknown placeholder {}", token)
              : fmt::format("does not expand: {} is left over", token);
}

bool NamesRoot(const std::string& path) {
  return path.starts_with("/") || path.starts_with("\\\\") ||
         (path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' &&
          path[2] == '\\');
}

}  // namespace

MachineProbe CheckMachine(const std::string& dbName, const MachineValues& row) {
  const std::string machine = ValueOf(row, "Machine");
  auto refuse = [&](std::string_view column, const std::string& what) {
    throw UsageError(fmt::format("machine '{}': {} '{}' {}", machine, column, ValueOf(row, column), what));
  };
  for (const char* column : {"KelbDirectory", "NcDirectory"}) {
    if (Trim(ValueOf(row, column)).empty()) refuse(column, "is empty; a new job's folders are made from it");
  }
  if (const std::string type = Trim(ValueOf(row, "DirectoryType")); !type.empty()) {
    const bool digits = type.size() <= 3 && std::all_of(type.begin(), type.end(), [](char c) {
                          return std::isdigit(static_cast<unsigned char>(c));
                        });
    if (!digits || std::stoi(type) > 255) refuse("DirectoryType", "is no whole number from 0 to 255");
  }

  const ProbeFolder folder;
  if (folder.path().empty())
    throw KxError(err::PathFileAccessError, "kestrafix machine",
                  "cannot make a temporary folder to try the machine's templates");
  const std::string probeDb = (folder.path() / "probe.db").string();
  CreateJobDatabase(probeDb);
  {
    auto probe = Engine().OpenDatabase(probeDb);
    AddFurtherColumns(dbName, *probe);
    std::string names, values;
    for (const auto& [column, value] : row) {
      names += fmt::format("{}[{}]", names.empty() ? "" : ", ", column);
      values += (values.empty() ? "" : ", ") + (value.empty() ? std::string("Null") : QuoteSqlText(value));
    }
    probe->Execute(fmt::format("INSERT INTO Machine ({}) VALUES ({})", names, values));
    probe->Execute(
        fmt::format("INSERT INTO NcData ([Filename], [ProgramNumber], [Machine]) VALUES ({}, '1', {})",
                    QuoteSqlText(kProbeJob), QuoteSqlText(machine)));
    probe->Close();
  }

  clsRsData job;
  job.Initialize(probeDb, kProbeJob);
  const std::pair<const char*, std::string> expanded[] = {
      {"KelbDirectory", job.DirJobBase()},
      {"NcDirectory", job.DirNcBase()},
      {"OptNcDirectory", job.DirOpt()},
      {"NCExportDirectory", job.DirNcExport()},
      {"ExportDirectory", job.DirExport()},
      {"TemplateFile", job.TemplateFile()},
      {"KelbCall", job.GetProgramCall(job.KelbCall(), "", true)},
      {"DncCall", job.GetProgramCall(job.DncCall(), "", false)},
  };
  for (const auto& [column, value] : expanded) {
    if (const std::string wrong = Leftover(value); !wrong.empty()) refuse(column, wrong);
  }
  for (const auto& [column, value] : {expanded[0], expanded[1]}) {
    if (!value.empty() && !NamesRoot(value))
      refuse(column, fmt::format("gives '{}' for a job {}, which names no drive, share or root folder", value,
                                 kProbeJob));
  }
  return {job.DirJob(), job.DirNc()};
}

}  // namespace kx::cli
