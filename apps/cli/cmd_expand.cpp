// kestrafix expand: placeholder expansion of a command-line template for a job.
#include <fmt/format.h>

#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>

#include "cli_support.h"
#include "jobdata/clsRsData.h"
#include "json_writer.h"

namespace kx::cli {

void AddExpandCommand(CLI::App& app, CommandList& commands) {
  struct Options {
    std::string config, job, templateText, file;
    bool kelbCall = false;
    bool json = false;
  };
  auto o = std::make_shared<Options>();
  CLI::App* sub = app.add_subcommand(
      "expand",
      "Expand TEMPLATE for a job as a program call of the machine table is expanded (GetProgramCall): "
      "$(Country), special folders such as $(AppPath), $(FileName), $(FullFileJob), $(FullFileNc), "
      "$(DriveJob), $(DirNc) and the rest, then any column of the job's or its machine's row. Without "
      "--file the file placeholders name the job's own files. This is not the directory rule of the "
      "machine table (see `kestrafix files` for the directories a job resolves to).");
  sub->add_option("--config", o->config, "Host configuration file (torvel.cfg)")->required();
  sub->add_option("--job", o->job, "File name of the job")->required();
  sub->add_option("TEMPLATE", o->templateText, "Text with $(...) placeholders")->required();
  sub->add_option("--file", o->file, "A full file name the file placeholders name instead");
  sub->add_flag("--kelb-call", o->kelbCall, "Quote a file name holding a blank, as for the CAM program call");
  sub->add_flag("--json", o->json, "Print the result as JSON");
  commands.push_back(
      {sub, [o](CliIo& io) {
         const HostConfig cfg = OpenHostConfig(o->config);
         RequireJob(cfg, o->job);
         clsRsData job;
         job.Initialize(cfg.torvel.DbName, o->job);
         const std::string file = o->file.empty() ? std::string() : InputPath(o->file);
         const std::string value = job.GetProgramCall(o->templateText, file, o->kelbCall);
         if (o->json) {
           io.out
               << Json(Json::Object{{"job", o->job}, {"template", o->templateText}, {"value", value}}).Dump()
               << '\n';
         } else {
           io.out << value << '\n';
         }
       }});
}

}  // namespace kx::cli
