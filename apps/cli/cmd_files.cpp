// kestrafix files: the set of files that make up a job.
#include <fmt/format.h>

#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>

#include "cli_support.h"
#include "config/shared_state.h"
#include "jobdata/clsRsData.h"
#include "jobfiles/ClsFiles.h"
#include "json_writer.h"

namespace kx::cli {

namespace {

const char* TypeName(std::uint8_t type) {
  switch (type) {
    case filetype::Job:
      return "job";
    case filetype::Nc:
      return "nc";
    case filetype::Dat:
      return "data";
    case filetype::DatReference:
      return "data-ref";
    case filetype::Optimised:
      return "optimised";
    default:
      return "?";
  }
}

}  // namespace

void AddFilesCommand(CLI::App& app, CommandList& commands) {
  struct Options {
    std::string config, job;
    bool json = false;
  };
  auto o = std::make_shared<Options>();
  CLI::App* sub = app.add_subcommand(
      "files",
      "List the files that make up a job, as a copy of the job takes them: job file, NC files, data "
      "files and the files they name, optimised NC files, in the job's folders and the number of "
      "sub-folder levels the configuration sets. Each line: kind, whether it lies in the job's "
      "current folders, path, and for a file named in a data file that data file.");
  sub->add_option("--config", o->config, "Host configuration file (torvel.cfg)")
      ->required()
      ->type_name("FILE");
  sub->add_option("JOB", o->job, "File name of the job")->required();
  sub->add_flag("--json", o->json, "Print the result as JSON");
  commands.push_back({sub, [o](CliIo& io) {
                        const HostConfig cfg = OpenHostConfig(o->config);
                        RequireJob(cfg, o->job);
                        clsRsData job;
                        job.Initialize(cfg.torvel.DbName, o->job);
                        ClsFiles files;
                        files.Initialize(job, Shared().glSubFolderCount);
                        if (o->json) {
                          Json::Array list;
                          for (const auto& f : files) {
                            list.emplace_back(Json::Object{
                                {"path", f->FullFile()},
                                {"type", static_cast<int>(f->FileType())},
                                {"typeName", TypeName(f->FileType())},
                                {"isCurrent", f->IsCurrent()},
                                {"dataFile", f->FullFileDat().empty() ? Json() : Json(f->FullFileDat())}});
                          }
                          io.out << Json(Json::Object{{"job", o->job},
                                                      {"dirJob", job.DirJob()},
                                                      {"dirNc", job.DirNc()},
                                                      {"files", Json(std::move(list))}})
                                        .Dump()
                                 << '\n';
                          return;
                        }
                        io.out << fmt::format("Job {}: {} files\n  job folder  {}\n  NC folder   {}\n",
                                              o->job, files.Count(), job.DirJob(), job.DirNc());
                        for (const auto& f : files) {
                          io.out << fmt::format("{:<9} {:<7} {}", TypeName(f->FileType()),
                                                f->IsCurrent() ? "current" : "-", f->FullFile());
                          if (!f->FullFileDat().empty()) io.out << "  (named in " << f->FullFileDat() << ")";
                          io.out << '\n';
                        }
                      }});
}

}  // namespace kx::cli
