// kestrafix new-job: the new-job dialog's confirmation, through the same record creation.
#include <fmt/format.h>

#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>

#include "cli_support.h"
#include "config/shared_state.h"
#include "console_new_job_view.h"
#include "core/text.h"
#include "dialogs/new_job_record.h"
#include "jobdata/clsRsData.h"
#include "jobfiles/ClsFiles.h"
#include "json_writer.h"
#include "platform/database.h"
#include "platform/job_table_grid.h"
#include "platform/sql_dialect.h"

namespace kx::cli {

namespace {

struct Options {
  std::string config;
  NewJobInput input;
  std::string copyFrom;
  bool json = false;
};

// The grid row of a job, by file name (case ignored); -1 when there is none.
long FindJobRow(const JobTableGrid& grid, const std::string& filename) {
  const long column = grid.ColumnIndex("Filename");
  for (long row = 0; row < grid.Rows(); ++row) {
    if (EqualsNoCase(grid.Cell(row, column).ToText(), filename)) return row;
  }
  return -1;
}

void Run(const Options& o, CliIo& io, bool machineSetGiven, bool baseFolderGiven) {
  const HostConfig cfg = OpenHostConfig(o.config);
  // The grid holds the job to copy from, if any, and the new one: the table may be large.
  JobTableGrid grid(
      cfg.torvel.DbName, [](std::string_view column) { return ColumnCaption(column); },
      o.copyFrom.empty() ? "1 = 0" : "[Filename] = " + QuoteSqlText(o.copyFrom));

  NewJobInput input = o.input;
  input.copyFiles = !o.copyFrom.empty();
  if (input.copyFiles) {
    const long row = FindJobRow(grid, o.copyFrom);
    if (row < 0) throw UsageError(fmt::format("no job '{}' in the job table", o.copyFrom));
    grid.MoveTo(row);  // the job selected in the host
    // The hidden machine-set list carries the selected job's machine set.
    if (!machineSetGiven) input.machineSet = grid.Columns("Machineset").Value().ToText();
  }
  if (!baseFolderGiven) input.baseFolder = ReadFrmMainTexts().BaseFolder;

  ConsoleNewJobView view(input, grid, cfg.torvel.DbName, cfg.torvel.ShowElectrode);
  const NewJobSettings settings{cfg.torvel.DbName, cfg.torvel.UserId, cfg.torvel.OpenRecordsetOptions};
  ScopedConsoleUi ui(io, true);
  bool stored = false;
  {
    auto db = Engine().OpenDatabase(cfg.torvel.DbName);
    stored = AddJobRecord(view, &grid, *db, settings);
    db->Close();
  }
  if (!stored) {
    if (!ui.ui().Errors().empty()) throw ReportedError("");  // the add-in's own report went to stderr
    if (!view.Statuses().empty()) throw UsageError(view.Statuses().back());
    throw UsageError("the job was not created");
  }

  // The job is stored; a folder that could not be made is said, not printed as made.
  for (const std::string& status : view.Statuses()) io.err << "kestrafix: warning: " << status << '\n';

  const std::string filename = view.Text("Text1(1)");
  const std::string programNumber = view.Text("Text1(0)");
  clsRsData job;
  job.Initialize(cfg.torvel.DbName, filename);
  Json::Array files;
  Json::Array warnings(view.Statuses().begin(), view.Statuses().end());
  if (input.copyFiles) {
    ClsFiles set;
    set.Initialize(job, Shared().glSubFolderCount);
    for (const auto& f : set) files.emplace_back(f->FullFile());
  }
  if (o.json) {
    io.out << Json(Json::Object{{"filename", filename},
                                {"programNumber", programNumber},
                                {"dataType", input.dataType},
                                {"machine", job.Machine()},
                                {"machineSet", job.Machineset()},
                                {"dirJob", job.DirJob()},
                                {"dirNc", job.DirNc()},
                                {"warnings", Json(std::move(warnings))},
                                {"copiedFrom", input.copyFiles ? Json(o.copyFrom) : Json()},
                                {"files", Json(std::move(files))}})
                  .Dump()
           << '\n';
    return;
  }
  io.out << fmt::format("Created job {} (program number {}) on machine {}\n", filename, programNumber,
                        job.Machine());
  auto folder = [](const std::string& dir) {
    return Fso().FolderExists(dir) ? dir : std::string("(not created)");
  };
  io.out << fmt::format("  job folder  {}\n  NC folder   {}\n", folder(job.DirJob()), folder(job.DirNc()));
  if (input.copyFiles) io.out << fmt::format("  {} files after copying from {}\n", files.size(), o.copyFrom);
}

}  // namespace

void AddNewJobCommand(CLI::App& app, CommandList& commands) {
  auto o = std::make_shared<Options>();
  CLI::App* sub = app.add_subcommand(
      "new-job",
      "Create a job as the new-job dialog's OK does: validate (presence, length, uniqueness), store the "
      "row through the job grid in three writes, create the job's folders and, with --copy-from, copy "
      "that job's other columns and its files under the new name. Invalid input prints the message "
      "table's text and exits with 2.");
  sub->add_option("--config", o->config, "Host configuration file (torvel.cfg)")->required();
  sub->add_option("--program-number", o->input.programNumber, "Program number of the new job")->required();
  sub->add_option("--filename", o->input.filename, "File name of the new job")->required();
  sub->add_option("--type", o->input.dataType, "Data type (0-4; 5 with [TORVEL] ShowElectrode)")->required();
  sub->add_option("--machine", o->input.machine, "Machine (a row of the machine table)")->required();
  sub->add_option("--address", o->input.address, "Address: a sub-folder of the base folder")->required();
  sub->add_option("--order", o->input.order, "Order: a sub-folder of the address folder")->required();
  sub->add_option("--copy-from", o->copyFrom, "Copy the columns and files of this job (its file name)");
  sub->add_option("--machine-set", o->input.machineSet,
                  "Machine set; default: the one of the --copy-from job, else none");
  sub->add_option("--base-folder", o->input.baseFolder,
                  "Base folder of the address and order folders; default: [frmMain] Text2(0).Text of the "
                  "add-in INI");
  sub->add_flag("--json", o->json, "Print the result as JSON");
  commands.push_back({sub, [o, sub](CliIo& io) {
                        Options copy = *o;
                        if (sub->count("--base-folder") > 0)
                          copy.input.baseFolder = InputPath(o->input.baseFolder);
                        Run(copy, io, sub->count("--machine-set") > 0, sub->count("--base-folder") > 0);
                      }});
}

}  // namespace kx::cli
