// kestrafix new-job: the new-job dialog's confirmation, through the same record creation.
#include <fmt/format.h>

#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>

#include "cli_support.h"
#include "config/shared_state.h"
#include "console_new_job_view.h"
#include "copy_progress.h"
#include "core/text.h"
#include "dialogs/new_job_record.h"
#include "jobdata/clsRsData.h"
#include "jobfiles/ClsFiles.h"
#include "json_writer.h"
#include "messages/clsResStrs.h"
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

// Input the dialog's lists could never give: a data type it does not offer, a machine that
// is no row of the machine table.
void RequireListChoices(const ConsoleNewJobView& view, const NewJobInput& input, bool showElectrode) {
  const int last = showElectrode ? 5 : 4;
  if (input.dataType < 0 || input.dataType > last) {
    std::vector<std::string> offered;
    for (int n = 0; n <= last; ++n) {
      const std::string caption = ResStrs().Msg("NcData.DataType(" + std::to_string(n) + ").Caption");
      offered.push_back(caption.empty() ? std::to_string(n) : fmt::format("{} ({})", n, caption));
    }
    throw UsageError(
        fmt::format("data type {} is not offered; choose one of {}", input.dataType, Join(offered, ", ")));
  }
  if (!input.machine.empty() && !view.ListIsItemInList("SSDBCombo1(3)")) {
    throw UsageError(
        fmt::format("machine '{}' is not in the machine table; choose one of {}", input.machine,
                    view.Machines().empty() ? std::string("(none)") : Join(view.Machines(), ", ")));
  }
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
  RequireListChoices(view, input, cfg.torvel.ShowElectrode);
  ConsoleCopyProgress copy(io.console.errIsTerminal ? &io.err : nullptr);
  view.SetCopyProgress(&copy);
  const NewJobSettings settings{cfg.torvel.DbName, cfg.torvel.UserId, cfg.torvel.OpenRecordsetOptions};
  ScopedConsoleUi ui(io, true);
  bool stored = false;
  {
    auto db = Engine().OpenDatabase(cfg.torvel.DbName);
    stored = AddJobRecord(view, &grid, *db, settings);
    db->Close();
  }
  if (!stored) {
    if (copy.started) {  // what the copy did before it failed
      io.out << (o.json ? Json(Json::Object{{"copy", copy.SummaryJson(o.copyFrom)}}).Dump()
                        : copy.Summary(o.copyFrom))
             << '\n';
    }
    if (!ui.ui().Errors().empty()) throw ui.ui().Errors().front();
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
                                {"copy", input.copyFiles ? copy.SummaryJson(o.copyFrom) : Json()},
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
  if (input.copyFiles) io.out << "  " << copy.Summary(o.copyFrom) << '\n';
}

}  // namespace

void AddNewJobCommand(CLI::App& app, CommandList& commands) {
  auto o = std::make_shared<Options>();
  CLI::App* sub = app.add_subcommand(
      "new-job",
      "Create a new job as OK in the new-job dialog does: check the program number and file name "
      "(given, not too long, not used yet), store the job, create its folders and, with --copy-from, "
      "take over that job's other values and copy its files under the new name. Input the dialog "
      "would refuse prints its message and exits with 2.");
  sub->add_option("--config", o->config, "Host configuration file (torvel.cfg)")
      ->required()
      ->type_name("FILE");
  sub->add_option("--program-number", o->input.programNumber, "Program number of the new job")
      ->required()
      ->type_name("TEXT");
  sub->add_option("--filename", o->input.filename, "File name of the new job")->required()->type_name("TEXT");
  sub->add_option("--type", o->input.dataType,
                  "Data type, as the dialog's list numbers them: 0 to 4 (5 only where reference "
                  "electrodes are shown)")
      ->required()
      ->type_name("N");
  sub->add_option("--machine", o->input.machine, "Machine, one of the machine table")
      ->required()
      ->type_name("NAME");
  sub->add_option("--address", o->input.address, "Address: a folder in the base folder")
      ->required()
      ->type_name("NAME");
  sub->add_option("--order", o->input.order, "Order: a folder in the address folder")
      ->required()
      ->type_name("NAME");
  sub->add_option("--copy-from", o->copyFrom, "Copy the values and files of this job (its file name)")
      ->type_name("JOB");
  sub->add_option("--machine-set", o->input.machineSet,
                  "Machine group; default: the one of the --copy-from job, else none")
      ->type_name("NAME");
  sub->add_option("--base-folder", o->input.baseFolder,
                  "Folder that holds the address folders; default: the one the dialog used last")
      ->type_name("DIR");
  sub->add_flag("--json", o->json, "Print the result as JSON");
  commands.push_back({sub, [o, sub](CliIo& io) {
                        Options copy = *o;
                        if (sub->count("--base-folder") > 0)
                          copy.input.baseFolder = InputPath(o->input.baseFolder);
                        Run(copy, io, sub->count("--machine-set") > 0, sub->count("--base-folder") > 0);
                      }});
}

}  // namespace kx::cli
